// One database that queries run against, whichever engine keeps it: a folder
// of tables (SQLite, FolderEngine.cpp) or a database on a server (libpq,
// ServerEngine.cpp). The query, the table component, the session's table
// names and the script runner's journals talk only to this interface, so
// none of them knows which engine it uses.
//
// Contract for every operation: it runs on the thread that runs the script
// (the window's worker, or the GUI thread); a running statement stops soon
// after TSession::Interrupt and then raises "Operation interrupted"; every
// other failure raises EDatabaseError carrying the engine's own message.
// Table names are a user's names: "INIT.DB" is the table INIT.
#pragma once

#include <QString>
#include <QStringList>
#include <memory>
#include <optional>

class AnswerTable;
class TDataSet;
class TSession;

// What makes a table that very table, not one made anew under its name.
struct TTableSignature
{
    qint64 id = 0;
    QString text;
    bool operator==(const TTableSignature&) const = default;
};

// How long a stored table is meant to live. A run's temporary destination
// is dropped by the run itself (or by the next one, when it was killed), so
// an engine may spare the work that makes such a table survive a crash.
enum class TTableLife
{
    kept,
    scratch,
};

class TEngineDatabase
{
public:
    virtual ~TEngineDatabase() = default;

    // Where the tables are; two names of one database give the same text.
    virtual QString Location() const = 0;

    // Runs every statement of the text; rows are discarded.
    virtual void ExecSQL(const QString& text) = 0;
    // Runs the text; the rows of its last statement become an answer owned
    // by owner. A last statement without result columns runs as a command
    // and gives none when commandWithoutColumns is set, else raises.
    virtual std::unique_ptr<AnswerTable> RunToAnswer(TDataSet* owner, const QString& text,
                                                     bool commandWithoutColumns) = 0;
    // Runs the text and stores its last statement's rows as table, replacing
    // a table or view of that name, all or nothing. With open, the stored
    // rows are also opened as an answer owned by owner. False, nothing
    // stored, when the last statement has no result columns (it ran as a
    // command).
    virtual bool StoreAsTable(TDataSet* owner, const QString& text, const QString& table,
                              TTableLife life, std::unique_ptr<AnswerTable>* open) = 0;
    // Writes an open answer's rows as table with the answer's column types,
    // replacing a table or view of that name when overwrite is set (else
    // raises when there is one); all or nothing.
    virtual void WriteAnswer(AnswerTable& answer, const QString& table, bool overwrite) = 0;

    // The rows of a table as an answer owned by owner.
    virtual std::unique_ptr<AnswerTable> OpenTable(TDataSet* owner, const QString& table) = 0;
    // Table and view names, sorted without regard to letter case, without system tables.
    virtual QStringList TableNames() = 0;
    virtual bool TableExists(const QString& table) = 0;
    // Drops a table or view; raises when there is none. It runs in a stopped
    // run too, so that the run's temporary tables still go.
    virtual void DropTable(const QString& table) = 0;

    // The local folder that holds the journals of the temporary tables runs
    // make in this database (TempTableJournal.h); created when missing.
    virtual QString JournalFolder() = 0;
    // The identity of a table now; none when there is no such table.
    virtual std::optional<TTableSignature> Signature(const QString& table) = 0;

    // After a script, however it ended: a transaction the script began and
    // left open is rolled back, as closing the connection would do unseen;
    // false when there was one.
    virtual bool EndScript() { return true; }
};

// The database behind a database name: a database component of the session
// with that DatabaseName, else an alias (a folder's PATH, or a server's
// SERVER NAME with TYPE=POSTGRESQL), else the name itself when it is an
// existing folder. Raises EDatabaseError when none applies.
std::unique_ptr<TEngineDatabase> EngineDatabaseOf(TSession& session, const QString& databaseName);
