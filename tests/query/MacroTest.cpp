// Preprocessing of scripts (comments, DEFINE, DEFSTART blocks) and the
// substitution of bracketed macros, built-in ones included.
#include "platform/core/Exceptions.h"
#include "platform/core/Registry.h"
#include "platform/core/SystemInfo.h"
#include "query/enhquery.h"

#include <gtest/gtest.h>
#include <utility>
#include <vector>

namespace {

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
    TEnhMultiQuery query;
    query.SetSQL(c.script);
    query.Preprocess();
    EXPECT_EQ(query.SQL(), c.expected);
    for (const auto& [name, value] : c.macros) {
        EXPECT_TRUE(query.IsMacroName(name)) << name.toStdString();
        EXPECT_EQ(query.MacroValue(name), value) << name.toStdString();
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
    TEnhMultiQuery query;
    query.DefineMacro(QStringLiteral("minimum"), QStringLiteral("100"));
    query.DefineMacro(QStringLiteral("EMPTY"), QString());
    query.DefineMacro(QStringLiteral("INNER"), QStringLiteral("X[MINIMUM]"));
    query.DefineMacro(QStringLiteral("LEADING"), QStringLiteral("[MINIMUM]Y"));
    EXPECT_EQ(query.SubstituteMacros(GetParam().line), GetParam().expected);
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
    TEnhMultiQuery query;
    query.SetClock([] { return QDateTime(QDate(2024, 3, 7), QTime(13, 5, 9)); });
    const QString date = query.MacroValue(QStringLiteral("DATE"));
    for (const char* name : {"DATE", "USERNAME", "COMPUTERNAME"})
        query.DefineMacro(QString::fromLatin1(name), QStringLiteral("defined"));
    EXPECT_EQ(query.MacroValue(QStringLiteral(" date ")), date);
    EXPECT_EQ(query.SubstituteMacros(QStringLiteral("[UserName]@[computername]")),
              SanitizedUserName() + "@" + SanitizedComputerName());
    EXPECT_FALSE(query.IsMacroName(QStringLiteral("TODAY")));
    EXPECT_EQ(query.MacroValue(QStringLiteral("TODAY")), QString());
}

// The date rule with pinned regional separators, at midnight and after it.
TEST(MacroTest, DateRuleUsesRegionalSeparatorsAndMidnightHasNoTime)
{
    TRegistry registry;
    ASSERT_TRUE(registry.OpenKey(QStringLiteral("\\Control Panel\\International"), true));
    registry.WriteString(QStringLiteral("sDate"), QStringLiteral("."));
    registry.WriteString(QStringLiteral("sTime"), QStringLiteral("-"));

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
        TEnhMultiQuery query;
        query.SetClock([&c] { return c.now; });
        const std::string at = c.now.toString(Qt::ISODateWithMs).toStdString();
        EXPECT_EQ(query.MacroValue(QStringLiteral("DATE")), c.date) << at;
        EXPECT_EQ(query.MacroValue(QStringLiteral("TIME")), c.time) << at;
        EXPECT_EQ(query.MacroValue(QStringLiteral("NOW")), c.nowText) << at;
    }
}

TEST(MacroTest, SelfReferringMacrosFailInsteadOfRunningForEver)
{
    TEnhMultiQuery query;
    query.DefineMacro(QStringLiteral("LOOP"), QStringLiteral("X[LOOP]"));
    query.DefineMacro(QStringLiteral("PING"), QStringLiteral("1[PONG]"));
    query.DefineMacro(QStringLiteral("PONG"), QStringLiteral("2[PING]"));
    EXPECT_THROW(query.SubstituteMacros(QStringLiteral("SELECT [LOOP]")), Exception);
    EXPECT_THROW(query.SubstituteMacros(QStringLiteral("SELECT [PING]")), Exception);
    query.SetSQL({QStringLiteral("SELECT [PONG]")});
    EXPECT_THROW(query.Preprocess(), Exception);

    // A long value that names itself fails once the line has grown by some
    // megabytes, long before the count of expansions would stop it.
    query.DefineMacro(QStringLiteral("WIDE"),
                      QString(100000, QLatin1Char('x')) + QStringLiteral("[WIDE]"));
    EXPECT_THROW(query.SubstituteMacros(QStringLiteral("SELECT '[WIDE]'")), Exception);
    // Long values used a few times, in a line that is long already, are no loop.
    query.DefineMacro(QStringLiteral("LIST"), QString(2000000, QLatin1Char('1')));
    const QString line = QString(20000000, QLatin1Char(' ')) + QStringLiteral("[LIST][LIST][LIST]");
    EXPECT_EQ(query.SubstituteMacros(line).size(), 26000000);
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
    TEnhMultiQuery query;
    query.SetSQL(script);
    query.Preprocess();
    ASSERT_EQ(query.SQL().size(), kLines / 4);
    EXPECT_EQ(query.SQL().first(), QStringLiteral("SELECT 0 FROM T"));
    EXPECT_EQ(query.SQL().at(31415), QStringLiteral("SELECT 31415 FROM T"));
    EXPECT_EQ(query.SQL().last(), QStringLiteral("SELECT %1 FROM T").arg(kLines / 4 - 1));
}

} // namespace
