// The signal handler only notes the signal and writes a byte to a pipe (the
// only things it may safely do); the pipe wakes the GUI thread, which
// interrupts the engine.
#include "app/BatchSignals.h"

#include <QSocketNotifier>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace {

volatile sig_atomic_t caughtSignal = 0;
int wakeFds[2] = {-1, -1};
struct sigaction previousInt;
struct sigaction previousTerm;

void OnSignal(int signal)
{
    caughtSignal = signal;
    const char byte = 1;
    [[maybe_unused]] const ssize_t n = ::write(wakeFds[1], &byte, 1);
    // A second signal is not caught again.
    std::signal(SIGINT, SIG_DFL);
    std::signal(SIGTERM, SIG_DFL);
}

} // namespace

TBatchSignals::TBatchSignals(std::function<void()> interrupt) : interrupt_(std::move(interrupt))
{
    caughtSignal = 0;
    if (::pipe2(wakeFds, O_CLOEXEC | O_NONBLOCK) != 0)
        return;
    notifier_ = std::make_unique<QSocketNotifier>(wakeFds[0], QSocketNotifier::Read);
    connect(notifier_.get(), &QSocketNotifier::activated, this, [this] {
        char bytes[16];
        while (::read(wakeFds[0], bytes, sizeof bytes) > 0) {
        }
        if (interrupt_)
            interrupt_();
    });
    struct sigaction action = {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    ::sigaction(SIGINT, &action, &previousInt);
    ::sigaction(SIGTERM, &action, &previousTerm);
}

TBatchSignals::~TBatchSignals()
{
    if (!notifier_)
        return;
    ::sigaction(SIGINT, &previousInt, nullptr);
    ::sigaction(SIGTERM, &previousTerm, nullptr);
    notifier_.reset();
    ::close(wakeFds[0]);
    ::close(wakeFds[1]);
    wakeFds[0] = wakeFds[1] = -1;
}

int TBatchSignals::Caught() const
{
    return caughtSignal;
}

QString TBatchSignals::CaughtName() const
{
    return caughtSignal == SIGINT ? QStringLiteral("SIGINT") : QStringLiteral("SIGTERM");
}
