// The search for dead runs' leftovers behind DeadRunCleanup.h: names give the
// process, lstat gives the owner and the kind, so no link is ever followed.
#include "platform/core/DeadRunCleanup.h"

#include <QDir>
#include <QFile>
#include <cerrno>
#include <csignal>
#include <sys/stat.h>
#include <unistd.h>

const QString kOwnFolderMarker = QStringLiteral(".tessaly-private");

bool ProcessIsAlive(qint64 pid)
{
    if (pid <= 0)
        return true; // no process id: never taken for dead
    return ::kill(pid_t(pid), 0) == 0 || errno != ESRCH;
}

bool IsOwnEntry(const QString& path, bool folder)
{
    struct stat info;
    if (::lstat(QFile::encodeName(path).constData(), &info) != 0 || info.st_uid != ::getuid())
        return false;
    return folder ? S_ISDIR(info.st_mode) : S_ISREG(info.st_mode);
}

QStringList DeadRunLeftovers(const QString& folder, const QRegularExpression& pattern)
{
    QStringList dead;
    const QStringList names = QDir(folder).entryList(QDir::AllEntries | QDir::Hidden |
                                                     QDir::System | QDir::NoDotAndDotDot);
    for (const QString& name : names) {
        const QRegularExpressionMatch match = pattern.match(name);
        bool number = false;
        const qint64 pid = match.hasMatch() ? match.captured(1).toLongLong(&number) : 0;
        if (!number || ProcessIsAlive(pid))
            continue;
        const QString path = folder + QLatin1Char('/') + name;
        if (IsOwnEntry(path, false) || IsOwnEntry(path, true))
            dead << path;
    }
    return dead;
}

void RemoveDeadRunFiles(const QString& folder, const QRegularExpression& pattern)
{
    for (const QString& path : DeadRunLeftovers(folder, pattern))
        if (IsOwnEntry(path, false))
            ::unlink(QFile::encodeName(path).constData());
}

void RemoveDeadRunFolders(const QString& parent, const QRegularExpression& pattern,
                          const QRegularExpression& files)
{
    for (const QString& path : DeadRunLeftovers(parent, pattern)) {
        const QString marker = path + QLatin1Char('/') + kOwnFolderMarker;
        if (!IsOwnEntry(path, true) || !IsOwnEntry(marker, false))
            continue;
        RemoveDeadRunFiles(path, files);
        const QStringList left = QDir(path).entryList(QDir::AllEntries | QDir::Hidden |
                                                      QDir::System | QDir::NoDotAndDotDot);
        if (left == QStringList{kOwnFolderMarker}) {
            ::unlink(QFile::encodeName(marker).constData());
            ::rmdir(QFile::encodeName(path).constData());
        }
    }
}
