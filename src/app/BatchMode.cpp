#include "app/BatchMode.h"

#include "app/BatchInteraction.h"
#include "app/BatchSignals.h"
#include "app/MainViewer.h"
#include "app/OptionValue.h"
#include "app/StartUp.h"
#include "engine/DataSet.h"
#include "engine/DisplayFormat.h"
#include "engine/Session.h"
#include "platform/Interaction.h"
#include "platform/core/Exceptions.h"
#include "query/enhquery.h"
#include "store/TessalyDB.h"

#include <QLineEdit>
#include <exception>
#include <memory>

namespace {

// Puts the previous interaction back however batch mode ends.
class InteractionScope
{
public:
    explicit InteractionScope(std::unique_ptr<Interaction> ui) : previous_(SetUi(std::move(ui))) {}
    ~InteractionScope() { SetUi(std::move(previous_)); }

private:
    std::unique_ptr<Interaction> previous_;
};

// Makes the line ends and tabs a value put into a line of tab-separated
// output from `start` on blanks (in UTF-8 they are single bytes of their own).
void BlankSeparators(QByteArray& line, qsizetype start)
{
    for (char *c = line.data() + start, *end = line.data() + line.size(); c < end; ++c) {
        if (*c == '\t' || *c == '\r' || *c == '\n')
            *c = ' ';
    }
}

// Walks the result once, straight from its stored rows; no cursor moves, so
// no bound control follows the walk.
void WriteResult(TDataSet* dataSet, FILE* out)
{
    if (!dataSet->Active())
        return;
    QList<TField*> fields;
    for (int i = 0; i < dataSet->FieldCount(); ++i) {
        if (dataSet->Fields(i)->Visible())
            fields << dataSet->Fields(i);
    }
    // Lines gather in one buffer that keeps its room and is written in large pieces.
    QByteArray lines;
    lines.reserve(1 << 17);
    const auto endLine = [&] {
        lines += '\n';
        if (lines.size() >= (1 << 16)) {
            fwrite(lines.constData(), 1, size_t(lines.size()), out);
            lines.truncate(0);
        }
    };
    for (qsizetype i = 0; i < fields.size(); ++i) {
        if (i)
            lines += '\t';
        const qsizetype start = lines.size();
        AppendUtf8(lines, fields[i]->DisplayLabel());
        BlankSeparators(lines, start);
    }
    endLine();
    dataSet->ForEachRecord([&](const TRecordTexts& record) {
        for (qsizetype i = 0; i < fields.size(); ++i) {
            if (i)
                lines += '\t';
            const qsizetype start = lines.size();
            record.AppendDisplayText(*fields[i], lines);
            BlankSeparators(lines, start);
        }
        endLine();
    });
    fwrite(lines.constData(), 1, size_t(lines.size()), out);
    fflush(out);
}

} // namespace

// The usage keeps its printed line breaks.
// clang-format off
QString RunnerUsage()
{
    return QStringLiteral(
               "Usage: tessaly-query [FILE.tqp | FILE.sql]\n"
               "       tessaly-query --batch [FILE.tqp] [--sql-file FILE] [--alias NAME] [--save TABLE]\n"
               "                     [--overwrite] [--password-file FILE]\n") +
           BatchExportUsage() +
           QStringLiteral(
               "       tessaly-query --version\n"
               "\n"
               "Without --batch the window opens. FILE.tqp is a query package file (tessaly-pack writes\n"
               "one); it is run in place of a package attached to this program. A FILE.sql argument puts\n"
               "that script in the editor.\n"
               "With --batch the query runs without a display: messages go to standard error, the last\n"
               "result to standard output as tab-separated text. With --export the last result is\n"
               "exported instead, as the Export button does: TYPE is html, htm, doc, xls, xlsx, txt, rtf,\n"
               "csv, tab, dif, slk, sylk or clipboard (the clipboard text goes to standard output); FILE\n"
               "is replaced only when the export succeeds; --selected-rows numbers rows from 1; --header\n"
               "and --footer may be repeated, one line each; NAME is an HTML page's colours: classic,\n"
               "simple (the default), plain, murky, ms_money, colorful, gray, olive or bw.\n"
               "Exit status: 0 success, 1 connecting, the script or the export failed, 2 usage error or\n"
               "damaged package, 3 wrong password.\n");
}
// clang-format on

bool ParseBatchOptions(const QStringList& arguments, TBatchOptions& options, QString& error)
{
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        const auto value = [&](QString& target) {
            return TakeOptionValue(arguments, i, target, error);
        };
        if (argument == QLatin1String("--batch")) {
            continue;
        } else if (argument == QLatin1String("--sql-file")) {
            if (!value(options.sqlFile))
                return false;
        } else if (argument == QLatin1String("--alias")) {
            if (!value(options.alias))
                return false;
            options.aliasGiven = true;
        } else if (argument == QLatin1String("--save")) {
            if (!value(options.saveTable))
                return false;
            options.saveGiven = true;
        } else if (argument == QLatin1String("--password-file")) {
            if (!value(options.passwordFile))
                return false;
        } else if (argument == QLatin1String("--overwrite")) {
            options.overwrite = true;
        } else if (ParseExportArgument(arguments, i, options.exportOptions, error)) {
            if (!error.isEmpty())
                return false;
        } else if (!argument.startsWith(QLatin1Char('-')) && options.file.isEmpty()) {
            options.file = argument;
        } else {
            error = QStringLiteral("unknown argument: ") + argument;
            return false;
        }
    }
    return CheckExportOptions(options.exportOptions, error);
}

int RunBatch(const QString& executable, const TBatchOptions& options, FILE* out)
{
    InteractionScope scope(
        std::make_unique<BatchInteraction>(options.overwrite, options.passwordFile));
    const TBatchSignals stopSignals([] { Session()->Interrupt(); });
    // Reported once, in place of the error the stopped statement raised.
    const auto interrupted = [&stopSignals] {
        Ui().ShowMessage(
            QStringLiteral("The run was interrupted by %1.").arg(stopSignals.CaughtName()));
        return exitFailed;
    };
    TStartUpState state;
    try {
        const TStartUpOutcome outcome = ReadStartUp(executable, options.file, state);
        if (outcome != TStartUpOutcome::Run)
            return ExitStatusFor(outcome);
    } catch (const std::exception& error) {
        Ui().ShowException(error); // an unreadable password file
        return exitUsage;
    }
    if (!options.sqlFile.isEmpty() && !ReplaceScript(state, options.sqlFile))
        return exitUsage;
    if (options.aliasGiven)
        state.alias = options.alias;

    SetApplicationTitle(QStringLiteral("Tessaly Query"));
    // The window is made inside the guard: making it reads the engine's
    // configuration, which may be impossible to create (a read-only folder).
    std::unique_ptr<TformMain> form;
    try {
        form = std::make_unique<TformMain>();
        form->SetScriptInEditor(false);
        // Printed, the result needs no grid or model, so memory does not grow
        // with its rows; an export reads it through the grid, as the window's does.
        if (!options.exportOptions.given)
            form->findChild<TDataSource*>(QStringLiteral("DataSource1"))->SetDataSet(nullptr);
        HandOver(*form, state);
    } catch (const std::exception& error) {
        Ui().ShowException(error);
        return exitFailed;
    }
    if (stopSignals.Caught())
        return interrupted();
    if (!form->Database()->Connected())
        return exitFailed;
    try {
        form->ExecuteSQL();
    } catch (const std::exception& error) {
        if (stopSignals.Caught())
            return interrupted();
        Ui().ShowException(error);
        return exitFailed;
    }
    if (stopSignals.Caught())
        return interrupted();
    if (QString error;
        !CheckSelectedRows(options.exportOptions, form->Query()->RecordCount(), error)) {
        fprintf(stderr, "tessaly-query: %s\n", error.toLocal8Bit().constData());
        return exitUsage;
    }
    int status = exitOk;
    if (options.saveGiven) {
        form->findChild<QLineEdit*>(QStringLiteral("editTableName"))->setText(options.saveTable);
        try {
            if (!form->SaveTable())
                status = exitFailed;
        } catch (const std::exception& error) {
            Ui().ShowException(error);
            status = exitFailed;
        }
    }
    if (options.exportOptions.given)
        return status == exitOk ? RunBatchExport(*form, options.exportOptions) : status;
    try {
        WriteResult(form->Query(), out);
    } catch (const std::exception& error) {
        Ui().ShowException(error);
        status = exitFailed;
    }
    return stopSignals.Caught() ? interrupted() : status;
}
