// The writer base: the pipeline that walks the source's columns and items
// into the four writer operations, and the progress dialog beside it.
#include "export/EC_Writer.h"

#include "export/EC_Footer.h"
#include "export/EC_Strings.h"
#include "export/XProgress.h"
#include "platform/CursorGuard.h"
#include "platform/Interaction.h"
#include "platform/core/Exceptions.h"
#include "platform/core/RegionalSettings.h"

#include <QCoreApplication>
#include <QWidget>

TCustomExport::TCustomExport(TExportXComponent* source, TExportType exportType,
                             const QString& fileName)
    : Source(source), ExportType(exportType), FileName(fileName),
      decimalSeparator_(Regional::DecimalSeparator()),
      thousandSeparator_(Regional::ThousandSeparator()),
      dateTimeReading_(TDateTimeReading::Current())
{
    if (!source->CanExport())
        throw EAbort();
    source->Run().ColumnPadding = 1;
    FileExt = ExportTypeExt(exportType);
    ToFile = IsNotBlank(fileName);
    if (source->Options().testFlag(ShowProgress))
        progressForm_ = CreateProgressForm(LoadStr(sExporting), QString(), LoadStr(sElapsed),
                                           source->Run().ItemCount);
}

TCustomExport::~TCustomExport() = default;

void TCustomExport::ReleaseProgressForm()
{
    if (progressForm_)
        progressForm_->close();
    progressForm_.reset();
}

bool TCustomExport::Run()
{
    QCoreApplication::processEvents();
    bool result = false;
    if (!Source->CanExport())
        return false;
    TExportRun& run = Source->Run();
    Source->GetColumns(run.ColumnList);
    if (Source->Options().testFlag(NumberRows))
        run.ColumnList.insert(run.ColumnList.begin(), TExportColumn{LoadStr(sItemCaption), {}});

    const CursorGuard busy;
    QWidget* owner = Source->Options().testFlag(ShowProgress)
                         ? qobject_cast<QWidget*>(Source->parent())
                         : nullptr;
    if (owner)
        owner->setEnabled(false);
    // Runs on every way out: cancel, a reported error, or an exception from OpenSource.
    struct Cleanup
    {
        TCustomExport* self;
        QWidget* owner;
        const bool& result;
        ~Cleanup()
        {
            self->Source->CloseSource();
            if (owner)
                owner->setEnabled(true);
            self->succeeded_ = result;
        }
    } cleanup{this, owner, result};

    Source->OpenSource();
    try {
        TExportValues values;
        WriteHeader(run.ColumnList);
        const auto progressed = [this, &run] {
            return !progressForm_ || progressForm_->UpdateProgress(run.NumItemsExported);
        };
        std::optional<bool> walked;
        if (AppendsItemsAlone()) {
            PrepareItems();
            walked = Source->ForEachItemInPieces(
                TakesTextBytes(),
                [this](const TExportValues& item, QByteArray& bytes) { AppendItem(item, bytes); },
                [this, &progressed](const QByteArray& bytes) {
                    WriteItemsMade(bytes);
                    return progressed();
                });
            // Left as the last item leaves it; the items were made meanwhile.
            if (walked)
                ItemIndex = run.NumItemsExported;
        }
        if (!walked)
            walked = Source->ForEachItem(values, TakesTextBytes(),
                                         [this, &run, &progressed](const TExportValues& item) {
                                             WriteItem(item, run.NumItemsExported);
                                             return progressed();
                                         });
        const bool cancelled = !*walked;
        if (!cancelled) {
            if (progressForm_)
                progressForm_->ShowFinalProgress(run.NumItemsExported);
            WriteFooter();
            FinishOutput();
            result = true;
        }
    } catch (const std::exception& error) {
        ShowExportError(&error);
        ReleaseProgressForm();
        result = false;
    }
    return result;
}

void TCustomExport::WriteHeader(const TExportColumns& columns)
{
    if (progressForm_)
        progressForm_->show();
    Columns = columns;
    ColumnWidths.assign(columns.size(), 0);
    for (size_t i = 0; i < columns.size(); ++i)
        ColumnWidths[i] = int(columns[i].Caption.size());
}

void TCustomExport::WriteItem(const TExportValues& values, int itemIndex)
{
    ItemIndex = itemIndex;
    const int count = qMin(values.Count(), int(ColumnWidths.size()));
    for (int i = 0; i < count; ++i) {
        int& width = ColumnWidths[size_t(i)];
        // Bytes are at least as many as characters: a short one cannot widen.
        if (values[i].InBytes && values[i].Utf8.size() <= width)
            continue;
        width = qMax(width, int(values[i].TextLength()));
    }
}

// The event runs first, so a handler may still change the footer.
void TCustomExport::WriteFooter()
{
    TExportRun& run = Source->Run();
    if (Source->OnWriteFooter)
        Source->OnWriteFooter(Source, run.NumItemsExported);
    const QString footer = ListText(Source->Footer());
    run.FormattedFooter =
        FormatFooter(footer, double(run.NumItemsExported)).split(QStringLiteral("\r\n"));
    if (!run.FormattedFooter.isEmpty() && run.FormattedFooter.constLast().isEmpty())
        run.FormattedFooter.removeLast();
}

void TCustomExport::ShowExportError(const std::exception* error)
{
    QString text = LoadStr(sExportFailed);
    if (error)
        text += QLatin1Char('\r') + ExceptionMessage(*error);
    Ui().MessageDlg(text, mtError, mbOK);
}
