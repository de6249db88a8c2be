// Which mounts are the user's: the rule the desktop's file managers apply,
// GIO's g_unix_mount_guess_should_display, asked about each volume of the
// table. GIO makes its mount entries only from the machine's own table, so
// an entry is built here from the volume's fields, in the layout GIO's own
// entries are checked to have; where they cannot be checked (no mount table
// at all) the rule's parts that GIO publishes are used one by one. Without
// GIO only "/", mounts in the home folder and removable media count.
#include "platform/GioLibrary.h"
#include "platform/MountTable.h"

#include <QByteArray>
#include <QFile>

namespace {

// The fields of a GUnixMountEntry, in GIO's order.
struct TGioMountEntry
{
    char* mount_path;
    char* device_path;
    char* root_path;
    char* filesystem_type;
    char* options;
    gboolean is_read_only;
    gboolean is_system_internal;
};

// Whether GIO's own entries have the layout above: each field must be what
// GIO's getters return, for every mount of the machine.
bool LayoutChecked(const TGio& gio)
{
    static const bool checked = [&gio] {
        GList* mounts = gio.unix_mounts_get(nullptr);
        bool same = mounts != nullptr;
        for (GList* item = mounts; item; item = item->next) {
            auto* entry = static_cast<GUnixMountEntry*>(item->data);
            const auto* fields = reinterpret_cast<const TGioMountEntry*>(entry);
            same = same && fields->mount_path == gio.unix_mount_get_mount_path(entry) &&
                   fields->device_path == gio.unix_mount_get_device_path(entry) &&
                   fields->root_path == gio.unix_mount_get_root_path(entry) &&
                   fields->filesystem_type == gio.unix_mount_get_fs_type(entry) &&
                   fields->options == gio.unix_mount_get_options(entry) &&
                   !fields->is_read_only == !gio.unix_mount_is_readonly(entry) &&
                   !fields->is_system_internal == !gio.unix_mount_is_system_internal(entry);
        }
        g_list_free_full(mounts, reinterpret_cast<GDestroyNotify>(gio.unix_mount_free));
        return same;
    }();
    return checked;
}

bool SystemInternal(const TGio& gio, const QByteArray& mountPoint, const QByteArray& fileSystem,
                    const QByteArray& device)
{
    return gio.unix_is_mount_path_system_internal(mountPoint.constData()) ||
           gio.unix_is_system_fs_type(fileSystem.constData()) ||
           gio.unix_is_system_device_path(device.constData());
}

bool Under(const QString& path, const QString& folder)
{
    return !folder.isEmpty() && path.startsWith(folder.endsWith('/') ? folder : folder + '/');
}

} // namespace

bool IsUsersMount(const TVolume& volume, const QString& home)
{
    if (volume.MountPoint == "/")
        return true;
    QByteArray mountPoint = QFile::encodeName(volume.MountPoint);
    QByteArray device = QFile::encodeName(volume.Source);
    QByteArray fileSystem = volume.FileSystem.toUtf8();
    QByteArray root("/"), options;
    const TGio* gio = Gio();
    const bool internal = gio && SystemInternal(*gio, mountPoint, fileSystem, device);
    // A mount inside a dot folder is hidden on purpose.
    if (internal || volume.MountPoint.contains("/."))
        return false;
    // Mounts in the home folder of the table's user; the same as GIO's home
    // rule when the table is this machine's.
    if (Under(volume.MountPoint, home))
        return true;
    if (gio && LayoutChecked(*gio)) {
        TGioMountEntry entry{mountPoint.data(), device.data(), root.data(), fileSystem.data(),
                             options.data(),    false,         internal};
        return gio->unix_mount_guess_should_display(reinterpret_cast<GUnixMountEntry*>(&entry));
    }
    return Under(volume.MountPoint, "/media") ||
           Under(volume.MountPoint, "/run/media/" + QString::fromLocal8Bit(g_get_user_name()));
}
