// The libpq connection: connecting with the alias's settings, waiting for
// results on the socket so that a cancel can be sent, and turning the
// server's failures into EDatabaseError.
#include "engine/ServerConnection.h"

#include "engine/Session.h"
#include "platform/core/Exceptions.h"

#include <poll.h>
#include <vector>

namespace {

// The server's message without libpq's line ends; a result's primary message
// when there is one.
QString MessageOf(PGconn* conn, const PGresult* result)
{
    const char* primary = result ? PQresultErrorField(result, PG_DIAG_MESSAGE_PRIMARY) : nullptr;
    QString message = QString::fromUtf8(primary ? primary : PQerrorMessage(conn)).trimmed();
    return message.isEmpty() ? QStringLiteral("The server connection failed") : message;
}

// The settings every connection gets: text in UTF-8, dates in ISO form (the
// order of day and month the server uses for input is kept), money without
// a locale's currency signs, so values read back the same everywhere.
void PrepareSession(PGconn* conn)
{
    const QString dateStyle = QString::fromUtf8(PQparameterStatus(conn, "DateStyle"));
    const QString order = dateStyle.section(QLatin1Char(','), 1).trimmed();
    QByteArray sql = "SET lc_monetary = 'C'";
    if (!dateStyle.startsWith(QLatin1String("ISO")))
        sql += "; SET DateStyle = 'ISO, " +
               (order.isEmpty() ? QByteArray("MDY") : order.toLatin1()) + "'";
    PGresult* result = PQexec(conn, sql.constData());
    const bool ok = PQresultStatus(result) == PGRES_COMMAND_OK;
    const QString message = MessageOf(conn, result);
    PQclear(result);
    if (!ok)
        throw EDatabaseError(message);
}

} // namespace

ServerConnection::ServerConnection(const QString& serverName, const QString& userName)
    : serverName_(serverName), userName_(userName), location_(LocationOf(serverName, userName))
{
}

ServerConnection::~ServerConnection()
{
    Close();
    password_.fill('\0');
}

QString ServerConnection::LocationOf(const QString& serverName, const QString& userName)
{
    return QStringLiteral("server:") + serverName.trimmed() + QStringLiteral(" user:") +
           userName.trimmed();
}

void ServerConnection::Connect(const TPasswordPrompt* prompt)
{
    if (conn_)
        return;
    for (;;) {
        const QByteArray server = serverName_.trimmed().toUtf8();
        const QByteArray user = userName_.trimmed().toUtf8();
        // The connection string comes first, so that what follows wins over it.
        std::vector<const char*> keys{"dbname"}, values{server.constData()};
        if (!user.isEmpty()) {
            keys.push_back("user");
            values.push_back(user.constData());
        }
        if (!password_.isEmpty()) {
            keys.push_back("password");
            values.push_back(password_.constData());
        }
        keys.insert(keys.end(), {"client_encoding", "fallback_application_name", nullptr});
        values.insert(values.end(), {"UTF8", "tessaly-query", nullptr});
        PGconn* conn = PQconnectdbParams(keys.data(), values.data(), 1);
        if (PQstatus(conn) == CONNECTION_OK) {
            try {
                PrepareSession(conn);
            } catch (...) {
                PQfinish(conn);
                throw;
            }
            conn_ = conn;
            return;
        }
        const QString message = MessageOf(conn, nullptr);
        const bool needsPassword = PQconnectionNeedsPassword(conn) && password_.isEmpty();
        const QString who = QString::fromUtf8(PQuser(conn));
        const QString where = QString::fromUtf8(PQhost(conn));
        const QString database = QString::fromUtf8(PQdb(conn));
        PQfinish(conn);
        QString typed;
        if (!needsPassword || !prompt || !*prompt ||
            !(*prompt)(
                QStringLiteral("Password for %1 on %2 (database %3):").arg(who, where, database),
                typed))
            throw EDatabaseError(message);
        password_ = typed.toUtf8();
        typed.fill(QLatin1Char('\0'));
        if (password_.isEmpty())
            throw EDatabaseError(message);
    }
}

void ServerConnection::Close()
{
    if (conn_) {
        PQfinish(conn_);
        conn_ = nullptr;
    }
}

PGconn* ServerConnection::Handle()
{
    Connect(nullptr);
    return conn_;
}

void ServerConnection::Fail(const PGresult* result)
{
    const bool interrupted = interruptFlag_ && interruptFlag_->load();
    const QString message = MessageOf(conn_, result);
    // A cancelled statement ends the connection; so does a lost one.
    if (interrupted || PQstatus(conn_) != CONNECTION_OK)
        Close();
    throw EDatabaseError(interrupted ? QStringLiteral("Operation interrupted") : message);
}

void ServerConnection::SendCancel()
{
    if (PGcancel* cancel = PQgetCancel(conn_)) {
        char message[256];
        PQcancel(cancel, message, sizeof message);
        PQfreeCancel(cancel);
    }
}

void ServerConnection::AwaitInput(bool& cancelled)
{
    if (interruptFlag_ && interruptFlag_->load() && !cancelled) {
        cancelled = true;
        SendCancel();
    }
    pollfd watch{PQsocket(conn_), POLLIN, 0};
    if (::poll(&watch, 1, 100) < 0 && errno != EINTR)
        Fail(nullptr);
    if (!PQconsumeInput(conn_))
        Fail(nullptr);
}

// Collects the results of what was sent; the last one, or the first failure.
// The socket is watched in steps of a tenth of a second, so a cancel asked
// for meanwhile goes to the server at once.
TPgResult ServerConnection::Wait(TWaitFor what)
{
    bool cancelled = false;
    TPgResult last;
    TPgResult failure;
    for (;;) {
        while (PQisBusy(conn_))
            AwaitInput(cancelled);
        PGresult* result = PQgetResult(conn_);
        if (!result)
            break;
        switch (PQresultStatus(result)) {
        case PGRES_COPY_IN:
            // Rows for our own COPY ... FROM STDIN come from PutCopyData; a
            // script's own has nothing to send.
            if (what == TWaitFor::CopyIn && !failure && !last) {
                last.reset(result);
                return last;
            }
            PQputCopyEnd(conn_, "COPY FROM STDIN is not supported in scripts");
            PQclear(result);
            continue;
        case PGRES_COPY_OUT: {
            // Our own COPY TO STDOUT is read by NextCopyData; a script's own
            // is read to its end and dropped.
            if (what == TWaitFor::CopyOut && !failure && !last) {
                last.reset(result);
                return last;
            }
            char* row = nullptr;
            while (PQgetCopyData(conn_, &row, 0) > 0)
                PQfreemem(row);
            PQclear(result);
            continue;
        }
        case PGRES_BAD_RESPONSE:
        case PGRES_NONFATAL_ERROR:
        case PGRES_FATAL_ERROR:
            if (!failure)
                failure.reset(result);
            else
                PQclear(result);
            continue;
        default:
            last.reset(result);
            continue;
        }
    }
    if (failure)
        Fail(failure.get());
    if (PQstatus(conn_) != CONNECTION_OK)
        Fail(nullptr);
    KeepUtf8();
    return last;
}

void ServerConnection::KeepUtf8()
{
    const char* encoding = PQparameterStatus(conn_, "client_encoding");
    if (!encoding || qstrcmp(encoding, "UTF8") == 0)
        return;
    const TPgResult result(PQexec(conn_, "SET client_encoding = 'UTF8'"));
    if (PQresultStatus(result.get()) != PGRES_COMMAND_OK)
        Fail(result.get());
}

void ServerConnection::StopIfInterrupted()
{
    if (interruptFlag_ && interruptFlag_->load()) {
        Close();
        throw EDatabaseError(QStringLiteral("Operation interrupted"));
    }
}

TPgResult ServerConnection::Exec(const QString& sql)
{
    Send(sql);
    return Wait();
}

void ServerConnection::Send(const QString& sql)
{
    StopIfInterrupted();
    if (!PQsendQuery(Handle(), sql.toUtf8().constData()))
        Fail(nullptr);
}

void ServerConnection::ReadAhead()
{
    if (conn_ && !PQconsumeInput(conn_))
        Fail(nullptr);
}

TPgResult ServerConnection::ExecParams(const QString& sql, const QList<QByteArray>& params)
{
    StopIfInterrupted();
    const QByteArray text = sql.toUtf8();
    std::vector<const char*> values;
    for (const QByteArray& param : params)
        values.push_back(param.isNull() ? nullptr : param.constData());
    if (!PQsendQueryParams(Handle(), text.constData(), int(values.size()), nullptr, values.data(),
                           nullptr, nullptr, 0))
        Fail(nullptr);
    return Wait();
}

TPgResult ServerConnection::Describe(const QString& sql)
{
    StopIfInterrupted();
    const QByteArray text = sql.toUtf8();
    if (!PQsendPrepare(Handle(), "", text.constData(), 0, nullptr))
        Fail(nullptr);
    Wait();
    if (!PQsendDescribePrepared(conn_, ""))
        Fail(nullptr);
    return Wait();
}

void ServerConnection::StartCopy(const QString& sql)
{
    StopIfInterrupted();
    if (!PQsendQuery(Handle(), sql.toUtf8().constData()))
        Fail(nullptr);
    Wait(TWaitFor::CopyIn);
}

void ServerConnection::StartCopyOut(const QString& sql)
{
    StopIfInterrupted();
    if (!PQsendQuery(Handle(), sql.toUtf8().constData()))
        Fail(nullptr);
    Wait(TWaitFor::CopyOut);
}

int ServerConnection::NextCopyData(TPgBytes& data)
{
    // A closed connection has no copy to go on with: connecting again would
    // read as a copy that ended well.
    if (!conn_)
        Fail(nullptr);
    bool cancelled = false;
    for (;;) {
        char* bytes = nullptr;
        const int length = PQgetCopyData(conn_, &bytes, 1);
        if (length > 0) {
            data.reset(bytes);
            return length;
        }
        if (length == 0) {
            AwaitInput(cancelled);
            continue;
        }
        // The copy has ended: its own result says how.
        Wait();
        return -1;
    }
}

void ServerConnection::AbandonCopyOut()
{
    if (!conn_)
        return;
    SendCancel();
    try {
        TPgBytes data;
        while (NextCopyData(data) >= 0) {
        }
    } catch (const Exception&) {
        // The cancelled copy ends in its error, or the connection is closed.
    }
}

void ServerConnection::PutCopyData(const QByteArray& data)
{
    if (PQputCopyData(Handle(), data.constData(), int(data.size())) != 1)
        Fail(nullptr);
}

void ServerConnection::EndCopy()
{
    if (PQputCopyEnd(Handle(), nullptr) != 1)
        Fail(nullptr);
    Wait();
}

QString ServerConnection::QuoteIdentifier(const QString& name)
{
    const QByteArray utf8 = name.toUtf8();
    char* quoted = PQescapeIdentifier(Handle(), utf8.constData(), size_t(utf8.size()));
    if (!quoted)
        Fail(nullptr);
    const QString result = QString::fromUtf8(quoted);
    PQfreemem(quoted);
    return result;
}

bool ServerConnection::InTransaction()
{
    return PQtransactionStatus(Handle()) != PQTRANS_IDLE;
}

ServerRunGuard::ServerRunGuard(TSession& session, ServerConnection& connection)
    : connection_(connection)
{
    if (session.Interrupted())
        throw EDatabaseError(QStringLiteral("Operation interrupted"));
    connection.Watch(session.InterruptFlag());
}

ServerRunGuard::~ServerRunGuard()
{
    connection_.Unwatch();
}
