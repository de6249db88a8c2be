// A value's text as bytes: what the writers that take text as bytes
// (TCustomExport::TakesTextBytes) share. Each piece gives the bytes the
// writer's QString path gives for the same value.
#pragma once

#include "export/EC_Writer.h"

#include <QByteArray>
#include <QByteArrayView>
#include <charconv>
#include <cstring>
#include <vector>

// A value's text as UTF-8: its own bytes when it came as bytes, else encoded
// into scratch.
QByteArrayView Utf8Of(const TExportValue& value, QByteArray& scratch);

// The kinds of a writer's columns (TCustomExport::GetColumnKind), each
// asked once: past the caption row a column's kind is fixed unless only its
// values can tell (ckUnknown), and then each value's text is read.
class TColumnKinds
{
public:
    // The kind whatever the text; ckUnknown when the text decides.
    TExportColumnKind Fixed(const TCustomExport& writer, int index, bool captions)
    {
        if (!captions && index >= 0 && size_t(index) < kinds_.size() && kinds_[size_t(index)] >= 0)
            return TExportColumnKind(kinds_[size_t(index)]);
        return Ask(writer, index, captions);
    }
    // The kind of a value's column.
    TExportColumnKind Of(const TCustomExport& writer, int index, const TExportValue& value,
                         bool captions);

private:
    TExportColumnKind Ask(const TCustomExport& writer, int index, bool captions);

    std::vector<qint8> kinds_; // -1: not asked yet
};

// The value as it would have come without bytes: a value that came as bytes
// is copied into scratch with its text as Value and display text.
const TExportValue& AsTextValue(const TExportValue& value, TExportValue& scratch);

// Appends to a byte array through a pointer into room made ahead, for the
// many small pieces of a row: each append of QByteArray's own is a call
// with its checks. While pieces are added the array holds the room too;
// Settle (or the end of the appender) gives it its true size again.
class TByteAppender
{
public:
    explicit TByteAppender(QByteArray& out) : out_(out) {}
    ~TByteAppender() { Settle(); }
    TByteAppender(const TByteAppender&) = delete;
    TByteAppender& operator=(const TByteAppender&) = delete;

    void Add(char c)
    {
        if (p_ == end_)
            Grow(1);
        *p_++ = c;
    }
    void Add(QByteArrayView bytes)
    {
        if (end_ - p_ < bytes.size())
            Grow(bytes.size());
        if (!bytes.isEmpty())
            std::memcpy(p_, bytes.data(), size_t(bytes.size()));
        p_ += bytes.size();
    }
    // Room for at least `more` bytes at Next, which moves on by Advance.
    char* Next(qsizetype more)
    {
        if (end_ - p_ < more)
            Grow(more);
        return p_;
    }
    void Advance(char* to) { p_ = to; }
    void Fill(char c, qsizetype count)
    {
        char* const at = Next(count);
        std::memset(at, c, size_t(count));
        p_ = at + count;
    }
    void AddInteger(qint64 value)
    {
        char* const at = Next(20);
        p_ = std::to_chars(at, at + 20, value).ptr;
    }
    // The bytes of the array so far, and a way back to a size it had.
    qsizetype Size() const { return p_ ? p_ - out_.constData() : out_.size(); }
    void Truncate(qsizetype size) { Settle().truncate(size); }
    // The array at its true size, to be appended to directly; the next
    // piece added makes room again.
    QByteArray& Settle();

private:
    void Grow(qsizetype more);

    QByteArray& out_;
    char* p_ = nullptr;
    char* end_ = nullptr;
};

bool IsAscii(QByteArrayView bytes);
// UTF-8 with characters 0..31 dropped (UTF-8 has no other bytes below 32);
// a doubled character, when given, goes twice.
void AppendWithoutControlChars(TByteAppender& out, QByteArrayView utf8, char doubled = 0);
void AppendWithoutControlChars(QByteArray& out, QByteArrayView utf8, char doubled = 0);
// Whether a value's bytes are its own export text (TCustomExport::
// AppendExportValue): with no blank, no byte outside ASCII and no thousand
// separator in them they are, numeric or not.
bool IsOwnExportText(QByteArrayView utf8, QChar thousandSeparator);
// TCustomExport::AppendExportValue, bytes that are their own export text
// copied without a call.
void AppendExportValue(const TCustomExport& writer, const TExportValue& value,
                       QChar thousandSeparator, TByteAppender& out);
// The general form with 15 significant digits and "." as the decimal
// separator, as QString::number(value, 'g', 15).
void AppendGeneral15(TByteAppender& out, double value);
// UTF-8 text in Windows-1252, as EncodeWindows1252: a character outside the
// code page is one "?".
void AppendWindows1252(QByteArray& out, QByteArrayView utf8);
// The next character of UTF-8 text at *p, which moves past it; false at a
// byte that starts no well-formed character.
bool NextCodePoint(const char*& p, const char* end, char32_t& codePoint);
