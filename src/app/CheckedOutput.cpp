#include "app/CheckedOutput.h"

#include "platform/core/Exceptions.h"

#include <cerrno>
#include <cstring>

namespace {

[[noreturn]] void RaiseWriteError(int error)
{
    throw EInOutError(QStringLiteral("Cannot write to standard output: %1")
                          .arg(QString::fromLocal8Bit(std::strerror(error))));
}

} // namespace

void WriteOutput(FILE* out, const QByteArray& bytes)
{
    if (bytes.isEmpty())
        return;
    errno = 0;
    if (std::fwrite(bytes.constData(), 1, size_t(bytes.size()), out) != size_t(bytes.size()))
        RaiseWriteError(errno ? errno : EIO);
}

void FlushOutput(FILE* out)
{
    errno = 0;
    if (std::fflush(out) != 0 || std::ferror(out))
        RaiseWriteError(errno ? errno : EIO);
}
