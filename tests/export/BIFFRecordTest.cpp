// The exact bytes of every record the BIFF writer emits: id, length field,
// byte order, the Windows-1252 counted strings cut to 255 bytes, the cell
// limits, and one cell per value kind.
#include "export/ExportFixture.h"
#include "export/formats/EC_BIFF.h"
#include "platform/core/Exceptions.h"

#include <functional>

namespace {

QByteArray Hex(const char* hex)
{
    return QByteArray::fromHex(hex);
}

QByteArray Counted(const QByteArray& bytes)
{
    return QByteArray(1, char(bytes.size())) + bytes;
}

class BIFFRecordTest : public ExportFixture
{
protected:
    // The bytes of a file that holds only what write wrote.
    QByteArray Written(const std::function<void(TBIFFExport&)>& write)
    {
        const QString file = folder.File("records.xls");
        {
            const TExportRunScope run(*exporter);
            TBIFFExport writer(exporter, xMicrosoft_Excel, file);
            write(writer);
            writer.FinishOutput();
        }
        return ReadAll(file);
    }

    static TExportValue Value(const QString& text, quint8 boolState = 0)
    {
        TExportValue value;
        value.Value = text;
        value.HasInfo = boolState != 0;
        value.Info.BoolState = boolState;
        return value;
    }
};

TEST_F(BIFFRecordTest, EachRecordHasItsExactBytes)
{
    const QByteArray x300(300, 'x');
    struct Case
    {
        const char* name;
        std::function<void(TBIFFExport&)> write;
        QByteArray expected;
    };
    const Case cases[] = {
        {"BOF is always version 2", [](TBIFFExport& w) { w.WriteBOF(); }, Hex("0900040000001000")},
        {"CODEPAGE 1252", [](TBIFFExport& w) { w.WriteCodePage(); }, Hex("42000200e404")},
        {"EOF", [](TBIFFExport& w) { w.WriteEOF(); }, Hex("0a000000")},
        {"DIMENSIONS", [](TBIFFExport& w) { w.WriteDimensions(0x1234, 3); },
         Hex("0000080000003412") + Hex("00000300")},
        {"DIMENSIONS beyond a word", [](TBIFFExport& w) { w.WriteDimensions(70000, 301); },
         Hex("000008000000ffff00002d01")},
        {"HEADER", [](TBIFFExport& w) { w.WritePageHeader("Ab"); }, Hex("14000300024162")},
        {"HEADER empty", [](TBIFFExport& w) { w.WritePageHeader(""); }, Hex("1400010000")},
        {"HEADER cut to 255 bytes", [&](TBIFFExport& w) { w.WritePageHeader(x300); },
         Hex("14000001") + Counted(x300.left(255))},
        {"FOOTER in Windows-1252, ? outside it",
         [](TBIFFExport& w) { w.WritePageFooter(QString::fromUtf8("Zoë € 日")); },
         Hex("15000800075a6feb208020") + "?"},
        {"FOOTER of 300 accents is 255 bytes",
         [](TBIFFExport& w) { w.WritePageFooter(QString(300, QChar(0xE9))); },
         Hex("15000001") + Counted(QByteArray(255, char(0xE9)))},
        {"PRINTHEADERS on", [](TBIFFExport& w) { w.WriteBoolRecord(0x2A, true); },
         Hex("2a0002000100")},
        {"PRINTGRIDLINES off", [](TBIFFExport& w) { w.WriteBoolRecord(0x2B, false); },
         Hex("2b0002000000")},
        {"FONT 16 bold underlined",
         [](TBIFFExport& w) {
             w.WriteFont("Arial", 16, TBIFFExport::styleBold | TBIFFExport::styleUnderline);
         },
         Hex("31000a004001050005") + "Arial"},
        {"FONT italic", [](TBIFFExport& w) { w.WriteFont("Arial", 10, TBIFFExport::styleItalic); },
         Hex("31000a00c800020005") + "Arial"},
        {"FORMAT", [](TBIFFExport& w) { w.WriteFormat("General"); }, Hex("1e00080007") + "General"},
        {"XF currency",
         [](TBIFFExport& w) {
             w.WriteXF({4, 0, 0});
         },
         Hex("4300040005004400")},
        {"XF captions",
         [](TBIFFExport& w) {
             w.WriteXF({0, 3, 0x60});
         },
         Hex("4300040008004060")},
        {"COLWIDTH", [](TBIFFExport& w) { w.WriteColWidth(2, 255); },
         Hex("240004000202"
             "00ff")},
        {"NUMBER", [](TBIFFExport& w) { w.WriteCell(Value("1.5"), 1, ckNumber, 2); },
         Hex("03000f0001000200410000") + Hex("000000000000f83f")},
        {"NUMBER currency XF 5",
         [](TBIFFExport& w) { w.WriteCell(Value("-2.25"), 3, ckCurrency, 1); },
         Hex("03000f0003000100450000") + Hex("00000000000002c0")},
        {"NUMBER date XF 2", [](TBIFFExport& w) { w.WriteCell(Value("2/29/2024"), 1, ckDate, 0); },
         Hex("03000f0001000000420000") + Hex("00000000e024e640")},
        {"NUMBER time XF 3", [](TBIFFExport& w) { w.WriteCell(Value("6:00:00 PM"), 1, ckTime, 0); },
         Hex("03000f0001000000430000") + Hex("000000000000e83f")},
        {"NUMBER date of a date-time",
         [](TBIFFExport& w) { w.WriteCell(Value("12/29/1899 6:00:00 PM"), 1, ckDateTimeDate, 0); },
         Hex("03000f0001000000420000") + Hex("000000000000f0bf")},
        {"NUMBER time of a date-time before the day count starts",
         [](TBIFFExport& w) { w.WriteCell(Value("12/29/1899 6:00:00 PM"), 1, ckDateTimeTime, 0); },
         Hex("03000f0001000000430000") + Hex("000000000000e83f")},
        {"NUMBER in the last row",
         [](TBIFFExport& w) { w.WriteCell(Value("0"), 65535, ckNumber, 255); },
         Hex("03000f00ffffff00410000") + Hex("0000000000000000")},
        {"caption row is bold", [](TBIFFExport& w) { w.WriteCell(Value("ID"), 0, ckString, 0); },
         Hex("04000a0000000000480000024944")},
        {"LABEL without control characters, cut to 255",
         [&](TBIFFExport& w) { w.WriteCell(Value("a\r\nb" + x300), 1, ckString, 0); },
         Hex("0400070101000000410000") + Counted("ab" + x300.left(253))},
        {"LABEL empty", [](TBIFFExport& w) { w.WriteCell(Value(""), 1, ckUnknown, 0); },
         Hex("0400080001000000410000") + Hex("00")},
        {"BOOLERR True", [](TBIFFExport& w) { w.WriteCell(Value("True", 2), 1, ckBoolean, 0); },
         Hex("0500090001000000410000") + Hex("0100")},
        {"BOOLERR False", [](TBIFFExport& w) { w.WriteCell(Value("False", 1), 1, ckBoolean, 0); },
         Hex("0500090001000000410000") + Hex("0000")},
        {"no cell: null boolean",
         [](TBIFFExport& w) { w.WriteCell(Value(""), 1, ckBoolean, 0); },
         {}},
        {"no cell: blank number",
         [](TBIFFExport& w) { w.WriteCell(Value("  "), 1, ckNumber, 0); },
         {}},
        {"no cell: blank date",
         [](TBIFFExport& w) { w.WriteCell(Value(""), 1, ckDateTime, 0); },
         {}},
        {"no cell: row 65536",
         [](TBIFFExport& w) { w.WriteCell(Value("a"), 65536, ckString, 0); },
         {}},
        {"no cell: column 256",
         [](TBIFFExport& w) { w.WriteCell(Value("a"), 1, ckString, 256); },
         {}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Written(c.write).toHex().toStdString(), c.expected.toHex().toStdString())
            << c.name;
}

TEST_F(BIFFRecordTest, BadValuesAndXFArgumentsRaise)
{
    const QString file = folder.File("bad.xls");
    const TExportRunScope run(*exporter);
    TBIFFExport writer(exporter, xMicrosoft_Excel, file);
    try {
        writer.WriteXF({1, 2});
        FAIL() << "two XF parameters were taken";
    } catch (const Exception& error) {
        EXPECT_EQ(error.Message(), "TBIFFExport.WriteXF: Invalid Number of Parameters");
    }
    EXPECT_THROW(writer.WriteXF({1, 2, 3, 4}), Exception);
    EXPECT_THROW(writer.WriteCell(Value("12abc"), 1, ckNumber, 0), EConvertError);
    EXPECT_THROW(writer.WriteCell(Value("--1"), 1, ckCurrency, 0), EConvertError);
    EXPECT_NO_THROW(writer.WriteCell(Value("-inf"), 1, ckCurrency, 0)); // kept as text
    EXPECT_THROW(writer.WriteCell(Value("2/30/2024"), 1, ckDate, 0), EConvertError);
    EXPECT_THROW(writer.WriteCell(Value("25:00"), 1, ckTime, 0), EConvertError);
}

} // namespace
