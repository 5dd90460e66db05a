#include "order/grid_cells.h"
#include "order_fixture.h"
#include "pricing/price_tables.h"

#include <gtest/gtest.h>

namespace korvatel
{

namespace
{

TThumbNail Item(const QString &path = QStringLiteral("/p/a.jpg"))
{
    TThumbNail item;
    item.FullPath = path;
    item.Project = IsProjectPicture(path);
    item.CurrentSize = QStringLiteral("L");
    item.SetSizeCount(QStringLiteral("L"), 1);
    return item;
}

TCellOptions AllZones()
{
    TCellOptions options;
    options.correction = true;
    return options;
}

} // namespace

TEST(TGridMetrics, CellsFillTheWidthAndPageByWholeScreens)
{
    const TGridMetrics m = GridMetrics(903, 600, 3, false, 1080);
    EXPECT_EQ(m.colWidths, (QList<int> { 300, 300, 300 }));
    // (600 − 3) / 300 + 0.5 truncated: two rows of 298 pixels; the grid holds 2 of them.
    EXPECT_EQ(m.visibleRows, 2);
    EXPECT_EQ(m.rowHeight, 298);
    EXPECT_EQ(m.gridHeight, 596);
    // min(1080 / 120, 298 / 46 + 0.8) = 7.28 → 7.
    EXPECT_EQ(m.unit, 7);
    EXPECT_EQ(DrawingUnit(600, 298), 5);

    // A width that does not divide: the columns still add up to the usable width.
    const TGridMetrics odd = GridMetrics(103, 60, 3, false, 768);
    EXPECT_EQ(odd.colWidths, (QList<int> { 33, 33, 34 }));
    EXPECT_EQ(odd.ColumnLeft(2), 66);
    EXPECT_EQ(odd.ColumnAt(99), 2);
    EXPECT_EQ(odd.ColumnAt(100), -1);
    // A scroll bar takes 21 pixels more.
    EXPECT_EQ(GridMetrics(924, 600, 3, true, 1080).colWidths.value(0), 300);
}

TEST(TGridMetrics, RowsArePaddedToWholePages)
{
    EXPECT_EQ(GridRowCount(7, 3, 2), 4);
    EXPECT_EQ(GridRowCount(6, 3, 2), 2);
    EXPECT_EQ(GridRowCount(0, 3, 2), 2);
    EXPECT_EQ(PageTopRow(6, 3, 2), 2);
    EXPECT_EQ(PageTopRow(5, 3, 2), 0);
    EXPECT_EQ(PageTopRow(13, 3, 2), 4);
}

TEST(TCellZones, ZonesAreTestedInTheirOrderAndProjectPicturesLackTheToggles)
{
    const TThumbNail item = Item();
    const TCellZones z = CellZones(QRect(0, 0, 300, 298), 6, AllZones(), item);
    for (const int zone : { gzPicture, gzSize, gzMinus, gzPlus, gzCopy, gzCdr, gzDate, gzHoseiKind,
             gzHoseiWindow, gzDensity })
        EXPECT_EQ(HitTest(z, item, z.Zone(zone).center(), false), zone) << zone;
    // The toggles lie over the picture and win over it.
    EXPECT_TRUE(z.Zone(gzPicture).contains(z.Zone(gzCdr)));
    EXPECT_EQ(HitTest(z, item, QPoint(-1, 5), false), gzNone);
    // The quality mark is a zone for hints only.
    EXPECT_EQ(HitTest(z, item, z.Zone(gzQuality).center(), false), gzNone);
    EXPECT_EQ(HitTest(z, item, z.Zone(gzQuality).center(), true), gzQuality);

    const TThumbNail project = Item(QStringLiteral("/p/b_project.jpg"));
    const TCellZones p = CellZones(QRect(0, 0, 300, 298), 6, AllZones(), project);
    for (const int zone : { gzCopy, gzCdr, gzDate, gzHoseiKind, gzHoseiWindow, gzDensity })
        EXPECT_EQ(HitTest(p, project, p.Zone(zone).center(), false), gzNone) << zone;
    EXPECT_EQ(HitTest(p, project, p.Zone(gzPlus).center(), false), gzPlus);

    TThumbNail broken = Item();
    broken.ErrorKind = neNotFound;
    EXPECT_EQ(HitTest(z, broken, z.Zone(gzPlus).center(), false), gzNone);
}

TEST(TCellZones, OptionsMoveTheButtonsAndTheShopDecidesTheToggles)
{
    const TThumbNail item = Item();
    const QRect cell(0, 0, 300, 298);
    const TCellZones plain = CellZones(cell, 6, {}, item);
    EXPECT_LT(plain.Zone(gzCopy).left(), plain.Zone(gzMinus).left());
    EXPECT_LT(plain.Zone(gzMinus).left(), plain.Zone(gzPlus).left());
    EXPECT_LT(plain.Zone(gzQuality).left(), plain.Zone(gzSize).left());
    // Without correction offered there are no correction zones.
    EXPECT_TRUE(plain.Zone(gzHoseiKind).isEmpty());
    EXPECT_TRUE(plain.Zone(gzDensity).isEmpty());

    TCellOptions moved;
    moved.copyAtRight = true;
    moved.sizeLeft = true;
    moved.plusLeft = true;
    const TCellZones z = CellZones(cell, 6, moved, item);
    EXPECT_GT(z.Zone(gzCopy).left(), z.Zone(gzMinus).left());
    EXPECT_LT(z.Zone(gzPlus).left(), z.Zone(gzMinus).left());
    EXPECT_LT(z.Zone(gzSize).left(), z.Zone(gzQuality).left());
    for (const int zone : { gzSize, gzMinus, gzPlus, gzCopy })
        EXPECT_EQ(HitTest(z, item, z.Zone(zone).center(), false), zone) << zone;
    // The rectangles of one row never overlap.
    EXPECT_FALSE(z.Zone(gzCopy).intersects(z.Zone(gzMinus)));
    EXPECT_FALSE(z.Zone(gzCopy).intersects(z.count));

    TCellOptions noDates = AllZones();
    noDates.dateEditable = false;
    noDates.cdOutput = false;
    const TCellZones d = CellZones(cell, 6, noDates, item);
    EXPECT_TRUE(d.Zone(gzDate).isEmpty());
    EXPECT_TRUE(d.Zone(gzCdr).isEmpty());
    // Campus pictures have neither the date imprint nor the correction.
    TThumbNail campus = Item(QStringLiteral("/c/a.cci"));
    campus.OrderType = otPhoto;
    const TCellZones c = CellZones(cell, 6, AllZones(), campus);
    EXPECT_TRUE(c.Zone(gzDate).isEmpty());
    EXPECT_TRUE(c.Zone(gzHoseiKind).isEmpty());
}

TEST(TSizeFrames, FramesFollowThePrintProportionsAndTheFirstOfferedSizeWins)
{
    const TPriceTables tables = test::SizedShopTables();
    TThumbNail item = Item();
    item.SetSizeCount(QStringLiteral("2L"), 2);
    const QRect image(10, 10, 400, 300);
    const QList<TSizeFrame> frames = SizeFrames(image, item, &tables, {});
    ASSERT_EQ(frames.size(), 2);
    EXPECT_EQ(frames[0].size, QStringLiteral("L"));
    // 127 : 89 on a 4 : 3 picture: the full width, the height cut.
    EXPECT_EQ(frames[0].rect.width(), 400);
    EXPECT_NEAR(frames[0].rect.height(), 280, 1);
    EXPECT_TRUE(image.contains(frames[1].rect));
    EXPECT_EQ(SizeAt(frames, tables.SizeList(false), image.center()), QStringLiteral("L"));
    // Near the L frame's edge only the 2L frame, two pixels further in, is missed.
    EXPECT_EQ(
        SizeAt(frames, tables.SizeList(false), frames[0].rect.topLeft()), QStringLiteral("L"));
    EXPECT_EQ(SizeAt(frames, tables.SizeList(false), QPoint(0, 0)), QString());

    // Sizes without a count and not current have no frame.
    item.SetSizeCount(QStringLiteral("2L"), 0);
    EXPECT_EQ(SizeFrames(image, item, &tables, {}).size(), 1);
}

TEST(TGridCells, QualityLevelsHaveTheirColoursAndLabels)
{
    const TPriceTables tables = test::SizedShopTables();
    TThumbNail item = Item();
    // 127 mm: below round(127 × 600 / 119) = 640 pixels low, above 726 high.
    item.Width = 600;
    item.Height = 400;
    EXPECT_EQ(QualityLevel(item, &tables, 600, 680), 1);
    item.Width = 700;
    EXPECT_EQ(QualityLevel(item, &tables, 600, 680), 2);
    item.Width = 3000;
    EXPECT_EQ(QualityLevel(item, &tables, 600, 680), 3);
    // Stricter shop thresholds judge the same picture lower.
    item.Width = 700;
    EXPECT_EQ(QualityLevel(item, &tables, 700, 800), 1);
    item.Width = -1;
    EXPECT_EQ(QualityLevel(item, &tables, 600, 680), 0);

    EXPECT_EQ(QualityLabel(0), QStringLiteral("画質？"));
    EXPECT_EQ(QualityLabel(1), QStringLiteral("低画質"));
    EXPECT_EQ(QualityLabel(2), QStringLiteral("中画質"));
    EXPECT_EQ(QualityLabel(3), QStringLiteral("高画質"));
    EXPECT_EQ(QualityColour(1), QColor(255, 0, 0));
    EXPECT_EQ(QualityColour(2), QColor(255, 255, 0));
    EXPECT_EQ(QualityColour(3), QColor(0, 255, 0));
    EXPECT_EQ(QualityColour(0), QColor(0, 0, 0));
}

TEST(TGridCells, TextsOfTheCell)
{
    EXPECT_EQ(CountText(3), QStringLiteral("3 枚"));
    EXPECT_EQ(FileSizeText(0), QStringLiteral(" 0ｻｲｽﾞ"));
    EXPECT_EQ(FileSizeText(2500000), QStringLiteral(" 2,441KB"));
    EXPECT_EQ(PixelSizeText(3264, 2448), QStringLiteral(" (3264×2448)"));
    TThumbNail item = Item();
    EXPECT_EQ(MinusLabel(item), QStringLiteral("－"));
    item.AddToCurrent(-1);
    EXPECT_EQ(MinusLabel(item), QStringLiteral("削除"));
    EXPECT_EQ(SizeButtonLabel(item), QStringLiteral("サイズ,切替"));
    EXPECT_EQ(
        SizeButtonLabel(Item(QStringLiteral("/x_project.jpg"))), QStringLiteral("ﾒﾃﾞｨｱ,切替"));
    EXPECT_EQ(CopyButtonLabel(ckToEnd), QStringLiteral("最後迄,Copy"));
    EXPECT_EQ(CopyButtonLabel(ckDetail), QStringLiteral("詳細,Copy"));
    EXPECT_EQ(CopyButtonLabel(ckStepper), QStringLiteral("詳細,Copy"));
}

TEST(TGridCells, HintsOfTheZones)
{
    TThumbNail item = Item();
    EXPECT_EQ(ZoneHint(gzCopy, item),
        QStringLiteral("枚数設定などの指定をコピーします。【注意】補正書式はコピーしません。"));
    item.Hosei.kind = 2;
    EXPECT_EQ(ZoneHint(gzHoseiKind, item),
        QStringLiteral("色調補正の指定。現在の指定は、標準の肌色補正に(赤)を強調しています。"));
    item.Hosei.pointGreen = 3;
    EXPECT_EQ(ZoneHint(gzHoseiKind, item),
        QStringLiteral(
            "色調補正の指定。現在の指定は、補正画面での色調指定に(赤)を強調しています。"));
    item.DatePrint = true;
    item.DateType = dkCustom;
    EXPECT_TRUE(
        ZoneHint(gzDate, item).endsWith(QStringLiteral("自動半角変換(可能な限り)されます。")));
    item.DateType = dkNormal;
    EXPECT_TRUE(ZoneHint(gzDate, item).endsWith(QStringLiteral("日付の指定をします。")));
    EXPECT_TRUE(
        ZoneHint(gzDate, item)
            .startsWith(QStringLiteral("日付書式の指定。有効なExifなら撮影日を\".\"で区切り､")));
    EXPECT_EQ(ZoneHint(gzNone, item), QString());

    EXPECT_EQ(SizeFrameHint({ true, false }),
        QStringLiteral("クリックでサイズを変更できます。ドラッグで１以上の数量を移動できます。"
                       "[Ctrl]+[ﾀﾞﾌﾞﾙｸﾘｯｸ]で数量をまとめます。"));
    EXPECT_EQ(SizeFrameHint({ false, true }),
        QStringLiteral("クリックでサイズを変更できます。ダブルクリックで数量をまとめます。"));
}

TEST(TGridCells, DateAndCorrectionKindsCycleBothWays)
{
    TThumbNail item = Item();
    item.DatePrint = false;
    QStringList seen;
    for (int i = 0; i < 4; ++i) {
        const bool leftCustom = CycleDateKind(item, true);
        seen << DateButtonLabel(item) + (leftCustom ? QStringLiteral("!") : QString());
    }
    EXPECT_EQ(seen, (QStringList { "通常", "時刻", "指定", "日付無!" }));
    seen.clear();
    for (int i = 0; i < 4; ++i) {
        const bool leftCustom = CycleDateKind(item, false);
        seen << DateButtonLabel(item) + (leftCustom ? QStringLiteral("!") : QString());
    }
    EXPECT_EQ(seen, (QStringList { "指定", "時刻!", "通常", "日付無" }));

    QList<int> kinds;
    for (int i = 0; i < 6; ++i) {
        CycleCorrectionKind(item, true);
        kinds << item.Hosei.kind;
    }
    EXPECT_EQ(kinds, (QList<int> { 1, 2, 3, 4, 5, 0 }));
    CycleCorrectionKind(item, false);
    EXPECT_EQ(item.Hosei.kind, 5);
}

TEST(TGridCells, DroppedAndMergedCountsMoveBetweenSizes)
{
    TThumbNail item = Item();
    item.SetSizeCount(QStringLiteral("L"), 3);
    item.SetSizeCount(QStringLiteral("2L"), 2);
    EXPECT_FALSE(AcceptsCountDrop(true, QStringLiteral("L"), QStringLiteral("L")));
    EXPECT_FALSE(AcceptsCountDrop(false, QStringLiteral("L"), QStringLiteral("2L")));
    EXPECT_FALSE(AcceptsCountDrop(true, QStringLiteral("L"), QString()));
    EXPECT_TRUE(AcceptsCountDrop(true, QStringLiteral("L"), QStringLiteral("2L")));
    DropCount(item, QStringLiteral("L"), QStringLiteral("2L"));
    EXPECT_EQ(item.Orders, (QStringList { "2L=5" }));
    EXPECT_EQ(item.CurrentSize, QStringLiteral("2L"));
    EXPECT_EQ(item.CurrentCount, 5);
    EXPECT_EQ(item.TotalCount, 5);

    item.SetSizeCount(QStringLiteral("KG"), 4);
    MergeCounts(item, QStringLiteral("L"));
    EXPECT_EQ(item.Orders, (QStringList { "L=9" }));
    EXPECT_EQ(item.CurrentCount, 9);
    EXPECT_EQ(item.TotalCount, 9);
}

TEST(TGridCells, RepeatIntervalsShrinkToOneMillisecond)
{
    QList<int> intervals { kFirstRepeat };
    while (intervals.last() > 1)
        intervals << NextRepeatInterval(intervals.last());
    EXPECT_EQ(intervals.mid(0, 5), (QList<int> { 500, 350, 245, 171, 119 }));
    EXPECT_EQ(NextRepeatInterval(1), 1);
    EXPECT_EQ(NextRepeatInterval(2), 1);
}

TEST(TGridCells, ArrowKeysStayWithinTheList)
{
    EXPECT_EQ(MoveCurrent(6, 1, 0, 7, 3), 6); // right on the last item
    EXPECT_EQ(MoveCurrent(0, -1, 0, 7, 3), 0);
    EXPECT_EQ(MoveCurrent(5, 0, 1, 7, 3), 5); // no item below
    EXPECT_EQ(MoveCurrent(3, 0, 1, 7, 3), 6);
    EXPECT_EQ(MoveCurrent(4, 0, -1, 7, 3), 1);
    EXPECT_EQ(MoveCurrent(-1, 1, 0, 7, 3), 0);
    EXPECT_EQ(MoveCurrent(0, 1, 0, 0, 3), -1);
}

TEST(TGridCells, DateTextBecomesHalfWidthAndKeepsItsBlanks)
{
    EXPECT_EQ(DateTextHalfWidth(QStringLiteral("２００４．０７")), QStringLiteral("2004.07"));
    EXPECT_EQ(DateTextHalfWidth(QStringLiteral("たんじょうび ")), QStringLiteral("ﾀﾝｼﾞｮｳﾋﾞ "));
    EXPECT_EQ(DateTextHalfWidth(QStringLiteral("a\u3000")), QStringLiteral("a "));
    EXPECT_EQ(DateTextHalfWidth(QString()), QString());
}

TEST(TGridCells, DensityFollowsTheTrack)
{
    const QRect track(100, 0, 201, 10);
    EXPECT_EQ(DensityAt(track, 100), -100);
    EXPECT_EQ(DensityAt(track, 200), 0);
    EXPECT_EQ(DensityAt(track, 300), 100);
    EXPECT_EQ(DensityAt(track, 900), 100);
    EXPECT_EQ(DensityKnobX(track, 0), 200);
    EXPECT_EQ(DensityAt(QRect(), 5), 0);
}

} // namespace korvatel
