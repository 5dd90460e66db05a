#include "sources/thumb_store.h"

#include "imaging/exif.h"
#include "imaging/jpeg_codec.h"
#include "imaging/picture.h"
#include "imaging/picture_kinds.h"
#include "imaging/resample.h"
#include "imaging/thumbnail.h"
#include "platform/file_times.h"
#include "sources/thumb_paths.h"
#include "text/sjis_file.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFontMetrics>
#include <QPainter>

namespace korvatel
{

namespace
{

// Camera pictures are read whole before decoding; anything larger is not a picture we print.
constexpr qint64 kMaxPictureFile = qint64(1) << 30;

QString ErrorMark()
{
    return QStringLiteral("【ERROR】");
}

// The folder of a path with its separator, as the hint shows it.
QString HintFolder(const QString &path)
{
    const qsizetype cut = std::max(path.lastIndexOf(u'/'), path.lastIndexOf(u'\\'));
    return path.left(cut + 1);
}

QString BaseNameOf(const QString &name)
{
    const qsizetype dot = name.lastIndexOf(u'.');
    return dot < 0 ? name : name.left(dot);
}

} // namespace

TPictureDate PictureDateText(const QDateTime &taken, const QString &path)
{
    if (taken.isValid())
        return { taken.toString(QStringLiteral("yyyy.MM.dd")),
            taken.toString(QStringLiteral("hh:mm:ss")) };
    const QDateTime written = QFileInfo(path).lastModified();
    if (!written.isValid())
        return {};
    return { written.toString(QStringLiteral("yyyy-MM-dd")),
        written.toString(QStringLiteral("hh:mm:ss")) };
}

QRect FitInBox(QSize picture, const QRect &cell, QSize box, int raise)
{
    const qint64 w = picture.width();
    const qint64 h = picture.height();
    if (w <= 0 || h <= 0 || box.isEmpty())
        return {};
    qint64 drawnW;
    qint64 drawnH;
    // boxW / w > boxH / h, compared without division.
    if (qint64(box.width()) * h > qint64(box.height()) * w) {
        drawnH = box.height();
        drawnW = w * box.height() / h;
    } else {
        drawnW = box.width();
        drawnH = h * box.width() / w;
    }
    const int bottom = cell.top() + cell.height();
    const int right = cell.left() + cell.width();
    const int top = int((cell.top() + bottom - drawnH) / 2) - raise;
    const int left = int((cell.left() + right - drawnW) / 2);
    return QRect(left, top, int(drawnW), int(drawnH));
}

QString TileText(TCellOutcome outcome)
{
    return outcome == TCellOutcome::coMovie ? QStringLiteral("MOVIE")
                                            : QStringLiteral("FILE ERROR");
}

QColor TileTextColor(TCellOutcome outcome)
{
    return outcome == TCellOutcome::coMovie ? QColor(0, 128, 0) : QColor(255, 0, 0);
}

QColor TileBackColor(TCellOutcome outcome)
{
    return outcome == TCellOutcome::coMovie ? QColor(192, 192, 192) : QColor(0, 0, 0);
}

int TileFontHeight(int w, const std::function<int(int height)> &widthOf)
{
    const int limit = int(0.8 * w);
    int height = int(0.3 * limit);
    while (height > 1 && widthOf(height) > limit)
        --height;
    return std::max(height, 1);
}

QFont TileFont(const QString &text, int w, const QFont &base)
{
    QFont font = base;
    font.setBold(true);
    const auto widthOf = [&](int height) {
        QFont f = font;
        f.setPixelSize(height);
        return QFontMetrics(f).horizontalAdvance(text);
    };
    font.setPixelSize(TileFontHeight(w, widthOf));
    return font;
}

void PaintTile(QPainter &painter, const TCellLayout &layout, TCellOutcome outcome)
{
    const QRect tile = FitInBox(layout.box, layout.cell, layout.box);
    painter.save();
    painter.fillRect(tile, TileBackColor(outcome));
    const QString text = TileText(outcome);
    painter.setFont(TileFont(text, layout.cellSize, painter.font()));
    painter.setPen(TileTextColor(outcome));
    painter.drawText(tile, Qt::AlignCenter, text);
    painter.restore();
}

TJpegScale BrowserDecodeScale(int mode, int exifState, int knownLongSide)
{
    if (mode == 7 || mode == 8 || exifState != 1)
        return jsFullSize;
    return ThumbnailScale(knownLongSide, ThumbnailLongSide(mode));
}

TThumbStore::TThumbStore(QString works, int mode)
    : FWorks(std::move(works))
    , FMode(std::clamp(mode, 0, kThumbnailModeCount - 1))
{
}

bool TThumbStore::SetThumbnailMode(int mode, const QList<TBrowserItem> &listed)
{
    if (mode == FMode || mode < 0 || mode >= kThumbnailModeCount)
        return false;
    if (ModeSwitchDeletesThumbnails(FMode, mode))
        DeleteBrowserThumbnails(listed, 0, -1);
    FMode = mode;
    return true;
}

void TThumbStore::DeleteBrowserThumbnails(
    const QList<TBrowserItem> &items, int first, int last) const
{
    if (last < 0 || last >= items.size())
        last = int(items.size()) - 1;
    for (int i = std::max(first, 0); i <= last; ++i)
        QFile::remove(BrowserThumbPath(FWorks, items[i].fullPath));
}

QString TThumbStore::BaseHint(const TBrowserItem &item) const
{
    QString hint = HintFolder(item.fullPath) + item.displayName
        + QStringLiteral(" %1Byte").arg(item.fileSize);
    if (item.kind == kBrowserPicture && item.width > 0 && item.height > 0)
        hint += QStringLiteral("(%1×%2)").arg(item.width).arg(item.height);
    return hint;
}

TBrowserCell TThumbStore::BrowserCell(TBrowserItem &item, const TCellLayout &layout)
{
    enum { Undecided, Error, Movie, Ready, Make } outcome = Undecided;
    TBrowserCell cell;
    QString hint;
    bool hintTaken = false; // the hint comes from FailedFiles or from a failed make
    const QString &path = item.fullPath;

    if (item.fileSize == 0) {
        outcome = Error;
    } else if (item.kind == kBrowserPicture && !QFileInfo::exists(path)) {
        item.fileSize = 0;
        outcome = Error;
    }
    if (outcome == Undecided) {
        const auto failed = FFailed.constFind(path);
        if (failed != FFailed.constEnd()) {
            hint = *failed;
            hintTaken = true;
            item.fileSize = -std::abs(item.fileSize);
            outcome = Error;
        } else if (item.movie) {
            outcome = Movie;
        }
    }

    TJpegImage thumbnail;
    TBitmap picture;
    const int kind = ImageKindOf(path);
    const QString thumbPath = BrowserThumbPath(FWorks, path);
    try {
        if (outcome == Undecided && item.exifState == 0) {
            TExifInfo exif;
            if (kind == 1)
                exif.SetImageFileName(path);
            if (kind == 1 && exif.ErrorCode() == 0) {
                item.width = exif.Width();
                item.height = exif.Height();
                const TPictureDate date = PictureDateText(exif.DateTimeOriginal(), path);
                item.caption = (date.date + u' ' + date.time).trimmed();
                item.exifState = 1;
            } else {
                item.exifState = 2;
            }
        }

        if (outcome == Undecided && item.kind == kBrowserCatalogue) {
            if (!QFileInfo::exists(path) && RequestDownload)
                RequestDownload(path);
            TJpegImage jpeg;
            if (LoadCciJpeg(jpeg, path) && !jpeg.Empty()) {
                jpeg.Scale = ThumbnailScale(std::max(jpeg.Width(), jpeg.Height()), 800);
                ++FDecodes;
                picture = jpeg.ToBitmap();
                item.fileSize = qint64(jpeg.Width()) * jpeg.Height();
                outcome = Ready;
            } else {
                outcome = Error;
            }
        }

        if (outcome == Undecided) {
            if (QFileInfo::exists(thumbPath)) {
                if (SameFileTimes(path, thumbPath)) {
                    try {
                        thumbnail.LoadFromFile(thumbPath);
                        if (thumbnail.Width() <= 0 || thumbnail.Height() <= 0) {
                            thumbnail.Clear();
                            QFile::remove(thumbPath);
                        }
                    } catch (const std::exception &) {
                        thumbnail.Clear();
                        QFile::remove(thumbPath);
                    }
                } else {
                    QFile::remove(thumbPath);
                }
            }
            outcome = thumbnail.Empty() ? Make : Ready;
        }

        if (outcome == Make && path.endsWith(QLatin1String(".THJ"), Qt::CaseInsensitive)) {
            thumbnail.LoadFromFile(path);
            outcome = Ready;
        } else if (outcome == Make && kind == 1 && item.exifState == 1
            && (FMode == 6 || FMode == 7 || layout.cell.width() <= 179)) {
            // A small cell or an Exif mode shows the camera's own thumbnail; nothing is stored.
            item.exifState = 2;
            TExifInfo exif;
            exif.SetImageFileName(path);
            TJpegImage exifThumb;
            if (exif.ErrorCode() == 0 && exif.ThumbnailToJpeg(exifThumb, false)) {
                const int factor = layout.cellSize / 110;
                if (FMode == 6 || factor < 1) {
                    thumbnail = exifThumb;
                    outcome = Ready;
                } else if (EnlargeExifThumb(exifThumb.ToBitmap(), thumbnail, factor + 1)) {
                    outcome = Ready;
                }
            }
            if (outcome == Ready)
                item.exifState = 1;
        }

        if (outcome == Make) {
            const int longSide = ThumbnailLongSide(FMode);
            const bool area = ThumbnailAreaAverage(FMode);
            if (kind == 1) {
                const std::optional<QByteArray> data = ReadWholeFile(path, kMaxPictureFile);
                if (!data)
                    throw EPictureError(QStringLiteral("Cannot read the file"));
                const TJpegScale scale
                    = BrowserDecodeScale(FMode, item.exifState, std::max(item.width, item.height));
                ++FDecodes;
                picture = DecodeJpeg(*data, scale);
                hint = QStringLiteral("SizeErr Width=%1 Height=%2")
                           .arg(picture.Width())
                           .arg(picture.Height());
                hintTaken = true;
                if (item.exifState != 1) {
                    item.width = picture.Width();
                    item.height = picture.Height();
                }
            } else if (kind >= 3) {
                TPicture holder;
                ++FDecodes;
                if (!LoadPicture(holder, path, true))
                    throw EPictureError(QStringLiteral("Cannot load the picture"));
                item.width = holder.Width();
                item.height = holder.Height();
                picture = holder.ToBitmap();
                hint = QStringLiteral("SizeErr Width=%1 Height=%2")
                           .arg(picture.Width())
                           .arg(picture.Height());
                hintTaken = true;
            } else {
                outcome = Error;
            }
            if (outcome == Make) {
                if (picture.Width() < 1 || picture.Height() < 1) {
                    outcome = Error;
                } else if (kind == 1 && FMode == 8) {
                    // Mode 8 shows JPEG files whole and stores nothing.
                    hintTaken = false;
                    outcome = Ready;
                } else {
                    thumbnail.CompressionQuality = 90;
                    FitLongSide(longSide, thumbnail, picture, area);
                    picture = TBitmap();
                    QDir().mkpath(QFileInfo(thumbPath).absolutePath());
                    if (thumbnail.SaveToFile(thumbPath))
                        CopyFileTimes(path, thumbPath);
                    hintTaken = false;
                    outcome = Ready;
                }
            }
        }
        if (outcome == Ready && picture.Empty() && !thumbnail.Empty())
            picture = thumbnail.ToBitmap();
    } catch (const EPictureError &e) {
        hint = (hintTaken ? hint : BaseHint(item)) + e.Message();
        hintTaken = true;
        outcome = Error;
    } catch (const std::exception &e) {
        hint = (hintTaken ? hint : BaseHint(item)) + QString::fromUtf8(e.what());
        hintTaken = true;
        outcome = Error;
    }

    if (outcome == Ready) {
        cell.outcome = TCellOutcome::coReady;
        hint = BaseHint(item);
        if (layout.captions && item.caption.isEmpty()) {
            if (item.kind == kBrowserCatalogue) {
                item.caption = BaseNameOf(item.displayName);
                const QString catalogue = CatalogueName ? CatalogueName(path) : QString();
                if (!catalogue.isEmpty())
                    item.caption += QStringLiteral(" / ") + catalogue;
            } else {
                const TPictureDate date = PictureDateText({}, path);
                item.caption = (date.date + u' ' + date.time).trimmed();
            }
        }
        const int raise = layout.captions ? layout.captionFontHeight / 3 : 0;
        cell.target
            = FitInBox(QSize(picture.Width(), picture.Height()), layout.cell, layout.box, raise);
        cell.picture = std::move(picture);
    } else {
        cell.outcome = outcome == Movie ? TCellOutcome::coMovie : TCellOutcome::coError;
        cell.tileText = TileText(cell.outcome);
        if (!hintTaken) {
            hint = BaseHint(item);
            if (outcome != Movie)
                hint += ErrorMark();
        }
        if (outcome != Movie)
            item.fileSize = -std::abs(item.fileSize);
        FFailed.insert(path, hint);
    }
    if (hint != item.hint) {
        item.hint = hint;
        cell.hintChanged = true;
    }
    return cell;
}

} // namespace korvatel
