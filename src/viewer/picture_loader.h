#pragma once

#include "imaging/bitmap.h"
#include "imaging/jpeg_codec.h"
#include "platform/background_job.h"

#include <QImage>
#include <QObject>
#include <QSize>
#include <QString>
#include <atomic>
#include <condition_variable>
#include <mutex>
#include <optional>

namespace korvatel
{

// Files up to this size are decoded where they are asked for: they take a moment only. Larger
// ones are decoded away from the window's thread.
constexpr qint64 kBackgroundLoadBytes = 1024 * 1024;

// The DCT scale of a quick first look at a JPEG of the stored size: the strongest reduction
// whose long side still has at least minSide pixels (the full size when even 1/2 is smaller).
TJpegScale PreviewScale(QSize stored, int minSide);

// A quick first look at a JPEG file: decoded at PreviewScale and turned upright by its Exif
// orientation, as the whole picture will be, with the whole picture's upright size. Nullopt
// for a file that is not a readable JPEG (the full decode then gives its message) and for one
// too small to be reduced.
struct TPicturePreview {
    TBitmap bitmap;
    QSize storedSize; // the whole picture's size as the viewer shows it
};
std::optional<TPicturePreview> DecodePreview(const QByteArray &data, int minSide);
// The same look at a given scale, for data whose frame header gave info; nullopt also for the
// full size.
std::optional<TPicturePreview> DecodePreviewAt(
    const QByteArray &data, const TJpegInfo &info, TJpegScale scale);

// With incremental display, the steps smaller than this long side are left out: too coarse to
// show anything.
constexpr int kIncrementMinSide = 160;
// The DCT scales of the looks shown before the whole picture, coarsest first. Without
// incremental display one quick look at PreviewScale (none when that is the full size); with it
// the picture sharpens step by step through every scale from 1/8 to 1/2 whose long side has at
// least kIncrementMinSide pixels.
QList<TJpegScale> PreviewSteps(QSize stored, int minSide, bool incremental);

// Decodes the viewer's pictures on a background job, one at a time: for a JPEG first a
// quick look, or with incremental display a few ever sharper ones (preview), then the whole
// picture (loaded). Each Load gets a serial number; only
// the newest load reports, and a load that is no longer the newest when its turn comes is not
// decoded at all.
class TPictureLoader : public QObject
{
    Q_OBJECT

public:
    explicit TPictureLoader(QObject *parent = nullptr);
    // Waits for the decode under way; those waiting are dropped.
    ~TPictureLoader() override;

    int Load(const QString &fileName);
    // Incremental display: the loads that follow show the picture in sharper steps.
    void SetIncremental(bool on) { FIncremental = on; }
    bool Incremental() const { return FIncremental; }
    // Drops the loads asked for so far: none of them reports any more.
    void Cancel();
    bool Busy() const { return FBusy; }

Q_SIGNALS:
    void preview(int serial, const TBitmap &bitmap, QSize storedSize);
    // The whole picture is decoded: TakePicture gives it, or it is empty and error says why.
    void loaded(int serial, const QString &fileName, const QString &error);

public:
    // The picture of the last report of loaded, once, and the image that shows it.
    TBitmap TakePicture() { return std::move(FPicture); }
    QImage TakeShown() { return std::move(FShown); }

private:
    struct TLoadRequest {
        int serial = 0;
        QString fileName;
        bool incremental = false;
    };
    void Work(TJobControl &control);
    void Decode(const TJobControl &control, const TLoadRequest &request);

    std::mutex FLock;
    std::condition_variable_any FWake;
    std::optional<TLoadRequest> FWaiting;
    std::atomic<int> FNewest { 0 };
    int FSerial = 0;
    bool FBusy = false;
    bool FIncremental = false;
    TBitmap FPicture;
    QImage FShown;
    TBackgroundJob FJob; // last: its worker ends before the rest goes
};

// The image that shows a picture on the screen: in the format the display scales fastest.
QImage ShownImage(const TBitmap &bitmap);

} // namespace korvatel
