// Pieces made on several threads arrive in order, only a few ahead of the
// one taken, and the first failure on either side stops the rest.
#include "platform/core/OrderedPieces.h"

#include <atomic>
#include <chrono>
#include <gtest/gtest.h>
#include <stdexcept>
#include <thread>

namespace {

struct PiecesCase
{
    const char* name;
    qint64 count;
    int workers;
    qint64 makeFails = -1; // the piece whose making throws
    qint64 takeFails = -1; // the piece whose taking throws
};

QByteArray Expected(qint64 count)
{
    QByteArray all;
    for (qint64 piece = 0; piece < count; ++piece)
        all += QByteArray::number(piece) + ',';
    return all;
}

TEST(OrderedPiecesTest, PiecesArriveInOrderAFewAheadAndTheFirstFailureStopsTheRest)
{
    const PiecesCase cases[] = {
        {"none", 0, 2},
        {"one worker", 40, 1},
        {"many workers", 200, 4},
        {"fewer pieces than workers", 3, 4},
        {"making fails", 100, 2, 37},
        {"taking fails", 100, 3, -1, 12},
    };
    for (const PiecesCase& c : cases) {
        SCOPED_TRACE(c.name);
        std::atomic<qint64> made{0}, taken{0}, mostAhead{0};
        QByteArray out;
        const auto make = [&](qint64 piece, QByteArray& bytes) {
            if (piece == c.makeFails)
                throw std::runtime_error("make");
            // Pieces take uneven times, so they are finished out of order.
            std::this_thread::sleep_for(std::chrono::microseconds(piece * 7919 % 500));
            bytes = QByteArray::number(piece) + ',';
            const qint64 ahead = ++made - taken;
            for (qint64 most = mostAhead;
                 ahead > most && !mostAhead.compare_exchange_weak(most, ahead);) {
            }
        };
        const auto take = [&](const QByteArray& bytes) {
            if (taken == c.takeFails)
                throw std::runtime_error("take");
            out += bytes;
            ++taken;
        };
        const char* failure = c.makeFails >= 0 ? "make" : c.takeFails >= 0 ? "take" : nullptr;
        try {
            MakePiecesInOrder(c.count, c.workers, make, take);
            EXPECT_EQ(failure, nullptr);
        } catch (const std::runtime_error& error) {
            EXPECT_STREQ(error.what(), failure);
        }
        const QByteArray all = Expected(c.count);
        if (!failure) {
            EXPECT_EQ(out, all);
            EXPECT_EQ(made, c.count);
        } else {
            const qint64 stop = std::max(c.makeFails, c.takeFails);
            EXPECT_TRUE(all.startsWith(out) && out.size() <= Expected(stop).size()) << out.data();
        }
        EXPECT_LE(mostAhead, 2 * c.workers + 1);
    }
}

} // namespace
