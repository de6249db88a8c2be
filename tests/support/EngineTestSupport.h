// Helpers for the engine's tests: folders of tables made with SQLite
// directly, engine.cfg written by hand, and reading tables back independently.
#pragma once

#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <ostream>
#include <vector>

// Readable QStrings in test failures.
inline void PrintTo(const QString& text, std::ostream* out)
{
    *out << '"' << text.toStdString() << '"';
}

// Runs SQL on <folder>/tables.db with SQLite itself (creating the file).
void RunOnFolder(const QString& folder, const QString& sql);

// The rows of a query on <folder>/tables.db, read with SQLite itself; each
// value as text ("NULL" for null).
std::vector<QStringList> ReadFolder(const QString& folder, const QString& sql);

// Pins regional values ("sShortDate" -> "dd.MM.yyyy") in the registry file;
// the previous values are removed again by the destructor.
class PinnedRegional
{
public:
    explicit PinnedRegional(const QList<QPair<QString, QString>>& values);
    ~PinnedRegional();
    PinnedRegional(const PinnedRegional&) = delete;
    PinnedRegional& operator=(const PinnedRegional&) = delete;

private:
    QStringList names_;
};

// US-style settings: "M/d/yyyy", "h:mm:ss tt", "$", (1,234.50) negatives.
QList<QPair<QString, QString>> UsSettings();
// German-style settings: "dd.MM.yyyy", "HH:mm:ss", "1.234,50 €", -1.234,50 € negatives.
QList<QPair<QString, QString>> GermanSettings();

// Replaces engine.cfg in the configuration folder.
void WriteEngineConfig(const QByteArray& text);
QString EngineConfigPath();
