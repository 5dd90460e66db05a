#include "imaging/resample.h"

#include "imaging/jpeg_codec.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>
#if defined(__x86_64__)
#include <emmintrin.h>
#endif

namespace korvatel
{

namespace
{

void AssertSource(const TBitmap &source)
{
    if (source.Width() < 1 || source.Height() < 1)
        throw EPictureError(QStringLiteral("Assertion failure"));
}

int Clamp(long v, int last)
{
    return v < 0 ? 0 : (v > last ? last : int(v));
}

// Rounds half to even, the processor's default rounding. On x86-64 the conversion instruction
// that lrint uses is inlined: a call into the maths library per channel costs a fifth of an
// enlarged thumbnail's time.
inline uint8_t Round(double v)
{
#if defined(__x86_64__)
    return uint8_t(_mm_cvtsd_si64(_mm_set_sd(v)));
#else
    return uint8_t(std::lrint(v));
#endif
}

// The covered part of one source cell [q, q + 1] by the span [s0, s1]: its width and the mean
// position inside the cell.
struct TCover {
    int q;
    double w;
    double m;
};

std::vector<std::vector<TCover>> Covers(int destSize, double scale)
{
    std::vector<std::vector<TCover>> all(static_cast<std::size_t>(destSize));
    for (int i = 0; i < destSize; ++i) {
        const double s0 = i * scale - 0.5;
        const double s1 = (i + 1) * scale - 0.500001;
        for (long q = long(std::floor(s0)); q <= long(std::floor(s1)); ++q) {
            const double qd = double(q);
            TCover c { int(q), 0, 0 };
            const bool startsBefore = qd > s0;
            const bool endsBeyond = qd + 1 < s1;
            if (startsBefore && endsBeyond) {
                c.w = 1;
                c.m = 0.5;
            } else if (!startsBefore && endsBeyond) {
                c.w = 1 - (s0 - qd);
                c.m = ((s0 - qd) + 1) / 2;
            } else if (startsBefore && !endsBeyond) {
                c.w = s1 - qd;
                c.m = (s1 - qd) / 2;
            } else {
                c.w = s1 - s0;
                c.m = ((s1 - qd) + (s0 - qd)) / 2;
            }
            all[std::size_t(i)].push_back(c);
        }
    }
    return all;
}

} // namespace

TBitmap ResizeBilinear(const TBitmap &source, int w, int h)
{
    AssertSource(source);
    TBitmap dest(w, h);
    if (dest.Empty())
        return dest;
    const int W = source.Width();
    const int H = source.Height();
    const double sx = double(W) / w;
    const double sy = double(H) / h;
    std::vector<int> xa(static_cast<std::size_t>(w)), xb(static_cast<std::size_t>(w));
    std::vector<double> fxs(static_cast<std::size_t>(w));
    for (int i = 0; i < w; ++i) {
        const double fx0 = (i + 0.5) * sx - 0.5;
        const double x0 = std::floor(fx0);
        fxs[std::size_t(i)] = fx0 - x0;
        xa[std::size_t(i)] = 3 * Clamp(long(x0), W - 1);
        xb[std::size_t(i)] = 3 * Clamp(long(x0) + 1, W - 1);
    }
    // Per output column and channel, the parts of the value that depend only on the pair of
    // source rows in use: t = a + (b - a) fx, r = c - a, s = (a - b - c + d) fx. Each output row
    // is then (t + r fy) + s fy, the same sum in the same order as the whole formula, and an
    // enlarged picture computes them once per source row pair instead of once per output row.
    const std::size_t values = std::size_t(3) * std::size_t(w);
    std::vector<double> t(values), r(values), s(values);
    int pairA = -1;
    int pairB = -1;
    for (int j = 0; j < h; ++j) {
        const double fy0 = (j + 0.5) * sy - 0.5;
        const double y0 = std::floor(fy0);
        const double fy = fy0 - y0;
        const int ya = Clamp(long(y0), H - 1);
        const int yb = Clamp(long(y0) + 1, H - 1);
        if (ya != pairA || yb != pairB) {
            const uint8_t *r0 = source.ScanLine(ya);
            const uint8_t *r1 = source.ScanLine(yb);
            for (int i = 0; i < w; ++i) {
                const double fx = fxs[std::size_t(i)];
                const int ia = xa[std::size_t(i)];
                const int ib = xb[std::size_t(i)];
                for (int ch = 0; ch < 3; ++ch) {
                    const double a = r0[ia + ch];
                    const double b = r0[ib + ch];
                    const double c = r1[ia + ch];
                    const double d = r1[ib + ch];
                    const std::size_t k = std::size_t(3 * i + ch);
                    t[k] = a + (b - a) * fx;
                    r[k] = c - a;
                    s[k] = (a - b - c + d) * fx;
                }
            }
            pairA = ya;
            pairB = yb;
        }
        uint8_t *out = dest.ScanLine(j);
        const double *tk = t.data();
        const double *rk = r.data();
        const double *sk = s.data();
        std::size_t k = 0;
#if defined(__x86_64__)
        // Four values at a time: the same sums, rounded half to even by the same conversion.
        const __m128d f = _mm_set1_pd(fy);
        for (; k + 4 <= values; k += 4) {
            const __m128d lo
                = _mm_add_pd(_mm_add_pd(_mm_loadu_pd(tk + k), _mm_mul_pd(_mm_loadu_pd(rk + k), f)),
                    _mm_mul_pd(_mm_loadu_pd(sk + k), f));
            const __m128d hi = _mm_add_pd(
                _mm_add_pd(_mm_loadu_pd(tk + k + 2), _mm_mul_pd(_mm_loadu_pd(rk + k + 2), f)),
                _mm_mul_pd(_mm_loadu_pd(sk + k + 2), f));
            const __m128i ints = _mm_unpacklo_epi64(_mm_cvtpd_epi32(lo), _mm_cvtpd_epi32(hi));
            const __m128i bytes = _mm_packus_epi16(_mm_packs_epi32(ints, ints), ints);
            const int four = _mm_cvtsi128_si32(bytes);
            std::memcpy(out + k, &four, 4);
        }
#endif
        for (; k < values; ++k)
            out[k] = Round(tk[k] + rk[k] * fy + sk[k] * fy);
    }
    return dest;
}

TBitmap ResizeAreaAverage(const TBitmap &source, int w, int h)
{
    AssertSource(source);
    TBitmap dest(w, h);
    if (dest.Empty())
        return dest;
    const int W = source.Width();
    const int H = source.Height();
    const double sx = double(W) / w;
    const double sy = double(H) / h;
    const double area = (double(W) * double(H)) / w / h;
    const std::vector<std::vector<TCover>> columns = Covers(w, sx);
    const std::vector<std::vector<TCover>> rows = Covers(h, sy);
    for (int j = 0; j < h; ++j) {
        uint8_t *out = dest.ScanLine(j);
        for (int i = 0; i < w; ++i) {
            double sum[3] = { 0, 0, 0 };
            for (const TCover &cy : rows[std::size_t(j)]) {
                const uint8_t *r0 = source.ScanLine(Clamp(cy.q, H - 1));
                const uint8_t *r1 = source.ScanLine(Clamp(long(cy.q) + 1, H - 1));
                for (const TCover &cx : columns[std::size_t(i)]) {
                    const int ia = 3 * Clamp(cx.q, W - 1);
                    const int ib = 3 * Clamp(long(cx.q) + 1, W - 1);
                    const double weight = cx.w * cy.w;
                    for (int ch = 0; ch < 3; ++ch) {
                        const double a = r0[ia + ch];
                        const double b = r0[ib + ch];
                        const double c = r1[ia + ch];
                        const double d = r1[ib + ch];
                        sum[ch] += weight
                            * (a + (b - a) * cx.m + (c - a) * cy.m + (a - b - c + d) * cx.m * cy.m);
                    }
                }
            }
            for (int ch = 0; ch < 3; ++ch)
                out[3 * i + ch] = Round(sum[ch] / area);
        }
    }
    return dest;
}

TBitmap StretchDraw(const TBitmap &source, int w, int h)
{
    TBitmap dest(w, h);
    if (dest.Empty() || source.Empty())
        return dest;
    const qint64 W = source.Width();
    const qint64 H = source.Height();
    std::vector<int> xs(static_cast<std::size_t>(w));
    for (int i = 0; i < w; ++i)
        xs[std::size_t(i)] = int(((2 * i + 1) * W) / (2 * qint64(w))) * 3;
    for (int j = 0; j < h; ++j) {
        const uint8_t *in = source.ScanLine(int(((2 * j + 1) * H) / (2 * qint64(h))));
        uint8_t *out = dest.ScanLine(j);
        for (int i = 0; i < w; ++i, out += 3) {
            const uint8_t *p = in + xs[std::size_t(i)];
            out[0] = p[0];
            out[1] = p[1];
            out[2] = p[2];
        }
    }
    return dest;
}

QSize FitLongSideSize(int n, int width, int height)
{
    // A very thin picture would get a side of 0 pixels, which no bitmap or JPEG can have.
    if (height < width)
        return { n, std::max(1, int(std::trunc(double(height) * n / width + 0.5))) };
    if (height <= 0)
        return { 0, 0 };
    return { std::max(1, int(std::trunc(double(width) * n / height + 0.5))), n };
}

TBitmap FitLongSide(int n, const TBitmap &source, bool area)
{
    const QSize size = FitLongSideSize(n, source.Width(), source.Height());
    return area ? ResizeAreaAverage(source, size.width(), size.height())
                : StretchDraw(source, size.width(), size.height());
}

void FitLongSide(int n, TJpegImage &target, const TBitmap &source, bool area)
{
    target.Assign(FitLongSide(n, source, area));
}

bool EnlargeExifThumb(const TBitmap &bitmap, TJpegImage &target, int k)
{
    try {
        const TBitmap large = ResizeBilinear(bitmap, k * bitmap.Width(), k * bitmap.Height());
        TJpegImage result;
        result.Scale = target.Scale;
        result.CompressionQuality = target.CompressionQuality;
        result.Assign(large);
        target = std::move(result);
        return true;
    } catch (const std::exception &) {
        return false;
    }
}

void PseudoDoublePrecision(TBitmap &bitmap)
{
    if (bitmap.Empty())
        return;
    try {
        const int W = bitmap.Width();
        const int H = bitmap.Height();
        TBitmap dest(2 * W - 1, 2 * H - 1);
        for (int y = 0; y < H; ++y) {
            const uint8_t *in = bitmap.ScanLine(y);
            uint8_t *out = dest.ScanLine(2 * y);
            for (int x = 0; x < W; ++x) {
                for (int ch = 0; ch < 3; ++ch) {
                    out[6 * x + ch] = in[3 * x + ch];
                    if (x < W - 1)
                        out[6 * x + 3 + ch] = uint8_t((in[3 * x + ch] + in[3 * x + 3 + ch]) >> 1);
                }
            }
        }
        for (int y = 0; y + 1 < H; ++y) {
            const uint8_t *above = dest.ScanLine(2 * y);
            const uint8_t *below = dest.ScanLine(2 * y + 2);
            uint8_t *out = dest.ScanLine(2 * y + 1);
            for (int i = 0; i < 3 * dest.Width(); ++i)
                out[i] = uint8_t((above[i] + below[i]) >> 1);
        }
        bitmap = std::move(dest);
    } catch (const std::exception &) {
        // The bitmap keeps its size and content.
    }
}

} // namespace korvatel
