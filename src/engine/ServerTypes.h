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
// ServerConnection.cpp), or in its binary form where that reads the same;
// numbers are read without regard to the locale.
// Integers are stored as 64-bit integers; a numeric or money amount as a
// number when it has at most 15 significant digits (a double keeps it
// exactly), else as the server's exact text, which Save writes back as it is.
#pragma once

#include "engine/AnswerTable.h"

#include <QByteArray>
#include <QString>
#include <libpq-fe.h>
#include <memory>
#include <sqlite3.h>
#include <vector>

// Type identifiers of the server's built-in types; they never change.
namespace ServerType {
enum : Oid
{
    Bool = 16,
    Bytea = 17,
    Name = 19,
    Int8 = 20,
    Int2 = 21,
    Int4 = 23,
    Text = 25,
    ObjectId = 26,
    Float4 = 700,
    Float8 = 701,
    Money = 790,
    Bpchar = 1042,
    Varchar = 1043,
    Date = 1082,
    Time = 1083,
    Timestamp = 1114,
    TimestampTz = 1184,
    Numeric = 1700,
};
} // namespace ServerType

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

// Binds an exact decimal's text as BindServerValue binds a numeric's; the
// text is copied.
void BindServerDecimal(sqlite3_stmt* insert, int parameter, const char* text, int length);

// Texts made from binary values, kept while the insert they are bound to
// runs: having SQLite copy each one costs more than making it.
class TBoundTexts
{
public:
    // A copy of a text of at most kLongest bytes, valid until Clear.
    static constexpr int kLongest = 64;
    const char* Keep(const char* text, const char* end);
    void Clear() { block_ = used_ = 0; }

private:
    static constexpr size_t kBlock = 1 << 16;
    std::vector<std::unique_ptr<char[]>> blocks_;
    size_t block_ = 0, used_ = 0;
};

// Days from 1970-01-01 to 2000-01-01, where the server counts dates and times from.
constexpr qint64 kServerEpochDays = 10957;
// Whole milliseconds of microseconds, rounded down (before 2000 too).
constexpr qint64 FloorToMilliseconds(qint64 microseconds)
{
    return microseconds / 1000 - (microseconds % 1000 < 0 ? 1 : 0);
}
// A timestamptz as the answer keeps it, written at out (room for
// kMomentTextLength): the moment, in microseconds since 2000 UTC, as this
// machine's local time "yyyy-MM-dd HH:mm:ss[.ffffff]", within a day of a
// change of offset followed by its offset ("+02:00": a local time there may
// be two moments), which is not shown and which Save reads; a local time
// outside the years 1 to 9999 as PutUtcMoment writes it, shown as it stands.
constexpr int kMomentTextLength = 40;
char* PutMomentText(char* out, qint64 moment);
// The moment as the server writes it in UTC: "2024-05-01 12:30:00.123456+00",
// "0044-03-15 10:00:00+00 BC".
char* PutUtcMoment(char* out, qint64 moment);
// The moment, in milliseconds since 1970 UTC, that this machine's local
// clock shows as localMsecs (milliseconds since its 1970); false near a
// change of offset, where a local time may be two moments or none.
bool UtcOfLocalTime(qint64 localMsecs, qint64* utcMsecs);

// Whether the values of a type can be read in the server's binary form
// (ServerBinaryValues.cpp): cheaper for the server to write than its text,
// and for us to read.
bool ServerBinaryReadable(Oid type);
// Binds one value in the binary form of a readable type as BindServerValue
// binds the same value's text, to the same stored value.
// Texts made of the value are kept in kept, or, when longer, copied from scratch.
void BindServerBinary(sqlite3_stmt* insert, int parameter, Oid type, TServerKind kind,
                      const char* bytes, int length, TBoundTexts& kept, QByteArray& scratch);

// The kind a value written into a column of a server type needs.
TServerKind KindOfServerType(const QString& serverType);
// The server type for a column of an answer that came from elsewhere.
QString ServerTypeOfColumn(const AnswerColumn& column);
// Appends an answer's stored value, for a column of a kind, in COPY's text form.
void AppendCopyValue(QByteArray& out, sqlite3_stmt* row, int column, TServerKind kind);
