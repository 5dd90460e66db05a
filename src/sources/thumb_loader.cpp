#include "sources/thumb_loader.h"

#include "sources/thumb_pool.h"

#include <QThreadPool>
#include <algorithm>

namespace korvatel
{

TThumbLoader::TThumbLoader(const QString &works, int mode, QObject *parent, int threads)
    : QObject(parent)
{
    qRegisterMetaType<TThumbResult>();
    if (threads <= 0)
        threads = ThumbPool().maxThreadCount();
    threads = std::max(threads, 1);
    for (int i = 0; i < threads; ++i) {
        FStores.push_back(std::make_unique<TThumbStore>(works, mode));
        FStoreLocks.push_back(std::make_unique<std::mutex>());
    }
    FStoreTaken.assign(size_t(threads), false);
}

TThumbLoader::~TThumbLoader()
{
    std::unique_lock lock(FQueueLock);
    FQuit = true;
    FQueue.clear();
    // The tasks touch this object until they end; a cell being made is finished first.
    FIdle.wait(lock, [this] { return FRunning == 0; });
}

void TThumbLoader::StartWorkers()
{
    // A task not making a cell takes the next waiting one; more are started only for cells
    // that no such task will take.
    const auto busy = std::count(FStoreTaken.begin(), FStoreTaken.end(), true);
    while (!FQuit && FRunning < int(FStores.size()) && FQueue.size() > size_t(FRunning - busy)) {
        ++FRunning;
        ThumbPool().start([this] { Drain(); });
    }
}

void TThumbLoader::Request(const TThumbRequest &request)
{
    {
        const std::lock_guard lock(FQueueLock);
        for (TThumbRequest &waiting : FQueue) {
            if (waiting.index == request.index && waiting.generation == request.generation) {
                waiting = request;
                return;
            }
        }
        FQueue.push_back(request);
        StartWorkers();
    }
}

QList<int> TThumbLoader::ClearPending()
{
    const std::lock_guard lock(FQueueLock);
    QList<int> dropped;
    dropped.reserve(qsizetype(FQueue.size()));
    for (const TThumbRequest &request : FQueue)
        dropped << request.index;
    FQueue.clear();
    return dropped;
}

int TThumbLoader::Pending() const
{
    const std::lock_guard lock(FQueueLock);
    return int(FQueue.size());
}

void TThumbLoader::WithStore(const std::function<void(TThumbStore &)> &f)
{
    for (size_t i = 0; i < FStores.size(); ++i) {
        const std::lock_guard lock(*FStoreLocks[i]);
        f(*FStores[i]);
    }
}

int TThumbLoader::Mode()
{
    const std::lock_guard lock(*FStoreLocks[0]);
    return FStores[0]->Mode();
}

void TThumbLoader::Drain()
{
    std::unique_lock lock(FQueueLock);
    while (!FQuit && !FQueue.empty()) {
        TThumbRequest request = std::move(FQueue.front());
        FQueue.pop_front();
        // Fewer tasks run than there are stores, so one is always free.
        const size_t store = size_t(
            std::find(FStoreTaken.begin(), FStoreTaken.end(), false) - FStoreTaken.begin());
        FStoreTaken[store] = true;
        lock.unlock();
        TThumbResult result = Make(store, std::move(request));
        QMetaObject::invokeMethod(
            this, [this, result] { Q_EMIT ready(result); }, Qt::QueuedConnection);
        lock.lock();
        FStoreTaken[store] = false;
    }
    --FRunning;
    FIdle.notify_all();
}

TThumbResult TThumbLoader::Make(size_t store, TThumbRequest request)
{
    TThumbResult result;
    result.index = request.index;
    result.generation = request.generation;
    {
        const std::lock_guard lock(*FStoreLocks[store]);
        TBrowserCell cell = FStores[store]->BrowserCell(request.item, request.layout);
        result.outcome = cell.outcome;
        result.target = cell.target;
        result.hintChanged = cell.hintChanged;
        if (cell.outcome == TCellOutcome::coReady && !cell.picture.Empty()
            && !cell.target.isEmpty()) {
            const QImage view = cell.picture.View();
            // Stretch drawing, done here so the window only copies pixels.
            result.image = view.size() == cell.target.size()
                ? view.copy()
                : view.scaled(cell.target.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        }
    }
    result.item = std::move(request.item);
    return result;
}

} // namespace korvatel
