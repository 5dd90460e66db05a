#include "app/client_session.h"
#include "app/startup.h"
#include "app/version_gate.h"
#include "platform/clock.h"
#include "platform/prompter.h"
#include "support/app_home.h"
#include "text/cp932.h"
#include "text/sjis_file.h"
#include "version.h"

#include <QDir>
#include <QFileInfo>
#include <gtest/gtest.h>

namespace korvatel
{

using test::TAppHome;

namespace
{

// Answers the two start windows from a script and records what they were shown.
class TScriptedStartDialogs : public TStartDialogs
{
public:
    TStartNoticeAnswer noticeAnswer { true, false };
    bool continueOffline = true;
    QList<TStartNotice> notices;
    QStringList failures;

    TStartNoticeAnswer ShowStartNotice(const TStartNotice &notice) override
    {
        notices << notice;
        return noticeAnswer;
    }
    bool ShowStartFailure(const QString &errorStatus) override
    {
        failures << errorStatus;
        return continueOffline;
    }
};

class TFakeShopServer : public TShopDataSource
{
public:
    bool works = true;
    QStringList asked;
    bool FetchShopData(
        const QString &shopId, const QString &downloadDir, QString &errorStatus) override
    {
        asked << shopId + u'>' + downloadDir;
        if (!works)
            errorStatus = QStringLiteral("  ConnectNG:Primary\r\n");
        return works;
    }
};

TEntryResult Entry(const QString &shopId, bool fromArgument = false, bool tabShop = false)
{
    TEntryResult entry;
    entry.proceed = true;
    entry.shopId = shopId;
    entry.shopIdFromArgument = fromArgument;
    entry.tabShop = tabShop;
    return entry;
}

class StartupTest : public ::testing::Test
{
protected:
    TAppHome home;
    TWorkspace workspace = home.Workspace();
    TScriptedStartDialogs dialogs;
    TFakeShopServer server;
    TFixedClock clock { QDateTime::currentDateTime() }; // LastShop.ini carries the real date
};

} // namespace

TEST_F(StartupTest, FirstStartShowsTheNoticeAndGoesOnline)
{
    const TStartupResult result
        = RunStartup(Entry(QStringLiteral("1234")), workspace, dialogs, server, clock);
    EXPECT_TRUE(result.proceed);
    EXPECT_TRUE(result.online);
    EXPECT_TRUE(result.fresh);
    EXPECT_FALSE(result.previousStart.has_value());
    ASSERT_EQ(dialogs.notices.size(), 1);
    EXPECT_EQ(dialogs.notices[0].shopId, QStringLiteral("1234"));
    EXPECT_EQ(dialogs.notices[0].version, QString::fromUtf8(kProgramVersion));
    EXPECT_EQ(dialogs.notices[0].build, QString::fromUtf8(kBuildStamp));
    EXPECT_TRUE(dialogs.failures.isEmpty());
    EXPECT_EQ(server.asked, QStringList({ QStringLiteral("1234>") + workspace.Download() }));
    EXPECT_EQ(ReadLastShop(workspace.LastShopPath()).shopId, QStringLiteral("1234"));
    EXPECT_FALSE(result.runRegistrationReport); // no customer record yet
}

TEST_F(StartupTest, TickedBoxSilencesTheNoticeAndAShopFromTheCommandLineSkipsIt)
{
    dialogs.noticeAnswer = { true, true };
    RunStartup(Entry(QStringLiteral("1234")), workspace, dialogs, server, clock);
    EXPECT_TRUE(QFileInfo::exists(workspace.SysData() + QStringLiteral("/Ignore")));
    RunStartup(Entry(QStringLiteral("1234")), workspace, dialogs, server, clock);
    EXPECT_EQ(dialogs.notices.size(), 1);

    QFile::remove(workspace.SysData() + QStringLiteral("/Ignore"));
    RunStartup(Entry(QStringLiteral("1234"), true), workspace, dialogs, server, clock);
    EXPECT_EQ(dialogs.notices.size(), 1);
}

TEST_F(StartupTest, ClosingTheNoticeEndsBeforeTheShopDataIsFetched)
{
    dialogs.noticeAnswer = { false, true };
    const TStartupResult result
        = RunStartup(Entry(QStringLiteral("1234")), workspace, dialogs, server, clock);
    EXPECT_FALSE(result.proceed);
    EXPECT_TRUE(server.asked.isEmpty());
    EXPECT_FALSE(QFileInfo::exists(workspace.SysData() + QStringLiteral("/Ignore")));
}

TEST_F(StartupTest, FailedFetchOffersOfflineOrEnd)
{
    server.works = false;
    TStartupResult result
        = RunStartup(Entry(QStringLiteral("1234"), true), workspace, dialogs, server, clock);
    EXPECT_TRUE(result.proceed);
    EXPECT_FALSE(result.online);
    EXPECT_EQ(dialogs.failures, QStringList({ QStringLiteral("ConnectNG:Primary") }));

    dialogs.continueOffline = false;
    result = RunStartup(Entry(QStringLiteral("1234"), true), workspace, dialogs, server, clock);
    EXPECT_FALSE(result.proceed);

    TNoShopServer none;
    QString status;
    EXPECT_FALSE(none.FetchShopData(QStringLiteral("1"), workspace.Download(), status));
    EXPECT_FALSE(status.isEmpty());
}

TEST_F(StartupTest, RegistrationReportOncePerDayOrWithCtrlButNotWithTabShop)
{
    RunStartup(Entry(QStringLiteral("1234"), true), workspace, dialogs, server, clock);
    ASSERT_TRUE(home.Write(QStringLiteral("Korvatel/User"), "customer"));
    // LastShop.ini was written today: no report unless Ctrl is held.
    TStartupResult result
        = RunStartup(Entry(QStringLiteral("1234"), true), workspace, dialogs, server, clock);
    EXPECT_FALSE(result.runRegistrationReport);
    result
        = RunStartup(Entry(QStringLiteral("1234"), true), workspace, dialogs, server, clock, true);
    EXPECT_TRUE(result.runRegistrationReport);
    clock.Advance(24 * 3600 * 1000LL);
    result = RunStartup(Entry(QStringLiteral("1234"), true), workspace, dialogs, server, clock);
    EXPECT_TRUE(result.runRegistrationReport);

    clock.Advance(24 * 3600 * 1000LL);
    result = RunStartup(
        Entry(QStringLiteral("1234"), true, true), workspace, dialogs, server, clock, true);
    EXPECT_TRUE(result.openShopTab);
    EXPECT_FALSE(result.runRegistrationReport);

    server.works = false;
    result
        = RunStartup(Entry(QStringLiteral("1234"), true), workspace, dialogs, server, clock, true);
    EXPECT_FALSE(result.runRegistrationReport);
}

TEST_F(StartupTest, SessionSavesAtShutdownAndCleansUpAsOptionIniSays)
{
    TStartupResult startup
        = RunStartup(Entry(QStringLiteral("1234"), true), workspace, dialogs, server, clock);
    ASSERT_TRUE(home.Write(QStringLiteral("Korvatel/SysData/Option.ini"),
        "CloseDelThumb\r\nCloseDelDateList\r\nBMP\r\n"));
    ASSERT_TRUE(home.Write(QStringLiteral("Korvatel/Works/a.small.jpg"), "x"));
    ASSERT_TRUE(home.Write(QStringLiteral("Korvatel/Tree/DateData.ini"), "x"));

    TClientSession session(workspace, Entry(QStringLiteral("1234"), true), startup);
    session.LoadAtCreation();
    EXPECT_TRUE(QFileInfo::exists(
        workspace.Works() + QStringLiteral("/a.small.jpg"))); // named rule: not emptied at once
    session.State.ListDeSort = true;
    QStringList order;
    session.Shutdown({ [&order] { order << QStringLiteral("memory"); },
        [&order, &session] {
            order << QStringLiteral("tree");
            session.NodeExp.Focus = QStringLiteral("7月(3)");
        } });
    EXPECT_EQ(order, QStringList({ QStringLiteral("memory"), QStringLiteral("tree") }));
    EXPECT_TRUE(
        ReadSjisLines(session.StatePath()).value().contains(QStringLiteral("ListDeSort=TRUE")));
    EXPECT_EQ(ReadSjisLines(session.NodeExpPath()).value(),
        QStringList({ QStringLiteral("Forcus=7月") }));
    EXPECT_TRUE(QFileInfo::exists(session.Option2Path()));
    EXPECT_TRUE(QDir(workspace.Works()).isEmpty());
    EXPECT_FALSE(QFileInfo::exists(workspace.Tree()));

    // A second session restores the state.
    TClientSession next(workspace, Entry(QStringLiteral("1234"), true), startup);
    next.LoadAtCreation();
    EXPECT_EQ(next.State.ListDirection(), -1);
    EXPECT_TRUE(next.Option.Bmp);
}

TEST_F(StartupTest, TheBasketGoesThroughTheShutdownAndComesBack)
{
    TStartupResult startup
        = RunStartup(Entry(QStringLiteral("1234"), true), workspace, dialogs, server, clock);
    ASSERT_TRUE(home.Write(QStringLiteral("Korvatel/Download/HostFmt.ini"),
        ":>SIZENAME\r\nL\r\n:>END\r\n:>USEDSIZE\r\n*D\r\n:>END\r\n"));
    TClientSession session(workspace, Entry(QStringLiteral("1234"), true), startup);
    session.LoadAtCreation();
    TCampusPriceLists campus;
    TThumbNails list;
    EXPECT_EQ(session.LoadOrderMemory(list, campus), 0);
    ASSERT_TRUE(home.Write(QStringLiteral("p/a.jpg"), "x"));
    list.AddPicture(1, home.FilePath(QStringLiteral("p/a.jpg")), false, 2, QString());
    session.Shutdown({ session.SaveOrderMemoryHook(list), {} });
    EXPECT_TRUE(QFileInfo::exists(workspace.SysData() + QStringLiteral("/OrderMemory")));

    TThumbNails next;
    EXPECT_EQ(session.LoadOrderMemory(next, campus), 1);
    EXPECT_EQ(next.Item(0)->Orders, QStringList { QStringLiteral("L=2") });
    EXPECT_EQ(next.Item(0)->ThumbnailPath.left(workspace.Works().size()), workspace.Works());
}

TEST_F(StartupTest, MovedSessionSavesNothingAndACdStartFolderWins)
{
    TStartupResult startup
        = RunStartup(Entry(QStringLiteral("1234"), true), workspace, dialogs, server, clock);
    TEntryResult entry = Entry(QStringLiteral("1234"), true);
    entry.startFolder = QStringLiteral("/media/cd/photos");
    ASSERT_TRUE(home.Write(QStringLiteral("Korvatel/SysData/State.ini"), "LastDir=/old\r\n"));
    TClientSession session(workspace, entry, startup);
    session.LoadAtCreation();
    EXPECT_EQ(session.State.LastDir, QStringLiteral("/media/cd/photos"));
    session.SetMoved();
    bool memorySaved = false;
    session.Shutdown({ [&memorySaved] { memorySaved = true; }, {} });
    EXPECT_FALSE(memorySaved);
    EXPECT_EQ(ReadSjisLines(session.StatePath()).value(),
        QStringList({ QStringLiteral("LastDir=/old") }));

    TScriptedPrompter prompter;
    EXPECT_TRUE(session.RefuseWhenOffline(
                    prompter, QStringLiteral("OFF-LINEです。注文内容は変更できません。"))
        == !session.Online());
}

TEST_F(StartupTest, OptionIniWithoutThumbnailWordsEmptiesTheCacheWhenRead)
{
    TStartupResult startup
        = RunStartup(Entry(QStringLiteral("1234"), true), workspace, dialogs, server, clock);
    ASSERT_TRUE(home.Write(QStringLiteral("Korvatel/SysData/Option.ini"), "JPG\r\n"));
    ASSERT_TRUE(home.Write(QStringLiteral("Korvatel/Works/a.small.jpg"), "x"));
    TClientSession session(workspace, Entry(QStringLiteral("1234"), true), startup);
    session.LoadAtCreation();
    EXPECT_TRUE(QDir(workspace.Works()).isEmpty());
    session.Shutdown({});
    EXPECT_FALSE(QFileInfo::exists(session.OptionPath()));
}

TEST_F(StartupTest, SessionTakesShopOptionsAndOfferedSizesFromTheShopData)
{
    TStartupResult startup
        = RunStartup(Entry(QStringLiteral("1234"), true), workspace, dialogs, server, clock);
    ASSERT_TRUE(home.Write(QStringLiteral("Korvatel/Download/HostFmt.ini"),
        ToCp932(QStringLiteral(":>OPTION\r\nThumbColCount=5\r\n_SHOP_=コルバ写真館\r\n:>END\r\n"
                               ":>SIZENAME\r\nL\r\n2L\r\nKG\r\n:>END\r\n"
                               ":>USEDSIZE\r\nD\r\n*D\r\n*D\r\n:>END\r\n"))));
    ASSERT_TRUE(home.Write(
        QStringLiteral("Korvatel/SysData/Default.ini"), "DefSize=L\r\nDefNoHosei=TRUE\r\n"));
    TClientSession session(workspace, Entry(QStringLiteral("1234"), true), startup);
    session.LoadAtCreation();
    EXPECT_EQ(session.ShopOptions.ThumbColCount, 5);
    EXPECT_EQ(session.ShopOptions.Shop, QStringLiteral("コルバ写真館"));
    EXPECT_EQ(
        session.Defaults.DefSize, QStringLiteral("2L")); // L is not offered in the size choice
    EXPECT_FALSE(session.Defaults.DefNoHosei); // the shop offers no automatic correction

    ASSERT_TRUE(home.Write(QStringLiteral("Korvatel/Download/Hosei.on"), ""));
    TClientSession corrected(workspace, Entry(QStringLiteral("1234"), true), startup);
    corrected.LoadAtCreation();
    EXPECT_TRUE(corrected.Defaults.DefNoHosei);
}

TEST(VersionGate, DecisionByNameVersionAndBuild)
{
    const TProgramVersion own { QStringLiteral("1.00"), QStringLiteral("2026.12.08.01"),
        QStringLiteral("Korvatel1234") };
    auto server = [](const char *version, const char *build, const char *file) {
        return TProgramVersion { QString::fromLatin1(version), QString::fromLatin1(build),
            QString::fromLatin1(file) };
    };
    EXPECT_EQ(
        VersionGateDecision(own, server("1.10", "2026.12.08.01", "http://h/d/Korvatel1234.exe")),
        TVersionGate::vgForced);
    EXPECT_EQ(VersionGateDecision(own, server("1.00", "2026.12.09.01", "korvatel1234")),
        TVersionGate::vgOffer);
    EXPECT_EQ(VersionGateDecision(own, server("1.00", "2026.12.08.01", "Korvatel1234")),
        TVersionGate::vgNone);
    // The build is compared whenever the version is not older, even when it is newer.
    EXPECT_EQ(VersionGateDecision(own, server("0.99", "2027.01.01.01", "Korvatel1234")),
        TVersionGate::vgOffer);
    EXPECT_EQ(VersionGateDecision(own, server("0.99", "2026.01.01.01", "Korvatel1234")),
        TVersionGate::vgNone);
    // Versions compare as numbers: 10.00 is newer than 9.99.
    EXPECT_EQ(VersionGateDecision({ QStringLiteral("9.99"), {}, QStringLiteral("Korvatel1234") },
                  server("10.00", "", "Korvatel1234")),
        TVersionGate::vgForced);
    EXPECT_EQ(
        VersionGateDecision(own, server("9.99", "9", "Korvatel9999.exe")), TVersionGate::vgNone);
    EXPECT_EQ(VersionGateDecision(own, server("9.99", "9", "")), TVersionGate::vgNone);
}

TEST(VersionGate, MessagesAndDownloads)
{
    const TProgramVersion own { QStringLiteral("1.00"), QStringLiteral("B1"),
        QStringLiteral("Korvatel1") };
    const TProgramVersion newer { QStringLiteral("1.10"), QStringLiteral("B1"),
        QStringLiteral("Korvatel1") };
    const TProgramVersion rebuilt { QStringLiteral("1.00"), QStringLiteral("B2"),
        QStringLiteral("Korvatel1") };
    const QString failed
        = QStringLiteral("失敗しました。再挑戦するかホームページからダウンロードして下さい。");
    int downloads = 0;
    bool downloadWorks = false;
    const auto download = [&] {
        ++downloads;
        return downloadWorks;
    };

    TScriptedPrompter forced;
    EXPECT_TRUE(RunVersionGate(own, newer, false, forced, download));
    EXPECT_EQ(forced.Texts(),
        QStringList({ QStringLiteral("注文ソフトのVersionが変わりました。新Ver 1.10\r\n\r\n現Ver "
                                     "1.00 では継続できません。ダウンロードして再起動します。"),
            failed }));

    TScriptedPrompter declined({ TModalResult::mrNo });
    EXPECT_FALSE(RunVersionGate(own, rebuilt, false, declined, download));
    EXPECT_EQ(declined.Texts(),
        QStringList({ QStringLiteral("新しい注文ソフトがあります。ダウンロードしますか？\r\n\r\nUpD"
                                     "ate : 現 B1　⇒　新 B2") }));
    EXPECT_EQ(downloads, 1);

    TScriptedPrompter failedOffer({ TModalResult::mrYes });
    EXPECT_FALSE(RunVersionGate(own, rebuilt, false, failedOffer, download));
    EXPECT_EQ(failedOffer.Texts().last(), failed);

    downloadWorks = true;
    TScriptedPrompter accepted({ TModalResult::mrYes });
    EXPECT_TRUE(RunVersionGate(own, rebuilt, false, accepted, download));
    EXPECT_EQ(accepted.Shown().size(), 1);

    TScriptedPrompter cd;
    EXPECT_FALSE(RunVersionGate(own, newer, true, cd, download));
    EXPECT_TRUE(cd.Shown().isEmpty());
}

} // namespace korvatel
