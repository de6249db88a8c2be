// The framed tree view of FrTreeVw.h.
#include "controls/FrTreeVw.h"

#include <QApplication>
#include <QMouseEvent>
#include <QPainter>

TFrCustomTreeView::TFrCustomTreeView(QWidget* parent)
    : QTreeWidget(parent), TFrFramedControl(this), selectionPen_(ToQColor(clBtnShadow))
{
    setHeaderHidden(true);
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(true);
    setEditTriggers(QAbstractItemView::EditKeyPressed);
    ApplyFrameBorder();
    ApplyPalette();
    // AutoSelect selects what is expanded or collapsed; AutoExpand opens what is selected.
    const auto select = [this](QTreeWidgetItem* item) {
        if (autoSelect_)
            setCurrentItem(item);
    };
    connect(this, &QTreeWidget::itemExpanded, this, select);
    connect(this, &QTreeWidget::itemCollapsed, this, select);
    connect(this, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* item) {
        if (autoExpand_ && item)
            item->setExpanded(true);
    });
}

void TFrCustomTreeView::SetColor(TColor value)
{
    if (value == color_)
        return;
    parentColor_ = false;
    TFrFramedControl::SetColor(value);
    ApplyPalette();
}

// With ParentColor the control takes its parent's colour (the face colour of
// a form).
void TFrCustomTreeView::SetParentColor(bool value)
{
    if (value == parentColor_)
        return;
    if (value) {
        const QVariant parentColor =
            parentWidget() ? parentWidget()->property("Color") : QVariant();
        TFrFramedControl::SetColor(parentColor.isValid() ? parentColor.toUInt() : clBtnFace);
        ApplyPalette();
    }
    parentColor_ = value;
}

void TFrCustomTreeView::SetSelectionPen(const QPen& pen)
{
    if (pen == selectionPen_)
        return;
    selectionPen_ = pen;
    viewport()->update();
}

void TFrCustomTreeView::SetAutoSelect(bool value)
{
    autoSelect_ = value;
    if (value)
        autoExpand_ = false;
}

void TFrCustomTreeView::SetAutoExpand(bool value)
{
    autoExpand_ = value;
    if (value)
        autoSelect_ = false;
}

void TFrCustomTreeView::SetHideSelection(bool value)
{
    if (value == hideSelection_)
        return;
    hideSelection_ = value;
    ApplyPalette();
}

void TFrCustomTreeView::SetReadOnly(bool value)
{
    readOnly_ = value;
    setEditTriggers(value ? QAbstractItemView::NoEditTriggers : QAbstractItemView::EditKeyPressed);
}

void TFrCustomTreeView::FrameVisibleChanged()
{
    recreating_ = true;
    ApplyFrameBorder();
    RepaintFrame();
    recreating_ = false;
}

void TFrCustomTreeView::ApplyFrameBorder()
{
    ::ApplyFrameBorder(*this, FrameVisible());
}

void TFrCustomTreeView::ApplyPalette()
{
    QPalette palette = this->palette();
    const QColor background = ToQColor(color_);
    palette.setColor(QPalette::Base, background);
    if (hideSelection_) {
        palette.setColor(QPalette::Inactive, QPalette::Highlight, background);
        palette.setColor(QPalette::Inactive, QPalette::HighlightedText,
                         palette.color(QPalette::Active, QPalette::Text));
    } else {
        palette.setColor(QPalette::Inactive, QPalette::Highlight,
                         palette.color(QPalette::Active, QPalette::Highlight));
        palette.setColor(QPalette::Inactive, QPalette::HighlightedText,
                         palette.color(QPalette::Active, QPalette::HighlightedText));
    }
    setPalette(palette);
}

// The scroll area's own paint event is the non-client paint: the border.
bool TFrCustomTreeView::event(QEvent* event)
{
    const bool result = QTreeWidget::event(event);
    if (event->type() == QEvent::Paint)
        PaintFrame();
    return result;
}

void TFrCustomTreeView::paintEvent(QPaintEvent* event)
{
    QTreeWidget::paintEvent(event);
    if (hideSelection_ || hasFocus() || !currentItem())
        return;
    QPainter painter(viewport());
    painter.setPen(selectionPen_);
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(visualItemRect(currentItem()).adjusted(0, 0, -1, -1));
}

void TFrCustomTreeView::focusInEvent(QFocusEvent* event)
{
    FrameFocusIn();
    QTreeWidget::focusInEvent(event);
}

void TFrCustomTreeView::focusOutEvent(QFocusEvent* event)
{
    QTreeWidget::focusOutEvent(event);
    FrameFocusOut();
}

void TFrCustomTreeView::enterEvent(QEnterEvent* event)
{
    QTreeWidget::enterEvent(event);
    FrameMouseEnter();
}

void TFrCustomTreeView::leaveEvent(QEvent* event)
{
    QTreeWidget::leaveEvent(event);
    FrameMouseLeave();
}

void TFrCustomTreeView::resizeEvent(QResizeEvent* event)
{
    QTreeWidget::resizeEvent(event);
    FrameResized();
}

void TFrCustomTreeView::wheelEvent(QWheelEvent* event)
{
    ScrollByWheel(*this, *event);
}

void TFrCustomTreeView::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::RightButton && !rightClickSelect_) {
        event->accept();
        return;
    }
    QTreeWidget::mousePressEvent(event);
}
