// Opening a file in the desktop's application for its type, and the long and
// short forms of a path.
#include "controls/FrFilSys.h"
#include "platform/DesktopApps.h"

#include <QDir>

namespace {

bool LaunchDefault(const QString& path)
{
    return LaunchDefaultApplication(path);
}

TShellOpener& Opener()
{
    static TShellOpener opener = LaunchDefault;
    return opener;
}

} // namespace

TShellOpener SetShellOpener(TShellOpener opener)
{
    return std::exchange(Opener(), opener ? std::move(opener) : TShellOpener(LaunchDefault));
}

bool ShellOpen(const QString& path)
{
    return Opener()(path);
}

QString LongPathName(const QString& path)
{
    return QDir::cleanPath(QDir::current().absoluteFilePath(path));
}

QString ShortPathName(const QString& path)
{
    return LongPathName(path);
}
