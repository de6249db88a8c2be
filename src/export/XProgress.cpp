#include "export/XProgress.h"

#include <QApplication>
#include <QLabel>
#include <QProgressBar>
#include <QScreen>

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

// With an unknown total every item is counted on the panel; otherwise the bar
// steps every StepEvery items.
bool TProgressForm::UpdateProgress(int itemNo)
{
    if (itemNo % stepEvery_ != 0)
        return true;
    if (countUnknown_) {
        const float seconds = float(startTicks_.elapsed()) / 1000.0f;
        QString text = elapsedFormat_;
        text.replace(QStringLiteral("%d"), QString::number(itemNo));
        text.replace(QStringLiteral("%.2f"), QString::number(double(seconds), 'f', 2));
        ExportPanel_->setText(text);
    }
    QCoreApplication::processEvents();
    if (!countUnknown_) {
        const int next = ProgressBar_->value() + 1;
        ProgressBar_->setValue(qMin(next, ProgressBar_->maximum()));
    }
    // Esc cancels whatever the total: a grid export never knows its total.
    return !cancelled_;
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
