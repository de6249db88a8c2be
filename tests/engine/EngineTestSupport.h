// Helpers for the engine's tests: folders of tables made with SQLite
// directly, engine.cfg written by hand, and reading tables back independently.
#pragma once

#include <QString>
#include <QStringList>
#include <QVariant>

#include <ostream>
#include <vector>

// Readable QStrings in test failures.
inline void PrintTo(const QString& text, std::ostream* out) { *out << '"' << text.toStdString() << '"'; }

// Runs SQL on <folder>/tables.db with SQLite itself (creating the file).
void RunOnFolder(const QString& folder, const QString& sql);

// The rows of a query on <folder>/tables.db, read with SQLite itself; each
// value as text ("NULL" for null).
std::vector<QStringList> ReadFolder(const QString& folder, const QString& sql);

// Replaces engine.cfg in the configuration folder.
void WriteEngineConfig(const QByteArray& text);
QString EngineConfigPath();
