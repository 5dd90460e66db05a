#pragma once

#include <QImage>
#include <QString>
#include <cstdint>
#include <memory>
#include <stdexcept>
#include <utility>
#include <vector>

namespace korvatel
{

// What went wrong with a picture, for callers that answer the causes differently.
enum TPictureErrorKind : uint8_t {
    peBadData, // the data could not be decoded (damaged, truncated or of the wrong kind)
    peNoFile, // the file could not be opened or read
    peNoBitmap, // the bitmap could not be made: a size beyond the limits (CheckBitmapSize)
    peOutOfMemory, // the memory for the picture could not be had
    peEmpty, // the picture decoded to nothing
    peUnknownKind, // no reader for the file's extension
};

// A picture that could not be read, made or written. The text is the system's fixed message
// ("Gif Version must be 87a or 89a", "LoadDIBFromStream: File type is invalid", ...) and is
// shown to the user as it is; callers tell the causes apart by Kind(), never by the text.
class EPictureError : public std::runtime_error
{
public:
    explicit EPictureError(const QString &message, TPictureErrorKind kind = peBadData)
        : std::runtime_error(message.toStdString())
        , FMessage(message)
        , FKind(kind)
    {
    }
    const QString &Message() const { return FMessage; }
    TPictureErrorKind Kind() const { return FKind; }

private:
    QString FMessage;
    TPictureErrorKind FKind;
};

// What the customer reads about a picture file that cannot be read: its data cannot be decoded
// (damaged, truncated, not a picture at all), or the file cannot be opened. These replace the
// decoder libraries' own messages ("Premature end of JPEG file"); the fixed texts of the
// system's readers stay as they are.
QString DamagedPictureText();
QString CannotOpenPictureText(const QString &fileName);

// The largest picture any reader or resize will allocate, in pixels. Readers compare the size a
// header announces with it before allocating anything. Fuzzers lower it to keep runs fast.
inline constexpr int kMaxBitmapSide = 65535;
qint64 MaxBitmapPixels();
void SetMaxBitmapPixels(qint64 pixels);

// The largest picture file any reader takes in, in bytes: camera files are far below it, and it
// keeps a hostile file from filling memory before its header is even looked at.
inline constexpr qint64 kMaxPictureFileSize = qint64(1) << 30;

// Throws EPictureError unless a width × height bitmap may be made: negative sizes and sizes
// beyond MaxBitmapPixels or wider or higher than kMaxBitmapSide are refused.
void CheckBitmapSize(qint64 width, qint64 height);

// The size a picture file declares, read from its headers before anything is decoded.
struct TPictureSize {
    int width = 0;
    int height = 0;
};

// One pixel of the working bitmap, in its byte order.
struct TBgr {
    uint8_t b = 0;
    uint8_t g = 0;
    uint8_t r = 0;
    friend bool operator==(const TBgr &, const TBgr &) = default;
};

// The working bitmap: 24 bits per pixel in the order blue, green, red, each row padded to a
// multiple of 4 bytes and reached through ScanLine(y). Rows are kept top-down in memory so the
// same bytes can be shown as a QImage without copying; row y is always the y-th row from the top.
class TBitmap
{
public:
    TBitmap() = default;
    // A black bitmap; throws EPictureError when the size is refused (CheckBitmapSize).
    TBitmap(int width, int height);

    int Width() const { return FWidth; }
    int Height() const { return FHeight; }
    bool Empty() const { return FWidth <= 0 || FHeight <= 0; }
    int BytesPerLine() const { return FStride; }
    static int BytesPerLine(int width) { return (width * 3 + 3) & ~3; }

    // Resizes to width × height; the contents become black.
    void SetSize(int width, int height);
    // Resizes to width × height without clearing the pixels: only the row padding is zeroed.
    // For a writer that then sets every pixel of every row (a decoder, a resize), which saves
    // touching a camera picture's tens of megabytes twice. Throws as SetSize does.
    void SetSizeForWriter(int width, int height);
    void Clear() { SetSize(0, 0); }
    void Fill(TBgr colour);

    uint8_t *ScanLine(int y) { return FBits.data() + std::size_t(y) * std::size_t(FStride); }
    const uint8_t *ScanLine(int y) const
    {
        return FBits.data() + std::size_t(y) * std::size_t(FStride);
    }
    TBgr Pixel(int x, int y) const
    {
        const uint8_t *p = ScanLine(y) + 3 * x;
        return { p[0], p[1], p[2] };
    }
    void SetPixel(int x, int y, TBgr c)
    {
        uint8_t *p = ScanLine(y) + 3 * x;
        p[0] = c.b;
        p[1] = c.g;
        p[2] = c.r;
    }

    // The pixels as a QImage (Format_BGR888) sharing this bitmap's memory: drawing into it
    // changes the bitmap. Valid until the bitmap is resized or destroyed.
    QImage View();
    QImage View() const;

    // A copy of any QImage, converted to 24 bits (alpha is dropped).
    static TBitmap FromImage(const QImage &image);
    // A deep copy as an independent QImage.
    QImage ToImage() const { return View().copy(); }

    friend bool operator==(const TBitmap &a, const TBitmap &b);

private:
    int FWidth = 0;
    int FHeight = 0;
    int FStride = 0;
    // Leaves new bytes as they come from the allocator: SetSize clears them itself, and
    // SetSizeForWriter leaves them to the writer.
    template <class T> struct TNoInitAllocator : std::allocator<T> {
        template <class U> struct rebind {
            using other = TNoInitAllocator<U>;
        };
        TNoInitAllocator() = default;
        template <class U> TNoInitAllocator(const TNoInitAllocator<U> &) { }
        template <class U> void construct(U *p) { ::new (static_cast<void *>(p)) U; }
        template <class U, class... Args> void construct(U *p, Args &&...args)
        {
            ::new (static_cast<void *>(p)) U(std::forward<Args>(args)...);
        }
    };

    void Allocate(int width, int height);

    std::vector<uint8_t, TNoInitAllocator<uint8_t>> FBits;
};

// Windows colour value 0x00BBGGRR as a pixel.
inline TBgr ColorToBgr(uint32_t color)
{
    return { uint8_t(color >> 16), uint8_t(color >> 8), uint8_t(color) };
}

} // namespace korvatel
