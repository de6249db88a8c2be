// Start-up: the query package read from the running executable, the password
// check, and the handover of the package to the main window.
#pragma once

#include <QString>

class TformMain;

// What start-up hands to the main window; these are the values of a runner
// that carries no package.
struct TStartUpState
{
    QString title;
    QString description;
    QString alias;
    QString sql;
    bool sqlEditable = true;
    bool showResults = false;
    bool hasPackage = false;
};

enum class TStartUpOutcome
{
    Run,
    Damaged,
    WrongPassword
};

// Reads the package at the end of the executable and, when it has a password,
// asks for it through the interaction in force. A damaged package is reported
// through the application's error report, a wrong password with
// "Invalid Password."; in both cases the program must end at once.
TStartUpOutcome ReadStartUpState(const QString& executable, TStartUpState& state);

// Puts the script of a file in place of the package's. Refused with a message
// when the package's SQL is read-only or the file cannot be read.
bool ReplaceScript(TStartUpState& state, const QString& path);

// The handover, in its order: title, description, SQL, alias; then the
// show-results switch, the editor's read-only state and the page-switch caption.
// Raises when connecting the database fails.
void HandOver(TformMain& form, const TStartUpState& state);

// Exit statuses of the runner.
enum TExitStatus
{
    exitOk = 0,
    exitFailed = 1,
    exitUsage = 2,
    exitWrongPassword = 3
};

// The status a start-up that may not run on ends the program with: a damaged
// package is a usage error, a wrong password has its own.
TExitStatus ExitStatusFor(TStartUpOutcome outcome);
