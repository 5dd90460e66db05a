#include "sources/film_cell.h"

#include <QFontMetrics>
#include <QPainter>
#include <QPainterPath>
#include <cmath>

namespace korvatel
{

namespace
{

constexpr int kFrameInset = 2; // between cells
constexpr int kBoxInset = 4; // between the frame and the picture box

} // namespace

QPolygon CheckPolygon(int size)
{
    static const int kPoints[][2]
        = { { 0, 9 }, { 0, 24 }, { 11, 46 }, { 45, 12 }, { 45, 1 }, { 12, 33 } };
    QPolygon polygon;
    for (const auto &p : kPoints)
        polygon << QPoint(
            int(std::lround(p[0] * size / 46.0)), int(std::lround(p[1] * size / 46.0)));
    return polygon;
}

int CheckMarkSize(const QRect &cell, int percent)
{
    return std::max(1, std::min(cell.width(), cell.height()) * std::clamp(percent, 1, 100) / 100);
}

namespace
{

// A rectangle of that size placed in the cell by the position figures, 2 pixels from the
// edges it keeps to.
QRect PlaceRect(const QRect &cell, QSize size, int pos)
{
    const int units = pos % 10;
    const int tens = pos / 10 % 10;
    int x = cell.left() + (cell.width() - size.width()) / 2;
    if (units == 1)
        x = cell.left() + 2;
    else if (units == 2)
        x = cell.left() + cell.width() - size.width() - 2;
    int y = cell.top() + (cell.height() - size.height()) / 2;
    if (tens == 1)
        y = cell.top() + 2;
    else if (tens == 2)
        y = cell.top() + cell.height() - size.height() - 2;
    return QRect(QPoint(x, y), size);
}

} // namespace

QRect CheckMarkRect(const QRect &cell, int size, int pos)
{
    return PlaceRect(cell, QSize(size, size), pos);
}

void PaintCheckMark(QPainter &painter, const QRect &cell, const TCheckStyle &style)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    const QColor colour = style.colour;
    if (style.mark == cmSurround) {
        painter.setPen(colour);
        painter.setBrush(Qt::NoBrush);
        for (int i = 0; i < 3; ++i)
            painter.drawRect(cell.adjusted(i * 2, i * 2, -i * 2 - 1, -i * 2 - 1));
        painter.restore();
        return;
    }
    if (style.mark == cmFrameColour) {
        painter.restore();
        return;
    }
    const int size = CheckMarkSize(cell, style.sizePercent);
    const QRect box = CheckMarkRect(cell, size, style.pos);
    switch (style.mark) {
    case cmCircle:
        painter.setPen(Qt::NoPen);
        painter.setBrush(colour);
        painter.drawEllipse(box);
        break;
    case cmDonut: {
        QPainterPath ring;
        ring.addEllipse(box);
        const int inset = std::max(1, size / 10);
        ring.addEllipse(box.adjusted(inset, inset, -inset, -inset));
        ring.setFillRule(Qt::OddEvenFill); // the inner circle stays transparent
        painter.setPen(Qt::NoPen);
        painter.setBrush(colour);
        painter.drawPath(ring);
        break;
    }
    case cmPicture:
        if (!style.picture.isNull()) {
            const QImage scaled
                = style.picture.scaled(box.size(), Qt::KeepAspectRatio, Qt::SmoothTransformation);
            painter.drawImage(box.left() + (size - scaled.width()) / 2,
                box.top() + (size - scaled.height()) / 2, scaled);
            break;
        }
        [[fallthrough]];
    case cmText:
        if (style.mark == cmText && !style.text.isEmpty()) {
            QFont font = painter.font();
            font.setBold(true);
            font.setPixelSize(size);
            painter.setFont(font);
            painter.setPen(colour);
            const QSize extent(QFontMetrics(font).horizontalAdvance(style.text), size);
            painter.drawText(PlaceRect(cell, extent, style.pos), Qt::AlignCenter, style.text);
            break;
        }
        [[fallthrough]];
    default:
        painter.setPen(Qt::NoPen);
        painter.setBrush(colour);
        painter.drawPolygon(CheckPolygon(size).translated(box.topLeft()));
        break;
    }
    painter.restore();
}

TCellLayout FilmCellLayout(const QRect &cell, const TFilmLook &look)
{
    TCellLayout layout;
    layout.cell = cell.adjusted(kFrameInset, kFrameInset, -kFrameInset, -kFrameInset);
    layout.cellSize = cell.width();
    layout.captions = look.number || look.date;
    layout.captionFontHeight = QFontMetrics(look.font).height();
    const int caption = layout.captions ? layout.captionFontHeight + 2 : 0;
    layout.box = QSize(std::max(1, layout.cell.width() - 2 * kBoxInset),
        std::max(1, layout.cell.height() - 2 * kBoxInset - caption));
    return layout;
}

void PaintFilmCell(QPainter &painter, const TCellLayout &layout, const TFilmLook &look,
    const TFilmData &item, int number, TCellState state, const QImage &picture, const QRect &target,
    bool selected)
{
    painter.save();
    const QRect outer = layout.cell.adjusted(-kFrameInset, -kFrameInset, kFrameInset, kFrameInset);
    const bool checked = item.inOrder;
    painter.fillRect(
        outer, checked && look.check.mark == cmFrameColour ? look.check.colour : look.back);

    // The frame: the film colour, with rounded corners when chosen; the selected cell is
    // lighter.
    const QColor frame = selected ? look.frame.lighter(130) : look.frame;
    painter.setPen(selected ? QPen(QColor(0, 120, 215), 2) : QPen(Qt::NoPen));
    painter.setBrush(frame);
    painter.setRenderHint(QPainter::Antialiasing, look.cornerR);
    const int radius = look.cornerR ? std::max(2, layout.cell.width() / 12) : 0;
    if (radius > 0)
        painter.drawRoundedRect(layout.cell, radius, radius);
    else
        painter.drawRect(layout.cell);
    painter.setRenderHint(QPainter::Antialiasing, false);

    const int raise = layout.captions ? layout.captionFontHeight / 3 : 0;
    switch (state) {
    case TCellState::csReady:
        if (!picture.isNull()) {
            painter.drawImage(target, picture);
            if (look.bevel) {
                const QRect r = target.adjusted(-1, -1, 0, 0);
                painter.setPen(QColor(0x20, 0x20, 0x20));
                painter.drawLine(r.topLeft(), r.topRight());
                painter.drawLine(r.topLeft(), r.bottomLeft());
                painter.setPen(QColor(0xF0, 0xF0, 0xF0));
                painter.drawLine(r.topRight(), r.bottomRight());
                painter.drawLine(r.bottomLeft(), r.bottomRight());
            }
        }
        break;
    case TCellState::csError:
    case TCellState::csMovie: {
        TCellLayout tile = layout;
        tile.cell = layout.cell.translated(0, -raise);
        PaintTile(painter, tile,
            state == TCellState::csMovie ? TCellOutcome::coMovie : TCellOutcome::coError);
        break;
    }
    case TCellState::csPending: {
        // The placeholder while the thumbnail is being made.
        const QRect box = FitInBox(layout.box, layout.cell, layout.box, raise);
        painter.fillRect(box, look.frame.darker(115));
        painter.setPen(look.frame.darker(160));
        painter.drawText(box, Qt::AlignCenter, QStringLiteral("???"));
        break;
    }
    }

    if (layout.captions) {
        QString text;
        if (look.number)
            text = QString::number(number);
        if (look.date && !item.caption.isEmpty())
            text += (text.isEmpty() ? QString() : QStringLiteral(" ")) + item.caption;
        QFont font = look.font;
        painter.setFont(font);
        painter.setPen(Qt::black);
        const QRect line(layout.cell.left() + 2,
            layout.cell.bottom() - layout.captionFontHeight - kBoxInset + 2,
            layout.cell.width() - 4, layout.captionFontHeight);
        painter.drawText(line, Qt::AlignCenter,
            QFontMetrics(font).elidedText(text, Qt::ElideRight, line.width()));
    }
    if (checked)
        PaintCheckMark(painter, layout.cell, look.check);
    painter.restore();
}

} // namespace korvatel
