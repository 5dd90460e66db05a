#pragma once

#include "imaging/jpeg_codec.h"

namespace korvatel
{

// The decoder's scale for a thumbnail of long side l from a JPEG whose long side m is known:
// full size below twice l, one half up to 3 × l, one quarter up to 7 × l, else one eighth.
TJpegScale ThumbnailScale(int m, int l);

// A JPEG thumbnail of long side l made from JPEG data: decoded at the scale for the known long
// side m (full size when m is 0), fitted by FitLongSide (area-averaged or stretched) and encoded
// at quality 90. Throws EPictureError.
TJpegImage MakeFitThumbnail(const QByteArray &jpeg, int l, bool area, int m);

} // namespace korvatel
