// Date-time texts in the desktop format letters.
#include "engine/DisplayFormatShared.h"
#include "platform/core/ByteAppend.h"

#include <algorithm>
#include <type_traits>

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

// A text of a pattern in both the forms it is written out in.
struct TText
{
    QString utf16;
    QByteArray utf8;
};

// The characters of a format gathered in place and appended to the text at
// once: a date has several short parts, and each append of its own costs
// more than the part. Out is a QString (UTF-16 units) or a QByteArray (UTF-8).
template <typename Out> class TGathered
{
    static constexpr bool kUtf16 = std::is_same_v<Out, QString>;
    using Unit = std::conditional_t<kUtf16, char16_t, char>;

public:
    explicit TGathered(Out& out) : out_(out) {}
    ~TGathered() { Flush(); }
    TGathered(const TGathered&) = delete;
    TGathered& operator=(const TGathered&) = delete;

    void Add(const TText& text)
    {
        if constexpr (kUtf16)
            Add(reinterpret_cast<const char16_t*>(text.utf16.utf16()), text.utf16.size());
        else
            Add(text.utf8.constData(), text.utf8.size());
    }
    // value with at least width digits (the tokens' widths are at most 4).
    void AddPadded(int value, int width)
    {
        if (value < 0 || value >= 10000) { // no part of a day of the years 1 to 9999
            AddPaddedOther(value, width);
            return;
        }
        const int count = value >= 1000 ? 4 : value >= 100 ? 3 : value >= 10 ? 2 : 1;
        const int digits = qMax(count, width);
        if (n_ + digits > kRoom)
            Flush();
        // From the last digit back; the places past the value's own are its zeros.
        Unit* const first = chars_ + n_;
        n_ += digits;
        for (Unit* at = first + digits; at > first; value /= 10)
            *--at = Unit('0' + value % 10);
    }

private:
    void Flush()
    {
        Append(chars_, n_);
        n_ = 0;
    }
    Q_NEVER_INLINE void AddPaddedOther(int value, int width)
    {
        char digits[16];
        const char* const end = std::to_chars(digits, digits + sizeof digits,
                                              value < 0 ? -qint64(value) : qint64(value))
                                    .ptr;
        const int count = int(end - digits);
        if (n_ + qMax(width, count) + 1 > kRoom)
            Flush();
        if (value < 0)
            chars_[n_++] = Unit('-');
        for (int i = count + (value < 0 ? 1 : 0); i < width; ++i)
            chars_[n_++] = Unit('0');
        for (int i = 0; i < count; ++i)
            chars_[n_++] = Unit(digits[i]);
    }
    void Add(const Unit* text, qsizetype size)
    {
        if (n_ + size > kRoom) {
            Flush();
            if (size > kRoom) {
                Append(text, size);
                return;
            }
        }
        // Texts of a pattern are a separator or a name: a loop copies them
        // quicker than a call would.
        Unit* const first = chars_ + n_;
        n_ += int(size);
        for (qsizetype i = 0; i < size; ++i)
            first[i] = text[i];
    }
    void Append(const Unit* text, qsizetype size)
    {
        if constexpr (kUtf16)
            out_.append(reinterpret_cast<const QChar*>(text), size);
        else
            AppendBytes(out_, text, size);
    }

    static constexpr int kRoom = 96;
    Out& out_;
    Unit chars_[kRoom];
    int n_ = 0;
};

std::vector<TText> Texts(const QStringList& names)
{
    std::vector<TText> texts;
    for (const QString& name : names)
        texts.push_back({name, {}});
    return texts;
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
        DateAndTime  // first: the date; a time of day other than midnight adds second
    };
    Kind kind;
    int width = 0;
    bool twelve = false;
    TText text, other;
    std::vector<TText> names;
    std::shared_ptr<const TDateTimeFormat> first, second;
};

TDateTimeParts TDateTimeParts::Of(const QDate& date, const QTime& time)
{
    TDateTimeParts parts;
    if (date.isValid()) {
        date.getDate(&parts.year, &parts.month, &parts.day);
        parts.julianDay = date.toJulianDay();
    }
    if (time.isValid()) {
        parts.hour = time.hour();
        parts.minute = time.minute();
        parts.second = time.second();
        parts.msec = time.msec();
    }
    return parts;
}

TDateTimeFormat::TDateTimeFormat(const QString& pattern, const TFormatSettings& settings)
{
    Compile(pattern.isEmpty() ? QStringLiteral("c") : pattern, settings, 0);
    Encode();
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
            tokens_.back().text.utf16 += text;
        else
            tokens_.push_back(Token{Token::Literal, 0, false, {text, {}}, {}, {}, {}, {}});
    };
    const auto token = [this](Token::Kind kind, int width) -> Token& {
        tokens_.push_back(Token{kind, width, false, {}, {}, {}, {}, {}});
        return tokens_.back();
    };
    const auto nested = [&](const QString& inner) {
        auto format = std::shared_ptr<TDateTimeFormat>(new TDateTimeFormat);
        format->Compile(inner, s, depth + 1);
        format->Encode();
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
                t.text.utf16 = rest.left(2);
                t.other.utf16 = rest.mid(3, 2);
                i += 5;
            } else if (rest.left(3).toLower() == QLatin1String("a/p")) {
                Token& t = token(Token::AmPm, 0);
                t.text.utf16 = rest.left(1);
                t.other.utf16 = rest.mid(2, 1);
                i += 3;
            } else if (rest.left(4).toLower() == QLatin1String("ampm")) {
                Token& t = token(Token::AmPm, 0);
                t.text.utf16 = s.amSymbol;
                t.other.utf16 = s.pmSymbol;
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
                token(Token::DayName, 0).names = Texts(n == 3 ? s.shortDayNames : s.longDayNames);
            else
                Compile(n == 5 ? s.shortDateFormat : s.longDateFormat, s, depth + 1);
            break;
        case 'm':
            if (n <= 2)
                token(Token::Month, n);
            else
                token(Token::MonthName, 0).names =
                    Texts(n == 3 ? s.shortMonthNames : s.longMonthNames);
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

void TDateTimeFormat::Encode()
{
    const auto encode = [this](TText& text) {
        utf8Whole_ = utf8Whole_ && QStringView(text.utf16).isValidUtf16();
        text.utf8.clear();
        AppendUtf8(text.utf8, text.utf16);
    };
    for (Token& t : tokens_) {
        encode(t.text);
        encode(t.other);
        for (TText& name : t.names)
            encode(name);
        if (t.kind == Token::DateAndTime)
            utf8Whole_ = utf8Whole_ && t.first->utf8Whole_ && t.second->utf8Whole_;
    }
}

template <typename Gathered>
void TDateTimeFormat::Walk(Gathered& text, const TDateTimeParts& p) const
{
    static const TText none, space{QStringLiteral(" "), QByteArrayLiteral(" ")};
    const auto named = [](const std::vector<TText>& names, qint64 index) -> const TText& {
        return index >= 0 && index < qint64(names.size()) ? names[size_t(index)] : none;
    };
    for (const Token& t : tokens_) {
        switch (t.kind) {
        case Token::Literal:
            text.Add(t.text);
            break;
        case Token::Day:
            text.AddPadded(p.day, t.width);
            break;
        case Token::DayName: {
            // Sunday first; day number 0 was a Monday.
            const qint64 weekday = (p.julianDay % 7 + 7) % 7 + 1;
            text.Add(named(t.names, weekday % 7));
            break;
        }
        case Token::Month:
            text.AddPadded(p.month, t.width);
            break;
        case Token::MonthName:
            text.Add(named(t.names, p.month - 1));
            break;
        case Token::Year:
            text.AddPadded(t.width == 2 ? p.year % 100 : p.year, t.width);
            break;
        case Token::Hour: {
            int hour = p.hour;
            if (t.twelve)
                hour = hour % 12 == 0 ? 12 : hour % 12;
            text.AddPadded(hour, t.width);
            break;
        }
        case Token::Minute:
            text.AddPadded(p.minute, t.width);
            break;
        case Token::Second:
            text.AddPadded(p.second, t.width);
            break;
        case Token::Millisecond:
            text.AddPadded(p.msec, t.width);
            break;
        case Token::AmPm:
            text.Add(p.hour >= 12 ? t.other : t.text);
            break;
        case Token::DateAndTime:
            t.first->Walk(text, p);
            if (p.hour != 0 || p.minute != 0 || p.second != 0 || p.msec != 0) {
                text.Add(space);
                t.second->Walk(text, p);
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
    TGathered<QString> text(out);
    Walk(text, TDateTimeParts::Of(date, time));
}

bool TDateTimeFormat::AppendText(QByteArray& utf8, const TDateTimeParts& parts) const
{
    if (!utf8Whole_)
        return false;
    TGathered<QByteArray> text(utf8);
    Walk(text, parts);
    return true;
}

QString FormatDateTimeText(const QString& pattern, const QDate& date, const QTime& time,
                           const TFormatSettings& settings)
{
    return TDateTimeFormat(pattern, settings).Format(date, time);
}
