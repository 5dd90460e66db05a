#include "order/grid_press.h"

#include <gtest/gtest.h>

namespace korvatel
{

namespace
{

TThumbNail Item(int count = 1)
{
    TThumbNail item;
    item.FullPath = QStringLiteral("/p/a.jpg");
    item.CurrentSize = QStringLiteral("L");
    item.SetSizeCount(QStringLiteral("L"), count);
    return item;
}

TCellZones Zones(const TThumbNail &item)
{
    TCellOptions options;
    options.correction = true;
    return CellZones(QRect(0, 0, 300, 298), 6, options, item);
}

TGridAction Press(const TThumbNail &item, int zone, Qt::MouseButton button = Qt::LeftButton,
    QPoint pos = {}, const QString &sizeFrame = {})
{
    TGridPress press;
    press.zone = zone;
    press.button = button;
    press.buttons = button;
    press.pos = pos.isNull() ? Zones(item).Zone(zone).center() : pos;
    press.sizeFrame = sizeFrame;
    return GridPressAction(press, Zones(item), item);
}

} // namespace

TEST(GridPressAction, MostZonesAnswerOnlyTheLeftButton)
{
    const TThumbNail item = Item();
    for (int zone : { gzPicture, gzMinus, gzPlus, gzCopy, gzCdr, gzPhone, gzHoseiWindow }) {
        EXPECT_EQ(Press(item, zone, Qt::RightButton).kind, gaNone) << zone;
        EXPECT_EQ(Press(item, zone, Qt::MiddleButton).kind, gaNone) << zone;
        EXPECT_NE(Press(item, zone).kind, gaNone) << zone;
    }
    EXPECT_EQ(Press(item, gzQuality).kind, gaNone);
    EXPECT_EQ(Press(item, gzNone, Qt::LeftButton, { 1, 1 }).kind, gaNone);
}

TEST(GridPressAction, RightButtonStepsBack)
{
    const TThumbNail item = Item();
    const TGridAction forward = Press(item, gzSize);
    EXPECT_EQ(forward.kind, gaStepSize);
    EXPECT_EQ(forward.step, 1);
    EXPECT_TRUE(forward.shutter);
    EXPECT_EQ(Press(item, gzSize, Qt::RightButton).step, -1);
    EXPECT_EQ(Press(item, gzDate, Qt::RightButton).kind, gaCycleDate);
    EXPECT_EQ(Press(item, gzDate, Qt::RightButton).step, -1);
    EXPECT_EQ(Press(item, gzHoseiKind).kind, gaCycleCorrection);
    EXPECT_EQ(Press(item, gzSize, Qt::MiddleButton).kind, gaNone);
}

TEST(GridPressAction, MinusDeletesAnItemWithoutPrintsAndRepeatsFromThree)
{
    EXPECT_EQ(Press(Item(0), gzMinus).kind, gaAskDelete);
    EXPECT_TRUE(Press(Item(0), gzMinus).shutter);
    const TGridAction two = Press(Item(2), gzMinus);
    EXPECT_EQ(two.kind, gaCountDown);
    EXPECT_EQ(two.step, -1);
    EXPECT_FALSE(two.repeat); // one print is left: no repeat
    EXPECT_TRUE(Press(Item(3), gzMinus).repeat);
    const TGridAction plus = Press(Item(0), gzPlus);
    EXPECT_EQ(plus.kind, gaCountUp);
    EXPECT_EQ(plus.step, 1);
    EXPECT_TRUE(plus.repeat);
}

TEST(GridPressAction, PictureSelectsPicksASizeOrOpensTheTypedDate)
{
    TThumbNail item = Item();
    EXPECT_EQ(Press(item, gzPicture).kind, gaSelect);
    EXPECT_FALSE(Press(item, gzPicture).shutter);

    const TGridAction same = Press(item, gzPicture, Qt::LeftButton, {}, QStringLiteral("L"));
    EXPECT_EQ(same.kind, gaPickSize);
    EXPECT_FALSE(same.sizeChanged);
    const TGridAction other = Press(item, gzPicture, Qt::LeftButton, {}, QStringLiteral("2L"));
    EXPECT_EQ(other.size, QStringLiteral("2L"));
    EXPECT_TRUE(other.sizeChanged);

    item.DatePrint = true;
    item.DateType = dkCustom;
    const QPoint onEditor = Zones(item).dateEditor.center();
    ASSERT_FALSE(Zones(item).dateEditor.isEmpty());
    EXPECT_EQ(Press(item, gzPicture, Qt::LeftButton, onEditor, QStringLiteral("2L")).kind,
        gaOpenDateEditor);
    // A date that is not typed has no editor to open.
    item.DateType = dkNormal;
    EXPECT_EQ(
        Press(item, gzPicture, Qt::LeftButton, onEditor, QStringLiteral("2L")).kind, gaPickSize);
}

TEST(GridPressAction, DensitySliderSetsFromThePositionAndResetsOnTheRightButton)
{
    const TThumbNail item = Item();
    const QRect track = Zones(item).Zone(gzDensity);
    ASSERT_FALSE(track.isEmpty());
    const TGridAction set
        = Press(item, gzDensity, Qt::LeftButton, { track.left(), track.center().y() });
    EXPECT_EQ(set.kind, gaSetDensity);
    EXPECT_EQ(set.density, DensityAt(track, track.left()));
    EXPECT_EQ(Press(item, gzDensity, Qt::RightButton).kind, gaResetDensity);

    // The right button while the left one is held does not reset.
    TGridPress press;
    press.zone = gzDensity;
    press.button = Qt::RightButton;
    press.buttons = Qt::LeftButton | Qt::RightButton;
    EXPECT_EQ(GridPressAction(press, Zones(item), item).kind, gaNone);
}

TEST(TThumbNail, SetCurrentSizeKeepsTheCountInStep)
{
    TThumbNail item = Item(4);
    item.SetSizeCount(QStringLiteral("2L"), 2);
    item.SetCurrentSize(QStringLiteral("2L"));
    EXPECT_EQ(item.CurrentSize, QStringLiteral("2L"));
    EXPECT_EQ(item.CurrentCount, 2);
    item.SetCurrentSize(QStringLiteral("KG"));
    EXPECT_EQ(item.CurrentCount, 0);
    item.SetCurrentSize(QStringLiteral("L"));
    EXPECT_EQ(item.CurrentCount, 4);
    // A damaged count never shows below 0.
    item.Orders.append(QStringLiteral("W=-3"));
    item.SetCurrentSize(QStringLiteral("W"));
    EXPECT_EQ(item.CurrentCount, 0);
}

} // namespace korvatel
