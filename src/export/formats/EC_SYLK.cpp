#include "export/formats/EC_SYLK.h"

#include "engine/DisplayFormat.h"
#include "export/formats/ValueBytes.h"

#include <algorithm>
#include <charconv>

namespace {

enum TPicture
{
    pDate = 0,
    pTime = 1,
    pDateTime = 2,
    pCurrency = 3
};

int PictureOf(TExportColumnKind kind)
{
    return kind == ckDate ? pDate : kind == ckTime ? pTime : pDateTime;
}

QString QuotedText(const QString& text)
{
    QString cut = text.left(255);
    cut.replace(QLatin1Char(';'), QStringLiteral(";;"));
    return QLatin1Char('"') + cut + QLatin1Char('"');
}

} // namespace

void TSYLKExport::WriteHeader(const TExportColumns& columns)
{
    TCustomTextExport::WriteHeader(columns);
    WriteLine(QStringLiteral("ID;PTEXPORTX"));
    WriteLine(QStringLiteral("P;P") + DateFormatPattern());
    WriteLine(QStringLiteral("P;P") + TimeFormatPattern());
    WriteLine(QStringLiteral("P;P") + DateTimeFormatPattern());
    WriteLine(QStringLiteral("P;P") +
              CurrencyFormatPattern().replace(QLatin1Char(';'), QStringLiteral(";;")));
    if (!Source->Options().testFlag(ShowColHeaders))
        return;
    TExportValues captions;
    for (const TExportColumn& column : columns)
        captions.Add().Value = column.Caption;
    WriteSYLKRow(captions);
}

void TSYLKExport::WriteItem(const TExportValues& values, int itemIndex)
{
    TCustomTextExport::WriteItem(values, itemIndex);
    WriteSYLKRow(values);
}

void TSYLKExport::WriteSYLKRow(const TExportValues& list)
{
    const int y = ItemIndex + (Source->Options().testFlag(ShowColHeaders) ? 1 : 0);
    // The row's ";Y" field, the same in every record of the row.
    char yField[16] = ";Y";
    const QByteArrayView yRecord(yField, std::to_chars(yField + 2, yField + sizeof yField, y).ptr);
    TExportValue asText;
    {
        // Records go straight into the output: building a string per field
        // cost more than the rest of the cell.
        TByteAppender out(Output().Bytes());
        for (int i = 0; i < list.Count(); ++i) {
            if (list[i].InBytes && AppendBytesCell(out, list[i], i, yRecord))
                continue;
            int picture = -1;
            cell_.truncate(0);
            if (!TextCell(AsTextValue(list[i], asText), i, picture, cell_))
                continue;
            AppendCellStart(out, picture, i + 1, yRecord);
            out.Add(cell_);
            out.Add("\r\n");
        }
    }
    Output().FlushWhenFull();
}

void TSYLKExport::AppendCellStart(TByteAppender& out, int picture, int x, QByteArrayView y)
{
    if (picture >= 0) {
        out.Add("F;P");
        out.AddInteger(picture);
        out.Add(";FG0G;X");
        out.AddInteger(x);
        out.Add(y);
        out.Add("\r\n");
    }
    out.Add("C;X");
    out.AddInteger(x);
    out.Add(y);
    out.Add(";K");
}

bool TSYLKExport::TextCell(const TExportValue& value, int index, int& picture,
                           QByteArray& cell) const
{
    const QString text = RemoveControlChars(value.Value);
    const TExportColumnKind kind = IsUnboundedValue(text) ? ckString : GetColumnKind(index, text);
    const bool blank = text.trimmed().isEmpty();
    switch (kind) {
    case ckNumber:
        if (blank)
            return false;
        AppendUtf8(cell, ToDotDecimal(GetExportValue(value)));
        return true;
    case ckCurrency:
        if (blank)
            return false;
        picture = pCurrency;
        AppendUtf8(cell, ToDotDecimal(text));
        return true;
    case ckDate:
    case ckTime:
    case ckDateTime: {
        if (blank)
            return false;
        picture = PictureOf(kind);
        TByteAppender out(cell);
        AppendGeneral15(out, DayCount(value, kind));
        return true;
    }
    default:
        AppendUtf8(cell, QuotedText(text));
        return true;
    }
}

// Text goes over as it came, its control characters dropped and its ";"
// doubled; numbers and blanks are read from the bytes when they are ASCII,
// day counts come from the stored values. True when the cell is written or
// left out; false, with nothing written, when only its text can tell.
bool TSYLKExport::AppendBytesCell(TByteAppender& out, const TExportValue& value, int index,
                                  QByteArrayView y)
{
    const QByteArrayView utf8 = value.Utf8;
    const TExportColumnKind kind = kinds_.Fixed(*this, index, ItemIndex == 0);
    switch (kind) {
    case ckUnknown:
    case ckCurrency:
        return false;
    case ckNumber:
    case ckDate:
    case ckTime:
    case ckDateTime:
        break;
    default:
        // The text is cut at 255 UTF-16 units, and has no more units than bytes.
        if (utf8.size() > 255 && value.TextLength() > 255)
            return false;
        AppendCellStart(out, -1, index + 1, y);
        out.Add('"');
        AppendWithoutControlChars(out, utf8, ';');
        out.Add("\"\r\n");
        return true;
    }
    // A number or date shown as a word (NaN, infinity) is the text path's.
    if (!IsAscii(utf8) || IsUnboundedValue(QLatin1StringView(utf8)))
        return false;
    // Without its control characters, ASCII text trims to nothing only when
    // nothing but blanks is left.
    if (std::all_of(utf8.begin(), utf8.end(),
                    [](char c) { return static_cast<unsigned char>(c) <= ' '; }))
        return true;
    if (kind != ckNumber) {
        if (!value.HasInfo || !value.Info.DateTime)
            return false;
        AppendCellStart(out, PictureOf(kind), index + 1, y);
        AppendGeneral15(out, DayCount(value, kind));
        out.Add("\r\n");
        return true;
    }
    const char16_t decimal = decimalSeparator_.unicode();
    if (decimal == 0 || decimal >= 0x80)
        return false;
    QByteArrayView number = utf8;
    if (!IsOwnExportText(utf8, thousandSeparator_)) {
        cell_.truncate(0);
        AppendExportValue(value, cell_);
        number = cell_;
    }
    AppendCellStart(out, -1, index + 1, y);
    const qsizetype at = number.indexOf(char(decimal));
    if (at < 0) {
        out.Add(number);
    } else {
        out.Add(number.first(at));
        out.Add('.');
        out.Add(number.sliced(at + 1));
    }
    out.Add("\r\n");
    return true;
}

void TSYLKExport::WriteFooter()
{
    TCustomTextExport::WriteFooter();
    for (size_t i = 0; i < Columns.size(); ++i) {
        const int width = qMin(ColumnWidths[i], 255);
        WriteLine(QStringLiteral("F;W%1 %1 %2").arg(i + 1).arg(width));
    }
    WriteLine(QStringLiteral("E"));
}
