// The single-statement decision of TEnhQuery and the script runner of
// TEnhMultiQuery, which runs the statements ScriptText makes of its script.
#include "query/enhquery.h"

#include "engine/EngineDatabase.h"
#include "engine/Session.h"
#include "engine/Table.h"
#include "platform/core/Exceptions.h"
#include "platform/core/StrUtils.h"

namespace {

// Position (1-based, 0 when absent) of a keyword in the upper-cased first line.
int KeywordPos(const QString& upperLine, const char* keyword)
{
    return PosFrom(QString::fromLatin1(keyword), upperLine, 1);
}

// Runs a clean-up step on every exit from a scope, failures included.
template <typename F> class ScopeExit
{
public:
    explicit ScopeExit(F f) : f_(std::move(f)) {}
    ~ScopeExit() { f_(); }
    ScopeExit(const ScopeExit&) = delete;
    ScopeExit& operator=(const ScopeExit&) = delete;

private:
    F f_;
};

} // namespace

// ---------------------------------------------------------------------------
// TEnhQuery

TEnhQuery::TEnhQuery(QObject* owner) : TQuery(owner), destDatabaseName_(Session()->PrivateDir()) {}

void TEnhQuery::SetDestinationTable(const QString& table)
{
    destinationTable_ = table;
}

void TEnhQuery::SetDestDatabaseName(const QString& name)
{
    destDatabaseName_ = name;
}

void TEnhQuery::SetDestBatchMoveMode(TBatchMode mode)
{
    destBatchMoveMode_ = mode;
}

void TEnhQuery::SetDoBatchMove(bool doBatchMove)
{
    doBatchMove_ = doBatchMove;
}

void TEnhQuery::MoveToDestination()
{
    // The destination is a table name, never a path: a separator in it could
    // put the table beside or above the destination folder.
    if (destinationTable_.contains(QLatin1Char('/')) ||
        destinationTable_.contains(QLatin1Char('\\')))
        throw EDatabaseError(
            QStringLiteral("Invalid destination table name \"%1\".").arg(destinationTable_));
    TSession& session = *Session();
    const QString destination = EngineDatabaseOf(session, destDatabaseName_)->Location();
    // In the query's own database the rows are stored where they are made.
    if (destination == EngineDatabaseOf(session, DatabaseName())->Location()) {
        if (keepRowsOpen_)
            StoreAndOpen(destinationTable_, destinationLife_);
        else
            StoreAsTable(destinationTable_, destinationLife_);
    } else if (OpenOrExecute()) {
        MakePermanentIn(destDatabaseName_, destinationTable_, true);
    }
}

void TEnhQuery::Execute()
{
    if (SQL().isEmpty())
        return;
    const QString first = SQL().constFirst().toUpper();
    const int select = KeywordPos(first, "SELECT");
    const int where = KeywordPos(first, "WHERE");
    const bool command = KeywordPos(first, "INSERT INTO") > 0 ||
                         KeywordPos(first, "CREATE VIEW") > 0 || select == 0 ||
                         (where > 0 && where <= select);
    if (command)
        ExecSQL();
    else if (!doBatchMove_)
        OpenOrExecute();
    else if (!destinationTable_.isEmpty() && !destDatabaseName_.isEmpty())
        MoveToDestination();
    else
        throw EDatabaseError(QStringLiteral("Destination Table and DatabaseName missing."));
}

// ---------------------------------------------------------------------------
// TEnhMultiQuery

TEnhMultiQuery::TEnhMultiQuery(QObject* owner) : TEnhQuery(owner) {}

// The definitions are made on the first definition or look-up of a run.
ScriptText::TMacros& TEnhMultiQuery::Macros() const
{
    if (!Definitions)
        Definitions.emplace(ScriptText::TMacroClock::WithRegionalSeparators(clock_));
    return *Definitions;
}

void TEnhMultiQuery::SetClock(TClock clock)
{
    clock_ = std::move(clock);
    if (Definitions)
        Definitions->SetClock(ScriptText::TMacroClock::WithRegionalSeparators(clock_));
}

int TEnhMultiQuery::FindDefinition(const QString& name) const
{
    return Definitions ? Definitions->Find(name) : -1;
}

void TEnhMultiQuery::DefineMacro(const QString& name, const QString& value)
{
    Macros().Define(name, value);
}

bool TEnhMultiQuery::IsMacroName(const QString& name) const
{
    return Macros().IsName(name);
}

QString TEnhMultiQuery::MacroValue(const QString& name) const
{
    return Macros().Value(name);
}

QString TEnhMultiQuery::SubstituteMacros(const QString& line) const
{
    return Macros().Substitute(line);
}

void TEnhMultiQuery::Preprocess()
{
    SetSQL(ScriptText::Preprocess(SQL(), Macros()));
}

void TEnhMultiQuery::RunStatement(const QStringList& statement, const QString& destination,
                                  bool useDefaultDB, bool keep)
{
    if (statement.isEmpty())
        return;
    SetSQL(statement);
    // The settings are put back whether or not the statement succeeds, so a
    // run never changes the component's settings.
    const QString savedDestDatabase = DestDatabaseName();
    const QString savedDestination = DestinationTable();
    const bool savedDoBatchMove = DoBatchMove();
    const ScopeExit restore([this, savedDestDatabase, savedDestination, savedDoBatchMove] {
        SetDestDatabaseName(savedDestDatabase);
        SetDestinationTable(savedDestination);
        SetDoBatchMove(savedDoBatchMove);
        SetDestinationLife(TTableLife::kept);
    });
    if (destination.isEmpty()) {
        SetDoBatchMove(false);
        TEnhQuery::Execute();
        return;
    }
    SetDestinationTable(destination);
    SetDoBatchMove(true);
    SetDestDatabaseName(useDefaultDB && !savedDestDatabase.isEmpty() ? savedDestDatabase
                                                                     : DatabaseName());
    if (!keep) {
        TempTables.append(destination);
        SetDestinationLife(TTableLife::scratch);
    }
    TEnhQuery::Execute();
    if (!keep)
        tempJournal_.Made(DatabaseName(), destination);
}

// Temporary tables are created in the query's own database, so they are
// dropped there.
void TEnhMultiQuery::DropTempTables()
{
    if (TempTables.isEmpty())
        return;
    TTable table;
    table.SetDatabaseName(DatabaseName());
    for (qsizetype i = TempTables.size() - 1; i >= 0; --i) {
        try {
            table.SetTableName(TempTables.at(i));
            table.DeleteTable();
            tempJournal_.Dropped(DatabaseName(), TempTables.at(i));
        } catch (const Exception&) {
            // A table that cannot be dropped never fails the run.
        }
    }
    TempTables.clear();
}

void TEnhMultiQuery::Execute()
{
    {
        // The definitions serve the preprocessing alone; one that fails, on a
        // macro that expands without end, leaves none to the next run either.
        const ScopeExit forget([this] { Definitions.reset(); });
        Preprocess();
    }
    RunDoBatchMove = DoBatchMove();
    RunDestinationTable = DestinationTable();
    const bool savedRequestLive = RequestLive();
    SetRequestLive(false);

    if (!ScriptCopy || SQLText() != LastRunSQL)
        ScriptCopy = SQL();
    else
        SetSQL(*ScriptCopy); // unchanged since the last run: the whole script again

    TempTables.clear();
    DropDeadRunTempTables(DatabaseName());
    // However the run ends, the settings are put back and the run's list
    // freed. A failed run keeps its temporary tables; a stopped one, like a
    // killed one, leaves none.
    bool ended = false;
    const ScopeExit finish([this, savedRequestLive, &ended] {
        if (Session()->Interrupted())
            tempJournal_.DropRemaining();
        else
            tempJournal_.Close();
        if (!ended)
            EndScript();
        SetKeepRowsOpen(true);
        SetRequestLive(savedRequestLive);
        LastRunSQL = SQLText();
        TempTables.clear();
    });
    const QList<ScriptText::TStatement> statements = ScriptText::SplitStatements(*ScriptCopy);
    for (qsizetype i = 0; i < statements.size(); ++i) {
        const ScriptText::TStatement& statement = statements.at(i);
        QString destination = statement.destination;
        bool keep = statement.keep;
        // A terminator line that names no table leaves the run's own destination.
        const bool named = !destination.isEmpty();
        if (!named) {
            destination = RunDoBatchMove ? RunDestinationTable : QString();
            keep = RunDoBatchMove;
        }
        Close();
        SetRequestLive(destination.isEmpty() ? savedRequestLive : false);
        // Another statement closes the query before it runs: nothing will see these rows.
        SetKeepRowsOpen(i + 1 == statements.size());
        RunStatement(statement.lines, destination, !named, keep);
    }
    DropTempTables();
    ended = true;
    if (!EndScript())
        throw EDatabaseError(
            QStringLiteral("The script began a transaction and did not end it, so its changes "
                           "were rolled back. End the script with COMMIT to keep them."));
}

bool TEnhMultiQuery::EndScript()
{
    try {
        return EngineDatabaseOf(*Session(), DatabaseName())->EndScript();
    } catch (const Exception&) {
        return true; // a database out of reach has nothing open to end
    }
}
