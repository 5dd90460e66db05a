#include "imaging/histogram.h"

#include <algorithm>
#include <cmath>
#include <functional>

namespace korvatel
{

namespace
{

template <typename T> double SecondLargest(const std::array<T, 256> &values)
{
    std::array<T, 256> sorted = values;
    std::partial_sort(sorted.begin(), sorted.begin() + 2, sorted.end(), std::greater<T>());
    return double(sorted[1]);
}

} // namespace

void THistGram::Clear(int set)
{
    FCounts[std::size_t(set)] = Counts {};
}

void THistGram::Finish(int set)
{
    Counts &c = FCounts[std::size_t(set)];
    std::array<uint64_t, 256> sums {};
    for (int i = 0; i < 256; ++i)
        sums[std::size_t(i)]
            = uint64_t(c.blue[std::size_t(i)]) + c.green[std::size_t(i)] + c.red[std::size_t(i)];
    const double colourDivisor = SecondLargest(sums);
    const double lumaDivisor = SecondLargest(c.luminance);
    const std::array<const std::array<uint32_t, 256> *, 4> series
        = { &c.blue, &c.green, &c.red, &c.luminance };
    for (int s = 0; s < 4; ++s) {
        const double divisor = s == 3 ? lumaDivisor : colourDivisor;
        for (int i = 0; i < 256; ++i)
            c.normalised[std::size_t(s)][std::size_t(i)]
                = divisor > 0 ? (*series[std::size_t(s)])[std::size_t(i)] / divisor : 0.0;
    }
}

uint32_t THistGram::Count(int set, int channel, int level) const
{
    const Counts &c = FCounts[std::size_t(set)];
    const std::array<const std::array<uint32_t, 256> *, 4> series
        = { &c.blue, &c.green, &c.red, &c.luminance };
    return (*series[std::size_t(channel)])[std::size_t(level)];
}

double THistGram::Normalised(int set, int channel, int level) const
{
    return FCounts[std::size_t(set)].normalised[std::size_t(channel)][std::size_t(level)];
}

TBitmap THistGram::Draw(int set, bool red, bool green, bool blue, bool luminance) const
{
    const Counts &c = FCounts[std::size_t(set)];
    TBitmap bitmap(258, 202);
    const TBgr background
        = luminance || (red && green && blue) ? ColorToBgr(0x6080A0) : ColorToBgr(0x808080);
    bitmap.Fill(background);
    for (int i = 0; i < 256; ++i) {
        double v = 0;
        TBgr colour;
        if (luminance) {
            v = c.normalised[3][std::size_t(i)];
            colour = { uint8_t(i), uint8_t(i), uint8_t(i) };
        } else {
            if (blue) {
                v += c.normalised[0][std::size_t(i)];
                colour.b = uint8_t(i);
            }
            if (green) {
                v += c.normalised[1][std::size_t(i)];
                colour.g = uint8_t(i);
            }
            if (red) {
                v += c.normalised[2][std::size_t(i)];
                colour.r = uint8_t(i);
            }
        }
        const int h = int(std::trunc(v * 190 + 0.5));
        // The largest bar may be taller than the picture; it is cut at the top.
        for (int y = std::max(201 - h, 0); y < 202; ++y)
            bitmap.SetPixel(i + 1, y, colour);
    }
    return bitmap;
}

THistGram &HistGram()
{
    static THistGram instance;
    return instance;
}

} // namespace korvatel
