#include "platform/core/SerialWorker.h"

TSerialWorker::TSerialWorker(int maxBacklog) : maxBacklog_(maxBacklog), thread_([this] { Run(); })
{
}

TSerialWorker::~TSerialWorker()
{
    {
        std::lock_guard lock(mutex_);
        tasks_.clear();
        stopping_ = true;
    }
    changed_.notify_all();
    thread_.join();
}

void TSerialWorker::Post(std::function<void()> task)
{
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return int(tasks_.size()) < maxBacklog_; });
    tasks_.push_back(std::move(task));
    changed_.notify_all();
}

void TSerialWorker::Wait()
{
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return tasks_.empty() && !busy_; });
}

void TSerialWorker::Run()
{
    std::unique_lock lock(mutex_);
    for (;;) {
        changed_.wait(lock, [this] { return stopping_ || !tasks_.empty(); });
        if (stopping_)
            return;
        std::function<void()> task = std::move(tasks_.front());
        tasks_.pop_front();
        busy_ = true;
        changed_.notify_all();
        lock.unlock();
        task();
        lock.lock();
        busy_ = false;
        changed_.notify_all();
    }
}
