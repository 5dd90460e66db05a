#pragma once

#include "imaging/jpeg_codec.h"
#include "imaging/picture_kinds.h"

namespace korvatel
{

// What is known of a picture when its browser thumbnail is to be made.
struct TThumbRequest {
    int mode = 0; // the thumbnail mode, 0..8
    int kind = ikNone; // ImageKindOf the file name
    // The Exif block was read with the picture's sizes, and they still count: they go after the
    // camera's own thumbnail could not be used.
    bool exifSizes = false;
    int exifLongSide = 0; // the long side the Exif block gives
    int cellWidth = 0; // the width of the cell rectangle
    int cellSize = 0; // the grid's cell size value
};

// How the thumbnail is made: the camera's thumbnail first when the plan says so, else the
// picture decoded and fitted.
struct TThumbPlan {
    // A small cell or an Exif mode shows the camera's own thumbnail, enlarged exifEnlarge times
    // when that is above 0; nothing is stored.
    bool exifThumb = false;
    int exifEnlarge = 0;
    // The picture can be decoded: a JPEG at jpegScale, any other picture at full size.
    bool decodable = false;
    TJpegScale jpegScale = jsFullSize;
    // A JPEG without Exif sizes takes its scale from its frame header (DecodeScale).
    bool scaleFromHeader = false;
    // Mode 8 shows a JPEG whole: it is neither fitted nor stored.
    bool whole = false;
    // Otherwise fitted to longSide, area-averaged or stretched, and stored.
    int longSide = 0;
    bool area = false;
};

// The plan of the browser's thumbnail rules; the browser and the command line's "thumb" make
// their thumbnails by it.
TThumbPlan ThumbnailPlan(const TThumbRequest &request);

// The DCT scale the JPEG data is decoded at by the plan: the plan's own, or, when the plan
// takes it from the frame header, the strongest reduction that still gives the thumbnail's long
// side (the full size for data whose header does not read).
TJpegScale DecodeScale(const TThumbPlan &plan, const QByteArray &jpeg);

} // namespace korvatel
