// The program's only window: the description of the query package, its SQL
// with the alias list, and the results page with the grid, Save and Export.
// Start-up hands it the package; everything else happens in its handlers.
#pragma once

#include <QWidget>

class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QTabWidget;
class TBusyIndicator;
class TDataSource;
class TDBGrid;
class TDBNavigator;
class TEnhMultiQuery;
class TExportDBGrid;
class TTessalyDatabase;
class QueryRunner;
struct TStartUpState;

class TformMain : public QWidget
{
    Q_OBJECT
public:
    explicit TformMain(QWidget* parent = nullptr);
    ~TformMain() override;

    // Start-up's handover, in its order: title, description, SQL, alias; then
    // the show-results switch, the editor's read-only state and the page-switch
    // caption. The caption names the package file a package came from. Raises
    // when connecting the database fails.
    void HandOver(const TStartUpState& state);

    // The handover's steps.
    void SetTitle(const QString& text);
    void SetDescription(const QString& text);
    void SetSQL(const QString& text);
    // Chooses the alias entry and connects the runner's database. Raises when
    // connecting fails.
    void SetAlias(const QString& name);
    bool ShowResults() const { return showResults_; }
    void SetShowResults(bool show) { showResults_ = show; }
    // Read-only SQL and the caption of the page switch that goes with it.
    void SetSQLEditable(bool editable);

    const QString& CurrentAlias() const;
    bool SavedBefore() const;

    // The command handlers' work, raising on failure; the buttons call them
    // through the application's error report. Execute returns normally after
    // "Query Executed". Save returns whether a table was saved.
    void ExecuteSQL();
    bool SaveTable();

    // The window's components.
    QueryRunner* Runner() const { return runner_; }
    TEnhMultiQuery* Query() const;
    TTessalyDatabase* Database() const;
    TExportDBGrid* Exporter() const { return ExportGrid; }
    TDBGrid* Grid() const { return DBGrid1; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

public slots:
    void btnChangeTabClick();
    void btnExecuteClick();
    void btnSaveClick();
    void btnExportClick();

private:
    void FormCreate();
    void CreateComponents();
    QWidget* CreateDescriptionPage();
    QWidget* CreateSQLPage();
    QWidget* CreateResultsPage();
    void CreateExportGrid();
    QWidget* CreateBottomPanel();
    void FillAliasList();
    void FitDefaultDescription();

    // Non-visual components: the runner holds the options store, the
    // database and the query.
    QueryRunner* runner_;
    TDataSource* DataSource1;
    TExportDBGrid* ExportGrid;

    // Visual components.
    QTabWidget* PageControl1;
    QWidget* tabDesc;
    QPlainTextEdit* memoDesc;
    QWidget* tabSQL;
    QFrame* pnlSQLTop;
    QLabel* Label1;
    QComboBox* cbAliases;
    QPlainTextEdit* memoSQL;
    QWidget* tabResults;
    TDBGrid* DBGrid1;
    TDBNavigator* DBNavigator1;
    QFrame* Panel1;
    QLineEdit* editTableName;
    QPushButton* btnSave;
    QPushButton* btnExport;
    QFrame* pnlBottom;
    QPushButton* btnExecute;
    QPushButton* btnChangeTab;
    TBusyIndicator* Animate1;
    QPushButton* btnCancel;

    bool showResults_ = false;
};
