#include "app/BusyIndicator.h"

#include <QPainter>
#include <QTimer>

TBusyIndicator::TBusyIndicator(QWidget* parent) : QWidget(parent), timer_(new QTimer(this))
{
    timer_->setInterval(90);
    connect(timer_, &QTimer::timeout, this, [this] {
        frame_ = (frame_ + 1) % kFrames;
        update();
    });
    setFixedSize(sizeHint());
}

bool TBusyIndicator::Active() const
{
    return timer_->isActive();
}

void TBusyIndicator::SetActive(bool active)
{
    if (active == Active())
        return;
    if (active) {
        timer_->start();
    } else {
        timer_->stop();
        frame_ = (stopFrame_ - 1) % kFrames;
    }
    update();
}

void TBusyIndicator::SetStopFrame(int frame)
{
    stopFrame_ = qBound(1, frame, kFrames);
    if (!Active())
        frame_ = stopFrame_ - 1;
}

// Eight dots on a circle; the one at the current frame is darkest and the
// trail behind it fades, which reads as rotation.
void TBusyIndicator::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QColor ink = palette().color(QPalette::Highlight);
    const QPointF centre = QRectF(rect()).center();
    const double radius = qMin(width(), height()) / 2.0 - 3.5;
    painter.setPen(Qt::NoPen);
    for (int i = 0; i < kFrames; ++i) {
        const int age = (frame_ - i + kFrames) % kFrames;
        QColor dot = ink;
        dot.setAlphaF(Active() ? 1.0 - age * 0.11 : 0.35);
        painter.setBrush(dot);
        const double angle = i * 2 * M_PI / kFrames - M_PI / 2;
        painter.drawEllipse(centre + QPointF(std::cos(angle), std::sin(angle)) * radius, 2.6, 2.6);
    }
}
