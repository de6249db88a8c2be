// The walk through a whole dataset: the UTF-8 texts it hands out are the
// display texts the grid shows, encoded the way batch output always encoded
// them, for every kind of stored value in every field type and regional setting.
#include "engine/Query.h"
#include "engine/Session.h"
#include "engine/Table.h"
#include "support/EngineTestSupport.h"
#include "support/TestSupport.h"

#include <QStringEncoder>
#include <gtest/gtest.h>

namespace {

// Every value goes into every column, so each field type meets each storage class.
const char* const kValues[] = {
    "NULL", "0", "-1", "9223372036854775807", "-9223372036854775808", "1.5", "-0.000001234",
    "1e300", "123456789012345678", "0.1", "2.5e-10", "-1234567.891", "'plain'",
    "'Kunde M\u00fcller'", "'tab' || char(9) || 'and' || char(13) || char(10) || 'end'",
    "'2024-05-01'", "'1890-01-01'", "'2100-12-31 23:59:59'", "'13:45:00'", "'2024-05-01T00:00:00'",
    "' 2024-05-01 '", "'2024-02-30'", "2451545.5", "'yes'", "'F'", "'TRUE'", "''",
    "'\u65e5\u672c\u8a9e'", "'caf\u00e9 cr\u00e8me \u00e0 1.5'",
    // Bytes that are not plain UTF-8: overlong, a surrogate, a byte-order
    // mark, a truncated sequence, past U+10FFFF; then a NUL, a four-byte
    // character and a noncharacter, which are.
    "CAST(X'C0AF' AS TEXT)", "CAST(X'EDA080' AS TEXT)", "CAST(X'EFBBBF41' AS TEXT)",
    "CAST(X'E282' AS TEXT)", "CAST(X'F4908080' AS TEXT)", "CAST(X'FF41' AS TEXT)",
    "CAST(X'410042' AS TEXT)", "CAST(X'F09F9880' AS TEXT)", "CAST(X'EFBFBF' AS TEXT)", "X'0102'"};

const char* const kColumns = "I INTEGER, Q SMALLINT, L BIGINT, R REAL, C CURRENCY, N NUMERIC(10,2),"
                             " S VARCHAR(20), T TEXT, D DATE, TM TIME, DT DATETIME, B BOOLEAN,"
                             " M MEMO, BL BLOB, U";
const int kColumnCount = 15;

// What batch output made of a display text.
QByteArray Utf8(const QString& text)
{
    QStringEncoder encoder(QStringEncoder::Utf8);
    return encoder(text);
}

// Walks the dataset and compares each text with the display text of ValueAt.
void ExpectWalkGivesDisplayTexts(const TDataSet& dataSet)
{
    ASSERT_EQ(dataSet.FieldCount(), kColumnCount);
    const qint64 recNo = dataSet.RecNo();
    qint64 record = 0;
    dataSet.ForEachRecord([&](const TRecordTexts& texts) {
        for (int f = 0; f < dataSet.FieldCount(); ++f) {
            const TField& field = *dataSet.Fields(f);
            QByteArray walked = "kept";
            texts.AppendDisplayText(field, walked);
            const QByteArray expected =
                "kept" + Utf8(field.DisplayTextOf(dataSet.ValueAt(record, f)));
            EXPECT_EQ(walked, expected) << "record " << record << " (" << kValues[record]
                                        << "), field " << field.FieldName().toStdString();
        }
        ++record;
    });
    EXPECT_EQ(record, dataSet.RecordCount());
    EXPECT_EQ(dataSet.RecNo(), recNo) << "the walk does not move the cursor";
}

TEST(RecordWalk, TextsAreTheDisplayTextsInUtf8)
{
    TempFolder folder;
    QString sql = QStringLiteral("CREATE TABLE W (%1);").arg(QLatin1String(kColumns));
    for (const char* value : kValues) {
        QStringList row;
        for (int i = 0; i < kColumnCount; ++i)
            row << QString::fromUtf8(value);
        sql += QStringLiteral("INSERT INTO W VALUES (%1);").arg(row.join(QLatin1Char(',')));
    }
    RunOnFolder(folder.Path(), sql);

    const QList<QPair<QString, QString>> outsideAscii = {
        {"sDecimal", "\u066b"},        {"sThousand", "\u066c"}, {"sShortDate", "yyyy/MM/dd"},
        {"sTimeFormat", "tt h:mm:ss"}, {"s1159", "\u00e4m"},    {"s2359", "\u00f6m"}};
    for (const auto& settings : {UsSettings(), GermanSettings(), outsideAscii}) {
        PinnedRegional pin(settings);
        for (bool formats : {false, true}) {
            SCOPED_TRACE(formats ? "display formats" : "plain");
            TQuery query;
            query.SetDatabaseName(folder.Path());
            query.SetSQLText(QStringLiteral("SELECT * FROM W ORDER BY rowid"));
            query.Open();
            TTable table;
            table.SetDatabaseName(folder.Path());
            table.SetTableName(QStringLiteral("W"));
            table.Open();
            for (TDataSet* dataSet :
                 {static_cast<TDataSet*>(&query), static_cast<TDataSet*>(&table)}) {
                if (formats) {
                    dataSet->Fields(0)->SetDisplayFormat(QStringLiteral("#,##0.00"));
                    dataSet->Fields(3)->SetDisplayFormat(QStringLiteral("0.0E+00"));
                    dataSet->Fields(6)->SetDisplayFormat(QStringLiteral("dd/mm/yyyy"));
                    dataSet->Fields(8)->SetDisplayFormat(QStringLiteral("dddd d mmmm yyyy"));
                    dataSet->Fields(10)->SetDisplayFormat(QStringLiteral("hh:nn am/pm"));
                    dataSet->Fields(1)->SetCurrency(true);
                }
                dataSet->MoveBy(3);
                ExpectWalkGivesDisplayTexts(*dataSet);
            }
            Session()->Close();
        }
    }
}

} // namespace
