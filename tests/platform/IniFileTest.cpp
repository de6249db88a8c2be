// The INI reader and writer on hand-written files: letter case, lines it must
// keep, the two value layouts, atomic rewrites and refused input.
#include "platform/core/IniFile.h"

#include "platform/core/Exceptions.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <csignal>
#include <functional>
#include <gtest/gtest.h>
#include <sys/resource.h>

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

    // A file kept as a link: the link stays, the file it points to changes.
    ASSERT_TRUE(QFile::link(dir.File("a.ini"), dir.File("link.ini")));
    TIniFile(dir.File("link.ini")).WriteString("T", "N", "v");
    EXPECT_TRUE(QFileInfo(dir.File("link.ini")).isSymLink());
    EXPECT_EQ(ReadAll(dir.File("a.ini")), QByteArray("[T]\nN=v\n"));
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

TEST(IniFile, RewriteKeepsTheBytesOfEveryLineItDoesNotChange)
{
    using TChange = std::function<void(TIniFile&)>;
    const struct
    {
        const char* name;
        QByteArray before;
        TChange change;
        QByteArray after;
    } cases[] = {
        {"Latin-1 lines stay Latin-1, and so do new ones", "[S]\nName=M\xFCller\n",
         [](TIniFile& ini) { ini.WriteString("S", "City", QStringLiteral("Köln")); },
         "[S]\nName=M\xFCller\nCity=K\xF6ln\n"},
        {"a key added to a Latin-1 file",
         "; Gr\xFC\xDF"
         "e\r\n[S]\r\nName=M\xFCller",
         [](TIniFile& ini) { ini.CreateSection("\\Software\\T"); },
         "; Gr\xFC\xDF"
         "e\r\n[S]\r\nName=M\xFCller\r\n\r\n[\\Software\\T]\r\n"},
        {"a character Latin-1 lacks turns the file into UTF-8, text intact",
         "[S]\nName=M\xFCller\n",
         [](TIniFile& ini) { ini.WriteString("S", "City", QStringLiteral("東京")); },
         "[S]\nName=M\xC3\xBCller\nCity=\xE6\x9D\xB1\xE4\xBA\xAC\n"},
        {"each line keeps its own line end", "[S]\r\nA=1\nB=2\r\nC=3\n",
         [](TIniFile& ini) { ini.WriteString("S", "B", "9"); }, "[S]\r\nA=1\nB=9\r\nC=3\n"},
        {"a changed last line without line end stays without", "[S]\nA=1",
         [](TIniFile& ini) { ini.WriteString("S", "A", "2"); }, "[S]\nA=2"},
        {"a last line without line end gets one when a line follows", "[S]\nA=1",
         [](TIniFile& ini) { ini.WriteString("S", "B", "2"); }, "[S]\nA=1\nB=2\n"},
        {"a lone CR at the end stays in its line", "[S]\nA=1\r",
         [](TIniFile& ini) { ini.WriteString("S", "B", "2"); }, "[S]\nA=1\r\r\nB=2\n"},
        {"a deleted line takes nothing else with it", "[S]\rX\nA=1\nB=\xE9\r\n",
         [](TIniFile& ini) { ini.DeleteKey("S", "A"); }, "[S]\rX\nB=\xE9\r\n"},
    };
    for (const auto& c : cases) {
        TempFolder dir;
        WriteAll(dir.File("a.ini"), c.before);
        TIniFile ini(dir.File("a.ini"));
        c.change(ini);
        EXPECT_EQ(ReadAll(dir.File("a.ini")).toStdString(), c.after.toStdString()) << c.name;
    }
}

// The file size limit stands in for a full disk: a write past it fails with
// EFBIG instead of ending the process, once SIGXFSZ is ignored.
class TFileSizeLimit
{
public:
    explicit TFileSizeLimit(rlim_t bytes)
    {
        getrlimit(RLIMIT_FSIZE, &previous_);
        previousHandler_ = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = previous_;
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~TFileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &previous_);
        std::signal(SIGXFSZ, previousHandler_);
    }

private:
    rlimit previous_{};
    void (*previousHandler_)(int) = nullptr;
};

TEST(IniFile, AWriteThatDoesNotFitKeepsTheOldFileAndSaysSo)
{
    TempFolder dir;
    const QByteArray before = "[S]\nN=precious\n";
    WriteAll(dir.File("a.ini"), before);
    TIniFile ini(dir.File("a.ini"));
    {
        const TFileSizeLimit limit(1024);
        EXPECT_THROW(ini.WriteString("S", "Big", QString(4096, QLatin1Char('x'))), EInOutError);
        EXPECT_THROW(ini.CreateSection(QString(2048, QLatin1Char('k'))), EInOutError);
    }
    EXPECT_EQ(ReadAll(dir.File("a.ini")), before);
    EXPECT_EQ(QDir(dir.Path()).entryList(QDir::Files | QDir::Hidden), QStringList({"a.ini"}))
        << "no partial copy is left beside it";
    ini.WriteString("S", "Small", "fits");
    EXPECT_EQ(ReadAll(dir.File("a.ini")), before + "Small=fits\n");
}
