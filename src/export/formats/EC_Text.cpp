#include "export/formats/EC_Text.h"

#include "engine/DisplayFormat.h"
#include "platform/DesktopApps.h"
#include "export/EC_Strings.h"
#include "platform/Interaction.h"
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

// Characters 0..31 are dropped; UTF-8 has no other bytes below 32. Runs
// that need nothing go over whole.
void AppendWithoutControlChars(QByteArray& out, QByteArrayView utf8, char doubled = 0)
{
    const char* run = utf8.data();
    const char* const end = run + utf8.size();
    for (const char* p = run; p < end; ++p) {
        const auto byte = static_cast<unsigned char>(*p);
        if (byte >= 32 && (doubled == 0 || *p != doubled))
            continue;
        out.append(run, p - run);
        run = byte < 32 ? p + 1 : p; // a doubled character goes twice
        if (byte >= 32)
            out += *p;
    }
    out.append(run, end - run);
}

void AppendQuoted(QByteArray& out, QByteArrayView utf8)
{
    out += '"';
    AppendWithoutControlChars(out, utf8, '"');
    out += '"';
}

// A value's text as UTF-8: its stored bytes when it came as bytes, else
// encoded into scratch.
QByteArrayView Utf8Of(const TExportValue& value, QByteArray& scratch)
{
    if (value.InBytes)
        return value.Utf8;
    scratch.truncate(0);
    AppendUtf8(scratch, value.Value);
    return scratch;
}

// A value that came as bytes is read as text only when its column's kind
// does not already say what it is.
TExportColumnKind KindOf(const TCustomExport& writer, int index, const TExportValue& value)
{
    if (!value.InBytes)
        return writer.GetColumnKind(index, value.Value);
    const TExportColumnKind kind = writer.GetColumnKind(index, QString());
    return kind == ckUnknown ? writer.GetColumnKind(index, value.Text()) : kind;
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
    for (int i = 0; i < values.Count(); ++i) {
        const TExportColumnKind kind = KindOf(*this, i, values[i]);
        if (kind == ckNumber || kind == ckCurrency)
            AppendExportValue(values[i], line);
        else
            AppendQuoted(line, Utf8Of(values[i], scratch));
        if (i + 1 < values.Count())
            line += separator_;
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
    AppendCSVLine(values, Output().Bytes());
    Output().Append("\r\n");
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
    QByteArray& line = Output().Bytes();
    QByteArray scratch;
    for (int i = 0; i < values.Count(); ++i) {
        if (i)
            line += '\t';
        const TExportColumnKind kind = KindOf(*this, i, values[i]);
        if (kind == ckNumber || kind == ckCurrency)
            AppendExportValue(values[i], line);
        else
            AppendWithoutControlChars(line, Utf8Of(values[i], scratch));
    }
    Output().Append("\r\n");
}
