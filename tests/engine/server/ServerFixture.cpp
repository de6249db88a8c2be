// The server fixture: a fresh database per test, made and dropped through
// the server's maintenance database.
#include "ServerFixture.h"

#include "engine/Session.h"
#include "support/ReaderMissing.h"

#include <QElapsedTimer>
#include <QThread>

namespace {

PGconn* Connect(const QString& database)
{
    const QByteArray name = database.toUtf8();
    const char* keys[] = {"dbname", nullptr};
    const char* values[] = {name.constData(), nullptr};
    return PQconnectdbParams(keys, values, 0);
}

void Execute(PGconn* conn, const QString& sql)
{
    PGresult* result = PQexec(conn, sql.toUtf8().constData());
    EXPECT_TRUE(PQresultStatus(result) == PGRES_COMMAND_OK ||
                PQresultStatus(result) == PGRES_TUPLES_OK)
        << PQerrorMessage(conn);
    PQclear(result);
}

} // namespace

void ServerTest::SetUp()
{
    if (!qEnvironmentVariableIsSet("PGPORT"))
        READER_MISSING() << "no server: these tests run under pg_virtualenv";
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    database_ =
        QStringLiteral("tq_%1_%2")
            .arg(QString::fromUtf8(info->test_suite_name()), QString::fromUtf8(info->name()))
            .toLower()
            .replace(QLatin1Char('/'), QLatin1Char('_'))
            .left(60);
    PGconn* maintenance = Connect(QStringLiteral("postgres"));
    ASSERT_EQ(PQstatus(maintenance), CONNECTION_OK) << PQerrorMessage(maintenance);
    Execute(maintenance, QStringLiteral("DROP DATABASE IF EXISTS %1 WITH (FORCE)").arg(database_));
    Execute(maintenance, QStringLiteral("CREATE DATABASE %1").arg(database_));
    PQfinish(maintenance);
    admin_ = Connect(database_);
    ASSERT_EQ(PQstatus(admin_), CONNECTION_OK) << PQerrorMessage(admin_);
    Execute(admin_,
            QStringLiteral(
                "CREATE TABLE orders (id integer, customer varchar(20), total numeric(10,2));"
                "INSERT INTO orders VALUES (1, 'Ann', 50), (2, 'Bob', 150.5), (3, 'Cy', 300)"));
    Session()->AddAlias(
        QStringLiteral("SALES"),
        {QStringLiteral("TYPE=POSTGRESQL"), QStringLiteral("SERVER NAME=dbname=") + database_});
    kiv_ = std::make_unique<TDatabase>();
    kiv_->SetDatabaseName(QStringLiteral("KIV"));
    kiv_->SetAliasName(QStringLiteral("SALES"));
    kiv_->Open();
    Session()->ResetInterrupt();
}

void ServerTest::TearDown()
{
    kiv_.reset();
    Session()->Close();
    PQfinish(admin_);
}

QStringList ServerTest::Rows(const QString& sql)
{
    PGresult* result = PQexec(admin_, sql.toUtf8().constData());
    EXPECT_TRUE(PQresultStatus(result) == PGRES_TUPLES_OK ||
                PQresultStatus(result) == PGRES_COMMAND_OK)
        << sql.toStdString() << ": " << PQerrorMessage(admin_);
    QStringList rows;
    for (int row = 0; row < PQntuples(result); ++row) {
        QStringList values;
        for (int column = 0; column < PQnfields(result); ++column)
            values << QString::fromUtf8(PQgetvalue(result, row, column));
        rows << values.join(QLatin1Char('|'));
    }
    PQclear(result);
    return rows;
}

QString ServerTest::Scalar(const QString& sql)
{
    return Rows(sql).value(0);
}

bool ServerTest::HasTable(const QString& table)
{
    return Scalar(QStringLiteral("SELECT count(*) FROM pg_tables WHERE schemaname = 'public' "
                                 "AND tablename = '%1'")
                      .arg(table)) == QLatin1String("1");
}

QString ServerTest::ColumnTypes(const QString& table)
{
    return Rows(QStringLiteral("SELECT format_type(atttypid, atttypmod) FROM pg_attribute "
                               "WHERE attrelid = '%1'::regclass AND attnum > 0 ORDER BY attnum")
                    .arg(table))
        .join(QLatin1Char(','));
}

bool ServerTest::WaitForStatement(const QString& text)
{
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < 20000) {
        if (Scalar(QStringLiteral("SELECT count(*) FROM pg_stat_activity WHERE application_name "
                                  "= 'tessaly-query' AND datname = current_database() AND state = "
                                  "'active' AND query LIKE '%%1%'")
                       .arg(text)) != QLatin1String("0"))
            return true;
        QThread::msleep(50);
    }
    return false;
}

QString ServerTest::WriteScript(const QString& script)
{
    const QString file = files_.File(QStringLiteral("script.sql"));
    WriteAll(file, script.toUtf8());
    return file;
}

void ServerTest::StartBatch(QProcess& process, const QString& script)
{
    ASSERT_TRUE(
        StartProcess(process, BinaryFolder() + QStringLiteral("/tessaly-query"),
                     {QStringLiteral("--batch"), QStringLiteral("--sql-file"), WriteScript(script),
                      QStringLiteral("--alias"), QStringLiteral("SALES")}));
}

ServerTest::Outcome ServerTest::RunBatch(const QString& script, const QStringList& extra,
                                         const QString& alias)
{
    return RunProcess(BinaryFolder() + QStringLiteral("/tessaly-query"),
                      QStringList{QStringLiteral("--batch"), QStringLiteral("--sql-file"),
                                  WriteScript(script), QStringLiteral("--alias"), alias} +
                          extra);
}
