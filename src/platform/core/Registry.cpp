// The registry file behind Registry.h: keys are the sections of one INI file,
// so every read sees the file as it is now and every write is atomic.
#include "platform/core/Registry.h"

#include "platform/core/Exceptions.h"
#include "platform/core/IniFile.h"
#include "platform/core/SystemInfo.h"

namespace {

const QChar kSeparator = QLatin1Char('\\');

// "\A\\B\" and "\a\b" name the same key; the root is "\".
QString Normalized(const QString& path)
{
    return kSeparator + path.split(kSeparator, Qt::SkipEmptyParts).join(kSeparator);
}

// The prefix every path below the key starts with.
QString ChildPrefix(const QString& key)
{
    return key == kSeparator ? key : key + kSeparator;
}

// The section that holds a key as the file spells it, so hand-written headers
// such as "[Software\X\]" are found; the key itself when it has none yet.
QString SectionOf(const TIniFile& ini, const QString& key)
{
    for (const QString& section : ini.ReadSections())
        if (Normalized(section).compare(key, Qt::CaseInsensitive) == 0)
            return section;
    return key;
}

} // namespace

TRegistry::TRegistry() : fileName_(DefaultFileName()) {}

TRegistry::TRegistry(const QString& fileName) : fileName_(fileName) {}

QString TRegistry::DefaultFileName()
{
    return ConfigFolder() + QStringLiteral("/registry.ini");
}

QString TRegistry::Absolute(const QString& key) const
{
    if (key.startsWith(kSeparator) || currentPath_.isEmpty())
        return Normalized(key);
    return Normalized(currentPath_ + kSeparator + key);
}

bool TRegistry::OpenKey(const QString& key, bool canCreate)
{
    const QString path = Absolute(key);
    if (!KeyExists(path)) {
        if (!canCreate || access_ != KEY_ALL_ACCESS)
            return false;
        try {
            TIniFile(fileName_).CreateSection(path);
        } catch (const EInOutError&) {
            return false;
        }
    }
    currentPath_ = path;
    writable_ = access_ == KEY_ALL_ACCESS;
    return true;
}

bool TRegistry::OpenKeyReadOnly(const QString& key)
{
    const QString path = Absolute(key);
    if (!KeyExists(path))
        return false;
    currentPath_ = path;
    writable_ = false;
    return true;
}

void TRegistry::CloseKey()
{
    currentPath_.clear();
    writable_ = false;
}

// A key exists when it has a section or when a key below it has one.
bool TRegistry::KeyExists(const QString& key) const
{
    const QString path = Absolute(key);
    if (path == kSeparator)
        return true;
    const QString prefix = ChildPrefix(path);
    for (const QString& section : TIniFile(fileName_).ReadSections()) {
        const QString other = Normalized(section);
        if (other.compare(path, Qt::CaseInsensitive) == 0 ||
            other.startsWith(prefix, Qt::CaseInsensitive))
            return true;
    }
    return false;
}

bool TRegistry::ValueExists(const QString& name) const
{
    const TIniFile ini(fileName_);
    return !currentPath_.isEmpty() && ini.ValueExists(SectionOf(ini, currentPath_), name);
}

QString TRegistry::ReadString(const QString& name) const
{
    if (currentPath_.isEmpty())
        return QString();
    const TIniFile ini(fileName_);
    return ini.ReadString(SectionOf(ini, currentPath_), name, QString());
}

void TRegistry::WriteString(const QString& name, const QString& value)
{
    if (currentPath_.isEmpty() || !writable_)
        throw EInOutError(QStringLiteral("Failed to set data for '%1'").arg(name));
    TIniFile ini(fileName_);
    ini.WriteString(SectionOf(ini, currentPath_), name, value);
}

QStringList TRegistry::GetKeyNames() const
{
    QStringList names;
    if (currentPath_.isEmpty())
        return names;
    const QString prefix = ChildPrefix(currentPath_);
    for (const QString& section : TIniFile(fileName_).ReadSections()) {
        const QString other = Normalized(section);
        if (!other.startsWith(prefix, Qt::CaseInsensitive) || other.size() == prefix.size())
            continue;
        const QString child = other.mid(prefix.size()).section(kSeparator, 0, 0);
        if (!names.contains(child, Qt::CaseInsensitive))
            names.append(child);
    }
    return names;
}

QStringList TRegistry::GetValueNames() const
{
    if (currentPath_.isEmpty())
        return QStringList();
    const TIniFile ini(fileName_);
    return ini.ReadSection(SectionOf(ini, currentPath_));
}
