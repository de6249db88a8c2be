// The Symbolic Link (SYLK) spreadsheet file: "ID;PTEXPORTX", four picture
// records (date, time, date-time, currency), one C record per cell (numbers,
// dates and times as numeric cells, with an F record naming their picture),
// the column widths, "E". Only the caption row and the item rows are written.
// Text is UTF-8; inside a quoted text value every ";" is doubled, since a
// lone one ends the record's field for every reader.
#pragma once

#include "export/formats/EC_Text.h"

class TSYLKExport : public TCustomTextExport
{
public:
    using TCustomTextExport::TCustomTextExport;

    void WriteHeader(const TExportColumns& columns) override;
    void WriteItem(const TExportValues& values, int itemIndex) override;
    void WriteFooter() override;
    void WriteSYLKRow(const TExportValues& list);
};
