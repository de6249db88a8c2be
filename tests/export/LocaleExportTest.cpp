// Batch exports of every type under a sample of locales, as a new user runs
// them: the locale set in the environment, nothing pinned. Each export must
// succeed, and the typed files read back in their independent readers
// (xlrd, openpyxl, ssconvert, Python's csv) with their dates' days, their
// times and their numbers.
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
#include <gtest/gtest.h>

namespace {

// Decimal commas, direction marks, blanks and dots in dates, AM/PM before
// the time, unit words, a day period letter, a word before the time.
const char* const kLocales[] = {"ar_SA", "de_DE", "fr_FR", "hu_HU", "ko_KR",
                                "ja_JP", "zh_TW", "sk_SK", "nn_NO"};

const char* const kTypes[] = {"xls", "xlsx", "slk", "dif", "csv", "tab",
                              "txt", "html", "rtf", "clipboard"};

double Day(const QDate& date, const QTime& time = QTime(0, 0))
{
    return QDate(1899, 12, 30).daysTo(date) + time.msecsSinceStartOfDay() / 864e5;
}

// The table's two rows as the typed formats must give them back: date, time,
// date-time, money, real, text.
const double kRows[2][5] = {
    {Day(QDate(2024, 3, 1)), Day(QDate(1899, 12, 30), QTime(13, 45, 30)),
     Day(QDate(2024, 3, 1), QTime(13, 45, 30)), 1234.5, 1.5},
    {Day(QDate(1924, 3, 1)), Day(QDate(1899, 12, 30), QTime(0, 5, 9)),
     Day(QDate(1999, 12, 31), QTime(23, 59, 59)), -0.25, -1234.5},
};

class LocaleExportTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        const QString database = folder_.File("db");
        QDir().mkpath(database);
        RunOnFolder(database,
                    "CREATE TABLE T (D DATE, TM TIME, DT DATETIME, M CURRENCY, R REAL, "
                    "S VARCHAR(10));"
                    "INSERT INTO T VALUES ('2024-03-01', '13:45:30', '2024-03-01 13:45:30', "
                    "1234.5, 1.5, 'x'), ('1924-03-01', '00:05:09', '1999-12-31 23:59:59', "
                    "-0.25, -1234.5, 'y');");
        config_ = folder_.File("config");
        QDir().mkpath(config_);
        WriteAll(config_ + "/engine.cfg",
                 ("[\\SYSTEM\\INIT\\]\nLOCAL SHARE=FALSE\n[\\DATABASES\\LOC\\DB INFO\\]\nPATH=" +
                  database + "\n")
                     .toUtf8());
        script_ = folder_.File("script.sql");
        WriteAll(script_, "SELECT * FROM T");
    }

    // Exports the table; the exit status, with standard error in err.
    int Export(const QString& locale, const QString& type, const QString& file, QString* err)
    {
        QProcess process;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("TESSALY_CONFIG_DIR", config_);
        env.insert("LANG", locale + ".UTF-8");
        env.insert("LC_ALL", locale + ".UTF-8");
        process.setProcessEnvironment(env);
        QStringList arguments = {"--batch",  "--sql-file",    script_,         "--alias",
                                 "LOC",      "--export",      type,            "--no-timestamp",
                                 "--no-number-rows"};
        if (type != "clipboard")
            arguments << "--output" << file;
        process.start(BinaryFolder() + "/tessaly-query", arguments);
        EXPECT_TRUE(process.waitForFinished(60000));
        *err = QString::fromUtf8(process.readAllStandardError());
        return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    }

    // The rows as the format's reader gives them; empty when it failed.
    static QJsonArray ReadBack(const QString& file, const QString& separator, QString* err)
    {
        QProcess python;
        python.start("/usr/bin/python3",
                     {TESSALY_READERS_DIR "/sheet_values.py", file, separator});
        EXPECT_TRUE(python.waitForFinished(60000));
        *err = QString::fromUtf8(python.readAllStandardError());
        return QJsonDocument::fromJson(python.readAllStandardOutput()).array();
    }

    TempFolder folder_;
    QString config_;
    QString script_;
};

} // namespace

TEST_F(LocaleExportTest, EveryTypeSucceedsAndReadsBackUnderEveryLocale)
{
    if (QStandardPaths::findExecutable("ssconvert").isEmpty())
        GTEST_SKIP() << "ssconvert is not installed";
    for (const char* name : kLocales) {
        const QString locale = QString::fromLatin1(name);
        const QLocale qlocale(locale);
        const QString decimal = Regional::LocaleValue(qlocale, "sDecimal");
        for (const char* typeName : kTypes) {
            const QString type = QString::fromLatin1(typeName);
            const QString file = folder_.File(locale + "." + type);
            QString err;
            ASSERT_EQ(Export(locale, type, file, &err), 0)
                << name << " " << typeName << ": " << err.toStdString();
            if (type == "clipboard" || type == "txt" || type == "html" || type == "rtf")
                continue;
            const bool text = type == "csv" || type == "tab";
            const QJsonArray rows = ReadBack(file, type == "csv" ? (decimal == "," ? ";" : ",")
                                                                 : QStringLiteral("\t"),
                                             &err);
            ASSERT_EQ(rows.size(), 3) << name << " " << typeName << ": " << err.toStdString();
            for (int r = 0; r < 2; ++r) {
                const QJsonArray cells = rows.at(r + 1).toArray();
                ASSERT_EQ(cells.size(), 6) << name << " " << typeName << " row " << r + 1;
                // DIF and delimited text carry dates as text: only their numbers are typed.
                for (int c = type == "dif" || text ? 3 : 0; c < 5; ++c) {
                    const QJsonValue cell = cells.at(c);
                    const double value = text ? cell.toString().replace(decimal, ".").toDouble()
                                              : cell.toDouble(-1e300);
                    EXPECT_NEAR(value, kRows[r][c], 1e-6)
                        << name << " " << typeName << " row " << r + 1 << " column " << c
                        << ": " << QJsonDocument(cells).toJson(QJsonDocument::Compact).toStdString();
                }
                EXPECT_EQ(cells.at(5).toString(), r == 0 ? "x" : "y") << name << " " << typeName;
            }
        }
    }
}
