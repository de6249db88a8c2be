#include "export/ExportFixture.h"

#include "engine/Session.h"

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
