#pragma once

// Camera-like JPEGs for the benchmarks: a smooth picture with sensor noise, and its JPEG with an
// Exif block in front whose IFD1 points at a 160 × 120 JPEG thumbnail, as a camera writes it.
#include "imaging/bitmap.h"
#include "imaging/jpeg_codec.h"

#include <QByteArray>
#include <algorithm>
#include <random>

namespace korvatel::bench
{

inline void Put16(QByteArray &b, int v)
{
    b.append(char(v & 0xFF)).append(char((v >> 8) & 0xFF));
}

inline void Put32(QByteArray &b, quint32 v)
{
    Put16(b, int(v & 0xFFFF));
    Put16(b, int(v >> 16));
}

inline void Entry(QByteArray &b, int tag, int type, quint32 value)
{
    Put16(b, tag);
    Put16(b, type);
    Put32(b, 1);
    Put32(b, value);
}

// A smooth picture with sensor noise, different for each seed.
inline TBitmap CameraPicture(int w, int h, int seed)
{
    TBitmap picture(w, h);
    std::minstd_rand noise(unsigned(seed + 1));
    for (int y = 0; y < h; ++y) {
        uint8_t *row = picture.ScanLine(y);
        for (int x = 0; x < w; ++x) {
            const int n = int(noise() % 17) - 8;
            row[3 * x] = uint8_t(std::clamp(x * 200 / w + 30 + n + seed, 0, 255));
            row[3 * x + 1] = uint8_t(std::clamp(y * 180 / h + 40 + n, 0, 255));
            row[3 * x + 2] = uint8_t(std::clamp((x + y) * 220 / (w + h) + 20 + n, 0, 255));
        }
    }
    return picture;
}

// The JPEG with its Exif block: IFD0 empty, or with the picture's width and height when
// withSize is set; IFD1 with the thumbnail.
inline QByteArray CameraJpeg(int w, int h, int seed, bool withSize = false)
{
    const QByteArray main = EncodeJpeg(CameraPicture(w, h, seed), 90);
    const QByteArray thumb = EncodeJpeg(CameraPicture(160, 120, seed), 80);
    const int ifd0Entries = withSize ? 2 : 0;
    const quint32 ifd1 = quint32(8 + 2 + 12 * ifd0Entries + 4);
    QByteArray tiff("II*\0\x08\0\0\0", 8);
    Put16(tiff, ifd0Entries);
    if (withSize) {
        Entry(tiff, 256, 4, quint32(w));
        Entry(tiff, 257, 4, quint32(h));
    }
    Put32(tiff, ifd1);
    Put16(tiff, 3);
    Entry(tiff, 259, 3, 6); // compression: JPEG
    Entry(tiff, 513, 4, ifd1 + 2 + 36 + 4); // thumbnail offset, right after this IFD
    Entry(tiff, 514, 4, quint32(thumb.size()));
    Put32(tiff, 0);
    tiff.append(thumb);
    QByteArray app1("\xFF\xE1", 2);
    const int length = 2 + 6 + int(tiff.size());
    app1.append(char(length >> 8)).append(char(length & 0xFF));
    app1.append("Exif\0\0", 6).append(tiff);
    return QByteArray("\xFF\xD8", 2) + app1 + main.mid(2);
}

} // namespace korvatel::bench
