// The border drawing routines of FrCommon.h. Every line is drawn as a filled
// one-pixel rectangle, so end points are exclusive exactly as counted.
#include "controls/FrCommon.h"

#include <QPainter>
#include <algorithm>

namespace {

void Pixel(QPainter& canvas, int x, int y, TColor color)
{
    canvas.fillRect(x, y, 1, 1, ToQColor(color));
}

// The etched pattern of fsGroove and fsBump.
TRect DrawGroove(QPainter& canvas, TRect r, TColor first, TColor second, TSides s)
{
    if (s & sdRight)
        Pixel(canvas, r.Right - 1, r.Top, second);
    else if (s & sdTop)
        Pixel(canvas, r.Right - 1, r.Top, first);
    if (s & sdBottom)
        Pixel(canvas, r.Left, r.Bottom - 1, second);
    else if (s & sdLeft)
        Pixel(canvas, r.Left, r.Bottom - 1, first);
    if ((s & sdTop) && !(s & sdLeft))
        Pixel(canvas, r.Left, r.Top + 1, second);
    if ((s & sdLeft) && !(s & sdTop))
        Pixel(canvas, r.Left + 1, r.Top, second);
    if ((s & sdBottom) && !(s & sdRight))
        Pixel(canvas, r.Right - 1, r.Bottom - 2, first);
    if ((s & sdRight) && !(s & sdBottom))
        Pixel(canvas, r.Right - 2, r.Bottom - 1, first);
    DrawSides(canvas, {r.Left + 1, r.Top + 1, r.Right, r.Bottom}, second, second, s);
    DrawSides(canvas, {r.Left, r.Top, r.Right - 1, r.Bottom - 1}, first, first, s);
    return {r.Left + (s & sdLeft ? 2 : 0), r.Top + (s & sdTop ? 2 : 0),
            r.Right - (s & sdRight ? 2 : 0), r.Bottom - (s & sdBottom ? 2 : 0)};
}

} // namespace

TRect DrawSides(QPainter& canvas, TRect r, TColor first, TColor second, TSides sides)
{
    const QColor one = ToQColor(first), two = ToQColor(second);
    if (sides & sdLeft)
        canvas.fillRect(r.Left, r.Top, 1, r.Bottom - r.Top, one);
    if (sides & sdTop)
        canvas.fillRect(r.Left, r.Top, r.Right - r.Left, 1, one);
    if (sides & sdRight)
        canvas.fillRect(r.Right - 1, r.Top, 1, r.Bottom - r.Top, two);
    if (sides & sdBottom)
        canvas.fillRect(r.Left, r.Bottom - 1, r.Right - r.Left, 1, two);
    return {r.Left + (sides & sdLeft ? 1 : 0), r.Top + (sides & sdTop ? 1 : 0),
            r.Right - (sides & sdRight ? 1 : 0), r.Bottom - (sides & sdBottom ? 1 : 0)};
}

TRect DrawSideRings(QPainter& canvas, TRect rect, TColor first, TColor second, TSides sides,
                    int count)
{
    for (int i = 0; i < count; ++i)
        rect = DrawSides(canvas, rect, first, second, sides);
    return rect;
}

TRect DrawStyledFrame(QPainter& canvas, TRect r, TFrameStyle style, TSides s)
{
    const auto rings = [&](TColor a, TColor b, TColor c, TColor d) {
        return DrawSideRings(canvas, DrawSideRings(canvas, r, a, b, s, 1), c, d, s, 1);
    };
    switch (style) {
    case fsNone:
        return r;
    case fsFlat:
        return DrawSides(canvas, r, clWindowFrame, clWindowFrame, s);
    case fsStatus:
        return DrawSides(canvas, r, clBtnShadow, clBtnHighlight, s);
    case fsPopup:
        return DrawSides(canvas, r, clBtnHighlight, clBtnShadow, s);
    case fsGroove:
        return DrawGroove(canvas, r, clBtnShadow, clBtnHighlight, s);
    case fsBump:
        return DrawGroove(canvas, r, clBtnHighlight, clBtnShadow, s);
    case fsLowered:
        return rings(clBtnShadow, clBtnHighlight, clBtnText, cl3DLight);
    case fsRaised:
        return rings(cl3DLight, clBtnText, clBtnHighlight, clBtnShadow);
    case fsButtonDown:
        return rings(clBtnText, clBtnText, clBtnShadow, clBtnShadow);
    case fsButtonUp:
        return rings(clBtnHighlight, cl3DDkShadow, cl3DLight, clBtnShadow);
    }
    return r;
}

TRect DrawTintedFrame(QPainter& canvas, TRect r, TColor base, TSides s, TFrameStyle style)
{
    const THsl240 hsl = ColorToHsl240(base);
    // The upper clamp is 255, not 240: the conversion clips what overflows.
    const auto shade = [&](int n) {
        return Hsl240ToColor(hsl.Hue, hsl.Saturation,
                             quint8(std::clamp(int(hsl.Lightness) + n, 0, 255)));
    };
    const auto rings = [&](int a, int b, int c, int d) {
        return DrawSides(canvas, DrawSides(canvas, r, shade(a), shade(b), s), shade(c), shade(d),
                         s);
    };
    switch (style) {
    case fsNone:
        return r;
    case fsFlat:
        return DrawSides(canvas, r, shade(-50), shade(-50), s);
    case fsStatus:
        return DrawSides(canvas, r, shade(-50), shade(+100), s);
    case fsPopup:
        return DrawSides(canvas, r, shade(+100), shade(-50), s);
    case fsGroove:
        return DrawGroove(canvas, r, shade(-50), shade(+100), s);
    case fsBump:
        return DrawGroove(canvas, r, shade(+100), shade(-50), s);
    case fsLowered:
        return rings(-50, +100, -100, +50);
    case fsRaised:
        return rings(+50, -100, +100, -50);
    case fsButtonDown:
        return rings(-100, -100, -50, -50);
    case fsButtonUp:
        return rings(+100, -100, +40, -50);
    }
    return r;
}

void PaintControlFrame(QPainter& canvas, int width, int height, TFrameStyle style,
                       TColor controlColor, TColor frameColor, TSides sides)
{
    const TRect whole{0, 0, width, height};
    DrawSideRings(canvas, whole, controlColor, controlColor, AllSides, 2);
    if (style == fsFlat)
        DrawSides(canvas, whole, frameColor, frameColor, sides);
    else if (controlColor == clWindow)
        DrawStyledFrame(canvas, whole, style, sides);
    else
        DrawTintedFrame(canvas, whole, controlColor, sides, style);
}
