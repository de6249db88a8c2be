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
    QProcess python;
    python.start(QStringLiteral("/usr/bin/python3"),
                 {QStringLiteral("-c"),
                  QStringLiteral("import csv, sys\n"
                                 "for row in csv.reader(open(sys.argv[1], encoding='utf-8')):\n"
                                 "    print('|'.join(row))\n"),
                  csv});
    ASSERT_TRUE(python.waitForFinished(30000));
    const QStringList rows = QString::fromUtf8(python.readAllStandardOutput())
                                 .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    ASSERT_EQ(rows.size(), 4) << rows.join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(rows.at(0), QStringLiteral("id|customer|total|day"));
    EXPECT_TRUE(rows.at(2).startsWith(QStringLiteral("2|Bob|150")));
}

struct ExactCase
{
    const char* value; // an expression of the server
    const char* shown; // printed and exported
};

// Numbers beyond a double's 15 digits keep every digit in the printed
// result, in a CSV export and in the table Save writes back.
TEST_F(ServerTest, NumbersKeepEveryDigitThroughOutputExportAndSave)
{
    const ExactCase cases[] = {
        {"12345678901234567890.123456789::numeric(38,10)", "12345678901234567890.1234567890"},
        {"(-0.000000000012345678901234567891)::numeric(38,30)",
         "-0.000000000012345678901234567891"},
        {"1.5::numeric(38,10)", "1.5"},
        {"(-0)::numeric(38,10)", "0"},
        {"1e-30::numeric", "1E-30"},
        {"'NaN'::numeric", "NaN"},
        {"9007199254740993::numeric", "9007199254740993"},
        {"9223372036854775807::int8", "9223372036854775807"},
        {"(-9223372036854775807 - 1)::int8", "-9223372036854775808"},
        {"92233720368547758.07::money", "92233720368547758.07"},
    };
    QStringList columns, names;
    for (const ExactCase& c : cases) {
        names << QStringLiteral("c%1").arg(names.size());
        columns << QString::fromUtf8(c.value) + QStringLiteral(" AS ") + names.last();
    }
    Rows(QStringLiteral("CREATE TABLE exact AS SELECT ") + columns.join(QStringLiteral(", ")));
    const QString select = QStringLiteral("SELECT * FROM exact");
    const Outcome printed = RunBatch(select);
    const QString csv = files_.File(QStringLiteral("exact.csv"));
    const Outcome exported = RunBatch(select, {QStringLiteral("--export"), QStringLiteral("csv"),
                                               QStringLiteral("--output"), csv,
                                               QStringLiteral("--no-number-rows")});
    const Outcome saved = RunBatch(select, {QStringLiteral("--save"), QStringLiteral("copy")});
    ASSERT_EQ(printed.status + exported.status + saved.status, 0)
        << printed.err.toStdString() << exported.err.toStdString() << saved.err.toStdString();
    QProcess python;
    python.start(QStringLiteral("/usr/bin/python3"),
                 {QStringLiteral("-c"),
                  QStringLiteral("import csv, sys\n"
                                 "print('|'.join(list(csv.reader(open(sys.argv[1])))[1]))\n"),
                  csv});
    ASSERT_TRUE(python.waitForFinished(30000));
    const QStringList lines = printed.out.split(QLatin1Char('\n'));
    ASSERT_GE(lines.size(), 2);
    const QStringList shownPrinted = lines.at(1).split(QLatin1Char('\t'));
    const QStringList shownExported =
        QString::fromUtf8(python.readAllStandardOutput()).trimmed().split(QLatin1Char('|'));
    QStringList texts;
    for (const QString& name : names)
        texts << name + QStringLiteral("::text");
    const QString asText = QStringLiteral("SELECT %1 FROM %2").arg(texts.join(QLatin1Char(',')));
    const QString original = Rows(asText.arg(QStringLiteral("exact"))).join(QLatin1Char('\n'));
    EXPECT_EQ(Rows(asText.arg(QStringLiteral("copy"))).join(QLatin1Char('\n')).toStdString(),
              original.toStdString());
    ASSERT_EQ(shownPrinted.size(), names.size());
    ASSERT_EQ(shownExported.size(), names.size());
    for (int i = 0; i < int(names.size()); ++i) {
        SCOPED_TRACE(cases[i].value);
        EXPECT_EQ(shownPrinted.at(i).toStdString(), cases[i].shown);
        EXPECT_EQ(shownExported.at(i).toStdString(), cases[i].shown);
    }
    EXPECT_EQ(ColumnTypes(QStringLiteral("copy")), ColumnTypes(QStringLiteral("exact")));
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
