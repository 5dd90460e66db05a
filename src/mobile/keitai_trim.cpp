#include "mobile/keitai_trim.h"

#include <algorithm>
#include <cmath>

namespace korvatel
{

TKeitaiCrop TKeitaiCrop::FromArray(const double (&values)[4])
{
    return { values[0], values[1], values[2], values[3] };
}

void TKeitaiCrop::ToArray(double (&values)[4]) const
{
    values[0] = left;
    values[1] = top;
    values[2] = right;
    values[3] = bottom;
}

QSize KeitaiFrameSize(int w, int h)
{
    const int inner = h > 0 ? int(std::lround(double(std::max(w, 0)) * 221.0 / h)) : 0;
    return { inner + 2, 223 };
}

QRect KeitaiFrameRect(const QSize &panel, int w, int h)
{
    const QSize size = KeitaiFrameSize(w, h);
    return { (panel.width() - size.width()) / 2, (panel.height() - size.height()) / 2, size.width(),
        size.height() };
}

QRect KeitaiInnerRect(const QRect &frame)
{
    return frame.adjusted(1, 1, -1, -1);
}

QRect KeitaiPlacement(const QRect &frame, const QSize &picture, const TKeitaiCrop &crop)
{
    const QRect inner = KeitaiInnerRect(frame);
    if (picture.isEmpty())
        return { inner.topLeft(), QSize(0, 0) };
    if (!crop.IsSet()) {
        const int height
            = int(std::lround(double(picture.height()) * inner.width() / picture.width()));
        return { inner.left(), inner.top(), inner.width(), std::max(height, 1) };
    }
    const double spanX = crop.right - crop.left;
    const double spanY = crop.bottom - crop.top;
    const double scaleX = spanX != 0 ? inner.width() / spanX : 0;
    const double scaleY = spanY != 0 ? inner.height() / spanY : 0;
    // Stored fractions come from a file: a scale beyond any screen is cut, not followed.
    constexpr double kMaxSide = 100000;
    const double w = std::clamp(scaleX, 0.0, kMaxSide);
    const double h = std::clamp(scaleY, 0.0, kMaxSide);
    const double left = std::clamp(frame.left() - w * crop.left + 1, -kMaxSide, kMaxSide);
    const double top = std::clamp(frame.top() - h * crop.top + 1, -kMaxSide, kMaxSide);
    return { int(std::lround(left)), int(std::lround(top)), int(std::lround(w)),
        int(std::lround(h)) };
}

TKeitaiCrop KeitaiRecord(const QRect &frame, const QRect &control)
{
    if (control.width() <= 0 || control.height() <= 0)
        return {};
    const QRect inner = KeitaiInnerRect(frame);
    const double w = control.width();
    const double h = control.height();
    TKeitaiCrop crop;
    crop.left = (inner.left() - control.left()) / w;
    crop.top = (inner.top() - control.top()) / h;
    crop.right = (inner.left() + inner.width() - control.left()) / w;
    crop.bottom = (inner.top() + inner.height() - control.top()) / h;
    return crop;
}

int KeitaiMoveLimit(int frame, int picture)
{
    const auto div = [](int a, int b) { return int(std::lround(double(a) / b)); };
    const int limit = frame < picture ? std::min(div(frame, 20), div(picture, 30))
                                      : std::max(div(frame, 30), div(picture, 20));
    return std::max(limit, 1);
}

int KeitaiNextStep(int step, int limit)
{
    return std::min(step + limit / 11 + 1, limit);
}

namespace
{

// Moves one axis of the control by delta, keeping at least one pixel over the frame; true
// when the axis reached its bound (or had nothing to do).
bool MoveAxis(int &start, int size, int frameStart, int frameSize, int delta)
{
    if (delta == 0)
        return true;
    const int low = frameStart - size + 1;
    const int high = frameStart + frameSize - 1;
    const int wanted = start + delta;
    start = std::clamp(wanted, std::min(low, high), std::max(low, high));
    return start != wanted;
}

} // namespace

TKeitaiMove KeitaiMove(const QRect &control, const QRect &frame, int tag, const QPoint &step)
{
    int dx = 0;
    int dy = 0;
    if (tag & kmLeft)
        dx += step.x();
    if (tag & kmRight)
        dx -= step.x();
    if (tag & kmUp)
        dy += step.y();
    if (tag & kmDown)
        dy -= step.y();
    int left = control.left();
    int top = control.top();
    TKeitaiMove move;
    move.stoppedX = MoveAxis(left, control.width(), frame.left(), frame.width(), dx);
    move.stoppedY = MoveAxis(top, control.height(), frame.top(), frame.height(), dy);
    move.control = QRect(left, top, control.width(), control.height());
    return move;
}

std::optional<QRect> KeitaiZoom(const QRect &control, const QRect &frame, int tag, bool repeat)
{
    if (control.width() <= 0 || control.height() <= 0)
        return std::nullopt;
    const QRect inner = KeitaiInnerRect(frame);
    QRect covered = inner.intersected(control);
    if (covered.isEmpty())
        covered = inner;
    // The anchor as a point of the panel and as a fraction of the picture.
    const double ax = covered.left() + covered.width() / 2.0;
    const double ay = covered.top() + covered.height() / 2.0;
    const double fx = (ax - control.left()) / control.width();
    const double fy = (ay - control.top()) / control.height();
    const double s = repeat ? 0.05 : 0.01;
    const double w = control.width();
    double width = w;
    switch (tag) {
    case 0:
        width = w - 2.5 * s * w;
        break;
    case 1:
        width = w - s * w;
        break;
    case 2:
        width = w + s * w + 1;
        break;
    default:
        width = w + 2.5 * s * w + 1;
        break;
    }
    const int newWidth = int(width);
    if (newWidth <= 2)
        return std::nullopt;
    constexpr int kMaxSide = 100000;
    if (newWidth > kMaxSide)
        return control;
    const int newHeight
        = std::max(1, int(std::lround(double(newWidth) * control.height() / control.width())));
    return QRect(int(std::lround(ax - fx * newWidth)), int(std::lround(ay - fy * newHeight)),
        newWidth, newHeight);
}

QRect KeitaiFit(const QRect &control, const QRect &frame, TKeitaiFit fit, const QSize &picture)
{
    const QRect inner = KeitaiInnerRect(frame);
    QRect r = control;
    switch (fit) {
    case kfLeft:
        r.moveLeft(inner.left());
        break;
    case kfRight:
        r.moveLeft(inner.left() + inner.width() - r.width());
        break;
    case kfTop:
        r.moveTop(inner.top());
        break;
    case kfBottom:
        r.moveTop(inner.top() + inner.height() - r.height());
        break;
    case kfMidH:
        r.moveLeft(inner.left() + (inner.width() - r.width()) / 2);
        break;
    case kfMidV:
        r.moveTop(inner.top() + (inner.height() - r.height()) / 2);
        break;
    case kfWidth:
        r = KeitaiPlacement(frame, picture, {});
        break;
    case kfHeight: {
        if (picture.isEmpty())
            break;
        const int width = std::max(
            1, int(std::lround(double(picture.width()) * inner.height() / picture.height())));
        r = QRect(inner.left() + (inner.width() - width) / 2, inner.top(), width, inner.height());
        break;
    }
    }
    return r;
}

QRect KeitaiTurn(const QRect &control, const QRect &frame, int quarterTurns)
{
    const QRect inner = KeitaiInnerRect(frame);
    const double cx = inner.left() + inner.width() / 2.0;
    const double cy = inner.top() + inner.height() / 2.0;
    double fx = control.width() > 0 ? (cx - control.left()) / control.width() : 0.5;
    double fy = control.height() > 0 ? (cy - control.top()) / control.height() : 0.5;
    int w = control.width();
    int h = control.height();
    // A clockwise quarter turn takes the point at (fx, fy) of the picture to (1 − fy, fx).
    for (int i = 0; i < ((quarterTurns % 4) + 4) % 4; ++i) {
        const double nx = 1 - fy;
        fy = fx;
        fx = nx;
        std::swap(w, h);
    }
    return QRect(int(std::lround(cx - fx * w)), int(std::lround(cy - fy * h)), w, h);
}

QRect KeitaiCentreOn(const QRect &control, const QRect &frame, const QPoint &point)
{
    const QRect inner = KeitaiInnerRect(frame);
    const QPoint centre(inner.left() + inner.width() / 2, inner.top() + inner.height() / 2);
    return control.translated(centre - point);
}

QRectF KeitaiSourceRect(const QSize &picture, const TKeitaiCrop &crop, int w, int h)
{
    const double pw = picture.width();
    const double ph = picture.height();
    if (!crop.IsSet()) {
        const double height = w > 0 ? pw * h / w : ph;
        return { 0, 0, pw, height };
    }
    return { crop.left * pw, crop.top * ph, (crop.right - crop.left) * pw,
        (crop.bottom - crop.top) * ph };
}

} // namespace korvatel
