#include "export/formats/ValueBytes.h"

#include "engine/DisplayFormat.h"
#include "platform/core/Windows1252.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>

QByteArrayView Utf8Of(const TExportValue& value, QByteArray& scratch)
{
    if (value.InBytes)
        return value.Utf8;
    scratch.truncate(0);
    AppendUtf8(scratch, value.Value);
    return scratch;
}

TExportColumnKind TColumnKinds::Ask(const TCustomExport& writer, int index, bool captions)
{
    if (captions || index < 0)
        return writer.GetColumnKind(index, QString());
    if (size_t(index) >= kinds_.size())
        kinds_.resize(size_t(index) + 1, -1);
    qint8& kind = kinds_[size_t(index)];
    if (kind < 0)
        kind = qint8(writer.GetColumnKind(index, QString()));
    return TExportColumnKind(kind);
}

TExportColumnKind TColumnKinds::Of(const TCustomExport& writer, int index,
                                   const TExportValue& value, bool captions)
{
    const TExportColumnKind kind = Fixed(writer, index, captions);
    if (kind != ckUnknown)
        return kind;
    return writer.GetColumnKind(index, value.InBytes ? value.Text() : value.Value);
}

const TExportValue& AsTextValue(const TExportValue& value, TExportValue& scratch)
{
    if (!value.InBytes)
        return value;
    scratch.Value = value.Text();
    scratch.HasInfo = value.HasInfo;
    scratch.Info = value.Info;
    scratch.Info.DisplayText = scratch.Value;
    return scratch;
}

bool IsAscii(QByteArrayView bytes)
{
    const char* p = bytes.data();
    const char* const end = p + bytes.size();
    // Eight bytes at a time while there are eight.
    for (; end - p >= 8; p += 8) {
        quint64 word;
        std::memcpy(&word, p, 8);
        if (word & 0x8080808080808080ULL)
            return false;
    }
    for (; p < end; ++p) {
        if (static_cast<unsigned char>(*p) >= 0x80)
            return false;
    }
    return true;
}

QByteArray& TByteAppender::Settle()
{
    if (p_) {
        out_.truncate(p_ - out_.constData());
        p_ = end_ = nullptr;
    }
    return out_;
}

// The whole capacity becomes the room, doubled when it is too small.
void TByteAppender::Grow(qsizetype more)
{
    const qsizetype used = p_ ? p_ - out_.constData() : out_.size();
    if (used + more > out_.capacity())
        out_.reserve(std::max(used + more, 2 * out_.capacity()));
    out_.resize(out_.capacity());
    p_ = out_.data() + used;
    end_ = out_.data() + out_.size();
}

namespace {

constexpr quint64 kOnes = 0x0101010101010101ULL;
constexpr quint64 kHighs = 0x8080808080808080ULL;

// Whether eight bytes hold one below 32 or one equal to doubled (0: none).
bool HasSpecialByte(const char* p, char doubled)
{
    quint64 word;
    std::memcpy(&word, p, 8);
    const quint64 low = (word - 32 * kOnes) & ~word & kHighs;
    const quint64 same = word ^ (static_cast<unsigned char>(doubled) * kOnes);
    return low != 0 || (doubled != 0 && ((same - kOnes) & ~same & kHighs) != 0);
}

} // namespace

// Runs that need nothing go over whole.
void AppendWithoutControlChars(TByteAppender& out, QByteArrayView utf8, char doubled)
{
    const char* run = utf8.data();
    const char* const end = run + utf8.size();
    for (const char* p = run; p < end; ++p) {
        while (end - p >= 8 && !HasSpecialByte(p, doubled))
            p += 8;
        if (p == end)
            break;
        const auto byte = static_cast<unsigned char>(*p);
        if (byte >= 32 && (doubled == 0 || *p != doubled))
            continue;
        out.Add(QByteArrayView(run, p - run));
        run = byte < 32 ? p + 1 : p; // a doubled character goes twice
        if (byte >= 32)
            out.Add(*p);
    }
    out.Add(QByteArrayView(run, end - run));
}

void AppendWithoutControlChars(QByteArray& out, QByteArrayView utf8, char doubled)
{
    TByteAppender appender(out);
    AppendWithoutControlChars(appender, utf8, doubled);
}

bool IsOwnExportText(QByteArrayView utf8, QChar thousandSeparator)
{
    const char16_t thousand = thousandSeparator.unicode();
    return std::none_of(utf8.begin(), utf8.end(), [&](char c) {
        const auto byte = static_cast<unsigned char>(c);
        return byte <= ' ' || byte >= 0x80 || byte == thousand;
    });
}

void AppendExportValue(const TCustomExport& writer, const TExportValue& value,
                       QChar thousandSeparator, TByteAppender& out)
{
    if (value.InBytes && IsOwnExportText(value.Utf8, thousandSeparator))
        out.Add(value.Utf8);
    else
        writer.AppendExportValue(value, out.Settle());
}

// Both round to the nearest and write the exponent with at least two
// digits; they part only on a negative zero and on what is no number.
void AppendGeneral15(TByteAppender& out, double value)
{
    if (value == 0 || !std::isfinite(value)) {
        out.Add(QString::number(value, 'g', 15).toLatin1());
        return;
    }
    // A whole number of at most fifteen digits is its integer's digits;
    // to_chars with a precision takes many times longer.
    if (std::fabs(value) < 1e15 && value == std::trunc(value)) {
        out.AddInteger(qint64(value));
        return;
    }
    char* const at = out.Next(32);
    out.Advance(std::to_chars(at, at + 32, value, std::chars_format::general, 15).ptr);
}

bool NextCodePoint(const char*& p, const char* end, char32_t& codePoint)
{
    const auto lead = static_cast<unsigned char>(*p);
    if (lead < 0x80) {
        codePoint = lead;
        ++p;
        return true;
    }
    int more;
    if (lead >= 0xC2 && lead <= 0xDF)
        more = 1, codePoint = lead & 0x1F;
    else if (lead >= 0xE0 && lead <= 0xEF)
        more = 2, codePoint = lead & 0x0F;
    else if (lead >= 0xF0 && lead <= 0xF4)
        more = 3, codePoint = lead & 0x07;
    else
        return false;
    if (end - p <= more)
        return false;
    for (int i = 1; i <= more; ++i) {
        const auto next = static_cast<unsigned char>(p[i]);
        if ((next & 0xC0) != 0x80)
            return false;
        codePoint = (codePoint << 6) | (next & 0x3F);
    }
    // Overlong forms, surrogates and what lies past U+10FFFF start no character.
    static constexpr char32_t kLeast[4] = {0, 0x80, 0x800, 0x10000};
    if (codePoint < kLeast[more] || (codePoint >= 0xD800 && codePoint <= 0xDFFF) ||
        codePoint > 0x10FFFF)
        return false;
    p += more + 1;
    return true;
}

void AppendWindows1252(QByteArray& out, QByteArrayView utf8)
{
    const qsizetype start = out.size();
    const char* p = utf8.data();
    const char* const end = p + utf8.size();
    while (p < end) {
        const char* run = p;
        while (p < end && static_cast<unsigned char>(*p) < 0x80)
            ++p;
        out.append(run, p - run);
        if (p == end)
            break;
        char32_t c = 0;
        if (!NextCodePoint(p, end, c)) {
            // Not UTF-8 after all: the text as its QString reads.
            out.truncate(start);
            out += EncodeWindows1252(QString::fromUtf8(utf8));
            return;
        }
        unsigned char byte = '?';
        if (c < 0x10000)
            Windows1252Byte(QChar(char16_t(c)), &byte);
        out += char(byte);
    }
}
