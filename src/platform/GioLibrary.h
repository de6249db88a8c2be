// GIO, the desktop's rules for file associations and for which mounts are
// the user's, loaded the first time one of them is asked: linked, it would
// be loaded (with GObject, libmount and their kin) by every start, batch
// mode and --version included. The functions used are resolved together.
#pragma once

// GIO's headers use a name that Qt's "signals" keyword would replace.
#pragma push_macro("signals")
#undef signals
#include <gio/gio.h>
#include <gio/gunixmounts.h>
#pragma pop_macro("signals")

struct TGio
{
    decltype(&g_unix_mounts_get) unix_mounts_get;
    decltype(&g_unix_mount_get_mount_path) unix_mount_get_mount_path;
    decltype(&g_unix_mount_get_device_path) unix_mount_get_device_path;
    decltype(&g_unix_mount_get_root_path) unix_mount_get_root_path;
    decltype(&g_unix_mount_get_fs_type) unix_mount_get_fs_type;
    decltype(&g_unix_mount_get_options) unix_mount_get_options;
    decltype(&g_unix_mount_is_readonly) unix_mount_is_readonly;
    decltype(&g_unix_mount_is_system_internal) unix_mount_is_system_internal;
    decltype(&g_unix_mount_free) unix_mount_free;
    decltype(&g_unix_is_mount_path_system_internal) unix_is_mount_path_system_internal;
    decltype(&g_unix_is_system_fs_type) unix_is_system_fs_type;
    decltype(&g_unix_is_system_device_path) unix_is_system_device_path;
    decltype(&g_unix_mount_guess_should_display) unix_mount_guess_should_display;
    decltype(&g_content_type_guess) content_type_guess;
    decltype(&g_content_type_is_unknown) content_type_is_unknown;
    decltype(&g_content_type_get_mime_type) content_type_get_mime_type;
    decltype(&g_app_info_get_default_for_type) app_info_get_default_for_type;
    decltype(&g_app_info_get_icon) app_info_get_icon;
    decltype(&g_icon_to_string) icon_to_string;
    decltype(&g_app_info_launch_default_for_uri) app_info_launch_default_for_uri;
    decltype(&g_object_unref) object_unref;
};

// GIO's functions; null where the library (or one of them) cannot be loaded.
const TGio* Gio();
