// The query package appended to a copy of the runner: its one reader and its
// one writer, shared by the runner's start-up and the packager so the two can
// never disagree about the layout.
//
// Layout, all integers little-endian signed 32-bit:
//   [0, offset)            the program image, unchanged
//   offset                 password flag (1 byte; 0 false, anything else true)
//                          password (counted string), only when the flag is true
//                          SQL-editable flag, show-results flag (1 byte each)
//                          title, description, alias, SQL script (counted strings)
//   [size - 4, size)       offset: where the password flag lies
// A counted string is an integer n, then n bytes of UTF-8 (read as Windows-1252
// when they are not valid UTF-8); n <= 0 is the empty string and no bytes follow.
// A file whose last four bytes read below 1, or that is shorter than four bytes,
// carries no package. No counted string holds more than kMaxPackageText bytes.
#pragma once

#include "platform/core/Exceptions.h"

#include <QByteArray>
#include <QString>
#include <optional>

class QIODevice;

// The largest text of a package, and of a script file handed to the runner:
// larger texts are refused before any widget sees them.
constexpr qint64 kMaxPackageText = 64 * 1024 * 1024;

struct QueryPackage
{
    bool hasPassword = false;
    QString password;
    bool sqlEditable = true;
    bool showResults = false;
    QString title;
    QString description;
    QString alias;
    QString sql;

    bool operator==(const QueryPackage&) const = default;
};

// A package that cannot be read as laid out above. Message() is the detail, for
// example "the package offset 5000 lies past the end of the file (1200 bytes)".
class EPackageDamaged : public Exception
{
public:
    using Exception::Exception;
};

// Reads the package from a random-access device open for reading, field by
// field; nullopt when the file carries none. Never reads or allocates beyond
// what lies between the offset and the trailing four bytes; a package that does
// not fit there, or a device that fails to read, raises EPackageDamaged.
std::optional<QueryPackage> ReadQueryPackage(QIODevice& file);
// The same on a file opened read-only; EInOutError when it cannot be opened.
std::optional<QueryPackage> ReadQueryPackage(const QString& path);

// Where the package starts (1 or more), nullopt when the file carries none.
// An offset that points past the file or into its last four bytes raises
// EPackageDamaged.
std::optional<qint64> QueryPackageOffset(QIODevice& file);

// Where the package starts, or the file size when there is none. A damaged
// package raises EPackageDamaged, so nobody strips what is not a package.
qint64 ProgramImageSize(QIODevice& file);

// The bytes to append to a program image of `offset` bytes, ending with the
// four-byte offset. Raises Exception when the offset is below 1 or the whole
// file would not fit the 32-bit offsets and counts of the layout.
QByteArray EncodeQueryPackage(const QueryPackage& p, qint64 offset);
