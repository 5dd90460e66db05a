#include "app/client_session.h"
#include "app/ui/basket_actions.h"
#include "app/ui/main_menus.h"
#include "app/ui/web_main.h"
#include "app_session.h"
#include "order/consistency.h"
#include "platform/prompter.h"
#include "support/app_home.h"
#include "support/demo_shop.h"

#include <QAction>
#include <QFile>
#include <QHash>
#include <QTimer>
#include <QUrl>
#include <gtest/gtest.h>

namespace korvatel
{

namespace
{

// A window whose menus are built through TMainMenus, with its messages going to a script.
struct TMenusFixture {
    explicit TMenusFixture(bool online)
        : session(test::TestSession(home, online, false))
        , window(session)
    {
        window.SetPrompter(&prompter);
    }

    QAction *Command(const char *name) { return window.Command(QString::fromLatin1(name)); }

    test::TAppHome home;
    TClientSession session;
    TScriptedPrompter prompter;
    TWebMain window;
};

} // namespace

TEST(TMainMenus, SettingsAndHelpCommandsAreChildrenOfTheWindow)
{
    TMenusFixture f(true);
    for (const char *name : { "mmSetting", "miReDate", "miUser", "miExit", "mmHelp", "miNotices",
             "miVersion", "miVersionUp", "miTransMode1", "miTransMode2", "miTransMode0",
             "miConsistency", "miMemWatch0", "miMemWatch3" })
        EXPECT_NE(f.Command(name), nullptr) << name;
}

TEST(TMainMenus, OneKeyFiresOneCommand)
{
    TMenusFixture f(true);
    QHash<QString, QString> owners;
    for (const QAction *action : f.window.findChildren<QAction *>()) {
        const QString key = action->shortcut().toString();
        if (key.isEmpty())
            continue;
        EXPECT_FALSE(owners.contains(key))
            << key.toStdString() << ": " << owners.value(key).toStdString() << " and "
            << action->objectName().toStdString();
        owners.insert(key, action->objectName());
    }
    EXPECT_EQ(owners.value(QStringLiteral("Ctrl+T")), QStringLiteral("miUser"));
}

TEST(TMainMenus, FloppyFormatAndHelpSayWhatTheyDo)
{
    TMenusFixture f(true);
    f.Command("miFdFormat")->trigger();
    EXPECT_EQ(f.prompter.Texts(), QStringList { NoFloppyText() });

    // Help opens the README that lies above the build.
    QList<QUrl> opened;
    f.window.Menus().OpenUrl = [&opened](const QUrl &url) {
        opened << url;
        return true;
    };
    f.Command("miOnlineHelp")->trigger();
    ASSERT_EQ(opened.size(), 1);
    EXPECT_TRUE(opened[0].toLocalFile().endsWith(QStringLiteral("/README.md")));
    EXPECT_EQ(f.prompter.Texts().size(), 1);
    EXPECT_TRUE(HelpFile(QStringLiteral("/")).isEmpty());
}

TEST(TMainMenus, TimeQueryTellsTheDifferenceAndThatTheClockNeedsRights)
{
    test::TDemoShop shop;
    ASSERT_TRUE(shop.Running()) << shop.StartError().toStdString();
    TMenusFixture f(true);
    ASSERT_TRUE(QFile::copy(shop.ServersFile(), f.home.FilePath(".config/korvatel/servers.ini")));
    const QDateTime later = QDateTime::currentDateTime().addSecs(3600);
    ASSERT_TRUE(shop.Control(
        QStringLiteral("time=") + later.toString(QStringLiteral("yyyy/MM/dd hh:mm:ss"))));
    QList<QDateTime> asked;
    f.window.Menus().SetClock = [&asked](const QDateTime &when) {
        asked << when;
        return false; // as without the administrator's rights
    };
    f.prompter.Answer(TModalResult::mrYes);
    f.Command("miTimeQuery")->trigger();
    ASSERT_EQ(asked.size(), 1);
    EXPECT_LT(std::abs(asked[0].secsTo(later)), 60);
    ASSERT_GE(f.prompter.Texts().size(), 2);
    EXPECT_TRUE(f.prompter.Texts()[f.prompter.Texts().size() - 2].contains(
        QStringLiteral("時計は遅れています。")))
        << f.prompter.Texts().join(u'|').toStdString();
    EXPECT_EQ(f.prompter.Texts().last(), ClockNotSetText());
}

TEST(TMainMenus, VersionCommandShowsTheProgramAndTheShop)
{
    TMenusFixture f(true);
    f.Command("miVersion")->trigger();
    ASSERT_EQ(f.prompter.Texts().size(), 1);
    EXPECT_TRUE(
        f.prompter.Texts().first().startsWith(QStringLiteral("Korvatel\r\nEditor Version ")));
    EXPECT_TRUE(f.prompter.Texts().first().endsWith(f.session.ShopId()));
}

TEST(TMainMenus, VersionUpCallsTheWindowsCheck)
{
    TMenusFixture f(true);
    int checks = 0;
    f.window.Menus().CheckVersion = [&checks] { ++checks; };
    f.Command("miVersionUp")->trigger();
    EXPECT_EQ(checks, 1);
}

TEST(TMainMenus, ConsistencyCheckIsRefusedOffline)
{
    TMenusFixture f(false);
    f.Command("miConsistency")->trigger();
    EXPECT_EQ(
        f.prompter.Texts(), QStringList { QStringLiteral("OFF-LINEです。この操作はできません。") });
}

TEST(TMainMenus, ConsistencyCheckThatFindsNothingSaysSo)
{
    TMenusFixture f(true);
    int listed = 0;
    f.window.Basket().ShowProblems = [&listed](const TConsistencyProblems &) {
        ++listed;
        return TProblemAnswer::paCancel;
    };
    f.Command("miConsistency")->trigger();
    EXPECT_EQ(listed, 0);
    EXPECT_EQ(f.prompter.Texts(), QStringList { QStringLiteral("不整合は見つかりませんでした。") });
}

TEST(TMainMenus, MemoryWatchTagsSetTheTimer)
{
    TMenusFixture f(true);
    TMainMenus menus(f.window, f.session);
    menus.BuildHelpMenu();
    menus.SetMemoryWatch(1);
    EXPECT_TRUE(menus.MemoryTimer()->isActive());
    EXPECT_EQ(f.session.State.ChkMemIntTag, 1);
    menus.SetMemoryWatch(7);
    EXPECT_EQ(f.session.State.ChkMemIntTag, 3);
    EXPECT_EQ(menus.MemoryTimer()->interval(), 500);
    menus.SetMemoryWatch(0);
    EXPECT_FALSE(menus.MemoryTimer()->isActive());
}

TEST(TMainMenus, BrowserMenuSetsTheSortAndTheDecorations)
{
    TMenusFixture f(true);
    f.Command("miListSort1")->trigger();
    EXPECT_EQ(f.session.State.ListSort, 1);
    f.Command("miListDeSort")->setChecked(!f.session.State.ListDeSort);
    EXPECT_EQ(f.session.State.ListDeSort, f.Command("miListDeSort")->isChecked());
    f.Command("miCheckSize4")->trigger();
    EXPECT_EQ(f.session.State.CheckSize, 50);
    f.Command("miFilmNo")->setChecked(!f.session.State.FilmNo);
    EXPECT_EQ(f.session.State.FilmNo, f.Command("miFilmNo")->isChecked());
}

} // namespace korvatel
