// Benchmark of the script runner: "SELECT * FROM BIG" stored as INIT.DB with
// the main window's settings, against SQLite alone copying the same rows with
// CREATE TABLE ... AS SELECT on the same tables.db, at two table sizes, with
// the peak memory of each phase. A breakdown times the runner's two halves:
// opening the answer, and making it permanent.
//
// Usage: run_script [rows ...]   (default: 100000 1000000)
#include "engine/Database.h"
#include "engine/Session.h"
#include "query/enhquery.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <cstdio>
#include <functional>
#include <sqlite3.h>

namespace {

// One field of /proc/self/status, in kB.
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

// Resets the peak resident size to the current one; false where the kernel refuses.
bool ResetPeak()
{
    QFile clear(QStringLiteral("/proc/self/clear_refs"));
    return clear.open(QIODevice::WriteOnly) && clear.write("5") == 1;
}

struct Phase
{
    double seconds = 0;
    long startKb = 0; // resident size when the phase began
    long peakKb = 0;  // peak resident size during the phase (or at its end without reset)
};

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

// BIG: integers, reals, text and dates, filled by SQLite itself.
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

// Keeps the fastest time and the largest memory growth of repeated runs.
void Keep(Phase& best, const Phase& run, bool first)
{
    if (first || run.seconds < best.seconds)
        best.seconds = run.seconds;
    if (first || run.peakKb - run.startKb > best.peakKb - best.startKb) {
        best.startKb = run.startKb;
        best.peakKb = run.peakKb;
    }
}

// The machine may be busy with other work, so every phase runs a few times.
constexpr int kRepeats = 3;

void RunSize(const QString& folder, qint64 rows)
{
    BuildBig(folder, rows);
    std::printf("BIG with %lld rows, 8 columns (best of %d runs)\n", static_cast<long long>(rows),
                kRepeats);
    Phase runner, plain, answer, permanent;
    qint64 stored = 0;
    for (int repeat = 0; repeat < kRepeats; ++repeat) {
        const bool first = repeat == 0;
        // Every phase writes a table that does not exist yet, as SQLite's does.
        sqlite3* db = OpenTables(folder);
        Exec(db, "DROP TABLE IF EXISTS INIT; DROP TABLE IF EXISTS INIT2");
        sqlite3_close(db);

        TEnhMultiQuery query;
        query.SetDatabaseName(QStringLiteral("BENCH"));
        query.SetDestinationTable(QStringLiteral("INIT.DB"));
        query.SetDestDatabaseName(QStringLiteral("BENCH"));
        query.SetDoBatchMove(true);
        query.SetSQL({QStringLiteral("SELECT * FROM BIG")});
        Keep(runner, Measure([&] { query.Execute(); }), first);
        stored = query.RecordCount();
        query.Close();

        db = OpenTables(folder);
        Exec(db, "DROP TABLE INIT");
        Keep(plain, Measure([&] { Exec(db, "CREATE TABLE INIT AS SELECT * FROM BIG"); }), first);
        sqlite3_close(db);

        // The runner's two halves, apart.
        TQuery open;
        open.SetDatabaseName(QStringLiteral("BENCH"));
        open.SetSQL({QStringLiteral("SELECT * FROM BIG")});
        Keep(answer, Measure([&] { open.Open(); }), first);
        Keep(permanent,
             Measure([&] { open.MakePermanent(folder + QStringLiteral("\\INIT2.DB"), true); }),
             first);
    }
    Report("runner (Execute, stored INIT.DB)", runner);
    Report("SQLite CREATE TABLE AS SELECT", plain);
    std::printf("  ratio runner / SQLite: %.2f   (rows stored: %lld)\n",
                runner.seconds / plain.seconds, static_cast<long long>(stored));
    Report("  of which: open (answer table)", answer);
    Report("  of which: make permanent", permanent);
}

} // namespace

int main(int argc, char** argv)
{
    // A private configuration and temporary folder: the benchmark never
    // touches the user's own.
    QTemporaryDir sandbox;
    if (!sandbox.isValid())
        return 1;
    QDir().mkpath(sandbox.filePath(QStringLiteral("config")));
    QDir().mkpath(sandbox.filePath(QStringLiteral("tmp")));
    qputenv("TESSALY_CONFIG_DIR", sandbox.filePath(QStringLiteral("config")).toLocal8Bit());
    qputenv("TMPDIR", sandbox.filePath(QStringLiteral("tmp")).toLocal8Bit());
    QCoreApplication app(argc, argv);

    QList<qint64> sizes;
    for (int i = 1; i < argc; ++i)
        sizes << QByteArray(argv[i]).toLongLong();
    if (sizes.isEmpty())
        sizes = {100000, 1000000};

    const QString folder = sandbox.filePath(QStringLiteral("db"));
    QDir().mkpath(folder);
    TDatabase database;
    database.SetDatabaseName(QStringLiteral("BENCH"));
    database.SetDriverName(QStringLiteral("STANDARD"));
    database.Params() << QStringLiteral("PATH=") + folder;
    database.SetConnected(true);

    std::printf("peak memory: %s\n", ResetPeak() ? "VmHWM, reset before each phase"
                                                 : "VmRSS at the end of each phase (no reset)");
    for (qint64 rows : sizes)
        RunSize(folder, rows);
    Session()->Close();
    return 0;
}
