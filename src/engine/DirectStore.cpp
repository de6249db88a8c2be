// One INSERT ... SELECT into a table created with the statement's declared types.
#include "engine/DirectStore.h"

#include "engine/AnswerTable.h"
#include "engine/FolderTables.h"
#include "engine/SqlNames.h"
#include "platform/core/Exceptions.h"

#include <QSet>
#include <QStringList>

namespace {

// The tables and views a statement reads, in lower case, as SQLite's
// authorizer reports them while the statement is prepared.
int CollectReads(void* reads, int action, const char* table, const char*, const char*,
                 const char* view)
{
    if (action == SQLITE_READ) {
        auto& names = *static_cast<QSet<QString>*>(reads);
        if (table)
            names.insert(QString::fromUtf8(table).toLower());
        if (view)
            names.insert(QString::fromUtf8(view).toLower());
    }
    return SQLITE_OK;
}

bool ReadsTable(sqlite3* db, const char* sql, const QString& table)
{
    QSet<QString> reads;
    sqlite3_set_authorizer(db, CollectReads, &reads);
    sqlite3_stmt* stmt = nullptr;
    const int rc = sqlite3_prepare_v2(db, sql, -1, &stmt, nullptr);
    sqlite3_finalize(stmt);
    sqlite3_set_authorizer(db, nullptr, nullptr);
    return rc != SQLITE_OK || reads.contains(table.toLower());
}

// Runs one statement of our own; Prepare with a tail turns a folder's
// stand-in into its real file before anything is written.
void Run(SqliteConnection& connection, const QString& sql)
{
    const QByteArray utf8 = sql.toUtf8();
    const char* tail = nullptr;
    const SqliteStatement stmt = connection.Prepare(utf8.constData(), int(utf8.size()), &tail);
    connection.StepToEnd(stmt.get());
}

void Rollback(sqlite3* db)
{
    sqlite3_exec(db, "ROLLBACK TO tq_store; RELEASE tq_store", nullptr, nullptr, nullptr);
}

} // namespace

bool StoreRowsAsTable(SqliteConnection& connection, sqlite3_stmt* source, const QString& table)
{
    if (!sqlite3_stmt_readonly(source) || sqlite3_stmt_isexplain(source))
        return false;
    const QStringList names = AnswerColumnNames(source);
    QString columns;
    for (int i = 0; i < int(names.size()); ++i) {
        const char* declared = sqlite3_column_decltype(source, i);
        if (!declared || !*declared)
            return false;
        if (i)
            columns += QStringLiteral(", ");
        columns += QuoteIdentifier(names.at(i)) + QLatin1Char(' ') +
                   SafeDeclaredType(QString::fromUtf8(declared));
    }
    const QByteArray select = sqlite3_sql(source);

    Run(connection, QStringLiteral("SAVEPOINT tq_store"));
    sqlite3* db = connection.Handle();
    try {
        if (ReadsTable(db, select.constData(), table)) {
            Run(connection, QStringLiteral("RELEASE tq_store"));
            return false;
        }
        QString stored;
        const QString kind = ObjectKindOn(connection, QStringLiteral("main"), table, &stored);
        if (!kind.isEmpty())
            Run(connection, (kind == QLatin1String("view") ? QStringLiteral("DROP VIEW main.")
                                                           : QStringLiteral("DROP TABLE main.")) +
                                QuoteIdentifier(stored));
        const QString target = QStringLiteral("main.") + QuoteIdentifier(table);
        Run(connection, QStringLiteral("CREATE TABLE %1 (%2)").arg(target, columns));
        const QByteArray insert = "INSERT INTO " + target.toUtf8() + ' ' + select;
        const char* tail = nullptr;
        const SqliteStatement fill =
            connection.Prepare(insert.constData(), int(insert.size()), &tail);
        // Only a whole statement can follow "INSERT INTO ... " and mean the same.
        if (tail && QByteArray(tail).trimmed().size() > 0) {
            Rollback(db);
            return false;
        }
        connection.StepToEnd(fill.get());
        Run(connection, QStringLiteral("RELEASE tq_store"));
    } catch (...) {
        Rollback(db);
        throw;
    }
    return true;
}
