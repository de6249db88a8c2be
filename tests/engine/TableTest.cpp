// The table component: opening a table, whether it exists, deleting it, and
// names that must stay names.
#include "engine/Table.h"

#include "engine/Session.h"
#include "platform/core/Exceptions.h"
#include "support/EngineTestSupport.h"
#include "support/TestSupport.h"

#include <QFileInfo>
#include <gtest/gtest.h>

namespace {

class TableTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        RunOnFolder(
            folder.Path(),
            QStringLiteral("CREATE TABLE INIT (A INTEGER, B VARCHAR(8)); INSERT INTO INIT VALUES "
                           "(1, 'one'), (2, 'two');"
                           "CREATE TABLE KEEP (X INTEGER); CREATE VIEW V AS SELECT A FROM INIT;"));
        table.SetDatabaseName(folder.Path());
    }
    void TearDown() override { Session()->Close(); }

    QStringList Tables() const
    {
        QStringList names;
        for (const QStringList& row :
             ReadFolder(folder.Path(), QStringLiteral("SELECT name FROM sqlite_schema WHERE type "
                                                      "IN ('table', 'view') ORDER BY name")))
            names << row[0];
        return names;
    }

    TempFolder folder;
    TTable table;
};

TEST_F(TableTest, OpensATableByNameWithOrWithoutExtension)
{
    table.SetTableName(QStringLiteral("INIT.DB"));
    EXPECT_EQ(table.TableName(), QStringLiteral("INIT.DB"));
    EXPECT_TRUE(table.Exists());
    table.Open();
    EXPECT_EQ(table.RecordCount(), 2);
    ASSERT_EQ(table.FieldCount(), 2);
    EXPECT_EQ(table.Fields(1)->Size(), 8);
    table.Last();
    EXPECT_EQ(table.Fields(1)->AsString(), QStringLiteral("two"));
    table.SetTableName(QStringLiteral("init"));
    EXPECT_FALSE(table.Active()) << "another table name closes the table";
    table.SetTableType(ttParadox);
    EXPECT_EQ(table.TableType(), ttParadox);
}

TEST_F(TableTest, DeleteTableDropsOnlyThatTable)
{
    table.SetTableName(QStringLiteral("init.db"));
    table.DeleteTable();
    EXPECT_EQ(Tables(), (QStringList{QStringLiteral("KEEP"), QStringLiteral("V")}));
    EXPECT_FALSE(table.Exists());
    table.SetTableName(QStringLiteral("V"));
    EXPECT_FALSE(table.Exists()) << "a view is not a table";
    table.DeleteTable();
    EXPECT_EQ(Tables(), QStringList{QStringLiteral("KEEP")});
}

TEST_F(TableTest, MissingTablesRaise)
{
    table.SetTableName(QStringLiteral("NOPE"));
    try {
        table.DeleteTable();
        FAIL() << "a missing table must raise";
    } catch (const EDatabaseError& error) {
        EXPECT_EQ(error.Message(), QStringLiteral("no such table: NOPE"));
    }
    EXPECT_THROW(table.Open(), EDatabaseError);
    EXPECT_FALSE(table.Active());

    TempFolder empty;
    TTable other;
    other.SetDatabaseName(empty.Path());
    other.SetTableName(QStringLiteral("INIT"));
    EXPECT_FALSE(other.Exists());
    EXPECT_THROW(other.DeleteTable(), EDatabaseError);
    EXPECT_THROW(other.Open(), EDatabaseError);
    EXPECT_FALSE(QFileInfo::exists(empty.File(QStringLiteral("tables.db"))))
        << "reading a folder never creates its tables file";
    other.SetDatabaseName(empty.File(QStringLiteral("missing")));
    EXPECT_THROW(other.DeleteTable(), EDatabaseError);
}

TEST_F(TableTest, HostileNamesAreQuotedOrRefused)
{
    const QString odd = QStringLiteral("We\"ird; DROP TABLE KEEP; --");
    RunOnFolder(folder.Path(),
                QStringLiteral("CREATE TABLE \"We\"\"ird; DROP TABLE KEEP; --\" (Z INTEGER);"));
    table.SetTableName(odd);
    EXPECT_TRUE(table.Exists());
    table.Open();
    EXPECT_EQ(table.Fields(0)->FieldName(), QStringLiteral("Z"));
    table.DeleteTable();
    EXPECT_EQ(Tables(),
              (QStringList{QStringLiteral("INIT"), QStringLiteral("KEEP"), QStringLiteral("V")}));

    // Even a table that really bears such a name is refused: names never carry a folder.
    RunOnFolder(folder.Path(), QStringLiteral("CREATE TABLE \"sub/INIT\" (Z INTEGER);"));
    for (const char* name : {"sub/INIT", "../INIT", "..\\INIT", "/etc/INIT", "", "  ", ".DB"}) {
        table.SetTableName(QString::fromUtf8(name));
        EXPECT_THROW(table.DeleteTable(), EDatabaseError) << name;
    }
    EXPECT_EQ(Tables().size(), 4);
}

} // namespace
