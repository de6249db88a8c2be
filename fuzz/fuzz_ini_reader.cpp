// The INI reader and writer on any file: reading never fails, and writing one
// value changes that value only; every other section reads as before.
#include "platform/core/Exceptions.h"
#include "platform/core/IniFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <cstddef>
#include <cstdint>
#include <map>

namespace {

// In memory when the system has a shared-memory folder: every write is
// flushed to disk, which would otherwise set the pace.
const QString& FileName()
{
    static QTemporaryDir folder(QFileInfo(QStringLiteral("/dev/shm")).isWritable()
                                    ? QStringLiteral("/dev/shm/tq-fuzz-XXXXXX")
                                    : QDir::tempPath() + QStringLiteral("/tq-fuzz-XXXXXX"));
    static const QString name = folder.filePath(QStringLiteral("fuzz.ini"));
    return name;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    {
        QFile file(FileName());
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            __builtin_trap();
        file.write(reinterpret_cast<const char*>(data), qint64(size));
    }
    TIniFile ini(FileName());
    const QStringList sections = ini.ReadSections();
    std::map<QString, QStringList> before;
    for (const QString& section : sections)
        before[section.toLower()] = ini.ReadSectionValues(section);

    const QString section = sections.isEmpty() ? QStringLiteral("Fuzz") : sections.first();
    const QString ident = QStringLiteral("FuzzKey");
    const QString value = QStringLiteral("fuzz välue");
    try {
        ini.WriteString(section, ident, value);
    } catch (const EInOutError&) {
        return 0; // a section name that cannot be written back
    }
    if (ini.ReadString(section, ident, QString()) != value)
        __builtin_trap();
    for (const auto& [name, values] : before)
        if (name != section.toLower() && ini.ReadSectionValues(name) != values)
            __builtin_trap();
    return 0;
}
