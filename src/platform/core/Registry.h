// The current user's registry, kept in the file registry.ini of the
// configuration folder. Each key is a section named by its backslash path from
// the root ("[\Software\Tessaly Software\Orlo\Alias:Standard]"), compared
// without regard to letter case; its values are the section's "name=value"
// lines. Subkeys are found from the paths. Every write is atomic.
#pragma once

#include <QString>
#include <QStringList>

class TRegistry
{
public:
    enum TAccess
    {
        KEY_READ,
        KEY_ALL_ACCESS
    };

    // The registry of the configuration folder in force when created.
    TRegistry();
    // A registry file elsewhere (tests, tools).
    explicit TRegistry(const QString& fileName);

    TAccess Access() const { return access_; }
    void SetAccess(TAccess access) { access_ = access; }

    // Opens a key; a path that begins with "\" names a key from the root, any
    // other is relative to the open key. With canCreate a missing key (and its
    // parents) is created, which needs KEY_ALL_ACCESS. False when it cannot open.
    bool OpenKey(const QString& key, bool canCreate);
    // Opens an existing key for reading; never creates anything.
    bool OpenKeyReadOnly(const QString& key);
    void CloseKey();
    // The path of the open key, "\"-separated with a leading "\"; empty when closed.
    const QString& CurrentPath() const { return currentPath_; }
    bool KeyExists(const QString& key) const;

    bool ValueExists(const QString& name) const;
    QString ReadString(const QString& name) const;
    // Raises EInOutError when the key is not open for writing or the file cannot be written.
    void WriteString(const QString& name, const QString& value);
    // The names of the open key's direct subkeys, without letter-case duplicates.
    QStringList GetKeyNames() const;
    QStringList GetValueNames() const;

    // Where the registry file lives.
    static QString DefaultFileName();

private:
    QString Absolute(const QString& key) const;

    QString fileName_;
    QString currentPath_;
    TAccess access_ = KEY_ALL_ACCESS;
    bool writable_ = false;
};
