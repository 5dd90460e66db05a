#include "app/client_session.h"
#include "app/online_start.h"
#include "app/order_windows_driver.h"
#include "app/startup.h"
#include "app/ui/basket_actions.h"
#include "app/ui/customer_windows.h"
#include "app/ui/order_start_windows.h"
#include "app/ui/status_bars.h"
#include "app/ui/thanks_form.h"
#include "app/ui/web_main.h"
#include "app_session.h"
#include "cli/sending_commands.h"
#include "customer/card_service.h"
#include "customer/order_history.h"
#include "customer/ui/hist_form.h"
#include "customer/ui/user_form.h"
#include "demo_session.h"
#include "mobile/mail/mail_settings.h"
#include "mobile/ui/keitai_adrs_form.h"
#include "mobile/ui/keitai_edit_form.h"
#include "mobile/ui/ksize_form.h"
#include "order/grid_cells.h"
#include "order/thumb_nails.h"
#include "order/ui/order_panel.h"
#include "order/ui/print_check_form.h"
#include "order/ui/thumb_grid.h"
#include "ordering/print_order_start.h"
#include "platform/clock.h"
#include "platform/prompter.h"
#include "pricing/shop_terms.h"
#include "pricing/ui/order_info_form.h"
#include "support/app_home.h"
#include "support/demo_shop.h"
#include "support/image_builders.h"
#include "text/sjis_file.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QImageReader>
#include <QLabel>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>
#include <QThread>
#include <QTimer>
#include <gtest/gtest.h>

namespace korvatel
{

namespace
{

TEST(TThanksForm, ShowsTheOrderAndAnswersFromTheKeyboard)
{
    {
        TThanksForm form(QStringLiteral("20261208-102030123-0312345678-4321"));
        form.show();
        EXPECT_TRUE(form.lbOrderName()->text().contains(
            QStringLiteral("20261208-102030123-0312345678-4321")));
        EXPECT_TRUE(form.cbClear()->isChecked()); // the basket is cleared unless unticked
        EXPECT_EQ(form.lbShopNotes(), nullptr); // the shop has nothing to add
        QTest::keyClick(&form, Qt::Key_Return);
        EXPECT_EQ(form.result(), QDialog::Accepted);
        EXPECT_TRUE(form.ClearBasket());
    }
    {
        TThanksForm form(QStringLiteral("x"));
        form.show();
        form.cbClear()->setFocus();
        QTest::keyClick(form.cbClear(), Qt::Key_Space);
        EXPECT_FALSE(form.ClearBasket());
        QTest::keyClick(&form, Qt::Key_Escape); // the order went out: Esc is OK as well
        EXPECT_EQ(form.result(), QDialog::Accepted);
        EXPECT_FALSE(form.ClearBasket());
    }
}

TEST(TThanksForm, ShowsTheShopsTextsForAfterSending)
{
    TThanksForm form(QStringLiteral("x"),
        { QStringLiteral("仕上がりは3日後です。"), QString(),
            QStringLiteral("<a href=\"http://x\">画像は30日保管します。</a>") });
    ASSERT_NE(form.lbShopNotes(), nullptr);
    EXPECT_EQ(form.lbShopNotes()->text(),
        QStringLiteral("仕上がりは3日後です。\n<a href=\"http://x\">画像は30日保管します。</a>"));
    EXPECT_EQ(form.lbShopNotes()->textFormat(), Qt::PlainText);
}

TEST(TWebMainOrderStart, OfflineTheOrderButtonRefuses)
{
    test::TAppHome home;
    TClientSession session = test::TestSession(home, false);
    TWebMain window(session);
    TScriptedPrompter prompter;
    window.SetPrompter(&prompter);
    window.show();
    auto *button = window.findChild<QPushButton *>(QStringLiteral("sbOrder"));
    ASSERT_NE(button, nullptr);
    EXPECT_TRUE(button->isEnabled());
    window.SelectTab(window.TabIndexOf(tmOrder));
    button->click(); // pressed at once: the page of the tab just chosen is not laid out yet
    EXPECT_EQ(prompter.Texts(), QStringList { OrderOfflineMessage() });
}

// The files of a local order folder by their paths, with the order's name, the folder's own
// name and the packing times ("2026/12/11 12:22:20", "2026:12:11:12:22:20") put as
// "<order>", "<folder>" and "<time>".
QMap<QString, QByteArray> OrderFolderFiles(const QString &folder, const QString &orderName)
{
    static const QRegularExpression time(
        QStringLiteral("\\d{4}[/:]\\d\\d[/:]\\d\\d[ :]\\d\\d:\\d\\d:\\d\\d"));
    const QString own = QFileInfo(folder).fileName();
    QMap<QString, QByteArray> files;
    QDirIterator found(folder, QDir::Files, QDirIterator::Subdirectories);
    while (found.hasNext()) {
        QFile file(found.next());
        file.open(QIODevice::ReadOnly);
        QString text = QString::fromLatin1(file.readAll());
        text.replace(orderName, QStringLiteral("<order>")).replace(own, QStringLiteral("<folder>"));
        text.replace(time, QStringLiteral("<time>"));
        files.insert(QDir(folder)
                         .relativeFilePath(file.fileName())
                         .replace(orderName, QStringLiteral("<order>")),
            text.toLatin1());
    }
    return files;
}

class WebMainOrderTest : public test::TDemoShopTest
{
protected:
    void SetUp() override
    {
        TDemoShopTest::SetUp();
        session = test::DemoShopClient(home, *shop);
        ASSERT_NE(session, nullptr);
    }

    // "クレジットカード登録" in the "履歴と決済" window that the menu opens; the window closed.
    void RegisterCardFromTheMenu()
    {
        QTimer::singleShot(0, [] {
            auto *form = qobject_cast<TKorvatelHistForm *>(QApplication::activeModalWidget());
            ASSERT_NE(form, nullptr);
            QTest::mouseClick(form->btnCardEntry(), Qt::LeftButton);
            form->reject();
        });
        window->findChild<QAction *>(QStringLiteral("miHistory"))->trigger();
    }
    void OpenWindow()
    {
        window = std::make_unique<TWebMain>(*session);
        window->SetPrompter(&prompter);
        window->show();
        QCoreApplication::processEvents(); // the first idle moment reads the basket
    }

    QString Photo(const QString &name)
    {
        const QString relative = QStringLiteral("Pictures/trip/") + name;
        home.Write(relative, test::JpegBytes(test::PatternBitmap(320, 240)));
        return home.FilePath(relative);
    }

    QList<TOrderHistRec> History() const
    {
        return TOrderHistory(TOrderHistory::DefaultFolder(session->Workspace().Folders()))
            .LoadList();
    }

    test::TAppHome home;
    std::unique_ptr<TClientSession> session;
    TScriptedPrompter prompter;
    std::unique_ptr<TWebMain> window;
};

TEST_F(WebMainOrderTest, AnOrderFromTheMainWindowReachesTheShopAndEmptiesTheBasket)
{
    // Two photos ordered from the viewer, two more in the basket the last run left: one of
    // them also on a CD-R.
    {
        TCampusPriceLists campus;
        TThumbNails basket(session->OrderContext(&campus));
        basket.AddPicture(1, Photo(QStringLiteral("IMG_0003.JPG")), false, 1, QStringLiteral("2L"));
        TThumbNail *cd = basket.AddPicture(
            1, Photo(QStringLiteral("IMG_0004.JPG")), false, 2, QStringLiteral("L"));
        cd->CdOrder = true;
        for (int i = 0; i < basket.Count(); ++i)
            basket.Item(i)->FileSize = qint32(QFileInfo(basket.Item(i)->FullPath).size());
        basket.Recount();
        ASSERT_TRUE(basket.SaveMemory(
            session->OrderMemoryPath(), session->CampusOrderPath(), SystemClock()));
    }
    OpenWindow();
    for (const char *name : { "IMG_0001.JPG", "IMG_0002.JPG" })
        window->Basket().OrderViewedFile(Photo(QString::fromLatin1(name)));
    ASSERT_EQ(window->Orders().Count(), 4);
    // The same basket, for the command line's order afterwards.
    const QString copy = home.FilePath(QStringLiteral("cli/OrderMemory"));
    QDir().mkpath(QFileInfo(copy).path());
    ASSERT_TRUE(window->Orders().SaveMemory(copy, {}, SystemClock()));
    window->SelectTab(window->TabIndexOf(tmOrder));
    auto *button = window->findChild<QPushButton *>(QStringLiteral("sbOrder"));
    ASSERT_NE(button, nullptr);

    prompter.Answer(TModalResult::mrOk); // the browsing reminder: keep it
    prompter.Answer(TModalResult::mrYes); // payment and delivery as chosen
    TOrderWindowsDriver driver;
    button->click(); // pressed at once: the page of the tab just chosen is not laid out yet
    driver.timer.stop();

    EXPECT_EQ(driver.seen,
        (QStringList {
            QStringLiteral("summary"), QStringLiteral("customer"), QStringLiteral("thanks") }));
    // The 320 × 240 photos are too small for L and 2L: the print check came before the summary.
    EXPECT_EQ(driver.printChecks, 1);
    EXPECT_EQ(prompter.Texts().value(0), BrowseReminderQuestion());
    EXPECT_TRUE(
        prompter.Texts().value(1).startsWith(QStringLiteral("以下の指定でよろしいですか？")));
    EXPECT_EQ(prompter.Unexpected(), 0) << prompter.Texts().join(u'\n').toStdString();
    // With a CD-R the prints are priced as made together with it.
    EXPECT_TRUE(driver.statement.value(0).startsWith(QStringLiteral("L 19 × 4 ＝")))
        << driver.statement.join(u'\n').toStdString();
    EXPECT_TRUE(driver.statement.join(u'\n').contains(QStringLiteral("CD-R(")));
    // The statement is headed by the order's number, the customer and the time.
    EXPECT_TRUE(driver.heading.startsWith(QStringLiteral("No.1  ") + session->User.Name()))
        << driver.heading.toStdString();
    EXPECT_TRUE(driver.heading.contains(session->User.Tel1()));

    // The receiver found every file of the order.
    const QString name = driver.thanksOrder.section(QStringLiteral(" : "), 1);
    ASSERT_FALSE(name.isEmpty());
    const QString verdict
        = QDir(shop->State(QStringLiteral("ReceiverDir"))).filePath(name + QStringLiteral(".txt"));
    QElapsedTimer waited;
    waited.start();
    while (!QFile::exists(verdict) && waited.elapsed() < 10000)
        QThread::msleep(50);
    QFile file(verdict);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(QString::fromLatin1(file.readLine()).trimmed(), QStringLiteral("ACCEPTED"));

    // The history lists it; the basket is empty, on screen and on disk.
    const QList<TOrderHistRec> entries
        = TOrderHistory(TOrderHistory::DefaultFolder(session->Workspace().Folders())).LoadList();
    ASSERT_EQ(entries.size(), 1);
    EXPECT_EQ(entries.at(0).shop, QStringLiteral("1234"));
    EXPECT_EQ(entries.at(0).tag, QStringLiteral("fk"));
    EXPECT_EQ(entries.at(0).sent, 1);
    // The index sheet of the CD-R went with the order.
    EXPECT_FALSE(QDir(shop->FtpLocal(QStringLiteral("/order/") + name + QStringLiteral("/$NDX")))
                     .entryList(QDir::Files)
                     .isEmpty());
    EXPECT_EQ(window->Orders().Count(), 0);
    EXPECT_EQ(window->StatusBars()->TotalPanel(0, 0)->text(), QStringLiteral("注文数 0"));
    EXPECT_FALSE(QFile::exists(session->OrderMemoryPath()));

    // The command line packs the same basket into the same files, names and times aside.
    QString output, errors;
    QTextStream out(&output), err(&errors);
    ASSERT_EQ(
        OrderCommand(
            { copy, QStringLiteral("--customer"), session->Workspace().UserFile(),
                QStringLiteral("--shop"),
                QDir(session->Workspace().Download()).filePath(QStringLiteral("HostFmt.ini")),
                QStringLiteral("--shop-id"), QStringLiteral("1234"), QStringLiteral("--payment"),
                QStringLiteral("銀行等振込"), QStringLiteral("--pack-only") },
            out, err),
        0)
        << errors.toStdString();
    const QString cliName = output.section(QStringLiteral("order\t"), 1).section(u'\n', 0, 0);
    const QString cliFolder = output.section(QStringLiteral("folder\t"), 1).section(u'\n', 0, 0);
    QStringList locals
        = QDir(session->Workspace().KorvaDpof()).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    locals.removeIf([](const QString &folder) { return !IsLocalOrderFolderName(folder); });
    ASSERT_EQ(locals.size(), 1);
    const QString windowFolder = QDir(session->Workspace().KorvaDpof()).filePath(locals.at(0));
    const QMap<QString, QByteArray> byWindow = OrderFolderFiles(windowFolder, name);
    const QMap<QString, QByteArray> byCli = OrderFolderFiles(cliFolder, cliName);
    ASSERT_EQ(byWindow.keys(), byCli.keys());
    for (auto file = byWindow.cbegin(); file != byWindow.cend(); ++file)
        EXPECT_TRUE(file.value() == byCli.value(file.key())) << file.key().toStdString();
}

TEST_F(WebMainOrderTest, WithoutACardServiceTheSummaryNeitherOffersNorPreselectsCardPayment)
{
    const QString servers = home.FilePath(QStringLiteral(".config/korvatel/servers.ini"));
    QStringList lines = ReadSjisLines(servers).value_or(QStringList());
    ASSERT_EQ(lines.removeIf([](const QString &line) { return line.startsWith("CardURL="); }), 1);
    ASSERT_TRUE(WriteSjisLines(servers, lines));
    session->ReloadServers();
    OpenWindow();
    window->Basket().OrderViewedFile(Photo(QStringLiteral("IMG_0001.JPG")));
    window->Ordering().SetGridSeenAll(true);
    TOrderWindowsDriver driver;
    driver.backFromSummary = true;
    window->OrderPage()->OrderClick();
    driver.timer.stop();
    EXPECT_EQ(driver.seen, QStringList { QStringLiteral("summary") });
    EXPECT_FALSE(driver.offered.contains(ksiCredit));
    EXPECT_TRUE(driver.offered.contains(ksiFurikomi));
    EXPECT_TRUE(prompter.Shown().isEmpty());
}

TEST_F(WebMainOrderTest, ACardOrderIsPaidAtTheCardServiceAndTheHistoryLearnsItWasSettled)
{
    OpenWindow();
    // "クレジットカード登録" in "履歴と決済" registers the card: the service's token is kept
    // with the customer's card data, and every card request below carries it (the demo service
    // refuses one without).
    RegisterCardFromTheMenu();
    const QString cardData
        = QDir(session->Workspace().SysData()).filePath(QStringLiteral("CardData.ini"));
    EXPECT_TRUE(ReadSjisText(cardData).value_or(QString()).contains(QStringLiteral("Token=")));

    window->Basket().OrderViewedFile(Photo(QStringLiteral("IMG_0001.JPG")));
    window->Ordering().SetGridSeenAll(true);
    prompter.Answer(TModalResult::mrYes); // payment and delivery as chosen
    TOrderWindowsDriver driver;
    driver.payment = ksiCredit;
    window->OrderPage()->OrderClick();
    driver.timer.stop();
    EXPECT_EQ(driver.offered.value(0), ksiCredit);
    EXPECT_EQ(driver.seen,
        (QStringList {
            QStringLiteral("summary"), QStringLiteral("customer"), QStringLiteral("thanks") }));
    EXPECT_FALSE(prompter.Texts().contains(CardUnpaidQuestion()));
    EXPECT_EQ(prompter.Unexpected(), 0) << prompter.Texts().join(u'\n').toStdString();

    // Paid: waiting for the service's report, not "未払い".
    QList<TOrderHistRec> entries = History();
    ASSERT_EQ(entries.size(), 1);
    EXPECT_EQ(entries.at(0).tag, QStringLiteral("cr"));
    EXPECT_EQ(entries.at(0).payState, hpsWaiting);
    const QString ledger
        = ReadSjisText(shop->State(QStringLiteral("CardLedger"))).value_or(QString());
    EXPECT_TRUE(ledger.contains(QStringLiteral("PAID ") + entries.at(0).CardOrderId()))
        << ledger.toStdString();
    EXPECT_FALSE(entries.at(0).CardOrderId().contains(QStringLiteral("0312345678")));

    // "再確認" in "履歴と決済" asks the service, which has settled it.
    QTimer::singleShot(0, [] {
        auto *form = qobject_cast<TKorvatelHistForm *>(QApplication::activeModalWidget());
        ASSERT_NE(form, nullptr);
        QTest::mouseClick(form->btnReCheck(), Qt::LeftButton);
        form->reject();
    });
    OpenHistoryWindow(*session, prompter, window.get());
    EXPECT_EQ(prompter.Texts().value(1),
        QStringLiteral("サーバー問い合わせ完了。1項目の決済を確認しました。"));
    entries = History();
    ASSERT_EQ(entries.size(), 1);
    EXPECT_EQ(entries.at(0).payState, hpsSettled);
}

// A card service at a clear-text address off this machine is never called: the customer is
// told why, and no token is asked for.
TEST_F(WebMainOrderTest, ACardServiceWithoutHttpsIsRefusedWithAMessage)
{
    session->Servers.cardUrl = QStringLiteral("http://card.example.com/card");
    OpenWindow();
    prompter.Answer(TModalResult::mrOk);
    RegisterCardFromTheMenu();
    EXPECT_EQ(prompter.Texts(), QStringList { TCardService::UnsafeAddressText() });
    EXPECT_FALSE(QFile::exists(
        QDir(session->Workspace().SysData()).filePath(QStringLiteral("CardData.ini"))));
}

TEST_F(WebMainOrderTest, APhonePictureToggledInTheGridReachesThePhoneServerAndIsMailed)
{
    // The notice goes out through the demo shop's SMTP server.
    ASSERT_TRUE(shop->WriteMailSettings(
        QDir(session->Workspace().SysData()).filePath(TMailSettings::FileName())));
    const QDir mails(shop->State(QStringLiteral("MailDir")));
    const QStringList mailsBefore = mails.entryList({ QStringLiteral("*.eml") }, QDir::Files);
    const QDir phoneDir(shop->State(QStringLiteral("KeitaiDir")));
    const QStringList foldersBefore = phoneDir.entryList(QDir::Dirs | QDir::NoDotAndDotDot);

    OpenWindow();
    window->Basket().OrderViewedFile(Photo(QStringLiteral("IMG_0001.JPG")));
    window->Ordering().SetGridSeenAll(true);
    session->Option2.NoPrintCheck = true;
    window->resize(1024, 600);
    window->SelectTab(window->TabIndexOf(tmOrder));
    QCoreApplication::processEvents(); // the grid takes its size
    TThumbGrid *grid = window->OrderPage()->Grid();
    grid->grab();
    // The demo shop offers phone pictures: the cell carries "携帯", and a click orders one.
    TThumbNail *item = window->Orders().Item(0);
    const TCellZones zones
        = CellZones(grid->CellRect(0), grid->Look().unit, grid->Look().options, *item);
    const QPoint phone = zones.Zone(gzPhone).center();
    ASSERT_EQ(HitTest(zones, *item, phone, false), gzPhone);
    QTest::mouseClick(grid, Qt::LeftButton, {}, phone);
    EXPECT_TRUE(item->KeitaiOrder);
    EXPECT_EQ(window->StatusBars()->TotalPanel(1, 0)->text(), QStringLiteral("携帯 1"));

    prompter.Answer(TModalResult::mrYes); // payment and delivery as chosen
    TOrderWindowsDriver driver;
    window->OrderPage()->OrderClick();
    driver.timer.stop();
    EXPECT_EQ(driver.seen,
        (QStringList { QStringLiteral("summary"), QStringLiteral("phone address"),
            QStringLiteral("phone model"), QStringLiteral("phone trimming"),
            QStringLiteral("customer"), QStringLiteral("thanks") }));
    EXPECT_EQ(prompter.Unexpected(), 0) << prompter.Texts().join(u'\n').toStdString();
    // The summary charged the phone picture.
    EXPECT_TRUE(driver.statement.join(u'\n').contains(QStringLiteral("携帯画像基本料")))
        << driver.statement.join(u'\n').toStdString();

    // The phone picture lies in a new folder of the phone server, at the phone's screen size.
    QStringList folders = phoneDir.entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString &old : foldersBefore)
        folders.removeOne(old);
    ASSERT_EQ(folders.size(), 1);
    const QDir delivered(phoneDir.filePath(folders.at(0)));
    EXPECT_TRUE(delivered.exists(QStringLiteral("index.html")));
    const QStringList pictures = delivered.entryList({ QStringLiteral("K001.*") }, QDir::Files);
    ASSERT_EQ(pictures.size(), 1);
    EXPECT_EQ(QImageReader(delivered.filePath(pictures.at(0))).size(),
        QSize(driver.phoneChoice.target.w, driver.phoneChoice.target.h));
    // The notice with the folder's page went to the phone.
    QStringList received = mails.entryList({ QStringLiteral("*.eml") }, QDir::Files);
    for (const QString &old : mailsBefore)
        received.removeOne(old);
    ASSERT_EQ(received.size(), 1);
    QFile notice(mails.filePath(received.at(0)));
    ASSERT_TRUE(notice.open(QIODevice::ReadOnly));
    const QByteArray text = notice.readAll();
    EXPECT_TRUE(text.contains("taro@docomo.ne.jp"));
    EXPECT_TRUE(text.contains(QStringLiteral("/keitai/%1/").arg(folders.at(0)).toLatin1()));
    EXPECT_EQ(window->Orders().Count(), 0); // sent, and the basket cleared
}

TEST_F(WebMainOrderTest, WhileAnOrderRunsTheWindowStaysAndASecondPressIsIgnored)
{
    OpenWindow();
    window->Basket().OrderViewedFile(Photo(QStringLiteral("IMG_0001.JPG")));
    ASSERT_EQ(window->Orders().Count(), 1);
    window->Ordering().SetGridSeenAll(true);
    session->Option2.NoPrintCheck = true; // "操作方法の設定": no print check before the summary
    int summaries = 0;
    bool closed = true;
    window->Ordering().Start().hooks.showSummary
        = [&](const TSummaryInput &) -> std::optional<TSummaryResult> {
        ++summaries;
        closed = window->close();
        window->OrderPage()->OrderClick();
        return std::nullopt;
    };
    window->OrderPage()->OrderClick();
    EXPECT_EQ(summaries, 1);
    EXPECT_FALSE(closed);
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(window->Orders().Count(), 1);
    EXPECT_EQ(prompter.Unexpected(), 0) << prompter.Texts().join(u'\n').toStdString();
    // Once the order is over the window closes as usual.
    EXPECT_TRUE(window->close());
}

} // namespace

} // namespace korvatel
