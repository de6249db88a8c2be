// The Symbolic Link (SYLK) spreadsheet file: "ID;PTEXPORTX", four picture
// records (date, time, date-time, currency), one C record per cell (numbers,
// dates and times as numeric cells, with an F record naming their picture),
// the column widths, "E". Only the caption row and the item rows are written.
// Text is UTF-8; inside a quoted text value every ";" is doubled, since a
// lone one ends the record's field for every reader.
#pragma once

#include "export/formats/EC_Text.h"
#include "export/formats/ValueBytes.h"

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
    // The picture's F record when there is one, then the C record up to its
    // value; y is the row's ";Y" field.
    static void AppendCellStart(TByteAppender& out, int picture, int x, QByteArrayView y);
    // A cell's K value appended to cell, its picture (pattern record) set
    // when it has one; false when the cell is left out.
    bool TextCell(const TExportValue& value, int index, int& picture, QByteArray& cell) const;
    bool AppendBytesCell(TByteAppender& out, const TExportValue& value, int index,
                         QByteArrayView y);

    QByteArray cell_; // the room of a cell's value, kept between cells
    TColumnKinds kinds_;
};
