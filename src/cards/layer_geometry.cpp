#include "cards/layer_geometry.h"

#include <algorithm>
#include <cmath>

namespace korvatel
{

int LayerHandleAt(int w, int h, QPoint p)
{
    const int x = p.x(), y = p.y();
    const int fromLeft = x, fromRight = w - 1 - x, fromTop = y, fromBottom = h - 1 - y;
    // A corner needs the point in the corner's 10 × 10 square and close along both axes.
    auto corner
        = [](int dx, int dy) { return dx >= 0 && dx < 10 && dy >= 0 && dy < 10 && dx + dy <= 15; };
    if (corner(fromLeft, fromTop))
        return lhTopLeft;
    if (corner(fromLeft, fromBottom))
        return lhBottomLeft;
    if (corner(fromRight, fromTop))
        return lhTopRight;
    if (corner(fromRight, fromBottom))
        return lhBottomRight;
    const int column = x < 5 ? 0 : (x >= w - 5 ? 20 : 10);
    const int row = y <= 4 ? 0 : (y >= h - 5 ? 2 : 1);
    return column + row;
}

TStageCursor HandleCursor(int handle, bool sizeLocked, bool fitted)
{
    if (fitted)
        return scDefault;
    if (sizeLocked)
        return scNo;
    switch (handle) {
    case lhTopLeft:
    case lhBottomRight:
        return scSizeNWSE;
    case lhBottomLeft:
    case lhTopRight:
        return scSizeNESW;
    case lhLeft:
    case lhRight:
        return scSizeWE;
    case lhTop:
    case lhBottom:
        return scSizeNS;
    default:
        return scMove;
    }
}

TStageCursor EditModeCursor(int editMode)
{
    switch (editMode) {
    case 1:
    case 2:
        return scPicker;
    case 3:
    case 4:
        return scRectangle;
    case 5:
        return scProtect;
    case 6:
        return scTrim;
    default:
        return scDefault;
    }
}

QRect TEdges::Normalised() const
{
    const int l = std::min(left, right), r = std::max(left, right);
    const int t = std::min(top, bottom), b = std::max(top, bottom);
    return QRect(l, t, r - l, b - t);
}

TEdges DragEdges(const QRect &start, int handle, int dx, int dy, bool ctrl, double ratio)
{
    TEdges e = TEdges::Of(start);
    if (handle == lhMove) {
        e.left += dx;
        e.right += dx;
        e.top += dy;
        e.bottom += dy;
        return e;
    }
    const int column = handle / 10, row = handle % 10;
    if (column == 0)
        e.left += dx;
    else if (column == 2)
        e.right += dx;
    if (row == 0)
        e.top += dy;
    else if (row == 2)
        e.bottom += dy;
    if (ctrl || ratio <= 0)
        return e;
    if (row == 1) {
        // Left or right edge: the height follows the width about the vertical centre.
        const int h = int(std::lround(ratio * e.Width()));
        const int centre2 = start.top() * 2 + start.height();
        e.top = (centre2 - h) / 2;
        e.bottom = e.top + h;
    } else if (column == 1) {
        const int w = int(std::lround(e.Height() / ratio));
        const int centre2 = start.left() * 2 + start.width();
        e.left = (centre2 - w) / 2;
        e.right = e.left + w;
    } else {
        const double w = (e.Width() + e.Height()) / (ratio + 1);
        const int nw = int(std::lround(w)), nh = int(std::lround(ratio * w));
        if (column == 0)
            e.left = e.right - nw;
        else
            e.right = e.left + nw;
        if (row == 0)
            e.top = e.bottom - nh;
        else
            e.bottom = e.top + nh;
    }
    return e;
}

QRect ZoomRect(const QRect &start, QPointF grabFraction, QPoint mouse, int travelX, double ratio)
{
    const double w = std::max(1.0, start.width() + travelX * start.width() * 0.01);
    const double h = std::max(1.0, ratio * w);
    const int left = int(std::lround(mouse.x() - grabFraction.x() * w));
    const int top = int(std::lround(mouse.y() - grabFraction.y() * h));
    return QRect(left, top, int(std::lround(w)), int(std::lround(h)));
}

QString FitModeCaption(int mode)
{
    static const char *const captions[]
        = { "自由", "上端伸張", "下端伸張", "左端伸張", "右端伸張", "全面伸張" };
    return mode >= 0 && mode <= 5 ? QString::fromUtf8(captions[mode]) : QString();
}

QRect FitRect(QSize stage, const QRect &layer, int mode)
{
    if (mode <= fmFree || mode > fmFillStage || layer.width() <= 0 || layer.height() <= 0)
        return layer;
    const double a = double(stage.width()) / layer.width();
    const double b = double(stage.height()) / layer.height();
    auto scaled = [&](double s) {
        return QSize(int(std::lround(layer.width() * s)), int(std::lround(layer.height() * s)));
    };
    switch (mode) {
    case fmFillWidthTop:
        return QRect(QPoint(0, 0), scaled(a));
    case fmFillWidthBottom: {
        const QSize s = scaled(a);
        return QRect(QPoint(0, stage.height() - s.height()), s);
    }
    case fmFillHeightLeft:
        return QRect(QPoint(0, 0), scaled(b));
    case fmFillHeightRight: {
        const QSize s = scaled(b);
        return QRect(QPoint(stage.width() - s.width(), 0), s);
    }
    default: {
        const QSize s = scaled(std::max(a, b));
        return QRect(QPoint((stage.width() - s.width()) / 2, (stage.height() - s.height()) / 2), s);
    }
    }
}

QString DistributeSortKey(int position, int size, int index)
{
    return QString::asprintf("%10d|%5d:%2d", position, size, index);
}

namespace
{

void AlignOne(QRect &r, const QRect &client, int code)
{
    const bool vertical = code / 10 == 1;
    const int lo = vertical ? client.top() : client.left();
    const int hi = lo + (vertical ? client.height() : client.width());
    const int size = vertical ? r.height() : r.width();
    int pos = vertical ? r.top() : r.left();
    switch (code % 10) {
    case 0:
        pos = lo;
        break;
    case 1:
        pos = (lo + hi - size) / 2;
        break;
    case 2:
        pos = hi - size;
        break;
    }
    if (vertical)
        r.moveTop(pos);
    else
        r.moveLeft(pos);
}

void Distribute(std::vector<QRect> &rects, int code)
{
    const int n = int(rects.size());
    if (n < 3)
        return;
    const bool vertical = code / 10 == 1;
    const int unit = code % 10;
    auto position = [&](const QRect &r) {
        const int lo = vertical ? r.top() : r.left();
        const int size = vertical ? r.height() : r.width();
        return unit == 3 ? lo : (unit == 4 ? lo + size / 2 : lo + size);
    };
    std::vector<std::pair<QString, int>> keys;
    for (int i = 0; i < n; ++i)
        keys.emplace_back(DistributeSortKey(position(rects[i]),
                              vertical ? rects[i].height() : rects[i].width(), i),
            i);
    std::sort(keys.begin(), keys.end());
    const int first = position(rects[keys.front().second]);
    const int last = position(rects[keys.back().second]);
    for (int k = 0; k < n; ++k) {
        QRect &r = rects[keys[k].second];
        const int target = first + int(std::lround(double(last - first) * k / (n - 1)));
        const int shift = target - position(r);
        r.translate(vertical ? 0 : shift, vertical ? shift : 0);
    }
}

} // namespace

std::vector<QRect> AlignRects(const QRect &client, const std::vector<QRect> &rects, int code)
{
    std::vector<QRect> out = rects;
    if (code == kAlignCentreBoth) {
        for (QRect &r : out) {
            AlignOne(r, client, 1);
            AlignOne(r, client, 11);
        }
        return out;
    }
    const int unit = code % 10;
    if (unit <= 2) {
        for (QRect &r : out)
            AlignOne(r, client, code);
    } else if (unit <= 5) {
        Distribute(out, code);
    }
    return out;
}

std::vector<QRect> MatchSizes(const std::vector<QRect> &rects, bool heights, bool largest)
{
    std::vector<QRect> out = rects;
    if (rects.empty())
        return out;
    auto side = [heights](const QRect &r) { return heights ? r.height() : r.width(); };
    int target = side(rects.front());
    for (const QRect &r : rects)
        target = largest ? std::max(target, side(r)) : std::min(target, side(r));
    for (QRect &r : out) {
        const int s = side(r);
        if (s <= 0 || s == target || (largest ? s > target : s < target))
            continue;
        const double k = double(target) / s;
        const QPoint c2(r.left() * 2 + r.width(), r.top() * 2 + r.height());
        const int w = heights ? int(std::lround(r.width() * k)) : target;
        const int h = heights ? target : int(std::lround(r.height() * k));
        r = QRect((c2.x() - w) / 2, (c2.y() - h) / 2, w, h);
    }
    return out;
}

QRect TrimRectToPicture(const QRect &trim, QSize control, QSize picture, int rotation,
    bool mirrorLeftRight, bool mirrorUpDown)
{
    if (control.isEmpty() || picture.isEmpty())
        return {};
    double u[2] = { double(trim.left()) / control.width(),
        double(trim.left() + trim.width()) / control.width() };
    double v[2] = { double(trim.top()) / control.height(),
        double(trim.top() + trim.height()) / control.height() };
    // Undo the mirrors, then the turn: the display copy is the picture turned, then mirrored.
    for (int i = 0; i < 2; ++i) {
        if (mirrorLeftRight)
            u[i] = 1 - u[i];
        if (mirrorUpDown)
            v[i] = 1 - v[i];
    }
    double bx[2], by[2];
    for (int i = 0; i < 2; ++i) {
        switch (rotation) {
        case 90:
            bx[i] = v[i];
            by[i] = 1 - u[i];
            break;
        case 180:
            bx[i] = 1 - u[i];
            by[i] = 1 - v[i];
            break;
        case 270:
            bx[i] = 1 - v[i];
            by[i] = u[i];
            break;
        default:
            bx[i] = u[i];
            by[i] = v[i];
            break;
        }
    }
    const int l = int(std::lround(std::min(bx[0], bx[1]) * picture.width()));
    const int r = int(std::lround(std::max(bx[0], bx[1]) * picture.width()));
    const int t = int(std::lround(std::min(by[0], by[1]) * picture.height()));
    const int b = int(std::lround(std::max(by[0], by[1]) * picture.height()));
    return QRect(l, t, r - l, b - t).intersected(QRect(QPoint(0, 0), picture));
}

QPointF ControlFraction(QPoint p, QSize control)
{
    if (control.isEmpty())
        return { 0, 0 };
    return { std::clamp(double(p.x()) / control.width(), 0.0, 1.0),
        std::clamp(double(p.y()) / control.height(), 0.0, 1.0) };
}

QRect NewLayerRect(QSize stage, QSize picture)
{
    const int qw = std::max(1, stage.width() / 4), qh = std::max(1, stage.height() / 4);
    if (picture.isEmpty())
        return QRect(0, 0, qw, qh);
    if (qint64(picture.width()) * qh > qint64(picture.height()) * qw) {
        const int h
            = std::max(1, int(std::lround(double(qw) * picture.height() / picture.width())));
        return QRect(0, 0, qw, h);
    }
    const int w = std::max(1, int(std::lround(double(qh) * picture.width() / picture.height())));
    return QRect(0, 0, w, qh);
}

QRect CoverCrop(QSize picture, QSize target)
{
    if (picture.isEmpty() || target.isEmpty())
        return QRect(QPoint(0, 0), picture);
    if (qint64(picture.width()) * target.height() > qint64(picture.height()) * target.width()) {
        const int w = std::clamp(
            int(std::lround(double(picture.height()) * target.width() / target.height())), 1,
            picture.width());
        return QRect((picture.width() - w) / 2, 0, w, picture.height());
    }
    const int h
        = std::clamp(int(std::lround(double(picture.width()) * target.height() / target.width())),
            1, picture.height());
    return QRect(0, (picture.height() - h) / 2, picture.width(), h);
}

} // namespace korvatel
