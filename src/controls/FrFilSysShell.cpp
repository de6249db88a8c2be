// Opening a file in the desktop's application for its type, through GIO (the
// freedesktop associations the desktop itself reads), and the long and
// short forms of a path.
// GIO names a struct member "signals", which Qt defines as a keyword.
// clang-format off
#undef signals
#include <gio/gio.h>
// clang-format on

#include "controls/FrFilSys.h"

#include <QDir>
#include <QUrl>

namespace {

bool LaunchDefault(const QString& path)
{
    const QByteArray uri = QUrl::fromLocalFile(path).toEncoded();
    GError* error = nullptr;
    const bool launched = g_app_info_launch_default_for_uri(uri.constData(), nullptr, &error);
    if (error)
        g_error_free(error);
    return launched;
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
