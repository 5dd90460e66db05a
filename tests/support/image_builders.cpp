#include "support/image_builders.h"

#include "imaging/jpeg_codec.h"

namespace korvatel::test
{

namespace
{

void Put16(QByteArray &out, uint32_t v, bool big)
{
    if (big) {
        out.append(char((v >> 8) & 0xFF));
        out.append(char(v & 0xFF));
    } else {
        out.append(char(v & 0xFF));
        out.append(char((v >> 8) & 0xFF));
    }
}

void Put32(QByteArray &out, uint32_t v, bool big)
{
    if (big) {
        Put16(out, v >> 16, true);
        Put16(out, v & 0xFFFF, true);
    } else {
        Put16(out, v & 0xFFFF, false);
        Put16(out, v >> 16, false);
    }
}

struct TEntry {
    uint16_t tag;
    uint16_t type;
    uint32_t count;
    QByteArray value; // in file byte order; inline when 4 bytes or fewer
};

uint32_t IfdSize(const QList<TEntry> &entries)
{
    return uint32_t(2 + 12 * entries.size() + 4);
}

uint32_t OutOfLine(const QList<TEntry> &entries)
{
    uint32_t size = 0;
    for (const TEntry &e : entries)
        if (e.value.size() > 4)
            size += uint32_t(e.value.size());
    return size;
}

// Writes an IFD at its offset with its long values at dataOffset (which moves on).
QByteArray WriteIfd(const QList<TEntry> &entries, uint32_t next, uint32_t &dataOffset,
    QByteArray &dataArea, bool big)
{
    QByteArray out;
    Put16(out, uint32_t(entries.size()), big);
    for (const TEntry &e : entries) {
        Put16(out, e.tag, big);
        Put16(out, e.type, big);
        Put32(out, e.count, big);
        if (e.value.size() > 4) {
            Put32(out, dataOffset, big);
            dataArea.append(e.value);
            dataOffset += uint32_t(e.value.size());
        } else {
            out.append(e.value.leftJustified(4, '\0'));
        }
    }
    Put32(out, next, big);
    return out;
}

} // namespace

TBitmap PatternBitmap(int width, int height)
{
    TBitmap bitmap(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            bitmap.SetPixel(x, y,
                { uint8_t(x * 7 + y * 3), uint8_t(x * 13 + y * 29), uint8_t(x * 31 + y * 17 + 5) });
    return bitmap;
}

TBitmap UniformBitmap(int width, int height, TBgr colour)
{
    TBitmap bitmap(width, height);
    bitmap.Fill(colour);
    return bitmap;
}

QByteArray JpegBytes(const TBitmap &bitmap, int quality)
{
    return EncodeJpeg(bitmap, quality);
}

ExifJpegBuilder::ExifJpegBuilder(ByteOrder order)
    : FOrder(order)
    , FPicture(PatternBitmap(32, 24))
{
}

ExifJpegBuilder &ExifJpegBuilder::make(const QByteArray &text)
{
    FMake = text;
    return *this;
}

ExifJpegBuilder &ExifJpegBuilder::model(const QByteArray &text)
{
    FModel = text;
    return *this;
}

ExifJpegBuilder &ExifJpegBuilder::dateTaken(const QByteArray &text)
{
    FDate = text;
    return *this;
}

ExifJpegBuilder &ExifJpegBuilder::userComment(const QByteArray &codeAndText)
{
    FComment = codeAndText;
    return *this;
}

ExifJpegBuilder &ExifJpegBuilder::imageSize(int width, int height, int type)
{
    FWidth = width;
    FHeight = height;
    FSizeType = type;
    return *this;
}

ExifJpegBuilder &ExifJpegBuilder::orientation(int value, int type)
{
    FOrientation = value;
    FOrientationType = type;
    return *this;
}

ExifJpegBuilder &ExifJpegBuilder::thumbnail(const QByteArray &jpeg)
{
    FThumbnail = jpeg;
    return *this;
}

ExifJpegBuilder &ExifJpegBuilder::app0(int payload)
{
    FApp0 = payload;
    return *this;
}

ExifJpegBuilder &ExifJpegBuilder::picture(const TBitmap &bitmap)
{
    FPicture = bitmap;
    return *this;
}

QByteArray ExifJpegBuilder::tiff() const
{
    const bool big = FOrder == ByteOrder::Motorola;
    auto number = [big](int type, uint32_t v) {
        QByteArray b;
        if (type == 3)
            Put16(b, v, big);
        else
            Put32(b, v, big);
        return b;
    };
    auto ascii = [](const QByteArray &text) { return text + '\0'; };

    QList<TEntry> ifd0;
    if (FWidth > 0) {
        ifd0.append({ 256, uint16_t(FSizeType), 1, number(FSizeType == 3 ? 3 : 4, FWidth) });
        ifd0.append({ 257, uint16_t(FSizeType), 1, number(FSizeType == 3 ? 3 : 4, FHeight) });
    }
    ifd0.append({ 271, 2, uint32_t(FMake.size() + 1), ascii(FMake) });
    ifd0.append({ 272, 2, uint32_t(FModel.size() + 1), ascii(FModel) });
    if (FOrientation > 0)
        ifd0.append({ 274, uint16_t(FOrientationType), 1,
            number(FOrientationType == 3 ? 3 : 4, uint32_t(FOrientation)) });
    ifd0.append({ 34665, 4, 1, QByteArray(4, '\0') }); // filled in below
    QList<TEntry> exif;
    if (!FDate.isEmpty())
        exif.append({ 36867, 2, uint32_t(FDate.size() + 1), ascii(FDate) });
    if (!FComment.isEmpty())
        exif.append({ 37510, 7, uint32_t(FComment.size()), FComment });
    QList<TEntry> ifd1;
    if (!FThumbnail.isEmpty()) {
        ifd1.append({ 259, 3, 1, number(3, 6) });
        ifd1.append({ 513, 4, 1, QByteArray(4, '\0') });
        ifd1.append({ 514, 4, 1, number(4, uint32_t(FThumbnail.size())) });
    }

    const uint32_t ifd0At = 8;
    const uint32_t exifAt = ifd0At + IfdSize(ifd0);
    const uint32_t ifd1At = exifAt + IfdSize(exif);
    const uint32_t dataAt = ifd1At + (ifd1.isEmpty() ? 0 : IfdSize(ifd1));
    const uint32_t thumbAt = dataAt + OutOfLine(ifd0) + OutOfLine(exif) + OutOfLine(ifd1);
    ifd0.last().value = number(4, exifAt);
    if (!ifd1.isEmpty())
        ifd1[1].value = number(4, thumbAt);

    QByteArray out(big ? "MM" : "II");
    Put16(out, 42, big);
    Put32(out, ifd0At, big);
    QByteArray data;
    uint32_t dataOffset = dataAt;
    out.append(WriteIfd(ifd0, ifd1.isEmpty() ? 0 : ifd1At, dataOffset, data, big));
    out.append(WriteIfd(exif, 0, dataOffset, data, big));
    if (!ifd1.isEmpty())
        out.append(WriteIfd(ifd1, 0, dataOffset, data, big));
    out.append(data);
    out.append(FThumbnail);
    return out;
}

QByteArray ExifJpegBuilder::build() const
{
    QByteArray jpeg = JpegBytes(FPicture);
    // Drop the encoder's start of image and its JFIF segment; ours come first.
    int skip = 2;
    if (uint8_t(jpeg[2]) == 0xFF && uint8_t(jpeg[3]) == 0xE0)
        skip = 4 + ((uint8_t(jpeg[4]) << 8) | uint8_t(jpeg[5]));
    QByteArray out("\xFF\xD8", 2);
    if (FApp0 >= 0) {
        out.append("\xFF\xE0", 2);
        Put16(out, uint32_t(FApp0 + 2), true);
        QByteArray payload("JFIF\0", 5);
        payload = payload.leftJustified(FApp0, '\0', true);
        out.append(payload);
    }
    const QByteArray body = tiff();
    out.append("\xFF\xE1", 2);
    Put16(out, uint32_t(2 + 6 + body.size()), true);
    out.append("Exif\0\0", 6);
    out.append(body);
    out.append(jpeg.mid(skip));
    return out;
}

QByteArray SidewaysJpeg(int orientation, bool withThumbnail)
{
    const auto halves = [orientation](int width, int height) {
        const TBgr red { 0, 0, 255 };
        const TBgr blue { 255, 0, 0 };
        TBitmap bitmap(width, height);
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                bitmap.SetPixel(x, y, (x < width / 2) == (orientation == 6) ? red : blue);
        return bitmap;
    };
    ExifJpegBuilder builder;
    builder.orientation(orientation).picture(halves(48, 32));
    if (withThumbnail)
        builder.thumbnail(JpegBytes(halves(24, 16)));
    return builder.build();
}

bool RedAboveBlue(const TBitmap &bitmap)
{
    if (bitmap.Width() >= bitmap.Height() || bitmap.Width() < 2)
        return false;
    const TBgr top = bitmap.Pixel(bitmap.Width() / 2, bitmap.Height() / 8);
    const TBgr bottom = bitmap.Pixel(bitmap.Width() / 2, bitmap.Height() * 7 / 8);
    return top.r > 200 && top.b < 60 && bottom.b > 200 && bottom.r < 60;
}

QByteArray BmpBuilder::build() const
{
    QByteArray header;
    const bool core = headerSize == 12;
    Put32(header, uint32_t(headerSize), false);
    if (core) {
        Put16(header, uint32_t(width), false);
        Put16(header, uint32_t(height), false);
        Put16(header, 1, false);
        Put16(header, uint32_t(bitCount), false);
    } else {
        Put32(header, uint32_t(width), false);
        Put32(header, uint32_t(height), false);
        Put16(header, 1, false);
        Put16(header, uint32_t(bitCount), false);
        Put32(header, uint32_t(compression), false);
        Put32(header, uint32_t(pixels.size()), false);
        Put32(header, 2835, false);
        Put32(header, 2835, false);
        Put32(header, uint32_t(colours), false);
        Put32(header, 0, false);
        if (headerSize > 40) {
            for (uint32_t mask : masks)
                Put32(header, mask, false);
            header = header.leftJustified(headerSize, '\0', true);
        }
    }
    QByteArray table;
    if (headerSize == 40) {
        for (uint32_t mask : masks)
            Put32(table, mask, false);
    }
    for (uint32_t c : palette) {
        table.append(char(c & 0xFF));
        table.append(char((c >> 8) & 0xFF));
        table.append(char((c >> 16) & 0xFF));
        if (!core)
            table.append('\0');
    }
    table.append(QByteArray(gap, '\0'));
    const uint32_t offBits = uint32_t(14 + header.size() + table.size());
    QByteArray out("BM");
    Put32(out, offBits + uint32_t(pixels.size()), false);
    Put32(out, 0, false);
    Put32(out, offBits, false);
    out.append(header);
    out.append(table);
    out.append(pixels);
    return out;
}

} // namespace korvatel::test
