// The engine's persistent configuration, engine.cfg in the configuration
// folder: one INI section per configuration path. "\SYSTEM\INIT\" holds
// records such as "LOCAL SHARE"; "\DATABASES\<name>\DB INFO\" holds an alias's
// parameters (PATH, or SERVER NAME). A missing file is created with a
// "\SYSTEM\INIT\" section on first use.
#pragma once

#include <QSet>
#include <QString>
#include <QStringList>

// Full path of engine.cfg; creates the default file (and folder) when missing.
QString EngineConfigFile();

// The records of one configuration path, opened for reading and writing.
// Next walks the records in order; Modify changes the current record's value;
// Close writes the changes atomically. Raises EDatabaseError when the path
// does not exist or the file cannot be read or written.
class TConfigList
{
public:
    explicit TConfigList(const QString& path);
    ~TConfigList(); // closes (writing pending changes, errors swallowed)

    bool Next(); // false past the last record
    const QString& Name() const;
    const QString& Value() const;
    void Modify(const QString& value);
    void Close(); // writes pending changes; raises on failure

private:
    QString path_;
    QStringList names_, values_;
    int index_ = -1;
    QSet<int> modified_; // indexes of records changed since opening
    bool open_ = true;
};
