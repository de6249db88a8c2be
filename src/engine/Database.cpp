// The database component: finds its folder through an alias or the
// "STANDARD" driver's PATH parameter when it connects.
#include "engine/Database.h"

#include "engine/FolderTables.h"
#include "engine/Session.h"
#include "engine/SessionState.h"
#include "platform/core/Exceptions.h"

TDatabase::TDatabase(QObject* owner) : QObject(owner)
{
    if (TSession* session = Session())
        session->Register(this);
}

TDatabase::~TDatabase()
{
    if (TSession* session = Session())
        session->Unregister(this);
}

void TDatabase::SetAliasName(const QString& alias)
{
    if (alias == aliasName_)
        return;
    SetConnected(false);
    aliasName_ = alias;
    if (!alias.isEmpty())
        driverName_.clear();
}

void TDatabase::SetDatabaseName(const QString& name)
{
    if (name == databaseName_)
        return;
    SetConnected(false);
    databaseName_ = name;
}

void TDatabase::SetDriverName(const QString& driver)
{
    if (driver == driverName_)
        return;
    SetConnected(false);
    driverName_ = driver;
    if (!driver.isEmpty())
        aliasName_.clear();
}

void TDatabase::SetSessionName(const QString& name)
{
    if (name == sessionName_)
        return;
    SetConnected(false);
    if (TSession* session = Session())
        session->Unregister(this);
    sessionName_ = name;
    if (TSession* session = Session())
        session->Register(this);
}

TSession* TDatabase::Session() const
{
    return FindSession(sessionName_);
}

void TDatabase::SetConnected(bool connected)
{
    if (connected == connected_)
        return;
    if (!connected) {
        connected_ = false;
        folder_.clear();
        serverName_ = QString();
        userName_.clear();
        return;
    }
    TSession* session = Session();
    if (!session)
        throw EDatabaseError(QStringLiteral("Session %1 not found").arg(sessionName_));
    QString path;
    if (!aliasName_.isEmpty()) {
        const QStringList params = session->AliasParams(aliasName_);
        if (IsServerAlias(params)) {
            const QString server = ParamValue(params, QStringLiteral("SERVER NAME"));
            const QString user = ParamValue(params, QStringLiteral("USER NAME"));
            ServerConnectionOf(*session, server, user).Connect(&session->PasswordPrompt());
            session->Open();
            serverName_ = server.isNull() ? QStringLiteral("") : server;
            userName_ = user;
            connected_ = true;
            return;
        }
        bool found = false;
        path = ParamValue(params, QStringLiteral("PATH"), &found);
        if (!found)
            path = ParamValue(params, QStringLiteral("SERVER NAME"));
    } else if (driverName_.isEmpty() ||
               driverName_.compare(QStringLiteral("STANDARD"), Qt::CaseInsensitive) == 0) {
        path = ParamValue(params_, QStringLiteral("PATH"));
    } else {
        throw EDatabaseError(QStringLiteral("Unknown driver: %1").arg(driverName_));
    }
    if (path.isEmpty())
        throw EDatabaseError(QStringLiteral("Database %1 has no PATH").arg(databaseName_));
    const QString folder = ExistingFolder(path);
    session->Open();
    folder_ = folder;
    connected_ = true;
}
