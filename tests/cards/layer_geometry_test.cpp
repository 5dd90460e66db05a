#include "cards/layer_geometry.h"

#include <gtest/gtest.h>

namespace korvatel
{

TEST(TLayerGeometry, HandlesByCornerSquareAndEdgeBands)
{
    // 12 right and 4 down from the top-left corner lies outside the corner's square.
    EXPECT_EQ(LayerHandleAt(100, 80, { 12, 4 }), lhTop);
    EXPECT_EQ(LayerHandleAt(100, 80, { 9, 6 }), lhTopLeft);
    EXPECT_EQ(LayerHandleAt(100, 80, { 9, 9 }), lhMove); // 9 + 9 > 15: not a corner
    EXPECT_EQ(LayerHandleAt(100, 80, { 99, 79 }), lhBottomRight);
    EXPECT_EQ(LayerHandleAt(100, 80, { 95, 2 }), lhTopRight);
    EXPECT_EQ(LayerHandleAt(100, 80, { 0, 75 }), lhBottomLeft);
    EXPECT_EQ(LayerHandleAt(100, 80, { 4, 40 }), lhLeft);
    EXPECT_EQ(LayerHandleAt(100, 80, { 95, 40 }), lhRight);
    EXPECT_EQ(LayerHandleAt(100, 80, { 50, 75 }), lhBottom);
    EXPECT_EQ(LayerHandleAt(100, 80, { 50, 40 }), lhMove);
}

TEST(TLayerGeometry, CursorsByHandleLockAndFit)
{
    EXPECT_EQ(HandleCursor(lhTopLeft, false, false), scSizeNWSE);
    EXPECT_EQ(HandleCursor(lhTopRight, false, false), scSizeNESW);
    EXPECT_EQ(HandleCursor(lhRight, false, false), scSizeWE);
    EXPECT_EQ(HandleCursor(lhBottom, false, false), scSizeNS);
    EXPECT_EQ(HandleCursor(lhMove, false, false), scMove);
    EXPECT_EQ(HandleCursor(lhMove, true, false), scNo);
    EXPECT_EQ(HandleCursor(lhMove, true, true), scDefault);
    EXPECT_EQ(EditModeCursor(5), scProtect);
}

TEST(TLayerGeometry, CornerDragWithAndWithoutCtrl)
{
    const QRect start(10, 10, 100, 50); // picture twice as wide as high: ratio 0.5
    // With Ctrl the corner goes where the mouse takes it.
    EXPECT_EQ(DragEdges(start, lhBottomRight, 20, 30, true, 0.5), (TEdges { 10, 10, 130, 90 }));
    // Without Ctrl: width (120 + 80) / 1.5 = 133, height 67, the top-left corner stays.
    EXPECT_EQ(DragEdges(start, lhBottomRight, 20, 30, false, 0.5), (TEdges { 10, 10, 143, 77 }));
    // The top-left corner keeps the bottom-right one.
    EXPECT_EQ(DragEdges(start, lhTopLeft, -20, -30, false, 0.5), (TEdges { -23, -7, 110, 60 }));
    // Edge handles: the other axis follows about its centre.
    EXPECT_EQ(DragEdges(start, lhRight, 20, 99, false, 0.5), (TEdges { 10, 5, 130, 65 }));
    EXPECT_EQ(DragEdges(start, lhBottom, 99, 10, false, 0.5), (TEdges { -0, 10, 120, 70 }));
    EXPECT_EQ(DragEdges(start, lhMove, 5, -5, false, 0.5), (TEdges { 15, 5, 115, 55 }));
}

TEST(TLayerGeometry, EdgePulledPastTheOppositeIsInsideOut)
{
    const TEdges e = DragEdges(QRect(10, 10, 100, 50), lhRight, -130, 0, true, 0.5);
    EXPECT_TRUE(e.FlippedX());
    EXPECT_FALSE(e.FlippedY());
    EXPECT_EQ(e.Normalised(), QRect(-20, 10, 30, 50));
}

TEST(TLayerGeometry, ZoomKeepsTheGrabPointUnderTheMouse)
{
    const QRect r = ZoomRect(QRect(0, 0, 100, 50), { 0.5, 0.5 }, { 60, 25 }, 10, 0.5);
    EXPECT_EQ(r, QRect(5, -3, 110, 55));
}

TEST(TLayerGeometry, FitModes)
{
    const QSize stage(200, 300);
    const QRect layer(10, 10, 50, 100);
    EXPECT_EQ(FitRect(stage, layer, fmFillWidthTop), QRect(0, 0, 200, 400));
    EXPECT_EQ(FitRect(stage, layer, fmFillWidthBottom), QRect(0, -100, 200, 400));
    EXPECT_EQ(FitRect(stage, layer, fmFillHeightLeft), QRect(0, 0, 150, 300));
    EXPECT_EQ(FitRect(stage, layer, fmFillHeightRight), QRect(50, 0, 150, 300));
    EXPECT_EQ(FitRect(stage, layer, fmFillStage), QRect(0, -50, 200, 400));
    EXPECT_EQ(FitRect(stage, layer, fmFree), layer);
    EXPECT_EQ(FitModeCaption(5), QStringLiteral("全面伸張"));
}

TEST(TLayerGeometry, AlignAndDistribute)
{
    const QRect client(0, 0, 200, 100);
    const std::vector<QRect> rects { QRect(10, 10, 20, 10), QRect(100, 40, 40, 20),
        QRect(50, 70, 10, 10) };
    EXPECT_EQ(AlignRects(client, rects, 0)[1].left(), 0);
    EXPECT_EQ(AlignRects(client, rects, 1)[1].left(), 80);
    EXPECT_EQ(AlignRects(client, rects, 2)[1].left(), 160);
    EXPECT_EQ(AlignRects(client, rects, 12)[0].top(), 90);
    EXPECT_EQ(AlignRects(client, rects, kAlignCentreBoth)[2], QRect(95, 45, 10, 10));
    // Left edges 10, 50, 100: evenly from 10 to 100, in sorted order.
    const std::vector<QRect> spread = AlignRects(client, rects, 3);
    EXPECT_EQ(spread[0].left(), 10);
    EXPECT_EQ(spread[2].left(), 55);
    EXPECT_EQ(spread[1].left(), 100);
    // Middles 15, 50, 75 by tops 10, 40, 70 and half heights.
    const std::vector<QRect> middles = AlignRects(client, rects, 14);
    EXPECT_EQ(middles[1].top() + 10, 45);
    EXPECT_EQ(DistributeSortKey(5, 20, 1), QStringLiteral("         5|   20: 1"));
    EXPECT_EQ(AlignRects(client, { rects[0], rects[1] }, 3)[1], rects[1]);
}

TEST(TLayerGeometry, SizeMatchingOnlyShrinksOrGrows)
{
    const std::vector<QRect> rects { QRect(0, 0, 100, 50), QRect(200, 0, 40, 40) };
    const std::vector<QRect> small = MatchSizes(rects, false, false);
    EXPECT_EQ(small[0], QRect(30, 15, 40, 20));
    EXPECT_EQ(small[1], rects[1]);
    const std::vector<QRect> tall = MatchSizes(rects, true, true);
    EXPECT_EQ(tall[0], rects[0]);
    EXPECT_EQ(tall[1], QRect(195, -5, 50, 50));
}

TEST(TLayerGeometry, TrimRectangleMapsBackThroughTurnAndMirror)
{
    // A 40 × 20 picture turned by 90 shows as 20 × 40; the control is 20 × 40 too.
    const QRect top(0, 0, 20, 10); // the top quarter of the shown picture
    EXPECT_EQ(
        TrimRectToPicture(top, { 20, 40 }, { 40, 20 }, 90, false, false), QRect(0, 0, 10, 20));
    EXPECT_EQ(
        TrimRectToPicture(top, { 20, 40 }, { 40, 20 }, 270, false, false), QRect(30, 0, 10, 20));
    EXPECT_EQ(
        TrimRectToPicture(top, { 20, 40 }, { 40, 20 }, 90, false, true), QRect(30, 0, 10, 20));
    // Unturned on a control twice the picture's size.
    EXPECT_EQ(TrimRectToPicture(QRect(10, 10, 20, 20), { 80, 40 }, { 40, 20 }, 0, false, false),
        QRect(5, 5, 10, 10));
    EXPECT_EQ(TrimRectToPicture(QRect(10, 10, 20, 20), { 80, 40 }, { 40, 20 }, 180, false, false),
        QRect(25, 5, 10, 10));
}

TEST(TLayerGeometry, NewPicturesGoToTheTopLeftQuarterAndCoverCropsCentre)
{
    EXPECT_EQ(NewLayerRect({ 400, 800 }, { 300, 100 }), QRect(0, 0, 100, 33));
    EXPECT_EQ(NewLayerRect({ 400, 800 }, { 100, 400 }), QRect(0, 0, 50, 200));
    EXPECT_EQ(CoverCrop({ 300, 100 }, { 50, 50 }), QRect(100, 0, 100, 100));
    EXPECT_EQ(CoverCrop({ 100, 300 }, { 100, 50 }), QRect(0, 125, 100, 50));
}

} // namespace korvatel
