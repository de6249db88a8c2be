// The private folders that hold the engine's answer files. Several runners of
// one user may share a folder, so a runner emptying it must spare what a live
// runner still holds: every runner keeps a lock file in the folder while it
// uses it (".tessaly-<pid>-<n>.lock", flock-held, so it is released when the
// process dies), and an answer file named "tq-<pid>-..." belongs to a live
// runner as long as some lock of that pid is held.
// A folder is this program's own only when it is a real folder of this user
// (no link) carrying the marker ".tessaly-private" left when it was made; only
// such a folder is emptied or removed, and only of files named as this
// program names them. Since /tmp is shared with other users, the user's
// folder there (<tmp>/<user>) is made with mode 0700 and refused when it is
// a link, another user's, or writable by others.
#pragma once

#include <QString>

// Whether the folder may be emptied by this program.
bool IsOwnedPrivateFolder(const QString& folder);
// Creates the folder with its missing parents and marks it as ours; false
// when it cannot, or when what stands there is a link or another user's.
bool CreatePrivateFolder(const QString& folder);
// Deletes the files of an owned folder that this program named (sub-folders
// and other files stay) except the marker, held locks and the answer files of
// live runners; stale locks go. A folder not owned is left alone.
void EmptyPrivateFolder(const QString& folder);
// Empties an owned folder and removes it when nothing of another runner is
// left in it; failures are not reported.
void RemovePrivateFolder(const QString& folder);

// The user's own folder under the temporary folder, <tmp>/<user>, without a
// trailing separator.
QString UserTempFolder();
// The private folder to use for one derived from the user's folder
// (<tmp>/<user>/SQLLantern): that folder when it is ours, missing (then made)
// or an empty folder of the user's (then marked); otherwise, since someone
// else's files or a link stand there, a fresh marked folder made with
// mkdtemp inside the user's folder (or the temporary folder, when the user's
// folder is refused). Empty when none can be made.
QString ChoosePrivateFolder(const QString& derived);

// Removes what killed runs left behind in the temporary folder and in the
// user's folder there: their private folders with the answer files in them.
void RemoveDeadRunLeftovers();

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
