#include "platform/GioLibrary.h"

#include "platform/core/LibraryOnFirstUse.h"

#include <optional>
#include <type_traits>

const TGio* Gio()
{
    static const std::optional<TGio> gio = []() -> std::optional<TGio> {
        // Loaded once and kept: GIO's types stay registered for the process.
        static TLibraryOnFirstUse library("libgio-2.0.so.0", "GIO");
        if (!library.LoadError().empty())
            return std::nullopt;
        TGio functions{};
        bool all = true;
        const auto resolve = [&](auto& function, const char* name) {
            function =
                reinterpret_cast<std::remove_reference_t<decltype(function)>>(library.Symbol(name));
            all = all && function;
        };
#define TQ_RESOLVE(name) resolve(functions.name, "g_" #name)
        TQ_RESOLVE(unix_mounts_get);
        TQ_RESOLVE(unix_mount_get_mount_path);
        TQ_RESOLVE(unix_mount_get_device_path);
        TQ_RESOLVE(unix_mount_get_root_path);
        TQ_RESOLVE(unix_mount_get_fs_type);
        TQ_RESOLVE(unix_mount_get_options);
        TQ_RESOLVE(unix_mount_is_readonly);
        TQ_RESOLVE(unix_mount_is_system_internal);
        TQ_RESOLVE(unix_mount_free);
        TQ_RESOLVE(unix_is_mount_path_system_internal);
        TQ_RESOLVE(unix_is_system_fs_type);
        TQ_RESOLVE(unix_is_system_device_path);
        TQ_RESOLVE(unix_mount_guess_should_display);
        TQ_RESOLVE(content_type_guess);
        TQ_RESOLVE(content_type_is_unknown);
        TQ_RESOLVE(content_type_get_mime_type);
        TQ_RESOLVE(app_info_get_default_for_type);
        TQ_RESOLVE(app_info_get_icon);
        TQ_RESOLVE(icon_to_string);
        TQ_RESOLVE(app_info_launch_default_for_uri);
        TQ_RESOLVE(object_unref); // GObject's, found through GIO's own dependencies
#undef TQ_RESOLVE
        if (!all)
            return std::nullopt;
        return functions;
    }();
    return gio ? &*gio : nullptr;
}
