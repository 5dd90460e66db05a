#include "sources/thumb_plan.h"

#include "imaging/thumbnail.h"
#include "sources/thumb_paths.h"

#include <algorithm>

namespace korvatel
{

namespace
{

// The cell size an Exif thumbnail serves as it is; every further 110 enlarges it once more.
constexpr int kExifThumbCell = 110;
// Cells up to this width show the camera's thumbnail in every mode.
constexpr int kSmallCellWidth = 179;

} // namespace

TThumbPlan ThumbnailPlan(const TThumbRequest &request)
{
    const int mode = request.mode;
    const bool jpeg = request.kind == ikJpeg;
    TThumbPlan plan;
    plan.exifThumb = jpeg && request.exifSizes
        && (mode == 6 || mode == 7 || request.cellWidth <= kSmallCellWidth);
    if (plan.exifThumb) {
        const int factor = request.cellSize / kExifThumbCell;
        plan.exifEnlarge = mode == 6 || factor < 1 ? 0 : factor + 1;
    }
    // Every known kind goes to the picture loader; metafiles fail there like a damaged file.
    plan.decodable = request.kind != ikNone;
    // The Exif sizes let a large JPEG be decoded at a fraction; modes 7 and 8 decode in full.
    if (jpeg && request.exifSizes && mode != 7 && mode != 8)
        plan.jpegScale = ThumbnailScale(request.exifLongSide, ThumbnailLongSide(mode));
    // Without them the frame header tells the size just as well, before anything is decoded.
    plan.scaleFromHeader = jpeg && !request.exifSizes && mode != 7 && mode != 8;
    plan.whole = jpeg && mode == 8;
    plan.longSide = ThumbnailLongSide(mode);
    plan.area = ThumbnailAreaAverage(mode);
    return plan;
}

TJpegScale DecodeScale(const TThumbPlan &plan, const QByteArray &jpeg)
{
    if (!plan.scaleFromHeader)
        return plan.jpegScale;
    const std::optional<TJpegInfo> info = ReadJpegInfo(jpeg);
    return info ? ThumbnailScale(std::max(info->width, info->height), plan.longSide)
                : plan.jpegScale;
}

} // namespace korvatel
