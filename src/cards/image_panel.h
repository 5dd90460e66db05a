#pragma once

#include "cards/card_types.h"

#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>
#include <QStringList>
#include <optional>

namespace korvatel
{

// An image frame on a base sheet: a picture shown inside a frame, stored as one comma-text line.
struct TImagePanel {
    QString fileName; // the picture file
    QStringList comment; // comment lines
    QRect frame; // the frame in sheet pixels (same coordinates as the sheet rectangle)
    QRect inner; // the inner picture relative to the frame's top-left corner
    QSize pictureSize; // the picture's pixel size
    TColorValue focusedColor = 0x0000FF;
    TColorValue unfocusedColor = 0xC0C0C0;
};

// The smallest frame side, and the width of the border that carries the resize handles.
inline constexpr int kPanelMinSide = 50;
inline constexpr int kPanelBorder = 4;
// Zooms that would make the inner picture narrower or lower than this are ignored.
inline constexpr int kPanelMinInner = 10;
// Zooms beyond this side are ignored too: nothing shows a picture that large.
inline constexpr int kMaxInnerSide = 100000;

// The record line: comma text of "file=", "ex=", "ey=", "ew=", "eh=", "gx=", "gy=", "gw=",
// "gh=" and "comment=" items, the numbers as percentages with "%1.4f" (frame against the sheet,
// inner picture against the frame).
QString ImagePanelText(const TImagePanel &panel, const QRect &sheet);
// Reads a record line back against a sheet. nullopt when the line has no "file" item or a
// number is not a finite number; missing numbers count as 0.
std::optional<TImagePanel> ReadImagePanel(const QString &line, const QRect &sheet);

// The handle of the frame's border under a point relative to the frame: the codes of
// LayerHandleAt (0, 1, 2, 10, 12, 20, 21, 22) within kPanelBorder pixels of an edge, 11 inside.
int PanelHandleAt(QSize frame, QPoint p);
// The frame after a drag of a handle by (dx, dy): the handle's edges move, 11 moves the whole
// frame, and no side becomes smaller than kPanelMinSide (the moving edge stops there).
QRect PanelDrag(const QRect &start, int handle, int dx, int dy);

// The inner picture after a wheel turn of notches (positive: down, zooming in) at a point
// relative to the frame, with Shift doubling the step: factor 1 + s / max(frame width, frame
// height), s = ±1 (±2) per notch; the width rounds up when growing and down when shrinking, the
// height follows the picture's aspect, and the point under the mouse stays put. nullopt when
// the mouse is outside the frame or either side would fall below kPanelMinInner.
std::optional<QRect> PanelWheelZoom(
    const QRect &frame, const QRect &inner, QSize picture, QPoint mouse, int notches, bool shift);

} // namespace korvatel
