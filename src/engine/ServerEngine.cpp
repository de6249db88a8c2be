// The server engine: statements, cursors, tables made by CREATE TABLE ... AS
// and by COPY, and the look-up of tables in the schema they are made in.
#include "engine/ServerEngine.h"

#include "engine/AnswerTable.h"
#include "engine/EngineConfig.h"
#include "engine/ServerConnection.h"
#include "engine/ServerCopyRows.h"
#include "engine/ServerStatements.h"
#include "engine/ServerTypes.h"
#include "engine/Session.h"
#include "engine/SqlNames.h"
#include "platform/core/Exceptions.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <atomic>
#include <unistd.h>
#include <vector>

namespace {

// Rows fetched per round trip: large enough that the trips cost nothing,
// small enough that memory stays flat at any size.
constexpr int kFetchRows = 10000;

// The bytes of a name the server keeps: it cuts longer names to them, so two
// names alike in their first 63 bytes would be one.
constexpr int kServerNameBytes = 63;

// One transaction of ours: BEGIN ... COMMIT, or a savepoint inside a
// transaction the script has opened. Rolled back unless committed.
class TServerTransaction
{
public:
    explicit TServerTransaction(ServerConnection& connection)
        : connection_(connection), nested_(connection.InTransaction())
    {
        connection_.Exec(nested_ ? QStringLiteral("SAVEPOINT tq_work") : QStringLiteral("BEGIN"));
    }
    ~TServerTransaction()
    {
        if (done_ || !connection_.Connected())
            return;
        try {
            connection_.Exec(nested_ ? QStringLiteral("ROLLBACK TO SAVEPOINT tq_work; "
                                                      "RELEASE SAVEPOINT tq_work")
                                     : QStringLiteral("ROLLBACK"));
        } catch (const Exception&) {
            // The connection is gone, and the transaction with it.
        }
    }
    void Commit()
    {
        connection_.Exec(nested_ ? QStringLiteral("RELEASE SAVEPOINT tq_work")
                                 : QStringLiteral("COMMIT"));
        done_ = true;
    }
    TServerTransaction(const TServerTransaction&) = delete;
    TServerTransaction& operator=(const TServerTransaction&) = delete;

private:
    ServerConnection& connection_;
    bool nested_;
    bool done_ = false;
};

// The rows of a result, and of the cursor's next fetches when there is one.
class TServerRows final : public TAnswerRows
{
public:
    TServerRows(ServerConnection& connection, TPgResult first, bool cursor, QStringList sourceTypes)
        : connection_(connection), result_(std::move(first)), cursor_(cursor),
          sourceTypes_(std::move(sourceTypes))
    {
        for (int i = 0; i < PQnfields(result_.get()); ++i)
            columns_.push_back(ServerColumnOf(PQftype(result_.get(), i), PQfmod(result_.get(), i)));
        scratch_.resize(columns_.size());
    }

    QStringList Names() const override
    {
        QStringList names;
        for (int i = 0; i < PQnfields(result_.get()); ++i)
            names << QString::fromUtf8(PQfname(result_.get(), i));
        return names;
    }
    QStringList DeclaredTypes() const override
    {
        QStringList types;
        for (const TServerColumn& column : columns_)
            types << column.declared;
        return types;
    }
    QString Location() const override { return connection_.Location(); }
    QStringList SourceTypes() const override { return sourceTypes_; }

    ~TServerRows() override
    {
        if (!pending_)
            return;
        try {
            connection_.Collect();
        } catch (const Exception&) {
            // The connection is closed, and the fetch with it.
        }
    }

    // The next batch is asked for as soon as a full one arrives, so the
    // server reads and sends it while this one goes into the answer.
    int Ready() override
    {
        if (row_ >= PQntuples(result_.get())) {
            if (!pending_)
                return 0;
            pending_ = false;
            result_ = connection_.Collect();
            row_ = 0;
        }
        if (row_ == 0 && cursor_ && PQntuples(result_.get()) == kFetchRows) {
            connection_.Send(QStringLiteral("FETCH FORWARD %1 FROM tq_rows").arg(kFetchRows));
            pending_ = true;
        }
        return PQntuples(result_.get()) - row_;
    }

    void Bind(sqlite3_stmt* insert, int first) override
    {
        if (pending_ && row_ % 1024 == 0)
            connection_.ReadAhead();
        PGresult* result = result_.get();
        for (int i = 0; i < int(columns_.size()); ++i) {
            // Only an empty value can be a null: one call fewer for the others.
            const int length = PQgetlength(result, row_, i);
            const bool null = length == 0 && PQgetisnull(result, row_, i);
            BindServerValue(insert, first + i, columns_[size_t(i)].kind,
                            null ? nullptr : PQgetvalue(result, row_, i), length,
                            scratch_[size_t(i)]);
        }
        ++row_;
    }

private:
    ServerConnection& connection_;
    TPgResult result_;
    bool cursor_;
    QStringList sourceTypes_;
    std::vector<TServerColumn> columns_;
    std::vector<QByteArray> scratch_;
    int row_ = 0;
    bool pending_ = false; // a fetch has been sent and not yet collected
};

struct TRelation
{
    Oid oid = 0;
    char kind = 'r';
    QString schema, name;
};

// A table the run drops itself is made without the server's log of changes:
// nothing needs it after a crash, and filling it costs a quarter less.
QString TableKind(TTableLife life)
{
    return life == TTableLife::scratch ? QStringLiteral("UNLOGGED TABLE") : QStringLiteral("TABLE");
}

QString Utf8(const PGresult* result, int row, int column)
{
    return QString::fromUtf8(PQgetvalue(result, row, column), PQgetlength(result, row, column));
}

class TServerDatabase final : public TEngineDatabase
{
public:
    TServerDatabase(TSession& session, ServerConnection& connection)
        : session_(session), connection_(connection)
    {
    }

    QString Location() const override { return connection_.Location(); }

    void ExecSQL(const QString& text) override
    {
        ServerRunGuard guard(session_, connection_);
        for (const QString& statement : SplitServerStatements(text))
            connection_.Exec(statement);
    }

    std::unique_ptr<AnswerTable> RunToAnswer(TDataSet* owner, const QString& text,
                                             bool commandWithoutColumns) override
    {
        ServerRunGuard guard(session_, connection_);
        const QString last = RunButLast(text);
        const TPgResult described = connection_.Describe(last);
        if (PQnfields(described.get()) == 0) {
            if (!commandWithoutColumns)
                throw EDatabaseError(QStringLiteral("The statement returns no result set"));
            connection_.Exec(last);
            return nullptr;
        }
        return OpenRows(owner, last, described.get());
    }

    bool StoreAsTable(TDataSet* owner, const QString& text, const QString& tableName,
                      TTableLife life, std::unique_ptr<AnswerTable>* open) override
    {
        const QString table = ServerTableName(tableName);
        ServerRunGuard guard(session_, connection_);
        const QString last = RunButLast(text);
        const TPgResult described = connection_.Describe(last);
        const int count = PQnfields(described.get());
        if (count == 0) {
            connection_.Exec(last);
            return false;
        }
        QStringList names;
        for (int i = 0; i < count; ++i)
            names << QString::fromUtf8(PQfname(described.get(), i));
        QStringList columns;
        for (const QString& name : UniqueColumnNames(names, kServerNameBytes))
            columns << connection_.QuoteIdentifier(name);

        TServerTransaction transaction(connection_);
        // Made under a name of its own first, so the statement may read the
        // table it replaces.
        static std::atomic<int> serial{0};
        const QString fresh = connection_.QuoteIdentifier(
            QStringLiteral("tq_new_%1_%2").arg(qint64(::getpid())).arg(++serial));
        connection_.Exec(QStringLiteral("SAVEPOINT tq_store"));
        bool made = true;
        try {
            connection_.Exec(QStringLiteral("CREATE %1 %2 (%3) AS\n")
                                 .arg(TableKind(life), fresh, columns.join(QStringLiteral(", "))) +
                             last + QLatin1Char('\n'));
        } catch (const EDatabaseError&) {
            if (!connection_.Connected() || session_.Interrupted())
                throw;
            made = false; // no plain query (a RETURNING, say): its rows go through an answer
        }
        if (!made) {
            connection_.Exec(QStringLiteral("ROLLBACK TO SAVEPOINT tq_store"));
            std::unique_ptr<AnswerTable> answer = OpenRows(owner, last, described.get());
            WriteRows(*answer, table, true, TypesFor(*answer), life);
            transaction.Commit();
            if (open)
                *open = std::move(answer);
            return true;
        }
        if (const std::optional<TRelation> existing = Find(table))
            Drop(*existing);
        connection_.Exec(QStringLiteral("ALTER TABLE %1 RENAME TO %2")
                             .arg(fresh, connection_.QuoteIdentifier(table)));
        transaction.Commit();
        if (open)
            *open = ReadTable(owner, table);
        return true;
    }

    void WriteAnswer(AnswerTable& answer, const QString& tableName, bool overwrite) override
    {
        const QString table = ServerTableName(tableName);
        ServerRunGuard guard(session_, connection_);
        TServerTransaction transaction(connection_);
        WriteRows(answer, table, overwrite, TypesFor(answer), TTableLife::kept);
        transaction.Commit();
    }

    std::unique_ptr<AnswerTable> OpenTable(TDataSet* owner, const QString& tableName) override
    {
        ServerRunGuard guard(session_, connection_);
        return ReadTable(owner, ServerTableName(tableName));
    }

    QStringList TableNames() override
    {
        const TPgResult result = connection_.Exec(
            QStringLiteral("SELECT c.relname FROM pg_catalog.pg_class c "
                           "JOIN pg_catalog.pg_namespace n ON n.oid = c.relnamespace "
                           "WHERE c.relkind IN ('r', 'p', 'v', 'm', 'f') AND "
                           "pg_catalog.pg_table_is_visible(c.oid) "
                           "AND n.nspname NOT IN ('pg_catalog', 'information_schema') "
                           "AND n.nspname NOT LIKE 'pg\\_toast%'"));
        QStringList names;
        for (int row = 0; row < PQntuples(result.get()); ++row)
            names << Utf8(result.get(), row, 0);
        std::sort(names.begin(), names.end(), [](const QString& a, const QString& b) {
            return a.compare(b, Qt::CaseInsensitive) < 0;
        });
        return names;
    }

    bool TableExists(const QString& table) override
    {
        const std::optional<TRelation> found = Find(ServerTableName(table));
        return found && (found->kind == 'r' || found->kind == 'p');
    }

    void DropTable(const QString& tableName) override
    {
        const QString table = ServerTableName(tableName);
        const std::optional<TRelation> found = Find(table);
        if (!found)
            throw EDatabaseError(QStringLiteral("no such table: %1").arg(table));
        Drop(*found);
    }

    bool EndScript() override
    {
        if (!connection_.Connected() || !connection_.InTransaction())
            return true;
        connection_.Exec(QStringLiteral("ROLLBACK"));
        return false;
    }

    // The journals of a server live in the configuration folder, one folder per server.
    QString JournalFolder() override
    {
        const QString folder =
            QFileInfo(EngineConfigFile()).absolutePath() + QStringLiteral("/server-runs/") +
            QString::fromLatin1(
                QCryptographicHash::hash(Location().toUtf8(), QCryptographicHash::Sha256)
                    .toHex()
                    .left(32));
        QDir().mkpath(folder);
        return folder;
    }

    // A table's object identifier and its qualified name.
    std::optional<TTableSignature> Signature(const QString& table) override
    {
        const std::optional<TRelation> found = Find(ServerTableName(table));
        if (!found)
            return std::nullopt;
        return TTableSignature{qint64(found->oid), found->schema + QLatin1Char('.') + found->name};
    }

private:
    // Runs every statement of the text but the last, which is returned.
    QString RunButLast(const QString& text)
    {
        const QStringList statements = SplitServerStatements(text);
        if (statements.isEmpty())
            throw EDatabaseError(QStringLiteral("No SQL statement to open"));
        for (qsizetype i = 0; i + 1 < statements.size(); ++i)
            connection_.Exec(statements.at(i));
        return statements.last();
    }

    // The server's names of the column types of a described result.
    QStringList SourceTypesOf(const PGresult* described)
    {
        QStringList oids, mods;
        for (int i = 0; i < PQnfields(described); ++i) {
            oids << QString::number(PQftype(described, i));
            mods << QString::number(PQfmod(described, i));
        }
        const TPgResult names = connection_.ExecParams(
            QStringLiteral("SELECT pg_catalog.format_type(t, m) FROM "
                           "unnest($1::pg_catalog.oid[], $2::pg_catalog.int4[]) "
                           "WITH ORDINALITY AS u(t, m, n) ORDER BY n"),
            {(QLatin1Char('{') + oids.join(QLatin1Char(',')) + QLatin1Char('}')).toLatin1(),
             (QLatin1Char('{') + mods.join(QLatin1Char(',')) + QLatin1Char('}')).toLatin1()});
        QStringList types;
        for (int row = 0; row < PQntuples(names.get()); ++row)
            types << Utf8(names.get(), row, 0);
        return types;
    }

    // The rows of one statement as an answer: through a cursor, or, for a
    // statement no cursor can hold (a RETURNING, SHOW), its whole result.
    std::unique_ptr<AnswerTable> OpenRows(TDataSet* owner, const QString& statement,
                                          const PGresult* described)
    {
        const QStringList types = SourceTypesOf(described);
        TServerTransaction transaction(connection_);
        // A table read back must come in the order it was written.
        connection_.Exec(
            QStringLiteral("SET LOCAL synchronize_seqscans = off; SAVEPOINT tq_cursor"));
        bool cursor = true;
        try {
            connection_.Exec(QStringLiteral("DECLARE tq_rows NO SCROLL CURSOR FOR\n") + statement +
                             QLatin1Char('\n'));
        } catch (const EDatabaseError&) {
            if (!connection_.Connected() || session_.Interrupted())
                throw;
            cursor = false;
            connection_.Exec(QStringLiteral("ROLLBACK TO SAVEPOINT tq_cursor"));
        }
        TPgResult first =
            cursor
                ? connection_.Exec(QStringLiteral("FETCH FORWARD %1 FROM tq_rows").arg(kFetchRows))
                : connection_.Exec(statement);
        TServerRows rows(connection_, std::move(first), cursor, types);
        auto answer = std::make_unique<AnswerTable>(session_, owner, rows);
        if (cursor)
            connection_.Exec(QStringLiteral("CLOSE tq_rows"));
        transaction.Commit();
        return answer;
    }

    // A table's rows come by one COPY in binary form, which the server writes
    // at a fraction of the cost of a cursor's text; a column of a type
    // without a binary reader comes as its text.
    std::unique_ptr<AnswerTable> ReadTable(TDataSet* owner, const QString& table)
    {
        const QString from = QStringLiteral(" FROM ") + connection_.QuoteIdentifier(table);
        const TPgResult described = connection_.Describe(QStringLiteral("SELECT *") + from);
        QStringList columns;
        bool asText = false;
        for (int i = 0; i < PQnfields(described.get()); ++i) {
            columns << connection_.QuoteIdentifier(QString::fromUtf8(PQfname(described.get(), i)));
            if (!ServerBinaryReadable(PQftype(described.get(), i))) {
                columns.last() += QStringLiteral("::pg_catalog.text");
                asText = true;
            }
        }
        const QString select =
            asText ? QStringLiteral("SELECT ") + columns.join(QStringLiteral(", ")) + from
                   : QStringLiteral("SELECT *") + from;
        const QStringList types = SourceTypesOf(described.get());
        TServerTransaction transaction(connection_);
        // A table read back must come in the order it was written.
        connection_.Exec(QStringLiteral("SET LOCAL synchronize_seqscans = off"));
        connection_.StartCopyOut(QStringLiteral("COPY (%1) TO STDOUT (FORMAT binary)").arg(select));
        TServerCopyRows rows(connection_, described.get(), types);
        auto answer = std::make_unique<AnswerTable>(session_, owner, rows);
        transaction.Commit();
        return answer;
    }

    // The server types of an answer's columns: those its rows had when they
    // came from this server, else the nearest to its field types.
    QStringList TypesFor(const AnswerTable& answer)
    {
        const std::vector<AnswerColumn>& columns = answer.Columns();
        if (answer.SourceLocation() == Location() &&
            answer.SourceTypes().size() == qsizetype(columns.size())) {
            // A pseudo-type (the void of pg_sleep, a record) cannot be a
            // column's: its values are kept as text.
            static const QStringList pseudo = {QStringLiteral("void"), QStringLiteral("record"),
                                               QStringLiteral("unknown"),
                                               QStringLiteral("cstring")};
            QStringList types = answer.SourceTypes();
            for (QString& type : types)
                if (pseudo.contains(type))
                    type = QStringLiteral("text");
            return types;
        }
        QStringList types;
        for (const AnswerColumn& column : columns)
            types << ServerTypeOfColumn(column);
        return types;
    }

    // Inside a transaction: the table made anew with the answer's rows, by COPY.
    void WriteRows(AnswerTable& answer, const QString& table, bool overwrite,
                   const QStringList& types, TTableLife life)
    {
        if (const std::optional<TRelation> existing = Find(table)) {
            if (!overwrite)
                throw EDatabaseError(QStringLiteral("Table %1 already exists").arg(table));
            Drop(*existing);
        }
        const QString target = connection_.QuoteIdentifier(table);
        QStringList names;
        for (const AnswerColumn& column : answer.Columns())
            names << column.name;
        QStringList columns;
        std::vector<TServerKind> kinds;
        for (const QString& name : UniqueColumnNames(names, kServerNameBytes)) {
            const QString& type = types.at(columns.size());
            columns << connection_.QuoteIdentifier(name) + QLatin1Char(' ') + type;
            kinds.push_back(KindOfServerType(type));
        }
        connection_.Exec(QStringLiteral("CREATE %1 %2 (%3)")
                             .arg(TableKind(life), target, columns.join(QStringLiteral(", "))));
        connection_.StartCopy(QStringLiteral("COPY %1 FROM STDIN").arg(target));
        QByteArray data;
        data.reserve(1 << 17);
        answer.Scan([&](sqlite3_stmt* row) {
            for (int i = 0; i < int(kinds.size()); ++i) {
                if (i)
                    data += '\t';
                AppendCopyValue(data, row, i, kinds[size_t(i)]);
            }
            data += '\n';
            if (data.size() >= (1 << 16)) {
                connection_.PutCopyData(data);
                data.truncate(0);
            }
        });
        if (!data.isEmpty())
            connection_.PutCopyData(data);
        connection_.EndCopy();
    }

    // A table, view or the like of that name in the schema new tables go to.
    std::optional<TRelation> Find(const QString& table)
    {
        const TPgResult result = connection_.ExecParams(
            QStringLiteral("SELECT c.oid, c.relkind, n.nspname, c.relname "
                           "FROM pg_catalog.pg_class c "
                           "JOIN pg_catalog.pg_namespace n ON n.oid = c.relnamespace "
                           "WHERE n.nspname = pg_catalog.current_schema() AND c.relname = $1 "
                           "AND c.relkind IN ('r', 'p', 'v', 'm', 'f')"),
            {table.toUtf8()});
        if (PQntuples(result.get()) == 0)
            return std::nullopt;
        return TRelation{Oid(QByteArray(PQgetvalue(result.get(), 0, 0)).toUInt()),
                         *PQgetvalue(result.get(), 0, 1), Utf8(result.get(), 0, 2),
                         Utf8(result.get(), 0, 3)};
    }

    void Drop(const TRelation& relation)
    {
        const char* what = relation.kind == 'v'   ? "VIEW"
                           : relation.kind == 'm' ? "MATERIALIZED VIEW"
                           : relation.kind == 'f' ? "FOREIGN TABLE"
                                                  : "TABLE";
        connection_.Exec(QStringLiteral("DROP %1 %2.%3")
                             .arg(QLatin1String(what), connection_.QuoteIdentifier(relation.schema),
                                  connection_.QuoteIdentifier(relation.name)));
    }

    TSession& session_;
    ServerConnection& connection_;
};

} // namespace

std::unique_ptr<TEngineDatabase> ServerDatabase(TSession& session, ServerConnection& connection)
{
    return std::make_unique<TServerDatabase>(session, connection);
}

QString ServerTableName(const QString& name)
{
    const QString table = TableNameOf(name);
    if (table.size() > 2 && table.startsWith(QLatin1Char('"')) && table.endsWith(QLatin1Char('"')))
        return table.mid(1, table.size() - 2).replace(QStringLiteral("\"\""), QStringLiteral("\""));
    static const QRegularExpression plain(QStringLiteral("^[A-Za-z_][A-Za-z0-9_$]*$"));
    return plain.match(table).hasMatch() ? table.toLower() : table;
}
