// A statement that another one follows stores its rows straight into its
// destination in the query's own database. The destination must look as it
// would after opening the rows and making them permanent: the declared
// column types, unique column names, the rows in order, a table or view of
// that name replaced, and nothing changed when the statement fails.
#include "FolderDatabase.h"
#include "platform/core/Exceptions.h"
#include "query/enhquery.h"

#include <gtest/gtest.h>

namespace {

class StoreByOneCopyTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        db_.Exec(
            QStringLiteral("CREATE TABLE SRC (ID INTEGER, DAY DATE, PAID BOOLEAN, PRICE CURRENCY,"
                           " NAME VARCHAR(20), AMOUNT NUMERIC(10,2));"
                           "INSERT INTO SRC VALUES (1, '2024-05-01', 1, 1.5, 'M\u00fcller', 10.25),"
                           " (2, '1899-12-30', 0, NULL, 'b', 3), (3, NULL, NULL, -2, NULL, NULL);"
                           "CREATE TABLE DEST (OLD TEXT); INSERT INTO DEST VALUES ('kept');"));
        query_.SetDatabaseName(db_.Name());
        query_.SetDestinationTable(QStringLiteral("INIT.DB"));
        query_.SetDestDatabaseName(db_.Name());
        query_.SetDoBatchMove(true);
    }

    QString Columns(const QString& table) const
    {
        return db_
            .Scalar(QStringLiteral("SELECT group_concat(name || ' ' || type, ', ') FROM "
                                   "pragma_table_info('%1')")
                        .arg(table))
            .toString();
    }

    QString Rows(const QString& sql) const
    {
        return db_
            .Scalar(QStringLiteral("SELECT group_concat(r, '; ') FROM (SELECT quote(ID) || ',' "
                                   "|| quote(NAME) AS r FROM (%1))")
                        .arg(sql))
            .toString();
    }

    FolderDatabase db_;
    TEnhMultiQuery query_;
};

struct StoreCase
{
    const char* name;
    const char* statement;
    const char* destination; // as the terminator line names it
    const char* columns;     // of the stored table, "name type, ..."
    const char* rows;        // ID and NAME of its rows, in order
};

TEST_F(StoreByOneCopyTest, DestinationLooksAsIfTheRowsWereOpenedFirst)
{
    const StoreCase cases[] = {
        {"declared types kept", "SELECT * FROM SRC", "DEST",
         "ID INTEGER, DAY DATE, PAID BOOLEAN, PRICE CURRENCY, NAME VARCHAR(20), AMOUNT "
         "NUMERIC(10,2)",
         "1,'M\u00fcller'; 2,'b'; 3,NULL"},
        {"order and extension", "SELECT ID, NAME FROM SRC ORDER BY ID DESC", "dest.db",
         "ID INTEGER, NAME VARCHAR(20)", "3,NULL; 2,'b'; 1,'M\u00fcller'"},
        {"reads the table it replaces", "SELECT ID, NAME FROM DEST WHERE ID > 1", "DEST",
         "ID INTEGER, NAME VARCHAR(20)", "3,NULL; 2,'b'"},
        {"unique names", "SELECT ID, NAME, ID AS id FROM SRC WHERE ID = 2", "DEST",
         "ID INTEGER, NAME VARCHAR(20), id_1 INTEGER", "2,'b'"},
        {"undeclared column typed by its values",
         "SELECT ID, NAME, ID * 2 AS TWICE FROM SRC WHERE ID < 3", "DEST",
         "ID INTEGER, NAME VARCHAR(20), TWICE INTEGER", "1,'M\u00fcller'; 2,'b'"},
    };
    // Each case starts from DEST holding the result of the first, so the
    // replacement (and reading the replaced table) is tested too.
    for (const StoreCase& c : cases) {
        SCOPED_TRACE(c.name);
        query_.SetSQL({QString::fromUtf8(c.statement),
                       QStringLiteral(";") + c.destination + QStringLiteral(" KEEP"),
                       QStringLiteral("SELECT COUNT(*) AS N FROM DEST")});
        query_.Execute();
        EXPECT_EQ(Columns(QStringLiteral("DEST")), QString::fromUtf8(c.columns));
        EXPECT_EQ(Rows(QStringLiteral("SELECT * FROM DEST")), QString::fromUtf8(c.rows));
        ASSERT_TRUE(query_.Active());
        EXPECT_EQ(query_.ValueAt(0, 0).toLongLong(), db_.Count(QStringLiteral("DEST")));
    }
}

TEST_F(StoreByOneCopyTest, AViewOfTheNameIsReplacedAndATemporaryTableDropped)
{
    db_.Exec(QStringLiteral("DROP TABLE DEST; CREATE VIEW Dest AS SELECT 1 AS ONE"));
    query_.SetSQL({"SELECT ID, NAME FROM SRC", ";DEST", "SELECT COUNT(*) AS N FROM DEST"});
    query_.Execute();
    EXPECT_EQ(query_.ValueAt(0, 0).toLongLong(), 3);
    EXPECT_FALSE(db_.HasTable(QStringLiteral("DEST"))) << "a temporary destination is dropped";
    EXPECT_EQ(db_.Scalar(QStringLiteral("SELECT COUNT(*) FROM sqlite_schema WHERE type = 'view'"))
                  .toLongLong(),
              0);
}

TEST_F(StoreByOneCopyTest, AFailingStatementChangesNothing)
{
    // abs() of the smallest integer fails while the rows are being stored.
    query_.SetSQL({"SELECT ID, NAME FROM SRC WHERE abs(ID - 9223372036854775807 - 3) > 0",
                   ";DEST KEEP", "SELECT 1 AS N"});
    EXPECT_THROW(query_.Execute(), EDatabaseError);
    EXPECT_EQ(Columns(QStringLiteral("DEST")), QStringLiteral("OLD TEXT"));
    EXPECT_EQ(db_.Scalar(QStringLiteral("SELECT OLD FROM DEST")).toString(),
              QStringLiteral("kept"));
}

TEST_F(StoreByOneCopyTest, TheLastStatementStaysOpenAndStoredToo)
{
    query_.SetSQL({"SELECT ID, NAME FROM SRC", ";DEST KEEP"});
    query_.Execute();
    ASSERT_TRUE(query_.Active()) << "the last statement's rows stay open for the grid";
    EXPECT_EQ(query_.RecordCount(), 3);
    EXPECT_EQ(query_.FieldByName(QStringLiteral("NAME"))->Size(), 20);
    EXPECT_EQ(Rows(QStringLiteral("SELECT * FROM DEST")),
              QStringLiteral("1,'M\u00fcller'; 2,'b'; 3,NULL"));
}

} // namespace
