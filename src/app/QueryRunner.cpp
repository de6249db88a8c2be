#include "app/QueryRunner.h"

#include "engine/Session.h"
#include "platform/Interaction.h"
#include "query/enhquery.h"
#include "store/OptionsFile.h"
#include "store/TessalyDB.h"

#include <QRegularExpression>
#include <algorithm>

namespace {

const QString kNoDatabase = QStringLiteral(
    "No database is configured. Add an alias to the engine configuration or an entry to the "
    "options store, then start again.");

// The entries that stand in for a missing alias, in the order they are tried,
// each with the entry it leads to.
const std::pair<const char*, const char*> kAliasFallbacks[] = {{"<Standard>", "<Standard>"},
                                                               {"<Training>", "<KIVData3>"},
                                                               {"KIVData3", "KIVData3"},
                                                               {"KIVDemoData3", "KIVDemoData3"},
                                                               {"BrackenData", "BrackenData"}};

} // namespace

QueryRunner::QueryRunner(QObject* parent) : QObject(parent)
{
    setObjectName(QStringLiteral("QueryRunner"));
    CreateComponents();
    FillAliasList();
}

QueryRunner::~QueryRunner()
{
    // The query's answer lives in the private folder that Database1 removes.
    delete qryQuery;
    delete Database1;
    delete RegOptions;
}

void QueryRunner::CreateComponents()
{
    RegOptions = new TOptionsFile(this);
    RegOptions->setObjectName(QStringLiteral("RegOptions"));
    RegOptions->SetFileName(QStringLiteral("OrloOptions.Ini"));
    RegOptions->SetParentKey(QStringLiteral("\\Software\\Tessaly Software\\"));
    RegOptions->SetFilePath(QStringLiteral("C:\\Windows\\"));
    RegOptions->SetRegPath(QStringLiteral("Orlo\\"));
    RegOptions->SetSection(QStringLiteral("Options"));

    Database1 = new TTessalyDatabase(this);
    Database1->setObjectName(QStringLiteral("Database1"));
    Database1->SetAliasName(QStringLiteral("KIVData3"));
    Database1->SetDatabaseName(QStringLiteral("KIV"));
    Database1->SetSessionName(QStringLiteral("Default"));
    Database1->SetAllowSelectDB(false);
    Database1->SetCheckForAlias(false);
    Database1->SetOptionsFile(RegOptions);
    Database1->SetTempDir(QStringLiteral("\\SQLLantern"));

    qryQuery = new TEnhMultiQuery(this);
    qryQuery->setObjectName(QStringLiteral("qryQuery"));
    qryQuery->SetDatabaseName(QStringLiteral("KIV"));
    qryQuery->SetDestinationTable(QStringLiteral("INIT.DB"));
    qryQuery->SetDestDatabaseName(QStringLiteral("KIV"));
    qryQuery->SetDestBatchMoveMode(TEnhQuery::batCopy);
    qryQuery->SetDoBatchMove(true);
}

void QueryRunner::FillAliasList()
{
    QStringList entries;
    Database1->ListEntries(entries);
    aliases_.clear();
    for (const QString& entry : entries)
        aliases_ << QLatin1Char('<') + entry + QLatin1Char('>');
    aliases_ << Session()->AliasNames();
    std::stable_sort(aliases_.begin(), aliases_.end(), [](const QString& a, const QString& b) {
        return a.compare(b, Qt::CaseInsensitive) < 0;
    });
}

bool QueryRunner::HasAlias(const QString& name) const
{
    return aliases_.contains(name, Qt::CaseInsensitive);
}

bool QueryRunner::Connected() const
{
    return Database1->Connected();
}

bool QueryRunner::SetAlias(const QString& name)
{
    if (aliases_.isEmpty()) {
        // Nothing to fall back to: say so and leave the database closed.
        Ui().ShowMessage(kNoDatabase);
        return false;
    }
    if (HasAlias(name)) {
        currentAlias_ = name;
    } else {
        Ui().ShowMessage(QStringLiteral("Alias \"") + name + QStringLiteral("\" does not exists."));
        currentAlias_ = aliases_.first();
        for (const auto& [present, chosen] : kAliasFallbacks) {
            if (HasAlias(QLatin1String(present))) {
                currentAlias_ = QLatin1String(chosen);
                break;
            }
        }
    }
    Database1->Close();
    if (currentAlias_.startsWith(QLatin1Char('<')) && currentAlias_.endsWith(QLatin1Char('>')))
        Database1->SetDatabase(currentAlias_.mid(1, currentAlias_.size() - 2), QString());
    else
        Database1->SetAliasName(currentAlias_);
    Database1->Open();
    return true;
}

void QueryRunner::RunWork(const std::function<void()>& work)
{
    Session()->ResetInterrupt();
    if (runWork_)
        runWork_(work);
    else
        work();
}

void QueryRunner::Interrupt()
{
    Session()->Interrupt();
}

void QueryRunner::Execute(const QString& script)
{
    try {
        qryQuery->SetSQLText(script);
        // Bound controls must not read the dataset while the work fills it.
        qryQuery->DisableControls();
        try {
            RunWork([this] { qryQuery->Execute(); });
        } catch (...) {
            qryQuery->EnableControls();
            throw;
        }
        qryQuery->EnableControls();
    } catch (...) {
        Ui().MessageDlg(QStringLiteral("An error has occurred while running the query."), mtError,
                        mbOK);
        throw;
    }
    Ui().ShowMessage(QStringLiteral("Query Executed"));
}

bool QueryRunner::Save(const QString& typed)
{
    // The rows of the last result become the table: nothing runs again, so a
    // script whose temporary tables are gone, whose last statement was a
    // command or whose macros would give other values saves exactly what the
    // user sees.
    if (!qryQuery->Active()) {
        Ui().MessageDlg(QStringLiteral("There is no result to save."), mtError, mbOK);
        return false;
    }
    const QString name = typed.trimmed();
    if (name.isEmpty()) {
        Ui().MessageDlg(QStringLiteral("Table Name not Entered."), mtError, mbOK);
        return false;
    }
    // A saved table must also be one a script can name on a terminator line
    // (a blank ends the name there, brackets hold macros), and it lives in
    // the database's own folder.
    static const QRegularExpression unsafe(QStringLiteral("[\\s/\\\\;\\[\\]]"));
    if (name.contains(unsafe)) {
        Ui().MessageDlg(
            QStringLiteral("The table name \"") + name +
                QStringLiteral("\" may not contain blanks, brackets, \";\", \"/\" or \"\\\"."),
            mtError, mbOK);
        return false;
    }
    const QStringList tables = Session()->TableNames(QStringLiteral("KIV"));
    const QString stem = name.section(QLatin1Char('.'), 0, -2);
    const bool exists = tables.contains(name, Qt::CaseInsensitive) ||
                        (!stem.isEmpty() && tables.contains(stem, Qt::CaseInsensitive));
    if (exists && Ui().MessageDlg(name + QStringLiteral(" already exists.  Overwrite?"),
                                  mtConfirmation, mbYes | mbNo) != mrYes) {
        Ui().ShowMessage(QStringLiteral("Table Not Saved."));
        return false;
    }
    savedBefore_ = true;
    RunWork([this, name] { qryQuery->MakePermanent(name, true); });
    Ui().ShowMessage(QStringLiteral("New Table Saved."));
    return true;
}
