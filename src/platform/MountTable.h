// The machine's volumes: the real mounted file systems of the mount table,
// with their kind, label, serial and network name, whether they are known to
// be local and whether they are the user's. Everything comes from texts
// (/proc/self/mountinfo, /dev/disk/by-label, /dev/disk/by-uuid, the removable
// flag in /sys); only a file system of a type nobody knows is asked for its
// magic number, on a thread of its own, so a dead network mount can never
// hang the caller. Tests feed captured texts, folders and probes through the
// sources seam.
#pragma once

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QString>
#include <functional>
#include <optional>

class QSocketNotifier;

// The platform's drive type codes.
enum TDriveKind
{
    dkUnknown = 0,
    dkNoRootDir = 1,
    dkRemovable = 2,
    dkFixed = 3,
    dkRemote = 4,
    dkCDROM = 5,
    dkRAMDisk = 6
};

struct TVolume
{
    QString MountPoint; // "/", "/home", "/media/ann/USB"
    QString FileSystem; // "ext4", "cifs"
    QString Source;     // "/dev/sda1", "//srv/share", "nas:/export"
    QString Device;     // major:minor of the mounted file system
    TDriveKind Kind = dkUnknown;
    QString Label;      // the file-system label; empty when it has none
    QString Serial;     // the file-system UUID, else "fsid:" + Device
    QString RemoteName; // a network volume's source as //server/share
    // Known to answer at once: a local file system. Anything else (a network
    // share, a type nobody knows) is read off the GUI thread.
    bool Local = false;
    // One of the user's mounts, as the desktop shows them: "/" always, then
    // what GIO's rule displays (removable media, mounts in the home folder).
    bool Users = false;
};

class TMountTable
{
public:
    TMountTable() = default;
    // The volumes of a mountinfo text; labels, UUIDs and removable flags are
    // looked up under the given folders ("/dev/disk", "/sys"). "/" is always
    // a volume, even where the text has no entry for it (a chroot). Mounts in
    // home count as the user's; empty: the user's home folder.
    static TMountTable Parse(const QByteArray& mountinfo, const QString& diskFolder,
                             const QString& sysFolder, const QString& home = QString());
    // Settles the volumes of a file-system type nobody knows by the magic
    // number the probe reports, each probe on a thread of its own; the probes
    // get the given time together. A volume whose probe does not answer in
    // time stays of unknown kind and not local; its answer, when it comes,
    // is kept for the next table.
    void SettleUnknownTypes(const std::function<std::optional<quint32>(const QString&)>& probe,
                            int waitMs);

    // One volume per mount point, sorted by mount point.
    const QList<TVolume>& Volumes() const { return volumes_; }
    const TVolume* Find(const QString& mountPoint) const;
    // The volume of the longest mount point that contains the path, or none.
    const TVolume* Containing(const QString& path) const;
    // A path under a network source (//server/share/dir) rewritten onto the
    // mount point of the volume that mounts it; empty when none does.
    QString RemoteToLocal(const QString& path) const;

private:
    QList<TVolume> volumes_;
};

// Where the mount table is read from; tests install captured texts.
struct TMountSources
{
    std::function<QByteArray()> MountInfo;
    QString DiskFolder;
    QString SysFolder;
    // The home folder of the user whose mounts these are; empty: this user's.
    QString Home;
    // A mounted file system's magic number (statfs); may hang. Empty: statfs.
    std::function<std::optional<quint32>(const QString& mountPoint)> FileSystemMagic;
};
// Installs the sources and returns the ones they replace; empty members
// mean the machine's own.
TMountSources SetMountSources(TMountSources sources);
TMountTable ReadMountTable();
// The home folder the volumes are read for (the sources' Home, else this user's).
QString UserHome();

// The kind and locality a file system's type name gives; unknown for a type
// nobody knows (its magic number decides, TMountTable::SettleUnknownTypes).
struct TFileSystemKind
{
    TDriveKind Kind = dkUnknown;
    bool Local = false;
    bool Known = false;
};
TFileSystemKind KindOfType(const QString& fileSystem);
TFileSystemKind KindOfMagic(quint32 magic);
// Whether a mount is one of the user's: the desktop's rule (GIO's
// g_unix_mount_guess_should_display over g_unix_is_system_fs_type and its
// kin), mounts in the given home folder, and "/" always.
bool IsUsersMount(const TVolume& volume, const QString& home);

// Signals a change of the mount table: the kernel marks an open mountinfo
// with poll priority when a volume comes or goes (inotify does not see it).
class TMountWatcher : public QObject
{
    Q_OBJECT
public:
    explicit TMountWatcher(QObject* parent = nullptr);
    ~TMountWatcher() override;

signals:
    void Changed();

private:
    int fd_ = -1;
    QSocketNotifier* notifier_ = nullptr;
};
