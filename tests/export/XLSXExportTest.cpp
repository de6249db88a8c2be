// "Microsoft Excel Workbook" files from the result grid, read back by an
// independent reader (openpyxl): the same rows, typed cells, number formats
// and fonts as the BIFF sheet, the frozen caption row and the print settings.
#include "export/EC_Strings.h"
#include "export/ExportFixture.h"
#include "support/ReaderMissing.h"

namespace {

class XLSXExportTest : public ExportFixture
{
protected:
    void SetUp() override
    {
        if (!HasPythonModule("openpyxl"))
            READER_MISSING() << "python3-openpyxl is not installed";
        ExportFixture::SetUp();
        exporter->SetExportType(xExcel_Workbook);
        exporter->SetViewOnly(false);
    }

    void ExportAndRead()
    {
        const QString file = folder.File("out.xlsx");
        exporter->SetExportFile(file);
        ASSERT_TRUE(exporter->DoExport()) << ui->Texts().join("|").toStdString();
        read = ReadSheet(file);
    }

    QJsonArray At(int row, int column) const { return read.At(row, column); }

    ReadBackSheet read;
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
    print->PageHeader = QStringLiteral("Head") + QChar(0xFFFF); // XML has no place for U+FFFF
    print->PageFooter = "Page &P of &N";
    print->PrintGridlines = true;
    print->PrintHeadings = true;
    ExportAndRead();
    ASSERT_FALSE(HasFatalFailure());

    EXPECT_EQ(At(0, 0)[3].toString(), "Demo");
    EXPECT_TRUE(At(0, 0)[5].toBool());
    EXPECT_TRUE(At(0, 0)[7].toBool()); // underlined
    EXPECT_EQ(At(0, 0)[8].toDouble(), 16);
    EXPECT_EQ(At(3, 0)[3].toString(), "Second line");
    EXPECT_EQ(At(5, 2)[3].toString(), "NAME");
    EXPECT_TRUE(At(5, 2)[5].toBool());
    EXPECT_EQ(read.sheet["freeze"].toString(), "A7"); // below the caption row
    // The first item: typed cells with the patterns of the BIFF sheet.
    EXPECT_EQ(At(6, 1)[3].toDouble(), 1);
    EXPECT_EQ(At(6, 2)[3].toString(), QString::fromUtf8("Müller \"Max\""));
    EXPECT_EQ(At(6, 3)[3].toDouble(), 1234.5);
    EXPECT_EQ(At(6, 3)[4].toString(), "\"$\"#,##0.00_);[Red]\\(\"$\"#,##0.00\\)");
    EXPECT_EQ(At(6, 6)[2].toString(), "bool");
    EXPECT_TRUE(At(6, 6)[3].toBool());
    EXPECT_EQ(At(6, 7)[3].toDouble(), 45351); // 2024-02-29
    EXPECT_EQ(At(6, 7)[4].toString(), "m/d/yyyy");
    EXPECT_EQ(At(6, 8)[4].toString(), "h:mm\\ AM/PM");
    EXPECT_NEAR(At(6, 9)[3].toDouble(), 45351 + (13 * 60 + 5) / 1440.0, 1e-9);
    EXPECT_EQ(At(6, 10)[3].toString(), "line oneline two");
    EXPECT_FALSE(At(7, 6)[3].toBool());
    EXPECT_TRUE(At(8, 3).isEmpty()); // a null number has no cell
    EXPECT_EQ(At(9, 2)[3].toString(), QString::fromUtf8("Zoë"));
    EXPECT_EQ(At(11, 0)[3].toString(), "4 rows");
    EXPECT_TRUE(At(11, 0)[6].toBool());
    EXPECT_FALSE(At(12, 0)[6].toBool());
    EXPECT_EQ(read.sheet["widths"].toObject()["2"].toDouble(), 12 + 2 + 0.7109375);
    // Wide enough for "$1,234.50" and the room kept for ")", not only for 1234.5.
    EXPECT_EQ(read.sheet["widths"].toObject()["3"].toDouble(), 9 + 1 + 2 + 0.7109375);
    EXPECT_EQ(read.sheet["header"].toString(),
              QStringLiteral("Head") + QChar::ReplacementCharacter);
    EXPECT_EQ(read.sheet["footer"].toString(), "Page &P of &N");
    EXPECT_TRUE(read.sheet["gridlines"].toBool());
    EXPECT_TRUE(read.sheet["headings"].toBool());
}

// The spreadsheet shows a boolean cell beside a filled one as TRUE or FALSE
// only when the cell's number format says so; otherwise it prints 1 or 0.
TEST_F(XLSXExportTest, BooleansPrintAsTrueAndFalseInTheSpreadsheet)
{
    if (!CanPrint())
        READER_MISSING() << "soffice or pdftotext is not installed";
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
