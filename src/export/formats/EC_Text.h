// The file writers' bases and the two delimited formats.
//   TCustomShellViewExport: which file is written (the chosen one, or a
//     temporary one to view), and opening it in the desktop's application
//     after a successful run in view mode.
//   TCustomTextExport: the file as UTF-8 text lines ending in CR LF, written
//     under a temporary name in the target folder and put in place only when
//     the run succeeds (TAtomicFile), so a cancelled or failed export leaves
//     any earlier file as it was.
//   TCSVExport: fields separated by the list separator, text quoted.
//   TTabExport: fields separated by TAB, nothing quoted.
#pragma once

#include "export/EC_Writer.h"
#include "export/formats/ValueBytes.h"
#include "platform/core/AtomicFile.h"

class TCustomShellViewExport : public TCustomExport
{
public:
    TCustomShellViewExport(TExportXComponent* source, TExportType exportType,
                           const QString& fileName);
    // Opens the file in the desktop's application after a successful run in view mode.
    void DeliverOutput() override;

    const QString& OutputFile() const { return outputFile_; }
    const QString& ViewErrorMessage() const { return viewErrorMessage_; }

protected:
    QString outputFile_;
    QString viewErrorMessage_;
};

class TCustomTextExport : public TCustomShellViewExport
{
public:
    TCustomTextExport(TExportXComponent* source, TExportType exportType, const QString& fileName);

    // Puts the finished file in place; raises EInOutError when it cannot.
    void CloseOutput();
    void FinishOutput() override { CloseOutput(); }
    void ShowExportError(const std::exception* error) override;

protected:
    void WriteLine(const QString& line);
    void Write(const QString& text);
    // Bytes as they stand, for the formats whose readers assume another encoding.
    void WriteBytes(const QByteArray& bytes);
    void WriteItemsMade(const QByteArray& bytes) override { WriteBytes(bytes); }
    // Asks the kind of every column as the first item asks it, so that
    // items can then be made on several threads without asking again.
    void PrepareKinds(TColumnKinds& kinds);
    // The file's buffered output, for writers that build their bytes in place.
    TBufferedOutput& Output() { return output_; }

private:
    TAtomicFile outFile_{outputFile_};
    TBufferedOutput output_{outFile_.Device()};
};

// The list separator of the regional settings; without one, or where it is
// the decimal separator, ";" where the decimal separator is "," and ","
// elsewhere.
QString GetListSeparator();

// What the text writers report for a failure: their message, a carriage
// return and the error's own message.
QString FileExportErrorText(const std::exception* error);

// The separator is read once per run, not per line: the settings cannot
// change while the export holds the application.
class TCSVExport : public TCustomTextExport
{
public:
    TCSVExport(TExportXComponent* source, TExportType exportType, const QString& fileName);
    void WriteHeader(const TExportColumns& columns) override;
    void WriteItem(const TExportValues& values, int itemIndex) override;
    bool TakesTextBytes() const override { return true; }
    bool AppendsItemsAlone() const override { return true; }
    void PrepareItems() override { PrepareKinds(kinds_); }
    void AppendItem(const TExportValues& values, QByteArray& bytes) const override;
    QString BuildCSVLine(const TExportValues& values) const;
    // The same line appended to bytes in UTF-8.
    void AppendCSVLine(const TExportValues& values, QByteArray& line) const;

private:
    QByteArray separator_; // in UTF-8
    mutable TColumnKinds kinds_;
};

class TTabExport : public TCustomTextExport
{
public:
    using TCustomTextExport::TCustomTextExport;
    void WriteHeader(const TExportColumns& columns) override;
    void WriteItem(const TExportValues& values, int itemIndex) override;
    bool TakesTextBytes() const override { return true; }
    bool AppendsItemsAlone() const override { return true; }
    void PrepareItems() override { PrepareKinds(kinds_); }
    void AppendItem(const TExportValues& values, QByteArray& bytes) const override;

private:
    mutable TColumnKinds kinds_;
};
