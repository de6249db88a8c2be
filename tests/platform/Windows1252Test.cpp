#include "platform/core/Windows1252.h"

#include "platform/core/StrUtils.h"
#include "platform/core/SystemInfo.h"

#include <gtest/gtest.h>

TEST(Windows1252, RoundTripsTheCodePageAndMarksTheRest)
{
    const QString text = QStringLiteral("Grüße € „x“ œ");
    const QByteArray bytes = EncodeWindows1252(text);
    EXPECT_EQ(bytes, QByteArray("Gr\xFC\xDF"
                                "e \x80 \x84x\x93 \x9C"));
    EXPECT_EQ(DecodeWindows1252(bytes), text);
    EXPECT_EQ(EncodeWindows1252(QStringLiteral("日本\U0001F600")), QByteArray("???"));
}

TEST(Windows1252, PackageTextFallsBackWhenNotUtf8)
{
    EXPECT_EQ(DecodeUtf8OrWindows1252(QByteArray("M\xC3\xBCller")), QStringLiteral("Müller"));
    EXPECT_EQ(DecodeUtf8OrWindows1252(QByteArray("M\xFCller")), QStringLiteral("Müller"));
}

TEST(SystemInfo, SanitizeNameKeepsOnlyAsciiLettersAndDigits)
{
    EXPECT_EQ(SanitizeName(QStringLiteral("Ann Lee-2.x")), QStringLiteral("Ann_Lee020x"));
    EXPECT_EQ(SanitizeName(QStringLiteral("Jürgen")), QStringLiteral("J0rgen"));
}

TEST(StrUtils, PosFromIsOneBasedAndStartsAtFrom)
{
    EXPECT_EQ(PosFrom(QStringLiteral("["), QStringLiteral("a[b[c"), 1), 2);
    EXPECT_EQ(PosFrom(QStringLiteral("["), QStringLiteral("a[b[c"), 3), 4);
    EXPECT_EQ(PosFrom(QStringLiteral("["), QStringLiteral("a[b[c"), 5), 0);
    EXPECT_EQ(PosFrom(QStringLiteral("["), QStringLiteral("a[b"), 9), 0);
}
