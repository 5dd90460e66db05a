#include "order/campus_prices.h"
#include "support/temp_home.h"
#include "text/cp932.h"
#include "text/scramble.h"
#include "text/sjis_file.h"

#include <gtest/gtest.h>

namespace korvatel
{

namespace
{

// An "Items.ini" text: two plain lines, the scrambled body, then "<Files>" and file names.
QStringList ItemsFile(const QStringList &body)
{
    QStringList lines { "[Album]", "Title=Sports day" };
    for (const QString &line : body)
        lines << Scramble(line);
    lines << "<Files>"
          << "a.cci";
    return lines;
}

TEST(ParseCampusItems, ReadsTheGridAtTheNamedColumns)
{
    const auto rows = ParseCampusItems(ItemsFile(
        { "SizeNameCol=0", "PriceCol=3", "<GridData>", "P1,x,y,30", "\"P 2\",x,y,45.5", ",,,9" }));
    ASSERT_TRUE(rows);
    ASSERT_EQ(rows->size(), 2);
    EXPECT_EQ(rows->at(0).size, "P1");
    EXPECT_EQ(rows->at(0).price, 30);
    EXPECT_EQ(rows->at(1).size, "P 2");
    EXPECT_EQ(rows->at(1).price, 45.5);

    const auto defaults = ParseCampusItems(ItemsFile({ "<GridData>", "1,L,30円" }));
    ASSERT_TRUE(defaults);
    EXPECT_EQ(defaults->value(0).size, "L");
    EXPECT_EQ(defaults->value(0).price, 30);
}

TEST(ParseCampusItems, ALineThatDoesNotUnscrambleMakesTheFileAbsent)
{
    QStringList lines = ItemsFile({ "<GridData>", "1,L,30" });
    lines[3] = "not scrambled";
    EXPECT_FALSE(ParseCampusItems(lines));
    // Lines after "<Files>" are never read.
    lines = ItemsFile({ "<GridData>", "1,L,30" });
    lines << "garbage";
    EXPECT_TRUE(ParseCampusItems(lines));
}

TEST(TCampusPriceLists, LoadsEveryAlbumFolderAndFindsPicturesByFolder)
{
    test::TTempHome home;
    home.Write("shop/album1/Items.ini",
        ToCp932(JoinLines(ItemsFile({ "<GridData>", "1,P1,30", "2,P2,40" }))));
    home.Write("shop/album2/Items.ini", QByteArray("x\r\ny\r\nbroken\r\n"));
    home.Write("shop/album3/readme.txt", QByteArray("no list"));
    TCampusPriceLists lists;
    EXPECT_EQ(lists.Load(home.FilePath("shop")), 1);
    const auto list = lists.ForPicture(home.FilePath("shop/ALBUM1/x.cci"));
    ASSERT_TRUE(list);
    EXPECT_EQ(list->SizeNames(), (QStringList { "P1", "P2" }));
    EXPECT_EQ(list->DefaultSize(), "P1");
    EXPECT_EQ(list->NextSize("P2", 1), "P1");
    EXPECT_EQ(list->PriceOf("P2"), 40);
    EXPECT_FALSE(lists.ForPicture(home.FilePath("shop/album2/x.cci")));
}

} // namespace

} // namespace korvatel
