// An SQL query dataset. Open runs the statement and stores its rows as an
// answer table in the session's private folder, so the rows have random
// access, a record count and bookmarks at any size; answers are never live.
#pragma once

#include "engine/DataSet.h"

#include <QStringList>

class TQuery : public TDataSet
{
    Q_OBJECT
    Q_PROPERTY(QString DatabaseName READ DatabaseName WRITE SetDatabaseName)
    Q_PROPERTY(bool RequestLive READ RequestLive WRITE SetRequestLive)
public:
    explicit TQuery(QObject* owner = nullptr);
    ~TQuery() override;

    // The SQL lines. Changing them closes an open query.
    const QStringList& SQL() const { return sql_; }
    void SetSQL(const QStringList& lines);
    // The lines joined with CR LF, as the lines' text.
    QString SQLText() const;
    // Splits at CR LF, LF or CR.
    void SetSQLText(const QString& text);

    const QString& DatabaseName() const { return databaseName_; }
    void SetDatabaseName(const QString& name);
    // Kept for the components that set it; has no effect.
    bool RequestLive() const { return requestLive_; }
    void SetRequestLive(bool live) { requestLive_ = live; }

    // Runs the SQL without rows. A text of several statements separated by ";"
    // runs them all in order.
    void ExecSQL();
    // Makes the open answer a permanent table: tablePath is a folder and a
    // table name ("/home/ann/kiv\INIT.DB"; the extension is dropped), written
    // into that folder's tables.db with the answer's column types, replacing a
    // table of that name when overwrite is set. The query stays open. A path
    // with a ".." folder is refused.
    void MakePermanent(const QString& tablePath, bool overwrite);
    // Runs the SQL and stores the last statement's rows as table `table`
    // ("INIT.DB" is INIT) of the query's own database, replacing a table or
    // view of that name, without keeping them open: by one INSERT ... SELECT
    // when the rows allow it (DirectStore.h), else through an answer table
    // made permanent. The query is closed afterwards.
    void StoreAsTable(const QString& table);
    // Whether the SQL's first statement yields result columns, found by
    // preparing it (never stepping it) on the database's own connection,
    // which has read the schema already; true when that cannot tell (no
    // database, SQL the engine does not understand).
    bool PreparesWithColumns() const;

protected:
    void InternalOpen() override;
    void InternalClose() override;
    qint64 InternalRecordCount() const override;
    void InternalFetch(qint64 first, qint64 count,
                       std::vector<std::vector<QVariant>>& rows) const override;
    int InternalFieldSize(int fieldIndex) const override;

private:
    QStringList sql_;
    QString databaseName_;
    bool requestLive_ = false;
    struct Answer;
    std::unique_ptr<Answer> answer_;
};
