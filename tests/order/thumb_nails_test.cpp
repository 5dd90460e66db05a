#include "order/order_fixture.h"
#include "sources/browser_item.h"
#include "support/image_builders.h"

#include <gtest/gtest.h>

namespace korvatel
{

namespace
{

using test::TBasketFixture;

QStringList Names(const TThumbNails &list)
{
    return test::ItemTexts(list, &TThumbNail::FileName);
}

TEST(TThumbNails, AddPictureTakesOfferedSizesAndNumbersItemsInTurn)
{
    TBasketFixture f;
    TThumbNail *a = f.list.AddPicture(1, f.File("a.jpg"), false, 2, "KG");
    EXPECT_EQ(a->CurrentSize, "L"); // withdrawn: the shop's default size
    EXPECT_EQ(a->Orders, QStringList { "L=2" });
    EXPECT_EQ(a->TotalCount, 2);
    EXPECT_EQ(a->OrderType, otDpe);
    EXPECT_TRUE(a->CdOrder);
    EXPECT_TRUE(a->DatePrint);
    EXPECT_EQ(a->Width, -2);
    EXPECT_EQ(a->Serial, 0u);

    TThumbNail *b = f.list.AddPicture(1, f.Album() + "/c1.CCI", true, 1, "L");
    EXPECT_EQ(b->OrderType, otPhoto);
    EXPECT_EQ(b->CurrentSize, "P1"); // not in the album's list: its first size
    ASSERT_TRUE(b->CampusPrices);
    EXPECT_EQ(b->Hosei.kind, 5);
    EXPECT_EQ(b->Serial, 1u);

    TThumbNail *c = f.list.AddPicture(1, f.File("none.jpg"), false, 0, "2L");
    EXPECT_TRUE(c->Orders.isEmpty());
    EXPECT_EQ(c->TotalCount, 0);
    EXPECT_EQ(c->CurrentSize, "2L");
}

TEST(TThumbNails, PathsOfTheItemFollowTheDiskAndFolder)
{
    TBasketFixture f;
    f.list.Context().works = "/w/Works";
    TThumbNail *item = f.list.AddPicture(26, "C:\\Photos\\2009\\IMG_1.JPG", false, 1, "L");
    EXPECT_EQ(item->FolderKey, "Disk$01A\\C\\Photos\\2009");
    EXPECT_EQ(item->FileName, "IMG_1.JPG");
    EXPECT_EQ(item->ThumbnailPath, "/w/Works/Disk$01A/C/Photos/2009/IMG_1.JPG.BMP");
}

TEST(TThumbNails, ProjectPicturesTakeTheProjectSizeAndAtLeastOnePrint)
{
    TBasketFixture f;
    f.list.Context().projectSizes = QStringList { "CD", "DVD" };
    TThumbNail *item = f.list.AddPicture(1, f.File("x_Project.JPG"), false, 0, "L");
    EXPECT_TRUE(item->Project);
    EXPECT_EQ(item->Orders, QStringList { "CD=1" });
}

TEST(TThumbNails, ErrorItemsCountAsBadOnlyAndProjectsStayOffTheDiscAndThePhone)
{
    TBasketFixture f;
    TThumbNail *a = f.list.AddPicture(1, f.File("a.jpg"), false, 3, "L");
    a->FileSize = 1000;
    TThumbNail *b = f.list.AddPicture(1, f.File("b.jpg"), false, 4, "L");
    b->ErrorKind = neNotFound;
    b->FileSize = 500;
    TThumbNail *p = f.list.AddPicture(1, f.File("p_project.jpg"), false, 1, "L");
    p->FileSize = 7000;
    a->KeitaiOrder = b->KeitaiOrder = p->KeitaiOrder = true;
    int changes = 0;
    f.list.OnChange = [&] { ++changes; };
    f.list.Recount();
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(f.list.OrderCount(), 4); // 3 + the project's 1; the error item adds nothing
    EXPECT_EQ(f.list.BadCount(), 1);
    EXPECT_EQ(b->TotalCount, 0);
    EXPECT_EQ(f.list.CdCount(), 1);
    EXPECT_EQ(f.list.CdBytes(), 1000);
    EXPECT_EQ(f.list.KeitaiOrderCount(), 1); // neither the error item nor the project
}

TEST(TThumbNails, ItemCountsFollowTheirSizeLines)
{
    TBasketFixture f;
    TThumbNail *item = f.list.AddPicture(1, f.File("a.jpg"), false, 1, "L");
    item->SetSizeCount("2L", 3);
    EXPECT_EQ(item->TotalCount, 4);
    EXPECT_EQ(item->SizeCount("2L"), 3);
    item->AddToCurrent(-5);
    EXPECT_EQ(item->CurrentCount, 0);
    EXPECT_EQ(item->Orders, QStringList { "2L=3" });
    item->AddToCurrent(2);
    EXPECT_EQ(item->SizeCount("L"), 2);
    EXPECT_EQ(item->TotalCount, 5);
    item->ClearOrders();
    EXPECT_EQ(item->TotalCount, 0);
    EXPECT_EQ(item->SizeCount("L"), 0);
}

TEST(TThumbNails, RemovingTheLastItemResetsTheSerial)
{
    TBasketFixture f;
    f.list.AddPicture(1, f.File("a.jpg"), false, 1, "L");
    f.list.AddPicture(1, f.File("b.jpg"), false, 1, "L");
    f.list.Delete(0);
    EXPECT_EQ(f.list.NextSerial(), 2u);
    f.list.Delete(0);
    EXPECT_EQ(f.list.AddPicture(1, f.File("c.jpg"), false, 1, "L")->Serial, 0u);
    EXPECT_EQ(f.list.Find(1, f.File("c.jpg")), 0);
    EXPECT_EQ(f.list.Find(1, f.File("C.JPG")), -1) << "a name in other case is another picture";
    EXPECT_EQ(f.list.Find(2, f.File("c.jpg")), -1);
    EXPECT_EQ(f.list.Item(1), nullptr);
}

TEST(TThumbNails, SortsByEachKindAndDirection)
{
    TBasketFixture f;
    struct Row {
        const char *name;
        int size;
        const char *date;
    };
    for (const Row &r : { Row { "b.jpg", 300, "2024.01.02" }, Row { "C.jpg", 100, "2024.01.01" },
             Row { "a.jpg", 300, "2024.01.03" }, Row { "d.jpg", 200, "2024.01.01" } }) {
        TThumbNail *item = f.list.AddPicture(1, f.File(r.name), false, 1, "L");
        item->FileSize = r.size;
        item->DateStr[0] = r.date;
        item->DateStr[1] = r.date;
    }
    f.list.SetSortKind(osFileName);
    EXPECT_EQ(Names(f.list), (QStringList { "a.jpg", "b.jpg", "C.jpg", "d.jpg" }));
    f.list.SetSortKind(osDate);
    EXPECT_EQ(Names(f.list), (QStringList { "C.jpg", "d.jpg", "b.jpg", "a.jpg" }));
    f.list.SetSortKind(osFileSize);
    EXPECT_EQ(Names(f.list), (QStringList { "C.jpg", "d.jpg", "a.jpg", "b.jpg" }));
    // Reversed: larger files first, equal sizes by file name in reverse.
    f.list.SetSortReversed(true);
    EXPECT_EQ(Names(f.list), (QStringList { "b.jpg", "a.jpg", "d.jpg", "C.jpg" }));
    f.list.SetSort(osSerial, false); // stores only
    EXPECT_EQ(Names(f.list), (QStringList { "b.jpg", "a.jpg", "d.jpg", "C.jpg" }));
    f.list.Sort();
    EXPECT_EQ(Names(f.list), (QStringList { "b.jpg", "C.jpg", "a.jpg", "d.jpg" }));
}

TEST(TThumbNails, AggregateJoinsSizesAndPricesAndKeepsCampusAlbums)
{
    TBasketFixture f;
    f.list.Context().cdOutput = false;
    f.list.AddPicture(1, f.File("a.jpg"), false, 2, "L");
    f.list.AddPicture(1, f.File("b.jpg"), false, 3, "L");
    TThumbNail *r = f.list.AddPicture(1, f.File("r.jpg"), false, 1, "L");
    r->Repeated = true;
    f.list.AddPicture(1, f.Album() + "/c.cci", false, 2, "P2");
    f.list.AddPicture(1, f.Album() + "/d.cci", false, 1, "P2");
    f.list.RebuildAggregate();
    const TPricingBasket &basket = f.list.Aggregate();
    ASSERT_EQ(basket.prints.size(), 2);
    EXPECT_EQ(basket.prints[0].size, "L");
    EXPECT_EQ(basket.prints[0].unitPrice, 25);
    EXPECT_EQ(basket.prints[0].count, 5);
    EXPECT_EQ(basket.prints[1].unitPrice, 27); // a reprint
    ASSERT_EQ(basket.campus.size(), 1);
    EXPECT_EQ(basket.campus[0].album, f.Album());
    EXPECT_EQ(basket.campus[0].unitPrice, 45);
    EXPECT_EQ(basket.campus[0].count, 3);
    EXPECT_EQ(basket.cdPictures, 0);
}

TEST(TThumbNails, BrowserToggleAddsWithTheDefaultsAndRemovesAgain)
{
    TBasketFixture f;
    const QByteArray jpeg = test::ExifJpegBuilder()
                                .dateTaken("2009:07:15 13:05:09")
                                .picture(test::PatternBitmap(64, 48))
                                .build();
    TBrowserItem picture;
    picture.fullPath = f.home.FilePath("IMG_1.JPG");
    f.home.Write("IMG_1.JPG", jpeg);
    picture.fileSize = jpeg.size();
    TThumbNail *item = ToggleFromBrowser(f.list, picture, { 2, "2L", true });
    ASSERT_NE(item, nullptr);
    EXPECT_TRUE(picture.inOrder);
    EXPECT_EQ(item->Orders, QStringList { "2L=2" });
    EXPECT_EQ(item->FileSize, jpeg.size());
    EXPECT_FALSE(item->CdOrder);
    EXPECT_FALSE(item->DatePrint);
    EXPECT_EQ(item->Hosei.kind, 5);
    EXPECT_EQ(item->Width, 64);
    EXPECT_EQ(item->DateStr[0], "2009.07.15");
    EXPECT_EQ(item->DateStr[1], "2009.07.15 13:05:09");
    EXPECT_TRUE(item->DateStr[2].isEmpty());

    EXPECT_EQ(ToggleFromBrowser(f.list, picture, {}), nullptr);
    EXPECT_EQ(f.list.Count(), 0);
    EXPECT_FALSE(picture.inOrder);

    picture.fileSize = 0; // a file of no bytes is not ordered
    EXPECT_EQ(ToggleFromBrowser(f.list, picture, {}), nullptr);
    EXPECT_EQ(f.list.Count(), 0);
}

TEST(TThumbNails, OrderTypesAreFoundByEitherName)
{
    EXPECT_EQ(OrderTypeFromName("otphoto"), otPhoto);
    EXPECT_EQ(OrderTypeFromName("ｷｬﾝﾊﾟｽ"), otPhoto);
    EXPECT_EQ(OrderTypeFromName("dpe"), otDpe);
    EXPECT_EQ(OrderTypeFromName("otNone"), otNone);
    EXPECT_EQ(OrderTypeFromName(""), otNone);
}

} // namespace

} // namespace korvatel
