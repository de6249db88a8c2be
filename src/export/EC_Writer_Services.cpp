// The services the writers share: fixed-width text layout, values read over
// the regional settings, spreadsheet cell patterns, temporary output files
// and the time stamp.
#include "engine/DisplayFormat.h"
#include "export/EC_FileNames.h"
#include "export/EC_Strings.h"
#include "export/EC_Writer.h"
#include "export/formats/ValueBytes.h"
#include "platform/core/CodePoints.h"
#include "platform/core/DeadRunCleanup.h"
#include "platform/core/Exceptions.h"
#include "platform/core/RegionalSettings.h"
#include "platform/core/SystemInfo.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QFile>
#include <QMutex>
#include <QTemporaryFile>
#include <QVariant>
#include <algorithm>
#include <cmath>
#include <iterator>

// ---- Text layout ----

QString TCustomExport::FitText(const QString& value, int width, bool alignNumbersRight) const
{
    QString text;
    AppendFitText(text, value, width, alignNumbersRight);
    return text;
}

// Appended in place: a line of fitted values builds no string per value.
void TCustomExport::AppendFitText(QString& text, const QString& value, int width,
                                  bool alignNumbersRight) const
{
    const QString clean = RemoveControlChars(value);
    if (width <= 0)
        return;
    const QString& symbol = Source->TruncateSymbol();
    const int length = CodePointCount(clean);
    if (length > width) {
        const int symbolLength = CodePointCount(symbol);
        if (symbolLength < width) {
            text += LeftCodePoints(clean, width - symbolLength);
            text += symbol;
        } else {
            text += LeftCodePoints(clean, width);
        }
        return;
    }
    const qsizetype padding = width - length;
    if (alignNumbersRight && padding > 0 && IsNumber(clean)) {
        text.resize(text.size() + padding, QLatin1Char(' '));
        text += clean;
        return;
    }
    text += clean;
    text.resize(text.size() + padding, QLatin1Char(' '));
}

// The settings and the source cannot change while the export holds the
// application, so each column's width is asked of the source once per run.
int TCustomExport::ColumnWidth(int index) const
{
    if (index < 0)
        return MeasureColumnWidth(index);
    if (size_t(index) >= columnWidthCache_.size())
        columnWidthCache_.resize(size_t(index) + 1, -1);
    int& cached = columnWidthCache_[size_t(index)];
    if (cached < 0)
        cached = MeasureColumnWidth(index);
    return cached;
}

int TCustomExport::MeasureColumnWidth(int index) const
{
    const bool numberRows = Source->Options().testFlag(NumberRows);
    if (numberRows && index == 0) {
        const int count = Source->GetItemCount();
        const int digits = count > 0 ? int(QString::number(count).size()) : 0;
        return qMax(int(LoadStr(sItemCaption).size()), digits);
    }
    if (numberRows)
        --index;
    const QStringList& widths = Source->ColWidths();
    if (index >= 0 && index < widths.size() && IsNotBlank(widths.at(index))) {
        bool ok = false;
        const int width = widths.at(index).trimmed().toInt(&ok);
        if (!ok)
            throw EConvertError(
                QStringLiteral("'%1' is not a valid integer value").arg(widths.at(index)));
        return width;
    }
    return Source->GetDisplayWidth(index);
}

QString TCustomExport::BuildTextHeader(const TExportColumns& columns)
{
    QString text;
    const QString crlf = QStringLiteral("\r\n");
    if (IsNotBlank(Source->Title()))
        text += Source->Title() + crlf + DashLine(CodePointCount(Source->Title())) + crlf + crlf;
    if (Source->Options().testFlag(TimeStamp))
        text += TimeStampText() + crlf + crlf;
    const QString header = ListText(Source->Header());
    if (IsNotBlank(header))
        text += ConvertControlChars(header, QStringLiteral("\t"), crlf) + crlf;
    if (Source->Options().testFlag(ShowColHeaders)) {
        QString line;
        for (size_t i = 0; i < columns.size(); ++i) {
            if (i)
                line += QLatin1Char(' ');
            line += FitText(columns[i].Caption, ColumnWidth(int(i)), true);
        }
        HeaderWidth = CodePointCount(line);
        text += line + crlf + DashLine(HeaderWidth) + crlf;
    }
    return text;
}

QString TCustomExport::BuildTextLine(const TExportValues& values) const
{
    QString line;
    line.reserve(lineWidth_);
    for (int i = 0; i < values.Count(); ++i) {
        if (i)
            line += QLatin1Char(' ');
        AppendFitText(line, GetDisplayValue(values, i), ColumnWidth(i), true);
    }
    line += QLatin1String("\r\n");
    lineWidth_ = qMax(lineWidth_, line.size());
    return line;
}

QString TCustomExport::BuildTextFooter() const
{
    const QString footer = ListText(Source->Run().FormattedFooter);
    if (IsBlank(footer))
        return QString();
    const QString crlf = QStringLiteral("\r\n");
    QString text;
    if (Source->Options().testFlag(ShowColHeaders))
        text += DashLine(HeaderWidth) + crlf + crlf;
    return text + ConvertControlChars(footer, QStringLiteral("\t"), crlf) + crlf;
}

QString TCustomExport::ConvertControlChars(const QString& text, const QString& tabText,
                                           const QString& lineBreakText)
{
    QString result;
    result.reserve(text.size());
    for (QChar c : text) {
        if (c.unicode() >= 32)
            result += c;
        else if (c == QLatin1Char('\t'))
            result += tabText;
        else if (c == QLatin1Char('\n'))
            result += lineBreakText;
    }
    return result;
}

QString TCustomExport::FilterChars(const QString& text, const QString& allowed)
{
    // Nearly every value is kept whole: it is shared, not copied.
    qsizetype i = 0;
    while (i < text.size() && allowed.contains(text.at(i)))
        ++i;
    if (i == text.size())
        return text;
    QString result;
    result.reserve(text.size());
    result.append(QStringView(text).left(i));
    for (++i; i < text.size(); ++i) {
        if (allowed.contains(text.at(i)))
            result += text.at(i);
    }
    return result;
}

void TCustomExport::MeasureCaptions()
{
    CaptionWidth = 0;
    for (const TExportColumn& column : Columns)
        CaptionWidth = qMax(CaptionWidth, CodePointCount(column.Caption));
}

void TCustomExport::ResetColumnWidths(const QStringList& columns)
{
    ColumnWidths.assign(size_t(columns.size()), 0);
    UpdateColumnWidths(columns);
}

void TCustomExport::UpdateColumnWidths(const QStringList& values)
{
    const int count = qMin(int(values.size()), int(ColumnWidths.size()));
    for (int i = 0; i < count; ++i)
        ColumnWidths[size_t(i)] = qMax(ColumnWidths[size_t(i)], CodePointCount(values.at(i)));
}

// ---- Values ----

QString TCustomExport::GetDisplayValue(const TExportValues& values, int index)
{
    return GetDisplayValue(values[index]);
}

QString TCustomExport::GetDisplayValue(const TExportValue& value)
{
    return value.HasInfo && value.Info.HasDisplayText ? value.Info.DisplayText : value.Value;
}

QString TCustomExport::GetExportValue(const TExportValue& value) const
{
    return value.HasInfo ? NumericOrDefault(value.Info.DisplayText, value.Value) : value.Value;
}

// With no blank and no thousand separator in it, the text is its own
// NumericOrDefault, whether it is numeric or not; a value that came as bytes
// has no display text of its own (it is its raw text).
void TCustomExport::AppendExportValue(const TExportValue& value, QByteArray& utf8) const
{
    if (value.InBytes) {
        if (IsOwnExportText(value.Utf8, thousandSeparator_)) {
            utf8.append(value.Utf8);
            return;
        }
        const QString text = value.Text();
        AppendUtf8(utf8, value.HasInfo ? NumericOrDefault(text, text) : text);
        return;
    }
    AppendUtf8(utf8, GetExportValue(value));
}

QString TCustomExport::NumericOrDefault(const QString& text, const QString& defaultValue) const
{
    const QChar thousand = thousandSeparator_;
    const QChar decimal = decimalSeparator_;
    QString stripped = text.trimmed();
    stripped.remove(thousand);
    if (stripped.isEmpty())
        return defaultValue;
    const QChar first = stripped.at(0);
    if (first != QLatin1Char('-') && !first.isDigit() && first != decimal)
        return defaultValue;
    for (qsizetype i = 1; i < stripped.size(); ++i) {
        const QChar c = stripped.at(i);
        if (!(c >= QLatin1Char('0') && c <= QLatin1Char('9')) && c != decimal)
            return defaultValue;
    }
    return stripped;
}

QString TCustomExport::ToDotDecimal(const QString& text) const
{
    const QChar decimal = decimalSeparator_;
    QString result = text;
    if (decimal != QLatin1Char('.')) {
        const qsizetype at = result.indexOf(decimal);
        if (at >= 0)
            result[at] = QLatin1Char('.');
    }
    return result;
}

// A floating-point literal: leading blanks, a sign, digits with at most one
// point, an exponent; nothing after it.
bool TCustomExport::IsNumber(const QString& text) const
{
    if (decimalSeparator_ != QLatin1Char('.') && text.contains(QLatin1Char('.')))
        return false;
    const QString s = ToDotDecimal(text);
    qsizetype i = 0;
    while (i < s.size() && s.at(i) == QLatin1Char(' '))
        ++i;
    if (i < s.size() && (s.at(i) == QLatin1Char('+') || s.at(i) == QLatin1Char('-')))
        ++i;
    int digits = 0;
    const auto isDigit = [&](qsizetype at) {
        return at < s.size() && s.at(at) >= QLatin1Char('0') && s.at(at) <= QLatin1Char('9');
    };
    while (isDigit(i)) {
        ++i;
        ++digits;
    }
    if (i < s.size() && s.at(i) == QLatin1Char('.')) {
        ++i;
        while (isDigit(i)) {
            ++i;
            ++digits;
        }
    }
    if (digits == 0)
        return false;
    if (i < s.size() && (s.at(i) == QLatin1Char('e') || s.at(i) == QLatin1Char('E'))) {
        ++i;
        if (i < s.size() && (s.at(i) == QLatin1Char('+') || s.at(i) == QLatin1Char('-')))
            ++i;
        if (!isDigit(i))
            return false;
        while (isDigit(i))
            ++i;
    }
    return i == s.size();
}

TExportColumnKind TCustomExport::GetColumnKind(int index, const QString& value) const
{
    const bool numberRows = Source->Options().testFlag(NumberRows);
    if (ItemIndex == 0 && Source->Options().testFlag(ShowColHeaders))
        return ckString;
    const TExportColumns& list = Source->Run().ColumnList;
    if (index >= 0 && size_t(index) < list.size() && list[size_t(index)].Info &&
        list[size_t(index)].Info->Kind != ckUnknown)
        return list[size_t(index)].Info->Kind;
    if ((index == 0 && numberRows) || IsNumber(value))
        return ckNumber;
    return ckUnknown;
}

TDateTime TCustomExport::ParseDate(const QString& text) const
{
    return dateTimeReading_.ReadDate(text);
}

TDateTime TCustomExport::ParseDateTime(const QString& text) const
{
    return dateTimeReading_.ReadDateTime(text);
}

TDateTime TCustomExport::ParseTime(QStringView text) const
{
    return dateTimeReading_.ReadTime(text);
}

// The stored value gives the day count the text would give, and also where
// the text cannot: a two-digit year outside the century window, a pattern
// that leaves out the seconds.
TDateTime TCustomExport::DayCount(const TExportValue& value, TExportColumnKind kind) const
{
    const std::optional<TDateTime>& stored = value.Info.DateTime;
    const bool hasStored = value.HasInfo && stored;
    switch (kind) {
    case ckDate:
        return hasStored ? *stored : ParseDate(value.Value);
    case ckTime:
        return hasStored ? *stored : ParseTime(value.Value);
    case ckDateTimeDate:
        return std::floor(hasStored ? *stored : ParseDateTime(value.Value));
    case ckDateTimeTime: {
        // The day count grows with the time of day even before day 0.
        const TDateTime number = hasStored ? *stored : ParseDateTime(value.Value);
        return number - std::floor(number);
    }
    default:
        return hasStored ? *stored : ParseDateTime(value.Value);
    }
}

// ---- Patterns for spreadsheet cells ----

// Quoted words of the short date ("'г'.") are left out with their letters,
// which would read as pattern letters.
QString TCustomExport::DateFormatPattern()
{
    QString unquoted;
    bool quoted = false;
    for (QChar c : Regional::ShortDateFormat()) {
        if (c == QLatin1Char('\''))
            quoted = !quoted;
        else if (!quoted)
            unquoted += c;
    }
    return FilterChars(unquoted.toLower(), QStringLiteral("mdy") + Regional::DateSeparator());
}

QString TCustomExport::TimeFormatPattern() const
{
    QString pattern = QStringLiteral("h:mm");
    if (Source->Options().testFlag(TimeDisplaySeconds))
        pattern += QStringLiteral(":ss");
    if (!Source->Options().testFlag(Time24HourFormat) && IsNotBlank(Regional::AmSymbol()) &&
        IsNotBlank(Regional::PmSymbol()))
        pattern += QStringLiteral("\\ AM/PM");
    return pattern;
}

QString TCustomExport::DateTimeFormatPattern() const
{
    return DateFormatPattern() + QLatin1Char(' ') + TimeFormatPattern();
}

namespace {

// A money form's shape as a display-format pattern: the amount with the
// currency digits, the symbol and the blanks and minus beside it as quoted
// text, a bracket or a lone minus escaped.
QString CurrencyPattern(const char* shape, const QString& symbol, const QString& digits)
{
    QString pattern;
    QString quoted; // the run of text beside the amount not yet written
    const auto flush = [&] {
        if (quoted == QLatin1String("-"))
            pattern += QStringLiteral("\\-");
        else if (!quoted.isEmpty())
            pattern += QLatin1Char('"') + quoted + QLatin1Char('"');
        quoted.clear();
    };
    for (const char* p = shape; *p; ++p) {
        if (*p == 'N') {
            flush();
            pattern += QStringLiteral("#,##0.") + digits;
        } else if (*p == '(' || *p == ')') {
            flush();
            pattern += QLatin1Char('\\');
            pattern += QLatin1Char(*p);
        } else {
            quoted += *p == 'S' ? symbol : QString(QLatin1Char(*p));
        }
    }
    flush();
    return pattern;
}

} // namespace

namespace {

// A form number as the settings hold it: one out of range stays so (its
// part of the pattern is then empty); only one that is no number at all is
// the locale's.
int FormNumber(const char* name, int localeForm)
{
    bool ok = false;
    const int form = Regional::Value(QString::fromLatin1(name)).trimmed().toInt(&ok);
    return ok ? form : localeForm;
}

} // namespace

QString TCustomExport::CurrencyFormatPattern()
{
    const QString digits(qMax(0, Regional::CurrencyDigits()), QLatin1Char('0'));
    const QString symbol = Regional::CurrencySymbol();
    const int positive = FormNumber("iCurrency", Regional::CurrencyFormat());
    const int negative = FormNumber("iNegCurr", Regional::NegativeCurrencyFormat());
    const QString positivePart =
        positive >= 0 && positive < int(std::size(Regional::kPositiveCurrencyShapes))
            ? CurrencyPattern(Regional::kPositiveCurrencyShapes[positive], symbol, digits)
            : QString();
    const QString negativePart =
        negative >= 0 && negative < int(std::size(Regional::kNegativeCurrencyShapes))
            ? CurrencyPattern(Regional::kNegativeCurrencyShapes[negative], symbol, digits)
            : QString();
    return positivePart + QStringLiteral("_);[Red]") + negativePart;
}

// ---- Temporary files and the time stamp ----

namespace {

// The temporary files handed out this run, deleted when the program ends.
class TempFiles
{
public:
    ~TempFiles()
    {
        for (const QString& file : files_)
            QFile::remove(file);
    }
    void Register(const QString& file)
    {
        QMutexLocker lock(&mutex_);
        files_ << file;
    }

private:
    QMutex mutex_;
    QStringList files_;
};

TempFiles& RegisteredTempFiles()
{
    static TempFiles files;
    return files;
}

} // namespace

// The name carries this program's mark and the process id, so leftovers of a
// run that died can be told from those of a run still going, and from the
// files of other programs that use the same prefix.
QString TCustomExport::MakeTempFileName(const QString& ext)
{
    QString result;
    QTemporaryFile probe(
        TempFolder() +
        QStringLiteral("exp-tq%1-XXXXXX.tmp").arg(QCoreApplication::applicationPid()));
    probe.setAutoRemove(true);
    if (probe.open())
        result = ReplaceFileExt(probe.fileName(), ext);
    else
        result = TempFilePath(QStringLiteral("temp.") + ext);
    RegisteredTempFiles().Register(result);
    RegisteredTempFiles().Register(ReplaceFileExt(result, QStringLiteral("TMP")));
    return result;
}

void TCustomExport::RemoveDeadRunTempFiles()
{
    static const QRegularExpression ours(
        QStringLiteral("^exp-tq(\\d+)-[A-Za-z0-9]{6}\\.[A-Za-z0-9]{1,16}$"));
    RemoveDeadRunFiles(TempFolder(), ours);
}

QString TCustomExport::TimeStampText()
{
    const QString created = LoadStr(sCreated);
    const auto settings = TFormatSettings::Current();
    const QDateTime now = QDateTime::currentDateTime();
    const QString stamp =
        FormatDateTimeText(settings->shortDateFormat + QLatin1Char(' ') + settings->longTimeFormat,
                           now.date(), now.time(), *settings);
    return IsNotBlank(created) ? created + QLatin1Char(' ') + stamp : stamp;
}
