// Private folders behind PrivateFolder.h: the marker, the lock files and the
// emptying that spares live runners.
#include "store/PrivateFolder.h"

#include "engine/Session.h"
#include "platform/core/DeadRunCleanup.h"
#include "platform/core/SystemInfo.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSet>
#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const QString kOwnPrefix = QStringLiteral(".tessaly-");

const QRegularExpression& LockPattern()
{
    static const QRegularExpression pattern(QStringLiteral("^\\.tessaly-(\\d+)-\\d+\\.lock$"));
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
    return IsOwnEntry(path, true) && IsOwnEntry(path + QLatin1Char('/') + kOwnFolderMarker, false);
}

bool CreatePrivateFolder(const QString& folder)
{
    const QString path = Clean(folder);
    const QByteArray name = QFile::encodeName(path);
    if (!QDir().mkpath(QFileInfo(path).path()) ||
        (::mkdir(name.constData(), 0700) != 0 && errno != EEXIST) || !IsOwnEntry(path, true))
        return false;
    const int fd = ::open(QFile::encodeName(path + QLatin1Char('/') + kOwnFolderMarker).constData(),
                          O_WRONLY | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0)
        return false;
    ::close(fd);
    return true;
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
    // Only answer files (and their side files) of runners that hold no lock:
    // the marker and locks stay, and so does every file we did not name.
    for (const QFileInfo& file : files) {
        const QRegularExpressionMatch answer = AnswerFilePattern().match(file.fileName());
        if (answer.hasMatch() && !livePids.contains(answer.captured(1)) &&
            !ProcessIsAlive(answer.captured(1).toLongLong()))
            ::unlink(QFile::encodeName(file.filePath()).constData());
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
    if (left == QStringList{kOwnFolderMarker})
        QFile::remove(path + QLatin1Char('/') + kOwnFolderMarker);
    QDir().rmdir(path);
}

QString UserTempFolder()
{
    return Clean(TempFolder() + SanitizedUserName());
}

namespace {

// The user's folder under the shared temporary folder: made 0700 when
// missing; refused when it is a link, another user's, or open to others,
// since anyone could then plant links or files in it.
bool UserFolderIsSafe(const QString& folder)
{
    const QByteArray name = QFile::encodeName(folder);
    if (::mkdir(name.constData(), 0700) != 0 && errno != EEXIST)
        return false;
    struct stat info;
    return ::lstat(name.constData(), &info) == 0 && S_ISDIR(info.st_mode) &&
           info.st_uid == ::getuid() && (info.st_mode & (S_IWGRP | S_IWOTH)) == 0;
}

// A folder of the user's that holds nothing may become ours.
bool IsEmptyOwnFolder(const QString& folder)
{
    return IsOwnEntry(folder, true) &&
           QDir(folder)
               .entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot)
               .isEmpty();
}

// A fresh folder of this run, named after the process so that a later start
// removes it should the run be killed.
QString FreshPrivateFolder(const QString& parent)
{
    QByteArray pattern =
        QFile::encodeName(parent + QStringLiteral("/tq-private-%1-XXXXXX").arg(qint64(::getpid())));
    if (!::mkdtemp(pattern.data()))
        return QString();
    const QString folder = QFile::decodeName(pattern);
    return CreatePrivateFolder(folder) ? folder : QString();
}

} // namespace

QString ChoosePrivateFolder(const QString& derived)
{
    const QString userFolder = UserTempFolder();
    if (!UserFolderIsSafe(userFolder))
        return FreshPrivateFolder(Clean(TempFolder()));
    const QString path = Clean(derived);
    struct stat info;
    const bool missing =
        ::lstat(QFile::encodeName(path).constData(), &info) != 0 && errno == ENOENT;
    if (IsOwnedPrivateFolder(path) ||
        ((missing || IsEmptyOwnFolder(path)) && CreatePrivateFolder(path)))
        return derived;
    return FreshPrivateFolder(userFolder);
}

void RemoveDeadRunLeftovers()
{
    RemoveDeadRunPrivateFolders(Clean(TempFolder()));
    const QString userFolder = UserTempFolder();
    if (IsOwnEntry(userFolder, true))
        RemoveDeadRunPrivateFolders(userFolder);
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
