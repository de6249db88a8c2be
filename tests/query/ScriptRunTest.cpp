// Whole scripts through the runner, with the main window's settings, on a real
// folder database: statements, terminator lines, temporary tables, re-runs,
// failures and hostile text.
#include "FolderDatabase.h"
#include "platform/core/Exceptions.h"
#include "platform/core/Registry.h"
#include "query/enhquery.h"

#include <QDir>
#include <QFileInfo>
#include <gtest/gtest.h>

namespace {

class ScriptRunTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        db_.Exec(QStringLiteral("CREATE TABLE T (ID INTEGER, NAME VARCHAR(20));"
                                "INSERT INTO T VALUES (1, 'one'), (2, 'two'), (3, 'three');"));
        query_.SetDatabaseName(db_.Name());
        query_.SetDestinationTable(QStringLiteral("INIT.DB"));
        query_.SetDestDatabaseName(db_.Name());
        query_.SetDoBatchMove(true);
        query_.SetRequestLive(true);
    }

    void Run(const QStringList& script)
    {
        query_.SetSQL(script);
        query_.Execute();
    }

    // The settings a run must leave as it found them.
    void ExpectSettingsKept(const QString& destDatabase = QStringLiteral("KIV"))
    {
        EXPECT_EQ(query_.DestinationTable(), QStringLiteral("INIT.DB"));
        EXPECT_EQ(query_.DestDatabaseName(), destDatabase);
        EXPECT_TRUE(query_.DoBatchMove());
        EXPECT_TRUE(query_.RequestLive());
    }

    // The journals of temporary tables beside tables.db: only a killed run leaves one.
    QStringList Journals() const
    {
        return QDir(db_.Folder())
            .entryList({QStringLiteral(".tessaly-temp-*")}, QDir::Files | QDir::Hidden);
    }

    FolderDatabase db_;
    TEnhMultiQuery query_;
};

TEST_F(ScriptRunTest, WorkedExample)
{
    db_.Exec(QStringLiteral("CREATE TABLE ORDERS (ID INTEGER, TOTAL REAL);"
                            "INSERT INTO ORDERS VALUES (1, 50), (2, 150), (3, 250), (4, 99.5),"
                            " (5, 100), (6, 100.5);"));
    Run({"DEFINE MINIMUM 100", "SELECT * FROM ORDERS WHERE TOTAL > [MINIMUM]", ";BIG",
         "SELECT COUNT(*) FROM BIG"});
    ASSERT_TRUE(query_.Active());
    ASSERT_EQ(query_.RecordCount(), 1);
    EXPECT_EQ(query_.ValueAt(0, 0).toLongLong(), 3);
    EXPECT_EQ(db_.Count("INIT"), 1);
    EXPECT_EQ(db_.Scalar("SELECT * FROM INIT").toLongLong(), 3);
    EXPECT_FALSE(db_.HasTable("BIG"));
    EXPECT_EQ(Journals(), QStringList());
    EXPECT_EQ(query_.SQL(), QStringList{"SELECT COUNT(*) FROM BIG "});
    EXPECT_FALSE(query_.IsMacroName(QStringLiteral("MINIMUM")));
    ExpectSettingsKept();
}

struct TerminatorCase
{
    const char* name;
    QString terminator;
    QString keptTable; // the table that holds the first statement's rows afterwards
};

class TerminatorTest : public ScriptRunTest, public ::testing::WithParamInterface<TerminatorCase>
{
};

TEST_P(TerminatorTest, NamesAndKeepsTheDestination)
{
    const TerminatorCase& c = GetParam();
    Run({"SELECT ID FROM T WHERE ID < 3", c.terminator, "UPDATE T SET NAME = 'x' WHERE ID = 3"});
    EXPECT_FALSE(query_.Active()); // the last statement is a command
    QStringList expected{"T"};
    if (!c.keptTable.isEmpty()) {
        expected << c.keptTable;
        EXPECT_EQ(db_.Count(c.keptTable), 2);
    }
    QStringList tables = db_.Tables();
    tables.sort(Qt::CaseInsensitive);
    expected.sort(Qt::CaseInsensitive);
    EXPECT_EQ(tables, expected);
    ExpectSettingsKept();
}

INSTANTIATE_TEST_SUITE_P(
    Forms, TerminatorTest,
    ::testing::Values(TerminatorCase{"Bare", ";", "INIT"},
                      TerminatorCase{"BareWithBlanks", "  ;   ", "INIT"},
                      TerminatorCase{"NameIsTemporary", ";X", ""},
                      TerminatorCase{"NameWithBlanksIsTemporary", "  ;  X  ", ""},
                      TerminatorCase{"UpperT", ";X T", ""},
                      TerminatorCase{"WordStartingWithLowerT", ";X temporary", ""},
                      TerminatorCase{"False", ";X FALSE", "X"},
                      TerminatorCase{"AnyOtherWord", ";X keep", "X"},
                      TerminatorCase{"ExtensionIsDropped", ";X.DB FALSE", "X"},
                      TerminatorCase{"SeveralWords", ";X   FALSE  later words", "X"},
                      TerminatorCase{"TabDoesNotSplit", ";X\tFALSE", ""}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(ScriptRunTest, TwoTerminatorsInARowCloseTheRows)
{
    Run({"SELECT ID FROM T", ";", ";NEVER FALSE"});
    EXPECT_FALSE(query_.Active());
    EXPECT_EQ(db_.Count("INIT"), 3);
    EXPECT_FALSE(db_.HasTable("NEVER"));
    EXPECT_EQ(query_.SQL(), QStringList{"SELECT ID FROM T "});
}

// Running again while the SQL lines hold what the run left runs the whole
// script again with the macro values of the first run; new lines make a new script.
TEST_F(ScriptRunTest, RerunRepeatsTheWholeScriptWithItsMacroValues)
{
    db_.Exec(QStringLiteral("CREATE TABLE LOG (AT TEXT)"));
    QTime now(10, 0, 0);
    query_.SetClock([&now] { return QDateTime(QDate(2024, 5, 6), now); });
    const QStringList script{"INSERT INTO LOG VALUES ('[TIME]')", ";",
                             "SELECT COUNT(DISTINCT AT) AS N, COUNT(*) AS C FROM LOG"};
    Run(script);
    EXPECT_EQ(query_.SQL(), QStringList{script.last() + " "});

    now = QTime(11, 0, 0);
    query_.Execute();
    ASSERT_TRUE(query_.Active());
    EXPECT_EQ(query_.ValueAt(0, 0).toLongLong(), 1);
    EXPECT_EQ(query_.ValueAt(0, 1).toLongLong(), 2);

    Run(script);
    EXPECT_EQ(query_.ValueAt(0, 0).toLongLong(), 2);
    EXPECT_EQ(query_.ValueAt(0, 1).toLongLong(), 3);

    // Appending a terminator to what the run left stores only the last statement.
    QStringList lines = query_.SQL();
    lines << QStringLiteral(";SAVED FALSE");
    Run(lines);
    EXPECT_EQ(db_.Count("LOG"), 3);
    EXPECT_EQ(db_.Scalar("SELECT C FROM SAVED").toLongLong(), 3);
}

// The run writes its date macros with the user's regional separators.
TEST_F(ScriptRunTest, DateMacrosUseTheRegionalSeparators)
{
    TRegistry registry;
    ASSERT_TRUE(registry.OpenKey(QStringLiteral("\\Control Panel\\International"), true));
    registry.WriteString(QStringLiteral("sDate"), QStringLiteral("."));
    registry.WriteString(QStringLiteral("sTime"), QStringLiteral("-"));
    query_.SetClock([] { return QDateTime(QDate(2024, 3, 7), QTime(13, 5, 9)); });
    Run({"SELECT '[NOW]' AS N"});
    ASSERT_TRUE(query_.Active());
    EXPECT_EQ(query_.ValueAt(0, 0).toString(), QStringLiteral("03.07.2024 13-05-09"));
}

// A script refused for an endless macro leaves no definitions to the next run.
TEST_F(ScriptRunTest, RefusedMacroLeavesNoDefinitionsBehind)
{
    EXPECT_THROW(Run({"DEFINE A 1", "DEFINE L X[L]", "SELECT '[L]'"}), Exception);
    Run({"SELECT '[A]' AS X"});
    ASSERT_TRUE(query_.Active());
    EXPECT_EQ(query_.ValueAt(0, 0).toString(), QStringLiteral("[A]"));
}

TEST_F(ScriptRunTest, FailingStatementEndsTheRunAndPutsTheSettingsBack)
{
    const QStringList scripts[] = {
        {"DEFINE M 1", "SELECT ID FROM T", ";BIG", "SELECT * FROM MISSING", ";", "SELECT 1"},
        {"DEFINE M 1", "SELECT ID FROM T", ";BIG", "SELECT * FROM MISSING", ";OUT FALSE",
         "SELECT 1"},
        {"DEFINE M 1", "SELECT ID FROM T", ";BIG", "DELETE FROM MISSING", "SELECT 1"},
    };
    for (const QStringList& script : scripts) {
        db_.Exec(QStringLiteral("DROP TABLE IF EXISTS BIG"));
        EXPECT_THROW(Run(script), EDatabaseError) << script.join('|').toStdString();
        EXPECT_EQ(db_.Count("BIG"), 3); // the temporary table of the first statement stays
        EXPECT_FALSE(db_.HasTable("OUT"));
        EXPECT_FALSE(db_.HasTable("INIT")); // the later statements did not run
        EXPECT_FALSE(query_.IsMacroName(QStringLiteral("M")));
        ExpectSettingsKept();
        // A failed run's tables are not for the next run to drop.
        EXPECT_EQ(Journals(), QStringList());
        Run({"SELECT 1"});
        EXPECT_EQ(db_.Count("BIG"), 3);
        db_.Exec(QStringLiteral("DROP TABLE INIT"));
    }
}

// With DoBatchMove set but no destination table, rows are only opened, and
// the run leaves DoBatchMove as it was.
TEST_F(ScriptRunTest, NoDefaultDestinationOpensRowsAndKeepsDoBatchMove)
{
    query_.SetDestinationTable(QString());
    Run({"SELECT ID FROM T", ";X KEEP", "SELECT NAME FROM T WHERE ID > 1"});
    ASSERT_TRUE(query_.Active());
    EXPECT_EQ(query_.RecordCount(), 2);
    EXPECT_EQ(db_.Count("X"), 3);
    EXPECT_FALSE(db_.HasTable("INIT"));
    EXPECT_TRUE(query_.DoBatchMove());
    EXPECT_EQ(query_.DestinationTable(), QString());

    query_.SetDoBatchMove(false);
    Run({"SELECT ID FROM T", ";Y KEEP", "SELECT NAME FROM T"});
    EXPECT_EQ(query_.RecordCount(), 3);
    EXPECT_EQ(db_.Count("Y"), 3);
    EXPECT_FALSE(db_.HasTable("INIT"));
    EXPECT_FALSE(query_.DoBatchMove());
}

// A bare terminator stores in the default destination database; a named one,
// and the temporary tables with it, live in the query's own database.
TEST_F(ScriptRunTest, NamedDestinationsLiveInTheQuerysOwnDatabase)
{
    FolderDatabase other(QStringLiteral("OTHER"));
    other.Exec(QStringLiteral("CREATE TABLE TMP (A INTEGER)"));
    query_.SetDestDatabaseName(other.Name());
    Run({"SELECT ID FROM T", ";", "SELECT ID FROM T WHERE ID = 1", ";NAMED KEEP",
         "SELECT ID FROM T WHERE ID < 3", ";TMP", "DELETE FROM T WHERE ID = 0"});
    EXPECT_EQ(other.Count("INIT"), 3);
    EXPECT_EQ(db_.Count("NAMED"), 1);
    EXPECT_EQ(db_.Tables(), (QStringList{"NAMED", "T"}));
    EXPECT_EQ(other.Tables(), (QStringList{"INIT", "TMP"}));
    ExpectSettingsKept(QStringLiteral("OTHER"));
}

TEST_F(ScriptRunTest, TemporaryTableGoneAlreadyDoesNotFailTheRun)
{
    Run({"SELECT ID FROM T", ";A", "SELECT * FROM A WHERE ID > 1", ";B", "DROP TABLE A", ";",
         "SELECT COUNT(*) FROM B"});
    EXPECT_EQ(query_.ValueAt(0, 0).toLongLong(), 2);
    EXPECT_EQ(db_.Tables(), (QStringList{"INIT", "T"}));
}

TEST_F(ScriptRunTest, SemicolonsInsideLinesAreStatementText)
{
    Run({"INSERT INTO T VALUES (4, 'a;b');", "INSERT INTO T VALUES (5, ';');", ";",
         "SELECT NAME FROM T WHERE ID >= 4;", "SELECT NAME, ID FROM T WHERE ID >= 4 ORDER BY ID"});
    ASSERT_TRUE(query_.Active());
    ASSERT_EQ(query_.RecordCount(), 2);
    EXPECT_EQ(query_.FieldCount(), 2); // both lines made one statement; the last one's rows show
    EXPECT_EQ(query_.ValueAt(0, 0).toString(), QStringLiteral("a;b"));
    EXPECT_EQ(query_.ValueAt(1, 0).toString(), QStringLiteral(";"));
}

TEST_F(ScriptRunTest, BracketsAndQuotesThatAreNoMacrosReachTheEngineUnchanged)
{
    Run({"DEFINE Q 'it''s'", "SELECT '[NOT_A_MACRO]' AS A, '[]' AS B, [Q] AS C, '[' || NAME || ']' "
                             "AS D FROM T WHERE ID = 1"});
    ASSERT_EQ(query_.RecordCount(), 1);
    EXPECT_EQ(query_.ValueAt(0, 0).toString(), QStringLiteral("[NOT_A_MACRO]"));
    EXPECT_EQ(query_.ValueAt(0, 1).toString(), QStringLiteral("[]"));
    EXPECT_EQ(query_.ValueAt(0, 2).toString(), QStringLiteral("IT'S"));
    EXPECT_EQ(query_.ValueAt(0, 3).toString(), QStringLiteral("[one]"));
}

// A destination name from a terminator line is an identifier, whatever it holds.
TEST_F(ScriptRunTest, HostileDestinationNameIsOnlyATableName)
{
    const QString name = QStringLiteral("A\";DROP\tTABLE\tT;--");
    Run({"SELECT ID FROM T", ";" + name + " KEEP", "SELECT 1"});
    EXPECT_EQ(db_.Count("T"), 3);
    EXPECT_TRUE(db_.Tables().contains(name));
    EXPECT_EQ(db_.Count(QStringLiteral("A\"\";DROP\tTABLE\tT;--")), 3);
}

// Not even into a neighbouring database folder that a relative path would reach.
TEST_F(ScriptRunTest, DestinationNameCannotLeaveItsFolder)
{
    FolderDatabase other(QStringLiteral("OTHER"));
    other.Exec(QStringLiteral("CREATE TABLE HELD (A INTEGER)"));
    const QString neighbour = QFileInfo(other.Folder()).fileName();
    const QString parent = QFileInfo(db_.Folder()).absolutePath();
    const QString terminators[] = {";../" + neighbour + "/ESCAPED KEEP",
                                   ";..\\" + neighbour + "\\ESCAPED", ";../ESCAPED FALSE",
                                   ";sub/X FALSE", ";.. FALSE"};
    for (const QString& terminator : terminators) {
        EXPECT_THROW(Run({"SELECT ID FROM T", terminator, "SELECT 1"}), EDatabaseError)
            << terminator.toStdString();
        ExpectSettingsKept();
    }
    EXPECT_EQ(other.Tables(), QStringList{"HELD"});
    EXPECT_FALSE(QFileInfo::exists(parent + "/tables.db"));
    // The refusal names the table, without the folder's separators.
    try {
        Run({"SELECT ID FROM T", ";..", "SELECT 1"});
        ADD_FAILURE() << "no error";
    } catch (const EDatabaseError& error) {
        EXPECT_EQ(error.Message(), "Invalid table name: ..");
    }
    EXPECT_EQ(db_.Tables(), QStringList{"T"});
}

// A long generated script runs through preprocessing and statement forming.
TEST_F(ScriptRunTest, LongScriptRuns)
{
    constexpr int kValues = 99999; // with the filler lines, 200,000 lines in all
    QStringList script{"DEFINE V 2", "SELECT COUNT(*) AS N FROM T WHERE ID IN ("};
    for (int i = 0; i < kValues; ++i)
        script << QStringLiteral("  [V], ") << QStringLiteral("// filler");
    script.last() = QStringLiteral("3)");
    ASSERT_EQ(script.size(), 200000);
    Run(script);
    ASSERT_TRUE(query_.Active());
    EXPECT_EQ(query_.ValueAt(0, 0).toLongLong(), 2);
    EXPECT_EQ(db_.Scalar("SELECT N FROM INIT").toLongLong(), 2);
    EXPECT_EQ(query_.SQL().size(), 1 + kValues + 1);
}

} // namespace
