// The store database: a database component that finds its own folder from
// the options store, an engine alias or the user's choice, remembers it, and
// prepares the session (a private working folder per user, the network
// control folder next to the data) before it is set up on that folder.
#pragma once

#include "engine/Database.h"
#include "store/OptionsFile.h"

#include <QPointer>
#include <QString>
#include <QStringList>
#include <memory>

class TPrivateFolderLock;

class TTessalyDatabase : public TDatabase
{
    Q_OBJECT
    Q_PROPERTY(bool AllowSelectDB READ AllowSelectDB WRITE SetAllowSelectDB)
    Q_PROPERTY(bool CheckForAlias READ CheckForAlias WRITE SetCheckForAlias)
    Q_PROPERTY(bool DeleteTempDir READ DeleteTempDir WRITE SetDeleteTempDir)
    Q_PROPERTY(TOptionsFile* OptionsFile READ OptionsFile WRITE SetOptionsFile)
    Q_PROPERTY(bool SetTempDir READ SetTempDir WRITE SetSetTempDir)
    Q_PROPERTY(bool SetNetDir READ SetNetDir WRITE SetSetNetDir)
    Q_PROPERTY(bool SetLocalShare READ SetLocalShare WRITE SetSetLocalShare)
    Q_PROPERTY(QString TempDir READ TempDir WRITE SetTempDir)
    Q_PROPERTY(QString ValidFileName READ ValidFileName WRITE SetValidFileName)
public:
    explicit TTessalyDatabase(QObject* owner = nullptr);
    // Closes; then empties and removes the private folder SetDatabase gave the session.
    ~TTessalyDatabase() override;

    bool AllowSelectDB() const { return allowSelectDB_; }
    void SetAllowSelectDB(bool value) { allowSelectDB_ = value; }
    bool CheckForAlias() const { return checkForAlias_; }
    void SetCheckForAlias(bool value) { checkForAlias_ = value; }
    bool DeleteTempDir() const { return deleteTempDir_; }
    void SetDeleteTempDir(bool value) { deleteTempDir_ = value; }
    // Cleared when the options store goes away.
    TOptionsFile* OptionsFile() const { return optionsFile_; }
    void SetOptionsFile(TOptionsFile* value) { optionsFile_ = value; }
    bool SetTempDir() const { return setTempDir_; }
    void SetSetTempDir(bool value) { setTempDir_ = value; }
    bool SetNetDir() const { return setNetDir_; }
    void SetSetNetDir(bool value) { setNetDir_ = value; }
    bool SetLocalShare() const { return setLocalShare_; }
    void SetSetLocalShare(bool value) { setLocalShare_ = value; }
    // A value beginning with "\" or "/" lies under <tmp>/<user>.
    const QString& TempDir() const { return tempDir_; }
    void SetTempDir(const QString& value) { tempDir_ = value; }
    const QString& ValidFileName() const { return validFileName_; }
    void SetValidFileName(const QString& value) { validFileName_ = value; }

    // The private folder SetDatabase gave the session; empty when none.
    const QString& CreatedTempDir() const { return createdTempDir_; }

    // Finds the folder of the entry (store, then alias, then the dialog) and
    // sets the component up on it; false when no valid folder was found or
    // the network control folder was refused. Raises when connected.
    bool SetDatabase(const QString& entryName, const QString& aliasName);
    // The entry names of the options store ("Alias:<name>" sections), in store order.
    void ListEntries(QStringList& list);
    // The PATH (else SERVER NAME) of an engine alias with a trailing separator; empty when none.
    QString AliasPath(const QString& aliasName) const;
    bool AllDatabasesConnected() const;
    // Deletes the files of a private folder this program owns, sparing what
    // live runners hold; sub-folders stay. Other folders are left alone.
    void DeleteFilesIn(const QString& folder);

private:
    void PreparePrivateFolder();
    bool PrepareNetDir(const QString& path);
    void ClaimPrivateFolder(const QString& folder);

    bool allowSelectDB_ = true;
    bool checkForAlias_ = true;
    bool deleteTempDir_ = true;
    QPointer<TOptionsFile> optionsFile_;
    bool setTempDir_ = true;
    bool setNetDir_ = true;
    bool setLocalShare_ = false;
    QString tempDir_;
    QString validFileName_;
    QString createdTempDir_;
    std::unique_ptr<TPrivateFolderLock> folderLock_;
};

// Path with a trailing separator ("/" added) unless it is empty or ends in "\" or "/".
QString IncludeSlash(const QString& path);
// With a file name: whether that file is in the folder; without: whether the
// folder exists. An empty path never qualifies.
bool IsValidStorePath(const QString& path, const QString& validFileName);
// The folder above Path with a trailing separator; a root is its own parent.
QString ParentFolder(const QString& path);
// Sets one record of engine.cfg, "<path>;<name>" (the name compared with
// letter case). Raises EDatabaseError when the text has no ";" or the record
// does not exist; engine errors propagate.
void SetEngineConfigValue(const QString& pathAndName, const QString& value);
