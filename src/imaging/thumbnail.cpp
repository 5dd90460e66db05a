#include "imaging/thumbnail.h"

#include "imaging/resample.h"

namespace korvatel
{

TJpegScale ThumbnailScale(int m, int l)
{
    if (m <= 0 || l <= 0)
        return jsFullSize;
    const int ratio = m / l;
    if (ratio < 2)
        return jsFullSize;
    if (ratio < 4)
        return jsHalf;
    if (ratio < 8)
        return jsQuarter;
    return jsEighth;
}

TJpegImage MakeFitThumbnail(const QByteArray &jpeg, int l, bool area, int m)
{
    const TBitmap decoded = DecodeJpeg(jpeg, ThumbnailScale(m, l));
    if (decoded.Width() < 1 || decoded.Height() < 1)
        throw EPictureError(QStringLiteral("Empty picture"), peEmpty);
    TJpegImage thumbnail;
    thumbnail.CompressionQuality = 90;
    FitLongSide(l, thumbnail, decoded, area);
    return thumbnail;
}

} // namespace korvatel
