// Date-time texts in the desktop format letters.
#include "engine/DisplayFormatShared.h"

using namespace DisplayFormatShared;

namespace {

bool UsesTwelveHours(const QString& pattern)
{
    for (qsizetype i = 0; i < pattern.size();) {
        if (IsQuote(pattern.at(i))) {
            i = PastQuote(pattern, i);
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

} // namespace


struct TDateTimeFormat::Token
{
    enum Kind
    {
        Literal,
        Day,         // width 1 or 2
        DayName,     // names: short or long day names, Sunday first
        Month,       // width 1 or 2
        MonthName,   // names: short or long month names
        Year,        // width 2 (two last digits) or 4
        Hour,        // width 1 or 2; twelve: on the 12-hour clock
        Minute,      // width 1 or 2
        Second,      // width 1 or 2
        Millisecond, // width 1 or 3
        AmPm,        // text before noon, other from noon
        Nested,      // first: another pattern of the settings
        DateAndTime  // first: the date; a time of day other than midnight adds second
    };
    Kind kind;
    int width = 0;
    bool twelve = false;
    QString text, other;
    QStringList names;
    std::shared_ptr<const TDateTimeFormat> first, second;
};

TDateTimeFormat::TDateTimeFormat(const QString& pattern, const TFormatSettings& settings)
{
    Compile(pattern.isEmpty() ? QStringLiteral("c") : pattern, settings, 0);
}

TDateTimeFormat::~TDateTimeFormat() = default;
TDateTimeFormat::TDateTimeFormat(TDateTimeFormat&&) noexcept = default;
TDateTimeFormat& TDateTimeFormat::operator=(TDateTimeFormat&&) noexcept = default;

void TDateTimeFormat::Compile(const QString& pattern, const TFormatSettings& s, int depth)
{
    // Patterns of the settings may name each other; two levels are enough for any real one.
    if (depth > 2)
        return;
    const auto literal = [this](const QString& text) {
        if (!tokens_.empty() && tokens_.back().kind == Token::Literal)
            tokens_.back().text += text;
        else
            tokens_.push_back(Token{Token::Literal, 0, false, text, {}, {}, {}, {}});
    };
    const auto token = [this](Token::Kind kind, int width) -> Token& {
        tokens_.push_back(Token{kind, width, false, {}, {}, {}, {}, {}});
        return tokens_.back();
    };
    const auto nested = [&](const QString& inner) {
        auto format = std::shared_ptr<TDateTimeFormat>(new TDateTimeFormat);
        format->Compile(inner, s, depth + 1);
        return std::shared_ptr<const TDateTimeFormat>(std::move(format));
    };
    const bool twelve = UsesTwelveHours(pattern);
    QChar lastLetter;
    for (qsizetype i = 0; i < pattern.size();) {
        const QChar c = pattern.at(i);
        if (IsQuote(c)) {
            literal(QuotedText(pattern, i, &i));
            continue;
        }
        QChar letter = c.toLower();
        if (letter == QLatin1Char('a')) {
            const QString rest = pattern.mid(i, 5);
            if (rest.toLower() == QLatin1String("am/pm")) {
                Token& t = token(Token::AmPm, 0);
                t.text = rest.left(2);
                t.other = rest.mid(3, 2);
                i += 5;
            } else if (rest.left(3).toLower() == QLatin1String("a/p")) {
                Token& t = token(Token::AmPm, 0);
                t.text = rest.left(1);
                t.other = rest.mid(2, 1);
                i += 3;
            } else if (rest.left(4).toLower() == QLatin1String("ampm")) {
                Token& t = token(Token::AmPm, 0);
                t.text = s.amSymbol;
                t.other = s.pmSymbol;
                i += 4;
            } else {
                literal(QString(c));
                ++i;
            }
            continue;
        }
        if (!letter.isLetter() || letter.unicode() > 'z') {
            literal(c == QLatin1Char('/')   ? QString(s.dateSeparator)
                    : c == QLatin1Char(':') ? QString(s.timeSeparator)
                                            : QString(c));
            ++i;
            continue;
        }
        int n = 1;
        while (i + n < pattern.size() && pattern.at(i + n).toLower() == letter)
            ++n;
        i += n;
        // "m" right after an hour is the minute.
        if (letter == QLatin1Char('m') && lastLetter == QLatin1Char('h'))
            letter = QLatin1Char('n');
        lastLetter = letter;
        switch (letter.unicode()) {
        case 'c': {
            Token& t = token(Token::DateAndTime, 0);
            t.first = nested(s.shortDateFormat);
            t.second = nested(s.longTimeFormat);
            break;
        }
        case 'd':
            if (n <= 2)
                token(Token::Day, n);
            else if (n <= 4)
                token(Token::DayName, 0).names = n == 3 ? s.shortDayNames : s.longDayNames;
            else
                token(Token::Nested, 0).first =
                    nested(n == 5 ? s.shortDateFormat : s.longDateFormat);
            break;
        case 'm':
            if (n <= 2)
                token(Token::Month, n);
            else
                token(Token::MonthName, 0).names = n == 3 ? s.shortMonthNames : s.longMonthNames;
            break;
        case 'y':
            token(Token::Year, n <= 2 ? 2 : 4);
            break;
        case 'h':
            token(Token::Hour, qMin(n, 2)).twelve = twelve;
            break;
        case 'n':
            token(Token::Minute, qMin(n, 2));
            break;
        case 's':
            token(Token::Second, qMin(n, 2));
            break;
        case 'z':
            token(Token::Millisecond, n >= 3 ? 3 : 1);
            break;
        case 't':
            token(Token::Nested, 0).first = nested(n == 1 ? s.shortTimeFormat : s.longTimeFormat);
            break;
        default:
            literal(pattern.mid(i - n, n));
            break;
        }
    }
}

void TDateTimeFormat::AppendTo(QString& out, const QDate& date, const QTime& time) const
{
    // The calendar parts of the date, worked out once for all its tokens.
    int year = 0, month = 0, day = 0;
    date.getDate(&year, &month, &day);
    for (const Token& t : tokens_) {
        switch (t.kind) {
        case Token::Literal:
            out += t.text;
            break;
        case Token::Day:
            AppendPadded(out, day, t.width);
            break;
        case Token::DayName:
            out += t.names.value(date.dayOfWeek() % 7);
            break;
        case Token::Month:
            AppendPadded(out, month, t.width);
            break;
        case Token::MonthName:
            out += t.names.value(month - 1);
            break;
        case Token::Year:
            AppendPadded(out, t.width == 2 ? year % 100 : year, t.width);
            break;
        case Token::Hour: {
            int hour = time.hour();
            if (t.twelve)
                hour = hour % 12 == 0 ? 12 : hour % 12;
            AppendPadded(out, hour, t.width);
            break;
        }
        case Token::Minute:
            AppendPadded(out, time.minute(), t.width);
            break;
        case Token::Second:
            AppendPadded(out, time.second(), t.width);
            break;
        case Token::Millisecond:
            AppendPadded(out, time.msec(), t.width);
            break;
        case Token::AmPm:
            out += time.hour() >= 12 ? t.other : t.text;
            break;
        case Token::Nested:
            t.first->AppendTo(out, date, time);
            break;
        case Token::DateAndTime:
            t.first->AppendTo(out, date, time);
            if (time != QTime(0, 0)) {
                out += QLatin1Char(' ');
                t.second->AppendTo(out, date, time);
            }
            break;
        }
    }
}

QString TDateTimeFormat::Format(const QDate& date, const QTime& time) const
{
    QString out;
    out.reserve(24);
    FormatInto(out, date, time);
    return out;
}

void TDateTimeFormat::FormatInto(QString& out, const QDate& date, const QTime& time) const
{
    out.truncate(0); // keeps the room for the next value
    AppendTo(out, date.isValid() ? date : QDate(1899, 12, 30), time.isValid() ? time : QTime(0, 0));
}

QString FormatDateTimeText(const QString& pattern, const QDate& date, const QTime& time,
                           const TFormatSettings& settings)
{
    return TDateTimeFormat(pattern, settings).Format(date, time);
}
