// The options store: named string values kept either in the registry file
// (key ParentKey + RegPath + Section) or in an INI file (section Section of
// FilePath + FileName), behind one small interface.
#pragma once

#include <QObject>
#include <QString>
#include <QStringList>
#include <memory>

class TIniFile;
class TRegistry;

class TOptionsFile : public QObject
{
    Q_OBJECT
    Q_PROPERTY(QString FileName READ FileName WRITE SetFileName)
    Q_PROPERTY(QString ParentKey READ ParentKey WRITE SetParentKey)
    Q_PROPERTY(QString FilePath READ FilePath WRITE SetFilePath)
    Q_PROPERTY(QString RegPath READ RegPath WRITE SetRegPath)
    Q_PROPERTY(QString Section READ Section WRITE SetSection)
    Q_PROPERTY(QString SubKey READ SubKey WRITE SetSubKey STORED false)
    Q_PROPERTY(bool UseINIFile READ UseINIFile WRITE SetUseINIFile STORED false)
    Q_PROPERTY(bool UseRegistry READ UseRegistry WRITE SetUseRegistry)
public:
    // Named after the executable: "<name>.INI" in its folder, registry key
    // "\Software\Tessaly Software\<name>\Main".
    explicit TOptionsFile(QObject* owner = nullptr);
    ~TOptionsFile() override;

    const QString& FileName() const { return fileName_; }
    // A value with a folder part moves that folder (with its separator) into FilePath.
    void SetFileName(const QString& value);
    const QString& ParentKey() const { return parentKey_; }
    void SetParentKey(const QString& value);
    const QString& FilePath() const { return filePath_; }
    void SetFilePath(const QString& value);
    const QString& RegPath() const { return regPath_; }
    void SetRegPath(const QString& value);
    const QString& Section() const { return section_; }
    void SetSection(const QString& value);
    const QString& SubKey() const { return section_; }
    void SetSubKey(const QString& value) { SetSection(value); }
    bool UseINIFile() const { return !useRegistry_; }
    void SetUseINIFile(bool value) { SetUseRegistry(!value); }
    bool UseRegistry() const { return useRegistry_; }
    void SetUseRegistry(bool value);

    // Default when the current section or key has no value Ident; reading never creates.
    QString ReadValue(const QString& ident, const QString& defaultValue);
    // Section stays changed for later calls.
    QString ReadSectionValue(const QString& section, const QString& ident,
                             const QString& defaultValue);
    // A registry key that cannot be opened or created is skipped silently.
    void WriteValue(const QString& ident, const QString& value);
    void WriteSectionValue(const QString& section, const QString& ident, const QString& value);
    // The INI file's sections, or the subkeys of ParentKey + RegPath (created when missing).
    void ListSections(QStringList& list);

private:
    QString KeyPath(const QString& below) const;
    TIniFile& Ini();
    TRegistry& Registry();

    QString fileName_;
    QString parentKey_;
    QString filePath_;
    QString regPath_;
    QString section_;
    bool useRegistry_ = true;
    // Created on first use for the settings then in force, and kept.
    std::unique_ptr<TIniFile> ini_;
    std::unique_ptr<TRegistry> registry_;
};
