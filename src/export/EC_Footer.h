// The footer pattern of an export.
#pragma once

#include <QString>

// The footer pattern: "%%" and at most one directive %[0:][-][width][.precision]
// with e, f, g, n (thousand separators) or m (money), filled with value.
// Anything else raises EConvertError.
QString FormatFooter(const QString& pattern, double value);
