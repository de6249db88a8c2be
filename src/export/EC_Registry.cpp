#include "export/EC_Registry.h"

bool TMyReg::OpenKeyReadOnly(const QString& key)
{
    const QString previous = CurrentPath();
    QString path;
    if (key.startsWith(QLatin1Char('\\')))
        path = key;
    else if (previous.isEmpty())
        path = QLatin1Char('\\') + key;
    else
        path = previous + QLatin1Char('\\') + key;
    return TRegistry::OpenKeyReadOnly(path);
}
