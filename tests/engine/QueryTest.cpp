// The query dataset: opening, commands, several statements in one text,
// result columns and making the answer permanent.
#include "engine/EngineTestSupport.h"
#include "support/TestSupport.h"
#include "engine/Query.h"
#include "engine/Session.h"
#include "platform/core/Exceptions.h"

#include <QDir>
#include <QFileInfo>

#include <gtest/gtest.h>

namespace {

class QueryTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        RunOnFolder(folder.Path(), QStringLiteral(
            "CREATE TABLE ORDERS (ID INTEGER, CUSTOMER VARCHAR(20), TOTAL CURRENCY, PLACED DATE);"
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
    query.SetSQLText(QStringLiteral(
        "CREATE TABLE T (A INTEGER, B TEXT);\n"
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
    query.SetSQLText(QStringLiteral(
        "CREATE TEMP TABLE X AS SELECT ID FROM ORDERS WHERE ID > 1;\n"
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

TEST_F(QueryTest, MakePermanentKeepsTypesAndReplaces)
{
    TempFolder dest;
    RunOnFolder(dest.Path(), QStringLiteral("CREATE TABLE INIT (OLD TEXT); INSERT INTO INIT VALUES ('gone');"));
    query.SetSQLText(QStringLiteral("SELECT ID, CUSTOMER, TOTAL, PLACED, TOTAL * 2 AS DOUBLED FROM ORDERS"));
    query.Open();
    query.MakePermanent(dest.Path() + QStringLiteral("\\INIT.DB"), true);
    EXPECT_TRUE(query.Active()) << "the query stays open";
    const auto columns = ReadFolder(dest.Path(), QStringLiteral("SELECT name, type FROM pragma_table_info('INIT')"));
    ASSERT_EQ(columns.size(), 5u);
    EXPECT_EQ(columns[0], (QStringList{QStringLiteral("ID"), QStringLiteral("INTEGER")}));
    EXPECT_EQ(columns[1], (QStringList{QStringLiteral("CUSTOMER"), QStringLiteral("VARCHAR(20)")}));
    EXPECT_EQ(columns[2], (QStringList{QStringLiteral("TOTAL"), QStringLiteral("CURRENCY")}));
    EXPECT_EQ(columns[3], (QStringList{QStringLiteral("PLACED"), QStringLiteral("DATE")}));
    EXPECT_EQ(columns[4], (QStringList{QStringLiteral("DOUBLED"), QStringLiteral("REAL")}));
    EXPECT_EQ(ReadFolder(dest.Path(), QStringLiteral("SELECT COUNT(*) FROM INIT"))[0][0], QStringLiteral("3"));

    EXPECT_THROW(query.MakePermanent(dest.Path() + QStringLiteral("/INIT"), false), EDatabaseError);
    EXPECT_EQ(ReadFolder(dest.Path(), QStringLiteral("SELECT COUNT(*) FROM INIT"))[0][0], QStringLiteral("3"));
}

} // namespace
