// Temporary-table journals behind TempTableJournal.h. Lines are appended and
// never rewritten, so a run with thousands of temporary tables pays the same
// for its last line as for its first. Fields are percent-encoded, so a name or
// SQL text with tabs or line ends cannot break a line.
#include "engine/TempTableJournal.h"

#include "engine/SessionState.h"
#include "engine/SqlNames.h"
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

struct TSignature
{
    qint64 rootPage = 0;
    QString sql;
    bool operator==(const TSignature&) const = default;
};

// What identifies a table now: the newest schema entry is looked at first,
// since a table just made is the last one, so the look-up does not grow with
// the number of tables.
std::optional<TSignature> SignatureOf(const QString& folder, const QString& table)
{
    SqliteConnection& connection = FolderConnection(*Session(), folder);
    for (const char* sql : {"SELECT rootpage, sql, name FROM sqlite_schema WHERE type = 'table' "
                            "ORDER BY rowid DESC LIMIT 1",
                            "SELECT rootpage, sql, name FROM sqlite_schema WHERE type = 'table' "
                            "AND name = ?1 COLLATE NOCASE"}) {
        SqliteStatement stmt = connection.Prepare(QString::fromLatin1(sql));
        if (sqlite3_bind_parameter_count(stmt.get()) > 0)
            BindText(stmt.get(), 1, table);
        if (sqlite3_step(stmt.get()) == SQLITE_ROW &&
            ColumnText(stmt.get(), 2).compare(table, Qt::CaseInsensitive) == 0)
            return TSignature{sqlite3_column_int64(stmt.get(), 0), ColumnText(stmt.get(), 1)};
    }
    return std::nullopt;
}

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
bool DropJournalled(const QString& folder, const QString& journal)
{
    QFile file(journal);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    QHash<QString, std::pair<QString, TSignature>> made; // by lower-case name
    for (const QByteArray& line : file.readAll().split('\n')) {
        const QList<QByteArray> fields = line.split('\t');
        if (fields.size() == 4 && fields[0] == "+")
            made.insert(TextOf(fields[1]).toLower(),
                        {TextOf(fields[1]), TSignature{fields[2].toLongLong(), TextOf(fields[3])}});
        else if (fields.size() == 2 && fields[0] == "-")
            made.remove(TextOf(fields[1]).toLower());
    }
    bool dropped = true;
    for (const auto& [name, signature] : std::as_const(made)) {
        try {
            if (SignatureOf(folder, name) != signature)
                continue; // gone, or made anew since
            SqliteConnection& connection = FolderConnection(*Session(), folder);
            connection.StepToEnd(
                connection.Prepare(QStringLiteral("DROP TABLE ") + QuoteIdentifier(name)).get());
        } catch (const Exception&) {
            dropped = false;
        }
    }
    return dropped;
}

} // namespace

TTempTableJournal::~TTempTableJournal()
{
    Close();
}

TTempTableJournal::TFile& TTempTableJournal::FileFor(const QString& folder)
{
    TFile& file = files_[folder];
    if (file.fd < 0 && file.name.isEmpty()) {
        static std::atomic<int> serial{0};
        file.name =
            folder +
            QStringLiteral("/.tessaly-temp-%1-%2.journal").arg(qint64(::getpid())).arg(++serial);
        file.fd = ::open(QFile::encodeName(file.name).constData(),
                         O_WRONLY | O_CREAT | O_EXCL | O_APPEND | O_CLOEXEC | O_NOFOLLOW, 0600);
    }
    return file;
}

void TTempTableJournal::Made(const QString& folder, const QString& table)
{
    if (folder.isEmpty())
        return;
    try {
        const QString name = TableNameOf(table);
        const std::optional<TSignature> signature = SignatureOf(folder, name);
        if (!signature)
            return;
        TFile& file = FileFor(folder);
        if (file.fd < 0)
            return;
        Append(file.fd, "+\t" + Field(name) + '\t' + QByteArray::number(signature->rootPage) +
                            '\t' + Field(signature->sql) + '\n');
    } catch (const Exception&) {
        // A table that cannot be looked up is not journalled.
    }
}

void TTempTableJournal::Dropped(const QString& folder, const QString& table)
{
    const auto it = files_.find(folder);
    if (it == files_.end() || it->second.fd < 0)
        return;
    try {
        Append(it->second.fd, "-\t" + Field(TableNameOf(table)) + '\n');
    } catch (const Exception&) {
        // No name, no table, nothing to note.
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
            DropJournalled(folder, file.name);
    Close();
}

void DropDeadRunTempTables(const QString& folder)
{
    if (folder.isEmpty())
        return;
    for (const QString& journal : DeadRunLeftovers(folder, JournalPattern()))
        if (IsOwnEntry(journal, false) && DropJournalled(folder, journal))
            QFile::remove(journal);
}
