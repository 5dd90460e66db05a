#include "app/client_session.h"
#include "app/demo_session.h"
#include "app/online_start.h"
#include "app/startup.h"
#include "customer/order_history.h"
#include "imaging/picture_kinds.h"
#include "mobile/mail/mail_settings.h"
#include "order/consistency.h"
#include "order/thumb_nails.h"
#include "ordering/print_order_start.h"
#include "platform/clock.h"
#include "platform/prompter.h"
#include "pricing/price_tables.h"
#include "pricing/shop_terms.h"
#include "support/app_home.h"
#include "support/demo_shop.h"
#include "support/image_builders.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QImageReader>
#include <QRegularExpression>
#include <QThread>
#include <gtest/gtest.h>

namespace korvatel
{

namespace
{

using test::TAppHome;

TEST(OrderStartRules, LocalOrderFolderNamesAndTheSequenceNumber)
{
    EXPECT_TRUE(IsLocalOrderFolderName(QStringLiteral("20261208-102030")));
    EXPECT_TRUE(IsLocalOrderFolderName(QStringLiteral("20261208-102030123")));
    EXPECT_TRUE(IsLocalOrderFolderName(QStringLiteral("20261208-1020301")));
    EXPECT_FALSE(IsLocalOrderFolderName(QStringLiteral("20261208-1020301234"))); // 19
    EXPECT_FALSE(IsLocalOrderFolderName(QStringLiteral("20261208-10203"))); // 14 characters
    EXPECT_FALSE(IsLocalOrderFolderName(QStringLiteral("20261208-10203012345"))); // 20
    EXPECT_FALSE(IsLocalOrderFolderName(QStringLiteral("2026120-81020301")));
    EXPECT_FALSE(IsLocalOrderFolderName(QStringLiteral("20261208-10203x123")));
    EXPECT_FALSE(IsLocalOrderFolderName(QStringLiteral("20261208_102030123")));

    TAppHome home;
    const QString dpof = home.FilePath(QStringLiteral("KorvaDPOF"));
    EXPECT_EQ(OrderSequenceNumber(dpof), 1);
    EXPECT_TRUE(QFileInfo(dpof).isDir()); // made when missing
    for (const char *name :
        { "20261208-102030123", "20261209-090000", "20261208-10203x123", "notes", "20261208-1" })
        QDir(dpof).mkdir(QString::fromLatin1(name));
    // A file with an order folder's name does not count.
    home.Write(QStringLiteral("KorvaDPOF/20261210-101010101"), "x");
    EXPECT_EQ(OrderSequenceNumber(dpof), 3);
}

TEST(OrderStartRules, CdKindAndCardOrderId)
{
    TPricingBasket basket;
    basket.cdPictures = 2;
    EXPECT_EQ(OrderCdKind(basket), cdtNormal);
    basket.prints.append({ QStringLiteral("L"), 19, 1 });
    EXPECT_EQ(OrderCdKind(basket), cdtJustify);
    basket.prints.clear();
    basket.campus.append({ QStringLiteral("album"), QStringLiteral("L"), 30, 1 });
    EXPECT_EQ(OrderCdKind(basket), cdtJustify);

    const QString id = CardOrderIdOf(QStringLiteral("0f1e2d3c4b5a6978"),
        QStringLiteral("20261208-102030123-0312345678-4321"), QStringLiteral("1234"),
        QDate(2026, 12, 8));
    EXPECT_EQ(id, QStringLiteral("0f1e2d3c4b5a6978N102030123_1234D261208"));
}

// A started run of shop 1234 against the demo shop with a customer record, a basket and the
// order start, whose windows answer as the test says and note what was called.
class OrderStartTest : public test::TDemoShopTest
{
protected:
    void SetUp() override
    {
        TDemoShopTest::SetUp();
        session = test::DemoShopSession(home, *shop);
        ASSERT_NE(session, nullptr);
        session->LoadAtCreation();
        orders.Context() = session->OrderContext(&campus);
        start
            = std::make_unique<TOrderStart>(session->OrderValues(clock), orders, campus, prompter);
        start->values.servers = shop->Config();
        SetHooks();
    }

    void SetHooks()
    {
        TOrderStartHooks &hooks = start->hooks;
        hooks.checkConsistency = [this](int mode) {
            calls << QStringLiteral("check");
            TConsistencyEnv env;
            env.prompter = &prompter;
            env.online = session->Online();
            env.showProblems
                = [](const TConsistencyProblems &) { return TProblemAnswer::paCancel; };
            return CheckConsistency(orders, mode, env);
        };
        hooks.beep = [this] { calls << QStringLiteral("beep"); };
        hooks.showSummary = [this](const TSummaryInput &input) -> std::optional<TSummaryResult> {
            calls << QStringLiteral("summary");
            summary = input;
            if (!confirmSummary)
                return std::nullopt;
            TSummaryResult result;
            result.choice.payment = payment;
            result.choice.delivery = hsoShop;
            result.choice.address = input.address;
            result.order = PriceOrder(input.basket, *input.context, result.choice);
            result.confirmed.records = result.order.records;
            result.confirmed.delivery = DeliveryKindName(hsoShop);
            return result;
        };
        hooks.showCustomer = [this](const TUserOrderArgs &args) {
            calls << QStringLiteral("customer");
            customerArgs = args;
            if (beforeSend)
                beforeSend();
            return acceptCustomer;
        };
        hooks.send = [this](TOrderUpload &upload, TPackedOrder &order) {
            calls << QStringLiteral("send");
            upload.pause = [](int) {};
            return upload.Send(order);
        };
        hooks.showThanks = [this](const QString &name) {
            calls << QStringLiteral("thanks ") + name;
            return clearBasket;
        };
        hooks.payByCard = [this](const QString &id, double amount) {
            calls << QStringLiteral("pay %1 %2").arg(id).arg(amount);
            return cardPaid;
        };
        hooks.openHistory = [this] { calls << QStringLiteral("history"); };
    }

    QString Photo(const QString &name)
    {
        const QString relative = QStringLiteral("Pictures/") + name;
        home.Write(relative, test::JpegBytes(test::PatternBitmap(64, 48)));
        return home.FilePath(relative);
    }

    TThumbNail *Add(const QString &name, const QString &size, int count, bool cd = false)
    {
        const QString path = Photo(name);
        TThumbNail *item = orders.AddPicture(1, path, false, count, size);
        item->FileSize = qint32(QFileInfo(path).size());
        item->CdOrder = cd;
        orders.Recount();
        return item;
    }

    QStringList HistoryFiles() const
    {
        return TOrderHistory(TOrderHistory::DefaultFolder(session->Workspace().Folders()))
            .FileNames();
    }

    // The receiver's verdict on an order, once it has checked it.
    QString Verdict(const QString &orderName) const
    {
        const QString file = QDir(shop->State(QStringLiteral("ReceiverDir")))
                                 .filePath(orderName + QStringLiteral(".txt"));
        QElapsedTimer timer;
        timer.start();
        while (!QFile::exists(file) && timer.elapsed() < 10000)
            QThread::msleep(50);
        QFile verdict(file);
        verdict.open(QIODevice::ReadOnly);
        return QString::fromLatin1(verdict.readLine()).trimmed();
    }

    TAppHome home;
    TFixedClock clock { QDateTime::currentDateTime() };
    std::unique_ptr<TClientSession> session;
    TCampusPriceLists campus;
    TThumbNails orders;
    TScriptedPrompter prompter;
    std::unique_ptr<TOrderStart> start;

    QStringList calls;
    TSummaryInput summary;
    TUserOrderArgs customerArgs;
    bool confirmSummary = true;
    int payment = ksiFurikomi;
    bool acceptCustomer = true;
    std::function<void()> beforeSend;
    bool clearBasket = true;
    bool cardPaid = false;
};

TEST_F(OrderStartTest, OfflineRefusesBeforeAnything)
{
    TClientSession offline(home.Workspace(), test::ShopEntry(), TStartupResult {});
    TOrderStart refused(offline.OrderValues(clock), orders, campus, prompter);
    refused.hooks = start->hooks;
    const TOrderStartResult result = refused.Run(false);
    EXPECT_EQ(result.outcome, TOrderStartOutcome::osOffline);
    ASSERT_EQ(prompter.Shown().size(), 1);
    EXPECT_EQ(prompter.Shown().at(0).text, QStringLiteral("OFF-LINEです。注文へは進めません。"));
    EXPECT_EQ(prompter.Shown().at(0).kind, TMsgKind::mkWarning);
    EXPECT_TRUE(calls.isEmpty());
}

TEST_F(OrderStartTest, EmptyBasketRunsTheChecksAndOpensTheSummary)
{
    confirmSummary = false;
    const TOrderStartResult result = start->Run(true);
    EXPECT_EQ(result.outcome, TOrderStartOutcome::osSummaryClosed);
    EXPECT_EQ(calls, (QStringList { QStringLiteral("check"), QStringLiteral("summary") }));
    EXPECT_TRUE(summary.basket.prints.isEmpty());
    EXPECT_EQ(summary.sequenceNumber, 1);
    EXPECT_EQ(summary.name, QStringLiteral("山田太郎"));
    EXPECT_EQ(summary.prefecture, 13);
    EXPECT_TRUE(prompter.Shown().isEmpty());
}

TEST_F(OrderStartTest, TheBrowsingReminderBeepsItsOkGoesOnAndItsNoReturnsToTheGridOnce)
{
    confirmSummary = false;
    prompter.Answer(TModalResult::mrOk);
    start->Run(false);
    ASSERT_EQ(prompter.Shown().size(), 1);
    EXPECT_EQ(prompter.Shown().at(0).text, BrowseReminderQuestion());
    EXPECT_EQ(prompter.Shown().at(0).buttons, TMsgButtons(mbOK | mbNo));
    EXPECT_EQ(calls.first(), QStringLiteral("beep"));
    EXPECT_TRUE(calls.contains(QStringLiteral("summary"))); // OK goes on

    start->Run(true); // the grid has shown every item: no question
    EXPECT_EQ(prompter.Shown().size(), 1);

    // "No" (and Esc) go back to the grid; after a "No" the next press goes on unasked.
    calls.clear();
    prompter.Answer(TModalResult::mrNo);
    EXPECT_EQ(start->Run(false).outcome, TOrderStartOutcome::osBrowsing);
    EXPECT_EQ(prompter.Shown().size(), 2);
    EXPECT_FALSE(start->remindBrowsing);
    EXPECT_FALSE(calls.contains(QStringLiteral("summary")));
    start->Run(false);
    EXPECT_EQ(prompter.Shown().size(), 2);
    EXPECT_TRUE(calls.contains(QStringLiteral("summary")));

    start->remindBrowsing = true;
    calls.clear();
    prompter.Answer(TModalResult::mrNone); // Esc
    EXPECT_EQ(start->Run(false).outcome, TOrderStartOutcome::osBrowsing);
    EXPECT_TRUE(start->remindBrowsing);
    EXPECT_FALSE(calls.contains(QStringLiteral("summary")));
    EXPECT_EQ(prompter.Unexpected(), 0);
}

TEST_F(OrderStartTest, ConsistencyProblemsStopBeforeTheSummary)
{
    TThumbNail *item = Add(QStringLiteral("gone.jpg"), QStringLiteral("L"), 2);
    QFile::remove(item->FullPath);
    prompter.Answer(TModalResult::mrNo); // no details
    const TOrderStartResult result = start->Run(true);
    EXPECT_EQ(result.outcome, TOrderStartOutcome::osInconsistent);
    EXPECT_EQ(calls, QStringList { QStringLiteral("check") });
    EXPECT_EQ(orders.Count(), 1);
}

TEST_F(OrderStartTest, CdKindsAndTheSequenceNumberReachTheSummary)
{
    confirmSummary = false;
    TThumbNail *cdOnly = Add(QStringLiteral("cd.jpg"), QStringLiteral("L"), 0, true);
    QDir().mkpath(session->Workspace().KorvaDpof() + QStringLiteral("/20261201-101010101"));
    QDir().mkpath(session->Workspace().KorvaDpof() + QStringLiteral("/Other"));
    start->Run(true);
    EXPECT_EQ(summary.basket.cdPictures, 1);
    EXPECT_EQ(summary.basket.cdKind, cdtNormal);
    EXPECT_EQ(summary.sequenceNumber, 2);
    // The demo shop names its index kind: the summary lists the CD-R's one index sheet.
    EXPECT_EQ(summary.basket.indexSheets, 1);
    EXPECT_EQ(summary.basket.indexSize, QStringLiteral("L"));
    // With prints the CD-R is made together with them; the demo shop lists tiers for that.
    cdOnly->SetSizeCount(QStringLiteral("L"), 3);
    start->Run(true);
    EXPECT_EQ(summary.basket.cdKind, cdtJustify);
    EXPECT_EQ(summary.basket.prints.value(0).count, 3);
}

TEST_F(OrderStartTest, GoingBackFromTheSummaryOrTheCustomerWindowKeepsTheBasket)
{
    Add(QStringLiteral("a.jpg"), QStringLiteral("L"), 2);
    confirmSummary = false;
    EXPECT_EQ(start->Run(true).outcome, TOrderStartOutcome::osSummaryClosed);
    confirmSummary = true;
    acceptCustomer = false;
    EXPECT_EQ(start->Run(true).outcome, TOrderStartOutcome::osCustomerClosed);
    EXPECT_FALSE(calls.contains(QStringLiteral("send")));
    EXPECT_EQ(orders.Count(), 1);
    EXPECT_TRUE(HistoryFiles().isEmpty());
    // The delivery the customer window checks is the summary's.
    EXPECT_EQ(customerArgs.areaKindText, DeliveryKindName(hsoShop));
}

TEST_F(OrderStartTest, ASentOrderReachesTheShopIsRecordedAndClearsTheBasket)
{
    Add(QStringLiteral("a.jpg"), QStringLiteral("L"), 2);
    Add(QStringLiteral("b.jpg"), QStringLiteral("2L"), 1);
    ASSERT_TRUE(
        orders.SaveMemory(session->OrderMemoryPath(), session->CampusOrderPath(), SystemClock()));
    const TOrderStartResult result = start->Run(true);
    ASSERT_EQ(result.outcome, TOrderStartOutcome::osSent)
        << prompter.Texts().join(u'\n').toStdString();
    EXPECT_EQ(calls,
        (QStringList { QStringLiteral("check"), QStringLiteral("summary"),
            QStringLiteral("customer"), QStringLiteral("send"),
            QStringLiteral("thanks ") + result.orderName }));
    EXPECT_EQ(Verdict(result.orderName), QStringLiteral("ACCEPTED"));
    EXPECT_TRUE(result.cleared);
    EXPECT_EQ(orders.Count(), 0);
    EXPECT_FALSE(QFile::exists(session->OrderMemoryPath())); // a restart finds no basket
    const QStringList files = HistoryFiles();
    ASSERT_EQ(files.size(), 1);
    EXPECT_TRUE(files.at(0).startsWith(QStringLiteral("1234-") + result.orderName.left(15)));
    EXPECT_TRUE(files.at(0).contains(QStringLiteral("[fk")));
    EXPECT_FALSE(files.at(0).contains(QStringLiteral(".faild")));
    // The local order folder counts for the next sequence number.
    EXPECT_EQ(OrderSequenceNumber(session->Workspace().KorvaDpof()), 2);
    EXPECT_EQ(prompter.Unexpected(), 0);
}

TEST_F(OrderStartTest, TheThanksWindowCanKeepTheBasket)
{
    clearBasket = false;
    Add(QStringLiteral("a.jpg"), QStringLiteral("L"), 1);
    const TOrderStartResult result = start->Run(true);
    ASSERT_EQ(result.outcome, TOrderStartOutcome::osSent);
    EXPECT_FALSE(result.cleared);
    EXPECT_EQ(orders.Count(), 1);
    EXPECT_EQ(HistoryFiles().size(), 1);
}

TEST_F(OrderStartTest, AFailedSendIsRecordedAndKeepsTheBasket)
{
    Add(QStringLiteral("a.jpg"), QStringLiteral("L"), 1);
    ASSERT_TRUE(session->ShopAllowsHttp()); // "Http.on" arrived with the shop data
    ASSERT_TRUE(shop->Control(QStringLiteral("ftp_drop_after=100")));
    start->values.transferMode = int(TTransMode::tmStandard);
    int changedTo = -1;
    start->hooks.transferModeChanged = [&changedTo](int mode) { changedTo = mode; };
    prompter.Answer(TModalResult::mrYes); // to HTTP mode
    const TOrderStartResult result = start->Run(true);
    EXPECT_EQ(result.outcome, TOrderStartOutcome::osNotSent);
    EXPECT_EQ(result.sendResult, TSendResult::srModeChange);
    EXPECT_EQ(prompter.Texts(), QStringList { ModeChangeQuestion() });
    // The window's "送信モード" follows, and the next run starts in it.
    EXPECT_EQ(changedTo, int(TTransMode::tmOffice));
    EXPECT_EQ(start->values.transferMode, int(TTransMode::tmOffice));
    EXPECT_FALSE(calls.join(u' ').contains(QStringLiteral("thanks")));
    EXPECT_EQ(orders.Count(), 1);
    const QStringList files = HistoryFiles();
    ASSERT_EQ(files.size(), 1);
    EXPECT_TRUE(files.at(0).contains(QStringLiteral(".faild")));
}

TEST_F(OrderStartTest, APictureThatVanishesBeforePackingRerunsTheCheck)
{
    TThumbNail *item = Add(QStringLiteral("a.jpg"), QStringLiteral("L"), 1);
    const QString path = item->FullPath;
    beforeSend = [path] { QFile::remove(path); };
    prompter.Answer(TModalResult::mrOk); // the packaging's warning
    prompter.Answer(TModalResult::mrNo); // no details
    const TOrderStartResult result = start->Run(true);
    EXPECT_EQ(result.outcome, TOrderStartOutcome::osNotPacked);
    EXPECT_EQ(calls.count(QStringLiteral("check")), 2);
    EXPECT_TRUE(prompter.Texts().value(0).startsWith(QStringLiteral("Not Found FILE : ")));
    EXPECT_EQ(orders.Count(), 1);
}

// The transmission window's stand-in: notes what it is shown and can ask to cancel.
class TNotedProgress : public TSendProgress
{
public:
    void SetPosition(int done, int total) override
    {
        positions << QStringLiteral("%1/%2").arg(done).arg(total);
    }
    bool CancelRequested() const override { return cancel; }

    QStringList positions;
    bool cancel = false;
};

TEST_F(OrderStartTest, PackingAndSendingRunUnderTheWindowAtThePackingTime)
{
    Add(QStringLiteral("a.jpg"), QStringLiteral("L"), 2);
    Add(QStringLiteral("b.jpg"), QStringLiteral("2L"), 1);
    // The customer lingers in the customer window for 20 minutes.
    beforeSend = [this] { clock.Advance(20 * 60 * 1000); };
    const QString korvaDpof = session->Workspace().KorvaDpof();
    TNotedProgress window;
    start->hooks.sendWindow = [&](const std::function<TSendResult(TSendProgress &)> &work) {
        calls << QStringLiteral("window");
        // Nothing is packed before the window is up.
        EXPECT_EQ(OrderSequenceNumber(korvaDpof), 1);
        const TSendResult sent = work(window);
        calls << QStringLiteral("window closed");
        return sent;
    };
    QStringList historyText;
    start->hooks.send = [&](TOrderUpload &upload, TPackedOrder &order) {
        calls << QStringLiteral("send");
        EXPECT_EQ(upload.progress, &window);
        upload.pause = [](int) {};
        const THistoryHook recorded = upload.onHistory;
        upload.onHistory = [&historyText, recorded](bool sent, const QString &kind,
                               const QString &cardId, const QStringList &text) {
            historyText = text;
            recorded(sent, kind, cardId, text);
        };
        return upload.Send(order);
    };
    const TOrderStartResult result = start->Run(true);
    ASSERT_EQ(result.outcome, TOrderStartOutcome::osSent)
        << prompter.Texts().join(u'\n').toStdString();
    EXPECT_EQ(calls.mid(2, 4),
        (QStringList { QStringLiteral("customer"), QStringLiteral("window"), QStringLiteral("send"),
            QStringLiteral("window closed") }));
    EXPECT_EQ(window.positions.mid(0, 2), (QStringList { "1/2", "2/2" }));
    // The order's name and its start line carry the time of the packing.
    EXPECT_TRUE(
        result.orderName.startsWith(clock.Now().toString(QStringLiteral("yyyyMMdd-hhmmss"))))
        << result.orderName.toStdString();
    ASSERT_GE(historyText.size(), 2);
    EXPECT_EQ(historyText.at(0), QStringLiteral("開始=") + MessageTime(clock.Now()));
    EXPECT_TRUE(historyText.at(1).startsWith(QStringLiteral("終了=")));
}

TEST_F(OrderStartTest, ACancelledSendIsRecordedAsFailedAndKeepsTheBasket)
{
    Add(QStringLiteral("a.jpg"), QStringLiteral("L"), 1);
    TNotedProgress window;
    window.cancel = true;
    start->hooks.sendWindow
        = [&](const std::function<TSendResult(TSendProgress &)> &work) { return work(window); };
    const TOrderStartResult result = start->Run(true);
    EXPECT_EQ(result.outcome, TOrderStartOutcome::osNotSent);
    EXPECT_EQ(result.sendResult, TSendResult::srCancelled);
    EXPECT_FALSE(calls.join(u' ').contains(QStringLiteral("thanks")));
    EXPECT_EQ(orders.Count(), 1);
    const QStringList files = HistoryFiles();
    ASSERT_EQ(files.size(), 1);
    EXPECT_TRUE(files.at(0).contains(QStringLiteral(".faild")));
}

TEST_F(OrderStartTest, OnlyTheSentItemsLeaveTheBasket)
{
    Add(QStringLiteral("a.jpg"), QStringLiteral("L"), 1);
    Add(QStringLiteral("b.jpg"), QStringLiteral("L"), 1);
    // While the thank-you window is up, a picture arrives and another one's count changes.
    start->hooks.showThanks = [this](const QString &) {
        Add(QStringLiteral("late.jpg"), QStringLiteral("2L"), 1);
        orders.Item(1)->SetSizeCount(QStringLiteral("L"), 3);
        return true;
    };
    const TOrderStartResult result = start->Run(true);
    ASSERT_EQ(result.outcome, TOrderStartOutcome::osSent);
    ASSERT_EQ(orders.Count(), 2);
    EXPECT_TRUE(orders.Item(0)->FullPath.endsWith(QStringLiteral("b.jpg")));
    EXPECT_TRUE(orders.Item(1)->FullPath.endsWith(QStringLiteral("late.jpg")));
}

TEST_F(OrderStartTest, AnUnpaidCardOrderAsksToOpenTheHistory)
{
    payment = ksiCredit;
    Add(QStringLiteral("a.jpg"), QStringLiteral("L"), 1);
    prompter.Answer(TModalResult::mrYes);
    const TOrderStartResult result = start->Run(true);
    ASSERT_EQ(result.outcome, TOrderStartOutcome::osSent);
    EXPECT_FALSE(result.cardPaid);
    EXPECT_EQ(prompter.Texts(), QStringList { CardUnpaidQuestion() });
    EXPECT_EQ(calls.last(), QStringLiteral("history"));
    // The card order ID begins with the nonce, not the telephone number.
    EXPECT_TRUE(
        calls.join(u'|').contains(QRegularExpression(QStringLiteral("\\|pay [0-9a-f]{16}N"))));
    const QList<TOrderHistRec> entries
        = TOrderHistory(TOrderHistory::DefaultFolder(session->Workspace().Folders())).LoadList();
    ASSERT_EQ(entries.size(), 1);
    EXPECT_EQ(entries.at(0).tag, QStringLiteral("cr"));
    EXPECT_EQ(entries.at(0).payState, hpsUnpaid);
    EXPECT_TRUE(entries.at(0).CardOrderId().endsWith(
        QStringLiteral("_1234D") + clock.Now().toString(QStringLiteral("yyMMdd"))));
}

TEST_F(OrderStartTest, APaidCardOrderWaitsForTheSettlement)
{
    payment = ksiCredit;
    cardPaid = true;
    Add(QStringLiteral("a.jpg"), QStringLiteral("L"), 1);
    const TOrderStartResult result = start->Run(true);
    ASSERT_EQ(result.outcome, TOrderStartOutcome::osSent);
    EXPECT_TRUE(prompter.Shown().isEmpty());
    EXPECT_FALSE(calls.contains(QStringLiteral("history")));
    const QStringList files = HistoryFiles();
    ASSERT_EQ(files.size(), 1);
    EXPECT_TRUE(files.at(0).endsWith(QStringLiteral(").wait.wcp")));
}

// Orders with phone pictures: the phone steps answer with a docomo address and a phone screen,
// and the notice goes through the demo shop's SMTP server.
class OrderStartPhoneTest : public OrderStartTest
{
protected:
    void SetUp() override
    {
        OrderStartTest::SetUp();
        start->hooks.choosePhone
            = [this](const QList<TThumbNail *> &pictures) -> std::optional<TPhoneChoice> {
            calls << QStringLiteral("phone %1").arg(pictures.size());
            if (!choosePhone)
                return std::nullopt;
            // The second picture is trimmed to its right half.
            const TKeitaiCrop half { 0.5, 0, 1, 1 };
            half.ToArray(pictures.last()->KeitaiTriming);
            TPhoneChoice choice;
            choice.address = QStringLiteral("taro@docomo.ne.jp");
            choice.target = { 120, 160, phoneFormat };
            return choice;
        };
        ASSERT_TRUE(shop->WriteMailSettings(
            QDir(session->Workspace().SysData()).filePath(TMailSettings::FileName())));
    }

    void AddPhonePictures()
    {
        Add(QStringLiteral("a.jpg"), QStringLiteral("L"), 1)->KeitaiOrder = true;
        Add(QStringLiteral("b.jpg"), QStringLiteral("L"), 2)->KeitaiOrder = true;
        Add(QStringLiteral("c.jpg"), QStringLiteral("L"), 1);
    }

    // The delivery folders on the phone server.
    QStringList PhoneFolders() const
    {
        return QDir(shop->State(QStringLiteral("KeitaiDir")))
            .entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    }

    // The orders on the shop's image server.
    QStringList OrderFolders() const
    {
        return QDir(shop->FtpLocal(QStringLiteral("/order")))
            .entryList({ QStringLiteral("2*") }, QDir::Dirs);
    }

    QStringList Mails() const
    {
        QDir mail(shop->State(QStringLiteral("MailDir")));
        QStringList texts;
        for (const QString &name : mail.entryList({ QStringLiteral("*.eml") }, QDir::Files)) {
            QFile file(mail.filePath(name));
            if (file.open(QIODevice::ReadOnly))
                texts << QString::fromLatin1(file.readAll());
        }
        return texts;
    }

    bool choosePhone = true;
    int phoneFormat = pfPNG;
};

TEST_F(OrderStartPhoneTest, PhonePicturesAreConvertedPutOnThePhoneServerAndNotified)
{
    AddPhonePictures();
    const QStringList before = PhoneFolders();
    const qsizetype mailsBefore = Mails().size();
    const TOrderStartResult result = start->Run(true);
    ASSERT_EQ(result.outcome, TOrderStartOutcome::osSent)
        << prompter.Texts().join(u'\n').toStdString();
    EXPECT_EQ(calls.mid(0, 4),
        (QStringList { QStringLiteral("check"), QStringLiteral("summary"),
            QStringLiteral("phone 2"), QStringLiteral("customer") }));
    QStringList folders = PhoneFolders();
    for (const QString &old : before)
        folders.removeOne(old);
    ASSERT_EQ(folders.size(), 1);
    EXPECT_TRUE(result.phonePage.endsWith(QStringLiteral("/keitai/") + folders.at(0) + u'/'))
        << result.phonePage.toStdString();
    // Both pictures arrived as PNG pictures of the phone's screen, read back by Qt's readers.
    const QDir delivered(QDir(shop->State(QStringLiteral("KeitaiDir"))).filePath(folders.at(0)));
    for (const char *name : { "K001.png", "K002.png" }) {
        QImageReader reader(delivered.filePath(QString::fromLatin1(name)));
        EXPECT_EQ(reader.format(), QByteArray("png")) << name;
        EXPECT_EQ(reader.size(), QSize(120, 160)) << name;
    }
    EXPECT_TRUE(delivered.exists(QStringLiteral("index.html")));
    EXPECT_EQ(Verdict(result.orderName), QStringLiteral("ACCEPTED"));
    EXPECT_TRUE(result.phoneNotified);
    const QStringList mails = Mails();
    ASSERT_EQ(mails.size(), mailsBefore + 1);
    const auto notice = std::find_if(mails.begin(), mails.end(),
        [&result](const QString &mail) { return mail.contains(result.phonePage); });
    ASSERT_NE(notice, mails.end());
    EXPECT_TRUE(notice->contains(QStringLiteral("taro@docomo.ne.jp")));
    EXPECT_EQ(prompter.Unexpected(), 0);
}

TEST_F(OrderStartPhoneTest, JpegGifAndBitmapPhonesGetTheirFormats)
{
    const struct {
        int fmt;
        const char *name;
        const char *kind;
    } formats[] = { { pfJPG, "K001.jpg", "jpeg" }, { pfGIF, "K001.gif", "gif" },
        { pfBMP, "K001.bmp", "bmp" } };
    for (const auto &f : formats) {
        phoneFormat = f.fmt;
        Add(QStringLiteral("a.jpg"), QStringLiteral("L"), 1)->KeitaiOrder = true;
        const TOrderStartResult result = start->Run(true);
        ASSERT_EQ(result.outcome, TOrderStartOutcome::osSent) << f.kind;
        const QString folder = result.phonePage.section(u'/', -2, -2);
        QImageReader reader(QDir(shop->State(QStringLiteral("KeitaiDir")))
                                .filePath(folder + u'/' + QString::fromLatin1(f.name)));
        EXPECT_EQ(reader.format(), QByteArray(f.kind));
        EXPECT_EQ(reader.size(), QSize(120, 160));
    }
}

TEST_F(OrderStartPhoneTest, AFailedPhoneUploadLeavesTheOrderUnsent)
{
    AddPhonePictures();
    ASSERT_TRUE(shop->Control(QStringLiteral("keitai_refuse=1")));
    const qsizetype mails = Mails().size();
    const QStringList sentOrders = OrderFolders();
    const TOrderStartResult result = start->Run(true);
    EXPECT_NE(result.outcome, TOrderStartOutcome::osSent);
    EXPECT_FALSE(calls.contains(QStringLiteral("send")));
    ASSERT_FALSE(prompter.Shown().isEmpty());
    EXPECT_TRUE(prompter.Shown().last().text.startsWith(
        QStringLiteral("携帯画像を送信できませんでした。注文は送信していません。")));
    EXPECT_TRUE(result.phonePage.isEmpty());
    EXPECT_FALSE(result.phoneNotified);
    EXPECT_EQ(Mails().size(), mails);
    EXPECT_EQ(orders.Count(), 3);
    EXPECT_EQ(OrderFolders(), sentOrders);
}

TEST_F(OrderStartPhoneTest, LeavingThePhoneStepsOrHavingNoneDoesNotSend)
{
    AddPhonePictures();
    choosePhone = false;
    const QStringList folders = PhoneFolders();
    EXPECT_EQ(start->Run(true).outcome, TOrderStartOutcome::osPhoneClosed);
    EXPECT_FALSE(calls.contains(QStringLiteral("customer")));
    EXPECT_TRUE(prompter.Shown().isEmpty());
    // Where no phone steps can be taken, the order is refused with a message.
    start->hooks.choosePhone = nullptr;
    EXPECT_EQ(start->Run(true).outcome, TOrderStartOutcome::osPhoneClosed);
    EXPECT_EQ(prompter.Texts(), QStringList { PhoneStepsMissingMessage() });
    EXPECT_EQ(PhoneFolders(), folders);
    EXPECT_EQ(orders.Count(), 3);
}

TEST_F(OrderStartPhoneTest, AFailedNoticeIsReportedWithThePageAddress)
{
    Add(QStringLiteral("a.jpg"), QStringLiteral("L"), 1)->KeitaiOrder = true;
    start->hooks.notifyPhone = [](const QString &, const QString &, QString *reason) {
        *reason = QStringLiteral("Connection Failed.");
        return false;
    };
    const TOrderStartResult result = start->Run(true);
    ASSERT_EQ(result.outcome, TOrderStartOutcome::osSent);
    EXPECT_FALSE(result.phoneNotified);
    EXPECT_TRUE(prompter.Texts().contains(
        PhoneNoticeFailedMessage(QStringLiteral("Connection Failed."), result.phonePage)));
}

} // namespace

} // namespace korvatel
