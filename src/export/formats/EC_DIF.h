// The Data Interchange Format: a TABLE / VECTORS / TUPLES / DATA header, then
// per row "-1,0" "BOT" and two lines per value ("0,n" "V" for a number,
// "1,0" and the quoted text otherwise), then "-1,0" "EOD".
// The header states the row count, which is known only at the end, so the
// tuples go to a temporary data file first and are copied behind the header
// when the run succeeds. Text is Windows-1252, what DIF readers assume;
// numbers use "." whatever the locale, the only separator readers accept.
#pragma once

#include "export/formats/EC_Text.h"
#include "export/formats/ValueBytes.h"

#include <QFile>

class TDIFExport : public TCustomTextExport
{
public:
    TDIFExport(TExportXComponent* source, TExportType exportType, const QString& fileName);
    ~TDIFExport() override;

    void WriteHeader(const TExportColumns& columns) override;
    void WriteItem(const TExportValues& values, int itemIndex) override;
    void WriteFooter() override;
    void WriteDIFRow(const TExportValues& list);
    bool TakesTextBytes() const override { return true; }

    const QString& DataFileName() const { return dataFileName_; }

private:
    void WriteData(const QByteArray& bytes);
    // A value's two lines appended to row.
    void AppendTextValue(QByteArray& row, const TExportValue& value, int index) const;
    bool AppendBytesValue(TByteAppender& row, const TExportValue& value, int index);

    QByteArray scratch_; // the room of a value being read, kept between values
    TColumnKinds kinds_;

    QString dataFileName_;
    QFile dataFile_;
    TBufferedOutput data_{&dataFile_};
};
