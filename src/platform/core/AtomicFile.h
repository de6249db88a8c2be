// Replacing a file's contents all at once: the new bytes go to a fresh file
// beside the old one, which takes the old one's place only when every write,
// the flush to disk and the close succeeded. On any failure (a full disk, a
// size limit, a read-only folder) the old file stays exactly as it was.
#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

// A file being written for a target: made in the target's folder, unnamed
// where the file system allows (else under a fresh name beside it), with
// 0666 less the umask (at the commit, the old file's permissions when there
// is one); put in the target's place by Commit, and gone after Discard or
// when dropped uncommitted. A target that is a link keeps the link: the file
// it points to is replaced.
class TAtomicFile
{
public:
    explicit TAtomicFile(const QString& fileName);
    ~TAtomicFile();
    TAtomicFile(const TAtomicFile&) = delete;
    TAtomicFile& operator=(const TAtomicFile&) = delete;

    // Creates the fresh file; false with ErrorString saying why.
    bool Open();
    // The file replaced: the target of a link, else the name given.
    const QString& FileName() const { return target_; }
    QString ErrorString() const { return error_; }
    // The fresh file as a device (unbuffered, so a failed write shows at
    // once; it seeks), for writers that write through it.
    QIODevice* Device() { return &device_; }
    // The fresh file's path, for a library that writes the file by name.
    QString TemporaryName() const;
    // Flushes the file to disk and renames it over the target; raises
    // EInOutError naming the target on failure, the target then untouched.
    // Once committed, a second call does nothing.
    void Commit();
    void Discard();

private:
    QString target_;
    QByteArray tempName_;
    int fd_ = -1;
    bool unnamed_ = false; // no name until the commit
    bool committed_ = false;
    QFile device_;
    QString error_;
};

// Raises EInOutError naming the file and the system's reason on failure.
void ReplaceFileContents(const QString& fileName, const QByteArray& bytes);
