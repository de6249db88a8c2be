// Values in a server's binary form that no server sends (a hostile or broken
// peer) fail the read with a message; none is read past its bytes.
#include "engine/ServerTypes.h"
#include "platform/core/Exceptions.h"

#include <gtest/gtest.h>
#include <memory>

namespace {

struct MalformedCase
{
    const char* name;
    Oid type;
    QByteArray bytes;
};

QByteArray Numeric(qint16 count, qint16 weight, quint16 sign, qint16 scale,
                   std::initializer_list<qint16> groups)
{
    QByteArray bytes;
    for (qint16 part : {count, weight, qint16(sign), scale})
        bytes.append(char(quint16(part) >> 8)).append(char(part & 0xff));
    for (qint16 group : groups)
        bytes.append(char(quint16(group) >> 8)).append(char(group & 0xff));
    return bytes;
}

TEST(ServerBinaryValuesTest, MalformedValuesFailTheRead)
{
    const MalformedCase cases[] = {
        {"a digit group past 9999", ServerType::Numeric, Numeric(1, 0, 0, 0, {10000})},
        {"a negative digit group", ServerType::Numeric, Numeric(2, 40, 0, 4, {1, -1})},
        {"a long number's bad group", ServerType::Numeric,
         Numeric(6, 20, 0x4000, 2, {1, 2, 3, 4, 5, 20000})},
        {"fewer groups than counted", ServerType::Numeric, Numeric(3, 0, 0, 0, {1})},
        {"an unknown sign", ServerType::Numeric, Numeric(1, 0, 0x1234, 0, {1})},
        {"a short header", ServerType::Numeric, QByteArray(6, '\0')},
        {"a short integer", ServerType::Int4, QByteArray(3, '\0')},
        {"a long date", ServerType::Date, QByteArray(5, '\0')},
        {"a short moment", ServerType::TimestampTz, QByteArray(7, '\0')},
        {"a time before the day", ServerType::Time, QByteArray(8, '\xff')},
        {"a time past the day", ServerType::Time, QByteArray("\x7f\0\0\0\0\0\0\0", 8)},
    };
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(":memory:", &db), SQLITE_OK);
    const std::unique_ptr<sqlite3, decltype(&sqlite3_close)> closer(db, sqlite3_close);
    sqlite3_stmt* stmt = nullptr;
    ASSERT_EQ(sqlite3_prepare_v2(db, "SELECT ?1", -1, &stmt, nullptr), SQLITE_OK);
    const std::unique_ptr<sqlite3_stmt, decltype(&sqlite3_finalize)> finalizer(stmt,
                                                                               sqlite3_finalize);
    TBoundTexts kept;
    QByteArray scratch;
    for (const MalformedCase& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_THROW(BindServerBinary(stmt, 1, c.type, TServerKind::Text, c.bytes.constData(),
                                      int(c.bytes.size()), kept, scratch),
                     EDatabaseError);
    }
}

} // namespace
