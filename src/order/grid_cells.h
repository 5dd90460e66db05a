#pragma once

#include "order/order_copy.h"
#include "order/thumb_nails.h"

#include <QColor>
#include <QList>
#include <QRect>
#include <QString>
#include <QStringList>

namespace korvatel
{

class TPriceTables;

// The regions of an order grid cell. A click is tested against them in the order of
// CellHitOrder; 5 and 13 are found only for hints.
enum TGridZone {
    gzNone = -1,
    gzPicture = 0,
    gzSize = 1,
    gzMinus = 2,
    gzPlus = 3,
    gzCopy = 4,
    gzQuality = 5,
    gzPhone = 8,
    gzCdr = 7,
    gzDate = 9,
    gzHoseiKind = 10,
    gzHoseiWindow = 11,
    gzDensity = 12,
    gzEffect = 13,
    gzEnlarge = 14,
};
inline constexpr int kGridZoneCount = 15;

// The sizes of the grid in its parent: columns filling the usable width exactly, nearly square
// cells, whole screens of rows, and the drawing unit the cell's buttons are measured in.
struct TGridMetrics {
    int columns = 3;
    QList<int> colWidths;
    int rowHeight = 0;
    int visibleRows = 1;
    int gridHeight = 0;
    int unit = 1;

    // The x of a column's left edge.
    int ColumnLeft(int col) const;
    // The column under x, or −1 beyond the columns.
    int ColumnAt(int x) const;
};

// The metrics of a grid of columns in a parent of the given client size. screenHeight limits
// the drawing unit.
TGridMetrics GridMetrics(
    int parentWidth, int parentHeight, int columns, bool scrollBar, int screenHeight);
// The drawing unit: min(screen height / 120, row height / 46 + 0.8), to the nearest whole number
// (at least 1).
int DrawingUnit(int screenHeight, int rowHeight);
// The row count for the items, padded up to a whole number of screens (at least one screen).
int GridRowCount(int items, int columns, int visibleRows);
// The top row of the page that holds the item.
int PageTopRow(int index, int columns, int visibleRows);
// The control strip at the bottom of each cell.
inline int StripHeight(int unit)
{
    return 14 * unit + 3;
}

// What the cell shows besides the always-present buttons, and where the options put them.
struct TCellOptions {
    bool copyAtRight = false; // BtnRightAlign
    bool sizeLeft = false; // SizeBtnLeft: size switch and quality mark swap
    bool plusLeft = false; // PlusBtnLeft: plus and minus swap
    bool correction = false; // the shop offers correction
    bool dateEditable = true; // CustDateNotEdit off
    bool phone = false; // the shop offers phone pictures: the "携帯" toggle
    bool cdOutput = true; // CD-R output on
};

// The rectangles of one cell: the picture panel, the area the picture is fitted into, the
// caption lines under it, the control strip, and each zone's rectangle (empty when the item
// has no such zone). The date editor lies over the date area of the picture.
struct TCellZones {
    QRect cell;
    QRect panel;
    QRect picture;
    QRect captions;
    QRect strip;
    QRect count; // the count text between minus and plus
    QRect dateEditor;
    QRect zones[kGridZoneCount];

    const QRect &Zone(int zone) const { return zones[zone]; }
};

TCellZones CellZones(
    const QRect &cell, int unit, const TCellOptions &options, const TThumbNail &item);

// The zone under the point: −1 outside the cell or for an item with an error. Project pictures
// have no copy, CD-R, phone, date, correction or enlarge zones; a point on one of them counts
// as −1. The quality mark (5) and the contrast/effect mark (13) are found only forHint.
int HitTest(const TCellZones &zones, const TThumbNail &item, QPoint point, bool forHint);

// The order in which the zones are tested.
const QList<int> &CellHitOrder();

// The sizes the item may have, in their offered order: the campus list of a campus picture,
// the project size table of a project picture, else the shop's normal sizes.
QStringList OfferedSizes(
    const TThumbNail &item, const TPriceTables *tables, const QStringList &projectSizes);
// The next offered size after the item's current one (step +1) or before it (−1), wrapping.
QString NextOfferedSize(
    const TThumbNail &item, const TPriceTables *tables, const QStringList &projectSizes, int step);

// A print-area frame drawn on the picture.
struct TSizeFrame {
    QString size;
    QRect rect;
};
// The frames of the item's sizes with a count and of its current size, in offered order, on
// the picture drawn at image: each the largest rectangle of the size's print proportions
// centred on the picture, every further frame 2 pixels further in so that all stay visible.
QList<TSizeFrame> SizeFrames(const QRect &image, const TThumbNail &item, const TPriceTables *tables,
    const QStringList &projectSizes);
// The size whose frame contains the point: the offered sizes are walked from the first, at
// most 51 steps; empty when none does.
QString SizeAt(const QList<TSizeFrame> &frames, const QStringList &offered, QPoint point);

// The quality level 0..3 of the item's picture for its current size (ResolutionClass with
// FinesLow and FinesHi over 119 mm), its colour and label.
int QualityLevel(const TThumbNail &item, const TPriceTables *tables, int finesLow, int finesHi);
QColor QualityColour(int level);
QString QualityLabel(int level);

// Texts of the cell.
QString CountText(int count); // "%d 枚"
QString FileSizeText(qint64 bytes); // " %.0nKB", " 0ｻｲｽﾞ" for an empty file
QString PixelSizeText(int width, int height); // " (%d×%d)"
QString MinusLabel(const TThumbNail &item); // "削除" when the item has no prints, else "－"
QString SizeButtonLabel(const TThumbNail &item); // "サイズ,切替" or "ﾒﾃﾞｨｱ,切替"
QString CopyButtonLabel(TCopyKind kind); // "最後迄,Copy" or "詳細,Copy"
QString DateButtonLabel(const TThumbNail &item);
inline const QString kBrokenText = QStringLiteral("破損ファイル");

// True when a colour point was set in the correction window: the grid then uses the second
// label and hint tables.
bool CorrectionPointsSet(const CorrectionRecord &record);
// True when the record has hand-set contrast (points off the diagonal): the contrast mark.
bool ContrastMarked(const CorrectionRecord &record);

// Hints of the zones.
struct THintOptions {
    bool dragNuming = true;
    bool dblClickNuming = false;
};
QString ZoneHint(int zone, const TThumbNail &item);
QString SizeFrameHint(const THintOptions &options);

// The date imprint choice: off → "通常" → "時刻" → "指定" → off, backwards the other way.
// Returns true when the item left "指定" (the date editor is then committed and closed).
bool CycleDateKind(TThumbNail &item, bool forward);
// The correction kind 0 → 1 → … → 5 → 0, backwards the other way.
void CycleCorrectionKind(TThumbNail &item, bool forward);
// The density of the slider's x position: −100 at the left end of the track, +100 at the right.
int DensityAt(const QRect &track, int x);
int DensityKnobX(const QRect &track, int density);

// Drag and drop of counts: accepted only within the same grid and over another size's frame.
bool AcceptsCountDrop(bool sameGrid, const QString &sourceSize, const QString &targetSize);
// Removes the source size's line, adds its count to the target's, makes the target current.
void DropCount(TThumbNail &item, const QString &sourceSize, const QString &targetSize);
// Moves every print of the item onto the size: the total becomes its count, other lines go.
void MergeCounts(TThumbNail &item, const QString &size);

// Auto-repeat of plus and minus: the first tick 500 ms after the press, each next interval 0.7
// of the last (truncated), never below 1 ms.
inline constexpr int kFirstRepeat = 500;
inline int NextRepeatInterval(int last)
{
    return std::max(last * 7 / 10, 1);
}

// The current item after an arrow key (dx −1/+1 or dy −1/+1): unchanged when the move would
// leave 0..count − 1.
int MoveCurrent(int current, int dx, int dy, int count, int columns);

// The customer's date text as it is stored: converted towards half-width as far as possible,
// the blanks around it kept (so that a space typed last stays while typing).
QString DateTextHalfWidth(const QString &text);

} // namespace korvatel
