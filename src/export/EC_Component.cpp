// The export component: its settings and setter rules, Execute and DoExport
// with their events, and the item walk shared by every data source.
#include "export/EC_Component.h"

#include "export/EC_Choice.h"
#include "export/EC_Strings.h"
#include "export/EC_Writer.h"
#include "platform/Interaction.h"
#include "platform/core/Exceptions.h"
#include "platform/core/StoreChange.h"

#include <QApplication>
#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>
#include <QWidget>

// ---- The component ----

namespace {

// How long a viewer has to take the front before the window steps aside.
constexpr int kViewerMoment = 250; // milliseconds

} // namespace

TExportXComponent::TExportXComponent(QObject* owner)
    : QObject(owner), printOptions_(new TPrint_Options(this)), xlOptions_(new TXL_Options(this)),
      rtfOptions_(new TRTF_Options(this))
{
    // The application's activation brings back a window minimised for a viewer.
    if (auto* app = qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
        connect(app, &QGuiApplication::applicationStateChanged, this,
                [this](Qt::ApplicationState state) {
                    if (state == Qt::ApplicationActive)
                        RestoreAfterViewer();
                });
    }
}

TExportXComponent::~TExportXComponent() = default;

void TExportXComponent::NoRun()
{
    throw Exception(QStringLiteral("No export is running."));
}

// A viewer that got the output needs the front: when this program still has
// it a moment later, the window steps aside until the user comes back. The
// moment ends early when the desktop takes the front away (the viewer came
// up), and the window keeps painting meanwhile.
void TExportXComponent::StepAsideForViewer()
{
    auto* app = qobject_cast<QApplication*>(QCoreApplication::instance());
    if (!app)
        return;
    QEventLoop moment;
    QTimer::singleShot(kViewerMoment, &moment, &QEventLoop::quit);
    connect(app, &QGuiApplication::applicationStateChanged, &moment,
            [&moment](Qt::ApplicationState state) {
                if (state != Qt::ApplicationActive)
                    moment.quit();
            });
    moment.exec(QEventLoop::ExcludeUserInputEvents);
    QCoreApplication::processEvents();
    auto* owner = qobject_cast<QWidget*>(parent());
    QWidget* active = QApplication::activeWindow();
    if (active && (owner == nullptr || active == owner->window())) {
        active->showMinimized();
        minimizedForViewer_ = true;
    }
}

void TExportXComponent::RestoreAfterViewer()
{
    if (!minimizedForViewer_)
        return;
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (window->isMinimized())
            window->showNormal();
    }
    minimizedForViewer_ = false;
}

void TExportXComponent::SetOptions(TExportOptions options)
{
    StoreChange(options_, options & ~unsupportedOptions_);
}

void TExportXComponent::SetColWidths(const QStringList& lines)
{
    colWidths_ = WithoutTrailingBlankLines(lines);
}

void TExportXComponent::SetHTML_CustomTemplate(const QString& value)
{
    if (value.trimmed().isEmpty()) {
        htmlCustomTemplate_.clear();
        return;
    }
    const qsizetype count = value.count(QLatin1Char(';'));
    if (count != 10)
        throw Exception(
            QStringLiteral("Invalid Template! Please correct it.\r\n\r\nYou should have "
                           "\"%1\" semicolons but instead you have \"%2\"")
                .arg(10)
                .arg(count));
    htmlCustomTemplate_ = value;
}

QStringList TExportXComponent::GetAllowedTypeNames() const
{
    QStringList names;
    for (int i = 0; i < kExportTypeLimit; ++i) {
        if (allowedTypes_.testFlag(TypeFlag(TExportType(i))))
            names << ExportTypeName(TExportType(i));
    }
    return names;
}

QString TExportXComponent::GetColumnCaption(int index)
{
    if (index >= 0 && index < captions_.size())
        return captions_.at(index);
    return GetDefaultCaption(index);
}

int TExportXComponent::GetDisplayWidth(int index)
{
    const size_t at = size_t(index + (options_.testFlag(NumberRows) ? 1 : 0));
    const TExportColumns& columns = Run().ColumnList;
    const int length = at < columns.size() ? int(columns[at].Caption.size()) : 0;
    return length + Run().ColumnPadding;
}

bool TExportXComponent::HasExportableColumns()
{
    TExportColumns columns;
    GetColumns(columns);
    for (const TExportColumn& column : columns) {
        if (IsNotBlank(column.Caption))
            return true;
    }
    Ui().MessageDlg(
        LoadStr(sNoData) +
            QStringLiteral("\r\n\r\nPlease ensure your columns are visible and have data."),
        mtWarning, mbOK);
    return false;
}

void TExportXComponent::GetItem(TExportValues& values)
{
    TExportRun& run = Run();
    if (!(run.OpenItemCount == 0 && options_.testFlag(ExportAllWhenNoneSelected))) {
        while (options_.testFlag(SelectedRowsOnly) && !IsCurrentItemSelected())
            SkipItem();
    }
    values.Clear();
    // The item number goes first; its slot is taken before the values.
    if (options_.testFlag(NumberRows))
        values.Add();
    GetItemValues(values);
    ++run.NumItemsExported;
    if (options_.testFlag(NumberRows))
        values[0].Value = QString::number(run.NumItemsExported);
}

bool TExportXComponent::ForEachItem(TExportValues& values, bool /*textBytes*/,
                                    const TItemWriter& write)
{
    FirstItem();
    while (HasMoreItems()) {
        GetItem(values);
        if (!write(values))
            return false;
    }
    return true;
}

void TExportXComponent::FireFailed()
{
    if (OnExportFailed)
        OnExportFailed(this);
}

bool TExportXComponent::Execute()
{
    bool result = false;
    if (CanExport()) {
        TExportChoiceForm choice(qobject_cast<QWidget*>(parent()));
        choice.SelectedType = lastExportType_;
        choice.ItemTotal = GetItemCount();
        choice.SetTypeNames(GetAllowedTypeNames());
        if (Ui().ExecDialog(choice) == QDialog::Accepted) {
            viewOnly_ = choice.ViewChoice;
            exportFile_.clear();
            lastExportType_ = exportType_ = choice.SelectedType;
            result = DoExport();
        }
    }
    if (!result)
        FireFailed();
    return result;
}

bool TExportXComponent::DoExport()
{
    bool result = false;
    struct FailedGuard
    {
        TExportXComponent* self;
        const bool& result;
        ~FailedGuard()
        {
            if (!result)
                self->FireFailed();
        }
    } failedGuard{this, result};

    if (!CanExport())
        return false;
    struct ClearFileGuard
    {
        QString& file;
        ~ClearFileGuard() { file.clear(); }
    } clearFile{exportFile_};
    QCoreApplication::processEvents();
    const bool viewOnly = exportType_ == xClipboard || viewOnly_;
    if (!viewOnly && IsBlank(exportFile_)) {
        const QString name = ExportTypeName(exportType_);
        const QString ext = ExportTypeExt(exportType_);
        TSaveFileRequest request;
        request.title = QStringLiteral("Export to %1 File").arg(name);
        request.filter = QStringLiteral("%1 files (*.%2)|*.%2|All Files (*.*)|*.*").arg(name, ext);
        request.defaultExtension = ext;
        QString chosen;
        if (!Ui().PromptForSaveFile(request, chosen))
            return false;
        exportFile_ = chosen;
    }
    const QString target = viewOnly ? QString() : exportFile_;
    const TExportRunScope run(*this);
    Run().ItemCount = GetItemCount();
    std::unique_ptr<TCustomExport> writer = CreateExportWriter(this, exportType_, target);
    if (OnBeginExport)
        OnBeginExport(this);
    // The output is handed on whatever the outcome, also when the run raised.
    try {
        result = writer->Run();
    } catch (...) {
        writer->DeliverOutput();
        throw;
    }
    writer->DeliverOutput();
    const bool viewed = writer->HandedToViewer();
    writer.reset(); // closes the progress dialog; a file not put in place is removed
    if (viewed)
        StepAsideForViewer();
    if (result && OnExportFinished)
        OnExportFinished(this);
    return result;
}
