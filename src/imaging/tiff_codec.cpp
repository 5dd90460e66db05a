#include "imaging/tiff_codec.h"

#include "imaging/orientation.h"

#include <algorithm>
#include <climits>
#include <cstdarg>
#include <cstring>
#include <memory>
#include <tiffio.h>
#include <vector>

namespace korvatel
{

namespace
{

// The file's bytes as libtiff reads them, through the client procedures below.
struct TMemoryFile {
    const uint8_t *data = nullptr;
    toff_t size = 0;
    toff_t pos = 0;
};

tsize_t ReadProc(thandle_t handle, void *buffer, tsize_t count)
{
    TMemoryFile *file = static_cast<TMemoryFile *>(handle);
    if (count <= 0 || file->pos >= file->size)
        return 0;
    const toff_t n = std::min<toff_t>(toff_t(count), file->size - file->pos);
    std::memcpy(buffer, file->data + file->pos, std::size_t(n));
    file->pos += n;
    return tsize_t(n);
}

tsize_t WriteProc(thandle_t, void *, tsize_t)
{
    return 0;
}

toff_t SeekProc(thandle_t handle, toff_t offset, int whence)
{
    TMemoryFile *file = static_cast<TMemoryFile *>(handle);
    toff_t base = 0;
    if (whence == SEEK_CUR)
        base = file->pos;
    else if (whence == SEEK_END)
        base = file->size;
    // Offsets come from the file; one beyond any file this reader takes is an error.
    if (offset > toff_t(kMaxPictureFileSize) || base + offset > toff_t(kMaxPictureFileSize))
        return toff_t(-1);
    file->pos = base + offset;
    return file->pos;
}

int CloseProc(thandle_t)
{
    return 0;
}

toff_t SizeProc(thandle_t handle)
{
    return static_cast<TMemoryFile *>(handle)->size;
}

int MapProc(thandle_t, void **, toff_t *)
{
    return 0;
}

void UnmapProc(thandle_t, void *, toff_t)
{
}

// libtiff's messages go to standard error unless a handler takes them; a customer's damaged
// file is reported through EPictureError instead.
int QuietHandler(TIFF *, void *, const char *, const char *, va_list)
{
    return 1;
}

struct TTiffCloser {
    void operator()(TIFF *tiff) const { TIFFClose(tiff); }
};
using TTiffHandle = std::unique_ptr<TIFF, TTiffCloser>;

TTiffHandle OpenTiff(const QByteArray &data, TMemoryFile &file)
{
    if (data.isEmpty() || data.size() > kMaxPictureFileSize)
        return nullptr;
    file.data = reinterpret_cast<const uint8_t *>(data.constData());
    file.size = toff_t(data.size());
    TIFFOpenOptions *options = TIFFOpenOptionsAlloc();
    if (!options)
        return nullptr;
    // No single buffer libtiff makes (a strip, a tile, a table) may pass what the largest
    // allowed picture needs at 16 bits in four channels.
    TIFFOpenOptionsSetMaxSingleMemAlloc(
        options, tmsize_t(std::max<qint64>(MaxBitmapPixels(), 1)) * 8);
    TIFFOpenOptionsSetErrorHandlerExtR(options, QuietHandler, nullptr);
    TIFFOpenOptionsSetWarningHandlerExtR(options, QuietHandler, nullptr);
    // "m": no memory mapping, so libtiff copies what it reads and never touches the caller's
    // bytes.
    TTiffHandle tiff(TIFFClientOpenExt("picture", "rm", &file, ReadProc, WriteProc, SeekProc,
        CloseProc, SizeProc, MapProc, UnmapProc, options));
    TIFFOpenOptionsFree(options);
    return tiff;
}

struct TDeclared {
    uint32_t width = 0;
    uint32_t height = 0;
    int orientation = 1;
};

std::optional<TDeclared> ReadDeclared(TIFF *tiff)
{
    TDeclared declared;
    uint16_t orientation = ORIENTATION_TOPLEFT;
    if (!TIFFGetField(tiff, TIFFTAG_IMAGEWIDTH, &declared.width)
        || !TIFFGetField(tiff, TIFFTAG_IMAGELENGTH, &declared.height) || declared.width == 0
        || declared.height == 0)
        return std::nullopt;
    TIFFGetFieldDefaulted(tiff, TIFFTAG_ORIENTATION, &orientation);
    declared.orientation = orientation >= 1 && orientation <= 8 ? orientation : 1;
    return declared;
}

// libtiff multiplies colours by an unassociated alpha (it composes the picture on black).
// Marked as associated, the colours pass as they are stored, as the other readers keep them.
void KeepColoursUnderAlpha(TIFF *tiff)
{
    uint16_t count = 0;
    uint16_t *kinds = nullptr;
    if (!TIFFGetField(tiff, TIFFTAG_EXTRASAMPLES, &count, &kinds) || count == 0
        || kinds[0] != EXTRASAMPLE_UNASSALPHA)
        return;
    std::vector<uint16_t> associated(kinds, kinds + count);
    associated[0] = EXTRASAMPLE_ASSOCALPHA;
    TIFFSetField(tiff, TIFFTAG_EXTRASAMPLES, count, associated.data());
}

struct TRgbaImage {
    TIFFRGBAImage image {};
    bool begun = false;
    ~TRgbaImage()
    {
        if (begun)
            TIFFRGBAImageEnd(&image);
    }
};

} // namespace

std::optional<TPictureSize> ReadTiffInfo(const QByteArray &data)
{
    TMemoryFile file;
    const TTiffHandle tiff = OpenTiff(data, file);
    if (!tiff)
        return std::nullopt;
    const std::optional<TDeclared> declared = ReadDeclared(tiff.get());
    if (!declared || declared->width > uint32_t(INT_MAX) || declared->height > uint32_t(INT_MAX))
        return std::nullopt;
    if (declared->orientation >= 5)
        return TPictureSize { int(declared->height), int(declared->width) };
    return TPictureSize { int(declared->width), int(declared->height) };
}

TBitmap DecodeTiff(const QByteArray &data)
{
    TMemoryFile file;
    const TTiffHandle tiff = OpenTiff(data, file);
    if (!tiff)
        throw EPictureError(DamagedPictureText());
    const std::optional<TDeclared> declared = ReadDeclared(tiff.get());
    if (!declared)
        throw EPictureError(DamagedPictureText());
    CheckBitmapSize(declared->width, declared->height);
    const int width = int(declared->width);
    const int height = int(declared->height);

    char message[1024];
    if (!TIFFRGBAImageOK(tiff.get(), message))
        throw EPictureError(DamagedPictureText());
    KeepColoursUnderAlpha(tiff.get());
    TRgbaImage rgba;
    if (!TIFFRGBAImageBegin(&rgba.image, tiff.get(), 1, message))
        throw EPictureError(DamagedPictureText());
    rgba.begun = true;
    // Rows come as they are stored; ApplyOrientation turns the picture once, all eight ways
    // (libtiff itself would only flip, never transpose).
    rgba.image.req_orientation = rgba.image.orientation;

    // A strip or a row of tiles at a time: asking for fewer rows would decode the same strip
    // again for every piece.
    uint32_t chunk = 0;
    if (TIFFIsTiled(tiff.get()))
        TIFFGetField(tiff.get(), TIFFTAG_TILELENGTH, &chunk);
    else
        TIFFGetFieldDefaulted(tiff.get(), TIFFTAG_ROWSPERSTRIP, &chunk);
    const int rows = int(std::clamp<uint32_t>(chunk, 1, uint32_t(height)));
    std::vector<uint32_t> raster(std::size_t(width) * std::size_t(rows));

    TBitmap bitmap;
    bitmap.SetSizeForWriter(width, height); // every row is written below
    for (int top = 0; top < height; top += rows) {
        const int count = std::min(rows, height - top);
        rgba.image.row_offset = top;
        rgba.image.col_offset = 0;
        if (!TIFFRGBAImageGet(&rgba.image, raster.data(), uint32_t(width), uint32_t(count)))
            throw EPictureError(DamagedPictureText());
        const uint32_t *in = raster.data();
        for (int y = top; y < top + count; ++y) {
            uint8_t *out = bitmap.ScanLine(y);
            for (int x = 0; x < width; ++x, ++in, out += 3) {
                out[0] = uint8_t(TIFFGetB(*in));
                out[1] = uint8_t(TIFFGetG(*in));
                out[2] = uint8_t(TIFFGetR(*in));
            }
        }
    }
    ApplyOrientation(bitmap, declared->orientation);
    return bitmap;
}

} // namespace korvatel
