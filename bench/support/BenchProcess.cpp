#include "BenchProcess.h"

#include "BenchSupport.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

ComparedPrograms FindComparedPrograms()
{
    const ComparedPrograms programs{QDir(QCoreApplication::applicationDirPath())
                                        .filePath(QStringLiteral("../bin/tessaly-query")),
                                    QStringLiteral("/usr/bin/sqlite3")};
    for (const QString& program : {programs.runner, programs.shell}) {
        if (!QFile::exists(program)) {
            std::fprintf(stderr, "needs %s (scripts/install-deps)\n", qPrintable(program));
            std::exit(1);
        }
    }
    return programs;
}

Sample RunProcess(const QStringList& command, const QString& outputFile)
{
    std::vector<QByteArray> args;
    for (const QString& arg : command)
        args.push_back(arg.toLocal8Bit());
    std::vector<char*> argv;
    for (QByteArray& arg : args)
        argv.push_back(arg.data());
    argv.push_back(nullptr);
    const QByteArray output = outputFile.toLocal8Bit();
    timespec start, end;
    std::fflush(stdout); // the child must not write out what the parent still holds
    clock_gettime(CLOCK_MONOTONIC, &start);
    const pid_t pid = fork();
    if (pid == 0) {
        if (!freopen(output.constData(), "w", stdout) || !freopen("/dev/null", "w", stderr))
            _exit(127);
        execvp(argv[0], argv.data());
        _exit(127);
    }
    int status = 0;
    rusage usage{};
    wait4(pid, &status, 0, &usage);
    clock_gettime(CLOCK_MONOTONIC, &end);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        std::fprintf(stderr, "failed (%d): %s\n", status, qPrintable(command.join(' ')));
        std::exit(1);
    }
    const auto seconds = [](const timeval& t) {
        return double(t.tv_sec) + double(t.tv_usec) / 1e6;
    };
    return {double(end.tv_sec - start.tv_sec) + double(end.tv_nsec - start.tv_nsec) / 1e9,
            usage.ru_maxrss, seconds(usage.ru_utime) + seconds(usage.ru_stime)};
}

double Median(std::vector<double> values)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

qint64 LineCount(const QString& fileName)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        return -1;
    qint64 lines = 0;
    while (!file.atEnd()) {
        const QByteArray block = file.read(1 << 20);
        lines += block.count('\n');
    }
    return lines;
}

namespace {

sqlite3* OpenTablesFile(const QString& tablesFile)
{
    sqlite3* db = nullptr;
    if (sqlite3_open(tablesFile.toUtf8().constData(), &db) != SQLITE_OK) {
        std::fprintf(stderr, "cannot open %s\n", qPrintable(tablesFile));
        std::exit(1);
    }
    return db;
}

} // namespace

void DropInit(const QString& tablesFile)
{
    sqlite3* db = OpenTablesFile(tablesFile);
    Exec(db, "DROP TABLE IF EXISTS INIT");
    sqlite3_close(db);
}

void BuildMixedBig(const QString& tablesFile, qint64 rows)
{
    sqlite3* db = OpenTablesFile(tablesFile);
    Exec(db, "DROP TABLE IF EXISTS BIG; DROP TABLE IF EXISTS INIT;"
             "CREATE TABLE BIG (ID INTEGER, QTY SMALLINT, PRICE REAL, RATE FLOAT,"
             " NAME VARCHAR(30), NOTE TEXT, DAY DATE, PAID BOOLEAN)");
    const QByteArray fill =
        "WITH RECURSIVE N(I) AS (SELECT 1 UNION ALL SELECT I + 1 FROM N WHERE I < " +
        QByteArray::number(rows) +
        ") INSERT INTO BIG SELECT I, I % 1000 - 500, I * 0.25, (I % 97) / 7.0,"
        " 'Kunde M\xc3\xbcller-' || I, printf('Caf\xc3\xa9 cr\xc3\xa8me %d \xc3\xa0 %.3f', I % "
        "5000, I / 3.0),"
        " date('1890-01-01', '+' || (I % 60000) || ' days'), I % 3 = 0 FROM N";
    Exec(db, "BEGIN");
    Exec(db, fill.constData());
    Exec(db, "COMMIT");
    sqlite3_close(db);
}

ProcessSandbox PrepareProcessSandbox(const QTemporaryDir& sandbox)
{
    if (!sandbox.isValid())
        std::exit(1);
    const ProcessSandbox made{sandbox.filePath(QStringLiteral("config")),
                              sandbox.filePath(QStringLiteral("db"))};
    const QString tmp = sandbox.filePath(QStringLiteral("tmp"));
    for (const QString& path : {made.config, made.folder, tmp})
        QDir().mkpath(path);
    qputenv("TESSALY_CONFIG_DIR", made.config.toLocal8Bit());
    qputenv("TMPDIR", tmp.toLocal8Bit());
    WriteSandboxFile(
        sandbox, QStringLiteral("config/engine.cfg"),
        "[\\SYSTEM\\INIT\\]\nLOCAL SHARE=FALSE\n[\\DATABASES\\BENCH\\DB INFO\\]\nPATH=" +
            made.folder.toUtf8() + "\n");
    return made;
}

QString WriteSandboxFile(const QTemporaryDir& sandbox, const QString& name, const QByteArray& text)
{
    QFile file(sandbox.filePath(name));
    if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size())
        std::exit(1);
    return file.fileName();
}
