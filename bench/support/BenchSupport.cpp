#include "BenchSupport.h"

#include "engine/Database.h"

#include <QByteArray>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <cstdio>
#include <cstdlib>

long StatusKb(const char* field)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray prefix = QByteArray(field) + ':';
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith(prefix))
            return line.mid(prefix.size()).trimmed().split(' ').first().toLong();
    return -1;
}

bool ResetPeak()
{
    QFile clear(QStringLiteral("/proc/self/clear_refs"));
    return clear.open(QIODevice::WriteOnly) && clear.write("5") == 1;
}

Phase Measure(const std::function<void()>& work)
{
    const bool reset = ResetPeak();
    Phase phase;
    phase.startKb = StatusKb("VmRSS");
    QElapsedTimer timer;
    timer.start();
    work();
    phase.seconds = double(timer.nsecsElapsed()) / 1e9;
    phase.peakKb = reset ? StatusKb("VmHWM") : StatusKb("VmRSS");
    return phase;
}

void Exec(sqlite3* db, const char* sql)
{
    char* error = nullptr;
    if (sqlite3_exec(db, sql, nullptr, nullptr, &error) != SQLITE_OK) {
        std::fprintf(stderr, "sqlite: %s\n", error ? error : "?");
        sqlite3_free(error);
        std::exit(1);
    }
}

sqlite3* OpenTables(const QString& folder)
{
    sqlite3* db = nullptr;
    if (sqlite3_open((folder + QStringLiteral("/tables.db")).toUtf8().constData(), &db) !=
        SQLITE_OK) {
        std::fprintf(stderr, "cannot open %s\n", qPrintable(folder));
        std::exit(1);
    }
    return db;
}

void BuildBig(const QString& folder, qint64 rows)
{
    sqlite3* db = OpenTables(folder);
    Exec(db, "DROP TABLE IF EXISTS BIG; DROP TABLE IF EXISTS INIT;"
             "CREATE TABLE BIG (ID INTEGER, QTY SMALLINT, PRICE REAL, RATE FLOAT,"
             " NAME VARCHAR(30), NOTE TEXT, DAY DATE, STAMP DATETIME)");
    const QByteArray fill =
        "WITH RECURSIVE N(I) AS (SELECT 1 UNION ALL SELECT I + 1 FROM N WHERE I < " +
        QByteArray::number(rows) +
        ") INSERT INTO BIG SELECT I, I % 1000, I * 0.25, (I % 97) / 7.0, 'Customer ' || I,"
        " printf('note %08d for row %d', I * 7919 % 100000000, I),"
        " date('2000-01-01', '+' || (I % 9000) || ' days'),"
        " datetime('2000-01-01 08:00:00', '+' || (I % 500000) || ' minutes') FROM N";
    Exec(db, "BEGIN");
    Exec(db, fill.constData());
    Exec(db, "COMMIT");
    sqlite3_close(db);
}

void Report(const char* what, const Phase& phase)
{
    std::printf("  %-34s %8.3f s   start %7ld kB   peak %7ld kB   growth %7ld kB\n", what,
                phase.seconds, phase.startKb, phase.peakKb, phase.peakKb - phase.startKb);
}

void Keep(Phase& best, const Phase& run, bool first)
{
    if (first || run.seconds < best.seconds)
        best.seconds = run.seconds;
    if (first || run.peakKb - run.startKb > best.peakKb - best.startKb) {
        best.startKb = run.startKb;
        best.peakKb = run.peakKb;
    }
}

void UseSandbox(const QString& sandbox)
{
    QDir().mkpath(sandbox + QStringLiteral("/config"));
    QDir().mkpath(sandbox + QStringLiteral("/tmp"));
    qputenv("TESSALY_CONFIG_DIR", QString(sandbox + QStringLiteral("/config")).toLocal8Bit());
    qputenv("TMPDIR", QString(sandbox + QStringLiteral("/tmp")).toLocal8Bit());
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
}

QString ConnectBenchDatabase(const QString& sandbox, TDatabase& database)
{
    const QString folder = sandbox + QStringLiteral("/db");
    QDir().mkpath(folder);
    database.SetDatabaseName(QStringLiteral("BENCH"));
    database.SetDriverName(QStringLiteral("STANDARD"));
    database.Params() << QStringLiteral("PATH=") + folder;
    database.SetConnected(true);
    return folder;
}

QList<qint64> SizesFromArguments(int argc, char** argv, const QList<qint64>& defaults)
{
    QList<qint64> sizes;
    for (int i = 1; i < argc; ++i)
        sizes << QByteArray(argv[i]).toLongLong();
    return sizes.isEmpty() ? defaults : sizes;
}

void ReportPeakMethod()
{
    std::printf("peak memory: %s\n", ResetPeak() ? "VmHWM, reset before each phase"
                                                 : "VmRSS at the end of each phase (no reset)");
}
