#include "platform/prompter.h"

#include <gtest/gtest.h>

namespace korvatel
{

TEST(TScriptedPrompter, AnswersInOrderAndRecordsEveryPrompt)
{
    TScriptedPrompter prompter({ TModalResult::mrNo, TModalResult::mrCancel });
    EXPECT_FALSE(prompter.YesNo(QStringLiteral("更新しますか？")));
    EXPECT_FALSE(prompter.Confirm(QStringLiteral("移動します。")));
    ASSERT_EQ(prompter.Shown().size(), 2);
    EXPECT_EQ(prompter.Shown().at(0).kind, TMsgKind::mkConfirmation);
    EXPECT_EQ(prompter.Shown().at(0).buttons, mbYes | mbNo);
    EXPECT_EQ(prompter.Shown().at(1).buttons, mbOK | mbCancel);
    EXPECT_EQ(prompter.Texts(),
        QStringList({ QStringLiteral("更新しますか？"), QStringLiteral("移動します。") }));
    EXPECT_EQ(prompter.Unexpected(), 0);
    EXPECT_EQ(prompter.Pending(), 0);
}

TEST(TScriptedPrompter, PromptsBeyondTheScriptAreCountedAndTakeTheFirstButton)
{
    TScriptedPrompter prompter;
    prompter.Error(QStringLiteral("失敗しました。戻ります。"));
    EXPECT_EQ(prompter.Ask(TMsgKind::mkConfirmation, QStringLiteral("q"), mbYes | mbNo | mbCancel),
        TModalResult::mrYes);
    EXPECT_EQ(prompter.Unexpected(), 2);
    EXPECT_EQ(prompter.Shown().at(0).kind, TMsgKind::mkError);
}

TEST(TScriptedPrompter, FirstButtonFollowsTheWindowsOrder)
{
    EXPECT_EQ(FirstButtonResult(mbCancel | mbOK), TModalResult::mrOk);
    EXPECT_EQ(FirstButtonResult(mbNo | mbCancel), TModalResult::mrNo);
    EXPECT_EQ(FirstButtonResult(mbRetry | mbIgnore), TModalResult::mrRetry);
    EXPECT_EQ(FirstButtonResult(0), TModalResult::mrNone);
}

} // namespace korvatel
