#include "export/formats/EC_XLSX.h"

#include "export/formats/CNumericLocale.h"
#include "export/formats/WorkbookLibrary.h"
#include "platform/core/Exceptions.h"

#include <QFile>
#include <QRegularExpression>
#include <algorithm>
#include <xlsxwriter.h>

namespace {

// Cells handed to the library's thread at a time.
constexpr size_t kCellBatch = 4096;

// The buffer of the sheet's temporary file.
constexpr size_t kSheetBuffer = size_t(1) << 20;

// The format's limit for cell text, header and footer.
constexpr int kMaxCellText = 32767;
constexpr int kMaxHeaderText = 255;

// Text for the sheet's XML as UTF-8. XML has no place for U+FFFE and U+FFFF,
// which a value may hold and which would leave the whole sheet unreadable:
// they become the replacement character U+FFFD, of the same length in UTF-8.
QByteArray XmlText(QStringView text)
{
    QByteArray utf8 = text.toUtf8();
    for (qsizetype i = utf8.indexOf('\xEF'); i >= 0 && i + 2 < utf8.size();
         i = utf8.indexOf('\xEF', i + 1)) {
        if (utf8[i + 1] == '\xBF' && (utf8[i + 2] == '\xBE' || utf8[i + 2] == '\xBF'))
            utf8[i + 2] = '\xBD';
    }
    return utf8;
}

// At most max UTF-16 units of text, without half of a character that takes two.
QStringView LeftWhole(QStringView text, qsizetype max)
{
    QStringView left = text.left(max);
    if (left.size() < text.size() && !left.isEmpty() && left.back().isHighSurrogate())
        left.chop(1);
    return left;
}

// A page header or footer: text outside a section shows centred, which
// readers other than the spreadsheet only see when the section says so.
QByteArray HeaderFooterText(const QString& text)
{
    static const QRegularExpression section(QStringLiteral("^&[LCR]"),
                                            QRegularExpression::CaseInsensitiveOption);
    const QString sectioned = section.match(text).hasMatch() ? text : QStringLiteral("&C") + text;
    return XmlText(LeftWhole(sectioned, kMaxHeaderText));
}

} // namespace

TXLSXExport::TXLSXExport(TExportXComponent* source, TExportType exportType, const QString& fileName)
    : TSheetExport(source, exportType, fileName, kMaxRow, kMaxColumn)
{
    // The library writes the fresh file by its name.
    if (output_.Open()) {
        lxw_workbook_options options = {};
        options.constant_memory = LXW_TRUE;
        workbook_ =
            workbook_new_opt(QFile::encodeName(output_.TemporaryName()).constData(), &options);
    }
    library_ = std::make_unique<TSerialWorker>();
    library_->Post(UseCNumericOnThisThread); // the library prints the cells' numbers
    pending_.reserve(kCellBatch);
    if (!workbook_) {
        output_.Discard();
        const char* missing = WorkbookLibraryLoadError();
        RaiseCannotCreate(missing ? QString::fromUtf8(missing) : output_.ErrorString());
    }
}

// A run that did not finish leaves no file behind and the earlier one untouched.
TXLSXExport::~TXLSXExport()
{
    Discard();
}

void TXLSXExport::Discard()
{
    library_.reset(); // cells not taken yet are dropped
    if (!workbook_)
        return;
    lxw_workbook_free(workbook_);
    workbook_ = nullptr;
    output_.Discard();
}

void TXLSXExport::Check(int error) const
{
    if (error != LXW_NO_ERROR)
        throw EInOutError(QString::fromUtf8(lxw_strerror(lxw_error(error))));
}

// ---- Cells ----

void TXLSXExport::PutNumber(int row, int column, double value, int style)
{
    Put({row, column, TCell::Number, value, {}, styles_[style]});
}

void TXLSXExport::PutBoolean(int row, int column, bool value, int style)
{
    Put({row,
         column,
         TCell::Boolean,
         value ? 1.0 : 0.0,
         {},
         style == xfPlain ? booleanStyle_ : styles_[style]});
}

void TXLSXExport::PutText(int row, int column, const QString& text, int style)
{
    Put({row, column, TCell::Text, 0, XmlText(LeftWhole(text, kMaxCellText)), styles_[style]});
}

void TXLSXExport::Put(TCell cell)
{
    pending_.push_back(std::move(cell));
    if (pending_.size() >= kCellBatch)
        HandOver();
}

void TXLSXExport::HandOver()
{
    Check(writeError_);
    if (pending_.empty())
        return;
    library_->Post([this, cells = std::move(pending_)] {
        for (const TCell& cell : cells) {
            if (writeError_ != LXW_NO_ERROR)
                return;
            const auto row = lxw_row_t(cell.row);
            const auto column = lxw_col_t(cell.column);
            lxw_error error = LXW_NO_ERROR;
            switch (cell.kind) {
            case TCell::Number:
                error = worksheet_write_number(sheet_, row, column, cell.number, cell.format);
                break;
            case TCell::Boolean:
                error = worksheet_write_boolean(sheet_, row, column, int(cell.number), cell.format);
                break;
            case TCell::Text:
                error =
                    worksheet_write_string(sheet_, row, column, cell.text.constData(), cell.format);
                break;
            }
            if (error != LXW_NO_ERROR) {
                writeError_ = error;
                return;
            }
        }
    });
    pending_ = {};
    pending_.reserve(kCellBatch);
}

void TXLSXExport::Flush()
{
    HandOver();
    library_->Wait();
    Check(writeError_);
}

// ---- The sheet ----

void TXLSXExport::BeginSheet()
{
    sheet_ = workbook_add_worksheet(workbook_, nullptr);
    if (!sheet_)
        throw EInOutError(QStringLiteral("Cannot add a worksheet"));
    // The rows go to a temporary file, written and read back at the close in
    // stdio's steps of 4 KiB: a write and a read call for every 4 KiB of XML.
    if (sheet_->optimize_tmpfile) {
        sheetBuffer_ = std::make_unique<char[]>(kSheetBuffer);
        setvbuf(sheet_->optimize_tmpfile, sheetBuffer_.get(), _IOFBF, kSheetBuffer);
    }
    const QByteArray patterns[xfCaption + 1] = {{},
                                                {},
                                                DateFormatPattern().toUtf8(),
                                                TimeFormatPattern().toUtf8(),
                                                DateTimeFormatPattern().toUtf8(),
                                                CurrencyFormatPattern().toUtf8(),
                                                {},
                                                {},
                                                {}};
    for (int style = xfPlain; style <= xfCaption; ++style) {
        lxw_format* format = workbook_add_format(workbook_);
        format_set_font_name(format, "Arial");
        format_set_font_size(format, style == xfTitle ? 16 : 10);
        if (!patterns[style].isEmpty())
            format_set_num_format(format, patterns[style].constData());
        styles_[style] = format;
    }
    format_set_bold(styles_[xfTitle]);
    format_set_underline(styles_[xfTitle], LXW_UNDERLINE_SINGLE);
    format_set_italic(styles_[xfFirstFooter]);
    format_set_bold(styles_[xfCaption]);
    format_set_top(styles_[xfCaption], LXW_BORDER_THIN);
    format_set_bottom(styles_[xfCaption], LXW_BORDER_THIN);
    booleanStyle_ = workbook_add_format(workbook_);
    format_set_font_name(booleanStyle_, "Arial");
    format_set_font_size(booleanStyle_, 10);
    format_set_num_format(booleanStyle_, "\"TRUE\";\"TRUE\";\"FALSE\"");

    const TXL_Options& print = *Source->XL_Options();
    if (!print.PageHeader.isEmpty())
        Check(worksheet_set_header(sheet_, HeaderFooterText(print.PageHeader).constData()));
    if (!print.PageFooter.isEmpty())
        Check(worksheet_set_footer(sheet_, HeaderFooterText(print.PageFooter).constData()));
    worksheet_gridlines(sheet_,
                        print.PrintGridlines ? LXW_SHOW_ALL_GRIDLINES : LXW_SHOW_SCREEN_GRIDLINES);
    if (print.PrintHeadings)
        worksheet_print_row_col_headers(sheet_);
}

void TXLSXExport::EndSheet()
{
    Flush();
    const int widths = std::min(int(Columns.size()), kMaxColumn + 1);
    for (int i = 0; i < widths; ++i)
        Check(
            worksheet_set_column(sheet_, lxw_col_t(i), lxw_col_t(i), ShownColumnWidth(i), nullptr));
    if (Source->Options().testFlag(ShowColHeaders) && RowOffset < kMaxRow)
        worksheet_freeze_panes(sheet_, lxw_row_t(RowOffset + 1), 0);
}

void TXLSXExport::FinishOutput()
{
    if (!workbook_)
        return;
    const TCNumericScope cNumeric; // the library prints widths, sizes and the last rows
    const lxw_error error = workbook_close(workbook_); // frees the workbook
    workbook_ = nullptr;
    if (error != LXW_NO_ERROR) {
        output_.Discard();
        throw EInOutError(QString::fromUtf8(lxw_strerror(error)));
    }
    output_.Commit();
}
