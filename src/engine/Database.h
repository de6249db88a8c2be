// A database component: a named connection to a folder of tables, through an
// alias of engine.cfg or through driver "STANDARD" with the parameter
// "PATH=<folder>". The tables of a folder live in <folder>/tables.db. An
// alias with TYPE=POSTGRESQL names a server's database instead: its SERVER
// NAME (a libpq connection string or URI) and optional USER NAME.
#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

class TSession;

class TDatabase : public QObject
{
    Q_OBJECT
    Q_PROPERTY(QString AliasName READ AliasName WRITE SetAliasName)
    Q_PROPERTY(QString DatabaseName READ DatabaseName WRITE SetDatabaseName)
    Q_PROPERTY(QString DriverName READ DriverName WRITE SetDriverName)
    Q_PROPERTY(QString SessionName READ SessionName WRITE SetSessionName)
    Q_PROPERTY(bool Connected READ Connected WRITE SetConnected)
public:
    explicit TDatabase(QObject* owner = nullptr);
    ~TDatabase() override;

    const QString& AliasName() const { return aliasName_; }
    // Setting an alias clears the driver name, and the other way round.
    void SetAliasName(const QString& alias);
    const QString& DatabaseName() const { return databaseName_; }
    void SetDatabaseName(const QString& name);
    const QString& DriverName() const { return driverName_; }
    void SetDriverName(const QString& driver);
    QStringList& Params() { return params_; }
    const QStringList& Params() const { return params_; }
    const QString& SessionName() const { return sessionName_; }
    void SetSessionName(const QString& name);
    TSession* Session() const;

    bool Connected() const { return connected_; }
    // Connecting resolves the folder and raises EDatabaseError when there is
    // none (unknown alias, no PATH, missing folder). A server alias connects
    // to the server, asking for a password through the session's prompt when
    // the server wants one; a failure raises the server's message.
    void SetConnected(bool connected);
    void Open() { SetConnected(true); }
    void Close() { SetConnected(false); }

    // The folder of the tables while connected, without trailing separator;
    // empty on a server.
    const QString& Folder() const { return folder_; }
    // Whether the connected database is on a server, and which.
    bool OnServer() const { return connected_ && !serverName_.isNull(); }
    const QString& ServerName() const { return serverName_; }
    const QString& UserName() const { return userName_; }

private:
    QString aliasName_;
    QString databaseName_;
    QString driverName_;
    QStringList params_;
    QString sessionName_ = QStringLiteral("Default");
    bool connected_ = false;
    QString folder_;
    QString serverName_; // null unless connected to a server
    QString userName_;
};
