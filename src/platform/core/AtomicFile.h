// Replacing a file's contents all at once: the new bytes go to a fresh file
// beside the old one, which takes the old one's place only when every write,
// the flush to disk and the close succeeded. On any failure (a full disk, a
// size limit, a read-only folder) the old file stays exactly as it was.
#pragma once

#include <QByteArray>
#include <QString>

// Raises EInOutError naming the file and the system's reason on failure; the
// new file keeps the old one's permissions, and a link the file it points to.
void ReplaceFileContents(const QString& fileName, const QByteArray& bytes);
