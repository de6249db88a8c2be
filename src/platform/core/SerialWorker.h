// Runs tasks one after another, in the order given, on a thread of its own,
// so that a producer can go on while a slow consumer (a file format library,
// say) works. At most a few tasks wait at a time: Post blocks while the
// backlog is full, which keeps memory flat however much is produced.
#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

class TSerialWorker
{
public:
    explicit TSerialWorker(int maxBacklog = 4);
    // Tasks not started yet are dropped; a running one is waited for.
    ~TSerialWorker();
    TSerialWorker(const TSerialWorker&) = delete;
    TSerialWorker& operator=(const TSerialWorker&) = delete;

    // Tasks must not throw: they report through what they capture.
    void Post(std::function<void()> task);
    // Returns when every task posted so far has run.
    void Wait();

private:
    void Run();

    const int maxBacklog_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<std::function<void()>> tasks_;
    bool busy_ = false;
    bool stopping_ = false;
    std::thread thread_;
};
