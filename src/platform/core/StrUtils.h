// Small text helpers shared by the layers.
#pragma once

#include <QString>

// 1-based position of the first Sub in S at or after position From; 0 when
// absent (also for a From before 1 or past the end).
int PosFrom(const QString& sub, const QString& s, int from);
