// Work on a volume that is not known to be local (a network share, a file
// system nobody knows) runs on a thread of its own, and the GUI thread waits
// for it only a moment: a server that answers late is answered later, one
// that never answers costs a thread, never the window.
#include "controls/FrFilSys.h"

#include <QCoreApplication>
#include <QDirIterator>
#include <QFileInfo>
#include <QHash>
#include <QMutex>
#include <QThread>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <thread>

namespace {

// Stops at the first sub-folder when that is all that is asked.
QStringList ReadFoldersNow(const QString& folder, bool showHidden, bool firstOnly)
{
    QDir::Filters filters = QDir::Dirs | QDir::NoDotAndDotDot;
    if (showHidden)
        filters |= QDir::Hidden;
    QStringList names;
    QDirIterator it(folder, filters);
    while (it.hasNext() && !(firstOnly && !names.isEmpty()))
        names << it.nextFileInfo().fileName();
    return names;
}

TFolderReader& Reader()
{
    static TFolderReader reader = ReadFoldersNow;
    return reader;
}

// The deadline of the GUI thread's waits in the event it is handling: set by
// the first wait, lifted when the event loop next runs its posted events.
std::chrono::steady_clock::time_point EventWaitDeadline()
{
    static std::optional<std::chrono::steady_clock::time_point> deadline;
    const auto now = std::chrono::steady_clock::now();
    QCoreApplication* app = QCoreApplication::instance();
    if (!app || QThread::currentThread() != app->thread())
        return now + VolumeWaitTime;
    if (!deadline) {
        deadline = now + VolumeWaitTime;
        QMetaObject::invokeMethod(
            app, [] { deadline.reset(); }, Qt::QueuedConnection);
    }
    return *deadline;
}

TVolumeWorkHook& Hook()
{
    static TVolumeWorkHook hook;
    return hook;
}

// Threads still at work per volume. A volume that hangs gets no more than
// this many: further work on it is left unanswered at once.
constexpr int MaxThreadsPerVolume = 64;
QMutex busyLock;
QHash<QString, int> busy;

} // namespace

struct TVolumeWork::TState
{
    std::mutex lock;
    std::condition_variable done;
    bool finished = false;
    QVariant result;
};

std::shared_ptr<TVolumeWork> TVolumeWork::Start(const TMountTable& table, const QString& path,
                                                std::function<QVariant()> work)
{
    auto task = std::shared_ptr<TVolumeWork>(new TVolumeWork);
    task->state_ = std::make_shared<TState>();
    const TVolume* volume = table.Containing(path);
    if (!volume || volume->Local) {
        task->state_->result = work();
        task->state_->finished = true;
        return task;
    }
    const QString mountPoint = volume->MountPoint;
    {
        QMutexLocker locker(&busyLock);
        if (busy.value(mountPoint) >= MaxThreadsPerVolume)
            return task;
        ++busy[mountPoint];
    }
    std::thread([state = task->state_, work = std::move(work), hook = Hook(), mountPoint] {
        if (hook)
            hook(mountPoint);
        QVariant result = work();
        {
            QMutexLocker locker(&busyLock);
            if (--busy[mountPoint] == 0)
                busy.remove(mountPoint);
        }
        std::lock_guard<std::mutex> guard(state->lock);
        state->result = std::move(result);
        state->finished = true;
        state->done.notify_all();
    }).detach();
    return task;
}

bool TVolumeWork::WaitUntil(std::chrono::steady_clock::time_point deadline)
{
    std::unique_lock<std::mutex> guard(state_->lock);
    return state_->done.wait_until(guard, deadline, [this] { return state_->finished; });
}

bool TVolumeWork::Wait()
{
    return Done() || WaitUntil(EventWaitDeadline());
}

bool TVolumeWork::Done() const
{
    std::lock_guard<std::mutex> guard(state_->lock);
    return state_->finished;
}

QVariant TVolumeWork::Result() const
{
    std::lock_guard<std::mutex> guard(state_->lock);
    return state_->result;
}

std::shared_ptr<TVolumeWork> StartSubFolderRead(const TMountTable& table, const QString& folder,
                                                bool showHidden, bool firstOnly)
{
    const TFolderReader reader = Reader();
    return TVolumeWork::Start(table, folder,
                              [=] { return QVariant(reader(folder, showHidden, firstOnly)); });
}

TFolderReader SetFolderReader(TFolderReader reader)
{
    return std::exchange(Reader(), reader ? std::move(reader) : TFolderReader(ReadFoldersNow));
}

TVolumeWorkHook SetVolumeWorkHook(TVolumeWorkHook hook)
{
    return std::exchange(Hook(), std::move(hook));
}

QStringList ReadSubFolders(const TMountTable& table, const QString& folder, bool showHidden,
                           bool firstOnly)
{
    const auto task = StartSubFolderRead(table, folder, showHidden, firstOnly);
    task->Wait();
    return task->Result().toStringList();
}

bool FolderExists(const TMountTable& table, const QString& folder, bool noAnswer)
{
    const auto task =
        TVolumeWork::Start(table, folder, [folder] { return QVariant(QFileInfo(folder).isDir()); });
    if (!task->Wait())
        return noAnswer;
    return task->Result().toBool();
}

std::optional<bool> AskVolume(const QString& path, std::function<bool()> question)
{
    const auto task = TVolumeWork::Start(
        ReadMountTable(), path, [question = std::move(question)] { return QVariant(question()); });
    if (!task->Wait())
        return std::nullopt;
    return task->Result().toBool();
}
