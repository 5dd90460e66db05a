#pragma once

#include "imaging/bitmap.h"

namespace korvatel
{

class TJpegImage;

// Bilinear resize to exactly w × h: destination pixel centres are mapped onto the source, the
// four neighbours (clamped at the edges) are interpolated and the result rounded half to even.
// Throws EPictureError("Assertion failure") for a source without pixels.
TBitmap ResizeBilinear(const TBitmap &source, int w, int h);

// Area-integration resize ("積分法"): each destination pixel is the integral of the bilinear
// surface of the source over the pixel's span, divided by its area and rounded half to even.
// Throws EPictureError("Assertion failure") for a source without pixels.
TBitmap ResizeAreaAverage(const TBitmap &source, int w, int h);

// Nearest-neighbour stretch onto w × h, the window system's stretch drawing of a picture.
TBitmap StretchDraw(const TBitmap &source, int w, int h);

// The size whose long side is n, the other side scaled and rounded (at least 1 pixel).
QSize FitLongSideSize(int n, int width, int height);

// Scales the source so that its long side is n: by ResizeAreaAverage with the area flag,
// otherwise by StretchDraw.
TBitmap FitLongSide(int n, const TBitmap &source, bool area);
// The same, encoded into the target JPEG image at its quality.
void FitLongSide(int n, TJpegImage &target, const TBitmap &source, bool area);

// ResizeBilinear to k times the size, encoded into the target. False (target unchanged) when
// anything fails.
bool EnlargeExifThumb(const TBitmap &bitmap, TJpegImage &target, int k);

// Enlarges in place to (2W − 1) × (2H − 1), putting the average of each pair of neighbours
// between them. The bitmap is left as it was when that fails.
void PseudoDoublePrecision(TBitmap &bitmap);

} // namespace korvatel
