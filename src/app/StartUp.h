// Start-up: the query package read from a package file given on the command
// line or from the running executable, and the password check. What it reads
// is handed to the main window (TformMain::HandOver) or, in batch mode, to
// the runner alone; start-up itself needs no window.
#pragma once

#include <QString>

// What start-up hands over; these are the values of a runner that carries no
// package.
struct TStartUpState
{
    QString title;
    QString description;
    QString alias;
    QString sql;
    bool sqlEditable = true;
    bool showResults = false;
    bool hasPackage = false;
    // The package file the package came from; empty for an attached package.
    QString packageFile;
};

enum class TStartUpOutcome
{
    Run,
    Damaged,
    WrongPassword,
    ScriptRefused
};

// Reads the package at the end of the executable and, when it has a password,
// asks for it through the interaction in force. A damaged package is reported
// through the application's error report, a wrong password with
// "Invalid Password."; in both cases the program must end at once.
TStartUpOutcome ReadStartUpState(const QString& executable, TStartUpState& state);

// Reads the package file at path (which wins over a package attached to the
// runner) as ReadStartUpState reads an attached one. A file that cannot be
// opened, or is damaged, is reported naming the file, and ends start-up as a
// damaged package does.
TStartUpOutcome ReadPackageFileState(const QString& path, TStartUpState& state);

// What the runner `executable` starts with, given the file argument of its
// command line (empty when there is none): a package file's package (see
// IsPackageFile); else the attached package, with the script of the file in
// place of its SQL when a file is given (ScriptRefused when that is refused).
TStartUpOutcome ReadStartUp(const QString& executable, const QString& file, TStartUpState& state);

// Puts the script of a file in place of the package's. Refused with a message
// when the package's SQL is read-only or the file cannot be read.
bool ReplaceScript(TStartUpState& state, const QString& path);

// The window caption for a package opened from a file: the caption the
// package gives (or the window's own) and the file's name, "Orders - orders.tqp".
QString PackageFileCaption(const QString& caption, const QString& packageFile);

// Exit statuses of the runner.
enum TExitStatus
{
    exitOk = 0,
    exitFailed = 1,
    exitUsage = 2,
    exitWrongPassword = 3
};

// The status a start-up that may not run on ends the program with: a damaged
// package and a refused script are usage errors, a wrong password has its own.
TExitStatus ExitStatusFor(TStartUpOutcome outcome);
