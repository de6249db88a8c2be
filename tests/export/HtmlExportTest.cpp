// The HTML page: exact bytes of small pages over the templates and options,
// the automatic links, and a page of hostile values read back by Python's
// html.parser cell for cell.
#include "export/ExportFixture.h"
#include "export/formats/EC_HTML.h"
#include "platform/core/Exceptions.h"

#include <QDialog>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace {

// Rows of cells (a <br> read as a line break) and the link targets, as JSON.
// Rows of cells (a <br> read as a line break), the link targets and the
// title, as JSON; any other element inside a cell is an injection.
const char* const kReadHtml =
    "import html.parser, json, sys\n"
    "class P(html.parser.HTMLParser):\n"
    "    def __init__(self):\n"
    "        super().__init__(); self.rows = []; self.cell = None; self.hrefs = []\n"
    "        self.title = None\n"
    "    def handle_starttag(self, tag, attrs):\n"
    "        if self.cell is not None and tag not in ('b', 'font', 'a', 'br'):\n"
    "            raise SystemExit('element in a cell: ' + tag)\n"
    "        if tag == 'tr': self.rows.append([])\n"
    "        elif tag == 'td': self.cell = ''\n"
    "        elif tag == 'br': self.cell += '\\n'\n"
    "        elif tag == 'a': self.hrefs.append(dict(attrs)['href'])\n"
    "        elif tag == 'title': self.title = ''\n"
    "    def handle_endtag(self, tag):\n"
    "        if tag == 'td':\n"
    "            self.rows[-1].append(self.cell.replace('\\n\\r\\n', '\\n'))\n"
    "            self.cell = None\n"
    "    def handle_data(self, data):\n"
    "        if self.cell is not None: self.cell += data\n"
    "        elif self.title == '': self.title = data\n"
    "p = P()\n"
    "p.feed(open(sys.argv[1], encoding='utf-8', newline='').read())\n"
    "print(json.dumps({'rows': p.rows, 'hrefs': p.hrefs, 'title': p.title}))\n";

class HtmlExportTest : public ExportFixture
{
protected:
    QByteArray ExportTo(const QString& name)
    {
        const QString file = folder.File(name);
        exporter->SetExportType(xHTML);
        exporter->SetViewOnly(false);
        exporter->SetExportFile(file);
        EXPECT_TRUE(exporter->DoExport()) << ui->Texts().join("|").toStdString();
        return ReadAll(file);
    }
};

TEST_F(HtmlExportTest, SmallPageByteForByte)
{
    OpenSql("SELECT ID, NAME FROM DEMO WHERE ID <= 2 ORDER BY ID");
    exporter->SetOptions(ShowColHeaders);
    EXPECT_EQ(QString::fromUtf8(ExportTo("small.htm")),
              "<html><head><meta charset=\"utf-8\"><title></title></head>\r\n"
              "<body bgcolor=\"#FFFFFF\" link=\"blue\" vlink=\"purple\" text=\"#000000\" "
              "alink=\"red\">\r\n"
              "<font color=\"#004080\" face=\"Arial,Helvetica\">\r\n"
              "<table cellspacing=\"0\" cellpadding=\"4\" border=\"0\" bgcolor=\"#FFFFFF\">\r\n"
              "<tr valign=\"top\" bgcolor=\"#336699\">\r\n"
              "<td><b><font color=\"#FFFFFF\">ID</font></b></td>\r\n"
              "<td><b><font color=\"#FFFFFF\">NAME</font></b></td>\r\n"
              "</tr>\r\n"
              "<tr valign=\"top\" bgcolor=\"#FFFFCF\">\r\n"
              "<td>1</td>\r\n"
              "<td>Müller &quot;Max&quot;</td>\r\n"
              "</tr>\r\n"
              "<tr valign=\"top\" bgcolor=\"#FFFFFF\">\r\n"
              "<td>2</td>\r\n"
              "<td>a,b;c</td>\r\n"
              "</tr>\r\n"
              "</table></font></body></html>");
}

// Templates copied field for field, and the options that change the page's frame.
TEST_F(HtmlExportTest, TemplatesAndOptionsShapeThePage)
{
    OpenSql("SELECT ID, NOTE FROM DEMO WHERE ID = 1");
    struct Case
    {
        THTML_Template scheme;
        QString custom;
        THTML_Options options;
        QString title;
        QStringList header, footer;
        QStringList expected; // pieces the page contains
    };
    const Case cases[] = {
        {htClassic,
         "",
         htOddRowColoring,
         "",
         {},
         {},
         {"bgcolor=\"##006BCE\">", "<tr valign=\"top\" bgcolor=\"007AEC\">\r\n",
          "<body bgcolor=\"#333399\" link=\"#69EF7D\" vlink=\"#FF00FF\" text=\"#FFFFFF\" "
          "alink=\"#00FF00\">"}},
        {htPlain, "", {}, "", {}, {}, {"face=\"\">", "<tr valign=\"top\">\r\n<td>1</td>"}},
        {htMS_Money, "", htOddRowColoring, "", {}, {}, {"bgcolor=\"FFFBF0\">"}},
        {htBW,
         "a;b;c;d;e;f;g;h;i;j;k",
         htOddRowColoring | htShowGridLines | htDisplayTitle,
         "",
         {},
         {},
         {"<body bgcolor=\"a\" link=\"b\" vlink=\"c\" text=\"j\" alink=\"d\">\r\n<font "
          "color=\"e\" face=\"f\">\r\n<h1></h1>\r\n<table",
          "border=\"1\" bgcolor=\"i\">", "<tr valign=\"top\" bgcolor=\"k\">"}},
        {htSimple,
         "",
         htHorzRules | htDisplayTitle,
         "A&B",
         {"Top"},
         {"%.0f rows"},
         {"<title>A&amp;B</title>", "<h1>A&amp;B</h1>", "\r\nTop<br>\r\n<hr>\r\n<table",
          "<td>line one<br>\r\nline two</td>",
          "</table><hr>1 rows<br>\r\n\r\n</font></body></html>"}},
        {htSimple,
         "",
         htIgnoreLineBreaks,
         "",
         {"Top"},
         {"End"},
         {"\r\nTop\r\n\r\n<table", "<td>line one\r\nline two</td>",
          "</table>End\r\n\r\n</font></body></html>"}},
    };
    for (const Case& c : cases) {
        exporter->SetHTML_Template(c.scheme);
        exporter->SetHTML_CustomTemplate(c.custom);
        exporter->SetHTML_Options(c.options);
        exporter->SetTitle(c.title);
        exporter->SetHeader(c.header);
        exporter->SetFooter(c.footer);
        const QString page = QString::fromUtf8(ExportTo("t.htm"));
        for (const QString& piece : c.expected)
            EXPECT_TRUE(page.contains(piece)) << piece.toStdString() << "\n" << page.toStdString();
    }
}

TEST_F(HtmlExportTest, TokensAndLinks)
{
    EXPECT_EQ(GetToken("a;;b", 1), "a");
    EXPECT_EQ(GetToken("a;;b", 2), "");
    EXPECT_EQ(GetToken("a;;b", 3), "b");
    for (int n : {0, 4}) {
        try {
            GetToken("a;;b", n);
            ADD_FAILURE() << n;
        } catch (const Exception& error) {
            EXPECT_EQ(error.Message(),
                      QStringLiteral("There is no Token \"%1\" in the String \"a;;b\"").arg(n));
        }
    }

    const TExportRunScope run(*exporter);
    THTMLExport writer(exporter, xHTML, folder.File("links.htm"));
    const QString a = "<a href=\"%1\">%2</a>";
    const QStringList cases[] = {
        {"www.example.com plain", "www.example.com plain"},
        {"go HTTP://x.org/a?b=1 now",
         "go " + a.arg("HTTP://x.org/a?b=1", "HTTP://x.org/a?b=1") + " now"},
        {"me@x.org", a.arg("mailto:me@x.org", "me@x.org")},
        {"to: ab@host and @x.org", "to: ab@host and @x.org"},
        {"mail MAILTO:me@x.org", "mail " + a.arg("MAILTO:me@x.org", "me@x.org")},
        {"ftp://f news://n", a.arg("ftp://f", "ftp://f") + " " + a.arg("news://n", "news://n")},
        {"javascript:alert(1)", "javascript:alert(1)"},
    };
    exporter->SetHTML_Options(htAutoLink);
    for (const QStringList& c : cases)
        EXPECT_EQ(writer.AddAutoLinks(c[0]), c[1]);
    EXPECT_EQ(writer.AddAutoLinks(writer.ConvertLineBreaks("http://x\nb")),
              a.arg("http://x<br>", "http://x<br>") + "\r\nb");
    exporter->SetHTML_Options(htAutoLink | htIgnoreLineBreaks);
    EXPECT_EQ(writer.AddAutoLinks(writer.ConvertLineBreaks("http://x\n\tb")),
              a.arg("http://x", "http://x") + "\r\nb");
    exporter->SetHTML_Options({});
    EXPECT_EQ(writer.AddAutoLinks("http://x"), "http://x");
    EXPECT_EQ(writer.ConvertLineBreaks("a\tb\r\nc"), "a&nbsp&nbsp&nbspb<br>\r\nc");
    EXPECT_EQ(THTMLExport::CellText(" \r\n "), "&nbsp;");
    EXPECT_EQ(THTMLExport::CellText(" <br>\r\n"), "<br>");
}

// Markup, quotes, ampersands and line breaks in the data show as written:
// every cell reads back equal to the grid's text, and only real URLs link.
TEST_F(HtmlExportTest, HostileValuesReadBackAsWritten)
{
    RunOnFolder(folder.Path(),
                "CREATE TABLE H (ID INTEGER, V VARCHAR(80));"
                "INSERT INTO H VALUES (1, '<script>alert(\"x\")</script>');"
                "INSERT INTO H VALUES (2, 'a & b <b>c</b> &amp;');"
                "INSERT INTO H VALUES (3, 'see http://x.org/?a=1&b=\"2\" and me@x.org');"
                "INSERT INTO H VALUES (4, 'javascript:alert(1) \"><img src=x>');"
                "INSERT INTO H VALUES (5, 'two' || char(10) || 'lines 中文 😀');");
    OpenSql("SELECT ID, V FROM H ORDER BY ID");
    exporter->SetTitle("</title><script>");
    exporter->SetOptions(ShowColHeaders);
    exporter->SetHTML_Options(htAutoLink | htOddRowColoring | htColHeadersBold);
    const QString file = folder.File("hostile.htm");
    ExportTo("hostile.htm");
    const QJsonObject read = QJsonDocument::fromJson(RunPython(kReadHtml, file).toUtf8()).object();
    const QJsonArray rows = read["rows"].toArray();
    ASSERT_EQ(rows.size(), 6) << ReadAll(file).toStdString();
    const char* const expected[] = {
        "<script>alert(\"x\")</script>",
        "a & b <b>c</b> &amp;",
        "see http://x.org/?a=1&b=\"2\" and me@x.org",
        "javascript:alert(1) \"><img src=x>",
        "two\nlines 中文 😀",
    };
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(rows[i + 1].toArray()[1].toString(), QString::fromUtf8(expected[i])) << i;
    EXPECT_EQ(read["title"].toString(), "</title><script>");
    EXPECT_EQ(read["hrefs"].toArray(),
              QJsonArray({"http://x.org/?a=1&b=\"2\"", "mailto:me@x.org"}));
}

} // namespace
