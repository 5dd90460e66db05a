#include "imaging/webp_codec.h"

#include "imaging/byte_reader.h"
#include "imaging/orientation.h"

#include <algorithm>
#include <webp/decode.h>

namespace korvatel
{

namespace
{

// The payload of the file's EXIF chunk (a TIFF structure), empty when there is none. The RIFF
// chunks are walked by their lengths; a damaged chain ends the search.
QByteArray ExifChunk(const QByteArray &data)
{
    if (data.size() < 12 || !data.startsWith("RIFF") || data.mid(8, 4) != "WEBP")
        return {};
    try {
        TByteReader in(data);
        in.Seek(4);
        const qint64 end = std::min<qint64>(data.size(), qint64(in.LE32()) + 8);
        in.Seek(12);
        while (in.Position() + 8 <= end) {
            const QByteArray fourcc = data.mid(in.Position(), 4);
            in.Skip(4);
            const qint64 length = in.LE32();
            if (length > end - in.Position())
                return {};
            if (fourcc == "EXIF") {
                QByteArray exif = data.mid(in.Position(), length);
                // Some writers keep the JPEG segment's "Exif\0\0" in front of the structure.
                if (exif.startsWith(QByteArrayLiteral("Exif\0\0")))
                    exif.remove(0, 6);
                return exif;
            }
            in.Skip(length + (length & 1));
        }
    } catch (const EPictureError &) {
        // A chunk running past the end of the data carries no orientation.
    }
    return {};
}

bool Transposes(int orientation)
{
    return orientation >= 5 && orientation <= 8;
}

} // namespace

std::optional<TPictureSize> ReadWebpInfo(const QByteArray &data)
{
    WebPBitstreamFeatures features;
    if (data.isEmpty() || data.size() > kMaxPictureFileSize
        || WebPGetFeatures(reinterpret_cast<const uint8_t *>(data.constData()),
               std::size_t(data.size()), &features)
            != VP8_STATUS_OK)
        return std::nullopt;
    if (Transposes(TiffOrientation(ExifChunk(data))))
        return TPictureSize { features.height, features.width };
    return TPictureSize { features.width, features.height };
}

TBitmap DecodeWebp(const QByteArray &data)
{
    const uint8_t *bytes = reinterpret_cast<const uint8_t *>(data.constData());
    WebPBitstreamFeatures features;
    if (data.isEmpty() || data.size() > kMaxPictureFileSize
        || WebPGetFeatures(bytes, std::size_t(data.size()), &features) != VP8_STATUS_OK)
        throw EPictureError(DamagedPictureText());
    // The simple decoder reads still pictures only; the frames of an animation would need
    // composing on a canvas, which prints have no use for.
    if (features.has_animation)
        throw EPictureError(QStringLiteral("アニメーション WebP の画像は読めません。"));
    CheckBitmapSize(features.width, features.height);
    TBitmap bitmap;
    // The decoder writes every pixel of every row straight into the bitmap's rows.
    bitmap.SetSizeForWriter(features.width, features.height);
    const int stride = bitmap.BytesPerLine();
    if (!WebPDecodeBGRInto(bytes, std::size_t(data.size()), bitmap.ScanLine(0),
            std::size_t(stride) * std::size_t(bitmap.Height()), stride))
        throw EPictureError(DamagedPictureText());
    ApplyOrientation(bitmap, TiffOrientation(ExifChunk(data)));
    return bitmap;
}

} // namespace korvatel
