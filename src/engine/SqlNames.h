// Names that reach SQL of our own: identifiers are always quoted, table names
// from users lose their extension and may not name another folder, and
// declared column types are copied only when they are plain type names.
#pragma once

#include <QString>

// "name" with inner quotes doubled: safe for any text.
QString QuoteIdentifier(const QString& name);

// The table a user's name stands for: "INIT.DB" is INIT. Raises EDatabaseError
// for an empty name, a name of dots only, or one holding "/" or "\".
QString TableNameOf(const QString& name);

// A declared column type fit to be written into CREATE TABLE: the type itself
// when it is a plain type name with an optional "(n)" or "(n, m)", otherwise
// the name of its storage affinity (INTEGER, TEXT, BLOB, REAL, NUMERIC).
QString SafeDeclaredType(const QString& declared);
