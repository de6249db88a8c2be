// The script preprocessor on any script: comments, definitions and macro
// substitution end, in bounded time and memory, whatever the text, and the
// statement splitter takes whatever it leaves.
#include "platform/core/Exceptions.h"
#include "query/ScriptText.h"

#include <QRegularExpression>
#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const ScriptText::TMacroClock clock{
        [] { return QDateTime(QDate(2024, 2, 29), QTime(12, 9, 44)); }};
    static const QRegularExpression breaks(QStringLiteral("\r\n|\n|\r"));
    const QStringList script =
        QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size)).split(breaks);
    QStringList lines;
    try {
        lines = ScriptText::Preprocess(script, clock);
    } catch (const Exception&) {
        return 0; // a macro that expands without end is refused, as it must be
    }
    // Lines are dropped or rewritten, never added: a value holds no line end.
    if (lines.size() > script.size())
        __builtin_trap();
    qsizetype statementLines = 0;
    for (const ScriptText::TStatement& statement : ScriptText::SplitStatements(lines))
        statementLines += statement.lines.size();
    if (statementLines > lines.size())
        __builtin_trap();
    return 0;
}
