#include "app/CommandLine.h"

#include <QCommandLineParser>

namespace {

const char* const kBatchValueOptions[] = {"sql-file", "alias", "save", "password-file"};

void AddRunnerOptions(QCommandLineParser& parser)
{
    // "-name" is the option "name", as the usage writes no short options.
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.addOption(QCommandLineOption(QStringList{QStringLiteral("h"), QStringLiteral("help")}));
    parser.addOption(QCommandLineOption(QStringLiteral("version")));
    parser.addOption(QCommandLineOption(QStringLiteral("batch")));
    for (const char* name : kBatchValueOptions)
        parser.addOption(
            QCommandLineOption(QLatin1String(name), QString(), QStringLiteral("value")));
    parser.addOption(QCommandLineOption(QStringLiteral("overwrite")));
    AddExportOptions(parser);
}

// The parser's failure in the runner's words: the argument as it was given.
QString ParseError(const QCommandLineParser& parser, const QStringList& arguments)
{
    const QStringList unknown = parser.unknownOptionNames();
    if (!unknown.isEmpty()) {
        for (const QString& argument : arguments) {
            QString name = argument.section(QLatin1Char('='), 0, 0);
            while (name.startsWith(QLatin1Char('-')))
                name.remove(0, 1);
            if (argument.startsWith(QLatin1Char('-')) && name == unknown.first())
                return QStringLiteral("unknown argument: ") + argument;
        }
        return QStringLiteral("unknown argument: ") + unknown.first();
    }
    // The only other failure: the last argument is an option that wants a value.
    if (!arguments.isEmpty() && arguments.last().startsWith(QLatin1Char('-')) &&
        !arguments.last().contains(QLatin1Char('=')))
        return arguments.last() + QStringLiteral(" needs a value");
    return parser.errorText();
}

// The arguments that are no option: one script file for the window, none in batch mode.
bool TakePositionalArguments(const QStringList& positional, TRunnerCommand& command, QString& error)
{
    if (positional.isEmpty())
        return true;
    if (positional.size() > 1) {
        if (command.mode == TRunnerCommand::rmBatch)
            error = QStringLiteral("unknown argument: ") + positional.at(1);
        return false;
    }
    // A package file, or a script: start-up tells the two apart.
    if (command.mode == TRunnerCommand::rmBatch)
        command.batch.file = positional.first();
    else
        command.file = positional.first();
    return true;
}

void ReadBatchOptions(const QCommandLineParser& parser, TBatchOptions& options)
{
    options.sqlFile = parser.value(QStringLiteral("sql-file"));
    options.aliasGiven = parser.isSet(QStringLiteral("alias"));
    options.alias = parser.value(QStringLiteral("alias"));
    options.saveGiven = parser.isSet(QStringLiteral("save"));
    options.saveTable = parser.value(QStringLiteral("save"));
    options.passwordFile = parser.value(QStringLiteral("password-file"));
    options.overwrite = parser.isSet(QStringLiteral("overwrite"));
}

// Whether an option of batch mode was given; the window takes none.
bool AnyBatchOption(const QCommandLineParser& parser)
{
    for (const QString& name : parser.optionNames()) {
        if (name != QLatin1String("batch"))
            return true;
    }
    return false;
}

} // namespace

// The usage keeps its printed line breaks.
// clang-format off
QString RunnerUsage()
{
    return QStringLiteral(
               "Usage: tessaly-query [FILE.tqp | FILE.sql]\n"
               "       tessaly-query --batch [FILE.tqp] [--sql-file FILE] [--alias NAME] [--save TABLE]\n"
               "                     [--overwrite] [--password-file FILE]\n") +
           BatchExportUsage() +
           QStringLiteral(
               "       tessaly-query --version\n"
               "\n"
               "Without --batch the window opens. FILE.tqp is a query package file (tessaly-pack writes\n"
               "one); it is run in place of a package attached to this program. A FILE.sql argument puts\n"
               "that script in the editor.\n"
               "With --batch the query runs without a display: messages go to standard error, the last\n"
               "result to standard output as tab-separated text. With --export the last result is\n"
               "exported instead, as the Export button does: TYPE is html, htm, doc, xls, xlsx, txt, rtf,\n"
               "csv, tab, dif, slk, sylk or clipboard (the clipboard text goes to standard output); FILE\n"
               "is replaced only when the export succeeds; --selected-rows numbers rows from 1; --header\n"
               "and --footer may be repeated, one line each; NAME is an HTML page's colours: classic,\n"
               "simple (the default), plain, murky, ms_money, colorful, gray, olive or bw.\n"
               "Exit status: 0 success, 1 connecting, the script or the export failed, 2 usage error or\n"
               "damaged package, 3 wrong password.\n");
}
// clang-format on

bool ParseRunnerCommand(const QStringList& arguments, TRunnerCommand& command, QString& error)
{
    QCommandLineParser parser;
    AddRunnerOptions(parser);
    // The parser skips the program's name.
    const bool parsed = parser.parse(QStringList{QStringLiteral("tessaly-query")} + arguments);
    command = TRunnerCommand();
    error.clear();
    if (parser.isSet(QStringLiteral("version"))) {
        command.mode = TRunnerCommand::rmVersion;
        return true;
    }
    if (parser.isSet(QStringLiteral("help"))) {
        command.mode = TRunnerCommand::rmHelp;
        return true;
    }
    if (parser.isSet(QStringLiteral("batch")))
        command.mode = TRunnerCommand::rmBatch;
    if (!parsed) {
        if (command.mode == TRunnerCommand::rmBatch)
            error = ParseError(parser, arguments);
        return false;
    }
    if (!TakePositionalArguments(parser.positionalArguments(), command, error))
        return false;
    if (command.mode == TRunnerCommand::rmWindow)
        return !AnyBatchOption(parser);
    ReadBatchOptions(parser, command.batch);
    return ReadExportOptions(parser, command.batch.exportOptions, error);
}

bool ParseBatchOptions(const QStringList& arguments, TBatchOptions& options, QString& error)
{
    TRunnerCommand command;
    if (!ParseRunnerCommand(QStringList{QStringLiteral("--batch")} + arguments, command, error))
        return false;
    options = command.batch;
    return true;
}
