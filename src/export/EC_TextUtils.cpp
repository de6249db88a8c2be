#include "export/EC_TextUtils.h"

#include <algorithm>

QString RemoveControlChars(const QString& s)
{
    // Most texts hold none: they are shared, not copied.
    if (std::none_of(s.begin(), s.end(), [](QChar c) { return c.unicode() < 32; }))
        return s;
    QString result;
    result.reserve(s.size());
    for (QChar c : s) {
        if (c.unicode() >= 32)
            result += c;
    }
    return result;
}

bool IsBlank(const QString& s)
{
    for (QChar c : s) {
        if (c.unicode() > 32)
            return false;
    }
    return true;
}

QString DashLine(int n)
{
    return n > 0 ? QString(n, QLatin1Char('-')) : QString();
}

QStringList WithoutTrailingBlankLines(QStringList lines)
{
    while (!lines.isEmpty() && lines.constLast().trimmed().isEmpty())
        lines.removeLast();
    return lines;
}

QString ListText(const QStringList& lines)
{
    QString text;
    for (const QString& line : lines)
        text += line + QStringLiteral("\r\n");
    return text;
}
