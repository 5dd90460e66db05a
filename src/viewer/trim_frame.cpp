#include "viewer/trim_frame.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace korvatel
{

namespace
{

int Round(double v)
{
    return int(std::lround(v));
}

int Sign(int v)
{
    return v < 0 ? -1 : 1;
}

} // namespace

void TTrimFrame::SetProportions(double first, double second)
{
    if (first > 0 && second > 0) {
        FFirst = first;
        FSecond = second;
    }
}

void TTrimFrame::SetPictureSize(QSize displayed)
{
    FPicture = displayed;
}

bool TTrimFrame::Contains(QPoint p, int inset) const
{
    return FVisible && p.x() >= FLeft + inset && p.x() < FRight - inset && p.y() >= FTop + inset
        && p.y() < FBottom - inset;
}

void TTrimFrame::BeginDraw(QPoint start)
{
    FMode = tmDraw;
    FStart = FLast = start;
    FVisible = false;
    FLeft = FRight = start.x();
    FTop = FBottom = start.y();
    UpdateDerived();
}

void TTrimFrame::BeginMove(QPoint start)
{
    FMode = tmMove;
    FStart = FLast = start;
}

void TTrimFrame::BeginEdge(TFrameEdge edge, QPoint start)
{
    FMode = tmEdge;
    FEdge = edge;
    FStart = FLast = start;
    FStartLeft = FLeft;
    FStartTop = FTop;
    FStartRight = FRight;
    FStartBottom = FBottom;
    FStartRatioWH = FRatioWH;
    FStartRatioHW = FRatioHW;
}

void TTrimFrame::Track(QPoint p, TFrameKeys keys)
{
    if (FMode == tmIdle)
        return;
    const QPoint step = p - FLast;
    FLast = p;
    if (FMode == tmMove || (keys.shift && FVisible))
        ShiftFrame(step);
    else if (FMode == tmDraw)
        TrackDraw(p, keys);
    else
        TrackEdge(p, keys);
}

// The whole frame shifts; while drawing, the start corner moves along with it.
void TTrimFrame::ShiftFrame(QPoint step)
{
    FLeft += step.x();
    FRight += step.x();
    FTop += step.y();
    FBottom += step.y();
    if (FMode == tmDraw)
        FStart += step;
    else if (FMode == tmEdge) {
        FStart += step;
        FStartLeft += step.x();
        FStartRight += step.x();
        FStartTop += step.y();
        FStartBottom += step.y();
    }
    UpdateDerived();
}

// Drawing: the frame spans from the start point to the pointer.
void TTrimFrame::TrackDraw(QPoint p, TFrameKeys keys)
{
    const int x0 = FStart.x();
    const int y0 = FStart.y();
    const int dx = p.x() - x0;
    const int dy = p.y() - y0;
    if (dx == 0 || dy == 0) {
        FVisible = false;
        FLeft = FRight = x0;
        FTop = FBottom = y0;
        UpdateDerived();
        return;
    }
    int right = p.x();
    int bottom = p.y();
    if (!keys.ctrl) {
        // Keep the proportions: the side the pointer leaves shorter follows the other.
        const int h = Round(dx * FSecond / FFirst);
        if (std::abs(dy) < std::abs(h))
            bottom = y0 + Sign(dy) * std::abs(h);
        else
            right = x0 + Sign(dx) * std::abs(Round(dy * FFirst / FSecond));
    }
    FLeft = x0;
    FTop = y0;
    FRight = right;
    FBottom = bottom;
    if (keys.alt) {
        // The start point is the centre: the opposite corner mirrors the moving one.
        FLeft = x0 - (right - x0);
        FTop = y0 - (bottom - y0);
    }
    FVisible = true;
    Normalise();
    UpdateDerived();
}

// An edge bar: with Ctrl only the dragged side moves, else the frame grows about its centre.
void TTrimFrame::TrackEdge(QPoint p, TFrameKeys keys)
{
    const int dx = p.x() - FStart.x();
    const int dy = p.y() - FStart.y();
    FLeft = FStartLeft;
    FTop = FStartTop;
    FRight = FStartRight;
    FBottom = FStartBottom;
    if (keys.ctrl) {
        switch (FEdge) {
        case feLeft:
            FLeft += dx;
            break;
        case feRight:
            FRight += dx;
            break;
        case feTop:
            FTop += dy;
            break;
        case feBottom:
            FBottom += dy;
            break;
        case feNone:
            break;
        }
        Normalise();
        UpdateDerived();
        return;
    }
    // About the centre, keeping the proportions: the dragged side changes by twice the
    // movement (outward positive) and the other side follows from the ratio.
    const double cx = (FStartLeft + FStartRight) / 2.0;
    const double cy = (FStartTop + FStartBottom) / 2.0;
    double w = FStartRight - FStartLeft;
    double h = FStartBottom - FStartTop;
    switch (FEdge) {
    case feLeft:
    case feRight:
        w = std::max(0.0, w + 2.0 * (FEdge == feLeft ? -dx : dx));
        h = w * FStartRatioHW;
        break;
    case feTop:
    case feBottom:
        h = std::max(0.0, h + 2.0 * (FEdge == feTop ? -dy : dy));
        w = h * FStartRatioWH;
        break;
    case feNone:
        break;
    }
    FLeft = Round(cx - w / 2);
    FRight = FLeft + Round(w);
    FTop = Round(cy - h / 2);
    FBottom = FTop + Round(h);
    UpdateDerived();
}

bool TTrimFrame::End(QPoint p)
{
    const TMode mode = FMode;
    FMode = tmIdle;
    FEdge = feNone;
    if (mode == tmIdle)
        return FVisible;
    if (mode == tmDraw && std::abs(p.x() - FStart.x()) < kMinDrag
        && std::abs(p.y() - FStart.y()) < kMinDrag)
        FVisible = false; // too small: a click or a short drag
    if (FRight <= FLeft || FBottom <= FTop)
        FVisible = false; // an adjustment that left no area
    if (!FVisible) {
        Clear();
        return false;
    }
    UpdateFractions();
    return true;
}

void TTrimFrame::Clear()
{
    FVisible = false;
    FMode = tmIdle;
    FEdge = feNone;
    FLeft = FTop = FRight = FBottom = 0;
    FLeftF = FTopF = FRightF = FBottomF = 0;
    UpdateDerived();
}

void TTrimFrame::SetRect(int left, int top, int right, int bottom)
{
    FLeft = left;
    FTop = top;
    FRight = right;
    FBottom = bottom;
    Normalise();
    FVisible = FRight > FLeft && FBottom > FTop;
    UpdateDerived();
    UpdateFractions();
}

void TTrimFrame::SetFractions(double left, double top, double right, double bottom)
{
    FLeftF = std::min(left, right);
    FRightF = std::max(left, right);
    FTopF = std::min(top, bottom);
    FBottomF = std::max(top, bottom);
    FVisible = FRightF > FLeftF && FBottomF > FTopF;
    Rescale(FPicture);
}

void TTrimFrame::Rescale(QSize displayed)
{
    FPicture = displayed;
    if (!FVisible)
        return;
    FLeft = Round(FLeftF * displayed.width());
    FRight = Round(FRightF * displayed.width());
    FTop = Round(FTopF * displayed.height());
    FBottom = Round(FBottomF * displayed.height());
    UpdateDerived();
}

void TTrimFrame::Rotate(RotationType rotation, QSize displayed)
{
    const double l = FLeftF, t = FTopF, r = FRightF, b = FBottomF;
    switch (rotation) {
    case rt90: // clockwise: a point (x, y) goes to (1 - y, x)
        FLeftF = 1 - b;
        FRightF = 1 - t;
        FTopF = l;
        FBottomF = r;
        break;
    case rt180:
        FLeftF = 1 - r;
        FRightF = 1 - l;
        FTopF = 1 - b;
        FBottomF = 1 - t;
        break;
    case rt270: // anticlockwise: a point (x, y) goes to (y, 1 - x)
        FLeftF = t;
        FRightF = b;
        FTopF = 1 - r;
        FBottomF = 1 - l;
        break;
    case rtNone:
        break;
    }
    Rescale(displayed);
}

QRect TTrimFrame::TrimRect(QSize picture) const
{
    const auto edge = [](int size, double fraction) {
        return std::clamp(int(std::trunc(size * fraction + 0.5)), 0, size);
    };
    const int l = edge(picture.width(), FLeftF);
    const int r = edge(picture.width(), FRightF);
    const int t = edge(picture.height(), FTopF);
    const int b = edge(picture.height(), FBottomF);
    if (!FVisible || r <= l || b <= t)
        return {};
    return QRect(l, t, r - l, b - t);
}

void TTrimFrame::Normalise()
{
    if (FLeft > FRight)
        std::swap(FLeft, FRight);
    if (FTop > FBottom)
        std::swap(FTop, FBottom);
}

void TTrimFrame::UpdateDerived()
{
    const int w = FRight - FLeft;
    const int h = FBottom - FTop;
    FRatioWH = h != 0 ? double(w) / h : 0;
    FRatioHW = w != 0 ? double(h) / w : 0;
    FCentre = QPoint((FLeft + FRight) / 2, (FTop + FBottom) / 2);
}

void TTrimFrame::UpdateFractions()
{
    if (FPicture.width() <= 0 || FPicture.height() <= 0)
        return;
    FLeftF = double(FLeft) / FPicture.width();
    FRightF = double(FRight) / FPicture.width();
    FTopF = double(FTop) / FPicture.height();
    FBottomF = double(FBottom) / FPicture.height();
}

} // namespace korvatel
