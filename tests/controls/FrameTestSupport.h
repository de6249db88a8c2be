// Shared by the frame tests: a fixed palette, so system colours resolve to
// known values, and a renderer that turns drawn pixels into letters.
#pragma once

#include "controls/FrCommon.h"

#include <QColor>
#include <QImage>
#include <QMap>
#include <QPalette>
#include <QString>
#include <functional>
#include <ostream>

// Failure messages show texts as text.
inline void PrintTo(const QString& text, std::ostream* out)
{
    *out << '"' << text.toStdString() << '"';
}
inline void PrintTo(const QStringList& texts, std::ostream* out)
{
    *out << '[' << texts.join(", ").toStdString() << ']';
}

// Installs a palette with a distinct colour per role for one test.
class FixedPalette
{
public:
    FixedPalette();
    ~FixedPalette();

private:
    QPalette previous_;
};

// The system colours the fixed palette gives, by letter: w window, f window
// frame, s shadow, h highlight, t button text, d dark shadow, l 3D light.
QMap<char, TColor> PaletteLetters();

// Draws onto a width x height image first filled with a sentinel colour and
// returns one string per row: each pixel as the letter of its colour, "." for
// the sentinel, "?" for any other colour.
QStringList RenderRows(int width, int height, const QMap<char, TColor>& letters,
                       const std::function<void(QPainter&)>& draw);
