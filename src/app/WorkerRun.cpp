#include "app/WorkerRun.h"

#include <QEventLoop>
#include <QThread>
#include <exception>

void RunOnWorker(const std::function<void()>& work)
{
    std::exception_ptr failure;
    QThread* worker = QThread::create([&] {
        try {
            work();
        } catch (...) {
            failure = std::current_exception();
        }
    });
    QEventLoop loop;
    QObject::connect(worker, &QThread::finished, &loop, &QEventLoop::quit);
    worker->start();
    loop.exec();
    worker->wait();
    delete worker;
    if (failure)
        std::rethrow_exception(failure);
}
