#include "app/BlockingRun.h"

#include "app/WorkerRun.h"

#include <QApplication>
#include <QKeyEvent>
#include <QWidget>

namespace {

// Swallows the user's input to one window while work runs.
class InputBlocker : public QObject
{
public:
    InputBlocker(QWidget* window, QWidget* cancelButton, std::function<void()> interrupt)
        : window_(window), cancel_(cancelButton), interrupt_(std::move(interrupt))
    {
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        auto* widget = qobject_cast<QWidget*>(watched);
        if (!widget || widget->window() != window_)
            return false;
        switch (event->type()) {
        case QEvent::Close:
            event->ignore();
            return true;
        case QEvent::KeyPress:
            if (static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape)
                interrupt_();
            return true;
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
            return !(cancel_ && (widget == cancel_ || cancel_->isAncestorOf(widget)));
        case QEvent::KeyRelease:
        case QEvent::Wheel:
        case QEvent::Shortcut:
        case QEvent::ShortcutOverride:
        case QEvent::ContextMenu:
        case QEvent::Drop:
            return true;
        default:
            return false;
        }
    }

private:
    QWidget* window_;
    QWidget* cancel_;
    std::function<void()> interrupt_;
};

} // namespace

void RunBlocking(QWidget* window, QWidget* cancelButton, const std::function<void()>& work,
                 const std::function<void()>& interrupt)
{
    InputBlocker blocker(window, cancelButton, interrupt);
    qApp->installEventFilter(&blocker);
    try {
        RunOnWorker(work);
    } catch (...) {
        qApp->removeEventFilter(&blocker);
        throw;
    }
    qApp->removeEventFilter(&blocker);
}
