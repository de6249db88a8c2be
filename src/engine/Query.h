// An SQL query dataset. Open runs the statement and stores its rows as an
// answer table in the session's private folder, so the rows have random
// access, a record count and bookmarks at any size; answers are never live.
#pragma once

#include "engine/AnswerDataSet.h"
#include "engine/EngineDatabase.h"

#include <QStringList>

class TQuery : public TAnswerDataSet
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
    // runs them all in order. Every operation runs on the engine of the
    // query's database (EngineDatabase.h), a folder's or a server's.
    void ExecSQL();
    // Runs the SQL and opens the rows of its last statement; the earlier
    // statements run as commands first, on the same connection, so the last
    // one sees the tables they made. A last statement without result columns
    // runs as a command too, and the query stays closed. Returns whether the
    // query is open.
    bool OpenOrExecute();
    // Makes the open answer a permanent table: tablePath is a folder and a
    // table name ("/home/ann/kiv\INIT.DB"; the extension is dropped), written
    // into that folder's tables.db with the answer's column types, replacing a
    // table of that name when overwrite is set. The query stays open. A path
    // with a ".." folder is refused.
    void MakePermanent(const QString& tablePath, bool overwrite);
    // The same into a database by name (a folder's or a server's).
    void MakePermanentIn(const QString& databaseName, const QString& table, bool overwrite);
    // Runs the SQL and stores the last statement's rows as table `table`
    // ("INIT.DB" is INIT) of the query's own database, replacing a table or
    // view of that name, without keeping them open: by one INSERT ... SELECT
    // when the rows allow it (DirectStore.h), else through an answer table
    // made permanent. The query is closed afterwards. A last statement
    // without result columns runs as a command and nothing is stored; returns
    // whether rows were stored.
    bool StoreAsTable(const QString& table, TTableLife life);
    // The same, and the stored rows are opened (the query stays open); on a
    // server they are stored there by one statement and read back.
    bool StoreAndOpen(const QString& table, TTableLife life);

protected:
    // The answer a run has made already, else a run of the SQL.
    std::unique_ptr<AnswerTable> MakeAnswer() override;

private:
    // Runs the SQL and stores the last statement's rows as an answer; with
    // commandWithoutColumns a last statement without result columns runs as
    // a command and no answer is made.
    std::unique_ptr<AnswerTable> RunToAnswer(bool commandWithoutColumns);

    QStringList sql_;
    QString databaseName_;
    bool requestLive_ = false;
    std::unique_ptr<AnswerTable> ranAnswer_; // made by OpenOrExecute, taken by MakeAnswer
};
