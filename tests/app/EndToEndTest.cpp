// End to end: a real package made by the packager onto the real runner, run
// as its own process against a configuration folder and a database made here.
#include "AppFixture.h"
#include "support/ProcessRun.h"

#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QThread>
#include <csignal>

namespace {

using Outcome = ProcessOutcome;

class EndToEndTest : public AppTest
{
protected:
    void SetUp() override
    {
        AppTest::SetUp();
        runner_ = BinaryFolder() + QStringLiteral("/tessaly-query");
        ASSERT_TRUE(QFile::exists(runner_)) << runner_.toStdString();
        folder_ = MakeOrdersDatabase();
    }

    // Packs a script onto a copy of the runner, or as a package file when the
    // name ends in .tqp; extra packager arguments follow.
    QString Pack(const QString& script, const QString& alias, const QStringList& extra = {},
                 const QString& name = QStringLiteral("packed"))
    {
        const QString sql = data_->File(QStringLiteral("script.sql"));
        WriteAll(sql, script.toUtf8());
        const QString output = data_->File(name);
        QStringList arguments = {"--output", output, "--sql-file", sql, "--alias", alias};
        if (!name.endsWith(QStringLiteral(".tqp")))
            arguments << QStringLiteral("--runner") << runner_;
        const ProcessOutcome pack =
            RunProcess(BinaryFolder() + QStringLiteral("/tessaly-pack"), arguments + extra);
        EXPECT_EQ(pack.status, 0) << pack.err.toStdString();
        return output;
    }

    Outcome Run(const QString& program, const QStringList& arguments, int timeout = 120000)
    {
        return RunProcess(program, arguments, RunnerEnvironment(ConfigDir()), timeout);
    }

    // Starts a batch run that makes the temporary table BIG, then runs a
    // statement that never ends; returns once BIG exists.
    void StartEndlessRun(QProcess& process, const QString& packed)
    {
        ASSERT_TRUE(StartProcess(process, packed, {QStringLiteral("--batch")},
                                 RunnerEnvironment(ConfigDir())));
        QElapsedTimer timer;
        timer.start();
        while (!TablesIn(folder_).contains(QStringLiteral("BIG")) && timer.elapsed() < 60000)
            QThread::msleep(50);
        ASSERT_TRUE(TablesIn(folder_).contains(QStringLiteral("BIG")))
            << process.readAllStandardError().toStdString();
        QThread::msleep(300); // into the endless statement
    }

    // What a run of that process left: journals beside the tables, its
    // private folders and answer files under the temporary folder.
    QStringList LeftBy(qint64 pid) const
    {
        QStringList left = QDir(folder_).entryList({QStringLiteral(".tessaly-temp-*")},
                                                   QDir::Files | QDir::Hidden);
        QDirIterator it(QDir::tempPath(), QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot,
                        QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString name = it.next().section(QLatin1Char('/'), -1);
            if (name.startsWith(QStringLiteral("tq-%1-").arg(pid)) ||
                name.startsWith(QStringLiteral("tq-private-%1-").arg(pid)))
                left << name;
        }
        return left;
    }

    QString runner_;
    QString folder_;
};

const char* const kEndlessScript =
    "SELECT * FROM ORDERS WHERE TOTAL > 100\r\n"
    ";BIG\r\n"
    "WITH RECURSIVE C(N) AS (SELECT 1 UNION ALL SELECT N + 1 FROM C) "
    "SELECT COUNT(*) AS N FROM C, BIG";

TEST_F(EndToEndTest, WorkedExampleGivesTheCountAndLeavesOnlyInit)
{
    WriteAliases({{QStringLiteral("KIVData3"), folder_}});
    const QString packed =
        Pack(WorkedExampleScript(), QStringLiteral("KIVData3"), {QStringLiteral("--show-results")});
    const Outcome run = Run(packed, {QStringLiteral("--batch")});
    EXPECT_EQ(run.status, 0) << run.err.toStdString();
    EXPECT_EQ(run.out, QStringLiteral("COUNT(*)\n3\n"));
    EXPECT_EQ(run.err, QStringLiteral("Query Executed\n"));
    EXPECT_EQ(TablesIn(folder_), QStringList({QStringLiteral("INIT"), QStringLiteral("ORDERS")}));
}

TEST_F(EndToEndTest, StandardEntryInTheRegistryReachesItsFolder)
{
    WriteEntries({{QStringLiteral("Standard"), folder_ + QLatin1Char('/')}});
    const QString packed =
        Pack(QStringLiteral("SELECT COUNT(*) AS N FROM ORDERS WHERE TOTAL >= 100"),
             QStringLiteral("<Standard>"));
    const Outcome run = Run(packed, {QStringLiteral("--batch")});
    EXPECT_EQ(run.status, 0) << run.err.toStdString();
    EXPECT_EQ(run.out, QStringLiteral("N\n4\n"));
}

TEST_F(EndToEndTest, MissingAliasIsReportedAndFallsBack)
{
    WriteAliases(
        {{QStringLiteral("KIVDemoData3"), folder_}, {QStringLiteral("Zeta"), data_->Path()}});
    const QString packed = Pack(QStringLiteral("SELECT ORDER_NO FROM ORDERS WHERE TOTAL > 200"),
                                QStringLiteral("Gone"));
    const Outcome run = Run(packed, {QStringLiteral("--batch")});
    EXPECT_EQ(run.status, 0) << run.err.toStdString();
    EXPECT_TRUE(run.err.startsWith(QStringLiteral("Alias \"Gone\" does not exists.\n")))
        << run.err.toStdString();
    EXPECT_EQ(run.out, QStringLiteral("ORDER_NO\n5\n"));
}

TEST_F(EndToEndTest, SaveCreatesATableAndDoesNotOverwriteUnasked)
{
    WriteAliases({{QStringLiteral("KIVData3"), folder_}});
    const QString packed =
        Pack(QStringLiteral("SELECT ORDER_NO, TOTAL FROM ORDERS WHERE TOTAL > 100"),
             QStringLiteral("KIVData3"));
    Outcome run =
        Run(packed, {QStringLiteral("--batch"), QStringLiteral("--save"), QStringLiteral("Kept")});
    EXPECT_EQ(run.status, 0) << run.err.toStdString();
    EXPECT_TRUE(run.err.endsWith(QStringLiteral("New Table Saved.\n"))) << run.err.toStdString();
    EXPECT_EQ(Rows(folder_, QStringLiteral("SELECT COUNT(*) FROM Kept")),
              QList<QStringList>{{QStringLiteral("3")}});

    MakeDatabase(QStringLiteral("kiv"), {QStringLiteral("DELETE FROM Kept WHERE ORDER_NO = 5")});
    run =
        Run(packed, {QStringLiteral("--batch"), QStringLiteral("--save"), QStringLiteral("Kept")});
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(
        run.err.endsWith(QStringLiteral("Kept already exists.  Overwrite?\nTable Not Saved.\n")))
        << run.err.toStdString();
    EXPECT_EQ(Rows(folder_, QStringLiteral("SELECT COUNT(*) FROM Kept")),
              QList<QStringList>{{QStringLiteral("2")}});

    run = Run(packed, {QStringLiteral("--batch"), QStringLiteral("--save"), QStringLiteral("Kept"),
                       QStringLiteral("--overwrite")});
    EXPECT_EQ(run.status, 0) << run.err.toStdString();
    EXPECT_EQ(Rows(folder_, QStringLiteral("SELECT COUNT(*) FROM Kept")),
              QList<QStringList>{{QStringLiteral("3")}});
}

TEST_F(EndToEndTest, PasswordFromAFileDecidesTheExitStatus)
{
    WriteAliases({{QStringLiteral("KIVData3"), folder_}});
    const QString packed = Pack(QStringLiteral("SELECT 1 AS ONE"), QStringLiteral("KIVData3"),
                                {QStringLiteral("--password"), QStringLiteral("Tr0ub4dor")});
    const QString wrong = data_->File(QStringLiteral("wrong"));
    const QString right = data_->File(QStringLiteral("right"));
    WriteAll(wrong, "tr0ub4dor\n");
    WriteAll(right, "Tr0ub4dor\n");
    Outcome run =
        Run(packed, {QStringLiteral("--batch"), QStringLiteral("--password-file"), wrong});
    EXPECT_EQ(run.status, 3);
    EXPECT_EQ(run.err, QStringLiteral("Invalid Password.\n"));
    EXPECT_TRUE(run.out.isEmpty());
    // No terminal and no file: an empty entry.
    run = Run(packed, {QStringLiteral("--batch")});
    EXPECT_EQ(run.status, 3);
    run = Run(packed, {QStringLiteral("--batch"), QStringLiteral("--password-file"), right});
    EXPECT_EQ(run.status, 0) << run.err.toStdString();
    EXPECT_EQ(run.out, QStringLiteral("ONE\n1\n"));
}

TEST_F(EndToEndTest, DamagedPackageAndUsageErrorsExitWithTwo)
{
    WriteAliases({{QStringLiteral("KIVData3"), folder_}});
    const QString packed = Pack(QStringLiteral("SELECT 1"), QStringLiteral("KIVData3"));
    QByteArray bytes = ReadAll(packed);
    bytes.chop(4);
    bytes += QByteArray("\xF0\xFF\xFF\x7F", 4); // an offset far past the end
    WriteAll(packed, bytes);
    Outcome run = Run(packed, {QStringLiteral("--batch")});
    EXPECT_EQ(run.status, 2);
    EXPECT_TRUE(
        run.err.startsWith(QStringLiteral("The query package of this program is damaged: ")))
        << run.err.toStdString();

    run = Run(runner_, {QStringLiteral("--batch"), QStringLiteral("--no-such-option")});
    EXPECT_EQ(run.status, 2);
}

TEST_F(EndToEndTest, ReadOnlySqlCannotBeReplacedButAnEditableOneCan)
{
    WriteAliases({{QStringLiteral("KIVData3"), folder_}});
    const QString other = data_->File(QStringLiteral("other.sql"));
    WriteAll(other, "SELECT COUNT(*) AS N FROM ORDERS\n");
    QString packed = Pack(QStringLiteral("SELECT 1"), QStringLiteral("KIVData3"));
    Outcome run = Run(packed, {QStringLiteral("--batch"), QStringLiteral("--sql-file"), other});
    EXPECT_EQ(run.status, 2);
    EXPECT_TRUE(run.out.isEmpty());

    packed = Pack(QStringLiteral("SELECT 1"), QStringLiteral("KIVData3"),
                  {QStringLiteral("--editable")});
    run = Run(packed, {QStringLiteral("--batch"), QStringLiteral("--sql-file"), other});
    EXPECT_EQ(run.status, 0) << run.err.toStdString();
    EXPECT_EQ(run.out, QStringLiteral("N\n5\n"));
}

// A script file is read as package text is: UTF-8, else Windows-1252; a
// file over 64 MiB is a usage error before anything runs.
TEST_F(EndToEndTest, ScriptFilesAreReadLikePackageText)
{
    WriteAliases({{QStringLiteral("KIVData3"), folder_}});
    const QString packed = Pack(QStringLiteral("SELECT 1"), QStringLiteral("KIVData3"),
                                {QStringLiteral("--editable")});
    const QString latin = data_->File(QStringLiteral("latin.sql"));
    WriteAll(latin, "SELECT 'Caf\xE9 \x80' AS N\n");
    Outcome run = Run(packed, {QStringLiteral("--batch"), QStringLiteral("--sql-file"), latin});
    EXPECT_EQ(run.status, 0) << run.err.toStdString();
    EXPECT_EQ(run.out, QString::fromUtf8("N\nCafé €\n"));

    // Tabs and line ends inside values become blanks, wherever they stand.
    const QString separators = data_->File(QStringLiteral("separators.sql"));
    WriteAll(separators,
             "SELECT char(9) AS A, 'abcdefghijklmno' || char(10) AS B, "
             "'abcdefg' || char(13) || 'h' AS C, 'M\xC3\xBCller-' || char(9) || '1' AS D");
    run = Run(packed, {QStringLiteral("--batch"), QStringLiteral("--sql-file"), separators});
    EXPECT_EQ(run.out,
              QString::fromUtf8("A\tB\tC\tD\n \tabcdefghijklmno \tabcdefg h\tMüller- 1\n"));

    const QString huge = data_->File(QStringLiteral("huge.sql"));
    QFile file(huge);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    ASSERT_TRUE(file.resize(64 * 1024 * 1024 + 1)); // sparse: no disk is spent
    file.close();
    run = Run(packed, {QStringLiteral("--batch"), QStringLiteral("--sql-file"), huge});
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.err, QStringLiteral("The script is larger than 64 MiB.\n"));
    EXPECT_TRUE(run.out.isEmpty());
}

// A large result is printed in pieces made side by side: every line must
// still come once, in order, with the separators in its values blanked.
TEST_F(EndToEndTest, ALargeResultIsPrintedWholeAndInOrder)
{
    WriteAliases({{QStringLiteral("KIVData3"), folder_}});
    const int rows = 50001; // pieces of several sizes, the last one short
    const QString packed =
        Pack(QStringLiteral(
                 "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < %1) "
                 "SELECT i AS N, CASE WHEN i % 997 = 0 THEN 'a' || char(9) || i "
                 "ELSE 'r' || i END AS T FROM n")
                 .arg(rows),
             QStringLiteral("KIVData3"));
    const Outcome run = Run(packed, {QStringLiteral("--batch")});
    ASSERT_EQ(run.status, 0) << run.err.toStdString();
    const QStringList lines = run.out.split(QLatin1Char('\n'));
    ASSERT_EQ(lines.size(), rows + 2); // the captions, the rows and nothing after the last end
    EXPECT_EQ(lines.first(), QStringLiteral("N\tT"));
    int wrong = 0;
    for (int i = 1; i <= rows; ++i)
        wrong += lines.at(i) != QStringLiteral("%1\t%2%3").arg(i).arg(i % 997 ? "r" : "a ").arg(i);
    EXPECT_EQ(wrong, 0);
}

TEST_F(EndToEndTest, FailingScriptExitsWithOneAndReportsBoth)
{
    WriteAliases({{QStringLiteral("KIVData3"), folder_}});
    const QString packed =
        Pack(QStringLiteral("SELECT * FROM NOWHERE"), QStringLiteral("KIVData3"));
    const Outcome run = Run(packed, {QStringLiteral("--batch")});
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(
        run.err.startsWith(QStringLiteral("An error has occurred while running the query.\n")));
    EXPECT_TRUE(run.err.contains(QStringLiteral("NOWHERE")));
    EXPECT_TRUE(run.out.isEmpty());
}

TEST_F(EndToEndTest, APackageFileRunsAsTheSamePackageAttached)
{
    WriteAliases({{QStringLiteral("KIVData3"), folder_}});
    const QString script = QStringLiteral("SELECT COUNT(*) AS N FROM ORDERS WHERE TOTAL > 100");
    const QString wrong = data_->File(QStringLiteral("wrong"));
    WriteAll(wrong, "Pw\n");
    const struct
    {
        QStringList pack, run;
        Outcome outcome;
    } cases[] = {
        {{}, {}, {0, "N\n3\n", "Query Executed\n"}},
        {{"--password", "pw"}, {"--password-file", wrong}, {3, "", "Invalid Password.\n"}},
        {{}, {"--sql-file", wrong}, {2, "", "The SQL of this query package may not be changed.\n"}},
    };
    for (const auto& c : cases) {
        const Outcome file =
            Run(runner_, QStringList{"--batch", Pack(script, "KIVData3", c.pack, "q.tqp")} + c.run);
        EXPECT_TRUE(file == c.outcome) << file.err.toStdString();
        EXPECT_TRUE(Run(Pack(script, "KIVData3", c.pack), QStringList{"--batch"} + c.run) == file);
    }
}

TEST_F(EndToEndTest, ThePackedRunnerOpensItsWindow)
{
    WriteAliases({{QStringLiteral("KIVData3"), folder_}});
    const QString packed = Pack(QStringLiteral("SELECT 1"), QStringLiteral("KIVData3"));
    QProcess process;
    ASSERT_TRUE(StartProcess(process, packed, {},
                             RunnerEnvironment(ConfigDir(), QStringLiteral("offscreen"))));
    // The window's message loop keeps the program running until it is closed.
    EXPECT_FALSE(process.waitForFinished(3000)) << process.readAllStandardError().toStdString();
    process.terminate();
    process.waitForFinished(10000);
}

} // namespace

TEST_F(EndToEndTest, AKilledRunsLeftoversGoAtTheNextStartWhileTheyAreItsOwn)
{
    WriteAliases({{QStringLiteral("KIVData3"), folder_}});
    const QString endless = data_->File(QStringLiteral("endless"));
    ASSERT_TRUE(QFile::copy(Pack(QString::fromLatin1(kEndlessScript), QStringLiteral("KIVData3")),
                            endless));
    const QString quick =
        Pack(QStringLiteral("SELECT COUNT(*) AS N FROM ORDERS"), QStringLiteral("KIVData3"));

    // Killed, then BIG made anew by someone else: that BIG is not the run's to drop.
    QProcess first;
    StartEndlessRun(first, endless);
    ::kill(pid_t(first.processId()), SIGKILL);
    first.waitForFinished();
    EXPECT_EQ(TablesIn(folder_), QStringList({QStringLiteral("BIG"), QStringLiteral("ORDERS")}));
    MakeDatabase(QStringLiteral("kiv"),
                 {QStringLiteral("DROP TABLE BIG"), QStringLiteral("CREATE TABLE BIG (X)")});
    Outcome run = Run(quick, {QStringLiteral("--batch")});
    EXPECT_EQ(run.status, 0) << run.err.toStdString();
    EXPECT_TRUE(TablesIn(folder_).contains(QStringLiteral("BIG")));
    MakeDatabase(QStringLiteral("kiv"), {QStringLiteral("DROP TABLE BIG")});

    // Killed with its temporary table and answer files in place: all go at the next start.
    QProcess second;
    StartEndlessRun(second, endless);
    const qint64 pid = second.processId();
    ::kill(pid_t(pid), SIGKILL);
    second.waitForFinished();
    EXPECT_FALSE(LeftBy(pid).isEmpty()) << "a killed run leaves its files";
    run = Run(quick, {QStringLiteral("--batch")});
    EXPECT_EQ(run.status, 0) << run.err.toStdString();
    EXPECT_EQ(TablesIn(folder_), QStringList({QStringLiteral("INIT"), QStringLiteral("ORDERS")}));
    EXPECT_EQ(LeftBy(pid), QStringList());
}

TEST_F(EndToEndTest, TerminatedBatchRunCleansUpAndSaysSo)
{
    WriteAliases({{QStringLiteral("KIVData3"), folder_}});
    const QString endless = Pack(QString::fromLatin1(kEndlessScript), QStringLiteral("KIVData3"));
    for (const int signal : {SIGTERM, SIGINT}) {
        QProcess process;
        StartEndlessRun(process, endless);
        const qint64 pid = process.processId();
        ::kill(pid_t(pid), signal);
        const Outcome run = FinishProcess(process, 60000);
        EXPECT_EQ(run.status, 1);
        EXPECT_TRUE(run.err.endsWith(QStringLiteral("The run was interrupted by %1.\n")
                                         .arg(signal == SIGTERM ? "SIGTERM" : "SIGINT")));
        EXPECT_FALSE(TablesIn(folder_).contains(QStringLiteral("BIG")));
        EXPECT_EQ(LeftBy(pid), QStringList());
    }
}

TEST_F(EndToEndTest, AConfigurationFolderThatCannotHoldTheEngineConfigurationIsReported)
{
    const QString packed = Pack(QStringLiteral("SELECT 1 AS ONE"), QStringLiteral("KIVData3"));
    const QProcessEnvironment env =
        RunnerEnvironment(QStringLiteral("/dev/null/x"), QStringLiteral("offscreen"));
    const Outcome run = RunProcess(packed, {QStringLiteral("--batch")}, env, 60000);
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(run.err.contains(QStringLiteral("/dev/null/x")));

    // The window shows the message and waits for it to be read, where it used to abort.
    QProcess window;
    ASSERT_TRUE(StartProcess(window, packed, {}, env));
    EXPECT_FALSE(window.waitForFinished(3000)) << window.readAllStandardError().toStdString();
    window.kill();
    window.waitForFinished();
}
