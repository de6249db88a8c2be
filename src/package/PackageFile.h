// The package file (.tqp): a query package sent on its own, for the installed
// runner to open, instead of appended to a copy of the runner.
//
// Layout: the eight bytes of kPackageFileSignature, then the package exactly as
// it lies behind a program image (see QueryPackage.h), its trailing offset
// being 8, the signature's length. The signature gives the file a magic of its
// own for the desktop's MIME type (application/x-tessaly-query); its first byte
// is not text and its CR LF and LF show a transfer that changed line ends.
#pragma once

#include "package/QueryPackage.h"

#include <QByteArray>
#include <QString>

class QIODevice;

inline constexpr char kPackageFileSignature[] = "\x89TQP\r\n\x1A\n";
inline constexpr qint64 kPackageFileSignatureSize = sizeof kPackageFileSignature - 1;

// Whether a file name ends in .tqp, in any letter case, as the desktop's glob
// for the type matches it.
bool IsPackageFileName(const QString& path);

// Whether the file at path is to be read as a package file: its name ends in
// .tqp or its first bytes are the signature (a package file renamed).
bool IsPackageFile(const QString& path);

// Reads a package file from a random-access device open for reading. Anything
// but the signature followed by one whole package raises EPackageDamaged: a
// file cut short, a missing signature, a package offset other than 8.
QueryPackage ReadPackageFile(QIODevice& file);
// The same on a file opened read-only; EInOutError when it cannot be opened.
QueryPackage ReadPackageFile(const QString& path);

// The bytes of the package file of p. Raises Exception when p does not fit
// the layout (a text larger than 64 MiB).
QByteArray EncodePackageFile(const QueryPackage& p);
