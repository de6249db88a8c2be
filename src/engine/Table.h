// A table component: one table of a database folder, opened as a dataset or
// deleted.
#pragma once

#include "engine/AnswerDataSet.h"

enum TTableType
{
    ttDefault,
    ttParadox,
    ttDBase,
    ttFoxPro,
    ttASCII
};

class TTable : public TAnswerDataSet
{
    Q_OBJECT
    Q_PROPERTY(QString DatabaseName READ DatabaseName WRITE SetDatabaseName)
    Q_PROPERTY(QString TableName READ TableName WRITE SetTableName)
public:
    explicit TTable(QObject* owner = nullptr);

    const QString& DatabaseName() const { return databaseName_; }
    void SetDatabaseName(const QString& name);
    // "INIT.DB" names the table INIT; the extension is kept in the property.
    const QString& TableName() const { return tableName_; }
    void SetTableName(const QString& name);
    TTableType TableType() const { return tableType_; }
    void SetTableType(TTableType type) { tableType_ = type; }

    bool Exists() const;
    // Deletes the table; raises EDatabaseError when it cannot (missing table too).
    void DeleteTable();

protected:
    // The table's rows as they are stored.
    std::unique_ptr<AnswerTable> MakeAnswer() override;

private:
    QString databaseName_;
    QString tableName_;
    TTableType tableType_ = ttDefault;
};
