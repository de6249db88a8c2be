// Writing, reading and copying an answer table.
#include "engine/AnswerTable.h"

#include "engine/FieldValue.h"
#include "engine/SessionState.h"
#include "engine/SqlNames.h"
#include "engine/FolderTables.h"
#include "platform/core/Exceptions.h"

#include <QSet>

namespace {

const int kMeasureCap = 255;

// Characters (code points) of UTF-8 text.
int Utf8Length(const unsigned char* text, int bytes)
{
    int length = 0;
    for (int i = 0; i < bytes; ++i)
        length += (text[i] & 0xC0) != 0x80;
    return length;
}

// The declared type that keeps a column's values: the name of its one storage
// class (integers and reals together are REAL while the integers fit a
// double exactly), or none when it held several (no affinity, no conversion).
QString StorageTypeName(int storages, bool largeIntegers)
{
    switch (storages) {
    case 1 << SQLITE_INTEGER:
        return QStringLiteral("INTEGER");
    case (1 << SQLITE_INTEGER) | (1 << SQLITE_FLOAT):
        return largeIntegers ? QString() : QStringLiteral("REAL");
    case 1 << SQLITE_FLOAT:
        return QStringLiteral("REAL");
    case 1 << SQLITE_TEXT:
        return QStringLiteral("TEXT");
    case 1 << SQLITE_BLOB:
        return QStringLiteral("BLOB");
    default:
        return QString();
    }
}

} // namespace

AnswerTable::AnswerTable(TSession& session, TDataSet* owner, SqliteConnection& sourceConnection,
                         sqlite3_stmt* source)
    : session_(session), fileName_(CreateAnswerFile(session, owner))
{
    try {
        db_ = SqliteConnection::OpenFile(fileName_, false);
        // The file is rebuilt from scratch if anything goes wrong: no journal, no syncing.
        db_->Exec("PRAGMA main.journal_mode=OFF; PRAGMA main.synchronous=OFF;"
                  "PRAGMA main.cache_size=-4096");
        Describe(source);
        Fill(sourceConnection, source);
        DecideTypes();
    } catch (...) {
        db_.reset();
        RemoveAnswerFile(session_, fileName_);
        throw;
    }
}

AnswerTable::~AnswerTable()
{
    fetch_ = SqliteStatement();
    db_.reset();
    RemoveAnswerFile(session_, fileName_);
}

void AnswerTable::Describe(sqlite3_stmt* source)
{
    const int count = sqlite3_column_count(source);
    QSet<QString> used;
    for (int i = 0; i < count; ++i) {
        AnswerColumn column;
        QString name = QString::fromUtf8(sqlite3_column_name(source, i));
        if (name.trimmed().isEmpty())
            name = QStringLiteral("Column%1").arg(i + 1);
        column.name = name;
        for (int n = 1; used.contains(column.name.toLower()); ++n)
            column.name = name + QStringLiteral("_%1").arg(n);
        used.insert(column.name.toLower());
        column.declared = SafeDeclaredType(QString::fromUtf8(sqlite3_column_decltype(source, i)));
        int size = 0;
        const TFieldType type = FieldTypeOfDeclared(column.declared, &size);
        column.measure = type == ftUnknown || (type == ftString && size == 0);
        columns_.push_back(column);
    }
    QString sql = QStringLiteral("CREATE TABLE answer (");
    for (size_t i = 0; i < columns_.size(); ++i) {
        if (i)
            sql += QStringLiteral(", ");
        sql += QuoteIdentifier(columns_[i].name);
        if (!columns_[i].declared.isEmpty())
            sql += QLatin1Char(' ') + columns_[i].declared;
    }
    sql += QLatin1Char(')');
    db_->StepToEnd(db_->Prepare(sql).get());
}

void AnswerTable::Fill(SqliteConnection& sourceConnection, sqlite3_stmt* source)
{
    RunGuard guard(session_, *db_);
    const int count = int(columns_.size());
    QString sql = QStringLiteral("INSERT INTO answer VALUES (");
    for (int i = 1; i <= count; ++i)
        sql += (i > 1 ? QStringLiteral(", ?") : QStringLiteral("?")) + QString::number(i);
    sql += QLatin1Char(')');
    db_->Exec("BEGIN");
    const SqliteStatement insert = db_->Prepare(sql);
    int rc;
    while ((rc = sqlite3_step(source)) == SQLITE_ROW) {
        for (int i = 0; i < count; ++i) {
            AnswerColumn& column = columns_[size_t(i)];
            const int storage = sqlite3_column_type(source, i);
            if (storage != SQLITE_NULL) {
                column.storages |= 1 << storage;
                if (!column.firstStorage)
                    column.firstStorage = storage;
                if (storage == SQLITE_INTEGER && !column.large) {
                    const qint64 value = sqlite3_column_int64(source, i);
                    column.large = value < INT32_MIN || value > INT32_MAX;
                }
                if (column.measure && storage == SQLITE_TEXT && column.longest < kMeasureCap) {
                    const int bytes = sqlite3_column_bytes(source, i);
                    if (bytes > column.longest)
                        column.longest = qMax(column.longest,
                                              Utf8Length(sqlite3_column_text(source, i), bytes));
                }
            }
            sqlite3_bind_value(insert.get(), i + 1, sqlite3_column_value(source, i));
        }
        if (sqlite3_step(insert.get()) != SQLITE_DONE)
            db_->Fail();
        sqlite3_reset(insert.get());
        ++rowCount_;
    }
    if (rc != SQLITE_DONE)
        sourceConnection.Fail();
    db_->Exec("COMMIT");
}

void AnswerTable::DecideTypes()
{
    for (AnswerColumn& column : columns_) {
        int size = 0;
        bool currency = false;
        TFieldType type = FieldTypeOfDeclared(column.declared, &size, &currency);
        if (type == ftUnknown) {
            switch (column.firstStorage) {
            case SQLITE_INTEGER:
                type = column.large ? ftLargeint : ftInteger;
                break;
            case SQLITE_FLOAT:
                type = ftFloat;
                break;
            case SQLITE_BLOB:
                type = ftBlob;
                break;
            default:
                type = ftString;
                break;
            }
        }
        if (type == ftString && size == 0)
            size = qBound(1, column.longest, kMeasureCap);
        column.type = type;
        column.size = size;
        column.currency = currency;
    }
}

QString AnswerTable::ColumnList(bool forCopy) const
{
    QString list;
    for (const AnswerColumn& column : columns_) {
        if (!list.isEmpty())
            list += QStringLiteral(", ");
        list += QuoteIdentifier(column.name);
        const QString type = !column.declared.isEmpty() || !forCopy ? column.declared
                                                                    : StorageTypeName(column.storages, column.large);
        if (!type.isEmpty())
            list += QLatin1Char(' ') + type;
    }
    return list;
}

void AnswerTable::Fetch(qint64 first, qint64 count, std::vector<std::vector<QVariant>>& rows) const
{
    if (!fetch_)
        fetch_ = db_->Prepare(QStringLiteral("SELECT * FROM answer WHERE rowid > ?1 ORDER BY rowid LIMIT ?2"));
    sqlite3_stmt* stmt = fetch_.get();
    sqlite3_bind_int64(stmt, 1, first);
    sqlite3_bind_int64(stmt, 2, count);
    const int columns = int(columns_.size());
    int rc;
    while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
        std::vector<QVariant> row;
        row.reserve(size_t(columns));
        for (int i = 0; i < columns; ++i)
            row.push_back(FieldValueOf(stmt, i, columns_[size_t(i)].type));
        rows.push_back(std::move(row));
    }
    sqlite3_reset(stmt);
    if (rc != SQLITE_DONE)
        db_->Fail(QStringLiteral("Reading the answer"));
}

void AnswerTable::CopyTo(const QString& folder, const QString& table, bool overwrite)
{
    RunGuard guard(session_, *db_);
    {
        const SqliteStatement attach = db_->Prepare(QStringLiteral("ATTACH DATABASE ?1 AS tq_dest"));
        BindText(attach.get(), 1, TablesFileOf(folder));
        db_->StepToEnd(attach.get());
    }
    struct Detach
    {
        sqlite3* db;
        ~Detach() { sqlite3_exec(db, "DETACH DATABASE tq_dest", nullptr, nullptr, nullptr); }
    } detach{db_->Handle()};
    db_->Exec("BEGIN IMMEDIATE");
    try {
        QString kind, stored;
        {
            const SqliteStatement find = db_->Prepare(QStringLiteral(
                "SELECT type, name FROM tq_dest.sqlite_schema WHERE type IN ('table', 'view') "
                "AND name = ?1 COLLATE NOCASE"));
            BindText(find.get(), 1, table);
            if (sqlite3_step(find.get()) == SQLITE_ROW) {
                kind = ColumnText(find.get(), 0);
                stored = ColumnText(find.get(), 1);
            }
        }
        if (!kind.isEmpty()) {
            if (!overwrite)
                throw EDatabaseError(QStringLiteral("Table %1 already exists").arg(table));
            const QString drop = kind == QLatin1String("view") ? QStringLiteral("DROP VIEW tq_dest.")
                                                               : QStringLiteral("DROP TABLE tq_dest.");
            db_->StepToEnd(db_->Prepare(drop + QuoteIdentifier(stored)).get());
        }
        const QString target = QStringLiteral("tq_dest.") + QuoteIdentifier(table);
        db_->StepToEnd(db_->Prepare(QStringLiteral("CREATE TABLE %1 (%2)").arg(target, ColumnList(true))).get());
        db_->StepToEnd(db_->Prepare(QStringLiteral("INSERT INTO %1 SELECT * FROM main.answer").arg(target)).get());
        db_->Exec("COMMIT");
    } catch (...) {
        sqlite3_exec(db_->Handle(), "ROLLBACK", nullptr, nullptr, nullptr);
        throw;
    }
}
