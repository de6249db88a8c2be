// Regional settings: locales rewritten in the settings' letters and codes,
// and the registry's values winning over them as soon as the file changes.
#include "platform/core/RegionalSettings.h"

#include "platform/core/Registry.h"
#include "support/TestSupport.h"

#include <QFile>
#include <QLocale>
#include <gtest/gtest.h>

namespace {

struct TLocaleCase
{
    const char* locale;
    const char* id;
    const char* list;
    const char* decimal;
    const char* thousand;
    const char* shortDate;
    const char* date;
    const char* timeFormat;
    const char* time;
    const char* currency;
    const char* currDigits;
    const char* currFormat;
    const char* negCurr;
};

// Expected from the locale data the toolkit ships; the "C" row is the fixed
// United States fallback.
const TLocaleCase kLocales[] = {
    {"C", "00000409", ",", ".", ",", "M/d/yyyy", "/", "h:mm:ss tt", ":", "$", "2", "0", "0"},
    {"en_US", "00000409", ",", ".", ",", "M/d/yyyy", "/", "h:mm:ss tt", ":", "$", "2", "0", "0"},
    {"en_GB", "00000809", ",", ".", ",", "dd/MM/yyyy", "/", "HH:mm:ss", ":", "£", "2", "0", "0"},
    {"de_DE", "00000407", ";", ",", ".", "dd.MM.yyyy", ".", "HH:mm:ss", ":", "€", "2", "3", "8"},
    {"fr_FR", "0000040C", ";", ",", "\u202F", "dd/MM/yyyy", "/", "HH:mm:ss", ":", "€", "2", "3",
     "15"},
    {"nl_NL", "00000413", ";", ",", ".", "dd-MM-yyyy", "-", "HH:mm:ss", ":", "€", "2", "2", "14"},
    {"sv_SE", "0000041D", ";", ",", "\u00A0", "yyyy-MM-dd", "-", "HH:mm:ss", ":", "kr", "2", "3",
     "8"},
    {"pt_BR", "00000416", ";", ",", ".", "dd/MM/yyyy", "/", "HH:mm:ss", ":", "R$", "2", "2", "12"},
    {"es_ES", "00000C0A", ";", ",", ".", "d/M/yyyy", "/", "H:mm:ss", ":", "€", "2", "3", "8"},
    {"ja_JP", "00000411", ",", ".", ",", "yyyy/MM/dd", "/", nullptr, ":", "￥", "0", "0", "0"},
    // Letters, marks and invisible characters in a pattern are no separators.
    {"ko_KR", "00000412", nullptr, nullptr, nullptr, nullptr, ".", nullptr, ":", nullptr, nullptr,
     nullptr, nullptr},
    {"ar_EG", nullptr, nullptr, nullptr, nullptr, nullptr, "/", nullptr, ":", nullptr, nullptr,
     nullptr, nullptr},
    {"de_LI", "00001407", ",", ".", "’", nullptr, ".", nullptr, ":", nullptr, "2", nullptr,
     nullptr},
    {"fr_SN", "0000040C", nullptr, ",", nullptr, nullptr, "/", nullptr, nullptr, nullptr, nullptr,
     nullptr, nullptr},
};

// Writes the registry file's International key from scratch.
void PinInternational(const QByteArray& lines)
{
    WriteAll(TRegistry::DefaultFileName(), "[\\Control Panel\\International]\n" + lines);
}

} // namespace

TEST(RegionalSettings, LocalesGiveTheSettingsNamesAndLetters)
{
    const char* const names[] = {"Locale",     "sList",       "sDecimal",    "sThousand",
                                 "sShortDate", "sDate",       "sTimeFormat", "sTime",
                                 "sCurrency",  "iCurrDigits", "iCurrency",   "iNegCurr"};
    for (const TLocaleCase& c : kLocales) {
        const QLocale locale =
            QString::fromLatin1(c.locale) == "C" ? QLocale::c() : QLocale(c.locale);
        const char* const expected[] = {c.id,        c.list,       c.decimal,    c.thousand,
                                        c.shortDate, c.date,       c.timeFormat, c.time,
                                        c.currency,  c.currDigits, c.currFormat, c.negCurr};
        for (size_t i = 0; i < std::size(names); ++i) {
            if (!expected[i])
                continue;
            EXPECT_EQ(Regional::LocaleValue(locale, names[i]).toStdString(), expected[i])
                << c.locale << " " << names[i];
        }
    }
    EXPECT_EQ(Regional::LocaleValue(QLocale::c(), "s1159"), "AM");
    EXPECT_EQ(Regional::LocaleValue(QLocale::c(), "S2359"), "PM");
    EXPECT_EQ(Regional::LocaleValue(QLocale::c(), "sNoSuchValue"), "");
}

TEST(RegionalSettings, RegistryValuesWinAndAreSeenWhenTheFileChanges)
{
    const QLocale system = QLocale::system();
    QFile::remove(TRegistry::DefaultFileName());
    EXPECT_EQ(Regional::ShortDateFormat(), Regional::LocaleValue(system, "sShortDate"));
    EXPECT_EQ(Regional::DecimalSeparator(), Regional::LocaleValue(system, "sDecimal").at(0));

    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey("\\Control Panel\\International", true));
    reg.WriteString("sShortDate", "dd.MM.yyyy");
    reg.WriteString("sDate", ".");
    reg.WriteString("sThousand", " ");
    reg.WriteString("iNegCurr", "8");
    EXPECT_EQ(Regional::ShortDateFormat(), "dd.MM.yyyy");
    EXPECT_EQ(Regional::DateSeparator(), QChar('.'));
    EXPECT_EQ(Regional::ThousandSeparator(), QChar(' '));
    EXPECT_EQ(Regional::NegativeCurrencyFormat(), 8);
    EXPECT_EQ(Regional::Value("SSHORTDATE"), "dd.MM.yyyy");
    EXPECT_EQ(Regional::TimeFormat(), Regional::LocaleValue(system, "sTimeFormat"))
        << "values the registry lacks still come from the locale";

    // A hand edit in place, of the same length, right after the last read.
    PinInternational("sShortDate=yyyy-MM-dd\nsDate=-\nLocale=00000407\nsTimeFormat=HH:mm:ss\n"
                     "sTime=:\ns1159=\ns2359=\nsCurrency=EUR\niCurrDigits=3\niCurrency=3\n");
    EXPECT_EQ(Regional::ShortDateFormat(), "yyyy-MM-dd");
    EXPECT_EQ(Regional::DateSeparator(), QChar('-'));
    EXPECT_EQ(Regional::LocaleId(), "00000407");
    EXPECT_EQ(Regional::TimeFormat(), "HH:mm:ss");
    EXPECT_EQ(Regional::TimeSeparator(), QChar(':'));
    EXPECT_EQ(Regional::AmSymbol(), "") << "an empty designator is a real value";
    EXPECT_EQ(Regional::PmSymbol(), "");
    EXPECT_EQ(Regional::CurrencySymbol(), "EUR");
    EXPECT_EQ(Regional::CurrencyDigits(), 3);
    EXPECT_EQ(Regional::CurrencyFormat(), 3);
    PinInternational("sShortDate=yyyy/MM/dd\n");
    EXPECT_EQ(Regional::ShortDateFormat(), "yyyy/MM/dd");

    QFile::remove(TRegistry::DefaultFileName());
    EXPECT_EQ(Regional::ShortDateFormat(), Regional::LocaleValue(system, "sShortDate"));
}

TEST(RegionalSettings, UnusableRegistryValuesFallBackToTheLocale)
{
    const QLocale system = QLocale::system();
    PinInternational("sDecimal=\nsShortDate=\niCurrDigits=two\niCurrency=7\niNegCurr=-1\n");
    EXPECT_EQ(Regional::DecimalSeparator(), Regional::LocaleValue(system, "sDecimal").at(0));
    EXPECT_EQ(Regional::ShortDateFormat(), Regional::LocaleValue(system, "sShortDate"));
    EXPECT_EQ(Regional::CurrencyDigits(), Regional::LocaleValue(system, "iCurrDigits").toInt());
    EXPECT_EQ(Regional::CurrencyFormat(), Regional::LocaleValue(system, "iCurrency").toInt());
    EXPECT_EQ(Regional::NegativeCurrencyFormat(),
              Regional::LocaleValue(system, "iNegCurr").toInt());
    QFile::remove(TRegistry::DefaultFileName());
}
