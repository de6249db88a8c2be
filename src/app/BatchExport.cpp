#include "app/BatchExport.h"

#include "app/CheckedOutput.h"
#include "app/ExportSettings.h"
#include "app/ResultExport.h"
#include "app/StartUp.h"
#include "export/EC_Strings.h"
#include "platform/Interaction.h"

#include <QCommandLineParser>
#include <QFileInfo>
#include <QMetaEnum>
#include <QSet>
#include <exception>

bool ExportTypeFromArgument(const QString& name, TExportType& type)
{
    static const QList<std::pair<const char*, TExportType>> names = {{"html", xHTML},
                                                                     {"htm", xHTML},
                                                                     {"doc", xMicrosoft_Word},
                                                                     {"xls", xMicrosoft_Excel},
                                                                     {"xlsx", xExcel_Workbook},
                                                                     {"txt", xText},
                                                                     {"rtf", xRichText},
                                                                     {"csv", xText_Comma_Delimited},
                                                                     {"tab", xText_Tab_Delimited},
                                                                     {"dif", xDIF},
                                                                     {"slk", xSYLK},
                                                                     {"sylk", xSYLK},
                                                                     {"clipboard", xClipboard}};
    for (const auto& [text, value] : names) {
        if (name.compare(QLatin1String(text), Qt::CaseInsensitive) == 0) {
            type = value;
            return true;
        }
    }
    return false;
}

bool HtmlTemplateFromArgument(const QString& name, THTML_Template& value)
{
    const QMetaEnum templates = QMetaEnum::fromType<THTML_Template>();
    for (int i = 0; i < templates.keyCount(); ++i) {
        if (name.compare(QLatin1String(templates.key(i) + 2), Qt::CaseInsensitive) == 0) {
            value = static_cast<THTML_Template>(templates.value(i));
            return true;
        }
    }
    return false;
}

namespace {

bool ParseRows(const QString& text, QList<int>& rows, QString& error)
{
    QSet<int> seen;
    for (const QString& part : text.split(QLatin1Char(','))) {
        bool ok = false;
        const int row = part.trimmed().toInt(&ok);
        if (!ok || row < 1) {
            error = QStringLiteral("--selected-rows: \"%1\" is no row number (rows count from 1)")
                        .arg(part);
            return false;
        }
        if (seen.contains(row)) {
            error = QStringLiteral("--selected-rows: row %1 is given twice").arg(row);
            return false;
        }
        seen.insert(row);
        rows << row;
    }
    return true;
}

} // namespace

void AddExportOptions(QCommandLineParser& parser)
{
    for (const char* name :
         {"export", "output", "selected-rows", "title", "header", "footer", "html-template"})
        parser.addOption(
            QCommandLineOption(QLatin1String(name), QString(), QStringLiteral("value")));
    for (const char* name : {"detailed", "no-number-rows", "no-headers", "no-timestamp"})
        parser.addOption(QCommandLineOption(QLatin1String(name)));
}

bool ReadExportOptions(const QCommandLineParser& parser, TBatchExport& options, QString& error)
{
    // Every value is checked; of an option given twice the last one counts.
    options.given = parser.isSet(QStringLiteral("export"));
    for (const QString& text : parser.values(QStringLiteral("export"))) {
        if (!ExportTypeFromArgument(text, options.type)) {
            error = QStringLiteral("unknown export type: ") + text;
            return false;
        }
    }
    options.outputGiven = parser.isSet(QStringLiteral("output"));
    options.output = parser.value(QStringLiteral("output"));
    for (const QString& text : parser.values(QStringLiteral("selected-rows"))) {
        if (!ParseRows(text, options.selectedRows, error))
            return false;
    }
    options.title = parser.value(QStringLiteral("title"));
    options.header = parser.values(QStringLiteral("header"));
    options.footer = parser.values(QStringLiteral("footer"));
    for (const QString& text : parser.values(QStringLiteral("html-template"))) {
        THTML_Template chosen = htSimple;
        if (!HtmlTemplateFromArgument(text, chosen)) {
            error = QStringLiteral("unknown HTML template: ") + text;
            return false;
        }
        options.htmlTemplate = chosen;
    }
    options.detailed = parser.isSet(QStringLiteral("detailed"));
    options.numberRows = !parser.isSet(QStringLiteral("no-number-rows"));
    options.headers = !parser.isSet(QStringLiteral("no-headers"));
    options.timeStamp = !parser.isSet(QStringLiteral("no-timestamp"));
    return CheckExportOptions(options, error);
}

bool CheckExportOptions(const TBatchExport& options, QString& error)
{
    const bool anyExportOption =
        options.outputGiven || options.detailed || !options.selectedRows.isEmpty() ||
        !options.numberRows || !options.headers || !options.timeStamp || !options.title.isEmpty() ||
        !options.header.isEmpty() || !options.footer.isEmpty() || options.htmlTemplate;
    if (!options.given) {
        if (anyExportOption)
            error = QStringLiteral("the export options need --export TYPE");
        return !anyExportOption;
    }
    if (options.type == xClipboard && options.outputGiven) {
        error = QStringLiteral("--output cannot be given with --export clipboard");
        return false;
    }
    if (options.type != xClipboard &&
        (!options.outputGiven || options.output.trimmed().isEmpty())) {
        error = QStringLiteral("--export needs --output FILE");
        return false;
    }
    return true;
}

bool CheckSelectedRows(const TBatchExport& options, qint64 rowCount, QString& error)
{
    for (int row : options.selectedRows) {
        if (row > rowCount) {
            error = QStringLiteral("--selected-rows: row %1 is beyond the %2 rows of the result")
                        .arg(row)
                        .arg(rowCount);
            return false;
        }
    }
    return true;
}

int RunBatchExport(TDataSet* result, const TBatchExport& options, FILE* out)
{
    TResultExport exporter(result);
    ApplyResultsExportSettings(exporter);
    // No dialog stands beside the run; the confirmation of a clipboard export
    // comes once its text is written.
    TExportOptions set;
    set.setFlag(NumberRows, options.numberRows);
    set.setFlag(ShowColHeaders, options.headers);
    set.setFlag(TimeStamp, options.timeStamp);
    set.setFlag(DetailedMode, options.detailed);
    set.setFlag(SelectedRowsOnly, !options.selectedRows.isEmpty());
    exporter.SetOptions(set);
    exporter.SetTitle(options.title);
    exporter.SetHeader(options.header);
    exporter.SetFooter(options.footer);
    if (options.htmlTemplate)
        exporter.SetHTML_Template(*options.htmlTemplate);
    if (!options.selectedRows.isEmpty()) {
        QList<int> rows;
        for (int row : options.selectedRows)
            rows << row - 1;
        exporter.SelectRows(rows);
    }
    // Without a desktop the clipboard dies with the process: its text goes to standard output.
    QString clipboardText;
    exporter.OnClipboardText = [&clipboardText](QObject*, const QString& text) {
        clipboardText = text;
    };
    exporter.SetExportType(options.type);
    exporter.SetViewOnly(false);
    exporter.SetExportFile(
        options.type == xClipboard ? QString() : QFileInfo(options.output).absoluteFilePath());
    try {
        if (!exporter.DoExport())
            return exitFailed;
        if (options.type == xClipboard) {
            WriteOutput(out, clipboardText.toUtf8());
            FlushOutput(out);
            Ui().MessageDlg(LoadStr(sClipboardDone), mtInformation, mbOK);
        }
        return exitOk;
    } catch (const std::exception& error) {
        // The silent abort of a writer that reported already shows nothing.
        Ui().ShowException(error);
        return exitFailed;
    }
}

// clang-format off
QString BatchExportUsage()
{
    return QStringLiteral(
        "                     [--export TYPE (--output FILE) [--detailed] [--selected-rows N,M,...]\n"
        "                      [--no-number-rows] [--no-headers] [--no-timestamp] [--title TEXT]\n"
        "                      [--header LINE]... [--footer LINE]... [--html-template NAME]]\n");
}
// clang-format on
