// SIGINT and SIGTERM in batch mode: the first one stops the running statement
// (through the callback, on the GUI thread, where the script's worker is
// waited for), so the run ends through its own clean-up: temporary tables
// dropped, answer files and the private folder removed. A second one ends the
// process at once, as it would without this guard.
#pragma once

#include <QObject>
#include <functional>
#include <memory>

class QSocketNotifier;

class TBatchSignals : public QObject
{
public:
    explicit TBatchSignals(std::function<void()> interrupt);
    ~TBatchSignals() override;

    // The signal caught, 0 while none was.
    int Caught() const;
    // "SIGINT" or "SIGTERM".
    QString CaughtName() const;

private:
    std::function<void()> interrupt_;
    std::unique_ptr<QSocketNotifier> notifier_;
};
