// Independent access to the files the engine reads and writes.
#include "support/EngineTestSupport.h"

#include "platform/core/IniFile.h"
#include "platform/core/Registry.h"
#include "platform/core/SystemInfo.h"
#include "support/TestSupport.h"

#include <QDir>
#include <gtest/gtest.h>
#include <sqlite3.h>

namespace {

sqlite3* OpenFolder(const QString& folder)
{
    sqlite3* db = nullptr;
    const QString file = folder + QStringLiteral("/tables.db");
    EXPECT_EQ(sqlite3_open(file.toUtf8().constData(), &db), SQLITE_OK);
    return db;
}

} // namespace

void RunOnFolder(const QString& folder, const QString& sql)
{
    sqlite3* db = OpenFolder(folder);
    char* error = nullptr;
    EXPECT_EQ(sqlite3_exec(db, sql.toUtf8().constData(), nullptr, nullptr, &error), SQLITE_OK)
        << (error ? error : "");
    sqlite3_free(error);
    sqlite3_close(db);
}

std::vector<QStringList> ReadFolder(const QString& folder, const QString& sql)
{
    std::vector<QStringList> rows;
    sqlite3* db = OpenFolder(folder);
    sqlite3_stmt* stmt = nullptr;
    EXPECT_EQ(sqlite3_prepare_v2(db, sql.toUtf8().constData(), -1, &stmt, nullptr), SQLITE_OK)
        << sqlite3_errmsg(db);
    while (stmt && sqlite3_step(stmt) == SQLITE_ROW) {
        QStringList row;
        for (int i = 0; i < sqlite3_column_count(stmt); ++i) {
            row << (sqlite3_column_type(stmt, i) == SQLITE_NULL
                        ? QStringLiteral("NULL")
                        : QString::fromUtf8(
                              reinterpret_cast<const char*>(sqlite3_column_text(stmt, i))));
        }
        rows.push_back(row);
    }
    sqlite3_finalize(stmt);
    sqlite3_close(db);
    return rows;
}

QString EngineConfigPath()
{
    return ConfigFolder() + QStringLiteral("/engine.cfg");
}

void WriteEngineConfig(const QByteArray& text)
{
    QDir().mkpath(ConfigFolder());
    WriteAll(EngineConfigPath(), text);
}

namespace {

const QString kInternational = QStringLiteral("\\Control Panel\\International");

} // namespace

PinnedRegional::PinnedRegional(const QList<QPair<QString, QString>>& values)
{
    TRegistry registry;
    EXPECT_TRUE(registry.OpenKey(kInternational, true));
    for (const auto& [name, value] : values) {
        registry.WriteString(name, value);
        names_ << name;
    }
}

PinnedRegional::~PinnedRegional()
{
    TIniFile ini(TRegistry::DefaultFileName());
    for (const QString& name : names_)
        ini.DeleteKey(kInternational, name);
}

QList<QPair<QString, QString>> UsSettings()
{
    return {{"sDecimal", "."},
            {"sThousand", ","},
            {"sDate", "/"},
            {"sTime", ":"},
            {"sShortDate", "M/d/yyyy"},
            {"sTimeFormat", "h:mm:ss tt"},
            {"s1159", "AM"},
            {"s2359", "PM"},
            {"sCurrency", "$"},
            {"iCurrDigits", "2"},
            {"iCurrency", "0"},
            {"iNegCurr", "0"}};
}

QList<QPair<QString, QString>> GermanSettings()
{
    return {{"sDecimal", ","},
            {"sThousand", "."},
            {"sDate", "."},
            {"sTime", ":"},
            {"sShortDate", "dd.MM.yyyy"},
            {"sTimeFormat", "HH:mm:ss"},
            {"s1159", ""},
            {"s2359", ""},
            {"sCurrency", "\u20ac"},
            {"iCurrDigits", "2"},
            {"iCurrency", "3"},
            {"iNegCurr", "8"}};
}
