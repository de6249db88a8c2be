// The atomic replace behind AtomicFile.h, on plain POSIX calls so that every
// step's result is seen: buffered writers report a full disk late or never.
#include "platform/core/AtomicFile.h"

#include "platform/core/Exceptions.h"

#include <QDir>
#include <QFileInfo>
#include <QRandomGenerator>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QString SystemReason(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

[[noreturn]] void Fail(const QString& fileName, const QString& reason)
{
    throw EInOutError(QStringLiteral("Cannot write the file \"%1\": %2")
                          .arg(QDir::toNativeSeparators(fileName), reason));
}

QByteArray FreshNameBeside(const QString& fileName)
{
    return QFile::encodeName(fileName) + '.' +
           QByteArray::number(QRandomGenerator::global()->generate(), 36) + ".tmp";
}

QByteArray ProcPath(int fd)
{
    return "/proc/self/fd/" + QByteArray::number(fd);
}

// A new file beside the target, so the rename stays on one file system.
int CreateBeside(const QString& fileName, QByteArray& tempName)
{
    for (int attempt = 0; attempt < 100; ++attempt) {
        tempName = FreshNameBeside(fileName);
        const int fd = ::open(tempName.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    return -1;
}

// An unnamed file in the target's folder, where the file system has them,
// so a run that dies leaves nothing behind. It is named only at the commit,
// through /proc; without /proc none is made.
int CreateUnnamed(const QString& fileName)
{
    if (::access("/proc/self/fd", X_OK) != 0)
        return -1;
    return ::open(QFile::encodeName(QFileInfo(fileName).absolutePath()).constData(),
                  O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
}

// Gives the unnamed file a fresh name beside the target.
bool LinkBeside(int fd, const QString& fileName, QByteArray& tempName)
{
    for (int attempt = 0; attempt < 100; ++attempt) {
        tempName = FreshNameBeside(fileName);
        if (::linkat(AT_FDCWD, ProcPath(fd).constData(), AT_FDCWD, tempName.constData(),
                     AT_SYMLINK_FOLLOW) == 0)
            return true;
        tempName.clear();
        if (errno != EEXIST)
            return false;
    }
    return false;
}

} // namespace

// A file kept as a link elsewhere (a dotfile manager's) stays a link.
TAtomicFile::TAtomicFile(const QString& fileName)
{
    const QFileInfo info(fileName);
    target_ = info.isSymLink() ? info.symLinkTarget() : fileName;
}

TAtomicFile::~TAtomicFile()
{
    Discard();
}

bool TAtomicFile::Open()
{
    Discard();
    committed_ = false;
    fd_ = CreateUnnamed(target_);
    unnamed_ = fd_ >= 0;
    if (!unnamed_)
        fd_ = CreateBeside(target_, tempName_);
    if (fd_ < 0) {
        error_ = SystemReason(errno);
        tempName_.clear();
        return false;
    }
    if (!device_.open(fd_, QIODevice::WriteOnly | QIODevice::Unbuffered,
                      QFileDevice::DontCloseHandle)) {
        error_ = device_.errorString();
        Discard();
        return false;
    }
    return true;
}

// The permissions are given last: a library that writes the file by name
// must still be able to open it when the old file is read-only.
void TAtomicFile::Commit()
{
    if (committed_)
        return;
    if (fd_ < 0)
        Fail(target_, error_.isEmpty() ? SystemReason(EBADF) : error_);
    device_.close();
    const QByteArray target = QFile::encodeName(target_);
    struct stat old;
    bool ok = ::stat(target.constData(), &old) != 0 || ::fchmod(fd_, old.st_mode & 07777) == 0;
    ok = ok && ::fsync(fd_) == 0 && (!unnamed_ || LinkBeside(fd_, target_, tempName_));
    int error = errno;
    if (::close(fd_) != 0 && ok) {
        ok = false;
        error = errno;
    }
    fd_ = -1;
    if (ok && ::rename(tempName_.constData(), target.constData()) != 0) {
        ok = false;
        error = errno;
    }
    if (!ok) {
        Discard();
        Fail(target_, SystemReason(error ? error : EIO));
    }
    tempName_.clear();
    committed_ = true;
    // The rename itself reaches the disk with the folder's entry.
    const int dir = ::open(QFile::encodeName(QFileInfo(target_).absolutePath()).constData(),
                           O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
}

QString TAtomicFile::TemporaryName() const
{
    return QFile::decodeName(unnamed_ && fd_ >= 0 ? ProcPath(fd_) : tempName_);
}

void TAtomicFile::Discard()
{
    device_.close();
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
    if (!tempName_.isEmpty())
        ::unlink(tempName_.constData());
    tempName_.clear();
}

void ReplaceFileContents(const QString& fileName, const QByteArray& bytes)
{
    TAtomicFile file(fileName);
    if (!file.Open())
        Fail(file.FileName(), file.ErrorString());
    if (file.Device()->write(bytes) != bytes.size())
        Fail(file.FileName(), file.Device()->errorString());
    file.Commit();
}
