// What every framed control shares: the frame vocabulary, the 0..240
// hue/saturation/lightness colour model that derives frame shades from a
// control's colour, the border drawing routines, the frame controller that
// pushes one set of settings to all its linked controls, the framed-control
// property family, and a few text and font helpers.
#pragma once

#include <QAbstractScrollArea>
#include <QEvent>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QVariant>
#include <QWidget>
#include <functional>
#include <memory>

class QAbstractScrollArea;
class QFont;
class QFrame;
class QPainter;
class QWheelEvent;
class QWidget;

namespace Fr {
Q_NAMESPACE

enum TFrameStyle : quint8
{
    fsNone,
    fsFlat,
    fsGroove,
    fsBump,
    fsLowered,
    fsButtonDown,
    fsRaised,
    fsButtonUp,
    fsStatus,
    fsPopup
};
Q_ENUM_NS(TFrameStyle)

enum TSide
{
    sdLeft = 0x1,
    sdTop = 0x2,
    sdRight = 0x4,
    sdBottom = 0x8
};
Q_DECLARE_FLAGS(TSides, TSide)
Q_FLAG_NS(TSides)

enum TFrameChange
{
    fcAll,
    fcColor,
    fcParentColor,
    fcFlatButtons,
    fcFrameColor,
    fcFrameFlat,
    fcFrameFlatStyle,
    fcFrameFocusStyle,
    fcFrameSides,
    fcFrameStyle,
    fcFrameVisible
};
Q_ENUM_NS(TFrameChange)

} // namespace Fr

Q_DECLARE_OPERATORS_FOR_FLAGS(Fr::TSides)

using Fr::TFrameChange;
using Fr::TFrameStyle;
using Fr::TSide;
using Fr::TSides;
using enum Fr::TFrameStyle;
using enum Fr::TSide;
using enum Fr::TFrameChange;

inline constexpr TSides AllSides = TSides(sdLeft | sdTop | sdRight | sdBottom);

// A colour: an RGB value with red in the low byte, or 0x80000000 plus a
// system colour index, resolved through the application palette.
using TColor = quint32;

inline constexpr TColor RGB(int r, int g, int b)
{
    return TColor(r & 0xFF) | TColor(g & 0xFF) << 8 | TColor(b & 0xFF) << 16;
}
inline constexpr TColor SystemColor(int index)
{
    return 0x80000000u | TColor(index);
}
inline constexpr TColor clBlack = RGB(0, 0, 0);
inline constexpr TColor clWhite = RGB(255, 255, 255);
inline constexpr TColor clWindow = SystemColor(5);
inline constexpr TColor clWindowFrame = SystemColor(6);
inline constexpr TColor clBtnFace = SystemColor(15);
inline constexpr TColor clBtnShadow = SystemColor(16);
inline constexpr TColor clBtnText = SystemColor(18);
inline constexpr TColor clBtnHighlight = SystemColor(20);
inline constexpr TColor cl3DDkShadow = SystemColor(21);
inline constexpr TColor cl3DLight = SystemColor(22);

// The RGB value of a colour (system colours from the application palette).
TColor ColorToRGB(TColor color);
QColor ToQColor(TColor color);

struct THsl240
{
    quint8 Hue, Saturation, Lightness;
    bool operator==(const THsl240&) const = default;
};
THsl240 ColorToHsl240(TColor color);
TColor Hsl240ToColor(quint8 hue, quint8 saturation, quint8 lightness);

// A rectangle with exclusive Right and Bottom, as the border routines count.
struct TRect
{
    int Left, Top, Right, Bottom;
    bool operator==(const TRect&) const = default;
};

// One ring: left and top in the first colour, right and bottom in the second.
TRect DrawSides(QPainter& canvas, TRect rect, TColor first, TColor second, TSides sides);
TRect DrawSideRings(QPainter& canvas, TRect rect, TColor first, TColor second, TSides sides,
                    int count);
// A frame style in system colours.
TRect DrawStyledFrame(QPainter& canvas, TRect rect, TFrameStyle style, TSides sides);
// A frame style in lighter and darker shades of a base colour.
TRect DrawTintedFrame(QPainter& canvas, TRect rect, TColor base, TSides sides, TFrameStyle style);
// A control's whole frame over its two-pixel border.
void PaintControlFrame(QPainter& canvas, int width, int height, TFrameStyle style,
                       TColor controlColor, TColor frameColor, TSides sides);

QChar LastChar(const QString& text);
int CountChar(QChar character, const QString& text);
// The text up to and including the n-th occurrence of the character; the
// whole text when it holds fewer.
QString CopyToNthChar(const QString& text, QChar character, int n);
// The font's character cell height plus 2: the height of one list item.
int FontItemHeight(const QFont& font);

// A scroll-area control's border: a plain two-pixel panel under its own
// frame (FrameVisible), the platform's sunken border otherwise.
void ApplyFrameBorder(QFrame& control, bool frameVisible);
// One wheel step moves by the system's wheel-scroll lines, never above the
// top; fractions of a step (touchpads) add up to whole steps. The event is
// taken either way.
void ScrollByWheel(QAbstractScrollArea& control, QWheelEvent& event);

// The names of the object's properties that a form file would hold: those
// the meta-object declares stored, less those whose Is<Name>Stored() says no.
QStringList StoredProperties(const QObject& object);

class TFrFramedControl;

// One set of frame settings pushed to every linked control through the
// controls' properties, looked up by name, so any control class that
// publishes these names can be linked.
class TFrFrameController : public QObject
{
    Q_OBJECT
    Q_PROPERTY(quint32 Color READ Color WRITE SetColor)
    Q_PROPERTY(bool FlatButtons READ FlatButtons WRITE SetFlatButtons)
    Q_PROPERTY(quint32 FrameColor READ FrameColor WRITE SetFrameColor)
    Q_PROPERTY(Fr::TFrameStyle FrameFlatStyle READ FrameFlatStyle WRITE SetFrameFlatStyle)
    Q_PROPERTY(Fr::TFrameStyle FrameFocusStyle READ FrameFocusStyle WRITE SetFrameFocusStyle)
    Q_PROPERTY(bool FrameFlat READ FrameFlat WRITE SetFrameFlat)
    Q_PROPERTY(Fr::TSides FrameSides READ FrameSides WRITE SetFrameSides)
    Q_PROPERTY(Fr::TFrameStyle FrameStyle READ FrameStyle WRITE SetFrameStyle)
    Q_PROPERTY(bool FrameVisible READ FrameVisible WRITE SetFrameVisible)
    Q_PROPERTY(bool ParentColor READ ParentColor WRITE SetParentColor)
public:
    explicit TFrFrameController(QObject* owner = nullptr);

    TColor Color() const { return color_; }
    bool FlatButtons() const { return flatButtons_; }
    TColor FrameColor() const { return frameColor_; }
    TFrameStyle FrameFlatStyle() const { return frameFlatStyle_; }
    TFrameStyle FrameFocusStyle() const { return frameFocusStyle_; }
    bool FrameFlat() const { return frameFlat_; }
    TSides FrameSides() const { return frameSides_; }
    TFrameStyle FrameStyle() const { return frameStyle_; }
    bool FrameVisible() const { return frameVisible_; }
    bool ParentColor() const { return parentColor_; }
    Q_INVOKABLE bool IsColorStored() const { return !parentColor_; }

    virtual void UpdateControl(QObject* control, TFrameChange change);
    virtual void UpdateControls(TFrameChange change);
    virtual void SetColor(TColor value);
    virtual void SetParentColor(bool value);
    virtual void SetFlatButtons(bool value);
    virtual void SetFrameColor(TColor value);
    virtual void SetFrameFlat(bool value);
    virtual void SetFrameFlatStyle(TFrameStyle value);
    virtual void SetFrameFocusStyle(TFrameStyle value);
    virtual void SetFrameSides(TSides value);
    virtual void SetFrameStyle(TFrameStyle value);
    virtual void SetFrameVisible(bool value);

    void AddControl(QObject* control);
    void RemoveControl(QObject* control);
    // The linked controls, in the order they were added.
    QList<QObject*> Controls() const;

    // Loading from a form: FrameFlat then keeps the sides and style read;
    // the end of loading pushes every setting to the linked controls.
    void BeginLoading() { loading_ = true; }
    void Loaded();

private:
    TColor color_;
    bool flatButtons_ = true;
    TColor frameColor_;
    TFrameStyle frameFlatStyle_ = fsStatus;
    TFrameStyle frameFocusStyle_ = fsLowered;
    bool frameFlat_ = false;
    TSides frameSides_ = AllSides;
    TFrameStyle frameStyle_ = fsFlat;
    bool frameVisible_ = false;
    bool parentColor_ = false;
    bool loading_ = false;
    // Created on the first registration, gone with the last.
    std::unique_ptr<QList<QObject*>> controls_;
};

// The framed-control property family, shared by the framed controls. The
// control class publishes the properties (Color, FrameColor, FrameController,
// FrameFlat, FrameFlatStyle, FrameFocusStyle, FrameSides, FrameStyle,
// FrameVisible, UseFrameController) over these members and routes its focus,
// hover, resize and frame-paint events here.
class TFrFramedControl
{
public:
    explicit TFrFramedControl(QWidget* self);
    virtual ~TFrFramedControl();

    TColor Color() const { return color_; }
    virtual void SetColor(TColor value);
    TColor FrameColor() const { return frameColor_; }
    virtual void SetFrameColor(TColor value);
    TFrFrameController* FrameController() const { return frameController_; }
    virtual void SetFrameController(TFrFrameController* value);
    bool FrameFlat() const { return frameFlat_; }
    virtual void SetFrameFlat(bool value);
    TFrameStyle FrameFlatStyle() const { return frameFlatStyle_; }
    virtual void SetFrameFlatStyle(TFrameStyle value);
    TFrameStyle FrameFocusStyle() const { return frameFocusStyle_; }
    virtual void SetFrameFocusStyle(TFrameStyle value);
    TSides FrameSides() const { return frameSides_; }
    virtual void SetFrameSides(TSides value);
    TFrameStyle FrameStyle() const { return frameStyle_; }
    virtual void SetFrameStyle(TFrameStyle value);
    bool FrameVisible() const { return frameVisible_; }
    virtual void SetFrameVisible(bool value);
    bool UseFrameController() const { return useFrameController_; }
    void SetUseFrameController(bool value) { useFrameController_ = value; }
    // Frame settings stay out of the form file while a controller supplies them.
    bool IsFrameSettingStored() const;
    bool MouseOver() const { return mouseOver_; }

    std::function<void(QObject*)> OnMouseEnter;
    std::function<void(QObject*)> OnMouseLeave;

    virtual void UpdateFrameState(bool isMouseEvent, bool value);
    virtual void RepaintFrame();

    // Loading from a form: FrameFlat then keeps the sides and style read.
    void SetLoading(bool loading) { loading_ = loading; }

protected:
    // How the control shows or drops its own frame; the tree re-creates its nodes.
    virtual void FrameVisibleChanged() = 0;
    // Paints the frame over the control's border when FrameVisible.
    void PaintFrame();
    void FrameFocusIn() { UpdateFrameState(false, true); }
    void FrameFocusOut() { UpdateFrameState(false, false); }
    void FrameMouseEnter();
    void FrameMouseLeave();
    void FrameResized();
    // For a control that tracks its own focus and hover looks.
    void SetMouseOver(bool value) { mouseOver_ = value; }

    QWidget* self_;
    TColor color_ = clWindow;

private:
    TColor frameColor_ = clBtnShadow;
    QPointer<TFrFrameController> frameController_;
    QMetaObject::Connection controllerGone_;
    bool frameFlat_ = false;
    TFrameStyle frameFlatStyle_ = fsStatus;
    TFrameStyle frameFocusStyle_ = fsLowered;
    TSides frameSides_ = AllSides;
    TFrameStyle frameStyle_ = fsFlat;
    bool frameVisible_ = false;
    bool useFrameController_ = true;
    bool mouseOver_ = false;
    bool loading_ = false;
};

// The published framed-control property family with its storage rule, named
// once in each framed control class's declaration, after Q_OBJECT.
#define FR_FRAMED_CONTROL_PROPERTIES                                                               \
    Q_PROPERTY(quint32 Color READ Color WRITE SetColor)                                            \
    Q_PROPERTY(quint32 FrameColor READ FrameColor WRITE SetFrameColor)                             \
    Q_PROPERTY(TFrFrameController* FrameController READ FrameController WRITE SetFrameController)  \
    Q_PROPERTY(bool FrameFlat READ FrameFlat WRITE SetFrameFlat)                                   \
    Q_PROPERTY(Fr::TFrameStyle FrameFlatStyle READ FrameFlatStyle WRITE SetFrameFlatStyle)         \
    Q_PROPERTY(Fr::TFrameStyle FrameFocusStyle READ FrameFocusStyle WRITE SetFrameFocusStyle)      \
    Q_PROPERTY(Fr::TSides FrameSides READ FrameSides WRITE SetFrameSides)                          \
    Q_PROPERTY(Fr::TFrameStyle FrameStyle READ FrameStyle WRITE SetFrameStyle)                     \
    Q_PROPERTY(bool FrameVisible READ FrameVisible WRITE SetFrameVisible)                          \
    Q_PROPERTY(bool UseFrameController READ UseFrameController WRITE SetUseFrameController)        \
public:                                                                                            \
    Q_INVOKABLE bool IsColorStored() const                                                         \
    {                                                                                              \
        return IsFrameSettingStored();                                                             \
    }                                                                                              \
    Q_INVOKABLE bool IsFrameColorStored() const                                                    \
    {                                                                                              \
        return IsFrameSettingStored();                                                             \
    }                                                                                              \
    Q_INVOKABLE bool IsFrameFlatStored() const                                                     \
    {                                                                                              \
        return IsFrameSettingStored();                                                             \
    }                                                                                              \
    Q_INVOKABLE bool IsFrameFlatStyleStored() const                                                \
    {                                                                                              \
        return IsFrameSettingStored();                                                             \
    }                                                                                              \
    Q_INVOKABLE bool IsFrameFocusStyleStored() const                                               \
    {                                                                                              \
        return IsFrameSettingStored();                                                             \
    }                                                                                              \
    Q_INVOKABLE bool IsFrameSidesStored() const                                                    \
    {                                                                                              \
        return IsFrameSettingStored();                                                             \
    }                                                                                              \
    Q_INVOKABLE bool IsFrameStyleStored() const                                                    \
    {                                                                                              \
        return IsFrameSettingStored();                                                             \
    }                                                                                              \
    Q_INVOKABLE bool IsFrameVisibleStored() const                                                  \
    {                                                                                              \
        return IsFrameSettingStored();                                                             \
    }

// The framed-control family over a scroll-area view (the tree, the list
// boxes): the frame painted over a plain two-pixel border, focus, hover,
// resize and wheel routed to the family, and ParentColor.
template <class View> class TFrFramedView : public View, public TFrFramedControl
{
public:
    explicit TFrFramedView(QWidget* parent) : View(parent), TFrFramedControl(this)
    {
        this->setFocusPolicy(Qt::StrongFocus);
        this->setMouseTracking(true);
        ApplyFrameBorder(*this, FrameVisible());
    }

    bool ParentColor() const { return parentColor_; }
    // With ParentColor the control takes its parent's colour (the face colour
    // of a form).
    void SetParentColor(bool value)
    {
        if (value == parentColor_)
            return;
        if (value) {
            QWidget* parent = this->parentWidget();
            const QVariant color = parent ? parent->property("Color") : QVariant();
            SetColor(color.isValid() ? color.toUInt() : clBtnFace);
        }
        parentColor_ = value;
    }

protected:
    // The scroll area's own paint event is the non-client paint: the border.
    bool event(QEvent* event) override
    {
        const bool result = View::event(event);
        if (event->type() == QEvent::Paint)
            PaintFrame();
        return result;
    }
    void focusInEvent(QFocusEvent* event) override
    {
        FrameFocusIn();
        View::focusInEvent(event);
    }
    void focusOutEvent(QFocusEvent* event) override
    {
        View::focusOutEvent(event);
        FrameFocusOut();
    }
    void enterEvent(QEnterEvent* event) override
    {
        View::enterEvent(event);
        FrameMouseEnter();
    }
    void leaveEvent(QEvent* event) override
    {
        View::leaveEvent(event);
        FrameMouseLeave();
    }
    void resizeEvent(QResizeEvent* event) override
    {
        View::resizeEvent(event);
        FrameResized();
    }
    void wheelEvent(QWheelEvent* event) override { ScrollByWheel(*this, *event); }

    bool parentColor_ = false;
};
