#include "export/formats/EC_SYLK.h"

#include "engine/DisplayFormat.h"

#include <charconv>

namespace {

enum TPicture
{
    pDate = 0,
    pTime = 1,
    pDateTime = 2,
    pCurrency = 3
};

// The general form of a day count, "." as the decimal separator.
QString DayCountText(TDateTime value)
{
    return QString::number(value, 'g', 15);
}

void AppendInteger(QByteArray& out, int value)
{
    char digits[12];
    out.append(digits, std::to_chars(digits, digits + sizeof digits, value).ptr - digits);
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
    for (int i = 0; i < list.Count(); ++i) {
        const int x = i + 1;
        const QString text = RemoveControlChars(list[i].Value);
        const TExportColumnKind kind = GetColumnKind(i, text);
        // Records go straight into the output: building a string per field
        // cost more than the rest of the cell.
        QByteArray& out = Output().Bytes();
        const auto cell = [&](const QString& value) {
            out += "C;X";
            AppendInteger(out, x);
            out += ";Y";
            AppendInteger(out, y);
            out += ";K";
            AppendUtf8(out, value);
            out += "\r\n";
            Output().FlushWhenFull();
        };
        const auto formatted = [&](TPicture picture, const QString& value) {
            out += "F;P";
            AppendInteger(out, int(picture));
            out += ";FG0G;X";
            AppendInteger(out, x);
            out += ";Y";
            AppendInteger(out, y);
            out += "\r\n";
            cell(value);
        };
        const bool blank = text.trimmed().isEmpty();
        switch (kind) {
        case ckNumber:
            if (!blank)
                cell(ToDotDecimal(GetExportValue(list[i])));
            break;
        case ckCurrency:
            if (!blank)
                formatted(pCurrency, ToDotDecimal(text));
            break;
        case ckDate:
        case ckTime:
        case ckDateTime:
            if (!blank)
                formatted(kind == ckDate   ? pDate
                          : kind == ckTime ? pTime
                                           : pDateTime,
                          DayCountText(DayCount(list[i], kind)));
            break;
        default:
            cell(QuotedText(text));
            break;
        }
    }
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
