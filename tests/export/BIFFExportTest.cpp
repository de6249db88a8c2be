// Whole "Microsoft Excel" files from the result grid, read back by an
// independent reader (xlrd): cell types, values, number formats, fonts, XF
// indices and column widths; and the atomic write.
#include "engine/EngineTestSupport.h"
#include "export/ExportFixture.h"

#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>

namespace {

// Every non-empty cell as [row, column, type, value, xf, format, bold, italic,
// underline, height], then the column widths.
const char* const kReadXls =
    "import json, sys, xlrd\n"
    "book = xlrd.open_workbook(sys.argv[1], formatting_info=True)\n"
    "sheet = book.sheet_by_index(0)\n"
    "cells = []\n"
    "for r in range(sheet.nrows):\n"
    "    for c in range(sheet.ncols):\n"
    "        cell = sheet.cell(r, c)\n"
    "        if cell.ctype == xlrd.XL_CELL_EMPTY: continue\n"
    "        xf = book.xf_list[cell.xf_index]\n"
    "        font = book.font_list[xf.font_index]\n"
    "        cells.append([r, c, cell.ctype, cell.value, cell.xf_index,\n"
    "                      book.format_map[xf.format_key].format_str, font.bold, font.italic,\n"
    "                      font.underline_type, font.height])\n"
    "widths = {str(c): i.width for c, i in sheet.colinfo_map.items()}\n"
    "print(json.dumps({'cells': cells, 'widths': widths}))\n";

bool HasXlrd()
{
    QProcess python;
    python.start("/usr/bin/python3", {"-c", "import xlrd"});
    return python.waitForFinished(30000) && python.exitCode() == 0;
}

struct Cell
{
    int type = 0; // xlrd: 1 text, 2 number, 3 date, 4 boolean
    QJsonValue value;
    int xf = -1;
    QString format;
    bool bold = false, italic = false, underline = false;
    int height = 0;
};

class BIFFExportTest : public ExportFixture
{
protected:
    void SetUp() override
    {
        if (!HasXlrd())
            GTEST_SKIP() << "python3-xlrd is not installed";
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
        const QJsonObject sheet =
            QJsonDocument::fromJson(RunPython(kReadXls, file).toUtf8()).object();
        cells.clear();
        for (const QJsonValue& entry : sheet["cells"].toArray()) {
            const QJsonArray a = entry.toArray();
            Cell cell{a[2].toInt(),      a[3],
                      a[4].toInt(),      a[5].toString(),
                      a[6].toInt() != 0, a[7].toInt() != 0,
                      a[8].toInt() != 0, a[9].toInt()};
            cells[{a[0].toInt(), a[1].toInt()}] = cell;
        }
        widths = sheet["widths"].toObject();
    }

    Cell At(int row, int column) const { return cells.value({row, column}); }

    QByteArray bytes;
    QMap<QPair<int, int>, Cell> cells;
    QJsonObject widths;
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
    EXPECT_EQ(title.height, 320);
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
        int column, type;
        double number;
        int xf;
    };
    const Expected typed[] = {
        {0, 2, 1, 1}, {1, 2, 1, 1},     {3, 2, 1234.5, 5},        {4, 2, 1234.25, 1}, {5, 2, 3, 1},
        {6, 4, 1, 1}, {7, 3, 45351, 2}, {8, 3, stamp - 45351, 3}, {9, 3, stamp, 4}};
    for (const Expected& e : typed) {
        const Cell cell = At(6, e.column);
        EXPECT_EQ(cell.type, e.type) << e.column;
        EXPECT_NEAR(cell.value.toDouble(), e.number, 1e-9) << e.column;
        EXPECT_EQ(cell.xf, e.xf) << e.column;
    }
    EXPECT_EQ(At(6, 7).format, "m/d/yyyy");
    EXPECT_EQ(At(6, 8).format, "h:mm\\ AM/PM");
    EXPECT_EQ(At(6, 9).format, "m/d/yyyy h:mm\\ AM/PM");
    EXPECT_EQ(At(6, 3).format, "\"$\"#,##0.00_);[Red]\\(\"$\"#,##0.00\\)");
    EXPECT_EQ(At(6, 2).value.toString(), QString::fromUtf8("Müller \"Max\""));
    EXPECT_EQ(At(6, 10).value.toString(), "line oneline two");
    EXPECT_EQ(At(7, 6).value.toDouble(), 0.0); // False
    EXPECT_EQ(At(7, 6).type, 4);
    // The null item: empty texts stay, numbers, dates and booleans have no cell.
    EXPECT_EQ(At(8, 2).type, 1);
    EXPECT_EQ(At(8, 2).value.toString(), "");
    for (int c : {3, 4, 5, 6, 7, 8, 9})
        EXPECT_EQ(At(8, c).type, 0) << c;
    EXPECT_EQ(At(9, 2).value.toString(), QString::fromUtf8("Zoë"));
    // Footer after one blank row; only its first line is italic.
    EXPECT_EQ(At(11, 0).value.toString(), "4 rows");
    EXPECT_EQ(At(11, 0).xf, 7);
    EXPECT_TRUE(At(11, 0).italic);
    EXPECT_EQ(At(12, 0).value.toString(), "end");
    EXPECT_EQ(At(12, 0).xf, 1);
    EXPECT_EQ(widths["0"].toInt(), (4 + 2) * 256);
    EXPECT_EQ(widths["2"].toInt(), (12 + 2) * 256);
    // Wide enough for "$1,234.50" and a closing parenthesis, not only "1234.5".
    EXPECT_EQ(widths["3"].toInt(), (10 + 2) * 256);
}

} // namespace
