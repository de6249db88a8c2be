// The writer base's services over pinned regional settings: text fitting,
// number recognition, cell patterns (all sixteen negative money forms), the
// footer pattern against hostile input, the component's setter rules, and
// every installed locale's values read back.
#include "engine/DisplayFormat.h"
#include "export/EC_Component.h"
#include "export/EC_Footer.h"
#include "export/EC_Registry.h"
#include "export/formats/EC_Text.h"
#include "platform/core/Exceptions.h"
#include "platform/core/RegionalSettings.h"
#include "support/EngineTestSupport.h"
#include "support/TestSupport.h"

#include <QCoreApplication>
#include <QDate>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QProcess>
#include <QRegularExpression>
#include <cstdio>
#include <gtest/gtest.h>

namespace {

// A source with fixed columns, enough for the services.
class FixedSource : public TSharewareExportComponent
{
public:
    QString GetDefaultCaption(int) override { return {}; }
    int GetItemCount() override { return 12; }
    void GetItemValues(TExportValues&) override {}
    bool CanExport() override { return true; }
};

class Services : public TCustomExport
{
public:
    explicit Services(TExportXComponent* source) : TCustomExport(source, xText, {}) {}
};

struct ServicesTest : ::testing::Test
{
    FixedSource source;
    const TExportRunScope run{source};
    void SetUp() override { source.SetOptions(source.Options() & ~ShowProgress); }
};

TEST_F(ServicesTest, FitTextPadsAlignsAndTruncates)
{
    Services services(&source);
    struct Case
    {
        const char* value;
        int width;
        QString symbol;
        bool right;
        const char* expected;
    };
    const Case cases[] = {
        {"12", 5, "-", true, "   12"},
        {"abc", 5, "-", true, "abc  "},
        {"abcdefgh", 5, "-", true, "abcd-"},
        {"abcdefgh", 5, "~~~~~", true, "abcde"},
        {"abcdefgh", 5, "..", true, "abc.."},
        {"a\tbcdef", 5, "-", true, "abcd-"}, // the tab goes before fitting
        {"12", 5, "-", false, "12   "},
        {"12345", 5, "-", true, "12345"},
        // A character outside the Basic Multilingual Plane is one character, never cut.
        {"a\U0001F600bcdef", 4, "-", true, "a\U0001F600b-"},
        {"ab\U0001F600cd", 3, "", true, "ab\U0001F600"},
    };
    for (const Case& c : cases) {
        source.SetTruncateSymbol(c.symbol);
        EXPECT_EQ(services.FitText(QString::fromUtf8(c.value), c.width, c.right),
                  QString::fromUtf8(c.expected))
            << c.value << " in " << c.width;
    }
}

TEST_F(ServicesTest, TextHeaderAndFooterLayout)
{
    source.SetOptions((source.Options() | NumberRows | ShowColHeaders) & ~TimeStamp);
    source.SetTitle("Orders");
    source.SetHeader({"a\tb"});
    source.SetColWidths({"6"});
    Services services(&source);
    source.Run().ColumnList = {
        {"Item", {}}, {"Name", TExportColumnInfo{ckString}}, {"Qty", TExportColumnInfo{ckNumber}}};
    EXPECT_EQ(services.BuildTextHeader(source.Run().ColumnList),
              "Orders\r\n------\r\n\r\na\tb\r\n\r\nItem Name   Qty \r\n----------------\r\n");
    source.Run().FormattedFooter = {"Total 12"};
    EXPECT_EQ(services.BuildTextFooter(), "----------------\r\n\r\nTotal 12\r\n\r\n");
    source.Run().FormattedFooter = {" "};
    EXPECT_EQ(services.BuildTextFooter(), "");
    EXPECT_EQ(TCustomExport::ConvertControlChars("a\tb\r\nc\x01", "<T>", "|"), "a<T>b|c");
    EXPECT_EQ(TCustomExport::FilterChars("12.03.2024 x", "0123456789."), "12.03.2024");
    EXPECT_EQ(TCustomExport::FilterChars("x1 y2", "0123456789"), "12");
    EXPECT_TRUE(TCustomExport::TimeStampText().startsWith("Created: "));
    EXPECT_TRUE(
        TCustomExport::TimeStampText().contains(QString::number(QDate::currentDate().year())));
}

TEST_F(ServicesTest, NumbersFollowTheDecimalSeparatorOfTheSettings)
{
    {
        PinnedRegional german(GermanSettings());
        Services services(&source);
        EXPECT_TRUE(services.IsNumber("1,5"));
        EXPECT_FALSE(services.IsNumber("1.5"));
        EXPECT_EQ(services.NumericOrDefault("1.234,5", "raw"), "1234,5");
        EXPECT_EQ(services.ToDotDecimal("1234,5"), "1234.5");
    }
    PinnedRegional us(UsSettings());
    Services services(&source);
    struct Case
    {
        const char* text;
        bool number;
    };
    const Case cases[] = {{"1.5", true},    {"-2", true},  {" 3", true},  {"3 ", false},
                          {"1,234", false}, {"1e5", true}, {"1e", false}, {".", false},
                          {"", false},      {"$1", false}};
    for (const Case& c : cases)
        EXPECT_EQ(services.IsNumber(c.text), c.number) << c.text;
    EXPECT_EQ(services.NumericOrDefault("1,234.50", "raw"), "1234.50");
    EXPECT_EQ(services.NumericOrDefault("$1,234.50", "raw"), "raw");
    EXPECT_EQ(services.NumericOrDefault("", "raw"), "raw");
    EXPECT_EQ(services.NumericOrDefault("12-3", "raw"), "raw");
}

TEST_F(ServicesTest, CurrencyPatternsForEveryNegativeForm)
{
    const char* const negatives[16] = {
        "\\(\"$\"#,##0.00\\)", "\"-$\"#,##0.00",   "\"$-\"#,##0.00",       "\"$\"#,##0.00\\-",
        "\\(#,##0.00\"$\"\\)", "\\-#,##0.00\"$\"", "#,##0.00\"-$\"",       "#,##0.00\"$-\"",
        "\\-#,##0.00\" $\"",   "\"-$ \"#,##0.00",  "#,##0.00\" $-\"",      "\"$ \"#,##0.00\\-",
        "\"$ -\"#,##0.00",     "#,##0.00\"- $\"",  "\\(\"$ \"#,##0.00\\)", "\\(#,##0.00\" $\"\\)",
    };
    for (int n = 0; n < 16; ++n) {
        auto settings = UsSettings();
        settings << qMakePair(QStringLiteral("iNegCurr"), QString::number(n));
        PinnedRegional pinned(settings);
        EXPECT_EQ(TCustomExport::CurrencyFormatPattern(),
                  QStringLiteral("\"$\"#,##0.00_);[Red]") + QString::fromLatin1(negatives[n]))
            << "negative form " << n;
    }
    const char* const positives[4] = {"\"$\"#,##0.00", "#,##0.00\"$\"", "\"$ \"#,##0.00",
                                      "#,##0.00\" $\""};
    for (int p = 0; p < 4; ++p) {
        auto settings = UsSettings();
        settings << qMakePair(QStringLiteral("iCurrency"), QString::number(p));
        PinnedRegional pinned(settings);
        EXPECT_TRUE(TCustomExport::CurrencyFormatPattern().startsWith(
            QString::fromLatin1(positives[p]) + "_);"))
            << "positive form " << p;
    }
    // Forms out of range leave their parts empty.
    auto outOfRange = UsSettings();
    outOfRange << qMakePair(QStringLiteral("iCurrency"), QStringLiteral("4"))
               << qMakePair(QStringLiteral("iNegCurr"), QStringLiteral("16"));
    {
        PinnedRegional pinned(outOfRange);
        EXPECT_EQ(TCustomExport::CurrencyFormatPattern(), "_);[Red]");
    }
    auto noDecimals = UsSettings();
    noDecimals << qMakePair(QStringLiteral("iCurrDigits"), QStringLiteral("0"));
    PinnedRegional pinned(noDecimals);
    EXPECT_EQ(TCustomExport::CurrencyFormatPattern(), "\"$\"#,##0._);[Red]\\(\"$\"#,##0.\\)");
}

TEST_F(ServicesTest, DateAndTimePatterns)
{
    PinnedRegional us(UsSettings());
    Services services(&source);
    EXPECT_EQ(TCustomExport::DateFormatPattern(), "m/d/yyyy");
    EXPECT_EQ(services.TimeFormatPattern(), "h:mm\\ AM/PM");
    source.SetOptions(source.Options() | TimeDisplaySeconds | Time24HourFormat);
    EXPECT_EQ(services.TimeFormatPattern(), "h:mm:ss");
    EXPECT_EQ(services.DateTimeFormatPattern(), "m/d/yyyy h:mm:ss");
    PinnedRegional german(GermanSettings());
    source.SetOptions(source.Options() & ~(TimeDisplaySeconds | Time24HourFormat));
    EXPECT_EQ(services.TimeFormatPattern(), "h:mm");
    EXPECT_EQ(TCustomExport::DateFormatPattern(), "dd.mm.yyyy");
    const Services germanServices(&source);
    EXPECT_DOUBLE_EQ(germanServices.ParseDate("31.12.1899"), 1.0);
    EXPECT_DOUBLE_EQ(germanServices.ParseDateTime("01.01.1900 18:00"), 2.75);
    EXPECT_THROW(germanServices.ParseDate("31.02.2020"), EConvertError);
}

// Day and month with or without their leading zeros, two-digit years taken
// into 1950..2049, blanks inside the pattern; dates that do not exist fail.
TEST_F(ServicesTest, DatesReadInTheShortDatePattern)
{
    struct Case
    {
        const char* pattern;
        const char* separator;
        const char* text;
        QDate expected; // invalid: the text is no date
    };
    const Case cases[] = {
        {"M/d/yyyy", "/", "2/29/2024", QDate(2024, 2, 29)},
        {"M/d/yyyy", "/", "02/09/2024", QDate(2024, 2, 9)},
        {"M/d/yyyy", "/", " 12/31/1899 ", QDate(1899, 12, 31)},
        {"M/d/yyyy", "/", "2/29/24", QDate(2024, 2, 29)},
        {"M/d/yyyy", "/", "1/1/49", QDate(2049, 1, 1)},
        {"M/d/yyyy", "/", "2/30/2024", QDate()},
        {"M/d/yyyy", "/", "2/29", QDate()},
        {"dd.MM.yyyy", ".", "1.6.1850", QDate(1850, 6, 1)},
        {"dd.MM.yyyy", ".", "31.12.2050", QDate(2050, 12, 31)},
        {"yyyy-MM-dd", "-", "2038-01-19", QDate(2038, 1, 19)},
        {"d. M. yyyy", ".", "5. 11. 2040", QDate(2040, 11, 5)},
        {"dd-MMM-yyyy", "-", "01-Mar-2024", QDate(2024, 3, 1)},
        {"yyyyMMdd", "/", "20240301", QDate(2024, 3, 1)},
        {"d\u200F/M\u200F/yyyy", "/", "\u0661\u200F/\u0663\u200F/\u0662\u0660\u0662\u0664",
         QDate(2024, 3, 1)},
    };
    const QDate zero(1899, 12, 30);
    for (const Case& c : cases) {
        PinnedRegional pinned({{"sShortDate", c.pattern}, {"sDate", c.separator}});
        const Services services(&source);
        if (c.expected.isValid())
            EXPECT_EQ(services.ParseDate(c.text), zero.daysTo(c.expected))
                << c.pattern << " " << c.text;
        else
            EXPECT_THROW(services.ParseDate(c.text), EConvertError) << c.pattern << " " << c.text;
    }
}

// Hours, minutes and seconds apart by the time separator, with an optional
// AM or PM mark; anything else fails.
TEST_F(ServicesTest, TimesReadAsFractionsOfADay)
{
    PinnedRegional us(UsSettings());
    const Services services(&source);
    const struct
    {
        const char* text;
        int seconds; // -1: the text is no time
    } cases[] = {
        {"13:05", 13 * 3600 + 5 * 60},
        {" 1:05 pm ", 13 * 3600 + 5 * 60},
        {"12:00 AM", 0},
        {"12:30:15 PM", 12 * 3600 + 30 * 60 + 15},
        {"7", 7 * 3600},
        {"23:59:59", 86399},
        {"1:2:3:4", -1},
        {"1::2", -1},
        {"13:00 PM", -1},
        {"24:00", -1},
        {"", -1},
        {"1:60", -1},
    };
    for (const auto& c : cases) {
        if (c.seconds >= 0)
            EXPECT_DOUBLE_EQ(services.ParseTime(QString::fromLatin1(c.text)), c.seconds / 86400.0)
                << c.text;
        else
            EXPECT_THROW(services.ParseTime(QString::fromLatin1(c.text)), EConvertError) << c.text;
    }
    EXPECT_DOUBLE_EQ(services.ParseDateTime("2/29/2024 1:05 PM"),
                     QDate(1899, 12, 30).daysTo(QDate(2024, 2, 29)) + (13 * 60 + 5) / 1440.0);
}

// A locale's settings but the list separator, in a new registry file renamed into place.
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

struct Unpin // the registry file goes with the test, however it ends
{
    ~Unpin() { QFile::remove(TRegistry::DefaultFileName()); }
};

// Every installed UTF-8 locale, also with a two-digit year: what its fields write reads
// back, its times show no stray letters or brackets, CSV keeps its separator apart.
TEST_F(ServicesTest, EveryLocaleReadsBackWhatItsFieldsWrite)
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
    const Unpin unpin;
    for (const QString& name : locales) {
        const QString pattern = Regional::LocaleValue(QLocale(name), "sShortDate");
        for (const QString& shortDate : {pattern, QString(pattern).replace("yyyy", "yy")}) {
            PinLocale(QLocale(name), shortDate);
            const auto s = TFormatSettings::Current();
            const Services reader(&source);
            const std::string where = (name + " " + shortDate).toStdString();
            for (const QDate& date : {QDate(2024, 3, 1), QDate(1999, 12, 31), QDate(2031, 11, 9)})
                for (const QTime& time : {QTime(13, 45, 30), QTime(0, 5, 9), QTime(12, 0, 0)}) {
                    const double day = zero.daysTo(date);
                    const double fraction = time.msecsSinceStartOfDay() / 864e5;
                    const QString dateText = FormatDateTimeText("ddddd", date, {}, *s);
                    const QString timeText = FormatDateTimeText("tt", {}, time, *s);
                    const QString both = FormatDateTimeText("c", date, time, *s);
                    EXPECT_EQ(reader.ParseDate(dateText), day) << where;
                    EXPECT_NEAR(reader.ParseTime(timeText), fraction, 1e-9) << where;
                    EXPECT_NEAR(reader.ParseDateTime(both), day + fraction, 1e-9) << where;
                    static const QRegularExpression stray("B|\\[\\]|\\(\\)|,$");
                    EXPECT_FALSE(
                        QString(timeText).remove(s->amSymbol).remove(s->pmSymbol).contains(stray))
                        << where << " shows " << timeText.toStdString();
                }
            for (double number : {1.5, -1234.5, 0.001, 45352.5732638889})
                EXPECT_EQ(reader.ToDotDecimal(reader.NumericOrDefault(FloatText(number, *s), {}))
                              .toDouble(),
                          number)
                    << where;
            EXPECT_NE(GetListSeparator(), QString(Regional::DecimalSeparator())) << where;
        }
    }
}

TEST_F(ServicesTest, FooterPatternTakesOneFloatDirectiveOnly)
{
    PinnedRegional us(UsSettings());
    struct Case
    {
        const char* pattern;
        const char* expected;
    };
    const Case accepted[] = {
        {"Total: %.0f rows", "Total: 12 rows"},
        {"100%% of %0:-6.1f|", "100% of 12.0  |"},
        {"[%8.2f]", "[   12.00]"},
        {"%n", "12.00"},
        {"%.3e", "1.20E+001"},
        {"%g", "12"},
        {"%m", "$12.00"},
        {"no directive", "no directive"},
    };
    for (const Case& c : accepted)
        EXPECT_EQ(FormatFooter(c.pattern, 12.0), QString::fromLatin1(c.expected)) << c.pattern;
    EXPECT_EQ(FormatFooter("%n", 1234567.0), "1,234,567.00");
    const char* const hostile[] = {"%s",
                                   "%d",
                                   "%u",
                                   "%x",
                                   "%p",
                                   "%*f",
                                   "%1:f",
                                   "%f %f",
                                   "%",
                                   "abc %",
                                   "%99999999999999999999n",
                                   "%.999999f",
                                   "%-",
                                   "%0:",
                                   "%.f%"};
    for (const char* pattern : hostile)
        EXPECT_THROW(FormatFooter(pattern, 12.0), EConvertError) << pattern;
}

TEST_F(ServicesTest, SetterRules)
{
    source.SetTruncateSymbol(" ~ ");
    EXPECT_EQ(source.TruncateSymbol(), "~");
    source.SetTitle("A\tB\r\nC");
    EXPECT_EQ(source.Title(), "ABC");
    source.SetHeader({"one", "", "two", "  ", ""});
    EXPECT_EQ(source.Header(), QStringList({"one", "", "two"}));
    const QString nine = QString(9, QLatin1Char(';'));
    try {
        source.SetHTML_CustomTemplate(nine);
        ADD_FAILURE() << "nine semicolons accepted";
    } catch (const Exception& error) {
        EXPECT_EQ(error.Message(),
                  "Invalid Template! Please correct it.\r\n\r\nYou should have \"10\" "
                  "semicolons but instead you have \"9\"");
    }
    source.SetHTML_CustomTemplate(" a;;;;;;;;;;b ");
    EXPECT_EQ(source.HTML_CustomTemplate(), " a;;;;;;;;;;b ");
    EXPECT_THROW(source.SetHTML_CustomTemplate(QString(11, QLatin1Char(';'))), Exception);
    EXPECT_EQ(source.HTML_CustomTemplate(), " a;;;;;;;;;;b ");
    source.SetHTML_CustomTemplate("   ");
    EXPECT_TRUE(source.HTML_CustomTemplate().isEmpty());

    source.SetAllowedTypes(tsText | tsHTML);
    EXPECT_EQ(source.GetAllowedTypeNames(), QStringList({"HTML", "Text"}));
    EXPECT_EQ(ExportTypeFromName("Rich Text"), xRichText);
    EXPECT_EQ(ExportTypeFromName("rich text"), xText);
    EXPECT_EQ(int(xClipboard), 9);
    EXPECT_EQ(int(TExportOptions(Time24HourFormat).toInt()), 1 << 10);
    EXPECT_EQ(source.XL_Options()->PageFooter, "Page &P of &N");
}

TEST_F(ServicesTest, TempFileNamesCarryThePrefixAndAreUnique)
{
    const QString first = TCustomExport::MakeTempFileName("csv");
    const QString second = TCustomExport::MakeTempFileName("csv");
    EXPECT_NE(first, second);
    EXPECT_TRUE(QFileInfo(first).fileName().startsWith("exp"));
    EXPECT_TRUE(first.endsWith(".csv"));
    EXPECT_FALSE(QFile::exists(first)); // made, then deleted: only the name is handed out
}

// Only this program's temporary files of runs that are gone are deleted; a
// live run's and another program's with the same prefix stay.
TEST_F(ServicesTest, DeadRunsTempFilesGoAtTheNextStart)
{
    const QString folder = QFileInfo(TCustomExport::MakeTempFileName("csv")).absolutePath() + '/';
    const QString dead = "exp-tq999999999-AbC123.csv"; // no process has this id
    const QString live =
        QStringLiteral("exp-tq%1-AbC123.csv").arg(QCoreApplication::applicationPid());
    const QString foreign[] = {"exp999999999-AbC123.csv", "exp-tq999999999-AbC123.csv.keep"};
    for (const QString& name : {dead, live, foreign[0], foreign[1]})
        WriteAll(folder + name, "x");
    TCustomExport::RemoveDeadRunTempFiles();
    EXPECT_FALSE(QFile::exists(folder + dead));
    for (const QString& name : {live, foreign[0], foreign[1]}) {
        EXPECT_TRUE(QFile::exists(folder + name)) << name.toStdString();
        QFile::remove(folder + name);
    }
}

} // namespace

namespace {

TEST(MyRegTest, ReadOnlyOpensAbsoluteOrRelativeAndNeverCreates)
{
    PinnedRegional pinned({qMakePair(QStringLiteral("sList"), QStringLiteral(";"))});
    TMyReg reg;
    EXPECT_TRUE(reg.OpenKeyReadOnly("\\Control Panel"));
    EXPECT_TRUE(reg.OpenKeyReadOnly("International"));
    EXPECT_EQ(reg.CurrentPath().toLower(), "\\control panel\\international");
    EXPECT_EQ(reg.ReadString("sList"), ";");
    EXPECT_FALSE(reg.OpenKeyReadOnly("Missing"));
    EXPECT_FALSE(reg.OpenKeyReadOnly("\\Control Panel\\International\\Missing"));
    EXPECT_FALSE(TRegistry().KeyExists("\\Control Panel\\International\\Missing"));
}

} // namespace
