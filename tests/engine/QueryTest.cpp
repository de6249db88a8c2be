// The query dataset: opening, commands, several statements in one text,
// result columns and making the answer permanent.
#include "engine/Query.h"

#include "engine/Session.h"
#include "platform/core/Exceptions.h"
#include "support/EngineTestSupport.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QFileInfo>
#include <gtest/gtest.h>

namespace {

class QueryTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        RunOnFolder(folder.Path(),
                    QStringLiteral("CREATE TABLE ORDERS (ID INTEGER, CUSTOMER VARCHAR(20), TOTAL "
                                   "CURRENCY, PLACED DATE);"
                                   "INSERT INTO ORDERS VALUES (1, 'Ann', 120.5, '2024-05-01');"
                                   "INSERT INTO ORDERS VALUES (2, 'Bob', 80, '2024-05-02');"
                                   "INSERT INTO ORDERS VALUES (3, 'Cleo', 300.25, NULL);"));
        query.SetDatabaseName(folder.Path());
    }
    void TearDown() override { Session()->Close(); }

    QStringList AnswerFiles() const
    {
        return QDir(Session()->PrivateDir()).entryList({QStringLiteral("*.answer")}, QDir::Files);
    }

    TempFolder folder;
    TQuery query;
};

TEST_F(QueryTest, OpenGivesRowsFieldsAndCount)
{
    query.SetSQLText(QStringLiteral("SELECT * FROM ORDERS ORDER BY ID"));
    query.Open();
    ASSERT_TRUE(query.Active());
    EXPECT_EQ(query.RecordCount(), 3);
    ASSERT_EQ(query.FieldCount(), 4);
    EXPECT_EQ(query.Fields(0)->DataType(), ftInteger);
    EXPECT_EQ(query.Fields(1)->DataType(), ftString);
    EXPECT_EQ(query.Fields(1)->Size(), 20);
    EXPECT_EQ(query.Fields(2)->DataType(), ftCurrency);
    EXPECT_TRUE(query.Fields(2)->Currency());
    EXPECT_EQ(query.Fields(3)->DataType(), ftDate);
    EXPECT_EQ(query.FieldByName(QStringLiteral("customer"))->AsString(), QStringLiteral("Ann"));
    query.Next();
    EXPECT_EQ(query.FieldByName(QStringLiteral("ID"))->Value().toLongLong(), 2);
    EXPECT_EQ(AnswerFiles().size(), 1);
    query.Close();
    EXPECT_FALSE(query.Active());
    EXPECT_EQ(query.FieldCount(), 0);
    EXPECT_TRUE(AnswerFiles().isEmpty()) << "closing removes the answer file";
}

TEST_F(QueryTest, ExecSqlRunsEveryStatementInOrder)
{
    query.SetSQLText(QStringLiteral("CREATE TABLE T (A INTEGER, B TEXT);\n"
                                    "INSERT INTO T VALUES (1, 'x;y');  -- a ; in a comment\n"
                                    "/* ; */ INSERT INTO T VALUES (2, 'it''s');\n"
                                    "UPDATE T SET A = A * 10;"));
    query.ExecSQL();
    const auto rows = ReadFolder(folder.Path(), QStringLiteral("SELECT A, B FROM T ORDER BY A"));
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0], (QStringList{QStringLiteral("10"), QStringLiteral("x;y")}));
    EXPECT_EQ(rows[1], (QStringList{QStringLiteral("20"), QStringLiteral("it's")}));
}

TEST_F(QueryTest, OpenRunsEarlierStatementsAndOpensTheLast)
{
    query.SetSQLText(QStringLiteral("CREATE TEMP TABLE X AS SELECT ID FROM ORDERS WHERE ID > 1;\n"
                                    "DELETE FROM X WHERE ID = 3;\n"
                                    "SELECT COUNT(*), COUNT(*), ID FROM X; -- the end\n"));
    query.Open();
    ASSERT_EQ(query.FieldCount(), 3);
    EXPECT_EQ(query.Fields(0)->FieldName(), QStringLiteral("COUNT(*)"));
    EXPECT_EQ(query.Fields(1)->FieldName(), QStringLiteral("COUNT(*)_1"));
    EXPECT_EQ(query.Fields(0)->AsString(), QStringLiteral("1"));
    EXPECT_EQ(query.Fields(2)->AsString(), QStringLiteral("2"));
}

TEST_F(QueryTest, OpenOfAStatementWithoutColumnsRaisesAndRunsNothing)
{
    query.SetSQLText(QStringLiteral("DELETE FROM ORDERS"));
    EXPECT_THROW(query.Open(), EDatabaseError);
    EXPECT_FALSE(query.Active());
    EXPECT_EQ(ReadFolder(folder.Path(), QStringLiteral("SELECT COUNT(*) FROM ORDERS"))[0][0],
              QStringLiteral("3"));
    EXPECT_TRUE(AnswerFiles().isEmpty());
}

TEST_F(QueryTest, ErrorsCarrySqliteMessage)
{
    query.SetSQLText(QStringLiteral("SELECT * FROM NOWHERE"));
    try {
        query.Open();
        FAIL() << "no error";
    } catch (const EDatabaseError& error) {
        EXPECT_EQ(error.Message(), QStringLiteral("no such table: NOWHERE"));
    }
    query.SetSQLText(QStringLiteral("SELEC 1"));
    EXPECT_THROW(query.ExecSQL(), EDatabaseError);
}

// SQLite stops reading at a NUL; the text after it must not be lost silently
// or make the statement loop stand still.
TEST_F(QueryTest, ANulCharacterIsRefusedBeforeAnythingRuns)
{
    const QString text =
        QStringLiteral("DELETE FROM ORDERS;\nSELECT 1") + QChar(0) + QStringLiteral(" SELECT 2");
    query.SetSQLText(text);
    EXPECT_THROW(query.ExecSQL(), EDatabaseError);
    try {
        query.Open();
        FAIL() << "no error";
    } catch (const EDatabaseError& error) {
        EXPECT_TRUE(error.Message().contains(QStringLiteral("NUL character (line 2")))
            << error.Message().toStdString();
    }
    EXPECT_EQ(ReadFolder(folder.Path(), QStringLiteral("SELECT COUNT(*) FROM ORDERS"))[0][0],
              QStringLiteral("3"));
}

TEST_F(QueryTest, MakePermanentKeepsTypesAndReplaces)
{
    TempFolder dest;
    RunOnFolder(dest.Path(),
                QStringLiteral("CREATE TABLE INIT (OLD TEXT); INSERT INTO INIT VALUES ('gone');"));
    query.SetSQLText(
        QStringLiteral("SELECT ID, CUSTOMER, TOTAL, PLACED, TOTAL * 2 AS DOUBLED FROM ORDERS"));
    query.Open();
    query.MakePermanent(dest.Path() + QStringLiteral("\\INIT.DB"), true);
    EXPECT_TRUE(query.Active()) << "the query stays open";
    const auto columns =
        ReadFolder(dest.Path(), QStringLiteral("SELECT name, type FROM pragma_table_info('INIT')"));
    ASSERT_EQ(columns.size(), 5u);
    EXPECT_EQ(columns[0], (QStringList{QStringLiteral("ID"), QStringLiteral("INTEGER")}));
    EXPECT_EQ(columns[1], (QStringList{QStringLiteral("CUSTOMER"), QStringLiteral("VARCHAR(20)")}));
    EXPECT_EQ(columns[2], (QStringList{QStringLiteral("TOTAL"), QStringLiteral("CURRENCY")}));
    EXPECT_EQ(columns[3], (QStringList{QStringLiteral("PLACED"), QStringLiteral("DATE")}));
    EXPECT_EQ(columns[4], (QStringList{QStringLiteral("DOUBLED"), QStringLiteral("REAL")}));
    EXPECT_EQ(ReadFolder(dest.Path(), QStringLiteral("SELECT COUNT(*) FROM INIT"))[0][0],
              QStringLiteral("3"));

    EXPECT_THROW(query.MakePermanent(dest.Path() + QStringLiteral("/INIT"), false), EDatabaseError);
    EXPECT_EQ(ReadFolder(dest.Path(), QStringLiteral("SELECT COUNT(*) FROM INIT"))[0][0],
              QStringLiteral("3"));
}

TEST_F(QueryTest, SqlTextSplitsIntoLinesAndChangesCloseTheQuery)
{
    query.SetSQLText(QStringLiteral("SELECT *\r\nFROM ORDERS\nWHERE ID > 1\rORDER BY ID\r\n"));
    EXPECT_EQ(query.SQL().size(), 4);
    EXPECT_EQ(query.SQL().last(), QStringLiteral("ORDER BY ID"));
    EXPECT_EQ(query.SQLText(),
              QStringLiteral("SELECT *\r\nFROM ORDERS\r\nWHERE ID > 1\r\nORDER BY ID"));
    query.Open();
    EXPECT_EQ(query.RecordCount(), 2);
    query.SetSQLText(query.SQLText());
    EXPECT_TRUE(query.Active()) << "the same text changes nothing";
    query.SetSQL({QStringLiteral("SELECT 1 AS X")});
    EXPECT_FALSE(query.Active());
    query.Open();
    query.SetDatabaseName(folder.Path() + QStringLiteral("/"));
    EXPECT_FALSE(query.Active());
    query.SetRequestLive(true);
    EXPECT_TRUE(query.RequestLive());
}

TEST_F(QueryTest, ReadingAFolderNeverCreatesItsTablesFile)
{
    TempFolder empty;
    const QString file = empty.File(QStringLiteral("tables.db"));
    query.SetDatabaseName(empty.Path());
    query.SetSQLText(QStringLiteral("SELECT 1 AS ONE, 'x' AS TWO"));
    query.Open();
    EXPECT_EQ(query.Fields(1)->AsString(), QStringLiteral("x"));
    query.SetSQLText(QStringLiteral("SELECT * FROM MISSING"));
    EXPECT_THROW(query.Open(), EDatabaseError);
    EXPECT_FALSE(QFileInfo::exists(file));
    query.SetSQLText(QStringLiteral("CREATE TABLE FIRST (A INTEGER)"));
    query.ExecSQL();
    EXPECT_TRUE(QFileInfo::exists(file)) << "the first write creates it";
    EXPECT_EQ(Session()->TableNames(empty.Path()), QStringList{QStringLiteral("FIRST")});
}

TEST_F(QueryTest, RowsKeepTheirOrderInsideAndOutsideAScriptTransaction)
{
    const QString select = QStringLiteral("SELECT ID, CUSTOMER FROM ORDERS ORDER BY TOTAL DESC");
    query.SetSQLText(select);
    query.Open();
    QStringList plain;
    for (query.First(); !query.Eof(); query.Next())
        plain << query.Fields(1)->AsString();
    EXPECT_EQ(plain,
              (QStringList{QStringLiteral("Cleo"), QStringLiteral("Ann"), QStringLiteral("Bob")}));

    // Inside the script's own transaction the rows are copied one by one.
    query.SetSQLText(QStringLiteral("BEGIN; UPDATE ORDERS SET CUSTOMER = CUSTOMER || '!';\n") +
                     select);
    query.Open();
    QStringList inTransaction;
    for (query.First(); !query.Eof(); query.Next())
        inTransaction << query.Fields(1)->AsString();
    EXPECT_EQ(inTransaction, (QStringList{QStringLiteral("Cleo!"), QStringLiteral("Ann!"),
                                          QStringLiteral("Bob!")}));
    EXPECT_EQ(query.Fields(1)->Size(), 20);
    query.Close();
    query.SetSQLText(QStringLiteral("ROLLBACK"));
    query.ExecSQL();
    EXPECT_EQ(
        ReadFolder(folder.Path(), QStringLiteral("SELECT CUSTOMER FROM ORDERS WHERE ID = 1"))[0][0],
        QStringLiteral("Ann"));

    // Statements that cannot follow an INSERT still open.
    query.SetSQLText(QStringLiteral("PRAGMA table_info(ORDERS)"));
    query.Open();
    EXPECT_EQ(query.RecordCount(), 4);
    query.SetSQLText(QStringLiteral("UPDATE ORDERS SET TOTAL = TOTAL RETURNING ID"));
    query.Open();
    EXPECT_EQ(query.RecordCount(), 3);
}

TEST_F(QueryTest, DatabaseNameMayBeAnAlias)
{
    WriteEngineConfig(
        QStringLiteral("[\\DATABASES\\Shop\\DB INFO\\]\nPATH=%1\n").arg(folder.Path()).toUtf8());
    query.SetDatabaseName(QStringLiteral("Shop"));
    query.SetSQLText(QStringLiteral("SELECT COUNT(*) AS N FROM ORDERS"));
    query.Open();
    EXPECT_EQ(query.Fields(0)->AsString(), QStringLiteral("3"));
    query.SetDatabaseName(QStringLiteral("NoSuchAlias"));
    EXPECT_THROW(query.Open(), EDatabaseError);
}

TEST_F(QueryTest, MakePermanentKeepsValuesOfMixedColumnsExactly)
{
    query.SetSQLText(
        QStringLiteral("SELECT CASE WHEN ID = 1 THEN '007' ELSE ID END AS MIXED, ID * 1.5 AS HALF, "
                       "CASE WHEN ID = 2 THEN x'ff00' END AS B FROM ORDERS ORDER BY ID"));
    query.Open();
    query.MakePermanent(QStringLiteral("MIX"), true);
    EXPECT_EQ(ReadFolder(folder.Path(),
                         QStringLiteral("SELECT typeof(MIXED), MIXED, HALF, hex(B) FROM MIX")),
              (std::vector<QStringList>{{"text", "007", "1.5", ""},
                                        {"integer", "2", "3.0", "FF00"},
                                        {"integer", "3", "4.5", ""}}));
    const auto types =
        ReadFolder(folder.Path(), QStringLiteral("SELECT type FROM pragma_table_info('MIX')"));
    EXPECT_EQ(types, (std::vector<QStringList>{{""}, {"REAL"}, {"BLOB"}}));
}

TEST_F(QueryTest, MakePermanentTargetsAndRefusals)
{
    TempFolder dest;
    RunOnFolder(dest.Path(), QStringLiteral("CREATE VIEW INIT AS SELECT 1 AS ONE;"));
    query.SetSQLText(QStringLiteral("SELECT ID FROM ORDERS"));
    query.Open();
    query.MakePermanent(dest.Path() + QStringLiteral("\\init.db"), true);
    EXPECT_EQ(ReadFolder(dest.Path(), QStringLiteral("SELECT type, name FROM sqlite_schema")),
              (std::vector<QStringList>{{"table", "init"}}))
        << "a view of that name is replaced";

    TempFolder empty;
    query.MakePermanent(empty.Path() + QStringLiteral("/FIRST.DB"), false);
    EXPECT_EQ(ReadFolder(empty.Path(), QStringLiteral("SELECT COUNT(*) FROM FIRST"))[0][0],
              QStringLiteral("3"))
        << "a folder without tables gets its tables file";

    query.MakePermanent(QStringLiteral("SAVED.DB"), false);
    EXPECT_EQ(ReadFolder(folder.Path(), QStringLiteral("SELECT COUNT(*) FROM SAVED"))[0][0],
              QStringLiteral("3"))
        << "a bare name goes into the query's own database";

    for (const QString& bad :
         {dest.Path() + QStringLiteral("/"), dest.Path() + QStringLiteral("\\.DB"),
          dest.File(QStringLiteral("missing/INIT")),
          // an existing folder reached by climbing out of the destination
          dest.Path() + QStringLiteral("\\..\\") + QFileInfo(dest.Path()).fileName() +
              QStringLiteral("\\ESCAPED")}) {
        EXPECT_THROW(query.MakePermanent(bad, true), EDatabaseError) << bad.toStdString();
    }
    EXPECT_EQ(ReadFolder(dest.Path(), QStringLiteral("SELECT COUNT(*) FROM sqlite_schema"))[0][0],
              QStringLiteral("1"));
    query.Close();
    EXPECT_THROW(query.MakePermanent(dest.File(QStringLiteral("X")), true), EDatabaseError)
        << "only an open answer can be made permanent";
}

TEST_F(QueryTest, HostileIdentifiersStayIdentifiers)
{
    query.SetSQLText(QStringLiteral(
        "SELECT ID AS \"a\"\"b\", CUSTOMER AS \"x); DROP TABLE ORDERS; --\" FROM ORDERS"));
    query.Open();
    EXPECT_EQ(query.Fields(0)->FieldName(), QStringLiteral("a\"b"));
    const QString table = QStringLiteral("T\"; DROP TABLE ORDERS; --");
    query.MakePermanent(folder.Path() + QLatin1Char('/') + table, true);
    EXPECT_EQ(
        ReadFolder(folder.Path(), QStringLiteral("SELECT name FROM sqlite_schema ORDER BY name")),
        (std::vector<QStringList>{{"ORDERS"}, {table}}));
    const auto columns = ReadFolder(
        folder.Path(),
        QStringLiteral("SELECT name FROM pragma_table_info('T\"; DROP TABLE ORDERS; --')"));
    EXPECT_EQ(columns, (std::vector<QStringList>{{"a\"b"}, {"x); DROP TABLE ORDERS; --"}}));
}

} // namespace
