// Reads the volumes of MountTable.h from the mount table and the udev links.
#include "platform/MountTable.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSet>
#include <QSocketNotifier>
#include <algorithm>
#include <fcntl.h>
#include <sys/vfs.h>
#include <unistd.h>

namespace {

const QSet<QString>& PseudoFileSystems()
{
    static const QSet<QString> names{
        "proc",       "sysfs",    "devtmpfs",  "devpts",          "cgroup",      "cgroup2",
        "securityfs", "debugfs",  "tracefs",   "pstore",          "bpf",         "mqueue",
        "hugetlbfs",  "configfs", "fusectl",   "autofs",          "binfmt_misc", "efivarfs",
        "rpc_pipefs", "nsfs",     "selinuxfs", "fuse.gvfsd-fuse", "fuse.portal", "nfsd"};
    return names;
}

// mountinfo escapes blanks, tabs, newlines and backslashes as \ooo.
QString UnescapeOctal(const QByteArray& field)
{
    QByteArray out;
    for (qsizetype i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 3 < field.size()) {
            bool ok = false;
            const int code = field.mid(i + 1, 3).toInt(&ok, 8);
            if (ok) {
                out += char(code);
                i += 3;
                continue;
            }
        }
        out += field[i];
    }
    return QString::fromUtf8(out);
}

// udev escapes unsafe characters of a label as \xHH.
QString UnescapeHex(const QString& name)
{
    QByteArray bytes = name.toUtf8(), out;
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        if (bytes[i] == '\\' && i + 3 < bytes.size() && bytes[i + 1] == 'x') {
            bool ok = false;
            const int code = bytes.mid(i + 2, 2).toInt(&ok, 16);
            if (ok) {
                out += char(code);
                i += 3;
                continue;
            }
        }
        out += bytes[i];
    }
    return QString::fromUtf8(out);
}

// Device path -> link name, from one of the /dev/disk/by-* folders.
QHash<QString, QString> DeviceLinks(const QString& folder)
{
    QHash<QString, QString> links;
    QDirIterator it(folder, QDir::System | QDir::Files | QDir::NoDotAndDotDot);
    while (it.hasNext()) {
        const QFileInfo link(it.next());
        const QString target = link.canonicalFilePath();
        if (!target.isEmpty())
            links.insert(target, UnescapeHex(link.fileName()));
    }
    return links;
}

QString ReadFirstLine(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromLatin1(file.readLine()).trimmed();
}

bool IsRemovable(const QString& sysFolder, const QString& device)
{
    const QString block = QFileInfo(sysFolder + "/dev/block/" + device).canonicalFilePath();
    if (block.isEmpty())
        return false;
    if (ReadFirstLine(block + "/removable") == "1")
        return true;
    // A partition's flag is its disk's.
    return QFileInfo::exists(block + "/partition") &&
           ReadFirstLine(QFileInfo(block).path() + "/removable") == "1";
}

// //server/share from "//server/share", "server:/export/path", "user@host:path"
// or a URL (WebDAV's "https://host/path").
QString RemoteNameOf(const QString& source)
{
    if (source.startsWith("//"))
        return source;
    if (const qsizetype scheme = source.indexOf("://"); scheme > 0)
        return source.mid(scheme + 1);
    const int colon = int(source.indexOf(':'));
    if (colon <= 0)
        return source;
    QString host = source.left(colon);
    host = host.mid(host.indexOf('@') + 1);
    QString path = source.mid(colon + 1);
    while (path.startsWith('/'))
        path.remove(0, 1);
    return "//" + host + (path.isEmpty() ? QString() : "/" + path);
}

bool Contains(const QString& mountPoint, const QString& path)
{
    if (!path.startsWith('/'))
        return false;
    return mountPoint == "/" || path == mountPoint || path.startsWith(mountPoint + "/");
}

TMountSources& Sources()
{
    static TMountSources sources;
    return sources;
}

std::optional<quint32> StatfsMagic(const QString& mountPoint)
{
    struct statfs info;
    if (::statfs(QFile::encodeName(mountPoint).constData(), &info) != 0)
        return std::nullopt;
    return quint32(info.f_type);
}

} // namespace

TMountTable TMountTable::Parse(const QByteArray& mountinfo, const QString& diskFolder,
                               const QString& sysFolder, const QString& home)
{
    const QString userHome = home.isEmpty() ? QDir::homePath() : home;
    const QHash<QString, QString> labels = DeviceLinks(diskFolder + "/by-label");
    const QHash<QString, QString> uuids = DeviceLinks(diskFolder + "/by-uuid");
    QStringList pseudoPoints;
    QHash<QString, TVolume> byPoint;
    for (const QByteArray& line : mountinfo.split('\n')) {
        const QList<QByteArray> fields = line.simplified().split(' ');
        const qsizetype dash = fields.indexOf("-");
        if (dash < 6 || dash + 2 >= fields.size())
            continue;
        const QString root = UnescapeOctal(fields[3]);
        TVolume volume;
        volume.MountPoint = UnescapeOctal(fields[4]);
        volume.Device = QString::fromLatin1(fields[2]);
        volume.FileSystem = QString::fromLatin1(fields[dash + 1]);
        volume.Source = UnescapeOctal(fields[dash + 2]);
        // A later mount on the same point hides the earlier one.
        byPoint.remove(volume.MountPoint);
        if (PseudoFileSystems().contains(volume.FileSystem)) {
            pseudoPoints << volume.MountPoint;
            continue;
        }
        // A bind mount of a sub-tree (or of a single file) is no volume of its own.
        if (root != "/")
            continue;
        const TFileSystemKind kind = KindOfType(volume.FileSystem);
        volume.Kind = kind.Kind;
        volume.Local = kind.Local;
        if (volume.Kind == dkFixed && IsRemovable(sysFolder, volume.Device))
            volume.Kind = dkRemovable;
        const QString device = QFileInfo(volume.Source).canonicalFilePath();
        if (volume.Source.startsWith('/') && !device.isEmpty()) {
            volume.Label = labels.value(device);
            volume.Serial = uuids.value(device);
        }
        if (volume.Serial.isEmpty())
            volume.Serial = "fsid:" + volume.Device;
        if (volume.Kind == dkRemote)
            volume.RemoteName = RemoteNameOf(volume.Source);
        volume.Users = IsUsersMount(volume, userHome);
        byPoint.insert(volume.MountPoint, volume);
    }
    // Where the table has no "/" (a chroot, a sandbox) the root folder is
    // still there, and it is the process's own: local.
    if (!byPoint.contains("/")) {
        TVolume root;
        root.MountPoint = "/";
        root.Kind = dkFixed;
        root.Local = true;
        root.Users = true;
        root.Serial = "fsid:root";
        byPoint.insert(root.MountPoint, root);
    }
    TMountTable table;
    for (const TVolume& volume : std::as_const(byPoint)) {
        // Mounts inside /proc, /sys or /dev belong to the system, not the user.
        const bool insidePseudo =
            std::any_of(pseudoPoints.cbegin(), pseudoPoints.cend(), [&](const QString& point) {
                return point != "/" && Contains(point, volume.MountPoint);
            });
        if (!insidePseudo)
            table.volumes_ << volume;
    }
    std::sort(table.volumes_.begin(), table.volumes_.end(),
              [](const TVolume& a, const TVolume& b) { return a.MountPoint < b.MountPoint; });
    return table;
}

const TVolume* TMountTable::Find(const QString& mountPoint) const
{
    for (const TVolume& volume : volumes_)
        if (volume.MountPoint == mountPoint)
            return &volume;
    return nullptr;
}

const TVolume* TMountTable::Containing(const QString& path) const
{
    const TVolume* best = nullptr;
    for (const TVolume& volume : volumes_)
        if (Contains(volume.MountPoint, path) &&
            (!best || volume.MountPoint.size() > best->MountPoint.size()))
            best = &volume;
    return best;
}

QString TMountTable::RemoteToLocal(const QString& path) const
{
    for (const TVolume& volume : volumes_) {
        const QString& remote = volume.RemoteName;
        if (remote.isEmpty() || !path.startsWith(remote, Qt::CaseInsensitive))
            continue;
        const QString rest = path.mid(remote.size());
        if (!rest.isEmpty() && !rest.startsWith('/'))
            continue;
        return volume.MountPoint == "/" && rest.startsWith('/') ? rest : volume.MountPoint + rest;
    }
    return {};
}

TMountSources SetMountSources(TMountSources sources)
{
    return std::exchange(Sources(), std::move(sources));
}

TMountTable ReadMountTable()
{
    const TMountSources& sources = Sources();
    QByteArray text;
    if (sources.MountInfo) {
        text = sources.MountInfo();
    } else {
        QFile file("/proc/self/mountinfo");
        if (file.open(QIODevice::ReadOnly))
            text = file.readAll();
    }
    TMountTable table =
        TMountTable::Parse(text, sources.DiskFolder.isEmpty() ? "/dev/disk" : sources.DiskFolder,
                           sources.SysFolder.isEmpty() ? "/sys" : sources.SysFolder, UserHome());
    // A local file system answers statfs at once; the GUI thread waits no longer.
    table.SettleUnknownTypes(sources.FileSystemMagic ? sources.FileSystemMagic : StatfsMagic, 20);
    return table;
}

QString UserHome()
{
    const QString& home = Sources().Home;
    return home.isEmpty() ? QDir::homePath() : home;
}

TMountWatcher::TMountWatcher(QObject* parent) : QObject(parent)
{
    fd_ = ::open("/proc/self/mountinfo", O_RDONLY | O_CLOEXEC);
    if (fd_ < 0)
        return;
    notifier_ = new QSocketNotifier(fd_, QSocketNotifier::Exception, this);
    connect(notifier_, &QSocketNotifier::activated, this, &TMountWatcher::Changed);
}

TMountWatcher::~TMountWatcher()
{
    delete notifier_;
    if (fd_ >= 0)
        ::close(fd_);
}
