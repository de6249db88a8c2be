#include "export/formats/EC_DIF.h"

#include "export/formats/ValueBytes.h"
#include "platform/core/Exceptions.h"
#include "platform/core/Windows1252.h"

namespace {

// The quote doubled; a text without one is encoded as it is.
void AppendQuoted(QByteArray& out, const QString& text)
{
    out += '"';
    if (text.contains(QLatin1Char('"')))
        out += EncodeWindows1252(QString(text).replace(QLatin1Char('"'), QStringLiteral("\"\"")));
    else
        out += EncodeWindows1252(text);
    out += '"';
}

} // namespace

TDIFExport::TDIFExport(TExportXComponent* source, TExportType exportType, const QString& fileName)
    : TCustomTextExport(source, exportType, fileName)
{
}

// A run that did not finish leaves no data file behind.
TDIFExport::~TDIFExport()
{
    if (dataFile_.isOpen())
        dataFile_.close();
    if (!dataFileName_.isEmpty())
        QFile::remove(dataFileName_);
}

void TDIFExport::WriteData(const QByteArray& bytes)
{
    data_.Append(bytes);
}

void TDIFExport::WriteHeader(const TExportColumns& columns)
{
    TCustomTextExport::WriteHeader(columns);
    dataFileName_ = MakeTempFileName(QStringLiteral("z93"));
    dataFile_.setFileName(dataFileName_);
    data_.SetName(dataFileName_);
    if (!dataFile_.open(QIODevice::WriteOnly | QIODevice::Truncate))
        throw EInOutError(
            QStringLiteral("Cannot create %1: %2").arg(dataFileName_, dataFile_.errorString()));
    if (!Source->Options().testFlag(ShowColHeaders))
        return;
    TExportValues captions;
    for (const TExportColumn& column : columns)
        captions.Add().Value = column.Caption;
    WriteDIFRow(captions);
}

void TDIFExport::WriteItem(const TExportValues& values, int itemIndex)
{
    TCustomTextExport::WriteItem(values, itemIndex);
    WriteDIFRow(values);
}

// Captions are written while ItemIndex is 0, so they are always text. An
// empty number is written as empty text: as "0," it would read back as 0.
void TDIFExport::WriteDIFRow(const TExportValues& list)
{
    TExportValue asText;
    {
        // The row is put together in the data file's buffer.
        TByteAppender row(data_.Bytes());
        row.Add("-1,0\r\nBOT\r\n");
        for (int i = 0; i < list.Count(); ++i) {
            if (!list[i].InBytes || !AppendBytesValue(row, list[i], i))
                AppendTextValue(row.Settle(), AsTextValue(list[i], asText), i);
        }
    }
    data_.FlushWhenFull();
}

void TDIFExport::AppendTextValue(QByteArray& row, const TExportValue& value, int index) const
{
    const QString text = RemoveControlChars(value.Value);
    const TExportColumnKind kind = GetColumnKind(index, text);
    // Only a numeric kind asks for the number; NaN and INF stay text.
    const QString number = (kind == ckNumber || kind == ckCurrency) && !IsUnboundedValue(text)
                               ? ToDotDecimal(GetExportValue(value)).trimmed()
                               : QString();
    if (!number.isEmpty()) {
        row += "0,";
        row += EncodeWindows1252(number);
        row += "\r\nV\r\n";
    } else {
        row += "1,0\r\n";
        AppendQuoted(row, text);
        row += "\r\n";
    }
}

// A number is read from the bytes when they are ASCII; text goes over
// without its control characters, its quotes doubled, ASCII as it is.
// False, with nothing written, when only the value's text can tell.
bool TDIFExport::AppendBytesValue(TByteAppender& row, const TExportValue& value, int index)
{
    const QByteArrayView utf8 = value.Utf8;
    const TExportColumnKind kind = kinds_.Fixed(*this, index, ItemIndex == 0);
    if (kind == ckUnknown)
        return false;
    const auto quotedText = [&] {
        row.Add("1,0\r\n\"");
        if (IsAscii(utf8)) {
            AppendWithoutControlChars(row, utf8, '"');
        } else {
            scratch_.truncate(0);
            AppendWithoutControlChars(scratch_, utf8, '"');
            AppendWindows1252(row.Settle(), scratch_);
        }
        row.Add("\"\r\n");
    };
    if (kind != ckNumber && kind != ckCurrency) {
        quotedText();
        return true;
    }
    // Blanks are trimmed after the point is put in: a blank separator would
    // make that order matter.
    const auto blank = [](char c) { return c == ' ' || (c >= '\t' && c <= '\r'); };
    const char16_t decimal = decimalSeparator_.unicode();
    if (!IsAscii(utf8) || decimal == 0 || decimal >= 0x80 || blank(char(decimal)))
        return false;
    QByteArrayView number = utf8;
    if (!IsOwnExportText(utf8, thousandSeparator_)) {
        scratch_.truncate(0);
        AppendExportValue(value, scratch_);
        number = scratch_;
    }
    while (!number.isEmpty() && blank(number.front()))
        number = number.sliced(1);
    while (!number.isEmpty() && blank(number.back()))
        number.chop(1);
    if (number.isEmpty() || IsUnboundedValue(QLatin1StringView(number))) {
        quotedText();
        return true;
    }
    row.Add("0,");
    const qsizetype at = number.indexOf(char(decimal));
    if (at < 0) {
        row.Add(number);
    } else {
        row.Add(number.first(at));
        row.Add('.');
        row.Add(number.sliced(at + 1));
    }
    row.Add("\r\nV\r\n");
    return true;
}

// The header with the row count, then the tuples from the data file.
void TDIFExport::WriteFooter()
{
    TCustomTextExport::WriteFooter();
    WriteData("-1,0\r\nEOD\r\n");
    data_.Flush();
    dataFile_.close();
    const int rows = ItemIndex + (Source->Options().testFlag(ShowColHeaders) ? 1 : 0);
    QByteArray header = "TABLE\r\n0,1\r\n\"" + EncodeWindows1252(Source->Title()) + "\"\r\n";
    header += "VECTORS\r\n0," + QByteArray::number(qsizetype(Columns.size())) + "\r\n\"\"\r\n";
    header += "TUPLES\r\n0," + QByteArray::number(rows) + "\r\n\"\"\r\n";
    header += "DATA\r\n0,0\r\n\"\"\r\n";
    WriteBytes(header);
    if (!dataFile_.open(QIODevice::ReadOnly))
        throw EInOutError(
            QStringLiteral("Cannot read %1: %2").arg(dataFileName_, dataFile_.errorString()));
    while (!dataFile_.atEnd()) {
        const QByteArray block = dataFile_.read(1 << 16);
        if (block.isEmpty())
            throw EInOutError(
                QStringLiteral("Cannot read %1: %2").arg(dataFileName_, dataFile_.errorString()));
        WriteBytes(block);
    }
    dataFile_.close();
    QFile::remove(dataFileName_);
    dataFileName_.clear();
}
