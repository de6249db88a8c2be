// The "Microsoft Excel Workbook" writer: the same sheet as the BIFF writer
// (rows, typed cells, number formats, fonts, column widths, print settings)
// as an Office Open XML workbook, with the caption row frozen. Booleans carry a format
// that prints them as TRUE and FALSE.
//
// The workbook library streams rows to its own temporary storage (constant
// memory: no row is held) and writes the file itself when the workbook
// closes. It takes the cells on a thread of its own, in batches, while the
// next rows are read and converted. It writes to a fresh name in the target
// folder (TAtomicFile), which replaces the target only when the run
// succeeded; otherwise it is deleted. The level
// it packs the file at is set in WorkbookCompression.cpp.
#pragma once

#include "export/formats/EC_Sheet.h"
#include "platform/core/AtomicFile.h"
#include "platform/core/SerialWorker.h"

#include <QByteArray>
#include <atomic>
#include <memory>
#include <vector>

struct lxw_workbook;
struct lxw_worksheet;
struct lxw_format;

class TXLSXExport : public TSheetExport
{
public:
    static constexpr int kMaxRow = 1048575;
    static constexpr int kMaxColumn = 16383;

    TXLSXExport(TExportXComponent* source, TExportType exportType, const QString& fileName);
    ~TXLSXExport() override;

    // Writes the workbook and puts it in place; raises EInOutError when it cannot.
    void FinishOutput() override;

protected:
    void BeginSheet() override;
    void EndSheet() override;
    void PutNumber(int row, int column, double value, int style) override;
    void PutBoolean(int row, int column, bool value, int style) override;
    void PutText(int row, int column, const QString& text, int style) override;

private:
    struct TCell
    {
        enum Kind : quint8
        {
            Number,
            Boolean,
            Text
        };
        int row;
        int column;
        Kind kind;
        double number;
        QByteArray text;
        lxw_format* format;
    };

    void Check(int error) const;
    void Discard();
    void Put(TCell cell);
    // Hands the pending cells to the library's thread; raises the first error it met.
    void HandOver();
    // Returns when the library has taken every cell.
    void Flush();

    TAtomicFile output_{outputFile_};
    lxw_workbook* workbook_ = nullptr;
    lxw_worksheet* sheet_ = nullptr;
    // The stdio buffer of the sheet's temporary file, which the library closes.
    std::unique_ptr<char[]> sheetBuffer_;
    lxw_format* styles_[xfCaption + 1] = {};
    // Plain cells holding a boolean: the spreadsheet prints a boolean cell
    // without this format as 1 or 0 when its neighbour is filled.
    lxw_format* booleanStyle_ = nullptr;
    std::vector<TCell> pending_;
    std::atomic<int> writeError_ = 0;
    std::unique_ptr<TSerialWorker> library_;
};
