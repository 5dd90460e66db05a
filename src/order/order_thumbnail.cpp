#include "order/order_thumbnail.h"

#include "imaging/correction.h"
#include "imaging/dib.h"
#include "imaging/effects.h"
#include "imaging/exif.h"
#include "imaging/orientation.h"
#include "imaging/picture.h"
#include "imaging/picture_kinds.h"
#include "imaging/resample.h"
#include "imaging/thumbnail.h"
#include "order/thumb_nails.h"
#include "platform/file_times.h"
#include "sources/thumb_paths.h"
#include "text/sjis_file.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace korvatel
{

namespace
{

// Order thumbnails are 500 pixels wide at most; a larger ".BMP" is not one of ours.
constexpr qint64 kMaxThumbFile = 16 * 1024 * 1024;

// The item's picture in a holder. JPEG files are decoded at the DCT scale that still gives the
// thumbnail's long side; the width and height are the stored ones.
TBitmap LoadSource(TThumbNail &item)
{
    TPicture holder;
    if (IsCampusPicture(item.FullPath)) {
        TJpegImage jpeg;
        if (!LoadCciJpeg(jpeg, item.FullPath))
            throw EPictureError(QStringLiteral("Cannot read the file"));
        holder.Assign(std::move(jpeg));
    } else if (!LoadPicture(holder, item.FullPath, true)) {
        throw EPictureError(QStringLiteral("Cannot load the picture"));
    }
    item.Width = holder.Width();
    item.Height = holder.Height();
    if (TJpegImage *jpeg = holder.Jpeg()) {
        const qint64 pixels = qint64(jpeg->Width()) * jpeg->Height();
        if (pixels < kOrderThumbMinPixels || pixels > kOrderThumbMaxPixels)
            jpeg->Scale = ThumbnailScale(std::max(jpeg->Width(), jpeg->Height()), kOrderThumbSide);
    }
    return holder.ToBitmap();
}

std::optional<TBitmap> LoadStoredThumbnail(const QString &path)
{
    const std::optional<QByteArray> data = ReadWholeFile(path, kMaxThumbFile);
    if (!data)
        return std::nullopt;
    try {
        TBitmap bitmap = LoadDIBFromStream(*data);
        if (bitmap.Empty())
            return std::nullopt;
        return bitmap;
    } catch (const std::exception &) {
        return std::nullopt;
    }
}

// The stored size of the item's picture, read once from its header (JPEG) or by loading it.
void ReadPictureSize(TThumbNail &item)
{
    if (item.Width >= 0 && item.Height >= 0)
        return;
    item.Width = 0;
    item.Height = 0;
    try {
        if (ImageKindOf(item.FullPath) == ikJpeg) {
            TExifInfo exif;
            exif.SetImageFileName(item.FullPath);
            item.Width = exif.FrameWidth();
            item.Height = exif.FrameHeight();
        } else {
            TPicture holder;
            if (LoadPicture(holder, item.FullPath, true)) {
                item.Width = holder.Width();
                item.Height = holder.Height();
            }
        }
    } catch (const std::exception &) {
    }
}

} // namespace

QSize OrderThumbnailSize(int width, int height)
{
    const qint64 pixels = qint64(width) * height;
    if (pixels >= kOrderThumbMinPixels && pixels <= kOrderThumbMaxPixels)
        return QSize(width, height);
    if (width <= 0 || height <= 0)
        return {};
    const int longSide = std::max(width, height);
    const int shortSide = std::min(width, height);
    const int shortOut = std::max(int(double(shortSide) * kOrderThumbSide / longSide + 0.5), 1);
    return height < width ? QSize(kOrderThumbSide, shortOut) : QSize(shortOut, kOrderThumbSide);
}

std::optional<TBitmap> MakeOrderThumbnail(TThumbNail &item, bool save)
{
    try {
        TBitmap source = LoadSource(item);
        const QSize size = OrderThumbnailSize(item.Width, item.Height);
        if (size.isEmpty() || source.Empty())
            throw EPictureError(QStringLiteral("Empty picture"));
        TBitmap thumbnail = size == QSize(source.Width(), source.Height())
            ? std::move(source)
            : StretchDraw(source, size.width(), size.height());
        if (save) {
            QDir().mkpath(QFileInfo(item.ThumbnailPath).absolutePath());
            if (WriteFileAtomic(item.ThumbnailPath, SaveDIBToStream(thumbnail)))
                CopyFileTimes(item.FullPath, item.ThumbnailPath);
        }
        return thumbnail;
    } catch (const std::exception &) {
        item.Width = 0;
        item.Height = 0;
        return std::nullopt;
    }
}

TPrepareOutcome PrepareItemCorrection(TThumbNail &item, TPrompter &prompter)
{
    CorrectionRecord &record = item.Hosei;
    if (record.measured || record.kind < 1 || record.kind > 4)
        return poNotNeeded;
    const int kind = record.kind;
    if (PrepareCorrection(record, item.LocalCopy(), item.FullPath, prompter))
        return poMeasured;
    // A failure always moves the kind off 1..4; an unchanged kind means there was no file.
    return record.kind == kind ? poNoFile : poFailed;
}

std::optional<TBitmap> OrderCellPicture(
    TThumbNail &item, bool make, const std::function<bool(TThumbNail &)> &obtain)
{
    if (item.TotalCount < 1 || item.Broken != 0)
        return std::nullopt;
    std::optional<TBitmap> bitmap;
    if (IsCampusPicture(item.FullPath)) {
        TBitmap decoded;
        if (!LoadCciJpeg(decoded, item.FullPath)) {
            if (!obtain || !obtain(item)) {
                item.Broken = 4;
                return std::nullopt;
            }
            if (!LoadCciJpeg(decoded, item.FullPath)) {
                item.Broken = 1;
                return std::nullopt;
            }
        }
        bitmap = std::move(decoded);
    } else if (!QFileInfo(item.FullPath).isFile()) {
        item.Broken = 1;
        return std::nullopt;
    } else if (QFileInfo::exists(item.ThumbnailPath)) {
        ReadPictureSize(item);
        if (make) {
            if (!SameFileTimes(item.FullPath, item.ThumbnailPath)) {
                QFile::remove(item.ThumbnailPath);
                bitmap = MakeOrderThumbnail(item, true);
            } else {
                bitmap = LoadStoredThumbnail(item.ThumbnailPath);
            }
        } else {
            // The local copy is what the order packaging sends; it is made on the way.
            const QString copy = item.LocalCopy();
            if (!LocalCopyIsCurrent(item.FullPath, copy))
                MakeLocalCopy(item.FullPath, copy);
            bitmap = LoadStoredThumbnail(item.ThumbnailPath);
        }
    } else if (make) {
        bitmap = MakeOrderThumbnail(item, true);
    } else {
        try {
            TExifInfo exif;
            if (ImageKindOf(item.FullPath) == ikJpeg)
                exif.SetImageFileName(item.FullPath);
            TBitmap small;
            if (ImageKindOf(item.FullPath) == ikJpeg && exif.ErrorCode() == 0
                && exif.ThumbnailToBitmap(small, false)) {
                PseudoDoublePrecision(small);
                bitmap = std::move(small);
            } else {
                TBitmap whole;
                if (LoadBitmapFile(whole, item.FullPath, true))
                    bitmap = std::move(whole);
            }
        } catch (const std::exception &) {
        }
    }
    if (!bitmap || bitmap->Empty()) {
        item.Broken = 3;
        return std::nullopt;
    }
    // Every source above lies as the file does: upright first, then turned to landscape.
    if (!IsCampusPicture(item.FullPath))
        ApplyOrientation(*bitmap, ExifOrientationOf(item.FullPath));
    if (bitmap->Width() < bitmap->Height())
        RotateImage(*bitmap, rt270);
    if (item.Hosei.Active())
        CorrectThumbnail(*bitmap, item.Hosei);
    return bitmap;
}

} // namespace korvatel
