// Benchmark of the two spreadsheet exports: the last result of
// "SELECT * FROM BIG" (8 mixed columns) exported from the result grid
// through the real component, beside the CSV export of the same rows in the
// same run (the baseline). The BIFF sheet holds at most 65,535 item rows, so
// it is timed at that size; the workbook at every size, with its peak memory,
// which must stay flat as the rows grow (the target: at most 5 times the CSV
// time at 1M rows).
//
// Usage: export_sheets [rows ...]   (default: 65535 1000000)
#include "BenchGrid.h"
#include "BenchSupport.h"

#include <QApplication>
#include <QFileInfo>
#include <cstdio>

namespace {

constexpr qint64 kBiffRows = 65535;

void RunSize(const QString& folder, qint64 rows)
{
    BuildBig(folder, rows);
    std::printf("BIG with %lld rows, 8 columns (best of %d runs)\n", static_cast<long long>(rows),
                kRepeats);
    TBenchGrid bench(QStringLiteral("SELECT * FROM BIG"));
    TExportDBGrid* exporter = &bench.Exporter();
    exporter->SetOptions(NumberRows | ShowColHeaders);

    const auto run = [&](TExportType type, const char* ext) {
        Phase best;
        for (int repeat = 0; repeat < kRepeats; ++repeat) {
            exporter->SetExportType(type);
            exporter->SetExportFile(folder + QStringLiteral("/out.") + QLatin1String(ext));
            Keep(best, Measure([&] {
                     if (!exporter->DoExport())
                         std::exit(1);
                 }),
                 repeat == 0);
        }
        return best;
    };
    const Phase csv = run(xText_Comma_Delimited, "csv");
    Report("CSV export (baseline)", csv);
    if (rows <= kBiffRows) {
        const Phase xls = run(xMicrosoft_Excel, "xls");
        Report("Microsoft Excel (BIFF)", xls);
        std::printf("  ratio xls / csv: %.2f   file %lld bytes\n", xls.seconds / csv.seconds,
                    static_cast<long long>(QFileInfo(folder + QStringLiteral("/out.xls")).size()));
    }
    const Phase xlsx = run(xExcel_Workbook, "xlsx");
    Report("Microsoft Excel Workbook (xlsx)", xlsx);
    std::printf("  ratio xlsx / csv: %.2f (target at most 5)   file %lld bytes\n",
                xlsx.seconds / csv.seconds,
                static_cast<long long>(QFileInfo(folder + QStringLiteral("/out.xlsx")).size()));
}

} // namespace

int main(int argc, char** argv)
{
    return RunSizes<QApplication>(argc, argv, {kBiffRows, 1000000}, RunSize);
}
