// What a mounted file system is: its kind and whether it is known to be
// local, by its type name, else by the magic number statfs reports. Only a
// local file system may be read on the GUI thread; a network share, or a
// file system nobody knows, may never answer.
#include "platform/MountTable.h"

#include <QHash>
#include <QMutex>
#include <QSet>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>

namespace {

QSet<QString> Names(const char* list)
{
    const QStringList names = QString::fromLatin1(list).split(' ', Qt::SkipEmptyParts);
    return {names.cbegin(), names.cend()};
}

// GIO's remote file systems, and those a desktop meets beside them.
const QSet<QString>& NetworkTypes()
{
    static const QSet<QString> names =
        Names("nfs nfs4 cifs smb3 smbfs smb smb2 ncpfs ncp coda afs openafs 9p sshfs fuse.sshfs "
              "davfs fuse.davfs fuse.davfs2 fuse.rclone rclone ceph fuse.ceph fuse.ceph-fuse "
              "glusterfs fuse.glusterfs s3fs fuse.s3fs fuse.s3ql fuse.goofys fuse.gcsfuse "
              "fuse.juicefs fuse.curlftpfs fuse.smbnetfs fuse.onedriver lustre beegfs orangefs "
              "pvfs2 gpfs fuse.mfs moosefs fuse.lizardfs fuse.seaweedfs");
    return names;
}

// File systems on a local device or in memory, whatever their mount point.
const QSet<QString>& LocalTypes()
{
    static const QSet<QString> names =
        Names("ext2 ext3 ext4 xfs btrfs f2fs jfs reiserfs zfs vfat msdos exfat ntfs ntfs3 fuseblk "
              "hfs hfsplus apfs ufs minix nilfs2 bcachefs erofs squashfs overlay ecryptfs zonefs "
              "fuse.snapfuse fuse.squashfuse fuse.bindfs fuse.mergerfs fuse.encfs fuse.gocryptfs "
              "fuse.cryfs fuse.ntfs-3g fuse.exfat fuse.lxcfs");
    return names;
}

// The statfs magic numbers of the network file systems.
const QSet<quint32>& NetworkMagics()
{
    static const QSet<quint32> magics{
        0x6969,     // NFS
        0x517B,     // SMB
        0xFF534D42, // CIFS
        0xFE534D42, // SMB2
        0x564C,     // NCP
        0x73757245, // CODA
        0x5346414F, // AFS
        0x6B414653, // kAFS
        0x00C36400, // CEPH
        0x01021997, // 9P
        0x0BD00BD0, // LUSTRE
        0x19830326, // BEEGFS
    };
    return magics;
}

// The statfs magic numbers of local file systems, with their kind.
const QHash<quint32, TDriveKind>& LocalMagics()
{
    static const QHash<quint32, TDriveKind> magics{
        {0xEF53, dkFixed},     {0x58465342, dkFixed},   {0x9123683E, dkFixed},
        {0xF2F52010, dkFixed}, {0x3153464A, dkFixed},   {0x52654973, dkFixed},
        {0x2FC12FC1, dkFixed}, {0x4D44, dkFixed},       {0x2011BAB0, dkFixed},
        {0x5346544E, dkFixed}, {0x482B, dkFixed},       {0x3434, dkFixed},
        {0xCA451A4E, dkFixed}, {0xE0F5E1E2, dkFixed},   {0x73717368, dkFixed},
        {0x794C7630, dkFixed}, {0x01021994, dkRAMDisk}, {0x858458F6, dkRAMDisk},
        {0x9660, dkCDROM},     {0x15013346, dkCDROM}};
    return magics;
}

// Answers of probes that came after their table was built, and the probes
// still running, by mount point, device and type: a hanging probe is never
// started twice, and its late answer serves the next table.
struct TProbeCache
{
    QMutex lock;
    QHash<QString, std::optional<quint32>> answers;
    QSet<QString> running;
};

TProbeCache& Cache()
{
    static TProbeCache* cache = new TProbeCache; // outlives the probes still running at exit
    return *cache;
}

} // namespace

TFileSystemKind KindOfType(const QString& fileSystem)
{
    if (NetworkTypes().contains(fileSystem))
        return {dkRemote, false, true};
    if (fileSystem == "tmpfs" || fileSystem == "ramfs")
        return {dkRAMDisk, true, true};
    if (fileSystem == "iso9660" || fileSystem == "udf")
        return {dkCDROM, true, true};
    if (LocalTypes().contains(fileSystem))
        return {dkFixed, true, true};
    return {};
}

TFileSystemKind KindOfMagic(quint32 magic)
{
    if (NetworkMagics().contains(magic))
        return {dkRemote, false, true};
    if (const auto local = LocalMagics().constFind(magic); local != LocalMagics().constEnd())
        return {*local, true, true};
    // FUSE, or a file system nobody knows: it may be anywhere.
    return {};
}

void TMountTable::SettleUnknownTypes(
    const std::function<std::optional<quint32>(const QString&)>& probe, int waitMs)
{
    struct TWait
    {
        std::mutex lock;
        std::condition_variable done;
        int pending = 0;
    };
    auto wait = std::make_shared<TWait>();
    QList<TVolume*> unknown;
    TProbeCache& cache = Cache();
    {
        QMutexLocker locker(&cache.lock);
        for (TVolume& volume : volumes_) {
            if (KindOfType(volume.FileSystem).Known || volume.FileSystem.isEmpty())
                continue;
            const QString key = volume.MountPoint + '\n' + volume.Device + '\n' + volume.FileSystem;
            unknown << &volume;
            if (cache.answers.contains(key) || cache.running.contains(key))
                continue;
            cache.running.insert(key);
            ++wait->pending;
            std::thread([probe, key, wait, mountPoint = volume.MountPoint] {
                const std::optional<quint32> magic = probe(mountPoint);
                TProbeCache& cache = Cache();
                {
                    QMutexLocker locker(&cache.lock);
                    cache.running.remove(key);
                    cache.answers.insert(key, magic);
                }
                std::lock_guard<std::mutex> guard(wait->lock);
                --wait->pending;
                wait->done.notify_all();
            }).detach();
        }
    }
    {
        std::unique_lock<std::mutex> guard(wait->lock);
        wait->done.wait_for(guard, std::chrono::milliseconds(waitMs),
                            [&] { return wait->pending == 0; });
    }
    QMutexLocker locker(&cache.lock);
    for (TVolume* volume : std::as_const(unknown)) {
        const QString key = volume->MountPoint + '\n' + volume->Device + '\n' + volume->FileSystem;
        const std::optional<quint32> magic = cache.answers.value(key);
        const TFileSystemKind kind = magic ? KindOfMagic(*magic) : TFileSystemKind();
        volume->Kind = kind.Kind;
        volume->Local = kind.Local;
    }
}
