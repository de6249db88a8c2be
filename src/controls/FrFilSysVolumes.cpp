// Volume naming, network names, the string table, and the folder reader of
// FrFilSys.h. A folder on a network volume is read off the GUI thread with a
// bounded wait: a server that does not answer leaves the folder without
// children instead of freezing the window.
#include "controls/FrFilSys.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QHash>
#include <QMutex>
#include <QSet>
#include <algorithm>
#include <condition_variable>
#include <mutex>
#include <thread>

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

// Stops at the first sub-folder when that is all that is asked.
QStringList ReadFoldersNow(const QString& folder, bool showHidden, bool firstOnly)
{
    QDir::Filters filters = QDir::Dirs | QDir::NoDotAndDotDot;
    if (showHidden)
        filters |= QDir::Hidden;
    QStringList names;
    QDirIterator it(folder, filters);
    while (it.hasNext() && !(firstOnly && !names.isEmpty()))
        names << it.nextFileInfo().fileName();
    return names;
}

TFolderReader& Reader()
{
    static TFolderReader reader = ReadFoldersNow;
    return reader;
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

TFolderReader SetFolderReader(TFolderReader reader)
{
    return std::exchange(Reader(), reader ? std::move(reader) : TFolderReader(ReadFoldersNow));
}

namespace {

// Runs work in a thread of its own and waits a moment. Work that does not
// come back stays alone on its volume: while it hangs, the volume answers
// with the fallback at once, so no threads pile up behind a dead server.
template <class T> T RunBounded(const QString& volume, std::function<T()> work, T fallback)
{
    static QMutex busyLock;
    static QSet<QString> busy;
    {
        QMutexLocker locker(&busyLock);
        if (busy.contains(volume))
            return fallback;
        busy.insert(volume);
    }
    struct TState
    {
        std::mutex lock;
        std::condition_variable done;
        bool finished = false;
        T result;
    };
    auto state = std::make_shared<TState>();
    std::thread([state, work = std::move(work), volume] {
        T result = work();
        {
            QMutexLocker locker(&busyLock);
            busy.remove(volume);
        }
        std::lock_guard<std::mutex> guard(state->lock);
        state->result = std::move(result);
        state->finished = true;
        state->done.notify_all();
    }).detach();
    std::unique_lock<std::mutex> guard(state->lock);
    state->done.wait_for(guard, std::chrono::milliseconds(800), [&] { return state->finished; });
    return state->finished ? state->result : fallback;
}

// The network volume that holds the folder; empty for a local folder.
QString NetworkVolumeOf(const TMountTable& table, const QString& folder)
{
    const TVolume* volume = table.Containing(folder);
    return volume && volume->Kind == dkRemote ? volume->MountPoint : QString();
}

} // namespace

QStringList ReadSubFolders(const TMountTable& table, const QString& folder, bool showHidden,
                           bool firstOnly)
{
    const QString network = NetworkVolumeOf(table, folder);
    const TFolderReader reader = Reader();
    if (network.isEmpty())
        return reader(folder, showHidden, firstOnly);
    return RunBounded<QStringList>(network, [=] { return reader(folder, showHidden, firstOnly); },
                                   {});
}

bool FolderExists(const TMountTable& table, const QString& folder)
{
    const QString network = NetworkVolumeOf(table, folder);
    const auto exists = [folder] { return QFileInfo(folder).isDir(); };
    return network.isEmpty() ? exists() : RunBounded<bool>(network, exists, false);
}
