#pragma once

#include "imaging/bitmap.h"

#include <array>

namespace korvatel
{

// The level counts of the uncorrected (set 0) and the corrected picture (set 1) of the colour
// correction: blue, green, red and luminance Y = (299 R + 587 G + 114 B) div 1000.
class THistGram
{
public:
    static constexpr int kSets = 2;

    void Clear(int set);
    void AddPixel(int set, TBgr pixel)
    {
        Counts &c = FCounts[std::size_t(set)];
        ++c.blue[pixel.b];
        ++c.green[pixel.g];
        ++c.red[pixel.r];
        ++c.luminance[(299 * pixel.r + 587 * pixel.g + 114 * pixel.b) / 1000];
    }
    // Normalises the counts: the colour channels by the second-largest (blue + green + red)
    // count over the levels, luminance by its second-largest count; a divisor of 0 gives 0.
    void Finish(int set);
    // The 258 × 202 drawing of the set with the switched-on series.
    TBitmap Draw(int set, bool red, bool green, bool blue, bool luminance) const;

    uint32_t Count(int set, int channel, int level) const; // channel 0 B, 1 G, 2 R, 3 Y
    double Normalised(int set, int channel, int level) const;

private:
    struct Counts {
        std::array<uint32_t, 256> blue {};
        std::array<uint32_t, 256> green {};
        std::array<uint32_t, 256> red {};
        std::array<uint32_t, 256> luminance {};
        std::array<std::array<double, 256>, 4> normalised {};
    };
    std::array<Counts, kSets> FCounts {};
};

// The one shared histogram, made on first use.
THistGram &HistGram();

} // namespace korvatel
