// Reading and writing the stand-alone package file.
#include "package/PackageFile.h"

#include <QFile>
#include <QIODevice>

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
    // A file cut short ends in bytes of its script, which rarely read as an
    // offset; whatever they read as, only the signature's length is whole.
    const std::optional<qint64> offset = QueryPackageOffset(file);
    if (offset != kPackageFileSignatureSize)
        throw EPackageDamaged(
            QStringLiteral("its last four bytes do not point behind the signature (the file may "
                           "be cut short)"));
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
