#include "export/formats/EC_DIF.h"

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
    // The row is put together in the data file's buffer.
    QByteArray& row = data_.Bytes();
    row += "-1,0\r\nBOT\r\n";
    for (int i = 0; i < list.Count(); ++i) {
        const QString text = RemoveControlChars(list[i].Value);
        const TExportColumnKind kind = GetColumnKind(i, text);
        // Only a numeric kind asks for the number.
        const QString number = kind == ckNumber || kind == ckCurrency
                                   ? ToDotDecimal(GetExportValue(list[i])).trimmed()
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
    data_.FlushWhenFull();
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
