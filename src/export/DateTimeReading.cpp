#include "export/DateTimeReading.h"

#include "engine/FormatSettings.h"
#include "platform/core/Exceptions.h"
#include "platform/core/RegionalSettings.h"

#include <QDate>

namespace {

const QDate kDayZero(1899, 12, 30);

// The most digits one number may have; more cannot be a date or time part.
constexpr int kMaxDigits = 9;

bool IsDigitAt(QStringView text, qsizetype i)
{
    return i < text.size() && text[i].isDigit();
}

// Reads the next number at or after at, at most limit digits, moving at past
// it; -1 when no digit follows. digits receives how many were read.
int NextNumber(QStringView text, qsizetype& at, int limit, int* digits = nullptr)
{
    while (at < text.size() && !text[at].isDigit())
        ++at;
    int value = 0, count = 0;
    while (IsDigitAt(text, at) && count < limit) {
        value = value * 10 + text[at].digitValue();
        ++at;
        ++count;
    }
    if (digits)
        *digits = count;
    return count == 0 || (IsDigitAt(text, at) && limit == kMaxDigits) ? -1 : value;
}

bool HasDigit(QStringView text)
{
    for (QChar c : text)
        if (c.isDigit())
            return true;
    return false;
}

// Where symbol stands in text as a word of its own (no letter right before or
// after it, so "m" is not found inside "min"); -1 when it does not.
qsizetype WordAt(QStringView text, const QString& symbol)
{
    if (symbol.trimmed().isEmpty())
        return -1;
    for (qsizetype at = text.indexOf(symbol, 0, Qt::CaseInsensitive); at >= 0;
         at = text.indexOf(symbol, at + 1, Qt::CaseInsensitive)) {
        const qsizetype after = at + symbol.size();
        if ((at == 0 || !text[at - 1].isLetter()) &&
            (after >= text.size() || !text[after].isLetter()))
            return at;
    }
    return -1;
}

// Whether what stands between two numbers of a time (from at to the number
// that ends at end) parts them as the writers do: one mark ("13:45",
// "13.45"), a word ("13時45分", "13 h 45"), blanks; never two marks in a
// row ("1::2").
bool SeparatesParts(QStringView text, qsizetype at, qsizetype end)
{
    bool lastWasMark = false;
    for (; at < end && !text[at].isDigit(); ++at) {
        const QChar c = text[at];
        const bool mark = !c.isSpace() && !c.isLetterOrNumber() && !c.isMark();
        if (mark && lastWasMark)
            return false;
        lastWasMark = mark;
    }
    return true;
}

// A two-digit year in the century that puts it within fifty years of today.
int FullYear(int year)
{
    const int pivot = QDate::currentDate().year() - 50;
    int full = pivot - pivot % 100 + year;
    if (full < pivot)
        full += 100;
    return full;
}

[[noreturn]] void NotA(const char* what, QStringView text)
{
    throw EConvertError(
        QStringLiteral("'%1' is not a valid %2").arg(text.toString(), QString::fromLatin1(what)));
}

} // namespace

TDateTimeReading TDateTimeReading::Current()
{
    const auto settings = TFormatSettings::Current();
    return TDateTimeReading(Regional::ShortDateFormat(), Regional::AmSymbol(), Regional::PmSymbol(),
                            settings->longMonthNames + settings->shortMonthNames);
}

TDateTimeReading::TDateTimeReading(const QString& shortDate, const QString& am, const QString& pm,
                                   const QStringList& monthNames)
    : shortDate_(shortDate), am_(am), pm_(pm), monthNames_(monthNames)
{
    const auto kindOf = [](QChar c) -> char {
        switch (c.toLower().unicode()) {
        case 'd':
            return 'd';
        case 'm':
            return 'M';
        case 'y':
            return 'y';
        default:
            return 0;
        }
    };
    for (qsizetype i = 0; i < shortDate.size();) {
        const QChar c = shortDate[i];
        if (c == QLatin1Char('\'') || c == QLatin1Char('"')) {
            const qsizetype close = shortDate.indexOf(c, i + 1);
            i = close < 0 ? shortDate.size() : close + 1;
            continue;
        }
        qsizetype run = 1;
        while (i + run < shortDate.size() && shortDate[i + run] == c)
            ++run;
        const char kind = kindOf(c);
        if (kind == 'M' && run >= 3)
            monthByName_ = true;
        else if (kind == 'y' || (kind && run <= 2)) // "ddd" names the weekday
            fields_.push_back(
                {kind, int(run), i + run < shortDate.size() && kindOf(shortDate[i + run]) != 0});
        i += run;
    }
}

int TDateTimeReading::MonthNamed(QStringView text) const
{
    int month = -1;
    qsizetype longest = 0;
    for (qsizetype i = 0; i < monthNames_.size(); ++i) {
        const QString& name = monthNames_.at(i);
        if (name.size() > longest && text.contains(name, Qt::CaseInsensitive)) {
            longest = name.size();
            month = int(i % 12) + 1;
        }
    }
    return month;
}

TDateTime TDateTimeReading::ReadDateAt(QStringView text, qsizetype* end) const
{
    int day = -1, month = -1, year = -1, yearDigits = 0;
    qsizetype at = 0;
    for (const TField& field : fields_) {
        // Numbers written without a separator between them are told apart by
        // the pattern's letters: "yyyyMMdd".
        const int limit = !field.adjacent     ? kMaxDigits
                          : field.kind == 'y' ? (field.letters <= 2 ? 2 : 4)
                                              : 2;
        int digits = 0;
        const int value = NextNumber(text, at, limit, &digits);
        int& target = field.kind == 'd' ? day : field.kind == 'M' ? month : year;
        if (value < 0 || target >= 0)
            NotA("date", text);
        target = value;
        if (field.kind == 'y')
            yearDigits = digits;
    }
    if (monthByName_)
        month = MonthNamed(text);
    if (year >= 0 && yearDigits <= 2)
        year = FullYear(year);
    const QDate date(year, month, day);
    if (!date.isValid())
        NotA("date", text);
    *end = at;
    return double(kDayZero.daysTo(date));
}

TDateTime TDateTimeReading::ReadDate(QStringView text) const
{
    qsizetype end = 0;
    const TDateTime day = ReadDateAt(text, &end);
    if (HasDigit(text.mid(end)))
        NotA("date", text);
    return day;
}

TDateTime TDateTimeReading::ReadTime(QStringView text) const
{
    qsizetype marker = -1, markerSize = 0;
    bool afternoon = false;
    for (const auto& [symbol, isPm] : {std::pair{&pm_, true}, std::pair{&am_, false}}) {
        marker = WordAt(text, *symbol);
        if (marker >= 0) {
            markerSize = symbol->size();
            afternoon = isPm;
            break;
        }
    }
    // The designator is no part of the numbers, even where it holds digits.
    QString numbers = text.toString();
    if (marker >= 0)
        numbers.replace(marker, markerSize, QLatin1Char(' '));
    int values[3] = {0, 0, 0};
    qsizetype at = 0;
    int count = 0;
    while (HasDigit(QStringView(numbers).mid(at))) {
        const qsizetype start = at;
        const int value = NextNumber(numbers, at, kMaxDigits);
        if (value < 0 || count == 3 || (count > 0 && !SeparatesParts(numbers, start, at)))
            NotA("time", text);
        values[count++] = value;
    }
    bool ok = count > 0;
    if (ok && marker >= 0) {
        ok = values[0] >= 1 && values[0] <= 12;
        values[0] = values[0] % 12 + (afternoon ? 12 : 0);
    }
    if (!ok || values[0] > 23 || values[1] > 59 || values[2] > 59)
        NotA("time", text);
    return (values[0] * 3600 + values[1] * 60 + values[2]) / 86400.0;
}

TDateTime TDateTimeReading::ReadDateTime(QStringView text) const
{
    qsizetype end = 0;
    const TDateTime day = ReadDateAt(text, &end);
    const QStringView rest = text.mid(end);
    if (!HasDigit(rest))
        return day;
    try {
        return day + ReadTime(rest);
    } catch (const EConvertError&) {
        NotA("date and time", text);
    }
}
