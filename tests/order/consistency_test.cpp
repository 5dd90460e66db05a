#include "order/consistency.h"
#include "order/order_fixture.h"
#include "platform/prompter.h"

#include <gtest/gtest.h>

namespace korvatel
{

namespace
{

using R = TModalResult;

// A basket with one sound picture, one whose file went away, one with a withdrawn size and a
// campus picture of an album without a price list.
struct TCheckFixture : test::TBasketFixture {
    TScriptedPrompter prompter;
    QList<bool> notices;
    QList<TProblemAnswer> answers;
    int listsShown = 0;
    int refreshes = 0;

    TCheckFixture()
    {
        Add("sound.jpg", "L");
        Add("gone.jpg", "L");
        QFile::remove(home.FilePath("gone.jpg"));
        TThumbNail *hidden = Add("hidden.jpg", "L");
        hidden->Orders.append("KG=2");
        list.Recount();
        list.RebuildAggregate();
    }

    TThumbNail *Add(const char *name, const char *size)
    {
        TThumbNail *item = list.AddPicture(1, File(name, 50), false, 1, size);
        item->FileSize = 50;
        return item;
    }

    TConsistencyEnv Env(bool online = true)
    {
        TConsistencyEnv env;
        env.prompter = &prompter;
        env.online = online;
        env.notice = [this](bool shown) { notices << shown; };
        env.refresh = [this] { ++refreshes; };
        env.showProblems = [this](const TConsistencyProblems &) {
            ++listsShown;
            return answers.isEmpty() ? TProblemAnswer::paCancel : answers.takeFirst();
        };
        return env;
    }
};

TEST(CheckConsistency, FindsVanishedPicturesAndWithdrawnSizes)
{
    TCheckFixture f;
    f.list.Item(0)->FileSize = 49; // changed on disk
    f.list.AddPicture(1, f.home.FilePath("Campus/x/c.cci"), false, 1, "P1"); // no list
    f.list.RebuildAggregate();
    const TConsistencyProblems problems = FindProblems(f.list);
    ASSERT_EQ(problems.vanished.size(), 2);
    EXPECT_EQ(problems.vanished[0]->FileName, "sound.jpg");
    EXPECT_EQ(problems.vanished[1]->FileName, "gone.jpg");
    ASSERT_EQ(problems.hidden.size(), 2);
    EXPECT_EQ(problems.hidden[0].size, "KG");
    EXPECT_EQ(problems.hidden[1].size, "P1");
    EXPECT_EQ(problems.HiddenItems(), 2);
}

TEST(CheckConsistency, SilentModeAndOfflineOnlySetTheNotice)
{
    TCheckFixture f;
    EXPECT_TRUE(CheckConsistency(f.list, kCheckSilent, f.Env()));
    EXPECT_EQ(f.notices, QList<bool> { true });
    EXPECT_FALSE(CheckConsistency(f.list, kCheckAfterLoad, f.Env(false)));
    EXPECT_EQ(f.notices.size(), 1);
    EXPECT_TRUE(f.prompter.Shown().isEmpty());
    EXPECT_EQ(ConsistencyNotice(),
        QStringLiteral("注文データに不整合があります。ヘルプから不整合チェックを行って下さい。 "));
}

TEST(CheckConsistency, AsksFirstAndStopsOnNo)
{
    TCheckFixture f;
    f.prompter.Answer(R::mrNo);
    EXPECT_TRUE(CheckConsistency(f.list, kCheckAfterLoad, f.Env()));
    ASSERT_EQ(f.prompter.Shown().size(), 1);
    EXPECT_EQ(f.prompter.Shown()[0].kind, TMsgKind::mkWarning);
    EXPECT_EQ(f.prompter.Texts()[0],
        QStringLiteral(
            "このままでは注文できません。\r\n\r\n『詳細を表示しますか？』"
            "1個の画像ファイルがありません。(移動･削除･ﾒﾃﾞｨｱ抜き)\r\n"
            "1個の画像に、該当しないサイズ名の注文が隠れています。(他店注文･価格表変更)"));
    EXPECT_EQ(f.listsShown, 0);
    EXPECT_EQ(f.list.Count(), 3);
}

TEST(CheckConsistency, RepairClearsSizesAndDeletesVanishedPictures)
{
    TCheckFixture f;
    f.prompter = TScriptedPrompter({ R::mrOk, R::mrOk });
    f.answers = { TProblemAnswer::paRepair };
    EXPECT_FALSE(CheckConsistency(f.list, kCheckForced, f.Env()));
    EXPECT_EQ(f.prompter.Texts(),
        (QStringList { "不整合サイズ名の注文をクリアします。よろしいですか？",
            "画像不整合の注文を削除します。よろしいですか？" }));
    ASSERT_EQ(f.list.Count(), 2);
    EXPECT_EQ(f.list.Item(1)->Orders, QStringList { "L=1" });
    EXPECT_EQ(f.list.OrderCount(), 2);
    EXPECT_EQ(f.refreshes, 1);
    EXPECT_EQ(f.notices, QList<bool> { false }); // the silent check that follows
    EXPECT_EQ(f.prompter.Unexpected(), 0);
}

TEST(CheckConsistency, RepairAnswersNoSkipAndCancelStops)
{
    TCheckFixture f;
    f.prompter = TScriptedPrompter({ R::mrNo, R::mrOk });
    f.answers = { TProblemAnswer::paRepair };
    EXPECT_TRUE(CheckConsistency(f.list, kCheckForced, f.Env()));
    EXPECT_EQ(f.list.Count(), 2);
    EXPECT_EQ(f.list.Item(1)->SizeCount("KG"), 2); // skipped, so still reported
    EXPECT_EQ(f.notices, QList<bool> { true });

    TCheckFixture g;
    g.prompter = TScriptedPrompter({ R::mrCancel });
    g.answers = { TProblemAnswer::paRepair };
    EXPECT_TRUE(CheckConsistency(g.list, kCheckForced, g.Env()));
    EXPECT_EQ(g.list.Count(), 3);
    EXPECT_EQ(g.refreshes, 0);
}

TEST(CheckConsistency, DeleteAllEmptiesTheBasketOrGoesBackOnCancel)
{
    TCheckFixture f;
    f.prompter = TScriptedPrompter({ R::mrOk });
    f.answers = { TProblemAnswer::paDeleteAll };
    EXPECT_FALSE(CheckConsistency(f.list, kCheckForced, f.Env()));
    EXPECT_EQ(f.prompter.Texts(), QStringList { "全ての注文を削除します。よろしいですか？" });
    EXPECT_EQ(f.list.Count(), 0);
    EXPECT_EQ(f.list.NextSerial(), 0u);
    EXPECT_EQ(f.notices, QList<bool> { false });

    TCheckFixture g;
    g.prompter = TScriptedPrompter({ R::mrCancel });
    g.answers = { TProblemAnswer::paDeleteAll };
    EXPECT_TRUE(CheckConsistency(g.list, kCheckForced, g.Env()));
    EXPECT_EQ(g.list.Count(), 3);
    EXPECT_EQ(g.refreshes, 1);
    EXPECT_EQ(g.notices, QList<bool> { true });
}

} // namespace

} // namespace korvatel
