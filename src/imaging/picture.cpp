#include "imaging/picture.h"

#include "imaging/dib.h"
#include "imaging/gif.h"
#include "imaging/heif_codec.h"
#include "imaging/picture_kinds.h"
#include "imaging/tiff_codec.h"
#include "imaging/webp_codec.h"
#include "text/sjis_file.h"

#include <QFile>
#include <QFileInfo>
#include <QImage>

namespace korvatel
{

namespace
{

QByteArray ReadPictureFile(const QString &fileName)
{
    std::optional<QByteArray> data = ReadWholeFile(fileName, kMaxPictureFileSize);
    if (!data)
        throw EPictureError(CannotOpenPictureText(fileName), peNoFile);
    return std::move(*data);
}

TBitmap LoadPng(const QByteArray &data)
{
    QImage image;
    if (!image.loadFromData(data, "PNG"))
        throw EPictureError(DamagedPictureText());
    CheckBitmapSize(image.width(), image.height());
    return TBitmap::FromImage(image);
}

bool FileExists(const QString &fileName)
{
    return QFileInfo(fileName).isFile();
}

} // namespace

int TPicture::Width() const
{
    if (const TBitmap *bitmap = Bitmap())
        return bitmap->Width();
    if (const TJpegImage *jpeg = Jpeg())
        return jpeg->Width();
    return 0;
}

int TPicture::Height() const
{
    if (const TBitmap *bitmap = Bitmap())
        return bitmap->Height();
    if (const TJpegImage *jpeg = Jpeg())
        return jpeg->Height();
    return 0;
}

TBitmap TPicture::ToBitmap() const
{
    if (const TBitmap *bitmap = Bitmap())
        return *bitmap;
    if (const TJpegImage *jpeg = Jpeg())
        return jpeg->ToBitmap();
    return {};
}

void TPicture::LoadFromFile(const QString &fileName)
{
    Clear();
    switch (ImageKindOf(fileName)) {
    case ikJpeg: {
        TJpegImage jpeg;
        jpeg.LoadFromFile(fileName);
        FGraphic = std::move(jpeg);
        break;
    }
    case ikBmp:
        FGraphic = LoadDIBFromStream(ReadPictureFile(fileName));
        break;
    case ikGif: {
        TGifFile gif;
        gif.LoadFromData(ReadPictureFile(fileName));
        FGraphic = gif.FirstImageBitmap();
        break;
    }
    case ikPng:
        FGraphic = LoadPng(ReadPictureFile(fileName));
        break;
    case ikTiff:
        FGraphic = DecodeTiff(ReadPictureFile(fileName));
        break;
    case ikWebp:
        FGraphic = DecodeWebp(ReadPictureFile(fileName));
        break;
    case ikHeif:
    case ikAvif:
        FGraphic = DecodeHeif(ReadPictureFile(fileName));
        break;
    default:
        // Metafiles (ikWmf and ikEmf) have no reader here; they fail like an unreadable file.
        throw EPictureError(
            QStringLiteral("Unknown picture file extension (%1)").arg(QFileInfo(fileName).suffix()),
            peUnknownKind);
    }
}

bool LoadPicture(TPicture &picture, const QString &fileName, bool mustExist)
{
    picture.Clear();
    if (mustExist && !FileExists(fileName))
        return false;
    switch (ImageKindOf(fileName)) {
    case ikGif:
        if (std::optional<TBitmap> bitmap = ReadGifBitmap(fileName))
            picture.Assign(std::move(*bitmap));
        return picture.HasGraphic();
    case ikJpeg:
    case ikBmp:
    case ikWmf:
    case ikEmf:
    case ikPng:
    case ikTiff:
    case ikWebp:
    case ikHeif:
    case ikAvif:
        picture.LoadFromFile(fileName);
        return true;
    default:
        return false;
    }
}

bool LoadBitmapFile(TBitmap &bitmap, const QString &fileName, bool mustExist)
{
    if (mustExist && !FileExists(fileName))
        return false;
    const int kind = ImageKindOf(fileName);
    // Kind 0 loads nothing: that is reported as false rather than as a loaded picture.
    if (kind == ikNone)
        return false;
    try {
        if (kind == ikBmp) {
            bitmap = LoadDIBFromStream(ReadPictureFile(fileName));
            return true;
        }
        if (kind == ikGif) {
            LoadGifBitmap(bitmap, fileName);
            return true;
        }
        TPicture holder;
        holder.LoadFromFile(fileName);
        if (!holder.HasGraphic())
            return false;
        bitmap = holder.ToBitmap();
        return true;
    } catch (const std::exception &) {
        throw EAbort();
    }
}

bool SavePicture(const QString &fileName, const TPicture &picture, bool bitmapFallback)
{
    if (!picture.HasGraphic())
        return false;
    switch (ImageKindOf(fileName)) {
    case ikJpeg: {
        if (const TJpegImage *jpeg = picture.Jpeg())
            return jpeg->SaveToFile(fileName);
        const TBitmap &bitmap = *picture.Bitmap();
        try {
            if (WriteFileAtomic(fileName, EncodeJpeg(bitmap, 100)))
                return true;
        } catch (const EPictureError &) {
        }
        if (bitmapFallback) {
            const QFileInfo info(fileName);
            const QString bmpName
                = info.path() + QLatin1Char('/') + info.completeBaseName() + QStringLiteral(".BMP");
            return !bitmap.Empty() && WriteFileAtomic(bmpName, SaveDIBToStream(bitmap));
        }
        try {
            return WriteFileAtomic(fileName, EncodeJpeg(bitmap, 90));
        } catch (const EPictureError &) {
            return false;
        }
    }
    case ikBmp: {
        const TBitmap bitmap = picture.ToBitmap();
        return !bitmap.Empty() && WriteFileAtomic(fileName, SaveDIBToStream(bitmap));
    }
    case ikGif:
        return WriteGifBitmap(picture.ToBitmap(), fileName);
    default:
        // Metafiles cannot be written on this platform; PNG and the rest are not written.
        return false;
    }
}

bool SavePicture(const QString &fileName, const TBitmap &bitmap, bool bitmapFallback)
{
    TPicture picture;
    picture.Assign(bitmap);
    return SavePicture(fileName, picture, bitmapFallback);
}

bool LoadCciJpeg(TJpegImage &jpeg, const QString &fileName)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    if (file.size() > kMaxPictureFileSize || !file.seek(11))
        throw EPictureError(DamagedPictureText());
    jpeg.LoadFromData(file.readAll());
    return true;
}

bool LoadCciJpeg(TBitmap &bitmap, const QString &fileName)
{
    try {
        TJpegImage jpeg;
        if (!LoadCciJpeg(jpeg, fileName))
            return false;
        bitmap = jpeg.ToBitmap();
        return true;
    } catch (const std::exception &) {
        return false;
    }
}

bool LoadCciJpeg(TPicture &picture, const QString &fileName)
{
    try {
        TJpegImage jpeg;
        if (LoadCciJpeg(jpeg, fileName)) {
            picture.Assign(std::move(jpeg));
            return true;
        }
    } catch (const std::exception &) {
    }
    picture.Clear();
    return false;
}

} // namespace korvatel
