#include "engine/ServerCopyRows.h"

#include "platform/core/Exceptions.h"

#include <QtEndian>
#include <cstring>

namespace {

// Rows taken in before they go into the answer: their messages are kept
// until then, so a few hundred at a time keep memory flat.
constexpr size_t kRowsPerReady = 512;

[[noreturn]] void Malformed()
{
    throw EDatabaseError(QStringLiteral("The server sent rows in a form that cannot be read"));
}

} // namespace

TServerCopyRows::TServerCopyRows(ServerConnection& connection, const PGresult* described,
                                 QStringList sourceTypes)
    : connection_(connection), sourceTypes_(std::move(sourceTypes))
{
    for (int i = 0; i < PQnfields(described); ++i) {
        const Oid type = PQftype(described, i);
        names_ << QString::fromUtf8(PQfname(described, i));
        columns_.push_back(ServerColumnOf(type, PQfmod(described, i)));
        readAs_.push_back(ServerBinaryReadable(type) ? type : Oid(ServerType::Text));
    }
    scratch_.resize(columns_.size());
    rows_.reserve(kRowsPerReady);
}

TServerCopyRows::~TServerCopyRows()
{
    if (!ended_)
        connection_.AbandonCopyOut();
}

QStringList TServerCopyRows::DeclaredTypes() const
{
    QStringList types;
    for (const TServerColumn& column : columns_)
        types << column.declared;
    return types;
}

const char* TServerCopyRows::SkipHeader(const char* data, const char* end)
{
    static const char kSignature[] = "PGCOPY\n\377\r\n";
    constexpr qptrdiff kSignatureSize = sizeof kSignature; // with its closing zero byte
    if (end - data < kSignatureSize + 8 || std::memcmp(data, kSignature, kSignatureSize) != 0)
        Malformed();
    data += kSignatureSize;
    // Bit 16 of the flags would mean object identifiers before each row's values.
    const quint32 flags = qFromBigEndian<quint32>(data);
    const quint32 extension = qFromBigEndian<quint32>(data + 4);
    data += 8;
    if ((flags & (1u << 16)) || extension > quint32(end - data))
        Malformed();
    headerRead_ = true;
    return data + extension;
}

int TServerCopyRows::Ready()
{
    kept_.Clear();
    rows_.clear();
    next_ = 0;
    while (!ended_ && rows_.size() < kRowsPerReady) {
        TPgBytes message;
        const int length = connection_.NextCopyData(message);
        if (length < 0) {
            ended_ = true;
            break;
        }
        const char* data = message.get();
        const char* const end = data + length;
        if (!headerRead_)
            data = SkipHeader(data, end);
        if (end - data < 2)
            Malformed();
        const qint16 fields = qFromBigEndian<qint16>(data);
        if (fields == -1)
            continue; // the trailer: the copy ends with the next message
        if (fields != qint16(columns_.size()))
            Malformed();
        rows_.push_back({std::move(message), data + 2, end});
    }
    return int(rows_.size());
}

void TServerCopyRows::Bind(sqlite3_stmt* insert, int first)
{
    const TRow& row = rows_[next_++];
    const char* at = row.values;
    for (size_t i = 0; i < columns_.size(); ++i) {
        if (row.end - at < 4)
            Malformed();
        const qint32 length = qFromBigEndian<qint32>(at);
        at += 4;
        if (length > row.end - at || length < -1)
            Malformed();
        BindServerBinary(insert, first + int(i), readAs_[i], columns_[i].kind,
                         length < 0 ? nullptr : at, std::max(length, 0), kept_, scratch_[i]);
        at += std::max(length, 0);
    }
    if (at != row.end)
        Malformed();
}
