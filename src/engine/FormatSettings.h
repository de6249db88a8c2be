// The regional settings that field texts are made with, translated once into
// the desktop format letters (d, m, y, h, n, s, am/pm). A snapshot is shared
// by the fields of a dataset; a new one is taken when the user's registry file
// changes, so a pinned locale takes effect for the next dataset opened.
#pragma once

#include <QString>
#include <QStringList>
#include <memory>

struct TFormatSettings
{
    QChar decimalSeparator = QLatin1Char('.');
    QChar thousandSeparator = QLatin1Char(',');
    QChar dateSeparator = QLatin1Char('/');
    QChar timeSeparator = QLatin1Char(':');
    QString shortDateFormat = QStringLiteral("m/d/yyyy");
    QString longDateFormat = QStringLiteral("dddd, mmmm d, yyyy");
    QString longTimeFormat = QStringLiteral("h:nn:ss ampm");
    QString shortTimeFormat = QStringLiteral("h:nn ampm");
    QString amSymbol = QStringLiteral("AM");
    QString pmSymbol = QStringLiteral("PM");
    QString currencySymbol = QStringLiteral("$");
    int currencyDigits = 2;
    int currencyFormat = 0;                      // 0 "$1", 1 "1$", 2 "$ 1", 3 "1 $"
    int negativeCurrencyFormat = 0;              // 0 "($1)" ... 15 "(1 $)"
    QStringList shortMonthNames, longMonthNames; // January first
    QStringList shortDayNames, longDayNames;     // Sunday first

    // The settings in force now.
    static std::shared_ptr<const TFormatSettings> Current();
};

// A Windows date picture ("M/d/yyyy", "dd.MM.yyyy") in the desktop letters.
QString DatePictureToFormat(const QString& picture);
// A Windows time picture ("h:mm:ss tt", "HH:mm:ss") in the desktop letters.
QString TimePictureToFormat(const QString& picture);
