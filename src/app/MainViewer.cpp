#include "app/MainViewer.h"

#include "app/BlockingRun.h"
#include "app/BusyIndicator.h"
#include "app/ExportSettings.h"
#include "app/QueryRunner.h"
#include "app/StartUp.h"
#include "dbctrls/DBGrid.h"
#include "dbctrls/DBNavigator.h"
#include "engine/DataSet.h"
#include "export/EC_DBGrid.h"
#include "platform/Interaction.h"
#include "query/enhquery.h"

#include <QComboBox>
#include <QEvent>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QTabBar>
#include <QTabWidget>
#include <QVBoxLayout>
#include <exception>

namespace {

const QString kDefaultDescription =
    QStringLiteral("To execute the attached query, click the \"Execute SQL\" button \n"
                   "below.\n"
                   "\n"
                   "If you would like to view the SQL, click the \"View SQL\" button.");

// The editors hold lines separated by line feeds; package texts use CR LF.
QString EditorText(const QString& text)
{
    QString lines = text;
    lines.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    lines.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return lines;
}

// Runs a handler's work; a failure goes to the application's error report.
template <typename Work> void Reported(Work work)
{
    try {
        work();
    } catch (const std::exception& error) {
        Ui().ShowException(error);
    }
}

QFrame* Panel(QWidget* parent, const QString& name)
{
    auto* panel = new QFrame(parent);
    panel->setObjectName(name);
    panel->setFrameShape(QFrame::NoFrame);
    return panel;
}

} // namespace

TformMain::TformMain(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("formMain"));
    setWindowTitle(QStringLiteral("Tessaly SQL Lantern"));
    CreateComponents();

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 6, 6, 0);
    layout->setSpacing(0);
    PageControl1 = new QTabWidget(this);
    PageControl1->setObjectName(QStringLiteral("PageControl1"));
    tabDesc = CreateDescriptionPage();
    tabSQL = CreateSQLPage();
    tabResults = CreateResultsPage();
    CreateExportGrid();
    PageControl1->addTab(tabDesc, QStringLiteral("Description"));
    PageControl1->addTab(tabSQL, QStringLiteral("SQL"));
    PageControl1->addTab(tabResults, QStringLiteral("Results"));
    layout->addWidget(PageControl1, 1);
    layout->addWidget(CreateBottomPanel());

    resize(425, 357);
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect frame(QPoint(), size());
        frame.moveCenter(screen->availableGeometry().center());
        move(frame.topLeft());
    }
    FormCreate();
}

// The runner, the first child, goes first: the answer's file is gone before
// the grid that shows it.
TformMain::~TformMain() = default;

void TformMain::CreateComponents()
{
    runner_ = new QueryRunner(this);
    // The script runs off the GUI thread while the window keeps painting.
    runner_->SetWorkRunner([this](const std::function<void()>& work) {
        RunBlocking(this, btnCancel, work, &QueryRunner::Interrupt);
    });

    DataSource1 = new TDataSource(this);
    DataSource1->setObjectName(QStringLiteral("DataSource1"));
    DataSource1->SetDataSet(runner_->Query());
}

QWidget* TformMain::CreateDescriptionPage()
{
    auto* page = new QWidget;
    page->setObjectName(QStringLiteral("tabDesc"));
    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(8, 8, 8, 8);
    memoDesc = new QPlainTextEdit(page);
    memoDesc->setObjectName(QStringLiteral("memoDesc"));
    memoDesc->setReadOnly(true);
    memoDesc->setFrameShape(QFrame::NoFrame);
    memoDesc->setPlainText(kDefaultDescription);
    QPalette palette = memoDesc->palette();
    palette.setColor(QPalette::Base, palette.color(QPalette::Button));
    memoDesc->setPalette(palette);
    QFont font = memoDesc->font();
    font.setPixelSize(13);
    memoDesc->setFont(font);
    memoDesc->viewport()->installEventFilter(this);
    layout->addWidget(memoDesc);
    return page;
}

QWidget* TformMain::CreateSQLPage()
{
    auto* page = new QWidget;
    page->setObjectName(QStringLiteral("tabSQL"));
    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->setSpacing(4);

    pnlSQLTop = Panel(page, QStringLiteral("pnlSQLTop"));
    auto* top = new QHBoxLayout(pnlSQLTop);
    top->setContentsMargins(2, 2, 2, 2);
    Label1 = new QLabel(QStringLiteral("Alias:"), pnlSQLTop);
    Label1->setObjectName(QStringLiteral("Label1"));
    cbAliases = new QComboBox(pnlSQLTop);
    cbAliases->setObjectName(QStringLiteral("cbAliases"));
    cbAliases->setEditable(false);
    cbAliases->setMinimumContentsLength(18);
    Label1->setBuddy(cbAliases);
    top->addWidget(Label1);
    top->addWidget(cbAliases, 1);
    layout->addWidget(pnlSQLTop);

    memoSQL = new QPlainTextEdit(page);
    memoSQL->setObjectName(QStringLiteral("memoSQL"));
    memoSQL->setLineWrapMode(QPlainTextEdit::NoWrap);
    memoSQL->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    memoSQL->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    memoSQL->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    layout->addWidget(memoSQL, 1);
    return page;
}

// The grid-bound export component with the settings of the results page.
void TformMain::CreateExportGrid()
{
    ExportGrid = new TExportDBGrid(this);
    ExportGrid->setObjectName(QStringLiteral("ExportGrid"));
    ExportGrid->SetDBGrid(DBGrid1);
    ApplyResultsExportSettings(*ExportGrid);
}

QWidget* TformMain::CreateResultsPage()
{
    auto* page = new QWidget;
    page->setObjectName(QStringLiteral("tabResults"));
    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->setSpacing(4);

    DBGrid1 = new TDBGrid(page);
    DBGrid1->setObjectName(QStringLiteral("DBGrid1"));
    DBGrid1->SetDataSource(DataSource1);
    layout->addWidget(DBGrid1, 1);

    Panel1 = Panel(page, QStringLiteral("Panel1"));
    auto* row = new QHBoxLayout(Panel1);
    row->setContentsMargins(0, 2, 0, 2);
    DBNavigator1 = new TDBNavigator(Panel1);
    DBNavigator1->setObjectName(QStringLiteral("DBNavigator1"));
    DBNavigator1->SetDataSource(DataSource1);
    editTableName = new QLineEdit(QStringLiteral("NewTable"), Panel1);
    editTableName->setObjectName(QStringLiteral("editTableName"));
    editTableName->setMinimumWidth(90);
    btnSave = new QPushButton(QStringLiteral("Save"), Panel1);
    btnSave->setObjectName(QStringLiteral("btnSave"));
    btnExport = new QPushButton(QStringLiteral("Export"), Panel1);
    btnExport->setObjectName(QStringLiteral("btnExport"));
    row->addWidget(DBNavigator1);
    row->addStretch(1);
    row->addWidget(editTableName);
    row->addWidget(btnSave);
    row->addWidget(btnExport);
    layout->addWidget(Panel1);

    connect(btnSave, &QPushButton::clicked, this, &TformMain::btnSaveClick);
    connect(btnExport, &QPushButton::clicked, this, &TformMain::btnExportClick);
    return page;
}

QWidget* TformMain::CreateBottomPanel()
{
    pnlBottom = Panel(this, QStringLiteral("pnlBottom"));
    auto* row = new QHBoxLayout(pnlBottom);
    row->setContentsMargins(2, 8, 2, 8);
    Animate1 = new TBusyIndicator(pnlBottom);
    Animate1->setObjectName(QStringLiteral("Animate1"));
    Animate1->SetStopFrame(8);
    Animate1->hide();
    btnCancel = new QPushButton(QStringLiteral("Cancel"), pnlBottom);
    btnCancel->setObjectName(QStringLiteral("btnCancel"));
    btnCancel->setToolTip(QStringLiteral("Stop the running query (Esc)"));
    btnCancel->hide();
    btnChangeTab = new QPushButton(QStringLiteral("View/Edit SQL"), pnlBottom);
    btnChangeTab->setObjectName(QStringLiteral("btnChangeTab"));
    btnExecute = new QPushButton(QStringLiteral("Execute SQL"), pnlBottom);
    btnExecute->setObjectName(QStringLiteral("btnExecute"));
    btnExecute->setEnabled(false);
    btnExecute->setDefault(true);
    row->addWidget(Animate1);
    row->addWidget(btnCancel);
    row->addStretch(1);
    row->addWidget(btnChangeTab);
    row->addWidget(btnExecute);

    connect(btnChangeTab, &QPushButton::clicked, this, &TformMain::btnChangeTabClick);
    connect(btnExecute, &QPushButton::clicked, this, &TformMain::btnExecuteClick);
    connect(btnCancel, &QPushButton::clicked, this, [] { QueryRunner::Interrupt(); });
    return pnlBottom;
}

void TformMain::FormCreate()
{
    setWindowTitle(QStringLiteral("Tessaly SQL Lantern  --  Ver. 2000 SR-4"));
    PageControl1->tabBar()->hide();
    PageControl1->setCurrentWidget(tabDesc);
    FillAliasList();
}

void TformMain::FillAliasList()
{
    cbAliases->clear();
    cbAliases->addItems(runner_->AliasList());
}

bool TformMain::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == memoDesc->viewport() && event->type() == QEvent::Resize)
        FitDefaultDescription();
    return QWidget::eventFilter(watched, event);
}

// The default description's lines are written to be read as lines; where the
// desktop's font is wider than they were written for, its letters are narrowed
// (the font keeps its height) until the longest line fits.
void TformMain::FitDefaultDescription()
{
    QFont font = memoDesc->font();
    const int current = font.stretch();
    int stretch = 100;
    if (memoDesc->toPlainText() == kDefaultDescription) {
        const int room =
            memoDesc->viewport()->width() - 2 * int(memoDesc->document()->documentMargin()) - 2;
        const auto widest = [&](int factor) {
            font.setStretch(factor);
            const QFontMetrics metrics(font);
            int width = 0;
            for (const QString& line : kDefaultDescription.split(QLatin1Char('\n')))
                width = qMax(width, metrics.horizontalAdvance(line));
            return width;
        };
        // Glyph advances are rounded, so the width does not shrink in exact
        // proportion: narrow step by step.
        while (stretch > 60 && room > 0 && widest(stretch) > room)
            --stretch;
    }
    if (current != stretch && !(stretch == 100 && current == QFont::AnyStretch)) {
        font.setStretch(stretch);
        memoDesc->setFont(font);
    }
}

void TformMain::HandOver(const TStartUpState& state)
{
    SetTitle(state.title);
    if (!state.packageFile.isEmpty())
        setWindowTitle(PackageFileCaption(windowTitle(), state.packageFile));
    SetDescription(state.description);
    SetSQL(state.sql);
    SetAlias(state.alias);
    SetShowResults(state.showResults);
    SetSQLEditable(state.sqlEditable);
}

void TformMain::SetTitle(const QString& text)
{
    if (!text.isEmpty())
        setWindowTitle(text);
}

void TformMain::SetDescription(const QString& text)
{
    if (!text.isEmpty()) {
        memoDesc->setPlainText(EditorText(text));
        FitDefaultDescription();
    }
}

void TformMain::SetSQL(const QString& text)
{
    memoSQL->setPlainText(EditorText(text));
}

void TformMain::SetSQLEditable(bool editable)
{
    memoSQL->setReadOnly(!editable);
    btnChangeTab->setText(editable ? QStringLiteral("View/Edit SQL") : QStringLiteral("View SQL"));
}

const QString& TformMain::CurrentAlias() const
{
    return runner_->CurrentAlias();
}
bool TformMain::SavedBefore() const
{
    return runner_->SavedBefore();
}
TEnhMultiQuery* TformMain::Query() const
{
    return runner_->Query();
}
TTessalyDatabase* TformMain::Database() const
{
    return runner_->Database();
}

void TformMain::SetAlias(const QString& name)
{
    if (!runner_->SetAlias(name)) {
        btnExecute->setEnabled(false);
        return;
    }
    cbAliases->setCurrentIndex(cbAliases->findText(runner_->CurrentAlias(), Qt::MatchFixedString));
    btnExecute->setEnabled(runner_->Connected());
}

void TformMain::btnChangeTabClick()
{
    if (PageControl1->currentWidget() == tabDesc) {
        btnChangeTab->setText(QStringLiteral("View Description"));
        PageControl1->setCurrentWidget(tabSQL);
    } else {
        btnChangeTab->setText(memoSQL->isReadOnly() ? QStringLiteral("View SQL")
                                                    : QStringLiteral("View/Edit SQL"));
        PageControl1->setCurrentWidget(tabDesc);
    }
}

void TformMain::btnExecuteClick()
{
    Reported([this] { ExecuteSQL(); });
}
void TformMain::btnSaveClick()
{
    Reported([this] { SaveTable(); });
}
void TformMain::btnExportClick()
{
    Reported([this] { ExportGrid->Execute(); });
}

void TformMain::ExecuteSQL()
{
    const auto stopAnimation = [this] {
        Animate1->SetActive(false);
        Animate1->hide();
        btnCancel->hide();
    };
    Animate1->show();
    Animate1->SetActive(true);
    btnCancel->show();
    btnExecute->setEnabled(false);
    btnChangeTab->setEnabled(false);
    try {
        runner_->Execute(memoSQL->toPlainText());
    } catch (...) {
        stopAnimation();
        throw;
    }
    if (showResults_) {
        pnlBottom->hide();
        PageControl1->setCurrentWidget(tabResults);
    }
    stopAnimation();
}

bool TformMain::SaveTable()
{
    return runner_->Save(editTableName->text());
}
