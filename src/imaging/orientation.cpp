#include "imaging/orientation.h"

#include "imaging/byte_reader.h"
#include "imaging/effects.h"
#include "imaging/picture.h"
#include "imaging/picture_kinds.h"

#include <QBuffer>
#include <QFile>

namespace korvatel
{

namespace
{

// The system reads an Exif block only when its APP1 starts within 64 bytes of the start of
// image. Phones and editors often put JFIF or colour profile segments first, and their pictures
// must stand upright too; so the orientation is looked for in every segment before the picture
// data, walked by their lengths.
constexpr int kMaxSegments = 64;
constexpr uint8_t kApp1 = 0xE1;
constexpr uint8_t kStartOfScan = 0xDA;
constexpr uint8_t kEndOfImage = 0xD9;
constexpr uint16_t kOrientationTag = 274;

} // namespace

int TiffOrientation(const QByteArray &tiff)
{
    try {
        TByteReader in(tiff);
        const uint16_t order = in.BE16();
        if (order != 0x4949 && order != 0x4D4D)
            return 1;
        const bool big = order == 0x4D4D;
        const auto u16 = [&] { return big ? in.BE16() : in.LE16(); };
        const auto u32 = [&] { return big ? in.BE32() : in.LE32(); };
        if (u16() != 42)
            return 1;
        in.Seek(u32());
        const int count = u16();
        for (int i = 0; i < count; ++i) {
            const uint16_t tag = u16();
            const uint16_t type = u16();
            const uint32_t values = u32();
            const uint16_t value = u16();
            in.Skip(2);
            if (tag == kOrientationTag)
                return type == 3 && values >= 1 && value >= 1 && value <= 8 ? value : 1;
        }
    } catch (const EPictureError &) {
        // A damaged block tells nothing about the picture's orientation.
    }
    return 1;
}

namespace
{

int SegmentOrientation(QIODevice &in)
{
    uint8_t head[4];
    if (in.read(reinterpret_cast<char *>(head), 2) != 2 || head[0] != 0xFF || head[1] != 0xD8)
        return 1;
    for (int i = 0; i < kMaxSegments; ++i) {
        if (in.read(reinterpret_cast<char *>(head), 4) != 4 || head[0] != 0xFF)
            return 1;
        const uint8_t marker = head[1];
        const int length = (head[2] << 8) | head[3];
        if (marker == kStartOfScan || marker == kEndOfImage || length < 2)
            return 1;
        if (marker != kApp1) {
            if (!in.seek(in.pos() + length - 2))
                return 1;
            continue;
        }
        const QByteArray payload = in.read(length - 2);
        if (payload.size() != length - 2)
            return 1;
        // Other APP1 segments (XMP) come and go; only the Exif one counts.
        if (payload.startsWith(QByteArrayLiteral("Exif\0\0")))
            return TiffOrientation(payload.mid(6));
    }
    return 1;
}

} // namespace

int ExifOrientation(const QByteArray &jpeg)
{
    QBuffer buffer;
    buffer.setData(jpeg);
    buffer.open(QIODevice::ReadOnly);
    return SegmentOrientation(buffer);
}

int ExifOrientationOf(const QString &fileName)
{
    if (ImageKindOf(fileName) != ikJpeg)
        return 1;
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        return 1;
    return SegmentOrientation(file);
}

void ApplyOrientation(TBitmap &bitmap, int orientation)
{
    switch (orientation) {
    case 2:
        FlipImage(bitmap, true, false);
        break;
    case 3:
        RotateImage(bitmap, rt180);
        break;
    case 4:
        FlipImage(bitmap, false, true);
        break;
    case 5: // mirrored across the diagonal from the top left
        RotateImage(bitmap, rt90);
        FlipImage(bitmap, true, false);
        break;
    case 6:
        RotateImage(bitmap, rt90);
        break;
    case 7: // mirrored across the diagonal from the top right
        RotateImage(bitmap, rt270);
        FlipImage(bitmap, true, false);
        break;
    case 8:
        RotateImage(bitmap, rt270);
        break;
    default:
        break;
    }
}

std::optional<TBitmap> LoadUprightBitmap(const QString &fileName)
{
    TPicture holder;
    if (!LoadPicture(holder, fileName, true))
        return std::nullopt;
    TBitmap bitmap = holder.ToBitmap();
    ApplyOrientation(bitmap, ExifOrientationOf(fileName));
    return bitmap;
}

} // namespace korvatel
