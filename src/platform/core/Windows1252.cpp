#include "platform/core/Windows1252.h"

#include <QStringDecoder>

namespace {

// Bytes 0x80..0x9F; 0 marks the five bytes the code page leaves undefined,
// which decode to the C1 control of the same number.
constexpr char16_t kHighControls[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

} // namespace

QString DecodeWindows1252(const QByteArray& bytes)
{
    QString text;
    text.reserve(bytes.size());
    for (const char ch : bytes) {
        const auto b = static_cast<unsigned char>(ch);
        if (b >= 0x80 && b <= 0x9F && kHighControls[b - 0x80] != 0)
            text += QChar(kHighControls[b - 0x80]);
        else
            text += QChar(char16_t(b));
    }
    return text;
}

bool Windows1252Byte(QChar c, unsigned char* byte)
{
    const char16_t u = c.unicode();
    if (u < 0x80 || (u >= 0xA0 && u <= 0xFF)) {
        *byte = static_cast<unsigned char>(u);
        return true;
    }
    for (int i = 0; i < 32; ++i) {
        if (kHighControls[i] != 0 && kHighControls[i] == u) {
            *byte = static_cast<unsigned char>(0x80 + i);
            return true;
        }
    }
    return false;
}

QByteArray EncodeWindows1252(const QString& text)
{
    QByteArray bytes;
    bytes.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        unsigned char b = '?';
        const QChar c = text.at(i);
        if (c.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate())
            ++i; // one character outside the code page, one "?"
        else
            Windows1252Byte(c, &b);
        bytes += char(b);
    }
    return bytes;
}

QString DecodeUtf8OrWindows1252(const QByteArray& bytes)
{
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = utf8.decode(bytes);
    if (!utf8.hasError())
        return text;
    return DecodeWindows1252(bytes);
}
