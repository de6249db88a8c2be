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
    bool TakesTextBytes() const override { return true; }

private:
    // A cell's K value appended to cell, its picture (pattern record) set
    // when it has one; false when the cell is left out.
    bool TextCell(const TExportValue& value, int index, int& picture, QByteArray& cell) const;
    // The same from a value that came as bytes; none when only its text can tell.
    std::optional<bool> BytesCell(const TExportValue& value, int index, int& picture,
                                  QByteArray& cell) const;

    QByteArray cell_; // the room of a cell's value, kept between cells
};
