// The regional settings of the user, under the value names of the
// "\Control Panel\International" key: taken from the POSIX locale, and
// overridden by any value present under that key in the registry file, so
// users and tests can pin a locale.
#pragma once

#include <QString>

class QLocale;

namespace Regional {

// The value a locale gives, without the registry: "C" and "POSIX" give the
// United States values. Unknown names give an empty string.
QString LocaleValue(const QLocale& locale, const QString& name);

// One raw value by its name ("sShortDate", "sDecimal", "Locale", "iCurrDigits", ...);
// the locale's value when the registry file has none.
QString Value(const QString& name);

// Locale as an 8-digit hexadecimal locale id, e.g. "00000409".
QString LocaleId();
QChar ListSeparator();     // sList
QChar DecimalSeparator();  // sDecimal
QChar ThousandSeparator(); // sThousand
QChar DateSeparator();     // sDate
QChar TimeSeparator();     // sTime
// Short date pattern in the d/m/y letters of the settings, e.g. "M/d/yyyy" or "dd.MM.yyyy".
QString ShortDateFormat(); // sShortDate
// Time pattern with h/H, m, s and tt letters, e.g. "h:mm:ss tt" or "HH:mm:ss".
QString TimeFormat();     // sTimeFormat
QString AmSymbol();       // s1159
QString PmSymbol();       // s2359
QString CurrencySymbol(); // sCurrency
int CurrencyDigits();     // iCurrDigits
// Position of the symbol for positive amounts: 0 "$1", 1 "1$", 2 "$ 1", 3 "1 $".
int CurrencyFormat(); // iCurrency
// The sixteen negative forms of the settings, 0 "($1)" ... 15 "(1 $)".
int NegativeCurrencyFormat(); // iNegCurr

// The shapes of those forms, by number: "S" stands for the symbol, "N" for the
// amount; every other character is written as it stands.
inline constexpr const char* kPositiveCurrencyShapes[] = {"SN", "NS", "S N", "N S"};
inline constexpr const char* kNegativeCurrencyShapes[] = {
    "(SN)", "-SN",  "S-N",  "SN-",  "(NS)", "-NS",  "N-S",   "NS-",
    "-N S", "-S N", "N S-", "S N-", "S -N", "N- S", "(S N)", "(N S)"};

} // namespace Regional
