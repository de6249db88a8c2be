// Operating-system look-ups behind SystemInfo.h.
#include "platform/core/SystemInfo.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QSysInfo>
#include <pwd.h>
#include <unistd.h>

QString ExecutablePath()
{
    if (QCoreApplication::instance())
        return QCoreApplication::applicationFilePath();
    return QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath();
}

QString UserName()
{
    if (const passwd* entry = getpwuid(geteuid()); entry && entry->pw_name && *entry->pw_name)
        return QString::fromLocal8Bit(entry->pw_name).left(254);
    return QStringLiteral("Unknown");
}

QString ComputerName()
{
    const QString name = QSysInfo::machineHostName();
    return name.isEmpty() ? QStringLiteral("Unknown") : name;
}

QString SanitizeName(const QString& name)
{
    QString result = name;
    for (QChar& c : result) {
        const char16_t u = c.unicode();
        const bool asciiAlnum =
            (u >= 'A' && u <= 'Z') || (u >= 'a' && u <= 'z') || (u >= '0' && u <= '9');
        if (u == ' ')
            c = QLatin1Char('_');
        else if (!asciiAlnum)
            c = QLatin1Char('0');
    }
    return result;
}

QString SanitizedUserName()
{
    return SanitizeName(UserName());
}
QString SanitizedComputerName()
{
    return SanitizeName(ComputerName());
}

QString TempFolder()
{
    QString path = QDir::tempPath();
    if (!path.endsWith(QLatin1Char('/')))
        path += QLatin1Char('/');
    return path;
}

QString ConfigFolder()
{
    // Asked for every regional setting read: two variables, not a copy of the environment.
    QString folder = qEnvironmentVariable("TESSALY_CONFIG_DIR");
    if (folder.isEmpty()) {
        const QString xdg = qEnvironmentVariable("XDG_CONFIG_HOME");
        folder = xdg.isEmpty() ? QDir::homePath() + QStringLiteral("/.config/tessaly")
                               : xdg + QStringLiteral("/tessaly");
    }
    while (folder.size() > 1 && folder.endsWith(QLatin1Char('/')))
        folder.chop(1);
    return folder;
}

QString NativePath(const QString& path)
{
    QString result = path;
    result.replace(QLatin1Char('\\'), QLatin1Char('/'));
    return result;
}
