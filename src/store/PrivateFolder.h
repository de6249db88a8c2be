// The private folders that hold the engine's answer files. Several runners of
// one user may share a folder, so a runner emptying it must spare what a live
// runner still holds: every runner keeps a lock file in the folder while it
// uses it (".tessaly-<pid>-<n>.lock", flock-held, so it is released when the
// process dies), and an answer file named "tq-<pid>-..." belongs to a live
// runner as long as some lock of that pid is held. A folder is emptied only
// when this program owns it: it carries the marker ".tessaly-private" left
// when the folder was created, or it lies below the user's own temporary
// folder (<tmp>/<user>/...).
#pragma once

#include <QString>

// Whether the folder may be emptied by this program.
bool IsOwnedPrivateFolder(const QString& folder);
// Creates the folder with its missing parents and marks it as ours; false when it cannot.
bool CreatePrivateFolder(const QString& folder);
// Deletes the files of an owned folder (sub-folders stay) except the marker,
// held locks and the answer files of live runners; stale locks go. A folder
// not owned is left alone.
void EmptyPrivateFolder(const QString& folder);
// Empties an owned folder and removes it when nothing of another runner is
// left in it; failures are not reported.
void RemovePrivateFolder(const QString& folder);

// This runner's lock in a private folder, held from construction to destruction.
class TPrivateFolderLock
{
public:
    explicit TPrivateFolderLock(const QString& folder);
    ~TPrivateFolderLock();
    TPrivateFolderLock(const TPrivateFolderLock&) = delete;
    TPrivateFolderLock& operator=(const TPrivateFolderLock&) = delete;

    const QString& Folder() const { return folder_; }
    bool Held() const { return fd_ >= 0; }

private:
    QString folder_;
    QString fileName_;
    int fd_ = -1;
};
