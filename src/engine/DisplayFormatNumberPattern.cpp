// Number texts by the desktop format letters: sections, placeholders,
// grouping and exponents.
#include "engine/DisplayFormatShared.h"

#include <cmath>

using namespace DisplayFormatShared;

namespace {

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

} // namespace

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
