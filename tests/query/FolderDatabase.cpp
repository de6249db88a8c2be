// The folder database of the query tests.
#include "FolderDatabase.h"

#include "engine/Query.h"
#include "engine/Session.h"

FolderDatabase::FolderDatabase(const QString& name) : name_(name)
{
    database_.SetDatabaseName(name);
    database_.SetDriverName(QStringLiteral("STANDARD"));
    database_.Params() << QStringLiteral("PATH=") + folder_.Path();
    database_.SetConnected(true);
}

void FolderDatabase::Exec(const QString& sql) const
{
    TQuery query;
    query.SetDatabaseName(name_);
    query.SetSQLText(sql);
    query.ExecSQL();
}

QVariant FolderDatabase::Scalar(const QString& sql) const
{
    TQuery query;
    query.SetDatabaseName(name_);
    query.SetSQLText(sql);
    query.Open();
    return query.RecordCount() > 0 ? query.ValueAt(0, 0) : QVariant();
}

qint64 FolderDatabase::Count(const QString& table) const
{
    return Scalar(QStringLiteral("SELECT COUNT(*) FROM \"%1\"").arg(table)).toLongLong();
}

bool FolderDatabase::HasTable(const QString& table) const
{
    return Tables().contains(table, Qt::CaseInsensitive);
}

QStringList FolderDatabase::Tables() const
{
    return Session()->TableNames(name_);
}
