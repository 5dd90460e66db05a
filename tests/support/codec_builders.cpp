#include "support/codec_builders.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtEndian>
#include <cstdlib>
#include <libheif/heif.h>
#include <tiffio.h>
#include <vector>
#include <webp/encode.h>

namespace korvatel::test
{

namespace
{

void AppendLE32(QByteArray &out, uint32_t value)
{
    char bytes[4];
    qToLittleEndian(value, bytes);
    out.append(bytes, 4);
}

void AppendChunk(QByteArray &out, const char *fourcc, const QByteArray &payload)
{
    out.append(fourcc, 4);
    AppendLE32(out, uint32_t(payload.size()));
    out.append(payload);
    if (payload.size() & 1)
        out.append('\0');
}

void Append24(QByteArray &out, uint32_t value)
{
    out.append(char(value & 0xFF)).append(char((value >> 8) & 0xFF)).append(char(value >> 16));
}

heif_error WriteToArray(heif_context *, const void *data, size_t size, void *userdata)
{
    static_cast<QByteArray *>(userdata)->append(static_cast<const char *>(data), qsizetype(size));
    return { heif_error_Ok, heif_suberror_Unspecified, "" };
}

} // namespace

TBitmap Halves(int width, int height)
{
    TBitmap bitmap(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            bitmap.SetPixel(x, y, x < width / 2 ? kHalfRed : kHalfBlue);
    return bitmap;
}

bool Near(TBgr actual, TBgr expected, int tolerance)
{
    return std::abs(actual.r - expected.r) <= tolerance
        && std::abs(actual.g - expected.g) <= tolerance
        && std::abs(actual.b - expected.b) <= tolerance;
}

QByteArray WebpBytes(const TBitmap &bitmap, bool lossless, const QByteArray &exif)
{
    uint8_t *encoded = nullptr;
    const size_t size = lossless ? WebPEncodeLosslessBGR(bitmap.ScanLine(0), bitmap.Width(),
                            bitmap.Height(), bitmap.BytesPerLine(), &encoded)
                                 : WebPEncodeBGR(bitmap.ScanLine(0), bitmap.Width(),
                                     bitmap.Height(), bitmap.BytesPerLine(), 90, &encoded);
    const QByteArray simple(reinterpret_cast<const char *>(encoded), qsizetype(size));
    WebPFree(encoded);
    if (exif.isEmpty())
        return simple;
    // The extended form: a VP8X chunk announcing the EXIF chunk, the picture's chunk as the
    // encoder wrote it, then the EXIF chunk.
    QByteArray vp8x;
    vp8x.append(char(0x08)).append(3, '\0');
    Append24(vp8x, uint32_t(bitmap.Width() - 1));
    Append24(vp8x, uint32_t(bitmap.Height() - 1));
    QByteArray body("WEBP");
    AppendChunk(body, "VP8X", vp8x);
    body.append(simple.mid(12));
    AppendChunk(body, "EXIF", exif);
    QByteArray file("RIFF");
    AppendLE32(file, uint32_t(body.size()));
    return file + body;
}

QByteArray TiffBytes(const TBitmap &bitmap, const TTiffLayout &layout)
{
    QTemporaryDir dir;
    const QByteArray path = dir.filePath(QStringLiteral("t.tif")).toLocal8Bit();
    TIFF *tiff = TIFFOpen(path.constData(), "w");
    if (!tiff)
        return {};
    TIFFSetField(tiff, TIFFTAG_IMAGEWIDTH, uint32_t(bitmap.Width()));
    TIFFSetField(tiff, TIFFTAG_IMAGELENGTH, uint32_t(bitmap.Height()));
    TIFFSetField(tiff, TIFFTAG_SAMPLESPERPIXEL, uint16_t(layout.channels));
    TIFFSetField(tiff, TIFFTAG_BITSPERSAMPLE, uint16_t(layout.bits));
    TIFFSetField(
        tiff, TIFFTAG_PHOTOMETRIC, layout.channels == 1 ? PHOTOMETRIC_MINISBLACK : PHOTOMETRIC_RGB);
    TIFFSetField(tiff, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    TIFFSetField(tiff, TIFFTAG_COMPRESSION, COMPRESSION_NONE);
    TIFFSetField(tiff, TIFFTAG_ROWSPERSTRIP, uint32_t(8));
    TIFFSetField(tiff, TIFFTAG_ORIENTATION, uint16_t(layout.orientation));
    if (layout.channels == 4) {
        const uint16_t extra[] = { EXTRASAMPLE_UNASSALPHA };
        TIFFSetField(tiff, TIFFTAG_EXTRASAMPLES, 1, extra);
    }
    const std::size_t samples = std::size_t(bitmap.Width()) * std::size_t(layout.channels);
    std::vector<uint8_t> row8(samples);
    std::vector<uint16_t> row16(samples);
    for (int y = 0; y < bitmap.Height(); ++y) {
        for (int x = 0; x < bitmap.Width(); ++x) {
            const TBgr p = bitmap.Pixel(x, y);
            const int values[] = { p.r, p.g, p.b, layout.alpha };
            for (int c = 0; c < layout.channels; ++c) {
                const int v = layout.channels == 1 ? p.g : values[c];
                row8[std::size_t(x * layout.channels + c)] = uint8_t(v);
                row16[std::size_t(x * layout.channels + c)] = uint16_t(v * 257);
            }
        }
        void *row = layout.bits == 16 ? static_cast<void *>(row16.data()) : row8.data();
        TIFFWriteScanline(tiff, row, uint32_t(y), 0);
    }
    TIFFClose(tiff);
    QFile file(QString::fromLocal8Bit(path));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QByteArray HeifBytes(
    const TBitmap &bitmap, HeifCodec codec, int orientation, const QByteArray &exif)
{
    heif_context *context = heif_context_alloc();
    heif_encoder *encoder = nullptr;
    const heif_compression_format format
        = codec == HeifCodec::Hevc ? heif_compression_HEVC : heif_compression_AV1;
    QByteArray out;
    if (heif_context_get_encoder_for_format(context, format, &encoder).code == heif_error_Ok) {
        heif_encoder_set_lossy_quality(encoder, 90);
        heif_image *image = nullptr;
        heif_image_create(bitmap.Width(), bitmap.Height(), heif_colorspace_RGB,
            heif_chroma_interleaved_RGB, &image);
        heif_image_add_plane(image, heif_channel_interleaved, bitmap.Width(), bitmap.Height(), 8);
        int stride = 0;
        uint8_t *plane = heif_image_get_plane(image, heif_channel_interleaved, &stride);
        for (int y = 0; y < bitmap.Height(); ++y) {
            for (int x = 0; x < bitmap.Width(); ++x) {
                const TBgr p = bitmap.Pixel(x, y);
                uint8_t *q = plane + y * stride + 3 * x;
                q[0] = p.r;
                q[1] = p.g;
                q[2] = p.b;
            }
        }
        heif_encoding_options *options = heif_encoding_options_alloc();
        options->image_orientation = heif_orientation(orientation);
        heif_image_handle *handle = nullptr;
        if (heif_context_encode_image(context, image, encoder, options, &handle).code
            == heif_error_Ok) {
            if (!exif.isEmpty())
                heif_context_add_exif_metadata(context, handle, exif.constData(), int(exif.size()));
            heif_writer writer { 1, WriteToArray };
            heif_context_write(context, &writer, &out);
            heif_image_handle_release(handle);
        }
        heif_encoding_options_free(options);
        heif_image_release(image);
        heif_encoder_release(encoder);
    }
    heif_context_free(context);
    return out;
}

} // namespace korvatel::test

// The HEVC encoder (x265, under libheif's encoder) keeps about a kilobyte per encoder that it
// never frees. The leak checker of the sanitizer builds is told so here, where the encoder is
// used, so that leaks of the program's own code still fail the tests.
extern "C" const char *__lsan_default_suppressions()
{
    return "leak:libx265.so\n";
}
