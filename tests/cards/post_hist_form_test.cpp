#include "cards/card_history.h"
#include "cards/card_order_store.h"
#include "cards/ui/post_hist_form.h"
#include "platform/prompter.h"
#include "support/temp_home.h"

#include <QDir>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <gtest/gtest.h>

namespace korvatel
{

namespace
{

// Two orders of shop 1234 (the later one unsent), one of another shop, and a folder of shop
// 1234 whose order file is missing.
class TPostHistWindow : public testing::Test
{
protected:
    void SetUp() override
    {
        postCard = home.FilePath(QStringLiteral("PostCard"));
        Save(QStringLiteral("1234-20261201-09000001-0312345678-1111"), 20, false);
        Save(QStringLiteral("1234-20261205-18300002-0312345678-1111"), 40, true);
        Save(QStringLiteral("5678-20261203-09000001-0312345678-1111"), 10, false);
        QDir().mkpath(CardOrderFolder(postCard, QStringLiteral("1234-20261130-07000009-031-1111")));
    }

    void Save(const QString &orderNo, int num, bool unsent)
    {
        TCardOrder o;
        o.shopId = orderNo.section(u'-', 0, 0);
        o.shopName = QStringLiteral("デモ写真店");
        o.orderNo = orderNo;
        o.name = QStringLiteral("山田 太郎");
        o.cardName = QStringLiteral("xmas.ksp");
        o.price.num = num;
        o.price.trans = QStringLiteral("宅配便");
        o.price.pay = QStringLiteral("クレジット");
        o.price.paper = QStringLiteral("普通紙");
        o.choices.otherSend = true;
        o.choices.otherName = QStringLiteral("佐藤 花子");
        o.choices.otherPref = 27;
        o.otherPrefName = QStringLiteral("大阪府");
        QImage card(60, 40, QImage::Format_RGB32);
        card.fill(Qt::blue);
        ASSERT_TRUE(SaveCardOrder(postCard, o, card, false));
        MarkCardOrderUnsent(CardOrderFolder(postCard, orderNo), unsent);
    }

    test::TTempHome home;
    QString postCard;
    TScriptedPrompter prompter;
};

} // namespace

TEST_F(TPostHistWindow, ListsTheShopsOrdersAndShowsTheLastOnesDetails)
{
    TPostHistForm form(postCard, QStringLiteral("1234"), prompter);
    form.show();
    EXPECT_EQ(form.windowTitle(), QStringLiteral("履歴と進行状況"));
    EXPECT_EQ(form.ListLines(),
        (QStringList { "2026.11.30 07:00:00", "2026.12.01 09:00:00 20枚 未払い",
            "2026.12.05 18:30:00 40枚 未払い (未送信)" }));
    EXPECT_EQ(form.lbxOrders()->currentRow(), 2);
    EXPECT_TRUE(form.lbxOrders()->item(2)->font().strikeOut());
    const QStringList details = form.DetailLines();
    EXPECT_EQ(details.value(0), QStringLiteral("FILE : xmas.ksp"));
    EXPECT_TRUE(details.contains(QStringLiteral("発注 : クレジット")));
    EXPECT_TRUE(details.contains(QStringLiteral("山田 太郎 様")));
    EXPECT_TRUE(details.contains(QStringLiteral("お届け先 : 佐藤 花子様宛")));
    EXPECT_TRUE(details.contains(QStringLiteral("大阪府(27)")));
    EXPECT_TRUE(form.btnResend()->isEnabled());
    form.lbxOrders()->setCurrentRow(1);
    EXPECT_FALSE(form.btnResend()->isEnabled());
    EXPECT_EQ(prompter.Texts(), QStringList());
}

TEST_F(TPostHistWindow, MissingOrderFileIsDownloadedOrTold)
{
    TPostHistForm form(postCard, QStringLiteral("1234"), prompter);
    QStringList asked;
    form.DownloadOrderFile = [&](const QString &orderNo) {
        asked << orderNo;
        return false;
    };
    form.show();
    form.lbxOrders()->setCurrentRow(0);
    EXPECT_EQ(asked, QStringList { "1234-20261130-07000009-031-1111" });
    EXPECT_EQ(prompter.Texts(),
        (QStringList { "　注文ファイルがありません。　", "　ダウンロードに失敗しました。" }));
    EXPECT_TRUE(form.DetailLines().isEmpty());
    // A download that brings the file fills the details.
    form.DownloadOrderFile = [&](const QString &orderNo) {
        const QString from
            = CardOrderFile(postCard, QStringLiteral("1234-20261201-09000001-0312345678-1111"));
        return QFile::copy(from, CardOrderFile(postCard, orderNo));
    };
    form.lbxOrders()->setCurrentRow(1);
    form.lbxOrders()->setCurrentRow(0);
    EXPECT_EQ(form.DetailLines().value(0), QStringLiteral("FILE : xmas.ksp"));
}

TEST_F(TPostHistWindow, CommandsReachTheirHooks)
{
    TPostHistForm form(postCard, QStringLiteral("1234"), prompter);
    QStringList resent, changed;
    form.Resend = [&](const TCardHistEntry &e) {
        resent << e.orderNo;
        return MarkCardOrderUnsent(e.folder, false);
    };
    form.ChangeOrder = [&](const TCardHistEntry &e) {
        changed << e.orderNo;
        return true;
    };
    form.show();
    form.btnResend()->click();
    EXPECT_EQ(resent, QStringList { "1234-20261205-18300002-0312345678-1111" });
    EXPECT_EQ(form.ListLines().last(), QStringLiteral("2026.12.05 18:30:00 40枚 未払い"));
    form.btnChange()->click();
    EXPECT_EQ(changed, QStringList { "1234-20261205-18300002-0312345678-1111" });
    form.btnImage()->click();
    ASSERT_NE(form.ImageWindow(), nullptr);
    EXPECT_TRUE(form.ImageWindow()->isVisible());
    form.btnRefresh()->click();
    EXPECT_EQ(form.lbMail()->text(), MailCheckUnavailableText());
    EXPECT_EQ(prompter.Texts(), QStringList());
}

} // namespace korvatel
