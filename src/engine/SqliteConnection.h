// One SQLite connection of the engine and the statement handle that is
// finalized on every exit path. Every failure becomes EDatabaseError carrying
// SQLite's own message. While a run is being watched for interruption (see
// RunGuard), an interrupted or busy-aborted statement reports "Operation
// interrupted" instead.
#pragma once

#include <QString>
#include <atomic>
#include <memory>
#include <mutex>
#include <sqlite3.h>

class SqliteStatement
{
public:
    SqliteStatement() = default;
    explicit SqliteStatement(sqlite3_stmt* stmt) : stmt_(stmt) {}
    SqliteStatement(SqliteStatement&& other) noexcept : stmt_(other.stmt_)
    {
        other.stmt_ = nullptr;
    }
    SqliteStatement& operator=(SqliteStatement&& other) noexcept;
    SqliteStatement(const SqliteStatement&) = delete;
    SqliteStatement& operator=(const SqliteStatement&) = delete;
    ~SqliteStatement() { sqlite3_finalize(stmt_); }

    sqlite3_stmt* get() const { return stmt_; }
    explicit operator bool() const { return stmt_ != nullptr; }

private:
    sqlite3_stmt* stmt_ = nullptr;
};

class SqliteConnection
{
public:
    // Opens a database file; with create a missing file is created.
    static std::unique_ptr<SqliteConnection> OpenFile(const QString& fileName, bool create);
    // Opens a database file to read that nothing writes while it is open:
    // no locks are taken and no change is looked for.
    static std::unique_ptr<SqliteConnection> OpenUnchanging(const QString& fileName);
    // The tables of a folder, <folder>/tables.db. While the file does not
    // exist, read-only statements run on an empty in-memory stand-in, so
    // reading never creates it; the first other statement creates it.
    static std::unique_ptr<SqliteConnection> OpenFolder(const QString& folder);
    ~SqliteConnection();
    SqliteConnection(const SqliteConnection&) = delete;
    SqliteConnection& operator=(const SqliteConnection&) = delete;

    sqlite3* Handle() const { return db_; }

    // Prepares the first statement of [sql, sql + bytes); *tail receives where
    // the rest begins. An empty statement (blanks, comments) gives a null handle.
    SqliteStatement Prepare(const char* sql, int bytes, const char** tail);
    // Prepares one statement of our own; on a stand-in it never creates the
    // folder's file (attaching an answer, reading).
    SqliteStatement Prepare(const QString& sql);
    // Runs SQL text of our own, without parameters.
    void Exec(const char* sql);
    // Steps a statement to its end, discarding rows.
    void StepToEnd(sqlite3_stmt* stmt);
    // Raises the connection's current error, with context before it when given.
    [[noreturn]] void Fail(const QString& context = QString()) const;

    // While watched, statements stop soon after *flag becomes true (progress
    // handler) and lock waits give up (busy handler); Unwatch removes both.
    void Watch(const std::atomic<bool>* flag);
    void Unwatch();
    // Stops the running statement; safe from another thread.
    void Interrupt();

private:
    SqliteConnection(sqlite3* db, const QString& folder) : db_(db), folder_(folder) {}
    void Materialize();
    void InstallHandlers();
    // Raises when interrupted; picks up a tables.db created meanwhile.
    void BeforePrepare();

    std::mutex handleMutex_; // guards db_ against Interrupt while the stand-in is replaced
    sqlite3* db_;
    QString folder_; // set for a folder's connection while it is only a stand-in
    const std::atomic<bool>* interruptFlag_ = nullptr;
};

// Binds a text parameter (1-based) as UTF-8.
void BindText(sqlite3_stmt* stmt, int index, const QString& text);
// The text of a column as a QString.
QString ColumnText(sqlite3_stmt* stmt, int column);
