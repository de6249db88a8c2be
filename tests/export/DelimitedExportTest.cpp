// CSV and tab-delimited files from the result grid: read back by Python's csv
// module, exact bytes of the edge cases, and the atomic write: a cancelled or
// failed export leaves any earlier file as it was.
#include "engine/Table.h"
#include "export/EC_Strings.h"
#include "export/ExportFixture.h"
#include "export/XProgress.h"
#include "export/formats/EC_Text.h"
#include "platform/core/Exceptions.h"

#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>

namespace {

const char* const kReadCsv = "import csv, json, sys\n"
                             "with open(sys.argv[1], newline='', encoding='utf-8') as f:\n"
                             "    print(json.dumps(list(csv.reader(f, delimiter=','))))\n";

QList<QStringList> ParseRows(const QString& json)
{
    QList<QStringList> rows;
    for (const QJsonValue& row : QJsonDocument::fromJson(json.toUtf8()).array()) {
        QStringList cells;
        for (const QJsonValue& cell : row.toArray())
            cells << cell.toString();
        rows << cells;
    }
    return rows;
}

using DelimitedExportTest = ExportFixture;

TEST_F(DelimitedExportTest, CsvReadsBackCellForCell)
{
    const QString file = folder.File("out.csv");
    exporter->SetExportType(xText_Comma_Delimited);
    exporter->SetViewOnly(false);
    exporter->SetExportFile(file);
    ASSERT_TRUE(exporter->DoExport()) << ui->Texts().join("|").toStdString();
    EXPECT_TRUE(exporter->ExportFile().isEmpty());
    const QByteArray bytes = ReadAll(file);
    EXPECT_FALSE(bytes.startsWith("\xEF\xBB\xBF"));
    const QList<QStringList> rows = ParseRows(RunPython(kReadCsv, file));
    ASSERT_EQ(rows.size(), 5);
    EXPECT_EQ(rows[0], QStringList({"Item", "ID", "NAME", "PRICE", "RATE", "QTY", "OK", "DAY", "AT",
                                    "STAMP", "NOTE"}));
    // Text loses its control characters; numbers lose thousand separators; a
    // money text that is no plain number falls back to the raw value.
    EXPECT_EQ(rows[1],
              QStringList({"1", "1", "Müller \"Max\"", "1234.5", "1234.25", "3", "True",
                           "2/29/2024", "1:05:00 PM", "2/29/2024 1:05:00 PM", "line oneline two"}));
    EXPECT_EQ(rows[2].mid(0, 7), QStringList({"2", "2", "a,b;c", "-2.25", "-0.5", "-1", "False"}));
    EXPECT_EQ(rows[2].last(), "tabhere");
    EXPECT_EQ(rows[3], QStringList({"3", "3", "", "", "", "", "", "", "", "", ""}));
    EXPECT_EQ(rows[4][2], "Zoë");
    // Empty numbers are bare, empty texts are two quotes.
    EXPECT_TRUE(bytes.contains("\r\n3,3,\"\",,,,\"\",\"\",\"\",\"\",\"\"\r\n"))
        << bytes.toStdString();
}

TEST_F(DelimitedExportTest, SeparatorFromTheSettingsOrTheDecimalRule)
{
    struct Case
    {
        const char* sList;
        const char* decimal;
        const char* expected;
    };
    const Case cases[] = {{"", ",", ";"}, {"", ".", ","}, {"|~", ".", "|~"}};
    for (const Case& c : cases) {
        PinnedRegional pinned({{"sList", c.sList}, {"sDecimal", c.decimal}});
        EXPECT_EQ(GetListSeparator(), QString::fromUtf8(c.expected)) << c.sList << c.decimal;
    }
}

TEST_F(DelimitedExportTest, TabFileLinesEndAsTheFormatSays)
{
    OpenSql("SELECT ID, NAME, NOTE FROM DEMO WHERE ID <= 2 ORDER BY ID");
    const QString file = folder.File("out.txt");
    exporter->SetExportType(xText_Tab_Delimited);
    exporter->SetViewOnly(false);
    exporter->SetExportFile(file);
    ASSERT_TRUE(exporter->DoExport());
    EXPECT_EQ(ReadAll(file), QByteArray("Item\tID\tNAME\tNOTE\t\r\n"
                                        "1\t1\tMüller \"Max\"\tline oneline two\r\n"
                                        "2\t2\ta,b;c\ttabhere\r\n"));
    exporter->SetOptions(exporter->Options() & ~(ShowColHeaders | NumberRows));
    OpenSql("SELECT ID FROM DEMO WHERE ID < 0");
    exporter->SetExportFile(file);
    EXPECT_FALSE(exporter->DoExport()); // nothing to export: warned, no file touched
    EXPECT_EQ(ui->Texts().last(), "There is no Data to Export.");
}

// A writer's run that stops half way: by Esc, or by a footer that cannot be formatted.
TEST_F(DelimitedExportTest, CancelAndFailureLeaveTheEarlierFileAndTheDataSet)
{
    const QString file = folder.File("keep.csv");
    WriteAll(file, "earlier\n");
    QFile::setPermissions(file, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup);
    query->SetRecNo(3);
    exporter->SetExportType(xText_Comma_Delimited);
    exporter->SetViewOnly(false);
    exporter->SetOptions(exporter->Options() | ShowProgress);
    int failed = 0;
    exporter->OnExportFailed = [&](QObject*) { ++failed; };

    // Esc after the second item; the total is unknown, a query has no count.
    QObject::connect(source, &TDataSource::CurrentChanged, window.get(), [] {});
    exporter->OnBeginExport = [&](QObject*) {
        QTimer::singleShot(0, [] {
            for (QWidget* top : QApplication::topLevelWidgets()) {
                if (auto* progress = qobject_cast<TProgressForm*>(top))
                    QTest::keyClick(progress, Qt::Key_Escape);
            }
        });
    };
    exporter->SetExportFile(file);
    EXPECT_FALSE(exporter->DoExport());
    EXPECT_EQ(ReadAll(file), "earlier\n");
    EXPECT_EQ(query->RecNo(), 3);
    EXPECT_FALSE(query->ControlsDisabled());
    EXPECT_TRUE(window->isEnabled());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    EXPECT_EQ(failed, 1);

    exporter->OnBeginExport = nullptr;
    exporter->SetFooter({"Total: %d rows"});
    exporter->SetExportFile(file);
    EXPECT_FALSE(exporter->DoExport());
    EXPECT_TRUE(ui->Texts().last().startsWith(LoadStr(sFileExportFailed) + "\r"))
        << ui->Texts().last().toStdString();
    EXPECT_EQ(ReadAll(file), "earlier\n");
    EXPECT_EQ(query->RecNo(), 3);
    EXPECT_FALSE(query->ControlsDisabled());
    EXPECT_EQ(failed, 2);

    exporter->SetFooter({"Total: %.0f rows"});
    exporter->SetExportFile(file);
    QStringList footer;
    exporter->OnExportFinished = [&](QObject*) { footer = exporter->Run().FormattedFooter; };
    EXPECT_TRUE(exporter->DoExport());
    EXPECT_TRUE(ReadAll(file).startsWith("\"Item\",\"ID\""));
    EXPECT_EQ(footer, QStringList({"Total: 4 rows"}));
    EXPECT_THROW(exporter->Run(), Exception); // the run ended with the export
    EXPECT_EQ(QFile::permissions(file) & (QFile::ReadGroup | QFile::ReadOther),
              QFileDevice::Permissions(QFile::ReadGroup)); // the replaced file keeps its mode
    EXPECT_EQ(query->RecNo(), 3);
}

TEST_F(DelimitedExportTest, AFolderThatCannotTakeTheFileFailsWithTheFileMessage)
{
    WriteAll(folder.File("plain"), "x");
    exporter->SetExportType(xText_Comma_Delimited);
    exporter->SetViewOnly(false);
    exporter->SetExportFile(folder.File("plain/sub.csv")); // a file where a folder should be
    // The caller gets the I/O error to report, with the writer's message in front.
    const QStringList shownBefore = ui->Texts();
    try {
        exporter->DoExport();
        ADD_FAILURE() << "no error";
    } catch (const EInOutError& error) {
        EXPECT_TRUE(ExceptionMessage(error).startsWith(LoadStr(sFileExportFailed) + "\r"));
    }
    EXPECT_EQ(ui->Texts(), shownBefore); // nothing shown from inside the writer
    EXPECT_TRUE(exporter->ExportFile().isEmpty());
    EXPECT_FALSE(query->ControlsDisabled());
}

// Selected rows: none and one export the current record, several export
// exactly those, and a selection beyond the records ends at the last one.
TEST_F(DelimitedExportTest, SelectedRowsOnly)
{
    OpenSql("SELECT ID FROM DEMO ORDER BY ID");
    exporter->SetExportType(xText_Tab_Delimited);
    exporter->SetViewOnly(false);
    exporter->SetOptions((exporter->Options() | SelectedRowsOnly) & ~(ShowColHeaders | NumberRows));
    const QString file = folder.File("sel.txt");
    const auto exportIds = [&] {
        exporter->SetExportFile(file);
        EXPECT_TRUE(exporter->DoExport());
        return QString::fromUtf8(ReadAll(file)).split("\r\n", Qt::SkipEmptyParts);
    };
    query->SetRecNo(2);
    grid->selectionModel()->clearSelection();
    EXPECT_EQ(exportIds(), QStringList({"2"}));
    EXPECT_EQ(query->RecNo(), 2);
    grid->SelectRows({3});
    EXPECT_EQ(exportIds(), QStringList({"4"}));
    grid->SelectRows({3, 0, 2});
    EXPECT_EQ(grid->SelectedRows(), QList<TBookmark>({0, 2, 3}));
    EXPECT_EQ(exportIds(), QStringList({"1", "3", "4"}));
    EXPECT_EQ(query->RecNo(), 4);
    EXPECT_EQ(grid->SelectedRows(), QList<TBookmark>({0, 2, 3})); // kept over the dataset's return
    // Ctrl-click adds a row; Ctrl-A selects every row.
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, Qt::ControlModifier,
                      grid->visualRect(grid->model()->index(1, 0)).center());
    EXPECT_EQ(grid->SelectedRows(), QList<TBookmark>({0, 1, 2, 3}));
    grid->selectionModel()->clearSelection();
    QTest::keyClick(grid, Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(grid->SelectedRows().size(), 4);
    // Another answer drops the old selection: the current row alone is selected.
    grid->SelectRows({1, 3});
    RunOnFolder(folder.Path(), "DELETE FROM DEMO WHERE ID = 4");
    OpenSql("SELECT ID FROM DEMO ORDER BY ID");
    EXPECT_EQ(grid->SelectedRows(), QList<TBookmark>({0}));
    EXPECT_EQ(exportIds(), QStringList({"1"}));
}

TEST_F(DelimitedExportTest, CheckedSourceAndColumnChoice)
{
    struct Case
    {
        QList<TDBGridColumn> columns;
        TExportOptions extra;
        QStringList captions;
        QStringList header;
    };
    const Case cases[] = {
        {{{"ID", "", true}, {"NAME", "", false}, {"PIC", "", true}}, {}, {}, {"ID"}},
        {{{"ID", "", true}, {"NAME", "", false}, {"PIC", "", true}},
         ExportInvisibleCols,
         {},
         {"ID", "NAME"}},
        {{{"ID", "Key", true}, {"NAME", "", true}, {"NAME", "", false}}, {}, {}, {"Key"}},
        {{{"ID", "", true}, {"QTY", "", false}, {"NAME", "", true}, {"RATE", "", true}},
         {},
         {"First", "Unused"},
         {"First", "NAME", "RATE"}},
    };
    for (const Case& c : cases) {
        grid->SetColumns(c.columns);
        exporter->SetOptions((exporter->Options() & ~(NumberRows | ExportInvisibleCols)) | c.extra);
        exporter->SetCaptions(c.captions);
        TExportColumns columns;
        exporter->GetColumns(columns);
        QStringList header;
        for (const TExportColumn& column : columns)
            header << column.Caption;
        EXPECT_EQ(header, c.header);
    }
    exporter->SetCaptions({});
    grid->SetColumns({});
    EXPECT_THROW(exporter->SetColWidths({"10", "", "0"}), EConvertError);
    exporter->SetColWidths({" 10 ", "", "7", " "});
    EXPECT_EQ(exporter->ColWidths(), QStringList({"10", "", "7"}));

    query->Close();
    try {
        exporter->DoExport();
        ADD_FAILURE() << "a closed dataset was exported";
    } catch (const Exception& error) {
        EXPECT_EQ(error.Message(),
                  "Assigned DataSet not Active. Please set the Active property to True before "
                  "attempting to Export/Print.");
    }
    TExportDBGrid orphan;
    EXPECT_THROW(orphan.CanExport(), Exception);
}

TEST_F(DelimitedExportTest, ExecuteAsksForTypeAndFileAndFiresFailedTwiceOnCancel)
{
    int failed = 0;
    exporter->OnExportFailed = [&](QObject*) { ++failed; };
    // The choice: CSV to a file; then the save dialog is cancelled.
    ui->AnswerForm([](QDialog& dialog) {
        auto* combo = dialog.findChild<QComboBox*>("ExportTypeComboBox");
        combo->setCurrentIndex(combo->findText("Comma-Delimited Text (CSV)"));
        dialog.findChild<QRadioButton*>("FileRadioButton")->click();
        dialog.findChild<QPushButton*>("OKBtn")->click();
        return dialog.result();
    });
    ui->AnswerSaveFile(std::nullopt);
    EXPECT_FALSE(exporter->Execute());
    EXPECT_EQ(failed, 2);
    EXPECT_EQ(ui->LastSaveRequest().title, "Export to Comma-Delimited Text (CSV) File");
    EXPECT_EQ(ui->LastSaveRequest().filter,
              "Comma-Delimited Text (CSV) files (*.csv)|*.csv|All Files (*.*)|*.*");
    EXPECT_EQ(exporter->LastExportType(), xText_Comma_Delimited);

    ui->AnswerForm([](QDialog& dialog) {
        auto* combo = dialog.findChild<QComboBox*>("ExportTypeComboBox");
        combo->setCurrentIndex(combo->findText("Tab-Delimited Text"));
        dialog.findChild<QRadioButton*>("FileRadioButton")->click();
        dialog.findChild<QPushButton*>("OKBtn")->click();
        return dialog.result();
    });
    ui->AnswerSaveFile(folder.File("tab.txt"));
    failed = 0;
    EXPECT_TRUE(exporter->Execute());
    EXPECT_EQ(failed, 0);
    EXPECT_TRUE(ReadAll(folder.File("tab.txt")).startsWith("Item\tID\t"));
}

} // namespace

namespace {

TEST_F(DelimitedExportTest, OnlyDesktopTablesReportTheirCount)
{
    EXPECT_EQ(exporter->GetItemCount(), -1); // a query
    TTable table(window.get());
    table.SetDatabaseName(folder.Path());
    struct Case
    {
        const char* name;
        TTableType type;
        int count;
    };
    for (const Case& c :
         {Case{"DEMO.DB", ttDefault, 4}, Case{"DEMO.dbf", ttDefault, 4},
          Case{"DEMO", ttDefault, -1}, Case{"DEMO", ttParadox, 4}, Case{"DEMO", ttASCII, -1}}) {
        table.Close();
        table.SetTableName(c.name);
        table.SetTableType(c.type);
        table.Open();
        source->SetDataSet(&table);
        EXPECT_EQ(exporter->GetItemCount(), c.count) << c.name << " " << int(c.type);
    }
    source->SetDataSet(query);
}

} // namespace

namespace {

// The values handed to the writers are the fields' own texts, whichever way
// they are made: every field, every record, with display formats and money.
TEST_F(DelimitedExportTest, ItemValuesAreTheFieldTexts)
{
    query->FieldByName("DAY")->SetDisplayFormat("dd/mm/yyyy");
    query->FieldByName("RATE")->SetDisplayFormat("#,##0.000");
    query->FieldByName("PRICE")->SetCurrency(true);
    exporter->SetOptions(exporter->Options() & ~NumberRows);
    const TExportRunScope run(*exporter);
    exporter->GetColumns(exporter->Run().ColumnList);
    exporter->OpenSource();
    TExportValues values;
    int records = 0;
    for (query->First(); !query->Eof(); ++records) {
        QStringList texts, displays, got, gotDisplays;
        for (int i = 0; i < query->FieldCount(); ++i) {
            TField* field = query->Fields(i);
            if (field->DataType() == ftBlob)
                continue;
            texts << field->AsString();
            const bool memo = field->DataType() == ftMemo;
            displays << (memo ? QString() : field->DisplayText());
        }
        values.Clear();
        exporter->GetItemValues(values); // moves to the next record
        for (int i = 0; i < values.Count(); ++i) {
            got << values[i].Value;
            gotDisplays << values[i].Info.DisplayText;
        }
        EXPECT_EQ(got, texts);
        EXPECT_EQ(gotDisplays, displays);
    }
    EXPECT_EQ(records, 4);
    exporter->CloseSource();
}

} // namespace

// A result larger than a refresh of the progress dialog, exported as the
// window does (progress dialog, numbered items): every row once and in
// order, whichever way each writer takes its values, and the dialog ends on
// the exact count.
TEST_F(DelimitedExportTest, ALargeResultComesOutWholeWithTheExactCount)
{
    constexpr int kRows = 30000;
    OpenSql(
        QStringLiteral("WITH RECURSIVE N(I) AS (SELECT 1 UNION ALL SELECT I + 1 FROM N "
                       "WHERE I < %1) SELECT I AS ID, 'Zoë ' || I AS NAME, I * 0.5 AS HALF FROM N")
            .arg(kRows));
    exporter->SetViewOnly(false);
    exporter->SetOptions(NumberRows | ShowColHeaders | ShowProgress);
    QString shown;
    exporter->OnWriteFooter = [&](QObject*, int) {
        for (QWidget* top : QApplication::topLevelWidgets()) {
            if (auto* progress = qobject_cast<TProgressForm*>(top))
                shown = progress->ExportPanel()->text();
        }
    };
    struct Case
    {
        TExportType type;
        const char* line; // item n, with %1 for n and %2 for n / 2
    };
    for (const Case& c : {Case{xText_Comma_Delimited, "%1,%1,\"Zoë %1\",%2"},
                          Case{xText_Tab_Delimited, "%1\t%1\tZoë %1\t%2"}}) {
        const QString file = folder.File("large.out");
        exporter->SetExportType(c.type);
        exporter->SetExportFile(file);
        shown.clear();
        ASSERT_TRUE(exporter->DoExport());
        const QStringList lines = QString::fromUtf8(ReadAll(file)).split("\r\n");
        ASSERT_EQ(lines.size(), kRows + 2) << c.type; // the captions, the items, the last line end
        for (int n = 1; n <= kRows; ++n)
            ASSERT_EQ(lines[n], QString::fromUtf8(c.line).arg(n).arg(n * 0.5)) << c.type;
        EXPECT_TRUE(shown.startsWith(QStringLiteral("%1 Items Exported in ").arg(kRows)))
            << shown.toStdString();
    }
}
