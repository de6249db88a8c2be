#include "platform/core/StrUtils.h"

int PosFrom(const QString& sub, const QString& s, int from)
{
    if (from < 1 || sub.isEmpty() || from > s.size())
        return 0;
    const qsizetype index = s.indexOf(sub, from - 1);
    return index < 0 ? 0 : int(index) + 1;
}
