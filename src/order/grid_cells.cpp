#include "order/grid_cells.h"

#include "imaging/correction.h"
#include "pricing/price_tables.h"
#include "text/half_width.h"

#include <QLocale>
#include <cmath>

namespace korvatel
{

int TGridMetrics::ColumnLeft(int col) const
{
    int x = 0;
    for (int i = 0; i < col && i < colWidths.size(); ++i)
        x += colWidths[i];
    return x;
}

int TGridMetrics::ColumnAt(int x) const
{
    if (x < 0)
        return -1;
    int left = 0;
    for (int i = 0; i < colWidths.size(); ++i) {
        left += colWidths[i];
        if (x < left)
            return i;
    }
    return -1;
}

int DrawingUnit(int screenHeight, int rowHeight)
{
    const double unit = std::min(screenHeight / 120.0, rowHeight / 46.0 + 0.8);
    return std::max(1, int(std::lround(unit)));
}

TGridMetrics GridMetrics(
    int parentWidth, int parentHeight, int columns, bool scrollBar, int screenHeight)
{
    TGridMetrics m;
    m.columns = std::max(columns, 1);
    const int usable = std::max(parentWidth - 3 - (scrollBar ? 21 : 0), m.columns);
    const double w = double(usable) / m.columns;
    const int height = std::max(parentHeight - 3, 1);
    m.visibleRows = std::max(1, int(double(height) / std::max(1, int(w)) + 0.5));
    m.rowHeight = std::max(1, height / m.visibleRows);
    m.gridHeight = m.rowHeight * std::max(1, parentHeight / m.rowHeight);
    for (int i = 0; i < m.columns; ++i)
        m.colWidths << int(w * (i + 1)) - int(w * i);
    m.unit = DrawingUnit(screenHeight, m.rowHeight);
    return m;
}

int GridRowCount(int items, int columns, int visibleRows)
{
    columns = std::max(columns, 1);
    visibleRows = std::max(visibleRows, 1);
    const int rows = items > 0 ? (items - 1) / columns + 1 : 1;
    return (rows + visibleRows - 1) / visibleRows * visibleRows;
}

int PageTopRow(int index, int columns, int visibleRows)
{
    if (index < 0)
        return 0;
    const int row = index / std::max(columns, 1);
    return row / std::max(visibleRows, 1) * std::max(visibleRows, 1);
}

TCellZones CellZones(const QRect &cell, int u, const TCellOptions &options, const TThumbNail &item)
{
    TCellZones z;
    z.cell = cell;
    u = std::max(u, 1);
    const int strip = StripHeight(u);
    z.strip = QRect(cell.left(), cell.bottom() - strip + 1, cell.width(), strip);
    z.panel = QRect(cell.left() + 2 * u, cell.top() + 2 * u, cell.width() - 4 * u,
        z.strip.top() - u - (cell.top() + 2 * u));
    const int captionHeight = 5 * u;
    z.captions = QRect(
        z.panel.left(), z.panel.bottom() - captionHeight + 1, z.panel.width(), captionHeight);
    z.picture
        = QRect(z.panel.left(), z.panel.top(), z.panel.width(), z.panel.height() - captionHeight);
    z.zones[gzPicture] = z.panel;

    // The strip: copy, minus, count and plus on the first row; quality mark and size switch on
    // the second.
    const int rowH = 7 * u;
    const int row1 = z.strip.top() + 1;
    const int row2 = row1 + rowH + 1;
    const int left = cell.left() + 2 * u;
    const int right = cell.right() - 2 * u;
    const int copyW = 9 * u;
    const int stepW = 6 * u;
    QRect copy;
    int countLeft;
    int countRight;
    if (options.copyAtRight) {
        copy = QRect(right - copyW + 1, row1, copyW, rowH);
        countLeft = left + stepW;
        countRight = copy.left() - u - stepW;
    } else {
        copy = QRect(left, row1, copyW, rowH);
        countLeft = copy.right() + u + stepW + 1;
        countRight = right - stepW;
    }
    const QRect first(countLeft - stepW, row1, stepW, rowH);
    const QRect last(countRight + 1, row1, stepW, rowH);
    z.count = QRect(countLeft, row1, std::max(countRight - countLeft + 1, 0), rowH);
    z.zones[gzCopy] = copy;
    z.zones[gzMinus] = options.plusLeft ? last : first;
    z.zones[gzPlus] = options.plusLeft ? first : last;
    const int sizeW = 10 * u;
    const QRect leftBox(left, row2, sizeW, rowH);
    const QRect restBox(left + sizeW + u, row2, std::max(right - left - sizeW - u + 1, 0), rowH);
    const QRect rightBox(right - sizeW + 1, row2, sizeW, rowH);
    const QRect restLeft(left, row2, std::max(right - left - sizeW - u + 1, 0), rowH);
    if (options.sizeLeft) {
        z.zones[gzSize] = leftBox;
        z.zones[gzQuality] = restBox;
    } else {
        z.zones[gzQuality] = restLeft;
        z.zones[gzSize] = rightBox;
    }

    // The toggles lie over the picture: CD-R (and phone) at the top left, the date imprint at
    // the top right, the correction buttons and the density slider along the bottom.
    const QRect &pic = z.picture;
    const bool dpe = item.OrderType == otDpe;
    const QRect cdr(pic.left() + u, pic.top() + u, 8 * u, 4 * u);
    if (options.cdOutput)
        z.zones[gzCdr] = cdr;
    if (options.phone)
        z.zones[gzPhone] = QRect(cdr.right() + u + 1, cdr.top(), 6 * u, 4 * u);
    const QRect date(pic.right() - 9 * u + 1 - u, pic.top() + u, 9 * u, 4 * u);
    z.dateEditor = QRect(pic.left() + u, date.bottom() + u + 1, pic.width() - 2 * u, 5 * u);
    if (dpe && options.dateEditable)
        z.zones[gzDate] = date;
    if (dpe && options.correction) {
        const QRect kind(pic.left() + u, pic.bottom() - u - 7 * u + 1, 7 * u, 7 * u);
        const QRect window(kind.right() + u + 1, kind.top() + 2 * u, 5 * u, 5 * u);
        z.zones[gzHoseiKind] = kind;
        z.zones[gzHoseiWindow] = window;
        z.zones[gzDensity] = QRect(window.right() + 2 * u + 1, window.top() + u,
            std::max(pic.right() - u - window.right() - 2 * u, 0), 3 * u);
    }
    z.zones[gzEffect] = QRect(pic.left() + pic.width() / 2 - 2 * u, pic.top() + u, 4 * u, 4 * u);
    return z;
}

const QList<int> &CellHitOrder()
{
    static const QList<int> order = { gzHoseiKind, gzHoseiWindow, gzDensity, gzDate, gzPhone, gzCdr,
        gzCopy, gzPlus, gzMinus, gzSize, gzPicture };
    return order;
}

int HitTest(const TCellZones &zones, const TThumbNail &item, QPoint point, bool forHint)
{
    if (item.ErrorKind != neNoError || !zones.cell.contains(point))
        return gzNone;
    const auto projectLess = [&item](int zone) {
        const bool none
            = zone == gzCopy || (zone >= gzCdr && zone <= gzDensity) || zone == gzEnlarge;
        return item.Project && none ? int(gzNone) : zone;
    };
    for (const int zone : CellHitOrder()) {
        if (zone == gzPicture && forHint) {
            if (zones.Zone(gzQuality).contains(point))
                return gzQuality;
            if (ContrastMarked(item.Hosei) && zones.Zone(gzEffect).contains(point))
                return gzEffect;
        }
        const QRect &rect = zones.Zone(zone);
        if (!rect.isEmpty() && rect.contains(point))
            return projectLess(zone);
    }
    if (forHint && zones.Zone(gzQuality).contains(point))
        return gzQuality;
    return gzNone;
}

QStringList OfferedSizes(
    const TThumbNail &item, const TPriceTables *tables, const QStringList &projectSizes)
{
    if (item.Project && !projectSizes.isEmpty())
        return projectSizes;
    if (IsCampusPicture(item.FullPath) || item.OrderType == otPhoto)
        return item.CampusPrices ? item.CampusPrices->SizeNames() : QStringList();
    return tables ? tables->SizeList(false) : QStringList();
}

QString NextOfferedSize(
    const TThumbNail &item, const TPriceTables *tables, const QStringList &projectSizes, int step)
{
    const QStringList offered = OfferedSizes(item, tables, projectSizes);
    if (offered.isEmpty())
        return item.CurrentSize;
    const int at = offered.indexOf(item.CurrentSize);
    if (at < 0)
        return step < 0 ? offered.last() : offered.first();
    const int n = int(offered.size());
    return offered[((at + step) % n + n) % n];
}

QList<TSizeFrame> SizeFrames(const QRect &image, const TThumbNail &item, const TPriceTables *tables,
    const QStringList &projectSizes)
{
    QList<TSizeFrame> frames;
    if (image.isEmpty())
        return frames;
    int inset = 0;
    for (const QString &size : OfferedSizes(item, tables, projectSizes)) {
        if (size != item.CurrentSize && item.SizeCount(size) <= 0)
            continue;
        QRect rect = image;
        const TPrintDimensions print = tables ? tables->PrintDimensions(size) : TPrintDimensions();
        if (print.ok) {
            // The picture is shown landscape: the long side of the print runs across.
            const double aspect = print.longSide / print.shortSide;
            const double w = image.width();
            const double h = image.height();
            if (w / h > aspect) {
                const int fw = int(std::lround(h * aspect));
                rect = QRect(
                    image.left() + (image.width() - fw) / 2, image.top(), fw, image.height());
            } else {
                const int fh = int(std::lround(w / aspect));
                rect = QRect(
                    image.left(), image.top() + (image.height() - fh) / 2, image.width(), fh);
            }
        }
        rect.adjust(inset, inset, -inset, -inset);
        inset += 2;
        if (rect.width() > 2 && rect.height() > 2)
            frames.append({ size, rect });
    }
    return frames;
}

QString SizeAt(const QList<TSizeFrame> &frames, const QStringList &offered, QPoint point)
{
    const int steps = std::min<int>(int(offered.size()), 51);
    for (int i = 0; i < steps; ++i)
        for (const TSizeFrame &frame : frames)
            if (frame.size == offered[i] && frame.rect.contains(point))
                return frame.size;
    return {};
}

int QualityLevel(const TThumbNail &item, const TPriceTables *tables, int finesLow, int finesHi)
{
    if (!tables || item.Width <= 0 || item.Height <= 0)
        return 0;
    return tables->ResolutionClass(
        item.CurrentSize, item.Width, item.Height, finesLow / 119.0, finesHi / 119.0);
}

QColor QualityColour(int level)
{
    switch (level) {
    case 1:
        return QColor(255, 0, 0); // 255
    case 2:
        return QColor(255, 255, 0); // 65535
    case 3:
        return QColor(0, 255, 0); // 65280
    default:
        return QColor(0, 0, 0);
    }
}

QString QualityLabel(int level)
{
    switch (level) {
    case 1:
        return QStringLiteral("低画質");
    case 2:
        return QStringLiteral("中画質");
    case 3:
        return QStringLiteral("高画質");
    default:
        return QStringLiteral("画質？");
    }
}

QString CountText(int count)
{
    return QStringLiteral("%1 枚").arg(count);
}

QString FileSizeText(qint64 bytes)
{
    if (bytes <= 0)
        return QStringLiteral(" 0ｻｲｽﾞ");
    // "%.0n": the kilobytes rounded, with thousands separators.
    const qint64 kb = (bytes + 512) / 1024;
    return u' ' + QLocale(QLocale::English).toString(kb) + QStringLiteral("KB");
}

QString PixelSizeText(int width, int height)
{
    return QStringLiteral(" (%1×%2)").arg(width).arg(height);
}

QString MinusLabel(const TThumbNail &item)
{
    return item.TotalCount == 0 ? QStringLiteral("削除") : QStringLiteral("－");
}

QString SizeButtonLabel(const TThumbNail &item)
{
    return item.Project ? QStringLiteral("ﾒﾃﾞｨｱ,切替") : QStringLiteral("サイズ,切替");
}

QString CopyButtonLabel(TCopyKind kind)
{
    return kind == ckToEnd ? QStringLiteral("最後迄,Copy") : QStringLiteral("詳細,Copy");
}

QString DateButtonLabel(const TThumbNail &item)
{
    if (!item.DatePrint)
        return QStringLiteral("日付無");
    return DateKindNames().value(int(item.DateType));
}

bool CorrectionPointsSet(const CorrectionRecord &record)
{
    return record.pointRed != 0 || record.pointGreen != 0 || record.pointBlue != 0;
}

bool ContrastMarked(const CorrectionRecord &record)
{
    return !ContrastPoints(record).OnDiagonal();
}

QString ZoneHint(int zone, const TThumbNail &item)
{
    switch (zone) {
    case gzPicture:
        return QStringLiteral("赤枠で指定プリントサイズの出力エリアを確認できます。"
                              "右クリックすると設定メニューを表示します。");
    case gzSize:
        return QStringLiteral("指定サイズを変更をします。左右のクリックで前後に移動します。");
    case gzMinus:
        return QStringLiteral(
            "枚数を１枚減らします(-1)。[削除]表示の場合は画像をリストから削除します。");
    case gzPlus:
        return QStringLiteral("枚数を１枚増やします(+1)。押しつづけることもできます。");
    case gzCopy:
        return QStringLiteral("枚数設定などの指定をコピーします。"
                              "【注意】補正書式はコピーしません。");
    case gzQuality:
        return QStringLiteral("プリントしたときの画質を、低画質(写真としては無理) "
                              "中画質(なんとか見れる範囲) 高画質 で表しています。");
    case gzCdr:
        return QStringLiteral("CD-Rに入れ込む画像を指定。【注意】CD-Rへは元画像のまま書き込み"
                              "ますが、ファイル日付は送信日時に変わります。");
    case gzPhone:
        return QStringLiteral("携帯用待受け画像を指定します。");
    case gzDate:
        return QStringLiteral("日付書式の指定。有効なExifなら撮影日を\".\"で区切り､それ以外は"
                              "作成日を\"-\"区切りで表示します。実プリントは\".\"区切りです。")
            + (item.DatePrint && item.DateType == dkCustom
                    ? QStringLiteral("日付やコメントを任意入力できます。半角の英数ｶﾅ記号が使え、"
                                     "全角入力は自動半角変換(可能な限り)されます。")
                    : QStringLiteral("日付の指定をします。"));
    case gzHoseiKind:
        return QStringLiteral("色調補正の指定。現在の指定は、")
            + CorrectionHint(item.Hosei.kind, CorrectionPointsSet(item.Hosei));
    case gzHoseiWindow:
        return QStringLiteral("画像の補正作業を専用画面で行います。");
    case gzDensity:
        return QStringLiteral(
            "濃度をマウスのドラッグで変更します。右クリックでゼロポイントに"
            "戻ります。【注意】色調補正の有無に関わらずプリントに直接反映します。");
    case gzEffect:
        return QStringLiteral("コントラストや特殊効果の指定があることを示しています。"
                              "【注意】色調補正の有無に関わらずプリントに直接反映します。");
    case gzEnlarge:
        return QStringLiteral("画像を拡大表示します。");
    default:
        return {};
    }
}

QString SizeFrameHint(const THintOptions &options)
{
    QString hint = QStringLiteral("クリックでサイズを変更できます。");
    if (options.dragNuming)
        hint += QStringLiteral("ドラッグで１以上の数量を移動できます。");
    hint += options.dblClickNuming ? QStringLiteral("ダブルクリックで数量をまとめます。")
                                   : QStringLiteral("[Ctrl]+[ﾀﾞﾌﾞﾙｸﾘｯｸ]で数量をまとめます。");
    return hint;
}

bool CycleDateKind(TThumbNail &item, bool forward)
{
    // The four states in order: off, 通常, 時刻, 指定.
    const int state = item.DatePrint ? int(item.DateType) + 1 : 0;
    const bool wasCustom = state == 3;
    const int next = forward ? (state + 1) % 4 : (state + 3) % 4;
    item.DatePrint = next != 0;
    if (next != 0)
        item.DateType = TDateKind(next - 1);
    return wasCustom && next != 3;
}

void CycleCorrectionKind(TThumbNail &item, bool forward)
{
    const int kind = std::clamp<int>(item.Hosei.kind, 0, 5);
    item.Hosei.kind = uint8_t(forward ? (kind + 1) % 6 : (kind + 5) % 6);
}

int DensityAt(const QRect &track, int x)
{
    if (track.width() <= 1)
        return 0;
    const double t = double(x - track.left()) / (track.width() - 1);
    return std::clamp(int(std::lround(t * 200 - 100)), -100, 100);
}

int DensityKnobX(const QRect &track, int density)
{
    return track.left()
        + int(std::lround((std::clamp(density, -100, 100) + 100) / 200.0 * (track.width() - 1)));
}

bool AcceptsCountDrop(bool sameGrid, const QString &sourceSize, const QString &targetSize)
{
    return sameGrid && !targetSize.isEmpty() && targetSize != sourceSize;
}

void DropCount(TThumbNail &item, const QString &sourceSize, const QString &targetSize)
{
    if (sourceSize == targetSize || targetSize.isEmpty())
        return;
    const int moved = item.SizeCount(sourceSize);
    const int target = item.SizeCount(targetSize);
    item.SetSizeCount(sourceSize, 0);
    item.SetSizeCount(targetSize, int(std::min<qint64>(qint64(target) + moved, INT_MAX)));
    item.SetCurrentSize(targetSize);
}

void MergeCounts(TThumbNail &item, const QString &size)
{
    if (size.isEmpty())
        return;
    item.Recount();
    const int total = item.TotalCount;
    item.Orders.clear();
    item.SetSizeCount(size, total);
    item.SetCurrentSize(size);
}

int MoveCurrent(int current, int dx, int dy, int count, int columns)
{
    if (count <= 0)
        return -1;
    if (current < 0 || current >= count)
        return 0;
    const int next = current + dx + dy * std::max(columns, 1);
    return next >= 0 && next < count ? next : current;
}

QString DateTextHalfWidth(const QString &text)
{
    const auto blank = [](QChar c) { return c.isSpace(); };
    int start = 0;
    while (start < text.size() && blank(text[start]))
        ++start;
    int end = int(text.size());
    while (end > start && blank(text[end - 1]))
        --end;
    const auto narrowBlanks = [](QString s) { return s.replace(QChar(0x3000), u' '); };
    return narrowBlanks(text.left(start)) + ToHalfWidth(text.mid(start, end - start))
        + narrowBlanks(text.mid(end));
}

} // namespace korvatel
