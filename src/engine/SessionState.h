// What a session keeps behind its interface: the connections of the folders
// it has used, the answer files it has created and the datasets that own them,
// its own private folder, and the interruption flag watched by running
// statements. The bookkeeping may be touched from the worker thread that runs
// a script and from the GUI thread, so it is guarded by one mutex.
#pragma once

#include "engine/ServerConnection.h"
#include "engine/Session.h"
#include "engine/SqliteConnection.h"

#include <QString>
#include <atomic>
#include <map>
#include <memory>
#include <mutex>
#include <set>

class TDataSet;

struct TSession::State
{
    std::mutex mutex;
    std::atomic<bool> interrupted{false};
    std::set<SqliteConnection*> running; // connections inside a RunGuard
    std::map<QString, std::unique_ptr<SqliteConnection>> folders;
    std::map<QString, std::unique_ptr<ServerConnection>> servers; // by location
    std::map<QString, TDataSet*> answers; // answer file -> the dataset that owns it
    QString ownDir;                       // the session's own private folder, once created
};

// The session of a name ("Default" and the empty name: the default session);
// null when there is none.
TSession* FindSession(const QString& name);

// The value of NAME in "NAME=value" lines, NAME compared without letter case.
QString ParamValue(const QStringList& params, const QString& name, bool* found = nullptr);

// The connection of a database folder, shared by the session's queries so
// that temporary tables and transactions last from one statement to the next.
SqliteConnection& FolderConnection(TSession& session, const QString& folder);

// Whether an alias's parameters name a server database (TYPE=POSTGRESQL).
bool IsServerAlias(const QStringList& params);

// The connection of a server database, shared by the session's queries like
// a folder's; not yet connected when it is new.
ServerConnection& ServerConnectionOf(TSession& session, const QString& serverName,
                                     const QString& userName);

// A new, empty answer file in the session's private folder (re-created when
// missing), registered to its dataset; the name is unique in the process and
// on the folder.
QString CreateAnswerFile(TSession& session, TDataSet* owner);
// Removes an answer file and forgets it.
void RemoveAnswerFile(TSession& session, const QString& fileName);

// Watches one connection for interruption while a statement runs: raises at
// once when the session is already interrupted, lets TSession::Interrupt reach
// the connection, and stops long steps and lock waits through SQLite's
// progress and busy handlers.
class RunGuard
{
public:
    RunGuard(TSession& session, SqliteConnection& connection);
    ~RunGuard();
    RunGuard(const RunGuard&) = delete;
    RunGuard& operator=(const RunGuard&) = delete;

private:
    TSession::State& state_;
    SqliteConnection& connection_;
};
