// A hostile table through both spreadsheet types, each read back by its
// independent reader (xlrd, openpyxl): accents, quotes, line breaks, U+FFFF
// (which XML has no place for), nulls, a 300-character text, 256 or 301 columns,
// negative currency, dates before 1900 and after 2038, times and booleans. Each type keeps its own
// limits: the BIFF sheet cuts texts at 255 Windows-1252 characters, the workbook keeps
// everything.
#include "export/ExportFixture.h"
#include "support/EngineTestSupport.h"
#include "support/ReaderMissing.h"

#include <QDate>

namespace {

struct Writer
{
    const char* name;
    TExportType type;
    const char* file;
    const char* module;   // of its reader
    int columns;          // the item number and the table's
    int textLength;       // the long text as the reader gets it
    const char* textHead; // its start: accents kept, line break dropped, U+FFFF replaced
    // 16,384 emoji (32,768 UTF-16 units) as the reader gets them: cut
    // without half of one left over.
    int emojiLength;
    const char* emojiTail;
};

const Writer kWriters[] = {
    {"BIFF", xMicrosoft_Excel, "hostile.xls", "xlrd", 256, 255, "Ça \"va\"é??xxx", 255, "???"},
    {"Workbook", xExcel_Workbook, "hostile.xlsx", "openpyxl", 301, 310, "Ça \"va\"é日\uFFFDxxx",
     32766, "😀😀"},
};

void PrintTo(const Writer& writer, std::ostream* out)
{
    *out << writer.name;
}

class SheetHostileTableTest : public ExportFixture, public ::testing::WithParamInterface<Writer>
{
};

TEST_P(SheetHostileTableTest, KeepsItsCellsWithinTheFormat)
{
    const Writer& writer = GetParam();
    if (!HasPythonModule(writer.module))
        READER_MISSING() << "python3-" << writer.module << " is not installed";
    QStringList columns = {"T VARCHAR(400)", "M CURRENCY", "D DATE",
                           "A TIME",         "B BOOLEAN",  "R REAL"};
    QStringList values = {
        "'Ça \"va\"' || char(13, 10) || 'é日' || char(65535) || printf('%.300c', 'x')",
        "-1234.56",
        "'1850-06-01'",
        "'23:59:59'",
        "0",
        "-1.7976931348623157e308"};
    for (int i = columns.size(); i < writer.columns - 1; ++i) {
        columns << QString("C%1 INTEGER").arg(i);
        values << QString::number(i);
    }
    RunOnFolder(folder.Path(), QString("CREATE TABLE H (%1); INSERT INTO H VALUES (%2);"
                                       "INSERT INTO H (T, D) VALUES ('', '2050-01-01');"
                                       "INSERT INTO H (T, D, R) VALUES "
                                       "(replace(printf('%.16384c', 'x'), 'x', '😀'), "
                                       "'-infinity', -9e999);")
                                   .arg(columns.join(", "), values.join(", ")));
    OpenSql("SELECT * FROM H");
    exporter->SetOptions(exporter->Options() & ~ShowColHeaders);
    exporter->SetExportType(writer.type);
    exporter->SetViewOnly(false);
    const QString file = folder.File(writer.file);
    exporter->SetExportFile(file);
    ASSERT_TRUE(exporter->DoExport()) << ui->Texts().join("|").toStdString();
    const ReadBackSheet read = ReadSheet(file);
    const QJsonObject& sheet = read.sheet;
    const auto at = [&](int row, int column) { return read.At(row, column); };

    EXPECT_EQ(sheet["ncols"].toInt(), writer.columns);
    const QString text = at(0, 1)[3].toString();
    EXPECT_EQ(text.size(), writer.textLength);
    EXPECT_TRUE(text.startsWith(QString::fromUtf8(writer.textHead))) << text.toStdString();
    EXPECT_EQ(at(0, 2)[2].toString(), "number");
    EXPECT_NEAR(at(0, 2)[3].toDouble(), -1234.56, 1e-9);
    EXPECT_EQ(at(0, 2)[4].toString(), "\"$\"#,##0.00_);[Red]\\(\"$\"#,##0.00\\)");
    const QDate zero(1899, 12, 30);
    EXPECT_EQ(at(0, 3)[2].toString(), "date");
    EXPECT_EQ(at(0, 3)[3].toDouble(), zero.daysTo(QDate(1850, 6, 1)));
    EXPECT_EQ(at(1, 3)[2].toString(), "date");
    EXPECT_EQ(at(1, 3)[3].toDouble(), zero.daysTo(QDate(2050, 1, 1)));
    EXPECT_EQ(at(0, 4)[2].toString(), "date");
    EXPECT_NEAR(at(0, 4)[3].toDouble(), (86400 - 1) / 86400.0, 1e-9);
    EXPECT_EQ(at(0, 4)[4].toString(), "h:mm\\ AM/PM");
    EXPECT_EQ(at(0, 5)[2].toString(), "bool");
    EXPECT_FALSE(at(0, 5)[3].toBool());
    EXPECT_EQ(at(0, 6)[3].toDouble(), -1.797693134862315e308); // the largest, as read back
    for (int column : {2, 4, 5, 6})                            // the nulls: no cell
        EXPECT_TRUE(at(1, column).isEmpty()) << column;
    // What no number or day count holds stays the text shown.
    EXPECT_EQ(at(2, 3)[3].toString() + at(2, 6)[3].toString(), "-infinity-INF");
    EXPECT_EQ(at(0, writer.columns - 1)[3].toDouble(), writer.columns - 2);
    const QString emoji = at(2, 1)[3].toString();
    EXPECT_EQ(emoji.size(), writer.emojiLength);
    EXPECT_TRUE(emoji.endsWith(QString::fromUtf8(writer.emojiTail)))
        << emoji.right(4).toStdString();
    // The longest text, two more, at most 255.
    EXPECT_EQ(int(sheet["widths"].toObject()["1"].toDouble()), 255);
}

INSTANTIATE_TEST_SUITE_P(BothWriters, SheetHostileTableTest, ::testing::ValuesIn(kWriters),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
