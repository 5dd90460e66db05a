#include "order/thumb_nails.h"
#include "platform/prompter.h"
#include "sources/date_exclusion.h"
#include "sources/film_cell.h"
#include "sources/film_list.h"

#include <QImage>
#include <QPainter>
#include <gtest/gtest.h>

namespace korvatel
{

namespace
{

TFilmList FivePictures()
{
    TFilmList list;
    for (int i = 0; i < 5; ++i)
        list.AddFile(QStringLiteral("/photos/p%1.jpg").arg(i), 100 + i,
            QDateTime(QDate(2009, 1, 1), QTime(0, 0)).addSecs(i));
    return list;
}

QStringList Names(const TFilmList &list)
{
    QStringList names;
    for (int i = 0; i < list.Count(); ++i)
        names << list.Item(i).fileName;
    return names;
}

} // namespace

TEST(TFilmList, ShiftRangeOverFivePicturesWithTwoOrderedAddsThree)
{
    TFilmList list = FivePictures();
    TThumbNails orders;
    const TToggleDefaults defaults { 1, QStringLiteral("L"), false };
    EXPECT_EQ(OrderClick(list, orders, 1, -1, false, false, defaults).added, 1);
    EXPECT_EQ(OrderClick(list, orders, 3, 1, false, false, defaults).added, 1);
    ASSERT_EQ(orders.Count(), 2);

    const TOrderClickResult shift = OrderClick(list, orders, 4, 0, true, false, defaults);
    EXPECT_EQ(shift.added, 3);
    EXPECT_EQ(shift.removed, 0);
    EXPECT_EQ(orders.Count(), 5);
    EXPECT_EQ(list.OrderedCount(), 5);

    // Ctrl takes the ordered ones of the range out; Shift+Ctrl turns each over.
    EXPECT_EQ(OrderClick(list, orders, 2, 1, false, true, defaults).removed, 2);
    const TOrderClickResult both = OrderClick(list, orders, 0, 3, true, true, defaults);
    EXPECT_EQ(both.added, 2);
    EXPECT_EQ(both.removed, 2);
    EXPECT_LT(orders.Find(1, QStringLiteral("/photos/p0.jpg")), 0);
    EXPECT_GE(orders.Find(1, QStringLiteral("/PHOTOS/P1.JPG")), 0);
    // A single click without a previous picture, or on an empty file, toggles only itself.
    list.Item(4).fileSize = 0;
    EXPECT_FALSE(OrderClick(list, orders, 4, -1, true, false, defaults).Changed());
}

TEST(TFilmList, AllSelectAndAllCancelTouchOnlyPicturesWhoseMarkDiffers)
{
    TFilmList list = FivePictures();
    TThumbNails orders;
    const TToggleDefaults defaults { 2, QStringLiteral("L"), false };
    OrderClick(list, orders, 2, -1, false, false, defaults);
    EXPECT_EQ(OrderAll(list, orders, { 0, 1, 2, 3, 4 }, true, defaults).added, 4);
    EXPECT_EQ(orders.Count(), 5);
    EXPECT_EQ(OrderAll(list, orders, { 1, 3, 9 }, false, defaults).removed, 2);
    EXPECT_EQ(orders.Count(), 3);
    // The marks follow the order list when a list is filled again.
    TFilmList again = FivePictures();
    again.MarkOrdered(orders);
    EXPECT_EQ(again.OrderedCount(), 3);
    EXPECT_FALSE(again.Item(1).inOrder);
}

TEST(TFilmList, AllCancelTakesOutAnOrderedPictureWhoseFileFailedButAllSelectSkipsIt)
{
    TFilmList list = FivePictures();
    TThumbNails orders;
    const TToggleDefaults defaults { 1, QStringLiteral("L"), false };
    EXPECT_EQ(OrderAll(list, orders, { 0, 1, 2, 3, 4 }, true, defaults).added, 5);
    // The file of an ordered picture failed afterwards.
    list.Item(2).fileSize = 0;
    const TOrderClickResult cancel = OrderAll(list, orders, { 0, 1, 2, 3, 4 }, false, defaults);
    EXPECT_EQ(cancel.removed, 5);
    EXPECT_EQ(orders.Count(), 0);
    EXPECT_FALSE(list.Item(2).inOrder);
    const TOrderClickResult again = OrderAll(list, orders, { 0, 1, 2, 3, 4 }, true, defaults);
    EXPECT_EQ(again.added, 4);
    EXPECT_FALSE(list.Item(2).inOrder);
}

TEST(TFilmList, SortsByNameSizeTypeAndTimeWithTheDirectionAndReusesItems)
{
    TFilmList list;
    const QDateTime t(QDate(2009, 1, 1), QTime(0, 0));
    list.AddFile(QStringLiteral("/x/b.png"), 300, t.addSecs(2));
    list.AddFile(QStringLiteral("/x/a.jpg"), 300, t.addSecs(1));
    list.AddFile(QStringLiteral("/x/C.jpg"), 100, t.addSecs(3));
    EXPECT_EQ(list.Item(0).typeText, QStringLiteral("PNG ファイル"));
    list.Sort(1, 1);
    EXPECT_EQ(Names(list), (QStringList { "a.jpg", "b.png", "C.jpg" }));
    list.Sort(2, -1); // the two of 300 bytes: the later first, as the direction says
    EXPECT_EQ(Names(list), (QStringList { "b.png", "a.jpg", "C.jpg" }));
    list.Sort(3, 1);
    EXPECT_EQ(Names(list), (QStringList { "a.jpg", "C.jpg", "b.png" }));
    list.Sort(4, -1);
    EXPECT_EQ(Names(list), (QStringList { "C.jpg", "b.png", "a.jpg" }));
    list.Sort(0, -1); // the list position ignores the direction
    EXPECT_EQ(Names(list), (QStringList { "b.png", "a.jpg", "C.jpg" }));
    EXPECT_EQ(list.IndexOf(QStringLiteral("/X/c.JPG")), 2);

    const TFilmData *kept = &list.Item(0);
    list.Clear();
    EXPECT_EQ(list.Count(), 0);
    TFilmData &reused = list.AddFile(QStringLiteral("/y/z.jpg"), 5);
    EXPECT_EQ(&reused, kept);
    EXPECT_EQ(reused.index, 0);
    EXPECT_FALSE(reused.inOrder);
}

TEST(TExclusion, AChildOfAnExcludedFolderAsksToLiftTheParent)
{
    TDateOutFolderList list;
    TScriptedPrompter prompter({ TModalResult::mrCancel, TModalResult::mrOk });
    EXPECT_EQ(ToggleExclusion(list, QStringLiteral("/home/u/photos/"), prompter),
        TExclusionChange::ecAdded);
    ASSERT_EQ(list.Folders.size(), 1);
    EXPECT_EQ(list.Folders[0].path, QStringLiteral("/home/u/photos"));
    EXPECT_TRUE(FolderExcluded(list, QStringLiteral("/home/u/photos")));
    // A sibling whose name starts the same is not a child.
    EXPECT_EQ(ToggleExclusion(list, QStringLiteral("/home/u/photos-old"), prompter),
        TExclusionChange::ecAdded);
    EXPECT_TRUE(prompter.Shown().isEmpty());

    EXPECT_EQ(ToggleExclusion(list, QStringLiteral("/home/u/photos/2009"), prompter),
        TExclusionChange::ecNone);
    EXPECT_EQ(ToggleExclusion(list, QStringLiteral("/home/u/photos/2009"), prompter),
        TExclusionChange::ecParentRemoved);
    EXPECT_EQ(prompter.Texts(),
        QStringList(2, QStringLiteral("親である </home/u/photos> を解除します。")));
    EXPECT_EQ(prompter.Shown()[0].buttons, mbOK | mbCancel);
    EXPECT_EQ(list.ActiveFolders(), QStringList { QStringLiteral("/home/u/photos-old") });
    EXPECT_EQ(ToggleExclusion(list, QStringLiteral("/home/u/photos-old"), prompter),
        TExclusionChange::ecRemoved);
    EXPECT_TRUE(list.Folders.isEmpty());
    list.Folders.append({ QStringLiteral("/inactive"), false });
    EXPECT_FALSE(FolderExcluded(list, QStringLiteral("/inactive")));
}

TEST(TCheckMark, PlacesAndDrawsEachKind)
{
    EXPECT_EQ(CheckPolygon(46),
        QPolygon({ { 0, 9 }, { 0, 24 }, { 11, 46 }, { 45, 12 }, { 45, 1 }, { 12, 33 } }));
    EXPECT_EQ(CheckPolygon(23).at(2), QPoint(6, 23));
    const QRect cell(10, 20, 100, 80);
    EXPECT_EQ(CheckMarkSize(cell, 50), 40);
    EXPECT_EQ(CheckMarkRect(cell, 40, 0), QRect(40, 40, 40, 40)); // centre, middle
    EXPECT_EQ(CheckMarkRect(cell, 40, 11), QRect(12, 22, 40, 40)); // left, top
    EXPECT_EQ(CheckMarkRect(cell, 40, 22), QRect(68, 58, 40, 40)); // right, bottom

    const auto paint = [&](int mark) {
        QImage image(120, 110, QImage::Format_RGB32);
        image.fill(Qt::black);
        QPainter painter(&image);
        TCheckStyle style;
        style.mark = mark;
        style.colour = QColor(255, 0, 0);
        style.text = QStringLiteral("OK");
        PaintCheckMark(painter, cell, style);
        return image;
    };
    const QRgb red = qRgb(255, 0, 0);
    EXPECT_EQ(paint(cmCircle).pixel(60, 60), red);
    EXPECT_NE(paint(cmDonut).pixel(60, 60), red); // the hole
    EXPECT_EQ(paint(cmDonut).pixel(60, 42), red); // the ring
    EXPECT_EQ(paint(cmSurround).pixel(10, 50), red);
    EXPECT_EQ(paint(cmSurround).pixel(60, 60), qRgb(0, 0, 0));
    EXPECT_EQ(paint(cmStandard).pixel(40 + 17, 40 + 27), red); // inside the polygon
    EXPECT_EQ(paint(cmStandard).pixel(40 + 30, 40 + 35), qRgb(0, 0, 0)); // below it
    EXPECT_EQ(paint(cmFrameColour).pixel(60, 60), qRgb(0, 0, 0)); // the cell paints it
    // A missing user picture falls back to the standard mark.
    EXPECT_EQ(paint(cmPicture).pixel(57, 67), red);
    const QImage text = paint(cmText);
    int reds = 0;
    for (int y = 0; y < text.height(); ++y)
        for (int x = 0; x < text.width(); ++x)
            reds += text.pixel(x, y) == red;
    EXPECT_GT(reds, 50);
}

} // namespace korvatel
