// The options store behind OptionsFile.h.
#include "store/OptionsFile.h"

#include "platform/core/IniFile.h"
#include "platform/core/Registry.h"
#include "platform/core/SystemInfo.h"

#include <QFileInfo>

namespace {

bool EndsInSeparator(const QString& s)
{
    return s.endsWith(QLatin1Char('\\')) || s.endsWith(QLatin1Char('/'));
}

// Trimmed, with a closing "\" unless it has one (or a "/"); blanks become empty.
QString FolderLike(const QString& value)
{
    const QString trimmed = value.trimmed();
    return trimmed.isEmpty() || EndsInSeparator(trimmed) ? trimmed : trimmed + QLatin1Char('\\');
}

} // namespace

TOptionsFile::TOptionsFile(QObject* owner) : QObject(owner)
{
    const QFileInfo executable(ExecutablePath());
    const QString name = executable.completeBaseName();
    parentKey_ = QStringLiteral("\\Software\\Tessaly Software\\");
    regPath_ = name + QLatin1Char('\\');
    filePath_ = executable.absolutePath() + QLatin1Char('/');
    fileName_ = name + QStringLiteral(".INI");
    section_ = QStringLiteral("Main");
}

TOptionsFile::~TOptionsFile() = default;

void TOptionsFile::SetFileName(const QString& value)
{
    const qsizetype slash =
        std::max(value.lastIndexOf(QLatin1Char('\\')), value.lastIndexOf(QLatin1Char('/')));
    if (slash >= 0) {
        filePath_ = value.left(slash + 1);
        fileName_ = value.mid(slash + 1);
    } else {
        fileName_ = value;
    }
}

void TOptionsFile::SetParentKey(const QString& value)
{
    parentKey_ = FolderLike(value);
}
void TOptionsFile::SetFilePath(const QString& value)
{
    filePath_ = FolderLike(value);
}
void TOptionsFile::SetRegPath(const QString& value)
{
    regPath_ = FolderLike(value);
}
void TOptionsFile::SetSection(const QString& value)
{
    section_ = value;
}
void TOptionsFile::SetUseRegistry(bool value)
{
    useRegistry_ = value;
}

// A "/" that ends ParentKey or RegPath separates keys just as "\" does.
QString TOptionsFile::KeyPath(const QString& below) const
{
    QString path = parentKey_ + regPath_;
    path.replace(QLatin1Char('/'), QLatin1Char('\\'));
    return path + below;
}

TIniFile& TOptionsFile::Ini()
{
    if (!ini_)
        ini_ = std::make_unique<TIniFile>(NativePath(filePath_ + fileName_));
    return *ini_;
}

TRegistry& TOptionsFile::Registry()
{
    if (!registry_)
        registry_ = std::make_unique<TRegistry>();
    return *registry_;
}

QString TOptionsFile::ReadValue(const QString& ident, const QString& defaultValue)
{
    if (!useRegistry_)
        return Ini().ReadString(section_, ident, defaultValue);
    TRegistry& reg = Registry();
    QString result = defaultValue;
    if (reg.OpenKeyReadOnly(KeyPath(section_)) && reg.ValueExists(ident))
        result = reg.ReadString(ident);
    reg.CloseKey();
    return result;
}

QString TOptionsFile::ReadSectionValue(const QString& section, const QString& ident,
                                       const QString& defaultValue)
{
    SetSection(section);
    return ReadValue(ident, defaultValue);
}

void TOptionsFile::WriteValue(const QString& ident, const QString& value)
{
    if (!useRegistry_) {
        Ini().WriteString(section_, ident, value);
        return;
    }
    TRegistry& reg = Registry();
    reg.SetAccess(TRegistry::KEY_ALL_ACCESS);
    if (reg.OpenKey(KeyPath(section_), true))
        reg.WriteString(ident, value);
    reg.CloseKey();
}

void TOptionsFile::WriteSectionValue(const QString& section, const QString& ident,
                                     const QString& value)
{
    SetSection(section);
    WriteValue(ident, value);
}

void TOptionsFile::ListSections(QStringList& list)
{
    if (!useRegistry_) {
        list = Ini().ReadSections();
        return;
    }
    TRegistry& reg = Registry();
    reg.SetAccess(TRegistry::KEY_ALL_ACCESS);
    list = reg.OpenKey(KeyPath(QString()), true) ? reg.GetKeyNames() : QStringList();
    reg.CloseKey();
}
