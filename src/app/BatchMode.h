// Batch mode: runs what the window runs, without a display. The window's own
// code is driven with its modal interactions answered from the command line;
// messages go to standard error, the last result to standard output as
// tab-separated text.
#pragma once

#include "app/BatchExport.h"

#include <QString>
#include <QStringList>

#include <cstdio>

struct TBatchOptions
{
    QString file; // the FILE argument: a package file, or a script
    QString sqlFile;
    QString alias;
    bool aliasGiven = false;
    QString saveTable;
    bool saveGiven = false;
    bool overwrite = false;
    QString passwordFile;
    TBatchExport exportOptions;
};

// The usage text of the runner.
QString RunnerUsage();

// Parses the arguments that follow the program name (with "--batch" among
// them). False with a message for a usage error.
bool ParseBatchOptions(const QStringList& arguments, TBatchOptions& options, QString& error);

// Runs the package of the FILE argument, or of the executable, in batch mode;
// returns the exit status.
int RunBatch(const QString& executable, const TBatchOptions& options, FILE* out = stdout);
