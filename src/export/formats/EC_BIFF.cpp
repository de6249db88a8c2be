#include "export/formats/EC_BIFF.h"

#include "platform/core/Exceptions.h"
#include "platform/core/Windows1252.h"

#include <QtEndian>
#include <algorithm>
#include <cstring>

namespace {

constexpr int kMaxCountedBytes = 255;
constexpr int kBufferLimit = 1 << 16;

// Counted strings are cut after the conversion, so the count matches the bytes.
QByteArray CountedBytes(const QString& text)
{
    return EncodeWindows1252(text).left(kMaxCountedBytes);
}

} // namespace

TBIFFExport::TBIFFExport(TExportXComponent* source, TExportType exportType, const QString& fileName)
    : TSheetExport(source, exportType, fileName, kMaxRow, kMaxColumn)
{
    if (!biffFile_.Open())
        RaiseCannotCreate(biffFile_.ErrorString());
}

// ---- Bytes ----

void TBIFFExport::WriteByte(quint8 value)
{
    buffer_.append(char(value));
}

void TBIFFExport::WriteWord(quint16 value)
{
    buffer_.append(char(value & 0xFF));
    buffer_.append(char(value >> 8));
}

void TBIFFExport::WriteDouble(double value)
{
    quint64 bits;
    std::memcpy(&bits, &value, sizeof bits);
    bits = qToLittleEndian(bits);
    buffer_.append(reinterpret_cast<const char*>(&bits), sizeof bits);
}

void TBIFFExport::WriteBytes(const QByteArray& bytes)
{
    buffer_.append(bytes);
}

void TBIFFExport::Flush()
{
    if (buffer_.isEmpty())
        return;
    if (BiffFile.write(buffer_) != buffer_.size())
        throw EInOutError(BiffFile.errorString());
    written_ += buffer_.size();
    buffer_.clear();
}

// ---- Records ----

void TBIFFExport::WriteRecordHeader()
{
    if (buffer_.size() >= kBufferLimit)
        Flush();
    WriteWord(RecordId);
    WriteWord(RecordSize);
}

void TBIFFExport::WriteBoolRecord(quint16 id, bool flag)
{
    RecordId = id;
    RecordSize = 2;
    WriteRecordHeader();
    WriteWord(flag ? 1 : 0);
}

void TBIFFExport::WriteStringRecord(quint16 id, const QString& text)
{
    const QByteArray bytes = CountedBytes(text);
    RecordId = id;
    RecordSize = quint16(1 + bytes.size());
    WriteRecordHeader();
    WriteByte(quint8(bytes.size()));
    WriteBytes(bytes);
}

// Always the version-2 BOF: a later version over these records makes the
// spreadsheet drop every number format.
void TBIFFExport::WriteBOF()
{
    RecordId = biffBOF;
    RecordSize = 4;
    WriteRecordHeader();
    WriteWord(0x0000); // version field
    WriteWord(0x0010); // worksheet
}

void TBIFFExport::WriteCodePage()
{
    RecordId = biffCodePage;
    RecordSize = 2;
    WriteRecordHeader();
    WriteWord(1252);
}

void TBIFFExport::WriteEOF()
{
    RecordId = biffEOF;
    RecordSize = 0;
    WriteRecordHeader();
}

void TBIFFExport::WriteDimensions(int rowLimit, int columnLimit)
{
    DimensionsPos = written_ + buffer_.size();
    RecordId = biffDimensions;
    RecordSize = 8;
    WriteRecordHeader();
    WriteWord(0);
    WriteWord(quint16(std::clamp(rowLimit, 0, 0xFFFF)));
    WriteWord(0);
    WriteWord(quint16(std::clamp(columnLimit, 0, 0xFFFF)));
}

void TBIFFExport::WriteFont(const QString& name, int sizeInPoints, quint8 styles)
{
    const QByteArray bytes = CountedBytes(name);
    RecordId = biffFont;
    RecordSize = quint16(5 + bytes.size());
    WriteRecordHeader();
    WriteWord(quint16(sizeInPoints * 20)); // twips
    WriteByte(styles);
    WriteByte(0);
    WriteByte(quint8(bytes.size()));
    WriteBytes(bytes);
}

void TBIFFExport::WriteFormat(const QString& pattern)
{
    WriteStringRecord(biffFormat, pattern);
}

void TBIFFExport::WritePageHeader(const QString& text)
{
    WriteStringRecord(biffHeader, text);
}

void TBIFFExport::WritePageFooter(const QString& text)
{
    WriteStringRecord(biffFooter, text);
}

void TBIFFExport::WriteXF(std::initializer_list<int> parameters)
{
    if (parameters.size() != 3)
        throw Exception(QStringLiteral("TBIFFExport.WriteXF: Invalid Number of Parameters"));
    const int format = parameters.begin()[0];
    const int font = parameters.begin()[1];
    const int border = parameters.begin()[2];
    RecordId = biffXF;
    RecordSize = 4;
    WriteRecordHeader();
    WriteByte(quint8(5 + font));
    WriteByte(0);
    WriteByte(quint8(0x40 + format));
    WriteByte(quint8(border));
}

void TBIFFExport::WriteColWidth(int column, int widthInChars)
{
    RecordId = biffColWidth;
    RecordSize = 4;
    WriteRecordHeader();
    WriteByte(quint8(column));
    WriteByte(quint8(column));
    WriteWord(quint16(widthInChars * 256));
}

void TBIFFExport::WriteCellRecord(quint16 id, int row, int column, int xf, int dataSize)
{
    RecordId = id;
    RecordSize = quint16(7 + dataSize);
    WriteRecordHeader();
    WriteWord(quint16(row));
    WriteWord(quint16(column));
    WriteByte(quint8(0x40 + xf));
    WriteByte(0);
    WriteByte(0);
    RecordSize = quint16(dataSize);
}

// ---- Cells ----

void TBIFFExport::PutNumber(int row, int column, double value, int style)
{
    WriteCellRecord(biffNumber, row, column, style, 8);
    WriteDouble(value);
}

void TBIFFExport::PutBoolean(int row, int column, bool value, int style)
{
    WriteCellRecord(biffBoolErr, row, column, style, 2);
    WriteByte(value ? 1 : 0);
    WriteByte(0); // a value, not an error
}

void TBIFFExport::PutText(int row, int column, const QString& text, int style)
{
    const QByteArray bytes = CountedBytes(text);
    WriteCellRecord(biffLabel, row, column, style, 1 + int(bytes.size()));
    WriteByte(quint8(bytes.size()));
    WriteBytes(bytes);
}

// ---- The sheet ----

void TBIFFExport::BeginSheet()
{
    const TXL_Options& print = *Source->XL_Options();
    WriteBOF();
    WriteCodePage();
    WriteDimensions(0, 0); // rewritten with the real limits at the end
    WritePageHeader(print.PageHeader);
    WritePageFooter(print.PageFooter);
    WriteBoolRecord(biffPrintHeaders, print.PrintHeadings);
    WriteBoolRecord(biffPrintGridlines, print.PrintGridlines);
    const QString arial = QStringLiteral("Arial");
    for (int i = 0; i < 5; ++i)
        WriteFont(arial, 10, 0);
    WriteFont(arial, 10, styleItalic);
    WriteFont(arial, 16, styleBold | styleUnderline);
    WriteFont(arial, 10, styleBold);
    WriteFormat(QStringLiteral("General"));
    WriteFormat(DateFormatPattern());
    WriteFormat(TimeFormatPattern());
    WriteFormat(DateTimeFormatPattern());
    WriteFormat(CurrencyFormatPattern());
    WriteXF({0, 0, 0});
    WriteXF({0, 0, 0});    // plain cells
    WriteXF({1, 0, 0});    // dates
    WriteXF({2, 0, 0});    // times
    WriteXF({3, 0, 0});    // date-times
    WriteXF({4, 0, 0});    // currency
    WriteXF({0, 2, 0});    // title
    WriteXF({0, 1, 0});    // first footer line
    WriteXF({0, 3, 0x60}); // captions, top and bottom border
}

void TBIFFExport::EndSheet()
{
    const int widths = std::min(int(Columns.size()), kMaxColumn + 1);
    for (int i = 0; i < widths; ++i)
        WriteColWidth(i, ShownColumnWidth(i));
    WriteEOF();
    Flush();
    if (!BiffFile.seek(DimensionsPos))
        throw EInOutError(BiffFile.errorString());
    written_ = DimensionsPos;
    WriteDimensions(Source->Run().NumItemsExported + 2, int(Columns.size()) + 1);
    Flush();
}

void TBIFFExport::FinishOutput()
{
    Flush();
    biffFile_.Commit();
}
