// Appending a few bytes to a QByteArray that has room for them, without the
// general insert QByteArray::append goes through: output is made of many
// short values (a date's parts, a number, a separator), and that insert
// costs more than copying any of them.
#pragma once

#include <QByteArray>
#include <cstring>

inline void AppendBytes(QByteArray& out, const char* bytes, qsizetype size)
{
    QByteArray::DataPointer& d = out.data_ptr();
    // Room for the bytes and the terminating zero, in an array of its own.
    if (!d.needsDetach() && d.freeSpaceAtEnd() > size) {
        char* const end = d.data() + d.size;
        if (size > 0)
            std::memcpy(end, bytes, size_t(size));
        d.size += size;
        end[size] = '\0';
        return;
    }
    out.append(bytes, size);
}

inline void AppendBytes(QByteArray& out, QByteArrayView bytes)
{
    AppendBytes(out, bytes.data(), bytes.size());
}

inline void AppendByte(QByteArray& out, char c)
{
    AppendBytes(out, &c, 1);
}

// Empties out and keeps its room, without the general resize of truncate.
inline void ClearKeepingRoom(QByteArray& out)
{
    QByteArray::DataPointer& d = out.data_ptr();
    if (!d.needsDetach() && d.size + d.freeSpaceAtEnd() > 0) {
        d.size = 0;
        d.data()[0] = '\0';
        return;
    }
    out.truncate(0);
}
