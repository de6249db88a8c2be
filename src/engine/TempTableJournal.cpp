// Temporary-table journals behind TempTableJournal.h. Lines are appended and
// never rewritten, so a run with thousands of temporary tables pays the same
// for its last line as for its first. Fields are percent-encoded, so a name or
// SQL text with tabs or line ends cannot break a line.
#include "engine/TempTableJournal.h"

#include "engine/EngineDatabase.h"
#include "engine/Session.h"
#include "platform/core/DeadRunCleanup.h"
#include "platform/core/Exceptions.h"

#include <QFile>
#include <QHash>
#include <QRegularExpression>
#include <atomic>
#include <fcntl.h>
#include <optional>
#include <unistd.h>

namespace {

QByteArray Field(const QString& text)
{
    return text.toUtf8().toPercentEncoding();
}

QString TextOf(const QByteArray& field)
{
    return QString::fromUtf8(QByteArray::fromPercentEncoding(field));
}

void Append(int fd, const QByteArray& line)
{
    // A lost line only means a table left behind; the run itself goes on.
    [[maybe_unused]] const ssize_t written = ::write(fd, line.constData(), size_t(line.size()));
}

const QRegularExpression& JournalPattern()
{
    static const QRegularExpression pattern(
        QStringLiteral("^\\.tessaly-temp-(\\d+)-\\d+\\.journal$"));
    return pattern;
}

// Drops the tables a journal lists as made and not dropped, each only while
// it is still the table that was made; false when one could not be dropped.
bool DropJournalled(TEngineDatabase& database, const QString& journal)
{
    QFile file(journal);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    QHash<QString, std::pair<QString, TTableSignature>> made; // by lower-case name
    for (const QByteArray& line : file.readAll().split('\n')) {
        const QList<QByteArray> fields = line.split('\t');
        if (fields.size() == 4 && fields[0] == "+")
            made.insert(
                TextOf(fields[1]).toLower(),
                {TextOf(fields[1]), TTableSignature{fields[2].toLongLong(), TextOf(fields[3])}});
        else if (fields.size() == 2 && fields[0] == "-")
            made.remove(TextOf(fields[1]).toLower());
    }
    bool dropped = true;
    for (const auto& [name, signature] : std::as_const(made)) {
        try {
            if (database.Signature(name) != signature)
                continue; // gone, or made anew since
            database.DropTable(name);
        } catch (const Exception&) {
            dropped = false;
        }
    }
    return dropped;
}

// The engine of a database name; none when it cannot be reached.
std::unique_ptr<TEngineDatabase> DatabaseOf(const QString& databaseName)
{
    if (databaseName.isEmpty())
        return nullptr;
    try {
        return EngineDatabaseOf(*Session(), databaseName);
    } catch (const Exception&) {
        return nullptr;
    }
}

} // namespace

TTempTableJournal::~TTempTableJournal()
{
    Close();
}

TTempTableJournal::TFile& TTempTableJournal::FileFor(const QString& folder,
                                                     const QString& databaseName)
{
    TFile& file = files_[folder];
    if (file.fd < 0 && file.name.isEmpty()) {
        static std::atomic<int> serial{0};
        file.databaseName = databaseName;
        file.name =
            folder +
            QStringLiteral("/.tessaly-temp-%1-%2.journal").arg(qint64(::getpid())).arg(++serial);
        file.fd = ::open(QFile::encodeName(file.name).constData(),
                         O_WRONLY | O_CREAT | O_EXCL | O_APPEND | O_CLOEXEC | O_NOFOLLOW, 0600);
    }
    return file;
}

void TTempTableJournal::Made(const QString& databaseName, const QString& table)
{
    try {
        const std::unique_ptr<TEngineDatabase> database = DatabaseOf(databaseName);
        if (!database)
            return;
        const std::optional<TTableSignature> signature = database->Signature(table);
        if (!signature)
            return;
        TFile& file = FileFor(database->JournalFolder(), databaseName);
        if (file.fd < 0)
            return;
        Append(file.fd, "+\t" + Field(table) + '\t' + QByteArray::number(signature->id) + '\t' +
                            Field(signature->text) + '\n');
    } catch (const Exception&) {
        // A table that cannot be looked up is not journalled.
    }
}

void TTempTableJournal::Dropped(const QString& databaseName, const QString& table)
{
    try {
        const std::unique_ptr<TEngineDatabase> database = DatabaseOf(databaseName);
        if (!database)
            return;
        const auto it = files_.find(database->JournalFolder());
        if (it == files_.end() || it->second.fd < 0)
            return;
        Append(it->second.fd, "-\t" + Field(table) + '\n');
    } catch (const Exception&) {
        // No database, no table, nothing to note.
    }
}

void TTempTableJournal::Close()
{
    for (auto& [folder, file] : files_) {
        if (file.fd >= 0) {
            ::close(file.fd);
            ::unlink(QFile::encodeName(file.name).constData());
        }
    }
    files_.clear();
}

void TTempTableJournal::DropRemaining()
{
    for (auto& [folder, file] : files_)
        if (file.fd >= 0)
            if (const std::unique_ptr<TEngineDatabase> database = DatabaseOf(file.databaseName))
                DropJournalled(*database, file.name);
    Close();
}

void DropDeadRunTempTables(const QString& databaseName)
{
    const std::unique_ptr<TEngineDatabase> database = DatabaseOf(databaseName);
    if (!database)
        return;
    try {
        const QString folder = database->JournalFolder();
        for (const QString& journal : DeadRunLeftovers(folder, JournalPattern()))
            if (IsOwnEntry(journal, false) && DropJournalled(*database, journal))
                QFile::remove(journal);
    } catch (const Exception&) {
        // A server out of reach is cleaned at a later run.
    }
}
