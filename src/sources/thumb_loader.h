#pragma once

#include "platform/background_job.h"
#include "sources/thumb_store.h"

#include <QImage>
#include <QObject>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <vector>

namespace korvatel
{

// One browser cell to decide: the item as the list holds it and the cell's layout.
struct TThumbRequest {
    int index = -1;
    quint64 generation = 0; // the list's fill count, so answers for an old list are dropped
    TBrowserItem item;
    TCellLayout layout;
};

// The store's decision for a cell, with the picture already scaled to its target rectangle.
struct TThumbResult {
    int index = -1;
    quint64 generation = 0;
    TBrowserItem item; // with the size, width, height, caption, hint and Exif state learnt
    TCellOutcome outcome = TCellOutcome::coError;
    QImage image;
    QRect target;
    bool hintChanged = false;
};

// Makes browser cells on a background job with one worker per core (ThumbWorkers), or the
// number asked for, so that a folder of camera pictures never blocks the window and
// uses every core: the window paints placeholders and asks; each answer arrives through
// ready() on the thread that owns the loader. Each cell being made has a thumbnail store of
// its own on the same Works folder, used by one thread at a time or under WithStore.
class TThumbLoader : public QObject
{
    Q_OBJECT

public:
    explicit TThumbLoader(
        const QString &works, int mode = 0, QObject *parent = nullptr, int threads = 0);
    ~TThumbLoader() override;

    // Queues a cell; a request for a cell already waiting replaces it.
    void Request(const TThumbRequest &request);
    // Forgets the cells not yet started (the view scrolled or the list changed) and gives
    // their indices; cells being made are not among them and are still answered.
    QList<int> ClearPending();
    int Pending() const;
    // Runs f on each store while no cell is being made (mode switches, deletions, Reset).
    void WithStore(const std::function<void(TThumbStore &)> &f);
    // The most cells made at once.
    int Threads() const { return int(FStores.size()); }
    int Mode();

Q_SIGNALS:
    void ready(const korvatel::TThumbResult &result);

private:
    // One worker of the job: makes waiting cells with its own store until the loader goes.
    void Drain(TJobControl &control);
    TThumbResult Make(size_t store, TThumbRequest request);

    std::vector<std::unique_ptr<TThumbStore>> FStores;
    std::vector<std::unique_ptr<std::mutex>> FStoreLocks;
    mutable std::mutex FQueueLock;
    std::condition_variable_any FWake; // a cell was asked for
    std::deque<TThumbRequest> FQueue;
    TBackgroundJob FJob; // last: its workers end before the stores go
};

} // namespace korvatel

Q_DECLARE_METATYPE(korvatel::TThumbResult)
