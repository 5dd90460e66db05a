#pragma once

#include "platform/background_job.h"

#include <QSet>
#include <QString>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>

namespace korvatel
{

class TThumbNails;

// Takes the whole-file hash (PictureWholeHash) of the basket's pictures on a background job, so
// that ordering a film of large pictures never holds up the window. Each item is asked about
// with its serial, path and checksum; the answer arrives on the owner's thread and is taken only
// by the item that still has all three and no whole hash, so an item removed or relinked
// meanwhile drops it. A file whose checksum is no longer the stored one (edited, or another
// picture under the old name) gives no hash: its item stays matched on size and checksum alone.
// The order memory keeps a hash taken the next time it is written.
class TWholeHashes
{
public:
    explicit TWholeHashes(TThumbNails &list);
    ~TWholeHashes();
    TWholeHashes(const TWholeHashes &) = delete;
    TWholeHashes &operator=(const TWholeHashes &) = delete;

    // Asks about every item with a checksum and no whole hash that was not asked about before
    // (new items, relinked ones, and an older basket's items whose pictures are still there).
    void HashMissing();
    // Requests waiting, being hashed or whose answer has not been taken.
    int Pending() const;
    // Whether an answer may be written into the basket now; unset: always. While work on
    // another job reads the basket (the owner knows when), answers wait and are offered again
    // a moment later.
    std::function<bool()> MayTake;

private:
    struct TRequest {
        quint32 serial = 0;
        QString path;
        QString checksum;
        QString Key() const;
    };
    void Work(TJobControl &control);
    void Deliver(const TRequest &request, const QString &hash);
    void Take(const TRequest &request, const QString &hash);

    TThumbNails &FList;
    QSet<QString> FAsked; // the requests' keys; an answer its item did not take is forgotten
    mutable std::mutex FLock;
    std::condition_variable_any FWake;
    std::deque<TRequest> FQueue;
    int FBusy = 0;
    TBackgroundJob FJob; // last: its worker ends before the queue goes
};

} // namespace korvatel
