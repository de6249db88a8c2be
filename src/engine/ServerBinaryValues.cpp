// Values in the server's binary form: what its send functions write, read
// into the same stored values its text gives (ServerTypes.cpp). Dates, times
// and decimals are written out as the server writes them in ISO style, and
// moments with a time zone in local time as their text is read, so the answer
// cannot tell which form a value came in.
#include "engine/ServerTypes.h"
#include "platform/core/Exceptions.h"

#include <QDateTime>
#include <QTimeZone>
#include <QtEndian>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>

namespace {

constexpr qint64 kMillisecondsPerDay = 86400000;
constexpr qint64 kMicrosecondsPerDay = 86400000000LL;

template <typename T> T BigEndian(const char* bytes)
{
    return qFromBigEndian<T>(bytes);
}

[[noreturn]] void Malformed(Oid type)
{
    throw EDatabaseError(
        QStringLiteral("The server sent a value of type %1 in a form that cannot be read")
            .arg(type));
}

// Writes value in at least width digits, zeros in front; returns the end.
char* PutDigits(char* out, quint64 value, int width)
{
    char digits[24];
    const auto [end, error] = std::to_chars(digits, digits + sizeof digits, value);
    for (qptrdiff i = end - digits; i < width; ++i)
        *out++ = '0';
    return std::copy(digits, end, out);
}

// Two digits of a value below 100.
char* PutTwo(char* out, qint64 value)
{
    *out++ = char('0' + value / 10);
    *out++ = char('0' + value % 10);
    return out;
}

// The day of the proleptic Gregorian calendar the server uses for every
// date, from days since 1970-01-01; year 0 is 1 BC.
void CivilDate(qint64 days, qint64& year, int& month, int& day)
{
    days += 719468;
    const qint64 era = (days >= 0 ? days : days - 146096) / 146097;
    const qint64 dayOfEra = days - era * 146097;
    const qint64 yearOfEra =
        (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const qint64 dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const qint64 shifted = (5 * dayOfYear + 2) / 153; // months from March
    day = int(dayOfYear - (153 * shifted + 2) / 5 + 1);
    month = int(shifted < 10 ? shifted + 3 : shifted - 9);
    year = yearOfEra + era * 400 + (month <= 2);
}

// "2024-02-29", "0044-03-15" (its year BC follows the whole value).
char* PutDate(char* out, qint64 daysSinceServerEpoch, qint64* year)
{
    int month = 0, day = 0;
    CivilDate(daysSinceServerEpoch + kServerEpochDays, *year, month, day);
    out = PutDigits(out, quint64(*year > 0 ? *year : 1 - *year), 4);
    *out++ = '-';
    out = PutTwo(out, month);
    *out++ = '-';
    return PutTwo(out, day);
}

// "13:45:10", "13:45:10.25": the fraction without its trailing zeros.
char* PutTime(char* out, qint64 microseconds)
{
    const qint64 seconds = microseconds / 1000000, fraction = microseconds % 1000000;
    out = PutTwo(out, seconds / 3600);
    *out++ = ':';
    out = PutTwo(out, seconds / 60 % 60);
    *out++ = ':';
    out = PutTwo(out, seconds % 60);
    if (fraction == 0)
        return out;
    *out++ = '.';
    char* const start = out;
    out = PutDigits(out, quint64(fraction), 6);
    while (out > start && out[-1] == '0')
        --out;
    return out;
}

// The offset of local time from UTC at a moment, and the span of moments
// it holds for: the values of a column seldom cross a change of offset, and
// asking the C library looks at the zone's file every time.
struct TLocalOffset
{
    QByteArray zone; // the TZ the span was found under
    qint64 from = 0, to = 0;
    int seconds = 0;
};

const TLocalOffset& LocalOffsetAt(qint64 msecsSinceEpoch)
{
    thread_local TLocalOffset span;
    const char* zone = std::getenv("TZ");
    if (msecsSinceEpoch >= span.from && msecsSinceEpoch < span.to &&
        span.zone == QByteArrayView(zone ? zone : ""))
        return span;
    const QTimeZone local = QTimeZone::systemTimeZone();
    const QDateTime at = QDateTime::fromMSecsSinceEpoch(msecsSinceEpoch, Qt::UTC);
    span.zone = zone ? zone : "";
    span.seconds = local.offsetFromUtc(at);
    // Before the first change, after the last, or in a zone without changes
    // (TZ=UTC, an unknown name), the offset holds for good.
    span.from = std::numeric_limits<qint64>::min();
    span.to = std::numeric_limits<qint64>::max();
    if (local.hasTransitions()) {
        const QTimeZone::OffsetData before = local.previousTransition(at.addMSecs(1));
        const QTimeZone::OffsetData after = local.nextTransition(at);
        if (before.atUtc.isValid())
            span.from = before.atUtc.toMSecsSinceEpoch();
        if (after.atUtc.isValid())
            span.to = after.atUtc.toMSecsSinceEpoch();
    }
    return span;
}

// "2024-02-29 13:45:10.25" of microseconds since 2000, and its year (of its era).
char* PutTimestamp(char* out, qint64 moment, qint64* year)
{
    qint64 days = moment / kMicrosecondsPerDay, time = moment % kMicrosecondsPerDay;
    if (time < 0) {
        time += kMicrosecondsPerDay;
        --days;
    }
    out = PutDate(out, days, year);
    *out++ = ' ';
    return PutTime(out, time);
}

char* PutEra(char* out, qint64 year)
{
    return year <= 0 ? std::copy_n(" BC", 3, out) : out;
}

// A numeric's digit group, from 0 to 9999, after its eight bytes of header.
quint64 DigitGroup(const char* bytes, int index)
{
    const qint16 group = BigEndian<qint16>(bytes + 8 + 2 * index);
    if (group < 0 || group > 9999)
        Malformed(ServerType::Numeric);
    return quint64(group);
}

// A numeric's digits in base 10000, as its text: "-12.3400", "0.05", "NaN".
void NumericText(QByteArray& out, const char* bytes, int length)
{
    if (length < 8)
        Malformed(ServerType::Numeric);
    const int count = BigEndian<qint16>(bytes), weight = BigEndian<qint16>(bytes + 2);
    const quint16 sign = BigEndian<quint16>(bytes + 4);
    const int scale = BigEndian<qint16>(bytes + 6);
    if (count < 0 || scale < 0 || length != 8 + 2 * count)
        Malformed(ServerType::Numeric);
    switch (sign) {
    case 0xC000:
        out = "NaN";
        return;
    case 0xD000:
        out = "Infinity";
        return;
    case 0xF000:
        out = "-Infinity";
        return;
    case 0x0000:
    case 0x4000:
        break;
    default:
        Malformed(ServerType::Numeric);
    }
    const auto digitGroup = [&](int index) {
        return index >= 0 && index < count ? DigitGroup(bytes, index) : 0;
    };
    // Room for the sign, every whole group, the point and the fraction's
    // groups, the last of them whole.
    out.resize(2 + 4 * (std::max(weight, 0) + 1) + scale + 4);
    char* c = out.data();
    if (sign == 0x4000)
        *c++ = '-';
    if (weight < 0) {
        *c++ = '0';
    } else {
        for (int group = 0; group <= weight; ++group)
            c = PutDigits(c, digitGroup(group), group ? 4 : 1);
    }
    if (scale > 0) {
        *c++ = '.';
        char* const end = c + scale;
        for (int group = weight + 1; c < end; ++group)
            c = PutDigits(c, digitGroup(group), 4);
        c = end;
    }
    out.truncate(c - out.data());
}

// A money amount in cents, as its text without the currency's signs: "-1234.56".
char* PutCents(char* out, qint64 cents)
{
    if (cents < 0)
        *out++ = '-';
    const quint64 amount = cents < 0 ? 0 - quint64(cents) : quint64(cents);
    out = PutDigits(out, amount / 100, 1);
    *out++ = '.';
    return PutTwo(out, qint64(amount % 100));
}

void BindKept(sqlite3_stmt* insert, int parameter, TBoundTexts& kept, const char* text,
              const char* end)
{
    sqlite3_bind_text(insert, parameter, kept.Keep(text, end), int(end - text), SQLITE_STATIC);
}

// A numeric of at most 15 significant digits and a small power of ten
// bound as the number its text reads as (an integral one as an integer),
// without making the text: the digits make an integer and one product or
// quotient of exact doubles is rounded once, as reading the text rounds it.
// False for the others, which go by their text.
bool BindSmallNumeric(sqlite3_stmt* insert, int parameter, const char* bytes)
{
    const int count = BigEndian<qint16>(bytes), weight = BigEndian<qint16>(bytes + 2);
    const quint16 sign = BigEndian<quint16>(bytes + 4);
    if ((sign != 0x0000 && sign != 0x4000) || count > 4)
        return false;
    quint64 digits = 0;
    for (int group = 0; group < count; ++group)
        digits = digits * 10000 + DigitGroup(bytes, group);
    int exponent = 4 * (weight - count + 1);
    while (digits != 0 && digits % 10 == 0) {
        digits /= 10;
        ++exponent;
    }
    constexpr quint64 kLargest = 999999999999999; // 15 digits
    constexpr double kPowers[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                  1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                  1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
    if (digits > kLargest || std::abs(exponent) > 22)
        return false;
    const bool negative = sign == 0x4000;
    if (digits == 0) {
        sqlite3_bind_int64(insert, parameter, 0);
    } else if (exponent >= 0 && double(digits) * kPowers[exponent] < 1e15) {
        qint64 value = qint64(digits);
        for (int i = 0; i < exponent; ++i)
            value *= 10;
        sqlite3_bind_int64(insert, parameter, negative ? -value : value);
    } else {
        const double value = exponent >= 0 ? double(digits) * kPowers[exponent]
                                           : double(digits) / kPowers[-exponent];
        sqlite3_bind_double(insert, parameter, negative ? -value : value);
    }
    return true;
}

// The server's endless dates and moments, its lowest and highest values:
// true when value is one, bound as the server writes it.
template <typename T> bool BindEndless(sqlite3_stmt* insert, int parameter, T value)
{
    if (value != std::numeric_limits<T>::min() && value != std::numeric_limits<T>::max())
        return false;
    if (value > 0)
        sqlite3_bind_text(insert, parameter, "infinity", 8, SQLITE_STATIC);
    else
        sqlite3_bind_text(insert, parameter, "-infinity", 9, SQLITE_STATIC);
    return true;
}

// NaN would be stored as NULL: it is kept as the text the server writes.
void BindFloat(sqlite3_stmt* insert, int parameter, double value)
{
    if (std::isnan(value))
        sqlite3_bind_text(insert, parameter, "NaN", 3, SQLITE_STATIC);
    else
        sqlite3_bind_double(insert, parameter, value);
}

bool FixedLength(Oid type, int length)
{
    switch (type) {
    case ServerType::Bool:
        return length == 1;
    case ServerType::Int2:
        return length == 2;
    case ServerType::Int4:
    case ServerType::ObjectId:
    case ServerType::Float4:
    case ServerType::Date:
        return length == 4;
    case ServerType::Int8:
    case ServerType::Float8:
    case ServerType::Money:
    case ServerType::Time:
    case ServerType::Timestamp:
    case ServerType::TimestampTz:
        return length == 8;
    default:
        return true;
    }
}

// "+05:30", "-03:00", "+05:53:28": an offset from UTC.
char* PutOffset(char* out, int seconds)
{
    *out++ = seconds < 0 ? '-' : '+';
    const int size = std::abs(seconds);
    out = PutTwo(out, size / 3600);
    *out++ = ':';
    out = PutTwo(out, size / 60 % 60);
    if (size % 60 == 0)
        return out;
    *out++ = ':';
    return PutTwo(out, size % 60);
}

// The moment, in microseconds since 2000 UTC, in this machine's local time
// "yyyy-MM-dd HH:mm:ss[.ffffff]"; nullptr for a local time outside the years 1 to 9999.
// Within a day of a change of offset, where a local time may be two moments,
// the offset follows ("+02:00"): it is shown as nothing, and Save reads it.
char* PutLocalMoment(char* out, qint64 moment)
{
    const qint64 milliseconds =
        FloorToMilliseconds(moment) + kServerEpochDays * kMillisecondsPerDay;
    const TLocalOffset& offset = LocalOffsetAt(milliseconds);
    qint64 year = 0;
    char* const end = PutTimestamp(out, moment + qint64(offset.seconds) * 1000000, &year);
    if (year < 1 || year > 9999)
        return nullptr;
    if (milliseconds < offset.from + kMillisecondsPerDay ||
        milliseconds >= offset.to - kMillisecondsPerDay)
        return PutOffset(end, offset.seconds);
    return end;
}

} // namespace

char* PutMomentText(char* out, qint64 moment)
{
    if (char* const written = PutLocalMoment(out, moment))
        return written;
    return PutUtcMoment(out, moment);
}

char* PutUtcMoment(char* out, qint64 moment)
{
    qint64 year = 0;
    char* const written = std::copy_n("+00", 3, PutTimestamp(out, moment, &year));
    return PutEra(written, year);
}

bool UtcOfLocalTime(qint64 localMsecs, qint64* utcMsecs)
{
    const qint64 guess = localMsecs - qint64(LocalOffsetAt(localMsecs).seconds) * 1000;
    const TLocalOffset& span = LocalOffsetAt(guess);
    const qint64 utc = localMsecs - qint64(span.seconds) * 1000;
    // A day from a change of offset, no other moment shows the same local time.
    if (utc < span.from + kMillisecondsPerDay || utc >= span.to - kMillisecondsPerDay)
        return false;
    *utcMsecs = utc;
    return true;
}

bool ServerBinaryReadable(Oid type)
{
    switch (type) {
    case ServerType::Bool:
    case ServerType::Bytea:
    case ServerType::Name:
    case ServerType::Int8:
    case ServerType::Int2:
    case ServerType::Int4:
    case ServerType::Text:
    case ServerType::ObjectId:
    case ServerType::Float4:
    case ServerType::Float8:
    case ServerType::Money:
    case ServerType::Bpchar:
    case ServerType::Varchar:
    case ServerType::Date:
    case ServerType::Time:
    case ServerType::Timestamp:
    case ServerType::TimestampTz:
    case ServerType::Numeric:
        return true;
    default:
        return false;
    }
}

const char* TBoundTexts::Keep(const char* text, const char* end)
{
    const size_t size = size_t(end - text);
    if (used_ + size > kBlock) {
        ++block_;
        used_ = 0;
    }
    if (block_ == blocks_.size())
        blocks_.push_back(std::make_unique<char[]>(kBlock));
    char* const kept = blocks_[block_].get() + used_;
    std::memcpy(kept, text, size);
    used_ += size;
    return kept;
}

void BindServerBinary(sqlite3_stmt* insert, int parameter, Oid type, TServerKind kind,
                      const char* bytes, int length, TBoundTexts& kept, QByteArray& scratch)
{
    if (!bytes) {
        sqlite3_bind_null(insert, parameter);
        return;
    }
    if (!FixedLength(type, length))
        Malformed(type);
    // Room for the longest date, time or amount: "294276-12-31 23:59:59.999999 BC".
    char text[TBoundTexts::kLongest];
    char* end = text;
    switch (type) {
    case ServerType::Bool:
        sqlite3_bind_int(insert, parameter, *bytes != 0);
        return;
    case ServerType::Int2:
        sqlite3_bind_int64(insert, parameter, BigEndian<qint16>(bytes));
        return;
    case ServerType::Int4:
        sqlite3_bind_int64(insert, parameter, BigEndian<qint32>(bytes));
        return;
    case ServerType::ObjectId:
        sqlite3_bind_int64(insert, parameter, BigEndian<quint32>(bytes));
        return;
    case ServerType::Int8:
        sqlite3_bind_int64(insert, parameter, BigEndian<qint64>(bytes));
        return;
    case ServerType::Float4: {
        // The server's text of a real is its shortest digits, which are read as a double.
        const float value = std::bit_cast<float>(BigEndian<quint32>(bytes));
        double widened = value;
        if (std::isfinite(value)) {
            end = std::to_chars(text, text + sizeof text, value).ptr;
            std::from_chars(text, end, widened);
        }
        BindFloat(insert, parameter, widened);
        return;
    }
    case ServerType::Float8:
        BindFloat(insert, parameter, std::bit_cast<double>(BigEndian<quint64>(bytes)));
        return;
    case ServerType::Money:
        end = PutCents(text, BigEndian<qint64>(bytes));
        BindServerDecimal(insert, parameter, text, int(end - text));
        return;
    case ServerType::Numeric:
        if (length >= 8 && length == 8 + 2 * BigEndian<qint16>(bytes) &&
            BindSmallNumeric(insert, parameter, bytes))
            return;
        NumericText(scratch, bytes, length);
        BindServerDecimal(insert, parameter, scratch.constData(), int(scratch.size()));
        return;
    case ServerType::Date: {
        const qint32 days = BigEndian<qint32>(bytes);
        if (BindEndless(insert, parameter, days))
            return;
        qint64 year = 0;
        end = PutDate(text, days, &year);
        BindKept(insert, parameter, kept, text, PutEra(end, year));
        return;
    }
    case ServerType::Time: {
        const qint64 time = BigEndian<qint64>(bytes);
        if (time < 0 || time > kMicrosecondsPerDay) // 24:00:00 is a time of day
            Malformed(type);
        BindKept(insert, parameter, kept, text, PutTime(text, time));
        return;
    }
    case ServerType::Timestamp: {
        const qint64 moment = BigEndian<qint64>(bytes);
        if (BindEndless(insert, parameter, moment))
            return;
        qint64 year = 0;
        end = PutTimestamp(text, moment, &year);
        BindKept(insert, parameter, kept, text, PutEra(end, year));
        return;
    }
    case ServerType::TimestampTz: {
        const qint64 moment = BigEndian<qint64>(bytes);
        if (BindEndless(insert, parameter, moment))
            return;
        BindKept(insert, parameter, kept, text, PutMomentText(text, moment));
        return;
    }
    case ServerType::Bytea:
        sqlite3_bind_blob(insert, parameter, bytes, length, SQLITE_STATIC);
        return;
    default:
        // Texts are the same bytes in both forms.
        BindServerValue(insert, parameter, kind, bytes, length, scratch);
        return;
    }
}
