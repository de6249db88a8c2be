// The registry file: keys as sections found without regard to letter case,
// read-only and creating opens, values and subkeys, hand-written files.
#include "platform/core/Registry.h"

#include "platform/core/Exceptions.h"
#include "platform/core/SystemInfo.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

namespace {

// The test helper's name is also the name of the temporary-folder look-up.
using TestFolder = class TempFolder;

const char* const kProduct = "\\Software\\Tessaly Software\\Orlo";

} // namespace

TEST(Registry, LivesInTheConfigurationFolder)
{
    EXPECT_EQ(TRegistry::DefaultFileName(), ConfigFolder() + "/registry.ini");
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey("\\Software\\Probe", true));
    reg.WriteString("X", "1");
    EXPECT_TRUE(QFile::exists(ConfigFolder() + "/registry.ini"));
    QFile::remove(ConfigFolder() + "/registry.ini");
}

TEST(Registry, ReadsAHandWrittenFileWithoutRegardToLetterCase)
{
    TestFolder dir;
    WriteAll(dir.File("registry.ini"), "[\\Software\\Tessaly Software\\Orlo\\Alias:Standard]\n"
                                       "DatabasePath=/home/ann/kiv/\n"
                                       "\n"
                                       "[Software\\TESSALY software\\orlo\\Options\\]\n"
                                       "TempDir = \\SQLLantern\n");
    TRegistry reg(dir.File("registry.ini"));

    ASSERT_TRUE(reg.OpenKeyReadOnly("\\SOFTWARE\\tessaly software\\ORLO\\alias:standard"));
    EXPECT_EQ(reg.CurrentPath(), "\\SOFTWARE\\tessaly software\\ORLO\\alias:standard");
    EXPECT_TRUE(reg.ValueExists("databasepath"));
    EXPECT_EQ(reg.ReadString("DATABASEPATH"), "/home/ann/kiv/");
    EXPECT_EQ(reg.ReadString("Missing"), "");
    EXPECT_EQ(reg.GetValueNames(), QStringList({"DatabasePath"}));

    // A header without the leading or with a trailing separator names the same key.
    ASSERT_TRUE(reg.OpenKeyReadOnly(QString(kProduct) + "\\Options"));
    EXPECT_EQ(reg.ReadString("TempDir"), "\\SQLLantern");
}

TEST(Registry, ReadOnlyOpenNeverCreatesAndRefusesWrites)
{
    TestFolder dir;
    const QString file = dir.File("registry.ini");
    TRegistry reg(file);
    EXPECT_FALSE(reg.OpenKeyReadOnly(kProduct));
    EXPECT_FALSE(reg.OpenKey(kProduct, false));
    EXPECT_EQ(reg.CurrentPath(), "");
    EXPECT_FALSE(QFile::exists(file));

    reg.SetAccess(TRegistry::KEY_READ);
    EXPECT_FALSE(reg.OpenKey(kProduct, true)) << "creating needs full access";
    EXPECT_FALSE(QFile::exists(file));

    WriteAll(file, "[\\Software\\Tessaly Software\\Orlo]\nA=1\n");
    ASSERT_TRUE(reg.OpenKeyReadOnly(kProduct));
    EXPECT_THROW(reg.WriteString("A", "2"), EInOutError);
    reg.SetAccess(TRegistry::KEY_ALL_ACCESS);
    ASSERT_TRUE(reg.OpenKeyReadOnly(kProduct));
    EXPECT_THROW(reg.WriteString("A", "2"), EInOutError) << "a read-only open stays read-only";
    reg.CloseKey();
    EXPECT_THROW(reg.WriteString("A", "2"), EInOutError);
    EXPECT_EQ(ReadAll(file), QByteArray("[\\Software\\Tessaly Software\\Orlo]\nA=1\n"));
}

TEST(Registry, CreatingOpenAddsOnlyTheKeysSection)
{
    TestFolder dir;
    const QString file = dir.File("registry.ini");
    TRegistry reg(file);
    ASSERT_TRUE(reg.OpenKey(QString(kProduct) + "\\Options", true));
    EXPECT_EQ(ReadAll(file), QByteArray("[\\Software\\Tessaly Software\\Orlo\\Options]\n"));

    // Parents exist through the path, and opening them creates nothing.
    TRegistry other(file);
    EXPECT_TRUE(other.KeyExists("\\software"));
    EXPECT_TRUE(other.OpenKey(kProduct, true));
    EXPECT_FALSE(other.KeyExists("\\Software\\Tessaly"));
    EXPECT_EQ(ReadAll(file), QByteArray("[\\Software\\Tessaly Software\\Orlo\\Options]\n"));

    // A relative path goes below the open key.
    ASSERT_TRUE(other.OpenKey("Alias:Training", true));
    EXPECT_EQ(other.CurrentPath(), QString(kProduct) + "\\Alias:Training");
    other.WriteString("DatabasePath", "/srv/training/");
    ASSERT_TRUE(reg.OpenKeyReadOnly(QString(kProduct) + "\\ALIAS:TRAINING"));
    EXPECT_EQ(reg.ReadString("databasepath"), "/srv/training/");
}

TEST(Registry, WritesKeepValuesExactlyAndLeaveNoTemporaryFiles)
{
    TestFolder dir;
    const QString file = dir.File("registry.ini");
    TRegistry reg(file);
    ASSERT_TRUE(reg.OpenKey("\\Control Panel\\International", true));
    reg.WriteString("sThousand", " ");
    reg.WriteString("sShortDate", "dd.MM.yyyy");
    reg.WriteString("SSHORTDATE", "d/M/yy");
    EXPECT_EQ(reg.ReadString("sThousand"), " ");
    EXPECT_EQ(reg.ReadString("sShortDate"), "d/M/yy");
    EXPECT_EQ(ReadAll(file),
              QByteArray("[\\Control Panel\\International]\nsThousand= \nsShortDate=d/M/yy\n"));
    EXPECT_EQ(QDir(dir.Path()).entryList(QDir::Files | QDir::Hidden),
              QStringList({"registry.ini"}));
}

TEST(Registry, ListsDirectSubkeysFromAllPathsBelowTheKey)
{
    TestFolder dir;
    WriteAll(dir.File("registry.ini"), "[\\Software\\Tessaly Software\\Orlo\\Alias:Standard]\n"
                                       "[\\Software\\Tessaly Software\\Orlo\\Options]\n"
                                       "[\\software\\tessaly software\\orlo\\alias:Training]\n"
                                       "[\\Software\\Tessaly Software\\Orlo\\Deep\\Er\\Est]\n"
                                       "[\\Software\\Tessaly Software\\Orlo\\OPTIONS\\Sub]\n"
                                       "[\\Software\\Tessaly Software\\Orloff\\NotMine]\n"
                                       "[\\Software\\Other]\n");
    TRegistry reg(dir.File("registry.ini"));
    ASSERT_TRUE(reg.OpenKeyReadOnly(kProduct));
    EXPECT_EQ(reg.GetKeyNames(),
              QStringList({"Alias:Standard", "Options", "alias:Training", "Deep"}));
    ASSERT_TRUE(reg.OpenKeyReadOnly("Deep"));
    EXPECT_EQ(reg.GetKeyNames(), QStringList({"Er"}));
    ASSERT_TRUE(reg.OpenKeyReadOnly("\\"));
    EXPECT_EQ(reg.GetKeyNames(), QStringList({"Software"}));
    reg.CloseKey();
    EXPECT_TRUE(reg.GetKeyNames().isEmpty());
}
