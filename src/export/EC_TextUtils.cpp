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

namespace {

template <typename View> bool Unbounded(View s)
{
    s = s.trimmed();
    if (s.startsWith(QLatin1Char('-')) || s.startsWith(QLatin1Char('+')))
        s = s.mid(1);
    if (s.size() < 3 || s.size() > 8)
        return false;
    // Numbers begin with a digit: one look settles nearly every value.
    const char16_t first = QChar(s.front()).toLower().unicode();
    if (first != u'n' && first != u'i')
        return false;
    for (const char* word : {"nan", "inf", "infinity"})
        if (s.compare(QLatin1StringView(word), Qt::CaseInsensitive) == 0)
            return true;
    return false;
}

} // namespace

bool IsUnboundedValue(QStringView s)
{
    return Unbounded(s);
}

bool IsUnboundedValue(QLatin1StringView s)
{
    return Unbounded(s);
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
