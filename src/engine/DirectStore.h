// Storing a statement's rows straight into a table of the statement's own
// database, when nothing needs to see the rows on the way: one INSERT ...
// SELECT, so SQLite moves them once (and copies whole records when the
// statement reads one table as it is).
//
// The table gets the columns an answer table would give it (unique names,
// the declared types the statement's columns report, made safe); SQLite's
// CREATE TABLE ... AS keeps only affinities, so it is not used.
#pragma once

#include "engine/SqliteConnection.h"

#include <QString>

// Stores the rows of source (prepared on connection, not yet stepped) as
// table `table` of the connection's main database, replacing a table or view
// of that name, all or nothing. Returns false, having changed nothing, when
// the rows cannot be stored that way and keep what an answer table keeps: a
// column without a declared type (its type comes from its values), a
// statement that is not one plain query, or one that reads the table or
// view it would replace.
bool StoreRowsAsTable(SqliteConnection& connection, sqlite3_stmt* source, const QString& table);
