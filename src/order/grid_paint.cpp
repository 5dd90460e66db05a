#include "order/grid_paint.h"

#include "imaging/correction.h"
#include "sources/thumb_store.h"
#include "workspace/shop_options.h"

#include <QLinearGradient>
#include <QPainter>

namespace korvatel
{

namespace
{

// Windows colour values of the cell: the background lines 8421504 and 7368816, the plain cell's
// fill 2105376 and outline 8421504, the current item's frame 65535.
const QColor kLineGrey(128, 128, 128);
const QColor kLineDark(112, 112, 112);
const QColor kPlainFill(32, 32, 32);
const QColor kPlainOutline(128, 128, 128);
const QColor kCurrentFrame(255, 255, 0);
const QColor kPrintFrame(255, 0, 0);
const QColor kOtherFrame(0, 200, 255);

void PaintBackground(QPainter &painter, const QRect &cell, const QRect &panel, int plateType)
{
    if (plateType == kPlateVer110) {
        // One-pixel lines, every fourth darker, broken where the picture panel lies. All cells
        // of a page have the same size, so the lines are drawn once into a picture that each
        // cell copies (painting happens on the window's thread only).
        static QImage lines;
        static QRect linesPanel;
        const QRect panelInCell = panel.translated(-cell.topLeft());
        if (lines.size() != cell.size() || linesPanel != panelInCell) {
            lines = QImage(cell.size(), QImage::Format_RGB32);
            linesPanel = panelInCell;
            for (int y = 0; y < lines.height(); ++y) {
                const QRgb colour = (y % 4 == 3 ? kLineDark : kLineGrey).rgb();
                auto *row = reinterpret_cast<QRgb *>(lines.scanLine(y));
                std::fill(row, row + lines.width(), colour);
            }
        }
        painter.drawImage(cell.topLeft(), lines);
    } else {
        QLinearGradient gradient(cell.topLeft(), cell.topRight());
        gradient.setColorAt(0, QColor(176, 176, 176));
        gradient.setColorAt(1, QColor(88, 88, 88));
        painter.fillRect(cell, gradient);
    }
    painter.fillRect(panel, Qt::black);
}

// A raised button (sunken while pressed) with its caption; "," or ";" break the caption into
// lines.
void PaintButton(QPainter &painter, const QRect &rect, const QString &caption, bool pressed,
    const QColor &face = QColor(212, 208, 200), const QColor &text = Qt::black)
{
    if (rect.isEmpty())
        return;
    painter.fillRect(rect, pressed ? face.darker(115) : face);
    painter.setPen(pressed ? QColor(64, 64, 64) : Qt::white);
    painter.drawLine(rect.topLeft(), rect.topRight());
    painter.drawLine(rect.topLeft(), rect.bottomLeft());
    painter.setPen(pressed ? Qt::white : QColor(64, 64, 64));
    painter.drawLine(rect.bottomLeft(), rect.bottomRight());
    painter.drawLine(rect.topRight(), rect.bottomRight());
    QString lines = caption;
    lines.replace(u',', u'\n').replace(u';', u'\n');
    painter.setPen(text);
    painter.drawText(rect.translated(pressed ? 1 : 0, pressed ? 1 : 0), Qt::AlignCenter, lines);
}

void PaintToggle(QPainter &painter, const QRect &rect, const QString &caption, bool on)
{
    if (rect.isEmpty())
        return;
    painter.setPen(on ? QColor(255, 220, 0) : QColor(150, 150, 150));
    painter.setBrush(on ? QColor(0, 90, 160, 220) : QColor(40, 40, 40, 180));
    painter.drawRect(rect.adjusted(0, 0, -1, -1));
    painter.setBrush(Qt::NoBrush);
    painter.setPen(on ? Qt::white : QColor(160, 160, 160));
    painter.drawText(rect, Qt::AlignCenter, caption);
}

void PaintQuality(QPainter &painter, const QRect &rect, int level, int u)
{
    if (rect.isEmpty())
        return;
    const QColor colour = QualityColour(level);
    const int box = std::max(2 * u, 4);
    const int y = rect.top() + (rect.height() - box) / 2;
    for (int i = 0; i < 3; ++i) {
        const QRect r(rect.left() + i * (box + 2), y, box, box);
        if (i < level)
            painter.fillRect(r, colour);
        else
            painter.fillRect(r, QColor(200, 200, 200));
        painter.setPen(Qt::black);
        painter.drawRect(r.adjusted(0, 0, -1, -1));
    }
    const QRect label(rect.left() + 3 * (box + 2) + 2, rect.top(), rect.width() - 3 * (box + 2) - 2,
        rect.height());
    painter.setPen(Qt::black);
    painter.drawText(label, Qt::AlignLeft | Qt::AlignVCenter, QualityLabel(level));
}

void PaintDensity(QPainter &painter, const QRect &track, int density, int u)
{
    if (track.isEmpty())
        return;
    const int mid = track.center().y();
    painter.setPen(QColor(220, 220, 220));
    painter.drawLine(track.left(), mid, track.right(), mid);
    painter.drawLine(track.center().x(), track.top(), track.center().x(), track.bottom());
    const int x = DensityKnobX(track, density);
    const QRect knob(x - u, track.top(), 2 * u, track.height());
    painter.fillRect(knob, density == 0 ? QColor(200, 200, 200) : QColor(255, 200, 0));
    painter.setPen(Qt::black);
    painter.drawRect(knob.adjusted(0, 0, -1, -1));
}

} // namespace

QString ImprintText(const TThumbNail &item)
{
    if (!item.DatePrint)
        return {};
    return item.DateStr[std::min<int>(item.DateType, 2)];
}

void DrawImprint(
    QPainter &painter, const QRect &area, const QString &text, const TImprintLook &look)
{
    const QFont plain = painter.font();
    QFont styled = plain;
    styled.setBold(look.bold);
    styled.setItalic(look.italic);
    painter.setFont(styled);
    if (look.shadow) {
        painter.setPen(Qt::black);
        painter.drawText(area.translated(1, 1), Qt::AlignRight | Qt::AlignBottom, text);
    }
    painter.setPen(look.colour);
    painter.drawText(area, Qt::AlignRight | Qt::AlignBottom, text);
    painter.setFont(plain);
}

namespace
{

// The picture with its size frames and its date imprint; a broken picture says so.
void PaintPicture(QPainter &painter, const TCellZones &z, const TThumbNail &item,
    const QImage &picture, TOrderPictureState state, const TOrderCellLook &look, int u,
    TOrderCellPaint &out)
{
    if (state == TOrderPictureState::opBroken || item.Broken != 0) {
        painter.setPen(Qt::white);
        painter.drawText(z.picture, Qt::AlignCenter, kBrokenText);
    } else if (state == TOrderPictureState::opReady && !picture.isNull()) {
        out.image = FitInBox(picture.size(), z.picture, z.picture.size());
        if (picture.size() == out.image.size()) {
            painter.drawImage(out.image.topLeft(), picture);
        } else {
            painter.setRenderHint(QPainter::SmoothPixmapTransform, true);
            painter.drawImage(out.image, picture);
            painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
        }
        out.frames = SizeFrames(out.image, item, look.tables, look.projectSizes);
        for (const TSizeFrame &frame : out.frames) {
            const bool chosen = frame.size == item.CurrentSize;
            painter.setPen(QPen(chosen ? kPrintFrame : kOtherFrame, chosen ? 2 : 1,
                chosen ? Qt::SolidLine : Qt::DashLine));
            painter.drawRect(frame.rect.adjusted(0, 0, -1, -1));
            // The current size is named in the count box; the other frames carry their names.
            if (!chosen)
                painter.drawText(frame.rect.adjusted(u, 0, -u, 0),
                    Qt::AlignRight | Qt::AlignVCenter, frame.size);
        }
        // The date imprint where the print has it, bottom right, above the slider row.
        const QString imprint = ImprintText(item);
        if (!imprint.isEmpty() && item.DateType != dkCustom) {
            const QRect &slider = z.Zone(gzHoseiKind);
            const int bottom = slider.isEmpty() ? out.image.bottom() - u : slider.top() - 1;
            const QRect area(out.image.left(), out.image.top(), out.image.width() - 2 * u,
                bottom - out.image.top() + 1);
            DrawImprint(painter, area, imprint, look.imprint);
        }
    } else {
        painter.fillRect(z.picture.adjusted(u, u, -u, -u), QColor(24, 24, 24));
    }
}

// The toggles over the picture and the correction controls (not on project pictures).
void PaintToggles(QPainter &painter, const TCellZones &z, const TThumbNail &item, const QFont &font,
    int pressedZone, int u)
{
    if (item.Project)
        return;
    PaintToggle(painter, z.Zone(gzCdr), QStringLiteral("CD-R"), item.CdOrder);
    PaintToggle(painter, z.Zone(gzPhone), QStringLiteral("携帯"), item.KeitaiOrder);
    PaintToggle(painter, z.Zone(gzDate), DateButtonLabel(item), item.DatePrint);
    if (item.DatePrint && item.DateType == dkCustom && !z.Zone(gzDate).isEmpty()) {
        painter.fillRect(z.dateEditor, Qt::white);
        painter.setPen(Qt::black);
        painter.drawText(
            z.dateEditor.adjusted(u, 0, -u, 0), Qt::AlignLeft | Qt::AlignVCenter, item.DateStr[2]);
    }
    if (!z.Zone(gzHoseiKind).isEmpty()) {
        const bool points = CorrectionPointsSet(item.Hosei);
        PaintButton(painter, z.Zone(gzHoseiKind), CorrectionLabel(item.Hosei.kind, points),
            pressedZone == gzHoseiKind, QColor(230, 230, 250));
        if (item.Hosei.kind == 5) {
            QFont bold = font;
            bold.setBold(true);
            bold.setPixelSize(std::max(6 * u, 10));
            painter.setFont(bold);
            painter.setPen(QColor(255, 0, 0));
            painter.drawText(z.Zone(gzHoseiKind), Qt::AlignCenter, QStringLiteral("×"));
            painter.setFont(font);
        }
        PaintButton(painter, z.Zone(gzHoseiWindow), QStringLiteral("調"),
            pressedZone == gzHoseiWindow, QColor(230, 230, 250));
        PaintDensity(painter, z.Zone(gzDensity), item.Hosei.density, u);
    }
    if (ContrastMarked(item.Hosei)) {
        painter.setPen(QColor(255, 0, 255));
        painter.drawText(z.Zone(gzEffect), Qt::AlignCenter, QStringLiteral("Ｃ"));
    }
}

// The captions under the picture: file and pixel size, then the name.
void PaintCaptions(QPainter &painter, const TCellZones &z, const TThumbNail &item)
{
    painter.setPen(Qt::white);
    QString first = FileSizeText(item.FileSize);
    if (item.Width > 0 && item.Height > 0)
        first += PixelSizeText(item.Width, item.Height);
    const QRect line1(
        z.captions.left(), z.captions.top(), z.captions.width(), z.captions.height() / 2);
    const QRect line2(z.captions.left(), line1.bottom() + 1, z.captions.width(),
        z.captions.height() - line1.height());
    painter.drawText(line1, Qt::AlignLeft | Qt::AlignVCenter, first);
    painter.drawText(line2, Qt::AlignLeft | Qt::AlignVCenter, item.BaseName());
}

// The control strip: copy, minus, plus, size, the count box and the quality mark.
void PaintControls(QPainter &painter, const TCellZones &z, const TThumbNail &item,
    const TOrderCellLook &look, const QFont &font, int pressedZone, int u)
{
    if (!item.Project)
        PaintButton(painter, z.Zone(gzCopy), CopyButtonLabel(look.copyKind), pressedZone == gzCopy);
    PaintButton(painter, z.Zone(gzMinus), MinusLabel(item), pressedZone == gzMinus,
        item.TotalCount == 0 ? QColor(255, 200, 200) : QColor(212, 208, 200));
    PaintButton(painter, z.Zone(gzPlus), QStringLiteral("＋"), pressedZone == gzPlus);
    PaintButton(painter, z.Zone(gzSize), SizeButtonLabel(item), pressedZone == gzSize);
    painter.fillRect(z.count, QColor(255, 255, 240));
    painter.setPen(Qt::black);
    const QRect sizeLine(
        z.count.left() + u, z.count.top(), z.count.width() - 2 * u, z.count.height() / 2);
    const QRect countLine(z.count.left() + u, sizeLine.bottom() + 1, z.count.width() - 2 * u,
        z.count.height() - sizeLine.height());
    painter.setPen(QColor(0, 0, 160));
    painter.drawText(sizeLine, Qt::AlignCenter, item.CurrentSize);
    QFont bold = font;
    bold.setBold(true);
    painter.setFont(bold);
    painter.setPen(item.CurrentCount > 0 ? Qt::black : QColor(160, 0, 0));
    painter.drawText(countLine, Qt::AlignCenter, CountText(item.CurrentCount));
    painter.setFont(font);
    PaintQuality(painter, z.Zone(gzQuality),
        QualityLevel(item, look.tables, look.finesLow, look.finesHi), u);
}

} // namespace

TOrderCellPaint PaintOrderCell(QPainter &painter, const QRect &cell, const TThumbNail &item,
    const QImage &picture, TOrderPictureState state, const TOrderCellLook &look, bool current,
    int pressedZone)
{
    TOrderCellPaint out;
    const int u = std::max(look.unit, 1);
    out.zones = CellZones(cell, u, look.options, item);
    const TCellZones &z = out.zones;
    painter.save();
    painter.setClipRect(cell);
    if (look.plain) {
        painter.fillRect(cell, kPlainFill);
        painter.setPen(kPlainOutline);
        painter.drawRect(cell.adjusted(0, 0, -1, -1));
        painter.restore();
        return out;
    }
    PaintBackground(painter, cell, z.panel, look.plateType);

    QFont font = look.font;
    font.setPixelSize(std::max(3 * u - 1, 8));
    QFont caption = look.captionFont;
    caption.setPixelSize(std::max(5 * u / 2 - 1, 8));
    painter.setFont(font);

    PaintPicture(painter, z, item, picture, state, look, u, out);
    PaintToggles(painter, z, item, font, pressedZone, u);
    painter.setFont(caption);
    PaintCaptions(painter, z, item);
    painter.setFont(font);
    PaintControls(painter, z, item, look, font, pressedZone, u);

    if (current) {
        painter.setPen(QPen(kCurrentFrame, 2));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(cell.adjusted(1, 1, -1, -1));
    }
    painter.restore();
    return out;
}

TImprintLook ShopImprintLook(const TShopOptions &options)
{
    TImprintLook look;
    if (options.DateColor) {
        const TBgr c = ColorToBgr(uint32_t(*options.DateColor));
        look.colour = QColor(c.r, c.g, c.b);
    }
    look.bold = options.DateBold;
    look.italic = options.DateItalic;
    look.shadow = options.DateShadow;
    return look;
}

} // namespace korvatel
