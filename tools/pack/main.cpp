// tessaly-pack: writes a query package as a package file (.tqp) for the
// installed runner, or onto a copy of the runner; shows the package that a
// package file or a packaged program carries.
#include "package/PackageFile.h"
#include "package/QueryPackage.h"
#include "platform/core/Exceptions.h"
#include "platform/core/Windows1252.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>
#include <QSaveFile>
#include <QStringList>
#include <cstdio>
#include <sys/stat.h>

namespace {

const char kUsage[] = R"(Usage:
  tessaly-pack --output FILE.tqp --sql-file SQL [PACKAGE OPTIONS]
  tessaly-pack --runner RUNNER --output FILE --sql-file SQL [PACKAGE OPTIONS]
  tessaly-pack --show FILE
  tessaly-pack --help
  tessaly-pack --version
PACKAGE OPTIONS: [--title TEXT] [--description-file FILE] [--alias NAME]
                 [--password TEXT | --password-file FILE]
                 [--editable] [--show-results] [--replace]

Writes a query package. The name of --output decides its form:
- FILE.tqp (any letter case), without --runner: a package file, the way to
  send a query. The installed runner opens it: tessaly-query FILE.tqp, or a
  double-click in the file manager.
- any other name, with --runner: a copy of RUNNER with the package appended,
  one file that is also the program. It starts only on a machine where
  Tessaly Query is installed, as the runner needs its libraries.
  --runner RUNNER          the runner program to copy (the installed one is
                           /usr/bin/tessaly-query); not for a package file
  --output FILE            the package file or packaged program; written under
                           a temporary name and renamed into place; a packaged
                           program is marked executable
  --sql-file SQL           the SQL script
  --title TEXT             the window caption
  --description-file FILE  the text of the description page
  --alias NAME             the database alias, or a configuration entry such
                           as <Standard>
  --password TEXT          the password the user must type to open FILE
  --password-file FILE     the same, taken from the first line of FILE
  --editable               the user may edit the SQL
  --show-results           switch to the results page after a successful run
  --replace                RUNNER may already carry a package, which is left
                           out of the copy; also needed when FILE is RUNNER.
                           An existing FILE is replaced with or without it
Text files are read as UTF-8, or as Windows-1252 when they are not valid UTF-8.
The lines of the script and of the description may end in LF, CR LF or CR; they
are joined with CR LF, and a line end at the very end of the file is dropped.

--show FILE prints the package of a package file or a packaged program, one
field a line as "name: value", in this order:
  title, description, alias, editable, show-results, has-password, script
editable, show-results and has-password are "yes" or "no"; the password itself
is never printed. A value of several lines goes on over the following lines,
each indented by two blanks.

Exit status: 0 done; 1 FILE carries no package (--show); 2 usage error, a file
that cannot be read or written, or a damaged package.
)";

// The options of packing: those that take a value, then the switches.
const QStringList kPackValues = {"runner",           "output", "sql-file", "title",
                                 "description-file", "alias",  "password", "password-file"};
const QStringList kPackSwitches = {"editable", "show-results", "replace"};

// A mistake in the command line: reported with a pointer to --help.
class EUsage : public Exception
{
public:
    using Exception::Exception;
};

void Print(FILE* stream, const QString& text)
{
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stream);
}

// The lines of a text with any of LF, CR LF or CR as line ends.
QStringList SplitLines(QString text)
{
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return text.split(QLatin1Char('\n'));
}

// The lines of a text file; a final line end closes the last line rather than
// opening an empty one.
QStringList FileLines(const QString& text)
{
    QStringList lines = SplitLines(text);
    if (lines.size() > 1 && lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

QString ReadTextFile(const QString& path, const QString& what)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw Exception(
            QStringLiteral("cannot read the %1 %2: %3").arg(what, path, file.errorString()));
    QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw Exception(
            QStringLiteral("cannot read the %1 %2: %3").arg(what, path, file.errorString()));
    // A byte-order mark would otherwise become part of the first line.
    if (bytes.startsWith("\xEF\xBB\xBF"))
        bytes.remove(0, 3);
    return DecodeUtf8OrWindows1252(bytes);
}

QString CrLfText(const QString& path, const QString& what)
{
    return FileLines(ReadTextFile(path, what)).join(QStringLiteral("\r\n"));
}

// Whether both paths name the same file, also through links.
bool SameFile(const QString& a, const QString& b)
{
    struct stat sa, sb;
    return stat(QFile::encodeName(a).constData(), &sa) == 0 &&
           stat(QFile::encodeName(b).constData(), &sb) == 0 && sa.st_dev == sb.st_dev &&
           sa.st_ino == sb.st_ino;
}

// The runner's permissions, executable wherever the file may be read.
QFileDevice::Permissions ExecutablePermissions(const QFile& runner)
{
    const QFileDevice::Permissions mode = runner.permissions();
    QFileDevice::Permissions result =
        mode & (QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner |
                QFileDevice::ReadGroup | QFileDevice::WriteGroup | QFileDevice::ExeGroup |
                QFileDevice::ReadOther | QFileDevice::WriteOther | QFileDevice::ExeOther);
    result |= QFileDevice::ExeOwner;
    if (mode & QFileDevice::ReadGroup)
        result |= QFileDevice::ExeGroup;
    if (mode & QFileDevice::ReadOther)
        result |= QFileDevice::ExeOther;
    return result;
}

void CopyImage(QFile& runner, qint64 size, QSaveFile& out)
{
    constexpr qint64 kChunk = 1 << 20;
    if (!runner.seek(0))
        throw Exception(QStringLiteral("cannot read the runner %1: %2")
                            .arg(runner.fileName(), runner.errorString()));
    for (qint64 left = size; left > 0;) {
        const QByteArray chunk = runner.read(qMin(left, kChunk));
        if (chunk.isEmpty())
            throw Exception(QStringLiteral("cannot read the runner %1: %2")
                                .arg(runner.fileName(), runner.errorString()));
        if (out.write(chunk) != chunk.size())
            throw Exception(
                QStringLiteral("cannot write %1: %2").arg(out.fileName(), out.errorString()));
        left -= chunk.size();
    }
}

QueryPackage PackageFromOptions(const QCommandLineParser& args)
{
    QueryPackage p;
    p.sql = CrLfText(args.value("sql-file"), QStringLiteral("SQL file"));
    p.title = args.value("title");
    if (args.isSet("description-file"))
        p.description =
            CrLfText(args.value("description-file"), QStringLiteral("description file"));
    p.alias = args.value("alias");
    p.sqlEditable = args.isSet("editable");
    p.showResults = args.isSet("show-results");
    if (args.isSet("password")) {
        p.hasPassword = true;
        p.password = args.value("password");
    } else if (args.isSet("password-file")) {
        p.hasPassword = true;
        p.password =
            SplitLines(ReadTextFile(args.value("password-file"), QStringLiteral("password file")))
                .first();
    }
    return p;
}

// The package on its own, behind its signature; nothing in it is executable.
void WritePackageFile(const QueryPackage& package, const QString& outputPath)
{
    QByteArray bytes;
    try {
        bytes = EncodePackageFile(package);
    } catch (const Exception& e) {
        throw Exception(QStringLiteral("cannot write %1: %2").arg(outputPath, e.Message()));
    }
    // The file appears whole under its name or not at all.
    QSaveFile out(outputPath);
    if (!out.open(QIODevice::WriteOnly) || out.write(bytes) != bytes.size() || !out.commit())
        throw Exception(QStringLiteral("cannot write %1: %2").arg(outputPath, out.errorString()));
}

// A copy of the runner's program image with the package appended.
void WritePackagedProgram(const QueryPackage& package, const QString& runnerPath,
                          const QString& outputPath, bool replace)
{
    QFile runner(runnerPath);
    if (!runner.open(QIODevice::ReadOnly))
        throw Exception(
            QStringLiteral("cannot read the runner %1: %2").arg(runnerPath, runner.errorString()));
    if (IsPackageFile(runnerPath))
        throw Exception(
            QStringLiteral("the runner %1 is a package file, not a program").arg(runnerPath));
    if (SameFile(runnerPath, outputPath) && !replace)
        throw Exception(QStringLiteral("--output names the runner itself; add --replace to rewrite "
                                       "the runner in place"));
    qint64 image = 0;
    try {
        image = ProgramImageSize(runner);
    } catch (const EPackageDamaged& damaged) {
        throw Exception(QStringLiteral("the query package of the runner %1 is damaged: %2")
                            .arg(runnerPath, damaged.Message()));
    }
    if (image < runner.size() && !replace)
        throw Exception(QStringLiteral("the runner %1 already carries a query package; add "
                                       "--replace to replace it")
                            .arg(runnerPath));
    QByteArray bytes;
    try {
        bytes = EncodeQueryPackage(package, image);
    } catch (const Exception& e) {
        throw Exception(
            QStringLiteral("cannot pack onto the runner %1: %2").arg(runnerPath, e.Message()));
    }

    // The runner is only read; the output appears whole under its name or not at all.
    QSaveFile out(outputPath);
    if (!out.open(QIODevice::WriteOnly))
        throw Exception(QStringLiteral("cannot write %1: %2").arg(outputPath, out.errorString()));
    CopyImage(runner, image, out);
    if (out.write(bytes) != bytes.size() || !out.setPermissions(ExecutablePermissions(runner)) ||
        !out.commit())
        throw Exception(QStringLiteral("cannot write %1: %2").arg(outputPath, out.errorString()));
}

int Pack(const QCommandLineParser& args)
{
    for (const char* required : {"output", "sql-file"}) {
        if (!args.isSet(required))
            throw EUsage(QStringLiteral("--%1 is required").arg(QLatin1String(required)));
    }
    if (args.isSet("password") && args.isSet("password-file"))
        throw EUsage(QStringLiteral("--password and --password-file exclude each other"));
    const QString outputPath = args.value("output");
    const bool packageFile = IsPackageFileName(outputPath);
    if (packageFile && args.isSet("runner"))
        throw EUsage(QStringLiteral("--output %1 names a package file, which takes no --runner; "
                                    "give a packaged program a name without .tqp")
                         .arg(outputPath));
    if (!packageFile && !args.isSet("runner"))
        throw EUsage(QStringLiteral("--runner is required unless --output names a package file "
                                    "(FILE.tqp)"));
    const QueryPackage package = PackageFromOptions(args);
    if (packageFile) {
        WritePackageFile(package, outputPath);
        return 0;
    }
    WritePackagedProgram(package, args.value("runner"), outputPath, args.isSet("replace"));
    // A copied runner cannot start where its libraries are missing, and the
    // loader's message is all such a user would see.
    Print(stderr, QStringLiteral("tessaly-pack: note: %1 starts only where Tessaly Query is "
                                 "installed; to send a query, write a package file instead "
                                 "(--output NAME.tqp, without --runner)\n")
                      .arg(outputPath));
    return 0;
}

// "name: value", the value's further lines indented by two blanks.
QString Field(const QString& name, const QString& value)
{
    const QStringList lines = SplitLines(value);
    QString text = name + QLatin1Char(':');
    if (!lines.first().isEmpty())
        text += QLatin1Char(' ') + lines.first();
    text += QLatin1Char('\n');
    for (qsizetype i = 1; i < lines.size(); ++i)
        text += QStringLiteral("  ") + lines.at(i) + QLatin1Char('\n');
    return text;
}

QString YesNo(bool value)
{
    return value ? QStringLiteral("yes") : QStringLiteral("no");
}

int Show(const QString& path)
{
    std::optional<QueryPackage> p;
    try {
        p = IsPackageFile(path) ? ReadPackageFile(path) : ReadQueryPackage(path);
    } catch (const EPackageDamaged& damaged) {
        throw Exception(
            QStringLiteral("the query package of %1 is damaged: %2").arg(path, damaged.Message()));
    }
    if (!p) {
        Print(stderr, QStringLiteral("tessaly-pack: %1 carries no query package\n").arg(path));
        return 1;
    }
    Print(stdout, Field("title", p->title) + Field("description", p->description) +
                      Field("alias", p->alias) + Field("editable", YesNo(p->sqlEditable)) +
                      Field("show-results", YesNo(p->showResults)) +
                      Field("has-password", YesNo(p->hasPassword)) + Field("script", p->sql));
    return 0;
}

int Run(const QStringList& arguments)
{
    QCommandLineParser args;
    args.addOption({{"h", "help"}, "usage"});
    args.addOption({"version", "version"});
    args.addOption({"show", "show", "FILE"});
    for (const QString& name : kPackValues)
        args.addOption({name, name, "VALUE"});
    for (const QString& name : kPackSwitches)
        args.addOption(QCommandLineOption(name));
    if (!args.parse(arguments))
        throw EUsage(args.errorText());
    if (!args.positionalArguments().isEmpty())
        throw EUsage(
            QStringLiteral("unexpected argument %1").arg(args.positionalArguments().first()));
    for (const QString& name : args.optionNames()) {
        if (args.optionNames().count(name) > 1)
            throw EUsage(QStringLiteral("--%1 is given more than once").arg(name));
    }
    if (args.isSet("help")) {
        Print(stdout, QString::fromUtf8(kUsage));
        return 0;
    }
    if (args.isSet("version")) {
        Print(stdout, QStringLiteral("tessaly-pack " TESSALY_VERSION "\n"));
        return 0;
    }
    if (!args.isSet("show"))
        return Pack(args);
    for (const QString& name : kPackValues + kPackSwitches) {
        if (args.isSet(name))
            throw EUsage(QStringLiteral("--show takes no other option (--%1)").arg(name));
    }
    return Show(args.value("show"));
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    try {
        return Run(QCoreApplication::arguments());
    } catch (const EUsage& e) {
        Print(stderr,
              QStringLiteral("tessaly-pack: %1\nTry 'tessaly-pack --help'.\n").arg(e.Message()));
    } catch (const Exception& e) {
        Print(stderr, QStringLiteral("tessaly-pack: %1\n").arg(e.Message()));
    }
    return 2;
}
