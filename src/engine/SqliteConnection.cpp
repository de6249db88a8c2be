// The engine's SQLite connection: opening, preparing, stepping and turning
// SQLite's failures into EDatabaseError.
#include "engine/SqliteConnection.h"

#include "platform/core/Exceptions.h"

#include <QFileInfo>
#include <QUrl>

namespace {

// A connection is used by one thread at a time (the run waits for its worker),
// so SQLite need not lock each call; sqlite3_interrupt is safe from any thread.
const int kOpenFlags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX;

QString TablesFile(const QString& folder)
{
    return folder + QStringLiteral("/tables.db");
}

sqlite3* OpenHandle(const QString& fileName, int flags)
{
    sqlite3* db = nullptr;
    const int rc = sqlite3_open_v2(fileName.toUtf8().constData(), &db, flags, nullptr);
    if (rc != SQLITE_OK) {
        const QString message =
            db ? QString::fromUtf8(sqlite3_errmsg(db)) : QString::fromUtf8(sqlite3_errstr(rc));
        sqlite3_close(db);
        throw EDatabaseError(QStringLiteral("Cannot open %1: %2").arg(fileName, message));
    }
    sqlite3_extended_result_codes(db, 0);
    return db;
}

} // namespace

SqliteStatement& SqliteStatement::operator=(SqliteStatement&& other) noexcept
{
    if (this != &other) {
        sqlite3_finalize(stmt_);
        stmt_ = other.stmt_;
        other.stmt_ = nullptr;
    }
    return *this;
}

std::unique_ptr<SqliteConnection> SqliteConnection::OpenFile(const QString& fileName, bool create)
{
    sqlite3* db = OpenHandle(fileName, kOpenFlags | (create ? SQLITE_OPEN_CREATE : 0));
    return std::unique_ptr<SqliteConnection>(new SqliteConnection(db, QString()));
}

std::unique_ptr<SqliteConnection> SqliteConnection::OpenUnchanging(const QString& fileName)
{
    const QString uri =
        QUrl::fromLocalFile(fileName).toString(QUrl::FullyEncoded) + QStringLiteral("?immutable=1");
    sqlite3* db = OpenHandle(uri, SQLITE_OPEN_READONLY | SQLITE_OPEN_NOMUTEX | SQLITE_OPEN_URI);
    return std::unique_ptr<SqliteConnection>(new SqliteConnection(db, QString()));
}

std::unique_ptr<SqliteConnection> SqliteConnection::OpenFolder(const QString& folder)
{
    if (QFileInfo::exists(TablesFile(folder)))
        return OpenFile(TablesFile(folder), false);
    sqlite3* db = OpenHandle(QStringLiteral(":memory:"), kOpenFlags | SQLITE_OPEN_MEMORY);
    return std::unique_ptr<SqliteConnection>(new SqliteConnection(db, folder));
}

SqliteConnection::~SqliteConnection()
{
    sqlite3_close_v2(db_);
}

void SqliteConnection::Materialize()
{
    sqlite3* db = OpenHandle(TablesFile(folder_), kOpenFlags | SQLITE_OPEN_CREATE);
    {
        std::lock_guard lock(handleMutex_);
        std::swap(db, db_);
        InstallHandlers();
    }
    sqlite3_close_v2(db);
    folder_.clear();
}

namespace {

int ProgressHandler(void* flag)
{
    return static_cast<const std::atomic<bool>*>(flag)->load();
}

// Waits for a lock up to ten seconds in short naps, giving up when interrupted.
int BusyHandler(void* flag, int attempts)
{
    if (static_cast<const std::atomic<bool>*>(flag)->load() || attempts >= 500)
        return 0;
    sqlite3_sleep(20);
    return 1;
}

} // namespace

void SqliteConnection::InstallHandlers()
{
    void* flag = const_cast<std::atomic<bool>*>(interruptFlag_);
    if (flag) {
        sqlite3_progress_handler(db_, 1000, ProgressHandler, flag);
        sqlite3_busy_handler(db_, BusyHandler, flag);
    } else {
        sqlite3_progress_handler(db_, 0, nullptr, nullptr);
        sqlite3_busy_handler(db_, nullptr, nullptr);
    }
}

void SqliteConnection::Watch(const std::atomic<bool>* flag)
{
    std::lock_guard lock(handleMutex_);
    interruptFlag_ = flag;
    InstallHandlers();
}

void SqliteConnection::Unwatch()
{
    Watch(nullptr);
}

void SqliteConnection::Interrupt()
{
    std::lock_guard lock(handleMutex_);
    sqlite3_interrupt(db_);
}

void SqliteConnection::BeforePrepare()
{
    if (interruptFlag_ && interruptFlag_->load())
        throw EDatabaseError(QStringLiteral("Operation interrupted"));
    // Another connection may have created the folder's file meanwhile.
    if (!folder_.isEmpty() && QFileInfo::exists(TablesFile(folder_)))
        Materialize();
}

SqliteStatement SqliteConnection::Prepare(const char* sql, int bytes, const char** tail)
{
    BeforePrepare();
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_prepare_v2(db_, sql, bytes, &stmt, tail) != SQLITE_OK)
        Fail();
    SqliteStatement result(stmt);
    // The stand-in keeps only statements that read and return rows; anything
    // else (a write, a transaction, an attachment) needs the real file.
    if (stmt && !folder_.isEmpty() &&
        !(sqlite3_stmt_readonly(stmt) && sqlite3_column_count(stmt) > 0)) {
        result = SqliteStatement();
        Materialize();
        if (sqlite3_prepare_v2(db_, sql, bytes, &stmt, tail) != SQLITE_OK)
            Fail();
        result = SqliteStatement(stmt);
    }
    return result;
}

SqliteStatement SqliteConnection::Prepare(const QString& sql)
{
    BeforePrepare();
    const QByteArray utf8 = sql.toUtf8();
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_prepare_v2(db_, utf8.constData(), int(utf8.size()), &stmt, nullptr) != SQLITE_OK)
        Fail();
    return SqliteStatement(stmt);
}

void SqliteConnection::Exec(const char* sql)
{
    if (sqlite3_exec(db_, sql, nullptr, nullptr, nullptr) != SQLITE_OK)
        Fail();
}

void SqliteConnection::StepToEnd(sqlite3_stmt* stmt)
{
    int rc;
    while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
    }
    if (rc != SQLITE_DONE)
        Fail();
}

void SqliteConnection::Fail(const QString& context) const
{
    const int code = sqlite3_errcode(db_);
    const bool interrupted =
        code == SQLITE_INTERRUPT || (interruptFlag_ && interruptFlag_->load() &&
                                     (code == SQLITE_BUSY || code == SQLITE_LOCKED));
    QString message = interrupted ? QStringLiteral("Operation interrupted")
                                  : QString::fromUtf8(sqlite3_errmsg(db_));
    if (!context.isEmpty() && !interrupted)
        message = context + QStringLiteral(": ") + message;
    throw EDatabaseError(message);
}

void BindText(sqlite3_stmt* stmt, int index, const QString& text)
{
    const QByteArray utf8 = text.toUtf8();
    sqlite3_bind_text(stmt, index, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT);
}

QString ColumnText(sqlite3_stmt* stmt, int column)
{
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt, column));
    return QString::fromUtf8(text, sqlite3_column_bytes(stmt, column));
}
