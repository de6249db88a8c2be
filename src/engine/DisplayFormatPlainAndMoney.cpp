// Plain number texts (fifteen significant digits) and money in the regional
// currency forms.
#include "engine/DisplayFormatShared.h"
#include "platform/core/ByteAppend.h"
#include "platform/core/RegionalSettings.h"

#include <QStringEncoder>
#include <algorithm>
#include <charconv>
#include <cmath>
#include <iterator>
#include <limits>

using namespace DisplayFormatShared;

namespace {

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

// Fifteen digits one up in the last, carrying.
void AddOneInFifteenthDigit(char* digits, int* exponent)
{
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

// FifteenDigits by rounding the value itself.
void RoundedFifteenDigits(double value, char* digits, int* exponent)
{
    char sixteen[16];
    int sixteenExponent = 0;
    ScientificDigits(value, 15, sixteen, &sixteenExponent);
    if (!IsFifteenDigitTie(value, sixteen, sixteenExponent)) {
        ScientificDigits(value, 14, digits, exponent);
        return;
    }
    // The tie rounds up.
    std::copy(sixteen, sixteen + 15, digits);
    *exponent = sixteenExponent;
    AddOneInFifteenthDigit(digits, exponent);
}

// The digits of a positive value that is a whole number of hundredths below
// 10^13 (amounts, prices, most typed numbers), as FifteenDigits gives them.
// When cents / 100 reads back as the value, the decimal cents / 100 does
// too; with at most fifteen significant digits no shorter decimal can, as
// no two such decimals read back as the same double: those are the value's
// digits, and rounding to fifteen keeps them.
bool CentsDigits(double value, char* digits, int* exponent)
{
    const double cents = std::nearbyint(value * 100);
    if (!(cents < 1e15) || cents / 100 != value)
        return false;
    char text[16];
    char* const end = std::to_chars(text, text + sizeof text, quint64(cents)).ptr;
    const int count = int(end - text);
    *exponent = count - 3;
    std::fill(std::copy(text, end, digits), digits + 15, '0');
    return true;
}

// The fifteen significant digits of a positive value, rounded to nearest
// with ties away from zero (the digits of printf's "%.14e" in Qt).
void FifteenDigits(double value, char* digits, int* exponent)
{
    // The shortest digits that read back as a normal value round as the
    // value itself does, unless they stop at a 5 in the sixteenth place: a
    // halfway point between them and the value would itself read back as
    // the value, and be shorter or nearer, which the shortest digits are not.
    // (A subnormal value has too few bits for that.) Reading the digits is
    // many times quicker than rounding the value twice.
    if (value < std::numeric_limits<double>::min())
        return RoundedFifteenDigits(value, digits, exponent);
    if (CentsDigits(value, digits, exponent))
        return;
    char shortest[40];
    const char* const shortestEnd =
        std::to_chars(shortest, shortest + sizeof shortest, value, std::chars_format::scientific)
            .ptr;
    char significant[17];
    int count = 0;
    const char* p = shortest;
    for (; p < shortestEnd && *p != 'e'; ++p) {
        if (*p != '.')
            significant[count++] = *p;
    }
    if (count < 16 || significant[15] != '5' || count == 17) {
        std::from_chars(p + 1 + (p[1] == '+'), shortestEnd, *exponent);
        std::fill(std::copy(significant, significant + std::min(count, 15), digits), digits + 15,
                  '0');
        if (count <= 15 || significant[15] < '5')
            return;
        AddOneInFifteenthDigit(digits, exponent);
        return;
    }
    RoundedFifteenDigits(value, digits, exponent);
}

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
    char bytes[48];
    for (int i = 0; i < n; ++i) {
        if (out[i] >= 0x80) { // a separator outside ASCII
            AppendUtf8(utf8, QStringView(out, n));
            return;
        }
        bytes[i] = char(out[i]);
    }
    AppendBytes(utf8, bytes, n);
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
    const char* const shape =
        negative ? shapeOf(Regional::kNegativeCurrencyShapes, s.negativeCurrencyFormat)
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
