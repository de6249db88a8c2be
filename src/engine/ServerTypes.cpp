// The type mapping between a server's results and answers.
#include "engine/ServerTypes.h"

#include "engine/FieldValue.h"

#include <QDateTime>
#include <cfloat>
#include <charconv>
#include <cmath>

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

// "2024-05-01 13:45:00.5+02:30" (seconds and offset minutes optional), as
// the server writes a timestamptz in ISO style; false for anything else
// (infinity, dates before the common era).
bool ParseTimestampTz(const char* text, int length, QDateTime* moment)
{
    const QString value = QString::fromLatin1(text, length);
    qsizetype zone = value.size();
    while (zone > 10 && value.at(zone - 1) != QLatin1Char('+') &&
           value.at(zone - 1) != QLatin1Char('-'))
        --zone;
    if (zone <= 10 || !value.contains(QLatin1Char(' ')))
        return false;
    QDate date;
    QTime time;
    if (!ParseIsoDateTime(value.left(zone - 1), &date, &time) || !date.isValid() || !time.isValid())
        return false;
    const QStringList parts = value.mid(zone).split(QLatin1Char(':'));
    int seconds = 0;
    for (int i = 0; i < int(parts.size()) && i < 3; ++i) {
        bool ok = false;
        const int part = parts.at(i).toInt(&ok);
        if (!ok)
            return false;
        seconds += part * (i == 0 ? 3600 : i == 1 ? 60 : 1);
    }
    if (value.at(zone - 1) == QLatin1Char('-'))
        seconds = -seconds;
    *moment = QDateTime(date, time, Qt::OffsetFromUTC, seconds);
    return moment->isValid();
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
        QDateTime moment;
        char local[kLocalMomentLength];
        const char* end = nullptr;
        if (ParseTimestampTz(text, length, &moment) &&
            (end = PutLocalMoment(local, moment.toMSecsSinceEpoch()))) {
            BindText(insert, parameter, local, int(end - local), SQLITE_TRANSIENT);
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
        // The answer holds local time; the server is told the moment in UTC,
        // or, near a change of offset, the offset the local time has.
        QDate date;
        QTime time;
        if (ParseIsoDateTime(QString::fromLatin1(text, length), &date, &time) && date.isValid()) {
            const QTime clock = time.isValid() ? time : QTime(0, 0);
            constexpr qint64 kUnixEpochDay = 2440588;
            qint64 utc = 0;
            if (UtcOfLocalTime((date.toJulianDay() - kUnixEpochDay) * 86400000 +
                                   clock.msecsSinceStartOfDay(),
                               &utc)) {
                out += QDateTime::fromMSecsSinceEpoch(utc, Qt::UTC)
                           .toString(Qt::ISODateWithMs)
                           .toLatin1();
                return;
            }
            const QDateTime local(date, clock);
            out +=
                local.toOffsetFromUtc(local.offsetFromUtc()).toString(Qt::ISODateWithMs).toLatin1();
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
