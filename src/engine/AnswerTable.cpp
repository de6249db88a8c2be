// Writing, reading and copying an answer table.
#include "engine/AnswerTable.h"

#include "engine/FieldValue.h"
#include "engine/FolderTables.h"
#include "engine/SessionState.h"
#include "engine/SqlNames.h"
#include "platform/core/Exceptions.h"

#include <QSet>

namespace {

const int kMeasureCap = 255; // the widest text field sized by its values

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
        Open();
        Describe(source);
        if (!FillBySelect(sourceConnection, source))
            FillByRows(sourceConnection, source);
        Finish();
    } catch (...) {
        db_.reset();
        RemoveAnswerFile(session_, fileName_);
        throw;
    }
}

AnswerTable::~AnswerTable()
{
    readers_.clear();
    fetch_ = SqliteStatement();
    db_.reset();
    RemoveAnswerFile(session_, fileName_);
}

void AnswerTable::Open()
{
    // With the create flag, so that a destination attached for MakePermanent may be created.
    db_ = SqliteConnection::OpenFile(fileName_, true);
    // The file is rebuilt from scratch if anything goes wrong: no journal, no
    // syncing. It is written and read whole far more often than a row is
    // looked up: the largest pages move it in the fewest reads and writes.
    db_->Exec("PRAGMA main.page_size=65536; PRAGMA main.journal_mode=OFF;"
              "PRAGMA main.synchronous=OFF; PRAGMA main.cache_size=-4096");
}

void AnswerTable::Finish()
{
    Measure();
    DecideTypes();
    // Filled, the file is this connection's alone: keeping its lock spares
    // every read of a block the locking and the look for a hot journal.
    db_->Exec("PRAGMA main.locking_mode=EXCLUSIVE");
}

QStringList AnswerColumnNames(sqlite3_stmt* source)
{
    QStringList names;
    for (int i = 0; i < sqlite3_column_count(source); ++i)
        names << QString::fromUtf8(sqlite3_column_name(source, i));
    return UniqueColumnNames(names);
}

namespace {

// At most bytes of the name's UTF-8, cut where a character ends; all of it
// when bytes is 0.
QString CutToBytes(const QString& name, int bytes)
{
    const QByteArray utf8 = name.toUtf8();
    if (bytes <= 0 || utf8.size() <= bytes)
        return name;
    qsizetype end = bytes;
    while (end > 0 && (uchar(utf8.at(end)) & 0xC0) == 0x80)
        --end;
    return QString::fromUtf8(utf8.left(end));
}

} // namespace

QStringList UniqueColumnNames(const QStringList& given, int maxBytes)
{
    const int count = int(given.size());
    QStringList names;
    QSet<QString> used;
    for (int i = 0; i < count; ++i) {
        QString name = given.at(i);
        if (name.trimmed().isEmpty())
            name = QStringLiteral("Column%1").arg(i + 1);
        QString unique = CutToBytes(name, maxBytes);
        for (int n = 1; used.contains(unique.toLower()); ++n) {
            const QString suffix = QStringLiteral("_%1").arg(n);
            unique = CutToBytes(name, maxBytes > 0 ? maxBytes - int(suffix.size()) : 0) + suffix;
        }
        used.insert(unique.toLower());
        names << unique;
    }
    return names;
}

void AnswerTable::Describe(sqlite3_stmt* source)
{
    QStringList declared;
    for (int i = 0; i < sqlite3_column_count(source); ++i)
        declared << QString::fromUtf8(sqlite3_column_decltype(source, i));
    Create(AnswerColumnNames(source), declared);
}

void AnswerTable::Create(const QStringList& names, const QStringList& declared, bool affinity)
{
    for (int i = 0; i < int(names.size()); ++i) {
        AnswerColumn column;
        column.name = names.at(i);
        column.declared = SafeDeclaredType(declared.value(i));
        int size = 0;
        const TFieldType type = FieldTypeOfDeclared(column.declared, &size);
        column.undeclared = type == ftUnknown;
        columns_.push_back(column);
    }
    QString sql = QStringLiteral("CREATE TABLE answer (");
    for (size_t i = 0; i < columns_.size(); ++i) {
        if (i)
            sql += QStringLiteral(", ");
        sql += QuoteIdentifier(columns_[i].name);
        if (affinity && !columns_[i].declared.isEmpty())
            sql += QLatin1Char(' ') + columns_[i].declared;
    }
    sql += QLatin1Char(')');
    db_->StepToEnd(db_->Prepare(sql).get());
}

bool AnswerTable::FillBySelect(SqliteConnection& sourceConnection, sqlite3_stmt* source)
{
    sqlite3* db = sourceConnection.Handle();
    // Only a plain query can follow "INSERT INTO ... " and mean the same; the
    // attachment is impossible inside the script's own transaction.
    if (!sqlite3_stmt_readonly(source) || !sqlite3_get_autocommit(db))
        return false;
    {
        const SqliteStatement attach =
            sourceConnection.Prepare(QStringLiteral("ATTACH DATABASE ?1 AS tq_answer"));
        BindText(attach.get(), 1, fileName_);
        if (sqlite3_step(attach.get()) != SQLITE_DONE)
            return false;
    }
    struct Detach
    {
        sqlite3* db;
        ~Detach() { sqlite3_exec(db, "DETACH DATABASE tq_answer", nullptr, nullptr, nullptr); }
    } detach{db};
    sourceConnection.Exec("PRAGMA tq_answer.journal_mode=OFF; PRAGMA tq_answer.synchronous=OFF");
    const QByteArray text = QByteArray("INSERT INTO tq_answer.answer ") + sqlite3_sql(source);
    sqlite3_stmt* stmt = nullptr;
    const char* tail = nullptr;
    if (sqlite3_prepare_v2(db, text.constData(), int(text.size()), &stmt, &tail) != SQLITE_OK) {
        sqlite3_finalize(stmt);
        return false;
    }
    const SqliteStatement insert(stmt);
    if (!stmt || QByteArray(tail).trimmed().size() > 0)
        return false;
    sourceConnection.StepToEnd(stmt);
    rowCount_ = sqlite3_changes64(db);
    return true;
}

SqliteStatement AnswerTable::PrepareInsert(int rows) const
{
    QString sql = QStringLiteral("INSERT INTO answer VALUES ");
    for (int row = 0; row < rows; ++row) {
        sql += row ? QStringLiteral(", (") : QStringLiteral("(");
        for (size_t i = 1; i <= columns_.size(); ++i)
            sql += (i > 1 ? QStringLiteral(", ?") : QStringLiteral("?")) +
                   QString::number(row * columns_.size() + i);
        sql += QLatin1Char(')');
    }
    return db_->Prepare(sql);
}

void AnswerTable::FillByRows(SqliteConnection& sourceConnection, sqlite3_stmt* source)
{
    RunGuard guard(session_, *db_);
    const int count = int(columns_.size());
    db_->Exec("BEGIN");
    const SqliteStatement insert = PrepareInsert();
    sqlite3_stmt* const ins = insert.get();
    int rc;
    while ((rc = sqlite3_step(source)) == SQLITE_ROW) {
        // Texts and blobs stay valid until the source steps again: no copies.
        for (int i = 0; i < count; ++i) {
            switch (sqlite3_column_type(source, i)) {
            case SQLITE_INTEGER:
                sqlite3_bind_int64(ins, i + 1, sqlite3_column_int64(source, i));
                break;
            case SQLITE_FLOAT:
                sqlite3_bind_double(ins, i + 1, sqlite3_column_double(source, i));
                break;
            case SQLITE_TEXT:
                sqlite3_bind_text(ins, i + 1,
                                  reinterpret_cast<const char*>(sqlite3_column_text(source, i)),
                                  sqlite3_column_bytes(source, i), SQLITE_STATIC);
                break;
            case SQLITE_BLOB:
                sqlite3_bind_blob(ins, i + 1, sqlite3_column_blob(source, i),
                                  sqlite3_column_bytes(source, i), SQLITE_STATIC);
                break;
            default:
                sqlite3_bind_null(ins, i + 1);
                break;
            }
        }
        if (sqlite3_step(ins) != SQLITE_DONE)
            db_->Fail();
        sqlite3_reset(ins);
        ++rowCount_;
    }
    if (rc != SQLITE_DONE)
        sourceConnection.Fail();
    db_->Exec("COMMIT");
}

void AnswerTable::Measure()
{
    // One pass over the answer for the columns whose type comes from their values.
    QStringList terms;
    for (const AnswerColumn& column : columns_) {
        const QString c = QuoteIdentifier(column.name);
        if (column.undeclared) {
            terms << QStringLiteral("max(length(%1))").arg(c)
                  << QStringLiteral("max(typeof(%1) = 'integer')").arg(c)
                  << QStringLiteral("max(typeof(%1) = 'real')").arg(c)
                  << QStringLiteral("max(typeof(%1) = 'text')").arg(c)
                  << QStringLiteral("max(typeof(%1) = 'blob')").arg(c)
                  << QStringLiteral(
                         "max(typeof(%1) = 'integer' AND (%1 < -2147483648 OR %1 > 2147483647))")
                         .arg(c);
        }
    }
    if (terms.isEmpty() || rowCount_ == 0)
        return;
    const SqliteStatement stats =
        db_->Prepare(QStringLiteral("SELECT %1 FROM answer").arg(terms.join(QStringLiteral(", "))));
    if (sqlite3_step(stats.get()) != SQLITE_ROW)
        db_->Fail();
    int term = 0;
    for (AnswerColumn& column : columns_) {
        if (!column.undeclared)
            continue;
        column.longest = sqlite3_column_int(stats.get(), term++);
        for (int storage : {SQLITE_INTEGER, SQLITE_FLOAT, SQLITE_TEXT, SQLITE_BLOB}) {
            if (sqlite3_column_int(stats.get(), term++))
                column.storages |= 1 << storage;
        }
        column.large = sqlite3_column_int(stats.get(), term++) != 0;
        const SqliteStatement first = db_->Prepare(
            QStringLiteral("SELECT %1 FROM answer WHERE %1 IS NOT NULL ORDER BY rowid LIMIT 1")
                .arg(QuoteIdentifier(column.name)));
        if (sqlite3_step(first.get()) == SQLITE_ROW)
            column.firstStorage = sqlite3_column_type(first.get(), 0);
    }
}

int AnswerTable::TextSize(int index) const
{
    if (index < 0 || index >= int(columns_.size()))
        return 0;
    if (!measured_) {
        // One pass for every text column sized by its values, on the first question.
        QStringList terms;
        for (const AnswerColumn& column : columns_) {
            if (column.size < 0)
                terms << QStringLiteral("max(length(%1))").arg(QuoteIdentifier(column.name));
        }
        if (!terms.isEmpty() && rowCount_ > 0) {
            const SqliteStatement stats = db_->Prepare(
                QStringLiteral("SELECT %1 FROM answer").arg(terms.join(QStringLiteral(", "))));
            if (sqlite3_step(stats.get()) != SQLITE_ROW)
                db_->Fail();
            int term = 0;
            for (AnswerColumn& column : columns_) {
                if (column.size < 0)
                    column.longest = sqlite3_column_int(stats.get(), term++);
            }
        }
        measured_ = true;
    }
    const AnswerColumn& column = columns_[size_t(index)];
    return column.size < 0 ? qBound(1, column.longest, kMeasureCap) : column.size;
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
        // A text column without a declared length is sized by its longest value:
        // at once when its values were read for its type, else when asked.
        if (type == ftString && size == 0)
            size = column.undeclared ? qBound(1, column.longest, kMeasureCap) : -1;
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
        const QString type = !column.declared.isEmpty() || !forCopy
                                 ? column.declared
                                 : StorageTypeName(column.storages, column.large);
        if (!type.isEmpty())
            list += QLatin1Char(' ') + type;
    }
    return list;
}

void AnswerTable::Fetch(qint64 first, qint64 count, std::vector<std::vector<QVariant>>& rows) const
{
    if (!fetch_)
        fetch_ = db_->Prepare(
            QStringLiteral("SELECT * FROM answer WHERE rowid > ?1 ORDER BY rowid LIMIT ?2"));
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

void AnswerTable::Scan(const std::function<void(sqlite3_stmt*)>& visit) const
{
    const SqliteStatement scan =
        db_->Prepare(QStringLiteral("SELECT * FROM answer ORDER BY rowid"));
    int rc;
    while ((rc = sqlite3_step(scan.get())) == SQLITE_ROW)
        visit(scan.get());
    if (rc != SQLITE_DONE)
        db_->Fail(QStringLiteral("Reading the answer"));
}

void AnswerTable::ScanRange(qint64 first, qint64 count,
                            const std::function<void(sqlite3_stmt*)>& visit) const
{
    // The file is not written while it is read, so a reader takes no locks
    // and looks for no changes (the answer's own connection keeps its lock).
    std::unique_ptr<SqliteConnection> reader;
    {
        std::lock_guard lock(readersMutex_);
        if (!readers_.empty()) {
            reader = std::move(readers_.back());
            readers_.pop_back();
        }
    }
    if (!reader)
        reader = SqliteConnection::OpenUnchanging(fileName_);
    struct Return
    {
        const AnswerTable& answer;
        std::unique_ptr<SqliteConnection>& reader;
        ~Return()
        {
            std::lock_guard lock(answer.readersMutex_);
            answer.readers_.push_back(std::move(reader));
        }
    } giveBack{*this, reader};
    const SqliteStatement scan = reader->Prepare(
        QStringLiteral("SELECT * FROM answer WHERE rowid > ?1 ORDER BY rowid LIMIT ?2"));
    sqlite3_bind_int64(scan.get(), 1, first);
    sqlite3_bind_int64(scan.get(), 2, count);
    int rc;
    while ((rc = sqlite3_step(scan.get())) == SQLITE_ROW)
        visit(scan.get());
    if (rc != SQLITE_DONE)
        reader->Fail(QStringLiteral("Reading the answer"));
}

void AnswerTable::CopyTo(const QString& folder, const QString& table, bool overwrite)
{
    RunGuard guard(session_, *db_);
    {
        const SqliteStatement attach =
            db_->Prepare(QStringLiteral("ATTACH DATABASE ?1 AS tq_dest"));
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
        QString stored;
        const QString kind = ObjectKindOn(*db_, QStringLiteral("tq_dest"), table, &stored);
        if (!kind.isEmpty()) {
            if (!overwrite)
                throw EDatabaseError(QStringLiteral("Table %1 already exists").arg(table));
            const QString drop = kind == QLatin1String("view")
                                     ? QStringLiteral("DROP VIEW tq_dest.")
                                     : QStringLiteral("DROP TABLE tq_dest.");
            db_->StepToEnd(db_->Prepare(drop + QuoteIdentifier(stored)).get());
        }
        const QString target = QStringLiteral("tq_dest.") + QuoteIdentifier(table);
        db_->StepToEnd(
            db_->Prepare(QStringLiteral("CREATE TABLE %1 (%2)").arg(target, ColumnList(true)))
                .get());
        db_->StepToEnd(
            db_->Prepare(QStringLiteral("INSERT INTO %1 SELECT * FROM main.answer").arg(target))
                .get());
        db_->Exec("COMMIT");
    } catch (...) {
        sqlite3_exec(db_->Handle(), "ROLLBACK", nullptr, nullptr, nullptr);
        throw;
    }
}
