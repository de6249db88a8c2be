// Benchmark of the temporary-table journal: a run with thousands of
// temporary destinations notes each table it makes. Each table is made on a
// connection of its own (as making an answer permanent does), so the folder's
// shared connection must read the changed schema before its next statement,
// with or without a journal. Per table, the next statement is timed alone,
// and, for every other table, the journal's note plus the next statement; the
// ratio of the two, early in the run and late, shows what the journal adds as
// the tables grow in number.
//
// Usage: temp_table_journal [tables]   (default: 4000)
#include "engine/SessionState.h"
#include "engine/TempTableJournal.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <cstdio>
#include <sqlite3.h>
#include <vector>

namespace {

// The statement that follows a made table on the folder's connection.
void NextStatement(const QString& folder)
{
    SqliteConnection& connection = FolderConnection(*Session(), folder);
    connection.StepToEnd(connection.Prepare(QStringLiteral("SELECT COUNT(*) FROM T0")).get());
}

} // namespace

int main(int argc, char** argv)
{
    QTemporaryDir sandbox;
    if (!sandbox.isValid())
        return 1;
    qputenv("TESSALY_CONFIG_DIR", sandbox.filePath(QStringLiteral("config")).toLocal8Bit());
    qputenv("TMPDIR", sandbox.path().toLocal8Bit());
    QCoreApplication app(argc, argv);
    const int tables = argc > 1 ? QByteArray(argv[1]).toInt() : 4000;
    const int window = std::min(500, tables / 2);

    const QString folder = sandbox.filePath(QStringLiteral("db"));
    QDir().mkpath(folder);
    sqlite3* db = nullptr;
    if (sqlite3_open((folder + QStringLiteral("/tables.db")).toUtf8().constData(), &db) !=
        SQLITE_OK)
        return 1;
    sqlite3_exec(db, "PRAGMA synchronous=OFF", nullptr, nullptr, nullptr);

    TTempTableJournal journal;
    std::vector<qint64> cost(static_cast<size_t>(tables));
    QElapsedTimer timer;
    for (int i = 0; i < tables; ++i) {
        const QByteArray sql = "CREATE TABLE T" + QByteArray::number(i) + " (A INTEGER, B TEXT)";
        sqlite3_exec(db, sql.constData(), nullptr, nullptr, nullptr);
        timer.start();
        if (i % 2 == 0)
            journal.Made(folder, QStringLiteral("T%1").arg(i));
        NextStatement(folder);
        cost[size_t(i)] = timer.nsecsElapsed();
    }
    journal.Close();
    sqlite3_close(db);

    // Mean in microseconds over [from, from + count) of the tables with or without a note.
    const auto mean = [&](int from, int count, bool noted) {
        qint64 sum = 0;
        int n = 0;
        for (int i = from; i < from + count; ++i)
            if ((i % 2 == 0) == noted) {
                sum += cost[size_t(i)];
                ++n;
            }
        return double(sum) / n / 1000.0;
    };
    std::printf("%d temporary tables, means over the first and the last %d\n", tables, window);
    for (const int from : {0, tables - window}) {
        const double with = mean(from, window, true);
        const double without = mean(from, window, false);
        std::printf("  %-5s next statement %9.1f us   journal note + next statement %9.1f us"
                    "   ratio %.2f\n",
                    from == 0 ? "first" : "last", without, with, with / without);
    }
    return 0;
}
