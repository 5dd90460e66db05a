#include "app/demo_session.h"
#include "cards/card_history.h"
#include "ordering/card_order_start.h"
#include "platform/prompter.h"
#include "support/app_home.h"
#include "support/demo_shop.h"
#include "text/sjis_file.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QThread>
#include <gtest/gtest.h>

namespace korvatel
{

namespace
{

// The card order of shop 1234 against the demo shop, with an order window that fills the order
// as a customer would and sends it.
class CardOrderStartTest : public test::TDemoShopTest
{
protected:
    void SetUp() override
    {
        TDemoShopTest::SetUp();
        session = test::DemoShopSession(home, *shop);
        ASSERT_NE(session, nullptr);
        session->LoadAtCreation();
        start = std::make_unique<TCardOrderStart>(session->OrderValues(clock), prompter);
        start->values.servers = shop->Config();
        start->values.transferMode = tmFtp;
        start->hooks.savePage = [this] {
            return home.Write(QStringLiteral("Korvatel/PostCard/EditCard.ini"), "[Card]\r\n");
        };
        start->hooks.prepareUpload = [](TOrderUpload &upload) { upload.pause = [](int) {}; };
        start->hooks.showOrder = [this](const TCardOrderArgs &args, const TCardOrderSteps &steps) {
            shown = args;
            const std::optional<QString> time = steps.orderTime();
            if (!time)
                return TCardOrderResult::coClosed;
            TCardOrder order;
            order.shopId = args.shopId;
            order.shopName = args.shopName;
            order.orderNo = CardOrderNumber(args.shopId, *time, args.tel1, args.acount);
            order.name = args.name;
            order.kana = QStringLiteral("ヤマダ タロウ");
            order.tel = args.tel1;
            order.cardName = args.plateFile;
            order.choices.num = 10;
            order.choices.transStr = QStringLiteral("宅配便");
            order.choices.payStr = QStringLiteral("銀振･郵振");
            order.price = PriceCardOrder(args.prices, order.choices, 13);
            order.cardTextLines = args.cardTextLines;
            order.layoutLines = args.layoutLines;
            const std::optional<TSavedCardOrder> saved
                = SaveCardOrder(args.postCardFolder, order, args.card, false);
            orderNo = order.orderNo;
            return saved && steps.send(*saved) ? TCardOrderResult::coSent
                                               : TCardOrderResult::coClosed;
        };
    }

    TCardSheet Sheet() const
    {
        QImage card(200, 140, QImage::Format_RGB32);
        card.fill(Qt::darkRed);
        return { QStringLiteral("xmas.ksp"), 2, {}, card };
    }

    // The receiver's first line on the order.
    QString Verdict() const
    {
        const QString file = QDir(shop->State(QStringLiteral("ReceiverDir")))
                                 .filePath(orderNo + QStringLiteral(".txt"));
        QElapsedTimer timer;
        timer.start();
        while (!QFile::exists(file) && timer.elapsed() < 10000)
            QThread::msleep(50);
        return ReadSjisLines(file).value_or(QStringList()).value(0);
    }

    test::TAppHome home;
    TFixedClock clock { QDateTime::currentDateTime() };
    std::unique_ptr<TClientSession> session;
    TScriptedPrompter prompter;
    std::unique_ptr<TCardOrderStart> start;
    TCardOrderArgs shown;
    QString orderNo;
};

TEST_F(CardOrderStartTest, TheCardReachesTheShopAndTheHistoryKnowsItSent)
{
    const TCardOrderStartResult result = start->Run(Sheet());
    EXPECT_EQ(result.outcome, TCardOrderOutcome::coSent)
        << prompter.Texts().join(u'\n').toStdString();
    EXPECT_EQ(result.sendResult, TSendResult::srSent);
    EXPECT_EQ(shown.desc.title, QStringLiteral("クリスマスカード"));
    EXPECT_EQ(shown.cardTextLines, QStringList { QStringLiteral("BUN_COUNT=0") });
    EXPECT_EQ(shown.name, session->User.Name());
    EXPECT_EQ(Verdict(), QStringLiteral("ACCEPTED"));
    const QList<TCardHistEntry> history
        = ListCardHistory(session->Workspace().PostCard(), QStringLiteral("1234"));
    ASSERT_EQ(history.size(), 1);
    EXPECT_FALSE(history.at(0).unsent);
}

TEST_F(CardOrderStartTest, ARefusedSendIsNotReportedSentAndStaysUnsent)
{
    ASSERT_TRUE(shop->Control(QStringLiteral("ftp_drop_after=100")));
    start->hooks.prepareUpload = [](TOrderUpload &upload) {
        upload.pause = [](int) {};
        upload.retries = 0;
    };
    prompter.Answer(TModalResult::mrAbort); // give up after the failure
    const TCardOrderStartResult result = start->Run(Sheet());
    EXPECT_EQ(result.outcome, TCardOrderOutcome::coClosed);
    EXPECT_NE(result.sendResult, TSendResult::srSent);
    EXPECT_FALSE(result.error.isEmpty());
    const QList<TCardHistEntry> history
        = ListCardHistory(session->Workspace().PostCard(), QStringLiteral("1234"));
    ASSERT_EQ(history.size(), 1);
    EXPECT_TRUE(history.at(0).unsent);
}

TEST_F(CardOrderStartTest, WhatStopsTheOrderBeforeItsWindowIsSaid)
{
    struct TCase {
        const char *what;
        std::function<void()> arrange;
        TCardOrderOutcome outcome;
        QString message;
    };
    const QList<TCase> cases {
        { "no template", [this] { start->hooks.savePage = [] { return true; }; },
            TCardOrderOutcome::coNoTemplate, NoTemplateText() },
        { "the card file", [this] { start->hooks.savePage = [] { return false; }; },
            TCardOrderOutcome::coNotWritten,
            FileNotWrittenMessage(
                QDir(session->Workspace().PostCard()).filePath(QStringLiteral("EditCard.ini"))) },
        { "no prices",
            [this] {
                start->values.servers.primary.baseUrl = QStringLiteral("http://127.0.0.1:1");
                start->values.servers.secondary.baseUrl = QStringLiteral("http://127.0.0.1:1");
            },
            TCardOrderOutcome::coNoPrices, CardPricesMissingMessage() },
    };
    for (const TCase &c : cases) {
        SCOPED_TRACE(c.what);
        c.arrange();
        TCardSheet sheet = Sheet();
        if (c.outcome == TCardOrderOutcome::coNoTemplate)
            sheet.layers = 0;
        const int before = int(prompter.Shown().size());
        EXPECT_EQ(start->Run(sheet).outcome, c.outcome);
        ASSERT_EQ(prompter.Shown().size(), before + 1);
        EXPECT_EQ(prompter.Shown().last().text, c.message);
        start->hooks.savePage = [] { return true; };
    }
    EXPECT_TRUE(shown.shopId.isEmpty()); // the order window never opened
}

} // namespace

} // namespace korvatel
