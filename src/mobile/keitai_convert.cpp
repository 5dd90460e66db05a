#include "mobile/keitai_convert.h"

#include "imaging/dib.h"
#include "imaging/effects.h"
#include "imaging/gif.h"
#include "imaging/jpeg_codec.h"
#include "imaging/picture.h"
#include "imaging/picture_kinds.h"
#include "imaging/resample.h"
#include "text/sjis_file.h"

#include <QBuffer>
#include <QImage>
#include <algorithm>
#include <cmath>

namespace korvatel
{

bool ValidPhoneTarget(const TPhoneTarget &target)
{
    return target.fmt >= pfBMP && target.fmt <= pfJPG && target.w >= kMinPhoneSide
        && target.w <= kMaxPhoneSide && target.h >= kMinPhoneSide && target.h <= kMaxPhoneSide;
}

int PhoneSizeUp(int value)
{
    return value < kMinPhoneSide ? kMinPhoneSide : value + 1;
}

int PhoneSizeRepeatDelay(int repeats)
{
    return std::max(380 - 50 * repeats, 30);
}

TBitmap MakePhonePicture(const TBitmap &picture, int turns, const TKeitaiCrop &crop, int w, int h)
{
    TBitmap out(w, h);
    out.Fill({ 0, 0, 0 });
    if (picture.Empty() || w <= 0 || h <= 0)
        return out;
    // The picture is copied only when it has to be turned.
    const int quarter = ((turns % 4) + 4) % 4;
    TBitmap rotated;
    if (quarter > 0) {
        rotated = picture;
        RotateImage(rotated, RotationType(quarter));
    }
    const TBitmap &turned = quarter > 0 ? rotated : picture;
    const QRectF source = KeitaiSourceRect(QSize(turned.Width(), turned.Height()), crop, w, h);
    if (source.width() <= 0 || source.height() <= 0)
        return out;
    // The part of the source inside the picture, and where it lands in the phone picture.
    const QRectF inside = source.intersected(QRectF(0, 0, turned.Width(), turned.Height()));
    if (inside.isEmpty())
        return out;
    const double sx = w / source.width();
    const double sy = h / source.height();
    const QRect from
        = inside.toAlignedRect().intersected(QRect(0, 0, turned.Width(), turned.Height()));
    const int toX = std::clamp(int(std::lround((from.left() - source.left()) * sx)), 0, w - 1);
    const int toY = std::clamp(int(std::lround((from.top() - source.top()) * sy)), 0, h - 1);
    const int toW = std::clamp(int(std::lround(from.width() * sx)), 1, w - toX);
    const int toH = std::clamp(int(std::lround(from.height() * sy)), 1, h - toY);
    TBitmap part(from.width(), from.height());
    for (int y = 0; y < from.height(); ++y) {
        std::copy_n(
            turned.ScanLine(from.top() + y) + 3 * from.left(), 3 * from.width(), part.ScanLine(y));
    }
    // Area averaging keeps a strong reduction free of aliasing; an enlargement is bilinear.
    const bool reduce = toW <= part.Width() && toH <= part.Height();
    const TBitmap scaled
        = reduce ? ResizeAreaAverage(part, toW, toH) : ResizeBilinear(part, toW, toH);
    for (int y = 0; y < toH; ++y)
        std::copy_n(scaled.ScanLine(y), 3 * toW, out.ScanLine(toY + y) + 3 * toX);
    return out;
}

QByteArray EncodePhonePicture(const TBitmap &bitmap, int fmt)
{
    switch (fmt) {
    case pfJPG:
        return EncodeJpeg(bitmap, 90);
    case pfBMP:
        return SaveDIBToStream(bitmap);
    case pfGIF:
        return TGifFile::FromBitmap(bitmap).SaveToData();
    case pfPNG: {
        QByteArray data;
        QBuffer buffer(&data);
        buffer.open(QIODevice::WriteOnly);
        if (!bitmap.View().save(&buffer, "PNG"))
            return {};
        return data;
    }
    default:
        return {};
    }
}

QString PhoneExtension(int fmt)
{
    return fmt >= pfBMP && fmt <= pfJPG ? PictureFormatExtension(PictureFormat(fmt)) : QString();
}

bool ConvertPhonePicture(const QString &source, int turns, const TKeitaiCrop &crop,
    const TPhoneTarget &target, const QString &out, QString *error)
{
    const auto fail = [error](const QString &text) {
        if (error)
            *error = text;
        return false;
    };
    if (!ValidPhoneTarget(target))
        return fail(QStringLiteral("携帯画像のサイズか形式が正しくありません。"));
    TBitmap picture;
    try {
        TPicture holder;
        if (!LoadPicture(holder, source, true))
            return fail(CannotOpenPictureText(source));
        picture = holder.ToBitmap();
    } catch (const EPictureError &e) {
        return fail(e.Message());
    } catch (const std::exception &) {
        return fail(CannotOpenPictureText(source));
    }
    const QByteArray data = EncodePhonePicture(
        MakePhonePicture(picture, turns, crop, target.w, target.h), target.fmt);
    if (data.isEmpty() || !WriteFileAtomic(out, data))
        return fail(QStringLiteral("携帯画像を書き込めませんでした。") + out);
    return true;
}

} // namespace korvatel
