// The runner's command line, parsed once and before any application object
// exists, so --help, --version and batch mode never start the widget toolkit.
#pragma once

#include "app/BatchMode.h"

#include <QString>
#include <QStringList>

struct TRunnerCommand
{
    enum TMode
    {
        rmWindow,
        rmBatch,
        rmHelp,
        rmVersion
    };
    TMode mode = rmWindow;
    QString file; // the window's FILE argument: a package file, or a script
    TBatchOptions batch;
};

// The usage text of the runner.
QString RunnerUsage();

// Parses the arguments that follow the program name. False for a usage
// error, with a message (empty where the usage alone answers it). --help and
// --version set their mode whatever else is wrong.
bool ParseRunnerCommand(const QStringList& arguments, TRunnerCommand& command, QString& error);

// The batch options among arguments ("--batch" may be left out).
bool ParseBatchOptions(const QStringList& arguments, TBatchOptions& options, QString& error);
