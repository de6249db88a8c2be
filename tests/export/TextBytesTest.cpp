// The writers that take text as bytes write, byte for byte, the file they
// write from the values' texts: every such type, a hostile table, locales
// with ASCII and non-ASCII separators, with and without item numbers.
#include "export/ExportFixture.h"

namespace {

class TextBytesTest : public ExportFixture
{
};

// The grid's export with every value handed over as its text.
class TextValuesExport : public TExportDBGrid
{
public:
    using TExportDBGrid::TExportDBGrid;
    bool ForEachItem(TExportValues& values, bool, const TItemWriter& write) override
    {
        return TExportDBGrid::ForEachItem(values, false, write);
    }
};

QList<QPair<QString, QString>> With(QList<QPair<QString, QString>> settings,
                                    const QList<QPair<QString, QString>>& changes)
{
    for (const auto& change : changes) {
        for (auto& setting : settings) {
            if (setting.first == change.first)
                setting.second = change.second;
        }
    }
    return settings;
}

} // namespace

TEST_F(TextBytesTest, BytesAndTextsWriteTheSameFiles)
{
    RunOnFolder(folder.Path(),
                "CREATE TABLE H (N INTEGER, T VARCHAR(12), L TEXT, R REAL, D DATE, TM TIME,"
                " DT DATETIME, B BOOLEAN, U);"
                "INSERT INTO H VALUES (1, 'a;b\"c', 'x\ty' || char(10) || 'z' || char(1), 1.5,"
                " '2024-02-29', '13:05:09', '2024-02-29 06:00:00', 1, 7);"
                "INSERT INTO H VALUES (-2, ' {\\rtf} ', 'http://x.y/a b@c.d <&>', -1234567.25,"
                " '1899-12-30', '00:00:00', '1899-12-29 18:00:00', 0, 'text');"
                "INSERT INTO H VALUES (3, 'Zoë €—中😀', printf('%.300c', 'Ω'), 1e-7, '0100-01-01',"
                " NULL, NULL, NULL, '');"
                "INSERT INTO H VALUES (4, '', printf('%.300c', 'a'), 123456789012345678, NULL,"
                " '23:59:59', '9999-12-31 23:59:59', 'T', ' 1,5 ');"
                "INSERT INTO H VALUES ('x', '  ', ';;', 0.1, 'not a date', '', '', 'no', 2.5);");
    const QList<QPair<QString, QString>> locales[] = {
        UsSettings(),
        GermanSettings(),
        With(GermanSettings(), {{"sThousand", "\u00a0"}, {"sShortDate", "d/M/yy"}}),
        With(UsSettings(), {{"sDecimal", "\u066b"}, {"sThousand", "\u066c"}}),
    };
    auto* texts = new TextValuesExport(window.get());
    texts->SetDBGrid(grid);
    for (const auto& locale : locales) {
        regional.reset();
        regional = std::make_unique<PinnedRegional>(locale);
        // A date the text cannot give back fails both ways alike.
        OpenSql("SELECT * FROM H WHERE D IS NULL OR D <> 'not a date' ORDER BY rowid");
        for (const TExportType type : {xText_Comma_Delimited, xText_Tab_Delimited, xText, xHTML,
                                       xRichText, xMicrosoft_Word, xDIF, xSYLK}) {
            for (const bool numbered : {true, false}) {
                QByteArray files[2];
                int i = 0;
                for (TExportDBGrid* writer : {exporter, static_cast<TExportDBGrid*>(texts)}) {
                    writer->SetOptions(ShowColHeaders | (numbered ? NumberRows : TExportOptions()));
                    writer->SetViewOnly(false);
                    writer->SetExportType(type);
                    const QString file = folder.File(QString("out%1.%2").arg(i).arg(int(type)));
                    writer->SetExportFile(file);
                    ASSERT_TRUE(writer->DoExport()) << ui->Texts().join("|").toStdString();
                    files[i] = ReadAll(file);
                    ++i;
                }
                EXPECT_FALSE(files[0].isEmpty());
                EXPECT_EQ(files[0], files[1]) << "type " << int(type) << " numbered " << numbered
                                              << " decimal " << locale.first().second.toStdString();
            }
        }
    }
}
