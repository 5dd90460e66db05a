#include "app/client_session.h"
#include "app/ui/basket_actions.h"
#include "app/ui/main_menus.h"
#include "app/ui/thanks_form.h"
#include "app/ui/usage_options.h"
#include "app/ui/web_main.h"
#include "app_session.h"
#include "mobile/ui/keitai_adrs_form.h"
#include "order/consistency.h"
#include "platform/prompter.h"
#include "sources/ui/browser_panel.h"
#include "sources/ui/source_panel.h"
#include "support/app_home.h"
#include "support/demo_shop.h"
#include "support/image_builders.h"
#include "support/keyboard_check.h"
#include "workspace/ui/file_manage_form.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QHash>
#include <QMenu>
#include <QMenuBar>
#include <QProgressDialog>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>
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

TEST(TFileManageForm, ShowsTheSettingsAndTheWritableDrives)
{
    TOptionSettings option;
    option.Bmp = true;
    option.Size = true;
    option.MinSize = 1000;
    option.CloseNotDelThumb = false;
    const TDriveTable drives = TDriveTable::Build(QStringLiteral("/home/u"), {}, {},
        QStringLiteral("D=/media/u/CARD,removable\nE=/media/cd,cdrom\n"));
    TFileManageForm form(option, drives, QLatin1Char('C'));
    EXPECT_TRUE(form.Box(QStringLiteral("BMP"))->isChecked());
    EXPECT_TRUE(form.Box(QStringLiteral("CloseDelThumb"))->isChecked());
    EXPECT_TRUE(form.MinSizeBox()->isEnabled());
    // A CD cannot hold the workspace.
    ASSERT_EQ(form.DriveBox()->count(), 2);
    EXPECT_EQ(form.DriveBox()->itemText(1), QStringLiteral("D:  リムーバブル (/media/u/CARD)"));
    EXPECT_EQ(form.Drive(), QLatin1Char('C'));

    form.Box(QStringLiteral("GIF"))->setChecked(true);
    form.Box(QStringLiteral("SIZE"))->setChecked(false);
    form.Box(QStringLiteral("CloseDelThumb"))->setChecked(false);
    form.DriveBox()->setCurrentIndex(1);
    const TOptionSettings chosen = form.Option();
    EXPECT_TRUE(chosen.Gif && chosen.Bmp && chosen.Jpg);
    EXPECT_FALSE(chosen.Size);
    EXPECT_FALSE(form.MinSizeBox()->isEnabled());
    EXPECT_EQ(chosen.MinSize, 1000);
    EXPECT_TRUE(chosen.CloseNotDelThumb);
    EXPECT_EQ(form.Drive(), QLatin1Char('D'));
}

TEST(TMainMenus, FileManageTurnsOnBitmapsAndTheBrowserListsThem)
{
    TMenusFixture f(true);
    ASSERT_TRUE(
        f.home.Write(QStringLiteral("Photos/a.jpg"), test::JpegBytes(test::PatternBitmap(8, 8))));
    ASSERT_TRUE(f.home.Write(QStringLiteral("Photos/b.bmp"), QByteArray("BM")));
    f.session.State.LastDir = f.home.FilePath(QStringLiteral("Photos"));
    f.window.Sources()->ListFolder(f.session.State.LastDir, false);
    EXPECT_EQ(f.window.Browser()->Film().Count(), 1);
    f.window.Menus().RunDialog = [](QDialog &dialog) {
        auto *form = qobject_cast<TFileManageForm *>(&dialog);
        EXPECT_NE(form, nullptr);
        form->Box(QStringLiteral("BMP"))->setChecked(true);
        return true;
    };
    f.Command("miFileManage")->trigger();
    EXPECT_TRUE(f.session.Option.Bmp);
    EXPECT_EQ(f.window.Browser()->Film().Count(), 2);
    // The workspace stays where it is: no question.
    EXPECT_TRUE(f.prompter.Shown().isEmpty());
}

TEST(TMainMenus, PhoneAddressesOpenTheAddressListAndKeepTheChoice)
{
    TMenusFixture f(true);
    QAction *phone = f.Command("miKtaiAddress");
    ASSERT_NE(phone, nullptr);
    EXPECT_FALSE(phone->property("later").toBool());
    phone->setVisible(true); // the test shop offers no phone images, which hides the command
    EXPECT_TRUE(phone->isEnabled());
    EXPECT_EQ(phone->shortcut(), QKeySequence(QStringLiteral("Ctrl+K")));
    f.window.Menus().RunDialog = [](QDialog &dialog) {
        auto *form = qobject_cast<TKeitaiAdrsForm *>(&dialog);
        EXPECT_NE(form, nullptr);
        if (!form)
            return false;
        EXPECT_EQ(form->btnOk()->text(), QStringLiteral("閉じる"));
        form->cbxAddress()->setEditText(QStringLiteral(" taro@docomo.example "));
        form->accept();
        return form->result() == QDialog::Accepted;
    };
    phone->trigger();
    const TMailList list = TMailList::Load(
        QDir(f.session.Workspace().SysData()).filePath(QStringLiteral("MailList.ini")));
    EXPECT_EQ(list.addresses, QStringList({ QStringLiteral("taro@docomo.example") }));
    EXPECT_EQ(list.current, QStringLiteral("taro@docomo.example"));
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
    f.session.ReloadServers();
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

TEST(TMainMenus, ASlowTimeServerLeavesTheWindowServedAndCancelEndsTheQuery)
{
    test::TDemoShop shop;
    ASSERT_TRUE(shop.Running()) << shop.StartError().toStdString();
    TMenusFixture f(true);
    ASSERT_TRUE(QFile::copy(shop.ServersFile(), f.home.FilePath(".config/korvatel/servers.ini")));
    f.session.ReloadServers();
    ASSERT_TRUE(shop.Control(QStringLiteral("answer_delay=5000")));
    int ticks = 0;
    QTimer ticker;
    QObject::connect(&ticker, &QTimer::timeout, [&ticks] { ++ticks; });
    ticker.start(20);
    int ticksWhenCancelled = -1;
    QTimer::singleShot(600, [&] {
        auto *box = qobject_cast<QProgressDialog *>(QApplication::activeModalWidget());
        if (!box)
            return;
        ticksWhenCancelled = ticks;
        QTest::mouseClick(box->findChild<QPushButton *>(), Qt::LeftButton);
    });
    f.prompter.Answer(TModalResult::mrYes);
    QElapsedTimer took;
    took.start();
    f.Command("miTimeQuery")->trigger();
    EXPECT_LT(took.elapsed(), 3000);
    EXPECT_GT(ticksWhenCancelled, 5);
    // The failure of the cancelled query is not shown: only the question before it was.
    EXPECT_EQ(f.prompter.Texts().size(), 1) << f.prompter.Texts().join(u'|').toStdString();
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

namespace korvatel
{

// Every command of the menus, submenus included, with the menu it is in.
static QList<std::pair<QMenu *, QAction *>> MenuCommands(const QList<QAction *> &actions)
{
    QList<std::pair<QMenu *, QAction *>> all;
    for (QAction *top : actions) {
        if (QMenu *menu = top->menu()) {
            for (QAction *action : menu->actions()) {
                if (action->isSeparator())
                    continue;
                all.append({ menu, action });
                all += MenuCommands({ action });
            }
        }
    }
    return all;
}

TEST(TMainMenus, AGreyCommandSaysWhyInItsTip)
{
    for (const bool online : { true, false }) {
        TMenusFixture f(online);
        int grey = 0;
        for (const auto &[menu, action] : MenuCommands(f.window.menuBar()->actions())) {
            EXPECT_TRUE(menu->toolTipsVisible()) << menu->title().toStdString();
            if (action->isEnabled() || !action->isVisible())
                continue;
            ++grey;
            EXPECT_FALSE(action->toolTip().isEmpty() || action->toolTip() == action->text())
                << action->objectName().toStdString();
        }
        EXPECT_GT(grey, 10); // the viewer's commands, with no picture shown
    }
    // The viewer's commands tell what they wait for.
    TMenusFixture f(true);
    EXPECT_EQ(f.Command("miLeft90")->toolTip(), QStringLiteral("画像編集タブで使えます。"));
}

TEST(TMainMenus, TheWindowsOfTheSettingsMenuWorkFromTheKeyboard)
{
    TMenusFixture f(true);
    TFileManageForm files(f.session.Option, f.session.Workspace().Drives(), QLatin1Char('C'));
    test::ExpectKeyboardWorkable(files);
    TUsageOptionsForm usage(f.session.Option2);
    test::ExpectKeyboardWorkable(usage);
    TThanksForm thanks(QStringLiteral("20261208-102030123-0312345678-4321"));
    test::ExpectKeyboardWorkable(thanks);
}

} // namespace korvatel
