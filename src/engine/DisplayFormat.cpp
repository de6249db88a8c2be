// Number and date texts in the desktop format letters.
#include "engine/DisplayFormat.h"

#include <cmath>

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

QString Pad(int value, int width)
{
    return QStringLiteral("%1").arg(value, width, 10, QLatin1Char('0'));
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

QString FormatDate(const QString& pattern, const QDate& date, const QTime& time,
                   const TFormatSettings& s, int depth)
{
    if (depth > 2)
        return QString();
    const bool twelve = UsesTwelveHours(pattern);
    QString out;
    QChar lastLetter;
    for (qsizetype i = 0; i < pattern.size();) {
        const QChar c = pattern.at(i);
        if (IsQuote(c)) {
            out += QuotedText(pattern, i, &i);
            continue;
        }
        QChar token = c.toLower();
        if (token == QLatin1Char('a')) {
            const QString rest = pattern.mid(i, 5);
            const bool pm = time.hour() >= 12;
            if (rest.toLower() == QLatin1String("am/pm")) {
                out += pm ? rest.mid(3, 2) : rest.left(2);
                i += 5;
            } else if (rest.left(3).toLower() == QLatin1String("a/p")) {
                out += pm ? rest.mid(2, 1) : rest.left(1);
                i += 3;
            } else if (rest.left(4).toLower() == QLatin1String("ampm")) {
                out += pm ? s.pmSymbol : s.amSymbol;
                i += 4;
            } else {
                out += c;
                ++i;
            }
            continue;
        }
        if (!token.isLetter() || token.unicode() > 'z') {
            out += c == QLatin1Char('/')   ? QString(s.dateSeparator)
                   : c == QLatin1Char(':') ? QString(s.timeSeparator)
                                           : QString(c);
            ++i;
            continue;
        }
        int n = 1;
        while (i + n < pattern.size() && pattern.at(i + n).toLower() == token)
            ++n;
        i += n;
        // "m" right after an hour is the minute.
        if (token == QLatin1Char('m') && lastLetter == QLatin1Char('h'))
            token = QLatin1Char('n');
        lastLetter = token;
        switch (token.unicode()) {
        case 'c':
            out += FormatDate(s.shortDateFormat, date, time, s, depth + 1);
            if (time != QTime(0, 0))
                out += QLatin1Char(' ') + FormatDate(s.longTimeFormat, date, time, s, depth + 1);
            break;
        case 'd':
            if (n <= 2)
                out += Pad(date.day(), n);
            else if (n == 3)
                out += s.shortDayNames.value(date.dayOfWeek() % 7);
            else if (n == 4)
                out += s.longDayNames.value(date.dayOfWeek() % 7);
            else
                out += FormatDate(n == 5 ? s.shortDateFormat : s.longDateFormat, date, time, s,
                                  depth + 1);
            break;
        case 'm':
            if (n <= 2)
                out += Pad(date.month(), n);
            else
                out += (n == 3 ? s.shortMonthNames : s.longMonthNames).value(date.month() - 1);
            break;
        case 'y':
            out += n <= 2 ? Pad(date.year() % 100, 2) : Pad(date.year(), 4);
            break;
        case 'h': {
            int hour = time.hour();
            if (twelve)
                hour = hour % 12 == 0 ? 12 : hour % 12;
            out += Pad(hour, qMin(n, 2));
            break;
        }
        case 'n':
            out += Pad(time.minute(), qMin(n, 2));
            break;
        case 's':
            out += Pad(time.second(), qMin(n, 2));
            break;
        case 'z':
            out += Pad(time.msec(), n >= 3 ? 3 : 1);
            break;
        case 't':
            out +=
                FormatDate(n == 1 ? s.shortTimeFormat : s.longTimeFormat, date, time, s, depth + 1);
            break;
        default:
            out += pattern.mid(i - n, n);
            break;
        }
    }
    return out;
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
               Pad(std::abs(exponent), qMax(1, p.expDigits));
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

} // namespace

QString FormatDateTimeText(const QString& pattern, const QDate& date, const QTime& time,
                           const TFormatSettings& settings)
{
    const QDate d = date.isValid() ? date : QDate(1899, 12, 30);
    const QTime t = time.isValid() ? time : QTime(0, 0);
    return FormatDate(pattern.isEmpty() ? QStringLiteral("c") : pattern, d, t, settings, 0);
}

QString FormatFloatText(const QString& pattern, double value, const TFormatSettings& settings)
{
    if (pattern.isEmpty() || !std::isfinite(value))
        return FloatText(value, settings);
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
    QString section = sections.at(0);
    bool minus = value < 0;
    if (value < 0 && sections.size() > 1 && !sections.at(1).isEmpty()) {
        section = sections.at(1);
        minus = false;
    } else if (value == 0 && sections.size() > 2 && !sections.at(2).isEmpty()) {
        section = sections.at(2);
    }
    const NumberPattern p = ParseNumberPattern(section);
    const QString number = FormatNumber(p, std::fabs(value), settings);
    bool allZero = true;
    for (QChar c : number)
        allZero = allZero && !(c.isDigit() && c != QLatin1Char('0'));
    return (minus && !allZero ? QStringLiteral("-") : QString()) + p.prefix + number + p.suffix;
}

QString FloatText(double value, const TFormatSettings& settings)
{
    if (std::isnan(value))
        return QStringLiteral("NAN");
    if (std::isinf(value))
        return value < 0 ? QStringLiteral("-INF") : QStringLiteral("INF");
    if (value == 0)
        return QStringLiteral("0");
    // Fifteen significant digits, then the shorter of fixed and scientific form.
    const QString e = QString::asprintf("%.14e", std::fabs(value));
    QString digits = e.left(1) + e.mid(2, 14);
    const int exponent = e.mid(e.indexOf(QLatin1Char('e')) + 1).toInt();
    while (digits.size() > 1 && digits.endsWith(QLatin1Char('0')))
        digits.chop(1);
    QString out;
    if (exponent >= 15 || std::fabs(value) < 0.00001) {
        out = digits.left(1);
        if (digits.size() > 1)
            out += settings.decimalSeparator + digits.mid(1);
        out += QStringLiteral("E") + QString::number(exponent);
    } else if (exponent < 0) {
        out = QStringLiteral("0") + settings.decimalSeparator +
              QString(-exponent - 1, QLatin1Char('0')) + digits;
    } else {
        while (digits.size() < exponent + 1)
            digits += QLatin1Char('0');
        out = digits.left(exponent + 1);
        if (digits.size() > exponent + 1)
            out += settings.decimalSeparator + digits.mid(exponent + 1);
    }
    return value < 0 ? QLatin1Char('-') + out : out;
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
    if (!negative) {
        switch (s.currencyFormat) {
        case 1:
            return n + c;
        case 2:
            return c + QLatin1Char(' ') + n;
        case 3:
            return n + QLatin1Char(' ') + c;
        default:
            return c + n;
        }
    }
    switch (s.negativeCurrencyFormat) {
    case 1:
        return QLatin1Char('-') + c + n;
    case 2:
        return c + QLatin1Char('-') + n;
    case 3:
        return c + n + QLatin1Char('-');
    case 4:
        return QLatin1Char('(') + n + c + QLatin1Char(')');
    case 5:
        return QLatin1Char('-') + n + c;
    case 6:
        return n + QLatin1Char('-') + c;
    case 7:
        return n + c + QLatin1Char('-');
    case 8:
        return QLatin1Char('-') + n + QLatin1Char(' ') + c;
    case 9:
        return QLatin1Char('-') + c + QLatin1Char(' ') + n;
    case 10:
        return n + QLatin1Char(' ') + c + QLatin1Char('-');
    case 11:
        return c + QLatin1Char(' ') + n + QLatin1Char('-');
    case 12:
        return c + QStringLiteral(" -") + n;
    case 13:
        return n + QStringLiteral("- ") + c;
    case 14:
        return QStringLiteral("(") + c + QLatin1Char(' ') + n + QLatin1Char(')');
    case 15:
        return QLatin1Char('(') + n + QLatin1Char(' ') + c + QLatin1Char(')');
    default:
        return QLatin1Char('(') + c + n + QLatin1Char(')');
    }
}
