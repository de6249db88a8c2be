// The script preprocessor, its macros and the statement splitter.
#include "query/ScriptText.h"

#include "platform/core/Exceptions.h"
#include "platform/core/RegionalSettings.h"
#include "platform/core/SystemInfo.h"

namespace ScriptText {

namespace {

const QString kBuiltInMacros[] = {QStringLiteral("DATE"), QStringLiteral("TIME"),
                                  QStringLiteral("NOW"), QStringLiteral("USERNAME"),
                                  QStringLiteral("COMPUTERNAME")};

// A value may hold bracketed names that are expanded in turn; a value that
// names itself would do so for ever. No real line needs this many expansions,
// nor to grow by more than this many characters through its macros.
constexpr int kMaxExpansionsPerLine = 10000;
constexpr qsizetype kMaxMacroGrowth = 8 * 1024 * 1024;
// Text after a replaced macro keeps at most this many characters.
constexpr int kMaxRestAfterMacro = 9999;
// Caps on the names of terminator lines and DEFSTART blocks.
constexpr int kMaxTerminatorRest = 999;
constexpr int kMaxDestinationName = 998;
constexpr int kMaxBlockName = 999;

QString TwoDigits(int value)
{
    return QStringLiteral("%1").arg(value, 2, 10, QLatin1Char('0'));
}

// The date rule of the DATE, TIME and NOW macros: "mm/dd/yyyy" for a day,
// "hh:nn:ss" for a time of day, both for a day with a time, with the clock's
// separators. The day 30 December 1899 is day 0 and midnight is no time of
// day, so TIME at midnight is empty and NOW at midnight has no time part.
QString FormatMacroDateTime(const TMacroClock& clock, const QDate& day, const QTime& time)
{
    QStringList parts;
    if (day.isValid() && day != QDate(1899, 12, 30)) {
        const QChar sep = clock.dateSeparator;
        parts << TwoDigits(day.month()) + sep + TwoDigits(day.day()) + sep +
                     QStringLiteral("%1").arg(day.year(), 4, 10, QLatin1Char('0'));
    }
    if (time.isValid() && time.msecsSinceStartOfDay() != 0) {
        const QChar sep = clock.timeSeparator;
        parts << TwoDigits(time.hour()) + sep + TwoDigits(time.minute()) + sep +
                     TwoDigits(time.second());
    }
    return parts.join(QLatin1Char(' '));
}

QString DefinitionKey(const QString& line)
{
    return line.section(QLatin1Char('='), 0, 0);
}

// Text up to the first blank (a space; a tab does not split), or all of it.
QString UpToBlank(const QString& text, qsizetype cap)
{
    const qsizetype blank = text.indexOf(QLatin1Char(' '));
    return blank < 0 ? text.left(cap) : text.left(blank);
}

} // namespace

TMacroClock TMacroClock::WithRegionalSeparators(std::function<QDateTime()> now)
{
    return TMacroClock{std::move(now), Regional::DateSeparator(), Regional::TimeSeparator()};
}

QDateTime TMacros::Now() const
{
    return clock_.now ? clock_.now() : QDateTime::currentDateTime();
}

// A script may define any number of macros, so names are found through an
// index rather than by walking the lines.
int TMacros::Find(const QString& name) const
{
    return definitionIndex_.value(name.toUpper(), -1);
}

void TMacros::Define(const QString& name, const QString& value)
{
    const QString key = name.trimmed().toUpper();
    const QString line = key + QLatin1Char('=') + value;
    const int index = Find(key);
    if (index >= 0) {
        definitions_[index] = line;
        return;
    }
    definitions_.append(line);
    // A line is found by the part before its first "=", the first such line winning.
    const QString found = DefinitionKey(line).toUpper();
    if (!definitionIndex_.contains(found))
        definitionIndex_.insert(found, int(definitions_.size() - 1));
}

bool TMacros::IsName(const QString& name) const
{
    const QString key = name.trimmed().toUpper();
    for (const QString& builtIn : kBuiltInMacros)
        if (key == builtIn)
            return true;
    return Find(key) >= 0;
}

QString TMacros::Value(const QString& name) const
{
    const QString key = name.trimmed().toUpper();
    if (key == QLatin1String("DATE"))
        return FormatMacroDateTime(clock_, Now().date(), QTime(0, 0));
    if (key == QLatin1String("TIME"))
        return FormatMacroDateTime(clock_, QDate(), Now().time());
    if (key == QLatin1String("NOW")) {
        const QDateTime now = Now();
        return FormatMacroDateTime(clock_, now.date(), now.time());
    }
    if (key == QLatin1String("USERNAME"))
        return SanitizedUserName();
    if (key == QLatin1String("COMPUTERNAME"))
        return SanitizedComputerName();
    const int index = Find(key);
    return index < 0 ? QString() : definitions_.at(index).section(QLatin1Char('='), 1);
}

// Each "[" is looked at once, left to right. A replacement puts the value at
// the "[" and the search goes on one character after it, so a bracketed name
// in the value's second or later characters is expanded in turn, one at its
// very first character is not. An empty value leaves nothing to step over, so
// the search goes on right where it was and "[EMPTY][NEXT]" expands both.
// Text left of the search position never changes again, so it moves to the
// result at once and a replacement only rebuilds the value and the capped rest.
QString TMacros::Substitute(const QString& line) const
{
    qsizetype at = line.indexOf(QLatin1Char('['));
    if (at < 0)
        return line;
    QString result = line.left(at);
    QString work = line;
    qsizetype close = -1; // the first "]" after the "[" at `at`, while work is unchanged
    int expansions = 0;
    for (;;) {
        if (close <= at)
            close = work.indexOf(QLatin1Char(']'), at + 1);
        if (close < 0) {
            // No "]" is left, so nothing more can be replaced.
            result += QStringView(work).mid(at);
            return result;
        }
        qsizetype resume = at + 1;
        const qsizetype length = close - at - 1;
        if (length > 0) {
            const QString name = work.mid(at + 1, length).trimmed().toUpper();
            if (IsName(name)) {
                const QString value = Value(name);
                if (++expansions > kMaxExpansionsPerLine ||
                    result.size() + value.size() + work.size() - close >
                        line.size() + kMaxMacroGrowth)
                    throw Exception(
                        QStringLiteral("The macro [%1] expands without end in the line \"%2\".")
                            .arg(name, line.left(200)));
                work = value + work.mid(close + 1, kMaxRestAfterMacro);
                at = 0;
                close = -1;
                resume = value.isEmpty() ? 0 : 1;
            }
        }
        result += QStringView(work).mid(at, resume - at);
        const qsizetype next = work.indexOf(QLatin1Char('['), resume);
        if (next < 0) {
            result += QStringView(work).mid(resume);
            return result;
        }
        result += QStringView(work).mid(resume, next - resume);
        at = next;
    }
}

// Builds the new list of lines instead of deleting from the old one, so a
// script of any length is preprocessed in one pass.
QStringList Preprocess(const QStringList& lines, TMacros& macros)
{
    QStringList out;
    out.reserve(lines.size());
    const qsizetype count = lines.size();
    for (qsizetype i = 0; i < count; ++i) {
        const QString upper = lines.at(i).trimmed().toUpper();
        if (upper.isEmpty() || upper.startsWith(QLatin1String("//")))
            continue;
        if (upper.startsWith(QLatin1String("DEFINE "))) {
            const QString rest = upper.mid(7).trimmed();
            const qsizetype blank = rest.indexOf(QLatin1Char(' '));
            if (blank < 0)
                macros.Define(rest, QString());
            else
                macros.Define(rest.left(blank), rest.mid(blank + 1).trimmed());
            continue;
        }
        if (upper.startsWith(QLatin1String("DEFSTART "))) {
            const QString name = UpToBlank(upper.mid(9).trimmed(), kMaxBlockName);
            // The block runs to its DEFEND line, or to the end of the script.
            QString value;
            while (++i < count) {
                const QString body = lines.at(i).trimmed().toUpper();
                if (body.startsWith(QLatin1String("DEFEND")))
                    break;
                value += QLatin1Char(' ') + body;
            }
            macros.Define(name, value);
            continue;
        }
        out.append(macros.Substitute(lines.at(i)));
    }
    return out;
}

QStringList Preprocess(const QStringList& lines, const TMacroClock& clock)
{
    TMacros macros(clock);
    return Preprocess(lines, macros);
}

QList<TStatement> SplitStatements(const QStringList& lines)
{
    QList<TStatement> statements;
    const qsizetype count = lines.size();
    qsizetype i = 0;
    while (i < count) {
        TStatement statement;
        for (; i < count && !lines.at(i).trimmed().startsWith(QLatin1Char(';')); ++i)
            statement.lines.append(lines.at(i) + QLatin1Char(' '));
        if (i < count) {
            // The terminator line may name the destination, and a second word
            // not beginning with "T" keeps it after the run.
            const QString rest = lines.at(i).trimmed().mid(1, kMaxTerminatorRest).trimmed();
            if (!rest.isEmpty()) {
                const qsizetype blank = rest.indexOf(QLatin1Char(' '));
                statement.destination = UpToBlank(rest, kMaxDestinationName).trimmed();
                const QString flag = blank < 0 ? QString() : rest.mid(blank + 1).trimmed();
                statement.keep = !flag.isEmpty() && flag.at(0).toUpper() != QLatin1Char('T');
            }
        }
        statements.append(std::move(statement));
        ++i; // past the terminator line
    }
    return statements;
}

} // namespace ScriptText
