// The text of a script, apart from running it: the preprocessor (blank and
// comment lines, DEFINE lines, DEFSTART blocks, bracketed macros) and the
// splitter that cuts the preprocessed lines into statements at terminator
// lines (";" at the start of a line, optionally naming a destination table).
//
// Nothing here touches a session, a database or the configuration folder:
// what the built-in macros take from outside the script comes in through a
// TMacroClock, and the user and computer names from the platform core.
#pragma once

#include <QChar>
#include <QDateTime>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>
#include <functional>

namespace ScriptText {

// Where DATE, TIME and NOW take the moment from, and the separators they
// write it with.
struct TMacroClock
{
    std::function<QDateTime()> now; // empty: the system clock
    QChar dateSeparator = QLatin1Char('/');
    QChar timeSeparator = QLatin1Char(':');

    // The separators of the user's regional settings.
    static TMacroClock WithRegionalSeparators(std::function<QDateTime()> now = {});
};

// The macros of one script: the five built-in names and the definitions made
// so far. Names are compared upper-cased and trimmed; built-in names win over
// definitions.
class TMacros
{
public:
    explicit TMacros(TMacroClock clock = {}) : clock_(std::move(clock)) {}

    void SetClock(TMacroClock clock) { clock_ = std::move(clock); }
    // Adds or replaces a definition.
    void Define(const QString& name, const QString& value);
    // Index of the definition line of a name ("NAME=value"), -1 when there is none.
    int Find(const QString& name) const;
    bool IsName(const QString& name) const;
    // The value of a built-in or defined macro, empty for any other name.
    QString Value(const QString& name) const;
    // Replaces each bracketed macro name of a line with its value; throws when
    // the macros of the line expand without end.
    QString Substitute(const QString& line) const;

private:
    QDateTime Now() const;

    TMacroClock clock_;
    QStringList definitions_;             // "NAME=value" lines
    QHash<QString, int> definitionIndex_; // upper-cased name -> its line, for fast look-ups
};

// Drops blank and comment lines and macro definitions and substitutes the
// macros of every other line, terminator lines included. Definitions take
// effect from the next line on and are left in `macros`.
QStringList Preprocess(const QStringList& lines, TMacros& macros);
QStringList Preprocess(const QStringList& lines, const TMacroClock& clock);

// One statement of a preprocessed script and what its terminator line says.
struct TStatement
{
    QStringList lines;   // the statement's lines, each followed by a blank
    QString destination; // the table the terminator line names; empty when it names none
    bool keep = false;   // a named destination stays after the run
};

// Cuts preprocessed lines into statements: each ends at a line beginning
// with ";" (after trimming) or at the end of the script. Two terminator lines
// in a row give an empty statement.
QList<TStatement> SplitStatements(const QStringList& lines);

} // namespace ScriptText
