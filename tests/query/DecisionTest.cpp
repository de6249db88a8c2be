// The single-statement decision: command, open, or open and store as the
// destination table, judged on a real folder database.
#include "FolderDatabase.h"
#include "engine/Session.h"
#include "platform/core/Exceptions.h"
#include "query/enhquery.h"

#include <gtest/gtest.h>

namespace {

class DecisionTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        db_.Exec(
            QStringLiteral("CREATE TABLE T (ID INTEGER, SELECTED INTEGER, NAME VARCHAR(20));"
                           "INSERT INTO T VALUES (1, 0, 'one'), (2, 0, 'two'), (3, 0, 'three');"));
        query_.SetDatabaseName(db_.Name());
        query_.SetDestDatabaseName(db_.Name());
    }

    FolderDatabase db_;
    TEnhQuery query_;
};

enum class Outcome
{
    Command,
    Open,
    Stored
};

struct DecisionCase
{
    const char* name;
    QStringList sql;
    bool doBatchMove;
    Outcome outcome;
    qint64 rowsOfT; // rows of T afterwards, or the rows of the result
};

class DecisionCaseTest : public DecisionTest, public ::testing::WithParamInterface<DecisionCase>
{
};

TEST_P(DecisionCaseTest, RunsAsDecided)
{
    const DecisionCase& c = GetParam();
    query_.SetDoBatchMove(c.doBatchMove);
    query_.SetSQL(c.sql);
    query_.Execute();
    switch (c.outcome) {
    case Outcome::Command:
        EXPECT_FALSE(query_.Active());
        EXPECT_EQ(db_.Count("T"), c.rowsOfT);
        break;
    case Outcome::Open:
        ASSERT_TRUE(query_.Active());
        EXPECT_EQ(query_.RecordCount(), c.rowsOfT);
        break;
    case Outcome::Stored:
        ASSERT_TRUE(query_.Active());
        EXPECT_EQ(query_.RecordCount(), c.rowsOfT);
        ASSERT_TRUE(db_.HasTable("INIT"));
        EXPECT_EQ(db_.Count("INIT"), c.rowsOfT);
        break;
    }
    if (c.outcome != Outcome::Stored) {
        EXPECT_FALSE(db_.HasTable("INIT"));
    }
}

INSTANTIATE_TEST_SUITE_P(
    FirstLineRules, DecisionCaseTest,
    ::testing::Values(
        DecisionCase{"SelectIsStored", {"SELECT * FROM T"}, true, Outcome::Stored, 3},
        DecisionCase{
            "LowerCaseSelectIsStored", {"select id from t where id > 1"}, true, Outcome::Stored, 2},
        DecisionCase{
            "SelectWithoutBatchMoveIsOpened", {"SELECT * FROM T"}, false, Outcome::Open, 3},
        DecisionCase{"WhereBeforeSubquerySelectIsCommand",
                     {"DELETE FROM T WHERE ID IN (SELECT ID FROM T WHERE ID > 1)"},
                     true,
                     Outcome::Command,
                     1},
        DecisionCase{"WhereInACommentBeforeSelectIsCommand",
                     {"/* WHERE */ SELECT * FROM T"},
                     false,
                     Outcome::Command,
                     3},
        DecisionCase{"SelectOnSecondLineIsCommand",
                     {"WITH X AS", "(SELECT ID FROM T) SELECT * FROM X"},
                     false,
                     Outcome::Command,
                     3},
        DecisionCase{"InsertIntoWithRowsIsCommand",
                     {"INSERT INTO T SELECT * FROM T RETURNING ID"},
                     false,
                     Outcome::Command,
                     6},
        DecisionCase{"CreateViewIsCommand",
                     {"CREATE VIEW V AS SELECT * FROM T"},
                     false,
                     Outcome::Command,
                     3},
        DecisionCase{"NoSelectIsCommand", {"DELETE FROM T"}, true, Outcome::Command, 0},
        DecisionCase{"EmptySqlDoesNothing", {}, true, Outcome::Command, 3}),
    [](const auto& info) { return std::string(info.param.name); });

// The first line calls this a query (the column name holds "SELECT" and there
// is no WHERE), but it yields no columns: it runs once, as a command.
TEST_F(DecisionTest, UpdateOfASelectColumnRunsOnceAsCommand)
{
    query_.SetSQL({QStringLiteral("UPDATE T SET SELECTED = SELECTED + 1")});
    ASSERT_NO_THROW(query_.Execute());
    EXPECT_FALSE(query_.Active());
    EXPECT_EQ(db_.Scalar("SELECT SUM(SELECTED) FROM T").toLongLong(), 3);
    EXPECT_FALSE(db_.HasTable("INIT"));
}

// A text the first line calls a query: its earlier statements run as
// commands on the database's own connection, so the last one sees what they
// made; a last statement without result columns runs as a command, even in a
// folder that has no tables file yet.
TEST(QueryTextStatements, TheLastStatementDecides)
{
    const struct
    {
        const char* name;
        bool withTable; // the folder already holds T (ID 1..3)
        const char* sql;
        const char* check; // a scalar query on the folder afterwards
        qint64 expected;
        qint64 initRows; // rows stored as INIT, -1 when none
    } cases[] = {
        {"update then select", true,
         "UPDATE T SET NAME = 'q'; SELECT COUNT(*) AS N FROM T WHERE NAME = 'q'",
         "SELECT COUNT(*) FROM T WHERE NAME = 'q'", 3, 1},
        {"temporary table of the same text", true,
         "CREATE TEMP TABLE TT AS SELECT 1 AS A; UPDATE TT SET A = (SELECT 2); SELECT A FROM TT",
         "SELECT A FROM INIT", 2, 1},
        {"create table with a SELECTED column, no tables yet", false,
         "CREATE TABLE Z (ID INTEGER, SELECTED INTEGER)",
         "SELECT COUNT(*) FROM sqlite_schema WHERE name = 'Z'", 1, -1},
        {"create table as select, no tables yet", false, "CREATE TABLE C AS SELECT 7 AS A",
         "SELECT A FROM C", 7, -1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        FolderDatabase db(QStringLiteral("TEXT"));
        if (c.withTable)
            db.Exec(QStringLiteral("CREATE TABLE T (ID INTEGER, NAME VARCHAR(20));"
                                   "INSERT INTO T VALUES (1, 'a'), (2, 'b'), (3, 'c');"));
        TEnhQuery query;
        query.SetDatabaseName(db.Name());
        query.SetDestDatabaseName(db.Name());
        query.SetSQL({QLatin1String(c.sql)});
        ASSERT_NO_THROW(query.Execute());
        EXPECT_EQ(db.Scalar(QLatin1String(c.check)).toLongLong(), c.expected);
        EXPECT_EQ(query.Active(), c.initRows >= 0);
        EXPECT_EQ(db.HasTable("INIT"), c.initRows >= 0);
        if (c.initRows >= 0) {
            EXPECT_EQ(db.Count("INIT"), c.initRows);
        }
    }
}

TEST_F(DecisionTest, MissingDestinationFailsBeforeAnythingRuns)
{
    for (const auto& [table, database] :
         {std::pair<QString, QString>{"", "KIV"}, std::pair<QString, QString>{"INIT.DB", ""}}) {
        query_.SetDestinationTable(table);
        query_.SetDestDatabaseName(database);
        query_.SetSQL({QStringLiteral("SELECT * FROM T")});
        try {
            query_.Execute();
            ADD_FAILURE() << "no error";
        } catch (const EDatabaseError& e) {
            EXPECT_EQ(e.Message(), QStringLiteral("Destination Table and DatabaseName missing."));
        }
        EXPECT_FALSE(query_.Active());
    }
    EXPECT_EQ(db_.Tables(), QStringList{"T"});
}

TEST_F(DecisionTest, DestinationDatabaseMayBeAFolderOrADatabaseName)
{
    FolderDatabase other(QStringLiteral("OTHER"));
    other.Exec(QStringLiteral("CREATE TABLE KEEP (A INTEGER)"));
    query_.SetSQL({QStringLiteral("SELECT NAME FROM T WHERE ID < 3")});
    query_.SetDestinationTable(QStringLiteral("PAIR.DB"));
    query_.SetDestDatabaseName(other.Folder());
    query_.Execute();
    EXPECT_EQ(other.Count("PAIR"), 2);

    // Storing again replaces the table.
    query_.Close();
    query_.SetSQL({QStringLiteral("SELECT NAME FROM T")});
    query_.SetDestDatabaseName(QStringLiteral("OTHER"));
    query_.Execute();
    EXPECT_EQ(other.Count("PAIR"), 3);
    EXPECT_FALSE(db_.HasTable("PAIR"));
}

// The default destination is the private folder, which holds no tables until
// the first result is stored there.
TEST_F(DecisionTest, StoresIntoAFolderWithoutTablesYet)
{
    TEnhQuery query;
    query.SetDatabaseName(db_.Name());
    query.SetSQL({QStringLiteral("SELECT * FROM T")});
    ASSERT_NO_THROW(query.Execute());
    EXPECT_TRUE(Session()->TableNames(query.DestDatabaseName()).contains(QStringLiteral("INIT")));
}

TEST(EnhQueryDefaults, PropertiesAndDefaults)
{
    TEnhQuery query;
    EXPECT_EQ(query.DestinationTable(), QStringLiteral("INIT.DB"));
    EXPECT_EQ(query.DestDatabaseName(), Session()->PrivateDir());
    EXPECT_EQ(query.DestBatchMoveMode(), TEnhQuery::batCopy);
    EXPECT_TRUE(query.DoBatchMove());
    // The form settings reach the component by property name.
    EXPECT_TRUE(query.setProperty("DestinationTable", QStringLiteral("OUT.DB")));
    EXPECT_TRUE(query.setProperty("DestBatchMoveMode", int(TEnhQuery::batAppend)));
    EXPECT_TRUE(query.setProperty("DoBatchMove", false));
    EXPECT_EQ(query.DestinationTable(), QStringLiteral("OUT.DB"));
    EXPECT_EQ(query.DestBatchMoveMode(), TEnhQuery::batAppend);
    EXPECT_FALSE(query.DoBatchMove());
}

} // namespace
