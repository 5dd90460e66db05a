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

TEST(ReplaceOriginalByCopy, YesMovesTheOrderToTheCopyInItsPlaceAndNoKeepsBoth)
{
    for (const R answer : { R::mrYes, R::mrNo }) {
        test::TBasketFixture f;
        TThumbNail *original = f.list.AddPicture(1, f.File("a.jpg"), false, 2, "L");
        original->SetSizeCount("2L", 1);
        original->SetCurrentSize("2L");
        original->CdOrder = true;
        original->KeitaiOrder = true;
        original->DatePrint = true;
        original->DateType = dkCustom;
        original->DateStr[0] = "'26 12 09";
        original->DateStr[2] = "旅行";
        original->Hosei.kind = 3;
        original->Hosei.density = 20;
        const TThumbNail kept = *original;
        f.list.AddPicture(1, f.File("b.jpg"), false, 1, "L");
        TThumbNail *copy = f.list.AddPicture(1, f.File("a-2.JPG"), false, 1, "L");
        f.list.Recount();

        TScriptedPrompter prompter({ answer });
        EXPECT_EQ(
            ReplaceOriginalByCopy(f.list, *copy, f.File("a.jpg"), prompter), answer == R::mrYes);
        ASSERT_EQ(prompter.Texts(), QStringList { ReplaceOriginalQuestion() });
        EXPECT_EQ(prompter.Shown().at(0).buttons, TMsgButtons(mbYes | mbNo)); // Yes by default
        if (answer == R::mrNo) {
            EXPECT_EQ(test::ItemTexts(f.list, &TThumbNail::FileName),
                (QStringList { "a.jpg", "b.jpg", "a-2.JPG" }));
            EXPECT_EQ(copy->Orders, QStringList { "L=1" });
            EXPECT_EQ(f.list.OrderCount(), 3 + 1 + 1);
            continue;
        }
        // The copy stands where the original stood, with everything ordered of it.
        EXPECT_EQ(
            test::ItemTexts(f.list, &TThumbNail::FileName), (QStringList { "a-2.JPG", "b.jpg" }));
        EXPECT_EQ(copy->Orders, kept.Orders);
        EXPECT_EQ(copy->CurrentSize, "2L");
        EXPECT_EQ(copy->CurrentCount, 1);
        EXPECT_TRUE(copy->CdOrder);
        EXPECT_TRUE(copy->KeitaiOrder);
        EXPECT_TRUE(copy->DatePrint);
        EXPECT_EQ(copy->DateType, dkCustom);
        EXPECT_EQ(copy->DateStr[0], "'26 12 09");
        EXPECT_EQ(copy->DateStr[2], "旅行");
        EXPECT_EQ(copy->Hosei, kept.Hosei);
        EXPECT_EQ(f.list.OrderCount(), 3 + 1);
        EXPECT_EQ(f.list.KeitaiOrderCount(), 1);

        // With the original gone there is nothing left to replace, and nothing is asked.
        EXPECT_FALSE(ReplaceOriginalByCopy(f.list, *copy, f.File("a.jpg"), prompter));
        EXPECT_EQ(prompter.Shown().size(), 1);
    }
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
