// TFrCustomTreeView: a tree view with the framed-control property family, a
// selection outline that stays visible without the focus, mouse-wheel
// scrolling by the system's wheel-scroll lines, and an auto-select mode.
#pragma once

#include "controls/FrCommon.h"

#include <QPen>
#include <QTreeWidget>

class TFrCustomTreeView : public TFrFramedView<QTreeWidget>
{
    Q_OBJECT
    FR_FRAMED_CONTROL_PROPERTIES
    Q_PROPERTY(bool ParentColor READ ParentColor WRITE SetParentColor)
    Q_PROPERTY(QPen SelectionPen READ SelectionPen WRITE SetSelectionPen)
    Q_PROPERTY(bool AutoSelect READ AutoSelect WRITE SetAutoSelect)
    Q_PROPERTY(bool AutoExpand READ AutoExpand WRITE SetAutoExpand)
    Q_PROPERTY(bool HideSelection READ HideSelection WRITE SetHideSelection)
    Q_PROPERTY(bool ReadOnly READ ReadOnly WRITE SetReadOnly)
    Q_PROPERTY(bool RightClickSelect READ RightClickSelect WRITE SetRightClickSelect)
    Q_PROPERTY(int Indent READ indentation WRITE setIndentation)
public:
    explicit TFrCustomTreeView(QWidget* parent = nullptr);

    void SetColor(TColor value) override;
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

    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    void ApplyPalette();

    QPen selectionPen_;
    bool autoSelect_ = false;
    bool autoExpand_ = false;
    bool hideSelection_ = true;
    bool readOnly_ = false;
    bool rightClickSelect_ = false;
};
