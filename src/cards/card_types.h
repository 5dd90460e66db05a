#pragma once

#include "imaging/bitmap.h"

#include <cstdint>

namespace korvatel
{

// A colour value as the card files store it: 0x00BBGGRR.
using TColorValue = uint32_t;

// The "none" colour value: no transparent colour is set.
inline constexpr TColorValue kNoColor = 0x1FFFFFFF;

inline TColorValue ColorValueOf(TBgr c)
{
    return TColorValue(c.r) | (TColorValue(c.g) << 8) | (TColorValue(c.b) << 16);
}

inline TBgr BgrOf(TColorValue v)
{
    return { uint8_t((v >> 16) & 0xFF), uint8_t((v >> 8) & 0xFF), uint8_t(v & 0xFF) };
}

// A place on the card stage: left, top, right and bottom as fractions of the stage's width and
// height. A layer's relative position and a plate entry's Rect are both kept this way.
struct TRelRect {
    double left = 0;
    double top = 0;
    double right = 0;
    double bottom = 0;
    friend bool operator==(const TRelRect &, const TRelRect &) = default;
};

} // namespace korvatel
