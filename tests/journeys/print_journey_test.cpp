#include "app/ui/order_start_windows.h"
#include "customer/ui/hist_form.h"
#include "journeys/journey_fixture.h"

#include <QAction>
#include <QListWidget>
#include <QTimer>

namespace korvatel
{

namespace
{

using PrintJourney = test::TJourneyTest;

// Prints, one of them also on a CD-R and one colour-corrected, ordered from the main window;
// then the customer mails the order's record to themselves from "履歴と決済".
TEST_F(PrintJourney, AnOrderWithACdAndACorrectionReachesTheShopAndItsRecordIsMailed)
{
    SaveBasket({ QStringLiteral("IMG_0001.JPG"), QStringLiteral("IMG_0002.JPG") },
        QStringLiteral("L"), [](TThumbNail &item) {
            if (item.FileName.startsWith(QStringLiteral("IMG_0001")))
                item.CdOrder = true;
            else
                item.Hosei.kind = 1, item.Hosei.density = 30;
        });
    TScriptedPrompter prompter({ TModalResult::mrYes }); // payment and delivery as chosen
    const std::unique_ptr<TWebMain> window = OpenWindow(prompter);
    ASSERT_EQ(window->Orders().Count(), 2);
    window->SelectTab(window->TabIndexOf(tmOrder));
    window->Ordering().SetGridSeenAll(true);
    {
        TOrderWindowsDriver driver;
        window->findChild<QPushButton *>(QStringLiteral("sbOrder"))->click();
        EXPECT_EQ(driver.seen,
            (QStringList {
                QStringLiteral("summary"), QStringLiteral("customer"), QStringLiteral("thanks") }));
        EXPECT_TRUE(driver.statement.join(u'\n').contains(QStringLiteral("CD-R(")));
    }

    // The shop has the order whole, with its CD-R and the correction in its file list.
    const QStringList orders = ShopOrders();
    ASSERT_EQ(orders.size(), 1);
    const QString name = orders.first();
    const QStringList verdict = Verdict(name);
    EXPECT_EQ(verdict.value(0), QStringLiteral("ACCEPTED")) << verdict.join(u'\n').toStdString();
    EXPECT_TRUE(verdict.join(u'\n').contains(QStringLiteral("/CD-R/")));
    const QString entry = ReadSjisText(
        shop->FtpLocal(QStringLiteral("/order/message/") + name + QStringLiteral(".etr")))
                              .value_or(QString());
    EXPECT_TRUE(entry.contains(QStringLiteral("IMG_0002.JPG=")) && entry.contains(u';'))
        << entry.toStdString();
    // The history lists it as sent; the basket is empty.
    ASSERT_EQ(History().size(), 1);
    EXPECT_EQ(History().at(0).sent, 1);
    EXPECT_EQ(window->Orders().Count(), 0);

    // "履歴と決済" → the order → "メール送信": the record reaches the customer's mailbox.
    QTimer::singleShot(0, [] {
        auto *form = qobject_cast<TKorvatelHistForm *>(QApplication::activeModalWidget());
        ASSERT_NE(form, nullptr);
        form->clbHist()->setCurrentRow(0);
        QTest::mouseClick(form->btnMail(), Qt::LeftButton);
        form->reject();
    });
    prompter.Answer(TModalResult::mrOk);
    window->findChild<QAction *>(QStringLiteral("miHistory"))->trigger();
    EXPECT_EQ(prompter.Texts().last(), session->User.Mail() + QStringLiteral(" に送信しました。"));
    const QStringList mails = Mails();
    ASSERT_EQ(mails.size(), 1);
    EXPECT_TRUE(mails.first().contains(QStringLiteral("wcp-data")));
    EXPECT_TRUE(mails.first().contains(session->User.Mail()));
    EXPECT_EQ(prompter.Unexpected(), 0) << prompter.Texts().join(u'\n').toStdString();
}

} // namespace

} // namespace korvatel
