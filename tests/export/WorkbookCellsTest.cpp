// The number cells and references written for the workbook library are its own bytes.
#include "export/formats/WorkbookCells.h"

#include "export/formats/CNumericLocale.h"
#include "export/formats/WorkbookLibrary.h"

#include <cstdlib>
#include <gtest/gtest.h>
#include <string>

// Halfway cases and the ends of the range, beside integers past 2^53.
const char* const kNumbers =
    "0 -0 0.1 0.3333333333333333 -0.6666666666666666 1e15 1e16 0x1p53 "
    "9007199254740994 -0x1p53 9007199254740991 -9007199254740991 -7 1e-4 1e-5 "
    "1.5e-7 1e100 0x1.fffffffffffffp1023 0x1p-1022 4.9e-324 -1.2345678901234567e-300 "
    "123456789012345678 45351.5451388889 0.99999999999999994 9999999999999999 inf -inf";

TEST(WorkbookCellsTest, NumberCellsAndReferencesAreTheLibrarysOwn)
{
    using Writer = decltype(&_write_number_cell);
    const auto own = reinterpret_cast<Writer>(WorkbookLibrarySymbol("_write_number_cell"));
    const auto ownName = reinterpret_cast<decltype(&lxw_rowcol_to_cell)>(
        WorkbookLibrarySymbol("lxw_rowcol_to_cell"));
    ASSERT_TRUE(own && ownName && own != &_write_number_cell);
    // The library runs under the "C" numeric rules, as the writer runs it; the
    // numbers above are read under them too.
    const TCNumericScope numeric;
    const auto cell = [](Writer write, double number, int32_t style) {
        std::string text(128, '\0');
        lxw_worksheet sheet{}; // the writer only needs its file
        lxw_cell held{};
        held.u.number = number;
        sheet.file = fmemopen(text.data(), text.size(), "w");
        write(&sheet, const_cast<char*>("XFD1048576"), style, &held);
        std::fclose(sheet.file);
        return text.substr(0, text.find('\0'));
    };
    for (char *at = const_cast<char*>(kNumbers), *end = at; *at; at = end) {
        const double number = std::strtod(at, &end);
        for (const int32_t style : {0, 1, 37})
            EXPECT_EQ(cell(_write_number_cell, number, style), cell(own, number, style)) << number;
    }
    for (const lxw_row_t row : {0u, 9u, 99u, 1048575u})
        for (const lxw_col_t col : {0, 25, 26, 701, 702, 16383}) {
            char ours[LXW_MAX_CELL_NAME_LENGTH], theirs[LXW_MAX_CELL_NAME_LENGTH];
            lxw_rowcol_to_cell(ours, row, col);
            ownName(theirs, row, col);
            EXPECT_STREQ(ours, theirs);
        }
}
