// Every installed UTF-8 locale in process, its regional settings pinned (and
// again with a two-digit year): the dates, times, date-times and numbers its
// fields write read back to what was written, its times show no stray letter
// or brackets, and CSV's separator stays apart from the decimal one.
#include "engine/DisplayFormat.h"
#include "export/EC_Main.h"
#include "export/formats/EC_Text.h"
#include "platform/core/RegionalSettings.h"
#include "support/TestSupport.h"

#include <QDate>
#include <QFile>
#include <QLocale>
#include <QProcess>
#include <QRegularExpression>
#include <cmath>
#include <cstdio>
#include <gtest/gtest.h>

namespace {

struct Source : TSharewareExportComponent
{
    QString GetDefaultCaption(int) override { return {}; }
    int GetItemCount() override { return 0; }
    void GetItemValues(TExportValues&) override {}
    bool CanExport() override { return true; }
};

struct Reader : TCustomExport
{
    explicit Reader(TExportXComponent* source) : TCustomExport(source, xText, {}) {}
};

// The settings of the locale, the list separator left unset as for a new
// user, in one new registry file renamed into place (so it is seen at once).
void PinLocale(const QLocale& locale, const QString& shortDate)
{
    QByteArray text = "[\\Control Panel\\International]\nsShortDate=" + shortDate.toUtf8() + '\n';
    for (const char* name : {"sDecimal", "sThousand", "sDate", "sTimeFormat", "sTime", "s1159",
                             "s2359", "sCurrency", "iCurrDigits", "iCurrency", "iNegCurr"})
        text += QByteArray(name) + '=' + Regional::LocaleValue(locale, name).toUtf8() + '\n';
    const QByteArray file = QFile::encodeName(TRegistry::DefaultFileName());
    WriteAll(file + ".new", text);
    ASSERT_EQ(std::rename(file + ".new", file), 0);
}

// What a reader gives, NaN when it raises.
template <typename F> double Read(F&& read, const QString& text)
{
    try {
        return read(text);
    } catch (const std::exception& error) {
        ADD_FAILURE() << error.what();
        return NAN;
    }
}

} // namespace

TEST(LocaleRoundTrip, EveryLocaleReadsBackWhatItsFieldsWrite)
{
    QProcess list;
    list.start("locale", {"-a"});
    list.waitForFinished();
    QStringList locales;
    for (const QString& line : QString::fromLocal8Bit(list.readAllStandardOutput()).split('\n'))
        if (line.contains(".utf8", Qt::CaseInsensitive))
            locales << line.section('.', 0, 0);
    ASSERT_GT(locales.size(), 100) << "locales-all is not installed";
    const QDate zero(1899, 12, 30);
    Source source;
    source.SetOptions(source.Options() & ~ShowProgress);
    for (const QString& name : locales) {
        const QString pattern = Regional::LocaleValue(QLocale(name), "sShortDate");
        for (const QString& shortDate : {pattern, QString(pattern).replace("yyyy", "yy")}) {
            PinLocale(QLocale(name), shortDate);
            const auto s = TFormatSettings::Current();
            const Reader reader(&source);
            const std::string where = (name + " " + shortDate).toStdString();
            for (const QDate& date : {QDate(2024, 3, 1), QDate(1999, 12, 31), QDate(2031, 11, 9)})
                for (const QTime& time : {QTime(13, 45, 30), QTime(0, 5, 9), QTime(12, 0, 0)}) {
                    const double day = zero.daysTo(date);
                    const double fraction = time.msecsSinceStartOfDay() / 864e5;
                    const QString dateText = FormatDateTimeText("ddddd", date, {}, *s);
                    const QString timeText = FormatDateTimeText("tt", {}, time, *s);
                    const QString both = FormatDateTimeText("c", date, time, *s);
                    EXPECT_EQ(Read([&](auto t) { return reader.ParseDate(t); }, dateText), day)
                        << where << " " << dateText.toStdString();
                    EXPECT_NEAR(Read([&](auto t) { return reader.ParseTime(t); }, timeText),
                                fraction, 1e-9)
                        << where << " " << timeText.toStdString();
                    EXPECT_NEAR(Read([&](auto t) { return reader.ParseDateTime(t); }, both),
                                day + fraction, 1e-9)
                        << where << " " << both.toStdString();
                    static const QRegularExpression stray("B|\\[\\]|\\(\\)|,$");
                    EXPECT_FALSE(
                        QString(timeText).remove(s->amSymbol).remove(s->pmSymbol).contains(stray))
                        << where << " shows " << timeText.toStdString();
                }
            for (double number : {1.5, -1234.5, 0.001, 45352.5732638889}) {
                TExportValue value{FloatText(number, *s), true, {true, FloatText(number, *s)}};
                EXPECT_TRUE(reader.IsNumber(value.Value)) << where;
                EXPECT_EQ(reader.ToDotDecimal(reader.GetExportValue(value)).toDouble(), number)
                    << where << " " << value.Value.toStdString();
            }
            EXPECT_NE(GetListSeparator(), QString(Regional::DecimalSeparator())) << where;
        }
    }
    QFile::remove(TRegistry::DefaultFileName());
}
