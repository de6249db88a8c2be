// The package readers on any file, attached and stand-alone: each either reads
// a package or raises EPackageDamaged, and a package read writes back to the
// same package.
#include "package/PackageFile.h"
#include "package/QueryPackage.h"

#include <QBuffer>
#include <cstddef>
#include <cstdint>
#include <optional>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    QBuffer file(&bytes);
    file.open(QIODevice::ReadOnly);
    try {
        const QueryPackage stored = ReadPackageFile(file);
        QByteArray again = EncodePackageFile(stored);
        QBuffer copy(&again);
        copy.open(QIODevice::ReadOnly);
        if (ReadPackageFile(copy) != stored)
            __builtin_trap();
    } catch (const EPackageDamaged&) {
    } catch (const Exception&) {
        // too large for the layout's offsets
    }
    std::optional<QueryPackage> package;
    try {
        package = ReadQueryPackage(file);
    } catch (const EPackageDamaged&) {
        return 0;
    }
    if (!package)
        return 0;

    const qint64 image = 16;
    QByteArray again(image, 'x');
    try {
        again += EncodeQueryPackage(*package, image);
    } catch (const Exception&) {
        return 0; // too large for the layout's offsets
    }
    QBuffer copy(&again);
    copy.open(QIODevice::ReadOnly);
    if (ReadQueryPackage(copy) != package)
        __builtin_trap();
    return 0;
}
