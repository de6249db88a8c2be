// The progress dialog of an export: a bar over a known total, or a running
// count with the elapsed time when the total is unknown. Esc closes it, which
// cancels the export at the next update.
//
// The bar steps per item as ever, but the count is drawn and the user's
// input handled only on a clock (every kRefreshMs): handling events per item
// would cost more than exporting it.
#pragma once

#include <QDialog>
#include <QElapsedTimer>
#include <memory>

class QLabel;
class QProgressBar;

class TProgressForm : public QDialog
{
    Q_OBJECT
public:
    static constexpr qint64 kRefreshMs = 50;

    TProgressForm(const QString& caption, const QString& panelText, const QString& elapsedFormat,
                  int count);

    // False once the user has closed the dialog (the export is cancelled).
    bool UpdateProgress(int itemNo);
    // Shows the last item's count at once, whatever the clock says, so the
    // dialog ends on the exact figure.
    void ShowFinalProgress(int itemNo);

    int StepEvery() const { return stepEvery_; }
    bool CountUnknown() const { return countUnknown_; }
    QProgressBar* ProgressBar() const { return ProgressBar_; }
    QLabel* ExportPanel() const { return ExportPanel_; }

    // Esc and closing the window end up here.
    void reject() override;

private:
    // Puts the count on the panel and handles input.
    void Refresh(int itemNo);

    QLabel* ExportPanel_;
    QProgressBar* ProgressBar_;
    QElapsedTimer startTicks_;
    qint64 nextRefreshMs_ = 0; // on the coarse clock; 0: at the first update
    int stepEvery_ = 1;
    bool countUnknown_ = false;
    bool cancelled_ = false;
    QString elapsedFormat_;
};

std::unique_ptr<TProgressForm> CreateProgressForm(const QString& caption, const QString& panelText,
                                                  const QString& elapsedFormat, int count);
