#include "viewer/picture_loader.h"

#include "imaging/orientation.h"
#include "imaging/picture_kinds.h"
#include "viewer/viewed_picture.h"

#include <QFile>

namespace korvatel
{

namespace
{

// The quick look at a JPEG is at least this long on its long side.
constexpr int kPreviewMinSide = 640;
// The bytes a preview reads at most: a larger file is left to the full decode.
constexpr qint64 kPreviewMaxBytes = 256 * 1024 * 1024;

// The DCT reductions, strongest first, with their divisors.
constexpr std::pair<TJpegScale, int> kReductions[]
    = { { jsEighth, 8 }, { jsQuarter, 4 }, { jsHalf, 2 } };

} // namespace

TJpegScale PreviewScale(QSize stored, int minSide)
{
    const int longSide = std::max(stored.width(), stored.height());
    for (const auto &[scale, divisor] : kReductions)
        if (longSide / divisor >= minSide)
            return scale;
    return jsFullSize;
}

QList<TJpegScale> PreviewSteps(QSize stored, int minSide, bool incremental)
{
    if (!incremental) {
        const TJpegScale scale = PreviewScale(stored, minSide);
        return scale == jsFullSize ? QList<TJpegScale>() : QList<TJpegScale> { scale };
    }
    const int longSide = std::max(stored.width(), stored.height());
    QList<TJpegScale> steps;
    for (const auto &[scale, divisor] : kReductions)
        if (longSide / divisor >= kIncrementMinSide)
            steps << scale;
    return steps;
}

std::optional<TPicturePreview> DecodePreview(const QByteArray &data, int minSide)
{
    const std::optional<TJpegInfo> info = ReadJpegInfo(data);
    if (!info)
        return std::nullopt;
    return DecodePreviewAt(data, *info, PreviewScale(QSize(info->width, info->height), minSide));
}

std::optional<TPicturePreview> DecodePreviewAt(
    const QByteArray &data, const TJpegInfo &info, TJpegScale scale)
{
    if (scale == jsFullSize) // no quicker than the picture itself
        return std::nullopt;
    try {
        const QSize stored(info.width, info.height);
        TBitmap bitmap = DecodeJpeg(data, scale);
        if (bitmap.Empty())
            return std::nullopt;
        // The quick look stands where the whole picture will: upright, at its upright size.
        const int orientation = ExifOrientation(data);
        ApplyOrientation(bitmap, orientation);
        return TPicturePreview { std::move(bitmap),
            orientation >= 5 ? stored.transposed() : stored };
    } catch (const std::exception &) {
        return std::nullopt;
    }
}

QImage ShownImage(const TBitmap &bitmap)
{
    return bitmap.Empty() ? QImage() : bitmap.View().convertToFormat(QImage::Format_RGB32);
}

TPictureLoader::TPictureLoader(QObject *parent)
    : QObject(parent)
{
    FJob.Start([this](TJobControl &control) { Work(control); });
}

TPictureLoader::~TPictureLoader()
{
    Cancel();
    // The stop wakes the worker; a decode under way is finished first.
    FJob.Stop();
}

void TPictureLoader::Cancel()
{
    FNewest.store(++FSerial);
    FBusy = false;
}

int TPictureLoader::Load(const QString &fileName)
{
    const int serial = ++FSerial;
    FNewest.store(serial);
    FBusy = true;
    {
        // Only the newest load is ever decoded: it takes the place of one still waiting.
        const std::lock_guard lock(FLock);
        FWaiting = TLoadRequest { serial, fileName, FIncremental };
    }
    FWake.notify_one();
    return serial;
}

void TPictureLoader::Work(TJobControl &control)
{
    for (;;) {
        TLoadRequest request;
        {
            std::unique_lock lock(FLock);
            if (!FWake.wait(lock, control.Token(), [this] { return FWaiting.has_value(); }))
                return;
            request = std::move(*FWaiting);
            FWaiting.reset();
        }
        Decode(control, request);
    }
}

void TPictureLoader::Decode(const TJobControl &control, const TLoadRequest &request)
{
    const int serial = request.serial;
    const QString &fileName = request.fileName;
    const auto current = [&] { return FNewest.load() == serial && !control.Stopped(); };
    if (!current())
        return;
    if (ImageKindOf(fileName) == ikJpeg) {
        QFile file(fileName);
        if (file.size() <= kPreviewMaxBytes && file.open(QIODevice::ReadOnly)) {
            const QByteArray data = file.readAll();
            const std::optional<TJpegInfo> info = ReadJpegInfo(data);
            const QList<TJpegScale> steps = info ? PreviewSteps(QSize(info->width, info->height),
                                                kPreviewMinSide, request.incremental)
                                                 : QList<TJpegScale>();
            for (const TJpegScale scale : steps) {
                if (!current())
                    return;
                std::optional<TPicturePreview> quick = DecodePreviewAt(data, *info, scale);
                if (quick)
                    control.Post([this, serial, quick = std::move(*quick)] {
                        if (serial == FSerial)
                            Q_EMIT preview(serial, quick.bitmap, quick.storedSize);
                    });
            }
        }
    }
    if (!current())
        return;
    QString error;
    std::optional<TBitmap> bitmap = TViewedPicture::Decode(fileName, &error);
    // The conversion for the screen is done here too: on a large picture it takes longer
    // than the window may be held.
    QImage shown = bitmap ? ShownImage(*bitmap) : QImage();
    control.Post([this, serial, fileName, bitmap = std::move(bitmap), shown = std::move(shown),
                     error]() mutable {
        if (serial != FSerial)
            return;
        FBusy = false;
        FPicture = bitmap ? std::move(*bitmap) : TBitmap();
        FShown = std::move(shown);
        Q_EMIT loaded(serial, fileName, error);
    });
}

} // namespace korvatel
