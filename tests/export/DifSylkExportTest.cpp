// DIF and SYLK files: exact bytes of the small cases, and round trips of the
// demo data and a hostile table through LibreOffice (cells as text) and
// Gnumeric (numbers and dates); a round trip skips when its reader is absent.
#include "export/ExportFixture.h"
#include "support/ReaderMissing.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
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

// A number no spreadsheet holds goes over as the text shown.
TEST_F(DifSylkExportTest, InfinityStaysText)
{
    exporter->SetOptions({});
    OpenSql("SELECT -9e999 AS N");
    EXPECT_TRUE(Export(xDIF, "u.dif").contains("1,0\r\n\"-INF\"\r\n"));
    EXPECT_TRUE(Export(xSYLK, "u.slk").contains("C;X1;Y1;K\"-INF\""));
}

// The DIF and SYLK files of the folder converted to CSV by one reader: LibreOffice
// ("soffice") or Gnumeric ("ssconvert"); the rows by file base name, as JSON.
const char* const kConvert = R"(import csv, json, os, subprocess, sys
reader, folder = sys.argv[1].split('|')
out = os.path.join(folder, reader)
os.makedirs(out, exist_ok=True)
files = sorted(f for f in os.listdir(folder) if f.endswith(('.slk', '.dif')))
if reader == 'soffice':
    subprocess.run(['soffice', '-env:UserInstallation=file://' + os.path.join(folder, 'profile'),
                    '--headless', '--convert-to',
                    'csv:Text - txt - csv (StarCalc):44,34,76,1,,0,false,true,false,false',
                    '--outdir', out] + [os.path.join(folder, f) for f in files],
                   check=True, capture_output=True, timeout=300)
else:
    for f in files:
        subprocess.run(['ssconvert', os.path.join(folder, f),
                        os.path.join(out, f.split('.')[0] + '.csv')],
                       check=True, capture_output=True, timeout=300)
result = {}
for f in files:
    with open(os.path.join(out, f.split('.')[0] + '.csv'), newline='', encoding='utf-8') as c:
        result[f.split('.')[0]] = list(csv.reader(c))
print(json.dumps(result))
)";

QJsonObject ConvertWith(const QString& reader, const QString& folder)
{
    QProcess python;
    python.start("/usr/bin/python3", {"-c", kConvert, reader + "|" + folder});
    EXPECT_TRUE(python.waitForFinished(600000));
    EXPECT_EQ(python.exitCode(), 0) << python.readAllStandardError().toStdString();
    return QJsonDocument::fromJson(python.readAllStandardOutput()).object();
}

QList<QStringList> Rows(const QJsonValue& value)
{
    QList<QStringList> rows;
    for (const QJsonValue& row : value.toArray()) {
        QStringList cells;
        for (const QJsonValue& cell : row.toArray())
            cells << cell.toString();
        rows << cells;
    }
    return rows;
}

class RoundTripTest : public DifSylkExportTest
{
protected:
    void SetUp() override
    {
        DifSylkExportTest::SetUp();
        RunOnFolder(folder.Path(),
                    "CREATE TABLE H (T VARCHAR(300), N FLOAT, I INTEGER, M CURRENCY, D DATE, "
                    "TM TIME, DT DATETIME, B BOOLEAN);"
                    "INSERT INTO H VALUES ('Ünïcödé \"q\" a;b, c' || char(9) || "
                    "'t' || char(13) || char(10) || 'l', -1234.5, -2147483647, -99.99, "
                    "'1850-07-10', '23:59:59', '2050-01-02 03:04:05', 1);"
                    "INSERT INTO H VALUES (NULL, 1e20, 0, 1234567.89, '2039-12-31', '00:00:00', "
                    "'1999-12-31 12:00:00', 0);"
                    "INSERT INTO H VALUES ('é' || printf('%.299c', 'x'), NULL, NULL, NULL, "
                    "NULL, NULL, NULL, NULL);"
                    "INSERT INTO H VALUES ('€ ß ;;', 0.125, 42, 0, '1900-03-01', "
                    "'12:30:00', '1900-03-01 00:00:00', NULL);");
        OpenSql("SELECT * FROM H");
        Export(xSYLK, "h_slk.slk");
        Export(xDIF, "h_dif.dif");
        OpenSql("SELECT ID, NAME, RATE, DAY FROM DEMO ORDER BY ID");
        Export(xSYLK, "d_slk.slk");
        Export(xDIF, "d_dif.dif");
    }
};

// Reads a day in any of the readers' layouts; the time of day may follow.
QDateTime ReadDateTime(const QString& cell)
{
    const QString datePart = cell.section(QLatin1Char(' '), 0, 0);
    const QString timePart = cell.section(QLatin1Char(' '), 1);
    QDate date;
    for (const char* format : {"M/d/yyyy", "yyyy/MM/dd"}) {
        if (!date.isValid())
            date = QDate::fromString(datePart, QString::fromLatin1(format));
    }
    QTime time(0, 0);
    for (const char* format : {"h:mm:ss AP", "H:mm:ss"}) {
        if (!timePart.isEmpty() &&
            QTime::fromString(timePart, QString::fromLatin1(format)).isValid())
            time = QTime::fromString(timePart, QString::fromLatin1(format));
    }
    return QDateTime(date, time);
}

QTime ReadTime(const QString& cell)
{
    for (const char* format : {"h:mm:ss AP", "H:mm:ss"}) {
        const QTime time = QTime::fromString(cell, QString::fromLatin1(format));
        if (time.isValid())
            return time;
    }
    return QTime();
}

// The hostile table as its readers must give it back: control characters
// removed, numbers as numbers, dates as the same day, null as empty.
struct Expected
{
    QString text;
    const char* n;
    const char* i;
    const char* m;
    QDate d;
    QTime tm;
    QDateTime dt;
    const char* b;
};

const QString kLong = QStringLiteral("\u00e9") + QString(299, QLatin1Char('x'));

QList<Expected> HostileRows()
{
    return {
        {QStringLiteral("\u00dcn\u00efc\u00f6d\u00e9 \"q\" a;b, ctl"), "-1234.5", "-2147483647",
         "-99.99", QDate(1850, 7, 10), QTime(23, 59, 59),
         QDateTime(QDate(2050, 1, 2), QTime(3, 4, 5)), "True"},
        {"", "1e20", "0", "1234567.89", QDate(2039, 12, 31), QTime(0, 0),
         QDateTime(QDate(1999, 12, 31), QTime(12, 0)), "False"},
        {kLong, "", "", "", QDate(), QTime(), QDateTime(), ""},
        {QStringLiteral("\u20ac \u00df ;;"), "0.125", "42", "0", QDate(1900, 3, 1), QTime(12, 30),
         QDateTime(QDate(1900, 3, 1), QTime(0, 0)), ""},
    };
}

void ExpectNumber(const QString& cell, const char* expected, const std::string& where)
{
    if (!*expected) {
        EXPECT_EQ(cell, "") << where;
        return;
    }
    bool ok = false;
    EXPECT_EQ(cell.toDouble(&ok), QByteArray(expected).toDouble())
        << where << " " << cell.toStdString();
    EXPECT_TRUE(ok) << where;
}

// Checks the rows read back; text only from a reader that judges text, days
// only from dayFrom on (Gnumeric counts days before March 1900 one off).
void ExpectHostile(const QList<QStringList>& rows, bool judgeText, int textLimit, QDate dayFrom,
                   const std::string& reader)
{
    const QList<Expected> expected = HostileRows();
    ASSERT_EQ(rows.size(), expected.size() + 1) << reader;
    EXPECT_EQ(rows[0], QStringList({"T", "N", "I", "M", "D", "TM", "DT", "B"})) << reader;
    for (qsizetype r = 0; r < expected.size(); ++r) {
        const Expected& e = expected[r];
        const QStringList& row = rows[r + 1];
        const std::string where = reader + " row " + std::to_string(r + 1);
        ASSERT_EQ(row.size(), 8) << where;
        if (judgeText) {
            EXPECT_EQ(row[0], e.text.left(textLimit)) << where;
            EXPECT_EQ(row[7], QString::fromLatin1(e.b)) << where;
        }
        ExpectNumber(row[1], e.n, where + " N");
        ExpectNumber(row[2], e.i, where + " I");
        ExpectNumber(row[3], e.m, where + " M");
        if (e.d >= dayFrom) {
            EXPECT_EQ(ReadDateTime(row[4]).date(), e.d) << where << " D " << row[4].toStdString();
        }
        EXPECT_EQ(ReadTime(row[5]), e.tm) << where << " TM " << row[5].toStdString();
        if (!e.dt.isValid() || e.dt.date() >= dayFrom) {
            EXPECT_EQ(ReadDateTime(row[6]), e.dt) << where << " DT " << row[6].toStdString();
        }
    }
}

TEST_F(RoundTripTest, LibreOfficeReadsEveryCell)
{
    if (QStandardPaths::findExecutable("soffice").isEmpty())
        READER_MISSING() << "soffice is not installed";
    const QJsonObject converted = ConvertWith("soffice", folder.Path());
    ExpectHostile(Rows(converted["h_slk"]), true, 255, QDate(), "soffice slk");
    ExpectHostile(Rows(converted["h_dif"]), true, 300, QDate(), "soffice dif");
    // The demo data: names with quotes, commas and accents, numbers, days.
    for (const char* file : {"d_slk", "d_dif"}) {
        const QList<QStringList> rows = Rows(converted[file]);
        ASSERT_EQ(rows.size(), 5) << file;
        EXPECT_EQ(rows[0], QStringList({"ID", "NAME", "RATE", "DAY"})) << file;
        const QStringList names{"M\u00fcller \"Max\"", "a,b;c", "", "Zo\u00eb"};
        const double rates[] = {1234.25, -0.5, 0, 1e20};
        const QDate days[] = {QDate(2024, 2, 29), QDate(1999, 12, 31), QDate(), QDate(2000, 1, 1)};
        for (int r = 0; r < 4; ++r) {
            EXPECT_EQ(rows[r + 1][0].toInt(), r + 1) << file;
            EXPECT_EQ(rows[r + 1][1], names[r]) << file;
            EXPECT_EQ(rows[r + 1][2].toDouble(), rates[r]) << file;
            EXPECT_EQ(ReadDateTime(rows[r + 1][3]).date(), days[r]) << file;
        }
    }
}

// Gnumeric reads SYLK text as Latin-1 and keeps DIF's doubled quotes, so it
// judges numbers and days only.
TEST_F(RoundTripTest, GnumericReadsNumbersAndDates)
{
    if (QStandardPaths::findExecutable("ssconvert").isEmpty())
        READER_MISSING() << "ssconvert is not installed";
    const QJsonObject converted = ConvertWith("ssconvert", folder.Path());
    ExpectHostile(Rows(converted["h_slk"]), false, 0, QDate(1900, 3, 1), "ssconvert slk");
    ExpectHostile(Rows(converted["h_dif"]), false, 0, QDate(), "ssconvert dif");
}

} // namespace
