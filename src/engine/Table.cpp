// The table component: opens one table of its database as an answer of its
// rows, tells whether it exists and deletes it, through the database's engine.
#include "engine/Table.h"

#include "engine/AnswerTable.h"
#include "engine/EngineDatabase.h"
#include "engine/Session.h"

TTable::TTable(QObject* owner) : TAnswerDataSet(owner) {}

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

std::unique_ptr<AnswerTable> TTable::MakeAnswer()
{
    return EngineDatabaseOf(*Session(), databaseName_)->OpenTable(this, tableName_);
}
