// Benchmark of batch mode as whole processes against the sqlite3 shell on the
// same tables.db, at two table sizes of eight mixed columns (integers, reals,
// text with accents, ISO dates, booleans):
//   output: the runner printing "SELECT * FROM BIG" as tab-separated text,
//           against sqlite3 -separator TAB -header;
//   run:    the runner storing the rows in a kept table by a statement that
//           another one follows (a count of them is the last), against
//           CREATE TABLE ... AS SELECT and the same count.
// Each pair runs interleaved a few times; the figures are the medians of the
// wall-clock times and of the peak resident sizes of the processes.
// Then start-up, "SELECT 1" against the shell's, and the costs that must not
// grow with what the configuration or a script holds: start-up with 100,000
// aliases in engine.cfg against one alias, and
// the time per statement of scripts of 200 and 1,600 statements that each
// fill a temporary destination.
//
// Usage: output [--repeats N] [rows ...]   (default: 5 repeats, 100000 1000000)
#include "BenchProcess.h"
#include "BenchSupport.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cstdio>
#include <sqlite3.h>

namespace {

void Report(const char* what, const Series& ours, const Series& theirs)
{
    const double a = Median(ours.seconds), b = Median(theirs.seconds);
    std::printf("  %-7s runner %7.3f s %7.1f MiB   sqlite3 %7.3f s %7.1f MiB   ratio %.2f\n", what,
                a, Median(ours.peakMb), b, Median(theirs.peakMb), a / b);
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    int repeats = 5;
    QList<qint64> sizes;
    const QStringList arguments = app.arguments().mid(1);
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        if (arguments[i] == QLatin1String("--repeats") && i + 1 < arguments.size())
            repeats = arguments[++i].toInt();
        else
            sizes << arguments[i].toLongLong();
    }
    if (sizes.isEmpty())
        sizes = {100000, 1000000};

    const auto [runner, shell] = FindComparedPrograms();
    QTemporaryDir sandbox;
    const auto [config, folder] = PrepareProcessSandbox(sandbox);

    const QString tables = folder + QStringLiteral("/tables.db");
    const auto script = [&](const QString& name, const QByteArray& text) {
        return WriteSandboxFile(sandbox, name, text);
    };
    const QString outputSql = script(QStringLiteral("output.sql"), "SELECT * FROM BIG\n");
    const QString runSql =
        script(QStringLiteral("run.sql"),
               "SELECT * FROM BIG\n;COPY KEEP\nSELECT COUNT(*) AS N FROM COPY\n");
    const QString ours = sandbox.filePath(QStringLiteral("ours.txt"));
    const QString theirs = sandbox.filePath(QStringLiteral("theirs.txt"));
    const QStringList runnerOutput = {
        runner,    QStringLiteral("--batch"), QStringLiteral("--sql-file"),
        outputSql, QStringLiteral("--alias"), QStringLiteral("BENCH")};
    const QStringList shellOutput = {
        shell,  QStringLiteral("-separator"),       QStringLiteral("\t"), QStringLiteral("-header"),
        tables, QStringLiteral("SELECT * FROM BIG")};
    const QStringList runnerRun = {runner, QStringLiteral("--batch"), QStringLiteral("--sql-file"),
                                   runSql, QStringLiteral("--alias"), QStringLiteral("BENCH")};
    const QStringList shellRun = {
        shell, tables,
        QStringLiteral("DROP TABLE IF EXISTS COPY; CREATE TABLE COPY AS SELECT * FROM BIG;"
                       " SELECT COUNT(*) AS N FROM COPY")};

    std::printf("whole processes, medians of %d interleaved runs; peak = maximum resident size\n",
                repeats);
    for (qint64 rows : sizes) {
        BuildMixedBig(tables, rows);
        Series outOurs, outTheirs, runOurs, runTheirs;
        for (int r = 0; r < repeats; ++r) {
            // Alternate which goes first, so neither always finds a warm cache.
            if (r % 2 == 0) {
                outOurs.Add(RunProcess(runnerOutput, ours));
                outTheirs.Add(RunProcess(shellOutput, theirs));
                DropInit(tables);
                runOurs.Add(RunProcess(runnerRun, QStringLiteral("/dev/null")));
                runTheirs.Add(RunProcess(shellRun, QStringLiteral("/dev/null")));
            } else {
                outTheirs.Add(RunProcess(shellOutput, theirs));
                outOurs.Add(RunProcess(runnerOutput, ours));
                DropInit(tables);
                runTheirs.Add(RunProcess(shellRun, QStringLiteral("/dev/null")));
                runOurs.Add(RunProcess(runnerRun, QStringLiteral("/dev/null")));
            }
        }
        const qint64 ourLines = LineCount(ours), theirLines = LineCount(theirs);
        std::printf("BIG with %lld rows x 8 columns (output lines: runner %lld, sqlite3 %lld)\n",
                    static_cast<long long>(rows), static_cast<long long>(ourLines),
                    static_cast<long long>(theirLines));
        Report("output", outOurs, outTheirs);
        Report("run", runOurs, runTheirs);
        if (ourLines != theirLines)
            return 1;
    }

    // Start-up: the same small script with one alias and with 100,000 more.
    const QString smallSql = script(QStringLiteral("small.sql"), "SELECT 1 AS X\n");
    const QStringList runnerSmall = {
        runner,   QStringLiteral("--batch"), QStringLiteral("--sql-file"),
        smallSql, QStringLiteral("--alias"), QStringLiteral("BENCH")};
    const QByteArray oneAlias =
        "[\\SYSTEM\\INIT\\]\nLOCAL SHARE=FALSE\n[\\DATABASES\\BENCH\\DB INFO\\]\nPATH=" +
        folder.toUtf8() + "\n";
    const auto aliases = [&](int count) {
        QByteArray text = oneAlias;
        for (int i = 0; i < count; ++i)
            text += "[\\DATABASES\\ALIAS" + QByteArray::number(i) +
                    "\\DB INFO\\]\nPATH=" + folder.toUtf8() + "\n";
        return text;
    };
    const QByteArray someAliases = aliases(10000), manyAliases = aliases(100000);
    const auto writeConfig = [&](const QByteArray& text) {
        QFile file(config + QStringLiteral("/engine.cfg"));
        file.open(QIODevice::WriteOnly);
        file.write(text);
    };
    const QStringList shellSmall = {shell, tables, QStringLiteral("SELECT 1 AS X")};
    Series few, shellFew, some, many;
    for (int r = 0; r < repeats; ++r) {
        writeConfig(oneAlias);
        few.Add(RunProcess(runnerSmall, QStringLiteral("/dev/null")));
        shellFew.Add(RunProcess(shellSmall, QStringLiteral("/dev/null")));
        writeConfig(someAliases);
        some.Add(RunProcess(runnerSmall, QStringLiteral("/dev/null")));
        writeConfig(manyAliases);
        many.Add(RunProcess(runnerSmall, QStringLiteral("/dev/null")));
    }
    writeConfig(oneAlias);
    Report("SELECT 1", few, shellFew);
    std::printf("start-up: 1 alias %.3f s, 10,000 aliases %.3f s, 100,000 aliases %.3f s "
                "(%.1f MiB)\n",
                Median(few.seconds), Median(some.seconds), Median(many.seconds),
                Median(many.peakMb));

    // Temporary destinations: the time per statement should not grow with their number.
    sqlite3* db = nullptr;
    sqlite3_open(tables.toUtf8().constData(), &db);
    Exec(db, "DROP TABLE IF EXISTS BIG; CREATE TABLE SMALL (ID INTEGER, NAME VARCHAR(10));"
             "INSERT INTO SMALL VALUES (1, 'a'), (2, 'b')");
    sqlite3_close(db);
    double perStatement[2] = {};
    const int counts[2] = {200, 1600};
    for (int k = 0; k < 2; ++k) {
        QByteArray text;
        for (int i = 0; i < counts[k]; ++i)
            text += "SELECT * FROM SMALL\n;T" + QByteArray::number(i) + "\n";
        text += "SELECT 1 AS X\n";
        const QString sql = script(QStringLiteral("temp%1.sql").arg(counts[k]), text);
        std::vector<double> times;
        for (int r = 0; r < qMax(1, repeats / 2); ++r)
            times.push_back(
                RunProcess({runner, QStringLiteral("--batch"), QStringLiteral("--sql-file"), sql,
                            QStringLiteral("--alias"), QStringLiteral("BENCH")},
                           QStringLiteral("/dev/null"))
                    .seconds);
        perStatement[k] = (Median(times) - Median(few.seconds)) / counts[k] * 1000;
    }
    std::printf("temporary destinations: %.2f ms per statement at 200, %.2f ms at 1,600\n",
                perStatement[0], perStatement[1]);
    return 0;
}
