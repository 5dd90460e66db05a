#include "app/client_session.h"
#include "app/online_start.h"
#include "customer/user_record.h"
#include "demo_session.h"
#include "platform/clock.h"
#include "platform/prompter.h"
#include "support/app_home.h"
#include "support/demo_shop.h"
#include "text/sjis_file.h"

#include <QDir>
#include <QFileInfo>
#include <gtest/gtest.h>

namespace korvatel
{

namespace
{

using test::TAppHome;
using test::TDemoShop;

class TStartWindows : public TStartDialogs
{
public:
    QStringList failures;
    TStartNoticeAnswer ShowStartNotice(const TStartNotice &) override { return { true, false }; }
    bool ShowStartFailure(const QString &errorStatus) override
    {
        failures << errorStatus;
        return true;
    }
};

using test::ShopEntry;

// A start of shop 1234 against a demo shop: the session as the main window would get it.
struct TOnlineStart {
    explicit TOnlineStart(const TDemoShop &shop)
        : source(shop.Config())
    {
        TWorkspace workspace = home.Workspace();
        const TStartupResult startup = RunStartup(ShopEntry(), workspace, windows, source, clock);
        session = std::make_unique<TClientSession>(std::move(workspace), ShopEntry(), startup);
        session->LoadAtCreation();
    }
    TAppHome home;
    TStartWindows windows;
    TServerShopData source;
    TFixedClock clock { QDateTime::currentDateTime() };
    std::unique_ptr<TClientSession> session;
};

TEST(OnlineStart, ShopDataArrivesAndTheWindowReadsIt)
{
    TDemoShop shop;
    ASSERT_TRUE(shop.Running()) << shop.StartError().toStdString();
    TOnlineStart start(shop);
    EXPECT_TRUE(start.session->Online());
    EXPECT_TRUE(start.windows.failures.isEmpty());
    EXPECT_TRUE(start.session->ShopOffersCorrection());
    EXPECT_EQ(start.session->PriceTables.DefaultSize(), QStringLiteral("L"));
    // The demo shop names its index kind: "CdrNdxType=nxJPG".
    EXPECT_EQ(start.session->ShopOptions.CdrNdxType, nxJPG);
    EXPECT_EQ(start.session->ShopOptions.Shop, QStringLiteral("デモ写真館 八王子店"));
    EXPECT_TRUE(start.source.LastFetch().Switch(QStringLiteral("Http.on")));
    // The fetch deletes the file of the HTTP switch; the session knows it from the start.
    EXPECT_TRUE(start.session->ShopAllowsHttp());
}

TEST(OnlineStart, FirstStartOfTheDayReportsTheCustomerToTheShop)
{
    TDemoShop shop;
    ASSERT_TRUE(shop.Running()) << shop.StartError().toStdString();
    TAppHome home;
    {
        TUserRecord user;
        user.SetValue(QStringLiteral("Name"), QStringLiteral("山田太郎"));
        user.SetValue(QStringLiteral("Tel1"), QStringLiteral("0426-00-0000"));
        const QString file = home.Workspace().UserFile();
        ASSERT_TRUE(QDir().mkpath(QFileInfo(file).path()));
        ASSERT_TRUE(user.SaveToFile(file));
    }
    TStartWindows windows;
    TServerShopData source(shop.Config());
    TFixedClock clock { QDateTime::currentDateTime() };
    TWorkspace workspace = home.Workspace();
    const TStartupResult first = RunStartup(ShopEntry(), workspace, windows, source, clock);
    ASSERT_TRUE(first.runRegistrationReport);
    TClientSession session(std::move(workspace), ShopEntry(), first);
    session.LoadAtCreation();

    const QStringList lines = RegistrationReportLines(session, home.folders, clock);
    ASSERT_EQ(lines.size(), 4); // Id, Name, Tel and MachineID
    EXPECT_TRUE(lines[0].startsWith(QStringLiteral("Id=1234;")));
    EXPECT_TRUE(lines[1].startsWith(QStringLiteral("Name=*")));
    const QString url = RegistrationReportUrl(shop.Config()).value_or(QString());
    EXPECT_TRUE(ReportRegistration(shop.Config().Transport(), url, lines));
    const std::optional<QByteArray> recorded = ReadWholeFile(
        QDir(shop.State(QStringLiteral("Root"))).filePath(QStringLiteral("registrations.txt")));
    ASSERT_TRUE(recorded.has_value());
    const QString text = QString::fromUtf8(*recorded);
    EXPECT_EQ(text.count(u'\n'), 1);
    EXPECT_TRUE(text.contains(QStringLiteral("Id=1234;"))) << text.toStdString();
    EXPECT_TRUE(text.contains(lines[3])) << text.toStdString();

    // A second start on the same day does not report again.
    TWorkspace again = home.Workspace();
    EXPECT_FALSE(RunStartup(ShopEntry(), again, windows, source, clock).runRegistrationReport);

    // Without customer data there is nothing to report, and a shop that refuses the report
    // gives false.
    session.User = TUserRecord();
    EXPECT_TRUE(RegistrationReportLines(session, home.folders, clock).isEmpty());
    EXPECT_FALSE(ReportRegistration(shop.Config().Transport(), url, { QStringLiteral("Name=*x") }));
}

TEST(OnlineStart, UnreachableServersOpenTheStartFailureWindow)
{
    TDemoShop shop({ QStringLiteral("primary"), QStringLiteral("secondary") });
    ASSERT_TRUE(shop.Running());
    TOnlineStart start(shop);
    EXPECT_FALSE(start.session->Online());
    EXPECT_EQ(start.windows.failures,
        QStringList {
            QStringLiteral("ConnectNG:Primary\r\nConnectNG:Secondary\r\nNoneStatus:HostFmt.ini") });
}

TEST(OnlineStart, TamperedShopDataGivesAnOfflineStart)
{
    TDemoShop shop;
    ASSERT_TRUE(shop.Running());
    for (const char *server : { "PrimaryDir", "SecondaryDir" }) {
        QFile container(QDir(shop.State(QString::fromLatin1(server)))
                            .filePath(QStringLiteral("KorvFmt/1234/HostFmt.ini")));
        ASSERT_TRUE(container.open(QIODevice::Append));
        container.write("FtpHost=evil.example\r\n");
    }
    TOnlineStart start(shop);
    EXPECT_FALSE(start.session->Online());
    ASSERT_EQ(start.windows.failures.size(), 1);
    EXPECT_EQ(
        start.windows.failures[0].split(QStringLiteral("\r\n")).filter(QStringLiteral("HostFmt")),
        (QStringList { QStringLiteral("SignNG:Server1.HostFmt.ini"),
            QStringLiteral("SignNG:Server2.HostFmt.ini"),
            QStringLiteral("NoneStatus:HostFmt.ini") }));
}

TEST(OnlineStart, VersionGateAsksItsTwoQuestionsAndDownloads)
{
    TDemoShop shop;
    ASSERT_TRUE(shop.Running());
    TOnlineStart start(shop);
    ASSERT_TRUE(start.session->Online());
    const TServerConfig config = shop.Config();
    // The demo offers version 1.00, build 2026.01.01.01, as ".../Korvatel/Korvatel1234", and
    // serves it signed from its HTTPS update folder.
    const QString served = QDir(shop.State(QStringLiteral("ServiceDir")))
                               .filePath(QStringLiteral("Korvatel/Korvatel1234"));
    QStringList started;
    const auto starter = [&](const QString &program) {
        started << program;
        return true;
    };
    const QStringList keys = test::DemoReleaseKeys(); // what the demo's releases are signed with

    // An older version must download and end.
    TScriptedPrompter forced;
    EXPECT_TRUE(ApplyVersionGate(*start.session, config,
        { QStringLiteral("0.99"), QStringLiteral("2026.12.08.01"), QStringLiteral("Korvatel1234") },
        start.home.folders, forced, starter, keys));
    EXPECT_EQ(forced.Texts(),
        QStringList {
            QStringLiteral("注文ソフトのVersionが変わりました。新Ver 1.00\r\n\r\n現Ver 0.99 "
                           "では継続できません。ダウンロードして再起動します。") });
    ASSERT_EQ(started.size(), 1);
    EXPECT_EQ(QFileInfo(started[0]).fileName(), QStringLiteral("Korvatel1234"));
    EXPECT_TRUE(started[0].startsWith(NewProgramStagingParent(start.home.folders) + u'/'));
    EXPECT_EQ(ReadWholeFile(started[0]), ReadWholeFile(served));
    EXPECT_TRUE(QFileInfo(started[0]).isExecutable());

    // An older build is offered; No keeps this program.
    const TProgramVersion olderBuild { QStringLiteral("1.00"), QStringLiteral("2025.11.30.01"),
        QStringLiteral("Korvatel1234.AppImage") };
    TScriptedPrompter declined({ TModalResult::mrNo });
    EXPECT_FALSE(ApplyVersionGate(
        *start.session, config, olderBuild, start.home.folders, declined, starter, keys));
    EXPECT_EQ(declined.Texts(),
        QStringList {
            QStringLiteral("新しい注文ソフトがあります。ダウンロードしますか？\r\n\r\nUpDate : "
                           "現 2025.11.30.01　⇒　新 2026.01.01.01") });
    EXPECT_EQ(started.size(), 1);

    // Yes downloads; when the server has lost the program, the failure is told and the program
    // goes on.
    TScriptedPrompter accepted({ TModalResult::mrYes });
    EXPECT_TRUE(ApplyVersionGate(
        *start.session, config, olderBuild, start.home.folders, accepted, starter, keys));
    EXPECT_EQ(started.size(), 2);

    QFile::remove(served);
    TScriptedPrompter missing({ TModalResult::mrYes });
    EXPECT_FALSE(ApplyVersionGate(
        *start.session, config, olderBuild, start.home.folders, missing, starter, keys));
    EXPECT_EQ(missing.Texts().last(),
        QStringLiteral("失敗しました。再挑戦するかホームページからダウンロードして下さい。"));
    EXPECT_EQ(started.size(), 2);

    // A program of another name is left alone.
    TScriptedPrompter other;
    EXPECT_FALSE(ApplyVersionGate(*start.session, config,
        { QStringLiteral("0.10"), QStringLiteral("2020.01.01.01"), QStringLiteral("Korvatel9999") },
        start.home.folders, other, starter, keys));
    EXPECT_TRUE(other.Shown().isEmpty());
}

TEST(OnlineStart, MenuVersionCheckTellsTheServiceStateThenAppliesTheGate)
{
    TDemoShop shop;
    ASSERT_TRUE(shop.Running());
    TOnlineStart start(shop);
    ASSERT_TRUE(start.session->Online());
    const TProgramVersion current { QStringLiteral("1.00"), QStringLiteral("2026.01.01.01"),
        QStringLiteral("Korvatel1234") };
    QStringList started;
    const auto starter = [&](const QString &program) {
        started << program;
        return true;
    };
    const QStringList keys = test::DemoReleaseKeys(); // what the demo's releases are signed with

    // Nothing newer: the state alone, and the gate stays quiet.
    TScriptedPrompter upToDate;
    EXPECT_FALSE(CheckVersionFromMenu(
        shop.Config(), *start.session, current, start.home.folders, upToDate, starter, keys));
    EXPECT_EQ(upToDate.Texts(), QStringList { QStringLiteral("最新版サービスは稼動中です。") });

    // An older program hears of the newer versions, then the gate downloads and ends it.
    TScriptedPrompter older;
    EXPECT_TRUE(CheckVersionFromMenu(shop.Config(), *start.session,
        { QStringLiteral("0.95"), QStringLiteral("2025.01.01.01"), QStringLiteral("Korvatel1234") },
        start.home.folders, older, starter, keys));
    ASSERT_EQ(older.Texts().size(), 2);
    EXPECT_EQ(older.Texts()[0],
        QStringLiteral("最新版サービスは稼動中です。\r\n\r\n1.00=インターネット注文に対応"));
    EXPECT_EQ(started.size(), 1);

    // While the service is being updated, only its message.
    ASSERT_TRUE(shop.Control(QStringLiteral("versions=FALSE")));
    TScriptedPrompter updating;
    EXPECT_FALSE(CheckVersionFromMenu(shop.Config(), *start.session,
        { QStringLiteral("0.95"), QStringLiteral("2025.01.01.01"), QStringLiteral("Korvatel1234") },
        start.home.folders, updating, starter, keys));
    EXPECT_EQ(updating.Texts(),
        QStringList { QStringLiteral("現在、最新版サービスの更新(変更･修正)作業中です。"
                                     "時間を置いて再接続してください。") });
    EXPECT_EQ(started.size(), 1);
}

} // namespace

} // namespace korvatel
