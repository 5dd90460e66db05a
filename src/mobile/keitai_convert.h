#pragma once

#include "imaging/bitmap.h"
#include "mobile/keitai_trim.h"

#include <QByteArray>
#include <QString>

namespace korvatel
{

// What a phone picture is made into: w × h pixels in a format (1 BMP, 2 PNG, 3 GIF, 4 JPG).
struct TPhoneTarget {
    int w = 0;
    int h = 0;
    int fmt = 4;
};

// The sizes a phone picture may have, as the picker allows them.
inline constexpr int kMinPhoneSide = 20;
inline constexpr int kMaxPhoneSide = 500;
bool ValidPhoneTarget(const TPhoneTarget &target);
// The size steppers of the picker: "+" takes a value below 20 to 20, else adds one; "-" is
// offered from 20 up, "+" up to 500. Held down they repeat, first after 380 ms, then each
// time 50 ms sooner (never below 30 ms).
int PhoneSizeUp(int value);
inline bool PhoneSizeDownEnabled(int value)
{
    return value >= kMinPhoneSide;
}
inline bool PhoneSizeUpEnabled(int value)
{
    return value <= kMaxPhoneSide;
}
int PhoneSizeRepeatDelay(int repeats);

// The phone picture of a picture: turned by quarter turns clockwise, the crop's part (or the
// width fit when the crop is unset) scaled to w × h. Parts of the crop outside the picture are
// black.
TBitmap MakePhonePicture(const TBitmap &picture, int turns, const TKeitaiCrop &crop, int w, int h);
// The picture in a phone format: JPEG (quality 90), PNG, GIF, Windows bitmap; empty for ETC.
QByteArray EncodePhonePicture(const TBitmap &bitmap, int fmt);
// The file extension of a phone format: ".jpg", ".png", ".gif", ".bmp"; empty for ETC.
QString PhoneExtension(int fmt);

// Loads the picture file, makes the phone picture and writes it to out. False with the reason
// in *error when the picture does not load, the target is not valid or the write failed.
bool ConvertPhonePicture(const QString &source, int turns, const TKeitaiCrop &crop,
    const TPhoneTarget &target, const QString &out, QString *error = nullptr);

} // namespace korvatel
