#include "order/browser_orders.h"
#include "order/thumb_nails.h"
#include "platform/prompter.h"

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

// A folder holding two pictures whose names differ only in case, and a third.
TFilmList Twins()
{
    TFilmList list;
    for (const char *name : { "/photos/IMG_0001.jpg", "/photos/IMG_0001.JPG", "/photos/b.jpg" })
        list.AddFile(QString::fromLatin1(name), 100);
    return list;
}

QStringList Ordered(const TThumbNails &orders)
{
    QStringList paths;
    for (int i = 0; i < orders.Count(); ++i)
        paths << orders.Item(i)->FullPath;
    return paths;
}

} // namespace

TEST(BrowserOrders, ShiftRangeOverFivePicturesWithTwoOrderedAddsThree)
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
    EXPECT_GE(orders.Find(1, QStringLiteral("/photos/p1.jpg")), 0);
    // A single click without a previous picture, or on an empty file, toggles only itself.
    list.Item(4).fileSize = 0;
    EXPECT_FALSE(OrderClick(list, orders, 4, -1, true, false, defaults).Changed());
}

TEST(BrowserOrders, APathShiftJisCannotHoldIsRefusedWithOneMessage)
{
    EXPECT_TRUE(OrderMemoryCanHold(QStringLiteral("/写真/ｶﾒﾗ/髙橋①.jpg")));
    EXPECT_FALSE(OrderMemoryCanHold(QStringLiteral("/photos/Café/a.jpg")));
    // Encodable, but it would read back as U+FF5E.
    EXPECT_FALSE(OrderMemoryCanHold(QStringLiteral("/photos/a\u301Cb.jpg")));

    TFilmList list;
    for (const char *name : { "/photos/Café/a.jpg", "/photos/Café/b.jpg", "/photos/c.jpg" })
        list.AddFile(QString::fromUtf8(name), 100);
    TThumbNails orders;
    TScriptedPrompter prompter;
    TToggleDefaults defaults { 1, QStringLiteral("L"), false };
    defaults.prompter = &prompter;
    EXPECT_EQ(OrderAll(list, orders, { 0, 1, 2 }, true, defaults).added, 1);
    EXPECT_EQ(Ordered(orders), QStringList { QStringLiteral("/photos/c.jpg") });
    EXPECT_FALSE(list.Item(0).inOrder);
    ASSERT_EQ(prompter.Texts(),
        QStringList { UnstorablePathText(QString::fromUtf8("/photos/Café/a.jpg")) });
    EXPECT_EQ(prompter.Shown().first().kind, TMsgKind::mkError);
    EXPECT_EQ(OrderClick(list, orders, 1, -1, false, false, defaults).added, 0);
    EXPECT_EQ(prompter.Texts().size(), 2);
}

TEST(BrowserOrders, AllSelectAndAllCancelTouchOnlyPicturesWhoseMarkDiffers)
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
    MarkOrdered(again, orders);
    EXPECT_EQ(again.OrderedCount(), 3);
    EXPECT_FALSE(again.Item(1).inOrder);
}

TEST(BrowserOrders, AllCancelTakesOutAnOrderedPictureWhoseFileFailedButAllSelectSkipsIt)
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

TEST(BrowserOrders, TwinsThatDifferOnlyInCaseAreTwoPictures)
{
    TFilmList list = Twins();
    TThumbNails orders;
    const TToggleDefaults defaults { 1, QStringLiteral("L"), false };
    const QString lower = QStringLiteral("/photos/IMG_0001.jpg");
    const QString upper = QStringLiteral("/photos/IMG_0001.JPG");

    // A click on one twin leaves the other alone, in the basket and in the marks.
    EXPECT_EQ(OrderClick(list, orders, 0, -1, false, false, defaults).added, 1);
    EXPECT_EQ(OrderClick(list, orders, 1, -1, false, false, defaults).added, 1);
    EXPECT_EQ(OrderClick(list, orders, 0, -1, false, false, defaults).removed, 1);
    EXPECT_EQ(Ordered(orders), QStringList { upper });
    TFilmList again = Twins();
    MarkOrdered(again, orders);
    EXPECT_EQ(again.OrderedCount(), 1);
    EXPECT_TRUE(again.Item(1).inOrder);

    // "全選択" orders every picture; cancelling one twin keeps the other.
    orders.Clear();
    TFilmList all = Twins();
    EXPECT_EQ(OrderAll(all, orders, { 0, 1, 2 }, true, defaults).added, 3);
    EXPECT_EQ(OrderAll(all, orders, { 1 }, false, defaults).removed, 1);
    EXPECT_EQ(Ordered(orders), (QStringList { lower, QStringLiteral("/photos/b.jpg") }));
}

} // namespace korvatel
