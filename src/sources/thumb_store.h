#pragma once

#include "imaging/bitmap.h"
#include "imaging/jpeg_codec.h"
#include "sources/browser_item.h"

#include <QColor>
#include <QFont>
#include <QHash>
#include <QList>
#include <QRect>
#include <QString>
#include <functional>

class QPainter;

namespace korvatel
{

struct TThumbPlan;

// What a browser cell shows.
enum class TCellOutcome { coReady, coError, coMovie };

// The layout values of the cell being painted, from the grid.
struct TCellLayout {
    QRect cell; // the cell rectangle
    QSize box; // the picture box inside it
    int cellSize = 0; // the grid's cell size value (its width setting)
    bool captions = false; // numbers or captions are shown under the picture
    int captionFontHeight = 0;
};

// The picture of one browser cell, ready to be painted.
struct TBrowserCell {
    TCellOutcome outcome = TCellOutcome::coError;
    TBitmap picture; // ready: the picture to stretch-draw into target
    QRect target;
    QString tileText; // "FILE ERROR" or "MOVIE"
    bool hintChanged = false; // the status line should show the item's new hint
};

// The picture fitted into the box keeping its aspect ratio and centred in the cell, raised by
// raise pixels: the rule both grids draw pictures by.
QRect FitInBox(QSize picture, const QRect &cell, QSize box, int raise = 0);

// The tiles of failed and movie cells: "FILE ERROR" in red on black, "MOVIE" in green on
// silver, bold. The font height starts at trunc(0.3 × trunc(0.8 × w)) and shrinks by 1 until
// the text is at most trunc(0.8 × w) wide; widthOf measures the text at a height.
QString TileText(TCellOutcome outcome);
QColor TileTextColor(TCellOutcome outcome);
QColor TileBackColor(TCellOutcome outcome);
int TileFontHeight(int w, const std::function<int(int height)> &widthOf);
// The same measured with the font family given (bold, pixel sizes).
QFont TileFont(const QString &text, int w, const QFont &base = QFont());
// Fills the cell's picture box with the tile and writes its text centred.
void PaintTile(QPainter &painter, const TCellLayout &layout, TCellOutcome outcome);

// What a click on a cell whose file cannot be drawn says: the file cannot be read, so it
// cannot be ordered; its path and the reason follow.
QString FailedFileMessage(const TBrowserItem &item);

// The decoder's scale for making a browser thumbnail of a JPEG in the mode: full size in modes
// 7 and 8 and when the picture's size is not known from Exif (exifState other than 1), else
// ThumbnailScale of the known long side and the mode's long side.
TJpegScale BrowserDecodeScale(int mode, int exifState, int knownLongSide);

// The browser's thumbnail store: the ".small.jpg" files under Works, the thumbnail mode, the
// list of failed files and the decision of what each cell shows. It is used from the thread
// that paints; cells are never made concurrently.
class TThumbStore
{
public:
    explicit TThumbStore(QString works, int mode = 0);

    const QString &Works() const { return FWorks; }
    int Mode() const { return FMode; }
    // Changes the mode; the listed items' thumbnails are deleted when the switch requires it
    // (ModeSwitchDeletesThumbnails). False when the mode is the current one or out of range.
    bool SetThumbnailMode(int mode, const QList<TBrowserItem> &listed);
    // Deletes the ".small.jpg" files of the items from first to last (a last below 0 or past
    // the end means the last item). Failures are ignored.
    void DeleteBrowserThumbnails(const QList<TBrowserItem> &items, int first, int last) const;

    // Decides and makes what the cell of the item shows: the thumbnail file when it is
    // current, an Exif thumbnail for small cells and the Exif modes, or a thumbnail made now
    // and stored with the source's times; an error or movie tile otherwise. The picture is
    // turned upright by the Exif orientation; the stored thumbnail keeps the file's. Updates the
    // item's size, width, height, caption, hint, Exif state and failure. A failed file is
    // remembered in FailedFiles and never decoded again.
    TBrowserCell BrowserCell(TBrowserItem &item, const TCellLayout &layout);

    // Path → the hint of the failed attempt, for the whole run.
    const QHash<QString, QString> &FailedFiles() const { return FFailed; }
    // Forgets the failed files ("Reset"), so they are tried again.
    void ClearFailedFiles()
    {
        FFailed.clear();
        FFailures.clear();
    }
    // How many pictures were decoded in full or at a DCT scale (for tests and benchmarks).
    int Decodes() const { return FDecodes; }

    // Asks the campus service for a missing catalogue picture; the default reports failure.
    std::function<bool(const QString &path)> RequestDownload;
    // The catalogue's name for a campus picture, for its caption; may be empty.
    std::function<QString(const QString &path)> CatalogueName;

private:
    struct TCellWork;
    // The steps of BrowserCell; each acts only while the cell is still to be decided.
    void CheckItem(TCellWork &work) const;
    void ReadExifOnce(TCellWork &work) const;
    void LoadCatalogue(TCellWork &work);
    void LoadStoredThumbnail(TCellWork &work) const;
    void UseCameraThumbnail(TCellWork &work) const;
    void MakeThumbnail(TCellWork &work);
    void DecodePicture(TCellWork &work, const TThumbPlan &plan);
    void Fail(TCellWork &work, const QString &message) const;
    TBrowserCell ReadyCell(TCellWork &work) const;
    TBrowserCell FailedCell(TCellWork &work);

    QString BaseHint(const TBrowserItem &item) const;

    QString FWorks;
    int FMode;
    QHash<QString, QString> FFailed;
    QHash<QString, QString> FFailures; // path → the item's failure, beside FFailed
    int FDecodes = 0;
};

} // namespace korvatel
