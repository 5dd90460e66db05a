#include "app/registration_report.h"
#include "app/ui/main_menus.h"
#include "app/ui/web_main.h"
#include "demo_session.h"
#include "mobile/ui/net_option_form.h"
#include "net/server_lookups.h"
#include "platform/clock.h"
#include "platform/prompter.h"
#include "support/app_home.h"
#include "support/demo_shop.h"

#include <QAction>
#include <QCheckBox>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QRegularExpression>
#include <gtest/gtest.h>

namespace korvatel
{

namespace
{

using test::TAppHome;
using test::TDemoShop;

// The demo customer's session against a demo shop of its own, with its settings read.
struct TReportStart {
    TReportStart()
        : session(test::DemoShopSession(home, shop))
    {
        if (session)
            session->LoadAtCreation();
    }
    // One start's report, prepared and sent at once.
    TReportState Run(TPrompter &prompter)
    {
        return SendRegistrationReport(session->Servers.Transport(),
            PrepareRegistrationReport(*session, SystemClock(), prompter));
    }
    TDemoShop shop;
    TAppHome home;
    std::unique_ptr<TClientSession> session;
};

} // namespace

TEST(RegistrationReport, WithoutAYesNothingIsSent)
{
    TReportStart start;
    ASSERT_TRUE(start.session);
    TScriptedPrompter closed({ TModalResult::mrCancel }); // the box closed without an answer
    EXPECT_EQ(start.Run(closed), TReportState::rsDeclined);
    TScriptedPrompter no({ TModalResult::mrNo }); // so the next start asks again
    EXPECT_EQ(start.Run(no), TReportState::rsDeclined);
    TScriptedPrompter later;
    EXPECT_EQ(start.Run(later), TReportState::rsDeclined);
    EXPECT_TRUE(later.Shown().isEmpty()); // a "No" is kept
    EXPECT_TRUE(start.shop.LogLines(QStringLiteral("report:")).isEmpty());
}

TEST(RegistrationReport, AYesSendsOverHttpsOnceForEachRecord)
{
    TReportStart start;
    ASSERT_TRUE(start.session);
    TScriptedPrompter yes({ TModalResult::mrYes });
    EXPECT_EQ(start.Run(yes), TReportState::rsSent);
    ASSERT_EQ(yes.Shown().size(), 1);
    for (const char *named : { "127.0.0.1", "お名前", "電話番号", "住所", "識別番号" })
        EXPECT_TRUE(yes.Shown()[0].text.contains(QString::fromUtf8(named))) << named;
    const QStringList received = start.shop.LogLines(QStringLiteral("report: received "));
    ASSERT_EQ(received.size(), 1);
    EXPECT_TRUE(
        QRegularExpression(QStringLiteral("received [0-9A-F]{32}$")).match(received[0]).hasMatch())
        << received[0].toStdString();

    TScriptedPrompter again;
    EXPECT_EQ(start.Run(again), TReportState::rsUnchanged);
    EXPECT_TRUE(again.Shown().isEmpty());
    start.session->User.StoreValue(QStringLiteral("Tel1"), QStringLiteral("03-9999-0000"));
    EXPECT_EQ(start.Run(again), TReportState::rsSent);
    EXPECT_EQ(start.shop.LogLines(QStringLiteral("report: received ")).size(), 2);
}

TEST(RegistrationReport, APlainHttpAddressIsRefused)
{
    TReportStart start;
    ASSERT_TRUE(start.session);
    const QString plain = QStringLiteral("http://127.0.0.1:%1/MacUp.php")
                              .arg(start.shop.Port(QStringLiteral("service")));
    start.session->Servers.registrationUrl = plain;
    TScriptedPrompter yes({ TModalResult::mrYes });
    EXPECT_EQ(start.Run(yes), TReportState::rsNoAddress);
    EXPECT_TRUE(yes.Shown().isEmpty()); // nothing could be sent, so nothing is asked
    EXPECT_FALSE(ReportRegistration(start.session->Servers.Transport(), plain,
        { QStringLiteral("Id=1234"), QStringLiteral("MachineID=0") }));
    EXPECT_TRUE(start.shop.LogLines(QStringLiteral("report:")).isEmpty());
}

TEST(TWebMainReport, TheStartAsksOnceAndTheInternetSettingsTakeTheAnswerBack)
{
    TDemoShop shop;
    ASSERT_TRUE(shop.Running()) << shop.StartError().toStdString();
    TAppHome home;
    const std::unique_ptr<TClientSession> session = test::DemoShopClient(home, shop);
    ASSERT_TRUE(session);
    TWebMain window(*session);
    TScriptedPrompter prompter({ TModalResult::mrYes });
    window.SetPrompter(&prompter);
    window.show();
    EXPECT_EQ(window.StartRegistrationReport(), TReportState::rsDue);
    EXPECT_EQ(prompter.Shown().size(), 1);
    QElapsedTimer waited;
    waited.start();
    while (shop.LogLines(QStringLiteral("report: received")).isEmpty() && waited.elapsed() < 10000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    EXPECT_EQ(shop.LogLines(QStringLiteral("report: received")).size(), 1);

    window.Menus().RunDialog = [](QDialog &dialog) {
        auto *form = qobject_cast<TNetOptionForm *>(&dialog);
        EXPECT_NE(form, nullptr);
        if (!form)
            return false;
        EXPECT_TRUE(form->cbRegistrationReport()->isChecked());
        // Mail is not set up, which is no reason to refuse the change.
        form->cbRegistrationReport()->setChecked(false);
        form->accept();
        return form->result() == QDialog::Accepted;
    };
    window.Command(QStringLiteral("miNetOption"))->trigger();
    EXPECT_EQ(window.StartRegistrationReport(), TReportState::rsDeclined);
    EXPECT_EQ(prompter.Shown().size(), 1);
}

} // namespace korvatel
