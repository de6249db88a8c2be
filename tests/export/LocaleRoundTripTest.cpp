// Every installed locale, in process: its regional settings pinned, the
// values the fields write (dates, times, date-times, numbers) read back by
// the writer base to what was written, the time shows no stray letters or
// brackets, and CSV keeps its separator apart from the decimal one.
#include "engine/DisplayFormat.h"
#include "engine/EngineTestSupport.h"
#include "export/EC_Main.h"
#include "export/formats/EC_Text.h"
#include "platform/core/RegionalSettings.h"
#include "platform/core/Registry.h"
#include "support/TestSupport.h"

#include <QDate>
#include <QFile>
#include <QLocale>
#include <QProcess>
#include <cstdio>
#include <gtest/gtest.h>

// Texts in failure messages.
static std::ostream& operator<<(std::ostream& out, const QString& text)
{
    return out << text.toStdString();
}

namespace {

class FixedSource : public TSharewareExportComponent
{
public:
    QString GetDefaultCaption(int) override { return {}; }
    int GetItemCount() override { return 0; }
    void GetItemValues(TExportValues&) override {}
    bool CanExport() override { return true; }
};

class Reader : public TCustomExport
{
public:
    explicit Reader(TExportXComponent* source) : TCustomExport(source, xText, {}) {}
};

// The UTF-8 locales the system has, by their toolkit names ("de_DE").
QStringList InstalledUtf8Locales()
{
    QProcess locale;
    locale.start(QStringLiteral("locale"), {QStringLiteral("-a")});
    locale.waitForFinished();
    QStringList names;
    for (const QString& line : QString::fromLocal8Bit(locale.readAllStandardOutput()).split('\n')) {
        const QString lower = line.toLower();
        if (lower.contains(QLatin1String(".utf8")) || lower.contains(QLatin1String(".utf-8")))
            names << line.section(QLatin1Char('.'), 0, 0);
    }
    names.removeDuplicates();
    return names;
}

// Pins the regional values of the locale (the list separator stays unset, as
// for a new user), the short date replaced, in one write of the registry
// file: a new file renamed into place, as the registry's own writes make it,
// so the change is seen at once.
void PinLocale(const QLocale& locale, const QString& shortDate)
{
    QByteArray text = "[\\Control Panel\\International]\n";
    for (const char* name : {"sDecimal", "sThousand", "sDate", "sTimeFormat", "sTime", "s1159",
                             "s2359", "sCurrency", "iCurrDigits", "iCurrency", "iNegCurr"})
        text += QByteArray(name) + '=' + Regional::LocaleValue(locale, name).toUtf8() + '\n';
    text += "sShortDate=" + shortDate.toUtf8() + '\n';
    const QString file = TRegistry::DefaultFileName();
    WriteAll(file + ".new", text);
    ASSERT_EQ(std::rename(QFile::encodeName(file + ".new"), QFile::encodeName(file)), 0);
}

const QDate kDayZero(1899, 12, 30);

} // namespace

TEST(LocaleRoundTrip, EveryLocaleReadsBackWhatItsFieldsWrite)
{
    const QStringList locales = InstalledUtf8Locales();
    ASSERT_GT(locales.size(), 100) << "locales-all is not installed";
    const QDate dates[] = {QDate(2024, 3, 1), QDate(1999, 12, 31), QDate(2031, 11, 9)};
    const QTime times[] = {QTime(13, 45, 30), QTime(0, 5, 9), QTime(12, 0, 0), QTime(23, 59, 59)};
    const double numbers[] = {1.5, -1234.5, 0.001, 45352.5732638889};
    FixedSource source;
    source.SetOptions(source.Options() & ~ShowProgress);
    int walked = 0;
    for (const QString& name : locales) {
        const QLocale locale(name);
        const QString pattern = Regional::LocaleValue(locale, "sShortDate");
        // The locale's own short date, and the same with a two-digit year.
        for (const QString& shortDate : {pattern, QString(pattern).replace("yyyy", "yy")}) {
            PinLocale(locale, shortDate);
            const auto settings = TFormatSettings::Current();
            const Reader reader(&source);
            const TDateTimeFormat dateText(QStringLiteral("ddddd"), *settings);
            const TDateTimeFormat timeText(QStringLiteral("tt"), *settings);
            const TDateTimeFormat dateTimeText(QStringLiteral("c"), *settings);
            for (const QDate& date : dates) {
                const QString text = dateText.Format(date, QTime());
                try {
                    EXPECT_EQ(reader.ParseDate(text), kDayZero.daysTo(date))
                        << name << " " << shortDate << " " << text;
                    for (const QTime& time : times) {
                        const QString both = dateTimeText.Format(date, time);
                        EXPECT_NEAR(reader.ParseDateTime(both),
                                    kDayZero.daysTo(date) + time.msecsSinceStartOfDay() / 864e5,
                                    1e-9)
                            << name << " " << both;
                    }
                } catch (const std::exception& error) {
                    ADD_FAILURE() << name << " " << shortDate << ": " << error.what();
                }
            }
            for (const QTime& time : times) {
                const QString text = timeText.Format(QDate(), time);
                const QString unmarked =
                    QString(text).remove(settings->amSymbol).remove(settings->pmSymbol);
                EXPECT_FALSE(unmarked.contains("[]") || unmarked.contains("()") ||
                             unmarked.endsWith(',') || unmarked.contains('B'))
                    << name << " shows " << text;
                try {
                    EXPECT_NEAR(reader.ParseTime(text), time.msecsSinceStartOfDay() / 864e5, 1e-9)
                        << name << " " << text;
                } catch (const std::exception& error) {
                    ADD_FAILURE() << name << ": " << error.what();
                }
            }
            for (double number : numbers) {
                TExportValue value;
                value.Value = FloatText(number, *settings);
                value.HasInfo = value.Info.HasDisplayText = true;
                value.Info.DisplayText = value.Value;
                EXPECT_TRUE(reader.IsNumber(value.Value)) << name << " " << value.Value;
                EXPECT_EQ(reader.ToDotDecimal(reader.GetExportValue(value)).toDouble(), number)
                    << name << " " << value.Value;
            }
            EXPECT_NE(GetListSeparator(), QString(Regional::DecimalSeparator())) << name;
        }
        ++walked;
    }
    QFile::remove(TRegistry::DefaultFileName());
    EXPECT_EQ(walked, locales.size());
}
