#include "cards/image_panel.h"

#include <gtest/gtest.h>

namespace korvatel
{

TEST(TImagePanel, RecordLineRoundTripsWithFourDecimals)
{
    const QRect sheet(10, 20, 400, 200);
    TImagePanel panel;
    panel.fileName = QStringLiteral("C:\\Photos\\夏 休み.jpg");
    panel.comment = { QStringLiteral("一行目"), QStringLiteral("two, three") };
    panel.frame = QRect(110, 70, 100, 50);
    panel.inner = QRect(-10, 5, 120, 40);
    const QString line = ImagePanelText(panel, sheet);
    EXPECT_TRUE(line.contains(QStringLiteral("ex=25.0000")));
    EXPECT_TRUE(line.contains(QStringLiteral("ey=25.0000")));
    EXPECT_TRUE(line.contains(QStringLiteral("gx=-10.0000")));
    EXPECT_TRUE(line.contains(QStringLiteral("gh=80.0000")));
    const std::optional<TImagePanel> back = ReadImagePanel(line, sheet);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->fileName, panel.fileName);
    EXPECT_EQ(back->comment, panel.comment);
    EXPECT_EQ(back->frame, panel.frame);
    EXPECT_EQ(back->inner, panel.inner);

    EXPECT_FALSE(ReadImagePanel(QStringLiteral("ex=1,ey=2"), sheet));
    EXPECT_FALSE(ReadImagePanel(QStringLiteral("file=a.jpg,ew=nan"), sheet));
    // Ten sheets wide is the most a frame can be; its picture may be far larger.
    EXPECT_FALSE(ReadImagePanel(QStringLiteral("file=a.jpg,ew=1000.5"), sheet));
    EXPECT_TRUE(ReadImagePanel(QStringLiteral("file=a.jpg,ew=1000,gw=90000"), sheet));
    EXPECT_EQ(
        ReadImagePanel(QStringLiteral("file=a.jpg,ew=50"), sheet)->frame, QRect(10, 20, 200, 0));
}

TEST(TImagePanel, WheelZoomRoundsAndIgnoresTinyPictures)
{
    const QRect frame(0, 0, 100, 80);
    // Shrinking a 10-pixel picture would make it 9 pixels wide: ignored.
    EXPECT_FALSE(PanelWheelZoom(frame, QRect(0, 0, 10, 10), { 10, 10 }, { 5, 5 }, -1, false));
    // Growing rounds up: 50 × 1.01 = 50.5 becomes 51; the height follows the picture's aspect.
    EXPECT_EQ(PanelWheelZoom(frame, QRect(0, 0, 50, 25), { 200, 100 }, { 0, 0 }, 1, false),
        QRect(0, 0, 51, 26));
    // Shrinking rounds down: 60 × 0.98 = 58.8 becomes 58 with Shift.
    EXPECT_EQ(PanelWheelZoom(frame, QRect(0, 0, 60, 60), { 10, 10 }, { 0, 0 }, -1, true),
        QRect(0, 0, 58, 58));
    // The point under the mouse stays put.
    const std::optional<QRect> about
        = PanelWheelZoom(frame, QRect(0, 0, 50, 50), { 10, 10 }, { 50, 50 }, 5, false);
    ASSERT_TRUE(about);
    EXPECT_EQ(about->size(), QSize(53, 53));
    EXPECT_EQ(about->topLeft(), QPoint(-3, -3));
    EXPECT_FALSE(PanelWheelZoom(frame, QRect(0, 0, 50, 50), { 10, 10 }, { 120, 5 }, 1, false));
}

TEST(TImagePanel, BorderHandlesAndTheSmallestFrame)
{
    EXPECT_EQ(PanelHandleAt({ 100, 80 }, { 3, 40 }), 1);
    EXPECT_EQ(PanelHandleAt({ 100, 80 }, { 4, 40 }), 11);
    EXPECT_EQ(PanelHandleAt({ 100, 80 }, { 97, 78 }), 22);
    EXPECT_EQ(PanelDrag(QRect(0, 0, 100, 80), 21, -80, 0), QRect(0, 0, 50, 80));
    EXPECT_EQ(PanelDrag(QRect(0, 0, 100, 80), 0, 10, 70), QRect(10, 30, 90, 50));
    EXPECT_EQ(PanelDrag(QRect(0, 0, 100, 80), 11, 7, 8), QRect(7, 8, 100, 80));
}

} // namespace korvatel
