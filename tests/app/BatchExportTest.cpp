// Export from batch mode, run as its own process: the usage rules of the
// export options, the file replaced only on success, the messages of an empty
// result, a command and a failing footer, and --version.
#include "AppFixture.h"
#include "app/CommandLine.h"
#include "support/ProcessRun.h"
#include "support/ReaderMissing.h"

#include <QFile>
#include <QProcess>
#include <QRegularExpression>

namespace {

class BatchExportTest : public AppTest
{
protected:
    void SetUp() override
    {
        AppTest::SetUp();
        WriteAliases({{QStringLiteral("KIVData3"), MakeOrdersDatabase()}});
        output_ = data_->File(QStringLiteral("orders.csv"));
    }

    // Runs the runner on a script with extra arguments; the exit status, and
    // standard error. Standard output is kept, or goes to the file given.
    int Run(const QString& sql, const QStringList& extra, QString* err = nullptr,
            const QString& outFile = QString())
    {
        const QString script = data_->File(QStringLiteral("script.sql"));
        WriteAll(script, sql.toUtf8());
        QProcess process;
        if (!outFile.isEmpty())
            process.setStandardOutputFile(outFile);
        if (!StartProcess(process, BinaryFolder() + QStringLiteral("/tessaly-query"),
                          QStringList{QStringLiteral("--batch"), QStringLiteral("--sql-file"),
                                      script, QStringLiteral("--alias"),
                                      QStringLiteral("KIVData3")} +
                              extra,
                          RunnerEnvironment(ConfigDir())))
            return -1;
        const ProcessOutcome outcome = FinishProcess(process);
        if (err)
            *err = outcome.err;
        out_ = outcome.out;
        return outcome.status;
    }

    QString output_;
    QString out_;
};

TEST_F(BatchExportTest, UsageErrorsRunNothing)
{
    const QStringList bad[] = {
        {"--export", "xlsm", "--output", "x"},
        {"--export", "csv"},
        {"--export", "clipboard", "--output", "x"},
        {"--export", "csv", "--output", "x", "--selected-rows", "0"},
        {"--export", "csv", "--output", "x", "--selected-rows", "2,2"},
        {"--output", "x"},
        {"--export", "html", "--output", "x", "--html-template", "pink"},
        {"--html-template", "bw"},
    };
    for (const QStringList& arguments : bad) {
        TBatchOptions options;
        QString error;
        EXPECT_FALSE(ParseBatchOptions(arguments, options, error))
            << arguments.join(' ').toStdString();
        EXPECT_FALSE(error.isEmpty());
    }
    TBatchOptions options;
    QString error;
    ASSERT_TRUE(ParseBatchOptions({"--export", "SyLk", "--output", "x", "--header", "a", "--header",
                                   "b", "--selected-rows", "3,1", "--html-template", "MS_Money"},
                                  options, error));
    EXPECT_EQ(options.exportOptions.type, xSYLK);
    EXPECT_EQ(options.exportOptions.header, QStringList({"a", "b"}));
    EXPECT_EQ(options.exportOptions.selectedRows, QList<int>({3, 1}));
    EXPECT_EQ(options.exportOptions.htmlTemplate, htMS_Money);

    WriteAll(output_, "earlier");
    QString err;
    EXPECT_EQ(Run("SELECT * FROM ORDERS",
                  {"--export", "csv", "--output", output_, "--selected-rows", "6"}, &err),
              2);
    EXPECT_TRUE(err.contains("beyond")) << err.toStdString();
    EXPECT_EQ(ReadAll(output_), "earlier");
}

// The page and the rich-text document by every name the types go by.
TEST_F(BatchExportTest, PageAndDocumentTypes)
{
    const std::pair<const char*, const char*> cases[] = {{"html", "<html><head><meta charset"},
                                                         {"htm", "<html><head><meta charset"},
                                                         {"doc", "{\\rtf1\\ansi\\ansicpg1252"},
                                                         {"rtf", "{\\rtf1\\ansi\\ansicpg1252"}};
    for (const auto& [type, start] : cases) {
        const QString file = data_->File(QStringLiteral("orders.") + type);
        QString err;
        EXPECT_EQ(Run("SELECT * FROM ORDERS",
                      {"--export", type, "--output", file, "--footer", "%.0f orders"}, &err),
                  0)
            << type << err.toStdString();
        const QByteArray bytes = ReadAll(file);
        EXPECT_TRUE(bytes.startsWith(start)) << type;
        EXPECT_TRUE(bytes.contains(" orders")) << type;
    }
    // The page's colours: the simple template unless another is named.
    const QString page = data_->File(QStringLiteral("murky.html"));
    ASSERT_EQ(Run("SELECT * FROM ORDERS",
                  {"--export", "html", "--output", page, "--html-template", "murky"}),
              0);
    EXPECT_TRUE(ReadAll(page).contains("<body bgcolor=\"#317676\""));
    EXPECT_TRUE(
        ReadAll(data_->File(QStringLiteral("orders.html"))).contains("<body bgcolor=\"#FFFFFF\""));
}

TEST_F(BatchExportTest, ExportsTheLastResultAndReplacesTheFileOnlyOnSuccess)
{
    WriteAll(output_, "earlier");
    const QString sql = QStringLiteral("SELECT * FROM ORDERS ORDER BY TOTAL");
    QString err;
    EXPECT_EQ(Run(sql,
                  {"--export", "CSV", "--output", output_, "--no-timestamp", "--footer",
                   "Total: %d rows"},
                  &err),
              1);
    EXPECT_TRUE(err.startsWith("Query Executed\nExport failed. Try again")) << err.toStdString();
    EXPECT_EQ(ReadAll(output_), "earlier");

    EXPECT_EQ(Run(sql,
                  {"--export", "tab", "--output", output_, "--selected-rows", "4,2",
                   "--no-number-rows", "--footer", "Total: %.0f rows"},
                  &err),
              0)
        << err.toStdString();
    const QList<QByteArray> lines = ReadAll(output_).split('\n');
    ASSERT_EQ(lines.size(), 4); // captions, rows 2 and 4, end
    EXPECT_TRUE(lines[0].endsWith("\t\r"));
    EXPECT_TRUE(out_.isEmpty()); // no tab-separated result beside the export
    ASSERT_EQ(Run(sql, {"--export", "tab", "--output", output_, "--no-number-rows"}, &err), 0);
    const QList<QByteArray> all = ReadAll(output_).split('\n');
    ASSERT_GT(all.size(), 4);
    EXPECT_EQ(lines.mid(1, 2), QList<QByteArray>({all[2], all[4]})) << "in the result's order";

    EXPECT_EQ(
        Run("SELECT * FROM ORDERS WHERE TOTAL < 0", {"--export", "csv", "--output", output_}, &err),
        1);
    EXPECT_EQ(err, "Query Executed\nThere is no Data to Export.\n");
    EXPECT_EQ(Run("CREATE TABLE T2 (A INTEGER)", {"--export", "csv", "--output", output_}, &err),
              1);
    EXPECT_TRUE(err.startsWith("Query Executed\nAssigned DataSet not Active."))
        << err.toStdString();
    // The clipboard text, fixed-width or detailed, goes to standard output.
    for (const bool detailed : {false, true}) {
        QStringList arguments{"--export", "clipboard", "--no-timestamp", "--no-number-rows"};
        if (detailed)
            arguments << "--detailed";
        EXPECT_EQ(Run(sql, arguments, &err), 0) << err.toStdString();
        EXPECT_TRUE(err.contains("Successfully Exported to Clipboard")) << err.toStdString();
        const QStringList printed = out_.split('\n');
        EXPECT_EQ(printed.size(), detailed ? 5 * 3 + 1 : 2 + 5 + 1) << out_.toStdString();
        EXPECT_TRUE(out_.endsWith("\r\n"));
    }
}

TEST_F(BatchExportTest, SpreadsheetsReadBackInTheirReaders)
{
    struct Case
    {
        const char* type;
        const char* program; // prints the first caption and the number of rows
    };
    const Case cases[] = {
        {"xls", "import sys, xlrd\n"
                "s = xlrd.open_workbook(sys.argv[1]).sheet_by_index(0)\n"
                "print(s.cell_value(0, 0), s.nrows)\n"},
        {"xlsx", "import sys, openpyxl\n"
                 "s = openpyxl.load_workbook(sys.argv[1]).active\n"
                 "print(s.cell(1, 1).value, s.max_row)\n"},
    };
    const QString sql = QStringLiteral("SELECT * FROM ORDERS");
    QString err;
    ASSERT_EQ(Run(sql, {"--export", "csv", "--output", output_, "--no-timestamp"}, &err), 0);
    const int lines = int(ReadAll(output_).count('\n'));
    QStringList missing;
    for (const Case& c : cases) {
        const QString file = data_->File(QStringLiteral("orders.") + c.type);
        ASSERT_EQ(Run(sql, {"--export", c.type, "--output", file, "--no-timestamp"}, &err), 0)
            << err.toStdString();
        const ProcessOutcome python = RunProcess("/usr/bin/python3", {"-c", c.program, file});
        if (python.status != 0 && python.err.contains("ModuleNotFound")) {
            missing << c.type; // the other reader still reads its file
            continue;
        }
        EXPECT_EQ(python.out.trimmed(), "Item " + QString::number(lines)) << c.type;
    }
    if (!missing.isEmpty())
        READER_MISSING() << "no Python reader of " << missing.join(", ").toStdString();
}

// A large result is exported in pieces made side by side: Python's csv
// must read every row back once, in order, quotes and separators intact.
TEST_F(BatchExportTest, ALargeDelimitedExportReadsBackWholeAndInOrder)
{
    const int rows = 50001; // pieces of several sizes, the last one short
    const QString sql =
        QStringLiteral(
            "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < %1) "
            "SELECT i AS N, CASE WHEN i % 997 = 0 THEN 'a\"b,' || i ELSE 'r' || i END "
            "AS T FROM n")
            .arg(rows);
    const char* check = "import csv, sys\n"
                        "kw = {'delimiter': '\\t', 'quoting': csv.QUOTE_NONE} "
                        "if sys.argv[2] == 'tab' else {}\n"
                        "with open(sys.argv[1], newline='', encoding='utf-8') as f:\n"
                        "    rows = list(csv.reader(f, **kw))\n"
                        "bad = [k for k in range(1, len(rows)) if rows[k][:3] != "
                        "[str(k), str(k), ('a\"b,' if k % 997 == 0 else 'r') + str(k)]]\n"
                        "print(rows[0][:3], len(rows) - 1, bad[:3])\n";
    for (const char* type : {"csv", "tab"}) {
        SCOPED_TRACE(type);
        const QString file = data_->File(QStringLiteral("large.") + type);
        QString err;
        ASSERT_EQ(Run(sql, {"--export", type, "--output", file, "--no-timestamp"}, &err), 0)
            << err.toStdString();
        const ProcessOutcome python = RunProcess("/usr/bin/python3", {"-c", check, file, type});
        EXPECT_EQ(python.out.trimmed().toStdString(),
                  QStringLiteral("['Item', 'N', 'T'] %1 []").arg(rows).toStdString())
            << python.err.toStdString();
    }
}

// The workbook's sheet is packed at level 5, not at the zip library's default
// 6: its compressed bytes are those zlib gives at level 5 (read by Python's
// own zip and zlib; the two levels differ on sheets of this size).
TEST_F(BatchExportTest, WorkbookSheetIsPackedAtLevelFive)
{
    const char* const levelOf =
        "import sys, zipfile, zlib\n"
        "z = zipfile.ZipFile(sys.argv[1])\n"
        "info = z.getinfo('xl/worksheets/sheet1.xml')\n"
        "data = z.read(info)\n"
        "def packed(level):\n"
        "    c = zlib.compressobj(level, zlib.DEFLATED, -15, 8)\n"
        "    return len(c.compress(data) + c.flush())\n"
        "sizes = {level: packed(level) for level in (5, 6)}\n"
        "print([l for l in sizes if sizes[l] == info.compress_size], sizes[5] != sizes[6])\n";
    const QString file = data_->File(QStringLiteral("rows.xlsx"));
    QString err;
    ASSERT_EQ(Run("WITH RECURSIVE N(I) AS (SELECT 1 UNION ALL SELECT I + 1 FROM N WHERE I < 20000)"
                  " SELECT I, I * 0.25 AS PRICE, 'Customer ' || I AS NAME FROM N",
                  {"--export", "xlsx", "--output", file}, &err),
              0)
        << err.toStdString();
    const ProcessOutcome python = RunProcess("/usr/bin/python3", {"-c", levelOf, file});
    EXPECT_EQ(python.out.trimmed(), "[5] True") << python.err.toStdString();
}

// Both answer in a terminal without a display.
TEST_F(BatchExportTest, VersionAndHelp)
{
    QProcessEnvironment bare = QProcessEnvironment::systemEnvironment();
    bare.remove(QStringLiteral("QT_QPA_PLATFORM"));
    bare.remove(QStringLiteral("DISPLAY"));
    bare.remove(QStringLiteral("WAYLAND_DISPLAY"));
    const std::pair<const char*, const char*> cases[] = {{"--version", "tessaly-query 0."},
                                                         {"--help", "Usage: tessaly-query"}};
    for (const auto& [option, start] : cases) {
        const ProcessOutcome run = RunProcess(BinaryFolder() + QStringLiteral("/tessaly-query"),
                                              {QString::fromLatin1(option)}, bare, 60000);
        EXPECT_EQ(run.status, 0) << option;
        EXPECT_TRUE(run.out.startsWith(QString::fromLatin1(start))) << option;
    }
    EXPECT_TRUE(RunnerUsage().contains("--html-template NAME"));
}

// Standard output that cannot be written fails the run, with the reason,
// instead of a success that lost the output.
TEST_F(BatchExportTest, AFullStandardOutputFailsTheRun)
{
    const QStringList cases[] = {{}, {"--export", "clipboard"}, {"--version"}, {"--help"}};
    for (const QStringList& extra : cases) {
        QString err;
        EXPECT_EQ(Run("SELECT * FROM ORDERS", extra, &err, QStringLiteral("/dev/full")), 1)
            << extra.join(' ').toStdString();
        EXPECT_TRUE(err.contains("Cannot write to standard output: No space left on device"))
            << err.toStdString();
        EXPECT_FALSE(err.contains("Successfully")) << err.toStdString();
    }
}

// The usage names every type the command line takes, among its other words.
TEST_F(BatchExportTest, UsageNamesEveryExportType)
{
    const QStringList words = RunnerUsage().split(QRegularExpression(QStringLiteral("[^a-z]+")));
    for (const char* name : {"html", "htm", "doc", "xls", "xlsx", "txt", "rtf", "csv", "tab", "dif",
                             "slk", "sylk", "clipboard"}) {
        TExportType type;
        EXPECT_TRUE(ExportTypeFromArgument(QLatin1String(name), type)) << name;
        EXPECT_TRUE(words.contains(QLatin1String(name))) << name;
    }
}

} // namespace
