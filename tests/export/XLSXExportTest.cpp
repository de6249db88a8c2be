// "Microsoft Excel Workbook" files from the result grid, read back by an
// independent reader (openpyxl): the same rows, typed cells, number formats
// and fonts as the BIFF sheet, the frozen caption row and the print settings.
#include "export/EC_Strings.h"
#include "export/ExportFixture.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>

namespace {

// Every non-empty cell as [row, column, type, value, format, bold, italic,
// underline, size] (rows from 0), then the sheet's settings.
const char* const kReadXlsx =
    "import json, sys, openpyxl\n"
    "sheet = openpyxl.load_workbook(sys.argv[1]).active\n"
    "cells = []\n"
    "for row in sheet.iter_rows():\n"
    "    for c in row:\n"
    "        if c.value is None: continue\n"
    "        v = c.value\n"
    "        if hasattr(v, 'isoformat'): v = v.isoformat()\n"
    "        cells.append([c.row - 1, c.column - 1, c.data_type, v, c.number_format,\n"
    "                      bool(c.font.b), bool(c.font.i), c.font.u or '', c.font.sz])\n"
    "widths = {k: d.width for k, d in sheet.column_dimensions.items()}\n"
    "print(json.dumps({'cells': cells, 'widths': widths, 'freeze': sheet.freeze_panes,\n"
    "    'header': sheet.oddHeader.center.text, 'footer': sheet.oddFooter.center.text,\n"
    "    'gridlines': sheet.print_options.gridLines, 'headings': sheet.print_options.headings}))\n";

bool HasOpenpyxl()
{
    QProcess python;
    python.start("/usr/bin/python3", {"-c", "import openpyxl"});
    return python.waitForFinished(30000) && python.exitCode() == 0;
}

class XLSXExportTest : public ExportFixture
{
protected:
    void SetUp() override
    {
        if (!HasOpenpyxl())
            GTEST_SKIP() << "python3-openpyxl is not installed";
        ExportFixture::SetUp();
        exporter->SetExportType(xExcel_Workbook);
        exporter->SetViewOnly(false);
    }

    void ExportAndRead()
    {
        const QString file = folder.File("out.xlsx");
        exporter->SetExportFile(file);
        ASSERT_TRUE(exporter->DoExport()) << ui->Texts().join("|").toStdString();
        sheet = QJsonDocument::fromJson(RunPython(kReadXlsx, file).toUtf8()).object();
        cells.clear();
        for (const QJsonValue& entry : sheet["cells"].toArray()) {
            const QJsonArray a = entry.toArray();
            cells[{a[0].toInt(), a[1].toInt()}] = a;
        }
    }

    QJsonArray At(int row, int column) const { return cells.value({row, column}); }

    QJsonObject sheet;
    QMap<QPair<int, int>, QJsonArray> cells;
};

TEST_F(XLSXExportTest, TheTypeIsListedLastAndOnlyWhereAllowed)
{
    EXPECT_EQ(ExportTypeName(xExcel_Workbook), "Microsoft Excel Workbook");
    EXPECT_EQ(LoadStr(65517), "Microsoft Excel Workbook");
    EXPECT_EQ(ExportTypeExt(xExcel_Workbook), "xlsx");
    EXPECT_EQ(ExportTypeFromName("Microsoft Excel Workbook"), xExcel_Workbook);
    EXPECT_EQ(int(xExcel_Workbook), 10);
    EXPECT_EQ(exporter->GetAllowedTypeNames().size(), 10); // the default set is the ten
    EXPECT_FALSE(exporter->GetAllowedTypeNames().contains("Microsoft Excel Workbook"));
    exporter->SetAllowedTypes(AllExportTypes() | tsExcel_Workbook);
    EXPECT_EQ(exporter->GetAllowedTypeNames().last(), "Microsoft Excel Workbook");
}

TEST_F(XLSXExportTest, DemoGridReadsBackAsTheBiffSheetDoes)
{
    exporter->SetTitle("Demo");
    exporter->SetHeader({"First line", "Second line"});
    exporter->SetFooter({"%.0f rows", "end"});
    TXL_Options* print = exporter->XL_Options();
    print->PageHeader = "Head";
    print->PageFooter = "Page &P of &N";
    print->PrintGridlines = true;
    print->PrintHeadings = true;
    ExportAndRead();
    ASSERT_FALSE(HasFatalFailure());

    EXPECT_EQ(At(0, 0)[3].toString(), "Demo");
    EXPECT_TRUE(At(0, 0)[5].toBool());
    EXPECT_EQ(At(0, 0)[7].toString(), "single");
    EXPECT_EQ(At(0, 0)[8].toDouble(), 16);
    EXPECT_EQ(At(3, 0)[3].toString(), "Second line");
    EXPECT_EQ(At(5, 2)[3].toString(), "NAME");
    EXPECT_TRUE(At(5, 2)[5].toBool());
    EXPECT_EQ(sheet["freeze"].toString(), "A7"); // below the caption row
    // The first item: typed cells with the patterns of the BIFF sheet.
    EXPECT_EQ(At(6, 1)[3].toDouble(), 1);
    EXPECT_EQ(At(6, 2)[3].toString(), QString::fromUtf8("Müller \"Max\""));
    EXPECT_EQ(At(6, 3)[3].toDouble(), 1234.5);
    EXPECT_EQ(At(6, 3)[4].toString(), "\"$\"#,##0.00_);[Red]\\(\"$\"#,##0.00\\)");
    EXPECT_EQ(At(6, 6)[2].toString(), "b");
    EXPECT_TRUE(At(6, 6)[3].toBool());
    EXPECT_EQ(At(6, 7)[3].toString(), "2024-02-29T00:00:00");
    EXPECT_EQ(At(6, 7)[4].toString(), "m/d/yyyy");
    EXPECT_EQ(At(6, 8)[4].toString(), "h:mm\\ AM/PM");
    EXPECT_EQ(At(6, 9)[3].toString(), "2024-02-29T13:05:00");
    EXPECT_EQ(At(6, 10)[3].toString(), "line oneline two");
    EXPECT_FALSE(At(7, 6)[3].toBool());
    EXPECT_TRUE(At(8, 3).isEmpty()); // a null number has no cell
    EXPECT_EQ(At(9, 2)[3].toString(), QString::fromUtf8("Zoë"));
    EXPECT_EQ(At(11, 0)[3].toString(), "4 rows");
    EXPECT_TRUE(At(11, 0)[6].toBool());
    EXPECT_FALSE(At(12, 0)[6].toBool());
    EXPECT_EQ(sheet["widths"].toObject()["C"].toDouble(), 12 + 2 + 0.7109375);
    // Wide enough for "$1,234.50" and the room kept for ")", not only for 1234.5.
    EXPECT_EQ(sheet["widths"].toObject()["D"].toDouble(), 9 + 1 + 2 + 0.7109375);
    EXPECT_EQ(sheet["header"].toString(), "Head");
    EXPECT_EQ(sheet["footer"].toString(), "Page &P of &N");
    EXPECT_TRUE(sheet["gridlines"].toBool());
    EXPECT_TRUE(sheet["headings"].toBool());
}

// The spreadsheet shows a boolean cell beside a filled one as TRUE or FALSE
// only when the cell's number format says so; otherwise it prints 1 or 0.
TEST_F(XLSXExportTest, BooleansPrintAsTrueAndFalseInTheSpreadsheet)
{
    if (!CanPrint())
        GTEST_SKIP() << "soffice or pdftotext is not installed";
    OpenSql("SELECT OK, NAME FROM DEMO ORDER BY ID");
    exporter->SetOptions(ShowColHeaders);
    const QString file = folder.File("flags.xlsx");
    exporter->SetExportFile(file);
    ASSERT_TRUE(exporter->DoExport());
    // The first words of the printed lines.
    QStringList firstWords;
    for (const QString& line : PrintedText(file).split('\n', Qt::SkipEmptyParts)) {
        if (!line.trimmed().isEmpty())
            firstWords << line.simplified().section(' ', 0, 0);
    }
    EXPECT_EQ(firstWords.join(' '), "OK TRUE FALSE TRUE Page");
}

} // namespace
