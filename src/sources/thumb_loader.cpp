#include "sources/thumb_loader.h"

namespace korvatel
{

TThumbLoader::TThumbLoader(QString works, int mode, QObject *parent)
    : QObject(parent)
    , FStore(std::move(works), mode)
{
    qRegisterMetaType<TThumbResult>();
    FThread = std::thread([this] { Work(); });
}

TThumbLoader::~TThumbLoader()
{
    {
        const std::lock_guard lock(FQueueLock);
        FQuit = true;
        FQueue.clear();
    }
    FWake.notify_all();
    FThread.join();
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

void TThumbLoader::ClearPending()
{
    const std::lock_guard lock(FQueueLock);
    FQueue.clear();
}

int TThumbLoader::Pending() const
{
    const std::lock_guard lock(FQueueLock);
    return int(FQueue.size());
}

void TThumbLoader::WithStore(const std::function<void(TThumbStore &)> &f)
{
    const std::lock_guard lock(FStoreLock);
    f(FStore);
}

int TThumbLoader::Mode()
{
    const std::lock_guard lock(FStoreLock);
    return FStore.Mode();
}

void TThumbLoader::Work()
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
            const std::lock_guard lock(FStoreLock);
            TBrowserCell cell = FStore.BrowserCell(request.item, request.layout);
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
