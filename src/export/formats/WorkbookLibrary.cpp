// The workbook library (libxlsxwriter, with its zip and crypto libraries) is
// loaded the first time a workbook is written, not when the program starts:
// every batch run, --version included, paid for loading it. Each of its
// functions the writer calls is defined here with the header's own signature
// and forwards to the library's. Without the library a workbook cannot be
// created and the writer says why; every other call needs a workbook first.
#include "export/formats/WorkbookLibrary.h"

#include "platform/core/LibraryOnFirstUse.h"

#include <xlsxwriter.h>

namespace {

TLibraryOnFirstUse& WorkbookLibrary()
{
    static TLibraryOnFirstUse library("libxlsxwriter.so.4", "The workbook library");
    return library;
}

} // namespace

const char* WorkbookLibraryLoadError()
{
    const std::string& error = WorkbookLibrary().LoadError();
    return error.empty() ? nullptr : error.c_str();
}

// The zip library the workbook library packs with is among its dependencies.
void* WorkbookLibrarySymbol(const char* name)
{
    return WorkbookLibrary().Symbol(name);
}

extern "C" {

TQ_FORWARD(WorkbookLibrary(), lxw_workbook*, workbook_new_opt, nullptr,
           (const char* filename, lxw_workbook_options* options), (filename, options))
TQ_FORWARD(WorkbookLibrary(), lxw_error, workbook_close, LXW_ERROR_MEMORY_MALLOC_FAILED,
           (lxw_workbook * workbook), (workbook))
TQ_FORWARD(WorkbookLibrary(), void, lxw_workbook_free, void(), (lxw_workbook * workbook),
           (workbook))
TQ_FORWARD(WorkbookLibrary(), lxw_worksheet*, workbook_add_worksheet, nullptr,
           (lxw_workbook * workbook, const char* sheetname), (workbook, sheetname))
TQ_FORWARD(WorkbookLibrary(), lxw_format*, workbook_add_format, nullptr, (lxw_workbook * workbook),
           (workbook))
TQ_FORWARD(WorkbookLibrary(), char*, lxw_strerror,
           const_cast<char*>(WorkbookLibrary().LoadError().c_str()), (lxw_error error_num),
           (error_num))

TQ_FORWARD(WorkbookLibrary(), lxw_error, worksheet_write_number, LXW_ERROR_NULL_PARAMETER_IGNORED,
           (lxw_worksheet * worksheet, lxw_row_t row, lxw_col_t col, double number,
            lxw_format* format),
           (worksheet, row, col, number, format))
TQ_FORWARD(WorkbookLibrary(), lxw_error, worksheet_write_string, LXW_ERROR_NULL_PARAMETER_IGNORED,
           (lxw_worksheet * worksheet, lxw_row_t row, lxw_col_t col, const char* string,
            lxw_format* format),
           (worksheet, row, col, string, format))
TQ_FORWARD(WorkbookLibrary(), lxw_error, worksheet_write_boolean, LXW_ERROR_NULL_PARAMETER_IGNORED,
           (lxw_worksheet * worksheet, lxw_row_t row, lxw_col_t col, int value, lxw_format* format),
           (worksheet, row, col, value, format))
TQ_FORWARD(WorkbookLibrary(), lxw_error, worksheet_set_header, LXW_ERROR_NULL_PARAMETER_IGNORED,
           (lxw_worksheet * worksheet, const char* string), (worksheet, string))
TQ_FORWARD(WorkbookLibrary(), lxw_error, worksheet_set_footer, LXW_ERROR_NULL_PARAMETER_IGNORED,
           (lxw_worksheet * worksheet, const char* string), (worksheet, string))
TQ_FORWARD(WorkbookLibrary(), lxw_error, worksheet_set_column, LXW_ERROR_NULL_PARAMETER_IGNORED,
           (lxw_worksheet * worksheet, lxw_col_t first_col, lxw_col_t last_col, double width,
            lxw_format* format),
           (worksheet, first_col, last_col, width, format))
TQ_FORWARD(WorkbookLibrary(), void, worksheet_print_row_col_headers, void(),
           (lxw_worksheet * worksheet), (worksheet))
TQ_FORWARD(WorkbookLibrary(), void, worksheet_gridlines, void(),
           (lxw_worksheet * worksheet, uint8_t option), (worksheet, option))
TQ_FORWARD(WorkbookLibrary(), void, worksheet_freeze_panes, void(),
           (lxw_worksheet * worksheet, lxw_row_t row, lxw_col_t col), (worksheet, row, col))

TQ_FORWARD(WorkbookLibrary(), void, format_set_font_name, void(),
           (lxw_format * format, const char* font_name), (format, font_name))
TQ_FORWARD(WorkbookLibrary(), void, format_set_font_size, void(),
           (lxw_format * format, double size), (format, size))
TQ_FORWARD(WorkbookLibrary(), void, format_set_bold, void(), (lxw_format * format), (format))
TQ_FORWARD(WorkbookLibrary(), void, format_set_italic, void(), (lxw_format * format), (format))
TQ_FORWARD(WorkbookLibrary(), void, format_set_underline, void(),
           (lxw_format * format, uint8_t style), (format, style))
TQ_FORWARD(WorkbookLibrary(), void, format_set_num_format, void(),
           (lxw_format * format, const char* num_format), (format, num_format))
TQ_FORWARD(WorkbookLibrary(), void, format_set_top, void(), (lxw_format * format, uint8_t style),
           (format, style))
TQ_FORWARD(WorkbookLibrary(), void, format_set_bottom, void(), (lxw_format * format, uint8_t style),
           (format, style))

} // extern "C"
