// Cutting a preprocessed script into statements at its terminator lines, and
// what each terminator line says about the statement's destination.
#include "query/ScriptText.h"

#include <gtest/gtest.h>
#include <vector>

namespace {

struct Statement
{
    QStringList lines;
    QString destination;
    bool keep;
};

struct SplitCase
{
    const char* name;
    QStringList script;
    std::vector<Statement> expected;
};

class SplitStatementsTest : public ::testing::TestWithParam<SplitCase>
{
};

TEST_P(SplitStatementsTest, CutsAtTerminatorLines)
{
    const QList<ScriptText::TStatement> statements = ScriptText::SplitStatements(GetParam().script);
    ASSERT_EQ(statements.size(), qsizetype(GetParam().expected.size()));
    for (qsizetype i = 0; i < statements.size(); ++i) {
        const Statement& expected = GetParam().expected.at(size_t(i));
        EXPECT_EQ(statements.at(i).lines, expected.lines) << i;
        EXPECT_EQ(statements.at(i).destination, expected.destination) << i;
        EXPECT_EQ(statements.at(i).keep, expected.keep) << i;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Scripts, SplitStatementsTest,
    ::testing::Values(
        SplitCase{"LastStatementNeedsNoTerminator",
                  {"SELECT 1", "FROM T;", "  ;  ", "SELECT 2"},
                  {{{"SELECT 1 ", "FROM T; "}, "", false}, {{"SELECT 2 "}, "", false}}},
        SplitCase{"TerminatorNamesTheDestinationAndItsFate",
                  {"A", ";BIG", "B", "  ; Mid t", "C", ";KEPT  yes", "D", ";TAB\tNAME"},
                  {{{"A "}, "BIG", false},
                   {{"B "}, "Mid", false},
                   {{"C "}, "KEPT", true},
                   {{"D "}, "TAB\tNAME", false}}},
        SplitCase{"TwoTerminatorsInARowGiveAnEmptyStatement",
                  {"A", ";", ";NEVER KEEP"},
                  {{{"A "}, "", false}, {{}, "NEVER", true}}},
        SplitCase{"LongNamesAreCapped",
                  {";" + QString(1200, 'N'), ";" + QString(1200, 'M') + " KEEP"},
                  {{{}, QString(998, 'N'), false}, {{}, QString(998, 'M'), false}}}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
