// The package file: its exact bytes, and every way a file can fail to be one.
#include "package/PackageFile.h"

#include "support/TestSupport.h"

#include <QBuffer>
#include <gtest/gtest.h>

namespace {

QueryPackage Orders()
{
    QueryPackage p;
    p.hasPassword = true;
    p.password = "pw";
    p.title = "Orders";
    p.alias = "<Standard>";
    p.sql = "SELECT *\r\nFROM ORDERS";
    return p;
}

QueryPackage Read(QByteArray bytes)
{
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    return ReadPackageFile(buffer);
}

TEST(PackageFile, IsTheSignatureThenThePackageAtOffsetEight)
{
    const QByteArray bytes = EncodePackageFile(Orders());
    EXPECT_EQ(bytes.left(8), QByteArray("\x89TQP\r\n\x1A\n"));
    EXPECT_EQ(bytes.mid(8), EncodeQueryPackage(Orders(), 8));
    EXPECT_EQ(bytes.right(4), QByteArray("\x08\0\0\0", 4));
    EXPECT_EQ(Read(bytes), Orders());
}

TEST(PackageFile, AnythingButOneWholePackageIsDamage)
{
    const QByteArray whole = EncodePackageFile(Orders());
    QByteArray appended = QByteArray(64, 'x');
    appended += EncodeQueryPackage(Orders(), appended.size());
    // A whole package, but not where a package file keeps it.
    const QByteArray offsetNine = whole.left(8) + "x" + EncodeQueryPackage(Orders(), 9);
    QByteArray noOffset = whole;
    noOffset.replace(noOffset.size() - 4, 4, QByteArray(4, '\0'));
    QByteArray lineEnds = whole;
    lineEnds.replace("\r\n", "\n"); // a transfer in text mode

    QList<QByteArray> damaged = {appended, offsetNine, noOffset, lineEnds, QByteArray()};
    // A file cut short anywhere, in its signature included.
    for (qsizetype size = 1; size < whole.size(); ++size)
        damaged << whole.left(size);
    for (const QByteArray& bytes : damaged)
        EXPECT_THROW(Read(bytes), EPackageDamaged) << bytes.toHex(' ').constData();
}

TEST(PackageFile, IsKnownByItsNameOrItsSignature)
{
    TempFolder folder;
    const struct
    {
        const char* name;
        QByteArray bytes;
        bool packageFile;
    } cases[] = {
        {"orders.tqp", EncodePackageFile(Orders()), true},
        {"renamed", EncodePackageFile(Orders()), true},
        {"ORDERS.TQP", "SELECT 1", true}, // read as one, to be reported damaged
        {"missing.tqp", QByteArray(), true},
        {"query.sql", "SELECT 1", false},
        {"orders.tqp.sql", "SELECT 1", false},
        {"short", "\x89TQP", false},
    };
    for (const auto& c : cases) {
        if (!c.bytes.isNull())
            WriteAll(folder.File(c.name), c.bytes);
        EXPECT_EQ(IsPackageFile(folder.File(c.name)), c.packageFile) << c.name;
    }
    EXPECT_EQ(ReadPackageFile(folder.File("renamed")), Orders());
    EXPECT_THROW(ReadPackageFile(folder.File("missing.tqp")), EInOutError);
}

} // namespace
