// Batch exports of every type under a sample of locales, as a new user runs
// them (the locale set in the environment, nothing pinned): each succeeds,
// and the typed files read back in their independent readers with their
// dates' days, their times and their numbers.
#include "engine/EngineTestSupport.h"
#include "platform/core/RegionalSettings.h"
#include "support/TestSupport.h"

#include <QDate>
#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QLocale>
#include <QProcess>
#include <QStandardPaths>
#include <cmath>
#include <gtest/gtest.h>

namespace {

// Standard output of a program run with the locale set (the runner finds
// its configuration in config); its exit status and standard error beside.
QByteArray RunUnder(const QString& locale, const QString& config, const QString& program,
                    const QStringList& arguments, int* status, QByteArray* err)
{
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("TESSALY_CONFIG_DIR", config);
    env.insert("LC_ALL", locale + ".UTF-8");
    process.setProcessEnvironment(env);
    process.start(program, arguments);
    EXPECT_TRUE(process.waitForFinished(60000));
    *status = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    *err = process.readAllStandardError();
    return process.readAllStandardOutput();
}

double Day(const QDate& date, const QTime& time = QTime(0, 0))
{
    return QDate(1899, 12, 30).daysTo(date) + time.msecsSinceStartOfDay() / 864e5;
}

} // namespace

TEST(LocaleExportTest, EveryTypeSucceedsAndReadsBackUnderEveryLocale)
{
    if (QStandardPaths::findExecutable("ssconvert").isEmpty())
        GTEST_SKIP() << "ssconvert is not installed";
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
    // Date, time, date-time, money, real of both rows.
    const double expected[2][5] = {
        {Day(QDate(2024, 3, 1)), Day(QDate(1899, 12, 30), QTime(13, 45, 30)),
         Day(QDate(2024, 3, 1), QTime(13, 45, 30)), 1234.5, 1.5},
        {Day(QDate(1924, 3, 1)), Day(QDate(1899, 12, 30), QTime(0, 5, 9)),
         Day(QDate(1999, 12, 31), QTime(23, 59, 59)), -0.25, -1234.5}};
    // Decimal commas, direction marks, blanks and dots in dates, AM/PM before
    // the time, unit words, a day period letter, a word before the time.
    for (const char* locale :
         {"ar_SA", "de_DE", "fr_FR", "hu_HU", "ko_KR", "ja_JP", "zh_TW", "sk_SK", "nn_NO"}) {
        const QString decimal = Regional::LocaleValue(QLocale(locale), "sDecimal");
        for (const QString type :
             {"xls", "xlsx", "slk", "dif", "csv", "tab", "txt", "html", "rtf", "clipboard"}) {
            const QString file = folder.File(QString(locale) + "." + type);
            QStringList arguments = {
                "--batch",  "--sql-file", folder.File("script.sql"), "--alias",         "LOC",
                "--export", type,         "--no-timestamp",          "--no-number-rows"};
            if (type != "clipboard")
                arguments << "--output" << file;
            int status = 0;
            QByteArray err;
            RunUnder(locale, folder.File("config"), BinaryFolder() + "/tessaly-query", arguments,
                     &status, &err);
            ASSERT_EQ(status, 0) << locale << " " << type.toStdString() << ": " << err.data();
            const bool text = type == "csv" || type == "tab";
            if (!text && type != "xls" && type != "xlsx" && type != "slk" && type != "dif")
                continue;
            const QString separator = type == "tab" ? "\t" : decimal == "," ? ";" : ",";
            const QByteArray read =
                RunUnder(locale, {}, "/usr/bin/python3",
                         {TESSALY_READERS_DIR "/sheet_values.py", file, separator}, &status, &err);
            const QJsonArray rows = QJsonDocument::fromJson(read).array();
            ASSERT_EQ(rows.size(), 3) << locale << " " << type.toStdString() << ": " << err.data();
            for (int r = 0; r < 2; ++r) {
                const QJsonArray cells = rows.at(r + 1).toArray();
                ASSERT_EQ(cells.size(), 6) << locale << " " << type.toStdString();
                EXPECT_EQ(cells.at(5).toString(), r == 0 ? "x" : "y");
                // DIF and delimited text carry dates as text: only their numbers are typed.
                for (int c = type == "dif" || text ? 3 : 0; c < 5; ++c)
                    EXPECT_NEAR(text ? cells.at(c).toString().replace(decimal, ".").toDouble()
                                     : cells.at(c).toDouble(NAN),
                                expected[r][c], 1e-6)
                        << locale << " " << type.toStdString() << " row " << r + 1 << " column "
                        << c << ": " << read.data();
            }
        }
    }
}
