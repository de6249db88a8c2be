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

// The characters of a format gathered in place and appended to the text at
// once: a date has several short parts, and each append of its own costs
// more than the part.
class TGathered
{
public:
    explicit TGathered(QString& out) : out_(out) {}
    ~TGathered() { Flush(); }
    TGathered(const TGathered&) = delete;
    TGathered& operator=(const TGathered&) = delete;

    void Flush()
    {
        out_.append(reinterpret_cast<const QChar*>(chars_), n_);
        n_ = 0;
    }
    void Add(const QString& text)
    {
        if (n_ + text.size() > kRoom) {
            Flush();
            if (text.size() > kRoom) {
                out_ += text;
                return;
            }
        }
        std::copy(text.utf16(), text.utf16() + text.size(), chars_ + n_);
        n_ += int(text.size());
    }
    void AddPadded(int value, int width)
    {
        if (width > kRoom / 2) { // only a pattern of many zeros
            Flush();
            AppendPadded(out_, value, width);
            return;
        }
        char digits[16];
        const char* const end = std::to_chars(digits, digits + sizeof digits,
                                              value < 0 ? -qint64(value) : qint64(value))
                                    .ptr;
        const int count = int(end - digits);
        if (n_ + qMax(width, count) + 1 > kRoom)
            Flush();
        if (value < 0)
            chars_[n_++] = u'-';
        for (int i = count + (value < 0 ? 1 : 0); i < width; ++i)
            chars_[n_++] = u'0';
        for (int i = 0; i < count; ++i)
            chars_[n_++] = char16_t(digits[i]);
    }

private:
    static constexpr int kRoom = 96;
    QString& out_;
    char16_t chars_[kRoom];
    int n_ = 0;
};

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
    // Patterns of the settings may name each other; two levels are enough for
    // any real one. A pattern named by letters ("ddddd", "t") is compiled in place.
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
                Compile(n == 5 ? s.shortDateFormat : s.longDateFormat, s, depth + 1);
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
            Compile(n == 1 ? s.shortTimeFormat : s.longTimeFormat, s, depth + 1);
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
    TGathered text(out);
    for (const Token& t : tokens_) {
        switch (t.kind) {
        case Token::Literal:
            text.Add(t.text);
            break;
        case Token::Day:
            text.AddPadded(day, t.width);
            break;
        case Token::DayName:
            text.Add(t.names.value(date.dayOfWeek() % 7));
            break;
        case Token::Month:
            text.AddPadded(month, t.width);
            break;
        case Token::MonthName:
            text.Add(t.names.value(month - 1));
            break;
        case Token::Year:
            text.AddPadded(t.width == 2 ? year % 100 : year, t.width);
            break;
        case Token::Hour: {
            int hour = time.hour();
            if (t.twelve)
                hour = hour % 12 == 0 ? 12 : hour % 12;
            text.AddPadded(hour, t.width);
            break;
        }
        case Token::Minute:
            text.AddPadded(time.minute(), t.width);
            break;
        case Token::Second:
            text.AddPadded(time.second(), t.width);
            break;
        case Token::Millisecond:
            text.AddPadded(time.msec(), t.width);
            break;
        case Token::AmPm:
            text.Add(time.hour() >= 12 ? t.other : t.text);
            break;
        case Token::DateAndTime:
            text.Flush();
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
