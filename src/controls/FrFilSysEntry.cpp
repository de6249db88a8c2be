// What the file list knows of one entry beyond its name: its attributes and
// its icon.
#include "controls/FrFilSys.h"

#include <QAbstractFileIconProvider>
#include <QFile>
#include <QHash>
#include <QMimeDatabase>
#include <QSet>
#include <fcntl.h>
#include <unistd.h>

namespace {

// Asked as the effective user, the one whose rights the program runs with:
// root may write a file whatever its permission bits say.
bool UserMay(const QFileInfo& entry, int accessMode)
{
    return ::faccessat(AT_FDCWD, QFile::encodeName(entry.absoluteFilePath()).constData(),
                       accessMode, AT_EACCESS) == 0;
}

bool IsProgram(const QFileInfo& entry)
{
    return entry.isFile() && UserMay(entry, X_OK);
}

QString ExtensionOf(const QString& name)
{
    const int dot = int(name.lastIndexOf('.'));
    return dot < 0 ? QString() : name.mid(dot).toLower();
}

// Extensions whose icon differs from file to file.
bool IconPerFile(const QString& extension)
{
    static const QSet<QString> perFile{".exe", ".lnk", ".ico", ".scr"};
    return perFile.contains(extension);
}

QIcon ThemeIcon(const QFileInfo& entry)
{
    static const QAbstractFileIconProvider desktop;
    if (entry.isFile() && QMimeDatabase().mimeTypeForFile(entry).isDefault())
        return {};
    return desktop.icon(entry);
}

} // namespace

int FileAttributes(const QFileInfo& entry)
{
    int attributes = 0;
    if (entry.fileName().startsWith('.'))
        attributes |= ftHidden;
    if (!UserMay(entry, W_OK))
        attributes |= ftReadOnly;
    if (entry.isDir())
        attributes |= ftDirectory;
    else if (entry.isFile())
        attributes |= ftArchive;
    else
        attributes |= ftSystem;
    return attributes;
}

QIcon EntryIcon(const QFileInfo& entry)
{
    const QIcon icon = ThemeIcon(entry);
    if (!icon.isNull())
        return icon;
    return QIcon(FrFilSysGlyph(entry.isDir()      ? "FRFILBMP_CLOSEDFOLDER"
                               : IsProgram(entry) ? "FRFILBMP_EXECUTABLE"
                                                  : "FRFILBMP_UNKNOWNFILE"));
}

QIcon ListedEntryIcon(const QFileInfo& entry)
{
    const QString extension = ExtensionOf(entry.fileName());
    if (entry.isDir() || IconPerFile(extension) || IsProgram(entry))
        return EntryIcon(entry);
    // A change of icon theme fetches afresh.
    static QHash<QString, QIcon> cache;
    const QString key = QIcon::themeName() + '/' + extension;
    auto cached = cache.constFind(key);
    if (cached == cache.constEnd())
        cached = cache.insert(key, EntryIcon(entry));
    return *cached;
}
