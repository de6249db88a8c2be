#include "app/StartUp.h"

#include "package/PackageFile.h"
#include "package/QueryPackage.h"
#include "platform/Interaction.h"
#include "platform/core/Exceptions.h"
#include "platform/core/Windows1252.h"

#include <QFile>
#include <QFileInfo>

TExitStatus ExitStatusFor(TStartUpOutcome outcome)
{
    switch (outcome) {
    case TStartUpOutcome::Damaged:
    case TStartUpOutcome::ScriptRefused:
        return exitUsage;
    case TStartUpOutcome::WrongPassword:
        return exitWrongPassword;
    case TStartUpOutcome::Run:
        break;
    }
    return exitOk;
}

namespace {

// Asks for the package's password, when it has one, and takes the package.
TStartUpOutcome Accept(const std::optional<QueryPackage>& package, const QString& packageFile,
                       TStartUpState& state)
{
    state = TStartUpState();
    if (!package)
        return TStartUpOutcome::Run;

    if (package->hasPassword) {
        QString typed;
        if (!Ui().InputQuery(QStringLiteral("Enter Password"),
                             QStringLiteral("Please enter Password"), typed))
            typed.clear(); // cancelling counts as typing nothing
        if (typed != package->password) {
            Ui().ShowMessage(QStringLiteral("Invalid Password."));
            return TStartUpOutcome::WrongPassword;
        }
    }
    state.hasPackage = true;
    state.sqlEditable = package->sqlEditable;
    state.showResults = package->showResults;
    state.title = package->title;
    state.description = package->description;
    state.alias = package->alias;
    state.sql = package->sql;
    state.packageFile = packageFile;
    return TStartUpOutcome::Run;
}

} // namespace

TStartUpOutcome ReadStartUpState(const QString& executable, TStartUpState& state)
{
    std::optional<QueryPackage> package;
    try {
        // Opened read-only: other readers and writers of the file are not locked out.
        QFile file(executable);
        if (!file.open(QIODevice::ReadOnly))
            throw EPackageDamaged(
                QStringLiteral("the program file cannot be read (%1)").arg(file.errorString()));
        package = ReadQueryPackage(file);
    } catch (const EPackageDamaged& damaged) {
        Ui().ShowException(Exception(
            QStringLiteral("The query package of this program is damaged: ") + damaged.Message()));
        return TStartUpOutcome::Damaged;
    }
    return Accept(package, QString(), state);
}

TStartUpOutcome ReadPackageFileState(const QString& path, TStartUpState& state)
{
    QueryPackage package;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        Ui().ShowException(Exception(QStringLiteral("Cannot open the query package file %1: %2")
                                         .arg(path, file.errorString())));
        return TStartUpOutcome::Damaged;
    }
    try {
        package = ReadPackageFile(file);
    } catch (const EPackageDamaged& damaged) {
        Ui().ShowException(Exception(QStringLiteral("The query package file %1 is damaged: %2")
                                         .arg(path, damaged.Message())));
        return TStartUpOutcome::Damaged;
    }
    return Accept(package, path, state);
}

TStartUpOutcome ReadStartUp(const QString& executable, const QString& file, TStartUpState& state)
{
    if (!file.isEmpty() && IsPackageFile(file))
        return ReadPackageFileState(file, state);
    const TStartUpOutcome outcome = ReadStartUpState(executable, state);
    if (outcome == TStartUpOutcome::Run && !file.isEmpty() && !ReplaceScript(state, file))
        return TStartUpOutcome::ScriptRefused;
    return outcome;
}

bool ReplaceScript(TStartUpState& state, const QString& path)
{
    if (state.hasPackage && !state.sqlEditable) {
        Ui().ShowMessage(QStringLiteral("The SQL of this query package may not be changed."));
        return false;
    }
    QFile file(path);
    const QByteArray bytes =
        file.open(QIODevice::ReadOnly) ? file.read(kMaxPackageText + 1) : QByteArray();
    if (file.error() != QFileDevice::NoError) {
        Ui().ShowMessage(
            QStringLiteral("Cannot read the SQL file %1: %2").arg(path, file.errorString()));
        return false;
    }
    if (bytes.size() > kMaxPackageText) {
        Ui().ShowMessage(QStringLiteral("The script is larger than 64 MiB."));
        return false;
    }
    // Read as a package's text is: UTF-8, or Windows-1252 when it is not valid UTF-8.
    state.sql = DecodeUtf8OrWindows1252(bytes);
    return true;
}

QString PackageFileCaption(const QString& caption, const QString& packageFile)
{
    return caption + QStringLiteral(" - ") + QFileInfo(packageFile).fileName();
}
