// The volumes of a captured mount table: which mounts are volumes, their
// kind, label, serial and network name, and which volume holds a path.
#include "platform/MountTable.h"

#include "MountTableUbuntuDesktop.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QSemaphore>
#include <QTest>
#include <gtest/gtest.h>

namespace {

// A machine with a local disk, a nested /home, a USB stick, tmpfs, a CIFS and
// an NFS share, a CD-ROM, the pseudo file systems, a tmpfs inside /sys, a bind
// mount of a file, and a mount point hidden by a later mount.
const QByteArray Captured = R"(21 26 0:20 / /proc rw,relatime - proc proc rw
22 26 0:21 / /sys rw,relatime - sysfs sysfs rw
23 26 0:6 / /dev rw,relatime - devtmpfs devtmpfs rw
24 23 0:22 / /dev/shm rw,relatime - tmpfs tmpfs rw
26 1 8:1 / / rw,relatime shared:1 - ext4 DISK/sda1 rw
27 26 8:2 / /home rw,relatime shared:2 - ext4 DISK/sda2 rw
30 22 0:27 / /sys/fs/cgroup rw,relatime - tmpfs tmpfs rw,mode=755
31 26 0:40 / /run rw,nosuid - tmpfs tmpfs rw
32 27 0:50 / /home/ann/work rw - cifs //srv/Share rw,vers=3.0
33 26 0:51 / /net/proj rw - nfs4 nas:/export/projects rw
34 26 11:0 / /media/ann/CDROM ro - iso9660 DISK/sr0 ro
35 26 8:17 / /media/ann/My\040Stick rw - vfat DISK/sdb1 rw
36 26 8:1 /etc/hostname /etc/hostname rw - ext4 DISK/sda1 rw
37 26 0:60 / /mnt/over rw - ext4 DISK/sdc1 rw
38 26 0:61 / /mnt/over rw - tmpfs tmpfs rw
)";

class MountTableTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        QDir root(folder_.Path());
        for (const char* path : {"disk/by-label", "disk/by-uuid", "dev", "sys/dev/block",
                                 "sys/devices/sdb/sdb1", "sys/devices/sda/sda1"})
            root.mkpath(path);
        for (const char* device : {"sda1", "sda2", "sdb1", "sr0"})
            WriteAll(folder_.File(QString("dev/") + device), {});
        link("dev/sda1", "disk/by-label/SYSTEM");
        link("dev/sda1", "disk/by-uuid/1111-aaaa");
        link("dev/sdb1", "disk/by-label/MY\\x20STICK");
        link("dev/sr0", "disk/by-label/AUDIO_CD");
        WriteAll(folder_.File("sys/devices/sdb/removable"), "1\n");
        WriteAll(folder_.File("sys/devices/sdb/sdb1/partition"), "1\n");
        WriteAll(folder_.File("sys/devices/sda/removable"), "0\n");
        WriteAll(folder_.File("sys/devices/sda/sda1/partition"), "1\n");
        link("sys/devices/sdb/sdb1", "sys/dev/block/8:17");
        link("sys/devices/sda/sda1", "sys/dev/block/8:1");
        QByteArray text = Captured;
        text.replace("DISK/", (folder_.Path() + "/dev/").toUtf8());
        table_ = TMountTable::Parse(text, folder_.File("disk"), folder_.File("sys"));
    }
    void link(const QString& target, const QString& name)
    {
        ASSERT_TRUE(QFile::link(folder_.File(target), folder_.File(name))) << name.toStdString();
    }

    TempFolder folder_;
    TMountTable table_;
};

} // namespace

TEST_F(MountTableTest, RealVolumesWithKindLabelSerialAndRemoteName)
{
    const struct
    {
        const char* mountPoint;
        TDriveKind kind;
        const char* label;
        const char* serial;
        const char* remote;
    } expected[] = {
        {"/", dkFixed, "SYSTEM", "1111-aaaa", ""},
        {"/home", dkFixed, "", "fsid:8:2", ""},
        {"/home/ann/work", dkRemote, "", "fsid:0:50", "//srv/Share"},
        {"/media/ann/CDROM", dkCDROM, "AUDIO_CD", "fsid:11:0", ""},
        {"/media/ann/My Stick", dkRemovable, "MY STICK", "fsid:8:17", ""},
        {"/mnt/over", dkRAMDisk, "", "fsid:0:61", ""},
        {"/net/proj", dkRemote, "", "fsid:0:51", "//nas/export/projects"},
        {"/run", dkRAMDisk, "", "fsid:0:40", ""},
    };
    ASSERT_EQ(table_.Volumes().size(), std::size(expected));
    for (size_t i = 0; i < std::size(expected); ++i) {
        const TVolume& volume = table_.Volumes()[i];
        const auto& e = expected[i];
        EXPECT_EQ(volume.MountPoint.toStdString(), e.mountPoint);
        EXPECT_EQ(volume.Kind, e.kind) << e.mountPoint;
        EXPECT_EQ(volume.Label.toStdString(), e.label) << e.mountPoint;
        EXPECT_EQ(volume.Serial.toStdString(), e.serial) << e.mountPoint;
        EXPECT_EQ(volume.RemoteName.toStdString(), e.remote) << e.mountPoint;
    }
}

TEST_F(MountTableTest, TheLongestMountHoldsAPath)
{
    const struct
    {
        const char* path;
        const char* mountPoint;
    } cases[] = {{"/", "/"},
                 {"/etc", "/"},
                 {"/proc/1", "/"},
                 {"/home", "/home"},
                 {"/home/ann", "/home"},
                 {"/home/ann/work/x", "/home/ann/work"},
                 {"/home/ann/workshop", "/home"},
                 {"/media/ann/My Stick/a", "/media/ann/My Stick"}};
    for (const auto& c : cases) {
        const TVolume* volume = table_.Containing(c.path);
        ASSERT_NE(volume, nullptr) << c.path;
        EXPECT_EQ(volume->MountPoint.toStdString(), c.mountPoint) << c.path;
    }
    EXPECT_EQ(table_.Containing("relative"), nullptr);
}

TEST_F(MountTableTest, NetworkPathsMapOntoTheirMountPoint)
{
    EXPECT_EQ(table_.RemoteToLocal("//srv/Share/docs/a"), "/home/ann/work/docs/a");
    EXPECT_EQ(table_.RemoteToLocal("//SRV/share"), "/home/ann/work");
    EXPECT_EQ(table_.RemoteToLocal("//nas/export/projects/x"), "/net/proj/x");
    EXPECT_EQ(table_.RemoteToLocal("//srv/Shared/x"), "") << "another share";
    EXPECT_EQ(table_.RemoteToLocal("//other/x"), "");
}

TEST(MountTable, SourcesSeamAndTheRootAlwaysThere)
{
    // A chroot's table has no "/": the root folder is still a volume, the user's and local.
    for (const QByteArray& text :
         {QByteArray(), QByteArray("5 0 0:9 / /proc rw - proc proc rw\n")}) {
        const TMountTable table = TMountTable::Parse(text, "/nonexistent", "/nonexistent");
        ASSERT_EQ(table.Volumes().size(), 1);
        EXPECT_EQ(table.Volumes()[0].MountPoint, "/");
        EXPECT_TRUE(table.Volumes()[0].Users);
        EXPECT_TRUE(table.Volumes()[0].Local);
    }
    const TMountSources previous = SetMountSources(
        {[] { return QByteArray("1 0 8:1 / / rw - ext4 /dev/x rw\n"); }, "/none", "/none", {}, {}});
    EXPECT_EQ(ReadMountTable().Volumes().size(), 1);
    SetMountSources(previous);
}

TEST(MountTable, AnUbuntuDesktopsOwnMountsAndNetworkShares)
{
    const TMountTable table =
        TMountTable::Parse(UbuntuDesktopMountInfo, "/nonexistent", "/nonexistent", "/home/ann");
    const struct
    {
        const char* mountPoint;
        TDriveKind kind;
        bool local;
        int users; // -1: as the machine's /media/ann lets GIO see it
    } expected[] = {
        {"/", dkFixed, true, 1},
        {"/boot/efi", dkFixed, true, 0},
        {"/home/ann/.cache/doc", dkRemote, false, 0},
        {"/home/ann/GoogleDrive", dkRemote, false, 1},
        {"/home/ann/Nextcloud", dkRemote, false, 1},
        {"/home/ann/server", dkRemote, false, 1},
        {"/media/ann/KINGSTON", dkFixed, true, -1},
        {"/mnt/nas", dkRemote, false, 0},
        {"/run", dkRAMDisk, true, 0},
        {"/run/lock", dkRAMDisk, true, 0},
        {"/run/user/1000", dkRAMDisk, true, 0},
        {"/snap/core22/1380", dkFixed, true, 0},
        {"/snap/firefox/4336", dkFixed, true, 0},
        {"/snap/snapd/21759", dkFixed, true, 0},
    };
    ASSERT_EQ(table.Volumes().size(), std::size(expected));
    for (size_t i = 0; i < std::size(expected); ++i) {
        const TVolume& volume = table.Volumes()[i];
        const auto& e = expected[i];
        EXPECT_EQ(volume.MountPoint.toStdString(), e.mountPoint);
        EXPECT_EQ(volume.Kind, e.kind) << e.mountPoint;
        EXPECT_EQ(volume.Local, e.local) << e.mountPoint;
        if (e.users >= 0) {
            EXPECT_EQ(volume.Users, bool(e.users)) << e.mountPoint;
        }
    }
    EXPECT_EQ(table.Find("/home/ann/Nextcloud")->RemoteName,
              "//cloud.example.org/remote.php/dav/files/ann");
    for (const char* type : {"davfs", "ceph", "fuse.glusterfs", "fuse.s3fs", "afs", "cifs", "smb3"})
        EXPECT_EQ(KindOfType(type).Kind, dkRemote) << type;
}

// A file system of a type nobody knows is what its magic number says; a
// probe that hangs leaves it unknown and not local, and answers the next table.
TEST(MountTable, UnknownTypesBySlowOrHangingMagic)
{
    auto gate = std::make_shared<QSemaphore>();
    const struct
    {
        const char* what;
        quint32 magic;
        bool hangs;
        TDriveKind kind;
        bool local;
    } cases[] = {{"NFS", 0x6969, false, dkRemote, false},
                 {"ext4", 0xEF53, false, dkFixed, true},
                 {"FUSE, anything", 0x65735546, false, dkUnknown, false},
                 {"hangs, then NFS", 0x6969, true, dkRemote, false}};
    int device = 0;
    for (const auto& c : cases) {
        // Each case its own device: answers are kept per mount.
        const QByteArray text =
            "1 0 8:1 / / rw - ext4 /dev/x rw\n2 1 0:" + QByteArray::number(++device) +
            " / /m rw - fuse.mystery m rw\n";
        const TMountSources previous =
            SetMountSources({[text] { return text; }, "/none", "/none", "/m",
                             [gate, c](const QString&) {
                                 if (c.hangs)
                                     gate->acquire();
                                 return std::optional<quint32>(c.magic);
                             }});
        if (c.hangs) {
            const TVolume volume = *ReadMountTable().Find("/m"); // came back all the same
            EXPECT_TRUE(volume.Kind == dkUnknown && !volume.Local);
            gate->release();
        }
        // The answer comes on its thread; a late one serves the next table.
        EXPECT_TRUE(QTest::qWaitFor([&] {
            const TVolume volume = *ReadMountTable().Find("/m");
            return volume.Kind == c.kind && volume.Local == c.local;
        })) << c.what;
        SetMountSources(previous);
    }
}
