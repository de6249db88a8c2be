// The writer base TCustomExport: the pipeline that walks the source's
// columns and items into the writer operations, and the text, value,
// pattern and temporary-file services every writer shares.
#pragma once

#include "export/DateTimeReading.h"
#include "export/EC_Component.h"
#include "export/EC_Output.h"

#include <exception>
#include <memory>
#include <vector>

class TProgressForm;

class TCustomExport
{
public:
    TCustomExport(TExportXComponent* source, TExportType exportType, const QString& fileName);
    virtual ~TCustomExport();
    TCustomExport(const TCustomExport&) = delete;
    TCustomExport& operator=(const TCustomExport&) = delete;

    // The pipeline: header, every item, footer; the source is closed again on every path.
    bool Run();

    virtual void WriteHeader(const TExportColumns& columns);
    virtual void WriteItem(const TExportValues& values, int itemIndex);
    virtual void WriteFooter();
    // Whether WriteItem takes text values as bytes (TExportValue::Utf8).
    virtual bool TakesTextBytes() const { return false; }
    // Whether an item's bytes depend on nothing but the item once the writer
    // is ready for items (PrepareItems), so that AppendItem can make them on
    // any thread, several at once, and WriteItemsMade write them in order:
    // the lines of the delimited formats. Such a writer keeps no column widths.
    virtual bool AppendsItemsAlone() const { return false; }
    virtual void PrepareItems() {}
    virtual void AppendItem(const TExportValues& /*values*/, QByteArray& /*bytes*/) const {}
    virtual void WriteItemsMade(const QByteArray& /*bytes*/) {}
    // Completes the output after the footer (a file is put in place); a
    // failure here fails the export like any other.
    virtual void FinishOutput() {}
    // error is null for a failure that is no exception of ours.
    virtual void ShowExportError(const std::exception* error);
    // After the run, whatever its outcome: hands the output on (a viewed
    // file to its viewer, the text to the clipboard).
    virtual void DeliverOutput() {}
    // The output went to a viewer, which the window then steps aside for.
    bool HandedToViewer() const { return ViewerInstance; }

    // Text layout.
    QString FitText(const QString& value, int width, bool alignNumbersRight) const;
    void AppendFitText(QString& text, const QString& value, int width,
                       bool alignNumbersRight) const;
    QString BuildTextHeader(const TExportColumns& columns);
    QString BuildTextLine(const TExportValues& values) const;
    QString BuildTextFooter() const;
    static QString ConvertControlChars(const QString& text, const QString& tabText,
                                       const QString& lineBreakText);
    static QString FilterChars(const QString& text, const QString& allowed);
    void MeasureCaptions();
    int ColumnWidth(int index) const;
    void ResetColumnWidths(const QStringList& columns);
    void UpdateColumnWidths(const QStringList& values);

    // Values over the regional settings.
    // The separators and the date and time settings are those of the
    // regional settings when the writer was made.
    static QString GetDisplayValue(const TExportValues& values, int index);
    static QString GetDisplayValue(const TExportValue& value);
    QString GetExportValue(const TExportValue& value) const;
    // GetExportValue appended in UTF-8; a value that came as bytes goes over
    // as it is when the rule would give it back unchanged.
    void AppendExportValue(const TExportValue& value, QByteArray& utf8) const;
    QString NumericOrDefault(const QString& text, const QString& defaultValue) const;
    QString ToDotDecimal(const QString& text) const;
    bool IsNumber(const QString& text) const;
    TExportColumnKind GetColumnKind(int index, const QString& value) const;
    TDateTime ParseDate(const QString& text) const;
    TDateTime ParseDateTime(const QString& text) const;
    // A time of day in the regional format, as the fraction of a day.
    TDateTime ParseTime(QStringView text) const;
    // The day count of a value of a date or time kind: its stored value when
    // the source gives one, else its text read.
    TDateTime DayCount(const TExportValue& value, TExportColumnKind kind) const;

    // Spreadsheet cell patterns.
    static QString DateFormatPattern();
    QString TimeFormatPattern() const;
    QString DateTimeFormatPattern() const;
    static QString CurrencyFormatPattern();

    // A fresh temporary file name with the prefix "exp" and the extension;
    // the file is deleted when the program ends.
    static QString MakeTempFileName(const QString& ext);
    // Deletes the temporary files that runs which no longer live left behind
    // (only this program's, by their name, and only this user's).
    static void RemoveDeadRunTempFiles();
    static QString TimeStampText();

    bool Succeeded() const { return succeeded_; }
    TProgressForm* ProgressForm() const { return progressForm_.get(); }

protected:
    TExportXComponent* Source;
    TExportColumns Columns;
    std::vector<int> ColumnWidths;
    int ItemIndex = 0;
    TExportType ExportType;
    QString FileName;
    QString FileExt;
    bool ToFile = false;
    bool ViewerInstance = false; // the output was handed to a viewer
    int HeaderWidth = 0;
    int CaptionWidth = 0;
    bool succeeded_ = false;
    std::unique_ptr<TProgressForm> progressForm_;
    QChar decimalSeparator_;
    QChar thousandSeparator_;
    const TDateTimeReading dateTimeReading_;

private:
    void ReleaseProgressForm();
    int MeasureColumnWidth(int index) const;

    mutable std::vector<int> columnWidthCache_; // -1: not asked yet
    mutable qsizetype lineWidth_ = 0;           // the longest text line so far, its room
};

// Creates the writer for a type (text and clipboard by DetailedMode).
std::unique_ptr<TCustomExport> CreateExportWriter(TExportXComponent* source, TExportType type,
                                                  const QString& fileName);
