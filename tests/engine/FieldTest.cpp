// Field types from declared column types, and the texts of field values by
// type, regional settings and display format.
#include "engine/DisplayFormat.h"
#include "engine/Query.h"
#include "engine/Session.h"
#include "platform/core/Exceptions.h"
#include "support/EngineTestSupport.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

namespace {

struct DeclaredCase
{
    const char* declared;
    TFieldType type;
    int size;
    bool currency;
};

TEST(FieldTypeOfDeclared, MapsDeclaredTypes)
{
    const DeclaredCase cases[] = {
        {"INTEGER", ftInteger, 0, false},
        {"int", ftInteger, 0, false},
        {"BIGINT", ftLargeint, 0, false},
        {"LARGEINT", ftLargeint, 0, false},
        {"SMALLINT", ftSmallint, 0, false},
        {"WORD", ftWord, 0, false},
        {"AUTOINC", ftAutoInc, 0, false},
        {"REAL", ftFloat, 0, false},
        {"FLOAT", ftFloat, 0, false},
        {"Double Precision", ftFloat, 0, false},
        {"NUMERIC(10, 2)", ftBCD, 0, false},
        {"DECIMAL", ftBCD, 0, false},
        {"BCD", ftBCD, 0, false},
        {"CURRENCY", ftCurrency, 0, true},
        {"money", ftCurrency, 0, true},
        {"BOOLEAN", ftBoolean, 0, false},
        {"BOOL", ftBoolean, 0, false},
        {"LOGICAL", ftBoolean, 0, false},
        {"DATE", ftDate, 0, false},
        {"TIME", ftTime, 0, false},
        {"DATETIME", ftDateTime, 0, false},
        {"TIMESTAMP", ftDateTime, 0, false},
        {"CHAR(4)", ftString, 4, false},
        {"varchar ( 12 )", ftString, 12, false},
        {"TEXT", ftString, 0, false},
        {"CHARACTER VARYING(7)", ftString, 7, false},
        {"MEMO", ftMemo, 0, false},
        {"CLOB", ftMemo, 0, false},
        {"LONGTEXT", ftMemo, 0, false},
        {"FMTMEMO", ftFmtMemo, 0, false},
        {"BLOB", ftBlob, 0, false},
        {"BINARY", ftBlob, 0, false},
        {"GRAPHIC", ftGraphic, 0, false},
        {"IMAGE", ftGraphic, 0, false},
        {"BYTES(16)", ftBytes, 16, false},
        {"", ftUnknown, 0, false},
        {"UNSIGNED BIG INT", ftLargeint, 0, false},
        // Unknown names follow SQLite's affinity; numeric ones leave it to the values.
        {"POINTS", ftInteger, 0, false},
        {"JSON", ftUnknown, 0, false},
        {"MEDIUMBLOB", ftBlob, 0, false},
    };
    for (const DeclaredCase& c : cases) {
        int size = -1;
        bool currency = !c.currency;
        EXPECT_EQ(FieldTypeOfDeclared(QString::fromUtf8(c.declared), &size, &currency), c.type)
            << c.declared;
        EXPECT_EQ(size, c.size) << c.declared;
        EXPECT_EQ(currency, c.currency) << c.declared;
    }
}

class FieldTextTest : public ::testing::Test
{
protected:
    void TearDown() override { Session()->Close(); }

    // One value stored in a column of the declared type, opened by a query.
    TField* Open(const QString& declared, const QString& literal)
    {
        query.Close();
        const QString table = QStringLiteral("T%1").arg(++serial);
        RunOnFolder(folder.Path(),
                    QStringLiteral("CREATE TABLE %1 (V %2); INSERT INTO %1 VALUES (%3);")
                        .arg(table, declared, literal));
        query.SetDatabaseName(folder.Path());
        query.SetSQLText(QStringLiteral("SELECT V FROM ") + table);
        query.Open();
        return query.Fields(0);
    }

    TempFolder folder;
    TQuery query;
    int serial = 0;
};

struct TextCase
{
    const char* declared;
    const char* literal;
    TFieldType type;
    const char* asString;
    const char* displayText;
    int displayWidth;
};

TEST_F(FieldTextTest, TextsByTypeWithUsSettings)
{
    PinnedRegional pin(UsSettings());
    const TextCase cases[] = {
        {"INTEGER", "42", ftInteger, "42", "42", 11},
        {"INTEGER", "NULL", ftInteger, "", "", 11},
        {"BIGINT", "9000000000", ftLargeint, "9000000000", "9000000000", 15},
        {"SMALLINT", "-5", ftSmallint, "-5", "-5", 6},
        {"WORD", "65535", ftWord, "65535", "65535", 5},
        {"AUTOINC", "7", ftAutoInc, "7", "7", 11},
        {"REAL", "1.5", ftFloat, "1.5", "1.5", 10},
        {"FLOAT", "0.1", ftFloat, "0.1", "0.1", 10},
        {"DOUBLE", "1e20", ftFloat, "1E20", "1E20", 10},
        {"REAL", "123456789012345678", ftFloat, "1.23456789012346E17", "1.23456789012346E17", 10},
        {"REAL", "-2.5e-7", ftFloat, "-2.5E-7", "-2.5E-7", 10},
        {"REAL", "0.00001", ftFloat, "0.00001", "0.00001", 10},
        {"REAL", "100", ftFloat, "100", "100", 10},
        {"REAL", "1.0000000000000002", ftFloat, "1", "1", 10},
        {"NUMERIC(10,2)", "12.5", ftBCD, "12.5", "12.5", 10},
        {"CURRENCY", "1234.5", ftCurrency, "1234.5", "$1,234.50", 10},
        {"MONEY", "-1234.5", ftCurrency, "-1234.5", "($1,234.50)", 10},
        {"MONEY", "-0.001", ftCurrency, "-0.001", "$0.00", 10},
        {"BOOLEAN", "1", ftBoolean, "True", "True", 5},
        {"BOOL", "0", ftBoolean, "False", "False", 5},
        {"LOGICAL", "'T'", ftBoolean, "True", "True", 5},
        {"DATE", "'2024-05-01'", ftDate, "5/1/2024", "5/1/2024", 10},
        {"DATE", "2460431.5", ftDate, "5/1/2024", "5/1/2024", 10},
        {"TIME", "'13:45:00'", ftTime, "1:45:00 PM", "1:45:00 PM", 10},
        {"TIME", "'00:00:00'", ftTime, "12:00:00 AM", "12:00:00 AM", 10},
        {"DATETIME", "'2024-05-01 13:45:00'", ftDateTime, "5/1/2024 1:45:00 PM",
         "5/1/2024 1:45:00 PM", 18},
        {"TIMESTAMP", "'2024-05-01T00:00:00'", ftDateTime, "5/1/2024", "5/1/2024", 18},
        {"DATETIME", "2460432.0", ftDateTime, "5/1/2024 12:00:00 PM", "5/1/2024 12:00:00 PM", 18},
        {"DATE", "'not a date'", ftDate, "not a date", "not a date", 10},
        {"CHAR(4)", "'ab'", ftString, "ab", "ab", 4},
        {"VARCHAR(30)", "'x'", ftString, "x", "x", 30},
        {"TEXT", "'hello'", ftString, "hello", "hello", 5},
        {"MEMO", "'long text'", ftMemo, "long text", "(MEMO)", 10},
        {"CLOB", "NULL", ftMemo, "", "(memo)", 10},
        {"FMTMEMO", "'x'", ftFmtMemo, "x", "(FMTMEMO)", 10},
        {"BLOB", "x'0102'", ftBlob, "(BLOB)", "(BLOB)", 10},
        {"BINARY", "NULL", ftBlob, "(blob)", "(blob)", 10},
        {"GRAPHIC", "x'00'", ftGraphic, "(GRAPHIC)", "(GRAPHIC)", 10},
        {"BYTES(4)", "x'01'", ftBytes, "(BYTES)", "(BYTES)", 8},
    };
    for (const TextCase& c : cases) {
        const QString label = QStringLiteral("%1 %2").arg(QString::fromUtf8(c.declared),
                                                          QString::fromUtf8(c.literal));
        TField* field = Open(QString::fromUtf8(c.declared), QString::fromUtf8(c.literal));
        EXPECT_EQ(field->DataType(), c.type) << label.toStdString();
        EXPECT_EQ(field->AsString(), QString::fromUtf8(c.asString)) << label.toStdString();
        EXPECT_EQ(field->DisplayText(), QString::fromUtf8(c.displayText)) << label.toStdString();
        EXPECT_EQ(field->DisplayWidth(), c.displayWidth) << label.toStdString();
        EXPECT_EQ(field->DisplayLabel(), QStringLiteral("V"));
    }
}

TEST_F(FieldTextTest, TextsFollowTheRegionalSettings)
{
    PinnedRegional pin(GermanSettings());
    const TextCase cases[] = {
        {"REAL", "1.5", ftFloat, "1,5", "1,5", 10},
        {"CURRENCY", "1234.5", ftCurrency, "1234,5", "1.234,50 \u20ac", 10},
        {"CURRENCY", "-1234.5", ftCurrency, "-1234,5", "-1.234,50 \u20ac", 10},
        {"DATE", "'2024-05-01'", ftDate, "01.05.2024", "01.05.2024", 10},
        {"TIME", "'13:45:07'", ftTime, "13:45:07", "13:45:07", 10},
        {"DATETIME", "'2024-05-01 09:05:00'", ftDateTime, "01.05.2024 09:05:00",
         "01.05.2024 09:05:00", 18},
    };
    for (const TextCase& c : cases) {
        TField* field = Open(QString::fromUtf8(c.declared), QString::fromUtf8(c.literal));
        EXPECT_EQ(field->AsString(), QString::fromUtf8(c.asString))
            << c.declared << " " << c.literal;
        EXPECT_EQ(field->DisplayText(), QString::fromUtf8(c.displayText))
            << c.declared << " " << c.literal;
    }
}

struct FormatCase
{
    const char* declared;
    const char* literal;
    const char* format;
    const char* displayText;
};

TEST_F(FieldTextTest, DisplayFormatsUseTheDesktopLetters)
{
    PinnedRegional pin(UsSettings());
    const FormatCase cases[] = {
        {"DATETIME", "'2024-05-01 13:45:07.089'", "dd/mm/yyyy", "01/05/2024"},
        {"DATETIME", "'2024-05-01 13:45:07.089'", "hh:nn am/pm", "01:45 pm"},
        {"DATETIME", "'2024-05-01 13:45:07.089'", "h:mm AM/PM", "1:45 PM"},
        {"DATETIME", "'2024-05-01 13:45:07.089'", "yyyy-mm-dd hh:nn:ss.zzz",
         "2024-05-01 13:45:07.089"},
        {"DATETIME", "'2024-05-01 13:45:07.089'", "d mmm yy", "1 May 24"},
        {"DATETIME", "'2024-05-01 13:45:07.089'", "dddd, mmmm d", "Wednesday, May 1"},
        {"DATETIME", "'2024-05-01 13:45:07.089'", "'day' d a/p", "day 1 p"},
        {"DATETIME", "'2024-05-01 13:45:07.089'", "c", "5/1/2024 1:45:07 PM"},
        {"DATETIME", "'2024-05-01 13:45:07.089'", "ddddd t", "5/1/2024 1:45 PM"},
        {"DATE", "'2024-12-24'", "yyyymmdd", "20241224"},
        {"TIME", "'08:05:09'", "hh:nn:ss ampm", "08:05:09 AM"},
        {"REAL", "1234567.891", "#,##0.00", "1,234,567.89"},
        {"REAL", "2.5", "0.000", "2.500"},
        {"REAL", "0.5", "#.##", ".5"},
        {"REAL", "-5", "0;(0)", "(5)"},
        {"REAL", "0", "0.0;-0.0;'nil'", "nil"},
        {"REAL", "12345", "0.00E+00", "1.23E+04"},
        {"REAL", "0.000123", "0.0E-0", "1.2E-4"},
        {"INTEGER", "7", "000", "007"},
        {"INTEGER", "-1234", "#,##0", "-1,234"},
        {"CURRENCY", "1234.5", "'$'#,##0.00", "$1,234.50"},
    };
    for (const FormatCase& c : cases) {
        TField* field = Open(QString::fromUtf8(c.declared), QString::fromUtf8(c.literal));
        field->SetDisplayFormat(QString::fromUtf8(c.format));
        EXPECT_EQ(field->DisplayText(), QString::fromUtf8(c.displayText)) << c.format;
    }
}

TEST_F(FieldTextTest, GermanSeparatorsInDisplayFormats)
{
    PinnedRegional pin(GermanSettings());
    TField* field = Open(QStringLiteral("REAL"), QStringLiteral("1234567.891"));
    field->SetDisplayFormat(QStringLiteral("#,##0.00"));
    EXPECT_EQ(field->DisplayText(), QStringLiteral("1.234.567,89"));
    EXPECT_EQ(field->AsString(), QStringLiteral("1234567,891"))
        << "AsString ignores the display format";
    field = Open(QStringLiteral("DATE"), QStringLiteral("'2024-05-01'"));
    field->SetDisplayFormat(QStringLiteral("dd/mm/yy"));
    EXPECT_EQ(field->DisplayText(), QStringLiteral("01.05.24"));
}

TEST_F(FieldTextTest, UndeclaredColumnsTakeTheTypeOfTheirFirstValue)
{
    RunOnFolder(folder.Path(),
                QStringLiteral("CREATE TABLE N (ID INTEGER); INSERT INTO N VALUES (1), (2), (3);"));
    query.SetDatabaseName(folder.Path());
    query.SetSQLText(QStringLiteral(
        "SELECT ID + 1 AS I, ID * 4000000000 AS L, ID / 2.0 AS F, 'abc' || ID AS S, x'00' AS B, "
        "NULL AS Z, CASE WHEN ID = 1 THEN NULL ELSE ID END AS LATE, "
        "CASE WHEN ID = 1 THEN 'x' ELSE ID END AS MIXED FROM N ORDER BY ID"));
    query.Open();
    const TFieldType expected[] = {ftInteger, ftLargeint, ftFloat,   ftString,
                                   ftBlob,    ftString,   ftInteger, ftString};
    ASSERT_EQ(query.FieldCount(), 8);
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(query.Fields(i)->DataType(), expected[i])
            << query.Fields(i)->FieldName().toStdString();
    EXPECT_EQ(query.Fields(3)->Size(), 4);
    EXPECT_EQ(query.Fields(2)->AsString(), QStringLiteral("0.5"));
    query.Last();
    EXPECT_EQ(query.Fields(7)->AsString(), QStringLiteral("3"))
        << "a value of another kind is shown as it is";
}

TEST_F(FieldTextTest, NonAsciiTextRoundTrips)
{
    const QString text = QStringLiteral("Zo\u00eb \u0152uvre \u6771\u4eac \U0001F600");
    RunOnFolder(folder.Path(), QStringLiteral("CREATE TABLE U (\"Gr\u00f6\u00dfe\" TEXT)"));
    query.SetDatabaseName(folder.Path());
    query.SetSQLText(QStringLiteral("INSERT INTO U VALUES ('%1')").arg(text));
    query.ExecSQL();
    query.SetSQLText(QStringLiteral("SELECT * FROM U"));
    query.Open();
    EXPECT_EQ(query.Fields(0)->FieldName(), QStringLiteral("Gr\u00f6\u00dfe"));
    EXPECT_EQ(query.Fields(0)->AsString(), text);
    EXPECT_EQ(query.Fields(0)->Size(), 14) << "sized in characters, not bytes";
    query.MakePermanent(folder.Path() + QStringLiteral("/COPY"), true);
    EXPECT_EQ(ReadFolder(folder.Path(), QStringLiteral("SELECT * FROM COPY"))[0][0], text);
}

TEST_F(FieldTextTest, ValuesAsNumbersAndBooleans)
{
    EXPECT_DOUBLE_EQ(Open(QStringLiteral("DATE"), QStringLiteral("'2024-05-01'"))->AsFloat(),
                     45413.0)
        << "dates count days from 30 December 1899";
    EXPECT_DOUBLE_EQ(
        Open(QStringLiteral("DATETIME"), QStringLiteral("'1899-12-29 18:00:00'"))->AsFloat(),
        -1.75);
    EXPECT_DOUBLE_EQ(Open(QStringLiteral("TIME"), QStringLiteral("'06:00:00'"))->AsFloat(), 0.25);
    EXPECT_DOUBLE_EQ(Open(QStringLiteral("INTEGER"), QStringLiteral("NULL"))->AsFloat(), 0.0);
    EXPECT_DOUBLE_EQ(Open(QStringLiteral("TEXT"), QStringLiteral("'2.5'"))->AsFloat(), 2.5);
    EXPECT_THROW(Open(QStringLiteral("TEXT"), QStringLiteral("'abc'"))->AsFloat(), EConvertError);
    EXPECT_TRUE(Open(QStringLiteral("BOOLEAN"), QStringLiteral("'yes'"))->AsBoolean());
    EXPECT_FALSE(Open(QStringLiteral("TEXT"), QStringLiteral("'No'"))->AsBoolean());
    EXPECT_TRUE(Open(QStringLiteral("INTEGER"), QStringLiteral("3"))->AsBoolean());
    EXPECT_THROW(Open(QStringLiteral("TEXT"), QStringLiteral("'maybe'"))->AsBoolean(),
                 EConvertError);
}

} // namespace

TEST(CurrencyTextForms, EveryPositiveAndNegativeForm)
{
    const char* const negatives[16] = {
        "($1.50)", "-$1.50",  "$-1.50",  "$1.50-",  "(1.50$)", "-1.50$",  "1.50-$",   "1.50$-",
        "-1.50 $", "-$ 1.50", "1.50 $-", "$ 1.50-", "$ -1.50", "1.50- $", "($ 1.50)", "(1.50 $)"};
    const char* const positives[4] = {"$1.50", "1.50$", "$ 1.50", "1.50 $"};
    TFormatSettings settings;
    for (int form = 0; form < 16; ++form) {
        settings.negativeCurrencyFormat = form;
        EXPECT_EQ(CurrencyText(-1.5, settings), QLatin1String(negatives[form])) << "form " << form;
    }
    for (int form = 0; form < 4; ++form) {
        settings.currencyFormat = form;
        EXPECT_EQ(CurrencyText(1.5, settings), QLatin1String(positives[form])) << "form " << form;
    }
    settings.negativeCurrencyFormat = 16; // out of range: the first form
    EXPECT_EQ(CurrencyText(-1.5, settings), "($1.50)");
}
