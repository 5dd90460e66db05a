#include "net/server_lookups.h"
#include "net/shop_envelope.h"
#include "platform/clock.h"
#include "platform/prompter.h"
#include "pricing/price_tables.h"
#include "sending/order_host.h"
#include "support/demo_shop.h"
#include "text/cp932.h"
#include "text/scramble.h"
#include "text/sjis_file.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>
#include <gtest/gtest.h>

namespace korvatel
{

namespace
{

using test::TDemoShop;

class TServerLookupsTest : public test::TDemoShopTest
{
protected:
    void SetUp() override
    {
        TDemoShopTest::SetUp();
        config = shop->Config();
    }
    QString Download() const { return download.filePath(QStringLiteral("Download")); }

    TServerConfig config;
    QTemporaryDir download;
};

TEST(TServerConfig, UploadPausesKeepTheirDefaultsUnlessSetWithinBounds)
{
    TServerConfig config = TServerConfig::Defaults();
    EXPECT_EQ(config.uploadPause5, 500);
    EXPECT_EQ(config.uploadPause10, 1000);
    config.Apply({ QStringLiteral("UploadPause5=-1"), QStringLiteral("UploadPause10=1e3") });
    EXPECT_EQ(config.uploadPause5, 500);
    EXPECT_EQ(config.uploadPause10, 1000);
    config.Apply({ QStringLiteral("UploadPause5= 0"), QStringLiteral("UploadPause10=60001") });
    EXPECT_EQ(config.uploadPause5, 0);
    EXPECT_EQ(config.uploadPause10, 1000);
}

TEST(RegistrationReportUrl, OnlyAnHttpsAddressIsEverTaken)
{
    const struct {
        const char *registration;
        QStringList timeServers;
        const char *url; // empty: none
    } cases[] = {
        { "https://r.example/MacUp.php", { "http://t1.example" }, "https://r.example/MacUp.php" },
        { "http://r.example/MacUp.php", { "https://t1.example" }, "" },
        { "", { "http://t1.example", "https://t2.example/" }, "https://t2.example/MacUp.php" },
        { "", { "http://t1.example" }, "" },
    };
    for (const auto &c : cases) {
        TServerConfig config;
        config.registrationUrl = QString::fromLatin1(c.registration);
        config.timeServers = c.timeServers;
        EXPECT_EQ(RegistrationReportUrl(config).value_or(QString()), QString::fromLatin1(c.url))
            << c.registration;
    }
}

TEST_F(TServerLookupsTest, TheDemoShopSendsWithoutPauses)
{
    EXPECT_EQ(config.uploadPause5, 0);
    EXPECT_EQ(config.uploadPause10, 0);
}

TEST_F(TServerLookupsTest, ShopDataComesFromThePrimaryServer)
{
    // A stale per-table file and an old switch must not survive the fetch.
    QDir().mkpath(Download());
    WriteSjisText(QDir(Download()).filePath(QStringLiteral("Charge.ini")), QStringLiteral("old"));
    WriteSjisText(QDir(Download()).filePath(QStringLiteral("Camp.on")), QStringLiteral("ON"));
    QStringList shown;
    const TShopFetch fetch = FetchShopData(
        config, Download(), QStringLiteral("1234"), [&](const QString &s) { shown << s; });
    ASSERT_TRUE(fetch.ok) << fetch.LogText().toStdString();
    EXPECT_EQ(shown, QStringList { QStringLiteral("Primary Server") });
    EXPECT_EQ(fetch.serverBuild, QStringLiteral("2026.12.01.01"));
    EXPECT_TRUE(fetch.serverR);
    EXPECT_EQ(fetch.switches,
        (QStringList {
            QStringLiteral("Hosei.on"), QStringLiteral("Card.on"), QStringLiteral("Http.on") }));
    EXPECT_TRUE(fetch.log.contains(QStringLiteral("LoadNG:Server1.Camp.on")));
    const QDir dir(Download());
    EXPECT_TRUE(dir.exists(QStringLiteral("HostFmt.ini")));
    EXPECT_TRUE(dir.exists(QStringLiteral("Hosei.on")));
    EXPECT_FALSE(dir.exists(QStringLiteral("Camp.on")));
    EXPECT_FALSE(dir.exists(QStringLiteral("Http.on")));
    EXPECT_FALSE(dir.exists(QStringLiteral("Charge.ini")));

    // The price tables read it, and its order host table points at the demo's FTP server.
    TPriceTables tables;
    tables.LoadPriceTables(Download());
    EXPECT_EQ(tables.DefaultSize(), QStringLiteral("L"));
    EXPECT_DOUBLE_EQ(tables.UnitPrice(3, QStringLiteral("2L")), 89);
    const auto hosts = TOrderHostTable::FromLines(tables.OrderHostTable());
    ASSERT_TRUE(hosts);
    EXPECT_EQ(hosts->ImageServer().host, shop->FtpHost());
    EXPECT_EQ(hosts->ImageServer().user, shop->FtpUser());
    TWinFTP ftp;
    EXPECT_TRUE(ftp.LoginRecord(hosts->ImageServer(), false));
}

TEST_F(TServerLookupsTest, OversizedSwitchFilesAreNotSwitches)
{
    const QDir shopFolder(
        shop->State(QStringLiteral("PrimaryDir")) + QStringLiteral("/KorvFmt/1234"));
    const QString mall = shopFolder.filePath(QStringLiteral("Mall.on"));
    QFile big(mall);
    ASSERT_TRUE(big.open(QIODevice::WriteOnly));
    big.write(QByteArray(kSwitchFileCap + 1, 'O'));
    big.close();
    const TShopFetch fetch = FetchShopData(config, Download(), QStringLiteral("1234"));
    QFile::remove(mall);
    ASSERT_TRUE(fetch.ok) << fetch.LogText().toStdString();
    EXPECT_FALSE(fetch.Switch(QStringLiteral("Mall.on")));
    EXPECT_TRUE(fetch.log.contains(QStringLiteral("LoadNG:Server1.Mall.on")));
    EXPECT_FALSE(QFile::exists(QDir(Download()).filePath(QStringLiteral("Mall.on"))));
    EXPECT_TRUE(fetch.Switch(QStringLiteral("Hosei.on")));
}

TEST_F(TServerLookupsTest, AliasesResolveToTheShopId)
{
    EXPECT_EQ(ResolveShopId(config, QStringLiteral("デモ写真館")), QStringLiteral("1234"));
    EXPECT_FALSE(ResolveShopId(config, QStringLiteral("どこにもない店")));
    const TShopFetch byAlias = FetchShopData(config, Download(), QStringLiteral("デモ写真館"));
    EXPECT_TRUE(byAlias.ok);
    EXPECT_EQ(byAlias.shopId, QStringLiteral("1234"));

    const TShopFetch unknown = FetchShopData(config, Download(), QStringLiteral("NoShop"));
    EXPECT_FALSE(unknown.ok);
    EXPECT_TRUE(unknown.log.contains(QStringLiteral("NumericID:Failed(NoShop)")));
    EXPECT_EQ(unknown.log.last(), QStringLiteral("NoneStatus:HostFmt.ini"));
    EXPECT_FALSE(QFile::exists(QDir(Download()).filePath(QStringLiteral("HostFmt.ini"))));

    // An id that is not figures alone never comes out of a server's answer.
    for (const QString &server : { QStringLiteral("PrimaryDir"), QStringLiteral("SecondaryDir") })
        WriteSjisText(shop->State(server) + QStringLiteral("/KorvArias/evil.ini"),
            QStringLiteral("MasterID=../../../etc\r\n"));
    EXPECT_FALSE(ResolveShopId(config, QStringLiteral("evil")));
    for (const QString &server : { QStringLiteral("PrimaryDir"), QStringLiteral("SecondaryDir") })
        QFile::remove(shop->State(server) + QStringLiteral("/KorvArias/evil.ini"));
}

TEST(FetchShopData, SecondaryServesWhenThePrimaryIsDown)
{
    TDemoShop shop({ QStringLiteral("primary") });
    ASSERT_TRUE(shop.Running()) << shop.StartError().toStdString();
    QTemporaryDir home;
    QStringList shown;
    const TShopFetch fetch = FetchShopData(shop.Config(), home.filePath(QStringLiteral("dl")),
        QStringLiteral("1234"), [&](const QString &s) { shown << s; });
    ASSERT_TRUE(fetch.ok);
    EXPECT_EQ(fetch.log.first(), QStringLiteral("ConnectNG:Primary"));
    EXPECT_EQ(fetch.serverBuild, QStringLiteral("2026.12.01.02"));
    EXPECT_EQ(shown,
        (QStringList { QStringLiteral("Primary Server"), QStringLiteral("Secondary Server") }));

    TDemoShop dark({ QStringLiteral("primary"), QStringLiteral("secondary") });
    ASSERT_TRUE(dark.Running());
    const TShopFetch failed
        = FetchShopData(dark.Config(), home.filePath(QStringLiteral("dl")), QStringLiteral("1234"));
    EXPECT_FALSE(failed.ok);
    EXPECT_EQ(failed.LogText(),
        QStringLiteral("ConnectNG:Primary\r\nConnectNG:Secondary\r\nNoneStatus:HostFmt.ini"));
}

// The shop's signed envelope decides what is taken: as signed, the shop's files arrive and the
// envelope is kept; each attack on it is refused with the log saying why.
TEST(FetchShopData, TheSignedEnvelopeDecidesWhatIsTaken)
{
    TDemoShop shop;
    ASSERT_TRUE(shop.Running()) << shop.StartError().toStdString();
    QTemporaryDir home;
    const TServerConfig config = shop.Config();
    ASSERT_FALSE(config.shopDataKey.isEmpty());
    int downloads = 0;
    const auto fetch = [&](const QString &id) {
        return FetchShopData(config, home.filePath(QString::number(++downloads)), id);
    };
    const auto onBoth = [&](const std::function<bool(const QString &)> &change) {
        for (const char *server : { "PrimaryDir", "SecondaryDir" })
            ASSERT_TRUE(
                change(shop.State(QString::fromLatin1(server)) + QStringLiteral("/KorvFmt/")));
    };

    const TShopFetch signed_ = fetch(shop.State(QStringLiteral("ShopAlias")));
    ASSERT_TRUE(signed_.ok) << signed_.LogText().toStdString();
    EXPECT_TRUE(signed_.Switch(QStringLiteral("Card.on")));
    const QString kept = home.filePath(QStringLiteral("1"));
    EXPECT_EQ(LastShopSerial(kept, QStringLiteral("1234")), 5);
    EXPECT_TRUE(TShopTrust::Load(config.shopDataKey, kept, QStringLiteral("1234"))
                    .Accepts(QStringLiteral("HostFmt.ini"),
                        ReadWholeFile(kept + QStringLiteral("/HostFmt.ini")).value_or("")));

    // An unsigned switch is off; a tampered container on the primary sends the fetch on.
    onBoth([](const QString &dir) { return WriteSjisText(dir + "1234/Mall.on", "ON\r\n"); });
    QFile container(shop.State(QStringLiteral("PrimaryDir")) + "/KorvFmt/1234/HostFmt.ini");
    ASSERT_TRUE(container.open(QIODevice::Append) && container.write("FtpHost=evil.example\r\n"));
    container.close();
    const TShopFetch tampered = fetch(QStringLiteral("1234"));
    ASSERT_TRUE(tampered.ok);
    EXPECT_FALSE(tampered.Switch(QStringLiteral("Mall.on")));
    EXPECT_EQ(tampered.serverBuild, QStringLiteral("2026.12.01.02"));
    EXPECT_EQ(tampered.log.filter(QStringLiteral("SignNG")),
        (QStringList { QStringLiteral("SignNG:Server1.HostFmt.ini"),
            QStringLiteral("SignNG:Server2.Mall.on") }));

    // Shop 1234's envelope served as 9999, an older serial than the one seen, an expired one.
    onBoth([](const QString &dir) {
        return QDir().mkpath(dir + "9999")
            && QFile::copy(dir + "1234/ShopEnvelope.ini", dir + "9999/ShopEnvelope.ini")
            && QFile::copy(dir + "1234/ShopEnvelope.ini.sig", dir + "9999/ShopEnvelope.ini.sig")
            && QFile::copy(dir + "1234/HostFmt.ini", dir + "9999/HostFmt.ini");
    });
    EXPECT_EQ(fetch(QStringLiteral("9999")).log.value(0),
        QStringLiteral("ShopIdNG:Server1.ShopEnvelope.ini(1234)"));
    const QString seen = home.filePath(QString::number(downloads + 1));
    ASSERT_TRUE(QDir().mkpath(seen));
    ASSERT_TRUE(WriteSjisText(seen + "/ShopSerial.ini", QStringLiteral("1234=6\r\n")));
    EXPECT_EQ(fetch(QStringLiteral("1234")).log.value(0),
        QStringLiteral("SerialNG:Server1.ShopEnvelope.ini(5)"));
    ASSERT_TRUE(shop.Control(QStringLiteral("envelope_expires=2020-01-01")));
    const TShopFetch expired = fetch(QStringLiteral("1234"));
    EXPECT_FALSE(expired.ok);
    EXPECT_EQ(
        expired.log.value(0), QStringLiteral("ExpiredNG:Server1.ShopEnvelope.ini(2020-01-01)"));

    // A keyed shop that serves no envelope yet starts offline; without a key all is taken.
    onBoth([](const QString &dir) { return QFile::remove(dir + "1234/ShopEnvelope.ini"); });
    EXPECT_EQ(fetch(QStringLiteral("1234")).LogText(),
        QStringLiteral("NoEnvelopeNG:Server1.ShopEnvelope.ini\r\n"
                       "NoEnvelopeNG:Server2.ShopEnvelope.ini\r\nNoneStatus:HostFmt.ini"));
    TServerConfig unkeyed = config;
    unkeyed.shopDataKey.clear();
    EXPECT_TRUE(FetchShopData(unkeyed, home.filePath(QStringLiteral("u")), "1234").ok);
}

TEST(ShopEnvelope, ReadsOnlyWhatFollowsItsRules)
{
    const QByteArray digest(64, 'a');
    const QByteArray head = "Shop=1234\r\nSerial=7\r\nIssued=2026-12-01\r\nExpires=2027-12-01\r\n";
    const std::optional<TShopEnvelope> good
        = ParseShopEnvelope(head + "Alias=demo\nFile=" + digest + " Plates/a.ksp\nLater=1\n");
    ASSERT_TRUE(good);
    EXPECT_EQ(good->serial, 7);
    EXPECT_EQ(good->aliases, QStringList { QStringLiteral("demo") });
    EXPECT_EQ(good->files.value(QStringLiteral("Plates/a.ksp")).toHex(), digest);
    for (const QByteArray &bad : { head + "Shop=1234\n", QByteArray("Shop=1234\nSerial=7\n"),
             head + "File=" + digest + " ../a.ksp\n", head + "File=" + digest + " /a\n",
             head + "File=abc a\n", head + "File=" + digest + " a\nFile=" + digest + " a\n",
             QByteArray(head).replace("2027", "2025"), QByteArray(head).replace("1234", "12a4"),
             QByteArray(head).replace("Serial=7", "Serial=99999999999999999") })
        EXPECT_FALSE(ParseShopEnvelope(bad)) << bad.constData();
}

// The machine's clock is never touched: setClock only records what it was asked.
TEST_F(TServerLookupsTest, CheckClockTellsEqualSlowAndFastClocks)
{
    ASSERT_TRUE(shop->Control(QStringLiteral("time=2026/12/08 10:00:00")));
    EXPECT_EQ(QueryServerTime(config), QDateTime(QDate(2026, 12, 8), QTime(10, 0)));

    QList<QDateTime> setTo;
    const auto setClock = [&](const QDateTime &when) {
        setTo << when;
        return true;
    };
    TFixedClock clock(QDateTime(QDate(2026, 12, 8), QTime(10, 0), Qt::LocalTime).addMSecs(400));
    TScriptedPrompter equal({ TModalResult::mrYes });
    EXPECT_EQ(CheckClock(config, equal, clock, setClock), QStringLiteral("時計は合っています。"));
    EXPECT_TRUE(setTo.isEmpty());
    EXPECT_EQ(equal.Texts(),
        (QStringList { QStringLiteral("マシンの時刻も正しい値に更新しますか？"),
            QStringLiteral("時計は合っています。") }));

    // Ninety-one minutes and five seconds slow, not set.
    clock.Set(QDateTime(QDate(2026, 12, 8), QTime(8, 28, 55)));
    TScriptedPrompter slow({ TModalResult::mrNo });
    EXPECT_EQ(CheckClock(config, slow, clock, setClock),
        QStringLiteral("-01:31:05\r\n時計は遅れています。"));
    EXPECT_TRUE(setTo.isEmpty());

    // Twelve seconds fast, set.
    clock.Set(QDateTime(QDate(2026, 12, 8), QTime(10, 0, 12)));
    TScriptedPrompter fast({ TModalResult::mrYes });
    EXPECT_EQ(CheckClock(config, fast, clock, setClock),
        QStringLiteral("+00:00:12\r\n時計は進んでいました。\r\n\r\n現在時刻 2026/12/08 10:00:00"));
    EXPECT_EQ(setTo, QList<QDateTime> { QDateTime(QDate(2026, 12, 8), QTime(10, 0)) });

    // A refused setting of the clock is told as not set.
    TScriptedPrompter refused({ TModalResult::mrYes });
    EXPECT_EQ(CheckClock(config, refused, clock, [](const QDateTime &) { return false; }),
        QStringLiteral("+00:00:12\r\n時計は進んでいます。"));

    TScriptedPrompter cancel({ TModalResult::mrCancel });
    EXPECT_TRUE(CheckClock(config, cancel, clock, setClock).isEmpty());
    EXPECT_EQ(cancel.Shown().size(), 1);

    TServerConfig noTime = config;
    noTime.timeServers = { QStringLiteral("http://127.0.0.1:1") };
    QString error;
    EXPECT_FALSE(QueryServerTime(noTime, &error));
    EXPECT_EQ(error, QStringLiteral("ArenaTime Faild."));
    TScriptedPrompter down({ TModalResult::mrYes });
    EXPECT_EQ(CheckClock(noTime, down, clock, setClock),
        QStringLiteral("タイムサーバの接続に失敗しました。\r\n\r\n失敗しました"));
}

TEST_F(TServerLookupsTest, VersionListStatesAndNewerVersions)
{
    QStringList list;
    QString message;
    EXPECT_EQ(FetchVersionList(config, QStringLiteral("1.00"), list, message), 2);
    EXPECT_EQ(message, QStringLiteral("最新版サービスは稼動中です。"));
    EXPECT_TRUE(list.isEmpty()); // nothing newer than 1.00
    EXPECT_EQ(FetchVersionList(config, QStringLiteral("0.91"), list, message), 2);
    EXPECT_EQ(list,
        (QStringList { QStringLiteral("0.95=日付の写し込みを追加"),
            QStringLiteral("1.00=インターネット注文に対応") }));

    ASSERT_TRUE(shop->Control(QStringLiteral("versions=FALSE")));
    EXPECT_EQ(FetchVersionList(config, QStringLiteral("1.00"), list, message), 1);
    ASSERT_TRUE(shop->Control(QStringLiteral("versions=STOP")));
    EXPECT_EQ(FetchVersionList(config, QStringLiteral("1.00"), list, message), 0);
    EXPECT_EQ(message, QStringLiteral("現在、最新版サービスは休止しています。"));

    TServerConfig down = config;
    down.versionUrl = QStringLiteral("http://127.0.0.1:1");
    EXPECT_EQ(FetchVersionList(down, QStringLiteral("1.00"), list, message), -1);
    EXPECT_TRUE(message.startsWith(QStringLiteral("サーバーに接続できませんでした。\r\n\r\n")));
}

TEST_F(TServerLookupsTest, HostedScriptsAndCampusLookup)
{
    const QString base = config.campusUrl;
    EXPECT_TRUE(HostedScriptsAlive({}, base));
    EXPECT_EQ(HostedTextFile({}, base, QStringLiteral("/campus/none.ini")),
        QStringList { QStringLiteral("NONE") });
    EXPECT_TRUE(HostedFileExists({}, base, QStringLiteral("/campus/shop.1234/campus_ok")));
    EXPECT_FALSE(HostedFileExists({}, base, QStringLiteral("/campus/../../primary")));

    // The lists are taken as the shop's envelope names them, and not without it.
    ASSERT_TRUE(FetchShopData(config, Download(), QStringLiteral("1234")).ok);
    const TShopTrust trust
        = TShopTrust::Load(config.shopDataKey, Download(), QStringLiteral("1234"));
    EXPECT_FALSE(CampusLookup(config, QStringLiteral("1234"),
        TShopTrust::Load(
            config.shopDataKey, download.filePath(QStringLiteral("none")), QStringLiteral("1234")))
                     .ok);
    const TCampusLookup campus = CampusLookup(config, QStringLiteral("1234"), trust);
    ASSERT_TRUE(campus.ok);
    EXPECT_EQ(campus.cost.first(), QStringLiteral("<CHARGE>"));
    EXPECT_TRUE(campus.campusOk);
    EXPECT_FALSE(campus.busy);
    EXPECT_FALSE(campus.editing);
    EXPECT_FALSE(campus.masterPrices.isEmpty());
    EXPECT_TRUE(campus.customPrices.isEmpty());
    EXPECT_FALSE(campus.payments.isEmpty());

    TServerConfig elsewhere = config;
    elsewhere.campusRoot = QStringLiteral("/nothing");
    EXPECT_FALSE(CampusLookup(elsewhere, QStringLiteral("1234"), trust).ok);
}

} // namespace

} // namespace korvatel

namespace korvatel
{

namespace
{

// The demo shop's side of an order: its receiver checks a completed order against the entry
// file, the finishing script completes an order, the member page checks credentials.
TEST_F(TServerLookupsTest, DemoShopReceiverChecksCompletedOrders)
{
    const QString host = shop->FtpHost(), user = shop->FtpUser(), pass = shop->FtpPassword();
    const QString good = QStringLiteral("20261208-103000123-0312345678-demo");
    const QString bad = QStringLiteral("20261208-103000124-0312345678-demo");
    TWinFTP ftp;
    ASSERT_TRUE(ftp.Login(host, user, pass, false));
    ASSERT_TRUE(ftp.SetDir(QStringLiteral("/order/") + good + QStringLiteral("/$IMG_PRN"), true));
    ASSERT_TRUE(ftp.PutText(QStringLiteral("12345"), QStringLiteral("写真＝1.jpg")));
    ASSERT_TRUE(ftp.SetDir(QStringLiteral("/order/") + bad + QStringLiteral("/$IMG_PRN"), true));
    ASSERT_TRUE(ftp.PutText(QStringLiteral("1234"), QStringLiteral("b.jpg")));
    for (const QString &order : { good, bad }) {
        const QString picture
            = order == good ? QStringLiteral("写真＝1.jpg") : QStringLiteral("b.jpg");
        ASSERT_TRUE(ftp.PutText(
            QStringList { QStringLiteral("注文番号=1234-") + order, QStringLiteral("<files>"),
                order + QStringLiteral("/$IMG_PRN/") + picture + QStringLiteral("=5"),
                QStringLiteral("<end>") },
            QStringLiteral("/order/message/") + order + QStringLiteral(".etr")));
    }
    ASSERT_TRUE(ftp.PutText(
        QStringLiteral("Complite"), QStringLiteral("/order/") + good + QStringLiteral("/Sending")));

    TWinHTTP http;
    ASSERT_TRUE(http.Connect(shop->ServiceUrl()));
    QStringList answer;
    ASSERT_TRUE(http.GetUrlStrings(answer,
        QStringLiteral("/tamsel_php/korv_finish.php?dir=") + bad + QStringLiteral("&comp=true")));
    EXPECT_EQ(answer, QStringList { QStringLiteral("OK") });

    const QDir receiver(shop->State(QStringLiteral("ReceiverDir")));
    QStringList verdicts;
    for (int i = 0; i < 50 && verdicts.size() < 2; ++i) {
        QThread::msleep(100);
        verdicts = receiver.entryList({ QStringLiteral("*.txt") }, QDir::Files, QDir::Name);
    }
    ASSERT_EQ(verdicts.size(), 2);
    const auto verdict = [&](const QString &order) {
        return ReadSjisLines(receiver.filePath(order + QStringLiteral(".txt")))
            .value_or(QStringList());
    };
    EXPECT_EQ(verdict(good).value(0), QStringLiteral("ACCEPTED"));
    EXPECT_EQ(verdict(bad).value(0), QStringLiteral("REJECTED 1"));

    ASSERT_TRUE(http.GetUrlStrings(answer,
        QStringLiteral("/member/auth.php?id=member01&pass=") + Scramble(QStringLiteral("pass01"))));
    EXPECT_EQ(answer, QStringList { QStringLiteral("OK") });
    ASSERT_TRUE(http.GetUrlStrings(answer, QStringLiteral("/member/auth.php?id=member01&pass=x")));
    EXPECT_EQ(answer, QStringList { QStringLiteral("NG") });
}

} // namespace

} // namespace korvatel
