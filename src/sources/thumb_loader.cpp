#include "sources/thumb_loader.h"

#include "sources/thumb_pool.h"

#include <algorithm>

namespace korvatel
{

TThumbLoader::TThumbLoader(const QString &works, int mode, QObject *parent, int threads)
    : QObject(parent)
{
    qRegisterMetaType<TThumbResult>();
    if (threads <= 0)
        threads = ThumbWorkers();
    threads = std::max(threads, 1);
    for (int i = 0; i < threads; ++i) {
        FStores.push_back(std::make_unique<TThumbStore>(works, mode));
        FStoreLocks.push_back(std::make_unique<std::mutex>());
    }
}

TThumbLoader::~TThumbLoader()
{
    {
        const std::lock_guard lock(FQueueLock);
        FQueue.clear();
    }
    // The stop wakes the idle workers; a cell being made is finished first.
    FJob.Stop();
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
    // The workers start with the first cell asked for and wait for more until the loader goes.
    if (!FJob.Running())
        FJob.Start([this](TJobControl &control) { Drain(control); }, int(FStores.size()));
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

void TThumbLoader::Drain(TJobControl &control)
{
    // Each worker makes its cells with the store of its own number.
    const size_t store = size_t(control.Worker());
    for (;;) {
        TThumbRequest request;
        {
            std::unique_lock lock(FQueueLock);
            if (!FWake.wait(lock, control.Token(), [this] { return !FQueue.empty(); }))
                return;
            request = std::move(FQueue.front());
            FQueue.pop_front();
        }
        TThumbResult result = Make(store, std::move(request));
        control.Post([this, result] { Q_EMIT ready(result); });
    }
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
