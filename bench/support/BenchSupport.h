// What the benchmarks share: memory figures from /proc, timing of a phase,
// and the BIG table of eight mixed columns filled by SQLite itself.
#pragma once

#include "engine/Database.h"
#include "engine/Session.h"

#include <QList>
#include <QString>
#include <QTemporaryDir>
#include <functional>
#include <sqlite3.h>

// One field of /proc/self/status, in kB.
long StatusKb(const char* field);
// Resets the peak resident size to the current one; false where the kernel refuses.
bool ResetPeak();
// Prints how the peak memory of the phases is measured on this machine.
void ReportPeakMethod();

struct Phase
{
    double seconds = 0;
    long startKb = 0; // resident size when the phase began
    long peakKb = 0;  // peak resident size during the phase (or at its end without reset)
};

Phase Measure(const std::function<void()>& work);
void Exec(sqlite3* db, const char* sql);
sqlite3* OpenTables(const QString& folder);
// BIG: integers, reals, text and dates.
void BuildBig(const QString& folder, qint64 rows);
void Report(const char* what, const Phase& phase);
// Keeps the fastest time and the largest memory growth of repeated runs.
void Keep(Phase& best, const Phase& run, bool first);

// Points the configuration and temporary folders at the sandbox, so a
// benchmark never touches the user's own; call before the application starts.
void UseSandbox(const QString& sandbox);
// Connects the database BENCH on a folder "db" of the sandbox; its folder.
QString ConnectBenchDatabase(const QString& sandbox, class TDatabase& database);
// The table sizes named on the command line, else the defaults.
QList<qint64> SizesFromArguments(int argc, char** argv, const QList<qint64>& defaults);

// Runs a benchmark in a sandbox (UseSandbox) with the database BENCH
// connected: run(folder of BENCH). App is the application class the benchmark
// needs (widgets or not).
template <typename App>
int RunInSandbox(int argc, char** argv, const std::function<void(const QString& folder)>& run)
{
    QTemporaryDir sandbox;
    if (!sandbox.isValid())
        return 1;
    UseSandbox(sandbox.path());
    App app(argc, argv);
    TDatabase database;
    const QString folder = ConnectBenchDatabase(sandbox.path(), database);
    ReportPeakMethod();
    run(folder);
    Session()->Close(); // its answer files go before the sandbox does
    return 0;
}

// RunInSandbox, calling runSize(folder, rows) for each size named on the
// command line, else for the defaults.
template <typename App>
int RunSizes(int argc, char** argv, const QList<qint64>& defaults,
             const std::function<void(const QString& folder, qint64 rows)>& runSize)
{
    return RunInSandbox<App>(argc, argv, [&](const QString& folder) {
        for (qint64 rows : SizesFromArguments(argc, argv, defaults))
            runSize(folder, rows);
    });
}

// The machine may be busy with other work, so every phase runs a few times.
constexpr int kRepeats = 3;
