#include "platform/core/OrderedPieces.h"

#include <algorithm>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <thread>
#include <vector>

namespace {

struct TSlot
{
    QByteArray bytes;
    bool ready = false;
};

} // namespace

bool WorthPieces(qint64 records)
{
    return std::thread::hardware_concurrency() > 1 && records >= 2 * kRecordsPerPiece;
}

int PieceWorkers()
{
    return int(std::clamp(std::thread::hardware_concurrency(), 1u, 4u));
}

void MakePiecesInOrder(qint64 count, int workers,
                       const std::function<void(qint64 piece, QByteArray& out)>& make,
                       const std::function<void(const QByteArray& out)>& take)
{
    workers = std::max(1, workers);
    // Two pieces a worker: one being made, one waiting to be taken.
    const qint64 ahead = 2 * qint64(workers);
    std::vector<TSlot> shelf(static_cast<size_t>(ahead));
    std::mutex mutex;
    std::condition_variable changed;
    qint64 nextToMake = 0, nextToTake = 0;
    bool stopped = false;
    std::exception_ptr failure;
    const auto stop = [&](std::exception_ptr error) {
        std::lock_guard lock(mutex);
        if (!failure)
            failure = error;
        stopped = true;
        changed.notify_all();
    };

    const auto work = [&] {
        QByteArray out;
        for (;;) {
            qint64 piece;
            {
                std::unique_lock lock(mutex);
                changed.wait(lock, [&] {
                    return stopped || nextToMake >= count || nextToMake < nextToTake + ahead;
                });
                if (stopped || nextToMake >= count)
                    return;
                piece = nextToMake++;
            }
            out.truncate(0);
            try {
                make(piece, out);
            } catch (...) {
                stop(std::current_exception());
                return;
            }
            std::lock_guard lock(mutex);
            TSlot& slot = shelf[size_t(piece % ahead)];
            slot.bytes.swap(out);
            slot.ready = true;
            changed.notify_all();
        }
    };
    std::vector<std::thread> threads;
    for (int i = 0; i < workers; ++i)
        threads.emplace_back(work);

    QByteArray due;
    for (; nextToTake < count;) {
        {
            std::unique_lock lock(mutex);
            TSlot& slot = shelf[size_t(nextToTake % ahead)];
            changed.wait(lock, [&] { return stopped || slot.ready; });
            if (stopped)
                break;
            due.swap(slot.bytes);
            slot.ready = false;
            ++nextToTake;
            changed.notify_all();
        }
        try {
            take(due);
        } catch (...) {
            stop(std::current_exception());
            break;
        }
    }
    for (std::thread& thread : threads)
        thread.join();
    if (failure)
        std::rethrow_exception(failure);
}
