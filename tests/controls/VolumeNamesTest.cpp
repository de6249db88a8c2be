// Volume names in the three network styles, network roots and paths, and the
// volume of the current folder, from a captured mount table.
#include "controls/FrFilSys.h"

#include <QDir>
#include <gtest/gtest.h>

namespace {

TMountTable Table()
{
    return TMountTable::Parse(R"(26 1 8:1 / / rw - ext4 /dev/sda1 rw
27 26 8:2 / /home rw - ext4 /dev/sda2 rw
31 26 0:40 / /run rw - tmpfs tmpfs rw
32 26 0:50 / /mnt/data rw - cifs //srv/Share rw
33 26 0:51 / /net/proj rw - nfs4 nas:/export/projects rw
34 26 11:0 / /media/ann/CDROM ro - iso9660 /dev/sr0 ro
)",
                              "/nonexistent", "/nonexistent");
}

} // namespace

TEST(VolumeNames, DisplayNamesInEachStyle)
{
    const TMountTable table = Table();
    const struct
    {
        const char* mountPoint;
        TNetworkVolumeFormat format;
        const char* text;
    } cases[] = {
        {"/mnt/data", nvfExplorer, "Data on 'Srv' (/mnt/data)"},
        {"/mnt/data", nvfUNC, "//Srv/Share (/mnt/data)"},
        {"/mnt/data", nvfVolumeOnly, "Data (/mnt/data)"},
        {"/net/proj", nvfExplorer, "Proj on 'Nas' (/net/proj)"},
        {"/net/proj", nvfUNC, "//Nas/Export/Projects (/net/proj)"},
        {"/home", nvfUNC, "Home (/home)"},
        {"/", nvfExplorer, "/"},
        {"/media/ann/CDROM", nvfExplorer, "Cdrom (/media/ann/CDROM)"},
        {"/nowhere", nvfExplorer, "(/nowhere)"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(GetVolumeDisplayName(table, c.mountPoint, c.format).Text.toStdString(), c.text)
            << c.mountPoint << " " << int(c.format);
    EXPECT_EQ(GetVolumeSerial(table, "/run"), "fsid:0:40");
    EXPECT_EQ(GetVolumeSerial(table, "/nowhere"), "") << "an unreadable volume has no serial";
}

TEST(VolumeNames, NetworkRootsAndPaths)
{
    const TMountTable table = Table();
    EXPECT_EQ(GetUncRoot(table, "/mnt/data"), "//Srv/Share");
    EXPECT_EQ(GetUncRoot(table, "/home"), "");
    EXPECT_EQ(ServerOfUnc("//Srv/Share"), "Srv");
    EXPECT_EQ(UncToDrivePath(table, "//srv/share/Dir"), "/mnt/data/Dir");
    EXPECT_EQ(UncToDrivePath(table, "//other/share/Dir"), "");
    EXPECT_EQ(UncToDrivePath(table, "/home/Ann"), "/home/Ann") << "local paths keep their case";
}

TEST(VolumeNames, CurrentDriveRoot)
{
    const QString previous = QDir::currentPath();
    const TMountTable table = Table();
    ASSERT_TRUE(QDir::setCurrent("/run")) << "the test machine has /run";
    EXPECT_EQ(CurrentDriveRoot(table), "/run");
    ASSERT_TRUE(QDir::setCurrent("/"));
    EXPECT_EQ(CurrentDriveRoot(table), "/");
    QDir::setCurrent(previous);
}
