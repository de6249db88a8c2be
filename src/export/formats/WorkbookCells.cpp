// The text of the workbook's number cells and cell references.
//
// The workbook library prints every number cell with fprintf ("%.16G") and
// every cell reference with snprintf: on a million rows its thread spent more
// time in printf than in anything else, and it is the slower half of the
// export while the rows are read. It calls both through its own symbol table,
// so this program defines them itself (and offers them to the library when it
// opens it, as with the zip level) and writes the same bytes without printf.
//
// The number cell writer is not in the library's headers: its arguments are
// the header's own types, but they are only promised for the version the
// headers are of. A library of any other version writes its own cells.
#include "export/formats/WorkbookCells.h"

#include "export/formats/WorkbookLibrary.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace {

bool LibraryIsOfHeaderVersion()
{
    static const bool same = [] {
        const auto versionId =
            reinterpret_cast<uint16_t (*)()>(WorkbookLibrarySymbol("lxw_version_id"));
        return versionId && versionId() == LXW_VERSION_ID;
    }();
    return same;
}

char* Append(char* out, const char* text, size_t size)
{
    std::memcpy(out, text, size);
    return out + size;
}

template <size_t N> char* Append(char* out, const char (&literal)[N])
{
    return Append(out, literal, N - 1);
}

char* CellNameText(char* out, lxw_row_t row, lxw_col_t col)
{
    char letters[4]; // column 65,535 is "CRXO"
    int count = 0;
    for (unsigned rest = unsigned(col) + 1; rest > 0; rest = (rest - 1) / 26)
        letters[count++] = char('A' + (rest - 1) % 26);
    while (count > 0)
        *out++ = letters[--count];
    return std::to_chars(out, out + 10, uint64_t(row) + 1).ptr;
}

// printf's %.16G: to_chars in the general format with a precision is
// printf's %g in the C locale (trailing zeros dropped, an exponent of at
// least two digits); %G only turns its letters upper case. A whole number
// below 2^53 has at most 16 digits, all shown: the integer's own text, which
// is much quicker to make (ids, counts and days are most of a sheet's numbers).
char* NumberText(char* out, double number)
{
    constexpr double kExactWhole = 9007199254740992.0; // 2^53
    if (number > -kExactWhole && number < kExactWhole && number == std::trunc(number) &&
        !(number == 0 && std::signbit(number)))
        return std::to_chars(out, out + 32, int64_t(number)).ptr;
    char* const end = std::to_chars(out, out + 32, number, std::chars_format::general, 16).ptr;
    for (char* c = out; c < end; ++c) {
        if (*c >= 'a' && *c <= 'z')
            *c = char(*c - 'a' + 'A');
    }
    return end;
}

char* NumberCellText(char* out, const char* name, int32_t style, double number)
{
    out = Append(out, "<c r=\"");
    out = Append(out, name, std::strlen(name));
    if (style != 0) {
        out = Append(out, "\" s=\"");
        out = std::to_chars(out, out + 11, style).ptr;
    }
    out = Append(out, "\"><v>");
    out = NumberText(out, number);
    return Append(out, "</v></c>");
}

} // namespace

extern "C" {

// The references the sheet can hold; beyond them the library's own, which
// bounds the text to its buffer.
__attribute__((visibility("default"))) void lxw_rowcol_to_cell(char* cell_name, lxw_row_t row,
                                                               lxw_col_t col)
{
    if (row >= LXW_ROW_MAX || col >= LXW_COL_MAX) {
        static const auto own = reinterpret_cast<decltype(&lxw_rowcol_to_cell)>(
            WorkbookLibrarySymbol("lxw_rowcol_to_cell"));
        if (own)
            own(cell_name, row, col);
        return;
    }
    *CellNameText(cell_name, row, col) = '\0';
}

// The library's thread alone writes the sheet while the rows arrive, and the
// closing thread after it has finished: the file needs no lock of its own.
__attribute__((visibility("default"))) void _write_number_cell(lxw_worksheet* self, char* range,
                                                               int32_t style_index, lxw_cell* cell)
{
    if (!LibraryIsOfHeaderVersion()) {
        static const auto own = reinterpret_cast<decltype(&_write_number_cell)>(
            WorkbookLibrarySymbol("_write_number_cell"));
        if (own)
            own(self, range, style_index, cell);
        return;
    }
    char text[96]; // a reference of 13 characters and a number of 23 at most
    const char* end = NumberCellText(text, range, style_index, cell->u.number);
    fwrite_unlocked(text, 1, size_t(end - text), self->file);
}

} // extern "C"
