// The single-statement decision of TEnhQuery and the script runner of
// TEnhMultiQuery.
#include "query/enhquery.h"

#include "engine/EngineDatabase.h"
#include "engine/Session.h"
#include "engine/Table.h"
#include "platform/core/Exceptions.h"
#include "platform/core/RegionalSettings.h"
#include "platform/core/StrUtils.h"
#include "platform/core/SystemInfo.h"

namespace {

// Position (1-based, 0 when absent) of a keyword in the upper-cased first line.
int KeywordPos(const QString& upperLine, const char* keyword)
{
    return PosFrom(QString::fromLatin1(keyword), upperLine, 1);
}

// Runs a clean-up step on every exit from a scope, failures included.
template <typename F> class ScopeExit
{
public:
    explicit ScopeExit(F f) : f_(std::move(f)) {}
    ~ScopeExit() { f_(); }
    ScopeExit(const ScopeExit&) = delete;
    ScopeExit& operator=(const ScopeExit&) = delete;

private:
    F f_;
};

} // namespace

// ---------------------------------------------------------------------------
// TEnhQuery

TEnhQuery::TEnhQuery(QObject* owner) : TQuery(owner), destDatabaseName_(Session()->PrivateDir()) {}

void TEnhQuery::SetDestinationTable(const QString& table)
{
    if (destinationTable_ != table)
        destinationTable_ = table;
}

void TEnhQuery::SetDestDatabaseName(const QString& name)
{
    if (destDatabaseName_ != name)
        destDatabaseName_ = name;
}

void TEnhQuery::SetDestBatchMoveMode(TBatchMode mode)
{
    if (destBatchMoveMode_ != mode)
        destBatchMoveMode_ = mode;
}

void TEnhQuery::SetDoBatchMove(bool doBatchMove)
{
    if (doBatchMove_ != doBatchMove)
        doBatchMove_ = doBatchMove;
}

void TEnhQuery::MoveToDestination()
{
    // The destination is a table name, never a path: a separator in it could
    // put the table beside or above the destination folder.
    if (destinationTable_.contains(QLatin1Char('/')) ||
        destinationTable_.contains(QLatin1Char('\\')))
        throw EDatabaseError(
            QStringLiteral("Invalid destination table name \"%1\".").arg(destinationTable_));
    TSession& session = *Session();
    const QString destination = EngineDatabaseOf(session, destDatabaseName_)->Location();
    // In the query's own database the rows are stored where they are made.
    if (destination == EngineDatabaseOf(session, DatabaseName())->Location()) {
        if (keepRowsOpen_)
            StoreAndOpen(destinationTable_);
        else
            StoreAsTable(destinationTable_);
    } else if (OpenOrExecute()) {
        MakePermanentIn(destDatabaseName_, destinationTable_, true);
    }
}

void TEnhQuery::Execute()
{
    if (SQL().isEmpty())
        return;
    const QString first = SQL().constFirst().toUpper();
    const int select = KeywordPos(first, "SELECT");
    const int where = KeywordPos(first, "WHERE");
    const bool command = KeywordPos(first, "INSERT INTO") > 0 ||
                         KeywordPos(first, "CREATE VIEW") > 0 || select == 0 ||
                         (where > 0 && where <= select);
    if (command)
        ExecSQL();
    else if (!doBatchMove_)
        OpenOrExecute();
    else if (!destinationTable_.isEmpty() && !destDatabaseName_.isEmpty())
        MoveToDestination();
    else
        throw EDatabaseError(QStringLiteral("Destination Table and DatabaseName missing."));
}

// ---------------------------------------------------------------------------
// TEnhMultiQuery

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
// "hh:nn:ss" for a time of day, both for a day with a time, with the regional
// separators. The day 30 December 1899 is day 0 and midnight is no time of
// day, so TIME at midnight is empty and NOW at midnight has no time part.
QString FormatMacroDateTime(const QDate& day, const QTime& time)
{
    QStringList parts;
    if (day.isValid() && day != QDate(1899, 12, 30)) {
        const QChar sep = Regional::DateSeparator();
        parts << TwoDigits(day.month()) + sep + TwoDigits(day.day()) + sep +
                     QStringLiteral("%1").arg(day.year(), 4, 10, QLatin1Char('0'));
    }
    if (time.isValid() && time.msecsSinceStartOfDay() != 0) {
        const QChar sep = Regional::TimeSeparator();
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

TEnhMultiQuery::TEnhMultiQuery(QObject* owner) : TEnhQuery(owner) {}

QDateTime TEnhMultiQuery::Now() const
{
    return clock_ ? clock_() : QDateTime::currentDateTime();
}

// A script may define any number of macros, so names are found through an
// index rather than by walking the lines.
int TEnhMultiQuery::FindDefinition(const QString& name) const
{
    if (!Definitions)
        return -1;
    return definitionIndex_.value(name.toUpper(), -1);
}

void TEnhMultiQuery::DefineMacro(const QString& name, const QString& value)
{
    const QString key = name.trimmed().toUpper();
    const QString line = key + QLatin1Char('=') + value;
    if (!Definitions)
        Definitions.emplace();
    const int index = FindDefinition(key);
    if (index >= 0) {
        (*Definitions)[index] = line;
        return;
    }
    Definitions->append(line);
    // A line is found by the part before its first "=", the first such line winning.
    const QString found = DefinitionKey(line).toUpper();
    if (!definitionIndex_.contains(found))
        definitionIndex_.insert(found, int(Definitions->size() - 1));
}

bool TEnhMultiQuery::IsMacroName(const QString& name) const
{
    const QString key = name.trimmed().toUpper();
    for (const QString& builtIn : kBuiltInMacros)
        if (key == builtIn)
            return true;
    return FindDefinition(key) >= 0;
}

QString TEnhMultiQuery::MacroValue(const QString& name) const
{
    const QString key = name.trimmed().toUpper();
    if (key == QLatin1String("DATE"))
        return FormatMacroDateTime(Now().date(), QTime(0, 0));
    if (key == QLatin1String("TIME"))
        return FormatMacroDateTime(QDate(), Now().time());
    if (key == QLatin1String("NOW")) {
        const QDateTime now = Now();
        return FormatMacroDateTime(now.date(), now.time());
    }
    if (key == QLatin1String("USERNAME"))
        return SanitizedUserName();
    if (key == QLatin1String("COMPUTERNAME"))
        return SanitizedComputerName();
    const int index = FindDefinition(key);
    return index < 0 ? QString() : Definitions->at(index).section(QLatin1Char('='), 1);
}

// Each "[" is looked at once, left to right. A replacement puts the value at
// the "[" and the search goes on one character after it, so a bracketed name
// in the value's second or later characters is expanded in turn, one at its
// very first character is not. An empty value leaves nothing to step over, so
// the search goes on right where it was and "[EMPTY][NEXT]" expands both.
// Text left of the search position never changes again, so it moves to the
// result at once and a replacement only rebuilds the value and the capped rest.
QString TEnhMultiQuery::SubstituteMacros(const QString& line) const
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
            if (IsMacroName(name)) {
                const QString value = MacroValue(name);
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
void TEnhMultiQuery::Preprocess()
{
    const QStringList lines = SQL();
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
                DefineMacro(rest, QString());
            else
                DefineMacro(rest.left(blank), rest.mid(blank + 1).trimmed());
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
            DefineMacro(name, value);
            continue;
        }
        out.append(SubstituteMacros(lines.at(i)));
    }
    SetSQL(out);
}

void TEnhMultiQuery::RunStatement(const QStringList& statement, const QString& destination,
                                  bool useDefaultDB, bool keep)
{
    if (statement.isEmpty())
        return;
    SetSQL(statement);
    // The settings are put back whether or not the statement succeeds, so a
    // run never changes the component's settings.
    const QString savedDestDatabase = DestDatabaseName();
    const QString savedDestination = DestinationTable();
    const bool savedDoBatchMove = DoBatchMove();
    const ScopeExit restore([this, savedDestDatabase, savedDestination, savedDoBatchMove] {
        SetDestDatabaseName(savedDestDatabase);
        SetDestinationTable(savedDestination);
        SetDoBatchMove(savedDoBatchMove);
    });
    if (destination.isEmpty()) {
        SetDoBatchMove(false);
        TEnhQuery::Execute();
        return;
    }
    SetDestinationTable(destination);
    SetDoBatchMove(true);
    SetDestDatabaseName(useDefaultDB && !savedDestDatabase.isEmpty() ? savedDestDatabase
                                                                     : DatabaseName());
    if (!keep)
        TempTables.append(destination);
    TEnhQuery::Execute();
    if (!keep)
        tempJournal_.Made(DatabaseName(), destination);
}

// Temporary tables are created in the query's own database, so they are
// dropped there.
void TEnhMultiQuery::DropTempTables()
{
    if (TempTables.isEmpty())
        return;
    TTable table;
    table.SetDatabaseName(DatabaseName());
    for (qsizetype i = TempTables.size() - 1; i >= 0; --i) {
        try {
            table.SetTableName(TempTables.at(i));
            table.DeleteTable();
            tempJournal_.Dropped(DatabaseName(), TempTables.at(i));
        } catch (const Exception&) {
            // A table that cannot be dropped never fails the run.
        }
    }
    TempTables.clear();
}

void TEnhMultiQuery::Execute()
{
    Preprocess();
    RunDoBatchMove = DoBatchMove();
    RunDestinationTable = DestinationTable();
    const bool savedRequestLive = RequestLive();
    SetRequestLive(false);

    if (!ScriptCopy || SQLText() != LastRunSQL)
        ScriptCopy = SQL();
    else
        SetSQL(*ScriptCopy); // unchanged since the last run: the whole script again

    TempTables.clear();
    DropDeadRunTempTables(DatabaseName());
    // However the run ends, the settings are put back and the run's lists
    // freed. A failed run keeps its temporary tables; a stopped one, like a
    // killed one, leaves none.
    const ScopeExit finish([this, savedRequestLive] {
        if (Session()->Interrupted())
            tempJournal_.DropRemaining();
        else
            tempJournal_.Close();
        SetKeepRowsOpen(true);
        SetRequestLive(savedRequestLive);
        LastRunSQL = SQLText();
        TempTables.clear();
        Definitions.reset();
        definitionIndex_.clear();
    });
    const QStringList script = *ScriptCopy;
    const qsizetype count = script.size();
    qsizetype i = 0;
    while (i < count) {
        QStringList statement;
        QString destination = RunDoBatchMove ? RunDestinationTable : QString();
        bool useDefaultDB = true;
        bool keep = RunDoBatchMove;
        for (; i < count && !script.at(i).trimmed().startsWith(QLatin1Char(';')); ++i)
            statement.append(script.at(i) + QLatin1Char(' '));
        if (i < count) {
            // The terminator line may name the destination, and a second word
            // not beginning with "T" keeps it after the run.
            const QString rest = script.at(i).trimmed().mid(1, kMaxTerminatorRest).trimmed();
            if (!rest.isEmpty()) {
                const qsizetype blank = rest.indexOf(QLatin1Char(' '));
                destination = UpToBlank(rest, kMaxDestinationName).trimmed();
                const QString flag = blank < 0 ? QString() : rest.mid(blank + 1).trimmed();
                keep = !flag.isEmpty() && flag.at(0).toUpper() != QLatin1Char('T');
                useDefaultDB = false;
            }
        }
        Close();
        SetRequestLive(destination.isEmpty() ? savedRequestLive : false);
        // Another statement closes the query before it runs: nothing will see these rows.
        SetKeepRowsOpen(i + 1 >= count);
        RunStatement(statement, destination, useDefaultDB, keep);
        ++i;
    }
    DropTempTables();
}
