// Execute and Save in the window: messages, pages, buttons, the tables they
// leave, and the interruption of a running script.
#include "AppFixture.h"

#include "app/MainViewer.h"
#include "engine/DataSet.h"
#include "export/EC_DBGrid.h"
#include "query/enhquery.h"
#include "store/TessalyDB.h"

#include <QComboBox>
#include <QDialog>
#include <QFile>
#include <QKeyEvent>
#include <QRadioButton>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QTimer>

namespace {

class ExecuteSaveTest : public AppTest
{
protected:
    void SetUp() override
    {
        AppTest::SetUp();
        folder_ = MakeOrdersDatabase();
        WriteAliases({{QStringLiteral("KIVData3"), folder_}});
        form_ = std::make_unique<TformMain>();
        form_->SetAlias(QStringLiteral("KIVData3"));
        ASSERT_TRUE(form_->Database()->Connected());
        ui->Clear();
    }
    void TearDown() override
    {
        form_.reset();
        AppTest::TearDown();
    }
    template <typename T> T* Find(const char* name) { return form_->findChild<T*>(QLatin1String(name)); }
    QString CurrentPage() { return Find<QTabWidget>("PageControl1")->currentWidget()->objectName(); }
    void Click(const char* button) { QTest::mouseClick(Find<QPushButton>(button), Qt::LeftButton); }
    QStringList FirstColumn()
    {
        QStringList values;
        TDataSet* query = form_->Query();
        for (query->First(); !query->Eof(); query->Next())
            values << query->Fields(0)->DisplayText();
        return values;
    }

    ScriptedUi ui;
    QString folder_;
    std::unique_ptr<TformMain> form_;
};

TEST_F(ExecuteSaveTest, ExecuteRunsTheScriptAndShowsTheResultsPage)
{
    form_->SetSQL(WorkedExampleScript());
    form_->SetShowResults(true);
    Click("btnExecute");
    EXPECT_EQ(ui->Texts(), QStringList{QStringLiteral("Query Executed")});
    EXPECT_EQ(CurrentPage(), QStringLiteral("tabResults"));
    EXPECT_TRUE(Find<QWidget>("pnlBottom")->isHidden());
    EXPECT_TRUE(form_->Query()->Active());
    EXPECT_EQ(FirstColumn(), QStringList{QStringLiteral("3")});
    EXPECT_EQ(TablesIn(folder_), QStringList({QStringLiteral("INIT"), QStringLiteral("ORDERS")}));
    EXPECT_FALSE(Find<QPushButton>("btnExecute")->isEnabled());
    EXPECT_FALSE(Find<QPushButton>("btnChangeTab")->isEnabled());
    EXPECT_TRUE(Find<QWidget>("Animate1")->isHidden());
}

TEST_F(ExecuteSaveTest, WithoutShowResultsThePageStays)
{
    form_->SetSQL(QStringLiteral("SELECT * FROM ORDERS"));
    Click("btnChangeTab");
    Click("btnExecute");
    EXPECT_EQ(ui->Texts(), QStringList{QStringLiteral("Query Executed")});
    EXPECT_EQ(CurrentPage(), QStringLiteral("tabSQL"));
    EXPECT_FALSE(Find<QWidget>("pnlBottom")->isHidden());
}

TEST_F(ExecuteSaveTest, AFailingScriptShowsTheErrorBoxThenTheReport)
{
    form_->SetSQL(QStringLiteral("SELECT * FROM NO_SUCH_TABLE"));
    form_->SetShowResults(true);
    Click("btnExecute");
    const QStringList texts = ui->Texts();
    ASSERT_EQ(texts.size(), 2);
    EXPECT_EQ(texts[0], QStringLiteral("An error has occurred while running the query."));
    EXPECT_EQ(ui->History()[0].type, mtError);
    EXPECT_EQ(ui->History()[1].kind, ScriptedInteraction::Kind::Error);
    EXPECT_TRUE(texts[1].contains(QStringLiteral("NO_SUCH_TABLE"))) << texts[1].toStdString();
    EXPECT_EQ(CurrentPage(), QStringLiteral("tabDesc"));
    EXPECT_FALSE(Find<QPushButton>("btnExecute")->isEnabled());
    EXPECT_TRUE(Find<QWidget>("Animate1")->isHidden());
}

TEST_F(ExecuteSaveTest, EscInterruptsALongRunThroughTheErrorPath)
{
    form_->SetSQL(QStringLiteral("SELECT COUNT(*) FROM (WITH RECURSIVE C(I) AS (SELECT 1 UNION ALL "
                                 "SELECT I + 1 FROM C WHERE I < 5000000000) SELECT I FROM C)"));
    form_->show();
    bool animated = false;
    QTimer::singleShot(300, form_.get(), [&] {
        animated = Find<QWidget>("Animate1")->isVisible();
        QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
        QCoreApplication::sendEvent(Find<QPushButton>("btnChangeTab"), &escape);
    });
    Click("btnExecute");
    EXPECT_TRUE(animated);
    const QStringList texts = ui->Texts();
    ASSERT_EQ(texts.size(), 2) << texts.join(QLatin1Char('|')).toStdString();
    EXPECT_EQ(texts[0], QStringLiteral("An error has occurred while running the query."));
    EXPECT_TRUE(texts[1].contains(QStringLiteral("interrupt"), Qt::CaseInsensitive)) << texts[1].toStdString();
    EXPECT_FALSE(Find<QPushButton>("btnExecute")->isEnabled());
}

TEST_F(ExecuteSaveTest, TheCancelButtonInterruptsToo)
{
    form_->SetSQL(QStringLiteral("SELECT COUNT(*) FROM (WITH RECURSIVE C(I) AS (SELECT 1 UNION ALL "
                                 "SELECT I + 1 FROM C WHERE I < 5000000000) SELECT I FROM C)"));
    form_->show();
    QTimer::singleShot(300, form_.get(), [&] { QTest::mouseClick(Find<QPushButton>("btnCancel"), Qt::LeftButton); });
    Click("btnExecute");
    ASSERT_EQ(ui->Texts().size(), 2);
    EXPECT_EQ(ui->Texts()[0], QStringLiteral("An error has occurred while running the query."));
}

TEST_F(ExecuteSaveTest, SaveRejectsNamesBeforeAnythingIsWritten)
{
    form_->SetSQL(QStringLiteral("SELECT ORDER_NO FROM ORDERS"));
    Click("btnExecute");
    const struct
    {
        const char* name;
        const char* message;
    } cases[] = {{"", "Table Name not Entered."},
                 {"   ", "Table Name not Entered."},
                 {"My Table", "may not contain blanks"},
                 {"a/b", "may not contain blanks"}};
    for (const auto& c : cases) {
        ui->Clear();
        Find<QLineEdit>("editTableName")->setText(QLatin1String(c.name));
        Click("btnSave");
        ASSERT_EQ(ui->Texts().size(), 1) << c.name;
        EXPECT_TRUE(ui->Texts()[0].contains(QLatin1String(c.message))) << ui->Texts()[0].toStdString();
        EXPECT_EQ(ui->History()[0].type, mtError);
    }
    EXPECT_FALSE(form_->SavedBefore());
    EXPECT_EQ(TablesIn(folder_), QStringList({QStringLiteral("INIT"), QStringLiteral("ORDERS")}));
}

// Save stores the rows the grid shows and runs nothing again: not the last
// statement (whose temporary table is gone), not a closing command.
TEST_F(ExecuteSaveTest, SaveStoresTheRowsOfTheGrid)
{
    const struct
    {
        const char* name;
        QString script;
        QList<QStringList> saved; // empty: nothing to save
    } cases[] = {
        {"worked example", WorkedExampleScript(), {{QStringLiteral("3")}}},
        {"temporary table read last",
         QStringLiteral("SELECT ORDER_NO FROM ORDERS WHERE TOTAL > 120\r\n;BIG\r\nSELECT * FROM BIG"),
         {{QStringLiteral("4")}, {QStringLiteral("5")}}},
        {"closing command", QStringLiteral("SELECT * FROM ORDERS\r\n;\r\nINSERT INTO ORDERS VALUES (6, 7)"), {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        MakeDatabase(QStringLiteral("kiv"),
                     {QStringLiteral("DELETE FROM ORDERS WHERE ORDER_NO > 5"), QStringLiteral("DROP TABLE IF EXISTS SNAP")});
        form_->SetSQL(c.script);
        form_->ExecuteSQL(); // the button stays disabled after a run
        ui->Clear();
        Find<QLineEdit>("editTableName")->setText(QStringLiteral("  SNAP  "));
        Click("btnSave");
        if (c.saved.isEmpty()) {
            EXPECT_EQ(ui->Texts(), QStringList{QStringLiteral("There is no result to save.")});
            EXPECT_FALSE(TablesIn(folder_).contains(QStringLiteral("SNAP")));
        } else {
            EXPECT_EQ(ui->Texts(), QStringList{QStringLiteral("New Table Saved.")});
            EXPECT_EQ(Rows(folder_, QStringLiteral("SELECT * FROM SNAP")), c.saved);
            EXPECT_TRUE(form_->Query()->Active()); // the grid still shows its rows
        }
        // No statement ran a second time.
        EXPECT_EQ(Rows(folder_, QStringLiteral("SELECT COUNT(*) FROM ORDERS")).first().first(),
                  c.saved.isEmpty() ? QStringLiteral("6") : QStringLiteral("5"));
        EXPECT_FALSE(TablesIn(folder_).contains(QStringLiteral("BIG")));
    }
}

TEST_F(ExecuteSaveTest, SaveOverAnExistingTableAsksFirst)
{
    form_->SetSQL(QStringLiteral("SELECT ORDER_NO FROM ORDERS"));
    Click("btnExecute");
    Find<QLineEdit>("editTableName")->setText(QStringLiteral("orders"));

    ui->Clear();
    ui->AnswerDialog(mrNo);
    Click("btnSave");
    EXPECT_EQ(ui->Texts(), QStringList({QStringLiteral("orders already exists.  Overwrite?"),
                                        QStringLiteral("Table Not Saved.")}));
    EXPECT_EQ(ui->History()[0].buttons, TMsgDlgButtons(mbYes | mbNo));
    EXPECT_FALSE(form_->SavedBefore());
    EXPECT_EQ(Rows(folder_, QStringLiteral("SELECT COUNT(*) FROM ORDERS")).first().first(), QStringLiteral("5"));
    EXPECT_EQ(Rows(folder_, QStringLiteral("SELECT COUNT(*) FROM pragma_table_info('ORDERS')")).first().first(),
              QStringLiteral("2"));

    ui->Clear();
    ui->AnswerDialog(mrYes);
    Click("btnSave");
    EXPECT_EQ(ui->Texts(), QStringList({QStringLiteral("orders already exists.  Overwrite?"),
                                        QStringLiteral("New Table Saved.")}));
    EXPECT_EQ(Rows(folder_, QStringLiteral("SELECT COUNT(*) FROM pragma_table_info('ORDERS')")).first().first(),
              QStringLiteral("1"));
}

TEST_F(ExecuteSaveTest, AFailedSaveGoesStraightToTheReport)
{
    form_->SetSQL(QStringLiteral("SELECT ORDER_NO FROM ORDERS"));
    Click("btnExecute");
    ui->Clear();
    // SQLite keeps names beginning with "sqlite_" for itself.
    Find<QLineEdit>("editTableName")->setText(QStringLiteral("sqlite_mine"));
    Click("btnSave");
    ASSERT_EQ(ui->Texts().size(), 1) << ui->Texts().join(QLatin1Char('|')).toStdString();
    EXPECT_EQ(ui->History()[0].kind, ScriptedInteraction::Kind::Error);
    EXPECT_TRUE(ui->Texts()[0].contains(QStringLiteral("sqlite_mine")));
    EXPECT_EQ(TablesIn(folder_), QStringList({QStringLiteral("INIT"), QStringLiteral("ORDERS")}));
}

} // namespace

// Export on the results page: the choice dialog, the save dialog, the file.
TEST_F(ExecuteSaveTest, ExportWritesTheResultThroughTheChoiceAndSaveDialogs)
{
    form_->SetSQL(QStringLiteral("SELECT * FROM ORDERS ORDER BY TOTAL"));
    form_->SetShowResults(true);
    Click("btnExecute");
    ASSERT_TRUE(Find<QPushButton>("btnExport")->isEnabled());
    const QString file = data_->File(QStringLiteral("orders.csv"));
    const auto choose = [](const char* type) {
        return [type](QDialog& dialog) {
            auto* combo = dialog.findChild<QComboBox*>(QStringLiteral("ExportTypeComboBox"));
            combo->setCurrentIndex(combo->findText(QString::fromLatin1(type)));
            dialog.findChild<QRadioButton*>(QStringLiteral("FileRadioButton"))->click();
            dialog.findChild<QPushButton*>(QStringLiteral("OKBtn"))->click();
            return dialog.result();
        };
    };
    ui->AnswerForm(choose("Comma-Delimited Text (CSV)"));
    ui->AnswerSaveFile(file);
    Click("btnExport");
    const QList<QByteArray> lines = ReadAll(file).split('\n');
    ASSERT_EQ(lines.size(), 7) << ReadAll(file).toStdString(); // captions, five rows, end
    EXPECT_TRUE(lines[0].startsWith("\"Item\","));
    EXPECT_TRUE(lines[1].startsWith("1,"));
    EXPECT_TRUE(form_->isEnabled());

    // Both spreadsheet types; the workbook is offered last.
    ui->AnswerForm(choose("Microsoft Excel"));
    ui->AnswerSaveFile(data_->File(QStringLiteral("orders.xls")));
    Click("btnExport");
    EXPECT_TRUE(ReadAll(data_->File(QStringLiteral("orders.xls"))).startsWith("\x09\x00\x04\x00"));
    ui->AnswerForm(choose("Microsoft Excel Workbook"));
    ui->AnswerSaveFile(data_->File(QStringLiteral("orders.xlsx")));
    Click("btnExport");
    EXPECT_TRUE(ReadAll(data_->File(QStringLiteral("orders.xlsx"))).startsWith("PK"));
    EXPECT_EQ(form_->Exporter()->GetAllowedTypeNames().size(), 11);
    EXPECT_EQ(form_->Exporter()->GetAllowedTypeNames().last(), "Microsoft Excel Workbook");
    EXPECT_EQ(form_->Exporter()->DBGrid(), form_->Grid());
}
