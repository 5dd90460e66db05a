#include "imaging/bitmap.h"

#include <atomic>
#include <cstring>

namespace korvatel
{

namespace
{

// 200 megapixels: well above any camera picture, and 600 MB at 24 bits.
std::atomic<qint64> gMaxPixels { 200'000'000 };

} // namespace

QString DamagedPictureText()
{
    return QStringLiteral("画像ファイルが壊れています。");
}

QString CannotOpenPictureText(const QString &fileName)
{
    return QStringLiteral("画像ファイルを開けません。\r\n") + fileName;
}

qint64 MaxBitmapPixels()
{
    return gMaxPixels.load();
}

void SetMaxBitmapPixels(qint64 pixels)
{
    gMaxPixels.store(pixels);
}

void CheckBitmapSize(qint64 width, qint64 height)
{
    if (width < 0)
        throw EPictureError(QStringLiteral("TBigBitmap.SetBitmaps: Negative Width"), peNoBitmap);
    if (height < 0)
        throw EPictureError(QStringLiteral("TBigBitmap.SetBitmaps: Negative Height"), peNoBitmap);
    if (width > kMaxBitmapSide || height > kMaxBitmapSide || width * height > MaxBitmapPixels())
        throw EPictureError(
            QStringLiteral("TBigBitmap.SetBitmaps: Too Big Width or Too Many Pixel Bits"),
            peNoBitmap);
}

TBitmap::TBitmap(int width, int height)
{
    SetSize(width, height);
}

void TBitmap::Allocate(int width, int height)
{
    CheckBitmapSize(width, height);
    if (width == 0 || height == 0)
        width = height = 0;
    const int stride = BytesPerLine(width);
    // A fresh vector rather than a resize: the old pixels are never copied, and the memory of
    // a large bitmap comes straight from the system, untouched until it is written.
    decltype(FBits) bits(std::size_t(stride) * std::size_t(height));
    FBits.swap(bits);
    FWidth = width;
    FHeight = height;
    FStride = stride;
}

void TBitmap::SetSize(int width, int height)
{
    Allocate(width, height);
    if (!FBits.empty())
        std::memset(FBits.data(), 0, FBits.size());
}

void TBitmap::SetSizeForWriter(int width, int height)
{
    Allocate(width, height);
    const int used = FWidth * 3;
    if (used == FStride)
        return;
    for (int y = 0; y < FHeight; ++y)
        std::memset(ScanLine(y) + used, 0, std::size_t(FStride - used));
}

void TBitmap::Fill(TBgr colour)
{
    for (int y = 0; y < FHeight; ++y) {
        uint8_t *p = ScanLine(y);
        for (int x = 0; x < FWidth; ++x, p += 3) {
            p[0] = colour.b;
            p[1] = colour.g;
            p[2] = colour.r;
        }
    }
}

QImage TBitmap::View()
{
    if (Empty())
        return {};
    return QImage(FBits.data(), FWidth, FHeight, FStride, QImage::Format_BGR888);
}

QImage TBitmap::View() const
{
    if (Empty())
        return {};
    return QImage(FBits.data(), FWidth, FHeight, FStride, QImage::Format_BGR888);
}

TBitmap TBitmap::FromImage(const QImage &image)
{
    TBitmap bitmap;
    if (image.isNull())
        return bitmap;
    const QImage bgr = image.format() == QImage::Format_BGR888
        ? image
        : image.convertToFormat(QImage::Format_BGR888);
    bitmap.SetSizeForWriter(bgr.width(), bgr.height()); // every row is copied below
    for (int y = 0; y < bitmap.FHeight; ++y)
        std::memcpy(bitmap.ScanLine(y), bgr.constScanLine(y), std::size_t(bitmap.FWidth) * 3);
    return bitmap;
}

bool operator==(const TBitmap &a, const TBitmap &b)
{
    if (a.FWidth != b.FWidth || a.FHeight != b.FHeight)
        return false;
    for (int y = 0; y < a.FHeight; ++y) {
        if (std::memcmp(a.ScanLine(y), b.ScanLine(y), std::size_t(a.FWidth) * 3) != 0)
            return false;
    }
    return true;
}

} // namespace korvatel
