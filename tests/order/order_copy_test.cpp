#include "order/order_copy.h"
#include "order/order_fixture.h"
#include "platform/prompter.h"

#include <gtest/gtest.h>

namespace korvatel
{

namespace
{

using R = TModalResult;

TEST(CopyOrderSettings, CopiesSizesFlagsAndDatesButSkipsProjectsAndOtherTypes)
{
    test::TBasketFixture f;
    TThumbNail *source = f.list.AddPicture(1, f.File("s.jpg"), false, 2, "L");
    source->SetSizeCount("2L", 1);
    source->SetSizeCount("KG", 4); // withdrawn: not copied
    source->CurrentSize = "2L";
    source->CdOrder = false;
    source->DatePrint = true;
    source->DateType = dkTime;
    source->Hosei.kind = 3;
    TThumbNail *target = f.list.AddPicture(1, f.File("t.jpg"), false, 1, "L");
    target->DateStr[2] = "mine";
    TThumbNail *project = f.list.AddPicture(1, f.File("p_project.jpg"), false, 1, "L");
    TThumbNail *campus = f.list.AddPicture(1, f.Album() + "/c.cci", false, 1, "P1");

    TScriptedPrompter prompter;
    const TCopySource copy = CopySourceOf(*source, &f.tables);
    EXPECT_EQ(copy.sizeLines, (QStringList { "L=2", "2L=1" }));
    EXPECT_EQ(CopyOrderSettings(f.list, copy, f.list.Count() - 1, 1, prompter), 1);
    EXPECT_TRUE(prompter.Shown().isEmpty());
    EXPECT_EQ(target->Orders, (QStringList { "L=2", "2L=1" }));
    EXPECT_EQ(target->CurrentSize, "2L");
    EXPECT_EQ(target->CurrentCount, 1);
    EXPECT_EQ(target->TotalCount, 3);
    EXPECT_FALSE(target->CdOrder);
    EXPECT_EQ(target->DateType, dkTime);
    EXPECT_EQ(target->Hosei.kind, 0); // corrections are not copied
    EXPECT_EQ(target->DateStr[2], "mine");
    EXPECT_EQ(project->Orders, QStringList { "L=1" });
    EXPECT_EQ(campus->Orders, QStringList { "P1=1" });
    EXPECT_EQ(f.list.OrderCount(), 7 + 3 + 1 + 1);
}

TEST(CopyOrderSettings, CustomDateTextOnlyWhenAgreed)
{
    test::TBasketFixture f;
    TThumbNail *source = f.list.AddPicture(1, f.File("s.jpg"), false, 1, "L");
    source->DateType = dkCustom;
    source->DateStr[2] = "運動会";
    TThumbNail *target = f.list.AddPicture(1, f.File("t.jpg"), false, 1, "2L");
    target->DateStr[2] = "mine";

    TScriptedPrompter no({ R::mrNo });
    EXPECT_EQ(CopyOrderSettings(f.list, CopySourceOf(*source, &f.tables), 1, 1, no), 1);
    EXPECT_EQ(no.Texts(), QStringList { "入力日付もコピーしますか？" });
    EXPECT_EQ(target->DateStr[2], "mine");
    EXPECT_EQ(target->DateType, dkCustom);

    TScriptedPrompter cancel({ R::mrCancel });
    source->SetSizeCount("2L", 5);
    EXPECT_EQ(CopyOrderSettings(f.list, CopySourceOf(*source, &f.tables), 1, 1, cancel), -1);
    EXPECT_EQ(target->SizeCount("2L"), 0);

    TScriptedPrompter yes({ R::mrYes });
    EXPECT_EQ(CopyOrderSettings(f.list, CopySourceOf(*source, &f.tables), 1, 1, yes), 1);
    EXPECT_EQ(target->DateStr[2], "運動会");
    EXPECT_EQ(target->SizeCount("2L"), 5);
}

TEST(CopyOrderSettings, CampusItemsCopyWithinTheirAlbumOnly)
{
    test::TBasketFixture f;
    TThumbNail *source = f.list.AddPicture(1, f.Album() + "/a.cci", false, 3, "P2");
    TThumbNail *same = f.list.AddPicture(1, f.Album() + "/b.cci", false, 1, "P1");
    TThumbNail *other
        = f.list.AddPicture(1, f.home.FilePath("Campus/shop/album2/c.cci"), false, 1, "P1");
    TThumbNail *disk = f.list.AddPicture(1, f.File("d.jpg"), false, 1, "L");
    TScriptedPrompter prompter;
    EXPECT_EQ(CopyOrderSettings(f.list, CopySourceOf(*source, &f.tables), 3, 1, prompter), 1);
    EXPECT_EQ(same->Orders, QStringList { "P2=3" });
    EXPECT_EQ(other->Orders, QStringList { "P1=1" });
    EXPECT_EQ(disk->Orders, QStringList { "L=1" });
}

TEST(TCopyStepper, OffsetLabelsAndRanges)
{
    TCopyStepper first(0, 5);
    EXPECT_EQ(first.Offset(), 1);
    EXPECT_EQ(first.Label(), "右へ 1個");
    EXPECT_EQ(first.Targets(), (TCopyRange { 1, 1 }));
    EXPECT_TRUE(first.Step(-1));
    EXPECT_EQ(first.Label(), "全画像に");
    EXPECT_EQ(first.Targets(), (TCopyRange { 0, 4 }));
    EXPECT_FALSE(first.Step(-1)); // cannot go below 0 from the first item
    first.Step(4);
    EXPECT_EQ(first.Label(), "最後まで");

    TCopyStepper middle(3, 6);
    middle.Step(-2);
    EXPECT_EQ(middle.Label(), "左へ 1個");
    EXPECT_EQ(middle.Targets(), (TCopyRange { 2, 2 }));
    middle.Step(-10);
    EXPECT_EQ(middle.Offset(), -3);
    EXPECT_EQ(middle.Label(), "先頭まで");
    EXPECT_EQ(middle.Targets(), (TCopyRange { 0, 2 }));

    EXPECT_EQ(CopyToEndRange(3, 6), (TCopyRange { 4, 5 }));
    EXPECT_TRUE(CopyToEndRange(5, 6).Empty());
    EXPECT_EQ(TCopyStepper(0, 1).Offset(), 0);
}

TEST(TCopyStepper, HeldButtonsRepeatFasterAndSlowDownAtZero)
{
    TCopyStepper stepper(5, 20);
    stepper.Press(1);
    EXPECT_EQ(stepper.Offset(), 2);
    EXPECT_EQ(stepper.RepeatInterval(), 500);
    stepper.Repeat();
    EXPECT_EQ(stepper.RepeatInterval(), 350);
    stepper.Repeat();
    EXPECT_EQ(stepper.RepeatInterval(), 245);
    EXPECT_EQ(stepper.Offset(), 4);
    stepper.Press(-1);
    for (int i = 0; i < 3; ++i)
        stepper.Repeat();
    EXPECT_EQ(stepper.Offset(), 0);
    EXPECT_EQ(stepper.RepeatInterval(), 300);
    EXPECT_EQ(CopyKindOfIndex(2), ckDetail);
    EXPECT_EQ(CopyKindIndex(ckStepper), 1);
}

} // namespace

} // namespace korvatel
