// Benchmark of the window's export path against batch mode and the sqlite3
// shell. The window's path is the export component of the result grid with
// the window's own settings (item numbers, captions, time stamp, progress
// dialog, clipboard message), driven through its Execute as the user drives
// it (the choice dialog and the save dialog answered at once), offscreen;
// the time runs from confirming the choice to the file in place, or for the
// clipboard to the confirmation. Beside it, in the same run and interleaved:
//   batch: the runner exporting the same rows as a whole process (its run of
//          the statement included, as the window's user had run it before);
//   shell: sqlite3 -csv -header on the same tables.db.
// Then the clipboard copy of 20,000 rows of seven columns from the window.
// Targets: the window's CSV export at most 1.2 times the batch export;
// the clipboard copy under 0.2 s.
//
// Usage: window_export [--repeats N] [rows]   (default: 3 repeats, 1000000 rows)
#include "BenchGrid.h"
#include "BenchProcess.h"
#include "BenchSupport.h"
#include "support/ScriptedInteraction.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDialog>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QPushButton>
#include <QRadioButton>
#include <cstdio>

namespace {

constexpr qint64 kClipboardRows = 20000;

// What the window's ExportGrid is set to.
constexpr TExportOptions kWindowOptions =
    NumberRows | ShowColHeaders | ShowClipboardMsg | ShowProgress | TimeStamp;

// The user picks the type (and a file) in the choice dialog and names the
// file; the clock starts as the choice is confirmed.
void AnswerChoice(ScriptedInteraction& ui, TExportType type, const QString& file,
                  QElapsedTimer& confirmed)
{
    ui.AnswerForm([type, &confirmed](QDialog& dialog) {
        auto* combo = dialog.findChild<QComboBox*>(QStringLiteral("ExportTypeComboBox"));
        combo->setCurrentIndex(combo->findText(ExportTypeName(type)));
        if (type != xClipboard)
            dialog.findChild<QRadioButton*>(QStringLiteral("FileRadioButton"))->click();
        confirmed.start();
        dialog.findChild<QPushButton*>(QStringLiteral("OKBtn"))->click();
        return dialog.result();
    });
    if (type != xClipboard)
        ui.AnswerSaveFile(file);
}

// From confirming the choice to the end of Execute: the file in place, or the
// clipboard filled and its message shown.
Phase WindowExport(ScriptedInteraction& ui, TExportDBGrid& exporter, TExportType type,
                   const QString& file)
{
    QElapsedTimer confirmed;
    AnswerChoice(ui, type, file, confirmed);
    Phase phase = Measure([&] {
        if (!exporter.Execute())
            std::exit(1);
    });
    phase.seconds = double(confirmed.nsecsElapsed()) / 1e9;
    return phase;
}

void PrintPhase(const char* what, const std::vector<Phase>& phases)
{
    std::vector<double> seconds, growth;
    for (const Phase& phase : phases) {
        seconds.push_back(phase.seconds);
        growth.push_back(double(phase.peakKb - phase.startKb) / 1024.0);
    }
    std::printf("  %-40s %7.3f s   peak growth %7.1f MiB\n", what, Median(seconds), Median(growth));
}

double MedianSeconds(const std::vector<Phase>& phases)
{
    std::vector<double> seconds;
    for (const Phase& phase : phases)
        seconds.push_back(phase.seconds);
    return Median(seconds);
}

} // namespace

int main(int argc, char** argv)
{
    int repeats = 3;
    qint64 rows = 1000000;
    for (int i = 1; i < argc; ++i) {
        if (QByteArray(argv[i]) == "--repeats" && i + 1 < argc)
            repeats = QByteArray(argv[++i]).toInt();
        else
            rows = QByteArray(argv[i]).toLongLong();
    }
    // The benchmark answers the window's dialogs itself.
    auto* ui = new ScriptedInteraction;
    SetUi(std::unique_ptr<Interaction>(ui));
    return RunInSandbox<QApplication>(argc, argv, [&](const QString& folder) {
        const auto [runner, shell] = FindComparedPrograms();
        // The runner process finds the same database under the alias BENCH.
        QFile cfg(qEnvironmentVariable("TESSALY_CONFIG_DIR") + QStringLiteral("/engine.cfg"));
        if (!cfg.open(QIODevice::WriteOnly))
            std::exit(1);
        cfg.write("[\\SYSTEM\\INIT\\]\nLOCAL SHARE=FALSE\n[\\DATABASES\\BENCH\\DB INFO\\]\nPATH=" +
                  folder.toUtf8() + "\n");
        cfg.close();
        const QString tables = folder + QStringLiteral("/tables.db");
        BuildMixedBig(tables, qMax(rows, kClipboardRows));
        const QString sqlFile = folder + QStringLiteral("/../big.sql");
        QFile sql(sqlFile);
        if (!sql.open(QIODevice::WriteOnly) || sql.write("SELECT * FROM BIG\n") < 0)
            std::exit(1);
        sql.close();
        const QString limit = QStringLiteral(" WHERE ID <= %1");
        const QString all = QStringLiteral("SELECT * FROM BIG") + limit.arg(rows);
        const QString windowFile = folder + QStringLiteral("/../window.csv");
        const QString batchFile = folder + QStringLiteral("/../batch.csv");
        const QStringList batch = {runner,
                                   QStringLiteral("--batch"),
                                   QStringLiteral("--sql-file"),
                                   sqlFile,
                                   QStringLiteral("--alias"),
                                   QStringLiteral("BENCH"),
                                   QStringLiteral("--export"),
                                   QStringLiteral("csv"),
                                   QStringLiteral("--output"),
                                   batchFile};
        const QStringList sqlite = {shell, QStringLiteral("-csv"), QStringLiteral("-header"),
                                    tables, QStringLiteral("SELECT * FROM BIG")};

        std::printf("CSV: BIG with %lld rows x 8 columns, medians of %d interleaved runs\n",
                    static_cast<long long>(rows), repeats);
        std::vector<Phase> window;
        Series batchRuns, shellRuns;
        {
            TBenchGrid bench(all);
            TExportDBGrid& exporter = bench.Exporter();
            exporter.SetOptions(kWindowOptions);
            for (int r = 0; r < repeats; ++r) {
                window.push_back(WindowExport(*ui, exporter, xText_Comma_Delimited, windowFile));
                DropInit(tables);
                batchRuns.Add(RunProcess(batch, QStringLiteral("/dev/null")));
                shellRuns.Add(RunProcess(sqlite, folder + QStringLiteral("/../shell.csv")));
            }
        }
        const qint64 windowLines = LineCount(windowFile), batchLines = LineCount(batchFile);
        PrintPhase("window: Export, CSV, Export to File", window);
        std::printf("  %-40s %7.3f s   peak %7.1f MiB (whole process)\n",
                    "batch: --export csv (statement run too)", batchRuns.MedianSeconds(),
                    batchRuns.MedianPeakMb());
        std::printf("  %-40s %7.3f s   peak %7.1f MiB (whole process)\n", "sqlite3 -csv -header",
                    shellRuns.MedianSeconds(), shellRuns.MedianPeakMb());
        const double ratio = MedianSeconds(window) / batchRuns.MedianSeconds();
        std::printf("  ratio window / batch %.2f (target 1.2%s), window / sqlite3 %.2f;"
                    " lines: window %lld, batch %lld\n",
                    ratio, ratio <= 1.2 ? "" : ", MISSED",
                    MedianSeconds(window) / shellRuns.MedianSeconds(),
                    static_cast<long long>(windowLines), static_cast<long long>(batchLines));

        std::printf("clipboard: BIG, %lld rows x 7 columns from the window\n",
                    static_cast<long long>(kClipboardRows));
        std::vector<Phase> clipboard, direct;
        {
            TBenchGrid bench(
                QStringLiteral("SELECT ID, QTY, PRICE, RATE, NAME, NOTE, DAY FROM BIG") +
                limit.arg(kClipboardRows));
            TExportDBGrid& exporter = bench.Exporter();
            exporter.SetOptions(kWindowOptions);
            for (int r = 0; r < repeats; ++r) {
                clipboard.push_back(WindowExport(*ui, exporter, xClipboard, QString()));
                exporter.SetExportType(xClipboard);
                direct.push_back(Measure([&] {
                    if (!exporter.DoExport())
                        std::exit(1);
                }));
            }
        }
        PrintPhase("window: Export, Clipboard (to the message)", clipboard);
        PrintPhase("of which the export (DoExport alone)", direct);
        const double copy = MedianSeconds(clipboard);
        std::printf("  %lld characters on the clipboard; target under 0.2 s%s\n",
                    static_cast<long long>(QGuiApplication::clipboard()->text().size()),
                    copy < 0.2 ? "" : ", MISSED");
        if (windowLines != batchLines)
            std::exit(1);
    });
}
