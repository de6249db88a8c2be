// A value's text as bytes: what the writers that take text as bytes
// (TCustomExport::TakesTextBytes) share. Each piece gives the bytes the
// writer's QString path gives for the same value.
#pragma once

#include "export/EC_Main.h"

#include <QByteArray>
#include <QByteArrayView>

// A value's text as UTF-8: its own bytes when it came as bytes, else encoded
// into scratch.
QByteArrayView Utf8Of(const TExportValue& value, QByteArray& scratch);
// The kind of a value's column; a value that came as bytes is read as text
// only when its column's kind does not already say what it is.
TExportColumnKind KindOf(const TCustomExport& writer, int index, const TExportValue& value);
// The value as it would have come without bytes: a value that came as bytes
// is copied into scratch with its text as Value and display text.
const TExportValue& AsTextValue(const TExportValue& value, TExportValue& scratch);

bool IsAscii(QByteArrayView bytes);
// UTF-8 with characters 0..31 dropped (UTF-8 has no other bytes below 32);
// a doubled character, when given, goes twice.
void AppendWithoutControlChars(QByteArray& out, QByteArrayView utf8, char doubled = 0);
// The general form with 15 significant digits and "." as the decimal
// separator, as QString::number(value, 'g', 15).
void AppendGeneral15(QByteArray& out, double value);
// UTF-8 text in Windows-1252, as EncodeWindows1252: a character outside the
// code page is one "?".
void AppendWindows1252(QByteArray& out, QByteArrayView utf8);
// The next character of UTF-8 text at *p, which moves past it; false at a
// byte that starts no well-formed character.
bool NextCodePoint(const char*& p, const char* end, char32_t& codePoint);
