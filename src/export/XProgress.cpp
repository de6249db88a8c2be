#include "export/XProgress.h"

#include <QApplication>
#include <QLabel>
#include <QProgressBar>
#include <QScreen>
#include <ctime>

TProgressForm::TProgressForm(const QString& caption, const QString& panelText,
                             const QString& elapsedFormat, int count)
    : elapsedFormat_(elapsedFormat)
{
    setObjectName(QStringLiteral("ProgressForm"));
    setWindowFlags(Qt::Dialog | Qt::WindowStaysOnTopHint);
    setWindowTitle(caption);
    setFixedSize(263, 32);
    ExportPanel_ = new QLabel(panelText, this);
    ExportPanel_->setObjectName(QStringLiteral("ExportPanel"));
    ExportPanel_->setGeometry(8, 4, 249, 21);
    ExportPanel_->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    ExportPanel_->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    ExportPanel_->hide();
    ProgressBar_ = new QProgressBar(this);
    ProgressBar_->setObjectName(QStringLiteral("ProgressBar"));
    ProgressBar_->setGeometry(8, 8, 249, 16);
    ProgressBar_->setRange(0, 100);
    ProgressBar_->setValue(0);
    ProgressBar_->setTextVisible(false);
    startTicks_.start();
    countUnknown_ = count < 0;
    stepEvery_ = count / 25 + 1;
    if (stepEvery_ < 1)
        stepEvery_ = 1;
    if (countUnknown_) {
        ProgressBar_->hide();
        setFixedSize(263, 57 - 25); // the outer height of 57 less the title bar
        ExportPanel_->show();
    } else {
        ProgressBar_->setMaximum(count / stepEvery_);
    }
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect frame(QPoint(), size());
        frame.moveCenter(screen->availableGeometry().center());
        move(frame.topLeft());
    }
}

namespace {

// Milliseconds on the coarse monotonic clock: a few nanoseconds to read, so it
// can be asked after every item; its ticks of a few milliseconds are far finer
// than the refresh.
qint64 CoarseMs()
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC_COARSE, &now);
    return qint64(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
}

} // namespace

// The bar steps every StepEvery items (about 25 times in all); the count is
// shown, and Esc seen, at the first item and then on the clock.
bool TProgressForm::UpdateProgress(int itemNo)
{
    if (!countUnknown_ && itemNo % stepEvery_ == 0)
        ProgressBar_->setValue(qMin(ProgressBar_->value() + 1, ProgressBar_->maximum()));
    const qint64 now = CoarseMs();
    if (now >= nextRefreshMs_) {
        nextRefreshMs_ = now + kRefreshMs;
        Refresh(itemNo);
    }
    // Esc cancels whatever the total: a grid export never knows its total.
    return !cancelled_;
}

void TProgressForm::ShowFinalProgress(int itemNo)
{
    Refresh(itemNo);
}

void TProgressForm::Refresh(int itemNo)
{
    if (countUnknown_) {
        const float seconds = float(startTicks_.elapsed()) / 1000.0f;
        QString text = elapsedFormat_;
        text.replace(QStringLiteral("%d"), QString::number(itemNo));
        text.replace(QStringLiteral("%.2f"), QString::number(double(seconds), 'f', 2));
        ExportPanel_->setText(text);
    }
    QCoreApplication::processEvents();
}

void TProgressForm::reject()
{
    cancelled_ = true;
    QDialog::reject();
}

std::unique_ptr<TProgressForm> CreateProgressForm(const QString& caption, const QString& panelText,
                                                  const QString& elapsedFormat, int count)
{
    return std::make_unique<TProgressForm>(caption, panelText, elapsedFormat, count);
}
