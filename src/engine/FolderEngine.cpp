// The folder engine: statements run on the folder's SQLite connection, rows
// go into answer tables by INSERT ... SELECT, and tables are looked up in
// the folder's schema.
#include "engine/FolderEngine.h"

#include "engine/AnswerTable.h"
#include "engine/DirectStore.h"
#include "engine/FolderTables.h"
#include "engine/SessionState.h"
#include "engine/SqlNames.h"
#include "engine/StatementRunner.h"
#include "platform/core/Exceptions.h"

namespace {

class TFolderDatabase final : public TEngineDatabase
{
public:
    TFolderDatabase(TSession& session, const QString& folder) : session_(session), folder_(folder)
    {
    }

    QString Location() const override { return folder_; }

    void ExecSQL(const QString& text) override
    {
        SqliteConnection& connection = Connection();
        RunGuard guard(session_, connection);
        RunStatements(connection, text);
    }

    std::unique_ptr<AnswerTable> RunToAnswer(TDataSet* owner, const QString& text,
                                             bool commandWithoutColumns) override
    {
        SqliteConnection& connection = Connection();
        RunGuard guard(session_, connection);
        const SqliteStatement last = RunStatementsButLast(connection, text);
        if (sqlite3_column_count(last.get()) == 0) {
            if (!commandWithoutColumns)
                throw EDatabaseError(QStringLiteral("The statement returns no result set"));
            connection.StepToEnd(last.get());
            return nullptr;
        }
        return std::make_unique<AnswerTable>(session_, owner, connection, last.get());
    }

    // A folder's tables.db keeps every table alike, whatever its life.
    bool StoreAsTable(TDataSet* owner, const QString& text, const QString& tableName, TTableLife,
                      std::unique_ptr<AnswerTable>* open) override
    {
        const QString table = TableNameOf(tableName);
        if (open) {
            *open = RunToAnswer(owner, text, true);
            if (!*open)
                return false;
            (*open)->CopyTo(folder_, table, true);
            return true;
        }
        SqliteConnection& connection = Connection();
        RunGuard guard(session_, connection);
        const SqliteStatement last = RunStatementsButLast(connection, text);
        if (sqlite3_column_count(last.get()) == 0) {
            connection.StepToEnd(last.get());
            return false;
        }
        if (!StoreRowsAsTable(connection, last.get(), table))
            AnswerTable(session_, owner, connection, last.get()).CopyTo(folder_, table, true);
        return true;
    }

    void WriteAnswer(AnswerTable& answer, const QString& table, bool overwrite) override
    {
        answer.CopyTo(folder_, TableNameOf(table), overwrite);
    }

    std::unique_ptr<AnswerTable> OpenTable(TDataSet* owner, const QString& tableName) override
    {
        const QString table = TableNameOf(tableName);
        SqliteConnection& connection = Connection();
        RunGuard guard(session_, connection);
        const SqliteStatement select =
            connection.Prepare(QStringLiteral("SELECT * FROM ") + QuoteIdentifier(table));
        return std::make_unique<AnswerTable>(session_, owner, connection, select.get());
    }

    QStringList TableNames() override { return TableNamesIn(folder_); }

    bool TableExists(const QString& table) override
    {
        return ObjectKindIn(folder_, TableNameOf(table)) == QLatin1String("table");
    }

    void DropTable(const QString& tableName) override
    {
        const QString table = TableNameOf(tableName);
        // The folder's own connection knows the schema already; a new connection
        // would read all of it again for every table a script drops.
        SqliteConnection& connection = Connection();
        QString stored;
        const QString kind = ObjectKindOn(connection, QStringLiteral("main"), table, &stored);
        if (kind.isEmpty())
            throw EDatabaseError(QStringLiteral("no such table: %1").arg(table));
        const QString drop = kind == QLatin1String("view") ? QStringLiteral("DROP VIEW ")
                                                           : QStringLiteral("DROP TABLE ");
        connection.StepToEnd(connection.Prepare(drop + QuoteIdentifier(stored)).get());
    }

    QString JournalFolder() override { return folder_; }

    // The newest schema entry is looked at first, since a table just made is
    // the last one, so the look-up does not grow with the number of tables.
    // The root page and the SQL text make a table that very table.
    std::optional<TTableSignature> Signature(const QString& tableName) override
    {
        const QString table = TableNameOf(tableName);
        SqliteConnection& connection = Connection();
        for (const char* sql :
             {"SELECT rootpage, sql, name FROM sqlite_schema WHERE type = 'table' "
              "ORDER BY rowid DESC LIMIT 1",
              "SELECT rootpage, sql, name FROM sqlite_schema WHERE type = 'table' "
              "AND name = ?1 COLLATE NOCASE"}) {
            SqliteStatement stmt = connection.Prepare(QString::fromLatin1(sql));
            if (sqlite3_bind_parameter_count(stmt.get()) > 0)
                BindText(stmt.get(), 1, table);
            if (sqlite3_step(stmt.get()) == SQLITE_ROW &&
                ColumnText(stmt.get(), 2).compare(table, Qt::CaseInsensitive) == 0)
                return TTableSignature{sqlite3_column_int64(stmt.get(), 0),
                                       ColumnText(stmt.get(), 1)};
        }
        return std::nullopt;
    }

private:
    SqliteConnection& Connection() { return FolderConnection(session_, folder_); }

    TSession& session_;
    QString folder_;
};

} // namespace

std::unique_ptr<TEngineDatabase> FolderDatabase(TSession& session, const QString& folder)
{
    return std::make_unique<TFolderDatabase>(session, folder);
}
