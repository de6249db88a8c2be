// What the two spreadsheet writers share: where the title, time stamp, page
// header lines, captions, items and footer lines go, which cell style each
// row takes, and how a value becomes a typed cell (number, currency, date,
// time, boolean or text). The file format only receives finished cells.
//
// Rows: the title in row 0; the time stamp below it; a blank row, then the
// header lines; a blank row, then the captions; item n in the caption row
// + n; after one blank row the footer lines.
#pragma once

#include "export/formats/EC_Text.h"

#include <vector>

class TSheetExport : public TCustomShellViewExport
{
public:
    // The cell styles, numbered as the BIFF XF table numbers them.
    enum TCellStyle
    {
        xfPlain = 1,
        xfDate = 2,
        xfTime = 3,
        xfDateTime = 4,
        xfCurrency = 5,
        xfTitle = 6,
        xfFirstFooter = 7,
        xfCaption = 8,
    };

    // maxRow and maxColumn are the last (0-based) the format holds. An item
    // or a column beyond them fails the export; footer cells beyond them are
    // skipped.
    TSheetExport(TExportXComponent* source, TExportType exportType, const QString& fileName,
                 int maxRow, int maxColumn);

    void WriteHeader(const TExportColumns& columns) override;
    void WriteItem(const TExportValues& values, int itemIndex) override;
    void WriteFooter() override;

    // One value as its cell; kind ckUnknown asks GetColumnKind for the column.
    void WriteCell(const TExportValue& value, int row, TExportColumnKind kind, int column);

    int TitleRow = -1, TimeStampRow = -1, HeaderRow = -1, FooterRow = -1;
    int RowOffset = 0;

protected:
    // Before the first cell, and after the last one.
    virtual void BeginSheet() = 0;
    virtual void EndSheet() = 0;
    virtual void PutNumber(int row, int column, double value, int style) = 0;
    virtual void PutBoolean(int row, int column, bool value, int style) = 0;
    // Text without control characters.
    virtual void PutText(int row, int column, const QString& text, int style) = 0;

    // A column's width in characters: its widest text, or what its currency
    // cells show (their display text and the room the format keeps for a
    // closing parenthesis), two more, at most 255.
    int ShownColumnWidth(int column) const;

    // The file cannot be made: the caller reports it, as the export-failure
    // report would read.
    [[noreturn]] void RaiseCannotCreate(const QString& reason) const;

    const int MaxRow;
    const int MaxColumn;

private:
    int RowStyle(int row) const;
    // Raises EInOutError naming the limits: the result does not fit.
    [[noreturn]] void RaiseDoesNotFit() const;
    // Per column, the longest display text of a currency cell.
    std::vector<int> currencyWidths_;
    double ToFloat(const QString& text) const;
};
