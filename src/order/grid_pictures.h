#pragma once

#include "order/thumb_nails.h"
#include "platform/background_job.h"

#include <QImage>
#include <QObject>
#include <QSet>
#include <condition_variable>
#include <deque>
#include <mutex>

namespace korvatel
{

// The answer for one order cell: the picture (order thumbnail, landscape, with the correction
// preview) and what the making learnt about the item. The skin reference of an item of kind 1..4
// is measured here before its first corrected picture, away from the window's thread.
struct TOrderPictureResult {
    QString slot;
    QString askedKey; // the key of the item as it was asked about
    QString key; // the key of the picture made: askedKey, or the key of the prepared record
    QImage image; // null when nothing could be shown
    // The skin reference was measured, or failed and changed the kind: hosei is the item's
    // record now, for the item in the basket when its key is still askedKey. errors are the
    // error boxes of the preparation, for the window's thread to show.
    bool prepared = false;
    CorrectionRecord hosei;
    QStringList errors;
    int broken = 0;
    qint32 width = -1;
    qint32 height = -1;
};

// The slot of an item's picture (its serial and path) and the key of the picture in it (the
// slot and the correction it is previewed with).
QString OrderPictureSlot(const TThumbNail &item);
QString OrderPictureKey(const TThumbNail &item);

// Makes the pictures of the order grid on a background job, so that a basket of camera
// pictures never blocks the window: the grid paints a placeholder and asks; the answer
// arrives through ready() on the thread that owns the loader. The item is copied with the
// request, so the list may change meanwhile; the grid applies an answer only to an item whose
// key still matches. With threaded off (tests, benchmarks) a request is made at once.
class TOrderPictureLoader : public QObject
{
    Q_OBJECT

public:
    explicit TOrderPictureLoader(bool threaded = true, QObject *parent = nullptr);
    ~TOrderPictureLoader() override;

    // Queues the item; a request for the same slot already waiting is replaced by it.
    void Request(const TThumbNail &item);
    // Forgets the requests not yet started; all of them, or those of slots not in the set.
    void ClearPending();
    void KeepPending(const QSet<QString> &slots);
    // Requests waiting or being made.
    int Pending() const;

    // The picture the grid shows for an item, made on the calling thread (make mode: a
    // missing or stale order thumbnail is made and stored).
    static TOrderPictureResult MakePicture(const TThumbNail &item);

Q_SIGNALS:
    void ready(const korvatel::TOrderPictureResult &result);

private:
    void Work(TJobControl &control);

    bool FThreaded;
    mutable std::mutex FLock;
    std::condition_variable_any FWake;
    std::deque<TThumbNail> FQueue;
    int FBusy = 0;
    TBackgroundJob FJob; // last: its worker ends before the queue goes
};

} // namespace korvatel

Q_DECLARE_METATYPE(korvatel::TOrderPictureResult)
