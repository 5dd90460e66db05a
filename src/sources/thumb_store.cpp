#include "sources/thumb_store.h"

#include "imaging/exif.h"
#include "imaging/jpeg_codec.h"
#include "imaging/orientation.h"
#include "imaging/picture.h"
#include "imaging/picture_kinds.h"
#include "imaging/resample.h"
#include "imaging/thumbnail.h"
#include "platform/file_times.h"
#include "sources/camera_clock.h"
#include "sources/thumb_paths.h"
#include "sources/thumb_plan.h"
#include "text/sjis_file.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFontMetrics>
#include <QPainter>
#include <optional>

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

// The failure of a file that could not be drawn for a reason no step named.
QString UnreadableText()
{
    return QStringLiteral("画像として読み込めませんでした。");
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

QString FailedFileMessage(const TBrowserItem &item)
{
    const QString reason = item.failure.isEmpty() ? UnreadableText() : item.failure;
    return QStringLiteral("この画像ファイルは読み込めないため、注文できません。\r\n\r\n")
        + item.fullPath + QStringLiteral("\r\n") + reason;
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
    TThumbRequest request;
    request.mode = mode;
    request.kind = 1;
    request.exifSizes = exifState == 1;
    request.exifLongSide = knownLongSide;
    return ThumbnailPlan(request).jpegScale;
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

// One cell while it is decided: what is known of the item, the pictures read so far, the hint
// and where the decision stands.
struct TThumbStore::TCellWork {
    enum TOutcome { Undecided, Error, Movie, Ready, Make };

    TCellWork(TBrowserItem &item, const TCellLayout &layout, const QString &works)
        : item(item)
        , layout(layout)
        , kind(ImageKindOf(item.fullPath))
        , thumbPath(BrowserThumbPath(works, item.fullPath))
    {
    }

    TBrowserItem &item;
    const TCellLayout &layout;
    int kind = 0; // ImageKindOf the file
    QString thumbPath;
    TOutcome outcome = Undecided;
    QString hint;
    bool hintTaken = false; // the hint comes from FailedFiles or from a failed make
    TJpegImage thumbnail;
    TBitmap picture;
    // The file's Exif block as ReadExifOnce read it, and the error code of that read, so
    // that the camera's thumbnail is taken from the same read.
    std::optional<TExifInfo> exif;
    int exifError = 0;

    // Reads the file's Exif block into exif and keeps the error code of the read.
    void ReadExif()
    {
        exif.emplace().SetImageFileName(item.fullPath);
        exifError = exif->ErrorCode();
    }

    // The plan of the thumbnail as the item now stands.
    TThumbPlan Plan(int mode) const
    {
        return ThumbnailPlan({ mode, kind, item.exifState == 1, std::max(item.width, item.height),
            layout.cell.width(), layout.cellSize });
    }
    void TakeSizeHint()
    {
        hint = QStringLiteral("SizeErr Width=%1 Height=%2")
                   .arg(picture.Width())
                   .arg(picture.Height());
        hintTaken = true;
    }
};

TBrowserCell TThumbStore::BrowserCell(TBrowserItem &item, const TCellLayout &layout)
{
    TCellWork work(item, layout, FWorks);
    CheckItem(work);
    try {
        ReadExifOnce(work);
        LoadCatalogue(work);
        LoadStoredThumbnail(work);
        UseCameraThumbnail(work);
        MakeThumbnail(work);
        if (work.outcome == TCellWork::Ready && work.picture.Empty() && !work.thumbnail.Empty())
            work.picture = work.thumbnail.ToBitmap();
        // The stored thumbnail, the camera's and the decoded picture all lie as the file
        // does; the cell turns whichever it shows.
        if (work.outcome == TCellWork::Ready)
            ApplyOrientation(work.picture, item.orientation);
    } catch (const EPictureError &e) {
        Fail(work, e.Message());
    } catch (const std::exception &e) {
        Fail(work, QString::fromUtf8(e.what()));
    }
    TBrowserCell cell = work.outcome == TCellWork::Ready ? ReadyCell(work) : FailedCell(work);
    if (work.hint != item.hint) {
        item.hint = work.hint;
        cell.hintChanged = true;
    }
    return cell;
}

void TThumbStore::CheckItem(TCellWork &work) const
{
    // 1. An empty or vanished file, a file that failed before, a movie.
    TBrowserItem &item = work.item;
    if (item.fileSize == 0) {
        item.failure = QStringLiteral("ファイルの大きさが0バイトです。");
        work.outcome = TCellWork::Error;
        return;
    }
    if (item.kind == kBrowserPicture && !QFileInfo::exists(item.fullPath)) {
        item.fileSize = 0;
        item.failure = QStringLiteral("ファイルが見つかりません。");
        work.outcome = TCellWork::Error;
        return;
    }
    const auto failed = FFailed.constFind(item.fullPath);
    if (failed != FFailed.constEnd()) {
        work.hint = *failed;
        work.hintTaken = true;
        item.failure = FFailures.value(item.fullPath);
        item.fileSize = -std::abs(item.fileSize);
        work.outcome = TCellWork::Error;
    } else if (item.movie) {
        work.outcome = TCellWork::Movie;
    }
}

void TThumbStore::ReadExifOnce(TCellWork &work) const
{
    // 2. The Exif sizes and date of a JPEG, read once per item; of a HEIF or AVIF photo only
    // the date, as its picture is decoded for the thumbnail anyway.
    TBrowserItem &item = work.item;
    if (work.outcome != TCellWork::Undecided || item.exifState != 0)
        return;
    if (work.kind == ikJpeg)
        work.ReadExif();
    if (work.kind == ikJpeg && work.exifError == 0) {
        TExifInfo &exif = *work.exif;
        item.width = exif.Width();
        item.height = exif.Height();
        const TPictureDate date = PictureDateText(exif.DateTimeOriginal(), item.fullPath);
        item.caption = (date.date + u' ' + date.time).trimmed();
        item.exifState = 1;
    } else {
        item.exifState = 2;
        const QDateTime taken
            = HasCameraExif(work.kind) ? ReadCameraShot(item.fullPath).taken : QDateTime();
        if (taken.isValid()) {
            const TPictureDate date = PictureDateText(taken, item.fullPath);
            item.caption = (date.date + u' ' + date.time).trimmed();
        }
    }
    if (work.kind == ikJpeg)
        item.orientation = ExifOrientationOf(item.fullPath);
}

void TThumbStore::LoadCatalogue(TCellWork &work)
{
    // 3. A catalogue picture is shown from its own JPEG, asked for when missing.
    TBrowserItem &item = work.item;
    if (work.outcome != TCellWork::Undecided || item.kind != kBrowserCatalogue)
        return;
    if (!QFileInfo::exists(item.fullPath) && RequestDownload)
        RequestDownload(item.fullPath);
    TJpegImage jpeg;
    if (LoadCciJpeg(jpeg, item.fullPath) && !jpeg.Empty()) {
        jpeg.Scale = ThumbnailScale(std::max(jpeg.Width(), jpeg.Height()), 800);
        ++FDecodes;
        work.picture = jpeg.ToBitmap();
        item.fileSize = qint64(jpeg.Width()) * jpeg.Height();
        work.outcome = TCellWork::Ready;
    } else {
        work.outcome = TCellWork::Error;
    }
}

void TThumbStore::LoadStoredThumbnail(TCellWork &work) const
{
    // 4. The stored thumbnail when it has the source's times; a stale or bad one is deleted.
    if (work.outcome != TCellWork::Undecided)
        return;
    if (QFileInfo::exists(work.thumbPath)) {
        if (SameFileTimes(work.item.fullPath, work.thumbPath)) {
            try {
                work.thumbnail.LoadFromFile(work.thumbPath);
                if (work.thumbnail.Width() <= 0 || work.thumbnail.Height() <= 0) {
                    work.thumbnail.Clear();
                    QFile::remove(work.thumbPath);
                }
            } catch (const std::exception &) {
                work.thumbnail.Clear();
                QFile::remove(work.thumbPath);
            }
        } else {
            QFile::remove(work.thumbPath);
        }
    }
    work.outcome = work.thumbnail.Empty() ? TCellWork::Make : TCellWork::Ready;
}

void TThumbStore::UseCameraThumbnail(TCellWork &work) const
{
    // 5. A ".THJ" file is a thumbnail itself; a small cell or an Exif mode shows the camera's
    // own thumbnail, and nothing is stored.
    TBrowserItem &item = work.item;
    if (work.outcome != TCellWork::Make)
        return;
    if (item.fullPath.endsWith(QLatin1String(".THJ"), Qt::CaseInsensitive)) {
        work.thumbnail.LoadFromFile(item.fullPath);
        work.outcome = TCellWork::Ready;
        return;
    }
    const TThumbPlan plan = work.Plan(FMode);
    if (!plan.exifThumb)
        return;
    // Until the camera's thumbnail is in hand the Exif sizes do not count.
    item.exifState = 2;
    // Read here unless ReadExifOnce read it for this cell (it reads once per item).
    if (!work.exif)
        work.ReadExif();
    TJpegImage exifThumb;
    if (work.exifError == 0 && work.exif->ThumbnailToJpeg(exifThumb, false)) {
        if (plan.exifEnlarge == 0) {
            work.thumbnail = exifThumb;
            work.outcome = TCellWork::Ready;
        } else {
            // The enlarged picture goes to the cell as it is: nothing is stored, so encoding it
            // as JPEG only to decode it again would cost a third of the cell's time.
            try {
                const TBitmap small = exifThumb.ToBitmap();
                work.picture = ResizeBilinear(
                    small, plan.exifEnlarge * small.Width(), plan.exifEnlarge * small.Height());
                work.outcome = TCellWork::Ready;
            } catch (const std::exception &) {
                work.picture = TBitmap(); // the picture itself is decoded instead
            }
        }
    }
    if (work.outcome == TCellWork::Ready)
        item.exifState = 1;
}

void TThumbStore::MakeThumbnail(TCellWork &work)
{
    // 6. Decodes the picture by the plan; a JPEG in mode 8 is shown whole, anything else is
    // fitted and stored with the source's times.
    if (work.outcome != TCellWork::Make)
        return;
    const TThumbPlan plan = work.Plan(FMode);
    if (!plan.decodable) {
        work.item.failure = QStringLiteral("この種類のファイルは表示できません。");
        work.outcome = TCellWork::Error;
        return;
    }
    DecodePicture(work, plan);
    if (work.picture.Width() < 1 || work.picture.Height() < 1) {
        work.outcome = TCellWork::Error;
        return;
    }
    if (!plan.whole) {
        work.thumbnail.CompressionQuality = 90;
        FitLongSide(plan.longSide, work.thumbnail, work.picture, plan.area);
        work.picture = TBitmap();
        QDir().mkpath(QFileInfo(work.thumbPath).absolutePath());
        if (work.thumbnail.SaveToFile(work.thumbPath))
            CopyFileTimes(work.item.fullPath, work.thumbPath);
    }
    work.hintTaken = false;
    work.outcome = TCellWork::Ready;
}

void TThumbStore::DecodePicture(TCellWork &work, const TThumbPlan &plan)
{
    TBrowserItem &item = work.item;
    if (work.kind == ikJpeg) {
        const std::optional<QByteArray> data = ReadWholeFile(item.fullPath, kMaxPictureFile);
        if (!data)
            throw EPictureError(QStringLiteral("Cannot read the file"));
        ++FDecodes;
        work.picture = DecodeJpeg(*data, DecodeScale(plan, *data));
        work.TakeSizeHint();
        if (item.exifState != 1) {
            item.width = work.picture.Width();
            item.height = work.picture.Height();
        }
        return;
    }
    TPicture holder;
    ++FDecodes;
    if (!LoadPicture(holder, item.fullPath, true))
        throw EPictureError(DamagedPictureText());
    item.width = holder.Width();
    item.height = holder.Height();
    work.picture = holder.ToBitmap();
    work.TakeSizeHint();
}

void TThumbStore::Fail(TCellWork &work, const QString &message) const
{
    work.hint = (work.hintTaken ? work.hint : BaseHint(work.item)) + message;
    work.hintTaken = true;
    work.item.failure = message;
    work.outcome = TCellWork::Error;
}

TBrowserCell TThumbStore::ReadyCell(TCellWork &work) const
{
    // 7. The picture fitted into the cell's box, raised above the captions; the caption of a
    // picture without an Exif date is its file date, that of a catalogue picture its name.
    TBrowserItem &item = work.item;
    const TCellLayout &layout = work.layout;
    TBrowserCell cell;
    cell.outcome = TCellOutcome::coReady;
    work.hint = BaseHint(item);
    if (layout.captions && item.caption.isEmpty()) {
        if (item.kind == kBrowserCatalogue) {
            item.caption = BaseNameOf(item.displayName);
            const QString catalogue = CatalogueName ? CatalogueName(item.fullPath) : QString();
            if (!catalogue.isEmpty())
                item.caption += QStringLiteral(" / ") + catalogue;
        } else {
            const TPictureDate date = PictureDateText({}, item.fullPath);
            item.caption = (date.date + u' ' + date.time).trimmed();
        }
    }
    const int raise = layout.captions ? layout.captionFontHeight / 3 : 0;
    cell.target = FitInBox(
        QSize(work.picture.Width(), work.picture.Height()), layout.cell, layout.box, raise);
    cell.picture = std::move(work.picture);
    return cell;
}

TBrowserCell TThumbStore::FailedCell(TCellWork &work)
{
    // 7. The error or movie tile; a failed file is remembered with its hint.
    TBrowserItem &item = work.item;
    const bool movie = work.outcome == TCellWork::Movie;
    TBrowserCell cell;
    cell.outcome = movie ? TCellOutcome::coMovie : TCellOutcome::coError;
    cell.tileText = TileText(cell.outcome);
    if (!work.hintTaken) {
        work.hint = BaseHint(item);
        if (!movie)
            work.hint += ErrorMark();
    }
    if (!movie) {
        item.fileSize = -std::abs(item.fileSize);
        if (item.failure.isEmpty())
            item.failure = UnreadableText();
        FFailures.insert(item.fullPath, item.failure);
    }
    FFailed.insert(item.fullPath, work.hint);
    return cell;
}

} // namespace korvatel
