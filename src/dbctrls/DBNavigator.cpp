#include "dbctrls/DBNavigator.h"

#include "engine/DataSet.h"
#include "platform/Interaction.h"
#include "platform/core/StoreChange.h"

#include <QHBoxLayout>
#include <QPainter>
#include <QToolButton>
#include <exception>

namespace {

// An arrow glyph with an optional bar before it, the look of "first" and "last".
QIcon NavigatorGlyph(Qt::ArrowType arrow, bool bar)
{
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0x30, 0x30, 0x30));
    const bool left = arrow == Qt::LeftArrow;
    const double tip = left ? 4.5 : 11.5;
    const double base = left ? 11.5 : 4.5;
    const QPointF triangle[3] = {{tip, 8}, {base, 3.5}, {base, 12.5}};
    painter.drawPolygon(triangle, 3);
    if (bar)
        painter.drawRect(QRectF(left ? 2.5 : 12, 3.5, 1.5, 9));
    return QIcon(pixmap);
}

} // namespace

TDBNavigator::TDBNavigator(QWidget* parent) : QWidget(parent)
{
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(1);
    first_ = AddButton(QStringLiteral("nbFirst"), tr("First record"), Qt::LeftArrow, true,
                       &TDBNavigator::First);
    prior_ = AddButton(QStringLiteral("nbPrior"), tr("Prior record"), Qt::LeftArrow, false,
                       &TDBNavigator::Prior);
    next_ = AddButton(QStringLiteral("nbNext"), tr("Next record"), Qt::RightArrow, false,
                      &TDBNavigator::Next);
    last_ = AddButton(QStringLiteral("nbLast"), tr("Last record"), Qt::RightArrow, true,
                      &TDBNavigator::Last);
    UpdateButtons();
}

QToolButton* TDBNavigator::AddButton(const QString& name, const QString& toolTip,
                                     Qt::ArrowType arrow, bool bar, void (TDBNavigator::*move)())
{
    auto* button = new QToolButton(this);
    button->setObjectName(name);
    button->setToolTip(toolTip);
    button->setIcon(NavigatorGlyph(arrow, bar));
    button->setAutoRaise(false);
    button->setFixedSize(26, 24);
    connect(button, &QToolButton::clicked, this, [this, move] {
        try {
            (this->*move)();
        } catch (const std::exception& error) {
            Ui().ShowException(error);
        }
        UpdateButtons();
    });
    layout()->addWidget(button);
    return button;
}

void TDBNavigator::SetDataSource(TDataSource* source)
{
    if (!StoreChange(source_, source))
        return;
    connect(source, &TDataSource::DataChanged, this, &TDBNavigator::UpdateButtons);
    connect(source, &TDataSource::CurrentChanged, this, &TDBNavigator::UpdateButtons);
    UpdateButtons();
}

void TDBNavigator::First()
{
    source_->DataSet()->First();
}
void TDBNavigator::Prior()
{
    source_->DataSet()->Prior();
}
void TDBNavigator::Next()
{
    source_->DataSet()->Next();
}
void TDBNavigator::Last()
{
    source_->DataSet()->Last();
}

void TDBNavigator::UpdateButtons()
{
    TDataSet* dataSet = source_ ? source_->DataSet() : nullptr;
    const bool open = dataSet && dataSet->Active() && !dataSet->IsEmpty();
    const qint64 recNo = open ? dataSet->RecNo() : 0;
    const qint64 count = open ? dataSet->RecordCount() : 0;
    first_->setEnabled(open && recNo > 1);
    prior_->setEnabled(open && recNo > 1);
    next_->setEnabled(open && recNo < count);
    last_->setEnabled(open && recNo < count);
}
