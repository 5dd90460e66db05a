#include "viewer/trim_frame.h"

#include <gtest/gtest.h>

namespace korvatel
{

namespace
{

// A frame over a 800 × 600 displayed picture, drawn from start by the movement.
TTrimFrame Drawn(QPoint start, QPoint end, TFrameKeys keys = {})
{
    TTrimFrame frame;
    frame.SetPictureSize(QSize(800, 600));
    frame.BeginDraw(start);
    frame.Track(start + (end - start) / 2, keys);
    frame.Track(end, keys);
    frame.End(end);
    return frame;
}

QRect Edges(const TTrimFrame &f)
{
    return QRect(QPoint(f.Left(), f.Top()), QSize(f.Right() - f.Left(), f.Bottom() - f.Top()));
}

} // namespace

TEST(TTrimFrame, ClickOrShortDragLeavesNoFrame)
{
    EXPECT_FALSE(Drawn({ 100, 100 }, { 100, 100 }).Visible());
    EXPECT_FALSE(Drawn({ 100, 100 }, { 129, 129 }).Visible());
    EXPECT_FALSE(Drawn({ 100, 100 }, { 71, 120 }).Visible());
    // Long enough in one direction is enough.
    EXPECT_TRUE(Drawn({ 100, 100 }, { 100 + 40, 105 }).Visible());
}

TEST(TTrimFrame, DiagonalDragKeepsTheDefaultProportions)
{
    // 127 : 89 before any size is chosen: 254 wide gives 178 high.
    const TTrimFrame frame = Drawn({ 10, 20 }, { 264, 120 });
    ASSERT_TRUE(frame.Visible());
    EXPECT_EQ(Edges(frame), QRect(10, 20, 254, 178));
    // A steep drag: the height leads and the width follows (89 × 127 / 89 = 127).
    EXPECT_EQ(Edges(Drawn({ 10, 20 }, { 40, 109 })), QRect(10, 20, 127, 89));
    // Up and to the left: the rectangle is normalised.
    EXPECT_EQ(Edges(Drawn({ 300, 300 }, { 46, 200 })), QRect(46, 122, 254, 178));
}

TEST(TTrimFrame, CtrlDrawsFreelyAndAltDrawsFromTheCentre)
{
    EXPECT_EQ(Edges(Drawn({ 10, 20 }, { 264, 120 }, { .ctrl = true })), QRect(10, 20, 254, 100));
    EXPECT_EQ(Edges(Drawn({ 400, 300 }, { 450, 340 }, { .ctrl = true, .alt = true })),
        QRect(350, 260, 100, 80));
}

TEST(TTrimFrame, ProportionsFollowTheDefaultSize)
{
    TTrimFrame frame;
    frame.SetPictureSize(QSize(800, 600));
    frame.SetProportions(152, 102);
    frame.BeginDraw({ 0, 0 });
    frame.Track({ 304, 10 }, {});
    frame.End({ 304, 10 });
    EXPECT_EQ(Edges(frame), QRect(0, 0, 304, 204));
}

TEST(TTrimFrame, ZoomKeepsTheFrameOverTheSamePictureArea)
{
    TTrimFrame frame = Drawn({ 10, 20 }, { 264, 120 });
    const double left = frame.LeftFraction();
    frame.Rescale(QSize(1600, 1200));
    EXPECT_EQ(Edges(frame), QRect(20, 40, 508, 356));
    EXPECT_DOUBLE_EQ(frame.LeftFraction(), left);
    frame.Rescale(QSize(800, 600));
    EXPECT_EQ(Edges(frame), QRect(10, 20, 254, 178));
}

TEST(TTrimFrame, CtrlDragOfAnEdgeMovesOnlyThatEdge)
{
    TTrimFrame frame = Drawn({ 100, 100 }, { 354, 120 });
    frame.BeginEdge(feRight, { 354, 150 });
    frame.Track({ 300, 190 }, { .ctrl = true });
    frame.End({ 300, 190 });
    EXPECT_EQ(Edges(frame), QRect(100, 100, 200, 178));
    frame.BeginEdge(feTop, { 200, 100 });
    frame.Track({ 220, 130 }, { .ctrl = true });
    frame.End({ 220, 130 });
    EXPECT_EQ(Edges(frame), QRect(100, 130, 200, 148));
}

TEST(TTrimFrame, EdgeDragWithoutCtrlGrowsAboutTheCentre)
{
    TTrimFrame frame;
    frame.SetPictureSize(QSize(800, 600));
    frame.SetRect(300, 200, 500, 300); // 200 × 100, centre (400, 250)
    frame.BeginEdge(feRight, { 500, 250 });
    frame.Track({ 510, 250 }, {});
    frame.End({ 510, 250 });
    EXPECT_EQ(Edges(frame), QRect(290, 195, 220, 110));
    // The left bar pulled inwards shrinks both sides.
    frame.BeginEdge(feLeft, { 290, 250 });
    frame.Track({ 310, 250 }, {});
    frame.End({ 310, 250 });
    EXPECT_EQ(Edges(frame), QRect(310, 205, 180, 90));
    // The bottom bar: the height leads.
    frame.BeginEdge(feBottom, { 400, 295 });
    frame.Track({ 400, 300 }, {});
    frame.End({ 400, 300 });
    EXPECT_EQ(Edges(frame), QRect(300, 200, 200, 100));
}

TEST(TTrimFrame, MovingShiftsTheWholeFrameAndAShortMoveKeepsIt)
{
    TTrimFrame frame = Drawn({ 100, 100 }, { 354, 120 });
    ASSERT_TRUE(frame.Contains({ 200, 200 }, 1));
    frame.BeginMove({ 200, 200 });
    frame.Track({ 205, 190 }, {});
    EXPECT_TRUE(frame.End({ 205, 190 }));
    EXPECT_EQ(Edges(frame), QRect(105, 90, 254, 178));
    EXPECT_DOUBLE_EQ(frame.LeftFraction(), 105.0 / 800);
}

TEST(TTrimFrame, RotationMapsTheFractions)
{
    TTrimFrame frame;
    frame.SetPictureSize(QSize(800, 600));
    frame.SetRect(80, 60, 400, 180); // fractions 0.1, 0.1, 0.5, 0.3
    frame.Rotate(rt90, QSize(600, 800));
    EXPECT_NEAR(frame.LeftFraction(), 0.7, 1e-12);
    EXPECT_NEAR(frame.RightFraction(), 0.9, 1e-12);
    EXPECT_NEAR(frame.TopFraction(), 0.1, 1e-12);
    EXPECT_NEAR(frame.BottomFraction(), 0.5, 1e-12);
    EXPECT_EQ(Edges(frame), QRect(420, 80, 120, 320));
    // The other turns bring it back: 90 + 270, and 180 twice.
    frame.Rotate(rt270, QSize(800, 600));
    EXPECT_EQ(Edges(frame), QRect(80, 60, 320, 120));
    frame.Rotate(rt180, QSize(800, 600));
    EXPECT_EQ(Edges(frame), QRect(400, 420, 320, 120));
    frame.Rotate(rt180, QSize(800, 600));
    EXPECT_EQ(Edges(frame), QRect(80, 60, 320, 120));
}

TEST(TTrimFrame, TrimRectRoundsTheFractionsOnThePicture)
{
    TTrimFrame frame;
    frame.SetPictureSize(QSize(800, 600));
    frame.SetRect(80, 60, 400, 180);
    // On a 3000 × 2000 picture: 300, 200, 1500, 600.
    EXPECT_EQ(frame.TrimRect(QSize(3000, 2000)), QRect(300, 200, 1200, 400));
    // Halves round up: 0.1 × 25 + 0.5 = 3.
    EXPECT_EQ(frame.TrimRect(QSize(25, 15)).left(), 3);
    // A frame reaching past the picture is cut to it.
    frame.SetRect(-50, -10, 900, 300);
    EXPECT_EQ(frame.TrimRect(QSize(800, 600)), QRect(0, 0, 800, 300));
    frame.Clear();
    EXPECT_TRUE(frame.TrimRect(QSize(800, 600)).isEmpty());
}

} // namespace korvatel
