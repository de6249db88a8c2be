// The SQL query dataset: runs its text on the engine of its database and
// opens the last statement's rows as an answer table.
#include "engine/Query.h"

#include "engine/AnswerTable.h"
#include "engine/EngineDatabase.h"
#include "engine/FolderEngine.h"
#include "engine/FolderTables.h"
#include "engine/Session.h"
#include "platform/core/Exceptions.h"

#include <QRegularExpression>

TQuery::TQuery(QObject* owner) : TAnswerDataSet(owner) {}

TQuery::~TQuery() = default;

void TQuery::SetSQL(const QStringList& lines)
{
    if (lines == sql_)
        return;
    Close();
    sql_ = lines;
}

QString TQuery::SQLText() const
{
    return sql_.join(QStringLiteral("\r\n"));
}

void TQuery::SetSQLText(const QString& text)
{
    static const QRegularExpression breaks(QStringLiteral("\r\n|\n|\r"));
    QStringList lines = text.split(breaks);
    // A closing line break ends the last line; it does not start another.
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    SetSQL(lines);
}

void TQuery::SetDatabaseName(const QString& name)
{
    if (name == databaseName_)
        return;
    Close();
    databaseName_ = name;
}

void TQuery::ExecSQL()
{
    EngineDatabaseOf(*Session(), databaseName_)->ExecSQL(SQLText());
}

void TQuery::MakePermanent(const QString& tablePath, bool overwrite)
{
    if (!Active() || !Answer())
        throw EDatabaseError(QStringLiteral("The query is not open"));
    const QString path = tablePath.trimmed();
    const qsizetype split =
        qMax(path.lastIndexOf(QLatin1Char('/')), path.lastIndexOf(QLatin1Char('\\')));
    // The path is a resolved folder and a name; a ".." in it can only come
    // from a name that tries to climb out of its folder.
    static const QRegularExpression climb(QStringLiteral("(^|[/\\\\])\\.\\.([/\\\\]|$)"));
    if (climb.match(path).hasMatch())
        throw EDatabaseError(
            QStringLiteral("Invalid table path: %1")
                .arg(QString(tablePath).replace(QLatin1Char('\\'), QLatin1Char('/'))));
    // A bare name goes into the query's own database.
    if (split < 0) {
        MakePermanentIn(databaseName_, path, overwrite);
        return;
    }
    const QString folder = ExistingFolder(split == 0 ? path.left(1) : path.left(split));
    FolderDatabase(*Session(), folder)->WriteAnswer(*Answer(), path.mid(split + 1), overwrite);
}

void TQuery::MakePermanentIn(const QString& databaseName, const QString& table, bool overwrite)
{
    if (!Active() || !Answer())
        throw EDatabaseError(QStringLiteral("The query is not open"));
    EngineDatabaseOf(*Session(), databaseName)->WriteAnswer(*Answer(), table, overwrite);
}

bool TQuery::OpenOrExecute()
{
    Close();
    ranAnswer_ = RunToAnswer(true);
    if (!ranAnswer_)
        return false;
    Open();
    return true;
}

bool TQuery::StoreAsTable(const QString& table, TTableLife life)
{
    Close();
    return EngineDatabaseOf(*Session(), databaseName_)
        ->StoreAsTable(this, SQLText(), table, life, nullptr);
}

bool TQuery::StoreAndOpen(const QString& table, TTableLife life)
{
    Close();
    if (!EngineDatabaseOf(*Session(), databaseName_)
             ->StoreAsTable(this, SQLText(), table, life, &ranAnswer_))
        return false;
    Open();
    return true;
}

std::unique_ptr<AnswerTable> TQuery::RunToAnswer(bool commandWithoutColumns)
{
    return EngineDatabaseOf(*Session(), databaseName_)
        ->RunToAnswer(this, SQLText(), commandWithoutColumns);
}

std::unique_ptr<AnswerTable> TQuery::MakeAnswer()
{
    return ranAnswer_ ? std::move(ranAnswer_) : RunToAnswer(false);
}
