// How the values of a server's result become the values of an answer, and
// back. Each result column gets a kind and the declared type its answer
// column carries, so the field types follow the server's types:
//   int2, int4, int8, oid: SMALLINT, INTEGER, BIGINT (integers)
//   numeric: NUMERIC(p, s); real, double precision: REAL, DOUBLE PRECISION
//   money: MONEY (a currency field); boolean: BOOLEAN
//   text, varchar(n), char(n), name: TEXT, VARCHAR(n), CHAR(n)
//   date, time, timestamp: DATE, TIME, TIMESTAMP (ISO text, as the server gives it)
//   timestamptz: TIMESTAMP, the moment in this machine's local time
//   bytea: BLOB (its bytes)
//   anything else (uuid, json, arrays, intervals...): TEXT as the server writes it
// Values arrive as the server's text (DateStyle ISO, lc_monetary C: see
// ServerConnection.cpp); numbers are read without regard to the locale.
// Integers are stored as 64-bit integers; a numeric or money amount as a
// number when it has at most 15 significant digits (a double keeps it
// exactly), else as the server's exact text, which Save writes back as it is.
#pragma once

#include "engine/AnswerTable.h"

#include <QByteArray>
#include <QString>
#include <libpq-fe.h>
#include <sqlite3.h>

enum class TServerKind
{
    Integer,
    Float,
    Numeric,
    Money,
    Boolean,
    Text,
    TimestampTz,
    Bytea
};

struct TServerColumn
{
    TServerKind kind = TServerKind::Text;
    QString declared; // the answer column's declared type
};

// The kind and answer type of a result column of a type and type modifier.
TServerColumn ServerColumnOf(Oid type, int typmod);

// Binds one value (the server's text, null when null) as parameter of an
// insert into an answer. The server's text must outlive the insert's step;
// scratch is a buffer for converted bytes, which the insert copies.
void BindServerValue(sqlite3_stmt* insert, int parameter, TServerKind kind, const char* text,
                     int length, QByteArray& scratch);

// The kind a value written into a column of a server type needs.
TServerKind KindOfServerType(const QString& serverType);
// The server type for a column of an answer that came from elsewhere.
QString ServerTypeOfColumn(const AnswerColumn& column);
// Appends an answer's stored value, for a column of a kind, in COPY's text form.
void AppendCopyValue(QByteArray& out, sqlite3_stmt* row, int column, TServerKind kind);
