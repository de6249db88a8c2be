// Reading what a folder's tables.db holds, through a read-only connection.
#include "engine/FolderTables.h"

#include "engine/SqliteConnection.h"
#include "platform/core/Exceptions.h"
#include "platform/core/SystemInfo.h"

#include <QDir>
#include <QFileInfo>

namespace {

// Runs a schema query on a read-only connection; nothing when there is no file.
template <typename F>
void ReadSchema(const QString& folder, const char* sql, F&& bind, QStringList& names,
                QStringList& kinds)
{
    if (!QFileInfo::exists(TablesFileOf(folder)))
        return;
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(TablesFileOf(folder).toUtf8().constData(), &db, SQLITE_OPEN_READONLY,
                        nullptr) != SQLITE_OK) {
        const QString message = QString::fromUtf8(sqlite3_errmsg(db));
        sqlite3_close(db);
        throw EDatabaseError(
            QStringLiteral("Cannot open %1: %2").arg(TablesFileOf(folder), message));
    }
    sqlite3_busy_timeout(db, 5000);
    sqlite3_stmt* stmt = nullptr;
    int rc = sqlite3_prepare_v2(db, sql, -1, &stmt, nullptr);
    if (rc == SQLITE_OK) {
        bind(stmt);
        while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
            names << ColumnText(stmt, 0);
            kinds << ColumnText(stmt, 1);
        }
    }
    const QString message = QString::fromUtf8(sqlite3_errmsg(db));
    sqlite3_finalize(stmt);
    sqlite3_close(db);
    if (rc != SQLITE_DONE)
        throw EDatabaseError(message);
}

} // namespace

QString ExistingFolder(const QString& path)
{
    const QFileInfo info(NativePath(path));
    if (!info.isDir())
        throw EDatabaseError(QStringLiteral("Directory not found: %1").arg(path));
    return QDir::cleanPath(info.absoluteFilePath());
}

QString TablesFileOf(const QString& folder)
{
    return folder + QStringLiteral("/tables.db");
}

QStringList TableNamesIn(const QString& folder)
{
    QStringList names, kinds;
    ReadSchema(
        folder,
        "SELECT name, type FROM sqlite_schema WHERE type IN ('table', 'view') "
        "AND name NOT LIKE 'sqlite\\_%' ESCAPE '\\' ORDER BY name COLLATE NOCASE",
        [](sqlite3_stmt*) {}, names, kinds);
    return names;
}

QString ObjectKindIn(const QString& folder, const QString& name, QString* storedName)
{
    QStringList names, kinds;
    ReadSchema(
        folder,
        "SELECT name, type FROM sqlite_schema WHERE type IN ('table', 'view') "
        "AND name = ?1 COLLATE NOCASE",
        [&](sqlite3_stmt* stmt) { BindText(stmt, 1, name); }, names, kinds);
    if (names.isEmpty())
        return QString();
    if (storedName)
        *storedName = names.first();
    return kinds.first();
}

QString ObjectKindOn(SqliteConnection& connection, const QString& schema, const QString& name,
                     QString* storedName)
{
    const SqliteStatement find = connection.Prepare(
        QStringLiteral("SELECT type, name FROM %1.sqlite_schema WHERE type IN ('table', 'view') "
                       "AND name = ?1 COLLATE NOCASE")
            .arg(schema));
    BindText(find.get(), 1, name);
    if (sqlite3_step(find.get()) != SQLITE_ROW)
        return QString();
    *storedName = ColumnText(find.get(), 1);
    return ColumnText(find.get(), 0);
}
