// The colour model, the text and font helpers and the storage rule of FrCommon.h.
#include "controls/FrCommon.h"

#include <QAbstractScrollArea>
#include <QApplication>
#include <QColor>
#include <QFontMetrics>
#include <QMetaProperty>
#include <QPalette>
#include <QScrollBar>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>

namespace {

// Halves round to the even neighbour, as the colour arithmetic demands.
int RoundEven(double value)
{
    return int(std::nearbyint(value));
}

// The palette role that stands for each system colour index.
QPalette::ColorRole RoleOf(int index)
{
    switch (index) {
    case 5:
        return QPalette::Base;
    case 6:
        return QPalette::WindowText;
    case 8:
        return QPalette::Text;
    case 13:
        return QPalette::Highlight;
    case 14:
        return QPalette::HighlightedText;
    case 15:
        return QPalette::Button;
    case 16:
        return QPalette::Dark;
    case 18:
        return QPalette::ButtonText;
    case 20:
        return QPalette::Light;
    case 21:
        return QPalette::Shadow;
    case 22:
        return QPalette::Midlight;
    default:
        return QPalette::Window;
    }
}

} // namespace

TColor ColorToRGB(TColor color)
{
    if (!(color & 0x80000000u))
        return color & 0xFFFFFF;
    const QColor c = QApplication::palette().color(QPalette::Active, RoleOf(int(color & 0xFF)));
    return RGB(c.red(), c.green(), c.blue());
}

QColor ToQColor(TColor color)
{
    const TColor rgb = ColorToRGB(color);
    return QColor(int(rgb & 0xFF), int(rgb >> 8 & 0xFF), int(rgb >> 16 & 0xFF));
}

THsl240 ColorToHsl240(TColor color)
{
    const TColor rgb = ColorToRGB(color);
    const double r = (rgb & 0xFF) / 255.0, g = (rgb >> 8 & 0xFF) / 255.0,
                 b = (rgb >> 16 & 0xFF) / 255.0;
    const double max = std::max({r, g, b}), min = std::min({r, g, b});
    const double l = (max + min) / 2;
    double h = 0, s = 0;
    if (max != min) {
        const double d = max - min;
        s = l < 0.5 ? d / (max + min) : d / (2 - max - min);
        if (r == max)
            h = (g - b) / d;
        else if (g == max)
            h = (b - r) / d + 2;
        else
            h = (r - g) / d + 4;
        h /= 6;
        if (h < 0)
            h += 1;
    }
    return {quint8(RoundEven(h * 240)), quint8(RoundEven(s * 240)), quint8(RoundEven(l * 240))};
}

TColor Hsl240ToColor(quint8 hue, quint8 saturation, quint8 lightness)
{
    // The hue divides by 239: hue 239 and above fall into a seventh sextant
    // that is drawn as the first.
    const double h = hue / 239.0, s = saturation / 240.0, l = lightness / 240.0;
    const double v = l < 0.5 ? l * (1 + s) : l + s - l * s;
    if (v <= 0)
        return clBlack;
    const double m = 2 * l - v;
    const double sv = (v - m) / v;
    const int sextant = int(6 * h);
    const double fract = 6 * h - sextant;
    const double vsf = v * sv * fract;
    const double mid1 = m + vsf, mid2 = v - vsf;
    double r, g, b;
    switch (sextant) {
    case 1:
        r = mid2, g = v, b = m;
        break;
    case 2:
        r = m, g = v, b = mid1;
        break;
    case 3:
        r = m, g = mid2, b = v;
        break;
    case 4:
        r = mid1, g = m, b = v;
        break;
    case 5:
        r = v, g = m, b = mid2;
        break;
    default:
        r = v, g = mid1, b = m;
        break;
    }
    const auto byte = [](double x) { return RoundEven(std::min(x, 1.0) * 255); };
    return RGB(byte(r), byte(g), byte(b));
}

QChar LastChar(const QString& text)
{
    return text.isEmpty() ? QChar() : text.back();
}

int CountChar(QChar character, const QString& text)
{
    return int(text.count(character));
}

QString CopyToNthChar(const QString& text, QChar character, int n)
{
    int position = -1;
    for (int i = 0; i < n; ++i) {
        position = int(text.indexOf(character, position + 1));
        if (position < 0)
            return text;
    }
    return text.left(position + 1);
}

int FontItemHeight(const QFont& font)
{
    return QFontMetrics(font).height() + 2;
}

QStringList StoredProperties(const QObject& object)
{
    QStringList names;
    const QMetaObject* meta = object.metaObject();
    for (int i = 0; i < meta->propertyCount(); ++i) {
        const QMetaProperty property = meta->property(i);
        if (!property.isStored())
            continue;
        const QByteArray rule = QByteArray("Is") + property.name() + "Stored()";
        const int method = meta->indexOfMethod(rule.constData());
        bool stored = true;
        if (method >= 0)
            meta->method(method).invoke(const_cast<QObject*>(&object), Qt::DirectConnection,
                                        Q_RETURN_ARG(bool, stored));
        if (stored)
            names << QString::fromLatin1(property.name());
    }
    return names;
}

// The frame is painted over a plain two-pixel border, so the viewport sits
// inside it exactly as inside the platform border.
void ApplyFrameBorder(QFrame& control, bool frameVisible)
{
    if (frameVisible) {
        control.setFrameStyle(QFrame::Panel | QFrame::Plain);
        control.setLineWidth(2);
    } else {
        control.setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    }
}

void ScrollByWheel(QAbstractScrollArea& control, QWheelEvent& event)
{
    // Touchpads and smooth-scroll wheels send a fraction of a step at a
    // time: the fractions add up until they make whole steps.
    constexpr int step = QWheelEvent::DefaultDeltasPerStep;
    const int delta = control.property("wheelRemainder").toInt() + event.angleDelta().y();
    const int steps = delta / step;
    control.setProperty("wheelRemainder", delta - steps * step);
    QScrollBar* bar = control.verticalScrollBar();
    int lines = QApplication::wheelScrollLines();
    // A control that scrolls only sideways (a list in columns) takes the wheel there.
    QScrollBar* across = control.horizontalScrollBar();
    if (bar->maximum() == bar->minimum() && across->maximum() > across->minimum()) {
        bar = across;
        lines = across->singleStep();
    }
    for (int i = 0; i < std::abs(steps); ++i) {
        bar->setValue(std::max(0, bar->value() + (steps < 0 ? lines : -lines)));
    }
    event.accept();
}
