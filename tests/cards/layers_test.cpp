#include "cards/layers.h"
#include "imaging/effects.h"
#include "platform/prompter.h"
#include "support/image_builders.h"

#include <gtest/gtest.h>

namespace korvatel
{

namespace
{

const TBgr kWhite { 255, 255, 255 };
const TBgr kRed { 0, 0, 255 };
const TBgr kBlue { 255, 0, 0 };
const TBgr kMagenta { 255, 0, 255 };

// A stage of 400 × 400 with one 100 × 50 layer at (100, 100).
class LayersTest : public testing::Test
{
protected:
    void SetUp() override
    {
        layers.Add(test::PatternBitmap(100, 50), QStringLiteral("a.jpg"));
        layers.SetControl(0, QRect(100, 100, 100, 50));
    }
    TLayerImage &Image(int i = 0) { return layers.Layer(i)->Image(); }

    TLayers layers { QSize(400, 400) };
};

// Asks the drop question through a prompter, as the stage does.
void DropAsking(TLayers &layers, TPrompter &prompter)
{
    const QString question = layers.DropQuestion();
    layers.Drop(!question.isEmpty() && prompter.YesNo(question));
}

} // namespace

TEST_F(LayersTest, NewPicturesArePlacedInTheTopLeftQuarterAtTheBack)
{
    const int index = layers.Add(test::PatternBitmap(200, 100), QStringLiteral("b.jpg"));
    EXPECT_EQ(index, 1);
    EXPECT_EQ(Image(1).Control, QRect(0, 0, 100, 50));
    EXPECT_EQ(Image(1).Rel, (TRelRect { 0, 0, 0.25, 0.125 }));
    EXPECT_EQ(layers.Insert(-5, test::PatternBitmap(4, 4), QStringLiteral("c.jpg")), 0);
    EXPECT_EQ(layers.Insert(99, test::PatternBitmap(4, 4), QStringLiteral("d.jpg")), 3);
    EXPECT_TRUE(layers.IsLayerFile(QStringLiteral("B.JPG")));
    layers.Move(3, 0);
    EXPECT_EQ(layers.Layer(0)->FileName, QStringLiteral("d.jpg"));
    EXPECT_EQ(layers.Layer(3)->Index(), 3);
    layers.Select(1, true);
    layers.DeleteUnselected();
    ASSERT_EQ(layers.Count(), 1);
    EXPECT_EQ(layers.Layer(0)->FileName, QStringLiteral("c.jpg"));
    EXPECT_EQ(layers.Layer(0)->Index(), 0);
}

TEST(TLayers, PicturesAddedBeforeTheStageHasASizeTakeTheQuarter)
{
    TLayers layers;
    layers.Add(test::PatternBitmap(20, 10), QStringLiteral("a.jpg"));
    layers.SetStage(QSize(400, 200));
    EXPECT_EQ(layers.Layer(0)->Image().Control, QRect(0, 0, 100, 50));
}

TEST_F(LayersTest, RightEdgeDraggedPastTheLeftAsksAndNoLeavesItUnmirrored)
{
    const TBitmap before = Image().Display();
    ASSERT_TRUE(layers.BeginDrag(0, QPoint(198, 125))); // the right edge
    layers.DragTo(QPoint(48, 125), true);
    EXPECT_EQ(
        layers.DropQuestion(), QStringLiteral("左右と反転しています。反転画像を使用しますか？"));
    TScriptedPrompter no({ TModalResult::mrNo });
    DropAsking(layers, no);
    EXPECT_EQ(no.Shown().size(), 1);
    EXPECT_EQ(Image().Control, QRect(50, 100, 50, 50));
    EXPECT_FALSE(Image().MirrorLeftRight());
    EXPECT_EQ(Image().Display(), before);
    EXPECT_EQ(Image().Rel, (TRelRect { 0.125, 0.25, 0.25, 0.375 }));
}

TEST_F(LayersTest, CornerPulledOverBothWaysTurnsByHalfWhenAnsweredYes)
{
    TBitmap turned = Image().Display();
    RotateImage(turned, rt180);
    ASSERT_TRUE(layers.BeginDrag(0, QPoint(199, 149)));
    layers.DragTo(QPoint(49, 49), true);
    EXPECT_EQ(layers.DropQuestion(),
        QStringLiteral("左右と上下が反転しています。反転画像を使用しますか？"));
    TScriptedPrompter yes({ TModalResult::mrYes });
    DropAsking(layers, yes);
    EXPECT_EQ(Image().Rotation(), 180);
    EXPECT_EQ(Image().Display(), turned);
}

TEST_F(LayersTest, GroupDropQuestionCountsThePulledLayers)
{
    layers.Add(test::PatternBitmap(100, 50), QStringLiteral("b.jpg"));
    layers.SetControl(1, QRect(100, 200, 100, 50));
    layers.SelectAll();
    ASSERT_TRUE(layers.BeginDrag(0, QPoint(150, 148))); // the bottom edge of both
    layers.DragTo(QPoint(150, 40), true);
    EXPECT_EQ(layers.DropQuestion(),
        QStringLiteral("上下反転した画像が2個あります。反転画像をこのまま使用しますか？"));
    layers.Drop(true);
    EXPECT_TRUE(Image(0).MirrorUpDown());
    EXPECT_TRUE(Image(1).MirrorUpDown());
    EXPECT_EQ(Image(1).Control, QRect(100, 142, 100, 58));
}

TEST_F(LayersTest, QuarterTurnsSwapTheSidesAboutTheCentreAndComeBack)
{
    const TBitmap start = Image().Display();
    layers.Mirror(0, true);
    layers.Rotate(0, 90);
    EXPECT_EQ(Image().Control, QRect(125, 75, 50, 100));
    EXPECT_EQ(Image().Rotation(), 90);
    // The shown copy is always the picture turned, then mirrored.
    TBitmap expected = Image().Picture();
    RotateImage(expected, rt90);
    FlipImage(expected, Image().MirrorLeftRight(), Image().MirrorUpDown());
    EXPECT_EQ(Image().Display(), expected);
    layers.Rotate(0, 270);
    layers.Mirror(0, true);
    EXPECT_EQ(Image().Display(), start);
    EXPECT_EQ(Image().Control, QRect(100, 100, 100, 50));
}

TEST_F(LayersTest, ClicksPassThroughTheTransparentColour)
{
    // A front layer of magenta with a red square; magenta is its transparent colour.
    TBitmap front = test::UniformBitmap(100, 50, kMagenta);
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 10; ++x)
            front.SetPixel(x, y, kRed);
    layers.Insert(0, front, QStringLiteral("front.bmp"));
    Image(0).TransparentColor = ColorValueOf(kMagenta);
    layers.SetControl(0, QRect(100, 100, 100, 50));
    EXPECT_EQ(layers.LayerAt(QPoint(105, 105)), 0);
    EXPECT_EQ(layers.LayerAt(QPoint(150, 125)), 1);

    TLayerClick click = layers.Click(QPoint(150, 125), false);
    EXPECT_EQ(click.index, 1);
    EXPECT_TRUE(layers.Layer(1)->Selected);
    click = layers.Click(QPoint(105, 105), true);
    EXPECT_TRUE(layers.Layer(0)->Selected);
    EXPECT_TRUE(layers.Layer(1)->Selected);

    layers.SetVisible(1, false);
    click = layers.Click(QPoint(150, 125), false);
    EXPECT_TRUE(click.startBand);
    EXPECT_EQ(click.bandFrom, 0);
    layers.SetVisible(1, true);
    layers.BandSelect(1, QRect(0, 0, 120, 120));
    EXPECT_FALSE(layers.Layer(0)->Selected);
    EXPECT_TRUE(layers.Layer(1)->Selected);

    layers.Options.doubleClickTogglesAll = true;
    layers.SetVisible(1, false);
    layers.DoubleClick(QPoint(150, 125)); // one of two selected: not fewer than half
    EXPECT_EQ(layers.SelectedCount(), 0);
    layers.DoubleClick(QPoint(150, 125));
    EXPECT_EQ(layers.SelectedCount(), 2);
}

TEST_F(LayersTest, MaskModesAddOperationsAndReturnToNormal)
{
    layers.Clear();
    TBitmap picture = test::UniformBitmap(100, 50, kWhite);
    picture.SetPixel(60, 30, kBlue);
    layers.Add(picture, QStringLiteral("w.bmp"));
    layers.SetControl(0, QRect(0, 0, 200, 100));
    int changed = 0;
    layers.Events.layerChanged = [&](int) { ++changed; };

    layers.SetEditMode(emDrawRect);
    EXPECT_FALSE(layers.MaskRect(0, QRect(100, 40, 40, 40)));
    EXPECT_EQ(layers.EditMode(), emApplyRect);
    EXPECT_FALSE(layers.MaskClick(0, QPoint(10, 10))); // outside the drawn rectangle
    EXPECT_TRUE(layers.MaskClick(0, QPoint(120, 60)));
    EXPECT_EQ(layers.EditMode(), emNormal);
    ASSERT_EQ(Image().Ops().size(), 1u);
    const TMaskOp &op = Image().Ops().front();
    EXPECT_EQ(op.kind, mkRectColor);
    EXPECT_EQ(op.color, ColorValueOf(kBlue));
    EXPECT_DOUBLE_EQ(op.x1, 0.5);
    EXPECT_DOUBLE_EQ(op.y2, 0.8);
    EXPECT_EQ(changed, 1);
    EXPECT_TRUE(Image().Transparent());
    EXPECT_EQ(ColorValueOf(Image().Shown().Pixel(60, 30)), Image().TransparentColor);
    EXPECT_EQ(layers.MaskedLayerNames(), QStringList { QStringLiteral("w.bmp") });

    layers.Options.keepEditMode = true;
    layers.SetEditMode(emPickWhole);
    EXPECT_TRUE(layers.MaskClick(0, QPoint(2, 2)));
    EXPECT_EQ(layers.EditMode(), emPickWhole);
    EXPECT_EQ(Image().Ops().back().kind, mkWholeColor);
    layers.SetShowMask(0, false);
    EXPECT_FALSE(Image().Transparent());
    EXPECT_EQ(Image().Shown(), Image().Display());
}

TEST_F(LayersTest, TrimmingMakesANewLayerInFrontOrReplacesThePicture)
{
    layers.Rotate(0, 90); // control (125, 75, 50, 100), picture 100 × 50
    layers.SetEditMode(emTrim);
    const QRect drawn(0, 0, 50, 50); // the upper half of the shown picture
    const int index = layers.Trim(0, drawn, true);
    ASSERT_EQ(index, 0);
    ASSERT_EQ(layers.Count(), 2);
    EXPECT_TRUE(layers.Layer(0)->Selected);
    EXPECT_FALSE(layers.Layer(1)->Selected);
    EXPECT_EQ(Image(0).Control, QRect(125, 75, 50, 50));
    EXPECT_EQ(Image(0).Rotation(), 0);
    // The upper half of the turned picture is the left half of the picture, turned.
    TBitmap expected = test::PatternBitmap(100, 50);
    RotateImage(expected, rt90);
    EXPECT_EQ(Image(0).Picture().Pixel(0, 0), expected.Pixel(0, 0));
    EXPECT_EQ(Image(0).Picture().Pixel(49, 49), expected.Pixel(49, 49));
    EXPECT_EQ(layers.EditMode(), emNormal);

    layers.AddWholeColor(1, 0);
    EXPECT_EQ(layers.Trim(1, QRect(0, 50, 50, 50), false), 1);
    EXPECT_TRUE(Image(1).Ops().empty());
    EXPECT_EQ(Image(1).Picture().Pixel(0, 0), expected.Pixel(0, 50));
}

TEST_F(LayersTest, ADroppedPhotoCoversTheLayerRectangle)
{
    TBitmap photo = test::UniformBitmap(300, 100, kRed);
    for (int y = 0; y < 100; ++y)
        photo.SetPixel(150, y, kBlue);
    layers.ReplacePicture(0, photo, QStringLiteral("photo.jpg"));
    EXPECT_EQ(Image().Picture().Width(), 200);
    EXPECT_EQ(Image().Picture().Height(), 100);
    EXPECT_EQ(Image().Picture().Pixel(100, 0), kBlue);
    EXPECT_EQ(Image().Control, QRect(100, 100, 100, 50));
    EXPECT_EQ(layers.Layer(0)->FileName, QStringLiteral("photo.jpg"));
}

TEST_F(LayersTest, DisplayCopiesShrinkOnlyUnderTheRule)
{
    layers.SetDisplayLimit(60);
    EXPECT_EQ(Image().Display().Width(), 100); // 60 is not below the height 50
    layers.SetDisplayLimit(40);
    EXPECT_EQ(Image().Display().Width(), 40);
    EXPECT_EQ(Image().Display().Height(), 20);
    EXPECT_EQ(Image().Picture().Width(), 100);
}

TEST_F(LayersTest, FitAlignAndLock)
{
    layers.SetFit(0, fmFillStage);
    EXPECT_EQ(Image().Control, QRect(-200, 0, 800, 400));
    EXPECT_FALSE(layers.BeginDrag(0, QPoint(150, 125)));
    EXPECT_EQ(layers.CursorAt(0, QPoint(5, 5)), scDefault);
    layers.SetFit(0, fmFree);
    layers.ToggleSizeLock(0);
    EXPECT_FALSE(layers.BeginZoom(0, QPoint(150, 125)));
    EXPECT_EQ(layers.CursorAt(0, QPoint(50, 50)), scNo);
    layers.ToggleSizeLock(0);
    layers.SetControl(0, QRect(100, 100, 100, 50));
    ASSERT_TRUE(layers.BeginZoom(0, QPoint(150, 125)));
    layers.ZoomTo(QPoint(160, 125));
    EXPECT_TRUE(layers.EndZoom());
    EXPECT_EQ(Image().Control, QRect(105, 98, 110, 55));
    layers.Align(kAlignCentreBoth, 0);
    EXPECT_EQ(Image().Control.center(), QRect(0, 0, 400, 400).center());
    layers.CentreOn(0, QPoint(50, 60));
    EXPECT_EQ(Image().Control.center(), QPoint(50, 60));
}

TEST_F(LayersTest, AFreeTurnKeepsTheCentreAndKeysTheUncoveredCorners)
{
    layers.AddWholeColor(0, 0x000000);
    layers.RotateFree(0, 30);
    const TLayerImage &image = Image();
    EXPECT_EQ(image.Control.center(), QRect(100, 100, 100, 50).center());
    EXPECT_GT(image.Control.width(), 100);
    EXPECT_EQ(CountMaskOps(image.Ops(), kAllMaskKinds), 0);
    ASSERT_NE(image.TransparentColor, kNoColor);
    EXPECT_EQ(ColorValueOf(image.Picture().Pixel(0, 0)), image.TransparentColor);
    // The corner is transparent: a click there passes through to nothing behind.
    EXPECT_TRUE(layers.Click(image.Control.topLeft(), false).startBand);

    layers.SoftenEdges(0, 2);
    EXPECT_EQ(ColorValueOf(image.Picture().Pixel(0, 0)), image.TransparentColor);
    EXPECT_EQ(image.Control.center(), QRect(100, 100, 100, 50).center());
}

} // namespace korvatel
