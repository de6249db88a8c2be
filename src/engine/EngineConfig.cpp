// engine.cfg: the default file on first use, and the configuration list that
// edits the records of one configuration path.
#include "engine/EngineConfig.h"

#include "platform/core/Exceptions.h"
#include "platform/core/IniFile.h"
#include "platform/core/SystemInfo.h"

#include <QDir>
#include <QFileInfo>

namespace {

const QString kSystemInit = QStringLiteral("\\SYSTEM\\INIT\\");

// Runs an INI operation, reporting its I/O failure as the engine's error.
template <typename F> auto AsDatabaseError(F&& operation)
{
    try {
        return operation();
    } catch (const EInOutError& error) {
        throw EDatabaseError(error.Message());
    }
}

} // namespace

QString EngineConfigFile()
{
    const QString folder = ConfigFolder();
    const QString fileName = folder + QStringLiteral("/engine.cfg");
    if (!QFileInfo::exists(fileName)) {
        if (!QDir().mkpath(folder))
            throw EDatabaseError(QStringLiteral("Cannot create the folder %1").arg(folder));
        AsDatabaseError([&] {
            TIniFile(fileName).WriteString(kSystemInit, QStringLiteral("LOCAL SHARE"),
                                           QStringLiteral("FALSE"));
        });
    }
    return fileName;
}

TConfigList::TConfigList(const QString& path) : path_(path)
{
    const QString fileName = EngineConfigFile();
    AsDatabaseError([&] {
        TIniFile ini(fileName);
        if (!ini.SectionExists(path))
            throw EDatabaseError(QStringLiteral("Configuration path %1 not found").arg(path));
        for (const QString& line : ini.ReadSectionValues(path)) {
            const qsizetype equals = line.indexOf(QLatin1Char('='));
            names_ << (equals < 0 ? line : line.left(equals));
            values_ << (equals < 0 ? QString() : line.mid(equals + 1));
        }
    });
}

TConfigList::~TConfigList()
{
    try {
        Close();
    } catch (const Exception&) {
        // A destructor cannot report; Close is the place to see the failure.
    }
}

bool TConfigList::Next()
{
    if (!open_ || index_ >= int(names_.size()))
        return false;
    ++index_;
    return index_ < int(names_.size());
}

const QString& TConfigList::Name() const
{
    if (index_ < 0 || index_ >= int(names_.size()))
        throw EDatabaseError(QStringLiteral("No current configuration record"));
    return names_.at(index_);
}

const QString& TConfigList::Value() const
{
    Name(); // raises without a current record
    return values_.at(index_);
}

void TConfigList::Modify(const QString& value)
{
    Name();
    if (!open_)
        throw EDatabaseError(QStringLiteral("The configuration list is closed"));
    if (values_.at(index_) == value)
        return;
    values_[index_] = value;
    modified_.insert(index_);
}

void TConfigList::Close()
{
    if (!open_)
        return;
    open_ = false;
    if (modified_.isEmpty())
        return;
    const QSet<int> modified = std::exchange(modified_, {});
    AsDatabaseError([&] {
        TIniFile ini(EngineConfigFile());
        for (int index : modified)
            ini.WriteString(path_, names_.at(index), values_.at(index));
    });
}
