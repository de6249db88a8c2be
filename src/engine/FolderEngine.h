// The engine over SQLite behind TEngineDatabase: a database is a folder and
// its tables live in <folder>/tables.db, reached through the session's
// connection of that folder.
#pragma once

#include "engine/EngineDatabase.h"

// The database of a resolved folder (absolute, without trailing separator).
std::unique_ptr<TEngineDatabase> FolderDatabase(TSession& session, const QString& folder);
