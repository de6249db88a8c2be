// The store database behind TessalyDB.h.
#include "store/TessalyDB.h"

#include "engine/EngineConfig.h"
#include "engine/Session.h"
#include "platform/Interaction.h"
#include "platform/core/Exceptions.h"
#include "platform/core/SystemInfo.h"
#include "store/OptionsFile.h"
#include "store/PrivateFolder.h"
#include "store/SelectDBPath.h"

#include <QDir>
#include <QFileInfo>
#include <optional>

namespace {

const QStringList kNetDirMessage = {
    QStringLiteral("Unable to set NETwork DIRectory.  Another database application is currently"),
    QStringLiteral("running with incompatible settings.  Close the conflicting application"),
    QStringLiteral("before opening this program.  If there are no other programs open,"),
    QStringLiteral("reboot the computer and try again.  If you still get this message,"),
    QStringLiteral("call Tessaly Software technical support."),
};

bool EndsInSeparator(const QString& path)
{
    return path.endsWith(QLatin1Char('\\')) || path.endsWith(QLatin1Char('/'));
}

bool StartsWithSeparator(const QString& path)
{
    return path.startsWith(QLatin1Char('\\')) || path.startsWith(QLatin1Char('/'));
}

// Folders on this platform differ by letter case, so they are compared with it.
bool SamePath(const QString& a, const QString& b)
{
    return QDir::cleanPath(NativePath(a)) == QDir::cleanPath(NativePath(b));
}

// The value of NAME in "NAME=value" lines, NAME without regard to letter case.
std::optional<QString> Param(const QStringList& lines, const QString& name)
{
    for (const QString& line : lines) {
        const qsizetype equals = line.indexOf(QLatin1Char('='));
        if (equals >= 0 && line.left(equals).trimmed().compare(name, Qt::CaseInsensitive) == 0)
            return line.mid(equals + 1).trimmed();
    }
    return std::nullopt;
}

} // namespace

QString IncludeSlash(const QString& path)
{
    return path.isEmpty() || EndsInSeparator(path) ? path : path + QLatin1Char('/');
}

bool IsValidStorePath(const QString& path, const QString& validFileName)
{
    if (path.trimmed().isEmpty())
        return false;
    if (!validFileName.isEmpty())
        return QFileInfo::exists(NativePath(IncludeSlash(path) + validFileName));
    return QFileInfo(NativePath(path)).isDir();
}

QString ParentFolder(const QString& path)
{
    const QString head = path.left(path.size() - 1);
    const qsizetype slash =
        std::max(head.lastIndexOf(QLatin1Char('\\')), head.lastIndexOf(QLatin1Char('/')));
    return IncludeSlash(slash < 0 ? path : path.left(slash + 1));
}

void SetEngineConfigValue(const QString& pathAndName, const QString& value)
{
    const qsizetype semicolon = pathAndName.indexOf(QLatin1Char(';'));
    if (semicolon < 0)
        throw EDatabaseError(QStringLiteral("Invalid parameter passed to function.  There must be "
                                            "a semi-colon delimited sting passed"));
    const QString name = pathAndName.mid(semicolon + 1);
    TConfigList list(pathAndName.left(semicolon));
    while (list.Next()) {
        if (list.Name() == name) {
            list.Modify(value);
            list.Close();
            return;
        }
    }
    throw EDatabaseError(pathAndName +
                         QStringLiteral(" entry was not found in configuration file"));
}

TTessalyDatabase::TTessalyDatabase(QObject* owner) : TDatabase(owner) {}

TTessalyDatabase::~TTessalyDatabase()
{
    Close();
    if (!deleteTempDir_ || createdTempDir_.isEmpty())
        return;
    try {
        if (!AllDatabasesConnected())
            if (TSession* session = Session())
                session->Close();
    } catch (const Exception&) {
        // A destructor cannot report; the folder is still cleaned below.
    }
    folderLock_.reset();
    RemovePrivateFolder(createdTempDir_);
}

void TTessalyDatabase::ListEntries(QStringList& list)
{
    list.clear();
    if (!optionsFile_)
        return;
    optionsFile_->ListSections(list);
    for (qsizetype i = list.size() - 1; i >= 0; --i) {
        if (list[i].left(6).toUpper() == QLatin1String("ALIAS:"))
            list[i].remove(0, 6);
        else
            list.removeAt(i);
    }
}

QString TTessalyDatabase::AliasPath(const QString& aliasName) const
{
    TSession* session = Session();
    try {
        if (!session || !session->IsAlias(aliasName))
            return QString();
        const QStringList params = session->AliasParams(aliasName);
        if (const auto path = Param(params, QStringLiteral("PATH")))
            return IncludeSlash(*path);
        if (const auto server = Param(params, QStringLiteral("SERVER NAME")))
            return IncludeSlash(*server);
    } catch (const EDatabaseError&) {
        // An alias that cannot be read has no folder.
    }
    return QString();
}

bool TTessalyDatabase::AllDatabasesConnected() const
{
    const TSession* session = Session();
    if (!session)
        return true;
    for (const TDatabase* database : session->Databases())
        if (!database->Connected())
            return false;
    return true;
}

void TTessalyDatabase::DeleteFilesIn(const QString& folder)
{
    EmptyPrivateFolder(folder);
}

bool TTessalyDatabase::SetDatabase(const QString& entryName, const QString& aliasName)
{
    if (Connected())
        throw EDatabaseError(QStringLiteral("Can not set database while connected"));
    const QString section = QStringLiteral("Alias:") + entryName;
    const QString valueName = QStringLiteral("DatabasePath");
    QString path;
    bool save = false;
    if (optionsFile_)
        path = optionsFile_->ReadSectionValue(section, valueName, QString());
    bool ok = !path.isEmpty() && IsValidStorePath(path, validFileName_);

    TSession* session = Session();
    if (!session)
        throw EDatabaseError(QStringLiteral("Session %1 not found").arg(SessionName()));
    if (!ok && checkForAlias_ && session->IsAlias(aliasName)) {
        path = AliasPath(aliasName);
        save = IsValidStorePath(path, validFileName_);
    }
    ok = !path.isEmpty() && IsValidStorePath(path, validFileName_);

    if (!ok && allowSelectDB_) {
        std::unique_ptr<TSelectDBPathDialog> dialog = CreateSelectDBPathDialog();
        dialog->SetStartPath(path);
        dialog->SetValidFileName(validFileName_);
        ok = dialog->Execute();
        if (ok) {
            path = IncludeSlash(dialog->SelectedPath());
            save = true;
        }
    }
    if (save && optionsFile_)
        optionsFile_->WriteSectionValue(section, valueName, path);
    if (!ok)
        return false;

    if (!AllDatabasesConnected() && (setNetDir_ || setTempDir_)) {
        session->Close();
        if (setTempDir_)
            PreparePrivateFolder();
        if (setNetDir_ && !PrepareNetDir(path))
            ok = false;
        try {
            session->Open();
        } catch (const Exception&) {
            session->SetPrivateDir(QString());
            createdTempDir_.clear();
            folderLock_.reset();
            session->Open();
        }
    }
    if (setLocalShare_)
        SetEngineConfigValue(QStringLiteral("\\SYSTEM\\INIT\\;LOCAL SHARE"),
                             QStringLiteral("True"));
    SetAliasName(QString());
    SetDriverName(QStringLiteral("STANDARD"));
    Params() = QStringList{QStringLiteral("PATH=") + path, QStringLiteral("ENABLE BCD=FALSE"),
                           QStringLiteral("DEFAULT DRIVER=PARADOX")};
    return ok;
}

// An empty TempDir keeps the session's own folder: there is nothing of ours
// to prepare, and an empty path would name the current folder.
void TTessalyDatabase::PreparePrivateFolder()
{
    // A folder derived from the user's temporary folder that is not ours
    // (a link, someone else's files) gives way to a fresh one, silently.
    const QString dir =
        StartsWithSeparator(tempDir_)
            ? ChoosePrivateFolder(NativePath(IncludeSlash(UserTempFolder() + tempDir_)))
            : tempDir_;
    if (dir.trimmed().isEmpty())
        return;
    TSession* session = Session();
    try {
        if (!SamePath(dir, session->PrivateDir())) {
            session->SetPrivateDir(dir);
            if (QFileInfo(NativePath(dir)).isDir())
                DeleteFilesIn(dir);
            else
                CreatePrivateFolder(dir);
        }
    } catch (const Exception&) {
        // The folder in force is made usable below.
    }
    try {
        const QString inForce = NativePath(session->PrivateDir());
        if (!QFileInfo(inForce).isDir())
            QDir().mkpath(inForce);
    } catch (const Exception&) {
        // Opening the session reports a folder that cannot be used.
    }
    createdTempDir_ = dir;
    ClaimPrivateFolder(dir);
}

// Other runners spare what this runner holds while its lock is in the folder.
void TTessalyDatabase::ClaimPrivateFolder(const QString& folder)
{
    if (folderLock_ && SamePath(folderLock_->Folder(), folder))
        return;
    folderLock_.reset();
    if (IsOwnedPrivateFolder(folder) && QFileInfo(NativePath(folder)).isDir())
        folderLock_ = std::make_unique<TPrivateFolderLock>(folder);
}

bool TTessalyDatabase::PrepareNetDir(const QString& path)
{
    TSession* session = Session();
    const QString parent = ParentFolder(path);
    try {
        session->SetNetFileDir(parent);
    } catch (const Exception&) {
        // Read back below: the folder in force tells whether it was taken.
    }
    if (SamePath(session->NetFileDir(), parent) && !session->NetFileDir().isEmpty())
        return true;
    Ui().Beep();
    Ui().ShowMessage(kNetDirMessage.join(QLatin1Char('\r')));
    return false;
}
