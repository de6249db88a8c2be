// The database session: the engine's aliases (from engine.cfg), the databases
// opened in it, the private folder that holds answer tables, the network
// control folder, and the interruption of a running statement.
#pragma once

#include <QObject>
#include <QRegularExpression>
#include <QString>
#include <QStringList>
#include <atomic>
#include <functional>

class TDatabase;

// Asks the user for a server's password: prompt is what to say; false when cancelled.
using TPasswordPrompt = std::function<bool(const QString& prompt, QString& password)>;

class TSession : public QObject
{
    Q_OBJECT
public:
    // The default session, named "Default", created on first use.
    static TSession* Default();

    explicit TSession(const QString& sessionName, QObject* owner = nullptr);
    ~TSession() override;

    const QString& SessionName() const { return sessionName_; }

    bool Active() const { return active_; }
    // Opening checks (and creates when missing) the private folder; raises when unusable.
    void Open();
    // Closes every database of the session and removes the session's own answer files.
    void Close();

    // Alias names of engine.cfg (the "\DATABASES\<name>\DB INFO\" sections), in file order.
    QStringList AliasNames() const;
    bool IsAlias(const QString& name) const; // letter case ignored
    // The alias's parameters as "NAME=value" lines; raises for an unknown alias.
    QStringList AliasParams(const QString& name) const;
    // Adds (or replaces) an alias with its parameter lines.
    void AddAlias(const QString& name, const QStringList& params);

    // Tables of a database (names without extensions, no system tables),
    // sorted; a folder's, or a server's tables that its queries see.
    QStringList TableNames(const QString& databaseName) const;

    // The folder for answer tables. Until one is set, a folder of the
    // session's own under the temporary folder. Re-created when missing before use.
    QString PrivateDir() const;
    void SetPrivateDir(const QString& folder);
    // Must be an existing writable folder, else raises and keeps the one in force.
    QString NetFileDir() const { return netFileDir_; }
    void SetNetFileDir(const QString& folder);

    // Databases registered in this session, in order of creation.
    const QList<TDatabase*>& Databases() const { return databases_; }
    TDatabase* FindDatabase(const QString& databaseName) const; // letter case ignored

    // The folder behind a database name: a database component of this session
    // with that DatabaseName, else an alias, else the name itself when it is
    // an existing folder path. Raises EDatabaseError when none applies (a
    // server database among them). The returned folder has no trailing
    // separator.
    QString ResolveFolder(const QString& databaseName) const;

    // Stops the statement running on any thread (thread-safe); the run then
    // raises EDatabaseError "Operation interrupted". Cleared by ResetInterrupt.
    void Interrupt();
    void ResetInterrupt();
    bool Interrupted() const;
    // The flag running statements watch.
    const std::atomic<bool>* InterruptFlag() const;

    // How a server's password is asked for when it wants one that libpq's
    // own sources (~/.pgpass, PGPASSWORD, a service file) do not give; unset,
    // connecting fails with the server's message.
    void SetPasswordPrompt(TPasswordPrompt prompt) { passwordPrompt_ = std::move(prompt); }
    const TPasswordPrompt& PasswordPrompt() const { return passwordPrompt_; }

    // The engine's own bookkeeping behind the session (SessionState.h), used
    // by the engine's datasets; callers have no use for it.
    struct State;
    State& Internals() const { return *state_; }

private:
    friend class TDatabase;
    void Register(TDatabase* database);
    void Unregister(TDatabase* database);

    QString sessionName_;
    bool active_ = false;
    QString privateDir_;
    QString netFileDir_;
    QList<TDatabase*> databases_;
    TPasswordPrompt passwordPrompt_;
    State* state_;
};

// Answer files are named "tq-<pid>-...", after the process that made them
// (SQLite's side files start the same); the first capture is the process id.
const QRegularExpression& AnswerFilePattern();

// Removes what killed runs left in parent (the temporary folder, or a user's
// folder of private folders): their own private folders with the answer
// files in them, and their answer files.
void RemoveDeadRunPrivateFolders(const QString& parent);

// The "Default" session.
inline TSession* Session()
{
    return TSession::Default();
}
