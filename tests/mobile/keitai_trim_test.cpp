#include "imaging/dib.h"
#include "imaging/effects.h"
#include "imaging/picture_kinds.h"
#include "mobile/keitai_convert.h"
#include "mobile/keitai_delivery.h"
#include "mobile/keitai_trim.h"
#include "support/image_builders.h"

#include <QBuffer>
#include <QImageReader>
#include <QRegularExpression>
#include <gtest/gtest.h>

namespace korvatel
{

namespace
{

const QSize kPanel(420, 300);

TEST(KeitaiTrim, FrameSizeFollowsThePhonesAspectRatio)
{
    EXPECT_EQ(KeitaiFrameSize(240, 320), QSize(168, 223));
    EXPECT_EQ(KeitaiFrameSize(120, 130), QSize(206, 223)); // 204.0 + 2
    const QRect frame = KeitaiFrameRect(kPanel, 240, 320);
    EXPECT_EQ(frame, QRect(126, 38, 168, 223));
    EXPECT_EQ(KeitaiInnerRect(frame), QRect(127, 39, 166, 221));
}

TEST(KeitaiTrim, NoCropFitsTheWidthAndAStoredCropMapsOntoTheFrame)
{
    const QRect frame = KeitaiFrameRect(kPanel, 240, 320);
    const QRect inner = KeitaiInnerRect(frame);
    const QRect fit = KeitaiPlacement(frame, QSize(800, 600), {});
    EXPECT_EQ(fit, QRect(inner.left(), inner.top(), 166, 125));
    // Recording the width fit and placing it again gives the same place.
    const TKeitaiCrop recorded = KeitaiRecord(frame, fit);
    EXPECT_DOUBLE_EQ(recorded.left, 0);
    EXPECT_DOUBLE_EQ(recorded.right, 1);
    EXPECT_EQ(KeitaiPlacement(frame, QSize(800, 600), recorded), fit);

    const TKeitaiCrop crop { 0.25, 0.1, 0.5, 0.6 };
    const QRect placed = KeitaiPlacement(frame, QSize(800, 600), crop);
    EXPECT_EQ(placed.width(), 664); // 166 / 0.25
    EXPECT_EQ(placed.height(), 442); // 221 / 0.5
    EXPECT_EQ(placed.left(), inner.left() - 166);
    const TKeitaiCrop back = KeitaiRecord(frame, placed);
    // Back to within the pixel the control was rounded to.
    EXPECT_NEAR(back.left, 0.25, 1.0 / placed.width());
    EXPECT_NEAR(back.bottom, 0.6, 1.0 / placed.height());
    // A zero span gives a zero scale instead of a division by zero.
    EXPECT_EQ(KeitaiPlacement(frame, QSize(800, 600), { 0.5, 0.5, 0.5, 0.5 }).width(), 0);
}

TEST(KeitaiTrim, MovesStepTowardsTheirLimitAndKeepThePictureOverTheFrame)
{
    EXPECT_EQ(KeitaiMoveLimit(168, 1000), 8); // min(8, 33)
    EXPECT_EQ(KeitaiMoveLimit(168, 100), 6); // max(6, 5)
    EXPECT_EQ(KeitaiNextStep(1, 8), 2);
    EXPECT_EQ(KeitaiNextStep(1, 33), 5);
    EXPECT_EQ(KeitaiNextStep(31, 33), 33);

    const QRect frame(100, 50, 168, 223);
    const QRect control(100, 50, 400, 300);
    // "right" moves the picture left, "down" moves it up.
    const TKeitaiMove diagonal = KeitaiMove(control, frame, kmRight | kmDown, QPoint(5, 7));
    EXPECT_EQ(diagonal.control.topLeft(), QPoint(95, 43));
    EXPECT_FALSE(diagonal.stoppedX);
    EXPECT_FALSE(diagonal.stoppedY);
    // Far to the left the picture stops with one column still over the frame.
    const TKeitaiMove far = KeitaiMove(control, frame, kmLeft, QPoint(1000, 1000));
    EXPECT_EQ(far.control.left(), frame.left() + frame.width() - 1);
    EXPECT_TRUE(far.stoppedX);
    EXPECT_TRUE(far.stoppedY); // no vertical movement was asked for
    const TKeitaiMove up = KeitaiMove(control, frame, kmUp, QPoint(3, 3));
    EXPECT_EQ(up.control.top(), 53);
}

TEST(KeitaiTrim, ZoomKeepsTheAnchorAndEndsAtTwoPixels)
{
    const QRect frame(100, 50, 168, 223);
    const QRect control(0, 0, 400, 300);
    const std::optional<QRect> larger = KeitaiZoom(control, frame, 3, false);
    ASSERT_TRUE(larger);
    EXPECT_EQ(larger->width(), 411); // 400 + 2.5 × 0.01 × 400 + 1
    EXPECT_EQ(larger->height(), 308);
    // The anchor is the centre of the frame's covered part, here the whole inner area: the
    // same point of the picture stays there.
    const double ax = 101 + 166 / 2.0, ay = 51 + 221 / 2.0;
    const double fx = ax / 400, fy = ay / 300;
    EXPECT_NEAR(larger->left() + fx * larger->width(), ax, 1.0);
    EXPECT_NEAR(larger->top() + fy * larger->height(), ay, 1.0);
    EXPECT_EQ(KeitaiZoom(control, frame, 1, true)->width(), 380);
    EXPECT_FALSE(KeitaiZoom(QRect(180, 150, 3, 3), frame, 0, true));
}

TEST(KeitaiTrim, FourQuarterTurnsGiveTheStartAndTheFrameCentreStays)
{
    const QRect frame(100, 50, 168, 223);
    const QRect control(30, 20, 400, 300);
    QRect turned = control;
    for (int i = 0; i < 4; ++i)
        turned = KeitaiTurn(turned, frame, 1);
    // Each turn places to the nearest pixel: four of them stay within two.
    EXPECT_NEAR(turned.left(), control.left(), 2);
    EXPECT_NEAR(turned.top(), control.top(), 2);
    EXPECT_EQ(turned.size(), control.size());
    const QRect once = KeitaiTurn(control, frame, 1);
    EXPECT_EQ(once.size(), QSize(300, 400));
    EXPECT_EQ(KeitaiTurn(once, frame, 3).size(), control.size());

    const QRect centred = KeitaiCentreOn(control, frame, QPoint(40, 30));
    EXPECT_EQ(centred.topLeft(), QPoint(30 + 184 - 40, 20 + 161 - 30));
    const QRect height = KeitaiFit(control, frame, kfHeight, QSize(400, 300));
    EXPECT_EQ(height.height(), 221);
    EXPECT_EQ(KeitaiFit(control, frame, kfRight, {}).right(), frame.right() - 1);
}

TEST(PhonePicture, TheCropFillsThePhoneAndPartsOutsideAreBlack)
{
    // Four quadrants of plain colours.
    TBitmap picture(200, 100);
    for (int y = 0; y < 100; ++y)
        for (int x = 0; x < 200; ++x)
            picture.SetPixel(x, y,
                x < 100 ? (y < 50 ? TBgr { 255, 0, 0 } : TBgr { 0, 255, 0 })
                        : (y < 50 ? TBgr { 0, 0, 255 } : TBgr { 255, 255, 255 }));
    // The right half, top to bottom, on a 40 × 40 phone.
    const TBitmap right = MakePhonePicture(picture, 0, { 0.5, 0, 1, 1 }, 40, 40);
    EXPECT_EQ(right.Pixel(5, 5), (TBgr { 0, 0, 255 }));
    EXPECT_EQ(right.Pixel(35, 35), (TBgr { 255, 255, 255 }));
    // Width fit on a tall phone: the picture fills the top, black below.
    const TBitmap fit = MakePhonePicture(picture, 0, {}, 40, 80);
    EXPECT_EQ(fit.Pixel(2, 2), (TBgr { 255, 0, 0 }));
    EXPECT_EQ(fit.Pixel(38, 18), (TBgr { 255, 255, 255 }));
    EXPECT_EQ(fit.Pixel(20, 60), (TBgr { 0, 0, 0 }));
    // Turned a quarter clockwise, the left-bottom quadrant comes to the top left.
    const TBitmap turned = MakePhonePicture(picture, 1, { 0, 0, 1, 1 }, 20, 40);
    EXPECT_EQ(turned.Pixel(2, 2), (TBgr { 0, 255, 0 }));
    // A crop reaching past the left edge leaves black there.
    const TBitmap past = MakePhonePicture(picture, 0, { -0.5, 0, 0.5, 1 }, 40, 20);
    EXPECT_EQ(past.Pixel(5, 5), (TBgr { 0, 0, 0 }));
    EXPECT_EQ(past.Pixel(35, 5), (TBgr { 255, 0, 0 }));
}

TEST(PhonePicture, EveryFormatDecodesWithQtsOwnReaders)
{
    const TBitmap picture = test::PatternBitmap(64, 48);
    const struct {
        int fmt;
        const char *kind;
    } formats[] = { { pfJPG, "jpeg" }, { pfPNG, "png" }, { pfGIF, "gif" }, { pfBMP, "bmp" } };
    for (const auto &f : formats) {
        QByteArray data = EncodePhonePicture(picture, f.fmt);
        QBuffer buffer(&data);
        QImageReader reader(&buffer);
        EXPECT_EQ(reader.format(), QByteArray(f.kind)) << f.kind;
        EXPECT_EQ(reader.size(), QSize(64, 48)) << f.kind;
    }
    EXPECT_TRUE(EncodePhonePicture(picture, pfETC).isEmpty());
    EXPECT_EQ(PhoneExtension(pfGIF), QStringLiteral(".gif"));
}

TEST(PhonePicture, SizeStepsAndTheValidRange)
{
    EXPECT_FALSE(ValidPhoneTarget({ 19, 100, 4 }));
    EXPECT_TRUE(ValidPhoneTarget({ 20, 100, 4 }));
    EXPECT_TRUE(ValidPhoneTarget({ 500, 500, 1 }));
    EXPECT_FALSE(ValidPhoneTarget({ 501, 100, 4 }));
    EXPECT_FALSE(ValidPhoneTarget({ 100, 100, 0 }));
    EXPECT_EQ(PhoneSizeUp(0), 20);
    EXPECT_EQ(PhoneSizeUp(20), 21);
    EXPECT_EQ(PhoneSizeUp(500), 501);
    EXPECT_FALSE(PhoneSizeUpEnabled(501));
    EXPECT_FALSE(PhoneSizeDownEnabled(19));
    EXPECT_EQ(PhoneSizeRepeatDelay(0), 380);
    EXPECT_EQ(PhoneSizeRepeatDelay(1), 330);
    EXPECT_EQ(PhoneSizeRepeatDelay(20), 30);
}

TEST(PhoneFolderName, CarriesTheTimeAnd128RandomBits)
{
    const QDateTime now(QDate(2026, 12, 9), QTime(10, 30, 5, 7));
    const QString name = PhoneFolderName(now);
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^20261209-103005007-[0-9a-f]{32}$"))
                    .match(name)
                    .hasMatch())
        << name.toStdString();
    EXPECT_NE(PhoneFolderName(now), name);
}

} // namespace

} // namespace korvatel
