// The framed list box that the file list and the directory list share, the
// unit's glyphs, and the announcement that links partners placed together.
#include "controls/FrFilSys.h"
#include "platform/core/StoreChange.h"

#include <QBitmap>
#include <QEvent>
#include <QPainter>
#include <QResizeEvent>
#include <QStyledItemDelegate>

namespace {

// Items are as high as the list says and painted by the list.
class TItemPainter : public QStyledItemDelegate
{
public:
    explicit TItemPainter(TFrCustomListBox* list) : QStyledItemDelegate(list), list_(list) {}
    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override
    {
        const bool selected = option.state & QStyle::State_Selected;
        const QPalette& palette = option.palette;
        painter->save();
        painter->fillRect(option.rect, selected ? palette.highlight() : palette.base());
        painter->setPen(selected ? palette.color(QPalette::HighlightedText)
                                 : palette.color(QPalette::Text));
        painter->setFont(option.font);
        list_->PaintItem(*painter, index.row(), option.rect);
        painter->restore();
    }
    QSize sizeHint(const QStyleOptionViewItem&, const QModelIndex&) const override
    {
        return {list_->ItemWidth(), list_->ItemHeight()};
    }

private:
    TFrCustomListBox* list_;
};

} // namespace

QPixmap FrFilSysGlyph(const char* name)
{
    Q_INIT_RESOURCE(FrFilSys);
    QPixmap glyph(QStringLiteral(":/") + QLatin1String(name));
    if (glyph.isNull())
        return glyph;
    const QImage image = glyph.toImage();
    glyph.setMask(QBitmap::fromImage(
        image.createMaskFromColor(image.pixel(0, image.height() - 1), Qt::MaskInColor)));
    return glyph;
}

void AnnounceToSiblings(QWidget* control)
{
    if (!control->parent())
        return;
    for (QObject* sibling : control->parent()->children())
        if (auto* listener = dynamic_cast<TFrSiblingListener*>(sibling);
            listener && sibling != control)
            listener->SiblingInserted(control);
}

TFrCustomListBox::TFrCustomListBox(QWidget* parent) : TFrFramedView(parent)
{
    setSortingEnabled(false);
    setUniformItemSizes(true);
    setItemDelegate(new TItemPainter(this));
    ApplyPalette();
}

void TFrCustomListBox::SetColor(TColor value)
{
    if (!StoreChange(color_, value))
        return;
    parentColor_ = false;
    ApplyPalette();
    if (FrameVisible())
        RepaintFrame();
}

// Items are as wide as the list, so they are laid out again when its width
// changes, a scroll bar that comes or goes included.
void TFrCustomListBox::resizeEvent(QResizeEvent* event)
{
    TFrFramedView::resizeEvent(event);
    if (event->size().width() != event->oldSize().width())
        scheduleDelayedItemsLayout();
}

void TFrCustomListBox::SetItemHeight(int height)
{
    if (!StoreChange(itemHeight_, height))
        return;
    doItemsLayout();
}

void TFrCustomListBox::ApplyPalette()
{
    QPalette palette = this->palette();
    palette.setColor(QPalette::Base, ToQColor(color_));
    setPalette(palette);
}

void TFrCustomListBox::FrameVisibleChanged()
{
    ApplyFrameBorder(*this, FrameVisible());
    RepaintFrame();
}
