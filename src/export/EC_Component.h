// The export component TExportXComponent: its published settings and their
// setter rules, Execute and DoExport with their events, and the data-source
// operations its descendants implement.
#pragma once

#include "export/EC_Items.h"
#include "export/EC_Options.h"
#include "export/EC_TextUtils.h"
#include "export/EC_Types.h"

#include <QObject>
#include <QStringList>
#include <functional>
#include <optional>

// The state of one export, from the item count taken at its start to the
// formatted footer. The component holds one only while an export runs
// (TExportRunScope), so nothing of a run is left over for the next.
struct TExportRun
{
    // The columns, with the item number first when rows are numbered.
    TExportColumns ColumnList;
    // The footer lines filled with the item count, set at the end.
    QStringList FormattedFooter;
    // Items fetched so far: the 1-based number of the current item.
    int NumItemsExported = 0;
    // Items expected, from GetItemCount at the start; negative: unknown.
    int ItemCount = 0;
    // GetItemCount when the source was opened (the selection rules use it).
    int OpenItemCount = 0;
    // Added to caption lengths by the default GetDisplayWidth; set by the writer.
    int ColumnPadding = 0;
};

// Settings stream under their names; a "<name>.default" class info gives the
// value a stream leaves out.
class TExportXComponent : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("ViewOnly.default", "true")
    Q_CLASSINFO("HTML_Template.default", "htSimple")
    Q_PROPERTY(ExportTypes::TExportOptions Options READ Options WRITE SetOptions)
    Q_PROPERTY(ExportTypes::THTML_Options HTML_Options READ HTML_Options WRITE SetHTML_Options)
    Q_PROPERTY(QString ExportFile READ ExportFile WRITE SetExportFile)
    Q_PROPERTY(QString Title READ Title WRITE SetTitle)
    Q_PROPERTY(QStringList Header READ Header WRITE SetHeader)
    Q_PROPERTY(QStringList Footer READ Footer WRITE SetFooter)
    Q_PROPERTY(bool ViewOnly READ ViewOnly WRITE SetViewOnly)
    Q_PROPERTY(ExportTypes::TExportType ExportType READ ExportType WRITE SetExportType)
    Q_PROPERTY(ExportTypes::TExportTypeSet AllowedTypes READ AllowedTypes WRITE SetAllowedTypes)
    Q_PROPERTY(QStringList Captions READ Captions WRITE SetCaptions)
    Q_PROPERTY(QString HTML_CustomTemplate READ HTML_CustomTemplate WRITE SetHTML_CustomTemplate)
    Q_PROPERTY(ExportTypes::THTML_Template HTML_Template READ HTML_Template WRITE SetHTML_Template)
    Q_PROPERTY(QString TruncateSymbol READ TruncateSymbol WRITE SetTruncateSymbol)
    Q_PROPERTY(TPrint_Options* Print_Options READ Print_Options)
    Q_PROPERTY(TXL_Options* XL_Options READ XL_Options)
    Q_PROPERTY(TRTF_Options* Word_RTF_Options READ Word_RTF_Options)
public:
    using TNotifyEvent = std::function<void(QObject* sender)>;
    using TWriteFooterEvent = std::function<void(QObject* sender, int numItemsExported)>;

    explicit TExportXComponent(QObject* owner = nullptr);
    ~TExportXComponent() override;

    // Choose format and destination in the choice dialog, then export.
    bool Execute();
    // Export with the current ExportType, ViewOnly and ExportFile.
    bool DoExport();
    bool HasExportableColumns();
    QStringList GetAllowedTypeNames() const;
    QString GetColumnCaption(int index);
    // After loading settings: the choice dialog preselects ExportType.
    void Loaded() { lastExportType_ = exportType_; }

    TExportOptions Options() const { return options_; }
    void SetOptions(TExportOptions options);
    THTML_Options HTML_Options() const { return htmlOptions_; }
    void SetHTML_Options(THTML_Options options) { htmlOptions_ = options; }
    const QString& ExportFile() const { return exportFile_; }
    void SetExportFile(const QString& file) { exportFile_ = file; }
    const QString& Title() const { return title_; }
    void SetTitle(const QString& title) { title_ = RemoveControlChars(title); }
    const QStringList& Header() const { return header_; }
    void SetHeader(const QStringList& lines) { header_ = WithoutTrailingBlankLines(lines); }
    const QStringList& Footer() const { return footer_; }
    void SetFooter(const QStringList& lines) { footer_ = WithoutTrailingBlankLines(lines); }
    bool ViewOnly() const { return viewOnly_; }
    void SetViewOnly(bool viewOnly) { viewOnly_ = viewOnly; }
    TExportType ExportType() const { return exportType_; }
    void SetExportType(TExportType type) { exportType_ = type; }
    TExportTypeSet AllowedTypes() const { return allowedTypes_; }
    void SetAllowedTypes(TExportTypeSet types) { allowedTypes_ = types; }
    const QStringList& Captions() const { return captions_; }
    void SetCaptions(const QStringList& lines) { captions_ = WithoutTrailingBlankLines(lines); }
    const QStringList& ColWidths() const { return colWidths_; }
    // Raises EConvertError for a line that is no positive integer; keeps the old value then.
    virtual void SetColWidths(const QStringList& lines);
    const QString& HTML_CustomTemplate() const { return htmlCustomTemplate_; }
    void SetHTML_CustomTemplate(const QString& value);
    THTML_Template HTML_Template() const { return htmlTemplate_; }
    void SetHTML_Template(THTML_Template value) { htmlTemplate_ = value; }
    const QString& TruncateSymbol() const { return truncateSymbol_; }
    void SetTruncateSymbol(const QString& symbol) { truncateSymbol_ = symbol.trimmed(); }
    TPrint_Options* Print_Options() const { return printOptions_; }
    void SetPrint_Options(const TPrint_Options& options) { printOptions_->Assign(options); }
    TXL_Options* XL_Options() const { return xlOptions_; }
    void SetXL_Options(const TXL_Options& options) { xlOptions_->Assign(options); }
    TRTF_Options* Word_RTF_Options() const { return rtfOptions_; }
    void SetWord_RTF_Options(const TRTF_Options& options) { rtfOptions_->Assign(options); }
    TExportOptions UnsupportedOptions() const { return unsupportedOptions_; }
    TExportType LastExportType() const { return lastExportType_; }

    TNotifyEvent OnBeginExport, OnExportFinished, OnExportFailed, OnPrintFailed;
    TWriteFooterEvent OnWriteFooter;
    // When assigned, the clipboard writers hand their plain text to it in
    // place of the desktop's clipboard (a program without a display has none).
    std::function<void(QObject* sender, const QString& text)> OnClipboardText;

    // The export in progress, read by the sources and the writers; raises
    // Exception when no export runs.
    TExportRun& Run()
    {
        if (!run_)
            NoRun();
        return *run_;
    }
    const TExportRun& Run() const
    {
        if (!run_)
            NoRun();
        return *run_;
    }
    // Set while the window is minimised for a viewer, until the program is
    // active again.
    bool MinimizedForViewer() const { return minimizedForViewer_; }

    // The data source, implemented by the descendants.
    virtual int GetDisplayWidth(int index);
    virtual void OpenSource() {}
    virtual void CloseSource() {}
    virtual QString GetDefaultCaption(int index) = 0;
    virtual int GetItemCount() = 0; // negative: unknown
    virtual bool IsCurrentItemSelected() { return true; }
    virtual void GetColumns(TExportColumns& columns) { columns.clear(); }
    virtual void FirstItem() { Run().NumItemsExported = 0; }
    virtual void SkipItem() {}
    virtual void GetItem(TExportValues& values);
    virtual void GetItemValues(TExportValues& values) = 0;
    virtual bool HasMoreItems() { return Run().NumItemsExported < Run().ItemCount; }
    virtual bool CanExport() = 0;
    // Hands every item in turn to write, from the first, until write returns
    // false; false when it did. The base asks FirstItem, HasMoreItems and
    // GetItem one by one; a source that reads its records in one pass does so.
    // textBytes: the writer takes text as bytes (TExportValue).
    using TItemWriter = std::function<bool(const TExportValues& values)>;
    virtual bool ForEachItem(TExportValues& values, bool textBytes, const TItemWriter& write);
    // The same walk in pieces made on several threads at once, for a writer
    // whose items are bytes of their own (TCustomExport::AppendsItemsAlone):
    // make turns each item into bytes on its piece's thread, take gets the
    // pieces in order (NumItemsExported counting their items) and returns
    // false to stop. Empty when this source walks its items only in order;
    // else whether the walk went to its end.
    using TItemMaker = std::function<void(const TExportValues& values, QByteArray& bytes)>;
    using TPieceTaker = std::function<bool(const QByteArray& bytes)>;
    virtual std::optional<bool> ForEachItemInPieces(bool /*textBytes*/, const TItemMaker& /*make*/,
                                                    const TPieceTaker& /*take*/)
    {
        return std::nullopt;
    }

protected:
    TExportOptions unsupportedOptions_;

private:
    friend class TExportRunScope;

    [[noreturn]] static void NoRun();
    void FireFailed();
    void StepAsideForViewer();
    void RestoreAfterViewer();

    TExportRun* run_ = nullptr;
    bool minimizedForViewer_ = false;

    TExportOptions options_ =
        NumberRows | ShowColHeaders | ShowClipboardMsg | ShowProgress | TimeStamp;
    THTML_Options htmlOptions_ = htColHeadersBold | htAutoLink | htOddRowColoring;
    QString exportFile_;
    QString title_;
    QStringList header_, footer_, captions_, colWidths_;
    bool viewOnly_ = true;
    TExportType exportType_ = xMicrosoft_Excel;
    TExportTypeSet allowedTypes_ = AllExportTypes();
    QString htmlCustomTemplate_;
    THTML_Template htmlTemplate_ = htSimple;
    QString truncateSymbol_ = QStringLiteral("-");
    TPrint_Options* printOptions_;
    TXL_Options* xlOptions_;
    TRTF_Options* rtfOptions_;
    TExportType lastExportType_ = xMicrosoft_Excel;
};

// Sits between the component and the dataset source; adds nothing.
class TSharewareExportComponent : public TExportXComponent
{
    Q_OBJECT
public:
    using TExportXComponent::TExportXComponent;
};

// Holds a run on the component for as long as it lives: DoExport makes one
// for each export, and so may a caller that drives a source by hand.
class TExportRunScope
{
public:
    explicit TExportRunScope(TExportXComponent& component)
        : component_(component), previous_(component.run_)
    {
        component.run_ = &run_;
    }
    ~TExportRunScope() { component_.run_ = previous_; }
    TExportRunScope(const TExportRunScope&) = delete;
    TExportRunScope& operator=(const TExportRunScope&) = delete;

private:
    TExportXComponent& component_;
    TExportRun* previous_;
    TExportRun run_;
};
