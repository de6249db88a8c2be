#include "export/formats/EC_Text.h"

#include "engine/DisplayFormat.h"
#include "export/EC_Strings.h"
#include "export/formats/ValueBytes.h"
#include "platform/DesktopApps.h"
#include "platform/Interaction.h"
#include "platform/core/ByteAppend.h"
#include "platform/core/Exceptions.h"
#include "platform/core/RegionalSettings.h"

#include <QDir>
#include <QFileInfo>

// ---- Shell view ----

namespace {

// The display name behind an extension: the first type that has it, so both
// text types read "Text".
QString NameOfExtension(const QString& ext)
{
    for (int i = 0; !ext.isEmpty() && i < kExportTypeLimit; ++i) {
        if (ExportTypeExt(TExportType(i)) == ext)
            return ExportTypeName(TExportType(i));
    }
    return QString();
}

} // namespace

TCustomShellViewExport::TCustomShellViewExport(TExportXComponent* source, TExportType exportType,
                                               const QString& fileName)
    : TCustomExport(source, exportType, fileName)
{
    const QString name = NameOfExtension(FileExt);
    viewErrorMessage_ = LoadStr(sViewFailed);
    viewErrorMessage_.replace(viewErrorMessage_.indexOf(QStringLiteral("%s")), 2, name);
    viewErrorMessage_.replace(viewErrorMessage_.indexOf(QStringLiteral("%s")), 2, name);
    outputFile_ = ToFile ? FileName : MakeTempFileName(FileExt);
}

void TCustomShellViewExport::DeliverOutput()
{
    if (ToFile || !succeeded_)
        return;
    if (LaunchDefaultApplication(outputFile_))
        ViewerInstance = true;
    else
        Ui().MessageDlg(viewErrorMessage_, mtError, mbOK);
}

// ---- Text files ----

TCustomTextExport::TCustomTextExport(TExportXComponent* source, TExportType exportType,
                                     const QString& fileName)
    : TCustomShellViewExport(source, exportType, fileName)
{
    // The caller reports the failure, as the writer's own report would read.
    if (!outFile_.Open()) {
        const EInOutError error(
            QStringLiteral("Cannot create %1: %2")
                .arg(QDir::toNativeSeparators(outputFile_), outFile_.ErrorString()));
        throw EInOutError(FileExportErrorText(&error));
    }
}

void TCustomTextExport::Write(const QString& text)
{
    output_.AppendUtf8(text);
}

void TCustomTextExport::WriteBytes(const QByteArray& bytes)
{
    output_.Append(bytes);
}

void TCustomTextExport::WriteLine(const QString& line)
{
    output_.AppendUtf8(line);
    output_.Append("\r\n");
}

void TCustomTextExport::PrepareKinds(TColumnKinds& kinds)
{
    ItemIndex = 1;
    for (int i = 0; i < int(Columns.size()); ++i)
        kinds.Fixed(*this, i, false);
}

void TCustomTextExport::CloseOutput()
{
    output_.Flush();
    outFile_.Commit();
}

QString FileExportErrorText(const std::exception* error)
{
    QString text = LoadStr(sFileExportFailed);
    if (error)
        text += QLatin1Char('\r') + ExceptionMessage(*error);
    return text;
}

void TCustomTextExport::ShowExportError(const std::exception* error)
{
    Ui().MessageDlg(FileExportErrorText(error), mtError, mbOK);
}

// ---- CSV ----

// A separator that is also the decimal separator would split every number
// in two ("1,1,1234,5"): the settings' list separator then gives way, as a
// missing one does.
QString GetListSeparator()
{
    const QString separator = Regional::Value(QStringLiteral("sList")).left(255);
    const QChar decimal = Regional::DecimalSeparator();
    if (!separator.isEmpty() && separator != QString(decimal))
        return separator;
    return decimal == QLatin1Char(',') ? QStringLiteral(";") : QStringLiteral(",");
}

namespace {

void AppendQuoted(TByteAppender& out, QByteArrayView utf8)
{
    out.Add('"');
    AppendWithoutControlChars(out, utf8, '"');
    out.Add('"');
}

} // namespace

TCSVExport::TCSVExport(TExportXComponent* source, TExportType exportType, const QString& fileName)
    : TCustomTextExport(source, exportType, fileName), separator_(GetListSeparator().toUtf8())
{
}

QString TCSVExport::BuildCSVLine(const TExportValues& values) const
{
    QByteArray line;
    AppendCSVLine(values, line);
    return QString::fromUtf8(line);
}

void TCSVExport::AppendCSVLine(const TExportValues& values, QByteArray& line) const
{
    QByteArray scratch;
    TByteAppender out(line);
    for (int i = 0; i < values.Count(); ++i) {
        const TExportColumnKind kind = kinds_.Of(*this, i, values[i], ItemIndex == 0);
        if (kind == ckNumber || kind == ckCurrency)
            ::AppendExportValue(*this, values[i], thousandSeparator_, out);
        else
            AppendQuoted(out, Utf8Of(values[i], scratch));
        if (i + 1 < values.Count())
            out.Add(separator_);
    }
}

void TCSVExport::WriteHeader(const TExportColumns& columns)
{
    TCustomTextExport::WriteHeader(columns);
    if (!Source->Options().testFlag(ShowColHeaders))
        return;
    TExportValues captions;
    for (const TExportColumn& column : columns)
        captions.Add().Value = column.Caption;
    WriteLine(BuildCSVLine(captions));
}

void TCSVExport::WriteItem(const TExportValues& values, int itemIndex)
{
    TCustomTextExport::WriteItem(values, itemIndex);
    AppendItem(values, Output().Bytes());
    Output().FlushWhenFull();
}

void TCSVExport::AppendItem(const TExportValues& values, QByteArray& bytes) const
{
    AppendCSVLine(values, bytes);
    AppendBytes(bytes, "\r\n", 2);
}

// ---- Tab-delimited ----

// Captions as they stand, each followed by a TAB, the last one too.
void TTabExport::WriteHeader(const TExportColumns& columns)
{
    TCustomTextExport::WriteHeader(columns);
    if (!Source->Options().testFlag(ShowColHeaders))
        return;
    QString line;
    for (const TExportColumn& column : columns)
        line += column.Caption + QLatin1Char('\t');
    WriteLine(line);
}

void TTabExport::WriteItem(const TExportValues& values, int itemIndex)
{
    TCustomTextExport::WriteItem(values, itemIndex);
    AppendItem(values, Output().Bytes());
    Output().FlushWhenFull();
}

void TTabExport::AppendItem(const TExportValues& values, QByteArray& bytes) const
{
    QByteArray scratch;
    TByteAppender line(bytes);
    for (int i = 0; i < values.Count(); ++i) {
        if (i)
            line.Add('\t');
        const TExportColumnKind kind = kinds_.Of(*this, i, values[i], ItemIndex == 0);
        if (kind == ckNumber || kind == ckCurrency)
            ::AppendExportValue(*this, values[i], thousandSeparator_, line);
        else
            AppendWithoutControlChars(line, Utf8Of(values[i], scratch));
    }
    line.Add("\r\n");
}
