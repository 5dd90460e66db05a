#pragma once

#include <QPoint>
#include <QPointF>
#include <QRect>
#include <QSize>
#include <QString>
#include <vector>

namespace korvatel
{

// The geometry of card layers on the stage, as pure functions of rectangles in stage pixels.
// The layer set (layers.h) and the stage widget carry them out; nothing here knows a widget.

// The handles of a layer: column (0 left, 10 middle, 20 right) plus row (0 top, 1 middle,
// 2 bottom). 11 is the inside (move); the corners are 0, 2, 20 and 22.
enum TLayerHandle : int {
    lhTopLeft = 0,
    lhLeft = 1,
    lhBottomLeft = 2,
    lhTop = 10,
    lhMove = 11,
    lhBottom = 12,
    lhTopRight = 20,
    lhRight = 21,
    lhBottomRight = 22,
};

// The handle under point p (relative to the layer's top-left corner) of a w × h layer: a
// corner when p lies in the 10 × 10 square of that corner and its distance to the corner along
// x plus along y is at most 15; else the column by x (< 5 left, ≥ w − 5 right) and the row by y
// (≤ 4 top, ≥ h − 5 bottom).
int LayerHandleAt(int w, int h, QPoint p);

// The mouse cursors of the stage; the widget maps them onto Qt's.
enum TStageCursor : int {
    scDefault, // no particular cursor (a fitted layer)
    scSizeNWSE, // handles 0 and 22
    scSizeNESW, // handles 2 and 20
    scSizeWE, // handles 1 and 21
    scSizeNS, // handles 10 and 12
    scMove, // handle 11
    scNo, // a size-locked layer
    scRectangle, // edit modes 3 and 4: drawing a colour rectangle
    scProtect, // edit mode 5: drawing a protection rectangle
    scTrim, // edit mode 6: drawing a trimming rectangle
    scPicker, // edit modes 1 and 2: picking a colour
};

// The cursor over a handle in edit mode 0.
TStageCursor HandleCursor(int handle, bool sizeLocked, bool fitted);
// The cursor of an edit mode 0–6 (scDefault for mode 0, where HandleCursor decides).
TStageCursor EditModeCursor(int editMode);

// A rectangle by its four edges, right and bottom exclusive (width = right − left). Unlike
// QRect it may be inside out while an edge is dragged past the opposite one.
struct TEdges {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    static TEdges Of(const QRect &r)
    {
        return { r.left(), r.top(), r.left() + r.width(), r.top() + r.height() };
    }
    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    bool FlippedX() const { return right < left; }
    bool FlippedY() const { return bottom < top; }
    // The rectangle with its edges in order.
    QRect Normalised() const;
    friend bool operator==(const TEdges &, const TEdges &) = default;
};

// A left-button drag of a handle from the start rectangle by (dx, dy). The handle's edges move
// (11 moves the whole rectangle). Unless ctrl is held the picture's aspect is kept, with
// ratio = picture height / picture width: edge handles 1 and 21 make the height follow the
// width and keep the vertical centre, 10 and 12 make the width follow the height and keep the
// horizontal centre; a corner takes the width (w + h) / (ratio + 1) and the height ratio × width
// with the opposite corner fixed. The result may be inside out.
TEdges DragEdges(const QRect &start, int handle, int dx, int dy, bool ctrl, double ratio);

// A right-button zoom: the new width is w + travelX × w × 0.01, the height ratio × width
// (ratio = picture height / width), and the grab point (a fraction of the start rectangle)
// stays under the mouse. Widths below 1 pixel are kept at 1.
QRect ZoomRect(const QRect &start, QPointF grabFraction, QPoint mouse, int travelX, double ratio);

// The fit modes of a layer ("配置属性").
enum TFitMode : int {
    fmFree = 0, // "自由"
    fmFillWidthTop = 1, // "上端伸張": stretched to the stage's width, at the top
    fmFillWidthBottom = 2, // "下端伸張"
    fmFillHeightLeft = 3, // "左端伸張": stretched to the stage's height, at the left
    fmFillHeightRight = 4, // "右端伸張"
    fmFillStage = 5, // "全面伸張": covering the stage, centred on the other axis
};
// The menu caption of a fit mode ("自由", "全面伸張", "上端伸張", "下端伸張", "左端伸張",
// "右端伸張" in menu order; captions by mode number here).
QString FitModeCaption(int mode);

// The layer's rectangle in a fit mode on a stage of the given size; mode 0 gives it back.
QRect FitRect(QSize stage, const QRect &layer, int mode);

// Alignment codes ("位置合わせ 1"): tens digit 0 works on x, 1 on y; units 0 align the left
// (top) edge, 1 the centre, 2 the right (bottom) edge, with the client rectangle; "中心" is 1 and
// 11 together (kAlignCentreBoth). Units 3, 4 and 5 distribute the rectangles evenly by their
// left edges, centres or right edges (top edges, middles, bottom edges for 13, 14, 15).
enum TAlignCode : int {
    alLeft = 0, // "左端"
    alCentre = 1, // "中央"
    alRight = 2, // "右端"
    alSpreadLeft = 3, // "左端 等間隔"
    alSpreadCentre = 4, // "中央 等間隔"
    alSpreadRight = 5, // "右端 等間隔"
    alTop = 10, // "上端"
    alMiddle = 11, // "中段"
    alBottom = 12, // "下端"
    alSpreadTop = 13, // "上端 等間隔"
    alSpreadMiddle = 14, // "中段 等間隔"
    alSpreadBottom = 15, // "下端 等間隔"
    alCentreBoth = 99, // "中心"
};
inline constexpr int kAlignCentreBoth = alCentreBoth;
// The rectangles after the alignment or distribution of code; their order is kept. A
// distribution of fewer than three rectangles changes nothing.
std::vector<QRect> AlignRects(const QRect &client, const std::vector<QRect> &rects, int code);
// The key by which distribution sorts: "%10d|%5d:%2d" of position, size and index.
QString DistributeSortKey(int position, int size, int index);

// Size matching ("幅 合わせ" / "高さ 合わせ"): every rectangle takes the smallest (or largest)
// width (height) among them, but only when it would shrink (grow); it keeps its aspect ratio
// and its centre.
std::vector<QRect> MatchSizes(const std::vector<QRect> &rects, bool heights, bool largest);

// A trimming rectangle drawn on a layer (in control pixels, relative to the layer's top-left
// corner, of a control of the given size) in pixels of the full picture, which is stored
// unturned: the rectangle is mapped back through the layer's mirrors and rotation (degrees
// clockwise, 0/90/180/270) and clipped to the picture.
QRect TrimRectToPicture(const QRect &trim, QSize control, QSize picture, int rotation,
    bool mirrorLeftRight, bool mirrorUpDown);

// A point of the layer's control (relative to its top-left) as fractions of the control,
// clamped to 0–1.
QPointF ControlFraction(QPoint p, QSize control);

// The rectangle of a picture of the given aspect (ratio = height / width) shrunk into the
// top-left quarter of the stage: where new pictures are placed.
QRect NewLayerRect(QSize stage, QSize picture);

// The smallest rectangle of the picture's aspect that covers target, centred on it, as the
// part of the picture (in its pixels) that fills target when stretched over it.
QRect CoverCrop(QSize picture, QSize target);

} // namespace korvatel
