#include "imaging/effects.h"

#include <QTransform>
#include <algorithm>
#include <cmath>

namespace korvatel
{

void RotateImage(TBitmap &bitmap, RotationType rotation)
{
    if (rotation == rtNone || bitmap.Empty())
        return;
    const int W = bitmap.Width();
    const int H = bitmap.Height();
    TBitmap dest;
    if (rotation == rt180) {
        dest.SetSize(W, H);
        for (int y = 0; y < H; ++y) {
            const uint8_t *in = bitmap.ScanLine(H - 1 - y);
            uint8_t *out = dest.ScanLine(y);
            for (int x = 0; x < W; ++x) {
                const uint8_t *p = in + 3 * (W - 1 - x);
                out[3 * x] = p[0];
                out[3 * x + 1] = p[1];
                out[3 * x + 2] = p[2];
            }
        }
    } else if (rotation == rt90 || rotation == rt270) {
        dest.SetSize(H, W);
        for (int y = 0; y < W; ++y) {
            uint8_t *out = dest.ScanLine(y);
            for (int x = 0; x < H; ++x) {
                const TBgr p
                    = rotation == rt90 ? bitmap.Pixel(y, H - 1 - x) : bitmap.Pixel(W - 1 - y, x);
                out[3 * x] = p.b;
                out[3 * x + 1] = p.g;
                out[3 * x + 2] = p.r;
            }
        }
    } else {
        return;
    }
    bitmap = std::move(dest);
}

void FlipImage(TBitmap &bitmap, bool horizontal, bool vertical)
{
    if (bitmap.Empty())
        return;
    const int W = bitmap.Width();
    const int H = bitmap.Height();
    if (horizontal) {
        for (int y = 0; y < H; ++y) {
            uint8_t *row = bitmap.ScanLine(y);
            for (int a = 0, b = W - 1; a < b; ++a, --b) {
                for (int ch = 0; ch < 3; ++ch)
                    std::swap(row[3 * a + ch], row[3 * b + ch]);
            }
        }
    }
    if (vertical) {
        const int bytes = 3 * W;
        for (int a = 0, b = H - 1; a < b; ++a, --b)
            std::swap_ranges(bitmap.ScanLine(a), bitmap.ScanLine(a) + bytes, bitmap.ScanLine(b));
    }
}

void ToneEffect(TBitmap &bitmap, int kind, const QRect &rect)
{
    const int left = std::max(rect.left(), 0);
    const int top = std::max(rect.top(), 0);
    // QRect's right() and bottom() are inclusive.
    const int right = std::min(rect.right() + 1, bitmap.Width());
    const int bottom = std::min(rect.bottom() + 1, bitmap.Height());
    if (left >= right || top >= bottom || kind < 1 || kind > 8)
        return;
    int lo = 765;
    int hi = 0;
    if (kind == 8) {
        for (int y = top; y < bottom; ++y) {
            const uint8_t *p = bitmap.ScanLine(y) + 3 * left;
            for (int x = left; x < right; ++x, p += 3) {
                const int sum = p[0] + p[1] + p[2];
                lo = std::min(lo, sum);
                hi = std::max(hi, sum);
            }
        }
    }
    for (int y = top; y < bottom; ++y) {
        uint8_t *p = bitmap.ScanLine(y) + 3 * left;
        for (int x = left; x < right; ++x, p += 3) {
            uint8_t &b = p[0];
            uint8_t &g = p[1];
            uint8_t &r = p[2];
            switch (kind) {
            case 1:
                b = uint8_t((3 * b >> 2) + 64);
                g = uint8_t((3 * g >> 2) + 64);
                r = uint8_t((3 * r >> 2) + 64);
                break;
            case 2:
                b = uint8_t((b >> 1) | 128);
                g = uint8_t((g >> 1) | 128);
                r = uint8_t((r >> 1) | 128);
                break;
            case 3:
                b = g = r = uint8_t((r + g + b) / 3);
                break;
            case 4:
                b = g = r = uint8_t((r + g + b) / 6 + 128);
                break;
            case 5:
                r = uint8_t((r >> 1) | 128);
                break;
            case 6:
                g = uint8_t((g >> 1) | 128);
                break;
            case 7:
                b = uint8_t((b >> 1) | 128);
                break;
            case 8: {
                const int sum = r + g + b;
                // A rectangle of one brightness has nothing to stretch: its sums are kept.
                // (sum − lo) × (765 − lo) / (hi − lo) with one division, so the brightest sum
                // comes to exactly 765.
                const double stretched
                    = hi > lo ? double((sum - lo) * (765 - lo)) / (hi - lo) + lo : double(sum);
                const int c = int(std::trunc(stretched / 3));
                r = uint8_t(c);
                g = uint8_t(std::trunc(c * 0.8));
                b = uint8_t(std::trunc(c * 0.4));
                break;
            }
            }
        }
    }
}

void ToneEffect(TBitmap &bitmap, int kind)
{
    ToneEffect(bitmap, kind, QRect(0, 0, bitmap.Width(), bitmap.Height()));
}

void SoftenEdges(TBitmap &bitmap, int width, TBgr towards)
{
    if (width < 1)
        return;
    const int w = bitmap.Width();
    const int h = bitmap.Height();
    const auto blend = [](uint8_t from, uint8_t to, double keep) {
        return uint8_t(std::lround(to + (from - to) * keep));
    };
    for (int y = 0; y < h; ++y) {
        const int dy = std::min(y, h - 1 - y);
        for (int x = 0; x < w; ++x) {
            const int d = std::min({ dy, x, w - 1 - x });
            if (d >= width)
                continue;
            // A smooth step from the edge (d = 0) to the inside (d = width).
            const double t = (d + 0.5) / width;
            const double keep = t * t * (3 - 2 * t);
            const TBgr p = bitmap.Pixel(x, y);
            bitmap.SetPixel(x, y,
                { blend(p.b, towards.b, keep), blend(p.g, towards.g, keep),
                    blend(p.r, towards.r, keep) });
        }
    }
}

TBitmap RotateFree(const TBitmap &bitmap, double degrees, TBgr fill)
{
    if (bitmap.Empty())
        return {};
    QImage source = bitmap.View().convertToFormat(QImage::Format_ARGB32);
    QTransform turn;
    turn.rotate(degrees);
    const QImage turned
        = source.transformed(turn, Qt::SmoothTransformation).convertToFormat(QImage::Format_ARGB32);
    CheckBitmapSize(turned.width(), turned.height());
    TBitmap result(turned.width(), turned.height());
    for (int y = 0; y < turned.height(); ++y) {
        const auto *line = reinterpret_cast<const QRgb *>(turned.constScanLine(y));
        for (int x = 0; x < turned.width(); ++x) {
            const QRgb c = line[x];
            result.SetPixel(x, y,
                qAlpha(c) >= 128 ? TBgr { uint8_t(qBlue(c)), uint8_t(qGreen(c)), uint8_t(qRed(c)) }
                                 : fill);
        }
    }
    return result;
}

} // namespace korvatel
