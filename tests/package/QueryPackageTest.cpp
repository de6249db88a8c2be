// The query package reader and writer on hand-made byte sequences.
#include "package/QueryPackage.h"

#include "support/TestSupport.h"

#include <QBuffer>
#include <QtEndian>
#include <gtest/gtest.h>
#include <limits>

namespace {

QByteArray Int32(qint32 v)
{
    char bytes[4];
    qToLittleEndian(v, bytes);
    return QByteArray(bytes, 4);
}

QByteArray Counted(const QByteArray& text)
{
    return Int32(qint32(text.size())) + text;
}

std::optional<QueryPackage> Read(QByteArray bytes)
{
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    return ReadQueryPackage(buffer);
}

qint64 ImageSize(QByteArray bytes)
{
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    return ProgramImageSize(buffer);
}

// The detail of the damage a file shows, empty when it reads without one.
QString Damage(const QByteArray& bytes)
{
    try {
        Read(bytes);
    } catch (const EPackageDamaged& e) {
        EXPECT_THROW(ImageSize(bytes), EPackageDamaged);
        return e.Message();
    }
    return QString();
}

const QByteArray kImage = QByteArray("\x7F"
                                     "ELF image bytes",
                                     16);

TEST(QueryPackage, WorkedExampleAtOffset199680HasTheExactBytes)
{
    QueryPackage p;
    p.sqlEditable = false;
    p.title = "Q&A";
    p.alias = "<STANDARD>";
    p.sql = "SELECT *\r\nFROM orders";
    const QByteArray image(199680, 'x');
    const QByteArray package = EncodeQueryPackage(p, image.size());

    const QByteArray expected = QByteArray("\0\0\0", 3) + Counted("Q&A") + Int32(0) +
                                Counted("<STANDARD>") + Counted("SELECT *\r\nFROM orders") +
                                QByteArray("\x00\x0C\x03\x00", 4);
    EXPECT_EQ(package.toHex(' '), expected.toHex(' '));
    EXPECT_EQ(Read(image + package), p);
    EXPECT_EQ(ImageSize(image + package), 199680);
}

TEST(QueryPackage, FilesWithoutAPackage)
{
    const QByteArray cases[] = {QByteArray(), QByteArray("\x05\x00\x00", 3), kImage + Int32(0),
                                kImage + Int32(-1),
                                kImage + Int32(std::numeric_limits<qint32>::min())};
    for (const QByteArray& bytes : cases) {
        EXPECT_EQ(Read(bytes), std::nullopt) << bytes.toHex().constData();
        EXPECT_EQ(ImageSize(bytes), bytes.size());
    }
}

TEST(QueryPackage, FlagsAndCountsBelowOneReadAsLaidOut)
{
    // Any non-zero flag byte is true; counts of 0 and below consume no text bytes.
    const QByteArray package = QByteArray("\xFF", 1) + Int32(-7) + QByteArray("\x02\x00", 2) +
                               Int32(0) + Int32(std::numeric_limits<qint32>::min()) +
                               Counted("alias") + Int32(-1);
    const std::optional<QueryPackage> p = Read(kImage + package + Int32(kImage.size()));
    ASSERT_TRUE(p);
    EXPECT_TRUE(p->hasPassword);
    EXPECT_EQ(p->password, "");
    EXPECT_TRUE(p->sqlEditable);
    EXPECT_FALSE(p->showResults);
    EXPECT_EQ(p->title, "");
    EXPECT_EQ(p->description, "");
    EXPECT_EQ(p->alias, "alias");
    EXPECT_EQ(p->sql, "");
}

TEST(QueryPackage, DamagedPackagesAreRefusedWithTheirDetail)
{
    const qint32 at = kImage.size();
    const QByteArray flags = QByteArray("\0\1\0", 3);
    const QByteArray strings = Counted("t") + Counted("d") + Counted("a");
    struct Case
    {
        const char* name;
        QByteArray bytes;
        QString detail;
    };
    const Case cases[] = {
        {"offset past the end", QByteArray("ABCD") + Int32(5000),
         "the package offset 5000 lies past the end of the file (8 bytes)"},
        {"offset inside the trailing offset", kImage + Int32(at + 2),
         "the package offset 18 lies inside the trailing package offset (file of 20 bytes)"},
        {"empty package", kImage + Int32(at),
         "the password flag at offset 16 (1 byte) runs into the trailing package offset at 16"},
        {"cut before the show-results flag", kImage + QByteArray("\0\1", 2) + Int32(at),
         "the show-results flag at offset 18"},
        {"password longer than the file",
         kImage + QByteArray("\1", 1) + Int32(0x7FFFFFFF) + "pw" + Int32(at),
         "the password at offset 21 (2147483647 bytes) runs into"},
        {"count of the alias cut short",
         kImage + flags + Counted("t") + Counted("d") + QByteArray("\5\0", 2) + Int32(at),
         "the length of the alias at offset 29 (4 bytes)"},
        {"script one byte too long", kImage + flags + strings + Int32(4) + "abc" + Int32(at),
         "the SQL script at offset 38 (4 bytes) runs into the trailing package offset at 41"},
        {"script larger than 64 MiB",
         kImage + flags + strings + Counted(QByteArray(kMaxPackageText + 1, 'x')) + Int32(at),
         "the SQL script is larger than 64 MiB"},
    };
    for (const Case& c : cases) {
        const QString detail = Damage(c.bytes);
        EXPECT_TRUE(detail.startsWith(c.detail)) << c.name << ": " << detail.toStdString();
    }
}

TEST(QueryPackage, TextIsUtf8AndFallsBackToWindows1252)
{
    const QByteArray package = QByteArray("\0\1\0", 3) + Counted("Caf\xC3\xA9") +
                               Counted("Caf\xE9 \x80 \x93x\x94") + Counted("") + Counted("") +
                               Int32(kImage.size());
    const std::optional<QueryPackage> p = Read(kImage + package);
    ASSERT_TRUE(p);
    EXPECT_EQ(p->title, QString::fromUtf8("Café"));
    EXPECT_EQ(p->description, QString::fromUtf8("Café € “x”"));
}

TEST(QueryPackage, NonAsciiTextRoundTrips)
{
    QueryPackage p;
    p.hasPassword = true;
    p.password = QString::fromUtf8("pässwörd ß");
    p.sqlEditable = false;
    p.showResults = true;
    p.title = QString::fromUtf8("Übersicht – 注文 🚀");
    p.description = QString::fromUtf8("Zeile 1\r\nΓραμμή 2");
    p.alias = QString::fromUtf8("<Ärger>");
    p.sql = QString::fromUtf8("SELECT 'ø' AS \"Größe\"\r\nFROM t");
    EXPECT_EQ(Read(kImage + EncodeQueryPackage(p, kImage.size())), p);

    // Without the flag the password is not written, so it cannot be read back.
    p.hasPassword = false;
    const QByteArray bytes = EncodeQueryPackage(p, kImage.size());
    EXPECT_FALSE(bytes.contains(p.password.toUtf8()));
    EXPECT_EQ(Read(kImage + bytes)->password, "");
}

TEST(QueryPackage, EncodingRefusesOffsetsOutsideTheLayout)
{
    const qint64 max = std::numeric_limits<qint32>::max();
    const qint64 size = EncodeQueryPackage(QueryPackage(), 1).size();
    EXPECT_EQ(size, 3 + 4 * 4 + 4);
    EXPECT_NO_THROW(EncodeQueryPackage(QueryPackage(), max - size));
    for (const qint64 offset : {qint64(0), qint64(-1), max - size + 1, max, max + 1})
        EXPECT_THROW(EncodeQueryPackage(QueryPackage(), offset), Exception) << offset;
    // The runner would call a package with a larger text damaged.
    QueryPackage large;
    large.sql = QString(kMaxPackageText + 1, QLatin1Char('x'));
    EXPECT_THROW(EncodeQueryPackage(large, 1), Exception);
}

TEST(QueryPackage, ReadsAFileByPath)
{
    TempFolder folder;
    QueryPackage p;
    p.title = "From a file";
    WriteAll(folder.File("packed"), kImage + EncodeQueryPackage(p, kImage.size()));
    EXPECT_EQ(ReadQueryPackage(folder.File("packed")), p);
    EXPECT_THROW(ReadQueryPackage(folder.File("missing")), EInOutError);
}

} // namespace
