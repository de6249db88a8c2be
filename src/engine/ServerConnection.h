// One connection to a database server through libpq, and the result handle
// that is cleared on every exit path. The server's place is a libpq
// connection string or URI (passwords, TLS and services by libpq's own
// conventions: ~/.pgpass, PGSERVICE, PGSSLMODE); the program stores no
// password. Every failure becomes EDatabaseError carrying the server's own
// message. While a statement runs, the connection waits on its socket in
// short steps and, once the watched flag is set, asks the server to cancel
// the statement (PQcancel); the statement then raises "Operation
// interrupted" and the connection is closed. A lost connection is closed
// too; the next statement connects again.
#pragma once

#include "engine/Session.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <atomic>
#include <libpq-fe.h>
#include <memory>

struct TPgResultDeleter
{
    void operator()(PGresult* result) const { PQclear(result); }
};
using TPgResult = std::unique_ptr<PGresult, TPgResultDeleter>;

// Bytes libpq hands over for the caller to free (a row of a COPY out).
struct TPgMemoryDeleter
{
    void operator()(char* bytes) const { PQfreemem(bytes); }
};
using TPgBytes = std::unique_ptr<char, TPgMemoryDeleter>;

class ServerConnection
{
public:
    ServerConnection(const QString& serverName, const QString& userName);
    ~ServerConnection();
    ServerConnection(const ServerConnection&) = delete;
    ServerConnection& operator=(const ServerConnection&) = delete;

    // The identity of the server's database: the connection string and the user.
    static QString LocationOf(const QString& serverName, const QString& userName);
    const QString& Location() const { return location_; }

    // Connects unless connected. When the server asks for a password that
    // libpq's own sources do not give and prompt is given, the user is asked
    // (the answer lives only in this connection); else the server's message
    // is raised.
    void Connect(const TPasswordPrompt* prompt);
    bool Connected() const { return conn_ != nullptr; }
    void Close();

    // Runs SQL of one or more statements by the simple protocol; the result
    // of the last statement. Raises on the first failing one.
    TPgResult Exec(const QString& sql);
    // Runs one statement with text parameters bound to $1, $2...
    TPgResult ExecParams(const QString& sql, const QList<QByteArray>& params);
    // Sends SQL without waiting, so the server works while the caller does;
    // Collect then waits for its result as Exec does. ReadAhead takes in what
    // has arrived meanwhile, so the server is not held up by a full socket.
    void Send(const QString& sql);
    TPgResult Collect() { return Wait(); }
    void ReadAhead();
    // Parses one statement and describes its result columns (PQnfields...).
    TPgResult Describe(const QString& sql);
    // Starts a COPY ... FROM STDIN of our own, sends it rows in COPY's text
    // form and ends it. A script's own COPY FROM STDIN fails in Exec.
    void StartCopy(const QString& sql);
    void PutCopyData(const QByteArray& data);
    void EndCopy();
    // Starts a COPY ... TO STDOUT of our own and takes its data one message
    // at a time: the message's length, or -1 once the copy has ended well.
    // A copy left before its end is cancelled (AbandonCopyOut).
    void StartCopyOut(const QString& sql);
    int NextCopyData(TPgBytes& data);
    void AbandonCopyOut();

    // The name quoted as an identifier by the server's rules.
    QString QuoteIdentifier(const QString& name);
    // Whether a transaction is open (the script's own, or ours).
    bool InTransaction();

    // While watched, a running statement is cancelled soon after *flag becomes true.
    void Watch(const std::atomic<bool>* flag) { interruptFlag_ = flag; }
    void Unwatch() { interruptFlag_ = nullptr; }

private:
    PGconn* Handle();
    // A statement of a stopped run is not sent.
    void StopIfInterrupted();
    enum class TWaitFor
    {
        Results,
        CopyIn,  // the start of our own COPY FROM STDIN
        CopyOut, // the start of our own COPY TO STDOUT
    };
    TPgResult Wait(TWaitFor what = TWaitFor::Results);
    // Every text goes to the server and comes back in UTF-8: a statement's
    // SET client_encoding would have the server read the next statements in
    // another encoding and store their text garbled, so it is undone at once.
    void KeepUtf8();
    // Asks the server to cancel the running statement.
    void SendCancel();
    // Waits a step for input, asking the server once to cancel the running
    // statement when the watched flag is set.
    void AwaitInput(bool& cancelled);
    [[noreturn]] void Fail(const PGresult* result);

    QString serverName_;
    QString userName_;
    QString location_;
    QByteArray password_; // what the user typed, for connecting again; never written anywhere
    PGconn* conn_ = nullptr;
    const std::atomic<bool>* interruptFlag_ = nullptr;
};

// Keeps one connection watched for interruption by the session while a
// statement runs; raises at once when the session is already interrupted.
class ServerRunGuard
{
public:
    ServerRunGuard(TSession& session, ServerConnection& connection);
    ~ServerRunGuard();
    ServerRunGuard(const ServerRunGuard&) = delete;
    ServerRunGuard& operator=(const ServerRunGuard&) = delete;

private:
    ServerConnection& connection_;
};
