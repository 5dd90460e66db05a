#include "order/print_fixture.h"
#include "order/print_quality.h"

#include <gtest/gtest.h>

namespace korvatel
{

namespace
{

struct TQualityFixture : test::TPrintFixture {
    TQualityFixture()
        : TPrintFixture(2)
    {
    }
};

} // namespace

TEST(PrintQuality, DpiAlongTheLongSide)
{
    EXPECT_NEAR(EffectiveDpi(640, 178), 91.33, 0.01);
    EXPECT_NEAR(EffectiveDpi(1000, 25.4), 1000, 1e-9);
    EXPECT_EQ(EffectiveDpi(0, 178), 0);
    EXPECT_EQ(EffectiveDpi(640, 0), 0);
    // The grid's 600 pixels per 119 mm.
    EXPECT_NEAR(NeededDpi(600), 128.07, 0.01);
}

TEST(PrintQuality, A640By480PictureOrderedAs2LIsListedWithItsDpi)
{
    TQualityFixture f;
    const QList<TPrintQualityIssue> issues = FindLowQualityPrints(f.list, f.tables, 600, 680);
    ASSERT_EQ(issues.size(), 1);
    EXPECT_EQ(issues[0].item, f.small);
    EXPECT_EQ(issues[0].size, "2L");
    EXPECT_EQ(issues[0].count, 2);
    EXPECT_EQ(issues[0].pixels, QSize(640, 480));
    EXPECT_EQ(PrintQualityText(issues[0]), "2L 2枚  640×480  91 dpi (必要 128 dpi)");

    // The same picture as L fills 640 pixels: enough, so not listed; nor is a big picture.
    f.small->SetSizeCount("2L", 0);
    f.small->SetSizeCount("L", 1);
    EXPECT_TRUE(FindLowQualityPrints(f.list, f.tables, 600, 680).isEmpty());
    f.small->SetSizeCount("2L", 1);
    f.small->Width = 3000;
    f.small->Height = 2000;
    EXPECT_TRUE(FindLowQualityPrints(f.list, f.tables, 600, 680).isEmpty());
}

TEST(PrintQuality, UnreadablePicturesAndErrorsGiveNoVerdict)
{
    TQualityFixture f;
    f.small->Width = -1; // the file is not a picture: its pixels cannot be read
    EXPECT_TRUE(FindLowQualityPrints(f.list, f.tables, 600, 680).isEmpty());
    // Through the pixels function the header is not read at all.
    EXPECT_EQ(FindLowQualityPrints(
                  f.list, f.tables, 600, 680, [](const TThumbNail &) { return QSize(640, 480); })
                  .size(),
        1);
    f.small->ErrorKind = neNotFound;
    EXPECT_TRUE(FindLowQualityPrints(f.list, f.tables, 600, 680, [](const TThumbNail &) {
        return QSize(640, 480);
    }).isEmpty());
}

TEST(PrintQuality, ChangeOfSizeMovesThePrintsAndKeepChangesNothing)
{
    TQualityFixture f;
    f.small->SetSizeCount("L", 1);
    const TPrintQualityIssue issue = FindLowQualityPrints(f.list, f.tables, 600, 680).value(0);
    EXPECT_EQ(SizesFitFor(issue, f.tables, 600, 680), QStringList { "L" });

    const QStringList before = f.small->Orders;
    EXPECT_FALSE(ApplyPrintChoice(f.list, issue, {}));
    EXPECT_FALSE(ApplyPrintChoice(f.list, issue, { TPrintChoice::pcTrim, {} }));
    EXPECT_EQ(f.small->Orders, before);

    EXPECT_TRUE(ApplyPrintChoice(f.list, issue, { TPrintChoice::pcChangeSize, "L" }));
    EXPECT_EQ(f.small->SizeCount("2L"), 0);
    EXPECT_EQ(f.small->SizeCount("L"), 3);
    EXPECT_EQ(f.small->CurrentSize, "L");
    EXPECT_EQ(f.small->TotalCount, 3);
}

} // namespace korvatel
