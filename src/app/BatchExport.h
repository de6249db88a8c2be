// Export from batch mode: the --export options, their checks, and the run
// that exports the last result with the settings of the window's export
// component, as the Export button would, writing the file atomically.
#pragma once

#include "export/EC_Component.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <cstdio>
#include <optional>

class QCommandLineParser;
class TDataSet;

struct TBatchExport
{
    bool given = false;
    TExportType type = xText_Comma_Delimited;
    QString output;
    bool outputGiven = false;
    bool detailed = false;
    QList<int> selectedRows; // 1-based row numbers
    bool numberRows = true;
    bool headers = true;
    bool timeStamp = true;
    QString title;
    QStringList header;
    QStringList footer;
    std::optional<THTML_Template> htmlTemplate; // the window's own when not given
};

// The type named on the command line (letter case ignored); false for an unknown name.
bool ExportTypeFromArgument(const QString& name, TExportType& type);

// The template named on the command line: its name without "ht", letter case ignored.
bool HtmlTemplateFromArgument(const QString& name, THTML_Template& value);

// The export options of the runner's command line, and their values read
// back after parsing, checked; false with a message for a usage error.
void AddExportOptions(QCommandLineParser& parser);
bool ReadExportOptions(const QCommandLineParser& parser, TBatchExport& options, QString& error);
// The checks that need every option: an output for a file, none for the clipboard.
bool CheckExportOptions(const TBatchExport& options, QString& error);
// Rows beyond the result are a usage error, found once the result is there.
bool CheckSelectedRows(const TBatchExport& options, qint64 rowCount, QString& error);

// Exports the last result; the clipboard's text goes to out. The exit status
// (0, or 1 when the export or writing its text failed).
int RunBatchExport(TDataSet* result, const TBatchExport& options, FILE* out);

// The usage lines of the export options.
QString BatchExportUsage();
