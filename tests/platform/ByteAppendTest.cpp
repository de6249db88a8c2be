// Appending in place never writes into bytes the array does not own alone:
// a copy that shares them, raw data, or the shared empty array.
#include "platform/core/ByteAppend.h"

#include <gtest/gtest.h>

namespace {

const char kRaw[] = "raw!";

TEST(ByteAppendTest, AppendsAndClearsOnlyWhatTheArrayOwnsAlone)
{
    for (int kind = 0; kind < 5; ++kind) {
        for (const bool shared : {false, true}) {
            SCOPED_TRACE(kind * 2 + shared);
            // Null, empty, raw data, with room of its own, with no room left.
            QByteArray bytes = kind == 0   ? QByteArray()
                               : kind == 1 ? QByteArray("")
                               : kind == 2 ? QByteArray::fromRawData(kRaw, 4)
                                           : QByteArray(16, 'x');
            if (kind > 2)
                kind == 3 ? bytes.reserve(64) : bytes.squeeze();
            const QByteArray before(bytes.constData(), bytes.size());
            // A copy that shares the bytes keeps them and its terminating zero.
            QByteArray copy = shared ? bytes : "";
            const auto copyKept = [&](const QByteArray& kept) {
                EXPECT_EQ(copy, shared ? kept : "");
                EXPECT_EQ(copy.constData()[copy.size()], '\0');
            };
            AppendBytes(bytes, "cd", 2);
            AppendByte(bytes, 'e');
            EXPECT_EQ(bytes, before + "cde");
            EXPECT_EQ(bytes.constData()[bytes.size()], '\0');
            copyKept(before);
            copy = shared ? bytes : "";
            const qsizetype room = bytes.capacity();
            ClearKeepingRoom(bytes);
            EXPECT_TRUE(bytes.isEmpty());
            EXPECT_TRUE(shared || bytes.capacity() == room);
            copyKept(before + "cde");
        }
    }
}

} // namespace
