#include "export/formats/EC_Sheet.h"

#include "export/EC_Strings.h"
#include "platform/core/Exceptions.h"

#include <QDir>
#include <algorithm>
#include <charconv>
#include <cmath>
#include <optional>

TSheetExport::TSheetExport(TExportXComponent* source, TExportType exportType,
                           const QString& fileName, int maxRow, int maxColumn)
    : TCustomShellViewExport(source, exportType, fileName), MaxRow(maxRow), MaxColumn(maxColumn)
{
}

void TSheetExport::RaiseCannotCreate(const QString& reason) const
{
    throw EInOutError(
        LoadStr(sExportFailed) + QLatin1Char('\r') +
        QStringLiteral("Cannot create %1: %2").arg(QDir::toNativeSeparators(outputFile_), reason));
}

// ---- Cells ----

namespace {

// A plain decimal ("-12.5", "3") read directly, the shape nearly every
// number and currency value has; the general conversion copies and checks
// the text for every value first. Any other shape is left to it.
std::optional<double> QuickFloat(QStringView text)
{
    char digits[40];
    if (text.isEmpty() || text.size() > qsizetype(sizeof digits))
        return std::nullopt;
    bool point = false, digitBefore = false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (c >= u'0' && c <= u'9')
            digitBefore = true;
        else if (c == u'.' && !point && digitBefore && i + 1 < text.size())
            point = true;
        else if (!(c == u'-' && i == 0))
            return std::nullopt;
        digits[i] = char(c);
    }
    double value = 0;
    const auto [end, error] = std::from_chars(digits, digits + text.size(), value);
    if (error != std::errc() || end != digits + text.size())
        return std::nullopt;
    return value;
}

} // namespace

int TSheetExport::RowStyle(int row) const
{
    if (row == TitleRow)
        return xfTitle;
    if (row == FooterRow)
        return xfFirstFooter;
    if (row == RowOffset && Source->Options().testFlag(ShowColHeaders))
        return xfCaption;
    return xfPlain;
}

double TSheetExport::ToFloat(const QString& text) const
{
    const QString dotted = ToDotDecimal(text.trimmed());
    if (const std::optional<double> quick = QuickFloat(dotted))
        return *quick;
    bool ok = false;
    const double value = dotted.toDouble(&ok);
    if (ok && std::isfinite(value))
        return value;
    // The fifteen-digit text of the largest numbers ("1.79769313486232E308")
    // lies just past the largest double: it stands for the largest number
    // whose sixteen digits, as the workbook writes them, still read back.
    const QByteArray latin = dotted.toLatin1();
    long double wide = 0;
    const auto [end, error] =
        std::from_chars(latin.constData(), latin.constData() + latin.size(), wide);
    if (error == std::errc() && end == latin.constData() + latin.size() &&
        std::fabs(wide) < 1.797693134862325e308L)
        return std::copysign(1.797693134862315e308, double(wide));
    throw EConvertError(QStringLiteral("'%1' is not a valid floating point value").arg(text));
}

int TSheetExport::ShownColumnWidth(int column) const
{
    const int currency =
        size_t(column) < currencyWidths_.size() ? currencyWidths_[size_t(column)] + 1 : 0;
    return std::min(std::max(ColumnWidths[size_t(column)], currency) + 2, 255);
}

void TSheetExport::WriteCell(const TExportValue& value, int row, TExportColumnKind kind, int column)
{
    if (row > MaxRow || column > MaxColumn)
        return;
    if (kind == ckUnknown)
        kind = GetColumnKind(column, value.Value);
    const bool blank = IsBlank(value.Value);
    double number = 0;
    int style = RowStyle(row);
    const bool typed = kind == ckNumber || kind == ckCurrency || kind >= ckDate;
    if (typed && IsUnboundedValue(value.Value))
        kind = ckString;
    switch (kind) {
    case ckNumber:
        if (blank)
            return;
        number = ToFloat(GetExportValue(value));
        break;
    case ckCurrency:
        if (blank)
            return;
        number = ToFloat(value.Value);
        style = xfCurrency;
        if (size_t(column) < currencyWidths_.size()) {
            const int shown = int(GetDisplayValue(value).size());
            currencyWidths_[size_t(column)] = std::max(currencyWidths_[size_t(column)], shown);
        }
        break;
    case ckBoolean:
        if (value.HasInfo && value.Info.BoolState != 0)
            PutBoolean(row, column, value.Info.BoolState == 2, style);
        return;
    case ckDate:
    case ckTime:
    case ckDateTime:
    case ckDateTimeDate:
    case ckDateTimeTime:
        if (blank)
            return;
        number = DayCount(value, kind);
        style = kind == ckDate || kind == ckDateTimeDate   ? xfDate
                : kind == ckTime || kind == ckDateTimeTime ? xfTime
                                                           : xfDateTime;
        break;
    default:
        PutText(row, column, RemoveControlChars(value.Value), style);
        return;
    }
    PutNumber(row, column, number, style);
}

// ---- The pipeline ----

void TSheetExport::WriteHeader(const TExportColumns& columns)
{
    TCustomShellViewExport::WriteHeader(columns);
    BeginSheet();
    currencyWidths_.assign(columns.size(), 0);
    TitleRow = TimeStampRow = HeaderRow = FooterRow = -1;
    RowOffset = 0;
    const bool hasTitle = IsNotBlank(Source->Title());
    const bool hasStamp = Source->Options().testFlag(TimeStamp);
    const bool hasHeader = IsNotBlank(ListText(Source->Header()));
    if (hasTitle) {
        TitleRow = 0;
        RowOffset = 1;
    }
    if (hasStamp)
        TimeStampRow = RowOffset++;
    if (hasHeader) {
        if (hasTitle || hasStamp)
            ++RowOffset; // a blank row
        HeaderRow = RowOffset;
    }
    if (hasTitle || hasStamp || hasHeader)
        ++RowOffset; // the blank row before the captions
    TExportValue text;
    if (hasTitle) {
        text.Value = Source->Title();
        WriteCell(text, TitleRow, ckString, 0);
    }
    if (hasStamp) {
        text.Value = TimeStampText();
        WriteCell(text, TimeStampRow, ckString, 0);
    }
    if (hasHeader) {
        const QStringList& lines = Source->Header();
        for (qsizetype i = 0; i < lines.size(); ++i) {
            text.Value = lines.at(i);
            WriteCell(text, HeaderRow + int(i), ckString, 0);
            ++RowOffset;
        }
    }
    if (Source->Options().testFlag(ShowColHeaders)) {
        for (size_t i = 0; i < columns.size(); ++i) {
            text.Value = columns[i].Caption;
            WriteCell(text, RowOffset, ckString, int(i));
        }
    } else {
        --RowOffset; // the first item takes the captions' row
    }
    if (int(columns.size()) > MaxColumn + 1)
        RaiseDoesNotFit();
}

// A sheet that lacked rows or columns would pass for the whole result, so the
// export fails instead (and its file is not put in place).
void TSheetExport::RaiseDoesNotFit() const
{
    const TExportType larger =
        ExportType == xMicrosoft_Excel ? xExcel_Workbook : xText_Comma_Delimited;
    throw EInOutError(QStringLiteral("A %1 sheet holds at most %2 rows and %3 columns, and the "
                                     "result takes more. Nothing was exported: choose %4 for a "
                                     "result this large.")
                          .arg(ExportTypeName(ExportType))
                          .arg(qint64(MaxRow) + 1)
                          .arg(MaxColumn + 1)
                          .arg(ExportTypeName(larger)));
}

void TSheetExport::WriteItem(const TExportValues& values, int itemIndex)
{
    TCustomShellViewExport::WriteItem(values, itemIndex);
    const int row = RowOffset + itemIndex;
    if (row > MaxRow)
        RaiseDoesNotFit();
    for (int i = 0; i < values.Count() && i <= MaxColumn; ++i)
        WriteCell(values[i], row, ckUnknown, i);
}

void TSheetExport::WriteFooter()
{
    TCustomShellViewExport::WriteFooter();
    const QStringList& footer = Source->Run().FormattedFooter;
    if (IsNotBlank(ListText(footer))) {
        FooterRow = Source->Run().NumItemsExported + RowOffset + 2; // one blank row after the items
        TExportValue text;
        for (qsizetype i = 0; i < footer.size(); ++i) {
            text.Value = footer.at(i);
            WriteCell(text, FooterRow + int(i), ckString, 0);
        }
    }
    EndSheet();
}
