// Execute and Save in the window: messages, pages, buttons, the tables they
// leave, and the interruption of a running script.
#include "AppFixture.h"
#include "app/MainViewer.h"
#include "engine/DataSet.h"
#include "export/EC_DBGrid.h"
#include "query/enhquery.h"
#include "store/TessalyDB.h"

#include <QClipboard>
#include <QComboBox>
#include <QDialog>
#include <QFile>
#include <QGuiApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QKeyEvent>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
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
    template <typename T> T* Find(const char* name)
    {
        return form_->findChild<T*>(QLatin1String(name));
    }
    QString CurrentPage()
    {
        return Find<QTabWidget>("PageControl1")->currentWidget()->objectName();
    }
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
    EXPECT_TRUE(texts[1].contains(QStringLiteral("interrupt"), Qt::CaseInsensitive))
        << texts[1].toStdString();
    EXPECT_FALSE(Find<QPushButton>("btnExecute")->isEnabled());
}

TEST_F(ExecuteSaveTest, TheCancelButtonInterruptsToo)
{
    form_->SetSQL(QStringLiteral("SELECT COUNT(*) FROM (WITH RECURSIVE C(I) AS (SELECT 1 UNION ALL "
                                 "SELECT I + 1 FROM C WHERE I < 5000000000) SELECT I FROM C)"));
    form_->show();
    QTimer::singleShot(300, form_.get(),
                       [&] { QTest::mouseClick(Find<QPushButton>("btnCancel"), Qt::LeftButton); });
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
        EXPECT_TRUE(ui->Texts()[0].contains(QLatin1String(c.message)))
            << ui->Texts()[0].toStdString();
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
         QStringLiteral(
             "SELECT ORDER_NO FROM ORDERS WHERE TOTAL > 120\r\n;BIG\r\nSELECT * FROM BIG"),
         {{QStringLiteral("4")}, {QStringLiteral("5")}}},
        {"closing command",
         QStringLiteral("SELECT * FROM ORDERS\r\n;\r\nINSERT INTO ORDERS VALUES (6, 7)"),
         {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        MakeDatabase(QStringLiteral("kiv"),
                     {QStringLiteral("DELETE FROM ORDERS WHERE ORDER_NO > 5"),
                      QStringLiteral("DROP TABLE IF EXISTS SNAP")});
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
    EXPECT_EQ(Rows(folder_, QStringLiteral("SELECT COUNT(*) FROM ORDERS")).first().first(),
              QStringLiteral("5"));
    EXPECT_EQ(Rows(folder_, QStringLiteral("SELECT COUNT(*) FROM pragma_table_info('ORDERS')"))
                  .first()
                  .first(),
              QStringLiteral("2"));

    ui->Clear();
    ui->AnswerDialog(mrYes);
    Click("btnSave");
    EXPECT_EQ(ui->Texts(), QStringList({QStringLiteral("orders already exists.  Overwrite?"),
                                        QStringLiteral("New Table Saved.")}));
    EXPECT_EQ(Rows(folder_, QStringLiteral("SELECT COUNT(*) FROM pragma_table_info('ORDERS')"))
                  .first()
                  .first(),
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

// Every exported file of a folder read by an independent reader: Python's csv
// and html.parser, xlrd, openpyxl, and LibreOffice (converted to HTML) for the
// word-processor files, DIF and SYLK. The texts by extension, as JSON.
const char* const kReadExports = R"(import csv, html.parser, json, os, subprocess, sys
import openpyxl, xlrd
folder = sys.argv[1]
class Texts(html.parser.HTMLParser):
    def __init__(self):
        super().__init__()
        self.texts = []
    def handle_data(self, data):
        if data.strip():
            self.texts.append(data.strip())
def html_texts(path):
    parser = Texts()
    with open(path, encoding='utf-8') as f:
        parser.feed(f.read())
    return parser.texts
def delimited(path, delimiter):
    with open(path, newline='', encoding='utf-8') as f:
        return [cell for row in csv.reader(f, delimiter=delimiter) for cell in row]
def path(ext):
    return os.path.join(folder, ext + '.' + ext)
converted = os.path.join(folder, 'converted')
subprocess.run(['soffice', '-env:UserInstallation=file://' + os.path.join(folder, 'profile'),
                '--headless', '--convert-to', 'html', '--outdir', converted] +
               [path(ext) for ext in ('doc', 'rtf', 'dif', 'slk')],
               check=True, capture_output=True, timeout=300)
result = {ext: html_texts(os.path.join(converted, ext + '.html')) for ext in ('doc', 'rtf', 'dif', 'slk')}
result['html'] = html_texts(path('html'))
result['csv'] = delimited(path('csv'), ',')
result['tab'] = delimited(path('tab'), '\t')
with open(path('txt'), encoding='utf-8') as f:
    result['txt'] = f.read().split()
book = xlrd.open_workbook(path('xls'))
sheet = book.sheet_by_index(0)
result['xls'] = [str(sheet.cell_value(r, c)) for r in range(sheet.nrows) for c in range(sheet.ncols)]
sheet = openpyxl.load_workbook(path('xlsx')).active
result['xlsx'] = [str(cell) for row in sheet.iter_rows(values_only=True) for cell in row]
print(json.dumps(result))
)";

} // namespace

// Export on the results page: the choice dialog walked through every type, the
// save dialog, and each file read back by the reader a user would open it with.
TEST_F(ExecuteSaveTest, ExportWritesEveryTypeThroughTheChoiceAndSaveDialogs)
{
    form_->SetSQL(QStringLiteral("SELECT ORDER_NO, CASE ORDER_NO WHEN 1 THEN 'Zoë' ELSE 'Müller' "
                                 "END AS NAME, TOTAL FROM ORDERS ORDER BY TOTAL"));
    form_->SetShowResults(true);
    Click("btnExecute");
    ASSERT_TRUE(Find<QPushButton>("btnExport")->isEnabled());
    const QStringList names = form_->Exporter()->GetAllowedTypeNames();
    ASSERT_EQ(names.size(), 11);
    EXPECT_EQ(names.last(), "Microsoft Excel Workbook"); // offered last
    const std::pair<const char*, const char*> types[] = {{"HTML", "html"},
                                                         {"Microsoft Word", "doc"},
                                                         {"Microsoft Excel", "xls"},
                                                         {"Text", "txt"},
                                                         {"Rich Text", "rtf"},
                                                         {"Comma-Delimited Text (CSV)", "csv"},
                                                         {"Tab-Delimited Text", "tab"},
                                                         {"Data Interchange Format (DIF)", "dif"},
                                                         {"SYLK Format", "slk"},
                                                         {"Clipboard", nullptr},
                                                         {"Microsoft Excel Workbook", "xlsx"}};
    for (const auto& [name, extension] : types) {
        ASSERT_TRUE(names.contains(QString::fromUtf8(name))) << name;
        ui->AnswerForm([name = QString::fromUtf8(name)](QDialog& dialog) {
            auto* combo = dialog.findChild<QComboBox*>(QStringLiteral("ExportTypeComboBox"));
            combo->setCurrentIndex(combo->findText(name));
            auto* toFile = dialog.findChild<QRadioButton*>(QStringLiteral("FileRadioButton"));
            if (toFile->isEnabled())
                toFile->click();
            dialog.findChild<QPushButton*>(QStringLiteral("OKBtn"))->click();
            return dialog.result();
        });
        if (extension)
            ui->AnswerSaveFile(data_->File(QStringLiteral("%1.%1").arg(QLatin1String(extension))));
        Click("btnExport");
        EXPECT_TRUE(form_->isEnabled()) << name;
    }
    EXPECT_EQ(ui->UnansweredCount(), 0);

    const auto inOrder = [](const QStringList& texts, const QString& type) {
        const qsizetype first = texts.indexOf(QStringLiteral("Zoë"));
        const qsizetype second = texts.indexOf(QStringLiteral("Müller"), first + 1);
        EXPECT_GE(first, 0) << type.toStdString() << ": " << texts.join('|').toStdString();
        EXPECT_GT(second, first) << type.toStdString() << ": " << texts.join('|').toStdString();
        EXPECT_TRUE(texts.filter(QStringLiteral("250")).size() == 1) << type.toStdString();
    };
    inOrder(QGuiApplication::clipboard()->text().split(QRegularExpression(QStringLiteral("\\s+"))),
            QStringLiteral("clipboard"));
    QProcess python;
    python.start(QStringLiteral("/usr/bin/python3"),
                 {QStringLiteral("-c"), QString::fromUtf8(kReadExports), data_->Path()});
    ASSERT_TRUE(python.waitForFinished(600000));
    ASSERT_EQ(python.exitCode(), 0) << python.readAllStandardError().toStdString();
    const QJsonObject read = QJsonDocument::fromJson(python.readAllStandardOutput()).object();
    ASSERT_EQ(read.size(), 10);
    for (auto it = read.begin(); it != read.end(); ++it) {
        QStringList texts;
        for (const QJsonValue& text : it.value().toArray())
            texts << text.toString();
        inOrder(texts, it.key());
    }
}
