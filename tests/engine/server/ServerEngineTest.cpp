// The main road on a server database, in this process: scripts with their
// destinations, the types of a result, Save, passwords, a connection that
// goes away and a statement that is cancelled.
#include "ServerFixture.h"
#include "engine/Field.h"
#include "engine/Session.h"
#include "engine/Table.h"
#include "platform/core/Exceptions.h"
#include "query/enhquery.h"
#include "support/EngineTestSupport.h"

#include <QDateTime>
#include <QtEndian>
#include <thread>

namespace {

// The script runner with the window's settings.
struct WindowQuery
{
    WindowQuery()
    {
        query.SetDatabaseName(QStringLiteral("KIV"));
        query.SetDestinationTable(QStringLiteral("INIT.DB"));
        query.SetDestDatabaseName(QStringLiteral("KIV"));
    }
    void Run(const QString& script)
    {
        query.SetSQLText(script);
        query.Execute();
    }
    TEnhMultiQuery query;
};

// Names longer than the 63 bytes of a name the server keeps: ASCII, and
// two-byte characters.
#define A63 "aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa"
#define AE10 "\xc3\xa4\xc3\xa4\xc3\xa4\xc3\xa4\xc3\xa4\xc3\xa4\xc3\xa4\xc3\xa4\xc3\xa4\xc3\xa4"
#define AE40 AE10 AE10 AE10 AE10

struct ScriptCase
{
    const char* name;
    const char* script;
    const char* result; // the open result's first column, row by row, joined by ","
    const char* tables; // after the run: "big=2" holds 2 rows, "-big" is gone
};

class ServerScriptTest : public ServerTest, public ::testing::WithParamInterface<ScriptCase>
{
};

TEST_P(ServerScriptTest, LeavesTheTablesAskedFor)
{
    WindowQuery run;
    ASSERT_NO_THROW(run.Run(QString::fromUtf8(GetParam().script)));
    QStringList values;
    for (run.query.First(); !run.query.Eof(); run.query.Next())
        values << run.query.Fields(0)->AsString();
    EXPECT_EQ(values.join(QLatin1Char(',')), QString::fromUtf8(GetParam().result));
    for (const QString& table : QString::fromUtf8(GetParam().tables).split(QLatin1Char(' '))) {
        if (table.startsWith(QLatin1Char('-')))
            EXPECT_FALSE(HasTable(table.mid(1))) << table.toStdString();
        else
            EXPECT_EQ(Scalar(QStringLiteral("SELECT count(*) FROM ") + table.section('=', 0, 0)),
                      table.section(QLatin1Char('='), 1));
    }
    EXPECT_EQ(
        Scalar(QStringLiteral("SELECT count(*) FROM pg_tables WHERE tablename LIKE 'tq\\_%'")),
        QStringLiteral("0"));
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    Scripts, ServerScriptTest,
    ::testing::Values(
        ScriptCase{"TemporaryDestinationWithMacro",
                   "DEFINE MINIMUM 100\nSELECT * FROM orders WHERE total > [MINIMUM]\n;BIG\n"
                   "SELECT COUNT(*) FROM BIG", "2", "init=1 -big"},
        ScriptCase{"KeptAndTemporaryByFlag",
                   "SELECT id, total FROM orders\n;Kept KEEP\nSELECT id FROM orders WHERE id > 1\n"
                   ";GONE TRUE\nSELECT id FROM kept ORDER BY id DESC", "3,2,1", "kept=3 init=3 -gone"},
        ScriptCase{"CommandsThenAQuery",
                   "CREATE TABLE t2 (a int)\n;\nINSERT INTO t2 VALUES (1), (2); INSERT INTO t2 "
                   "VALUES (3)\n;\nSELECT a FROM t2 ORDER BY a", "1,2,3", "t2=3 init=3"},
        ScriptCase{"DestinationReadByItsOwnStatement",
                   "SELECT id FROM orders\n;IDS KEEP\nSELECT id + 10 AS id FROM ids\n;IDS KEEP\n"
                   "SELECT id FROM ids ORDER BY id", "11,12,13", "ids=3"},
        ScriptCase{"QuotedNameKeepsItsCase",
                   "SELECT 1 AS one\n;\"Mixed\" KEEP\nSELECT one FROM \"Mixed\"", "1",
                   "\"Mixed\"=1 -mixed"},
        ScriptCase{"RowsNoCursorCanHold",
                   "WITH d AS (DELETE FROM orders RETURNING id) SELECT id FROM d\n;REMOVED KEEP\n"
                   "SELECT 7", "7", "removed=3 orders=0"},
        ScriptCase{"OnlyTemporaryDestinationsAreUnlogged",
                   "SELECT id FROM orders\n;KEPT KEEP\nWITH d AS (DELETE FROM orders RETURNING id) "
                   "SELECT id FROM d\n;SCRATCH\nSELECT id FROM kept\n;FAST\nSELECT "
                   "relpersistence::text FROM pg_class WHERE relname IN ('scratch', 'kept', 'fast') "
                   "ORDER BY relname DESC", "u,p,u", "kept=3 init=3 -scratch -fast"},
        ScriptCase{"PseudoTypedColumn", "SELECT pg_sleep(0) AS nothing", "", "init=1"},
        // The server keeps 63 bytes of a name: columns alike in them stay apart,
        // and a long table name finds the table made before under it.
        ScriptCase{"NamesTheServerCuts",
                   "SELECT 1 AS " A63 "x, 2 AS " A63 "y, 3 AS \"" AE40 "x\", 4 AS \"" AE40 "y\"\n;"
                   A63 "z KEEP\nSELECT 5 AS a\n;" A63 "z KEEP\nSELECT a FROM " A63 "z",
                   "5", A63 "z=1"},
        ScriptCase{"TextStaysUtf8WhateverTheScriptSets",
                   "SET client_encoding = 'LATIN1'\n;\nCREATE TABLE enc AS SELECT '\xc3\xbc' AS u\n;\n"
                   "SELECT length(u) FROM enc", "1", "enc=1"},
        ScriptCase{"NamesTheServerCutsInRowsNoCursorCanHold",
                   "WITH d AS (DELETE FROM orders RETURNING id) SELECT id AS " A63 "x, id AS " A63
                   "y FROM d\n;" A63 "z KEEP\nSELECT 7", "7", A63 "z=3"}),
    [](const auto& info) { return std::string(info.param.name); });
// clang-format on

TEST_F(ServerTest, AFailingStatementLeavesTheTemporaryTablesMadeBeforeIt)
{
    WindowQuery run;
    EXPECT_THROW(run.Run(QStringLiteral("SELECT 1 AS x\n;FIRST\nSELECT * FROM nosuch")),
                 EDatabaseError);
    EXPECT_TRUE(HasTable(QStringLiteral("first")));
    // A script's COPY FROM STDIN has no rows to send: it fails, and the connection goes on.
    EXPECT_THROW(run.Run(QStringLiteral("COPY orders FROM STDIN")), EDatabaseError);
    EXPECT_NO_THROW(run.Run(QStringLiteral("SELECT 1")));
}

// A transaction the script leaves open fails the run and is rolled back, so
// nothing seems kept that the closing connection would undo; after a failure
// inside one, the next run is not stuck in it.
TEST_F(ServerTest, ATransactionTheScriptLeavesOpenFailsTheRunAndIsRolledBack)
{
    WindowQuery run;
    EXPECT_THROW(run.Run(QStringLiteral("BEGIN\n;\nSELECT 1 AS a\n;KEPT KEEP\nSELECT 2")),
                 EDatabaseError);
    EXPECT_FALSE(HasTable(QStringLiteral("kept")));
    EXPECT_THROW(run.Run(QStringLiteral("BEGIN\n;\nSELECT * FROM nosuch")), EDatabaseError);
    ASSERT_NO_THROW(run.Run(QStringLiteral("BEGIN\n;\nSELECT 1 AS a\n;KEPT KEEP\nCOMMIT")));
    EXPECT_EQ(Scalar(QStringLiteral("SELECT a FROM kept")), QStringLiteral("1"));
}

struct TypeCase
{
    const char* expression;
    TFieldType type;
    QVariant value;
    int size = 0;
};

TEST_F(ServerTest, ServerTypesBecomeFieldKinds)
{
    // Local time five and a half hours ahead of the server's, which is in UTC.
    const QByteArray zone = qgetenv("TZ");
    qputenv("TZ", "Asia/Kolkata");
    const std::vector<TypeCase> cases = {
        {"1::int2", ftSmallint, qint64(1)},
        {"70000::int4", ftInteger, qint64(70000)},
        {"9000000000::int8", ftLargeint, qint64(9000000000)},
        {"12.5::numeric(6,2)", ftBCD, 12.5},
        {"1.5::real", ftFloat, 1.5},
        {"2.25::double precision", ftFloat, 2.25},
        {"'-1234.5'::money", ftCurrency, -1234.5},
        {"'x'::text", ftString, QStringLiteral("x")},
        {"'ab'::varchar(5)", ftString, QStringLiteral("ab"), 5},
        {"'ab'::char(3)", ftString, QStringLiteral("ab "), 3},
        {"true", ftBoolean, true},
        {"'2024-02-29'::date", ftDate, QDate(2024, 2, 29)},
        {"'13:45:10'::time", ftTime, QTime(13, 45, 10)},
        {"'2024-02-29 13:45:10'::timestamp", ftDateTime,
         QDateTime(QDate(2024, 2, 29), QTime(13, 45, 10), Qt::UTC)},
        {"'2024-05-01 14:30:00+02'::timestamptz", ftDateTime,
         QDateTime(QDate(2024, 5, 1), QTime(18, 0), Qt::UTC)},
        // Local mean time before the zone's first change; years local time
        // cannot show stay the server's UTC text, which no date is read from.
        {"'1850-06-01 12:00+00'::timestamptz", ftDateTime,
         QDateTime(QDate(1850, 6, 1), QTime(17, 53, 28), Qt::UTC)},
        {"'0044-03-15 10:00+00 BC'::timestamptz", ftDateTime,
         QStringLiteral("0044-03-15 10:00:00+00 BC")},
        {"'20000-01-01 00:00+00'::timestamptz", ftDateTime,
         QStringLiteral("20000-01-01 00:00:00+00")},
        {"'\\x00ff41'::bytea", ftBlob,
         QByteArray("\x00\xff"
                    "A",
                    3)},
        {"'a0eebc99-9c0b-4ef8-bb6d-6bb9bd380a11'::uuid", ftString,
         QStringLiteral("a0eebc99-9c0b-4ef8-bb6d-6bb9bd380a11")},
        {"'{\"a\": 1}'::jsonb", ftString, QStringLiteral("{\"a\": 1}")},
        {"ARRAY[1,2]", ftString, QStringLiteral("{1,2}")},
        {"'1 day 02:00'::interval", ftString, QStringLiteral("1 day 02:00:00")},
        {"NULL::int4", ftInteger, QVariant()},
    };
    QStringList columns;
    for (const TypeCase& c : cases)
        columns << QString::fromUtf8(c.expression);
    TQuery query;
    query.SetDatabaseName(QStringLiteral("KIV"));
    query.SetSQLText(QStringLiteral("SELECT ") + columns.join(QStringLiteral(", ")));
    ASSERT_NO_THROW(query.Open());
    ASSERT_EQ(query.FieldCount(), int(cases.size()));
    for (int i = 0; i < int(cases.size()); ++i) {
        const TField* field = query.Fields(i);
        SCOPED_TRACE(cases[size_t(i)].expression);
        EXPECT_EQ(field->DataType(), cases[size_t(i)].type);
        EXPECT_EQ(field->Value(), cases[size_t(i)].value);
        if (cases[size_t(i)].size) {
            EXPECT_EQ(field->Size(), cases[size_t(i)].size);
        }
    }
    EXPECT_TRUE(query.Fields(6)->Currency());
    zone.isNull() ? qunsetenv("TZ") : qputenv("TZ", zone);
}

// A decimal kept as text shows the regional separator, as numbers do: an
// export must not take its point for a thousands separator.
TEST_F(ServerTest, ExactDecimalsUseTheRegionalSeparator)
{
    PinnedRegional pin(GermanSettings());
    TQuery query;
    query.SetDatabaseName(QStringLiteral("KIV"));
    query.SetSQLText(QStringLiteral("SELECT 12345678901234567890.5::numeric, 1.5::numeric"));
    ASSERT_NO_THROW(query.Open());
    EXPECT_EQ(query.Fields(0)->DisplayText() + query.Fields(1)->DisplayText(),
              QStringLiteral("12345678901234567890,51,5"));
}

// Rows go into the answer many to an insert, across the cursor's fetches:
// every row must keep its own values, converted ones too.
TEST_F(ServerTest, EveryRowKeepsItsValuesAcrossInsertsAndFetches)
{
    const int rows = 20011; // two fetches and a part, not a whole number of inserts
    TQuery query;
    query.SetDatabaseName(QStringLiteral("KIV"));
    query.SetSQLText(QStringLiteral("SELECT g, (g / 100.0)::money AS m, "
                                    "to_timestamp(g) AS t, int4send(g) AS b "
                                    "FROM generate_series(1, %1) g")
                         .arg(rows));
    ASSERT_NO_THROW(query.Open());
    // A moment is shown as the local wall-clock time, held without a zone.
    const auto shown = [](qint64 secs) {
        const QDateTime local = QDateTime::fromSecsSinceEpoch(secs, Qt::LocalTime);
        return QDateTime(local.date(), local.time(), Qt::UTC);
    };
    int wrong = 0, seen = 0;
    for (query.First(); !query.Eof(); query.Next(), ++seen) {
        const qint64 g = query.Fields(0)->Value().toLongLong();
        const QByteArray bytes = query.Fields(3)->Value().toByteArray();
        wrong += !(query.Fields(1)->Value().toDouble() == double(g) / 100 &&
                   query.Fields(2)->Value().toDateTime() == shown(g) && bytes.size() == 4 &&
                   qFromBigEndian<qint32>(bytes.constData()) == g);
    }
    EXPECT_EQ(seen, rows);
    EXPECT_EQ(wrong, 0);
}

// A table read back comes in the server's binary form (a column of a type
// without a binary reader as its text); a query's rows come as text. Both
// must give the same values, of the same kinds, down to the last digit.
TEST_F(ServerTest, ATableReadBackHoldsWhatItsTextGives)
{
    const std::vector<std::pair<const char*, std::vector<const char*>>> columns = {
        {"int2", {"-32768", "32767"}},
        {"int4", {"-2147483648", "2147483647"}},
        {"int8", {"-9223372036854775808", "9223372036854775807"}},
        {"oid", {"4294967295"}},
        {"real", {"0.1", "-3.4028235e38", "1e-45", "'NaN'", "'-Infinity'", "'-0'"}},
        {"double precision",
         {"0.1", "1.7976931348623157e308", "5e-324", "'NaN'", "'Infinity'", "'-0'"}},
        {"numeric",
         {"0", "0.00", "-0.01", "123.4500", "1e-30", "1e-22", "1e22", "1e23", "'NaN'",
          "'-Infinity'", "999999999999999", "1000000000000000", "123456789.123456",
          "1234567890.1234567", "12345678901234567890.123", "-0.000012345678901234"}},
        {"numeric(38,10)", {"1.5", "-9999999999999999999999999999.9999999999"}},
        {"money", {"'-92233720368547758.08'", "'92233720368547758.07'", "0", "'-0.01'"}},
        {"boolean", {"true", "false"}},
        {"varchar(9)", {"'M\u00fcller'", "''", "E'a\\tb'"}},
        {"char(4)", {"'ab'"}},
        {"name", {"'pg_class'"}},
        {"date",
         {"'2024-02-29'", "'1999-12-31'", "'2000-01-01'", "'0044-03-15 BC'", "'4713-01-01 BC'",
          "'5874897-12-31'", "'infinity'", "'-infinity'"}},
        {"time", {"'00:00:00'", "'23:59:59.999999'", "'24:00:00'", "'13:45:10.5'"}},
        {"timestamp",
         {"'2024-02-29 13:45:10.25'", "'1999-12-31 23:59:59.999999'", "'0044-03-15 12:00 BC'",
          "'4713-01-01 00:00 BC'", "'294276-12-31 23:59:59.999999'", "'-infinity'"}},
        {"bytea", {"'\\x00ff41'", "''"}},
        {"timestamptz",
         {"'2024-05-01 14:30:00.123456+02'", "'infinity'", "'-infinity'", "'1850-06-01 12:00+00'",
          "'1999-12-31 23:59:59.9995+00'", "'0044-03-15 10:00+00 BC'", "'20000-01-01 00:00+00'"}},
        {"uuid", {"'a0eebc99-9c0b-4ef8-bb6d-6bb9bd380a11'"}},
        {"interval", {"'1 day 02:00'"}},
        {"int4[]", {"'{1,NULL,3}'"}},
    };
    QStringList definitions, rows;
    size_t longest = 0;
    for (const auto& [type, values] : columns) {
        definitions << QStringLiteral("c%1 %2").arg(definitions.size()).arg(QLatin1String(type));
        longest = std::max(longest, values.size());
    }
    for (size_t row = 0; row <= longest; ++row) { // a last row of nulls
        QStringList values;
        for (const auto& column : columns)
            values << QLatin1String(row < column.second.size() ? column.second[row] : "NULL");
        rows << QLatin1Char('(') + values.join(QStringLiteral(", ")) + QLatin1Char(')');
    }
    Rows(QStringLiteral("CREATE TABLE hostile (%1); INSERT INTO hostile VALUES %2")
             .arg(definitions.join(QStringLiteral(", ")), rows.join(QStringLiteral(", "))));

    TQuery text;
    text.SetDatabaseName(QStringLiteral("KIV"));
    text.SetSQLText(QStringLiteral("SELECT * FROM hostile"));
    TTable binary;
    binary.SetDatabaseName(QStringLiteral("KIV"));
    binary.SetTableName(QStringLiteral("hostile"));
    ASSERT_NO_THROW(text.Open());
    ASSERT_NO_THROW(binary.Open());
    ASSERT_EQ(binary.FieldCount(), int(columns.size()));
    ASSERT_EQ(binary.RecordCount(), qint64(longest + 1));
    for (text.First(), binary.First(); !binary.Eof(); text.Next(), binary.Next()) {
        for (int i = 0; i < binary.FieldCount(); ++i) {
            const QVariant a = text.Fields(i)->Value(), b = binary.Fields(i)->Value();
            SCOPED_TRACE(QStringLiteral("%1 row %2")
                             .arg(columns[size_t(i)].first)
                             .arg(binary.RecNo())
                             .toStdString());
            EXPECT_EQ(binary.Fields(i)->DataType(), text.Fields(i)->DataType());
            EXPECT_EQ(b.typeId(), a.typeId());
            EXPECT_EQ(b.toString().toStdString(), a.toString().toStdString());
        }
    }
}

TEST_F(ServerTest, SaveMakesATableWithTheResultsTypesAndAsksBeforeReplacing)
{
    // Moments go to local time and back at an offset of quarter hours; the
    // last two show the same local time, before and after the clocks go back.
    const QByteArray zone = qgetenv("TZ");
    qputenv("TZ", "Pacific/Chatham");
    const QString moments = QStringLiteral("CASE id WHEN 1 THEN '2024-05-01 14:30:00.123456+02' "
                                           "WHEN 2 THEN '2024-04-06 13:50+00' "
                                           "ELSE '2024-04-06 14:50+00' END::timestamptz");
    WindowQuery run;
    run.Run(QStringLiteral("SELECT id, customer, total, true AS paid, '\\x01'::bytea AS raw, "
                           "%1 AS at FROM orders ORDER BY id")
                .arg(moments));
    run.query.MakePermanent(QStringLiteral("Saved"), true);
    // INIT, the window's destination, is made on the server; the saved table from the grid's rows.
    for (const char* table : {"init", "saved"})
        EXPECT_EQ(ColumnTypes(QString::fromLatin1(table)),
                  QStringLiteral("integer,character varying(20),numeric(10,2),boolean,bytea,"
                                 "timestamp with time zone"));
    EXPECT_EQ(
        Rows(QStringLiteral("SELECT id, customer, total, paid, raw, at = %1 FROM saved ORDER BY id")
                 .arg(moments)),
        (QStringList{"1|Ann|50.00|t|\\x01|t", "2|Bob|150.50|t|\\x01|t", "3|Cy|300.00|t|\\x01|t"}));
    EXPECT_THROW(run.query.MakePermanent(QStringLiteral("SAVED"), false), EDatabaseError);
    EXPECT_TRUE(Session()->TableNames(QStringLiteral("KIV")).contains(QStringLiteral("saved")));
    zone.isNull() ? qunsetenv("TZ") : qputenv("TZ", zone);
}

struct PasswordCase
{
    const char* name;
    std::optional<QString> answer; // std::nullopt: the prompt is cancelled
    bool connects;
};

class ServerPasswordTest : public ServerTest, public ::testing::WithParamInterface<PasswordCase>
{
};

// With no password in the environment, the server's wish reaches the prompt.
TEST_P(ServerPasswordTest, TheServerAsksThroughThePrompt)
{
    const QByteArray password = qgetenv("PGPASSWORD");
    qunsetenv("PGPASSWORD");
    qputenv("PGPASSFILE", "/nonexistent");
    int asked = 0;
    Session()->SetPasswordPrompt([&](const QString&, QString& typed) {
        ++asked;
        if (!GetParam().answer)
            return false;
        typed = *GetParam().answer == QLatin1String("right") ? QString::fromUtf8(password)
                                                             : *GetParam().answer;
        return true;
    });
    Session()->Close();
    TDatabase database;
    database.SetAliasName(QStringLiteral("SALES"));
    QString message;
    try {
        database.Open();
    } catch (const EDatabaseError& error) {
        message = error.Message();
    }
    Session()->SetPasswordPrompt(nullptr);
    qputenv("PGPASSWORD", password);
    qunsetenv("PGPASSFILE");
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(database.Connected(), GetParam().connects) << message.toStdString();
}

INSTANTIATE_TEST_SUITE_P(Answers, ServerPasswordTest,
                         ::testing::Values(PasswordCase{"Right", QStringLiteral("right"), true},
                                           PasswordCase{"Wrong", QStringLiteral("wrong"), false},
                                           PasswordCase{"Cancelled", std::nullopt, false}),
                         [](const auto& info) { return std::string(info.param.name); });

// Runs a script on a worker thread, as the window does, while the test
// interferes; the error it raised.
template <typename Interfere> QString RunWhile(const QString& script, Interfere interfere)
{
    WindowQuery run;
    QString message = QStringLiteral("no error");
    std::thread worker([&] {
        try {
            run.Run(script);
        } catch (const EDatabaseError& error) {
            message = error.Message();
        }
    });
    interfere();
    worker.join();
    return message;
}

TEST_F(ServerTest, AServerThatGoesAwayLeavesNoHalfTable)
{
    const QString message = RunWhile(
        QStringLiteral("SELECT id FROM orders\n;FIRST KEEP\n"
                       "SELECT g FROM generate_series(1, 2000) g WHERE (SELECT true FROM "
                       "pg_sleep(0.01 + g * 0))\n"
                       ";HALF KEEP\n"
                       "SELECT 1"),
        [this] {
            ASSERT_TRUE(WaitForStatement(QStringLiteral("pg_sleep")));
            Rows(QStringLiteral(
                "SELECT pg_terminate_backend(pid) FROM pg_stat_activity "
                "WHERE application_name = 'tessaly-query' AND datname = current_database()"));
        });
    EXPECT_NE(message, QStringLiteral("no error"));
    EXPECT_TRUE(HasTable(QStringLiteral("first")));
    EXPECT_FALSE(HasTable(QStringLiteral("half")));
    EXPECT_EQ(
        Scalar(QStringLiteral("SELECT count(*) FROM pg_tables WHERE tablename LIKE 'tq\\_%'")),
        QStringLiteral("0"));
}

TEST_F(ServerTest, InterruptCancelsTheServersStatementAndDropsTheRunsTemporaryTables)
{
    const QString message = RunWhile(
        QStringLiteral("SELECT id FROM orders\n;SCRATCH\nSELECT 1 AS n FROM pg_sleep(60)"), [this] {
            ASSERT_TRUE(WaitForStatement(QStringLiteral("pg_sleep")));
            Session()->Interrupt();
        });
    EXPECT_EQ(message, QStringLiteral("Operation interrupted"));
    EXPECT_EQ(Scalar(QStringLiteral(
                  "SELECT count(*) FROM pg_stat_activity WHERE state = 'active' "
                  "AND application_name = 'tessaly-query' AND datname = current_database()")),
              QStringLiteral("0"));
    EXPECT_FALSE(HasTable(QStringLiteral("scratch")));
}

} // namespace
