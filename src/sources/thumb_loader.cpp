#include "sources/thumb_loader.h"

namespace korvatel
{

TThumbLoader::TThumbLoader(const QString &works, int mode, QObject *parent, int threads)
    : QObject(parent)
{
    qRegisterMetaType<TThumbResult>();
    if (threads <= 0)
        threads = int(std::clamp(std::thread::hardware_concurrency(), 1u, 2u));
    for (int i = 0; i < threads; ++i) {
        FStores.push_back(std::make_unique<TThumbStore>(works, mode));
        FStoreLocks.push_back(std::make_unique<std::mutex>());
    }
    for (int i = 0; i < threads; ++i)
        FThreads.emplace_back([this, i] { Work(size_t(i)); });
}

TThumbLoader::~TThumbLoader()
{
    {
        const std::lock_guard lock(FQueueLock);
        FQuit = true;
        FQueue.clear();
    }
    FWake.notify_all();
    for (std::thread &thread : FThreads)
        thread.join();
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
    }
    FWake.notify_one();
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

void TThumbLoader::Work(size_t worker)
{
    for (;;) {
        TThumbRequest request;
        {
            std::unique_lock lock(FQueueLock);
            FWake.wait(lock, [this] { return FQuit || !FQueue.empty(); });
            if (FQuit)
                return;
            request = std::move(FQueue.front());
            FQueue.pop_front();
        }
        TThumbResult result;
        result.index = request.index;
        result.generation = request.generation;
        {
            const std::lock_guard lock(*FStoreLocks[worker]);
            TBrowserCell cell = FStores[worker]->BrowserCell(request.item, request.layout);
            result.outcome = cell.outcome;
            result.target = cell.target;
            result.hintChanged = cell.hintChanged;
            if (cell.outcome == TCellOutcome::coReady && !cell.picture.Empty()
                && !cell.target.isEmpty()) {
                const QImage view = cell.picture.View();
                // Stretch drawing, done here so the window only copies pixels.
                result.image = view.size() == cell.target.size()
                    ? view.copy()
                    : view.scaled(
                        cell.target.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
            }
        }
        result.item = std::move(request.item);
        QMetaObject::invokeMethod(
            this, [this, result] { Q_EMIT ready(result); }, Qt::QueuedConnection);
    }
}

} // namespace korvatel
