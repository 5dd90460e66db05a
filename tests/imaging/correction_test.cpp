#include "imaging/correction.h"
#include "imaging/correction_text.h"
#include "imaging/dib.h"
#include "imaging/histogram.h"
#include "platform/prompter.h"
#include "support/image_builders.h"
#include "support/temp_home.h"
#include "text/sjis_file.h"

#include <QFile>
#include <gtest/gtest.h>

namespace korvatel
{

using test::PatternBitmap;
using test::TTempHome;
using test::UniformBitmap;

namespace
{

CorrectionRecord Record(int kind)
{
    CorrectionRecord r;
    r.kind = uint8_t(kind);
    return r;
}

} // namespace

TEST(CorrectionRecord, TextOfMeasuredKindOne)
{
    CorrectionRecord r = Record(1);
    r.measured = 1;
    r.SetReference({ 90, 100, 138 });
    EXPECT_EQ(RecordToText(r), QStringLiteral("Scn|Typ=1|Frm=8A645A"));
    EXPECT_EQ(ShopLines(r),
        QStringList({ QStringLiteral("head=H"), QStringLiteral("ver=0"),
            QStringLiteral("hsi=138:100:90/138+0+0:106+0+0:92+0+0") }));
    EXPECT_EQ(TextToRecord(RecordToText(r)), r);
}

TEST(CorrectionRecord, DensityKindFiveAndContrastLines)
{
    CorrectionRecord density;
    density.density = -10;
    EXPECT_EQ(RecordToText(density), QStringLiteral("Sft=-10"));
    EXPECT_EQ(ShopLines(density),
        QStringList(
            { QStringLiteral("head=s"), QStringLiteral("ver=0"), QStringLiteral("sft=-10") }));
    EXPECT_EQ(RecordToText(Record(5)), QStringLiteral("Typ=5"));
    EXPECT_EQ(
        ShopLines(Record(5)), QStringList({ QStringLiteral("head=X"), QStringLiteral("ver=0") }));
    CorrectionRecord contrast;
    contrast.autoContrast = 20;
    EXPECT_EQ(RecordToText(contrast), QStringLiteral("Acl=20"));
    EXPECT_EQ(ShopLines(contrast),
        QStringList({ QStringLiteral("head=c"), QStringLiteral("ver=0"),
            QStringLiteral("cnt=20:0/235:255") }));
    EXPECT_EQ(ShopText(contrast), QStringLiteral("head=c,ver=0,cnt=20:0/235:255"));
    EXPECT_TRUE(ShopLines(CorrectionRecord()).isEmpty());
    EXPECT_TRUE(RecordToText(CorrectionRecord()).isEmpty());
}

TEST(CorrectionRecord, ShopLinesCarryPointsAndOffsetsWithSigns)
{
    CorrectionRecord r = Record(2);
    r.pointRed = -3;
    r.pointBlue = 5;
    r.density = 7;
    r.manualContrast = 1;
    r.lowX = 10;
    r.lowY = 0;
    r.highX = 250;
    r.highY = 255;
    EXPECT_EQ(ShopLines(r),
        QStringList({ QStringLiteral("head=Rsc"), QStringLiteral("ver=0"),
            QStringLiteral("hsi=0:0:0/138-3+10:106+0-2:92+5-4"), QStringLiteral("sft=7"),
            QStringLiteral("cnt=10:0/250:255") }));
    EXPECT_EQ(
        RecordToText(r), QStringLiteral("Typ=2|Pnt=-3:0:5|Sft=7|Cnt=1|CntL=10:0|CntH=250:255"));
    EXPECT_EQ(TextToRecord(RecordToText(r)), r);
}

TEST(TextToRecord, ReadsKeysAnywhereAndKeepsRanges)
{
    const CorrectionRecord r = TextToRecord(QStringLiteral("Typ=2|Sft=15|Acl=-5"));
    EXPECT_EQ(r.kind, 2);
    EXPECT_EQ(r.density, 15);
    EXPECT_EQ(r.autoContrast, -5);
    EXPECT_EQ(r.measured, 0);
    CorrectionRecord untouched = Record(3);
    TextToRecord(QString(), untouched);
    EXPECT_EQ(untouched.kind, 3);
    const CorrectionRecord odd
        = TextToRecord(QStringLiteral("Typ=9|Sft=abc|Frm=ZZ10|CntL=999:-4|Pnt=1"));
    EXPECT_EQ(odd.kind, 0);
    EXPECT_EQ(odd.density, 0);
    EXPECT_EQ(odd.referenceRed, 0);
    EXPECT_EQ(odd.referenceGreen, 0x10);
    EXPECT_EQ(odd.lowX, 255);
    EXPECT_EQ(odd.lowY, 0);
    EXPECT_EQ(odd.pointRed, 1);
    EXPECT_EQ(odd.pointGreen, 0);
}

TEST(CorrectionTables, TargetsAndLabels)
{
    EXPECT_EQ(CorrectionTarget(2, 0, 0, 0), (TBgr { 88, 104, 148 }));
    EXPECT_EQ(CorrectionTarget(4, 5, 0, 0), (TBgr { 104, 104, 136 }));
    EXPECT_EQ(CorrectionLabel(2, false), QStringLiteral("赤強;補正"));
    EXPECT_EQ(CorrectionLabel(2, true), QStringLiteral("指定;赤強"));
    EXPECT_EQ(CorrectionHint(5, true),
        QStringLiteral("補正無しのプリントです。補正画面での色調指定は無視します。"));
    EXPECT_TRUE(CorrectionLabel(6, false).isEmpty());
    EXPECT_EQ(CorrectionLetter(3), QStringLiteral("G"));
}

TEST(ContrastPoints, AutomaticAmountMovesBothPoints)
{
    CorrectionRecord r;
    r.autoContrast = 20;
    EXPECT_EQ(ContrastPoints(r).low, QPoint(20, 0));
    EXPECT_EQ(ContrastPoints(r).high, QPoint(235, 255));
    r.autoContrast = -20;
    EXPECT_EQ(ContrastPoints(r).low, QPoint(0, 20));
    EXPECT_EQ(ContrastPoints(r).high, QPoint(255, 235));
    r.autoContrast = 0;
    EXPECT_TRUE(ContrastPoints(r).OnDiagonal());
    EXPECT_FALSE(r.Active());
    r.manualContrast = 1;
    r.lowX = 5;
    r.lowY = 5;
    r.highX = 200;
    r.highY = 200;
    EXPECT_TRUE(ContrastPoints(r).OnDiagonal());
    r.highY = 220;
    EXPECT_TRUE(r.Active());
}

TEST(ToneCurveChange, ThreeSegments)
{
    const TContrastPoints steep { QPoint(20, 0), QPoint(235, 255) };
    EXPECT_EQ(ToneCurveChange(10, steep), -10);
    EXPECT_EQ(ToneCurveChange(20, steep), -20);
    EXPECT_EQ(ToneCurveChange(235, steep), 20);
    EXPECT_EQ(ToneCurveChange(245, steep), 10);
    EXPECT_EQ(ToneCurveChange(127, steep), 0);
    // A slope of one half: 0.5 and 2.5 round down to the even neighbour, 1.5 up.
    const TContrastPoints half { QPoint(0, 0), QPoint(254, 127) };
    EXPECT_EQ(ToneCurveChange(1, half), -1);
    EXPECT_EQ(ToneCurveChange(3, half), -1);
    EXPECT_EQ(ToneCurveChange(5, half), -3);
    const TContrastPoints diagonal { QPoint(0, 0), QPoint(255, 255) };
    for (int l : { 0, 1, 100, 254, 255 })
        EXPECT_EQ(ToneCurveChange(l, diagonal), 0);
}

TEST(ApplyTone, NeutralRecordChangesNothing)
{
    const TBitmap source = PatternBitmap(10, 6);
    const QRect whole(0, 0, 10, 6);
    EXPECT_EQ(ApplyTone(source, CorrectionRecord(), whole), source);
    CorrectionRecord r = Record(1);
    r.SetReference({ 92, 106, 138 });
    // The reference already at the target: only the black level's rounding could move it.
    const TBitmap same = ApplyCorrection(UniformBitmap(3, 3, { 92, 106, 138 }), 1, r, whole);
    EXPECT_EQ(same.Pixel(1, 1), (TBgr { 92, 106, 138 }));
}

TEST(ApplyTone, DensityShiftsInsideTheAreaOnly)
{
    CorrectionRecord r;
    r.density = 10;
    const TBitmap out = ApplyTone(UniformBitmap(4, 4, { 100, 100, 250 }), r, QRect(0, 0, 2, 4));
    EXPECT_EQ(out.Pixel(0, 0), (TBgr { 110, 110, 255 }));
    EXPECT_EQ(out.Pixel(3, 0), (TBgr { 100, 100, 250 }));
    EXPECT_EQ(
        ApplyTone(UniformBitmap(4, 4, { 1, 1, 1 }), r, QRect()), UniformBitmap(4, 4, { 1, 1, 1 }));
}

TEST(ApplyCorrection, MovesTheReferenceTowardsTheTarget)
{
    CorrectionRecord r = Record(2);
    r.SetReference({ 80, 100, 150 });
    const TBitmap out
        = ApplyCorrection(UniformBitmap(2, 2, { 80, 100, 150 }), 2, r, QRect(0, 0, 2, 2));
    // Each channel equals its reference, so it maps onto the kind's target (148, 104, 88).
    EXPECT_EQ(out.Pixel(0, 0), (TBgr { 88, 104, 148 }));
}

TEST(ApplyCorrection, ValuesPastTheUsualRangesStillClampAndFollowTheCurve)
{
    // A record read from a file may carry a density far beyond the bars; with a steep manual
    // curve every level of a dark, a middle and a light pixel is still worked out and clamped.
    TBitmap picture(3, 1);
    picture.SetPixel(0, 0, { 10, 20, 30 });
    picture.SetPixel(1, 0, { 100, 120, 150 });
    picture.SetPixel(2, 0, { 240, 250, 255 });
    CorrectionRecord r = Record(1);
    r.SetReference({ 100, 120, 150 });
    r.density = 2000;
    EXPECT_EQ(
        ApplyCorrection(picture, 1, r, QRect(0, 0, 3, 1)).Pixel(0, 0), (TBgr { 255, 255, 255 }));
    r.density = -2000;
    EXPECT_EQ(ApplyTone(picture, r, QRect(0, 0, 3, 1)).Pixel(2, 0), TBgr {});
    r.density = 0;
    r.manualContrast = 1;
    r.lowX = 100;
    r.lowY = 0;
    r.highX = 150;
    r.highY = 255;
    const TBitmap steep = ApplyTone(picture, r, QRect(0, 0, 3, 1));
    // Below the low point the curve runs flat at 0 (luminance 21 falls by 21), above the high
    // point flat at 255 (250 rises by 5).
    EXPECT_EQ(steep.Pixel(0, 0), (TBgr { 0, 0, 9 }));
    EXPECT_EQ(steep.Pixel(2, 0), (TBgr { 245, 255, 255 }));
    // The middle pixel's luminance 126 lies on the steep part: 0 + (126 − 100) × 255 / 50 is
    // 132.6, so its levels rise by 133 − 126.
    const int change = 133 - 126;
    EXPECT_EQ(steep.Pixel(1, 0), (TBgr { 100 + change, 120 + change, 150 + change }));
}

TEST(ApplyCorrection, NoSkinChangesOnlyDensityAndContrast)
{
    const TBitmap landscape = UniformBitmap(4, 4, { 200, 120, 30 });
    EXPECT_EQ(MeasureSkin(landscape), TBgr {});
    CorrectionRecord r = Record(3);
    EXPECT_EQ(ApplyCorrection(landscape, 3, r, QRect(0, 0, 4, 4)), landscape);
    r.density = -5;
    EXPECT_EQ(
        ApplyCorrection(landscape, 3, r, QRect(0, 0, 4, 4)).Pixel(0, 0), (TBgr { 195, 115, 25 }));
}

TEST(MeasureSkin, AveragesSkinPixelsAndFillsTheHistogram)
{
    TBitmap b = UniformBitmap(4, 1, { 200, 200, 200 });
    b.SetPixel(0, 0, { 90, 100, 150 });
    b.SetPixel(1, 0, { 93, 103, 153 });
    THistGram histogram;
    EXPECT_EQ(MeasureSkin(b, {}, &histogram), (TBgr { 91, 101, 151 }));
    EXPECT_EQ(histogram.Count(0, 2, 200), 2u);
    EXPECT_EQ(MeasureSkin(b, QRect(2, 0, 2, 1)), TBgr {});
}

TEST(PrepareCorrection, MeasuresOrFallsBack)
{
    TTempHome home;
    ASSERT_TRUE(home.Write(
        QStringLiteral("skin.bmp"), SaveDIBToStream(UniformBitmap(8, 8, { 90, 100, 150 }))));
    ASSERT_TRUE(home.Write(QStringLiteral("broken.bmp"), "BM broken"));
    TScriptedPrompter prompter;
    CorrectionRecord r = Record(4);
    EXPECT_TRUE(
        PrepareCorrection(r, QString(), home.FilePath(QStringLiteral("skin.bmp")), prompter));
    EXPECT_EQ(r.measured, 1);
    EXPECT_EQ(r.Reference(), (TBgr { 90, 100, 150 }));
    EXPECT_EQ(r.kind, 4);
    CorrectionRecord broken = Record(4);
    EXPECT_FALSE(PrepareCorrection(
        broken, home.FilePath(QStringLiteral("broken.bmp")), QString(), prompter));
    EXPECT_EQ(broken.kind, 5);
    CorrectionRecord other = Record(2);
    EXPECT_FALSE(
        PrepareCorrection(other, QString(), home.FilePath(QStringLiteral("broken.bmp")), prompter));
    EXPECT_EQ(other.kind, 0);
    CorrectionRecord missing = Record(2);
    EXPECT_FALSE(
        PrepareCorrection(missing, QString(), home.FilePath(QStringLiteral("none.bmp")), prompter));
    EXPECT_EQ(missing.kind, 2);
    EXPECT_TRUE(prompter.Shown().isEmpty());
}

TEST(PrepareCorrection, BigPicturesAreMeasuredSmaller)
{
    EXPECT_EQ(PrepareMeasureSize(4500, 3000), QSize(1500, 1000));
    EXPECT_EQ(PrepareMeasureSize(3000, 2000), QSize(1500, 1000));
    EXPECT_EQ(PrepareMeasureSize(2000, 1500), QSize(2000, 1500));
}

TEST(CorrectionArea, ReadWriteAndRefuseCrossedSides)
{
    TTempHome home;
    const QString name = home.FilePath(QStringLiteral("HoseiArea.ini"));
    TCorrectionArea area;
    area.left = 0.25;
    area.right = 0.75;
    area.top = 0.1;
    ASSERT_TRUE(SaveCorrectionArea(name, area));
    QFile file(name);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_TRUE(file.readAll().contains("Left=0.2500\r\n"));
    file.close();
    const TCorrectionArea back = LoadCorrectionArea(name);
    EXPECT_DOUBLE_EQ(back.left, 0.25);
    EXPECT_DOUBLE_EQ(back.top, 0.1);
    EXPECT_EQ(back.Pixels(200, 100), QRect(QPoint(50, 10), QPoint(149, 99)));
    ASSERT_TRUE(home.Write(QStringLiteral("HoseiArea.ini"), "Left=0.6\r\nRight=0.4\r\n"));
    EXPECT_TRUE(LoadCorrectionArea(name).Whole());
    ASSERT_TRUE(home.Write(
        QStringLiteral("HoseiArea.ini"), "Left=x\r\nRight=7\r\nTop=-1\r\nBottom=0.5\r\n"));
    const TCorrectionArea clamped = LoadCorrectionArea(name);
    EXPECT_EQ(clamped.left, 0);
    EXPECT_EQ(clamped.right, 1);
    EXPECT_EQ(clamped.bottom, 0.5);
    ASSERT_TRUE(SaveCorrectionArea(name, TCorrectionArea()));
    EXPECT_FALSE(QFile::exists(name));
    EXPECT_TRUE(LoadCorrectionArea(name).Whole());
}

TEST(CorrectionArea, WhatIsWrittenReadsBackAndWritesAgainUnchanged)
{
    TTempHome home;
    const QString name = home.FilePath(QStringLiteral("HoseiArea.ini"));
    const auto saveTwice = [&](const TCorrectionArea &area) {
        EXPECT_TRUE(SaveCorrectionArea(name, area));
        const std::optional<QByteArray> first = ReadWholeFile(name);
        EXPECT_TRUE(SaveCorrectionArea(name, LoadCorrectionArea(name)));
        EXPECT_EQ(ReadWholeFile(name), first);
        return first;
    };
    // A side a hair away from the edge rounds to the edge: the whole picture, no file.
    TCorrectionArea hair;
    hair.left = 0.00001;
    hair.bottom = 0.99999;
    EXPECT_FALSE(saveTwice(hair));
    // Sides outside the picture are kept as the reader clamps them.
    TCorrectionArea outside;
    outside.left = -0.5;
    outside.right = 0.123456;
    outside.bottom = 7;
    const std::optional<QByteArray> kept = saveTwice(outside);
    ASSERT_TRUE(kept);
    EXPECT_TRUE(kept->contains("Left=0.0000\r\n"));
    EXPECT_TRUE(kept->contains("Right=0.1235\r\n"));
    // An area narrower than the file can tell reads back as the whole picture: not written.
    TCorrectionArea thin;
    thin.left = 0.50001;
    thin.right = 0.50003;
    EXPECT_FALSE(saveTwice(thin));
}

TEST(THistGram, OneColourHasOneBarPerChannel)
{
    THistGram h;
    h.Clear(0);
    for (int i = 0; i < 10; ++i)
        h.AddPixel(0, { 30, 60, 90 });
    h.Finish(0);
    EXPECT_EQ(h.Normalised(0, 0, 30), 1.0);
    EXPECT_EQ(h.Normalised(0, 2, 90), 1.0);
    EXPECT_EQ(h.Normalised(0, 1, 61), 0.0);
    // Luminance has one level only: its second-largest count is 0, so it stays 0.
    EXPECT_EQ(h.Count(0, 3, (299 * 90 + 587 * 60 + 114 * 30) / 1000), 10u);
    EXPECT_EQ(h.Normalised(0, 3, (299 * 90 + 587 * 60 + 114 * 30) / 1000), 0.0);
    const TBitmap drawing = h.Draw(0, true, true, true, false);
    EXPECT_EQ(drawing.Width(), 258);
    EXPECT_EQ(drawing.Height(), 202);
    EXPECT_EQ(drawing.Pixel(0, 0), ColorToBgr(0x6080A0));
    // The red bar of level 90: 190 pixels high, in red 90 only.
    // The bar of level 90 (red's only level): 190 pixels high, in the grey of its level.
    EXPECT_EQ(drawing.Pixel(91, 201 - 190), (TBgr { 90, 90, 90 }));
    EXPECT_EQ(drawing.Pixel(91, 201 - 191), ColorToBgr(0x6080A0));
    const TBitmap redOnly = h.Draw(0, true, false, false, false);
    EXPECT_EQ(redOnly.Pixel(0, 0), ColorToBgr(0x808080));
    EXPECT_EQ(redOnly.Pixel(91, 201 - 190), (TBgr { 0, 0, 90 }));
    // An empty level still draws its bottom row.
    EXPECT_EQ(redOnly.Pixel(31, 201), (TBgr { 0, 0, 30 }));
    h.Clear(0);
    EXPECT_EQ(h.Count(0, 0, 30), 0u);
}

} // namespace korvatel
