#include "order/grid_pictures.h"

#include "imaging/correction_text.h"
#include "order/order_thumbnail.h"
#include "platform/prompter.h"

#include <exception>

namespace korvatel
{

namespace
{

// Keeps the boxes a preparation shows on the loader's thread; the window shows them.
class THeldPrompts : public TPrompter
{
public:
    TModalResult Ask(TMsgKind, const QString &text, TMsgButtons buttons, const QString &) override
    {
        texts << text;
        return FirstButtonResult(buttons);
    }
    QStringList texts;
};

} // namespace

QString OrderPictureSlot(const TThumbNail &item)
{
    return QString::number(item.Serial) + u'|' + item.FullPath;
}

QString OrderPictureKey(const TThumbNail &item)
{
    return OrderPictureSlot(item) + u'\n' + RecordToText(item.Hosei);
}

TOrderPictureLoader::TOrderPictureLoader(bool threaded, QObject *parent)
    : QObject(parent)
    , FThreaded(threaded)
{
    qRegisterMetaType<TOrderPictureResult>();
    if (FThreaded)
        FJob.Start([this](TJobControl &control) { Work(control); });
}

TOrderPictureLoader::~TOrderPictureLoader()
{
    {
        const std::lock_guard lock(FLock);
        FQueue.clear();
    }
    // The stop wakes the worker; a picture being made is finished first.
    FJob.Stop();
}

TOrderPictureResult TOrderPictureLoader::MakePicture(const TThumbNail &source)
{
    TThumbNail item = source;
    TOrderPictureResult result;
    result.slot = OrderPictureSlot(source);
    result.askedKey = OrderPictureKey(source);
    result.key = result.askedKey;
    // An item without prints is still shown: the picture is made as for one print.
    if (item.TotalCount < 1)
        item.TotalCount = 1;
    // Nothing a picture does may end the program: running out of memory or a decoder's
    // failure shows the cell as broken.
    try {
        THeldPrompts prompts;
        const TPrepareOutcome prepared = PrepareItemCorrection(item, prompts);
        result.errors = prompts.texts;
        if (prepared == poMeasured || prepared == poFailed) {
            result.prepared = true;
            result.hosei = item.Hosei;
            result.key = OrderPictureKey(item);
        }
        // A picture whose reference could not be measured is drawn uncorrected.
        if (prepared == poFailed)
            item.Hosei = CorrectionRecord();
        const std::optional<TBitmap> bitmap = OrderCellPicture(item, true);
        if (bitmap) {
            result.image = bitmap->View().copy();
            // Catalogue pictures come full size; the cell never needs more than a thumbnail.
            const QSize size = result.image.size();
            if (qint64(size.width()) * size.height() > kOrderThumbMaxPixels)
                result.image = result.image.scaled(OrderThumbnailSize(size.width(), size.height()),
                    Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        }
        result.broken = item.Broken;
        result.width = item.Width;
        result.height = item.Height;
    } catch (...) {
        result.image = QImage();
        result.broken = 3;
    }
    return result;
}

void TOrderPictureLoader::Request(const TThumbNail &item)
{
    if (!FThreaded) {
        const TOrderPictureResult result = MakePicture(item);
        Q_EMIT ready(result);
        return;
    }
    {
        const std::lock_guard lock(FLock);
        // A newer request for the same picture (a density drag asks on every move) takes the
        // place of the waiting one.
        const QString slot = OrderPictureSlot(item);
        for (TThumbNail &waiting : FQueue) {
            if (OrderPictureSlot(waiting) == slot) {
                waiting = item;
                return;
            }
        }
        FQueue.push_back(item);
    }
    FWake.notify_one();
}

void TOrderPictureLoader::ClearPending()
{
    const std::lock_guard lock(FLock);
    FQueue.clear();
}

void TOrderPictureLoader::KeepPending(const QSet<QString> &slots)
{
    const std::lock_guard lock(FLock);
    std::erase_if(
        FQueue, [&](const TThumbNail &item) { return !slots.contains(OrderPictureSlot(item)); });
}

int TOrderPictureLoader::Pending() const
{
    const std::lock_guard lock(FLock);
    return int(FQueue.size()) + FBusy;
}

void TOrderPictureLoader::Work(TJobControl &control)
{
    for (;;) {
        TThumbNail item;
        {
            std::unique_lock lock(FLock);
            if (!FWake.wait(lock, control.Token(), [this] { return !FQueue.empty(); }))
                return;
            item = std::move(FQueue.front());
            FQueue.pop_front();
            ++FBusy;
        }
        const TOrderPictureResult result = MakePicture(item);
        // The answer is handed over on the owner's thread; it is dropped with the loader.
        control.Post([this, result] {
            {
                const std::lock_guard lock(FLock);
                --FBusy;
            }
            Q_EMIT ready(result);
        });
    }
}

} // namespace korvatel
