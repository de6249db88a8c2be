// The rich-text table: exact bytes of a small document, the row definitions
// by item count, the escaping of text of any script, and a read-back by the
// desktop word processor.
#include "export/ExportFixture.h"
#include "export/formats/EC_RTF.h"
#include "support/ReaderMissing.h"

#include <QDir>
#include <QProcess>
#include <QStandardPaths>

namespace {

class RtfExportTest : public ExportFixture
{
protected:
    QByteArray ExportTo(const QString& name, TExportType type = xRichText)
    {
        const QString file = folder.File(name);
        exporter->SetExportType(type);
        exporter->SetViewOnly(false);
        exporter->SetExportFile(file);
        EXPECT_TRUE(exporter->DoExport()) << ui->Texts().join("|").toStdString();
        return ReadAll(file);
    }
};

const char* const kPrologueEnd = "{\\pntxta )}}\\pard\r\n";

TEST_F(RtfExportTest, SmallDocumentByteForByte)
{
    OpenSql("SELECT ID, NAME FROM DEMO WHERE ID <= 2 ORDER BY ID");
    exporter->SetOptions(ShowColHeaders);
    exporter->SetColWidths({"7", "9"}); // 10 and 12 characters with the gap
    exporter->Word_RTF_Options()->LeftMargin = 1440;
    const QByteArray bytes = ExportTo("small.rtf");
    EXPECT_TRUE(bytes.startsWith("{\\rtf1\\ansi\\ansicpg1252\\uc1\\deff0"));
    EXPECT_TRUE(bytes.contains("\r\n\\margl1440\\margr1250\\margt1000\\margb1000\r\n"));
    const qsizetype body = bytes.indexOf(kPrologueEnd);
    ASSERT_GT(body, 0);
    EXPECT_EQ(bytes.left(body).count("\r\n"), 8);
    EXPECT_EQ(
        bytes.mid(body + qsizetype(strlen(kPrologueEnd))),
        QByteArray(
            "\\pard\\plain\\nowidctlpar\\widctlpar\\adjustright\\fs20\\cgrid {\\f1\\fs16\r\n"
            "}\\trowd\\trgaph108\\trleft-108\\trbrdrt\\brdrs\\brdrw30\\brdrcf1\\trbrdrb\\brdrs"
            "\\brdrw30\\brdrcf1\\clvertalt\\clbrdrt\\brdrs\\brdrw30\\brdrcf1\\clbrdrb\\brdrs"
            "\\brdrw15\\brdrcf1\\cltxlrtb\\cellx900\\clvertalt\\clbrdrt\r\n"
            "\\brdrs\\brdrw30\\brdrcf1\\clbrdrb\\brdrs\\brdrw15\\brdrcf1\\cltxlrtb\\cellx1980"
            "\\pard\\nowidctlpar\\widctlpar\\intbl\\adjustright{\\b\\f1\\fs16\r\n"
            "ID\\cell \r\n"
            "NAME\\cell \r\n"
            "}\\pard\\nowidctlpar\\widctlpar\\intbl\\adjustright {\\i\\f1\\fs16\\row}\\trowd"
            "\\trgaph108\\trleft-108\\trbrdrt\\brdrs\\brdrw30\\brdrcf1\\trbrdrb\\brdrs\\brdrw30"
            "\\brdrcf1\\clvertalt\\cltxlrtb\\cellx900\r\n"
            "\\clvertalt\\cltxlrtb\\cellx1980\\pard\\nowidctlpar\\widctlpar\\intbl\\adjustright "
            "{\\f1\\fs16\r\n"
            "1\\cell \r\n"
            "M\\'fcller \"Max\"\\cell \r\n"
            "}\\pard\\nowidctlpar\\widctlpar\\intbl\\adjustright{\\f1\\fs16\\row}\\trowd"
            "\\trgaph108\\trleft-108\\trbrdrt\\brdrs\\brdrw30\\brdrcf1\\trbrdrb\\brdrs\\brdrw30"
            "\\brdrcf1\\clvertalt\\clbrdrb\\brdrs\\brdrw30\\brdrcf1\\cltxlrtb\\cellx900\\clvertalt"
            "\\clbrdrb\r\n"
            "\\brdrs\\brdrw30\\brdrcf1\\cltxlrtb\\cellx1980\\pard\\nowidctlpar\\widctlpar\\intbl"
            "\\adjustright{\\f1\\fs16\r\n"
            "2\\cell \r\n"
            "a,b;c\\cell \r\n"
            "}\\pard\\nowidctlpar\\widctlpar\\intbl\\adjustright{\\f1\\fs16\\row}\\pard"
            "\\nowidctlpar\\widctlpar\\adjustright{\\f1\\fs16\\par }}\r\n"));
}

// One column: each definition is one line. The first item opens with its own
// definition, the last brings the bottom borders, those between continue.
TEST_F(RtfExportTest, RowDefinitionsFollowTheItemCount)
{
    RunOnFolder(folder.Path(), "INSERT INTO DEMO (ID) VALUES (5)");
    exporter->SetOptions({});
    exporter->SetColWidths({"4"});
    const QByteArray first =
        "\r\n}\\pard\\nowidctlpar\\widctlpar\\intbl\\adjustright {\\i\\f1\\fs16"
        "\\row}\\trowd\\trgaph108\\trleft-108\\trbrdrt\\brdrs\\brdrw30\\brdrcf1"
        "\\trbrdrb\\brdrs\\brdrw30\\brdrcf1\\clvertalt\\cltxlrtb\\cellx630\\pard"
        "\\nowidctlpar\\widctlpar\\intbl\\adjustright {\\f1\\fs16\r\n";
    const QByteArray middle = "\r\n}\\pard\\nowidctlpar\\widctlpar\\intbl\\adjustright{\\f1\\fs16"
                              "\\row}\\pard\\nowidctlpar\\widctlpar\\intbl\\adjustright{\\f1\\fs16"
                              "\r\n";
    const QByteArray last =
        "\\clvertalt\\clbrdrb\\brdrs\\brdrw30\\brdrcf1\\cltxlrtb\\cellx630\\pard"
        "\\nowidctlpar\\widctlpar\\intbl\\adjustright{\\f1\\fs16\r\n";
    struct Case
    {
        int items, middles, lasts;
    };
    for (const Case c : {Case{1, 0, 0}, Case{2, 0, 1}, Case{5, 3, 1}}) {
        OpenSql(QStringLiteral("SELECT ID FROM DEMO WHERE ID <= %1 ORDER BY ID").arg(c.items));
        const QByteArray bytes = ExportTo("rows.rtf");
        EXPECT_EQ(bytes.count(first), 1) << c.items;
        EXPECT_EQ(bytes.count(middle), c.middles) << c.items;
        EXPECT_EQ(bytes.count(last), c.lasts) << c.items;
        EXPECT_EQ(bytes.count("\\cell \r\n"), c.items) << c.items;
        EXPECT_TRUE(bytes.endsWith("{\\f1\\fs16\\par }}\r\n"));
    }
    // Selected rows come in the dataset's order, and the last of them closes the table.
    OpenSql("SELECT ID FROM DEMO ORDER BY ID");
    exporter->SetOptions(SelectedRowsOnly);
    grid->SelectRows({4, 0, 2});
    const QByteArray selected = ExportTo("selected.rtf");
    EXPECT_EQ(selected.count(first), 1);
    EXPECT_EQ(selected.count(middle), 1);
    EXPECT_EQ(selected.count(last), 1);
    const qsizetype one = selected.indexOf("1\\cell"), three = selected.indexOf("3\\cell"),
                    five = selected.indexOf("5\\cell");
    EXPECT_TRUE(one >= 0 && one < three && three < five && !selected.contains("2\\cell"));
    // "Item" is 6 characters wide whatever its content.
    exporter->SetOptions(NumberRows);
    exporter->SetColWidths({});
    EXPECT_TRUE(ExportTo("item.rtf").contains("\\cellx540\r\n\\clvertalt\\cltxlrtb\\cellx"));
}

TEST_F(RtfExportTest, TextOfAnyScriptIsEscaped)
{
    const QStringList cases[] = {
        {"a\\b{c}", "a\\\\b\\{c\\}"},
        {"caf\u00e9 \u20ac", "caf\\'e9 \\'80"},
        {"a\tb\r\nc", "a\\tab b\\par\r\nc"},
        {"\u4e2d\uac00", "\\u20013?\\u-21504?"},
        {QString::fromUtf8("\xF0\x9F\x98\x80"), "\\u-10179?\\u-8704?"}, // U+1F600
    };
    for (const QStringList& c : cases)
        EXPECT_EQ(TRichTextExport::RTFText(c[0]), c[1]) << c[0].toStdString();
}

// The word processor, headless, turns the document into text: every value
// in its row order, accents and other scripts intact, for both types.
TEST_F(RtfExportTest, WordProcessorReadsTheTableBack)
{
    const QString soffice = QStandardPaths::findExecutable("soffice");
    if (soffice.isEmpty())
        READER_MISSING() << "soffice is not installed (scripts/install-deps installs "
                            "libreoffice-writer-nogui)";
    RunOnFolder(folder.Path(),
                "INSERT INTO DEMO (ID, NAME) VALUES (5, '中文 한국어 😀 {x} \\ end')");
    OpenSql("SELECT ID, NAME FROM DEMO ORDER BY ID");
    exporter->SetTitle("Prices für Zoë");
    for (const TExportType type : {xRichText, xMicrosoft_Word}) {
        const QString name = type == xRichText ? "table.rtf" : "table.doc";
        ExportTo(name, type);
        const QString out = folder.File("txt");
        QProcess process;
        process.start(soffice, {"-env:UserInstallation=file://" + folder.File("profile"),
                                "--headless", "--convert-to", "txt:Text (encoded):UTF8", "--outdir",
                                out, folder.File(name)});
        ASSERT_TRUE(process.waitForFinished(180000));
        const QString text = QString::fromUtf8(ReadAll(out + "/table.txt"));
        qsizetype at = text.indexOf("Prices für Zoë");
        ASSERT_GE(at, 0) << text.toStdString();
        for (const char* value :
             {"Item", "NAME", "Müller \"Max\"", "a,b;c", "Zoë", "中文 한국어 😀 {x} \\ end"}) {
            const qsizetype next = text.indexOf(QString::fromUtf8(value), at);
            EXPECT_GT(next, at) << value << "\n" << text.toStdString();
            at = qMax(at, next);
        }
    }
}

// A table wider than the page is narrowed to the text width, so the printed
// page shows its last column; a table that fits keeps 90 twips a character.
TEST_F(RtfExportTest, AWideTableFitsThePrintedPage)
{
    if (!CanPrint())
        READER_MISSING() << "soffice or pdftotext is not installed";
    OpenSql("SELECT ID, printf('%.120c', 'w') AS WIDE, 'endofrow' AS LAST FROM DEMO "
            "WHERE ID = 1");
    const QByteArray bytes = ExportTo("wide.rtf");
    // Item 6, ID 5, WIDE 123 and LAST 11 characters: 145 x 90 twips, on
    // 11906 - 2 x 1250 twips of text width.
    EXPECT_TRUE(bytes.contains("\\cellx9406")) << bytes.toStdString();
    EXPECT_TRUE(PrintedText(folder.File("wide.rtf")).contains("endofrow"));

    OpenSql("SELECT ID FROM DEMO WHERE ID = 1");
    EXPECT_TRUE(ExportTo("narrow.rtf").contains("\\cellx540\r\n")); // Item: 6 x 90
}

} // namespace
