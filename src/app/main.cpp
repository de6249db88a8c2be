// The runner: reads the query package of a package file named on its command
// line, or the one attached to its own file, asks for its password, and opens
// the main window (or, with --batch, runs the query without a display).
#include "app/BatchMode.h"
#include "app/MainViewer.h"
#include "app/StartUp.h"
#include "engine/Session.h"
#include "export/EC_Main.h"
#include "platform/Interaction.h"
#include "store/PrivateFolder.h"

#include <QApplication>
#include <QIcon>
#include <cstring>
#include <exception>
#include <memory>

namespace {

bool HasArgument(int argc, char** argv, const char* wanted)
{
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], wanted) == 0)
            return true;
    }
    return false;
}

// In batch mode standard error carries the window's messages only; the
// toolkit's own notes (about the virtual display, say) would mix with them.
void KeepToolkitQuiet(QtMsgType type, const QMessageLogContext&, const QString& message)
{
    if (type == QtCriticalMsg || type == QtFatalMsg)
        fprintf(stderr, "%s\n", message.toLocal8Bit().constData());
}

int RunWindow(const QStringList& arguments)
{
    QString file; // a package file or a script
    for (const QString& argument : arguments) {
        if (argument.startsWith(QLatin1Char('-')) || !file.isEmpty()) {
            fputs(RunnerUsage().toLocal8Bit().constData(), stderr);
            return exitUsage;
        }
        file = argument;
    }

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
        HandOver(*form, state);
    } catch (const std::exception& error) {
        // Nothing catches during start-up: the report ends the program.
        Ui().ShowException(error);
        return exitFailed;
    }
    form->show();
    return QApplication::exec();
}

} // namespace

int main(int argc, char** argv)
{
    // Answered before the toolkit starts, so they work without a display.
    if (HasArgument(argc, argv, "--version")) {
        fputs("tessaly-query " TESSALY_VERSION "\n", stdout);
        return exitOk;
    }
    if (HasArgument(argc, argv, "--help") || HasArgument(argc, argv, "-h")) {
        fputs(RunnerUsage().toLocal8Bit().constData(), stdout);
        return exitOk;
    }
    const bool batch = HasArgument(argc, argv, "--batch");
    if (batch && !qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    if (batch)
        qInstallMessageHandler(KeepToolkitQuiet);
    QApplication app(argc, argv);
    // The desktop matches the window to its menu entry and icon by this name.
    QGuiApplication::setDesktopFileName(QStringLiteral("tessaly-query"));
    QApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral("tessaly-query")));
    QStringList arguments = QCoreApplication::arguments();
    arguments.removeFirst();
    RemoveDeadRunLeftovers();
    TCustomExport::RemoveDeadRunTempFiles();
    if (!batch)
        return RunWindow(arguments);

    TBatchOptions options;
    QString error;
    if (!ParseBatchOptions(arguments, options, error)) {
        fprintf(stderr, "tessaly-query: %s\n%s", error.toLocal8Bit().constData(),
                RunnerUsage().toLocal8Bit().constData());
        return exitUsage;
    }
    return RunBatch(QCoreApplication::applicationFilePath(), options);
}
