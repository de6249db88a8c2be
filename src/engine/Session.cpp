// The database session: aliases from engine.cfg, the databases registered in
// it, the private and network control folders, folder resolution, and the
// interruption of running statements.
#include "engine/Session.h"

#include "engine/DataSet.h"
#include "engine/Database.h"
#include "engine/EngineConfig.h"
#include "engine/EngineDatabase.h"
#include "engine/FolderTables.h"
#include "engine/SessionState.h"
#include "platform/core/DeadRunCleanup.h"
#include "platform/core/Exceptions.h"
#include "platform/core/IniFile.h"
#include "platform/core/SystemInfo.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSet>
#include <QTemporaryDir>
#include <QTemporaryFile>
#include <unistd.h>

namespace {

QString AliasSection(const QString& name)
{
    return QStringLiteral("\\DATABASES\\") + name + QStringLiteral("\\DB INFO\\");
}

} // namespace

QString ParamValue(const QStringList& params, const QString& name, bool* found)
{
    for (const QString& line : params) {
        const qsizetype equals = line.indexOf(QLatin1Char('='));
        if (equals >= 0 && line.left(equals).trimmed().compare(name, Qt::CaseInsensitive) == 0) {
            if (found)
                *found = true;
            return line.mid(equals + 1).trimmed();
        }
    }
    if (found)
        *found = false;
    return QString();
}

namespace {

// Removes the session's own answer files; the private folder itself stays
// unless it is the session's own.
void RemoveFiles(const QStringList& files)
{
    for (const QString& file : files)
        QFile::remove(file);
}

std::mutex& SessionsMutex()
{
    static std::mutex mutex;
    return mutex;
}

QList<TSession*>& Sessions()
{
    static QList<TSession*> sessions;
    return sessions;
}

// Closes the default session when the program ends, so its answer files go.
struct DefaultSessionCloser
{
    TSession* session = nullptr;
    ~DefaultSessionCloser()
    {
        if (session) {
            try {
                session->Close();
            } catch (const Exception&) {
                // Nothing can be reported while the program ends.
            }
        }
    }
};

} // namespace

TSession* TSession::Default()
{
    static DefaultSessionCloser closer;
    static TSession* session = closer.session = new TSession(QStringLiteral("Default"));
    return session;
}

TSession* FindSession(const QString& name)
{
    if (name.isEmpty() || name.compare(QStringLiteral("Default"), Qt::CaseInsensitive) == 0)
        return TSession::Default();
    std::lock_guard lock(SessionsMutex());
    for (TSession* session : Sessions()) {
        if (session->SessionName().compare(name, Qt::CaseInsensitive) == 0)
            return session;
    }
    return nullptr;
}

TSession::TSession(const QString& sessionName, QObject* owner)
    : QObject(owner), sessionName_(sessionName), state_(new State)
{
    std::lock_guard lock(SessionsMutex());
    Sessions().append(this);
}

TSession::~TSession()
{
    try {
        Close();
    } catch (const Exception&) {
        // A destructor cannot report.
    }
    {
        std::lock_guard lock(SessionsMutex());
        Sessions().removeOne(this);
    }
    delete state_;
}

void TSession::Open()
{
    if (active_)
        return;
    const QString folder = NativePath(PrivateDir());
    if (!QDir().mkpath(folder) || !QFileInfo(folder).isWritable())
        throw EDatabaseError(
            QStringLiteral("Cannot use the private directory %1").arg(PrivateDir()));
    active_ = true;
}

void TSession::Close()
{
    for (TDatabase* database : QList<TDatabase*>(databases_))
        database->Close();
    std::vector<TDataSet*> owners;
    {
        std::lock_guard lock(state_->mutex);
        for (const auto& [file, owner] : state_->answers)
            owners.push_back(owner);
    }
    // Closing a dataset removes its answer file.
    for (TDataSet* owner : owners)
        owner->Close();
    QStringList leftovers;
    QString ownDir;
    {
        std::lock_guard lock(state_->mutex);
        for (const auto& [file, owner] : state_->answers)
            leftovers << file;
        state_->answers.clear();
        state_->folders.clear();
        state_->servers.clear();
        ownDir = std::exchange(state_->ownDir, QString());
    }
    RemoveFiles(leftovers);
    if (!ownDir.isEmpty()) {
        QFile::remove(ownDir + QLatin1Char('/') + kOwnFolderMarker);
        QDir().rmdir(ownDir);
    }
    active_ = false;
}

QStringList TSession::AliasNames() const
{
    static const QRegularExpression pattern(
        QStringLiteral("^\\\\DATABASES\\\\(.+)\\\\DB INFO\\\\$"),
        QRegularExpression::CaseInsensitiveOption);
    // Names seen in case-folded form, so many aliases are listed in one pass.
    QStringList names;
    QSet<QString> seen;
    for (const QString& section : TIniFile(EngineConfigFile()).ReadSections()) {
        const QRegularExpressionMatch match = pattern.match(section);
        if (!match.hasMatch())
            continue;
        const QString name = match.captured(1);
        const qsizetype before = seen.size();
        seen.insert(name.toCaseFolded());
        if (seen.size() > before)
            names << name;
    }
    return names;
}

bool TSession::IsAlias(const QString& name) const
{
    return !name.isEmpty() && AliasNames().contains(name, Qt::CaseInsensitive);
}

QStringList TSession::AliasParams(const QString& name) const
{
    if (!IsAlias(name))
        throw EDatabaseError(QStringLiteral("Unknown database alias: %1").arg(name));
    return TIniFile(EngineConfigFile()).ReadSectionValues(AliasSection(name));
}

void TSession::AddAlias(const QString& name, const QStringList& params)
{
    if (name.trimmed().isEmpty() || name.contains(QLatin1Char('\\')) ||
        name.contains(QLatin1Char(']')))
        throw EDatabaseError(QStringLiteral("Invalid alias name: %1").arg(name));
    try {
        TIniFile ini(EngineConfigFile());
        ini.EraseSection(AliasSection(name));
        ini.CreateSection(AliasSection(name));
        for (const QString& line : params) {
            const qsizetype equals = line.indexOf(QLatin1Char('='));
            if (equals > 0)
                ini.WriteString(AliasSection(name), line.left(equals).trimmed(),
                                line.mid(equals + 1));
        }
    } catch (const EInOutError& error) {
        throw EDatabaseError(error.Message());
    }
}

QStringList TSession::TableNames(const QString& databaseName) const
{
    return EngineDatabaseOf(const_cast<TSession&>(*this), databaseName)->TableNames();
}

QString TSession::PrivateDir() const
{
    if (!privateDir_.isEmpty())
        return privateDir_;
    std::lock_guard lock(state_->mutex);
    if (state_->ownDir.isEmpty()) {
        // Named after the process and marked, so that a later start can
        // remove what a killed run left in it.
        QTemporaryDir dir(TempFolder() +
                          QStringLiteral("tq-private-%1-XXXXXX").arg(qint64(getpid())));
        if (!dir.isValid() || !QFile(dir.filePath(kOwnFolderMarker)).open(QIODevice::WriteOnly))
            throw EDatabaseError(
                QStringLiteral("Cannot create a private directory in %1").arg(TempFolder()));
        dir.setAutoRemove(false);
        state_->ownDir = dir.path();
    }
    return state_->ownDir;
}

void TSession::SetPrivateDir(const QString& folder)
{
    privateDir_ = folder;
}

void TSession::SetNetFileDir(const QString& folder)
{
    if (folder == netFileDir_)
        return;
    const QFileInfo info(NativePath(folder));
    if (!folder.isEmpty() && !(info.isDir() && info.isWritable()))
        throw EDatabaseError(
            QStringLiteral("The network control directory %1 is not a writable directory")
                .arg(folder));
    netFileDir_ = folder;
}

TDatabase* TSession::FindDatabase(const QString& databaseName) const
{
    for (TDatabase* database : databases_) {
        if (database->DatabaseName().compare(databaseName, Qt::CaseInsensitive) == 0)
            return database;
    }
    return nullptr;
}

QString TSession::ResolveFolder(const QString& databaseName) const
{
    if (databaseName.trimmed().isEmpty())
        throw EDatabaseError(QStringLiteral("No database name given"));
    if (const TDatabase* database = FindDatabase(databaseName)) {
        if (!database->Connected())
            throw EDatabaseError(QStringLiteral("Database %1 is not connected").arg(databaseName));
        if (database->OnServer())
            throw EDatabaseError(QStringLiteral("Database %1 is on a server").arg(databaseName));
        return database->Folder();
    }
    if (IsAlias(databaseName)) {
        const QStringList params = AliasParams(databaseName);
        if (IsServerAlias(params))
            throw EDatabaseError(QStringLiteral("Database %1 is on a server").arg(databaseName));
        bool found = false;
        QString path = ParamValue(params, QStringLiteral("PATH"), &found);
        if (!found)
            path = ParamValue(params, QStringLiteral("SERVER NAME"));
        if (path.isEmpty())
            throw EDatabaseError(QStringLiteral("Alias %1 has no PATH").arg(databaseName));
        return ExistingFolder(path);
    }
    const QFileInfo info(NativePath(databaseName));
    if (info.isDir())
        return QDir::cleanPath(info.absoluteFilePath());
    throw EDatabaseError(QStringLiteral("Unknown database: %1").arg(databaseName));
}

void TSession::Interrupt()
{
    std::lock_guard lock(state_->mutex);
    state_->interrupted = true;
    for (SqliteConnection* connection : state_->running)
        connection->Interrupt();
}

void TSession::ResetInterrupt()
{
    state_->interrupted = false;
}

bool TSession::Interrupted() const
{
    return state_->interrupted;
}

const std::atomic<bool>* TSession::InterruptFlag() const
{
    return &state_->interrupted;
}

void TSession::Register(TDatabase* database)
{
    if (!databases_.contains(database))
        databases_.append(database);
}

void TSession::Unregister(TDatabase* database)
{
    databases_.removeAll(database);
}

SqliteConnection& FolderConnection(TSession& session, const QString& folder)
{
    TSession::State& state = session.Internals();
    {
        std::lock_guard lock(state.mutex);
        if (auto found = state.folders.find(folder); found != state.folders.end())
            return *found->second;
    }
    session.Open();
    std::unique_ptr<SqliteConnection> connection = SqliteConnection::OpenFolder(folder);
    std::lock_guard lock(state.mutex);
    auto& slot = state.folders[folder];
    if (!slot)
        slot = std::move(connection);
    return *slot;
}

bool IsServerAlias(const QStringList& params)
{
    return ParamValue(params, QStringLiteral("TYPE"))
               .compare(QStringLiteral("POSTGRESQL"), Qt::CaseInsensitive) == 0;
}

ServerConnection& ServerConnectionOf(TSession& session, const QString& serverName,
                                     const QString& userName)
{
    const QString location = ServerConnection::LocationOf(serverName, userName);
    TSession::State& state = session.Internals();
    std::lock_guard lock(state.mutex);
    auto& slot = state.servers[location];
    if (!slot)
        slot = std::make_unique<ServerConnection>(serverName, userName);
    return *slot;
}

QString CreateAnswerFile(TSession& session, TDataSet* owner)
{
    static std::atomic<qint64> serial{0};
    session.Open();
    const QString folder = NativePath(session.PrivateDir());
    if (!QDir().mkpath(folder))
        throw EDatabaseError(QStringLiteral("Cannot create the private directory %1").arg(folder));
    QTemporaryFile file(QStringLiteral("%1/tq-%2-%3-XXXXXX.answer")
                            .arg(folder)
                            .arg(qint64(getpid()))
                            .arg(++serial));
    file.setAutoRemove(false);
    if (!file.open())
        throw EDatabaseError(QStringLiteral("Cannot create an answer file in %1: %2")
                                 .arg(folder, file.errorString()));
    const QString fileName = file.fileName();
    TSession::State& state = session.Internals();
    std::lock_guard lock(state.mutex);
    state.answers[fileName] = owner;
    return fileName;
}

void RemoveAnswerFile(TSession& session, const QString& fileName)
{
    TSession::State& state = session.Internals();
    {
        std::lock_guard lock(state.mutex);
        state.answers.erase(fileName);
    }
    QFile::remove(fileName);
}

RunGuard::RunGuard(TSession& session, SqliteConnection& connection)
    : state_(session.Internals()), connection_(connection)
{
    if (state_.interrupted)
        throw EDatabaseError(QStringLiteral("Operation interrupted"));
    std::lock_guard lock(state_.mutex);
    state_.running.insert(&connection);
    connection.Watch(&state_.interrupted);
}

RunGuard::~RunGuard()
{
    std::lock_guard lock(state_.mutex);
    state_.running.erase(&connection_);
    connection_.Unwatch();
}

void RemoveDeadRunPrivateFolders(const QString& parent)
{
    static const QRegularExpression folders(QStringLiteral("^tq-private-(\\d+)-\\w+$"));
    RemoveDeadRunFolders(parent, folders, AnswerFilePattern());
}

const QRegularExpression& AnswerFilePattern()
{
    static const QRegularExpression pattern(QStringLiteral("^tq-(\\d+)-"));
    return pattern;
}
