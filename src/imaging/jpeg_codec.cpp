#include "imaging/jpeg_codec.h"

#include "text/sjis_file.h"

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>

// jpeglib.h needs size_t and FILE declared first.
#include <jerror.h>
#include <jpeglib.h>

namespace korvatel
{

namespace
{

// The library reports errors through error_exit, which must not return: it jumps back to the
// setjmp of the running call. Only functions with trivially destructible locals lie between the
// setjmp and the library, so the jump skips no destructor.
struct TJpegError {
    jpeg_error_mgr pub;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
};

void ErrorExit(j_common_ptr cinfo)
{
    TJpegError *error = reinterpret_cast<TJpegError *>(cinfo->err);
    (*cinfo->err->format_message)(cinfo, error->message);
    std::longjmp(error->jump, 1);
}

// Warnings are silent, except that data ending too early counts as a failure: a truncated
// file would otherwise decode with a grey lower part and be taken for a good picture.
void EmitMessage(j_common_ptr cinfo, int level)
{
    if (level < 0 && cinfo->err->msg_code == JWRN_JPEG_EOF) {
        TJpegError *error = reinterpret_cast<TJpegError *>(cinfo->err);
        (*cinfo->err->format_message)(cinfo, error->message);
        std::longjmp(error->jump, 1);
    }
}

void OutputMessage(j_common_ptr)
{
}

// Progressive files may carry any number of scans; a hostile one with thousands of tiny scans
// would keep the decoder busy for minutes.
constexpr int kMaxScans = 1000;

void ProgressMonitor(j_common_ptr cinfo)
{
    if (cinfo->is_decompressor) {
        j_decompress_ptr dinfo = reinterpret_cast<j_decompress_ptr>(cinfo);
        if (dinfo->input_scan_number > kMaxScans) {
            TJpegError *error = reinterpret_cast<TJpegError *>(cinfo->err);
            std::snprintf(error->message, sizeof error->message, "too many scans");
            std::longjmp(error->jump, 1);
        }
    }
}

void InitError(TJpegError &error)
{
    jpeg_std_error(&error.pub);
    error.pub.error_exit = ErrorExit;
    error.pub.emit_message = EmitMessage;
    error.pub.output_message = OutputMessage;
    error.message[0] = 0;
}

// Where a decode puts its rows. Allocate is called once the output size is known and returns
// false (without throwing) when the bitmap may not be made.
struct TDecodeTarget {
    bool (*allocate)(void *context, int width, int height, bool cmyk, bool checkOnly);
    uint8_t *(*row)(void *context, int y);
    void (*finishRow)(void *context, int y);
    void *context;
};

// Returns 0 on success, 1 on a library error (message filled), 2 when the target refused the
// size.
int DecodeRaw(const uint8_t *data, unsigned long size, int denominator, bool headerOnly,
    TDecodeTarget *target, int *width, int *height, char *message)
{
    jpeg_decompress_struct cinfo;
    TJpegError error;
    jpeg_progress_mgr progress;
    InitError(error);
    cinfo.err = &error.pub;
    if (setjmp(error.jump)) {
        std::memcpy(message, error.message, JMSG_LENGTH_MAX);
        jpeg_destroy_decompress(&cinfo);
        return 1;
    }
    jpeg_create_decompress(&cinfo);
    progress.progress_monitor = ProgressMonitor;
    cinfo.progress = &progress;
    jpeg_mem_src(&cinfo, data, size);
    jpeg_read_header(&cinfo, TRUE);
    *width = int(cinfo.image_width);
    *height = int(cinfo.image_height);
    if (headerOnly) {
        jpeg_destroy_decompress(&cinfo);
        return 0;
    }
    const bool cmyk = cinfo.jpeg_color_space == JCS_CMYK || cinfo.jpeg_color_space == JCS_YCCK;
    cinfo.out_color_space = cmyk ? JCS_CMYK : JCS_EXT_BGR;
    cinfo.scale_num = 1;
    cinfo.scale_denom = unsigned(denominator);
    jpeg_calc_output_dimensions(&cinfo);
    // The whole picture is held by the decoder for progressive files, so its stored size must
    // pass the limit too, not only the scaled output.
    if (!target->allocate(
            target->context, int(cinfo.image_width), int(cinfo.image_height), cmyk, true)
        || !target->allocate(
            target->context, int(cinfo.output_width), int(cinfo.output_height), cmyk, false)) {
        jpeg_destroy_decompress(&cinfo);
        return 2;
    }
    jpeg_start_decompress(&cinfo);
    while (cinfo.output_scanline < cinfo.output_height) {
        const int y = int(cinfo.output_scanline);
        JSAMPROW row = target->row(target->context, y);
        jpeg_read_scanlines(&cinfo, &row, 1);
        target->finishRow(target->context, y);
    }
    jpeg_finish_decompress(&cinfo);
    jpeg_destroy_decompress(&cinfo);
    return 0;
}

struct TBitmapTarget {
    TBitmap *bitmap;
    std::vector<uint8_t> cmykRow;
    bool cmyk = false;
    QString refusal;
    TPictureErrorKind refusalKind = peNoBitmap;
};

bool AllocateBitmap(void *context, int width, int height, bool cmyk, bool checkOnly)
{
    TBitmapTarget *target = static_cast<TBitmapTarget *>(context);
    try {
        if (checkOnly) {
            CheckBitmapSize(width, height);
            return true;
        }
        // Every row is written by the decoder (or by FinishBitmapRow from the CMYK row); a
        // failure part way throws the bitmap away, so its pixels need no clearing.
        target->bitmap->SetSizeForWriter(width, height);
        target->cmyk = cmyk;
        if (cmyk)
            target->cmykRow.assign(std::size_t(width) * 4, 0);
        return true;
    } catch (const EPictureError &e) {
        target->refusal = e.Message();
        target->refusalKind = e.Kind();
    } catch (const std::bad_alloc &) {
        target->refusal = QStringLiteral("Out of memory");
        target->refusalKind = peOutOfMemory;
    }
    return false;
}

uint8_t *BitmapRow(void *context, int y)
{
    TBitmapTarget *target = static_cast<TBitmapTarget *>(context);
    return target->cmyk ? target->cmykRow.data() : target->bitmap->ScanLine(y);
}

// CMYK JPEGs (as written by Adobe programs) store inverted values; black = k.
void FinishBitmapRow(void *context, int y)
{
    TBitmapTarget *target = static_cast<TBitmapTarget *>(context);
    if (!target->cmyk)
        return;
    const uint8_t *in = target->cmykRow.data();
    uint8_t *out = target->bitmap->ScanLine(y);
    for (int x = 0; x < target->bitmap->Width(); ++x, in += 4, out += 3) {
        const unsigned k = in[3];
        out[0] = uint8_t(in[2] * k / 255);
        out[1] = uint8_t(in[1] * k / 255);
        out[2] = uint8_t(in[0] * k / 255);
    }
}

int Denominator(TJpegScale scale)
{
    switch (scale) {
    case jsHalf:
        return 2;
    case jsQuarter:
        return 4;
    case jsEighth:
        return 8;
    default:
        return 1;
    }
}

// Returns 0 on success, 1 on a library error.
int EncodeRaw(
    const TBitmap *bitmap, int quality, unsigned char **buffer, unsigned long *size, char *message)
{
    jpeg_compress_struct cinfo;
    TJpegError error;
    InitError(error);
    cinfo.err = &error.pub;
    if (setjmp(error.jump)) {
        std::memcpy(message, error.message, JMSG_LENGTH_MAX);
        jpeg_destroy_compress(&cinfo);
        return 1;
    }
    jpeg_create_compress(&cinfo);
    jpeg_mem_dest(&cinfo, buffer, size);
    cinfo.image_width = JDIMENSION(bitmap->Width());
    cinfo.image_height = JDIMENSION(bitmap->Height());
    cinfo.input_components = 3;
    cinfo.in_color_space = JCS_EXT_BGR;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, quality, TRUE);
    jpeg_start_compress(&cinfo, TRUE);
    while (cinfo.next_scanline < cinfo.image_height) {
        JSAMPROW row = const_cast<JSAMPROW>(bitmap->ScanLine(int(cinfo.next_scanline)));
        jpeg_write_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    return 0;
}

bool AllocateNothing(void *, int, int, bool, bool)
{
    return true;
}

} // namespace

std::optional<TJpegInfo> ReadJpegInfo(const QByteArray &data)
{
    if (data.isEmpty())
        return std::nullopt;
    TDecodeTarget target { AllocateNothing, nullptr, nullptr, nullptr };
    TJpegInfo info;
    char message[JMSG_LENGTH_MAX];
    if (DecodeRaw(reinterpret_cast<const uint8_t *>(data.constData()),
            static_cast<unsigned long>(data.size()), 1, true, &target, &info.width, &info.height,
            message)
        != 0)
        return std::nullopt;
    return info;
}

TBitmap DecodeJpeg(const QByteArray &data, TJpegScale scale)
{
    if (data.isEmpty())
        throw EPictureError(DamagedPictureText());
    TBitmap bitmap;
    TBitmapTarget bitmapTarget { &bitmap, {}, false, {} };
    TDecodeTarget target { AllocateBitmap, BitmapRow, FinishBitmapRow, &bitmapTarget };
    int width = 0;
    int height = 0;
    char message[JMSG_LENGTH_MAX];
    const int result = DecodeRaw(reinterpret_cast<const uint8_t *>(data.constData()),
        static_cast<unsigned long>(data.size()), Denominator(scale), false, &target, &width,
        &height, message);
    // The library's own texts ("Premature end of JPEG file", "Not a JPEG file: …") tell a
    // customer nothing; every one of them means the file is damaged.
    if (result == 1)
        throw EPictureError(DamagedPictureText());
    if (result == 2)
        throw EPictureError(bitmapTarget.refusal, bitmapTarget.refusalKind);
    return bitmap;
}

QByteArray EncodeJpeg(const TBitmap &bitmap, int quality)
{
    if (bitmap.Empty())
        throw EPictureError(QStringLiteral("Empty picture"), peEmpty);
    unsigned char *buffer = nullptr;
    unsigned long size = 0;
    char message[JMSG_LENGTH_MAX];
    const int result = EncodeRaw(&bitmap, std::clamp(quality, 1, 100), &buffer, &size, message);
    QByteArray out;
    if (result == 0)
        out = QByteArray(reinterpret_cast<const char *>(buffer), qsizetype(size));
    std::free(buffer);
    if (result != 0)
        throw EPictureError(QString::fromLatin1(message));
    return out;
}

void TJpegImage::Clear()
{
    FData.clear();
    FWidth = FHeight = 0;
}

void TJpegImage::LoadFromData(const QByteArray &data)
{
    Clear();
    const std::optional<TJpegInfo> info = ReadJpegInfo(data);
    if (!info)
        throw EPictureError(DamagedPictureText());
    FData = data;
    FWidth = info->width;
    FHeight = info->height;
}

void TJpegImage::LoadFromFile(const QString &fileName)
{
    Clear();
    const std::optional<QByteArray> data = ReadWholeFile(fileName, kMaxPictureFileSize);
    if (!data)
        throw EPictureError(CannotOpenPictureText(fileName), peNoFile);
    LoadFromData(*data);
}

bool TJpegImage::SaveToFile(const QString &fileName) const
{
    return !Empty() && WriteFileAtomic(fileName, FData);
}

void TJpegImage::Assign(const TBitmap &bitmap)
{
    QByteArray data = EncodeJpeg(bitmap, CompressionQuality);
    FData = std::move(data);
    FWidth = bitmap.Width();
    FHeight = bitmap.Height();
}

TBitmap TJpegImage::ToBitmap() const
{
    return DecodeJpeg(FData, Scale);
}

} // namespace korvatel
