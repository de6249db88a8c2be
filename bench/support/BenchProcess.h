// Whole processes timed as a user would see them, and the medians of
// interleaved runs, for the benchmarks that compare the runner with the
// sqlite3 shell.
#pragma once

#include <QString>
#include <QStringList>
#include <vector>

class QTemporaryDir;

struct Sample
{
    double seconds = 0;
    long peakKb = 0;
    double cpuSeconds = 0; // user and system time together
};

// Runs a program (a path, or a name looked up on PATH) with its standard
// output going to a file (standard error to /dev/null); its wall time, CPU
// time and peak resident size. A failing program ends the benchmark.
Sample RunProcess(const QStringList& command, const QString& outputFile);

double Median(std::vector<double> values);

// The runner built beside the benchmark and the sqlite3 shell it is compared
// with; a missing one ends the benchmark, saying which.
struct ComparedPrograms
{
    QString runner, shell;
};
ComparedPrograms FindComparedPrograms();

// The times and peak sizes of one program's runs.
struct Series
{
    std::vector<double> seconds, peakMb;
    void Add(const Sample& s)
    {
        seconds.push_back(s.seconds);
        peakMb.push_back(double(s.peakKb) / 1024.0);
    }
    double MedianSeconds() const { return Median(seconds); }
    double MedianPeakMb() const { return Median(peakMb); }
};

// The number of lines ("\n") in a file; -1 when it cannot be read.
qint64 LineCount(const QString& fileName);

// BIG in a tables.db: eight mixed columns (integers, reals, text with
// accents, ISO dates, booleans), filled by SQLite itself.
void BuildMixedBig(const QString& tablesFile, qint64 rows);
// The runner stores its last result as INIT, as the window does; a timed run
// must not pay for dropping the INIT an earlier one left behind.
void DropInit(const QString& tablesFile);

// A private configuration folder, temporary folder and database folder
// (the alias BENCH) inside sandbox, set in the environment the runner's
// processes inherit: a benchmark never touches the user's own.
struct ProcessSandbox
{
    QString config, folder;
};
ProcessSandbox PrepareProcessSandbox(const QTemporaryDir& sandbox);
// A file of the sandbox holding text; a failed write ends the benchmark.
QString WriteSandboxFile(const QTemporaryDir& sandbox, const QString& name, const QByteArray& text);
