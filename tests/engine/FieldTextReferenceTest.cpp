// The field texts against a plain reference formatter: numbers through
// printf's "%.14e" and date patterns re-read for every value, the way the
// texts were first made. The engine reads patterns once and formats numbers
// without printf; over a wide sample of values and every pinned regional
// setting, both must give the same texts.
#include "engine/DisplayFormat.h"
#include "engine/Field.h"
#include "engine/FieldValue.h"
#include "engine/FormatSettings.h"
#include "support/EngineTestSupport.h"

#include <QDateTime>
#include <cfloat>
#include <cmath>
#include <cstring>
#include <gtest/gtest.h>
#include <random>
#include <sqlite3.h>

namespace reference {

bool IsQuote(QChar c)
{
    return c == QLatin1Char('\'') || c == QLatin1Char('"');
}

QString QuotedText(const QString& s, qsizetype i, qsizetype* next)
{
    const qsizetype close = s.indexOf(s.at(i), i + 1);
    *next = close < 0 ? s.size() : close + 1;
    return s.mid(i + 1, (close < 0 ? s.size() : close) - i - 1);
}

QString Pad(int value, int width)
{
    return QStringLiteral("%1").arg(value, width, 10, QLatin1Char('0'));
}

bool UsesTwelveHours(const QString& pattern)
{
    for (qsizetype i = 0; i < pattern.size();) {
        if (IsQuote(pattern.at(i))) {
            QuotedText(pattern, i, &i);
            continue;
        }
        const QString rest = pattern.mid(i, 5).toLower();
        if (rest.startsWith(QLatin1String("am/pm")) || rest.startsWith(QLatin1String("a/p")) ||
            rest.startsWith(QLatin1String("ampm")))
            return true;
        ++i;
    }
    return false;
}

QString FormatDate(const QString& pattern, const QDate& date, const QTime& time,
                   const TFormatSettings& s, int depth)
{
    if (depth > 2)
        return QString();
    const bool twelve = UsesTwelveHours(pattern);
    QString out;
    QChar lastLetter;
    for (qsizetype i = 0; i < pattern.size();) {
        const QChar c = pattern.at(i);
        if (IsQuote(c)) {
            out += QuotedText(pattern, i, &i);
            continue;
        }
        QChar token = c.toLower();
        if (token == QLatin1Char('a')) {
            const QString rest = pattern.mid(i, 5);
            const bool pm = time.hour() >= 12;
            if (rest.toLower() == QLatin1String("am/pm")) {
                out += pm ? rest.mid(3, 2) : rest.left(2);
                i += 5;
            } else if (rest.left(3).toLower() == QLatin1String("a/p")) {
                out += pm ? rest.mid(2, 1) : rest.left(1);
                i += 3;
            } else if (rest.left(4).toLower() == QLatin1String("ampm")) {
                out += pm ? s.pmSymbol : s.amSymbol;
                i += 4;
            } else {
                out += c;
                ++i;
            }
            continue;
        }
        if (!token.isLetter() || token.unicode() > 'z') {
            out += c == QLatin1Char('/')   ? QString(s.dateSeparator)
                   : c == QLatin1Char(':') ? QString(s.timeSeparator)
                                           : QString(c);
            ++i;
            continue;
        }
        int n = 1;
        while (i + n < pattern.size() && pattern.at(i + n).toLower() == token)
            ++n;
        i += n;
        if (token == QLatin1Char('m') && lastLetter == QLatin1Char('h'))
            token = QLatin1Char('n');
        lastLetter = token;
        switch (token.unicode()) {
        case 'c':
            out += FormatDate(s.shortDateFormat, date, time, s, depth + 1);
            if (time != QTime(0, 0))
                out += QLatin1Char(' ') + FormatDate(s.longTimeFormat, date, time, s, depth + 1);
            break;
        case 'd':
            if (n <= 2)
                out += Pad(date.day(), n);
            else if (n == 3)
                out += s.shortDayNames.value(date.dayOfWeek() % 7);
            else if (n == 4)
                out += s.longDayNames.value(date.dayOfWeek() % 7);
            else
                out += FormatDate(n == 5 ? s.shortDateFormat : s.longDateFormat, date, time, s,
                                  depth + 1);
            break;
        case 'm':
            if (n <= 2)
                out += Pad(date.month(), n);
            else
                out += (n == 3 ? s.shortMonthNames : s.longMonthNames).value(date.month() - 1);
            break;
        case 'y':
            out += n <= 2 ? Pad(date.year() % 100, 2) : Pad(date.year(), 4);
            break;
        case 'h': {
            int hour = time.hour();
            if (twelve)
                hour = hour % 12 == 0 ? 12 : hour % 12;
            out += Pad(hour, qMin(n, 2));
            break;
        }
        case 'n':
            out += Pad(time.minute(), qMin(n, 2));
            break;
        case 's':
            out += Pad(time.second(), qMin(n, 2));
            break;
        case 'z':
            out += Pad(time.msec(), n >= 3 ? 3 : 1);
            break;
        case 't':
            out +=
                FormatDate(n == 1 ? s.shortTimeFormat : s.longTimeFormat, date, time, s, depth + 1);
            break;
        default:
            out += pattern.mid(i - n, n);
            break;
        }
    }
    return out;
}

QString DateTimeText(const QString& pattern, const QDate& date, const QTime& time,
                     const TFormatSettings& s)
{
    return FormatDate(pattern.isEmpty() ? QStringLiteral("c") : pattern,
                      date.isValid() ? date : QDate(1899, 12, 30),
                      time.isValid() ? time : QTime(0, 0), s, 0);
}

QString FloatText(double value, const TFormatSettings& settings)
{
    if (std::isnan(value))
        return QStringLiteral("NAN");
    if (std::isinf(value))
        return value < 0 ? QStringLiteral("-INF") : QStringLiteral("INF");
    if (value == 0)
        return QStringLiteral("0");
    const QString e = QString::asprintf("%.14e", std::fabs(value));
    QString digits = e.left(1) + e.mid(2, 14);
    const int exponent = e.mid(e.indexOf(QLatin1Char('e')) + 1).toInt();
    while (digits.size() > 1 && digits.endsWith(QLatin1Char('0')))
        digits.chop(1);
    QString out;
    if (exponent >= 15 || std::fabs(value) < 0.00001) {
        out = digits.left(1);
        if (digits.size() > 1)
            out += settings.decimalSeparator + digits.mid(1);
        out += QStringLiteral("E") + QString::number(exponent);
    } else if (exponent < 0) {
        out = QStringLiteral("0") + settings.decimalSeparator +
              QString(-exponent - 1, QLatin1Char('0')) + digits;
    } else {
        while (digits.size() < exponent + 1)
            digits += QLatin1Char('0');
        out = digits.left(exponent + 1);
        if (digits.size() > exponent + 1)
            out += settings.decimalSeparator + digits.mid(exponent + 1);
    }
    return value < 0 ? QLatin1Char('-') + out : out;
}

} // namespace reference

namespace {

// Numbers of every magnitude, the boundaries of the fixed and scientific
// forms, values that need 15 and 17 digits, and random bit patterns.
std::vector<double> SampleNumbers()
{
    std::vector<double> values = {0.0,
                                  -0.0,
                                  1.0,
                                  -1.0,
                                  0.1,
                                  0.1 + 0.2,
                                  1.0 / 3.0,
                                  2.0 / 3.0,
                                  1.0000000000000002,
                                  0.9999999999999999,
                                  123456789012345.0,
                                  1234567890123456.0,
                                  12345678901234567.0,
                                  123456789012345678.0,
                                  999999999999999.0,
                                  999999999999999.4,
                                  999999999999999.5,
                                  9999999999999999.0,
                                  1e15,
                                  1e14,
                                  1e-5,
                                  -1e-5,
                                  9.999999999999999e-6,
                                  0.000099999999999999,
                                  1.00000000000001e-5,
                                  5e-324,
                                  DBL_MIN,
                                  DBL_MAX,
                                  -DBL_MAX,
                                  9007199254740993.0,
                                  0.30000000000000004,
                                  1234.5,
                                  -1234.5,
                                  0.25,
                                  45413.5,
                                  std::nan(""),
                                  INFINITY,
                                  -INFINITY};
    std::mt19937_64 random(20240501);
    for (int exponent = -324; exponent <= 308; ++exponent) {
        for (int i = 0; i < 12; ++i) {
            const double mantissa = std::uniform_real_distribution<double>(1.0, 10.0)(random);
            const double value = mantissa * std::pow(10.0, exponent);
            values.push_back(value);
            values.push_back(-value);
            // Short decimals, as typed into a table.
            values.push_back(std::round(mantissa * 100) / 100 * std::pow(10.0, exponent));
        }
    }
    for (int i = 0; i < 6000; ++i) {
        const quint64 bits = random();
        double value;
        std::memcpy(&value, &bits, sizeof value);
        values.push_back(value);
    }
    for (int i = -2000; i <= 2000; ++i)
        values.push_back(i / 8.0);
    // Whole hundredths of every size up to 10^13, and their neighbours.
    for (int i = 0; i < 20000; ++i) {
        const double cents = double((random() % 1000000000000000ULL) >> (random() % 50));
        values.push_back(cents / 100);
        values.push_back(std::nextafter(cents / 100, INFINITY));
    }
    return values;
}

// Days from the earliest a Julian day number gives to the last ISO year,
// with the turns of the centuries and the 32-bit end of time among them.
std::vector<QDate> SampleDates()
{
    std::vector<QDate> dates = {QDate(1899, 12, 30), QDate(1899, 12, 31), QDate(1900, 1, 1),
                                QDate(1900, 2, 28),  QDate(1900, 3, 1),   QDate(1000, 1, 1),
                                QDate(1, 1, 1),      QDate(-1, 12, 31),   QDate(-4713, 11, 24),
                                QDate(2000, 2, 29),  QDate(2038, 1, 19),  QDate(2038, 1, 20),
                                QDate(2100, 12, 31), QDate(9999, 12, 31), QDate()};
    for (qint64 day = QDate(-4713, 1, 1).toJulianDay(); day <= QDate(9999, 12, 31).toJulianDay();
         day += 2971)
        dates.push_back(QDate::fromJulianDay(day));
    for (int day = 0; day < 14; ++day)
        dates.push_back(QDate(2024, 4, 25).addDays(day)); // every weekday, every day width
    return dates;
}

std::vector<QTime> SampleTimes()
{
    std::vector<QTime> times = {
        QTime(0, 0),          QTime(0, 0, 0, 1),  QTime(0, 0, 1),         QTime(0, 1),
        QTime(1, 2, 3, 4),    QTime(9, 5, 7, 89), QTime(11, 59, 59, 999), QTime(12, 0),
        QTime(12, 0, 0, 500), QTime(13, 45, 7),   QTime(23, 59, 59, 999), QTime()};
    for (int second = 0; second < 86400; second += 3607)
        times.push_back(QTime(0, 0).addSecs(second).addMSecs(second % 1000));
    return times;
}

// Display formats: every letter of the pattern language, run widths beyond
// the defined ones, quotes (also unclosed), letters with no meaning, the
// settings' own patterns nested, and non-ASCII text.
const char* const kDatePatterns[] = {
    "",
    "c",
    "ddddd",
    "dddddd",
    "t",
    "tt",
    "ddddd t",
    "c tt",
    "d dd ddd dddd",
    "m mm mmm mmmm mmmmm",
    "yy yyy yyyy y yyyyy",
    "h hh hhh",
    "n nn nnn",
    "s ss sss",
    "z zz zzz zzzz",
    "hh:mm",
    "h:m:s",
    "mm/dd/yyyy hh:mm",
    "hh:nn am/pm",
    "h:mm AM/PM",
    "h A/P",
    "h a/p",
    "hh ampm",
    "AMPM h",
    "aaa",
    "a",
    "am",
    "'quoted' d \"and\" m",
    "'unclosed d",
    "\"x",
    "b e f g i j k l o p q r u v w x",
    "\u00e9t\u00e9 d",
    "dd.mm.yy",
    "yyyymmdd",
    "dddd, mmmm d, yyyy",
    "d/m/y h:n:s.z",
    "hmm",
    "h'x'mm",
    "h mm",
    "hh nn mm",
    "ddddddd",
    "tttt",
    "cc",
};

// The settings the field tests pin, and one with separators outside Latin-1.
std::vector<std::pair<const char*, QList<QPair<QString, QString>>>> PinnedSettings()
{
    QList<QPair<QString, QString>> other = {{"sDecimal", "\u066b"},
                                            {"sThousand", "\u066c"},
                                            {"sDate", "-"},
                                            {"sTime", "."},
                                            {"sShortDate", "yyyy/MM/dd"},
                                            {"sTimeFormat", "tt h:mm:ss"},
                                            {"sLongDate", "dddd d MMMM yyyy"},
                                            {"s1159", "vorm."},
                                            {"s2359", "nachm."}};
    return {{"US", UsSettings()}, {"German", GermanSettings()}, {"other", other}};
}

TEST(FieldTextReference, FastTextsEqualTheReferenceTexts)
{
    const std::vector<double> numbers = SampleNumbers();
    const std::vector<QDate> dates = SampleDates();
    const std::vector<QTime> times = SampleTimes();
    for (const auto& [name, values] : PinnedSettings()) {
        SCOPED_TRACE(name);
        PinnedRegional pin(values);
        const std::shared_ptr<const TFormatSettings> settings = TFormatSettings::Current();
        const TFormatSettings& s = *settings;
        int compared = 0;

        TField number(nullptr, 0, QStringLiteral("N"), ftFloat, 0);
        for (double value : numbers) {
            const QString expected = reference::FloatText(value, s);
            ASSERT_EQ(number.AsStringOf(value), expected) << value;
            ASSERT_EQ(number.DisplayTextOf(value), expected) << value;
            ++compared;
        }

        TField date(nullptr, 0, QStringLiteral("D"), ftDate, 0);
        TField time(nullptr, 0, QStringLiteral("T"), ftTime, 0);
        TField dateTime(nullptr, 0, QStringLiteral("DT"), ftDateTime, 0);
        for (const QTime& moment : times) {
            if (moment.isValid()) {
                ASSERT_EQ(time.AsStringOf(moment),
                          reference::DateTimeText("tt", QDate(), moment, s))
                    << moment.msecsSinceStartOfDay();
            }
        }
        for (const QDate& day : dates) {
            if (!day.isValid())
                continue;
            ASSERT_EQ(date.AsStringOf(day), reference::DateTimeText("ddddd", day, QTime(), s))
                << day.toJulianDay();
            for (const QTime& moment : times) {
                if (moment.isValid()) {
                    ASSERT_EQ(dateTime.AsStringOf(QDateTime(day, moment, Qt::UTC)),
                              reference::DateTimeText("c", day, moment, s))
                        << day.toJulianDay() << " " << moment.msecsSinceStartOfDay();
                }
                ++compared;
            }
        }

        for (const char* pattern : kDatePatterns) {
            const QString format = QString::fromUtf8(pattern);
            dateTime.SetDisplayFormat(format);
            for (size_t d = 0; d < dates.size(); d += 20) {
                for (const QTime& moment : times) {
                    const QDate& day = dates[d];
                    const QString expected = reference::DateTimeText(format, day, moment, s);
                    ASSERT_EQ(FormatDateTimeText(format, day, moment, s), expected) << pattern;
                    if (day.isValid() && moment.isValid()) {
                        ASSERT_EQ(dateTime.DisplayTextOf(QDateTime(day, moment, Qt::UTC)), expected)
                            << pattern;
                    }
                    ++compared;
                }
            }
        }
        EXPECT_GT(compared, 100000);
    }
}

// One value at a time in a statement's column, stored the way a table holds it.
struct StoredValue
{
    sqlite3* db = nullptr;
    sqlite3_stmt* row = nullptr;
    StoredValue()
    {
        sqlite3_open(":memory:", &db), sqlite3_prepare_v2(db, "SELECT ?1", -1, &row, nullptr);
    }
    ~StoredValue() { sqlite3_finalize(row), sqlite3_close(db); }
    template <typename Bind> sqlite3_stmt* Bound(Bind bind)
    {
        sqlite3_reset(row);
        bind(row);
        sqlite3_step(row);
        return row;
    }
    sqlite3_stmt* Text(const QByteArray& text)
    {
        return Bound([&](sqlite3_stmt* s) { sqlite3_bind_text(s, 1, text, -1, SQLITE_TRANSIENT); });
    }
    sqlite3_stmt* Number(double value)
    {
        return Bound([&](sqlite3_stmt* s) { sqlite3_bind_double(s, 1, value); });
    }
};

// Dates and times read from what a table stores (ISO texts in their forms,
// day numbers) give the reference texts in UTF-8, with every display format;
// values that are no date of the field's kind are shown as stored.
TEST(FieldTextReference, StoredDatesGiveTheReferenceBytes)
{
    const std::vector<QDate> dates = SampleDates();
    const std::vector<QTime> times = SampleTimes();
    StoredValue stored;
    for (const auto& [name, values] : PinnedSettings()) {
        SCOPED_TRACE(name);
        PinnedRegional pin(values);
        const std::shared_ptr<const TFormatSettings> settings = TFormatSettings::Current();
        int compared = 0;
        TField date(nullptr, 0, QStringLiteral("D"), ftDate, 0);
        TField time(nullptr, 0, QStringLiteral("T"), ftTime, 0);
        TField dateTime(nullptr, 0, QStringLiteral("DT"), ftDateTime, 0);
        const auto check = [&](const QByteArray& expected, const TField& field, sqlite3_stmt* row) {
            QByteArray bytes;
            field.AppendDisplayText(row, 0, bytes);
            ASSERT_EQ(bytes, expected)
                << sqlite3_column_text(row, 0) << " in " << field.FieldName().toStdString()
                << " as " << field.DisplayFormat().toStdString();
            ++compared;
        };
        // The reference text of a field of this kind.
        const auto text = [&](const TField& field, const QDate& day, const QTime& moment) {
            const QString pattern = !field.DisplayFormat().isEmpty() ? field.DisplayFormat()
                                    : &field == &date                ? QStringLiteral("ddddd")
                                    : &field == &time                ? QStringLiteral("tt")
                                                                     : QStringLiteral("c");
            return reference::DateTimeText(pattern, day, moment, *settings).toUtf8();
        };
        for (const char* pattern : kDatePatterns) {
            for (TField* field : {&date, &time, &dateTime})
                field->SetDisplayFormat(QString::fromUtf8(pattern));
            for (size_t d = 0; d < dates.size(); d += *pattern ? 37 : 1) {
                const QDate& day = dates[d];
                if (!day.isValid())
                    continue;
                const QByteArray iso =
                    QString::asprintf("%04d-%02d-%02d", day.year(), day.month(), day.day())
                        .toLatin1();
                for (const QTime& moment : times) {
                    if (!moment.isValid())
                        continue;
                    const double number =
                        day.toJulianDay() - 0.5 + moment.msecsSinceStartOfDay() / 86400000.0;
                    check(text(dateTime, day, moment), dateTime, stored.Number(number));
                    check(text(time, QDate(), moment), time, stored.Number(number));
                    if (day.year() < 1)
                        continue;
                    // The shortest text that keeps the time whole, then the others.
                    const QByteArray clock = moment
                                                 .toString(moment.msec()     ? "HH:mm:ss.zzz"
                                                           : moment.second() ? "HH:mm:ss"
                                                                             : "HH:mm")
                                                 .toLatin1();
                    check(text(dateTime, day, moment), dateTime, stored.Text(iso + ' ' + clock));
                    check(text(dateTime, day, moment), dateTime,
                          stored.Text(" \t" + iso + 'T' + clock + "Z\n"));
                    check(text(dateTime, day, moment), dateTime, stored.Text(iso + 'T' + clock));
                    check(text(date, day, QTime()), date, stored.Text(iso + ' ' + clock));
                    check(text(time, QDate(), moment), time, stored.Text(clock + "+02:00"));
                }
                check(text(date, day, QTime()), date, stored.Number(day.toJulianDay()));
                if (day.year() >= 1)
                    check(text(dateTime, day, QTime()), dateTime, stored.Text(iso));
            }
            // Impossible days and times, in the common shapes and out of them.
            // clang-format off
            for (const char* odd : {"2024-02-30", "0000-01-01", "2023-02-29", "1900-02-29",
                     "2024-13-01", "2024-00-10", "2024-5-1", "2024-05-01x", "20a4-05-01",
                     "24:00:00", "12:60", "12:00:60", "2024-05-01 25:00", "2024-05-01 24:00:00",
                     "2024-05-01 12:00:60", "2024-05-01x12:00:00", "2024-05-01 1a:00:00",
                     "2024-05-01 12:00:00+00 BC", "2024-05-01 12:00+", "12:00:00Z BC",
                     "\xef\xbc\x92\xef\xbc\x90\xef\xbc\x92\xef\xbc\x94", "", "  ", "noon"}) {
                // clang-format on
                for (const TField* field : {&date, &time, &dateTime})
                    check(odd, *field, stored.Text(odd));
            }
            check("12:30:00", date, stored.Text("12:30:00"));
            check("2024-05-01", time, stored.Text("2024-05-01"));
            check("", dateTime, stored.Bound([](sqlite3_stmt* s) { sqlite3_bind_null(s, 1); }));
            // Not day numbers (a display format shows them as numbers of its own).
            for (double number : {-1.0, 5373485.0, double(INFINITY), 1e300}) {
                if (!*pattern)
                    check(reference::FloatText(number, *settings).toUtf8(), dateTime,
                          stored.Number(number));
            }
        }
        EXPECT_GT(compared, 100000);
    }
}

} // namespace
