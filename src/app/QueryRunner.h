// The working half of the runner, without a widget: the options store, the
// store database and the script query with their settings, the alias list
// and the choice of one entry with its fallbacks, Execute and Save. The
// window shows what it does; batch mode drives it from the command line.
// Messages and questions go through the interaction in force.
#pragma once

#include <QObject>
#include <QString>
#include <QStringList>
#include <functional>

class TEnhMultiQuery;
class TOptionsFile;
class TTessalyDatabase;

class QueryRunner : public QObject
{
public:
    // Runs a long piece of work (the script, the copy of a saved table) and
    // returns when it is done, raising what the work raised.
    using TWorkRunner = std::function<void(const std::function<void()>& work)>;

    // Creating the runner reads the engine's configuration and the options
    // store's entries, which may raise.
    explicit QueryRunner(QObject* parent = nullptr);
    ~QueryRunner() override;

    // Configuration entries as "<name>" and the session's aliases, in one
    // list sorted without regard to letter case.
    const QStringList& AliasList() const { return aliases_; }
    // Chooses the alias entry (or a fallback, after saying the given one is
    // missing) and connects the database. False when the list is empty.
    // Raises when connecting fails.
    bool SetAlias(const QString& name);
    const QString& CurrentAlias() const { return currentAlias_; }
    bool Connected() const;

    // Runs the script; "Query Executed" on success, and on failure a message
    // before the error is raised again.
    void Execute(const QString& script);
    // Saves the last result as the table named (surrounding blanks removed),
    // asking before replacing one; whether a table was saved.
    bool Save(const QString& name);
    bool SavedBefore() const { return savedBefore_; }

    // By default the work runs on the calling thread.
    void SetWorkRunner(TWorkRunner runner) { runWork_ = std::move(runner); }
    // Stops the running statement; callable from any thread.
    static void Interrupt();

    TEnhMultiQuery* Query() const { return qryQuery; }
    TTessalyDatabase* Database() const { return Database1; }

private:
    void CreateComponents();
    void FillAliasList();
    bool HasAlias(const QString& name) const;
    void RunWork(const std::function<void()>& work);

    TOptionsFile* RegOptions;
    TTessalyDatabase* Database1;
    TEnhMultiQuery* qryQuery;

    QStringList aliases_;
    QString currentAlias_;
    bool savedBefore_ = false;
    TWorkRunner runWork_;
};
