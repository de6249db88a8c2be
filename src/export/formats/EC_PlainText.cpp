#include "export/formats/EC_PlainText.h"

#include "engine/DisplayFormat.h"
#include "export/EC_Strings.h"
#include "export/XProgress.h"
#include "export/formats/ValueBytes.h"
#include "platform/Interaction.h"
#include "platform/core/CodePoints.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <algorithm>
#include <optional>

namespace {

const QString kCrLf = QStringLiteral("\r\n");

QStringList DisplayCells(const TExportValues& values)
{
    QStringList cells;
    for (int i = 0; i < values.Count(); ++i)
        cells << RemoveControlChars(TCustomExport::GetDisplayValue(values, i));
    return cells;
}

QStringList CaptionCells(const TExportColumns& columns)
{
    QStringList cells;
    for (const TExportColumn& column : columns)
        cells << RemoveControlChars(column.Caption);
    return cells;
}

// TCustomExport::IsNumber of UTF-8 text with the decimal separator given;
// none when only the text's QString can tell (a separator outside ASCII).
std::optional<bool> IsNumberText(QByteArrayView text, char16_t decimal)
{
    if (!IsAscii(text)) {
        if (decimal >= 0x80)
            return std::nullopt;
        return false; // only ASCII characters make a number
    }
    if (decimal != '.' && text.contains('.'))
        return false;
    // The first decimal separator reads as the point.
    const qsizetype point = decimal < 0x80 ? text.indexOf(char(decimal)) : -1;
    const auto at = [&](qsizetype i) { return i == point ? '.' : text[i]; };
    const qsizetype size = text.size();
    const auto isDigit = [&](qsizetype i) { return i < size && at(i) >= '0' && at(i) <= '9'; };
    qsizetype i = 0;
    while (i < size && at(i) == ' ')
        ++i;
    if (i < size && (at(i) == '+' || at(i) == '-'))
        ++i;
    int digits = 0;
    for (; isDigit(i); ++i)
        ++digits;
    if (i < size && at(i) == '.') {
        for (++i; isDigit(i); ++i)
            ++digits;
    }
    if (digits == 0)
        return false;
    if (i < size && (at(i) == 'e' || at(i) == 'E')) {
        ++i;
        if (i < size && (at(i) == '+' || at(i) == '-'))
            ++i;
        if (!isDigit(i))
            return false;
        while (isDigit(i))
            ++i;
    }
    return i == size;
}

} // namespace

// ---- Detailed layout ----

QString TDetailedLayout::HeaderText(const TExportXComponent& source)
{
    QString text;
    if (IsNotBlank(source.Title()))
        text += source.Title() + kCrLf + DashLine(CodePointCount(source.Title())) + kCrLf + kCrLf;
    if (source.Options().testFlag(TimeStamp))
        text += TCustomExport::TimeStampText() + kCrLf + kCrLf;
    // The header's lines keep their own line ends and control characters.
    const QString header = ListText(source.Header());
    if (IsNotBlank(header))
        text += header + kCrLf + kCrLf;
    return text;
}

QString TDetailedLayout::ItemText(const TCustomExport& writer, const TExportColumns& columns,
                                  int captionWidth, bool showCaptions, const TExportValues& values)
{
    QString text;
    for (int i = 0; i < values.Count(); ++i) {
        const bool hasCaption =
            size_t(i) < columns.size() && IsNotBlank(columns[size_t(i)].Caption);
        if (showCaptions && hasCaption)
            text += writer.FitText(columns[size_t(i)].Caption, captionWidth, false) +
                    QStringLiteral(": ");
        text += RemoveControlChars(values[i].Value) + kCrLf;
    }
    return text + kCrLf;
}

// ---- Clipboard table ----

// Cells are escaped as QString::toHtmlEscaped does, straight into the rows.
void TClipboardTable::AddRow(const QStringList& cells, bool header)
{
    const QLatin1String open = header ? QLatin1String("<th>") : QLatin1String("<td>");
    const QLatin1String close = header ? QLatin1String("</th>") : QLatin1String("</td>");
    rows_ += QLatin1String("<tr>");
    for (const QString& cell : cells) {
        rows_ += open;
        for (const QChar c : cell) {
            switch (c.unicode()) {
            case '<':
                rows_ += QLatin1String("&lt;");
                break;
            case '>':
                rows_ += QLatin1String("&gt;");
                break;
            case '&':
                rows_ += QLatin1String("&amp;");
                break;
            case '"':
                rows_ += QLatin1String("&quot;");
                break;
            default:
                rows_ += c;
            }
        }
        rows_ += close;
    }
    rows_ += QLatin1String("</tr>\n");
}

QString TClipboardTable::Html() const
{
    return QStringLiteral("<html><head><meta charset=\"utf-8\"></head><body><table>\n") + rows_ +
           QStringLiteral("</table></body></html>\n");
}

// ---- Fixed-width text file ----

void TTextExport::WriteHeader(const TExportColumns& columns)
{
    Write(BuildTextHeader(columns));
}

void TTextExport::WriteItem(const TExportValues& values, int /*itemIndex*/)
{
    QString cell;
    {
        TByteAppender out(Output().Bytes());
        for (int i = 0; i < values.Count(); ++i) {
            if (i)
                out.Add(' ');
            const int width = ColumnWidth(i);
            if (values[i].InBytes && AppendFitBytes(out, values[i].Utf8, width))
                continue;
            cell.truncate(0);
            AppendFitText(cell, values[i].InBytes ? values[i].Text() : GetDisplayValue(values, i),
                          width, true);
            AppendUtf8(out.Settle(), cell);
        }
        out.Add("\r\n");
    }
    Output().FlushWhenFull();
}

// AppendFitText of UTF-8 text without control characters, numbers aligned
// right; false, with nothing appended, when only the text's QString can tell.
bool TTextExport::AppendFitBytes(TByteAppender& out, QByteArrayView utf8, int width) const
{
    if (std::any_of(utf8.begin(), utf8.end(),
                    [](char c) { return static_cast<unsigned char>(c) < 32; }))
        return false;
    if (width <= 0)
        return true;
    // Characters are the bytes that start one (valid UTF-8: a character
    // beyond U+FFFF is one too, as a pair counts once).
    const auto starts = [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; };
    const int length = int(std::count_if(utf8.begin(), utf8.end(), starts));
    if (length > width) {
        const QString& symbol = Source->TruncateSymbol();
        const int symbolLength = CodePointCount(symbol);
        int keep = symbolLength < width ? width - symbolLength : width;
        qsizetype cut = 0;
        for (; cut < utf8.size(); ++cut) {
            if (starts(utf8[cut]) && keep-- == 0)
                break;
        }
        out.Add(utf8.first(cut));
        if (symbolLength < width)
            AppendUtf8(out.Settle(), symbol);
        return true;
    }
    const qsizetype padding = width - length;
    std::optional<bool> number = false;
    if (padding > 0)
        number = IsNumberText(utf8, decimalSeparator_.unicode());
    if (!number)
        return false;
    if (*number) {
        out.Fill(' ', padding);
        out.Add(utf8);
    } else {
        out.Add(utf8);
        out.Fill(' ', padding);
    }
    return true;
}

void TTextExport::WriteFooter()
{
    TCustomTextExport::WriteFooter();
    Write(BuildTextFooter());
}

// ---- Detailed text file ----

void TDetailedTextExport::WriteHeader(const TExportColumns& columns)
{
    TCustomTextExport::WriteHeader(columns);
    MeasureCaptions();
    Write(TDetailedLayout::HeaderText(*Source));
}

void TDetailedTextExport::WriteItem(const TExportValues& values, int itemIndex)
{
    TCustomTextExport::WriteItem(values, itemIndex);
    Write(TDetailedLayout::ItemText(*this, Columns, CaptionWidth,
                                    Source->Options().testFlag(ShowColHeaders), values));
}

void TDetailedTextExport::WriteFooter()
{
    TCustomTextExport::WriteFooter();
    const QString footer = ListText(Source->Run().FormattedFooter);
    if (IsNotBlank(footer))
        WriteLine(footer);
}

// ---- Clipboard ----

void TCustomClipboardExport::DeliverOutput()
{
    if (Source->OnClipboardText) {
        Source->OnClipboardText(Source, clipboardText_);
    } else if (qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
        auto* data = new QMimeData;
        data->setText(clipboardText_);
        data->setHtml(table_.Html());
        QGuiApplication::clipboard()->setMimeData(data);
    }
    if (succeeded_ && Source->Options().testFlag(ShowClipboardMsg)) {
        if (progressForm_)
            progressForm_->hide();
        Ui().MessageDlg(LoadStr(sClipboardDone), mtInformation, mbOK);
    }
}

void TClipboardExport::WriteHeader(const TExportColumns& columns)
{
    clipboardText_ = BuildTextHeader(columns);
    if (Source->Options().testFlag(ShowColHeaders))
        table_.AddRow(CaptionCells(columns), true);
}

void TClipboardExport::WriteItem(const TExportValues& values, int /*itemIndex*/)
{
    clipboardText_ += BuildTextLine(values);
    table_.AddRow(DisplayCells(values));
}

void TClipboardExport::WriteFooter()
{
    TCustomClipboardExport::WriteFooter();
    clipboardText_ += BuildTextFooter();
}

void TDetailedClipboardExport::WriteHeader(const TExportColumns& columns)
{
    clipboardText_.clear();
    TCustomClipboardExport::WriteHeader(columns);
    MeasureCaptions();
    clipboardText_ += TDetailedLayout::HeaderText(*Source);
}

// The table gives each value a row: its caption, then the value.
void TDetailedClipboardExport::WriteItem(const TExportValues& values, int itemIndex)
{
    TCustomClipboardExport::WriteItem(values, itemIndex);
    const bool showCaptions = Source->Options().testFlag(ShowColHeaders);
    clipboardText_ += TDetailedLayout::ItemText(*this, Columns, CaptionWidth, showCaptions, values);
    for (int i = 0; i < values.Count(); ++i) {
        QStringList cells;
        if (showCaptions)
            cells << (size_t(i) < Columns.size() ? RemoveControlChars(Columns[size_t(i)].Caption)
                                                 : QString());
        cells << RemoveControlChars(values[i].Value);
        table_.AddRow(cells);
    }
    table_.AddRow({});
}

void TDetailedClipboardExport::WriteFooter()
{
    TCustomClipboardExport::WriteFooter();
    const QString footer = ListText(Source->Run().FormattedFooter);
    if (IsBlank(footer))
        return;
    const int dataColumns = int(Columns.size()) - (Source->Options().testFlag(NumberRows) ? 1 : 0);
    if (dataColumns == 1)
        clipboardText_ += kCrLf;
    clipboardText_ += footer;
}
