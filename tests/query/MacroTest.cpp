// Preprocessing of scripts (comments, DEFINE, DEFSTART blocks) and the
// substitution of bracketed macros, built-in ones included: text in, text
// out, with no session and no configuration folder.
#include "platform/core/Exceptions.h"
#include "platform/core/SystemInfo.h"
#include "query/ScriptText.h"

#include <gtest/gtest.h>
#include <utility>
#include <vector>

namespace {

using ScriptText::Preprocess;
using ScriptText::TMacroClock;
using ScriptText::TMacros;

struct PreprocessCase
{
    const char* name;
    QStringList script;
    QStringList expected;
    std::vector<std::pair<QString, QString>> macros; // defined name -> value afterwards
};

class PreprocessTest : public ::testing::TestWithParam<PreprocessCase>
{
};

TEST_P(PreprocessTest, RewritesTheLines)
{
    const PreprocessCase& c = GetParam();
    TMacros macros;
    EXPECT_EQ(Preprocess(c.script, macros), c.expected);
    for (const auto& [name, value] : c.macros) {
        EXPECT_TRUE(macros.IsName(name)) << name.toStdString();
        EXPECT_EQ(macros.Value(name), value) << name.toStdString();
    }
}

INSTANTIATE_TEST_SUITE_P(
    Scripts, PreprocessTest,
    ::testing::Values(PreprocessCase{"BlankAndCommentLinesVanish",
                                     {"", "   ", "\t", "  // note", "//", "SELECT 1", "  -- stays",
                                      "/ x"},
                                     {"SELECT 1", "  -- stays", "/ x"},
                                     {}},
                      PreprocessCase{"DefinitionAppliesToLaterLines",
                                     {"SELECT [X]", "DEFINE X 1", "A [X]", "define x 2", "B [X]"},
                                     {"SELECT [X]", "A 1", "B 2"},
                                     {{"X", "2"}}},
                      PreprocessCase{"LowerCaseKeywordUpperCasesNameAndValue",
                                     {"  define  tbl   orders  x ", "select * from [tbl]"},
                                     {"select * from ORDERS  X"},
                                     {{"tbl", "ORDERS  X"}}},
                      PreprocessCase{"DefinitionWithoutValueIsEmpty",
                                     {"DEFINE EMPTY", "A[EMPTY]B"},
                                     {"AB"},
                                     {{"EMPTY", ""}}},
                      PreprocessCase{"BareKeywordsAreStatementText",
                                     {"DEFINE", "  defstart  ", "DEFINEX 1", "DEFSTARTX"},
                                     {"DEFINE", "  defstart  ", "DEFINEX 1", "DEFSTARTX"},
                                     {}},
                      PreprocessCase{"BlockValueStartsWithABlank",
                                     {"DEFSTART COLS ignored words", "  a ", "b", "  defend here",
                                      "SELECT[COLS] FROM T"},
                                     {"SELECT A B FROM T"},
                                     {{"COLS", " A B"}}},
                      PreprocessCase{"BlockTakesCommentsBlanksAndDefinesAsText",
                                     {"defstart V", "// c", "", "DEFINE Q 1", "DEFEND", "[V]|[Q]"},
                                     {" // C  DEFINE Q 1|[Q]"},
                                     {{"V", " // C  DEFINE Q 1"}}},
                      PreprocessCase{"BlockWithoutEndSwallowsTheRest",
                                     {"SELECT 1", "DEFSTART V", "SELECT 2", ";X"},
                                     {"SELECT 1"},
                                     {{"V", " SELECT 2 ;X"}}},
                      PreprocessCase{"TerminatorLinesAreSubstituted",
                                     {"DEFINE DEST BIG", "SELECT 1", ";[DEST] KEEP"},
                                     {"SELECT 1", ";BIG KEEP"},
                                     {}},
                      PreprocessCase{"StatementLinesKeepCaseAndBlanks",
                                     {"  Select  'a;'  ;  ", "\tfrom t"},
                                     {"  Select  'a;'  ;  ", "\tfrom t"},
                                     {}}),
    [](const auto& info) { return std::string(info.param.name); });

struct SubstituteCase
{
    const char* name;
    QString line;
    QString expected;
};

class SubstituteTest : public ::testing::TestWithParam<SubstituteCase>
{
};

TEST_P(SubstituteTest, ReplacesMacros)
{
    TMacros macros;
    macros.Define(QStringLiteral("minimum"), QStringLiteral("100"));
    macros.Define(QStringLiteral("EMPTY"), QString());
    macros.Define(QStringLiteral("INNER"), QStringLiteral("X[MINIMUM]"));
    macros.Define(QStringLiteral("LEADING"), QStringLiteral("[MINIMUM]Y"));
    EXPECT_EQ(macros.Substitute(GetParam().line), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, SubstituteTest,
    ::testing::Values(
        SubstituteCase{"NameIsTrimmedAndUpperCased", "a [ Minimum ] b", "a 100 b"},
        SubstituteCase{"EmptyPairStays", "x[]y", "x[]y"},
        SubstituteCase{"UnknownNameStays", "[UNKNOWN] [MINIMUM]", "[UNKNOWN] 100"},
        SubstituteCase{"UnmatchedBracketStays", "a [ b [MINIMUM", "a [ b [MINIMUM"},
        SubstituteCase{"NestedBracketsFindTheInnerName", "[[MINIMUM]]", "[100]"},
        SubstituteCase{"StrayClosingBracketStays", "[MINIMUM]] ]", "100] ]"},
        SubstituteCase{"ValueIsExpandedAgain", "[INNER]", "X100"},
        SubstituteCase{"BracketAtValueStartIsNotExpanded", "[LEADING]", "[MINIMUM]Y"},
        SubstituteCase{"EmptyValueBeforeAnotherMacro", "[EMPTY][MINIMUM][EMPTY]", "100"},
        SubstituteCase{"QuotedBracketsWithoutMacro", "'[' || x || ']'", "'[' || x || ']'"},
        SubstituteCase{"TextAfterAMacroIsCapped", "[MINIMUM]" + QString(12000, 'x'),
                       "100" + QString(9999, 'x')}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(MacroTest, BuiltInNamesWinOverDefinitions)
{
    TMacros macros({[] { return QDateTime(QDate(2024, 3, 7), QTime(13, 5, 9)); }});
    const QString date = macros.Value(QStringLiteral("DATE"));
    for (const char* name : {"DATE", "USERNAME", "COMPUTERNAME"})
        macros.Define(QString::fromLatin1(name), QStringLiteral("defined"));
    EXPECT_EQ(macros.Value(QStringLiteral(" date ")), date);
    EXPECT_EQ(macros.Substitute(QStringLiteral("[UserName]@[computername]")),
              SanitizedUserName() + "@" + SanitizedComputerName());
    EXPECT_FALSE(macros.IsName(QStringLiteral("TODAY")));
    EXPECT_EQ(macros.Value(QStringLiteral("TODAY")), QString());
}

// The date rule with the clock's separators, at midnight and after it.
TEST(MacroTest, DateRuleUsesTheClocksSeparatorsAndMidnightHasNoTime)
{

    struct Case
    {
        QDateTime now;
        QString date, time, nowText;
    };
    const Case cases[] = {
        {QDateTime(QDate(2024, 3, 7), QTime(13, 5, 9)), "03.07.2024", "13-05-09",
         "03.07.2024 13-05-09"},
        {QDateTime(QDate(2024, 12, 31), QTime(0, 0)), "12.31.2024", "", "12.31.2024"},
        {QDateTime(QDate(2024, 1, 2), QTime(0, 0, 0, 500)), "01.02.2024", "00-00-00",
         "01.02.2024 00-00-00"},
        {QDateTime(QDate(999, 1, 2), QTime(23, 59, 59)), "01.02.0999", "23-59-59",
         "01.02.0999 23-59-59"},
    };
    for (const Case& c : cases) {
        const TMacros macros({[&c] { return c.now; }, QLatin1Char('.'), QLatin1Char('-')});
        const std::string at = c.now.toString(Qt::ISODateWithMs).toStdString();
        EXPECT_EQ(macros.Value(QStringLiteral("DATE")), c.date) << at;
        EXPECT_EQ(macros.Value(QStringLiteral("TIME")), c.time) << at;
        EXPECT_EQ(macros.Value(QStringLiteral("NOW")), c.nowText) << at;
    }
}

TEST(MacroTest, SelfReferringMacrosFailInsteadOfRunningForEver)
{
    TMacros macros;
    macros.Define(QStringLiteral("LOOP"), QStringLiteral("X[LOOP]"));
    macros.Define(QStringLiteral("PING"), QStringLiteral("1[PONG]"));
    macros.Define(QStringLiteral("PONG"), QStringLiteral("2[PING]"));
    EXPECT_THROW(macros.Substitute(QStringLiteral("SELECT [LOOP]")), Exception);
    EXPECT_THROW(macros.Substitute(QStringLiteral("SELECT [PING]")), Exception);
    EXPECT_THROW(Preprocess({QStringLiteral("SELECT [PONG]")}, macros), Exception);

    // A long value that names itself fails once the line has grown by some
    // megabytes, long before the count of expansions would stop it.
    macros.Define(QStringLiteral("WIDE"),
                  QString(100000, QLatin1Char('x')) + QStringLiteral("[WIDE]"));
    EXPECT_THROW(macros.Substitute(QStringLiteral("SELECT '[WIDE]'")), Exception);
    // Long values used a few times, in a line that is long already, are no loop.
    macros.Define(QStringLiteral("LIST"), QString(2000000, QLatin1Char('1')));
    const QString line = QString(20000000, QLatin1Char(' ')) + QStringLiteral("[LIST][LIST][LIST]");
    EXPECT_EQ(macros.Substitute(line).size(), 26000000);
}

// A long generated script with many distinct definitions is preprocessed in one
// pass; a front-deleting or linearly searching preprocessor would not finish.
TEST(MacroTest, LongScriptIsPreprocessed)
{
    constexpr int kLines = 200000;
    QStringList script;
    script.reserve(kLines);
    for (int i = 0; i < kLines; ++i) {
        const int n = i / 4;
        switch (i % 4) {
        case 0:
            script << QStringLiteral("// step %1").arg(n);
            break;
        case 1:
            script << QStringLiteral("DEFINE M%1 %1").arg(n);
            break;
        case 2:
            script << QStringLiteral("SELECT [M%1] FROM T").arg(n);
            break;
        default:
            script << QString();
            break;
        }
    }
    const QStringList lines = Preprocess(script, TMacroClock{});
    ASSERT_EQ(lines.size(), kLines / 4);
    EXPECT_EQ(lines.first(), QStringLiteral("SELECT 0 FROM T"));
    EXPECT_EQ(lines.at(31415), QStringLiteral("SELECT 31415 FROM T"));
    EXPECT_EQ(lines.last(), QStringLiteral("SELECT %1 FROM T").arg(kLines / 4 - 1));
}

} // namespace
