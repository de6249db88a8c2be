// Both spreadsheet types opened by a desktop spreadsheet (Gnumeric's
// ssconvert): the cells shown as text, so dates must show as dates, times as
// times and currency with its symbol.
#include "export/ExportFixture.h"
#include "support/ReaderMissing.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>

namespace {

// The sheet as CSV rows of shown texts, one JSON list per row.
const char* const kShownRows =
    "import csv, json, subprocess, sys\n"
    "subprocess.run(['ssconvert', '--export-type=Gnumeric_stf:stf_assistant',\n"
    "                '-O', 'format=preserve separator=,', sys.argv[1], sys.argv[1] + '.csv'],\n"
    "               check=True, capture_output=True)\n"
    "with open(sys.argv[1] + '.csv', newline='', encoding='utf-8') as f:\n"
    "    print(json.dumps(list(csv.reader(f))))\n";

using SheetReadBackTest = ExportFixture;

TEST_F(SheetReadBackTest, ShownAsTheSpreadsheetShowsThem)
{
    if (!QFile::exists("/usr/bin/ssconvert"))
        READER_MISSING() << "gnumeric (ssconvert) is not installed";
    exporter->SetViewOnly(false);
    exporter->SetTitle("Demo");
    // Rows 3 and 4 hold the first two items, below the title and captions.
    const QByteArray expected =
        R"x([["1","1","Müller \"Max\"","$1,234.50 ","1234.25","3","TRUE","2/29/2024","1:05 PM",)x"
        R"x("2/29/2024 1:05 PM","line oneline two"],["2","2","a,b;c","($2.25)","−0.5","−1",)x"
        R"x("FALSE","12/31/1999","12:00 AM","12/31/1999 11:59 PM","tabhere"]])x";
    for (const auto& [type, name] :
         {std::pair{xMicrosoft_Excel, "out.xls"}, std::pair{xExcel_Workbook, "out.xlsx"}}) {
        const QString file = folder.File(name);
        exporter->SetExportType(type);
        exporter->SetExportFile(file);
        ASSERT_TRUE(exporter->DoExport()) << ui->Texts().join("|").toStdString();
        const QJsonArray rows =
            QJsonDocument::fromJson(RunPython(kShownRows, file).toUtf8()).array();
        ASSERT_EQ(rows.size(), 7) << name;
        EXPECT_EQ(rows[0].toArray()[0].toString(), "Demo") << name;
        const QJsonArray items{rows[3], rows[4]};
        EXPECT_EQ(QJsonDocument(items).toJson(QJsonDocument::Compact).toStdString(),
                  expected.toStdString())
            << name;
    }
}

} // namespace
