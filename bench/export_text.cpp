// Benchmark of the text and clipboard writers: the fixed-width text export of
// "SELECT * FROM BIG" beside the CSV export of the same rows in the same run
// (default 1,000,000 rows), and the clipboard copy of 20,000 rows of seven
// columns beside the CSV file of the same rows; each with its peak memory.
// The clipboard target is well under half a second.
//
// Usage: export_text [text-rows [clipboard-rows]]
#include "BenchGrid.h"
#include "BenchSupport.h"

#include <QApplication>
#include <QClipboard>
#include <QFileInfo>
#include <cstdio>

namespace {

// Exports the query's rows as the type, and as CSV, best of a few runs each.
void Compare(const QString& folder, const QString& sql, TExportOptions detailed, TExportType type,
             const char* what)
{
    TBenchGrid bench(sql);
    TExportDBGrid* exporter = &bench.Exporter();

    const QString ours = folder + QStringLiteral("/ours.out");
    const QString csv = folder + QStringLiteral("/same.csv");
    const auto run = [&](TExportType runType, const QString& file, TExportOptions extra) {
        exporter->SetOptions(NumberRows | ShowColHeaders | extra);
        exporter->SetExportType(runType);
        exporter->SetExportFile(file);
        if (!exporter->DoExport())
            std::exit(1);
    };
    Phase exported, baseline;
    for (int repeat = 0; repeat < kRepeats; ++repeat) {
        Keep(exported, Measure([&] { run(type, ours, detailed); }), repeat == 0);
        Keep(baseline, Measure([&] { run(xText_Comma_Delimited, csv, {}); }), repeat == 0);
    }
    Report(what, exported);
    Report("CSV file of the same rows", baseline);
    const qint64 size =
        type == xClipboard ? QGuiApplication::clipboard()->text().size() : QFileInfo(ours).size();
    std::printf("  ratio / CSV: %.2f   output %lld, CSV %lld\n",
                exported.seconds / baseline.seconds, static_cast<long long>(size),
                static_cast<long long>(QFileInfo(csv).size()));
}

} // namespace

int main(int argc, char** argv)
{
    const qint64 textRows = argc > 1 ? QByteArray(argv[1]).toLongLong() : 1000000;
    const qint64 clipboardRows = argc > 2 ? QByteArray(argv[2]).toLongLong() : 20000;
    return RunInSandbox<QApplication>(argc, argv, [&](const QString& folder) {
        BuildBig(folder, qMax(textRows, clipboardRows));
        const QString limit = QStringLiteral(" WHERE ID <= %1");
        std::printf("clipboard: BIG, %lld rows, 7 columns (best of %d runs)\n",
                    static_cast<long long>(clipboardRows), kRepeats);
        const QString seven =
            QStringLiteral("SELECT ID, QTY, PRICE, RATE, NAME, NOTE, DAY FROM BIG");
        Compare(folder, seven + limit.arg(clipboardRows), {}, xClipboard, "clipboard copy");
        Compare(folder, seven + limit.arg(clipboardRows), DetailedMode, xClipboard,
                "detailed clipboard copy");
        std::printf("text: BIG, %lld rows, 8 columns (best of %d runs)\n",
                    static_cast<long long>(textRows), kRepeats);
        Compare(folder, QStringLiteral("SELECT * FROM BIG") + limit.arg(textRows), {}, xText,
                "fixed-width text file");
    });
}
