// The frame controller and the framed-control property family of FrCommon.h.
#include "controls/FrCommon.h"
#include "platform/core/StoreChange.h"

#include <QMetaProperty>
#include <QPainter>
#include <QWidget>

namespace {

// A writable property of the given name that passes the kind test, or none.
QMetaProperty WritableProperty(const QObject* control, const char* name,
                               bool (*kind)(const QMetaProperty&))
{
    const QMetaObject* meta = control->metaObject();
    const int index = meta->indexOfProperty(name);
    if (index < 0)
        return {};
    const QMetaProperty property = meta->property(index);
    return property.isWritable() && kind(property) ? property : QMetaProperty();
}

// Booleans and frame styles: the enumeration kinds.
bool IsEnumeration(const QMetaProperty& p)
{
    return p.metaType().id() == QMetaType::Bool || (p.isEnumType() && !p.isFlagType());
}
bool IsInteger(const QMetaProperty& p)
{
    const int id = p.metaType().id();
    return id == QMetaType::Int || id == QMetaType::UInt || id == QMetaType::LongLong ||
           id == QMetaType::ULongLong;
}
bool IsSet(const QMetaProperty& p)
{
    return p.isFlagType();
}

void Write(QObject* control, const char* name, bool (*kind)(const QMetaProperty&),
           const QVariant& value)
{
    const QMetaProperty property = WritableProperty(control, name, kind);
    if (!property.isValid())
        return;
    if (property.isEnumType())
        property.write(control, value.toInt());
    else
        property.write(control, value);
}

} // namespace

TFrFrameController::TFrFrameController(QObject* owner)
    : QObject(owner), color_(clWindow), frameColor_(clBtnShadow)
{
}

void TFrFrameController::UpdateControl(QObject* control, TFrameChange change)
{
    if (!qobject_cast<QWidget*>(control))
        return;
    const QMetaObject* meta = control->metaObject();
    const int use = meta->indexOfProperty("UseFrameController");
    if (use < 0 || meta->property(use).metaType().id() != QMetaType::Bool ||
        !meta->property(use).read(control).toBool())
        return;
    const auto write = [&](TFrameChange code) {
        switch (code) {
        case fcParentColor:
            Write(control, "ParentColor", IsEnumeration, parentColor_);
            break;
        case fcColor:
            Write(control, "Color", IsInteger, color_);
            break;
        case fcFlatButtons:
            Write(control, "FlatButtons", IsEnumeration, flatButtons_);
            break;
        case fcFrameColor:
            Write(control, "FrameColor", IsInteger, frameColor_);
            break;
        case fcFrameFlat:
            Write(control, "FrameFlat", IsEnumeration, frameFlat_);
            break;
        case fcFrameFlatStyle:
            Write(control, "FrameFlatStyle", IsEnumeration, int(frameFlatStyle_));
            break;
        case fcFrameFocusStyle:
            Write(control, "FrameFocusStyle", IsEnumeration, int(frameFocusStyle_));
            break;
        case fcFrameSides:
            Write(control, "FrameSides", IsSet, QVariant::fromValue(frameSides_));
            break;
        case fcFrameStyle:
            Write(control, "FrameStyle", IsEnumeration, int(frameStyle_));
            break;
        case fcFrameVisible:
            Write(control, "FrameVisible", IsEnumeration, frameVisible_);
            break;
        case fcAll:
            break;
        }
    };
    if (change != fcAll) {
        write(change);
        return;
    }
    write(fcParentColor);
    if (!parentColor_)
        write(fcColor);
    for (TFrameChange code : {fcFlatButtons, fcFrameColor, fcFrameFlat, fcFrameFlatStyle,
                              fcFrameFocusStyle, fcFrameSides, fcFrameStyle, fcFrameVisible})
        write(code);
}

void TFrFrameController::UpdateControls(TFrameChange change)
{
    if (!controls_)
        return;
    // A control may leave the list while it reacts; walk a copy.
    const QList<QObject*> controls = *controls_;
    for (QObject* control : controls)
        UpdateControl(control, change);
}

void TFrFrameController::SetColor(TColor value)
{
    if (!StoreChange(color_, value))
        return;
    parentColor_ = false;
    UpdateControls(fcColor);
}

void TFrFrameController::SetParentColor(bool value)
{
    if (!StoreChange(parentColor_, value))
        return;
    UpdateControls(fcParentColor);
    if (!value)
        UpdateControls(fcColor);
}

void TFrFrameController::SetFlatButtons(bool value)
{
    if (StoreChange(flatButtons_, value))
        UpdateControls(fcFlatButtons);
}

void TFrFrameController::SetFrameColor(TColor value)
{
    if (StoreChange(frameColor_, value))
        UpdateControls(fcFrameColor);
}

void TFrFrameController::SetFrameFlat(bool value)
{
    if (!StoreChange(frameFlat_, value))
        return;
    if (value) {
        SetFrameVisible(true);
        if (!loading_) {
            frameSides_ = AllSides;
            frameStyle_ = frameFlatStyle_;
        }
    }
    UpdateControls(fcFrameFlat);
}

void TFrFrameController::SetFrameFlatStyle(TFrameStyle value)
{
    if (StoreChange(frameFlatStyle_, value))
        UpdateControls(fcFrameFlatStyle);
}

void TFrFrameController::SetFrameFocusStyle(TFrameStyle value)
{
    if (StoreChange(frameFocusStyle_, value))
        UpdateControls(fcFrameFocusStyle);
}

void TFrFrameController::SetFrameSides(TSides value)
{
    if (StoreChange(frameSides_, value))
        UpdateControls(fcFrameSides);
}

void TFrFrameController::SetFrameStyle(TFrameStyle value)
{
    if (StoreChange(frameStyle_, value))
        UpdateControls(fcFrameStyle);
}

void TFrFrameController::SetFrameVisible(bool value)
{
    if (StoreChange(frameVisible_, value))
        UpdateControls(fcFrameVisible);
}

void TFrFrameController::AddControl(QObject* control)
{
    if (!controls_)
        controls_ = std::make_unique<QList<QObject*>>();
    if (controls_->contains(control))
        return;
    controls_->append(control);
    UpdateControl(control, fcAll);
}

void TFrFrameController::RemoveControl(QObject* control)
{
    if (!controls_)
        return;
    controls_->removeAll(control);
    if (controls_->isEmpty())
        controls_.reset();
}

QList<QObject*> TFrFrameController::Controls() const
{
    return controls_ ? *controls_ : QList<QObject*>();
}

void TFrFrameController::Loaded()
{
    loading_ = false;
    UpdateControls(fcAll);
}

TFrFramedControl::TFrFramedControl(QWidget* self) : self_(self) {}

TFrFramedControl::~TFrFramedControl()
{
    if (frameController_) {
        QObject::disconnect(controllerGone_);
        frameController_->RemoveControl(self_);
    }
}

void TFrFramedControl::SetColor(TColor value)
{
    if (StoreChange(color_, value))
        RepaintFrame();
}

void TFrFramedControl::SetFrameColor(TColor value)
{
    if (StoreChange(frameColor_, value))
        RepaintFrame();
}

void TFrFramedControl::SetFrameController(TFrFrameController* value)
{
    if (value == frameController_)
        return;
    if (frameController_) {
        QObject::disconnect(controllerGone_);
        frameController_->RemoveControl(self_);
    }
    frameController_ = value;
    if (value) {
        // Free notification: a controller that goes away leaves no reference behind.
        controllerGone_ = QObject::connect(value, &QObject::destroyed, self_,
                                           [this] { frameController_ = nullptr; });
        value->AddControl(self_);
    }
}

void TFrFramedControl::SetFrameFlat(bool value)
{
    if (!StoreChange(frameFlat_, value))
        return;
    if (value) {
        SetFrameVisible(true);
        if (!loading_) {
            frameSides_ = AllSides;
            frameStyle_ = frameFlatStyle_;
        }
    }
    RepaintFrame();
    self_->update();
}

void TFrFramedControl::SetFrameFlatStyle(TFrameStyle value)
{
    if (StoreChange(frameFlatStyle_, value))
        RepaintFrame();
}

void TFrFramedControl::SetFrameFocusStyle(TFrameStyle value)
{
    if (StoreChange(frameFocusStyle_, value))
        RepaintFrame();
}

void TFrFramedControl::SetFrameSides(TSides value)
{
    if (StoreChange(frameSides_, value))
        RepaintFrame();
}

void TFrFramedControl::SetFrameStyle(TFrameStyle value)
{
    if (StoreChange(frameStyle_, value))
        RepaintFrame();
}

void TFrFramedControl::SetFrameVisible(bool value)
{
    if (StoreChange(frameVisible_, value))
        FrameVisibleChanged();
}

bool TFrFramedControl::IsFrameSettingStored() const
{
    return !(frameController_ && useFrameController_);
}

void TFrFramedControl::UpdateFrameState(bool isMouseEvent, bool value)
{
    if (isMouseEvent)
        mouseOver_ = value;
    if (!frameFlat_)
        return;
    SetFrameStyle(self_->hasFocus() || mouseOver_ ? frameFocusStyle_ : frameFlatStyle_);
    RepaintFrame();
}

void TFrFramedControl::RepaintFrame()
{
    self_->repaint();
}

void TFrFramedControl::PaintFrame()
{
    if (!frameVisible_)
        return;
    QPainter canvas(self_);
    PaintControlFrame(canvas, self_->width(), self_->height(), frameStyle_, color_, frameColor_,
                      frameSides_);
}

void TFrFramedControl::FrameMouseEnter()
{
    UpdateFrameState(true, true);
    if (OnMouseEnter)
        OnMouseEnter(self_);
}

void TFrFramedControl::FrameMouseLeave()
{
    UpdateFrameState(true, false);
    if (OnMouseLeave)
        OnMouseLeave(self_);
}

void TFrFramedControl::FrameResized()
{
    if (frameVisible_)
        RepaintFrame();
}
