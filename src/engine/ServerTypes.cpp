// The type mapping between a server's results and answers.
#include "engine/ServerTypes.h"

#include "engine/FieldValue.h"

#include <QDateTime>
#include <algorithm>
#include <cfloat>
#include <charconv>
#include <cmath>
#include <cstring>

namespace {

// "(n)" of a character type's modifier, empty without one.
QString Length(int typmod)
{
    return typmod > 4 ? QStringLiteral("(%1)").arg(typmod - 4) : QString();
}

bool Digit(char c)
{
    return c >= '0' && c <= '9';
}

// The days from 1970-01-01 to a day of the proleptic Gregorian calendar;
// year 0 is 1 BC.
qint64 DaysFromCivil(qint64 year, int month, int day)
{
    year -= month <= 2 ? 1 : 0;
    const qint64 era = (year >= 0 ? year : year - 399) / 400;
    const qint64 yearOfEra = year - era * 400;
    const qint64 dayOfYear = (153 * (month > 2 ? month - 3 : month + 9) + 2) / 5 + day - 1;
    return era * 146097 + yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear - 719468;
}

// Between fewest and most digits at c, which moves past them.
bool ReadNumber(const char*& c, const char* end, int fewest, int most, qint64* value)
{
    const char* const first = c;
    *value = 0;
    for (; c < end && Digit(*c) && c - first < most; ++c)
        *value = *value * 10 + (*c - '0');
    return c - first >= fewest;
}

bool Skip(const char*& c, const char* end, char wanted)
{
    if (c == end || *c != wanted)
        return false;
    ++c;
    return true;
}

// "+02", "-05:30", "+05:53:28" at c: the offset in seconds east of UTC.
bool ReadOffset(const char*& c, const char* end, qint64* seconds)
{
    if (c == end || (*c != '+' && *c != '-'))
        return false;
    const qint64 sign = *c++ == '-' ? -1 : 1;
    qint64 hours, minutes = 0, rest = 0;
    if (!ReadNumber(c, end, 2, 2, &hours) ||
        (Skip(c, end, ':') && !ReadNumber(c, end, 2, 2, &minutes)) ||
        (Skip(c, end, ':') && !ReadNumber(c, end, 2, 2, &rest)))
        return false;
    *seconds = sign * (hours * 3600 + minutes * 60 + rest);
    return true;
}

// A clock's date and time of day, to the microsecond.
struct TClockTime
{
    qint64 year, month, day, hour, minute, second, microsecond = 0;

    // Microseconds since 2000-01-01 00:00 on the same clock; the year counts
    // back from 1 BC when it is one before the common era.
    qint64 SinceServerEpoch(bool beforeCommonEra) const
    {
        const qint64 days = DaysFromCivil(beforeCommonEra ? 1 - year : year, int(month), int(day)) -
                            kServerEpochDays;
        return ((days * 24 + hour) * 3600 + minute * 60 + second) * 1000000 + microsecond;
    }
};

// "2024-05-01 13:45:00", with up to six digits of fraction, at c: the text
// the server writes in ISO style, and the answer's local times.
bool ReadClockTime(const char*& c, const char* end, TClockTime* clock)
{
    TClockTime& t = *clock;
    if (!ReadNumber(c, end, 4, 9, &t.year) || !Skip(c, end, '-') ||
        !ReadNumber(c, end, 2, 2, &t.month) || !Skip(c, end, '-') ||
        !ReadNumber(c, end, 2, 2, &t.day) || !Skip(c, end, ' ') ||
        !ReadNumber(c, end, 2, 2, &t.hour) || !Skip(c, end, ':') ||
        !ReadNumber(c, end, 2, 2, &t.minute) || !Skip(c, end, ':') ||
        !ReadNumber(c, end, 2, 2, &t.second))
        return false;
    if (Skip(c, end, '.')) {
        const char* const first = c;
        if (!ReadNumber(c, end, 1, 6, &t.microsecond))
            return false;
        for (qptrdiff digits = c - first; digits < 6; ++digits)
            t.microsecond *= 10;
    }
    return t.month >= 1 && t.month <= 12 && t.day >= 1 && t.day <= 31 && t.hour <= 23 &&
           t.minute <= 59 && t.second <= 59;
}

// The offset in seconds this machine's zone gives a local clock time; near
// a change of offset, where it may be two moments, the zone decides.
qint64 ZoneOffsetOf(const TClockTime& clock)
{
    const qint64 local =
        FloorToMilliseconds(clock.SinceServerEpoch(false)) + kServerEpochDays * 86400000;
    qint64 utc = 0;
    if (UtcOfLocalTime(local, &utc))
        return (local - utc) / 1000;
    const QDateTime shown(QDate(int(clock.year), int(clock.month), int(clock.day)),
                          QTime(int(clock.hour), int(clock.minute), int(clock.second)));
    return shown.offsetFromUtc();
}

// "2024-05-01 13:45:00.5+02:30", "0044-03-15 15:53:28+05:53:28 BC",
// "20000-01-01 05:30:00+05:30": a timestamptz as the server writes it in ISO
// style, as microseconds since 2000 UTC; false for anything else (infinity).
bool ParseServerMoment(const char* text, int length, qint64* moment)
{
    const char* c = text;
    const char* const end = text + length;
    TClockTime clock;
    qint64 offset = 0;
    if (!ReadClockTime(c, end, &clock) || !ReadOffset(c, end, &offset))
        return false;
    const bool beforeCommonEra = end - c == 3 && std::memcmp(c, " BC", 3) == 0;
    if (c != end && !beforeCommonEra)
        return false;
    *moment = clock.SinceServerEpoch(beforeCommonEra) - offset * 1000000;
    return true;
}

// The server's own bytes outlive the insert; converted bytes in scratch are
// copied, since the next row of a multi-row insert converts into it again.
void BindText(sqlite3_stmt* insert, int parameter, const char* text, int length,
              sqlite3_destructor_type lifetime = SQLITE_STATIC)
{
    sqlite3_bind_text(insert, parameter, text, length, lifetime);
}

// Whether a decimal ("-123.4500": an optional sign, digits, an optional
// point and digits) has at most 15 significant digits, so that a double
// holds it and its shortest text gives it back.
bool FewSignificantDigits(const char* text, const char* end)
{
    const char* c = text;
    if (c < end && (*c == '-' || *c == '+'))
        ++c;
    int digits = 0, significant = 0, pending = 0; // pending: zeros that count if a digit follows
    bool point = false;
    for (; c < end; ++c) {
        if (*c == '.' && !point) {
            point = true;
            continue;
        }
        if (!Digit(*c))
            return false;
        ++digits;
        if (*c == '0') {
            if (significant)
                ++pending;
        } else {
            significant += pending + 1;
            pending = 0;
        }
    }
    return digits > 0 && significant <= 15;
}

// A server's exact decimal: a number where a double keeps it exactly (an
// integral one as an integer, as SQLite stores numbers), else its text.
void BindDecimal(sqlite3_stmt* insert, int parameter, const char* text, int length,
                 sqlite3_destructor_type lifetime = SQLITE_STATIC)
{
    const char* end = text + length;
    double value = 0;
    if (FewSignificantDigits(text, end)) {
        const auto [at, error] = std::from_chars(text, end, value);
        if (error == std::errc() && at == end && (value == 0 || std::fabs(value) >= DBL_MIN)) {
            if (value == std::trunc(value) && std::fabs(value) < 1e15)
                sqlite3_bind_int64(insert, parameter, qint64(value));
            else
                sqlite3_bind_double(insert, parameter, value);
            return;
        }
    }
    BindText(insert, parameter, text, length, lifetime);
}

int HexValue(char c)
{
    if (Digit(c))
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

} // namespace

TServerColumn ServerColumnOf(Oid type, int typmod)
{
    switch (type) {
    case ServerType::Int2:
        return {TServerKind::Integer, QStringLiteral("SMALLINT")};
    case ServerType::Int4:
        return {TServerKind::Integer, QStringLiteral("INTEGER")};
    case ServerType::Int8:
    case ServerType::ObjectId:
        return {TServerKind::Integer, QStringLiteral("BIGINT")};
    case ServerType::Numeric:
        if (typmod >= 4)
            return {TServerKind::Numeric, QStringLiteral("NUMERIC(%1, %2)")
                                              .arg(((typmod - 4) >> 16) & 0xffff)
                                              .arg((typmod - 4) & 0xffff)};
        return {TServerKind::Numeric, QStringLiteral("NUMERIC")};
    case ServerType::Float4:
        return {TServerKind::Float, QStringLiteral("REAL")};
    case ServerType::Float8:
        return {TServerKind::Float, QStringLiteral("DOUBLE PRECISION")};
    case ServerType::Money:
        return {TServerKind::Money, QStringLiteral("MONEY")};
    case ServerType::Bool:
        return {TServerKind::Boolean, QStringLiteral("BOOLEAN")};
    case ServerType::Varchar:
        return {TServerKind::Text, QStringLiteral("VARCHAR") + Length(typmod)};
    case ServerType::Bpchar:
        return {TServerKind::Text, QStringLiteral("CHAR") + Length(typmod)};
    case ServerType::Name:
        return {TServerKind::Text, QStringLiteral("VARCHAR(63)")};
    case ServerType::Date:
        return {TServerKind::Text, QStringLiteral("DATE")};
    case ServerType::Time:
        return {TServerKind::Text, QStringLiteral("TIME")};
    case ServerType::Timestamp:
        return {TServerKind::Text, QStringLiteral("TIMESTAMP")};
    case ServerType::TimestampTz:
        return {TServerKind::TimestampTz, QStringLiteral("TIMESTAMP")};
    case ServerType::Bytea:
        return {TServerKind::Bytea, QStringLiteral("BLOB")};
    case ServerType::Text:
    default:
        return {TServerKind::Text, QStringLiteral("TEXT")};
    }
}

void BindServerValue(sqlite3_stmt* insert, int parameter, TServerKind kind, const char* text,
                     int length, QByteArray& scratch)
{
    if (!text) {
        sqlite3_bind_null(insert, parameter);
        return;
    }
    const char* end = text + length;
    switch (kind) {
    case TServerKind::Integer: {
        qint64 value = 0;
        const auto [at, error] = std::from_chars(text, end, value);
        if (error == std::errc() && at == end) {
            sqlite3_bind_int64(insert, parameter, value);
            return;
        }
        break;
    }
    case TServerKind::Float: {
        double value = 0;
        const auto [at, error] = std::from_chars(text, end, value);
        // NaN would be stored as NULL: it stays the server's text.
        if (error == std::errc() && at == end && !std::isnan(value)) {
            sqlite3_bind_double(insert, parameter, value);
            return;
        }
        break;
    }
    case TServerKind::Money:
        // "-$1,234.56": the amount without its sign and separators.
        scratch.clear();
        for (const char* c = text; c < end; ++c) {
            if (Digit(*c) || *c == '.' || *c == '-')
                scratch += *c;
        }
        BindDecimal(insert, parameter, scratch.constData(), int(scratch.size()), SQLITE_TRANSIENT);
        return;
    case TServerKind::Numeric:
        BindDecimal(insert, parameter, text, length);
        return;
    case TServerKind::Boolean:
        if (length == 1 && (*text == 't' || *text == 'f')) {
            sqlite3_bind_int(insert, parameter, *text == 't');
            return;
        }
        break;
    case TServerKind::TimestampTz: {
        qint64 moment = 0;
        if (ParseServerMoment(text, length, &moment)) {
            char shown[kMomentTextLength];
            const char* const end = PutMomentText(shown, moment);
            BindText(insert, parameter, shown, int(end - shown), SQLITE_TRANSIENT);
            return;
        }
        break;
    }
    case TServerKind::Bytea:
        if (length >= 2 && text[0] == '\\' && text[1] == 'x' && length % 2 == 0) {
            scratch.resize((length - 2) / 2);
            bool ok = true;
            for (int i = 2, j = 0; i < length; i += 2, ++j) {
                const int high = HexValue(text[i]), low = HexValue(text[i + 1]);
                ok = ok && high >= 0 && low >= 0;
                scratch[j] = char(high * 16 + low);
            }
            if (ok) {
                sqlite3_bind_blob(insert, parameter, scratch.constData(), int(scratch.size()),
                                  SQLITE_TRANSIENT);
                return;
            }
        }
        break;
    case TServerKind::Text:
        break;
    }
    BindText(insert, parameter, text, length);
}

void BindServerDecimal(sqlite3_stmt* insert, int parameter, const char* text, int length)
{
    BindDecimal(insert, parameter, text, length, SQLITE_TRANSIENT);
}

TServerKind KindOfServerType(const QString& serverType)
{
    const QString type = serverType.trimmed().toLower();
    if (type == QLatin1String("boolean"))
        return TServerKind::Boolean;
    if (type == QLatin1String("bytea"))
        return TServerKind::Bytea;
    if (type.startsWith(QLatin1String("timestamp")) &&
        type.contains(QLatin1String("with time zone")))
        return TServerKind::TimestampTz;
    return TServerKind::Text;
}

QString ServerTypeOfColumn(const AnswerColumn& column)
{
    switch (column.type) {
    case ftSmallint:
        return QStringLiteral("smallint");
    case ftInteger:
    case ftWord:
    case ftAutoInc:
        return QStringLiteral("integer");
    case ftLargeint:
        return QStringLiteral("bigint");
    case ftFloat:
        return QStringLiteral("double precision");
    case ftCurrency:
        return column.currency ? QStringLiteral("money") : QStringLiteral("numeric");
    case ftBCD:
        return QStringLiteral("numeric");
    case ftBoolean:
        return QStringLiteral("boolean");
    case ftDate:
        return QStringLiteral("date");
    case ftTime:
        return QStringLiteral("time");
    case ftDateTime:
        return QStringLiteral("timestamp");
    case ftString:
    case ftFixedChar:
    case ftWideString:
        return column.size > 0 ? QStringLiteral("varchar(%1)").arg(column.size)
                               : QStringLiteral("text");
    case ftBytes:
    case ftVarBytes:
    case ftBlob:
    case ftGraphic:
    case ftTypedBinary:
        return QStringLiteral("bytea");
    default:
        return QStringLiteral("text");
    }
}

void AppendCopyValue(QByteArray& out, sqlite3_stmt* row, int column, TServerKind kind)
{
    switch (sqlite3_column_type(row, column)) {
    case SQLITE_NULL:
        out += "\\N";
        return;
    case SQLITE_INTEGER: {
        const qint64 value = sqlite3_column_int64(row, column);
        if (kind == TServerKind::Boolean)
            out += value ? 't' : 'f';
        else
            out += QByteArray::number(value);
        return;
    }
    case SQLITE_FLOAT: {
        const double value = sqlite3_column_double(row, column);
        if (std::isinf(value)) {
            out += value > 0 ? "Infinity" : "-Infinity";
            return;
        }
        char digits[32];
        const auto [end, error] = std::to_chars(digits, digits + sizeof digits, value);
        out.append(digits, end - digits);
        return;
    }
    case SQLITE_BLOB: {
        const auto* bytes = static_cast<const char*>(sqlite3_column_blob(row, column));
        out += "\\\\x" + QByteArray(bytes, sqlite3_column_bytes(row, column)).toHex();
        return;
    }
    default:
        break;
    }
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(row, column));
    const int length = sqlite3_column_bytes(row, column);
    if (kind == TServerKind::TimestampTz) {
        // The answer holds local time, to the microsecond; the server is told
        // the moment in UTC. Near a change of offset the local time carries
        // its offset, which says which of two moments it is; otherwise the
        // zone decides. Other texts (infinity, years local time cannot show)
        // are the server's own and go back as they are.
        const char* c = text;
        const char* const end = text + length;
        TClockTime clock;
        // After the clock time: nothing, or the offset it carries.
        const auto readOffset = [&](qint64* offset) {
            if (c != end)
                return ReadOffset(c, end, offset) && c == end;
            *offset = ZoneOffsetOf(clock);
            return true;
        };
        qint64 offset = 0;
        if (ReadClockTime(c, end, &clock) && readOffset(&offset)) {
            char moment[kMomentTextLength];
            const char* const written =
                PutUtcMoment(moment, clock.SinceServerEpoch(false) - offset * 1000000);
            out.append(moment, written - moment);
            return;
        }
    }
    for (int i = 0; i < length; ++i) {
        switch (text[i]) {
        case '\\':
            out += "\\\\";
            break;
        case '\t':
            out += "\\t";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        default:
            out += text[i];
        }
    }
}
