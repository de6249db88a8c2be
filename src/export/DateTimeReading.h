// Reading back the dates and times that the regional settings write, so a
// value the program formatted gives back its day count under every locale.
// A short date is read as its numbers in the order of the pattern's day,
// month and year letters; whatever stands between them (separators, blanks,
// dots, direction marks, quoted words such as "г.") only separates. A time
// is its hour, minutes and seconds, with the AM or PM designator before or
// after them and unit words (時分秒, 시분초) between them. Digits of any
// script count by their value. A two-digit year takes the century that puts
// it within fifty years of today.
#pragma once

#include <QString>
#include <QStringList>
#include <QStringView>
#include <vector>

// Days since 30 December 1899, the time of day as the fraction.
using TDateTime = double;

class TDateTimeReading
{
public:
    // The regional settings in force now.
    static TDateTimeReading Current();
    // shortDate in the settings' letters ("d/M/yyyy", "yyyy. MM. dd."); the
    // month names are read where the pattern names the month ("MMM").
    TDateTimeReading(const QString& shortDate, const QString& am, const QString& pm,
                     const QStringList& monthNames = {});

    // Each raises EConvertError for a text that is not of its shape or not a
    // real date or time of day.
    TDateTime ReadDate(QStringView text) const;
    TDateTime ReadTime(QStringView text) const;
    // The short date, then the time when there is one.
    TDateTime ReadDateTime(QStringView text) const;

    const QString& ShortDate() const { return shortDate_; }

private:
    // One day, month or year of the pattern, in its order.
    struct TField
    {
        char kind;     // 'd', 'M' or 'y'
        int letters;   // how many letters the pattern gives it
        bool adjacent; // the next field follows without a separator
    };

    // The day count of the date at the start of text, and where it ends.
    TDateTime ReadDateAt(QStringView text, qsizetype* end) const;
    int MonthNamed(QStringView text) const;

    QString shortDate_;
    QString am_, pm_;
    QStringList monthNames_; // long and short, January first, twelve each
    std::vector<TField> fields_;
    bool monthByName_ = false;
};
