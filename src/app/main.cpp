// The runner: reads the query package of a package file named on its command
// line, or the one attached to its own file, asks for its password, and opens
// the main window (or, with --batch, runs the query without a display). The
// command line is read first: --help, --version and batch mode never start
// the widget toolkit.
#include "app/CheckedOutput.h"
#include "app/CommandLine.h"
#include "app/MainViewer.h"
#include "app/StartUp.h"
#include "engine/Session.h"
#include "export/EC_Writer.h"
#include "platform/Interaction.h"
#include "store/PrivateFolder.h"

#include <QApplication>
#include <QIcon>
#include <exception>
#include <memory>

namespace {

// In batch mode standard error carries the runner's messages only; Qt's own
// notes would mix with them.
void KeepToolkitQuiet(QtMsgType type, const QMessageLogContext&, const QString& message)
{
    if (type == QtCriticalMsg || type == QtFatalMsg)
        fprintf(stderr, "%s\n", message.toLocal8Bit().constData());
}

// Prints an answer on standard output; a failed write is exit status 1.
int Answer(const QString& text)
{
    try {
        WriteOutput(stdout, text.toLocal8Bit());
        FlushOutput(stdout);
    } catch (const std::exception& error) {
        fprintf(stderr, "tessaly-query: %s\n", ExceptionMessage(error).toLocal8Bit().constData());
        return exitFailed;
    }
    return exitOk;
}

void RemoveLeftovers()
{
    RemoveDeadRunLeftovers();
    TCustomExport::RemoveDeadRunTempFiles();
}

int RunWindow(int argc, char** argv, const QString& file)
{
    QApplication app(argc, argv);
    // The desktop matches the window to its menu entry and icon by this name.
    QGuiApplication::setDesktopFileName(QStringLiteral("tessaly-query"));
    QApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral("tessaly-query")));
    RemoveLeftovers();

    TStartUpState state;
    const TStartUpOutcome outcome =
        ReadStartUp(QCoreApplication::applicationFilePath(), file, state);
    if (outcome != TStartUpOutcome::Run)
        return ExitStatusFor(outcome);

    SetApplicationTitle(QStringLiteral("Tessaly Query"));
    // A server that wants a password none of libpq's sources gives asks the
    // user; the answer is not kept. Batch mode has no prompt: it fails.
    Session()->SetPasswordPrompt([](const QString& prompt, QString& password) {
        return Ui().InputQuery(QStringLiteral("Server Password"), prompt, password);
    });
    // Making the window reads the engine's configuration, which may fail (a
    // configuration folder that cannot hold it): reported like any start-up error.
    std::unique_ptr<TformMain> form;
    try {
        form = std::make_unique<TformMain>();
        form->HandOver(state);
    } catch (const std::exception& error) {
        // Nothing catches during start-up: the report ends the program.
        Ui().ShowException(error);
        return exitFailed;
    }
    form->show();
    return QApplication::exec();
}

int RunBatchMode(int argc, char** argv, const TBatchOptions& options)
{
    qInstallMessageHandler(KeepToolkitQuiet);
    // The core application alone: no platform plugin, fonts or window.
    QCoreApplication app(argc, argv);
    RemoveLeftovers();
    return RunBatch(QCoreApplication::applicationFilePath(), options);
}

} // namespace

int main(int argc, char** argv)
{
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    TRunnerCommand command;
    QString error;
    const bool parsed = ParseRunnerCommand(arguments, command, error);
    switch (command.mode) {
    case TRunnerCommand::rmVersion:
        return Answer(QStringLiteral("tessaly-query " TESSALY_VERSION "\n"));
    case TRunnerCommand::rmHelp:
        return Answer(RunnerUsage());
    case TRunnerCommand::rmWindow:
    case TRunnerCommand::rmBatch:
        break;
    }
    if (!parsed) {
        if (!error.isEmpty())
            fprintf(stderr, "tessaly-query: %s\n", error.toLocal8Bit().constData());
        fputs(RunnerUsage().toLocal8Bit().constData(), stderr);
        return exitUsage;
    }
    if (command.mode == TRunnerCommand::rmBatch)
        return RunBatchMode(argc, argv, command.batch);
    return RunWindow(argc, argv, command.file);
}
