#include "cards/card_history.h"
#include "cards/ui/order_info_form.h"
#include "platform/prompter.h"
#include "support/temp_home.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <gtest/gtest.h>

namespace korvatel
{

namespace
{

class TCardOrderWindow : public testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(home.Write(QStringLiteral("photos/a.jpg"), QByteArray(2000, 'j')));
        const std::optional<TCardPrices> prices = ParseCardPrices({ QStringLiteral("[Price1]"),
            QStringLiteral("Charge=500"), QStringLiteral("Paper=普通紙:1=120;20=100"),
            QStringLiteral("Trans=宅配便:800-1200"), QStringLiteral("Trans=宅配(代引):800"),
            QStringLiteral("Trans=店頭受取:0"), QStringLiteral("Pay=銀振･郵振:0"),
            QStringLiteral("Pay=コンビニ票:150"), QStringLiteral("Pay=代引(宅配):315"),
            QStringLiteral("FreeTrans=送料無料(5000円以上):5000"),
            QStringLiteral("ConbiniLimit=30000") });
        ASSERT_TRUE(prices);
        args.shopId = QStringLiteral("1234");
        args.shopName = QStringLiteral("デモ写真店");
        args.postCardFolder = home.FilePath(QStringLiteral("PostCard"));
        QDir().mkpath(args.postCardFolder);
        args.plateFile = QStringLiteral("xmas.ksp");
        args.desc = SplitTemplateDesc(QStringLiteral("クリスマスカード\t\t[XMAS]\t\t\t1"));
        args.prices = prices->sets[0];
        args.senderLines = { QStringLiteral("山田 太郎") };
        args.pictures = { home.FilePath(QStringLiteral("photos/a.jpg")) };
        args.name = QStringLiteral("山田 太郎");
        args.zip = QStringLiteral("100-0001");
        args.adrs1 = QStringLiteral("東京都千代田区千代田1-1");
        args.mail = QStringLiteral("taro@example.jp");
        args.tel1 = QStringLiteral("03-1234-5678");
        args.card = QImage(100, 70, QImage::Format_RGB32);
        args.card.fill(Qt::red);
    }

    std::unique_ptr<TformOrderInfo> Open(const QString &time = QStringLiteral("20261210-10000001"))
    {
        auto form = std::make_unique<TformOrderInfo>(args, prompter);
        form->OrderTime = [time] { return std::optional<QString>(time); };
        form->SendOrder = [this](const TSavedCardOrder &order) {
            sent << order;
            return sendSucceeds;
        };
        form->show();
        return form;
    }

    void Fill(TformOrderInfo &form)
    {
        form.edNum()->setValue(20);
        form.edKana()->setText(QStringLiteral("ヤマダ タロウ"));
        form.cbxTrans()->setCurrentIndex(0);
        form.cbxPay()->setCurrentIndex(0);
    }

    test::TTempHome home;
    TCardOrderArgs args;
    TScriptedPrompter prompter;
    QList<TSavedCardOrder> sent;
    bool sendSucceeds = true;
};

} // namespace

TEST_F(TCardOrderWindow, ChecksStopWithTheirMessagesAndCashOnDeliveryElsewhereIsRefused)
{
    auto form = Open();
    EXPECT_EQ(form->btnSend()->text(), QStringLiteral("新規 送信"));
    form->edNum()->setValue(0);
    form->btnSend()->click();
    EXPECT_EQ(prompter.Texts(), QStringList { "数量を設定して下さい。" });
    EXPECT_TRUE(form->isVisible());
    EXPECT_EQ(
        form->mmComment()->placeholderText(), QStringLiteral("ご注文時のコメントをお書き下さい。"));
    form->edNum()->setValue(20);
    form->mmSender()->clear();
    form->btnSend()->click();
    EXPECT_EQ(prompter.Texts().last(), QStringLiteral("差出人データを入力して下さい。"));
    form->mmSender()->setPlainText(QStringLiteral("山田 太郎"));
    Fill(*form);
    form->cbOtherSend()->setChecked(true);
    form->edOtherName()->setText(QStringLiteral("佐藤 花子"));
    form->cbxTrans()->setCurrentIndex(1); // 宅配(代引) takes 代引(宅配) with it
    EXPECT_EQ(form->cbxPay()->currentData().toString(), QStringLiteral("代引(宅配)"));
    EXPECT_EQ(form->lbPayNote()->text(), QStringLiteral("代引手数料 \\315"));
    form->btnSend()->click();
    EXPECT_EQ(prompter.Texts().last(),
        QStringLiteral("お届け先のお名前が異なるので代引指定は出来ません。\r\nご自身のお名前にすれ"
                       "ば、可能です。"));
    EXPECT_TRUE(sent.isEmpty());
    EXPECT_TRUE(form->isVisible());
    // The choices were saved all the same.
    EXPECT_TRUE(ReadCardChoices(form->ChoicesFile()).otherSend);
    form->cbxPay()->setCurrentIndex(1); // コンビニ票
    EXPECT_EQ(form->cbxTrans()->currentData().toString(), QStringLiteral("宅配(代引)"));
    EXPECT_TRUE(
        form->lbPayNote()->text().endsWith(QStringLiteral("ｺﾝﾋﾞﾆ決済の限度額は\\30,000です。")));
}

TEST_F(TCardOrderWindow, PriceDisplayFollowsTheChoices)
{
    auto form = Open();
    Fill(*form);
    EXPECT_EQ(form->cbxTrans()->itemText(0), QStringLiteral("宅配便 \\800～\\1,200"));
    EXPECT_EQ(form->cbxPay()->itemText(1), QStringLiteral("コンビニ票 \\150"));
    const QStringList lines = form->PriceLines();
    EXPECT_EQ(lines.value(0), QStringLiteral("はがき 普通紙"));
    EXPECT_TRUE(lines.contains(QStringLiteral("P20～ \\100 x")));
    EXPECT_TRUE(lines.contains(QStringLiteral("20 =")));
    EXPECT_EQ(form->lbTotal()->text(), QStringLiteral("合計 \\3,300"));
    form->edNum()->setValue(50); // 5,000 and more: delivery is free
    EXPECT_TRUE(form->PriceLines().contains(QStringLiteral("適用⇒送料無料(5000円以上)")));
    EXPECT_EQ(form->lbTotal()->text(), QStringLiteral("合計 \\5,500"));
}

TEST_F(TCardOrderWindow, FirstOrderIsSentThenTheSameTemplateAsksAndNoGoesToTheHistory)
{
    auto form = Open();
    Fill(*form);
    prompter.Answer(TModalResult::mrOk);
    prompter.Answer(TModalResult::mrOk); // the text after sending
    form->btnSend()->click();
    EXPECT_EQ(prompter.Texts(), (QStringList { "送信いたします。よろしいですか？", SentText() }));
    EXPECT_EQ(form->Result(), TCardOrderResult::coSent);
    ASSERT_EQ(sent.size(), 1);
    EXPECT_FALSE(sent[0].change);
    EXPECT_EQ(sent[0].uploads.size(), 1);
    EXPECT_TRUE(form->OrderNo().startsWith(QStringLiteral("1234-20261210-10000001-0312345678-")));
    EXPECT_EQ(
        form->OrderNo().size(), QStringLiteral("1234-20261210-10000001-0312345678-").size() + 4);
    EXPECT_TRUE(QFile::exists(CardOrderFile(args.postCardFolder, form->OrderNo())));

    auto second = Open(QStringLiteral("20261210-10100002"));
    Fill(*second);
    prompter.Answer(TModalResult::mrNo);
    second->btnSend()->click();
    EXPECT_EQ(prompter.Texts().last(), RepeatTemplateQuestion(1));
    EXPECT_EQ(second->Result(), TCardOrderResult::coLookAtHistory);
    EXPECT_EQ(sent.size(), 1);

    // Another template of the same customer: the count of earlier orders.
    args.plateFile = QStringLiteral("frame.ksp");
    auto third = Open(QStringLiteral("20261210-10200003"));
    Fill(*third);
    prompter.Answer(TModalResult::mrCancel);
    third->btnSend()->click();
    EXPECT_EQ(prompter.Texts().last(),
        QStringLiteral(
            "2回目のご注文、ありがとうございます。\r\n　(Y)で、新たな注文送信をいたします。\r\n"
            "　(N)で、注文済みの進行状況を見ることが出来ます。"));
    EXPECT_TRUE(third->isVisible()); // Cancel shows the window again
    EXPECT_EQ(prompter.Unexpected(), 0);
}

TEST_F(TCardOrderWindow, FailedSendComesBackAndGoesAgainUnderTheSameNumber)
{
    auto form = Open();
    Fill(*form);
    sendSucceeds = false;
    prompter.Answer(TModalResult::mrOk);
    form->btnSend()->click();
    EXPECT_TRUE(form->isVisible());
    ASSERT_EQ(sent.size(), 1);
    const QString number = form->OrderNo();
    EXPECT_TRUE(CardOrderUnsent(CardOrderFolder(args.postCardFolder, number)));
    sendSucceeds = true;
    prompter.Answer(TModalResult::mrYes); // the unsent order counts as an earlier one
    form->btnSend()->click();
    ASSERT_EQ(sent.size(), 2);
    EXPECT_EQ(form->OrderNo(), number);
    EXPECT_EQ(ListCardHistory(args.postCardFolder, args.shopId).size(), 1);
}

TEST_F(TCardOrderWindow, ChangingAnOrderAsksAndSendsAChange)
{
    auto form = Open();
    Fill(*form);
    prompter.Answer(TModalResult::mrOk);
    form->btnSend()->click();
    const QString number = form->OrderNo();
    MarkCardOrderUnsent(CardOrderFolder(args.postCardFolder, number), false);

    args.changeOrderNo = number;
    args.pictures.clear();
    args.desc.userPictures = 0;
    auto change = Open();
    EXPECT_EQ(change->btnSend()->text(), QStringLiteral("修正 送信"));
    EXPECT_EQ(change->edNum()->value(), 20); // the order's own choices
    change->edNum()->setValue(30);
    prompter.Answer(TModalResult::mrOk);
    change->btnSend()->click();
    EXPECT_EQ(prompter.Texts().mid(prompter.Texts().size() - 2),
        (QStringList { "修正データを送信いたします。よろしいですか？", SentText() }));
    ASSERT_EQ(sent.size(), 2);
    EXPECT_TRUE(sent[1].change);
    EXPECT_EQ(change->OrderNo(), number);
    EXPECT_EQ(DpoValue(sent[1].lines, QStringLiteral("NUM")), QStringLiteral("30"));
    EXPECT_EQ(ReadCardChoices(change->ChoicesFile()).num, 30);
}

} // namespace korvatel
