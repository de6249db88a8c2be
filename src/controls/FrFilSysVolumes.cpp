// Volume naming, network names and the string table of FrFilSys.h.
#include "controls/FrFilSys.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <algorithm>

namespace {

QString LastName(const QString& mountPoint)
{
    return mountPoint.mid(mountPoint.lastIndexOf('/') + 1);
}

// File-name case of a label: SYSTEM becomes System.
QString LabelCase(const QString& label)
{
    QString text = label.toLower();
    if (!text.isEmpty())
        text[0] = text[0].toUpper();
    return text;
}

} // namespace

QString FrFilSysString(int id)
{
    static const QHash<int, QString> table{{SFileNotExist, "The %s file does not exist"},
                                           {SDirNotExist, "The %s directory does not exist"}};
    return table.value(id);
}

QString RenameErrorMessage()
{
    return QStringLiteral(
        "A directory name cannot contain any of the following characters:\r\\ / : * ? \" < > |");
}

TVolumeDisplayName GetVolumeDisplayName(const TMountTable& table, const QString& mountPoint,
                                        TNetworkVolumeFormat format)
{
    const TVolume* volume = table.Find(mountPoint);
    if (!volume)
        return {"(" + mountPoint + ")", QString()};
    const QString label = GetVolumeLabel(table, mountPoint);
    const auto named = [&](const QString& name) {
        return name.isEmpty() ? mountPoint : name + " (" + mountPoint + ")";
    };
    QString text = named(label);
    if (volume->Kind == dkRemote) {
        const QString root = GetUncRoot(table, mountPoint);
        if (format == nvfExplorer)
            text = label + " on '" + ServerOfUnc(root) + "' (" + mountPoint + ")";
        else if (format == nvfUNC)
            text = named(root);
    }
    return {text, volume->Serial};
}

QString GetVolumeSerial(const TMountTable& table, const QString& mountPoint)
{
    return GetVolumeDisplayName(table, mountPoint, nvfVolumeOnly).Serial;
}

QString GetVolumeLabel(const TMountTable& table, const QString& mountPoint)
{
    const TVolume* volume = table.Find(mountPoint);
    if (!volume)
        return {};
    return LabelCase(volume->Label.isEmpty() ? LastName(mountPoint) : volume->Label);
}

QString GetNetworkName(const TMountTable& table, const QString& mountPoint, TTextCase textCase)
{
    const TVolume* volume = table.Find(mountPoint);
    if (!volume || volume->RemoteName.isEmpty())
        return GetVolumeLabel(table, mountPoint);
    return textCase == tcLowerCase ? volume->RemoteName.toLower() : volume->RemoteName.toUpper();
}

QString GetUncRoot(const TMountTable& table, const QString& mountPoint)
{
    const TVolume* volume = table.Find(mountPoint);
    if (!volume || volume->RemoteName.isEmpty())
        return {};
    QString root = volume->RemoteName.toLower();
    for (int i = 2; i < root.size(); ++i)
        if (root[i - 1] == '/')
            root[i] = root[i].toUpper();
    return root;
}

QString ServerOfUnc(const QString& root)
{
    const QString rest = root.mid(2);
    return rest.left(rest.indexOf('/'));
}

QString UncToDrivePath(const TMountTable& table, const QString& path)
{
    if (!path.startsWith("//"))
        return path;
    return table.RemoteToLocal(path);
}

QString CurrentDriveRoot(const TMountTable& table)
{
    const TVolume* volume = table.Containing(QDir::currentPath());
    return volume ? volume->MountPoint : QStringLiteral("/");
}
