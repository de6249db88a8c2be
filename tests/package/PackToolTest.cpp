// tessaly-pack run as a process on a small dummy runner.
#include "package/PackageFile.h"
#include "package/QueryPackage.h"
#include "support/ProcessRun.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

namespace {

using Outcome = ProcessOutcome;

class PackTool : public ::testing::Test
{
protected:
    void SetUp() override
    {
        runner = folder.File("runner");
        WriteAll(runner, image);
        QFile::setPermissions(runner, QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                          QFileDevice::ReadGroup);
        sqlFile = folder.File("query.sql");
        WriteAll(sqlFile, "SELECT a,\nb FROM t;\r\nDELETE FROM u;\rSELECT 1\n");
    }

    Outcome Pack(const QStringList& arguments)
    {
        return RunProcess(BinaryFolder() + "/tessaly-pack", arguments);
    }

    QStringList Basic(const QString& from, const QString& to)
    {
        return {"--runner", from, "--output", to, "--sql-file", sqlFile};
    }

    QStringList FolderEntries() const
    {
        return QDir(folder.Path())
            .entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
    }

    TempFolder folder;
    // Ends in four zero bytes, as a program image without a package does.
    const QByteArray image = QByteArray(3000, '\x90') + QByteArray(4, '\0');
    QString runner;
    QString sqlFile;
};

TEST_F(PackTool, WritesEveryFieldOntoACopyOfTheRunner)
{
    WriteAll(folder.File("about.txt"), "First line\nSecond line\r\n\r\nLast\n");
    const QString out = folder.File("packed");
    const Outcome r =
        Pack(Basic(runner, out) + QStringList{"--title", QString::fromUtf8("Bestellungen über 250"),
                                              "--description-file", folder.File("about.txt"),
                                              "--alias", "<Standard>", "--password", "Geheim",
                                              "--editable", "--show-results"});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();

    QueryPackage expected;
    expected.hasPassword = true;
    expected.password = "Geheim";
    expected.sqlEditable = true;
    expected.showResults = true;
    expected.title = QString::fromUtf8("Bestellungen über 250");
    expected.description = "First line\r\nSecond line\r\n\r\nLast";
    expected.alias = "<Standard>";
    expected.sql = "SELECT a,\r\nb FROM t;\r\nDELETE FROM u;\r\nSELECT 1";
    EXPECT_EQ(ReadQueryPackage(out), expected);
    EXPECT_TRUE(ReadAll(out).startsWith(image));
    EXPECT_EQ(QFile::permissions(out) & 0x7077, QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                                    QFileDevice::ExeOwner | QFileDevice::ReadGroup |
                                                    QFileDevice::ExeGroup);
}

TEST_F(PackTool, SwitchesAreOffUnlessGivenAndThePasswordFileGivesItsFirstLine)
{
    WriteAll(folder.File("pw"), QByteArray("\xEF\xBB\xBF") + "pass word\r\nsecond line\n");
    const QString out = folder.File("packed");
    ASSERT_EQ(Pack(Basic(runner, out) + QStringList{"--password-file", folder.File("pw")}).status,
              0);
    const std::optional<QueryPackage> p = ReadQueryPackage(out);
    ASSERT_TRUE(p);
    EXPECT_FALSE(p->sqlEditable);
    EXPECT_FALSE(p->showResults);
    EXPECT_TRUE(p->hasPassword);
    EXPECT_EQ(p->password, "pass word");

    // Packing again onto an existing output replaces it whole.
    ASSERT_EQ(Pack(Basic(runner, out) + QStringList{"--title", "Again"}).status, 0);
    EXPECT_FALSE(ReadQueryPackage(out)->hasPassword);
    EXPECT_EQ(ReadQueryPackage(out)->title, "Again");
}

TEST_F(PackTool, APackagedRunnerNeedsReplaceWhichStripsTheOldPackage)
{
    const QString first = folder.File("first");
    const QString second = folder.File("second");
    ASSERT_EQ(Pack(Basic(runner, first) + QStringList{"--title", "Old"}).status, 0);

    const Outcome refused = Pack(Basic(first, second));
    EXPECT_EQ(refused.status, 2);
    EXPECT_TRUE(refused.err.contains("--replace")) << refused.err.toStdString();
    EXPECT_FALSE(QFile::exists(second));

    ASSERT_EQ(Pack(Basic(first, second) + QStringList{"--replace", "--title", "New"}).status, 0);
    QFile packed(second);
    ASSERT_TRUE(packed.open(QIODevice::ReadOnly));
    EXPECT_EQ(ProgramImageSize(packed), image.size());
    EXPECT_TRUE(ReadAll(second).startsWith(image));
    EXPECT_EQ(ReadQueryPackage(second)->title, "New");
}

TEST_F(PackTool, TheRunnerIsRewrittenInPlaceOnlyWithReplace)
{
    const Outcome refused = Pack(Basic(runner, runner));
    EXPECT_EQ(refused.status, 2);
    EXPECT_EQ(ReadAll(runner), image);

    ASSERT_EQ(Pack(Basic(runner, runner) + QStringList{"--replace", "--alias", "A"}).status, 0);
    ASSERT_EQ(Pack(Basic(runner, runner) + QStringList{"--replace", "--alias", "B"}).status, 0);
    EXPECT_TRUE(ReadAll(runner).startsWith(image));
    EXPECT_EQ(ReadQueryPackage(runner)->alias, "B");
    EXPECT_EQ(FolderEntries(), QStringList({"query.sql", "runner"}));
}

TEST_F(PackTool, ShowPrintsTheFieldsButNeverThePassword)
{
    WriteAll(folder.File("about.txt"), "Two\nlines\n");
    const QString out = folder.File("packed");
    ASSERT_EQ(Pack(Basic(runner, out) + QStringList{"--title", "Orders", "--description-file",
                                                    folder.File("about.txt"), "--password",
                                                    "TopSecret", "--show-results"})
                  .status,
              0);
    const Outcome shown = Pack({"--show", out});
    EXPECT_EQ(shown.status, 0) << shown.err.toStdString();
    EXPECT_EQ(shown.out, "title: Orders\n"
                         "description: Two\n"
                         "  lines\n"
                         "alias:\n"
                         "editable: no\n"
                         "show-results: yes\n"
                         "has-password: yes\n"
                         "script: SELECT a,\n"
                         "  b FROM t;\n"
                         "  DELETE FROM u;\n"
                         "  SELECT 1\n");
    EXPECT_FALSE((shown.out + shown.err).contains("TopSecret"));

    const Outcome none = Pack({"--show", runner});
    EXPECT_EQ(none.status, 1);
    EXPECT_TRUE(none.out.isEmpty());
    EXPECT_TRUE(none.err.contains("no query package")) << none.err.toStdString();
}

TEST_F(PackTool, ErrorsExitWithTwoAndWriteNothing)
{
    WriteAll(folder.File("damaged"), image + QByteArray("\x00\x10\x00\x00", 4));
    WriteAll(folder.File("sent.tqp"), EncodePackageFile(QueryPackage()));
    WriteAll(folder.File("text.tqp"), "SELECT 1\n");
    const QString out = folder.File("out");
    const QList<QStringList> cases = {
        {"--bogus"},
        {"--runner", runner, "--output", out},
        {"--output", out, "--sql-file", sqlFile},
        Basic(runner, out) + QStringList{"--password", "a", "--password-file", sqlFile},
        Basic(runner, out) + QStringList{"--title", "a", "--title", "b"},
        Basic(runner, out) + QStringList{"stray"},
        {"--runner", runner, "--output", out, "--sql-file", folder.File("missing.sql")},
        Basic(folder.File("missing"), out),
        Basic(folder.File("damaged"), out) + QStringList{"--replace"},
        {"--show", runner, "--editable"},
        {"--show", folder.File("missing")},
        {"--show", folder.File("damaged")},
        {"--show", folder.File("text.tqp")},
        {"--runner", runner, "--output", out + ".tqp", "--sql-file", sqlFile},
        Basic(folder.File("sent.tqp"), out),
        // A parent that is a regular file fails even for root.
        Basic(runner, folder.File("query.sql") + "/out"),
    };
    for (const QStringList& arguments : cases) {
        const Outcome r = Pack(arguments);
        EXPECT_EQ(r.status, 2) << arguments.join(' ').toStdString();
        EXPECT_FALSE(r.err.isEmpty()) << arguments.join(' ').toStdString();
        EXPECT_TRUE(r.out.isEmpty()) << arguments.join(' ').toStdString();
    }
    EXPECT_EQ(FolderEntries(),
              QStringList({"damaged", "query.sql", "runner", "sent.tqp", "text.tqp"}));
    EXPECT_EQ(ReadAll(runner), image);

    const Outcome help = Pack({"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_TRUE(help.out.contains("--show FILE"));
    const Outcome version = Pack({"--version"});
    EXPECT_EQ(version.status, 0);
    EXPECT_TRUE(version.out.startsWith("tessaly-pack 0.")) << version.out.toStdString();
}

} // namespace
