// The window's animation: a small indicator that keeps turning while a script
// runs. It plays only while active and shows its stop frame otherwise.
#pragma once

#include <QWidget>

class QTimer;

class TBusyIndicator : public QWidget
{
    Q_OBJECT
public:
    explicit TBusyIndicator(QWidget* parent = nullptr);

    bool Active() const;
    void SetActive(bool active);
    // The frame shown when stopped (of eight).
    int StopFrame() const { return stopFrame_; }
    void SetStopFrame(int frame);
    int Frame() const { return frame_; }

    QSize sizeHint() const override { return {24, 24}; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    static constexpr int kFrames = 8;
    QTimer* timer_;
    int frame_ = 0;
    int stopFrame_ = kFrames;
};
