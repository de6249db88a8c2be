// Batch mode: runs what the window runs, without a display or a widget. The
// runner under the window is driven with its modal interactions answered from
// the command line; messages go to standard error, the last result to
// standard output as tab-separated text.
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

// Runs the package of the FILE argument, or of the executable, in batch mode;
// returns the exit status.
int RunBatch(const QString& executable, const TBatchOptions& options, FILE* out = stdout);
