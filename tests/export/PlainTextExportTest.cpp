// Fixed-width and detailed text, in a file and on the clipboard: exact bytes
// of the small cases, the clipboard read back (plain text and its HTML
// table), the confirmation, and the partial text after a cancel.
#include "export/EC_Strings.h"
#include "export/ExportFixture.h"
#include "export/XProgress.h"

#include <QApplication>
#include <QClipboard>
#include <QMimeData>
#include <QTest>
#include <QTimer>

namespace {

class PlainTextExportTest : public ExportFixture
{
protected:
    void SetUp() override
    {
        ExportFixture::SetUp();
        RunOnFolder(folder.Path(), "CREATE TABLE P (A VARCHAR(10), B VARCHAR(10));"
                                   "INSERT INTO P VALUES ('Ann', 'Rome');"
                                   "INSERT INTO P VALUES ('Bo' || char(13) || char(10) || 'b', "
                                   "'12');");
        OpenSql("SELECT * FROM P");
        exporter->SetOptions(exporter->Options() & ~(NumberRows | ShowClipboardMsg));
        exporter->SetViewOnly(false);
    }

    QByteArray ExportText(bool detailed)
    {
        const QString file = folder.File("out.txt");
        exporter->SetExportType(xText);
        exporter->SetOptions(exporter->Options().setFlag(DetailedMode, detailed));
        exporter->SetExportFile(file);
        EXPECT_TRUE(exporter->DoExport()) << ui->Texts().join("|").toStdString();
        return ReadAll(file);
    }

    QString ExportClipboard(bool detailed)
    {
        QGuiApplication::clipboard()->setText("before");
        exporter->SetExportType(xClipboard);
        exporter->SetOptions(exporter->Options().setFlag(DetailedMode, detailed));
        exporter->DoExport();
        return QGuiApplication::clipboard()->text();
    }
};

TEST_F(PlainTextExportTest, BytesOfTheSmallCases)
{
    struct Case
    {
        const char* name;
        bool detailed;
        TExportOptions options;
        QStringList captions, header, footer;
        QString title;
        const char* expected;
    };
    const TExportOptions captions = ShowColHeaders;
    const Case cases[] = {
        {"detailed with captions",
         true,
         captions,
         {"Name", "City"},
         {},
         {},
         "",
         "Name: Ann\r\nCity: Rome\r\n\r\nName: Bob\r\nCity: 12\r\n\r\n"},
        {"detailed captions padded",
         true,
         captions,
         {"Name", "Town2"},
         {},
         {},
         "",
         "Name : Ann\r\nTown2: Rome\r\n\r\nName : Bob\r\nTown2: 12\r\n\r\n"},
        {"detailed without captions",
         true,
         {},
         {"Name", "City"},
         {},
         {},
         "",
         "Ann\r\nRome\r\n\r\nBob\r\n12\r\n\r\n"},
        {"detailed numbered",
         true,
         captions | NumberRows,
         {"Name", "City"},
         {},
         {},
         "",
         "Item: 1\r\nName: Ann\r\nCity: Rome\r\n\r\nItem: 2\r\nName: Bob\r\nCity: 12\r\n\r\n"},
        {"detailed title, header, footer",
         true,
         captions,
         {"N", "C"},
         {"H1", "H2"},
         {"%.0f rows"},
         "Tí",
         "Tí\r\n--\r\n\r\nH1\r\nH2\r\n\r\n\r\nN: Ann\r\nC: Rome\r\n\r\nN: Bob\r\nC: 12\r\n\r\n"
         "2 rows\r\n\r\n"},
        {"fixed width",
         false,
         captions,
         {"Name", "City"},
         {},
         {},
         "",
         "Name   City\r\n-----------\r\nAnn    Rome\r\nBob      12\r\n"},
        {"fixed width, title, header, footer",
         false,
         captions | NumberRows,
         {"N", "C"},
         {"H\tx"},
         {"%.0f rows"},
         "T",
         "T\r\n-\r\n\r\nH\tx\r\n\r\nItem N      C   \r\n----------------\r\n"
         "   1 Ann    Rome\r\n   2 Bob      12\r\n----------------\r\n\r\n2 rows\r\n\r\n"},
    };
    exporter->SetColWidths({"6", "4"});
    for (const Case& c : cases) {
        exporter->SetOptions(c.options);
        exporter->SetCaptions(c.captions);
        exporter->SetHeader(c.header);
        exporter->SetFooter(c.footer);
        exporter->SetTitle(c.title);
        EXPECT_EQ(QString::fromUtf8(ExportText(c.detailed)), QString::fromUtf8(c.expected))
            << c.name;
        // The clipboard holds the same layout, but for the detailed footer's line end.
        QString clip = ExportClipboard(c.detailed);
        if (c.detailed && !c.footer.isEmpty())
            clip += "\r\n";
        EXPECT_EQ(clip, QString::fromUtf8(c.expected)) << c.name << " (clipboard)";
    }
}

TEST_F(PlainTextExportTest, ClipboardOffersTheCellsAsAnEscapedTable)
{
    RunOnFolder(folder.Path(), "INSERT INTO P VALUES ('<a&b>', 'x');");
    OpenSql("SELECT * FROM P");
    exporter->SetOptions(ShowColHeaders);
    ExportClipboard(false);
    const QString html = QGuiApplication::clipboard()->mimeData()->html();
    EXPECT_TRUE(html.contains("<tr><th>A</th><th>B</th></tr>")) << html.toStdString();
    EXPECT_TRUE(html.contains("<tr><td>Ann</td><td>Rome</td></tr>"));
    EXPECT_TRUE(html.contains("<tr><td>&lt;a&amp;b&gt;</td><td>x</td></tr>"));
    EXPECT_FALSE(html.contains("<a&b>"));
}

// The confirmation comes only after a successful run with ShowClipboardMsg;
// one data column puts an empty line before the detailed footer.
TEST_F(PlainTextExportTest, ConfirmationAndSingleColumnFooter)
{
    exporter->SetFooter({"end"});
    exporter->SetOptions(ShowColHeaders | ShowClipboardMsg);
    const qsizetype shown = ui->Texts().size();
    const QString two = ExportClipboard(true);
    ASSERT_EQ(ui->Texts().size(), shown + 1);
    EXPECT_EQ(ui->Texts().last(), "Successfully Exported to Clipboard");
    OpenSql("SELECT A FROM P");
    exporter->SetOptions(ShowColHeaders | NumberRows);
    const QString one = ExportClipboard(true);
    EXPECT_EQ(ui->Texts().size(), shown + 1);
    EXPECT_TRUE(two.endsWith("Rome\r\n\r\nA: Bob\r\nB: 12\r\n\r\nend\r\n")) << two.toStdString();
    EXPECT_TRUE(one.endsWith("A   : Bob\r\n\r\n\r\nend\r\n")) << one.toStdString();
}

// Esc at the progress dialog: the text so far replaces the clipboard, unconfirmed.
TEST_F(PlainTextExportTest, CancelledClipboardKeepsThePartialText)
{
    exporter->SetOptions(ShowColHeaders | ShowClipboardMsg | ShowProgress);
    exporter->OnBeginExport = [&](QObject*) {
        QTimer::singleShot(0, [] {
            for (QWidget* top : QApplication::topLevelWidgets()) {
                if (auto* progress = qobject_cast<TProgressForm*>(top))
                    QTest::keyClick(progress, Qt::Key_Escape);
            }
        });
    };
    RunOnFolder(folder.Path(), "WITH RECURSIVE n(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM n "
                               "WHERE x < 200) INSERT INTO P SELECT 'r' || x, 'more' FROM n;");
    OpenSql("SELECT * FROM P");
    const qsizetype shown = ui->Texts().size();
    const QString text = ExportClipboard(false);
    EXPECT_TRUE(text.startsWith("A")) << text.toStdString();
    EXPECT_TRUE(text.contains("Ann"));
    EXPECT_FALSE(text.contains("r200")); // cancelled before the last item
    EXPECT_FALSE(ui->Texts().mid(shown).contains("Successfully Exported to Clipboard"));
}

} // namespace
