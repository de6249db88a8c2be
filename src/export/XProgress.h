// The progress dialog of an export: a bar over a known total, or a running
// count with the elapsed time when the total is unknown. Esc closes it, which
// cancels the export at the next update.
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
    TProgressForm(const QString& caption, const QString& panelText, const QString& elapsedFormat,
                  int count);

    // False once the user has closed the dialog (the export is cancelled).
    bool UpdateProgress(int itemNo);

    int StepEvery() const { return stepEvery_; }
    bool CountUnknown() const { return countUnknown_; }
    QProgressBar* ProgressBar() const { return ProgressBar_; }
    QLabel* ExportPanel() const { return ExportPanel_; }

    // Esc and closing the window end up here.
    void reject() override;

private:
    QLabel* ExportPanel_;
    QProgressBar* ProgressBar_;
    QElapsedTimer startTicks_;
    int stepEvery_ = 1;
    bool countUnknown_ = false;
    bool cancelled_ = false;
    QString elapsedFormat_;
};

std::unique_ptr<TProgressForm> CreateProgressForm(const QString& caption, const QString& panelText,
                                                  const QString& elapsedFormat, int count);
