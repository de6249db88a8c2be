// The real runner in batch mode on a server alias: the printed result and an
// export read back by Python's csv module, Save with its question, a wrong
// password, stop signals and a killed run.
#include "ServerFixture.h"
#include "engine/Session.h"

#include <QProcess>
#include <csignal>

namespace {

const char* const kServerRows = "SELECT id, customer, total, DATE '2024-02-29' AS day "
                                "FROM orders ORDER BY id";

TEST_F(ServerTest, TheResultIsPrintedAndExportedAsPythonReadsIt)
{
    const Outcome printed = RunBatch(QString::fromUtf8(kServerRows));
    EXPECT_TRUE(printed.out.startsWith(QStringLiteral("id\tcustomer\ttotal\tday\n1\tAnn\t50\t")))
        << printed.err.toStdString();
    const QString csv = files_.File(QStringLiteral("orders.csv"));
    const Outcome outcome =
        RunBatch(QString::fromUtf8(kServerRows),
                 {QStringLiteral("--export"), QStringLiteral("csv"), QStringLiteral("--output"),
                  csv, QStringLiteral("--no-number-rows")});
    ASSERT_EQ(outcome.status, 0) << outcome.err.toStdString();
    const ProcessOutcome python =
        RunProcess(QStringLiteral("/usr/bin/python3"),
                   {QStringLiteral("-c"),
                    QStringLiteral("import csv, sys\n"
                                   "for row in csv.reader(open(sys.argv[1], encoding='utf-8')):\n"
                                   "    print('|'.join(row))\n"),
                    csv});
    const QStringList rows = python.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    ASSERT_EQ(rows.size(), 4) << rows.join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(rows.at(0), QStringLiteral("id|customer|total|day"));
    EXPECT_TRUE(rows.at(2).startsWith(QStringLiteral("2|Bob|150")));
}

// Numbers beyond a double's 15 digits keep every digit when printed, in a
// CSV export as Python reads it, and in the table Save writes on the server.
TEST_F(ServerTest, NumbersKeepEveryDigitThroughOutputExportAndSave)
{
    // The server's values, then the texts shown.
    const QStringList values = {"12345678901234567890.123456789::numeric(38,10) a",
                                "1e-30::numeric b",
                                "'NaN'::numeric c",
                                "(-0.000000000012345678901234567891)::numeric(38,30) d",
                                "9007199254740993::numeric e",
                                "9223372036854775807::int8 f",
                                "(-9223372036854775807 - 1)::int8 g",
                                "92233720368547758.07::money h"};
    const QString shown = "12345678901234567890.1234567890\t1E-30\tNaN\t"
                          "-0.000000000012345678901234567891\t9007199254740993\t"
                          "9223372036854775807\t-9223372036854775808\t92233720368547758.07";
    Rows(QStringLiteral("CREATE TABLE exact AS SELECT ") + values.join(QLatin1Char(',')));
    const QString select = QStringLiteral("SELECT * FROM exact"), csv = files_.File("e.csv");
    EXPECT_EQ(RunBatch(select).out.section('\n', 1, 1).toStdString(), shown.toStdString());
    RunBatch(select, {"--export", "csv", "--output", csv, "--no-number-rows"});
    RunBatch(select, {"--save", "copy"});
    QProcess python;
    python.start("/usr/bin/python3", {"-c",
                                      "import csv, sys\nprint('\\t'.join(list("
                                      "csv.reader(open(sys.argv[1])))[1]))",
                                      csv});
    ASSERT_TRUE(python.waitForFinished(30000));
    EXPECT_EQ(QString(python.readAllStandardOutput()).trimmed().toStdString(), shown.toStdString());
    // Each row as the server's text of its values.
    EXPECT_EQ(Rows("SELECT t::text FROM copy t").join("").toStdString(),
              Rows("SELECT t::text FROM exact t").join("").toStdString());
}

TEST_F(ServerTest, SaveAsksBeforeReplacingATableOnTheServer)
{
    const QString script = QStringLiteral("SELECT id, total FROM orders");
    EXPECT_EQ(RunBatch(script, {QStringLiteral("--save"), QStringLiteral("Copy1")}).status, 0);
    const Outcome refused = RunBatch(script, {QStringLiteral("--save"), QStringLiteral("COPY1")});
    EXPECT_EQ(refused.status, 1);
    EXPECT_TRUE(refused.err.contains(QStringLiteral("COPY1 already exists.  Overwrite?")));
    EXPECT_TRUE(refused.err.contains(QStringLiteral("Table Not Saved.")));
    Rows(QStringLiteral("DELETE FROM orders WHERE id = 1"));
    const Outcome replaced = RunBatch(
        script, {QStringLiteral("--save"), QStringLiteral("copy1"), QStringLiteral("--overwrite")});
    EXPECT_EQ(replaced.status, 0) << replaced.err.toStdString();
    EXPECT_EQ(Scalar(QStringLiteral("SELECT count(*) FROM copy1")), QStringLiteral("2"));
    EXPECT_EQ(ColumnTypes(QStringLiteral("copy1")), QStringLiteral("integer,numeric(10,2)"));
}

TEST_F(ServerTest, AWrongPasswordFailsWithTheServersMessage)
{
    Session()->AddAlias(
        QStringLiteral("WRONG"),
        {QStringLiteral("TYPE=POSTGRESQL"),
         QStringLiteral("SERVER NAME=dbname=%1 password=wrong").arg(DatabaseName())});
    const Outcome outcome = RunBatch(QStringLiteral("SELECT 1"), {}, QStringLiteral("WRONG"));
    EXPECT_EQ(outcome.status, 1);
    EXPECT_TRUE(outcome.err.contains(QStringLiteral("password authentication failed")))
        << outcome.err.toStdString();
}

class ServerSignalTest : public ServerTest, public ::testing::WithParamInterface<int>
{
};

TEST_P(ServerSignalTest, AStopSignalCancelsTheServersStatement)
{
    QProcess process;
    StartBatch(process,
               QStringLiteral("SELECT id FROM orders\n;SCRATCH\nSELECT 1 AS n FROM pg_sleep(60)"));
    ASSERT_TRUE(WaitForStatement(QStringLiteral("pg_sleep")));
    ::kill(pid_t(process.processId()), GetParam());
    ASSERT_TRUE(process.waitForFinished(20000));
    EXPECT_EQ(process.exitCode(), 1);
    EXPECT_TRUE(QString::fromUtf8(process.readAllStandardError())
                    .contains(QStringLiteral("The run was interrupted by")));
    EXPECT_EQ(Scalar(QStringLiteral(
                  "SELECT count(*) FROM pg_stat_activity WHERE state = 'active' "
                  "AND application_name = 'tessaly-query' AND datname = current_database()")),
              QStringLiteral("0"));
    EXPECT_FALSE(HasTable(QStringLiteral("scratch")));
}

INSTANTIATE_TEST_SUITE_P(Signals, ServerSignalTest, ::testing::Values(SIGINT, SIGTERM),
                         [](const auto& info) {
                             return info.param == SIGINT ? "SIGINT" : "SIGTERM";
                         });

TEST_F(ServerTest, TheNextRunDropsWhatAKilledRunMadeTemporarily)
{
    QProcess process;
    StartBatch(process,
               QStringLiteral("SELECT id FROM orders\n;SCRATCH\nSELECT 1 AS n FROM pg_sleep(60)"));
    ASSERT_TRUE(WaitForStatement(QStringLiteral("pg_sleep")));
    process.kill();
    ASSERT_TRUE(process.waitForFinished(20000));
    EXPECT_TRUE(HasTable(QStringLiteral("scratch")));
    const Outcome next = RunBatch(QStringLiteral("SELECT 1"));
    EXPECT_EQ(next.status, 0) << next.err.toStdString();
    EXPECT_FALSE(HasTable(QStringLiteral("scratch")));
}

} // namespace
