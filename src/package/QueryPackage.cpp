// Reading and writing the query package at the end of a packaged program.
#include "package/QueryPackage.h"

#include "platform/core/Windows1252.h"

#include <QFile>
#include <QIODevice>
#include <QtEndian>
#include <limits>

namespace {

constexpr qint64 kOffsetSize = 4;
constexpr qint64 kInt32Max = std::numeric_limits<qint32>::max();

QString Bytes(qint64 n)
{
    return n == 1 ? QStringLiteral("1 byte") : QStringLiteral("%1 bytes").arg(n);
}

// Reads exactly n bytes at pos; a device that delivers fewer is a damaged read.
QByteArray ReadAt(QIODevice& file, qint64 pos, qint64 n)
{
    QByteArray bytes;
    if (file.seek(pos))
        bytes = file.read(n);
    if (bytes.size() != n)
        throw EPackageDamaged(QStringLiteral("the file cannot be read at offset %1 (%2)")
                                  .arg(pos)
                                  .arg(file.errorString()));
    return bytes;
}

qint32 Int32(const QByteArray& bytes)
{
    return qFromLittleEndian<qint32>(bytes.constData());
}

// Walks the package fields in order inside [pos, end), end being the trailing
// offset, and refuses any field that would cross it before reading it.
class FieldReader
{
public:
    FieldReader(QIODevice& file, qint64 pos, qint64 end) : file_(file), pos_(pos), end_(end) {}

    bool Flag(const QString& field) { return Take(1, field).at(0) != 0; }

    QString CountedString(const QString& field)
    {
        const qint32 n = Int32(Take(kOffsetSize, QStringLiteral("length of the ") + field));
        if (n <= 0)
            return QString();
        // No widget may be handed a text this large; no real package holds one.
        if (n > kMaxPackageText && n <= end_ - pos_)
            throw EPackageDamaged(
                QStringLiteral("the %1 is larger than 64 MiB (%2)").arg(field, Bytes(n)));
        return DecodeUtf8OrWindows1252(Take(n, field));
    }

private:
    QByteArray Take(qint64 n, const QString& field)
    {
        if (n > end_ - pos_)
            throw EPackageDamaged(
                QStringLiteral("the %1 at offset %2 (%3) runs into the trailing package offset "
                               "at %4")
                    .arg(field)
                    .arg(pos_)
                    .arg(Bytes(n))
                    .arg(end_));
        QByteArray bytes = ReadAt(file_, pos_, n);
        pos_ += n;
        return bytes;
    }

    QIODevice& file_;
    qint64 pos_;
    const qint64 end_;
};

} // namespace

// An offset that leaves no room between itself and the program image is damage.
std::optional<qint64> QueryPackageOffset(QIODevice& file)
{
    if (!file.isReadable() || file.isSequential())
        throw EPackageDamaged(QStringLiteral("the file is not open for random access"));
    const qint64 size = file.size();
    if (size < kOffsetSize)
        return std::nullopt;
    const qint32 offset = Int32(ReadAt(file, size - kOffsetSize, kOffsetSize));
    if (offset < 1)
        return std::nullopt;
    if (offset >= size)
        throw EPackageDamaged(
            QStringLiteral("the package offset %1 lies past the end of the file (%2)")
                .arg(offset)
                .arg(Bytes(size)));
    if (offset > size - kOffsetSize)
        throw EPackageDamaged(
            QStringLiteral("the package offset %1 lies inside the trailing package offset (file "
                           "of %2)")
                .arg(offset)
                .arg(Bytes(size)));
    return offset;
}

namespace {

QueryPackage ParsePackage(QIODevice& file, qint64 offset)
{
    FieldReader in(file, offset, file.size() - kOffsetSize);
    QueryPackage p;
    p.hasPassword = in.Flag(QStringLiteral("password flag"));
    if (p.hasPassword)
        p.password = in.CountedString(QStringLiteral("password"));
    p.sqlEditable = in.Flag(QStringLiteral("SQL-editable flag"));
    p.showResults = in.Flag(QStringLiteral("show-results flag"));
    p.title = in.CountedString(QStringLiteral("title"));
    p.description = in.CountedString(QStringLiteral("description"));
    p.alias = in.CountedString(QStringLiteral("alias"));
    p.sql = in.CountedString(QStringLiteral("SQL script"));
    return p;
}

void AppendInt32(QByteArray& out, qint32 value)
{
    char bytes[kOffsetSize];
    qToLittleEndian(value, bytes);
    out.append(bytes, kOffsetSize);
}

void AppendFlag(QByteArray& out, bool value)
{
    out.append(value ? '\x01' : '\x00');
}

void AppendCountedString(QByteArray& out, const QString& text, const char* field)
{
    const QByteArray utf8 = text.toUtf8();
    if (utf8.size() > kMaxPackageText)
        throw Exception(QStringLiteral("the %1 is larger than 64 MiB (%2)")
                            .arg(QLatin1String(field), Bytes(utf8.size())));
    AppendInt32(out, qint32(utf8.size()));
    out.append(utf8);
}

} // namespace

std::optional<QueryPackage> ReadQueryPackage(QIODevice& file)
{
    const std::optional<qint64> offset = QueryPackageOffset(file);
    if (!offset)
        return std::nullopt;
    return ParsePackage(file, *offset);
}

std::optional<QueryPackage> ReadQueryPackage(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw EInOutError(
            QStringLiteral("Cannot open the file %1: %2").arg(path, file.errorString()));
    return ReadQueryPackage(file);
}

qint64 ProgramImageSize(QIODevice& file)
{
    const std::optional<qint64> offset = QueryPackageOffset(file);
    if (!offset)
        return file.size();
    ParsePackage(file, *offset);
    return *offset;
}

QByteArray EncodeQueryPackage(const QueryPackage& p, qint64 offset)
{
    if (offset < 1 || offset > kInt32Max)
        throw Exception(QStringLiteral("a query package cannot start at offset %1 (1 to %2)")
                            .arg(offset)
                            .arg(kInt32Max));
    QByteArray out;
    AppendFlag(out, p.hasPassword);
    if (p.hasPassword)
        AppendCountedString(out, p.password, "password");
    AppendFlag(out, p.sqlEditable);
    AppendFlag(out, p.showResults);
    AppendCountedString(out, p.title, "title");
    AppendCountedString(out, p.description, "description");
    AppendCountedString(out, p.alias, "alias");
    AppendCountedString(out, p.sql, "SQL script");
    AppendInt32(out, qint32(offset));
    if (offset + out.size() > kInt32Max)
        throw Exception(QStringLiteral("the packaged program would take %1, more than the %2 "
                                       "a query package can address")
                            .arg(offset + out.size())
                            .arg(Bytes(kInt32Max)));
    return out;
}
