// TFrCustomTreeView: a tree view with the framed-control property family, a
// selection outline that stays visible without the focus, mouse-wheel
// scrolling by the system's wheel-scroll lines, and an auto-select mode.
#pragma once

#include "controls/FrCommon.h"

#include <QPen>
#include <QTreeWidget>

class TFrCustomTreeView : public QTreeWidget, public TFrFramedControl
{
    Q_OBJECT
    Q_PROPERTY(quint32 Color READ Color WRITE SetColor)
    Q_PROPERTY(bool ParentColor READ ParentColor WRITE SetParentColor)
    Q_PROPERTY(quint32 FrameColor READ FrameColor WRITE SetFrameColor)
    Q_PROPERTY(TFrFrameController* FrameController READ FrameController WRITE SetFrameController)
    Q_PROPERTY(bool FrameFlat READ FrameFlat WRITE SetFrameFlat)
    Q_PROPERTY(Fr::TFrameStyle FrameFlatStyle READ FrameFlatStyle WRITE SetFrameFlatStyle)
    Q_PROPERTY(Fr::TFrameStyle FrameFocusStyle READ FrameFocusStyle WRITE SetFrameFocusStyle)
    Q_PROPERTY(Fr::TSides FrameSides READ FrameSides WRITE SetFrameSides)
    Q_PROPERTY(Fr::TFrameStyle FrameStyle READ FrameStyle WRITE SetFrameStyle)
    Q_PROPERTY(bool FrameVisible READ FrameVisible WRITE SetFrameVisible)
    Q_PROPERTY(bool UseFrameController READ UseFrameController WRITE SetUseFrameController)
    Q_PROPERTY(QPen SelectionPen READ SelectionPen WRITE SetSelectionPen)
    Q_PROPERTY(bool AutoSelect READ AutoSelect WRITE SetAutoSelect)
    Q_PROPERTY(bool AutoExpand READ AutoExpand WRITE SetAutoExpand)
    Q_PROPERTY(bool HideSelection READ HideSelection WRITE SetHideSelection)
    Q_PROPERTY(bool ReadOnly READ ReadOnly WRITE SetReadOnly)
    Q_PROPERTY(bool RightClickSelect READ RightClickSelect WRITE SetRightClickSelect)
    Q_PROPERTY(int Indent READ indentation WRITE setIndentation)
public:
    explicit TFrCustomTreeView(QWidget* parent = nullptr);

    // The storage rule of the frame settings a controller drives.
    Q_INVOKABLE bool IsColorStored() const { return IsFrameSettingStored(); }
    Q_INVOKABLE bool IsFrameColorStored() const { return IsFrameSettingStored(); }
    Q_INVOKABLE bool IsFrameFlatStored() const { return IsFrameSettingStored(); }
    Q_INVOKABLE bool IsFrameFlatStyleStored() const { return IsFrameSettingStored(); }
    Q_INVOKABLE bool IsFrameFocusStyleStored() const { return IsFrameSettingStored(); }
    Q_INVOKABLE bool IsFrameSidesStored() const { return IsFrameSettingStored(); }
    Q_INVOKABLE bool IsFrameStyleStored() const { return IsFrameSettingStored(); }
    Q_INVOKABLE bool IsFrameVisibleStored() const { return IsFrameSettingStored(); }

    void SetColor(TColor value) override;
    bool ParentColor() const { return parentColor_; }
    void SetParentColor(bool value);
    const QPen& SelectionPen() const { return selectionPen_; }
    void SetSelectionPen(const QPen& pen);
    bool AutoSelect() const { return autoSelect_; }
    virtual void SetAutoSelect(bool value);
    virtual bool AutoExpand() const { return autoExpand_; }
    virtual void SetAutoExpand(bool value);
    bool HideSelection() const { return hideSelection_; }
    void SetHideSelection(bool value);
    bool ReadOnly() const { return readOnly_; }
    void SetReadOnly(bool value);
    bool RightClickSelect() const { return rightClickSelect_; }
    void SetRightClickSelect(bool value) { rightClickSelect_ = value; }

protected:
    // Shows the control's own frame (FrameVisible) or the platform border.
    void FrameVisibleChanged() override;
    // True only while FrameVisible re-creates the control.
    bool recreating_ = false;

    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    void ApplyFrameBorder();
    void ApplyPalette();

    bool parentColor_ = false;
    QPen selectionPen_;
    bool autoSelect_ = false;
    bool autoExpand_ = false;
    bool hideSelection_ = true;
    bool readOnly_ = false;
    bool rightClickSelect_ = false;
};
