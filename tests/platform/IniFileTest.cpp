// The INI reader and writer on hand-written files: letter case, lines it must
// keep, the two value layouts, atomic rewrites and refused input.
#include "platform/core/IniFile.h"

#include "platform/core/Exceptions.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

namespace {

const QByteArray kHandWritten = "; settings of ann\n"
                                "\n"
                                "[Paths]\n"
                                "Data=/home/ann/kiv/\n"
                                "Spaced = some value  \n"
                                "Blank= \n"
                                "Eq=a=b\n"
                                "no equals sign here\n"
                                "\n"
                                "[Other]\n"
                                "Data=second\n";

} // namespace

TEST(IniFile, ReadsHandWrittenFileWithoutRegardToLetterCase)
{
    TempFolder dir;
    WriteAll(dir.File("a.ini"), kHandWritten);
    const TIniFile ini(dir.File("a.ini"));

    EXPECT_EQ(ini.ReadString("paths", "DATA", "x"), "/home/ann/kiv/");
    EXPECT_EQ(ini.ReadString("PATHS", "spaced", "x"), "some value");
    EXPECT_EQ(ini.ReadString("Paths", "Blank", "x"), " ") << "a blank value written tight is kept";
    EXPECT_EQ(ini.ReadString("Paths", "Eq", "x"), "a=b");
    EXPECT_EQ(ini.ReadString("Paths", "Missing", "dflt"), "dflt");
    EXPECT_EQ(ini.ReadString("Other", "Data", "x"), "second");
    EXPECT_EQ(ini.ReadString("Nowhere", "Data", "dflt"), "dflt");

    EXPECT_EQ(ini.ReadSections(), QStringList({"Paths", "Other"}));
    EXPECT_EQ(ini.ReadSection("PATHS"), QStringList({"Data", "Spaced", "Blank", "Eq"}));
    EXPECT_EQ(ini.ReadSectionValues("paths"),
              QStringList({"Data=/home/ann/kiv/", "Spaced=some value", "Blank= ", "Eq=a=b"}));
    EXPECT_TRUE(ini.SectionExists("other"));
    EXPECT_FALSE(ini.SectionExists("Data"));
    EXPECT_TRUE(ini.ValueExists("OTHER", "data"));
    EXPECT_FALSE(ini.ValueExists("Other", "Spaced"));
}

TEST(IniFile, MissingFileReadsAsEmptyAndWritingCreatesFileAndFolder)
{
    TempFolder dir;
    const QString name = dir.File("deep/er/new.ini");
    TIniFile ini(name);
    EXPECT_EQ(ini.ReadString("S", "N", "dflt"), "dflt");
    EXPECT_TRUE(ini.ReadSections().isEmpty());
    EXPECT_FALSE(QFile::exists(name)) << "reading never creates";

    ini.WriteString("S", "N", "v");
    ini.WriteString("T", "M", "w");
    EXPECT_EQ(ReadAll(name), QByteArray("[S]\nN=v\n\n[T]\nM=w\n"));
}

TEST(IniFile, WritingKeepsOtherLinesAndTheFirstSpellingOfNames)
{
    TempFolder dir;
    WriteAll(dir.File("a.ini"), kHandWritten);
    TIniFile ini(dir.File("a.ini"));

    ini.WriteString("PATHS", "data", "/srv/kiv/");
    ini.WriteString("paths", "Added", "1");
    ini.WriteString("New Section", "K", "v");
    EXPECT_EQ(ReadAll(dir.File("a.ini")), QByteArray("; settings of ann\n"
                                                     "\n"
                                                     "[Paths]\n"
                                                     "Data=/srv/kiv/\n"
                                                     "Spaced = some value  \n"
                                                     "Blank= \n"
                                                     "Eq=a=b\n"
                                                     "Added=1\n"
                                                     "no equals sign here\n"
                                                     "\n"
                                                     "[Other]\n"
                                                     "Data=second\n"
                                                     "\n"
                                                     "[New Section]\n"
                                                     "K=v\n"));
}

TEST(IniFile, KeepsLineEndingsByteOrderMarkAndNonAsciiText)
{
    TempFolder dir;
    WriteAll(dir.File("a.ini"), "\xEF\xBB\xBF[S]\r\nName=M\xC3\xBCller\r\n");
    TIniFile ini(dir.File("a.ini"));
    EXPECT_EQ(ini.ReadString("s", "name", ""), QStringLiteral("Müller"));
    ini.WriteString("S", "Other", QStringLiteral("Grüße"));
    EXPECT_EQ(ReadAll(dir.File("a.ini")),
              QByteArray("\xEF\xBB\xBF[S]\r\nName=M\xC3\xBCller\r\nOther=Gr\xC3\xBC\xC3\x9F"
                         "e\r\n"));
}

TEST(IniFile, SectionsAreCreatedErasedAndValuesDeleted)
{
    TempFolder dir;
    TIniFile ini(dir.File("a.ini"));
    ini.CreateSection("\\Software\\A");
    ini.CreateSection("\\SOFTWARE\\a");
    EXPECT_EQ(ini.ReadSections(), QStringList({"\\Software\\A"}));
    EXPECT_TRUE(ini.ReadSection("\\software\\a").isEmpty());

    ini.WriteString("B", "X", "1");
    ini.WriteString("B", "Y", "2");
    ini.DeleteKey("b", "x");
    EXPECT_EQ(ini.ReadSectionValues("B"), QStringList({"Y=2"}));
    ini.EraseSection("\\software\\A");
    EXPECT_EQ(ini.ReadSections(), QStringList({"B"}));
    EXPECT_EQ(ReadAll(dir.File("a.ini")), QByteArray("[B]\nY=2\n"));
}

TEST(IniFile, EveryCallSeesTheFileAsItIsNow)
{
    TempFolder dir;
    TIniFile first(dir.File("a.ini"));
    TIniFile second(dir.File("a.ini"));
    first.WriteString("S", "N", "1");
    EXPECT_EQ(second.ReadString("S", "N", ""), "1");
    WriteAll(dir.File("a.ini"), "[S]\nN=edited by hand\n");
    EXPECT_EQ(first.ReadString("S", "N", ""), "edited by hand");
    second.WriteString("S", "M", "2");
    EXPECT_EQ(first.ReadSectionValues("S"), QStringList({"N=edited by hand", "M=2"}));
}

TEST(IniFile, RewriteLeavesNoTemporaryFilesBehind)
{
    TempFolder dir;
    TIniFile ini(dir.File("a.ini"));
    for (int i = 0; i < 5; ++i)
        ini.WriteString("S", QStringLiteral("N%1").arg(i), "v");
    ini.EraseSection("S");
    EXPECT_EQ(QDir(dir.Path()).entryList(QDir::Files | QDir::Hidden), QStringList({"a.ini"}));
}

TEST(IniFile, RefusesTextThatWouldBreakTheFileAndChangesNothing)
{
    TempFolder dir;
    TIniFile ini(dir.File("a.ini"));
    ini.WriteString("S", "N", "v");
    const QByteArray before = ReadAll(dir.File("a.ini"));
    const struct
    {
        const char* section;
        const char* ident;
        const char* value;
    } bad[] = {
        {"S", "N", "two\nlines"}, {"S", "N", "cr\rhere"}, {"S", "a=b", "v"},
        {"S", "[X]", "v"},        {"S", "", "v"},         {"S", " padded", "v"},
        {"a]b", "N", "v"},        {"", "N", "v"},         {"S\n[T]", "N", "v"},
    };
    for (const auto& c : bad)
        EXPECT_THROW(ini.WriteString(c.section, c.ident, c.value), EInOutError)
            << c.section << " / " << c.ident;
    EXPECT_EQ(ReadAll(dir.File("a.ini")), before);
}

TEST(IniFile, UnreadableFileIsNeverReplacedByAWrite)
{
    TempFolder dir;
    WriteAll(dir.File("a.ini"), "[S]\nN=precious\n");
    QFile::setPermissions(dir.File("a.ini"), QFileDevice::WriteOwner);
    QFile probe(dir.File("a.ini"));
    if (probe.open(QIODevice::ReadOnly))
        GTEST_SKIP() << "running with rights that read any file";
    TIniFile ini(dir.File("a.ini"));
    EXPECT_EQ(ini.ReadString("S", "N", "dflt"), "dflt");
    EXPECT_THROW(ini.WriteString("S", "M", "v"), EInOutError);
    QFile::setPermissions(dir.File("a.ini"), QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    EXPECT_EQ(ReadAll(dir.File("a.ini")), QByteArray("[S]\nN=precious\n"));
}
