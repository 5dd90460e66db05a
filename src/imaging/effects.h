#pragma once

#include "imaging/bitmap.h"
#include "imaging/picture_kinds.h"

#include <QRect>

namespace korvatel
{

// Turns the bitmap: rt90 a quarter turn clockwise, rt180 a half turn, rt270 a quarter turn
// anticlockwise; rtNone leaves it.
void RotateImage(TBitmap &bitmap, RotationType rotation);

// Mirrors the bitmap: the horizontal flag reverses every row, the vertical flag the row order.
void FlipImage(TBitmap &bitmap, bool horizontal, bool vertical);

// Applies tone effect kind 1..8 (lighten, wash out, grey, light grey, red, green, blue tint,
// sepia) to the pixels of rect (right and bottom exclusive, clipped to the bitmap). Other kinds
// and an empty rectangle change nothing.
void ToneEffect(TBitmap &bitmap, int kind, const QRect &rect);
void ToneEffect(TBitmap &bitmap, int kind);

// Softens the bitmap's edges: a pixel closer than width to the nearest edge is blended towards
// the colour by how close it is (the outermost pixels become nearly that colour); the inside
// keeps its pixels. A width below 1 changes nothing.
void SoftenEdges(TBitmap &bitmap, int width, TBgr towards);

// The bitmap turned clockwise by any angle, in a bitmap just large enough to hold it. The
// corners it leaves uncovered are the fill colour exactly, so they can be keyed out; edge pixels
// are either picture or fill, never a blend of both.
TBitmap RotateFree(const TBitmap &bitmap, double degrees, TBgr fill);

} // namespace korvatel
