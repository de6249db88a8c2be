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

void AppendInteger(QByteArray& out, int value)
{
    char digits[12];
    out.append(digits, std::to_chars(digits, digits + sizeof digits, value).ptr - digits);
}

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
    TExportValue asText;
    for (int i = 0; i < list.Count(); ++i) {
        int picture = -1;
        cell_.truncate(0);
        std::optional<bool> written;
        if (list[i].InBytes)
            written = BytesCell(list[i], i, picture, cell_);
        if (!written) {
            cell_.truncate(0);
            written = TextCell(AsTextValue(list[i], asText), i, picture, cell_);
        }
        if (!*written)
            continue;
        // Records go straight into the output: building a string per field
        // cost more than the rest of the cell.
        QByteArray& out = Output().Bytes();
        const int x = i + 1;
        if (picture >= 0) {
            out += "F;P";
            AppendInteger(out, picture);
            out += ";FG0G;X";
            AppendInteger(out, x);
            out += ";Y";
            AppendInteger(out, y);
            out += "\r\n";
        }
        out += "C;X";
        AppendInteger(out, x);
        out += ";Y";
        AppendInteger(out, y);
        out += ";K";
        out += cell_;
        out += "\r\n";
        Output().FlushWhenFull();
    }
}

bool TSYLKExport::TextCell(const TExportValue& value, int index, int& picture,
                           QByteArray& cell) const
{
    const QString text = RemoveControlChars(value.Value);
    const TExportColumnKind kind = GetColumnKind(index, text);
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
    case ckDateTime:
        if (blank)
            return false;
        picture = PictureOf(kind);
        AppendGeneral15(cell, DayCount(value, kind));
        return true;
    default:
        AppendUtf8(cell, QuotedText(text));
        return true;
    }
}

// Text goes over as it came, its control characters dropped and its ";"
// doubled; numbers and blanks are read from the bytes when they are ASCII,
// day counts come from the stored values. Anything else only its text can
// tell (none).
std::optional<bool> TSYLKExport::BytesCell(const TExportValue& value, int index, int& picture,
                                           QByteArray& cell) const
{
    const QByteArrayView utf8 = value.Utf8;
    const TExportColumnKind kind = GetColumnKind(index, QString());
    switch (kind) {
    case ckUnknown:
    case ckCurrency:
        return std::nullopt;
    case ckNumber:
    case ckDate:
    case ckTime:
    case ckDateTime:
        break;
    default:
        // The text is cut at 255 UTF-16 units.
        if (value.TextLength() > 255)
            return std::nullopt;
        cell += '"';
        AppendWithoutControlChars(cell, utf8, ';');
        cell += '"';
        return true;
    }
    if (!IsAscii(utf8))
        return std::nullopt;
    // Without its control characters, ASCII text trims to nothing only when
    // nothing but blanks is left.
    if (std::all_of(utf8.begin(), utf8.end(),
                    [](char c) { return static_cast<unsigned char>(c) <= ' '; }))
        return false;
    if (kind != ckNumber) {
        if (!value.HasInfo || !value.Info.DateTime)
            return std::nullopt;
        picture = PictureOf(kind);
        AppendGeneral15(cell, DayCount(value, kind));
        return true;
    }
    const char16_t decimal = decimalSeparator_.unicode();
    if (decimal == 0 || decimal >= 0x80)
        return std::nullopt;
    const qsizetype number = cell.size();
    AppendExportValue(value, cell);
    const qsizetype at = cell.indexOf(char(decimal), number);
    if (at >= 0)
        cell[at] = '.';
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
