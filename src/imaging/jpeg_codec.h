#pragma once

#include "imaging/bitmap.h"

#include <QByteArray>
#include <QString>
#include <optional>

namespace korvatel
{

// The decoder's DCT scaling: 1/1, 1/2, 1/4 or 1/8 of the stored size (rounded up).
enum TJpegScale { jsFullSize, jsHalf, jsQuarter, jsEighth };

struct TJpegInfo {
    int width = 0;
    int height = 0;
};

// The stored size from the frame header; nullopt when the data is not a readable JPEG.
std::optional<TJpegInfo> ReadJpegInfo(const QByteArray &data);

// Decodes JPEG data at the given scale into a 24-bit bitmap. Corrupt or truncated data throw
// EPictureError with DamagedPictureText(), a picture over the size limit (CheckBitmapSize) with
// the limit's text.
TBitmap DecodeJpeg(const QByteArray &data, TJpegScale scale = jsFullSize);

// Encodes a bitmap as baseline JPEG at quality 1..100. Throws EPictureError on an empty bitmap.
QByteArray EncodeJpeg(const TBitmap &bitmap, int quality);

// A JPEG picture held as its compressed bytes, as a picture holder keeps it: decoded on demand
// at its scale, and saved unchanged.
class TJpegImage
{
public:
    bool Empty() const { return FData.isEmpty(); }
    void Clear();
    // Stored size of the picture (not scaled); 0 × 0 when empty.
    int Width() const { return FWidth; }
    int Height() const { return FHeight; }

    TJpegScale Scale = jsFullSize;
    int CompressionQuality = 90;

    // Takes JPEG data; throws EPictureError when the header cannot be read (the image is then
    // empty).
    void LoadFromData(const QByteArray &data);
    // Reads a file; throws EPictureError when it cannot be read or is not a JPEG.
    void LoadFromFile(const QString &fileName);
    // Writes the held bytes atomically; false when empty or the write failed.
    bool SaveToFile(const QString &fileName) const;
    const QByteArray &Data() const { return FData; }

    // Encodes the bitmap at CompressionQuality and holds the result.
    void Assign(const TBitmap &bitmap);
    // Decodes at Scale. Throws EPictureError.
    TBitmap ToBitmap() const;

private:
    QByteArray FData;
    int FWidth = 0;
    int FHeight = 0;
};

} // namespace korvatel
