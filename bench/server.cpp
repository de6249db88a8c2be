// Benchmark of batch mode on a server alias as whole processes, against the
// server's own client psql on the same table, over a local socket: a table
// of eight mixed columns (integers, a double, a numeric, text, a date, a
// timestamp, a boolean) of 100,000 and 1,000,000 rows:
//   output: the runner printing "SELECT * FROM big" as tab-separated text,
//           against psql -At -F TAB -c;
//   csv:    the runner exporting it as comma-delimited text, against
//           psql -c "\copy (SELECT * FROM big) TO FILE csv".
// The runner stores its last result as INIT on the server and reads it back,
// as the window does; psql only reads. The time psql takes to store the
// table alone is printed beside, as the part of the runner's time that is
// the server's. Each pair runs interleaved a few
// times; the figures are the medians of the wall-clock times and of the
// peak resident sizes of the processes, so flat memory shows as the same
// peak at both sizes.
//
// Without a server in the environment the benchmark starts itself again
// under pg_virtualenv, which makes a throw-away cluster for the run.
//
// Usage: server [--repeats N] [rows ...]   (default: 3 repeats, 100000 1000000)
#include "BenchProcess.h"
#include "BenchSupport.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cstdio>
#include <pwd.h>
#include <unistd.h>
#include <vector>

namespace {

void Psql(const QString& sql, const QString& database = QStringLiteral("postgres"))
{
    RunProcess({QStringLiteral("psql"), QStringLiteral("-X"), QStringLiteral("-q"),
                QStringLiteral("-v"), QStringLiteral("ON_ERROR_STOP=1"), QStringLiteral("-d"),
                database, QStringLiteral("-c"), sql},
               QStringLiteral("/dev/null"));
}

void Report(const char* what, const Series& ours, const Series& theirs)
{
    const double a = Median(ours.seconds), b = Median(theirs.seconds);
    std::printf("  %-7s runner %7.3f s %7.1f MiB   psql %7.3f s %7.1f MiB   ratio %.2f\n", what, a,
                Median(ours.peakMb), b, Median(theirs.peakMb), a / b);
}

// The server's socket folder, and a login role of this system user, so the
// socket's peer authentication lets both programs in.
QString PrepareSocketLogin()
{
    const QString user = QString::fromLocal8Bit(getpwuid(getuid())->pw_name);
    Psql(QStringLiteral("DO $$ BEGIN IF NOT EXISTS (SELECT FROM pg_roles WHERE rolname = '%1') "
                        "THEN CREATE ROLE \"%1\" SUPERUSER LOGIN; END IF; END $$")
             .arg(user));
    QTemporaryDir scratch;
    const QString file = scratch.filePath(QStringLiteral("socket"));
    RunProcess({QStringLiteral("psql"), QStringLiteral("-X"), QStringLiteral("-At"),
                QStringLiteral("-c"), QStringLiteral("SHOW unix_socket_directories")},
               file);
    QFile in(file);
    in.open(QIODevice::ReadOnly);
    const QString folder =
        QString::fromLocal8Bit(in.readAll()).trimmed().section(QLatin1Char(','), 0, 0);
    // From here on every connection goes through the socket as this user.
    qputenv("PGHOST", folder.toLocal8Bit());
    qputenv("PGUSER", user.toLocal8Bit());
    qunsetenv("PGPASSWORD");
    return folder;
}

void BuildBig(qint64 rows)
{
    Psql(
        QStringLiteral("DROP TABLE IF EXISTS big; DROP TABLE IF EXISTS init;"
                       "CREATE TABLE big AS SELECT g AS id, (g % 1000 - 500)::int2 AS qty,"
                       " g * 0.25::float8 AS price, (g % 97 / 7.0)::numeric(10,2) AS rate,"
                       " 'Kunde M\u00fcller-' || g AS name, DATE '1990-01-01' + (g % 20000) AS day,"
                       " TIMESTAMP '2024-01-01' + g * INTERVAL '1 second' AS at, g % 3 = 0 AS paid"
                       " FROM generate_series(1, %1) g")
            .arg(rows),
        QStringLiteral("bench"));
    Psql(QStringLiteral("VACUUM ANALYZE big"), QStringLiteral("bench"));
}

int Run(int argc, char** argv)
{
    int repeats = 3;
    QStringList sizes;
    for (int i = 1; i < argc; ++i) {
        if (QByteArray(argv[i]) == "--repeats" && i + 1 < argc)
            repeats = std::max(1, atoi(argv[++i]));
        else
            sizes << QString::fromLocal8Bit(argv[i]);
    }
    if (sizes.isEmpty())
        sizes = {QStringLiteral("100000"), QStringLiteral("1000000")};

    QTemporaryDir sandbox;
    UseSandbox(sandbox.path());
    QCoreApplication app(argc, argv);
    const QString runner =
        QCoreApplication::applicationDirPath() + QStringLiteral("/../bin/tessaly-query");
    Psql(QStringLiteral("DROP DATABASE IF EXISTS bench"));
    Psql(QStringLiteral("CREATE DATABASE bench"));
    const QString socket = PrepareSocketLogin();
    QFile config(sandbox.path() + QStringLiteral("/config/engine.cfg"));
    config.open(QIODevice::WriteOnly);
    config.write(QStringLiteral("[\\SYSTEM\\INIT\\]\nLOCAL SHARE=FALSE\n"
                                "[\\DATABASES\\BENCH\\DB INFO\\]\nTYPE=POSTGRESQL\n"
                                "SERVER NAME=host=%1 dbname=bench\n")
                     .arg(socket)
                     .toUtf8());
    config.close();
    const QString script = sandbox.filePath(QStringLiteral("select.sql"));
    QFile sql(script);
    sql.open(QIODevice::WriteOnly);
    sql.write("SELECT * FROM big\n");
    sql.close();
    const QString out = sandbox.filePath(QStringLiteral("out"));
    const QString csv = sandbox.filePath(QStringLiteral("out.csv"));
    const QString theirOut = sandbox.filePath(QStringLiteral("psql.out"));
    const QString theirCsv = sandbox.filePath(QStringLiteral("psql.csv"));

    std::printf("server benchmark over the socket in %s, medians of %d runs\n", qPrintable(socket),
                repeats);
    for (const QString& rows : sizes) {
        BuildBig(rows.toLongLong());
        std::printf("%s rows x 8 columns\n", qPrintable(rows));
        Series ours, theirs, oursCsv, theirsCsv, store;
        for (int i = 0; i < repeats; ++i) {
            ours.Add(RunProcess({runner, QStringLiteral("--batch"), QStringLiteral("--alias"),
                                 QStringLiteral("BENCH"), QStringLiteral("--sql-file"), script},
                                out));
            theirs.Add(
                RunProcess({QStringLiteral("psql"), QStringLiteral("-X"), QStringLiteral("-At"),
                            QStringLiteral("-F"), QStringLiteral("\t"), QStringLiteral("-d"),
                            QStringLiteral("bench"), QStringLiteral("-c"),
                            QStringLiteral("SELECT * FROM big")},
                           theirOut));
            oursCsv.Add(RunProcess(
                {runner, QStringLiteral("--batch"), QStringLiteral("--alias"),
                 QStringLiteral("BENCH"), QStringLiteral("--sql-file"), script,
                 QStringLiteral("--export"), QStringLiteral("csv"), QStringLiteral("--output"), csv,
                 QStringLiteral("--no-number-rows"), QStringLiteral("--no-timestamp")},
                theirOut));
            theirsCsv.Add(
                RunProcess({QStringLiteral("psql"), QStringLiteral("-X"), QStringLiteral("-d"),
                            QStringLiteral("bench"), QStringLiteral("-c"),
                            QStringLiteral("\\copy (SELECT * FROM big) TO '%1' csv").arg(theirCsv)},
                           theirOut));
            store.Add(
                RunProcess({QStringLiteral("psql"), QStringLiteral("-X"), QStringLiteral("-q"),
                            QStringLiteral("-d"), QStringLiteral("bench"), QStringLiteral("-c"),
                            QStringLiteral("CREATE TABLE stored AS SELECT * FROM big"),
                            QStringLiteral("-c"), QStringLiteral("DROP TABLE stored")},
                           theirOut));
        }
        // The runner's last outputs hold every row once, under a line of captions.
        if (LineCount(out) != rows.toLongLong() + 1 || LineCount(csv) != rows.toLongLong() + 1) {
            std::fprintf(stderr, "the runner's output lacks rows\n");
            return 1;
        }
        Report("output", ours, theirs);
        Report("csv", oursCsv, theirsCsv);
        // What storing INIT costs the server alone, before any row is read back.
        std::printf("  store   psql CREATE TABLE AS and DROP %7.3f s\n", Median(store.seconds));
    }
    Psql(QStringLiteral("DROP DATABASE bench WITH (FORCE)"));
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    if (!qEnvironmentVariableIsSet("PGPORT")) {
        // -t: a cluster in a folder of its own, so runs side by side do not collide.
        std::vector<char*> args{const_cast<char*>("pg_virtualenv"), const_cast<char*>("-t")};
        for (int i = 0; i < argc; ++i)
            args.push_back(argv[i]);
        args.push_back(nullptr);
        execvp("pg_virtualenv", args.data());
        std::fprintf(stderr,
                     "server: no server in the environment and no pg_virtualenv to make one\n");
        return 1;
    }
    return Run(argc, argv);
}
