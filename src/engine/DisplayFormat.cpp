// Number and date texts in the desktop format letters.
#include "engine/DisplayFormat.h"

#include "platform/core/RegionalSettings.h"

#include <QStringEncoder>
#include <algorithm>
#include <charconv>
#include <cmath>
#include <iterator>

namespace {

bool IsQuote(QChar c)
{
    return c == QLatin1Char('\'') || c == QLatin1Char('"');
}

// Index past the quoted literal starting at i (an unclosed quote runs to the end).
qsizetype PastQuote(const QString& s, qsizetype i)
{
    const qsizetype close = s.indexOf(s.at(i), i + 1);
    return close < 0 ? s.size() : close + 1;
}

// The text inside the quoted literal starting at i; *next is past it.
QString QuotedText(const QString& s, qsizetype i, qsizetype* next)
{
    const qsizetype close = s.indexOf(s.at(i), i + 1);
    *next = close < 0 ? s.size() : close + 1;
    return s.mid(i + 1, (close < 0 ? s.size() : close) - i - 1);
}

// Appends value with at least width characters, zeros after a minus sign.
void AppendPadded(QString& out, int value, int width)
{
    char digits[16];
    const auto end =
        std::to_chars(digits, digits + sizeof digits, value < 0 ? -qint64(value) : qint64(value))
            .ptr;
    const int count = int(end - digits) + (value < 0 ? 1 : 0);
    if (value < 0)
        out += QLatin1Char('-');
    for (int i = count; i < width; ++i)
        out += QLatin1Char('0');
    out += QLatin1String(digits, end - digits);
}

QString Padded(int value, int width)
{
    QString out;
    AppendPadded(out, value, width);
    return out;
}

bool UsesTwelveHours(const QString& pattern)
{
    for (qsizetype i = 0; i < pattern.size();) {
        if (IsQuote(pattern.at(i))) {
            i = PastQuote(pattern, i);
            continue;
        }
        const QString rest = pattern.mid(i, 5).toLower();
        if (rest.startsWith(QLatin1String("am/pm")) || rest.startsWith(QLatin1String("a/p")) ||
            rest.startsWith(QLatin1String("ampm")))
            return true;
        ++i;
    }
    return false;
}

// Inserts the thousands separator into a run of integer digits.
QString Group(const QString& digits, QChar separator)
{
    QString out;
    const qsizetype n = digits.size();
    for (qsizetype i = 0; i < n; ++i) {
        if (i > 0 && (n - i) % 3 == 0)
            out += separator;
        out += digits.at(i);
    }
    return out;
}

// "1234.50" with the regional separators, grouped when asked.
QString LocalNumber(const QString& fixed, bool grouped, const TFormatSettings& s)
{
    const qsizetype point = fixed.indexOf(QLatin1Char('.'));
    const QString whole = point < 0 ? fixed : fixed.left(point);
    QString out = grouped ? Group(whole, s.thousandSeparator) : whole;
    if (point >= 0)
        out += s.decimalSeparator + fixed.mid(point + 1);
    return out;
}

struct NumberPattern
{
    QString prefix, suffix;
    int intZeros = 0, intDigits = 0; // "0" and all placeholders before the point
    int decZeros = 0, decDigits = 0; // the same after it
    bool grouped = false;
    bool scientific = false, expPlus = false;
    QChar expLetter;
    int expDigits = 0;
};

NumberPattern ParseNumberPattern(const QString& section)
{
    NumberPattern p;
    bool seenDigit = false, afterPoint = false, inExponent = false;
    for (qsizetype i = 0; i < section.size();) {
        const QChar c = section.at(i);
        QString literal;
        if (IsQuote(c)) {
            literal = QuotedText(section, i, &i);
        } else if (inExponent && c == QLatin1Char('0')) {
            ++p.expDigits;
            ++i;
            continue;
        } else if (c == QLatin1Char('0') || c == QLatin1Char('#')) {
            seenDigit = true;
            if (afterPoint) {
                ++p.decDigits;
                if (c == QLatin1Char('0'))
                    p.decZeros = p.decDigits;
            } else {
                ++p.intDigits;
                if (c == QLatin1Char('0'))
                    ++p.intZeros;
            }
            ++i;
            continue;
        } else if (c == QLatin1Char('.') && !afterPoint && !inExponent) {
            afterPoint = seenDigit = true;
            ++i;
            continue;
        } else if (c == QLatin1Char(',')) {
            p.grouped = true;
            ++i;
            continue;
        } else if ((c == QLatin1Char('E') || c == QLatin1Char('e')) && seenDigit && !inExponent &&
                   i + 1 < section.size() &&
                   (section.at(i + 1) == QLatin1Char('+') ||
                    section.at(i + 1) == QLatin1Char('-'))) {
            p.scientific = inExponent = true;
            p.expLetter = c;
            p.expPlus = section.at(i + 1) == QLatin1Char('+');
            i += 2;
            continue;
        } else {
            literal = c;
            ++i;
        }
        (seenDigit ? p.suffix : p.prefix) += literal;
    }
    return p;
}

QString FormatNumber(const NumberPattern& p, double value, const TFormatSettings& s)
{
    QString body;
    if (p.scientific) {
        const int intPlaces = qMax(1, p.intDigits);
        int exponent = value == 0 ? 0 : int(std::floor(std::log10(value))) - (intPlaces - 1);
        QString mantissa = QString::number(value / std::pow(10.0, exponent), 'f', p.decDigits);
        if (mantissa.indexOf(QLatin1Char('.')) > intPlaces ||
            (mantissa.indexOf(QLatin1Char('.')) < 0 && mantissa.size() > intPlaces)) {
            ++exponent; // rounding carried into another digit
            mantissa = QString::number(value / std::pow(10.0, exponent), 'f', p.decDigits);
        }
        if (p.decDigits > p.decZeros && mantissa.contains(QLatin1Char('.'))) {
            while (mantissa.endsWith(QLatin1Char('0')) &&
                   mantissa.size() - mantissa.indexOf(QLatin1Char('.')) - 1 > p.decZeros)
                mantissa.chop(1);
            if (mantissa.endsWith(QLatin1Char('.')))
                mantissa.chop(1);
        }
        body = LocalNumber(mantissa, false, s) + p.expLetter +
               (exponent < 0 ? QStringLiteral("-")
                : p.expPlus  ? QStringLiteral("+")
                             : QString()) +
               Padded(std::abs(exponent), qMax(1, p.expDigits));
        return body;
    }
    QString fixed = QString::number(value, 'f', p.decDigits);
    qsizetype point = fixed.indexOf(QLatin1Char('.'));
    if (point >= 0) {
        while (fixed.size() - point - 1 > p.decZeros && fixed.endsWith(QLatin1Char('0')))
            fixed.chop(1);
        if (fixed.endsWith(QLatin1Char('.')))
            fixed.chop(1);
    }
    point = fixed.indexOf(QLatin1Char('.'));
    QString whole = point < 0 ? fixed : fixed.left(point);
    const QString fraction = point < 0 ? QString() : fixed.mid(point);
    if (whole == QLatin1String("0") && p.intZeros == 0)
        whole.clear();
    while (whole.size() < p.intZeros)
        whole.prepend(QLatin1Char('0'));
    return LocalNumber(whole + fraction, p.grouped, s);
}

// Scientific digits of a positive value: "d.ddd...e+x" as to_chars writes
// them with `precision` digits after the point; the digits (point left out)
// go to digits, the decimal exponent to *exponent.
void ScientificDigits(double value, int precision, char* digits, int* exponent)
{
    char text[40];
    const char* const end =
        std::to_chars(text, text + sizeof text, value, std::chars_format::scientific, precision)
            .ptr;
    digits[0] = text[0];
    std::copy(text + 2, text + 2 + precision, digits + 1);
    const char* exponentText = text + 3 + precision;
    if (*exponentText == '+')
        ++exponentText;
    std::from_chars(exponentText, end, *exponent);
}

// Whether a positive value lies exactly halfway between two numbers of 15
// significant digits: its exact decimal form has 16 significant digits, the
// last a 5. sixteen holds its digits rounded to 16, with their exponent.
bool IsFifteenDigitTie(double value, const char* sixteen, int exponent)
{
    if (sixteen[15] != '5')
        return false;
    int binaryExponent = 0;
    const double fraction = std::frexp(value, &binaryExponent);
    quint64 mantissa = quint64(std::ldexp(fraction, 53));
    int lowest = binaryExponent - 53;
    while (mantissa % 2 == 0) {
        mantissa /= 2;
        ++lowest;
    }
    if (lowest < 0) {
        // mantissa * 2^lowest has exactly -lowest decimals, the last a 5.
        return exponent - lowest + 1 == 16;
    }
    // An integer: a tie is 16 digits ending in 5, maybe followed by zeros;
    // no double of 2^64 or more is one.
    if (value >= 18446744073709551616.0)
        return false;
    quint64 whole = quint64(value);
    while (whole % 10 == 0)
        whole /= 10;
    return whole >= 1000000000000000ULL && whole < 10000000000000000ULL && whole % 10 == 5;
}

// The fifteen significant digits of a positive value, rounded to nearest
// with ties away from zero (the digits of printf's "%.14e" in Qt).
void FifteenDigits(double value, char* digits, int* exponent)
{
    char sixteen[16];
    int sixteenExponent = 0;
    ScientificDigits(value, 15, sixteen, &sixteenExponent);
    if (!IsFifteenDigitTie(value, sixteen, sixteenExponent)) {
        ScientificDigits(value, 14, digits, exponent);
        return;
    }
    // The tie rounds up: add one in the fifteenth digit, carrying.
    std::copy(sixteen, sixteen + 15, digits);
    *exponent = sixteenExponent;
    int i = 14;
    while (i >= 0 && digits[i] == '9')
        digits[i--] = '0';
    if (i >= 0) {
        ++digits[i];
    } else {
        digits[0] = '1';
        ++*exponent;
    }
}

} // namespace

// ---------------------------------------------------------------------------
// Date-time patterns

struct TDateTimeFormat::Token
{
    enum Kind
    {
        Literal,
        Day,         // width 1 or 2
        DayName,     // names: short or long day names, Sunday first
        Month,       // width 1 or 2
        MonthName,   // names: short or long month names
        Year,        // width 2 (two last digits) or 4
        Hour,        // width 1 or 2; twelve: on the 12-hour clock
        Minute,      // width 1 or 2
        Second,      // width 1 or 2
        Millisecond, // width 1 or 3
        AmPm,        // text before noon, other from noon
        Nested,      // first: another pattern of the settings
        DateAndTime  // first: the date; a time of day other than midnight adds second
    };
    Kind kind;
    int width = 0;
    bool twelve = false;
    QString text, other;
    QStringList names;
    std::shared_ptr<const TDateTimeFormat> first, second;
};

TDateTimeFormat::TDateTimeFormat(const QString& pattern, const TFormatSettings& settings)
{
    Compile(pattern.isEmpty() ? QStringLiteral("c") : pattern, settings, 0);
}

TDateTimeFormat::~TDateTimeFormat() = default;
TDateTimeFormat::TDateTimeFormat(TDateTimeFormat&&) noexcept = default;
TDateTimeFormat& TDateTimeFormat::operator=(TDateTimeFormat&&) noexcept = default;

void TDateTimeFormat::Compile(const QString& pattern, const TFormatSettings& s, int depth)
{
    // Patterns of the settings may name each other; two levels are enough for any real one.
    if (depth > 2)
        return;
    const auto literal = [this](const QString& text) {
        if (!tokens_.empty() && tokens_.back().kind == Token::Literal)
            tokens_.back().text += text;
        else
            tokens_.push_back(Token{Token::Literal, 0, false, text, {}, {}, {}, {}});
    };
    const auto token = [this](Token::Kind kind, int width) -> Token& {
        tokens_.push_back(Token{kind, width, false, {}, {}, {}, {}, {}});
        return tokens_.back();
    };
    const auto nested = [&](const QString& inner) {
        auto format = std::shared_ptr<TDateTimeFormat>(new TDateTimeFormat);
        format->Compile(inner, s, depth + 1);
        return std::shared_ptr<const TDateTimeFormat>(std::move(format));
    };
    const bool twelve = UsesTwelveHours(pattern);
    QChar lastLetter;
    for (qsizetype i = 0; i < pattern.size();) {
        const QChar c = pattern.at(i);
        if (IsQuote(c)) {
            literal(QuotedText(pattern, i, &i));
            continue;
        }
        QChar letter = c.toLower();
        if (letter == QLatin1Char('a')) {
            const QString rest = pattern.mid(i, 5);
            if (rest.toLower() == QLatin1String("am/pm")) {
                Token& t = token(Token::AmPm, 0);
                t.text = rest.left(2);
                t.other = rest.mid(3, 2);
                i += 5;
            } else if (rest.left(3).toLower() == QLatin1String("a/p")) {
                Token& t = token(Token::AmPm, 0);
                t.text = rest.left(1);
                t.other = rest.mid(2, 1);
                i += 3;
            } else if (rest.left(4).toLower() == QLatin1String("ampm")) {
                Token& t = token(Token::AmPm, 0);
                t.text = s.amSymbol;
                t.other = s.pmSymbol;
                i += 4;
            } else {
                literal(QString(c));
                ++i;
            }
            continue;
        }
        if (!letter.isLetter() || letter.unicode() > 'z') {
            literal(c == QLatin1Char('/')   ? QString(s.dateSeparator)
                    : c == QLatin1Char(':') ? QString(s.timeSeparator)
                                            : QString(c));
            ++i;
            continue;
        }
        int n = 1;
        while (i + n < pattern.size() && pattern.at(i + n).toLower() == letter)
            ++n;
        i += n;
        // "m" right after an hour is the minute.
        if (letter == QLatin1Char('m') && lastLetter == QLatin1Char('h'))
            letter = QLatin1Char('n');
        lastLetter = letter;
        switch (letter.unicode()) {
        case 'c': {
            Token& t = token(Token::DateAndTime, 0);
            t.first = nested(s.shortDateFormat);
            t.second = nested(s.longTimeFormat);
            break;
        }
        case 'd':
            if (n <= 2)
                token(Token::Day, n);
            else if (n <= 4)
                token(Token::DayName, 0).names = n == 3 ? s.shortDayNames : s.longDayNames;
            else
                token(Token::Nested, 0).first =
                    nested(n == 5 ? s.shortDateFormat : s.longDateFormat);
            break;
        case 'm':
            if (n <= 2)
                token(Token::Month, n);
            else
                token(Token::MonthName, 0).names = n == 3 ? s.shortMonthNames : s.longMonthNames;
            break;
        case 'y':
            token(Token::Year, n <= 2 ? 2 : 4);
            break;
        case 'h':
            token(Token::Hour, qMin(n, 2)).twelve = twelve;
            break;
        case 'n':
            token(Token::Minute, qMin(n, 2));
            break;
        case 's':
            token(Token::Second, qMin(n, 2));
            break;
        case 'z':
            token(Token::Millisecond, n >= 3 ? 3 : 1);
            break;
        case 't':
            token(Token::Nested, 0).first = nested(n == 1 ? s.shortTimeFormat : s.longTimeFormat);
            break;
        default:
            literal(pattern.mid(i - n, n));
            break;
        }
    }
}

void TDateTimeFormat::AppendTo(QString& out, const QDate& date, const QTime& time) const
{
    // The calendar parts of the date, worked out once for all its tokens.
    int year = 0, month = 0, day = 0;
    date.getDate(&year, &month, &day);
    for (const Token& t : tokens_) {
        switch (t.kind) {
        case Token::Literal:
            out += t.text;
            break;
        case Token::Day:
            AppendPadded(out, day, t.width);
            break;
        case Token::DayName:
            out += t.names.value(date.dayOfWeek() % 7);
            break;
        case Token::Month:
            AppendPadded(out, month, t.width);
            break;
        case Token::MonthName:
            out += t.names.value(month - 1);
            break;
        case Token::Year:
            AppendPadded(out, t.width == 2 ? year % 100 : year, t.width);
            break;
        case Token::Hour: {
            int hour = time.hour();
            if (t.twelve)
                hour = hour % 12 == 0 ? 12 : hour % 12;
            AppendPadded(out, hour, t.width);
            break;
        }
        case Token::Minute:
            AppendPadded(out, time.minute(), t.width);
            break;
        case Token::Second:
            AppendPadded(out, time.second(), t.width);
            break;
        case Token::Millisecond:
            AppendPadded(out, time.msec(), t.width);
            break;
        case Token::AmPm:
            out += time.hour() >= 12 ? t.other : t.text;
            break;
        case Token::Nested:
            t.first->AppendTo(out, date, time);
            break;
        case Token::DateAndTime:
            t.first->AppendTo(out, date, time);
            if (time != QTime(0, 0)) {
                out += QLatin1Char(' ');
                t.second->AppendTo(out, date, time);
            }
            break;
        }
    }
}

QString TDateTimeFormat::Format(const QDate& date, const QTime& time) const
{
    QString out;
    out.reserve(24);
    FormatInto(out, date, time);
    return out;
}

void TDateTimeFormat::FormatInto(QString& out, const QDate& date, const QTime& time) const
{
    out.truncate(0); // keeps the room for the next value
    AppendTo(out, date.isValid() ? date : QDate(1899, 12, 30), time.isValid() ? time : QTime(0, 0));
}

QString FormatDateTimeText(const QString& pattern, const QDate& date, const QTime& time,
                           const TFormatSettings& settings)
{
    return TDateTimeFormat(pattern, settings).Format(date, time);
}

// ---------------------------------------------------------------------------
// Number patterns

struct TNumberFormat::Sections
{
    TFormatSettings settings;
    bool empty = true;
    NumberPattern positive, negative, zero;
    bool hasNegative = false, hasZero = false; // a non-empty second or third section
};

TNumberFormat::TNumberFormat(const QString& pattern, const TFormatSettings& settings)
    : sections_(std::make_unique<Sections>())
{
    Sections& p = *sections_;
    p.settings = settings;
    p.empty = pattern.isEmpty();
    QStringList sections;
    QString current;
    for (qsizetype i = 0; i < pattern.size();) {
        if (IsQuote(pattern.at(i))) {
            const qsizetype next = PastQuote(pattern, i);
            current += pattern.mid(i, next - i);
            i = next;
        } else if (pattern.at(i) == QLatin1Char(';')) {
            sections << current;
            current.clear();
            ++i;
        } else {
            current += pattern.at(i++);
        }
    }
    sections << current;
    p.positive = ParseNumberPattern(sections.at(0));
    p.hasNegative = sections.size() > 1 && !sections.at(1).isEmpty();
    if (p.hasNegative)
        p.negative = ParseNumberPattern(sections.at(1));
    p.hasZero = sections.size() > 2 && !sections.at(2).isEmpty();
    if (p.hasZero)
        p.zero = ParseNumberPattern(sections.at(2));
}

TNumberFormat::~TNumberFormat() = default;
TNumberFormat::TNumberFormat(TNumberFormat&&) noexcept = default;
TNumberFormat& TNumberFormat::operator=(TNumberFormat&&) noexcept = default;

QString TNumberFormat::Format(double value) const
{
    const Sections& p = *sections_;
    if (p.empty || !std::isfinite(value))
        return FloatText(value, p.settings);
    const NumberPattern* section = &p.positive;
    bool minus = value < 0;
    if (value < 0 && p.hasNegative) {
        section = &p.negative;
        minus = false;
    } else if (value == 0 && p.hasZero) {
        section = &p.zero;
    }
    const QString number = FormatNumber(*section, std::fabs(value), p.settings);
    bool allZero = true;
    for (QChar c : number)
        allZero = allZero && !(c.isDigit() && c != QLatin1Char('0'));
    return (minus && !allZero ? QStringLiteral("-") : QString()) + section->prefix + number +
           section->suffix;
}

QString FormatFloatText(const QString& pattern, double value, const TFormatSettings& settings)
{
    return TNumberFormat(pattern, settings).Format(value);
}

// ---------------------------------------------------------------------------
// Plain numbers and money

namespace {

// The characters of FloatText into out (room for 48); their count.
int FloatChars(double value, const TFormatSettings& settings, char16_t* out)
{
    const auto put = [out](const char* text) {
        int n = 0;
        while (text[n]) {
            out[n] = char16_t(text[n]);
            ++n;
        }
        return n;
    };
    if (std::isnan(value))
        return put("NAN");
    if (std::isinf(value))
        return put(value < 0 ? "-INF" : "INF");
    if (value == 0)
        return put("0");
    // Fifteen significant digits, then the shorter of fixed and scientific form.
    int exponent = 0;
    char digits[15];
    FifteenDigits(std::fabs(value), digits, &exponent);
    int count = 15;
    while (count > 1 && digits[count - 1] == '0')
        --count;

    // At most a sign, 15 digits, a separator, and the zeros or exponent of the widest form.
    int n = 0;
    const char16_t separator = settings.decimalSeparator.unicode();
    if (value < 0)
        out[n++] = u'-';
    if (exponent >= 15 || std::fabs(value) < 0.00001) {
        out[n++] = char16_t(digits[0]);
        if (count > 1) {
            out[n++] = separator;
            for (int i = 1; i < count; ++i)
                out[n++] = char16_t(digits[i]);
        }
        out[n++] = u'E';
        char text[8];
        const char* const end = std::to_chars(text, text + sizeof text, exponent).ptr;
        for (const char* p = text; p < end; ++p)
            out[n++] = char16_t(*p);
    } else if (exponent < 0) {
        out[n++] = u'0';
        out[n++] = separator;
        for (int i = 0; i < -exponent - 1; ++i)
            out[n++] = u'0';
        for (int i = 0; i < count; ++i)
            out[n++] = char16_t(digits[i]);
    } else {
        for (int i = 0; i <= exponent; ++i)
            out[n++] = i < count ? char16_t(digits[i]) : u'0';
        if (count > exponent + 1) {
            out[n++] = separator;
            for (int i = exponent + 1; i < count; ++i)
                out[n++] = char16_t(digits[i]);
        }
    }
    return n;
}

} // namespace

QString FloatText(double value, const TFormatSettings& settings)
{
    char16_t out[48];
    const int n = FloatChars(value, settings, out);
    return QString(reinterpret_cast<const QChar*>(out), n);
}

void AppendFloatTextUtf8(QByteArray& utf8, double value, const TFormatSettings& settings)
{
    char16_t out[48];
    const int n = FloatChars(value, settings, out);
    const qsizetype start = utf8.size();
    utf8.resize(start + n);
    char* const bytes = utf8.data() + start;
    for (int i = 0; i < n; ++i) {
        if (out[i] >= 0x80) { // a separator outside ASCII
            utf8.truncate(start);
            AppendUtf8(utf8, QStringView(out, n));
            return;
        }
        bytes[i] = char(out[i]);
    }
}

void AppendUtf8(QByteArray& utf8, QStringView text)
{
    // A converter per text, so that a lone surrogate at the end of one text
    // never carries over into the next.
    QStringEncoder encoder(QStringEncoder::Utf8);
    const qsizetype start = utf8.size();
    utf8.resize(start + encoder.requiredSpace(text.size()));
    char* const end = encoder.appendToBuffer(utf8.data() + start, text);
    utf8.truncate(end - utf8.constData());
}

QString CurrencyText(double value, const TFormatSettings& s)
{
    if (!std::isfinite(value))
        return FloatText(value, s);
    const int digits = qBound(0, s.currencyDigits, 9);
    const QString fixed = QString::number(std::fabs(value), 'f', digits);
    const QString n = LocalNumber(fixed, true, s);
    const QString& c = s.currencySymbol;
    // An amount that rounds to zero shows no negative form.
    const bool negative =
        value < 0 && !QString(fixed).remove(QLatin1Char('0')).remove(QLatin1Char('.')).isEmpty();
    // A form out of range is the first.
    const auto shapeOf = [](const auto& shapes, int form) {
        return shapes[form >= 0 && form < int(std::size(shapes)) ? form : 0];
    };
    const char* const shape = negative
                                  ? shapeOf(Regional::kNegativeCurrencyShapes, s.negativeCurrencyFormat)
                                  : shapeOf(Regional::kPositiveCurrencyShapes, s.currencyFormat);
    QString text;
    for (const char* p = shape; *p; ++p) {
        if (*p == 'S')
            text += c;
        else if (*p == 'N')
            text += n;
        else
            text += QLatin1Char(*p);
    }
    return text;
}
