// The options store: defaults from the executable, the property writers'
// trimming and separator rules, and both backends.
#include "store/OptionsFile.h"

#include "StoreFixture.h"
#include "platform/core/IniFile.h"
#include "platform/core/SystemInfo.h"

#include <QFile>
#include <QFileInfo>
#include <QMetaProperty>

namespace {

class OptionsFileTest : public StoreTest
{
};

} // namespace

TEST_F(OptionsFileTest, DefaultsAreNamedAfterTheExecutable)
{
    const TOptionsFile options;
    const QFileInfo executable(ExecutablePath());
    EXPECT_EQ(options.FileName(), executable.completeBaseName() + ".INI");
    EXPECT_EQ(options.FilePath(), executable.absolutePath() + "/");
    EXPECT_EQ(options.RegPath(), executable.completeBaseName() + "\\");
    EXPECT_EQ(options.ParentKey(), "\\Software\\Tessaly Software\\");
    EXPECT_EQ(options.Section(), "Main");
    EXPECT_EQ(options.SubKey(), "Main");
    EXPECT_TRUE(options.UseRegistry());
    EXPECT_FALSE(options.UseINIFile());
}

TEST_F(OptionsFileTest, PropertiesAreDeclaredInOrderWithTheirStreaming)
{
    const QMetaObject& meta = TOptionsFile::staticMetaObject;
    const struct
    {
        const char* name;
        bool stored;
    } expected[] = {{"FileName", true},    {"ParentKey", true},  {"FilePath", true},
                    {"RegPath", true},     {"Section", true},    {"SubKey", false},
                    {"UseINIFile", false}, {"UseRegistry", true}};
    ASSERT_EQ(meta.propertyCount() - meta.propertyOffset(), int(std::size(expected)));
    for (int i = 0; i < int(std::size(expected)); ++i) {
        const QMetaProperty property = meta.property(meta.propertyOffset() + i);
        EXPECT_STREQ(property.name(), expected[i].name);
        EXPECT_EQ(property.isStored(), expected[i].stored) << expected[i].name;
    }
}

TEST_F(OptionsFileTest, FolderLikeWritersTrimAndCloseWithASeparator)
{
    const struct
    {
        const char* in;
        const char* out;
    } cases[] = {{"Orlo", "Orlo\\"}, {"Orlo/", "Orlo/"}, {"Orlo\\", "Orlo\\"},
                 {"   ", ""},        {"", ""},           {"  \\Software\\X", "\\Software\\X\\"},
                 {" a b ", "a b\\"}};
    for (const auto& c : cases) {
        TOptionsFile options;
        options.SetRegPath(c.in);
        options.SetParentKey(c.in);
        options.SetFilePath(c.in);
        EXPECT_EQ(options.RegPath(), c.out) << c.in;
        EXPECT_EQ(options.ParentKey(), c.out) << c.in;
        EXPECT_EQ(options.FilePath(), c.out) << c.in;
    }
}

TEST_F(OptionsFileTest, FileNameWithAFolderMovesTheFolderIntoFilePath)
{
    TOptionsFile options;
    options.SetFilePath("/keep/");
    options.SetFileName("OrloOptions.Ini");
    EXPECT_EQ(options.FileName(), "OrloOptions.Ini");
    EXPECT_EQ(options.FilePath(), "/keep/");
    options.SetFileName("/etc/tessaly/Other.ini");
    EXPECT_EQ(options.FileName(), "Other.ini");
    EXPECT_EQ(options.FilePath(), "/etc/tessaly/");
    options.SetFileName("C:\\Windows\\OrloOptions.Ini");
    EXPECT_EQ(options.FileName(), "OrloOptions.Ini");
    EXPECT_EQ(options.FilePath(), "C:\\Windows\\");

    options.SetUseINIFile(true);
    EXPECT_FALSE(options.UseRegistry());
    options.SetSubKey("Alias:X");
    EXPECT_EQ(options.Section(), "Alias:X");
}

TEST_F(OptionsFileTest, RegistryReadsNeverCreateAndSectionValuesStay)
{
    TOptionsFile options;
    options.SetRegPath("Orlo");
    options.SetSection("Options");
    EXPECT_EQ(options.ReadValue("DatabasePath", "dflt"), "dflt");
    EXPECT_EQ(options.ReadSectionValue("Alias:Standard", "DatabasePath", "dflt"), "dflt");
    EXPECT_FALSE(QFile::exists(ConfigFile("registry.ini")));

    WriteAll(ConfigFile("registry.ini"), "[\\Software\\Tessaly Software\\Orlo\\Alias:Standard]\n"
                                         "DatabasePath=/home/ann/kiv/\n");
    EXPECT_EQ(options.ReadValue("DatabasePath", "dflt"), "/home/ann/kiv/")
        << "the section named last is still in force";
    EXPECT_EQ(options.Section(), "Alias:Standard");

    options.WriteSectionValue("Alias:Training", "DatabasePath", "/srv/training/");
    EXPECT_EQ(options.Section(), "Alias:Training");
    options.WriteValue("Extra", "1");
    EXPECT_EQ(RegistryText(), QByteArray("[\\Software\\Tessaly Software\\Orlo\\Alias:Standard]\n"
                                         "DatabasePath=/home/ann/kiv/\n"
                                         "\n"
                                         "[\\Software\\Tessaly Software\\Orlo\\Alias:Training]\n"
                                         "DatabasePath=/srv/training/\n"
                                         "Extra=1\n"));
}

TEST_F(OptionsFileTest, RegistryListingCreatesTheProductKey)
{
    TOptionsFile options;
    options.SetRegPath("Orlo/");
    QStringList list{"stale"};
    options.ListSections(list);
    EXPECT_TRUE(list.isEmpty());
    EXPECT_EQ(RegistryText(), QByteArray("[\\Software\\Tessaly Software\\Orlo]\n"));

    options.WriteSectionValue("Options", "A", "1");
    options.WriteSectionValue("Alias:Standard", "DatabasePath", "/x/");
    options.ListSections(list);
    EXPECT_EQ(list, QStringList({"Options", "Alias:Standard"}));
}

TEST_F(OptionsFileTest, IniBackendUsesFilePathAndFileNameOfItsFirstUse)
{
    TestFolder dir;
    TOptionsFile options;
    options.SetUseINIFile(true);
    options.SetFilePath(dir.Path().replace('/', '\\'));
    options.SetFileName("OrloOptions.Ini");
    options.SetSection("Options");
    EXPECT_EQ(options.ReadValue("A", "dflt"), "dflt");

    options.SetFilePath("/elsewhere/");
    options.WriteSectionValue("Alias:Standard", "DatabasePath", "/home/ann/kiv/");
    EXPECT_EQ(ReadAll(dir.File("OrloOptions.Ini")),
              QByteArray("[Alias:Standard]\nDatabasePath=/home/ann/kiv/\n"));
    EXPECT_EQ(options.ReadSectionValue("ALIAS:standard", "databasepath", ""), "/home/ann/kiv/");
    QStringList list;
    options.ListSections(list);
    EXPECT_EQ(list, QStringList({"Alias:Standard"}));
    EXPECT_FALSE(QFile::exists(ConfigFile("registry.ini")));
}
