// The tables of a database folder: the folder itself, its tables.db, and what
// that file holds, read without ever creating it.
#pragma once

#include <QString>
#include <QStringList>

class SqliteConnection;

// The absolute folder of a path (its "\" read as "/"), without trailing
// separator; raises EDatabaseError when it is no existing folder.
QString ExistingFolder(const QString& path);

QString TablesFileOf(const QString& folder);

// Table and view names, sorted without regard to letter case, without
// SQLite's own tables; none when the folder has no tables.db.
QStringList TableNamesIn(const QString& folder);

// "table" or "view" for an object of that name (letter case ignored), with
// its name as stored; empty when there is none.
QString ObjectKindIn(const QString& folder, const QString& name, QString* storedName = nullptr);

// The same, asked on an open connection of the tables: of its database
// `schema` ("main", or the name of an attached one).
QString ObjectKindOn(SqliteConnection& connection, const QString& schema, const QString& name,
                     QString* storedName);
