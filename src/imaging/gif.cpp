#include "imaging/gif.h"

#include "imaging/byte_reader.h"
#include "text/sjis_file.h"

#include <array>
#include <unordered_map>

namespace korvatel
{

namespace
{

constexpr int kMaxCodes = 4096;
// The most pixels a picture may declare beyond what its data can fill (2048 × 2048): enough for
// any truncated photo, far from the memory a forged header would cost.
constexpr qint64 kUnfilledGifPixels = 4 * 1024 * 1024;

[[noreturn]] void Fail(const char *message)
{
    throw EPictureError(QString::fromLatin1(message));
}

// Every power of two from 2 to 256 is a valid table size in a GIF file, so all of them are
// read (the writer only makes 2, 4, 8, 16 or 256).
std::vector<TBgr> ReadColourTable(TByteReader &in, int count)
{
    if (count < 2 || count > 256 || (count & (count - 1)) != 0)
        Fail("unexpected number of colors");
    std::vector<TBgr> table(static_cast<std::size_t>(count));
    const uint8_t *p = in.Bytes(qint64(count) * 3);
    for (int i = 0; i < count; ++i)
        table[std::size_t(i)] = { p[3 * i + 2], p[3 * i + 1], p[3 * i] };
    return table;
}

QByteArray ReadSubBlocks(TByteReader &in)
{
    QByteArray data;
    for (;;) {
        const int size = in.U8();
        if (size == 0)
            break;
        data.append(reinterpret_cast<const char *>(in.Bytes(size)), size);
    }
    return data;
}

// Gives the image its decoded indices, putting the rows of an interlaced image (stored in four
// passes) in their places.
void SetIndexRows(TGifSubImage &image, std::vector<uint8_t> out)
{
    image.pixels.width = image.width;
    image.pixels.height = image.height;
    if (!image.Interlaced()) {
        image.pixels.bytes = std::move(out);
        return;
    }
    image.pixels.bytes.assign(out.size(), 0);
    static const int starts[] = { 0, 4, 2, 1 };
    static const int steps[] = { 8, 8, 4, 2 };
    int row = 0;
    for (int pass = 0; pass < 4; ++pass) {
        for (int y = starts[pass]; y < image.height; y += steps[pass], ++row) {
            std::copy_n(out.begin() + std::ptrdiff_t(row) * image.width, image.width,
                image.pixels.bytes.begin() + std::ptrdiff_t(y) * image.width);
        }
    }
}

// Reads the LZW sub-blocks of an image and decodes them into its index array. Data that ends
// early leaves the remaining pixels 0; the blocks are read to their terminator either way.
void DecodeLzw(TByteReader &in, TGifSubImage &image)
{
    const int minCodeSize = in.U8();
    if (minCodeSize < 2 || minCodeSize > 9)
        Fail("Bad code Size");
    const QByteArray data = ReadSubBlocks(in);
    const std::size_t total = std::size_t(image.width) * std::size_t(image.height);
    // The declared size is checked against the bytes present before anything is allocated:
    // each code takes at least minCodeSize + 1 bits and stands for at most kMaxCodes pixels.
    // Data that ends early still leaves the rest 0, but only up to kUnfilledGifPixels, so
    // a few bytes cannot claim a picture of a gigabyte.
    const qint64 fillable = qint64(data.size()) * 8 / (minCodeSize + 1) * kMaxCodes;
    if (qint64(total) > std::max(fillable, kUnfilledGifPixels))
        Fail("Bad code");
    std::vector<uint8_t> out(total, 0);

    const int clear = 1 << minCodeSize;
    const int end = clear + 1;
    std::array<uint16_t, kMaxCodes> prefix {};
    std::array<uint8_t, kMaxCodes> suffix {};
    std::array<uint8_t, kMaxCodes> first {};
    std::array<uint8_t, kMaxCodes + 1> stack {};
    for (int i = 0; i < clear && i < kMaxCodes; ++i) {
        suffix[std::size_t(i)] = uint8_t(i);
        first[std::size_t(i)] = uint8_t(i);
    }
    int codeSize = minCodeSize + 1;
    int next = clear + 2;
    int previous = -1;
    std::size_t written = 0;
    uint32_t bitBuffer = 0;
    int bitCount = 0;
    qsizetype pos = 0;
    const uint8_t *bytes = reinterpret_cast<const uint8_t *>(data.constData());

    while (written < total) {
        while (bitCount < codeSize && pos < data.size()) {
            bitBuffer |= uint32_t(bytes[pos++]) << bitCount;
            bitCount += 8;
        }
        if (bitCount < codeSize)
            break;
        const int code = int(bitBuffer & ((1u << codeSize) - 1));
        bitBuffer >>= codeSize;
        bitCount -= codeSize;
        if (code == clear) {
            codeSize = minCodeSize + 1;
            next = clear + 2;
            previous = -1;
            continue;
        }
        if (code == end)
            break;
        if (previous < 0) {
            if (code >= clear)
                Fail("Bad code");
            out[written++] = uint8_t(code);
            previous = code;
            continue;
        }
        if (code > next || (code == next && next >= kMaxCodes))
            Fail("Bad code");
        // Unwind the string of code (or of previous plus its own first byte for the code not
        // yet in the table).
        int depth = 0;
        int c = code;
        if (code == next) {
            stack[std::size_t(depth++)] = first[std::size_t(previous)];
            c = previous;
        }
        while (c >= clear) {
            stack[std::size_t(depth++)] = suffix[std::size_t(c)];
            c = prefix[std::size_t(c)];
        }
        stack[std::size_t(depth++)] = uint8_t(c);
        while (depth > 0 && written < total)
            out[written++] = stack[std::size_t(--depth)];
        // A full table stays as it is until the next clear code (a "deferred clear").
        if (next < kMaxCodes) {
            prefix[std::size_t(next)] = uint16_t(previous);
            suffix[std::size_t(next)] = uint8_t(c);
            first[std::size_t(next)] = first[std::size_t(previous)];
            ++next;
            if (next == (1 << codeSize) && codeSize < 12)
                ++codeSize;
        }
        previous = code;
    }
    if (written == 0 && total > 0)
        Fail("Bad code");
    SetIndexRows(image, std::move(out));
}

// GIF LZW encoding of the indices with variable code sizes and a clear code whenever the
// table is full.
QByteArray EncodeLzw(const std::vector<uint8_t> &indices, int minCodeSize)
{
    QByteArray out;
    const int clear = 1 << minCodeSize;
    const int end = clear + 1;
    int codeSize = minCodeSize + 1;
    int next = clear + 2;
    std::unordered_map<uint32_t, int> table;
    table.reserve(kMaxCodes * 2);
    uint32_t bitBuffer = 0;
    int bitCount = 0;
    auto emit = [&](int code) {
        bitBuffer |= uint32_t(code) << bitCount;
        bitCount += codeSize;
        while (bitCount >= 8) {
            out.append(char(bitBuffer & 0xFF));
            bitBuffer >>= 8;
            bitCount -= 8;
        }
    };
    emit(clear);
    int current = -1;
    for (uint8_t value : indices) {
        if (current < 0) {
            current = value;
            continue;
        }
        const uint32_t key = (uint32_t(current) << 8) | value;
        auto found = table.find(key);
        if (found != table.end()) {
            current = found->second;
            continue;
        }
        emit(current);
        if (next < kMaxCodes) {
            table.emplace(key, next);
            // The decoder widens its codes once it has made the entry 2^size, one code later
            // than the encoder adds it.
            if (next == (1 << codeSize) && codeSize < 12)
                ++codeSize;
            ++next;
        } else {
            emit(clear);
            table.clear();
            codeSize = minCodeSize + 1;
            next = clear + 2;
        }
        current = value;
    }
    if (current >= 0)
        emit(current);
    emit(end);
    if (bitCount > 0)
        out.append(char(bitBuffer & 0xFF));
    return out;
}

void WriteColourTable(QByteArray &out, const std::vector<TBgr> &table)
{
    for (const TBgr &c : table) {
        out.append(char(c.r));
        out.append(char(c.g));
        out.append(char(c.b));
    }
}

int TableSizeBits(std::size_t count)
{
    int bits = 1;
    while ((std::size_t(1) << bits) < count)
        ++bits;
    return bits;
}

} // namespace

int TGifSubImage::TransparentIndex() const
{
    for (const TGifExtension &extension : extensions) {
        if (extension.label == 0xF9 && extension.data.size() >= 4 && (extension.data[0] & 1))
            return uint8_t(extension.data[3]);
    }
    return -1;
}

void TGifFile::LoadFromData(const QByteArray &data)
{
    TByteReader in(data);
    const uint8_t *header = in.Bytes(6);
    const QByteArray signature(reinterpret_cast<const char *>(header), 6);
    const QByteArray v = signature.mid(3).toLower();
    if (!signature.startsWith("GIF") || (v != "87a" && v != "89a"))
        Fail("Gif Version must be 87a or 89a");
    version = signature.mid(3);
    screenWidth = in.LE16();
    screenHeight = in.LE16();
    screenFlags = in.U8();
    background = in.U8();
    aspect = in.U8();
    globalColours.clear();
    images.clear();
    if (screenFlags & 0x80)
        globalColours = ReadColourTable(in, 2 << (screenFlags & 7));

    std::vector<TGifExtension> pending;
    qint64 totalPixels = 0;
    while (!in.AtEnd()) {
        const uint8_t introducer = in.U8();
        if (introducer == '!') {
            TGifExtension extension;
            extension.label = in.U8();
            if (extension.label != 0xF9 && extension.label != 0xFE && extension.label != 0x01
                && extension.label != 0xFF)
                throw EPictureError(QStringLiteral("Unrecognized extension block.\r\nCode = $")
                    + QStringLiteral("%1").arg(extension.label, 2, 16, QLatin1Char('0')).toUpper());
            extension.data = ReadSubBlocks(in);
            pending.push_back(std::move(extension));
        } else if (introducer == ',') {
            TGifSubImage image;
            image.left = in.LE16();
            image.top = in.LE16();
            image.width = in.LE16();
            image.height = in.LE16();
            image.flags = in.U8();
            CheckBitmapSize(image.width, image.height);
            // Every image's indices are kept; frames beyond the pixel limit in total are not
            // read, so a long run of huge frames cannot exhaust memory.
            totalPixels += qint64(image.width) * image.height;
            if (totalPixels > MaxBitmapPixels() && !images.empty())
                break;
            if (image.flags & 0x80)
                image.localColours = ReadColourTable(in, 2 << (image.flags & 7));
            image.extensions = std::move(pending);
            pending.clear();
            DecodeLzw(in, image);
            images.push_back(std::move(image));
        } else if (introducer == ';') {
            break;
        }
        // Any other byte between blocks is skipped, as the reader takes one byte at a time.
    }
}

QByteArray TGifFile::SaveToData() const
{
    QByteArray out("GIF");
    out.append(version.left(3).leftJustified(3, 'a'));
    auto le16 = [&](int v) {
        out.append(char(v & 0xFF));
        out.append(char((v >> 8) & 0xFF));
    };
    le16(screenWidth);
    le16(screenHeight);
    uint8_t flags = screenFlags & 0x70;
    if (!globalColours.empty())
        flags |= uint8_t(0x80 | (TableSizeBits(globalColours.size()) - 1));
    out.append(char(flags));
    out.append(char(background));
    out.append(char(aspect));
    WriteColourTable(out, globalColours);
    for (const TGifSubImage &image : images) {
        for (const TGifExtension &extension : image.extensions) {
            out.append('!');
            out.append(char(extension.label));
            for (qsizetype i = 0; i < extension.data.size(); i += 255) {
                const QByteArray chunk = extension.data.mid(i, 255);
                out.append(char(chunk.size()));
                out.append(chunk);
            }
            out.append(char(0));
        }
        out.append(',');
        le16(image.left);
        le16(image.top);
        le16(image.width);
        le16(image.height);
        uint8_t imageFlags = 0;
        if (!image.localColours.empty())
            imageFlags |= uint8_t(0x80 | (TableSizeBits(image.localColours.size()) - 1));
        out.append(char(imageFlags));
        WriteColourTable(out, image.localColours);
        const std::size_t tableSize
            = image.localColours.empty() ? globalColours.size() : image.localColours.size();
        const int minCodeSize = std::max(2, TableSizeBits(tableSize));
        out.append(char(minCodeSize));
        const QByteArray lzw = EncodeLzw(image.pixels.bytes, minCodeSize);
        for (qsizetype i = 0; i < lzw.size(); i += 255) {
            const QByteArray chunk = lzw.mid(i, 255);
            out.append(char(chunk.size()));
            out.append(chunk);
        }
        out.append(char(0));
    }
    out.append(';');
    return out;
}

TBitmap TGifFile::FirstImageBitmap() const
{
    if (images.empty())
        Fail("Bad code");
    const TGifSubImage &image = images.front();
    if (image.width == 0 || image.height == 0)
        Fail("Bad code");
    int width = screenWidth;
    int height = screenHeight;
    if (width == 0 || height == 0) {
        width = image.left + image.width;
        height = image.top + image.height;
    }
    // The screen is a bare number in the header: no larger than the image that the file's
    // bytes hold, or than kUnfilledGifPixels, or the picture is refused as damaged.
    const qint64 allowed = std::max(qint64(image.width) * image.height, kUnfilledGifPixels);
    if (qint64(width) * height > allowed)
        Fail("Bad code");
    TBitmap bitmap(width, height);
    if (bitmap.Empty())
        Fail("Bad code");
    const std::vector<TBgr> &table
        = image.localColours.empty() ? globalColours : image.localColours;
    TBgr back;
    if (background < globalColours.size())
        back = globalColours[background];
    bitmap.Fill(back);
    const int transparent = image.TransparentIndex();
    for (int y = 0; y < image.height; ++y) {
        const int by = image.top + y;
        if (by >= height)
            break;
        for (int x = 0; x < image.width; ++x) {
            const int bx = image.left + x;
            if (bx >= width)
                break;
            const uint8_t index = image.pixels.At(x, y);
            if (index == transparent)
                continue;
            bitmap.SetPixel(bx, by, index < table.size() ? table[index] : TBgr {});
        }
    }
    return bitmap;
}

TGifFile TGifFile::FromBitmap(const TBitmap &bitmap)
{
    TGifFile gif;
    gif.screenWidth = bitmap.Width();
    gif.screenHeight = bitmap.Height();
    TGifSubImage image;
    image.width = bitmap.Width();
    image.height = bitmap.Height();
    image.pixels.width = image.width;
    image.pixels.height = image.height;
    image.pixels.bytes.resize(std::size_t(image.width) * std::size_t(image.height));

    auto key = [](const uint8_t *p) { return uint32_t(p[0]) | (p[1] << 8) | (p[2] << 16); };
    std::unordered_map<uint32_t, uint8_t> exact;
    bool fits = true;
    for (int y = 0; y < bitmap.Height() && fits; ++y) {
        const uint8_t *p = bitmap.ScanLine(y);
        for (int x = 0; x < bitmap.Width(); ++x, p += 3) {
            const uint32_t k = key(p);
            if (exact.count(k))
                continue;
            if (exact.size() == 256) {
                fits = false;
                break;
            }
            exact.emplace(k, uint8_t(exact.size()));
            gif.globalColours.push_back({ p[0], p[1], p[2] });
        }
    }
    if (!fits) {
        gif.globalColours.clear();
        for (int r = 0; r < 6; ++r)
            for (int g = 0; g < 7; ++g)
                for (int b = 0; b < 6; ++b)
                    gif.globalColours.push_back(
                        { uint8_t(b * 255 / 5), uint8_t(g * 255 / 6), uint8_t(r * 255 / 5) });
    }
    for (int y = 0; y < bitmap.Height(); ++y) {
        const uint8_t *p = bitmap.ScanLine(y);
        for (int x = 0; x < bitmap.Width(); ++x, p += 3) {
            uint8_t index;
            if (fits) {
                index = exact[key(p)];
            } else {
                const int r = (p[2] * 5 + 127) / 255;
                const int g = (p[1] * 6 + 127) / 255;
                const int b = (p[0] * 5 + 127) / 255;
                index = uint8_t((r * 7 + g) * 6 + b);
            }
            image.pixels.At(x, y) = index;
        }
    }
    // Colour tables hold 2, 4, 8, 16 or 256 entries; the unused ones are black.
    std::size_t size = 2;
    while (size < gif.globalColours.size())
        size = size < 16 ? size * 2 : 256;
    gif.globalColours.resize(size);
    gif.images.push_back(std::move(image));
    return gif;
}

std::optional<TBitmap> ReadGifBitmap(const QString &fileName)
{
    try {
        TBitmap bitmap;
        LoadGifBitmap(bitmap, fileName);
        return bitmap;
    } catch (const std::exception &) {
        return std::nullopt;
    }
}

void LoadGifBitmap(TBitmap &bitmap, const QString &fileName)
{
    const std::optional<QByteArray> data = ReadWholeFile(fileName, qint64(1) << 30);
    if (!data)
        throw EPictureError(CannotOpenPictureText(fileName), peNoFile);
    TGifFile gif;
    gif.LoadFromData(*data);
    bitmap = gif.FirstImageBitmap();
}

bool WriteGifBitmap(const TBitmap &bitmap, const QString &fileName)
{
    if (bitmap.Empty())
        return false;
    return WriteFileAtomic(fileName, TGifFile::FromBitmap(bitmap).SaveToData());
}

} // namespace korvatel
