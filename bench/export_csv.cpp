// Benchmark of the CSV export: the last result of "SELECT * FROM BIG" (8
// mixed columns) exported through the real component, pipeline and writer
// from the result grid, beside `sqlite3 -csv -header` writing the same rows
// in the same run, at two table sizes, with the peak memory of the export.
//
// Usage: export_csv [rows ...]   (default: 100000 1000000)
#include "BenchGrid.h"
#include "BenchSupport.h"

#include <QApplication>
#include <QFileInfo>
#include <QProcess>
#include <cstdio>

namespace {

void RunSize(const QString& folder, qint64 rows)
{
    BuildBig(folder, rows);
    std::printf("BIG with %lld rows, 8 columns (best of %d runs)\n", static_cast<long long>(rows),
                kRepeats);
    TBenchGrid bench(QStringLiteral("SELECT * FROM BIG"));
    TExportDBGrid* exporter = &bench.Exporter();
    exporter->SetOptions(NumberRows | ShowColHeaders);
    exporter->SetExportType(xText_Comma_Delimited);

    const QString ours = folder + QStringLiteral("/ours.csv");
    const QString theirs = folder + QStringLiteral("/sqlite.csv");
    Phase exported, baseline;
    for (int repeat = 0; repeat < kRepeats; ++repeat) {
        const bool first = repeat == 0;
        exporter->SetExportFile(ours);
        Keep(exported, Measure([&] {
                 if (!exporter->DoExport())
                     std::exit(1);
             }),
             first);
        Keep(baseline, Measure([&] {
                 QProcess sqlite;
                 sqlite.setStandardOutputFile(theirs);
                 sqlite.start(QStringLiteral("sqlite3"),
                              {QStringLiteral("-csv"), QStringLiteral("-header"),
                               folder + QStringLiteral("/tables.db"),
                               QStringLiteral("SELECT * FROM BIG")});
                 if (!sqlite.waitForFinished(-1) || sqlite.exitCode() != 0)
                     std::exit(1);
             }),
             first);
    }
    Report("export (CSV through ExportGrid)", exported);
    Report("sqlite3 -csv -header (own process)", baseline);
    std::printf("  ratio export / sqlite3: %.2f   file sizes %lld / %lld bytes\n",
                exported.seconds / baseline.seconds, static_cast<long long>(QFileInfo(ours).size()),
                static_cast<long long>(QFileInfo(theirs).size()));
}

} // namespace

int main(int argc, char** argv)
{
    return RunSizes<QApplication>(argc, argv, {100000, 1000000}, RunSize);
}
