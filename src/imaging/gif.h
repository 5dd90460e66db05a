#pragma once

#include "imaging/bitmap.h"

#include <QByteArray>
#include <QString>
#include <optional>
#include <vector>

namespace korvatel
{

// The pixel indices of one GIF image, row by row (already in display order when the image was
// stored interlaced).
struct TByteArray2D {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> bytes;
    uint8_t &At(int x, int y) { return bytes[std::size_t(y) * std::size_t(width) + x]; }
    uint8_t At(int x, int y) const { return bytes[std::size_t(y) * std::size_t(width) + x]; }
};

// An extension block as read: its label and the data of its sub-blocks joined.
struct TGifExtension {
    uint8_t label = 0;
    QByteArray data;
};

struct TGifSubImage {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    uint8_t flags = 0; // bit 7 local colour table, bit 6 interlaced, bits 0-2 table size
    std::vector<TBgr> localColours;
    TByteArray2D pixels;
    std::vector<TGifExtension> extensions; // those read before the image
    bool Interlaced() const { return flags & 0x40; }
    // The transparent index from the graphic control extension, or -1.
    int TransparentIndex() const;
};

// A GIF file (87a or 89a): header, logical screen, global colour table and the images with the
// extension blocks before each. Reading and writing throw EPictureError with the system's
// texts ("Gif Version must be 87a or 89a", "Bad code Size", "Bad code", ...).
class TGifFile
{
public:
    QByteArray version = "89a";
    int screenWidth = 0;
    int screenHeight = 0;
    uint8_t screenFlags = 0;
    uint8_t background = 0;
    uint8_t aspect = 0;
    std::vector<TBgr> globalColours;
    std::vector<TGifSubImage> images;

    void LoadFromData(const QByteArray &data);
    QByteArray SaveToData() const;

    // The first image on the logical screen (the image's own extent where the screen is
    // empty), outside it the background colour. Throws EPictureError when there is no image.
    TBitmap FirstImageBitmap() const;

    // A one-image GIF of the bitmap, reduced to at most 256 colours: the exact colours when
    // there are no more, otherwise a fixed 6 × 7 × 6 colour cube.
    static TGifFile FromBitmap(const TBitmap &bitmap);
};

// Reads a GIF file into a new bitmap (its first image); nullopt on any failure.
std::optional<TBitmap> ReadGifBitmap(const QString &fileName);
// Reads a GIF file into the bitmap; throws EPictureError (or the file's read error) on failure.
void LoadGifBitmap(TBitmap &bitmap, const QString &fileName);
// Writes the bitmap as a GIF file; false when it is empty or the file cannot be written.
bool WriteGifBitmap(const TBitmap &bitmap, const QString &fileName);

} // namespace korvatel
