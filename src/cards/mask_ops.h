#pragma once

#include "cards/card_types.h"
#include "imaging/bitmap.h"

#include <cstdint>
#include <vector>

namespace korvatel
{

// The kinds of transparency operation, by their stored numbers.
enum TMaskKind : uint8_t {
    mkColorArea = 0, // "色域": the connected area of similar colour around a point
    mkRectColor = 1, // "矩形": one colour inside a rectangle
    mkWholeColor = 2, // "全域": one colour on the whole picture
    mkProtect = 3, // "保護": a rectangle that never vanishes
};

// A set of kinds for counting and deleting: bit (1 << kind).
inline constexpr unsigned MaskKindBit(TMaskKind kind)
{
    return 1u << unsigned(kind);
}
inline constexpr unsigned kAllMaskKinds = 0xF;
inline constexpr unsigned kVanishingMaskKinds = 0x7; // kinds 0–2

// One transparency operation. Coordinates are fractions (0–1) of the picture's width and
// height in the layer's current orientation.
struct TMaskOp {
    TMaskKind kind = mkColorArea;
    uint8_t level = 32;
    double x1 = 0;
    double y1 = 0;
    double x2 = 0;
    double y2 = 0;
    TColorValue color = kNoColor;
    friend bool operator==(const TMaskOp &, const TMaskOp &) = default;
};
using TMaskOps = std::vector<TMaskOp>;

int CountMaskOps(const TMaskOps &ops, unsigned kinds);
// The n-th operation (from 0) of a kind in list order, or nullptr.
const TMaskOp *NthMaskOp(const TMaskOps &ops, TMaskKind kind, int n);
bool DeleteNthMaskOp(TMaskOps &ops, TMaskKind kind, int n);
void DeleteMaskOps(TMaskOps &ops, unsigned kinds);

// Turns the operations' coordinates with a layer turned by 90, 180 or 270 degrees, and
// mirrors them with a layer mirrored left-right or up-down.
void TurnMaskOps(TMaskOps &ops, int degrees);
void MirrorMaskOps(TMaskOps &ops, bool leftRight);

// A colour that no pixel of the picture has.
TColorValue ChooseKeyColor(const TBitmap &picture);

// The display copy with every vanishing pixel painted in the key colour.
TBitmap ApplyMaskOps(const TBitmap &display, const TMaskOps &ops, TColorValue keyColor);

} // namespace korvatel
