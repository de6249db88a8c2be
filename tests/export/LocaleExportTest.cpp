// Batch exports of every type under a sample of locales, as a new user runs
// them (the locale set in the environment, nothing pinned): each succeeds,
// and the typed files read back in their independent readers (xlrd,
// openpyxl, ssconvert) with their dates' days, their times and numbers.
#include "support/EngineTestSupport.h"
#include "support/ReaderMissing.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>
#include <QStandardPaths>
#include <gtest/gtest.h>

namespace {

// Standard output of a command run under the locale; status and standard error beside.
QByteArray RunUnder(const char* locale, const QStringList& command, int* status, QByteArray* err)
{
    QProcess process;
    process.start("/usr/bin/env", QStringList{QString("LC_ALL=%1.UTF-8").arg(locale)} + command);
    EXPECT_TRUE(process.waitForFinished(60000));
    *status = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    *err = process.readAllStandardError();
    return process.readAllStandardOutput();
}

} // namespace

TEST(LocaleExportTest, EveryTypeSucceedsAndReadsBackUnderEveryLocale)
{
    if (QStandardPaths::findExecutable("ssconvert").isEmpty())
        READER_MISSING() << "ssconvert is not installed";
    TempFolder folder;
    QDir().mkpath(folder.File("db"));
    RunOnFolder(
        folder.File("db"),
        "CREATE TABLE T (D DATE, TM TIME, DT DATETIME, M CURRENCY, R REAL, S TEXT);"
        "INSERT INTO T VALUES ('2024-03-01', '13:45:30', '2024-03-01 13:45:30', 1234.5, "
        "1.5, 'x'), ('1924-03-01', '00:05:09', '1999-12-31 23:59:59', -0.25, -1234.5, 'y')");
    QDir().mkpath(folder.File("config"));
    WriteAll(folder.File("config/engine.cfg"),
             "[\\SYSTEM\\INIT\\]\nLOCAL SHARE=FALSE\n[\\DATABASES\\LOC\\DB INFO\\]\nPATH=" +
                 folder.File("db").toUtf8() + "\n");
    WriteAll(folder.File("script.sql"), "SELECT * FROM T");
    // The rows as days, fractions of a day, numbers and text.
    const QByteArray typed = R"([["D","TM","DT","M","R","S"],)"
                             R"([45352,0.5732638888888889,45352.57326388889,1234.5,1.5,"x"],)"
                             R"([8827,0.003576388888888889,36525.99998842592,-0.25,-1234.5,"y"]])";
    // Decimal commas; marks, blanks, dots in dates; AM/PM first; unit words; "B"; "kl.".
    for (const char* locale :
         {"ar_SA", "de_DE", "fr_FR", "hu_HU", "ko_KR", "ja_JP", "zh_TW", "sk_SK", "nn_NO"}) {
        for (const QString type :
             {"xls", "xlsx", "slk", "dif", "csv", "tab", "txt", "html", "rtf", "clipboard"}) {
            const QString file = folder.File(QString(locale) + "." + type);
            QStringList command = {"TESSALY_CONFIG_DIR=" + folder.File("config"),
                                   BinaryFolder() + "/tessaly-query", "--sql-file",
                                   folder.File("script.sql")};
            command << QString("--batch --alias LOC --no-timestamp --no-number-rows").split(' ')
                    << "--export" << type;
            if (type != "clipboard")
                command << "--output" << file;
            int status = 0;
            QByteArray err;
            RunUnder(locale, command, &status, &err);
            ASSERT_EQ(status, 0) << locale << " " << type.toStdString() << ": " << err.data();
            if (type != "xls" && type != "xlsx" && type != "slk")
                continue;
            const QStringList reader = {"/usr/bin/python3", TESSALY_READERS_DIR "/sheet_values.py",
                                        file};
            const QJsonArray rows =
                QJsonDocument::fromJson(RunUnder(locale, reader, &status, &err)).array();
            EXPECT_EQ(rows, QJsonDocument::fromJson(typed).array())
                << locale << " " << type.toStdString() << ": " << err.data();
        }
    }
}
