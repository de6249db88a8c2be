// The engine over a database server behind TEngineDatabase (libpq). A
// statement text is cut into statements (ServerStatements.h) and run in
// order; the rows of the last one stream from a cursor into a local answer
// table, so the grid and the exports read them as they read any answer.
// Destinations and saved tables are made on the server, each in a
// transaction of its own (a savepoint inside the script's own), so a failure
// or a lost connection leaves no half table. Names are the server's: a plain
// name stands for the lower-case table the server makes of it unquoted, a
// name in double quotes for itself, and every identifier is quoted by the
// server's rules; values reach the server as parameters or COPY data, never
// spliced into SQL.
#pragma once

#include "engine/EngineDatabase.h"

class ServerConnection;

std::unique_ptr<TEngineDatabase> ServerDatabase(TSession& session, ServerConnection& connection);

// The table a user's name stands for on a server ("INIT.DB" and "Init" are init).
QString ServerTableName(const QString& name);
