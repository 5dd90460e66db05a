#pragma once

#include "imaging/bitmap.h"
#include "imaging/jpeg_codec.h"

#include <QString>
#include <variant>

namespace korvatel
{

// The silent abort of an operation: the caller stops without a message.
class EAbort : public std::runtime_error
{
public:
    EAbort()
        : std::runtime_error("Operation aborted")
    {
    }
};

// A picture holder: empty, a bitmap or a JPEG image kept compressed (so that saving it as JPEG
// writes the bytes unchanged).
class TPicture
{
public:
    void Clear() { FGraphic = std::monostate {}; }
    bool HasGraphic() const { return !std::holds_alternative<std::monostate>(FGraphic); }
    bool IsJpeg() const { return std::holds_alternative<TJpegImage>(FGraphic); }
    bool IsBitmap() const { return std::holds_alternative<TBitmap>(FGraphic); }
    const TJpegImage *Jpeg() const { return std::get_if<TJpegImage>(&FGraphic); }
    TJpegImage *Jpeg() { return std::get_if<TJpegImage>(&FGraphic); }
    const TBitmap *Bitmap() const { return std::get_if<TBitmap>(&FGraphic); }
    TBitmap *Bitmap() { return std::get_if<TBitmap>(&FGraphic); }
    int Width() const;
    int Height() const;

    void Assign(TBitmap bitmap) { FGraphic = std::move(bitmap); }
    void Assign(TJpegImage jpeg) { FGraphic = std::move(jpeg); }

    // The graphic as a 24-bit bitmap (a JPEG image decoded at its scale). Throws
    // EPictureError; an empty holder gives an empty bitmap.
    TBitmap ToBitmap() const;

    // The holder's own loader by the file's kind: JPEG, Windows bitmap, GIF, PNG, TIFF, WebP,
    // HEIF and AVIF. TIFF, WebP, HEIF and AVIF pictures come stood upright by the file's own
    // orientation (ExifOrientationOf gives 1 for them); a JPEG is kept as stored. Metafiles
    // have no reader on this platform. Throws EPictureError when the file cannot be loaded.
    void LoadFromFile(const QString &fileName);

private:
    std::variant<std::monostate, TBitmap, TJpegImage> FGraphic;
};

// Clears the holder and loads the file into it. False when must-exist is set and the file is
// missing, for kind 0, and for a GIF that does not read; other kinds raise EPictureError when
// they fail.
bool LoadPicture(TPicture &picture, const QString &fileName, bool mustExist);

// Loads the file into the bitmap. False when must-exist is set and the file is missing, and for
// kind 0, which loads nothing. A file that fails to load raises EAbort.
bool LoadBitmapFile(TBitmap &bitmap, const QString &fileName, bool mustExist);

// Writes the picture in the format of the file name's kind: JPEG at quality 100 (a JPEG image
// unchanged; on failure a ".BMP" bitmap with bitmapFallback, else a second try at quality 90),
// Windows bitmap, GIF. Metafiles, PNG and other kinds write nothing and give false.
bool SavePicture(const QString &fileName, const TPicture &picture, bool bitmapFallback);
bool SavePicture(const QString &fileName, const TBitmap &bitmap, bool bitmapFallback);

// A ".cci" picture: an 11-byte header the program does not read, then a JPEG stream. A missing
// file gives false; unreadable JPEG data raises EPictureError.
bool LoadCciJpeg(TJpegImage &jpeg, const QString &fileName);
// The same decoded into a bitmap or held in a picture holder (cleared on failure); false on
// any failure.
bool LoadCciJpeg(TBitmap &bitmap, const QString &fileName);
bool LoadCciJpeg(TPicture &picture, const QString &fileName);

} // namespace korvatel
