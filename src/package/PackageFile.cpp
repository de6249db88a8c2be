// Reading and writing the stand-alone package file.
#include "package/PackageFile.h"

#include <QFile>
#include <QIODevice>
#include <QtEndian>

namespace {

QByteArray Signature()
{
    return QByteArray::fromRawData(kPackageFileSignature, kPackageFileSignatureSize);
}

} // namespace

bool IsPackageFileName(const QString& path)
{
    return path.endsWith(QLatin1String(".tqp"), Qt::CaseInsensitive);
}

bool IsPackageFile(const QString& path)
{
    if (IsPackageFileName(path))
        return true;
    QFile file(path);
    return file.open(QIODevice::ReadOnly) && file.read(kPackageFileSignatureSize) == Signature();
}

QueryPackage ReadPackageFile(QIODevice& file)
{
    if (!file.isReadable() || file.isSequential())
        throw EPackageDamaged(QStringLiteral("the file is not open for random access"));
    if (!file.seek(0) || file.read(kPackageFileSignatureSize) != Signature())
        throw EPackageDamaged(QStringLiteral("it does not begin with the signature of a query "
                                             "package file"));
    // A file cut short or changed in transit ends in whatever bytes of its
    // text came last: anything but the offset of the package behind the
    // signature says so, however the bytes read as a number.
    char offset[4];
    qToLittleEndian(qint32(kPackageFileSignatureSize), offset);
    if (!file.seek(file.size() - 4) || file.read(4) != QByteArray(offset, 4))
        throw EPackageDamaged(QStringLiteral("it does not end in the offset of its package (%1): "
                                             "the file was cut short or changed")
                                  .arg(kPackageFileSignatureSize));
    return *ReadQueryPackage(file);
}

QueryPackage ReadPackageFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw EInOutError(
            QStringLiteral("Cannot open the file %1: %2").arg(path, file.errorString()));
    return ReadPackageFile(file);
}

QByteArray EncodePackageFile(const QueryPackage& p)
{
    return Signature() + EncodeQueryPackage(p, kPackageFileSignatureSize);
}
