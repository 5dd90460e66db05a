#include "cards/mask_ops.h"

#include <QRect>
#include <algorithm>
#include <cmath>

namespace korvatel
{

int CountMaskOps(const TMaskOps &ops, unsigned kinds)
{
    return int(std::count_if(ops.begin(), ops.end(),
        [kinds](const TMaskOp &op) { return kinds & MaskKindBit(op.kind); }));
}

const TMaskOp *NthMaskOp(const TMaskOps &ops, TMaskKind kind, int n)
{
    for (const TMaskOp &op : ops)
        if (op.kind == kind && n-- == 0)
            return &op;
    return nullptr;
}

bool DeleteNthMaskOp(TMaskOps &ops, TMaskKind kind, int n)
{
    for (auto it = ops.begin(); it != ops.end(); ++it)
        if (it->kind == kind && n-- == 0) {
            ops.erase(it);
            return true;
        }
    return false;
}

void DeleteMaskOps(TMaskOps &ops, unsigned kinds)
{
    std::erase_if(ops, [kinds](const TMaskOp &op) { return kinds & MaskKindBit(op.kind); });
}

namespace
{

void TurnPoint(double &x, double &y, int degrees)
{
    const double ox = x, oy = y;
    switch (degrees) {
    case 90:
        x = 1 - oy;
        y = ox;
        break;
    case 180:
        x = 1 - ox;
        y = 1 - oy;
        break;
    case 270:
        x = oy;
        y = 1 - ox;
        break;
    default:
        break;
    }
}

} // namespace

void TurnMaskOps(TMaskOps &ops, int degrees)
{
    for (TMaskOp &op : ops) {
        switch (op.kind) {
        case mkColorArea:
            TurnPoint(op.x1, op.y1, degrees);
            break;
        case mkRectColor:
        case mkProtect:
            TurnPoint(op.x1, op.y1, degrees);
            TurnPoint(op.x2, op.y2, degrees);
            break;
        case mkWholeColor:
            break;
        }
    }
}

void MirrorMaskOps(TMaskOps &ops, bool leftRight)
{
    for (TMaskOp &op : ops) {
        if (op.kind == mkWholeColor)
            continue;
        if (leftRight) {
            op.x1 = 1 - op.x1;
            if (op.kind != mkColorArea)
                op.x2 = 1 - op.x2;
        } else {
            op.y1 = 1 - op.y1;
            if (op.kind != mkColorArea)
                op.y2 = 1 - op.y2;
        }
    }
}

TColorValue ChooseKeyColor(const TBitmap &picture)
{
    bool used[3][256] = {};
    for (int y = 0; y < picture.Height(); ++y) {
        const uint8_t *p = picture.ScanLine(y);
        for (int x = 0; x < picture.Width(); ++x, p += 3) {
            used[0][p[2]] = true;
            used[1][p[1]] = true;
            used[2][p[0]] = true;
        }
    }
    // A value that no pixel has in one channel is enough: any colour with it is unused.
    int free[3] = { -1, -1, -1 };
    for (int c = 0; c < 3; ++c)
        for (int v = 0; v < 256 && free[c] < 0; ++v)
            if (!used[c][v])
                free[c] = v;
    if (free[0] >= 0 || free[1] >= 0 || free[2] >= 0) {
        const int r = std::max(free[0], 0), g = std::max(free[1], 0), b = std::max(free[2], 0);
        return TColorValue(r) | (TColorValue(g) << 8) | (TColorValue(b) << 16);
    }
    // Every value occurs in every channel: look for a red and green pair with a blue no pixel
    // of that pair has. The picture has fewer pixels than 2^24 colours only sometimes, so the
    // search may come back empty; pure white is the answer then.
    std::vector<uint8_t> seen(size_t(1) << 21, 0); // one bit per colour
    for (int y = 0; y < picture.Height(); ++y) {
        const uint8_t *p = picture.ScanLine(y);
        for (int x = 0; x < picture.Width(); ++x, p += 3) {
            const uint32_t v = (uint32_t(p[2]) << 16) | (uint32_t(p[1]) << 8) | p[0];
            seen[v >> 3] |= uint8_t(1u << (v & 7));
        }
    }
    for (uint32_t v = 0; v < (1u << 24); ++v)
        if (!(seen[v >> 3] & (1u << (v & 7))))
            return ((v >> 16) & 0xFF) | (v & 0xFF00) | ((v & 0xFF) << 16);
    return 0xFFFFFF;
}

namespace
{

struct TBounds {
    int lo[3];
    int hi[3];
    bool Holds(const uint8_t *p) const
    {
        return p[2] >= lo[0] && p[2] <= hi[0] && p[1] >= lo[1] && p[1] <= hi[1] && p[0] >= lo[2]
            && p[0] <= hi[2];
    }
};

TBounds BoundsAround(TBgr c, int level)
{
    const int v[3] = { c.r, c.g, c.b };
    TBounds b;
    for (int i = 0; i < 3; ++i) {
        b.lo[i] = std::clamp(v[i] - level, 0, 255);
        b.hi[i] = std::clamp(v[i] + level, 0, 255);
    }
    return b;
}

int ToPixel(double fraction, int size)
{
    return int(std::lround(fraction * size));
}

class TMaskPainter
{
public:
    TMaskPainter(const TBitmap &source, const TMaskOps &ops, TColorValue key)
        : FSource(source)
        , FOut(source)
        , FKey(BgrOf(key))
    {
        const int w = source.Width(), h = source.Height();
        for (const TMaskOp &op : ops)
            if (op.kind == mkProtect) {
                const QRect r = QRect(QPoint(ToPixel(op.x1, w), ToPixel(op.y1, h)),
                    QPoint(ToPixel(op.x2, w), ToPixel(op.y2, h)))
                                    .normalized();
                FProtect.push_back(r);
            }
    }

    bool Protected(int x, int y) const
    {
        for (const QRect &r : FProtect)
            if (r.contains(x, y))
                return true;
        return false;
    }

    void ColorArea(const TMaskOp &op)
    {
        const int w = FSource.Width(), h = FSource.Height();
        const int sx = std::clamp(ToPixel(op.x1, w), 0, w - 1);
        const int sy = std::clamp(ToPixel(op.y1, h), 0, h - 1);
        const TBounds b = BoundsAround(FSource.Pixel(sx, sy), op.level);
        if (FVisited.empty())
            FVisited.assign(size_t(w) * size_t(h), 0);
        std::fill(FVisited.begin(), FVisited.end(), 0);
        auto fillable = [&](int x, int y) {
            return !FVisited[size_t(y) * w + x] && !Protected(x, y)
                && b.Holds(FSource.ScanLine(y) + 3 * x);
        };
        if (!fillable(sx, sy))
            return;
        // Scan-line fill: take the whole span of the seed's row, paint it, then seed the rows
        // above and below at every start of a fillable run along the span.
        std::vector<QPoint> stack { QPoint(sx, sy) };
        while (!stack.empty()) {
            const QPoint seed = stack.back();
            stack.pop_back();
            const int y = seed.y();
            if (!fillable(seed.x(), y))
                continue;
            int left = seed.x(), right = seed.x();
            while (left > 0 && fillable(left - 1, y))
                --left;
            while (right < w - 1 && fillable(right + 1, y))
                ++right;
            for (int x = left; x <= right; ++x) {
                FVisited[size_t(y) * w + x] = 1;
                FOut.SetPixel(x, y, FKey);
            }
            for (int ny : { y - 1, y + 1 }) {
                if (ny < 0 || ny >= h)
                    continue;
                bool inRun = false;
                for (int x = left; x <= right; ++x) {
                    const bool f = fillable(x, ny);
                    if (f && !inRun)
                        stack.emplace_back(x, ny);
                    inRun = f;
                }
            }
        }
    }

    void RectColor(const TMaskOp &op)
    {
        const int w = FSource.Width(), h = FSource.Height();
        double x1 = op.x1, y1 = op.y1, x2 = op.x2, y2 = op.y2;
        if (op.kind == mkWholeColor) {
            x1 = y1 = 0;
            x2 = y2 = 1;
        }
        const int left = std::clamp(ToPixel(std::min(x1, x2), w), 0, w - 1);
        const int right = std::clamp(ToPixel(std::max(x1, x2), w), 0, w - 1);
        const int top = std::clamp(ToPixel(std::min(y1, y2), h), 0, h - 1);
        const int bottom = std::clamp(ToPixel(std::max(y1, y2), h), 0, h - 1);
        const TBounds b = BoundsAround(BgrOf(op.color), op.level);
        for (int y = top; y <= bottom; ++y) {
            const uint8_t *p = FSource.ScanLine(y);
            for (int x = left; x <= right; ++x)
                if (b.Holds(p + 3 * x) && !Protected(x, y))
                    FOut.SetPixel(x, y, FKey);
        }
    }

    TBitmap Take() { return std::move(FOut); }

private:
    const TBitmap &FSource;
    TBitmap FOut;
    TBgr FKey;
    std::vector<QRect> FProtect;
    std::vector<uint8_t> FVisited;
};

} // namespace

TBitmap ApplyMaskOps(const TBitmap &display, const TMaskOps &ops, TColorValue keyColor)
{
    if (display.Empty())
        return display;
    TMaskPainter painter(display, ops, keyColor);
    for (const TMaskOp &op : ops)
        if (op.kind == mkColorArea)
            painter.ColorArea(op);
    for (const TMaskOp &op : ops)
        if (op.kind == mkRectColor || op.kind == mkWholeColor)
            painter.RectColor(op);
    return painter.Take();
}

} // namespace korvatel
