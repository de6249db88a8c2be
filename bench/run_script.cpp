// Benchmark of the script runner: "SELECT * FROM BIG" stored as INIT.DB with
// the main window's settings, against SQLite alone copying the same rows with
// CREATE TABLE ... AS SELECT on the same tables.db, at two table sizes, with
// the peak memory of each phase. A breakdown times the runner's two halves:
// opening the answer, and making it permanent.
//
// Usage: run_script [rows ...]   (default: 100000 1000000)
#include "BenchSupport.h"
#include "query/enhquery.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <cstdio>
#include <functional>
#include <sqlite3.h>

namespace {

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
    return RunSizes<QCoreApplication>(argc, argv, {100000, 1000000}, RunSize);
}
