// The journal of the temporary tables a script run makes in a database, so
// that a run that is killed leaves no tables behind for good. Each run
// writes its own file in the database's journal folder (beside tables.db, or
// a folder of the configuration for a server's database),
// ".tessaly-temp-<pid>-<n>.journal": a line when it has made a table (its
// name and signature: what makes it that very table) and a line when it has
// dropped it; the file goes when the run ends, whether its tables were
// dropped or, after a failure, kept. A later run against the database finds
// the journals of runs whose process is gone and drops each table they still
// list, but only while it is the table they made. Databases are named as
// queries name them (EngineDatabase.h); one that cannot be reached is not
// journalled.
#pragma once

#include <QString>
#include <map>

class TTempTableJournal
{
public:
    TTempTableJournal() = default;
    ~TTempTableJournal();
    TTempTableJournal(const TTempTableJournal&) = delete;
    TTempTableJournal& operator=(const TTempTableJournal&) = delete;

    // Notes a table the run has just made in a database; nothing when there is no such table.
    void Made(const QString& databaseName, const QString& table);
    // Notes that the run has dropped the table.
    void Dropped(const QString& databaseName, const QString& table);
    // Ends the run's journals: the files are removed, the tables stay.
    void Close();
    // Ends a run that was stopped: the tables it made and has not dropped go
    // too, while they are still the tables it made.
    void DropRemaining();

private:
    struct TFile
    {
        QString name;
        QString databaseName;
        int fd = -1;
    };
    TFile& FileFor(const QString& journalFolder, const QString& databaseName);
    std::map<QString, TFile> files_; // by journal folder
};

// Drops the tables that runs which no longer live journalled for a database
// and that are still the tables they made; removes their journals.
void DropDeadRunTempTables(const QString& databaseName);
