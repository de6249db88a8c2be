// Text helpers of the export: control characters, blank tests, dash lines
// and the string-list text the settings use.
#pragma once

#include <QString>
#include <QStringList>

// S without the characters 0..31.
QString RemoveControlChars(const QString& s);
// S is empty after trimming blanks and control characters.
bool IsBlank(const QString& s);
inline bool IsNotBlank(const QString& s)
{
    return !IsBlank(s);
}
// S is how the engines show a value no spreadsheet number or day count
// holds: NaN, INF and -INF for numbers, infinity and -infinity for dates, in
// any letter case. A spreadsheet keeps such a value as its text.
bool IsUnboundedValue(QStringView s);
bool IsUnboundedValue(QLatin1StringView s);
QString DashLine(int n);
// Trailing lines that are blank after trimming are dropped.
QStringList WithoutTrailingBlankLines(QStringList lines);
// Lines joined by CR LF, as a string list's text (each line ends with CR LF).
QString ListText(const QStringList& lines);
