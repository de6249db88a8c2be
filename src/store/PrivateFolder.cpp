// Private folders behind PrivateFolder.h: the marker, the lock files and the
// emptying that spares live runners.
#include "store/PrivateFolder.h"

#include "platform/core/SystemInfo.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSet>
#include <atomic>
#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace {

const QString kMarker = QStringLiteral(".tessaly-private");
const QString kOwnPrefix = QStringLiteral(".tessaly-");

const QRegularExpression& LockPattern()
{
    static const QRegularExpression pattern(QStringLiteral("^\\.tessaly-(\\d+)-\\d+\\.lock$"));
    return pattern;
}

// The engine names its answer files (and SQLite their side files) after the
// process that created them.
const QRegularExpression& AnswerPattern()
{
    static const QRegularExpression pattern(QStringLiteral("^tq-(\\d+)-"));
    return pattern;
}

QString Clean(const QString& folder)
{
    return QDir::cleanPath(QFileInfo(NativePath(folder)).absoluteFilePath());
}

// A lock nobody holds is stale and is removed on the way.
bool LockIsLive(const QString& fileName)
{
    const QByteArray name = QFile::encodeName(fileName);
    const int fd = ::open(name.constData(), O_RDWR | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool live = ::flock(fd, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK;
    if (!live)
        ::unlink(name.constData());
    ::close(fd);
    return live;
}

QFileInfoList FilesIn(const QString& folder)
{
    return QDir(folder).entryInfoList(QDir::Files | QDir::Hidden | QDir::System |
                                      QDir::NoDotAndDotDot);
}

} // namespace

bool IsOwnedPrivateFolder(const QString& folder)
{
    if (folder.trimmed().isEmpty())
        return false;
    const QString path = Clean(folder);
    if (QFileInfo(path + QLatin1Char('/') + kMarker).isFile())
        return true;
    const QString userTemp = Clean(TempFolder() + SanitizedUserName()) + QLatin1Char('/');
    return path.startsWith(userTemp) && path.size() > userTemp.size();
}

bool CreatePrivateFolder(const QString& folder)
{
    const QString path = Clean(folder);
    if (!QDir().mkpath(path))
        return false;
    QFile marker(path + QLatin1Char('/') + kMarker);
    return marker.open(QIODevice::WriteOnly);
}

void EmptyPrivateFolder(const QString& folder)
{
    if (!IsOwnedPrivateFolder(folder))
        return;
    const QFileInfoList files = FilesIn(Clean(folder));
    QSet<QString> livePids;
    for (const QFileInfo& file : files) {
        const QRegularExpressionMatch lock = LockPattern().match(file.fileName());
        if (lock.hasMatch() && LockIsLive(file.filePath()))
            livePids.insert(lock.captured(1));
    }
    for (const QFileInfo& file : files) {
        // The marker, and locks (held, or being created by a runner right now).
        if (file.fileName().startsWith(kOwnPrefix))
            continue;
        const QRegularExpressionMatch answer = AnswerPattern().match(file.fileName());
        if (answer.hasMatch() && livePids.contains(answer.captured(1)))
            continue;
        QFile::remove(file.filePath());
    }
}

void RemovePrivateFolder(const QString& folder)
{
    if (!IsOwnedPrivateFolder(folder))
        return;
    EmptyPrivateFolder(folder);
    const QString path = Clean(folder);
    const QStringList left =
        QDir(path).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    if (left == QStringList{kMarker})
        QFile::remove(path + QLatin1Char('/') + kMarker);
    QDir().rmdir(path);
}

// Created under a temporary name and locked before it is renamed into place,
// so no other runner ever sees it unlocked.
TPrivateFolderLock::TPrivateFolderLock(const QString& folder) : folder_(folder)
{
    static std::atomic<int> serial{0};
    const QString base = Clean(folder) + QLatin1Char('/') + kOwnPrefix +
                         QString::number(qint64(::getpid())) + QLatin1Char('-') +
                         QString::number(++serial);
    const QByteArray pending = QFile::encodeName(base + QStringLiteral(".new"));
    const QByteArray lockName = QFile::encodeName(base + QStringLiteral(".lock"));
    const int fd = ::open(pending.constData(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0)
        return;
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0 ||
        ::rename(pending.constData(), lockName.constData()) != 0) {
        ::unlink(pending.constData());
        ::close(fd);
        return;
    }
    fd_ = fd;
    fileName_ = QFile::decodeName(lockName);
}

TPrivateFolderLock::~TPrivateFolderLock()
{
    if (fd_ < 0)
        return;
    ::unlink(QFile::encodeName(fileName_).constData());
    ::close(fd_);
}
