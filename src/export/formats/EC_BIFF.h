// The "Microsoft Excel" writer: one worksheet in the BIFF2 record set, the
// version every spreadsheet still reads with its number formats intact.
//
// Record framing (all numbers little-endian): word id, word body length, body.
// Strings are counted: one length byte, then at most 255 bytes of
// Windows-1252 text (a CODEPAGE record after BOF says so). Numbers are 8-byte
// IEEE doubles. The file starts with BOF, CODEPAGE and a DIMENSIONS
// placeholder that is rewritten with the real limits after EOF.
//
// Fixed style tables written into every file:
//   fonts 0-3 and 5 Arial 10, 6 Arial 10 italic, 7 Arial 16 bold underlined,
//   8 Arial 10 bold (the format numbers fonts 0, 1, 2, 3, 5, 6, ...);
//   formats 0 General, 1 date, 2 time, 3 date-time, 4 currency;
//   XF 0 and 1 plain, 2 date, 3 time, 4 date-time, 5 currency, 6 title,
//   7 first footer line, 8 captions (top and bottom border).
//
// Like the text writers, the file is written under a temporary name in the
// target folder and put in place only when the run succeeds.
#pragma once

#include "export/formats/EC_Sheet.h"
#include "platform/core/AtomicFile.h"

#include <initializer_list>

class TBIFFExport : public TSheetExport
{
public:
    enum TRecordId : quint16
    {
        biffDimensions = 0x0000,
        biffNumber = 0x0003,
        biffLabel = 0x0004,
        biffBoolErr = 0x0005,
        biffBOF = 0x0009,
        biffEOF = 0x000A,
        biffHeader = 0x0014,
        biffFooter = 0x0015,
        biffFormat = 0x001E,
        biffColWidth = 0x0024,
        biffPrintHeaders = 0x002A,
        biffPrintGridlines = 0x002B,
        biffFont = 0x0031,
        biffCodePage = 0x0042,
        biffXF = 0x0043,
    };
    enum TFontStyle : quint8
    {
        styleBold = 1,
        styleItalic = 2,
        styleUnderline = 4,
        styleStrikeOut = 8,
    };
    // The sheet's own limits: cells beyond them are skipped silently.
    static constexpr int kMaxRow = 65535;
    static constexpr int kMaxColumn = 255;

    TBIFFExport(TExportXComponent* source, TExportType exportType, const QString& fileName);

    // Puts the finished file in place; raises EInOutError when it cannot.
    void FinishOutput() override;

    // Record writers.
    void WriteRecordHeader();
    void WriteBoolRecord(quint16 id, bool flag);
    void WriteStringRecord(quint16 id, const QString& text);
    void WriteBOF();
    void WriteCodePage();
    void WriteEOF();
    void WriteDimensions(int rowLimit, int columnLimit);
    void WriteFont(const QString& name, int sizeInPoints, quint8 styles);
    void WriteFormat(const QString& pattern);
    void WritePageHeader(const QString& text);
    void WritePageFooter(const QString& text);
    // Exactly three numbers: format index, font number counted from font 5, border byte.
    void WriteXF(std::initializer_list<int> parameters);
    void WriteColWidth(int column, int widthInChars);
    // The record header and the cell header; dataSize value bytes must follow.
    void WriteCellRecord(quint16 id, int row, int column, int xf, int dataSize);

protected:
    void BeginSheet() override;
    void EndSheet() override;
    void PutNumber(int row, int column, double value, int style) override;
    void PutBoolean(int row, int column, bool value, int style) override;
    void PutText(int row, int column, const QString& text, int style) override;

private:
    void WriteByte(quint8 value);
    void WriteWord(quint16 value);
    void WriteDouble(double value);
    void WriteBytes(const QByteArray& bytes);
    void Flush();

    quint16 RecordId = 0;
    quint16 RecordSize = 0;
    qint64 DimensionsPos = 0;
    TAtomicFile biffFile_{outputFile_};
    QIODevice& BiffFile = *biffFile_.Device(); // the file being written
    QByteArray buffer_;
    qint64 written_ = 0;
};
