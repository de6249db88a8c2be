// Benchmark of the runner's fixed start-up as whole processes: batch mode
// running "SELECT 1" against the sqlite3 shell on the same tables.db, and
// --version and --help beside the shell's --version. The runs interleave
// (the order alternates, so neither always finds a warm cache); the figures
// are the medians of wall-clock and CPU (user and system) times. On a busy
// machine the wall time follows the CPU time divided by the share of a core
// the process gets, so both are printed. --baseline times another build of
// the runner (an older one, say) in the same runs.
//
// Usage: startup [--repeats N] [--baseline RUNNER]   (default: 41 repeats)
#include "BenchProcess.h"
#include "BenchSupport.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cstdio>

namespace {

struct Timed
{
    std::vector<double> wall, cpu;
    void Add(const Sample& s)
    {
        wall.push_back(s.seconds);
        cpu.push_back(s.cpuSeconds);
    }
};

void Report(const char* what, const Timed& ours, const Timed& theirs)
{
    const double a = Median(ours.wall) * 1000, b = Median(theirs.wall) * 1000;
    std::printf("  %-10s runner %6.1f ms (CPU %5.1f ms)   sqlite3 %5.1f ms (CPU %4.1f ms)   "
                "ratio %5.2f\n",
                what, a, Median(ours.cpu) * 1000, b, Median(theirs.cpu) * 1000, a / b);
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    int repeats = 41;
    QString baseline;
    const QStringList arguments = app.arguments().mid(1);
    for (qsizetype i = 0; i + 1 < arguments.size(); i += 2) {
        if (arguments[i] == QLatin1String("--repeats"))
            repeats = qMax(1, arguments[i + 1].toInt());
        else if (arguments[i] == QLatin1String("--baseline"))
            baseline = arguments[i + 1];
    }

    const auto [runner, shell] = FindComparedPrograms();
    QTemporaryDir sandbox;
    const auto [config, folder] = PrepareProcessSandbox(sandbox);
    const QString tables = folder + QStringLiteral("/tables.db");
    DropInit(tables); // makes the database file
    const QString sql = WriteSandboxFile(sandbox, QStringLiteral("one.sql"), "SELECT 1 AS X\n");

    const QString output = sandbox.filePath(QStringLiteral("output.txt"));
    const QStringList batch = {runner, QStringLiteral("--batch"), QStringLiteral("--sql-file"),
                               sql,    QStringLiteral("--alias"), QStringLiteral("BENCH")};
    const QStringList shellSelect = {shell, tables, QStringLiteral("SELECT 1 AS X")};
    const QStringList version = {runner, QStringLiteral("--version")};
    const QStringList help = {runner, QStringLiteral("--help")};
    const QStringList shellVersion = {shell, QStringLiteral("--version")};
    QStringList baselineBatch = batch;
    baselineBatch[0] = baseline;

    // One run first, so that a runner that prints the wrong answer is not timed.
    RunProcess(batch, output);
    QFile answer(output);
    if (!answer.open(QIODevice::ReadOnly) || answer.readAll() != "X\n1\n") {
        std::fprintf(stderr, "the runner's answer to SELECT 1 is not X 1\n");
        return 1;
    }

    Timed ours, theirs, ourVersion, ourHelp, theirVersion, older;
    for (int r = 0; r < repeats; ++r) {
        if (r % 2 == 0) {
            if (!baseline.isEmpty())
                older.Add(RunProcess(baselineBatch, output));
            ours.Add(RunProcess(batch, output));
            theirs.Add(RunProcess(shellSelect, output));
            ourVersion.Add(RunProcess(version, output));
            ourHelp.Add(RunProcess(help, output));
            theirVersion.Add(RunProcess(shellVersion, output));
        } else {
            theirVersion.Add(RunProcess(shellVersion, output));
            ourHelp.Add(RunProcess(help, output));
            ourVersion.Add(RunProcess(version, output));
            theirs.Add(RunProcess(shellSelect, output));
            ours.Add(RunProcess(batch, output));
            if (!baseline.isEmpty())
                older.Add(RunProcess(baselineBatch, output));
        }
    }
    std::printf("start-up as whole processes, medians of %d interleaved runs "
                "(target: batch SELECT 1 at most 25 ms)\n",
                repeats);
    Report("SELECT 1", ours, theirs);
    if (!baseline.isEmpty())
        Report("baseline", older, theirs);
    Report("--version", ourVersion, theirVersion);
    Report("--help", ourHelp, theirVersion);
    return 0;
}
