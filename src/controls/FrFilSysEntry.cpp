// What the file list knows of one entry beyond its name: its attributes and
// its icon.
#include "controls/FrFilSys.h"

#include <QFile>
#include <QHash>
#include <QIcon>
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

// The icon theme's icon for the entry's type, or its generic icon, as the
// desktop picks them; none for a type nobody knows. Asked of the theme in
// force each time: a provider object would keep the icons of an earlier theme.
QIcon ThemeIcon(const QFileInfo& entry)
{
    if (entry.isDir())
        return QIcon::fromTheme(QStringLiteral("folder"));
    const QMimeType type = QMimeDatabase().mimeTypeForFile(entry);
    if (type.isDefault())
        return {};
    const QIcon icon = QIcon::fromTheme(type.iconName());
    return icon.isNull() ? QIcon::fromTheme(type.genericIconName()) : icon;
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

QIcon IconByName(const QString& name, bool isFolder)
{
    static const QMimeDatabase types;
    if (isFolder)
        return QIcon(FrFilSysGlyph("FRFILBMP_CLOSEDFOLDER"));
    const QMimeType type = types.mimeTypeForFile(name, QMimeDatabase::MatchExtension);
    QIcon icon = type.isDefault() ? QIcon() : QIcon::fromTheme(type.iconName());
    if (icon.isNull() && !type.isDefault())
        icon = QIcon::fromTheme(type.genericIconName());
    return icon.isNull() ? QIcon(FrFilSysGlyph("FRFILBMP_UNKNOWNFILE")) : icon;
}

QIcon ListedEntryIcon(const QFileInfo& entry)
{
    const QString extension = ExtensionOf(entry.fileName());
    if (entry.isDir() || IconPerFile(extension) || IsProgram(entry))
        return EntryIcon(entry);
    // A change of icon theme fetches afresh. Some names have a type of their
    // own ("CMakeLists.txt" is not plain text): the type the name gives is
    // part of the key, so one such file never lends its icon to the others.
    static QHash<QString, QIcon> cache;
    static const QMimeDatabase types;
    const QString key = QIcon::themeName() + '/' +
                        types.mimeTypeForFile(entry, QMimeDatabase::MatchExtension).name() + '/' +
                        extension;
    auto cached = cache.constFind(key);
    if (cached == cache.constEnd())
        cached = cache.insert(key, EntryIcon(entry));
    return *cached;
}
