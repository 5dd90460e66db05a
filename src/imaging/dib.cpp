#include "imaging/dib.h"

#include "imaging/byte_reader.h"

#include <bit>
#include <cstring>
#include <vector>

namespace korvatel
{

namespace
{

[[noreturn]] void Fail(const char *message)
{
    throw EPictureError(QString::fromLatin1(message));
}

struct TDibHeader {
    qint64 width = 0;
    qint64 height = 0; // negative for top-down rows
    int bitCount = 0;
    uint32_t compression = 0;
    int colours = 0;
    uint32_t masks[3] = { 0, 0, 0 };
    std::vector<TBgr> palette;
};

int StrideOf(qint64 width, int bits)
{
    return int((width * bits + 31) / 32 * 4);
}

// Expands RLE8 (bits 8) or RLE4 (bits 4) data into plain bottom-up rows of stride bytes. The
// checks keep every write inside the rows; their messages are numbered as the system numbers
// them (1 to 4 for RLE8, 5 to 8 for RLE4).
std::vector<uint8_t> ExpandRle(TByteReader &in, qint64 width, qint64 height, int bits, int stride)
{
    const bool four = bits == 4;
    const QString prefix = four ? QStringLiteral("Convert4BitRLETo4BitRGB: ")
                                : QStringLiteral("Convert8BitRLETo8BitRGB: ");
    const int base = four ? 4 : 0;
    auto bad = [&](int n) {
        throw EPictureError(prefix + QStringLiteral("Bad RLE Data %1").arg(base + n));
    };
    // The declared size is checked against the bytes present before the rows are allocated:
    // two bytes reach at most 255 columns further and four at most 255 rows, so a picture
    // larger than the data can reach (and than 2048 × 2048) is refused as an overrun, and a
    // few bytes cannot claim gigabytes.
    const qint64 reach = (in.Remaining() * 128 + 1) * (in.Remaining() * 64 + 1);
    if (width * height > std::max<qint64>(reach, 4 * 1024 * 1024))
        bad(4);
    std::vector<uint8_t> rows(std::size_t(stride) * std::size_t(height), 0);
    auto put = [&](qint64 column, qint64 row, uint8_t value) {
        uint8_t *line = rows.data() + std::size_t(row) * std::size_t(stride);
        if (four) {
            uint8_t &byte = line[column / 2];
            byte = (column & 1) ? uint8_t((byte & 0xF0) | (value & 0x0F))
                                : uint8_t((byte & 0x0F) | (value << 4));
        } else {
            line[column] = value;
        }
    };
    qint64 column = 0;
    qint64 row = 0;
    while (in.Remaining() >= 2) {
        const int count = in.U8();
        const int value = in.U8();
        if (count > 0) {
            const qint64 start = column;
            column += count;
            if (column > width || row >= height)
                bad(4);
            for (int i = 0; i < count; ++i) {
                const uint8_t v
                    = four ? uint8_t((i & 1) ? (value & 0x0F) : (value >> 4)) : uint8_t(value);
                put(start + i, row, v);
            }
        } else if (value == 0) {
            ++row;
            column = 0;
            if (row > height)
                bad(1);
        } else if (value == 1) {
            break;
        } else if (value == 2) {
            column += in.U8();
            row += in.U8();
            if (column > width || row > height)
                bad(2);
        } else {
            const qint64 start = column;
            column += value;
            if (column > width || row >= height)
                bad(3);
            const int bytes = four ? (value + 1) / 2 : value;
            const uint8_t *src = in.Bytes(bytes);
            for (int i = 0; i < value; ++i) {
                const uint8_t v
                    = four ? uint8_t((i & 1) ? (src[i / 2] & 0x0F) : (src[i / 2] >> 4)) : src[i];
                put(start + i, row, v);
            }
            if (bytes & 1)
                in.Skip(1);
        }
    }
    return rows;
}

// Shift and width of a contiguous bit-field mask; bits above the lowest run are ignored.
struct TMaskField {
    int shift = 0;
    uint32_t max = 0;
};

TMaskField FieldOf(uint32_t mask)
{
    TMaskField field;
    field.shift = std::countr_zero(mask);
    const uint32_t run = mask >> field.shift;
    const int bits = std::countr_one(run);
    field.max = bits >= 32 ? 0xFFFFFFFFu : ((1u << bits) - 1);
    return field;
}

uint8_t Extract(uint32_t pixel, const TMaskField &field)
{
    const uint64_t v = (pixel >> field.shift) & field.max;
    return uint8_t((v * 255 + field.max / 2) / field.max);
}

} // namespace

namespace
{

// The Windows info header (40 bytes and later versions) with its colour masks; the reader
// is left at the colour table, which starts right after the header whatever its version.
void ReadInfoHeader(TByteReader &in, uint32_t headerSize, TDibHeader &h)
{
    h.width = int32_t(in.LE32());
    h.height = int32_t(in.LE32());
    in.Skip(2); // planes
    h.bitCount = in.LE16();
    h.compression = in.LE32();
    in.Skip(12); // image size and resolution
    const uint32_t clrUsed = in.LE32();
    in.Skip(4); // important colours
    if (h.bitCount != 1 && h.bitCount != 4 && h.bitCount != 8 && h.bitCount != 16
        && h.bitCount != 24 && h.bitCount != 32)
        Fail("LoadDIBFromStream: Invalid BitCout");
    qint64 colours = clrUsed;
    if (colours == 0)
        colours = h.bitCount >= 16 ? 0 : 1 << h.bitCount;
    if (h.compression == 3 && headerSize > 40) {
        h.masks[0] = in.LE32();
        h.masks[1] = in.LE32();
        h.masks[2] = in.LE32();
    }
    in.Seek(14 + qint64(headerSize));
    if (h.compression == 3 && headerSize == 40) {
        h.masks[0] = in.LE32();
        h.masks[1] = in.LE32();
        h.masks[2] = in.LE32();
    }
    h.colours = int(std::min<qint64>(colours, 256));
}

// The file header's type and the info header of either version (OS/2 12 bytes, Windows 40 and
// later), then the colour table. offBits receives where the pixels start.
TDibHeader ReadDibHeader(TByteReader &in, uint32_t *offBits)
{
    if (in.LE16() != 19778)
        Fail("LoadDIBFromStream: File type is invalid");
    in.Skip(8); // file size and the reserved words
    *offBits = in.LE32();
    const uint32_t headerSize = in.LE32();

    TDibHeader h;
    int colourEntryBytes = 4;
    if (headerSize == 12) {
        h.width = in.LE16();
        h.height = in.LE16();
        in.Skip(2); // planes
        h.bitCount = in.LE16();
        if (h.bitCount != 1 && h.bitCount != 4 && h.bitCount != 8 && h.bitCount != 24)
            Fail("TBigBitmap.LoadFromStream: Invalid BitCount");
        h.colours = h.bitCount == 24 ? 0 : 1 << h.bitCount;
        colourEntryBytes = 3;
    } else if (headerSize >= 40) {
        ReadInfoHeader(in, headerSize, h);
    } else {
        Fail("LoadDIBFromStream: Invalid Bitmap Header Size");
    }
    // The colour table: entries of the small palette formats only; 16 to 32 bits use none.
    if (h.bitCount <= 8) {
        h.palette.resize(std::size_t(1) << h.bitCount);
        for (int i = 0; i < h.colours; ++i) {
            const uint8_t *entry = in.Bytes(colourEntryBytes);
            if (i < int(h.palette.size()))
                h.palette[std::size_t(i)] = { entry[0], entry[1], entry[2] };
        }
    }
    return h;
}

// The pixel rows as stored (bottom row first unless top-down), RLE data expanded into rows.
const uint8_t *PixelRows(TByteReader &in, const TDibHeader &h, qint64 width, qint64 height,
    int stride, std::vector<uint8_t> &rleRows)
{
    if (h.compression == 1 || h.compression == 2) {
        if (h.compression == 1 && h.bitCount != 8)
            Fail("Convert8BitRLETo8BitRGB: Invalid Bitcount & Compression Combination");
        if (h.compression == 2 && h.bitCount != 4)
            Fail("Convert4BitRLETo4BitRGB: Invalid Bitcount & Compression Combination");
        rleRows = ExpandRle(in, width, height, h.bitCount, stride);
        return rleRows.data();
    }
    if (h.compression == 0 || h.compression == 3) {
        if (h.compression == 3 && h.bitCount != 16 && h.bitCount != 32)
            Fail("TBigBitmap.GetPixelBits: Invalid Pixel Format");
        return in.Bytes(qint64(stride) * height);
    }
    Fail("TBigBitmap.GetPixelBits: Invalid Pixel Format");
}

// The colour fields of 16 and 32 bit pixels: the header's masks, else 5-5-5 or 8-8-8.
void MaskFields(const TDibHeader &h, TMaskField fields[3])
{
    if (h.bitCount != 16 && h.bitCount != 32)
        return;
    uint32_t masks[3] = { 0x7C00, 0x03E0, 0x001F };
    if (h.compression == 3)
        std::memcpy(masks, h.masks, sizeof masks);
    else if (h.bitCount == 32)
        masks[0] = 0xFF0000, masks[1] = 0x00FF00, masks[2] = 0x0000FF;
    for (int c = 0; c < 3; ++c) {
        if (masks[c] == 0)
            Fail("TBigBitmap.LoadFromStream: Invalid Masks");
        fields[c] = FieldOf(masks[c]);
    }
}

// Pixel x of a stored row.
TBgr DibPixel(const TDibHeader &h, const uint8_t *src, qint64 x, const TMaskField fields[3])
{
    switch (h.bitCount) {
    case 1:
        return h.palette[(src[x >> 3] >> (7 - (x & 7))) & 1];
    case 4:
        return h.palette[(src[x >> 1] >> ((x & 1) ? 0 : 4)) & 15];
    case 8:
        return h.palette[src[x]];
    case 24:
        return { src[3 * x], src[3 * x + 1], src[3 * x + 2] };
    case 16: {
        const uint32_t p = uint32_t(src[2 * x] | (src[2 * x + 1] << 8));
        return { Extract(p, fields[2]), Extract(p, fields[1]), Extract(p, fields[0]) };
    }
    default: {
        const uint8_t *q = src + 4 * x;
        const uint32_t p = uint32_t(q[0]) | (uint32_t(q[1]) << 8) | (uint32_t(q[2]) << 16)
            | (uint32_t(q[3]) << 24);
        return { Extract(p, fields[2]), Extract(p, fields[1]), Extract(p, fields[0]) };
    }
    }
}

} // namespace

TBitmap LoadDIBFromStream(const QByteArray &data)
{
    TByteReader in(data);
    uint32_t offBits = 0;
    const TDibHeader h = ReadDibHeader(in, &offBits);
    const qint64 width = h.width;
    const qint64 height = h.height < 0 ? -h.height : h.height;
    const bool topDown = h.height < 0;
    CheckBitmapSize(width, height);
    if (width == 0 || height == 0)
        Fail("TBigBitmap.GetScanline: Index is out of Range");
    const int stride = StrideOf(width, h.bitCount);

    in.Seek(offBits);
    std::vector<uint8_t> rleRows;
    const uint8_t *pixels = PixelRows(in, h, width, height, stride, rleRows);
    TMaskField fields[3];
    MaskFields(h, fields);

    TBitmap bitmap { int(width), int(height) };
    for (qint64 row = 0; row < height; ++row) {
        const uint8_t *src = pixels + std::size_t(row) * std::size_t(stride);
        uint8_t *dst = bitmap.ScanLine(int(topDown ? row : height - 1 - row));
        for (qint64 x = 0; x < width; ++x, dst += 3) {
            const TBgr c = DibPixel(h, src, x, fields);
            dst[0] = c.b;
            dst[1] = c.g;
            dst[2] = c.r;
        }
    }
    return bitmap;
}

QByteArray SaveDIBToStream(const TBitmap &bitmap)
{
    const int stride = bitmap.BytesPerLine();
    const uint32_t imageSize = uint32_t(stride) * uint32_t(bitmap.Height());
    QByteArray out;
    out.reserve(qsizetype(54 + imageSize));
    auto le16 = [&](uint32_t v) {
        out.append(char(v & 0xFF));
        out.append(char((v >> 8) & 0xFF));
    };
    auto le32 = [&](uint32_t v) {
        le16(v & 0xFFFF);
        le16(v >> 16);
    };
    out.append("BM", 2);
    le32(54 + imageSize);
    le32(0);
    le32(54);
    le32(40);
    le32(uint32_t(bitmap.Width()));
    le32(uint32_t(bitmap.Height()));
    le16(1);
    le16(24);
    le32(0);
    le32(imageSize);
    le32(3780); // 96 dots per inch
    le32(3780);
    le32(0);
    le32(0);
    for (int y = bitmap.Height() - 1; y >= 0; --y)
        out.append(reinterpret_cast<const char *>(bitmap.ScanLine(y)), stride);
    return out;
}

} // namespace korvatel
