// Runs of the real programs from a test: started in an environment, waited
// for within a time limit, and what each one did.
#pragma once

#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

// What a program run by a test did.
struct ProcessOutcome
{
    int status = -1; // the exit code; -1 for a crash or a run that had to be killed
    QString out;
    QString err;
    bool operator==(const ProcessOutcome&) const = default;
};

// Starts a program; false, and a failure of the test, when it does not start.
[[nodiscard]] bool
StartProcess(QProcess& process, const QString& program, const QStringList& arguments,
             const QProcessEnvironment& environment = QProcessEnvironment::systemEnvironment());

// Waits for a started program to end and takes what it did; one still running
// after timeout milliseconds is killed, which fails the test.
ProcessOutcome FinishProcess(QProcess& process, int timeout = 120000);

// Both: runs a program to its end.
ProcessOutcome
RunProcess(const QString& program, const QStringList& arguments,
           const QProcessEnvironment& environment = QProcessEnvironment::systemEnvironment(),
           int timeout = 120000);

// The runner's environment in a test: its configuration folder, and a
// platform plugin that does not exist unless one is named, since batch mode
// starts no widget toolkit.
QProcessEnvironment RunnerEnvironment(const QString& configFolder,
                                      const QString& platform = QStringLiteral("no-such-platform"));
