// The footer pattern: text with "%%" and at most one floating-point directive
// that receives the number of items. Every directive is checked before
// anything is formatted, so no pattern can ask for an argument that is not
// there or for a string of absurd width.
#include "export/EC_Footer.h"

#include "engine/DisplayFormat.h"
#include "platform/core/Exceptions.h"
#include "platform/core/RegionalSettings.h"

#include <cmath>

namespace {

constexpr int kWidestField = 4096;
constexpr int kMostDigits = 18;

[[noreturn]] void Invalid(const QString& pattern)
{
    throw EConvertError(
        QStringLiteral("Format '%1' invalid or incompatible with argument").arg(pattern));
}

// Digits at i as a number no larger than limit; -1 when there are none.
int ReadNumber(const QString& pattern, qsizetype& i, int limit)
{
    if (i >= pattern.size() || !pattern.at(i).isDigit())
        return -1;
    qint64 value = 0;
    while (i < pattern.size() && pattern.at(i) >= QLatin1Char('0') &&
           pattern.at(i) <= QLatin1Char('9')) {
        value = value * 10 + (pattern.at(i).unicode() - '0');
        if (value > limit)
            Invalid(pattern);
        ++i;
    }
    return int(value);
}

QString WithDecimal(QString text)
{
    const QChar decimal = Regional::DecimalSeparator();
    if (decimal != QLatin1Char('.'))
        text.replace(QLatin1Char('.'), decimal);
    return text;
}

QString Scientific(double value, int precision)
{
    const int digits = qBound(1, precision < 0 ? 15 : precision, kMostDigits);
    QString text = QString::number(value, 'e', digits - 1).toUpper();
    // The exponent has at least three digits: "1.2E+003".
    const qsizetype e = text.indexOf(QLatin1Char('E'));
    QString exponent = text.mid(e + 2);
    return WithDecimal(text.left(e + 2) + exponent.rightJustified(3, QLatin1Char('0')));
}

QString Thousands(double value, int precision)
{
    const int decimals = precision < 0 ? 2 : precision;
    QString pattern = QStringLiteral("#,##0");
    if (decimals > 0)
        pattern += QLatin1Char('.') + QString(decimals, QLatin1Char('0'));
    return FormatFloatText(pattern, value, *TFormatSettings::Current());
}

QString Money(double value, int precision)
{
    TFormatSettings settings = *TFormatSettings::Current();
    if (precision >= 0)
        settings.currencyDigits = precision;
    return CurrencyText(value, settings);
}

QString Convert(QChar kind, double value, int precision)
{
    switch (kind.toLower().unicode()) {
    case 'e':
        return Scientific(value, precision);
    case 'f':
        return WithDecimal(QString::number(value, 'f', precision < 0 ? 2 : precision));
    case 'g':
        return WithDecimal(
            QString::number(value, 'g', precision < 0 ? 15 : qMax(1, precision)).toUpper());
    case 'n':
        return Thousands(value, precision);
    default:
        return Money(value, precision);
    }
}

} // namespace

QString FormatFooter(const QString& pattern, double value)
{
    QString result;
    bool used = false;
    for (qsizetype i = 0; i < pattern.size(); ++i) {
        const QChar c = pattern.at(i);
        if (c != QLatin1Char('%')) {
            result += c;
            continue;
        }
        ++i;
        if (i < pattern.size() && pattern.at(i) == QLatin1Char('%')) {
            result += QLatin1Char('%');
            continue;
        }
        if (used)
            Invalid(pattern);
        used = true;
        // [index:]: only the first (and only) argument exists.
        const qsizetype start = i;
        const int index = ReadNumber(pattern, i, kWidestField);
        if (index >= 0 && i < pattern.size() && pattern.at(i) == QLatin1Char(':')) {
            if (index != 0)
                Invalid(pattern);
            ++i;
        } else {
            i = start;
        }
        const bool left = i < pattern.size() && pattern.at(i) == QLatin1Char('-');
        if (left)
            ++i;
        const int width = ReadNumber(pattern, i, kWidestField);
        int precision = -1;
        if (i < pattern.size() && pattern.at(i) == QLatin1Char('.')) {
            ++i;
            precision = qMax(0, ReadNumber(pattern, i, kMostDigits));
        }
        if (i >= pattern.size() || !QStringLiteral("efgnmEFGNM").contains(pattern.at(i)))
            Invalid(pattern);
        const QString field = Convert(pattern.at(i), value, precision);
        result += left ? field.leftJustified(width, QLatin1Char(' '))
                       : field.rightJustified(width, QLatin1Char(' '));
    }
    return result;
}
