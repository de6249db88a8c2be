// The statement loop over one SQL text.
#include "engine/StatementRunner.h"

#include "platform/core/Exceptions.h"

namespace {

// True when [p, end) holds only blanks, ";" and comments.
bool OnlyBlanks(const char* p, const char* end)
{
    while (p < end) {
        const char c = *p;
        if (c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v' || c == ';') {
            ++p;
        } else if (c == '-' && p + 1 < end && p[1] == '-') {
            while (p < end && *p != '\n')
                ++p;
        } else if (c == '/' && p + 1 < end && p[1] == '*') {
            p += 2;
            while (p + 1 < end && !(p[0] == '*' && p[1] == '/'))
                ++p;
            p = p + 1 < end ? p + 2 : end;
        } else {
            return false;
        }
    }
    return true;
}

// The loop: with keepLast the last statement is handed back unstepped.
SqliteStatement Run(SqliteConnection& connection, const QString& text, bool keepLast)
{
    // SQLite reads a statement only up to a NUL, so the text after one could
    // never be reached: refuse it before anything runs.
    const qsizetype nul = text.indexOf(QChar(0));
    if (nul >= 0)
        throw EDatabaseError(QStringLiteral("The SQL text holds a NUL character (line %1 of the "
                                            "statement), which SQL may not contain.")
                                 .arg(QStringView(text).left(nul).count(QLatin1Char('\n')) + 1));
    const QByteArray utf8 = text.toUtf8();
    const char* p = utf8.constData();
    const char* const end = p + utf8.size();
    while (p < end) {
        const char* tail = nullptr;
        SqliteStatement stmt = connection.Prepare(p, int(end - p), &tail);
        p = tail ? tail : end;
        if (!stmt)
            continue; // blanks or a comment
        if (keepLast && OnlyBlanks(p, end))
            return stmt;
        connection.StepToEnd(stmt.get());
    }
    if (keepLast)
        throw EDatabaseError(QStringLiteral("No SQL statement to open"));
    return SqliteStatement();
}

} // namespace

void RunStatements(SqliteConnection& connection, const QString& text)
{
    Run(connection, text, false);
}

SqliteStatement RunStatementsButLast(SqliteConnection& connection, const QString& text)
{
    return Run(connection, text, true);
}
