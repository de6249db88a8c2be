// The workbook library's writer of a number cell, which this program defines
// for it (see WorkbookCells.cpp); the cell reference it is given comes from
// lxw_rowcol_to_cell, also defined here.
#pragma once

#include <xlsxwriter.h>

extern "C" void _write_number_cell(lxw_worksheet* self, char* range, int32_t style_index,
                                   lxw_cell* cell);
