// The machine's volumes: the real mounted file systems of the mount table,
// with their kind, label, serial and network name. Everything comes from
// texts (/proc/self/mountinfo, /dev/disk/by-label, /dev/disk/by-uuid, the
// removable flag in /sys): nothing here touches a mounted volume, so a dead
// network mount can never hang the caller. Tests feed captured texts and
// folders through the sources seam.
#pragma once

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QString>
#include <functional>

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
};

class TMountTable
{
public:
    TMountTable() = default;
    // The volumes of a mountinfo text; labels, UUIDs and removable flags are
    // looked up under the given folders ("/dev/disk", "/sys").
    static TMountTable Parse(const QByteArray& mountinfo, const QString& diskFolder,
                             const QString& sysFolder);

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
};
// Installs the sources and returns the ones they replace; empty members
// mean the machine's own.
TMountSources SetMountSources(TMountSources sources);
TMountTable ReadMountTable();

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
