#include "imaging/correction_window.h"
#include "imaging/histogram.h"
#include "imaging/picture.h"
#include "platform/prompter.h"
#include "support/image_builders.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace korvatel;
using namespace korvatel::test;

namespace
{

// A face-coloured picture with a grey band, so the skin measurement finds a reference.
TBitmap SkinPicture(int width, int height)
{
    TBitmap bitmap = UniformBitmap(width, height, { 100, 120, 160 });
    for (int y = 0; y < height / 4; ++y)
        for (int x = 0; x < width; ++x)
            bitmap.SetPixel(x, y, { 128, 128, 128 });
    return bitmap;
}

QString WriteJpeg(const QTemporaryDir &dir, const QString &name, const TBitmap &bitmap)
{
    const QString path = dir.filePath(name);
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(JpegBytes(bitmap, 95));
    return path;
}

double MeanLevel(const THistGram &histogram, int set, int channel)
{
    double sum = 0, n = 0;
    for (int level = 0; level < 256; ++level) {
        sum += double(level) * histogram.Count(set, channel, level);
        n += histogram.Count(set, channel, level);
    }
    return n > 0 ? sum / n : 0;
}

} // namespace

TEST(FitToScreen, KeepsWhatFitsAndFitsTheRestByTheRelativelyNarrowerSide)
{
    EXPECT_EQ(FitToScreen({ 800, 600 }, { 1280, 800 }), QSize(800, 600));
    // The screen is relatively wider: the height decides.
    EXPECT_EQ(FitToScreen({ 6000, 4000 }, { 1920, 1080 }), QSize(1620, 1080));
    // The picture is relatively wider: the width decides.
    EXPECT_EQ(FitToScreen({ 6000, 2000 }, { 1280, 800 }), QSize(1280, 427));
    EXPECT_EQ(FitToScreen({ 3000, 4000 }, { 1024, 600 }), QSize(450, 600));
}

TEST(LoadHoseiPicture, DecodesAScreenSizedUprightCopyAndKnowsTheWholeSize)
{
    QTemporaryDir dir;
    const QString big = WriteJpeg(dir, QStringLiteral("big.jpg"), SkinPicture(2400, 1600));
    const THoseiPicture fitted = LoadHoseiPicture(big, { 800, 600 });
    EXPECT_EQ(fitted.size, QSize(2400, 1600));
    EXPECT_EQ(QSize(fitted.bitmap.Width(), fitted.bitmap.Height()), QSize(800, 533));

    const QString sideways = dir.filePath(QStringLiteral("side.jpg"));
    QFile file(sideways);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(SidewaysJpeg(6));
    file.close();
    const THoseiPicture upright = LoadHoseiPicture(sideways, { 1280, 800 });
    EXPECT_EQ(upright.size, QSize(32, 48));
    EXPECT_TRUE(RedAboveBlue(upright.bitmap));

    const QString broken = dir.filePath(QStringLiteral("broken.jpg"));
    QFile bad(broken);
    ASSERT_TRUE(bad.open(QIODevice::WriteOnly));
    bad.write(QByteArray("\xFF\xD8\xFF\xE0 not really", 16));
    bad.close();
    EXPECT_THROW(LoadHoseiPicture(broken, { 800, 600 }), EPictureError);
}

TEST(THoseiWork, OpensFromTheRecordAndAppliesByTheButtonDown)
{
    CorrectionRecord record;
    record.kind = 3;
    record.density = -10;
    record.pointBlue = 4;
    THoseiWork work;
    work.Open({ SkinPicture(40, 40), { 400, 400 } }, record);
    EXPECT_EQ(work.Values().button, 3);
    EXPECT_EQ(work.Values().density, -10);
    EXPECT_EQ(work.Values().pointBlue, 4);
    // Never measured: the window measures its copy.
    EXPECT_EQ(work.Reference(), (TBgr { 100, 120, 160 }));

    work.Values().button = 2;
    work.Values().pointRed = 7;
    work.Values().autoContrast = 20;
    CorrectionRecord applied = work.Applied(record);
    EXPECT_EQ(applied.kind, 2);
    EXPECT_EQ(applied.measured, 1);
    EXPECT_EQ(applied.pointRed, 7);
    EXPECT_EQ(applied.autoContrast, 20);
    EXPECT_EQ(applied.Reference(), (TBgr { 100, 120, 160 }));

    // No button down: a skin kind falls back to the shop's correction, 0 and 5 stay.
    work.Values().button = 0;
    EXPECT_EQ(work.Applied(record).kind, 0);
    record.kind = 5;
    EXPECT_EQ(work.Applied(record).kind, 5);

    // A measured record keeps its reference, even when no skin was found.
    CorrectionRecord measured;
    measured.measured = 1;
    measured.kind = 1;
    work.Open({ SkinPicture(40, 40), { 40, 40 } }, measured);
    EXPECT_EQ(work.Reference(), TBgr {});
}

TEST(THoseiWork, PreviewAndHistogramsFollowTheValues)
{
    THoseiWork work;
    CorrectionRecord record;
    record.kind = 1;
    work.Open({ SkinPicture(60, 40), { 60, 40 } }, record);
    THistGram histogram;
    work.CountOriginal(histogram);
    const TBitmap plain = work.Preview(histogram);
    const double redBefore = MeanLevel(histogram, 1, 2);
    EXPECT_NEAR(MeanLevel(histogram, 0, 2), (160 * 3 + 128) / 4.0, 0.01);

    // A red cast raises the red series of the corrected picture and leaves the original.
    work.Values().pointRed = 20;
    const TBitmap warmer = work.Preview(histogram);
    EXPECT_GT(MeanLevel(histogram, 1, 2), redBefore + 10);
    EXPECT_NEAR(MeanLevel(histogram, 0, 2), (160 * 3 + 128) / 4.0, 0.01);
    EXPECT_GT(warmer.Pixel(5, 30).r, plain.Pixel(5, 30).r);

    // A colour point without a colour button changes nothing; density still does.
    work.Values().button = 0;
    EXPECT_EQ(work.Preview(histogram), work.Picture());
    work.Values().density = 30;
    EXPECT_EQ(work.Preview(histogram).Pixel(0, 0).g, 158);

    // With the area on only the area is corrected, and both histograms count the area only.
    work.SetArea({ 0.5, 0, 1, 1 });
    work.Values().area = true;
    const TBitmap half = work.Preview(histogram);
    work.CountOriginal(histogram);
    EXPECT_EQ(half.Pixel(0, 0), work.Picture().Pixel(0, 0));
    EXPECT_NE(half.Pixel(59, 0), work.Picture().Pixel(59, 0));
    uint32_t counted = 0;
    for (int level = 0; level < 256; ++level)
        counted += histogram.Count(1, 3, level);
    EXPECT_EQ(counted, 30u * 40u);
    EXPECT_EQ(work.CorrectedCaption(), QStringLiteral("補正後(ｴﾘｱ指定)"));
}

TEST(THoseiWork, ManualContrastStartsFromTheCurveAndHandlesDrag)
{
    THoseiWork work;
    work.Open({ SkinPicture(8, 8), { 8, 8 } }, {});
    work.Values().autoContrast = 20;
    work.StartManual();
    EXPECT_EQ(work.Values().low, QPoint(20, 0));
    EXPECT_EQ(work.Values().high, QPoint(235, 255));
    EXPECT_EQ(work.Points().low, QPoint(20, 0));

    EXPECT_EQ(CurvePointAt({ 3, 131 }), QPoint(0, 0));
    EXPECT_EQ(CurvePointAt({ 200, -5 }), QPoint(255, 255));
    EXPECT_EQ(CurvePointAt(CurveImagePos({ 100, 60 })), QPoint(100, 60));

    const TContrastPoints points = work.Points();
    EXPECT_EQ(HandleAt(points, { 25, 5 }), hhLow);
    EXPECT_EQ(HandleAt(points, { 230, 250 }), hhHigh);
    EXPECT_EQ(HandleAt(points, { 127, 127 }), hhMiddle);
    EXPECT_EQ(HandleAt(points, { 60, 200 }), hhNone);

    // The middle handle moves both points, no further than the edge allows.
    QPoint last(127, 127);
    DragHandle(work.Values(), hhMiddle, { 147, 107 }, last);
    EXPECT_EQ(work.Values().low, QPoint(40, 0));
    EXPECT_EQ(work.Values().high, QPoint(255, 255));
    DragHandle(work.Values(), hhLow, { 300, -4 }, last);
    EXPECT_EQ(work.Values().low, QPoint(255, 0));

    work.ResetContrast();
    EXPECT_FALSE(work.Values().manual);
    EXPECT_EQ(work.Values().low, QPoint());
    EXPECT_TRUE(work.Points().OnDiagonal());
}

TEST(SaveCorrectedPicture, OffersNumberedNamesAsksAndWritesTheCorrection)
{
    QTemporaryDir dir;
    const QString picture = WriteJpeg(dir, QStringLiteral("IMG_0001.JPG"), SkinPicture(64, 48));
    THoseiWork work;
    CorrectionRecord record;
    record.kind = 1;
    work.Open(LoadHoseiPicture(picture, { 32, 32 }), record);
    work.Values().button = 0;
    work.Values().density = 40;
    EXPECT_EQ(CorrectedSaveName(picture), dir.filePath(QStringLiteral("IMG_0001~補正.JPG")));
    EXPECT_EQ(CorrectedSaveFilterOf(picture), 1);

    QStringList offered;
    const auto accept = [&offered](QString &name, int &) {
        offered << QFileInfo(name).fileName();
        return true;
    };
    TScriptedPrompter prompter;
    ASSERT_TRUE(SaveCorrectedPicture(work, picture, accept, prompter));
    ASSERT_TRUE(SaveCorrectedPicture(work, picture, accept, prompter));
    EXPECT_EQ(offered,
        (QStringList {
            QStringLiteral("IMG_0001~補正.JPG"), QStringLiteral("IMG_0001~補正(1).JPG") }));
    EXPECT_TRUE(prompter.Shown().isEmpty());
    // The copy is the whole picture, corrected.
    TPicture saved;
    ASSERT_TRUE(LoadPicture(saved, dir.filePath(QStringLiteral("IMG_0001~補正.JPG")), true));
    EXPECT_EQ(saved.Width(), 64);
    EXPECT_GT(saved.ToBitmap().Pixel(32, 40).g, 120 + 30);
}

TEST(SaveCorrectedPicture, ExtensionAndOverwriteQuestionsGoBackToTheDialog)
{
    QTemporaryDir dir;
    const QString picture = WriteJpeg(dir, QStringLiteral("a.jpg"), SkinPicture(16, 16));
    THoseiWork work;
    work.Open(LoadHoseiPicture(picture, { 16, 16 }), {});
    const QString existing = dir.filePath(QStringLiteral("b.bmp"));
    ASSERT_TRUE(SavePicture(existing, SkinPicture(2, 2), false));

    // The name says .png while the bitmap type is chosen: No shows the dialog again, OK turns
    // the name into b.bmp, which exists: No shows the dialog again, Cancel stops.
    int shown = 0;
    const auto choose = [&](QString &name, int &filter) {
        ++shown;
        name = dir.filePath(QStringLiteral("b.png"));
        filter = 2;
        return true;
    };
    TScriptedPrompter prompter({ TModalResult::mrNo, TModalResult::mrOk, TModalResult::mrNo,
        TModalResult::mrOk, TModalResult::mrCancel });
    EXPECT_FALSE(SaveCorrectedPicture(work, picture, choose, prompter));
    EXPECT_EQ(shown, 3);
    ASSERT_EQ(prompter.Shown().size(), 5);
    EXPECT_EQ(prompter.Shown()[0].text,
        QStringLiteral("拡張子が選択されている「ファイルの種類」と異なります。\r\n\r\n"
                       "　　b.png ⇒ b.bmp\r\n\r\n変更してから保存します。よろしいですか？"));
    EXPECT_EQ(prompter.Shown()[2].text, QStringLiteral("上書きしますか？"));
    EXPECT_EQ(prompter.Shown()[4].buttons & (mbYes | mbNo | mbCancel), mbYes | mbNo | mbCancel);
    TPicture kept;
    ASSERT_TRUE(LoadPicture(kept, existing, true));
    EXPECT_EQ(kept.Width(), 2);

    // A PNG is written too, and a metafile, which cannot be written here, says so.
    const auto png = [&](QString &name, int &filter) {
        name = dir.filePath(QStringLiteral("c.png"));
        filter = 3;
        return true;
    };
    TScriptedPrompter quiet;
    EXPECT_TRUE(SaveCorrectedPicture(work, picture, png, quiet));
    EXPECT_TRUE(QImage(dir.filePath(QStringLiteral("c.png"))).width() == 16);
    const auto emf = [&](QString &name, int &filter) {
        name = dir.filePath(QStringLiteral("d.emf"));
        filter = 4;
        return true;
    };
    EXPECT_FALSE(SaveCorrectedPicture(work, picture, emf, quiet));
    EXPECT_EQ(quiet.Shown().size(), 1);
    EXPECT_FALSE(QFileInfo::exists(dir.filePath(QStringLiteral("d.emf"))));
}

TEST(CorrectionWindowTexts, MouseReadoutAndPictureSize)
{
    EXPECT_EQ(MouseRgbText({ 3, 20, 255 }), QStringLiteral("R:255 G:020 B:003"));
    EXPECT_EQ(PictureSizeText({ 6000, 4000 }), QStringLiteral("W6000×H4000"));
    EXPECT_EQ(CorrectedSaveFilters().size(), 6);
    EXPECT_EQ(CorrectedSaveFilterExtension(5), QStringLiteral("wmf"));
}
