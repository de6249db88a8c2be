// What runs that no longer live left behind. A run names what it leaves on
// disk after its process id (a private folder "tq-private-<pid>-XXXXXX", an
// answer file "tq-<pid>-...", a journal of temporary tables, an export's
// temporary file), so a later start tells a killed run's leftovers from a live
// run's: the process is gone. Only this user's entries are touched, never
// through a link, and a folder only when it carries our marker.
#pragma once

#include <QRegularExpression>
#include <QString>
#include <QStringList>

// The file that marks a folder as made by this program.
extern const QString kOwnFolderMarker;

// Whether the process lives; one of another user counts as living.
bool ProcessIsAlive(qint64 pid);

// Whether the entry is this user's own and no link: a regular file, or a
// folder when folder is true.
bool IsOwnEntry(const QString& path, bool folder);

// The entries of folder whose names match pattern (its first capture is the
// process id of the run that made them) that are this user's own, no links,
// and whose process is gone; full paths.
QStringList DeadRunLeftovers(const QString& folder, const QRegularExpression& pattern);

// Deletes the files of folder that dead runs left, as named by pattern.
void RemoveDeadRunFiles(const QString& folder, const QRegularExpression& pattern);

// Removes the folders in parent that dead runs left, as named by pattern,
// when they carry our marker: first the files in them named by files, then
// the marker and the folder when nothing else is left in it.
void RemoveDeadRunFolders(const QString& parent, const QRegularExpression& pattern,
                          const QRegularExpression& files);
