// Choosing the engine behind a database name.
#include "engine/EngineDatabase.h"

#include "engine/Database.h"
#include "engine/FolderEngine.h"
#include "engine/ServerEngine.h"
#include "engine/SessionState.h"

std::unique_ptr<TEngineDatabase> EngineDatabaseOf(TSession& session, const QString& databaseName)
{
    const TDatabase* database = session.FindDatabase(databaseName);
    if (database && database->OnServer())
        return ServerDatabase(
            session, ServerConnectionOf(session, database->ServerName(), database->UserName()));
    if (!database && session.IsAlias(databaseName)) {
        const QStringList params = session.AliasParams(databaseName);
        if (IsServerAlias(params))
            return ServerDatabase(
                session,
                ServerConnectionOf(session, ParamValue(params, QStringLiteral("SERVER NAME")),
                                   ParamValue(params, QStringLiteral("USER NAME"))));
    }
    return FolderDatabase(session, session.ResolveFolder(databaseName));
}
