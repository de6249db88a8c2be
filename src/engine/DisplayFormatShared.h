// What the display format units share: quoted literals in patterns, padded
// numbers, and digits with the regional separators. Internal to the engine.
#pragma once

#include "engine/DisplayFormat.h"

#include <QString>
#include <charconv>

namespace DisplayFormatShared {

inline bool IsQuote(QChar c)
{
    return c == QLatin1Char('\'') || c == QLatin1Char('"');
}

// Index past the quoted literal starting at i (an unclosed quote runs to the end).
inline qsizetype PastQuote(const QString& s, qsizetype i)
{
    const qsizetype close = s.indexOf(s.at(i), i + 1);
    return close < 0 ? s.size() : close + 1;
}

// The text inside the quoted literal starting at i; *next is past it.
inline QString QuotedText(const QString& s, qsizetype i, qsizetype* next)
{
    const qsizetype close = s.indexOf(s.at(i), i + 1);
    *next = close < 0 ? s.size() : close + 1;
    return s.mid(i + 1, (close < 0 ? s.size() : close) - i - 1);
}

// Appends value with at least width characters, zeros after a minus sign.
inline void AppendPadded(QString& out, int value, int width)
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

inline QString Padded(int value, int width)
{
    QString out;
    AppendPadded(out, value, width);
    return out;
}

// Inserts the thousands separator into a run of integer digits.
inline QString Group(const QString& digits, QChar separator)
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
inline QString LocalNumber(const QString& fixed, bool grouped, const TFormatSettings& s)
{
    const qsizetype point = fixed.indexOf(QLatin1Char('.'));
    const QString whole = point < 0 ? fixed : fixed.left(point);
    QString out = grouped ? Group(whole, s.thousandSeparator) : whole;
    if (point >= 0)
        out += s.decimalSeparator + fixed.mid(point + 1);
    return out;
}

} // namespace DisplayFormatShared
