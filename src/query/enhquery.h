// The queries the main window runs its scripts through. TEnhQuery decides per
// statement whether to run it as a command, open its rows, or open them and
// store them as a permanent destination table. TEnhMultiQuery runs a whole
// script: ScriptText resolves comments, macro definitions and bracketed macros
// and cuts the script into statements at terminator lines; each statement goes
// through the single-statement decision, and the tables the script marked as
// temporary are dropped at the end. The last result stays open for the grid.
//
// Execute may run on a worker thread while the GUI thread waits; nothing here
// touches the GUI.
#pragma once

#include "engine/Query.h"
#include "engine/TempTableJournal.h"
#include "query/ScriptText.h"

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

class TEnhQuery : public TQuery
{
    Q_OBJECT
public:
    // How a batch move writes its destination; kept for the form settings,
    // no operation reads it.
    enum TBatchMode
    {
        batAppend,
        batUpdate,
        batAppendUpdate,
        batDelete,
        batCopy
    };
    Q_ENUM(TBatchMode)

private:
    Q_PROPERTY(QString DestinationTable READ DestinationTable WRITE SetDestinationTable)
    Q_PROPERTY(QString DestDatabaseName READ DestDatabaseName WRITE SetDestDatabaseName)
    Q_PROPERTY(TBatchMode DestBatchMoveMode READ DestBatchMoveMode WRITE SetDestBatchMoveMode)
    Q_PROPERTY(bool DoBatchMove READ DoBatchMove WRITE SetDoBatchMove)

public:
    // DestDatabaseName starts as the default session's private folder.
    explicit TEnhQuery(QObject* owner = nullptr);

    const QString& DestinationTable() const { return destinationTable_; }
    void SetDestinationTable(const QString& table);
    const QString& DestDatabaseName() const { return destDatabaseName_; }
    void SetDestDatabaseName(const QString& name);
    TBatchMode DestBatchMoveMode() const { return destBatchMoveMode_; }
    void SetDestBatchMoveMode(TBatchMode mode);
    bool DoBatchMove() const { return doBatchMove_; }
    void SetDoBatchMove(bool doBatchMove);

    // Opens the query and makes its answer the table DestinationTable in the
    // database of DestDatabaseName, replacing a table of that name. The query
    // stays open (unless the script runner has said that another statement
    // follows: then the rows go straight into a destination in the query's
    // own database and the query stays closed). A last statement without
    // result columns runs as a command instead: the destination is not filled
    // and the query stays closed. A table name holding a path separator is
    // refused before anything runs, so a name can never reach outside its
    // folder.
    virtual void MoveToDestination();

    // Runs the SQL by what its first line says (upper-cased, plain substring
    // search): "INSERT INTO", "CREATE VIEW", no "SELECT", or a "WHERE" at or
    // before the "SELECT" make it a command; anything else returns rows and is
    // opened, and stored as the destination table when DoBatchMove is set.
    // The first line decides; the earlier statements of a text taken for a
    // query run as commands, and when its last statement turns out to have no
    // result columns (an UPDATE of a column whose name holds "SELECT", a
    // CREATE TABLE with a column named SELECTED) it runs as a command too.
    virtual void Execute();

protected:
    // Whether rows stored as the destination stay open afterwards; the script
    // runner clears it for a statement that another one follows, since that
    // one closes the query first anyway.
    void SetKeepRowsOpen(bool keep) { keepRowsOpen_ = keep; }
    // Whether the destination is one the script runner drops at the run's end.
    void SetDestinationLife(TTableLife life) { destinationLife_ = life; }

private:
    QString destinationTable_ = QStringLiteral("INIT.DB");
    QString destDatabaseName_;
    TBatchMode destBatchMoveMode_ = batCopy;
    bool doBatchMove_ = true;
    bool keepRowsOpen_ = true;
    TTableLife destinationLife_ = TTableLife::kept;
};

class TEnhMultiQuery : public TEnhQuery
{
    Q_OBJECT
public:
    // The source of "now" for the DATE, TIME and NOW macros.
    using TClock = std::function<QDateTime()>;

    explicit TEnhMultiQuery(QObject* owner = nullptr);

    // Runs the whole script in the SQL lines. Running again while the SQL
    // lines still hold what the previous run left in them runs the previous
    // script again, with the macro values of that run. A failing statement
    // ends the run; the error propagates and the settings are put back.
    void Execute() override;

    // Preprocesses the SQL lines in place (ScriptText::Preprocess) with the
    // macros of the run, read with the regional separators.
    void Preprocess();
    // The macros of the run (ScriptText::TMacros), which end with it.
    QString SubstituteMacros(const QString& line) const;
    bool IsMacroName(const QString& name) const;
    QString MacroValue(const QString& name) const;
    void DefineMacro(const QString& name, const QString& value);
    // Index of the definition line of a name, -1 when there is none or no
    // macros yet.
    int FindDefinition(const QString& name) const;
    // Runs one statement; a non-empty destination receives its rows, in the
    // default destination database when useDefaultDB is set, else in the
    // query's own database; keep false marks the destination as temporary.
    void RunStatement(const QStringList& statement, const QString& destination, bool useDefaultDB,
                      bool keep);
    // Drops the temporary tables of the run, last listed first, ignoring errors.
    void DropTempTables();

    void SetClock(TClock clock);

private:
    // Ends what the script left open in its database (TEngineDatabase::EndScript);
    // false when that undid a transaction the script began.
    bool EndScript();
    ScriptText::TMacros& Macros() const;

    std::optional<QStringList> ScriptCopy; // the preprocessed script of the latest run
    QStringList TempTables;                // destinations the run drops at its end
    bool RunDoBatchMove = false;
    QString RunDestinationTable;
    mutable std::optional<ScriptText::TMacros> Definitions; // freed after each run
    QString LastRunSQL; // the SQL text as the previous run left it
    TClock clock_;
    TTempTableJournal tempJournal_; // so a killed run's temporary tables go at the next run
};
