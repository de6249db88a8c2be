// Texts of numbers and dates the way a desktop database's fields give them,
// with the format letters of its display formats:
//   dates and times: c, d, dd, ddd, dddd, ddddd (short date), dddddd (long
//   date), m, mm, mmm, mmmm (minutes right after h or hh), yy, yyyy, h, hh,
//   n, nn, s, ss, z, zzz, t (short time), tt (long time), am/pm, a/p, ampm
//   (12-hour clock), "/" and ":" (the regional separators), quoted literals;
//   numbers: sections "positive;negative;zero", 0 and # digits, "." decimal
//   point, "," thousands, E+ E- e+ e- exponents, quoted literals.
//
// A field formats every value of a column with the same pattern, so patterns
// are read once into a compiled form (TDateTimeFormat, TNumberFormat) that
// only fills in the values.
#pragma once

#include "engine/FormatSettings.h"

#include <QByteArray>
#include <QDate>
#include <QString>
#include <QTime>
#include <memory>
#include <vector>

// The calendar parts of a date and time of day that a date-time pattern
// fills in; by default day zero (30 December 1899) at midnight.
struct TDateTimeParts
{
    int year = 1899, month = 12, day = 30;
    qint64 julianDay = 2415019; // the day's number, for its weekday
    int hour = 0, minute = 0, second = 0, msec = 0;

    // The parts of a date (invalid: day zero) and time of day (invalid: midnight).
    static TDateTimeParts Of(const QDate& date, const QTime& time);
};

// A date-time pattern read once with the regional settings of its time.
class TDateTimeFormat
{
public:
    // An empty pattern is "c".
    TDateTimeFormat(const QString& pattern, const TFormatSettings& settings);
    ~TDateTimeFormat();
    TDateTimeFormat(TDateTimeFormat&&) noexcept;
    TDateTimeFormat& operator=(TDateTimeFormat&&) noexcept;

    // A date (invalid: day zero, 30 December 1899) and time of day (invalid: midnight).
    QString Format(const QDate& date, const QTime& time) const;
    // The same text into out, replacing what it held but keeping its room.
    void FormatInto(QString& out, const QDate& date, const QTime& time) const;
    // The text of parts appended in UTF-8, byte for byte the UTF-8 of Format;
    // false, with nothing appended, for a pattern whose texts hold a lone
    // surrogate (their pieces would not convert as the whole text does).
    bool AppendText(QByteArray& utf8, const TDateTimeParts& parts) const;

    struct Token;

private:
    TDateTimeFormat() = default;
    void Compile(const QString& pattern, const TFormatSettings& settings, int depth);
    // Makes the UTF-8 of the texts once the pattern is read.
    void Encode();
    // The one walk through the tokens, gathering a QString's units or UTF-8
    // bytes; the patterns it names add to the same gathering.
    template <typename Gathered> void Walk(Gathered& text, const TDateTimeParts& parts) const;

    std::vector<Token> tokens_;
    bool utf8Whole_ = true; // every text converts to UTF-8 on its own
};

// A number display-format pattern read once.
class TNumberFormat
{
public:
    TNumberFormat(const QString& pattern, const TFormatSettings& settings);
    ~TNumberFormat();
    TNumberFormat(TNumberFormat&&) noexcept;
    TNumberFormat& operator=(TNumberFormat&&) noexcept;

    QString Format(double value) const;

    struct Sections;

private:
    std::unique_ptr<Sections> sections_;
};

// A date and time of day in a pattern, read for this one call.
QString FormatDateTimeText(const QString& pattern, const QDate& date, const QTime& time,
                           const TFormatSettings& settings);

// A number in a display-format pattern, read for this one call.
QString FormatFloatText(const QString& pattern, double value, const TFormatSettings& settings);

// A number with up to 15 significant digits, the regional decimal separator,
// no thousands separator, scientific form for very large or small values.
QString FloatText(double value, const TFormatSettings& settings);
// The same text appended in UTF-8.
void AppendFloatTextUtf8(QByteArray& utf8, double value, const TFormatSettings& settings);

// Appends text in UTF-8 (a lone surrogate becomes a replacement character).
void AppendUtf8(QByteArray& utf8, QStringView text);

// An amount as money: thousands separators, the regional digits, symbol and
// positive and negative forms.
QString CurrencyText(double value, const TFormatSettings& settings);
