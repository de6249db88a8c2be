// End to end: a real package made by the packager onto the real runner, run
// as its own process against a configuration folder and a database made here.
#include "AppFixture.h"

#include <QFile>
#include <QProcess>

namespace {

struct Outcome
{
    int status = -1;
    QString out;
    QString err;
};

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

    // Packs a script onto a copy of the runner; extra packager arguments follow.
    QString Pack(const QString& script, const QString& alias, const QStringList& extra = {})
    {
        const QString sql = data_->File(QStringLiteral("script.sql"));
        WriteAll(sql, script.toUtf8());
        const QString output = data_->File(QStringLiteral("packed"));
        QProcess pack;
        pack.start(BinaryFolder() + QStringLiteral("/tessaly-pack"),
                   QStringList{QStringLiteral("--runner"), runner_, QStringLiteral("--output"), output,
                               QStringLiteral("--sql-file"), sql, QStringLiteral("--alias"), alias} + extra);
        EXPECT_TRUE(pack.waitForFinished(60000));
        EXPECT_EQ(pack.exitCode(), 0) << pack.readAllStandardError().toStdString();
        return output;
    }

    Outcome Run(const QString& program, const QStringList& arguments, int timeout = 120000)
    {
        QProcess process;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("TESSALY_CONFIG_DIR"), ConfigDir());
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        process.setProcessEnvironment(env);
        process.start(program, arguments);
        Outcome outcome;
        if (!process.waitForFinished(timeout)) {
            process.kill();
            process.waitForFinished();
            ADD_FAILURE() << "timed out";
            return outcome;
        }
        outcome.status = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
        outcome.out = QString::fromUtf8(process.readAllStandardOutput());
        outcome.err = QString::fromUtf8(process.readAllStandardError());
        return outcome;
    }

    QString runner_;
    QString folder_;
};

TEST_F(EndToEndTest, WorkedExampleGivesTheCountAndLeavesOnlyInit)
{
    WriteAliases({{QStringLiteral("KIVData3"), folder_}});
    const QString packed = Pack(WorkedExampleScript(), QStringLiteral("KIVData3"), {QStringLiteral("--show-results")});
    const Outcome run = Run(packed, {QStringLiteral("--batch")});
    EXPECT_EQ(run.status, 0) << run.err.toStdString();
    EXPECT_EQ(run.out, QStringLiteral("COUNT(*)\n3\n"));
    EXPECT_EQ(run.err, QStringLiteral("Query Executed\n"));
    EXPECT_EQ(TablesIn(folder_), QStringList({QStringLiteral("INIT"), QStringLiteral("ORDERS")}));
}

TEST_F(EndToEndTest, StandardEntryInTheRegistryReachesItsFolder)
{
    WriteEntries({{QStringLiteral("Standard"), folder_ + QLatin1Char('/')}});
    const QString packed = Pack(QStringLiteral("SELECT COUNT(*) AS N FROM ORDERS WHERE TOTAL >= 100"),
                                QStringLiteral("<Standard>"));
    const Outcome run = Run(packed, {QStringLiteral("--batch")});
    EXPECT_EQ(run.status, 0) << run.err.toStdString();
    EXPECT_EQ(run.out, QStringLiteral("N\n4\n"));
}

TEST_F(EndToEndTest, MissingAliasIsReportedAndFallsBack)
{
    WriteAliases({{QStringLiteral("KIVDemoData3"), folder_}, {QStringLiteral("Zeta"), data_->Path()}});
    const QString packed = Pack(QStringLiteral("SELECT ORDER_NO FROM ORDERS WHERE TOTAL > 200"), QStringLiteral("Gone"));
    const Outcome run = Run(packed, {QStringLiteral("--batch")});
    EXPECT_EQ(run.status, 0) << run.err.toStdString();
    EXPECT_TRUE(run.err.startsWith(QStringLiteral("Alias \"Gone\" does not exists.\n"))) << run.err.toStdString();
    EXPECT_EQ(run.out, QStringLiteral("ORDER_NO\n5\n"));
}

TEST_F(EndToEndTest, SaveCreatesATableAndDoesNotOverwriteUnasked)
{
    WriteAliases({{QStringLiteral("KIVData3"), folder_}});
    const QString packed = Pack(QStringLiteral("SELECT ORDER_NO, TOTAL FROM ORDERS WHERE TOTAL > 100"),
                                QStringLiteral("KIVData3"));
    Outcome run = Run(packed, {QStringLiteral("--batch"), QStringLiteral("--save"), QStringLiteral("Kept")});
    EXPECT_EQ(run.status, 0) << run.err.toStdString();
    EXPECT_TRUE(run.err.endsWith(QStringLiteral("New Table Saved.\n"))) << run.err.toStdString();
    EXPECT_EQ(Rows(folder_, QStringLiteral("SELECT COUNT(*) FROM Kept")), QList<QStringList>{{QStringLiteral("3")}});

    MakeDatabase(QStringLiteral("kiv"), {QStringLiteral("DELETE FROM Kept WHERE ORDER_NO = 5")});
    run = Run(packed, {QStringLiteral("--batch"), QStringLiteral("--save"), QStringLiteral("Kept")});
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(run.err.endsWith(QStringLiteral("Kept already exists.  Overwrite?\nTable Not Saved.\n")))
        << run.err.toStdString();
    EXPECT_EQ(Rows(folder_, QStringLiteral("SELECT COUNT(*) FROM Kept")), QList<QStringList>{{QStringLiteral("2")}});

    run = Run(packed, {QStringLiteral("--batch"), QStringLiteral("--save"), QStringLiteral("Kept"),
                       QStringLiteral("--overwrite")});
    EXPECT_EQ(run.status, 0) << run.err.toStdString();
    EXPECT_EQ(Rows(folder_, QStringLiteral("SELECT COUNT(*) FROM Kept")), QList<QStringList>{{QStringLiteral("3")}});
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
    Outcome run = Run(packed, {QStringLiteral("--batch"), QStringLiteral("--password-file"), wrong});
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
    EXPECT_TRUE(run.err.startsWith(QStringLiteral("The query package of this program is damaged: "))) << run.err.toStdString();

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

    packed = Pack(QStringLiteral("SELECT 1"), QStringLiteral("KIVData3"), {QStringLiteral("--editable")});
    run = Run(packed, {QStringLiteral("--batch"), QStringLiteral("--sql-file"), other});
    EXPECT_EQ(run.status, 0) << run.err.toStdString();
    EXPECT_EQ(run.out, QStringLiteral("N\n5\n"));
}

// A script file is read as package text is: UTF-8, else Windows-1252; a
// file over 64 MiB is a usage error before anything runs.
TEST_F(EndToEndTest, ScriptFilesAreReadLikePackageText)
{
    WriteAliases({{QStringLiteral("KIVData3"), folder_}});
    const QString packed = Pack(QStringLiteral("SELECT 1"), QStringLiteral("KIVData3"), {QStringLiteral("--editable")});
    const QString latin = data_->File(QStringLiteral("latin.sql"));
    WriteAll(latin, "SELECT 'Caf\xE9 \x80' AS N\n");
    Outcome run = Run(packed, {QStringLiteral("--batch"), QStringLiteral("--sql-file"), latin});
    EXPECT_EQ(run.status, 0) << run.err.toStdString();
    EXPECT_EQ(run.out, QString::fromUtf8("N\nCafé €\n"));

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

TEST_F(EndToEndTest, FailingScriptExitsWithOneAndReportsBoth)
{
    WriteAliases({{QStringLiteral("KIVData3"), folder_}});
    const QString packed = Pack(QStringLiteral("SELECT * FROM NOWHERE"), QStringLiteral("KIVData3"));
    const Outcome run = Run(packed, {QStringLiteral("--batch")});
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(run.err.startsWith(QStringLiteral("An error has occurred while running the query.\n")));
    EXPECT_TRUE(run.err.contains(QStringLiteral("NOWHERE")));
    EXPECT_TRUE(run.out.isEmpty());
}

TEST_F(EndToEndTest, ThePackedRunnerOpensItsWindow)
{
    WriteAliases({{QStringLiteral("KIVData3"), folder_}});
    const QString packed = Pack(QStringLiteral("SELECT 1"), QStringLiteral("KIVData3"));
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("TESSALY_CONFIG_DIR"), ConfigDir());
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    process.setProcessEnvironment(env);
    process.start(packed, {});
    ASSERT_TRUE(process.waitForStarted());
    // The window's message loop keeps the program running until it is closed.
    EXPECT_FALSE(process.waitForFinished(3000)) << process.readAllStandardError().toStdString();
    process.terminate();
    process.waitForFinished(10000);
}

} // namespace
