#include "ProcessRun.h"

#include <gtest/gtest.h>

bool StartProcess(QProcess& process, const QString& program, const QStringList& arguments,
                  const QProcessEnvironment& environment)
{
    process.setProcessEnvironment(environment);
    process.start(program, arguments);
    if (process.waitForStarted())
        return true;
    ADD_FAILURE() << program.toStdString() << ": " << process.errorString().toStdString();
    return false;
}

ProcessOutcome FinishProcess(QProcess& process, int timeout)
{
    ProcessOutcome outcome;
    if (!process.waitForFinished(timeout)) {
        ADD_FAILURE() << process.program().toStdString() << ": "
                      << process.errorString().toStdString();
        process.kill();
        process.waitForFinished();
        return outcome;
    }
    outcome.status = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    outcome.out = QString::fromUtf8(process.readAllStandardOutput());
    outcome.err = QString::fromUtf8(process.readAllStandardError());
    return outcome;
}

ProcessOutcome RunProcess(const QString& program, const QStringList& arguments,
                          const QProcessEnvironment& environment, int timeout)
{
    QProcess process;
    if (!StartProcess(process, program, arguments, environment))
        return {};
    return FinishProcess(process, timeout);
}

QProcessEnvironment RunnerEnvironment(const QString& configFolder, const QString& platform)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("TESSALY_CONFIG_DIR"), configFolder);
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), platform);
    return environment;
}
