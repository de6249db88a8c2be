// What the benchmarks share: memory figures from /proc, timing of a phase,
// and the BIG table of eight mixed columns filled by SQLite itself.
#pragma once

#include <QList>
#include <QString>
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

// The machine may be busy with other work, so every phase runs a few times.
constexpr int kRepeats = 3;
