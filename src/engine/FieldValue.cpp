// Conversion of stored SQLite values to the typed values of fields.
#include "engine/FieldValue.h"

#include "engine/DisplayFormat.h"
#include "engine/SqliteConnection.h"

#include <QDateTime>
#include <cmath>

namespace {

// The parser reads a date's text as ASCII bytes (what SQLite hands over,
// without making a QString of it) or as a QString, through one view.
struct AsciiText
{
    const char* chars;
    qsizetype length;
    qsizetype size() const { return length; }
    char16_t at(qsizetype i) const { return char16_t(uchar(chars[i])); }
};

struct Utf16Text
{
    const QString& text;
    qsizetype size() const { return text.size(); }
    char16_t at(qsizetype i) const { return text.at(i).unicode(); }
};

bool IsAsciiDigit(char16_t c)
{
    return c >= u'0' && c <= u'9';
}

// Reads exactly `count` digits at text[*pos]; false when they are not there.
template <typename Text> bool Digits(const Text& text, qsizetype* pos, int count, int* value)
{
    if (*pos + count > text.size())
        return false;
    int result = 0;
    for (int i = 0; i < count; ++i) {
        const char16_t c = text.at(*pos + i);
        if (!IsAsciiDigit(c))
            return false;
        result = result * 10 + (c - u'0');
    }
    *pos += count;
    *value = result;
    return true;
}

template <typename Text> bool Expect(const Text& text, qsizetype* pos, char c)
{
    if (*pos < text.size() && text.at(*pos) == char16_t(c)) {
        ++*pos;
        return true;
    }
    return false;
}

// The parts of an ISO date and/or time of day, checked to be a real day and
// time, and which of them the text holds (the day's number is left to the caller).
struct IsoParts
{
    bool hasDate = false, hasTime = false;
    TDateTimeParts value;
};

// HH:MM[:SS[.fff...]] at *pos.
template <typename Text> bool ParseTime(const Text& text, qsizetype* pos, IsoParts* parts)
{
    int h, m, s = 0, ms = 0;
    if (!Digits(text, pos, 2, &h) || !Expect(text, pos, ':') || !Digits(text, pos, 2, &m))
        return false;
    if (Expect(text, pos, ':')) {
        if (!Digits(text, pos, 2, &s))
            return false;
        if (Expect(text, pos, '.')) {
            int scale = 100;
            while (*pos < text.size() && QChar::isDigit(text.at(*pos))) {
                ms += (text.at(*pos) - u'0') * scale;
                scale /= 10;
                ++*pos;
            }
        }
    }
    parts->hasTime = true;
    parts->value.hour = h;
    parts->value.minute = m;
    parts->value.second = s;
    parts->value.msec = ms;
    return QTime::isValid(h, m, s, ms);
}

// "Z", "+02", "-05:30": a zone that ends the text, accepted and ignored, as
// values are shown as stored. Text after a zone (a server's " BC") makes the
// value no date of ours.
template <typename Text> bool IsZoneSuffix(const Text& text, qsizetype pos)
{
    if (text.at(pos) == u'Z')
        return pos + 1 == text.size();
    if (text.at(pos) != u'+' && text.at(pos) != u'-')
        return false;
    qsizetype at = pos + 1;
    while (at < text.size() && (IsAsciiDigit(text.at(at)) || text.at(at) == u':'))
        ++at;
    return at > pos + 1 && at == text.size();
}

// The date and/or time of trimmed text; false when it is neither.
template <typename Text> bool ParseTrimmed(const Text& text, IsoParts* parts)
{
    qsizetype pos = 0;
    *parts = IsoParts();
    if (text.size() >= 10 && text.at(4) == u'-') {
        int y, m, d;
        if (!Digits(text, &pos, 4, &y) || !Expect(text, &pos, '-') || !Digits(text, &pos, 2, &m) ||
            !Expect(text, &pos, '-') || !Digits(text, &pos, 2, &d) || !QDate::isValid(y, m, d))
            return false;
        parts->hasDate = true;
        parts->value.year = y;
        parts->value.month = m;
        parts->value.day = d;
        if (pos == text.size())
            return true;
        if (!Expect(text, &pos, 'T') && !Expect(text, &pos, ' '))
            return false;
    }
    if (!ParseTime(text, &pos, parts))
        return false;
    return pos == text.size() || IsZoneSuffix(text, pos);
}

// The number of a day of the Gregorian calendar from year 1 on, as
// QDate::toJulianDay gives it, without a calendar lookup.
qint64 JulianDayOf(int year, int month, int day)
{
    const int y = year - (month <= 2 ? 1 : 0);
    const int era = y / 400;
    const int yearOfEra = y - era * 400;
    const int dayOfYear = (153 * (month > 2 ? month - 3 : month + 9) + 2) / 5 + day - 1;
    const int dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return qint64(era) * 146097 + dayOfEra + 1721120;
}

// The shapes nearly every stored date and date-time has, YYYY-MM-DD and
// YYYY-MM-DD HH:MM:SS (or with a T), read at their fixed places; false for
// any other text, which goes through ParseTrimmed.
bool ParseCommonShape(const char* c, qsizetype size, IsoParts* parts)
{
    if ((size != 10 && size != 19) || c[4] != '-' || c[7] != '-')
        return false;
    unsigned outside = 0; // non-zero when a place meant for a digit holds none
    const auto number = [&](int at, int count) {
        int value = 0;
        for (int i = at; i < at + count; ++i) {
            const unsigned digit = unsigned(uchar(c[i])) - '0';
            outside |= digit > 9 ? 1U : 0U;
            value = value * 10 + int(digit);
        }
        return value;
    };
    TDateTimeParts& p = parts->value;
    p.year = number(0, 4);
    p.month = number(5, 2);
    p.day = number(8, 2);
    static constexpr int kDays[] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = p.year % 4 == 0 && (p.year % 100 != 0 || p.year % 400 == 0);
    if (outside || p.year < 1 || p.month < 1 || p.month > 12 || p.day < 1 ||
        p.day > kDays[p.month - 1] || (p.month == 2 && p.day == 29 && !leap))
        return false;
    parts->hasDate = true;
    if (size == 10)
        return true;
    if ((c[10] != ' ' && c[10] != 'T') || c[13] != ':' || c[16] != ':')
        return false;
    p.hour = number(11, 2);
    p.minute = number(14, 2);
    p.second = number(17, 2);
    parts->hasTime = true;
    return !outside && p.hour < 24 && p.minute < 60 && p.second < 60;
}

// A column's text as ASCII without its surrounding white space; false when
// it holds other characters (they go the QString way).
bool TrimmedAscii(sqlite3_stmt* stmt, int column, AsciiText* text)
{
    const auto* chars = reinterpret_cast<const char*>(sqlite3_column_text(stmt, column));
    qsizetype begin = 0, end = sqlite3_column_bytes(stmt, column);
    for (qsizetype i = 0; i < end; ++i) {
        if (uchar(chars[i]) >= 0x80)
            return false;
    }
    const auto space = [](char c) { return c == ' ' || (c >= '\t' && c <= '\r'); };
    while (begin < end && space(chars[begin]))
        ++begin;
    while (end > begin && space(chars[end - 1]))
        --end;
    *text = AsciiText{chars + begin, end - begin};
    return true;
}

// Julian day number to date and time of day, to the millisecond.
bool FromJulianDay(double jd, QDate* date, QTime* time)
{
    if (!std::isfinite(jd) || jd < 0 || jd > 5373484.5)
        return false;
    const qint64 ms = std::llround((jd + 0.5) * 86400000.0);
    *date = QDate::fromJulianDay(ms / 86400000);
    *time = QTime::fromMSecsSinceStartOfDay(int(ms % 86400000));
    return date->isValid();
}

// The stored value's date and time parts, and which of them it holds.
bool ReadDateTime(sqlite3_stmt* stmt, int column, int storage, TDateTimeParts* parts, bool* hasDate,
                  bool* hasTime)
{
    if (storage == SQLITE_TEXT) {
        IsoParts iso;
        AsciiText ascii{};
        const auto* stored = reinterpret_cast<const char*>(sqlite3_column_text(stmt, column));
        const bool parsed =
            ParseCommonShape(stored, sqlite3_column_bytes(stmt, column), &iso) ||
            (TrimmedAscii(stmt, column, &ascii)
                 ? ParseTrimmed(ascii, &iso)
                 : ParseTrimmed(Utf16Text{ColumnText(stmt, column).trimmed()}, &iso));
        if (!parsed)
            return false;
        *hasDate = iso.hasDate;
        *hasTime = iso.hasTime;
        *parts = iso.value;
        if (iso.hasDate)
            parts->julianDay = JulianDayOf(parts->year, parts->month, parts->day);
        return true;
    }
    QDate date;
    QTime time;
    if (storage == SQLITE_BLOB || !FromJulianDay(sqlite3_column_double(stmt, column), &date, &time))
        return false;
    *parts = TDateTimeParts::Of(date, time);
    *hasDate = *hasTime = true;
    return true;
}

QVariant DateTimeValue(sqlite3_stmt* stmt, int column, TFieldType type)
{
    TDateTimeParts parts;
    if (!StoredDateTimeParts(stmt, column, type, &parts))
        return FieldValueOf(stmt, column, ftUnknown);
    const QTime time(parts.hour, parts.minute, parts.second, parts.msec);
    if (type == ftTime)
        return time;
    const QDate date = QDate::fromJulianDay(parts.julianDay);
    if (type == ftDate)
        return date;
    return QDateTime(date, time, Qt::UTC);
}

QVariant BooleanValue(sqlite3_stmt* stmt, int column)
{
    switch (sqlite3_column_type(stmt, column)) {
    case SQLITE_INTEGER:
        return sqlite3_column_int64(stmt, column) != 0;
    case SQLITE_FLOAT:
        return sqlite3_column_double(stmt, column) != 0.0;
    case SQLITE_TEXT: {
        const QString text = ColumnText(stmt, column).trimmed().toUpper();
        static const QStringList yes = {QStringLiteral("TRUE"), QStringLiteral("T"),
                                        QStringLiteral("YES"), QStringLiteral("Y")};
        static const QStringList no = {QStringLiteral("FALSE"), QStringLiteral("F"),
                                       QStringLiteral("NO"), QStringLiteral("N")};
        if (yes.contains(text))
            return true;
        if (no.contains(text))
            return false;
        break;
    }
    default:
        break;
    }
    return FieldValueOf(stmt, column, ftUnknown);
}

QVariant NumberValue(sqlite3_stmt* stmt, int column, bool integral)
{
    switch (sqlite3_column_type(stmt, column)) {
    case SQLITE_INTEGER:
        return integral ? QVariant(qint64(sqlite3_column_int64(stmt, column)))
                        : QVariant(double(sqlite3_column_int64(stmt, column)));
    case SQLITE_FLOAT:
        return sqlite3_column_double(stmt, column);
    default:
        return FieldValueOf(stmt, column, ftUnknown);
    }
}

} // namespace

bool ParseIsoDateTime(const QString& input, QDate* date, QTime* time)
{
    const QString text = input.trimmed();
    IsoParts parts;
    const bool ok = ParseTrimmed(Utf16Text{text}, &parts);
    const TDateTimeParts& p = parts.value;
    *date = ok && parts.hasDate ? QDate(p.year, p.month, p.day) : QDate();
    *time = ok && parts.hasTime ? QTime(p.hour, p.minute, p.second, p.msec) : QTime();
    return ok;
}

bool StoredDateTimeParts(sqlite3_stmt* stmt, int column, TFieldType type, TDateTimeParts* parts)
{
    bool hasDate = false, hasTime = false;
    const int storage = sqlite3_column_type(stmt, column);
    if (storage == SQLITE_NULL || !ReadDateTime(stmt, column, storage, parts, &hasDate, &hasTime))
        return false;
    const TDateTimeParts zero;
    switch (type) {
    case ftTime:
        if (!hasTime)
            return false;
        parts->year = zero.year;
        parts->month = zero.month;
        parts->day = zero.day;
        parts->julianDay = zero.julianDay;
        return true;
    case ftDate:
        if (!hasDate)
            return false;
        parts->hour = parts->minute = parts->second = parts->msec = 0;
        return true;
    case ftDateTime:
        return hasDate; // a missing time is midnight
    default:
        return false;
    }
}

QVariant FieldValueOf(sqlite3_stmt* stmt, int column, TFieldType type)
{
    const int storage = sqlite3_column_type(stmt, column);
    if (storage == SQLITE_NULL)
        return QVariant();
    switch (type) {
    case ftSmallint:
    case ftInteger:
    case ftWord:
    case ftAutoInc:
    case ftLargeint:
        return NumberValue(stmt, column, true);
    case ftFloat:
    case ftCurrency:
    case ftBCD:
        return NumberValue(stmt, column, false);
    case ftBoolean:
        return BooleanValue(stmt, column);
    case ftDate:
    case ftTime:
    case ftDateTime:
        return DateTimeValue(stmt, column, type);
    case ftString:
    case ftFixedChar:
    case ftWideString:
    case ftMemo:
    case ftFmtMemo:
        return ColumnText(stmt, column);
    case ftBytes:
    case ftVarBytes:
    case ftBlob:
    case ftGraphic:
    case ftTypedBinary:
        return QByteArray(static_cast<const char*>(sqlite3_column_blob(stmt, column)),
                          sqlite3_column_bytes(stmt, column));
    default:
        break;
    }
    switch (storage) {
    case SQLITE_INTEGER:
        return qint64(sqlite3_column_int64(stmt, column));
    case SQLITE_FLOAT:
        return sqlite3_column_double(stmt, column);
    case SQLITE_TEXT:
        return ColumnText(stmt, column);
    default:
        return QByteArray(static_cast<const char*>(sqlite3_column_blob(stmt, column)),
                          sqlite3_column_bytes(stmt, column));
    }
}
