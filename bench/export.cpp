// Benchmark of batch export as whole processes against the sqlite3 shell on
// the same tables.db: "SELECT * FROM BIG" (eight mixed columns, accents,
// booleans) exported in every file type, each beside the shell printing the
// same rows in its nearest form:
//   CSV against sqlite3 -csv, tab-delimited against -separator TAB, text
//   against -column, HTML against -html; RTF, Word, DIF, SYLK and the BIFF
//   sheet against -csv; the workbook against our own CSV export.
// The export runs the statement too, as a user's batch run does; item
// numbers, captions and the time stamp are the defaults. The BIFF sheet holds
// 65,536 rows, 65,533 items below the time stamp, a blank row and the
// captions, and is timed at that many rows. The pairs run
// interleaved; the figures are medians of wall-clock time and peak resident
// size.
//
// Usage: export [--repeats N] [rows] [type ...]   (default: 3 repeats,
// 1000000 rows, every type)
#include "BenchProcess.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cstdio>

namespace {

constexpr qint64 kBiffItems = 65533;

struct Pair
{
    const char* type;  // the runner's --export name
    const char* what;  // what the shell does beside it
    QStringList shell; // the shell's options; empty: our CSV is the baseline
    double target;     // the ratio the type must stay under
};

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    int repeats = 3;
    qint64 rows = 1000000;
    QStringList types;
    const QStringList arguments = app.arguments().mid(1);
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        bool number = false;
        const qint64 value = arguments[i].toLongLong(&number);
        if (arguments[i] == QLatin1String("--repeats") && i + 1 < arguments.size())
            repeats = arguments[++i].toInt();
        else if (number)
            rows = value;
        else
            types << arguments[i];
    }
    const auto [runner, shell] = FindComparedPrograms();
    QTemporaryDir sandbox;
    const QString folder = PrepareProcessSandbox(sandbox).folder;
    qputenv("QT_QPA_PLATFORM", "offscreen");
    const QString tables = folder + QStringLiteral("/tables.db");
    const auto sqlFile = [&](const QString& name, const QByteArray& text) {
        return WriteSandboxFile(sandbox, name, text);
    };

    const QString tab = QStringLiteral("\t");
    const QList<Pair> pairs = {
        {"csv", "-csv", {"-csv"}, 1.5},       {"tab", "-separator TAB", {"-separator", tab}, 1.5},
        {"txt", "-column", {"-column"}, 1.1}, {"html", "-html", {"-html"}, 2.0},
        {"rtf", "-csv", {"-csv"}, 2.0},       {"doc", "-csv", {"-csv"}, 2.0},
        {"dif", "-csv", {"-csv"}, 2.0},       {"slk", "-csv", {"-csv"}, 2.0},
        {"xls", "-csv", {"-csv"}, 0},         {"xlsx", "our CSV", {}, 4.0},
    };
    std::printf("whole processes, medians of %d interleaved runs; peak = maximum resident size\n",
                repeats);
    const auto runSize = [&](qint64 size, const QList<Pair>& chosen) {
        BuildMixedBig(tables, size);
        const QString sql = sqlFile(QStringLiteral("big.sql"), "SELECT * FROM BIG\n");
        std::printf("BIG with %lld rows x 8 columns\n", static_cast<long long>(size));
        const auto ours = [&](const char* type) {
            const QString out = sandbox.filePath(QStringLiteral("ours.") + QLatin1String(type));
            return QStringList{runner,
                               QStringLiteral("--batch"),
                               QStringLiteral("--sql-file"),
                               sql,
                               QStringLiteral("--alias"),
                               QStringLiteral("BENCH"),
                               QStringLiteral("--export"),
                               QLatin1String(type),
                               QStringLiteral("--output"),
                               out};
        };
        for (const Pair& pair : chosen) {
            QStringList theirs = pair.shell.isEmpty() ? ours("csv") : QStringList{shell};
            if (!pair.shell.isEmpty())
                theirs << pair.shell << QStringLiteral("-header") << tables
                       << QStringLiteral("SELECT * FROM BIG");
            const QString theirOutput = sandbox.filePath(QStringLiteral("theirs.out"));
            Series a, b;
            for (int r = 0; r < repeats; ++r) {
                // Alternate which goes first, so neither always finds a warm cache.
                const bool oursFirst = r % 2 == 0;
                if (!oursFirst)
                    b.Add(RunProcess(theirs, theirOutput));
                DropInit(tables);
                a.Add(RunProcess(ours(pair.type), QStringLiteral("/dev/null")));
                if (oursFirst)
                    b.Add(RunProcess(theirs, theirOutput));
                DropInit(tables);
            }
            const double ratio = a.MedianSeconds() / b.MedianSeconds();
            std::printf("  %-5s %7.3f s %7.1f MiB   %-15s %7.3f s %7.1f MiB   ratio %5.2f",
                        pair.type, a.MedianSeconds(), a.MedianPeakMb(), pair.what,
                        b.MedianSeconds(), b.MedianPeakMb(), ratio);
            if (pair.target > 0)
                std::printf("  (target %.1f%s)", pair.target,
                            ratio <= pair.target ? "" : ", MISSED");
            std::printf("\n");
        }
    };
    QList<Pair> unlimited, biff;
    for (const Pair& pair : pairs) {
        if (types.isEmpty() || types.contains(QLatin1String(pair.type)))
            (QLatin1String(pair.type) == QLatin1String("xls") ? biff : unlimited) << pair;
    }
    if (!unlimited.isEmpty())
        runSize(rows, unlimited);
    if (!biff.isEmpty())
        runSize(qMin<qint64>(rows, kBiffItems), biff);
    return 0;
}
