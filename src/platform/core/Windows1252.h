// The Windows-1252 code page: the byte encoding of the file formats whose
// readers assume it, and the fallback for package text that is not UTF-8.
#pragma once

#include <QByteArray>
#include <QString>

QString DecodeWindows1252(const QByteArray& bytes);
// Characters outside the code page become "?".
QByteArray EncodeWindows1252(const QString& text);
// Whether the character has a byte in the code page; the byte goes to *byte.
bool Windows1252Byte(QChar c, unsigned char* byte);

// UTF-8 when the bytes are valid UTF-8, else Windows-1252.
QString DecodeUtf8OrWindows1252(const QByteArray& bytes);
