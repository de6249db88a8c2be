#include "AppFixture.h"

#include <QDir>
#include <sqlite3.h>

void AppTest::SetUp()
{
    savedConfig_ = qgetenv("TESSALY_CONFIG_DIR");
    config_ = std::make_unique<TempFolder>();
    data_ = std::make_unique<TempFolder>();
    qputenv("TESSALY_CONFIG_DIR", config_->Path().toLocal8Bit());
}

void AppTest::TearDown()
{
    qputenv("TESSALY_CONFIG_DIR", savedConfig_);
}

void AppTest::WriteRegistry(const QString& text)
{
    WriteAll(config_->File("registry.ini"), text.toUtf8());
}

void AppTest::WriteEngineConfig(const QString& text)
{
    WriteAll(config_->File("engine.cfg"), text.toUtf8());
}

void AppTest::WriteAliases(const QList<std::pair<QString, QString>>& aliases)
{
    QString text = QStringLiteral("[\\SYSTEM\\INIT\\]\nLOCAL SHARE=FALSE\n");
    for (const auto& [name, folder] : aliases)
        text += QStringLiteral("[\\DATABASES\\%1\\DB INFO\\]\nPATH=%2\n").arg(name, folder);
    WriteEngineConfig(text);
}

void AppTest::WriteEntries(const QList<std::pair<QString, QString>>& entries)
{
    QString text;
    for (const auto& [name, folder] : entries)
        text += QStringLiteral("[\\Software\\Tessaly Software\\Orlo\\Alias:%1]\nDatabasePath=%2\n")
                    .arg(name, folder);
    WriteRegistry(text);
}

QString AppTest::MakeDatabase(const QString& name, const QStringList& statements)
{
    const QString folder = data_->File(name);
    EXPECT_TRUE(QDir().mkpath(folder));
    sqlite3* db = nullptr;
    EXPECT_EQ(sqlite3_open((folder + "/tables.db").toUtf8().constData(), &db), SQLITE_OK);
    for (const QString& statement : statements) {
        char* error = nullptr;
        EXPECT_EQ(sqlite3_exec(db, statement.toUtf8().constData(), nullptr, nullptr, &error),
                  SQLITE_OK)
            << (error ? error : "");
        sqlite3_free(error);
    }
    sqlite3_close(db);
    return folder;
}

QList<QStringList> AppTest::Rows(const QString& folder, const QString& sql)
{
    QList<QStringList> rows;
    sqlite3* db = nullptr;
    if (sqlite3_open_v2((folder + "/tables.db").toUtf8().constData(), &db, SQLITE_OPEN_READONLY,
                        nullptr) != SQLITE_OK) {
        sqlite3_close(db);
        return rows;
    }
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare_v2(db, sql.toUtf8().constData(), -1, &statement, nullptr) == SQLITE_OK) {
        while (sqlite3_step(statement) == SQLITE_ROW) {
            QStringList row;
            for (int i = 0; i < sqlite3_column_count(statement); ++i)
                row << QString::fromUtf8(
                    reinterpret_cast<const char*>(sqlite3_column_text(statement, i)));
            rows << row;
        }
    }
    sqlite3_finalize(statement);
    sqlite3_close(db);
    return rows;
}

QStringList AppTest::TablesIn(const QString& folder)
{
    QStringList names;
    for (const QStringList& row :
         Rows(folder,
              QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'table' ORDER BY name")))
        names << row.first();
    return names;
}

QString AppTest::MakeOrdersDatabase(const QString& name)
{
    return MakeDatabase(
        name, {QStringLiteral("CREATE TABLE ORDERS (ORDER_NO INTEGER, TOTAL CURRENCY)"),
               QStringLiteral(
                   "INSERT INTO ORDERS VALUES (1, 50), (2, 100), (3, 101), (4, 150), (5, 250)")});
}

QString WorkedExampleScript()
{
    return QStringLiteral("DEFINE MINIMUM 100\r\n"
                          "SELECT * FROM ORDERS WHERE TOTAL > [MINIMUM]\r\n"
                          ";BIG\r\n"
                          "SELECT COUNT(*) FROM BIG");
}
