#include "export/ExportFixture.h"

#include "engine/Session.h"

#include <QJsonDocument>
#include <QProcess>
#include <QStandardPaths>
#include <QVBoxLayout>

void ExportFixture::SetUp()
{
    regional = std::make_unique<PinnedRegional>(UsSettings());
    RunOnFolder(
        folder.Path(),
        "CREATE TABLE DEMO (ID INTEGER, NAME VARCHAR(40), PRICE CURRENCY, RATE FLOAT, "
        "QTY SMALLINT, OK BOOLEAN, DAY DATE, AT TIME, STAMP DATETIME, NOTE MEMO, PIC BLOB);"
        "INSERT INTO DEMO VALUES (1, 'Müller \"Max\"', 1234.5, 1234.25, 3, 1, '2024-02-29', "
        "'13:05:00', '2024-02-29 13:05:00', 'line one\r\nline two', x'00ff');"
        "INSERT INTO DEMO VALUES (2, 'a,b;c', -2.25, -0.5, -1, 0, '1999-12-31', '00:00:01', "
        "'1999-12-31 23:59:59', 'tab\there', NULL);"
        "INSERT INTO DEMO VALUES (3, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL);"
        "INSERT INTO DEMO VALUES (4, 'Zoë', 0, 1e20, 0, 1, '2000-01-01', '12:00:00', "
        "'2000-01-01 00:00:00', '', NULL);");
    window = std::make_unique<QWidget>();
    window->setObjectName("formMain");
    query = new TQuery(window.get());
    query->SetDatabaseName(folder.Path());
    source = new TDataSource(window.get());
    source->setObjectName("DataSource1");
    source->SetDataSet(query);
    auto* layout = new QVBoxLayout(window.get());
    grid = new TDBGrid(window.get());
    grid->setObjectName("DBGrid1");
    layout->addWidget(grid);
    grid->SetDataSource(source);
    exporter = new TExportDBGrid(window.get());
    exporter->SetOptions(exporter->Options() & ~(ShowProgress | TimeStamp));
    OpenSql("SELECT * FROM DEMO ORDER BY ID");
    window->resize(600, 300);
    window->show();
}

void ExportFixture::TearDown()
{
    window.reset();
    Session()->Close();
    regional.reset();
}

void ExportFixture::OpenSql(const QString& sql)
{
    query->Close();
    query->SetSQLText(sql);
    query->Open();
}

QString ExportFixture::RunPython(const QString& program, const QString& argument)
{
    QProcess python;
    python.start("/usr/bin/python3", {"-c", program, argument});
    EXPECT_TRUE(python.waitForFinished(30000));
    EXPECT_EQ(python.exitCode(), 0) << python.readAllStandardError().toStdString();
    return QString::fromUtf8(python.readAllStandardOutput());
}

bool ExportFixture::HasPythonModule(const char* module)
{
    QProcess python;
    python.start("/usr/bin/python3", {"-c", QStringLiteral("import ") + QLatin1String(module)});
    return python.waitForFinished(30000) && python.exitCode() == 0;
}

namespace {

const char* const kReadXls = R"(import json, sys, xlrd
book = xlrd.open_workbook(sys.argv[1], formatting_info=True)
sheet = book.sheet_by_index(0)
kinds = {1: 'text', 2: 'number', 3: 'date', 4: 'bool'}
cells = []
for r in range(sheet.nrows):
    for c in range(sheet.ncols):
        cell = sheet.cell(r, c)
        if cell.ctype == xlrd.XL_CELL_EMPTY: continue
        xf = book.xf_list[cell.xf_index]
        font = book.font_list[xf.font_index]
        v = bool(cell.value) if cell.ctype == 4 else cell.value
        cells.append([r, c, kinds[cell.ctype], v, book.format_map[xf.format_key].format_str,
                      bool(font.bold), bool(font.italic), font.underline_type != 0,
                      font.height / 20, cell.xf_index])
widths = {str(c): i.width / 256 for c, i in sheet.colinfo_map.items()}
print(json.dumps({'cells': cells, 'ncols': sheet.ncols, 'widths': widths}))
)";

const char* const kReadXlsx = R"(import json, sys, openpyxl
from openpyxl.utils import column_index_from_string
from openpyxl.utils.datetime import to_excel
sheet = openpyxl.load_workbook(sys.argv[1]).active
kinds = {'s': 'text', 'n': 'number', 'b': 'bool', 'd': 'date'}
cells = []
for row in sheet.iter_rows():
    for c in row:
        if c.value is None: continue
        kind, v = kinds[c.data_type], c.value
        if c.is_date: kind, v = 'date', to_excel(v)
        cells.append([c.row - 1, c.column - 1, kind, v, c.number_format, bool(c.font.b),
                      bool(c.font.i), bool(c.font.u), c.font.sz, None])
widths = {str(column_index_from_string(k) - 1): d.width
          for k, d in sheet.column_dimensions.items()}
print(json.dumps({'cells': cells, 'ncols': sheet.max_column, 'widths': widths,
    'freeze': sheet.freeze_panes, 'header': sheet.oddHeader.center.text,
    'footer': sheet.oddFooter.center.text, 'gridlines': sheet.print_options.gridLines,
    'headings': sheet.print_options.headings}))
)";

} // namespace

ReadBackSheet ExportFixture::ReadSheet(const QString& file)
{
    ReadBackSheet read;
    const QString program = file.endsWith(QLatin1String(".xlsx")) ? kReadXlsx : kReadXls;
    read.sheet = QJsonDocument::fromJson(RunPython(program, file).toUtf8()).object();
    for (const QJsonValue& entry : read.sheet["cells"].toArray())
        read.cells[{entry[0].toInt(), entry[1].toInt()}] = entry.toArray();
    return read;
}

bool ExportFixture::CanPrint()
{
    return !QStandardPaths::findExecutable("soffice").isEmpty() &&
           !QStandardPaths::findExecutable("pdftotext").isEmpty();
}

QString ExportFixture::PrintedText(const QString& file)
{
    return RunPython(R"(import os, subprocess, sys
folder, name = os.path.split(sys.argv[1])
subprocess.run(['soffice', '-env:UserInstallation=file://' + os.path.join(folder, 'profile'),
                '--headless', '--convert-to', 'pdf', '--outdir', folder, sys.argv[1]],
               check=True, capture_output=True, timeout=300)
pdf = os.path.join(folder, os.path.splitext(name)[0] + '.pdf')
print(subprocess.run(['pdftotext', '-layout', pdf, '-'],
                     check=True, capture_output=True, text=True).stdout)
)",
                     file);
}
