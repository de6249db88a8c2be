#include "app/BatchMode.h"

#include "app/BatchInteraction.h"
#include "app/BatchSignals.h"
#include "app/CheckedOutput.h"
#include "app/QueryRunner.h"
#include "app/StartUp.h"
#include "app/WorkerRun.h"
#include "engine/DataSet.h"
#include "engine/DisplayFormat.h"
#include "platform/Interaction.h"
#include "platform/core/ByteAppend.h"
#include "platform/core/Exceptions.h"
#include "platform/core/OrderedPieces.h"
#include "query/enhquery.h"

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

// The tabs and line ends among bytes; a loop the compiler runs many bytes at a time.
qsizetype SeparatorCount(const char* bytes, qsizetype size)
{
    qsizetype count = 0;
    for (qsizetype i = 0; i < size; ++i)
        count += (bytes[i] == '\t') | (bytes[i] == '\r') | (bytes[i] == '\n');
    return count;
}

// One record as a line of tab-separated output, its end included.
void AppendLine(const TRecordTexts& record, const QList<TField*>& fields, QByteArray& lines)
{
    const qsizetype row = lines.size();
    for (qsizetype i = 0; i < fields.size(); ++i) {
        if (i)
            AppendByte(lines, '\t');
        record.AppendDisplayText(*fields[i], lines);
    }
    // Values seldom hold separators: the line is looked over once, and
    // made again value by value only when there are more than its own.
    if (SeparatorCount(lines.constData() + row, lines.size() - row) != fields.size() - 1) {
        lines.truncate(row);
        for (qsizetype i = 0; i < fields.size(); ++i) {
            if (i)
                AppendByte(lines, '\t');
            const qsizetype start = lines.size();
            record.AppendDisplayText(*fields[i], lines);
            BlankSeparators(lines, start);
        }
    }
    AppendByte(lines, '\n');
}

// Walks the result once, straight from its stored rows; no cursor moves, so
// no bound control follows the walk. A large result is written in pieces
// made on every core, in order. Every write is checked.
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
    for (qsizetype i = 0; i < fields.size(); ++i) {
        if (i)
            AppendByte(lines, '\t');
        const qsizetype start = lines.size();
        AppendUtf8(lines, fields[i]->DisplayLabel());
        BlankSeparators(lines, start);
    }
    AppendByte(lines, '\n');
    const qint64 records = dataSet->RecordCount();
    if (WorthPieces(records) && dataSet->WalksRangesOnAnyThread()) {
        WriteOutput(out, lines);
        MakePiecesInOrder((records + kRecordsPerPiece - 1) / kRecordsPerPiece, PieceWorkers(),
                          [&](qint64 piece, QByteArray& made) {
                              dataSet->ForEachRecordIn(piece * kRecordsPerPiece, kRecordsPerPiece,
                                                       [&](const TRecordTexts& record) {
                                                           AppendLine(record, fields, made);
                                                       });
                          },
                          [&](const QByteArray& made) { WriteOutput(out, made); });
        FlushOutput(out);
        return;
    }
    dataSet->ForEachRecord([&](const TRecordTexts& record) {
        AppendLine(record, fields, lines);
        if (lines.size() >= (1 << 16)) {
            WriteOutput(out, lines);
            lines.truncate(0);
        }
    });
    WriteOutput(out, lines);
    FlushOutput(out);
}

} // namespace

int RunBatch(const QString& executable, const TBatchOptions& options, FILE* out)
{
    InteractionScope scope(
        std::make_unique<BatchInteraction>(options.overwrite, options.passwordFile));
    const TBatchSignals stopSignals([] { QueryRunner::Interrupt(); });
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
    // The runner is made inside the guard: making it reads the engine's
    // configuration, which may be impossible to create (a read-only folder).
    std::unique_ptr<QueryRunner> runner;
    try {
        runner = std::make_unique<QueryRunner>();
        // The work runs beside an event loop, so a caught signal reaches the engine.
        runner->SetWorkRunner(&RunOnWorker);
        runner->SetAlias(state.alias);
    } catch (const std::exception& error) {
        Ui().ShowException(error);
        return exitFailed;
    }
    if (stopSignals.Caught())
        return interrupted();
    if (!runner->Connected())
        return exitFailed;
    try {
        runner->Execute(state.sql);
    } catch (const std::exception& error) {
        if (stopSignals.Caught())
            return interrupted();
        Ui().ShowException(error);
        return exitFailed;
    }
    if (stopSignals.Caught())
        return interrupted();
    if (QString error;
        !CheckSelectedRows(options.exportOptions, runner->Query()->RecordCount(), error)) {
        fprintf(stderr, "tessaly-query: %s\n", error.toLocal8Bit().constData());
        return exitUsage;
    }
    int status = exitOk;
    if (options.saveGiven) {
        try {
            if (!runner->Save(options.saveTable))
                status = exitFailed;
        } catch (const std::exception& error) {
            Ui().ShowException(error);
            status = exitFailed;
        }
    }
    if (options.exportOptions.given)
        return status == exitOk ? RunBatchExport(runner->Query(), options.exportOptions, out)
                                : status;
    try {
        WriteResult(runner->Query(), out);
    } catch (const std::exception& error) {
        Ui().ShowException(error);
        status = exitFailed;
    }
    return stopSignals.Caught() ? interrupted() : status;
}
