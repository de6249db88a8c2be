// Whole "Microsoft Excel" files from the result grid, read back by an
// independent reader (xlrd): cell types, values, number formats, fonts, XF
// indices and column widths; and the atomic write.
#include "export/ExportFixture.h"
#include "support/EngineTestSupport.h"
#include "support/ReaderMissing.h"

#include <QFileInfo>
#include <QJsonArray>

namespace {

// A cell as xlrd reads it.
struct Cell
{
    QString kind; // text, number, date or bool; empty where there is no cell
    QJsonValue value;
    int xf = -1;
    QString format;
    bool bold = false, italic = false, underline = false;
    double points = 0;
};

class BIFFExportTest : public ExportFixture
{
protected:
    void SetUp() override
    {
        if (!HasPythonModule("xlrd"))
            READER_MISSING() << "python3-xlrd is not installed";
        ExportFixture::SetUp();
        exporter->SetExportType(xMicrosoft_Excel);
        exporter->SetViewOnly(false);
    }

    // Exports to out.xls and reads it back.
    void ExportAndRead()
    {
        const QString file = folder.File("out.xls");
        exporter->SetExportFile(file);
        ASSERT_TRUE(exporter->DoExport()) << ui->Texts().join("|").toStdString();
        bytes = ReadAll(file);
        read = ReadSheet(file);
    }

    Cell At(int row, int column) const
    {
        const QJsonArray a = read.At(row, column);
        if (a.isEmpty())
            return {};
        return {a[2].toString(), a[3],          a[9].toInt(),  a[4].toString(),
                a[5].toBool(),   a[6].toBool(), a[7].toBool(), a[8].toDouble()};
    }

    QByteArray bytes;
    ReadBackSheet read;
};

TEST_F(BIFFExportTest, DemoGridReadsBackAsTypedCells)
{
    exporter->SetTitle("Demo");
    exporter->SetHeader({"First line", "Second line"});
    exporter->SetFooter({"%.0f rows", "end"});
    exporter->XL_Options()->PageHeader = "Head";
    ExportAndRead();
    ASSERT_FALSE(HasFatalFailure());

    // BOF, CODEPAGE, then the DIMENSIONS rewritten: 4 items + 2 rows, 11 columns + 1.
    EXPECT_EQ(bytes.left(26).toHex(), "0900040000001000"
                                      "42000200e404"
                                      "000008000000060000000c00");

    const Cell title = At(0, 0);
    EXPECT_EQ(title.value.toString(), "Demo");
    EXPECT_EQ(title.xf, 6);
    EXPECT_TRUE(title.bold && title.underline);
    EXPECT_EQ(title.points, 16);
    EXPECT_EQ(At(2, 0).value.toString(), "First line");
    EXPECT_EQ(At(3, 0).value.toString(), "Second line");
    EXPECT_EQ(At(3, 0).xf, 1);
    // Captions in row 5, bold with borders.
    const QStringList captions = {"Item", "ID",  "NAME", "PRICE", "RATE", "QTY",
                                  "OK",   "DAY", "AT",   "STAMP", "NOTE"};
    for (int c = 0; c < captions.size(); ++c) {
        EXPECT_EQ(At(5, c).value.toString(), captions[c]) << c;
        EXPECT_EQ(At(5, c).xf, 8) << c;
        EXPECT_TRUE(At(5, c).bold) << c;
    }
    // The first item: numbers, currency, boolean, date, time, date-time, text.
    const double stamp = 45351 + (13 * 3600 + 5 * 60) / 86400.0;
    struct Expected
    {
        int column;
        const char* kind;
        double number;
        int xf;
    };
    const Expected typed[] = {
        {0, "number", 1, 1},       {1, "number", 1, 1},           {3, "number", 1234.5, 5},
        {4, "number", 1234.25, 1}, {5, "number", 3, 1},           {6, "bool", 1, 1},
        {7, "date", 45351, 2},     {8, "date", stamp - 45351, 3}, {9, "date", stamp, 4}};
    for (const Expected& e : typed) {
        const Cell cell = At(6, e.column);
        EXPECT_EQ(cell.kind, e.kind) << e.column;
        EXPECT_NEAR(cell.value.isBool() ? double(cell.value.toBool()) : cell.value.toDouble(),
                    e.number, 1e-9)
            << e.column;
        EXPECT_EQ(cell.xf, e.xf) << e.column;
    }
    EXPECT_EQ(At(6, 7).format, "m/d/yyyy");
    EXPECT_EQ(At(6, 8).format, "h:mm\\ AM/PM");
    EXPECT_EQ(At(6, 9).format, "m/d/yyyy h:mm\\ AM/PM");
    EXPECT_EQ(At(6, 3).format, "\"$\"#,##0.00_);[Red]\\(\"$\"#,##0.00\\)");
    EXPECT_EQ(At(6, 2).value.toString(), QString::fromUtf8("Müller \"Max\""));
    EXPECT_EQ(At(6, 10).value.toString(), "line oneline two");
    EXPECT_EQ(At(7, 6).value, QJsonValue(false));
    EXPECT_EQ(At(7, 6).kind, "bool");
    // The null item: empty texts stay, numbers, dates and booleans have no cell.
    EXPECT_EQ(At(8, 2).kind, "text");
    EXPECT_EQ(At(8, 2).value.toString(), "");
    for (int c : {3, 4, 5, 6, 7, 8, 9})
        EXPECT_EQ(At(8, c).kind, "") << c;
    EXPECT_EQ(At(9, 2).value.toString(), QString::fromUtf8("Zoë"));
    // Footer after one blank row; only its first line is italic.
    EXPECT_EQ(At(11, 0).value.toString(), "4 rows");
    EXPECT_EQ(At(11, 0).xf, 7);
    EXPECT_TRUE(At(11, 0).italic);
    EXPECT_EQ(At(12, 0).value.toString(), "end");
    EXPECT_EQ(At(12, 0).xf, 1);
    const QJsonObject widths = read.sheet["widths"].toObject();
    EXPECT_EQ(widths["0"].toDouble(), 4 + 2);
    EXPECT_EQ(widths["2"].toDouble(), 12 + 2);
    // Wide enough for "$1,234.50" and a closing parenthesis, not only "1234.5".
    EXPECT_EQ(widths["3"].toDouble(), 10 + 2);
}

// 65,536 items and the captions: the export fails, and the file there stays.
TEST_F(BIFFExportTest, AResultLongerThanTheSheetFailsAndLeavesTheFileAlone)
{
    const QString file = folder.File("out.xls");
    WriteAll(file, "earlier");
    OpenSql("WITH RECURSIVE g(n) AS (SELECT 1 UNION ALL SELECT n + 1 FROM g WHERE n < 65536) "
            "SELECT n FROM g");
    exporter->SetOptions(exporter->Options() & ~(NumberRows | TimeStamp));
    exporter->SetExportFile(file);
    EXPECT_FALSE(exporter->DoExport());
    EXPECT_EQ(ReadAll(file), "earlier");
    EXPECT_TRUE(ui->Texts().join("|").contains("holds at most 65536 rows and 256 columns"));
}

} // namespace
