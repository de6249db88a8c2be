// The statement splitter for server SQL.
#include "engine/ServerStatements.h"

#include "platform/core/Exceptions.h"

namespace {

bool IsIdentifierChar(QChar c)
{
    return c.isLetterOrNumber() || c == QLatin1Char('_') || c == QLatin1Char('$') ||
           c.unicode() >= 0x80;
}

// The end (one past) of the quoted text starting at `at`, whose quote is `quote`;
// with backslashes, a backslash takes the next character with it.
qsizetype SkipQuoted(const QString& text, qsizetype at, QChar quote, bool backslashes)
{
    qsizetype i = at + 1;
    while (i < text.size()) {
        const QChar c = text.at(i);
        if (backslashes && c == QLatin1Char('\\')) {
            i += 2;
        } else if (c == quote) {
            if (i + 1 < text.size() && text.at(i + 1) == quote)
                i += 2; // a doubled quote stands for itself
            else
                return i + 1;
        } else {
            ++i;
        }
    }
    return text.size();
}

// A dollar quote's opening tag at `at` ("$$" or "$name$"); empty when there is none.
QString DollarTag(const QString& text, qsizetype at)
{
    qsizetype i = at + 1;
    if (i < text.size() && text.at(i).isDigit())
        return QString(); // $1 is a parameter
    while (i < text.size() && text.at(i) != QLatin1Char('$')) {
        if (!IsIdentifierChar(text.at(i)) || text.at(i) == QLatin1Char('$'))
            return QString();
        ++i;
    }
    return i < text.size() ? text.mid(at, i - at + 1) : QString();
}

qsizetype SkipBlockComment(const QString& text, qsizetype at)
{
    int depth = 0;
    qsizetype i = at;
    while (i + 1 < text.size()) {
        if (text.at(i) == QLatin1Char('/') && text.at(i + 1) == QLatin1Char('*')) {
            ++depth;
            i += 2;
        } else if (text.at(i) == QLatin1Char('*') && text.at(i + 1) == QLatin1Char('/')) {
            i += 2;
            if (--depth == 0)
                return i;
        } else {
            ++i;
        }
    }
    return text.size();
}

} // namespace

QStringList SplitServerStatements(const QString& text)
{
    const qsizetype nul = text.indexOf(QChar(0));
    if (nul >= 0)
        throw EDatabaseError(QStringLiteral("The SQL text holds a NUL character (line %1 of the "
                                            "statement), which SQL may not contain.")
                                 .arg(QStringView(text).left(nul).count(QLatin1Char('\n')) + 1));
    QStringList statements;
    qsizetype start = 0;
    bool meaningful = false; // the statement so far holds more than blanks and comments
    int depth = 0;
    const auto finish = [&](qsizetype end) {
        if (meaningful)
            statements << text.mid(start, end - start).trimmed();
        start = end + 1;
        meaningful = false;
        depth = 0;
    };
    qsizetype i = 0;
    while (i < text.size()) {
        const QChar c = text.at(i);
        const QChar next = i + 1 < text.size() ? text.at(i + 1) : QChar();
        if (c == QLatin1Char('-') && next == QLatin1Char('-')) {
            while (i < text.size() && text.at(i) != QLatin1Char('\n'))
                ++i;
            continue;
        }
        if (c == QLatin1Char('/') && next == QLatin1Char('*')) {
            i = SkipBlockComment(text, i);
            continue;
        }
        if (c == QLatin1Char(';') && depth == 0) {
            finish(i);
            ++i;
            continue;
        }
        if (!c.isSpace())
            meaningful = true;
        if (c == QLatin1Char('\'')) {
            // E'...' (an E not ending a longer word) takes backslash escapes.
            const bool escapes =
                i > 0 &&
                (text.at(i - 1) == QLatin1Char('E') || text.at(i - 1) == QLatin1Char('e')) &&
                (i < 2 || !IsIdentifierChar(text.at(i - 2)));
            i = SkipQuoted(text, i, c, escapes);
        } else if (c == QLatin1Char('"')) {
            i = SkipQuoted(text, i, c, false);
        } else if (c == QLatin1Char('$') && (i == 0 || !IsIdentifierChar(text.at(i - 1)))) {
            const QString tag = DollarTag(text, i);
            if (tag.isEmpty()) {
                ++i;
            } else {
                const qsizetype close = text.indexOf(tag, i + tag.size());
                i = close < 0 ? text.size() : close + tag.size();
            }
        } else {
            if (c == QLatin1Char('('))
                ++depth;
            else if (c == QLatin1Char(')') && depth > 0)
                --depth;
            ++i;
        }
    }
    finish(text.size());
    return statements;
}
