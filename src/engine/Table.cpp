// The table component: opens one table of its database as an answer of its
// rows, tells whether it exists and deletes it, through the database's engine.
#include "engine/Table.h"

#include "engine/AnswerTable.h"
#include "engine/EngineDatabase.h"
#include "engine/Session.h"

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
    return EngineDatabaseOf(*Session(), databaseName_)->TableExists(tableName_);
}

void TTable::DeleteTable()
{
    Close();
    EngineDatabaseOf(*Session(), databaseName_)->DropTable(tableName_);
}

void TTable::InternalOpen()
{
    auto open = std::make_unique<OpenTable>();
    open->table = EngineDatabaseOf(*Session(), databaseName_)->OpenTable(this, tableName_);
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
