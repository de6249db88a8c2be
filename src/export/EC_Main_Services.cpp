// The services the writers share: fixed-width text layout, values read over
// the regional settings, spreadsheet cell patterns, temporary output files
// and the time stamp.
#include "engine/DisplayFormat.h"
#include "export/EC_Main.h"
#include "export/EC_Strings.h"
#include "platform/core/DeadRunCleanup.h"
#include "platform/core/Exceptions.h"
#include "platform/core/RegionalSettings.h"
#include "platform/core/SystemInfo.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QFile>
#include <QMutex>
#include <QTemporaryFile>
#include <algorithm>

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
    if (clean.size() > width) {
        if (symbol.size() < width) {
            text += QStringView(clean).left(width - symbol.size());
            text += symbol;
        } else {
            text += QStringView(clean).left(width);
        }
        return;
    }
    const qsizetype padding = width - clean.size();
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
        text += Source->Title() + crlf + DashLine(int(Source->Title().size())) + crlf + crlf;
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
        HeaderWidth = int(line.size());
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
    const QString footer = ListText(Source->FormattedFooter);
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
        CaptionWidth = qMax(CaptionWidth, int(column.Caption.size()));
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
        ColumnWidths[size_t(i)] = qMax(ColumnWidths[size_t(i)], int(values.at(i).size()));
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
        const char16_t thousand = thousandSeparator_.unicode();
        const bool unchanged = std::none_of(value.Utf8.begin(), value.Utf8.end(), [&](char c) {
            const auto byte = static_cast<unsigned char>(c);
            return byte <= ' ' || byte >= 0x80 || byte == thousand;
        });
        if (unchanged) {
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
    const TExportColumns& list = Source->ColumnList;
    if (index >= 0 && size_t(index) < list.size() && list[size_t(index)].Info &&
        list[size_t(index)].Info->Kind != ckUnknown)
        return list[size_t(index)].Info->Kind;
    if ((index == 0 && numberRows) || IsNumber(value))
        return ckNumber;
    return ckUnknown;
}

TDateTimeReading TDateTimeReading::Current()
{
    TDateTimeReading reading;
    reading.shortDate = Regional::ShortDateFormat();
    reading.timeSeparator = Regional::TimeSeparator();
    reading.am = Regional::AmSymbol();
    reading.pm = Regional::PmSymbol();
    // One-letter day and month, so "1/2/2024" reads like "01/02/2024", as the
    // run-time library's date conversion takes them.
    reading.readDate = reading.shortDate;
    reading.readDate.replace(QStringLiteral("dd"), QStringLiteral("d"));
    reading.readDate.replace(QStringLiteral("MM"), QStringLiteral("M"));
    if (reading.readDate.contains(QStringLiteral("yyyy")))
        reading.readShortYear =
            QString(reading.readDate).replace(QStringLiteral("yyyy"), QStringLiteral("yy"));
    reading.dateChars = QStringLiteral("0123456789 ") + Regional::DateSeparator();
    reading.dateTimeChars = reading.dateChars + reading.timeSeparator + reading.am + reading.pm;
    return reading;
}

namespace {

const QDate kDayZero(1899, 12, 30);

// Reads a number of first..last digits at i, moving i past them.
int ReadDigits(QStringView text, qsizetype& i, int first, int last)
{
    int value = 0, count = 0;
    while (i < text.size() && count < last && text[i] >= QLatin1Char('0') &&
           text[i] <= QLatin1Char('9')) {
        value = value * 10 + (text[i].unicode() - '0');
        ++i;
        ++count;
    }
    return count < first ? -1 : value;
}

// The common shapes of a short date (one-letter day and month, four-digit
// year, fields apart by marks that are no digits) read directly, since the
// general conversion prepares its pattern again for every value. Anything
// else, and any date that does not exist, is left to the general conversion.
QDate QuickDate(QStringView text, QStringView pattern)
{
    int day = -1, month = -1, year = -1;
    qsizetype at = 0;
    for (qsizetype p = 0; p < pattern.size();) {
        const QChar c = pattern[p];
        qsizetype run = 1;
        while (p + run < pattern.size() && pattern[p + run] == c)
            ++run;
        if (c == QLatin1Char('\'') || c.isDigit())
            return QDate();
        if (c.isLetter()) {
            int* field = c == QLatin1Char('d')   ? &day
                         : c == QLatin1Char('M') ? &month
                         : c == QLatin1Char('y') ? &year
                                                 : nullptr;
            const bool fieldNext = p + run < pattern.size() && pattern[p + run].isLetter();
            if (!field || *field >= 0 || fieldNext || run != (field == &year ? 4 : 1))
                return QDate();
            *field = field == &year ? ReadDigits(text, at, 4, 4) : ReadDigits(text, at, 1, 2);
            if (*field < 0)
                return QDate();
        } else {
            for (qsizetype k = 0; k < run; ++k, ++at)
                if (at >= text.size() || text[at] != c)
                    return QDate();
        }
        p += run;
    }
    if (at != text.size() || day < 0 || month < 0 || year < 0)
        return QDate();
    return QDate(year, month, day);
}

QDate ParseShortDate(const TDateTimeReading& reading, QStringView text)
{
    const QStringView trimmed = text.trimmed();
    QDate date = QuickDate(trimmed, reading.readDate);
    if (!date.isValid())
        date = QDate::fromString(trimmed.toString(), reading.readDate);
    if (!date.isValid() && !reading.readShortYear.isEmpty()) {
        date = QDate::fromString(trimmed.toString(), reading.readShortYear);
        if (date.isValid() && date.year() < 1950)
            date = date.addYears(100);
    }
    if (!date.isValid())
        throw EConvertError(QStringLiteral("'%1' is not a valid date").arg(text));
    return date;
}

} // namespace

TDateTime TCustomExport::ParseDate(const QString& text) const
{
    const QString kept = FilterChars(text, dateTimeReading_.dateChars);
    return double(kDayZero.daysTo(ParseShortDate(dateTimeReading_, kept)));
}

TDateTime TCustomExport::ParseDateTime(const QString& text) const
{
    const QString kept = FilterChars(text, dateTimeReading_.dateTimeChars);
    const QStringView trimmed = QStringView(kept).trimmed();
    const qsizetype blank = trimmed.indexOf(QLatin1Char(' '));
    const QStringView datePart = blank < 0 ? trimmed : trimmed.left(blank);
    const QStringView timePart = blank < 0 ? QStringView() : trimmed.mid(blank + 1).trimmed();
    const double day = double(kDayZero.daysTo(ParseShortDate(dateTimeReading_, datePart)));
    return timePart.isEmpty() ? day : day + ParseTime(timePart);
}

TDateTime TCustomExport::ParseTime(QStringView text) const
{
    QStringView timePart = text.trimmed();
    bool afternoon = false, marked = false;
    for (const auto& [symbol, isPm] :
         {std::pair{&dateTimeReading_.pm, true}, std::pair{&dateTimeReading_.am, false}}) {
        if (!symbol->isEmpty() && timePart.endsWith(*symbol, Qt::CaseInsensitive)) {
            timePart.chop(symbol->size());
            afternoon = isPm;
            marked = true;
            break;
        }
    }
    // Up to three numbers apart by the time separator.
    int values[3] = {0, 0, 0};
    bool ok = true;
    QStringView rest = timePart.trimmed();
    for (int count = 0; ok; ++count) {
        const qsizetype end = rest.indexOf(dateTimeReading_.timeSeparator);
        ok = count < 3;
        if (ok)
            values[count] = rest.left(end < 0 ? rest.size() : end).toInt(&ok);
        if (end < 0)
            break;
        rest = rest.mid(end + 1);
    }
    if (ok && marked) {
        ok = values[0] >= 1 && values[0] <= 12;
        values[0] = values[0] % 12 + (afternoon ? 12 : 0);
    }
    if (!ok || values[0] > 23 || values[1] > 59 || values[2] > 59)
        throw EConvertError(QStringLiteral("'%1' is not a valid time").arg(text));
    return (values[0] * 3600 + values[1] * 60 + values[2]) / 86400.0;
}

// ---- Patterns for spreadsheet cells ----

QString TCustomExport::DateFormatPattern()
{
    return FilterChars(Regional::ShortDateFormat().toLower(),
                       QStringLiteral("mdy") + Regional::DateSeparator());
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

// Positive and negative money patterns: "S" takes the symbol, "D" the decimals.
const char* const kPositiveCurrency[] = {
    "\"S\"#,##0.D",
    "#,##0.D\"S\"",
    "\"S \"#,##0.D",
    "#,##0.D\" S\"",
};
const char* const kNegativeCurrency[] = {
    "\\(\"S\"#,##0.D\\)", "\"-S\"#,##0.D",   "\"S-\"#,##0.D",       "\"S\"#,##0.D\\-",
    "\\(#,##0.D\"S\"\\)", "\\-#,##0.D\"S\"", "#,##0.D\"-S\"",       "#,##0.D\"S-\"",
    "\\-#,##0.D\" S\"",   "\"-S \"#,##0.D",  "#,##0.D\" S-\"",      "\"S \"#,##0.D\\-",
    "\"S -\"#,##0.D",     "#,##0.D\"- S\"",  "\\(\"S \"#,##0.D\\)", "\\(#,##0.D\" S\"\\)",
};

// Fills one pattern; the symbol goes only inside the quoted section.
QString FillCurrency(const char* pattern, const QString& symbol, const QString& digits)
{
    QString result;
    bool quoted = false;
    for (const char* p = pattern; *p; ++p) {
        if (*p == '"')
            quoted = !quoted;
        if (*p == 'S' && quoted)
            result += symbol;
        else if (*p == 'D' && !quoted)
            result += digits;
        else
            result += QLatin1Char(*p);
    }
    return result;
}

} // namespace

QString TCustomExport::CurrencyFormatPattern()
{
    const QString digits(qMax(0, Regional::CurrencyDigits()), QLatin1Char('0'));
    const QString symbol = Regional::CurrencySymbol();
    const int positive = Regional::CurrencyFormat();
    const int negative = Regional::NegativeCurrencyFormat();
    const QString positivePart = positive >= 0 && positive < 4
                                     ? FillCurrency(kPositiveCurrency[positive], symbol, digits)
                                     : QString();
    const QString negativePart = negative >= 0 && negative < 16
                                     ? FillCurrency(kNegativeCurrency[negative], symbol, digits)
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

QString TempFilePath(const QString& name)
{
    return TempFolder() + name;
}

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
