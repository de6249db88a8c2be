#include "platform/core/CodePoints.h"

namespace {

// Whether the units at i and i + 1 are one character.
bool PairAt(QStringView text, qsizetype i)
{
    return text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate();
}

} // namespace

int CodePointCount(QStringView text)
{
    int count = 0;
    for (qsizetype i = 0; i < text.size(); i += PairAt(text, i) ? 2 : 1)
        ++count;
    return count;
}

QString LeftCodePoints(const QString& text, int count)
{
    qsizetype i = 0;
    for (int n = 0; n < count && i < text.size(); ++n)
        i += PairAt(text, i) ? 2 : 1;
    return text.left(i);
}
