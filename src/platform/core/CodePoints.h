// Text measured in characters as a reader sees them: a character outside the
// Basic Multilingual Plane is one character, though it takes two UTF-16
// units, and a cut never leaves half of it.
#pragma once

#include <QString>
#include <QStringView>

// The number of characters (code points) in text.
int CodePointCount(QStringView text);
// The first count characters of text, all of it when it has fewer.
QString LeftCodePoints(const QString& text, int count);
