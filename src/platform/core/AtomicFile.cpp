// The atomic replace behind AtomicFile.h, on plain POSIX calls so that every
// step's result is seen: buffered writers report a full disk late or never.
#include "platform/core/AtomicFile.h"

#include "platform/core/Exceptions.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

[[noreturn]] void Fail(const QString& fileName, int error)
{
    throw EInOutError(
        QStringLiteral("Cannot write the file \"%1\": %2")
            .arg(QDir::toNativeSeparators(fileName), QString::fromLocal8Bit(std::strerror(error))));
}

// A new file beside the target, so the rename stays on one file system.
int CreateBeside(const QString& fileName, QByteArray& tempName)
{
    for (int attempt = 0; attempt < 100; ++attempt) {
        tempName = QFile::encodeName(fileName) + '.' +
                   QByteArray::number(QRandomGenerator::global()->generate(), 36) + ".tmp";
        const int fd = ::open(tempName.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    return -1;
}

bool WriteAllBytes(int fd, const QByteArray& bytes)
{
    const char* at = bytes.constData();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, at, size_t(left));
        if (n < 0 && errno == EINTR)
            continue;
        if (n == 0)
            errno = ENOSPC;
        if (n <= 0)
            return false;
        at += n;
        left -= n;
    }
    return true;
}

} // namespace

void ReplaceFileContents(const QString& name, const QByteArray& bytes)
{
    // A file kept as a link elsewhere (a dotfile manager's) stays a link.
    const QFileInfo info(name);
    const QString fileName = info.isSymLink() ? info.symLinkTarget() : name;
    const QByteArray target = QFile::encodeName(fileName);
    QByteArray tempName;
    const int fd = CreateBeside(fileName, tempName);
    if (fd < 0)
        Fail(fileName, errno);

    struct stat old;
    bool ok = ::stat(target.constData(), &old) != 0 || ::fchmod(fd, old.st_mode & 07777) == 0;
    ok = ok && WriteAllBytes(fd, bytes) && ::fsync(fd) == 0;
    int error = errno;
    if (::close(fd) != 0 && ok) {
        ok = false;
        error = errno;
    }
    if (ok && ::rename(tempName.constData(), target.constData()) != 0) {
        ok = false;
        error = errno;
    }
    if (!ok) {
        ::unlink(tempName.constData());
        Fail(fileName, error ? error : EIO);
    }
    // The rename itself reaches the disk with the folder's entry.
    const int dir = ::open(QFile::encodeName(QFileInfo(fileName).absolutePath()).constData(),
                           O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
}
