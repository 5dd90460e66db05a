#pragma once

#include "imaging/picture_kinds.h"

#include <QPoint>
#include <QRect>
#include <QSize>

namespace korvatel
{

// Which edge bar of the trimming frame a drag holds.
enum TFrameEdge { feNone = 0, feLeft = 1, feRight = 2, feTop = 3, feBottom = 4 };

// The modifier keys that change a frame gesture.
struct TFrameKeys {
    bool ctrl = false;
    bool shift = false;
    bool alt = false;
};

// The geometry of the viewer's trimming frame: a rectangle in pixels of the displayed picture
// and the same rectangle as fractions of the displayed picture's width and height, which is what
// survives zooming and rotation. The widget TRectLabel turns mouse gestures into calls here and
// places its edge bars around Rect().
class TTrimFrame
{
public:
    // A new frame is dropped when its end point lies this close to its start in both directions.
    static constexpr int kMinDrag = 30;

    // The proportions new frames keep without Ctrl: width : height = first : second. Before
    // any default size is chosen they are 127 : 89 (the L print).
    void SetProportions(double first, double second);
    double First() const { return FFirst; }
    double Second() const { return FSecond; }

    bool Visible() const { return FVisible; }
    // Left, top, right and bottom as pixels of the displayed picture; right and bottom are
    // the far edges (width = right - left).
    int Left() const { return FLeft; }
    int Top() const { return FTop; }
    int Right() const { return FRight; }
    int Bottom() const { return FBottom; }
    QRect Rect() const { return QRect(QPoint(FLeft, FTop), QPoint(FRight - 1, FBottom - 1)); }
    QPoint Centre() const { return FCentre; }
    double LeftFraction() const { return FLeftF; }
    double TopFraction() const { return FTopF; }
    double RightFraction() const { return FRightF; }
    double BottomFraction() const { return FBottomF; }
    // Width / height and height / width of the frame; 0 when a side is 0.
    double RatioWH() const { return FRatioWH; }
    double RatioHW() const { return FRatioHW; }

    // The size of the displayed picture the fractions refer to.
    void SetPictureSize(QSize displayed);
    QSize PictureSize() const { return FPicture; }

    // Whether a point lies inside the frame, inset by the given number of pixels.
    bool Contains(QPoint p, int inset) const;

    // A gesture: a press starts drawing a new frame, moving the frame or dragging an edge bar;
    // each mouse move calls Track with the pointer; the release calls End, which recomputes the
    // fractions and drops a new frame that is too small. End returns whether a frame exists.
    void BeginDraw(QPoint start);
    void BeginMove(QPoint start);
    void BeginEdge(TFrameEdge edge, QPoint start);
    void Track(QPoint p, TFrameKeys keys);
    bool End(QPoint p);
    bool Tracking() const { return FMode != tmIdle; }
    TFrameEdge DraggedEdge() const { return FMode == tmEdge ? FEdge : feNone; }

    // Removes the frame (Esc, trimming applied, another picture).
    void Clear();
    // Sets a frame directly in pixels (a finished gesture); fractions follow.
    void SetRect(int left, int top, int right, int bottom);
    // Sets the fractions directly; the pixel rectangle follows.
    void SetFractions(double left, double top, double right, double bottom);

    // The displayed picture changed size (zoom, fit): the rectangle is recomputed from the
    // fractions, rounded to whole pixels, so the frame stays over the same part of the picture.
    void Rescale(QSize displayed);
    // The picture was turned: the fractions move to the turned picture (the displayed size is
    // the turned one) and the rectangle follows.
    void Rotate(RotationType rotation, QSize displayed);

    // The pixel rectangle of a picture of the given size that the fractions select:
    // left = trunc(width × left fraction + 0.5) and so on, cut to the picture. Empty when the
    // frame selects nothing of it.
    QRect TrimRect(QSize picture) const;

private:
    enum TMode { tmIdle, tmDraw, tmMove, tmEdge };

    void Normalise();
    void ShiftFrame(QPoint step);
    void TrackDraw(QPoint p, TFrameKeys keys);
    void TrackEdge(QPoint p, TFrameKeys keys);
    void UpdateDerived(); // the centre and the ratios
    void UpdateFractions();

    double FFirst = 127;
    double FSecond = 89;
    QSize FPicture;
    bool FVisible = false;
    int FLeft = 0, FTop = 0, FRight = 0, FBottom = 0;
    double FLeftF = 0, FTopF = 0, FRightF = 0, FBottomF = 0;
    double FRatioWH = 0, FRatioHW = 0;
    QPoint FCentre;

    // The gesture in progress.
    TMode FMode = tmIdle;
    TFrameEdge FEdge = feNone;
    QPoint FStart;
    QPoint FLast;
    int FStartLeft = 0, FStartTop = 0, FStartRight = 0, FStartBottom = 0;
    double FStartRatioHW = 0;
    double FStartRatioWH = 0;
};

} // namespace korvatel
