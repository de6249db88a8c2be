// Runs the statements of one SQL text in order on a connection: prepare,
// keep the tail, skip empty statements, step, finalize. A ";" inside quotes,
// identifiers or comments is SQLite's to judge, so the text is never cut by
// hand; only what remains after a statement is looked at, to know whether it
// is the last one. A text holding a NUL character is refused before anything
// runs.
#pragma once

#include "engine/SqliteConnection.h"

#include <QString>

// Runs every statement; rows are discarded.
void RunStatements(SqliteConnection& connection, const QString& text);

// Runs every statement but the last, which is returned prepared and not yet
// stepped. Raises EDatabaseError when the text holds no statement.
SqliteStatement RunStatementsButLast(SqliteConnection& connection, const QString& text);
