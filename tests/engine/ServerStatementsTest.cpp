// The cutting of server SQL into statements, attacked with the quoting,
// comments and bodies in which a semicolon ends nothing.
#include "engine/ServerStatements.h"

#include "platform/core/Exceptions.h"

#include <gtest/gtest.h>

namespace {

struct SplitCase
{
    const char* name;
    const char* text;
    const char* statements; // joined by "|"
};

class ServerStatementsTest : public ::testing::TestWithParam<SplitCase>
{
};

TEST_P(ServerStatementsTest, CutsWhereTheServerWould)
{
    EXPECT_EQ(SplitServerStatements(QString::fromUtf8(GetParam().text)).join(QLatin1Char('|')),
              QString::fromUtf8(GetParam().statements));
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    Texts, ServerStatementsTest,
    ::testing::Values(
        SplitCase{"TwoAndBlanks", " SELECT 1 ;\n; SELECT 2;  ", "SELECT 1|SELECT 2"},
        SplitCase{"OnlyComments", "-- a; b\n/* c; */ ;", ""},
        SplitCase{"QuotedText", "SELECT 'a;b', 'it''s;'; SELECT 2", "SELECT 'a;b', 'it''s;'|SELECT 2"},
        SplitCase{"EscapedText", "SELECT E'a\\';b'; SELECT 2", "SELECT E'a\\';b'|SELECT 2"},
        SplitCase{"QuotedIdentifier", "SELECT 1 AS \"x;\"\"y\"; SELECT 2", "SELECT 1 AS \"x;\"\"y\"|SELECT 2"},
        SplitCase{"DollarBody", "CREATE FUNCTION f() RETURNS int AS $b$ SELECT 1; $b$ LANGUAGE sql; SELECT f()",
                  "CREATE FUNCTION f() RETURNS int AS $b$ SELECT 1; $b$ LANGUAGE sql|SELECT f()"},
        SplitCase{"EmptyDollarTag", "DO $$ BEGIN PERFORM 1; END $$; SELECT 2", "DO $$ BEGIN PERFORM 1; END $$|SELECT 2"},
        SplitCase{"ParameterIsNoQuote", "PREPARE p AS SELECT $1; EXECUTE p(1)", "PREPARE p AS SELECT $1|EXECUTE p(1)"},
        SplitCase{"NestedComment", "SELECT /* a /* b; */ c; */ 1; SELECT 2", "SELECT /* a /* b; */ c; */ 1|SELECT 2"},
        SplitCase{"LineComment", "SELECT 1 -- not; the end\n+ 1; SELECT 2", "SELECT 1 -- not; the end\n+ 1|SELECT 2"},
        SplitCase{"Parentheses", "CREATE RULE r AS ON INSERT TO t DO ALSO (NOTIFY a; NOTIFY b); SELECT 2",
                  "CREATE RULE r AS ON INSERT TO t DO ALSO (NOTIFY a; NOTIFY b)|SELECT 2"},
        SplitCase{"UnclosedQuote", "SELECT 'a; SELECT 2", "SELECT 'a; SELECT 2"}),
    [](const auto& info) { return std::string(info.param.name); });
// clang-format on

TEST(ServerStatements, ANulCharacterIsRefusedBeforeAnythingRuns)
{
    EXPECT_THROW(SplitServerStatements(QStringLiteral("SELECT 1;\nSELECT '") + QChar(0) +
                                       QStringLiteral("'")),
                 EDatabaseError);
}

} // namespace
