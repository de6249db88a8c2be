// The table component: opens one table of a folder as an answer of its rows,
// tells whether it exists and deletes it.
#include "engine/Table.h"

#include "engine/AnswerTable.h"
#include "engine/FolderTables.h"
#include "engine/Session.h"
#include "engine/SessionState.h"
#include "engine/SqlNames.h"
#include "platform/core/Exceptions.h"

struct TTable::OpenTable
{
    std::unique_ptr<AnswerTable> table;
};

TTable::TTable(QObject* owner) : TDataSet(owner) {}

TTable::~TTable()
{
    Close();
}

void TTable::SetDatabaseName(const QString& name)
{
    if (name == databaseName_)
        return;
    Close();
    databaseName_ = name;
}

void TTable::SetTableName(const QString& name)
{
    if (name == tableName_)
        return;
    Close();
    tableName_ = name;
}

bool TTable::Exists() const
{
    const QString folder = Session()->ResolveFolder(databaseName_);
    return ObjectKindIn(folder, TableNameOf(tableName_)) == QLatin1String("table");
}

void TTable::DeleteTable()
{
    Close();
    const QString table = TableNameOf(tableName_);
    TSession& session = *Session();
    const QString folder = session.ResolveFolder(databaseName_);
    // The folder's own connection knows the schema already; a new connection
    // would read all of it again for every table a script drops.
    SqliteConnection& connection = FolderConnection(session, folder);
    RunGuard guard(session, connection);
    QString stored;
    const QString kind = ObjectKindOn(connection, QStringLiteral("main"), table, &stored);
    if (kind.isEmpty())
        throw EDatabaseError(QStringLiteral("no such table: %1").arg(table));
    const QString drop = kind == QLatin1String("view") ? QStringLiteral("DROP VIEW ")
                                                       : QStringLiteral("DROP TABLE ");
    connection.StepToEnd(connection.Prepare(drop + QuoteIdentifier(stored)).get());
}

void TTable::InternalOpen()
{
    const QString table = TableNameOf(tableName_);
    TSession& session = *Session();
    const QString folder = session.ResolveFolder(databaseName_);
    SqliteConnection& connection = FolderConnection(session, folder);
    auto open = std::make_unique<OpenTable>();
    {
        RunGuard guard(session, connection);
        const SqliteStatement select =
            connection.Prepare(QStringLiteral("SELECT * FROM ") + QuoteIdentifier(table));
        open->table = std::make_unique<AnswerTable>(session, this, connection, select.get());
    }
    for (const AnswerColumn& column : open->table->Columns())
        AddField(column.name, column.type, column.size)->SetCurrency(column.currency);
    open_ = std::move(open);
}

void TTable::InternalClose()
{
    open_.reset();
}

qint64 TTable::InternalRecordCount() const
{
    return open_ ? open_->table->RowCount() : 0;
}

void TTable::InternalFetch(qint64 first, qint64 count,
                           std::vector<std::vector<QVariant>>& rows) const
{
    if (open_)
        open_->table->Fetch(first, count, rows);
}

int TTable::InternalFieldSize(int fieldIndex) const
{
    return open_ ? open_->table->TextSize(fieldIndex) : 0;
}
