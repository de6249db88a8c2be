// The script preprocessor on any script: comments, definitions and macro
// substitution end, in bounded time and memory, whatever the text.
#include "query/enhquery.h"

#include <QTemporaryDir>
#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    // Regional settings read the registry file of the configuration folder.
    static QTemporaryDir config;
    qputenv("TESSALY_CONFIG_DIR", config.path().toLocal8Bit());
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    TEnhMultiQuery query;
    query.SetClock([] { return QDateTime(QDate(2024, 2, 29), QTime(12, 9, 44)); });
    query.SetSQLText(QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size)));
    const qsizetype lines = query.SQL().size();
    query.Preprocess();
    // Lines are dropped or rewritten, never added: a value holds no line end.
    if (query.SQL().size() > lines)
        __builtin_trap();
    return 0;
}
