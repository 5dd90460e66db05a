#include "app/demo_session.h"
#include "app/order_windows_driver.h"
#include "app/ui/order_start_windows.h"
#include "app/ui/web_main.h"
#include "customer/order_history.h"
#include "journeys/journey_fixture.h"
#include "order/thumb_nails.h"
#include "ordering/order_journal.h"
#include "ordering/print_order_start.h"
#include "platform/clock.h"
#include "platform/prompter.h"
#include "support/app_home.h"
#include "support/demo_shop.h"
#include "support/image_builders.h"
#include "text/key_file.h"
#include "text/sjis_file.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QThread>
#include <gtest/gtest.h>

namespace korvatel
{

namespace
{

// The environment that makes the child below run: the home of the parent's test and the
// demo shop's server configuration. KORVATEL_CRASH_AT names where the child dies.
constexpr char kChildHome[] = "KORVATEL_CRASH_TEST_HOME";
constexpr char kChildServers[] = "KORVATEL_CRASH_TEST_SERVERS";

// The main window on the workspace in home, started against the demo shop.
std::unique_ptr<TClientSession> SessionAt(const QString &home, const TServerConfig &config)
{
    TUserFolders folders = TUserFolders::FromEnvironment();
    const TDriveTable drives
        = TDriveTable::Build(home, {}, [](const QString &) { return false; }, {});
    return test::DemoShopSession(TWorkspace(folders, drives), config);
}

// Run by the crash tests in a process of its own: orders the basket from the main window as
// a customer does, and dies at the crash point. Disabled, so that only those tests run it.
TEST(OrderCrashChild, DISABLED_OrdersUntilItDies)
{
    const QString home = qEnvironmentVariable(kChildHome);
    if (home.isEmpty())
        GTEST_SKIP() << "run by the crash tests only";
    test::TTempHome guard; // a temporary folder of its own
    qputenv("HOME", QFile::encodeName(home));
    TServerConfig config = TServerConfig::Defaults();
    TKeyFile servers;
    ASSERT_TRUE(servers.Load(qEnvironmentVariable(kChildServers)));
    config.Apply(servers.Lines());
    std::unique_ptr<TClientSession> session = SessionAt(home, config);
    ASSERT_NE(session, nullptr);
    TWebMain window(*session);
    TScriptedPrompter prompter({ TModalResult::mrYes }); // payment and delivery as chosen
    window.SetPrompter(&prompter);
    window.show();
    QCoreApplication::processEvents();
    window.SelectTab(window.TabIndexOf(tmOrder));
    window.Ordering().SetGridSeenAll(true);
    TOrderWindowsDriver driver;
    window.findChild<QPushButton *>(QStringLiteral("sbOrder"))->click();
    FAIL() << "still alive after " << qgetenv("KORVATEL_CRASH_AT").constData() << ": "
           << prompter.Texts().join(u'\n').toStdString();
}

struct TCrashCase {
    const char *point;
    bool sentBeforeTheCrash; // the program knew that the shop had the order
};

void PrintTo(const TCrashCase &crash, std::ostream *out)
{
    *out << crash.point;
}

class OrderCrashTest : public test::TJourneyTest, public testing::WithParamInterface<TCrashCase>
{
protected:
    void SetUp() override
    {
        TJourneyTest::SetUp();
        SaveBasket({ QStringLiteral("IMG_0001.JPG"), QStringLiteral("IMG_0002.JPG"),
                       QStringLiteral("IMG_0003.JPG") },
            QStringLiteral("L"));
    }

    // The client, ordering in a process of its own until it kills itself at point.
    void OrderAndDie(const char *point)
    {
        QProcess child;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("KORVATEL_CRASH_AT"), QLatin1String(point));
        env.insert(QLatin1String(kChildHome), home.Path());
        env.insert(QLatin1String(kChildServers), shop->ServersFile());
        child.setProcessEnvironment(env);
        child.setProcessChannelMode(QProcess::ForwardedChannels);
        child.start(QCoreApplication::applicationFilePath(),
            { QStringLiteral("--gtest_also_run_disabled_tests"),
                QStringLiteral("--gtest_filter=OrderCrashChild.DISABLED_OrdersUntilItDies") });
        ASSERT_TRUE(child.waitForFinished(120000));
        ASSERT_EQ(child.exitStatus(), QProcess::CrashExit) << "the child did not die at " << point;
    }

    // The files of the order that the shop received more than once (its status file and the
    // FTP check's test file aside).
    QStringList ReceivedTwice() const
    {
        const std::optional<QByteArray> log = ReadWholeFile(
            QDir(shop->State(QStringLiteral("Root"))).filePath(QStringLiteral("demo-shop.log")));
        QStringList seen, twice;
        for (const QString &line : QString::fromUtf8(log.value_or(QByteArray())).split(u'\n')) {
            const QString file = line.section(QStringLiteral("ftp: received "), 1);
            if (file.isEmpty() || file.endsWith(QStringLiteral("/Sending"))
                || file.endsWith(QStringLiteral("/TESTING.TXT")))
                continue;
            if (seen.contains(file))
                twice << file;
            seen << file;
        }
        return twice;
    }
};

TEST_P(OrderCrashTest, ARestartFinishesTheOrderOnceAndTheHistoryAndBasketAgree)
{
    const TCrashCase crash = GetParam();
    OrderAndDie(crash.point);
    const std::optional<TOrderJournal> journal
        = TOrderJournal::Load(session->Workspace().KorvaDpof());
    ASSERT_TRUE(journal.has_value());
    const QString name = journal->name;
    // Until the restart the history shows the attempt as it was left.
    const QList<TOrderHistRec> before = History();
    ASSERT_EQ(before.size(), 1);
    EXPECT_EQ(before.at(0).interrupted, journal->state == TOrderJournal::jsSending ? 1 : 0);

    // The restart: the customer answers yes, and the thank-you window with Enter.
    session = test::DemoShopSession(home, *shop);
    ASSERT_NE(session, nullptr);
    TScriptedPrompter prompter({ TModalResult::mrYes });
    TOrderWindowsDriver driver;
    const std::unique_ptr<TWebMain> window = OpenWindow(prompter);
    driver.timer.stop();
    EXPECT_EQ(prompter.Texts().value(0),
        journal->state == TOrderJournal::jsSent ? SentOrderQuestion(name)
                                                : InterruptedOrderQuestion(name));
    EXPECT_EQ(prompter.Unexpected(), 0) << prompter.Texts().join(u'\n').toStdString();

    // The shop holds the order once, whole; no file of it went twice.
    EXPECT_EQ(ShopOrders(), QStringList { name });
    EXPECT_EQ(Verdict(name).value(0), QStringLiteral("ACCEPTED"));
    EXPECT_EQ(ReceivedTwice(), QStringList());
    // The history lists it once, as sent; the basket is empty and nothing is pending.
    const QList<TOrderHistRec> after = History();
    ASSERT_EQ(after.size(), 1);
    EXPECT_EQ(after.at(0).sent, 1);
    EXPECT_EQ(after.at(0).interrupted, 0);
    EXPECT_EQ(window->Orders().Count(), 0);
    EXPECT_FALSE(QFile::exists(TOrderJournal::FilePath(session->Workspace().KorvaDpof())));
    // A resent order is thanked for; one sent before the crash was thanked for then.
    EXPECT_EQ(
        driver.seen.contains(QStringLiteral("thanks")), journal->state == TOrderJournal::jsSending);
    EXPECT_EQ(journal->state == TOrderJournal::jsSent, crash.sentBeforeTheCrash);
}

INSTANTIATE_TEST_SUITE_P(EverySendStep, OrderCrashTest,
    testing::Values(TCrashCase { "order-packed", false }, TCrashCase { "order-uploading", false },
        TCrashCase { "order-confirmed", false }, TCrashCase { "order-thanks", true }),
    [](const testing::TestParamInfo<TCrashCase> &info) {
        QString name = QString::fromLatin1(info.param.point);
        name.remove(u'-');
        return name.toStdString();
    });

} // namespace

} // namespace korvatel
