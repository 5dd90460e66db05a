#include "order/whole_hashes.h"

#include "order/relink.h"
#include "order/thumb_nails.h"

#include <QTimer>

namespace korvatel
{

namespace
{

constexpr int kTakeRetry = 200; // ms

} // namespace

QString TWholeHashes::TRequest::Key() const
{
    return QString::number(serial) + u'|' + path + u'|' + checksum;
}

TWholeHashes::TWholeHashes(TThumbNails &list)
    : FList(list)
{
    FJob.Start([this](TJobControl &control) { Work(control); });
}

TWholeHashes::~TWholeHashes()
{
    {
        const std::lock_guard lock(FLock);
        FQueue.clear();
    }
    // The stop wakes the worker and ends a hash within one piece of the file.
    FJob.Stop();
}

void TWholeHashes::HashMissing()
{
    bool asked = false;
    for (int i = 0; i < FList.Count(); ++i) {
        const TThumbNail &item = *FList.Item(i);
        if (item.OrderType != otDpe || !item.WholeHash.isEmpty()
            || !IsPictureChecksum(item.Checksum))
            continue;
        TRequest request { item.Serial, item.FullPath, item.Checksum };
        if (FAsked.contains(request.Key()))
            continue;
        FAsked.insert(request.Key());
        const std::lock_guard lock(FLock);
        FQueue.push_back(std::move(request));
        asked = true;
    }
    if (asked)
        FWake.notify_one();
}

int TWholeHashes::Pending() const
{
    const std::lock_guard lock(FLock);
    return int(FQueue.size()) + FBusy;
}

void TWholeHashes::Work(TJobControl &control)
{
    for (;;) {
        TRequest request;
        {
            std::unique_lock lock(FLock);
            if (!FWake.wait(lock, control.Token(), [this] { return !FQueue.empty(); }))
                return;
            request = std::move(FQueue.front());
            FQueue.pop_front();
            ++FBusy;
        }
        // The hash belongs to the picture the checksum was taken of: a file changed since, or
        // another one put under its name, gets none.
        QString hash;
        if (PictureChecksum(request.path) == request.checksum)
            hash = PictureWholeHash(request.path);
        control.Post([this, request, hash] { Deliver(request, hash); });
    }
}

void TWholeHashes::Deliver(const TRequest &request, const QString &hash)
{
    if (MayTake && !MayTake()) {
        // Tried again on the owner's thread; the timer goes with the job.
        QTimer::singleShot(kTakeRetry, &FJob, [this, request, hash] { Deliver(request, hash); });
        return;
    }
    {
        const std::lock_guard lock(FLock);
        --FBusy;
    }
    Take(request, hash);
}

void TWholeHashes::Take(const TRequest &request, const QString &hash)
{
    for (int i = 0; i < FList.Count(); ++i) {
        TThumbNail &item = *FList.Item(i);
        if (item.Serial == request.serial && item.FullPath == request.path
            && item.Checksum == request.checksum) {
            if (item.WholeHash.isEmpty())
                item.WholeHash = hash;
            return;
        }
    }
    // The item left the basket or points elsewhere now: a later item of the same serial and
    // path (the basket emptied and filled again) is asked about afresh.
    FAsked.remove(request.Key());
}

} // namespace korvatel
