// The framed tree view of FrTreeVw.h.
#include "controls/FrTreeVw.h"

#include "platform/core/StoreChange.h"

#include <QApplication>
#include <QMouseEvent>
#include <QPainter>

TFrCustomTreeView::TFrCustomTreeView(QWidget* parent)
    : TFrFramedView(parent), selectionPen_(ToQColor(clBtnShadow))
{
    setHeaderHidden(true);
    setEditTriggers(QAbstractItemView::EditKeyPressed);
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

void TFrCustomTreeView::SetSelectionPen(const QPen& pen)
{
    if (!StoreChange(selectionPen_, pen))
        return;
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
    if (!StoreChange(hideSelection_, value))
        return;
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
    ApplyFrameBorder(*this, FrameVisible());
    RepaintFrame();
    recreating_ = false;
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

void TFrCustomTreeView::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::RightButton && !rightClickSelect_) {
        event->accept();
        return;
    }
    QTreeWidget::mousePressEvent(event);
}
