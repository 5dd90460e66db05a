// The menus of the main window and the commands that belong to no page.
#include "app/ui/main_menus.h"

#include "app/client_session.h"
#include "app/ui/basket_actions.h"
#include "app/ui/customer_windows.h"
#include "app/ui/usage_options.h"
#include "app/ui/web_main.h"
#include "cards/ui/card_page.h"
#include "mobile/mail/mail_settings.h"
#include "mobile/ui/keitai_adrs_form.h"
#include "mobile/ui/net_option_form.h"
#include "net/server_config.h"
#include "net/server_lookups.h"
#include "order/consistency.h"
#include "order/ui/order_panel.h"
#include "order/ui/thumb_grid.h"
#include "platform/clock.h"
#include "platform/prompter.h"
#include "platform/prompter_bridge.h"
#include "platform/system_clock.h"
#include "platform/ui/busy_box.h"
#include "platform/ui/menu_commands.h"
#include "platform/ui/widget_helpers.h"
#include "sending/order_host.h"
#include "sources/ui/browser_panel.h"
#include "sources/ui/film_grid.h"
#include "sources/ui/source_panel.h"
#include "version.h"
#include "viewer/ui/viewer_page.h"
#include "viewer/ui/viewer_stage.h"
#include "workspace/ui/file_manage_form.h"
#include "workspace/workspace.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QColorDialog>
#include <QDesktopServices>
#include <QDialog>
#include <QDir>
#include <QFileInfo>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QProcess>
#include <QPushButton>
#include <QTimer>
#include <QUrl>

namespace korvatel
{

namespace
{

// Where the shop's phone pictures go, for the page address the internet settings propose.
TPhoneUpload PhoneUploadOf(const TClientSession &session)
{
    const std::optional<TOrderHostTable> hosts
        = TOrderHostTable::FromLines(session.PriceTables.OrderHostTable());
    if (!hosts)
        return {};
    const THostRecord phone = hosts->PhoneServer();
    return { phone.host, phone.baseDir, phone.homeDir };
}

// A menu of the menu bar whose action the window finds by name.
QMenu *AddMainMenu(QMainWindow *window, const char *caption, const char *name)
{
    QMenu *menu = window->menuBar()->addMenu(QString::fromUtf8(caption));
    menu->menuAction()->setObjectName(QString::fromLatin1(name));
    menu->menuAction()->setParent(window);
    return menu;
}

} // namespace

TMainMenus::TMainMenus(TWebMain &window, TClientSession &session)
    : FWindow(window)
    , FSession(session)
{
}

void TMainMenus::BuildSettingsMenu()
{
    TWebMain *window = &FWindow;
    QMenu *menu = window->menuBar()->addMenu(QStringLiteral("設定/終了"));
    menu->menuAction()->setObjectName(QStringLiteral("mmSetting"));
    // A date build already running is cancelled and the walk starts again.
    AddMenuCommand(window, menu, "miReDate", QStringLiteral("最新情報に更新"),
        QKeySequence(QStringLiteral("Ctrl+R")),
        [window] { window->Sources()->BuildDateTree(true, true, true, false); });
    QObject::connect(AddMenuCommand(window, menu, "miUser", QStringLiteral("ユーザー設定"),
                         QKeySequence(QStringLiteral("Ctrl+T"))),
        &QAction::triggered, window,
        [this, window] { OpenUserWindow(FSession, FWindow.Prompter(), window); });
    // The phone addresses that upload notices go to (MailList.ini), edited as settings.
    QAction *phone = AddMenuCommand(window, menu, "miKtaiAddress",
        QStringLiteral("携帯配布アドレス"), QKeySequence(QStringLiteral("Ctrl+K")), [this, window] {
            TKeitaiAdrsForm form(
                QDir(FSession.Workspace().SysData()).filePath(TMailList::FileName()), false,
                FWindow.Prompter(), window);
            RunDialog ? RunDialog(form) : form.exec() == QDialog::Accepted;
        });
    phone->setVisible(FSession.ShopOffersPhone());
    // How mail goes out (phone notices, history records): MailSet.ini in SysData.
    AddMenuCommand(
        window, menu, "miNetOption", QStringLiteral("インターネットの設定"), {}, [this, window] {
            TNetOptionForm form(
                QDir(FSession.Workspace().SysData()).filePath(TMailSettings::FileName()),
                PhoneUploadOf(FSession), FWindow.Prompter(), window);
            RunDialog ? RunDialog(form) : form.exec() == QDialog::Accepted;
            // The network's settings were looked at: servers.ini counts as it now reads, with
            // no restart.
            FSession.ReloadServers();
        });
    AddMenuCommand(window, menu, "miFileManage", QStringLiteral("ファイル管理"),
        QKeySequence(QStringLiteral("Ctrl+O")), [this] { miFileManageClick(); });
    // The switches are saved with Option2.ini at shutdown.
    AddMenuCommand(window, menu, "miOperation", QStringLiteral("操作方法の設定"),
        QKeySequence(QStringLiteral("Ctrl+U")), [this, window] {
            TUsageOptionsForm form(FSession.Option2, window);
            form.exec();
        });
    // There is no floppy drive to format here; the command says so rather than staying grey.
    AddMenuCommand(window, menu, "miFdFormat", QStringLiteral("FDフォーマット(&F)"), {},
        [this] { FWindow.Prompter().Inform(NoFloppyText()); });
    menu->addSeparator();
    AddMenuCommand(window, menu, "miExit", QStringLiteral("終了"),
        QKeySequence(QStringLiteral("Alt+F4")), [window] { window->close(); });
}

void TMainMenus::BuildBrowserMenu(std::function<void()> backColourChanged)
{
    QMenu *menu = FWindow.menuBar()->addMenu(QStringLiteral("一覧選択"));
    menu->menuAction()->setObjectName(QStringLiteral("mmList"));
    TBrowserMenuHooks hooks;
    hooks.chooseColour
        = [this](int &setting, const char *caption) { ColourClick(setting, caption); };
    hooks.backColourChanged = std::move(backColourChanged);
    FWindow.Browser()->BuildMenu(menu, hooks);
}

void TMainMenus::BuildSourceMenu()
{
    QMenu *menu = FWindow.menuBar()->addMenu(QStringLiteral("ソース選択"));
    menu->menuAction()->setObjectName(QStringLiteral("mmSource"));
    FWindow.Sources()->BuildMenu(menu);
}

void TMainMenus::BuildPageMenus(bool cardsOffered)
{
    TWebMain *window = &FWindow;
    QMenu *edit = AddMainMenu(window, "画像編集", "mmEdit");
    FWindow.ViewerPage()->BuildMenu(edit);
    edit->addSeparator();
    AddMenuCommand(window, edit, "miViewerHosei", QStringLiteral("色調補正..."), {},
        [this] { FWindow.CorrectPicture(FWindow.ViewerPage()->Stage()->Picture().FileName()); });
    AddMenuCommand(
        window, edit, "miCameraClock", QStringLiteral("カメラの時計を補正..."), {}, [this] {
            FWindow.Basket().CorrectCameraClock(
                FWindow.ViewerPage()->Stage()->Picture().FileName());
        });

    QMenu *card = AddMainMenu(window, "カード作成", "mmCard");
    FWindow.CardPage()->BuildMenu(card);
    card->menuAction()->setVisible(cardsOffered);

    QMenu *order = AddMainMenu(window, "注文詳細", "mmOrder");
    FWindow.OrderPage()->BuildMenu(order);
    // "注文へ" from every tab: the order tab comes up and its button is pressed. The window
    // holds the shortcut, so Ctrl+Enter works also where this menu is grey.
    order->addSeparator();
    QAction *toOrder
        = AddMenuCommand(window, order, "miToOrder", QStringLiteral("注文へ"), {}, [this] {
              FWindow.SelectTab(FWindow.TabIndexOf(tmOrder));
              if (FWindow.OrderPage()->OrderClick)
                  FWindow.OrderPage()->OrderClick();
          });
    toOrder->setShortcuts(
        { QKeySequence(Qt::CTRL | Qt::Key_Enter), QKeySequence(Qt::CTRL | Qt::Key_Return) });
    window->addAction(toOrder);
    if (auto *button = FWindow.OrderPage()->findChild<QPushButton *>(QStringLiteral("sbOrder")))
        button->setToolTip(QStringLiteral("注文へ (Ctrl+Enter)"));

    QMenu *history = AddMainMenu(window, "履歴と決済", "mmHistory");
    AddMenuCommand(window, history, "miHistory", QStringLiteral("履歴と決済"), {},
        [this, window] { OpenHistoryWindow(FSession, FWindow.Prompter(), window); });
}

void TMainMenus::BuildUtilsMenu()
{
    // The developer utilities appear only where the maker's folder exists.
    // "C:\" is the home folder here.
    const QString utilsFolder
        = QDir::home().filePath(QStringLiteral("Program Files/TamselProgram/WelmarKS"));
    QMenu *utils = AddMainMenu(&FWindow, "<UTILS>", "mmUtils");
    utils->menuAction()->setVisible(QFileInfo(utilsFolder).isDir());
}

void TMainMenus::BuildHelpMenu()
{
    TWebMain *window = &FWindow;
    QMenu *menu = window->menuBar()->addMenu(QStringLiteral("ヘルプ"));
    menu->menuAction()->setObjectName(QStringLiteral("mmHelp"));
    AddMenuCommand(window, menu, "miNotices", QStringLiteral("注意事項"), {}, [this] {
        FWindow.Prompter().Inform(QStringLiteral("注文の前に、サイズと枚数をご確認下さい。"));
    });
    AddMenuCommand(window, menu, "miOnlineHelp", QStringLiteral("オンラインヘルプ"),
        QKeySequence(QStringLiteral("F1")), [this] { miOnlineHelpClick(); });
    AddMenuCommand(window, menu, "miVersion", QStringLiteral("バージョン情報"), {},
        [this] { miVersionClick(); });
    AddMenuCommand(window, menu, "miVersionUp", QStringLiteral("バージョンアップ"), {},
        [this] { miVersionUpClick(); });
    QMenu *trans = menu->addMenu(QStringLiteral("送信モード"));
    trans->menuAction()->setObjectName(QStringLiteral("miTransMode"));
    trans->menuAction()->setParent(window);
    // Items in the order of the menu; their names carry the stored value.
    auto *group = new QActionGroup(window);
    for (const auto &[value, caption] : { std::pair { 1, "標準モード" },
             std::pair { 2, "役所モード" }, std::pair { 0, "自動モード" } }) {
        QAction *action = AddMenuCommand(window, trans, "", QString::fromUtf8(caption));
        action->setObjectName(QStringLiteral("miTransMode%1").arg(value));
        action->setCheckable(true);
        action->setChecked(int(FSession.TransMode) == value);
        group->addAction(action);
        QObject::connect(
            action, &QAction::triggered, window, [this, value = value] { SetTransMode(value); });
    }
    EnableCommand(trans->menuAction(), FSession.ShopAllowsHttp(),
        QStringLiteral("このお店では送信モードを選べません（標準モードで送信します）。"));
    AddMenuCommand(window, menu, "miTimeQuery", QStringLiteral("時刻の問い合わせ"), {},
        [this] { miTimeQueryClick(); });
    AddMenuCommand(window, menu, "miConsistency", QStringLiteral("不整合チェック"), {},
        [this] { miConsistencyClick(); });
    QMenu *memory = menu->addMenu(QStringLiteral("メモリ残量 自動監視"));
    memory->menuAction()->setObjectName(QStringLiteral("miMemWatch"));
    AddMenuChoices(window, memory, "miMemWatch",
        { QStringLiteral("自動にしない"), QStringLiteral("低頻度(4s)"),
            QStringLiteral("中頻度(2s)"), QStringLiteral("高頻度(0.5s)") },
        std::clamp(FSession.State.ChkMemIntTag, 0, 3), [this](int tag) { SetMemoryWatch(tag); });
    FMemoryTimer = new QTimer(window);
    FMemoryTimer->setObjectName(QStringLiteral("tmMemWatch"));
    QObject::connect(FMemoryTimer, &QTimer::timeout, window, &TWebMain::MemoryStatus);
}

QString NoFloppyText()
{
    return QStringLiteral("このコンピュータにはフロッピーディスクドライブがありません。\r\n"
                          "写真はSDカードやUSBメモリ、CDから直接読み込めます。");
}

QString ClockNotSetText()
{
    return QStringLiteral("パソコンの時計を合わせるには管理者の権限が必要です。\r\n"
                          "時計は変更されていません。");
}

QString HelpFile(const QString &programDir)
{
    // Installed beside the program's share folder, or the source tree's README above a build.
    const QStringList candidates { programDir + QStringLiteral("/../share/doc/korvatel/README.md"),
        programDir + QStringLiteral("/README.md") };
    for (const QString &candidate : candidates)
        if (QFileInfo(candidate).isFile())
            return QFileInfo(candidate).canonicalFilePath();
    for (QDir dir(programDir); !dir.isRoot(); dir.cdUp()) {
        const QString readme = dir.filePath(QStringLiteral("README.md"));
        if (QFileInfo(readme).isFile()
            && QFileInfo(dir.filePath(QStringLiteral("src/app"))).isDir())
            return QFileInfo(readme).canonicalFilePath();
    }
    return {};
}

void TMainMenus::miOnlineHelpClick()
{
    const QString help = HelpFile(QCoreApplication::applicationDirPath());
    if (help.isEmpty()
        || !(OpenUrl ? OpenUrl(QUrl::fromLocalFile(help))
                     : QDesktopServices::openUrl(QUrl::fromLocalFile(help))))
        FWindow.Prompter().Warn(QStringLiteral("ヘルプを開けませんでした。"));
}

void TMainMenus::miFileManageClick()
{
    TWorkspace &workspace = FSession.Workspace();
    TFileManageForm form(FSession.Option, workspace.Drives(), workspace.DriveLetter(), &FWindow);
    if (!(RunDialog ? RunDialog(form) : form.exec() == QDialog::Accepted))
        return;
    // The kinds and the filter are used from now on; Option.ini keeps them at shutdown.
    FSession.Option = form.Option();
    if (!FSession.State.LastDir.isEmpty())
        FWindow.Sources()->ListFolder(FSession.State.LastDir, false);
    const QChar drive = form.Drive();
    if (drive.isNull() || drive.toUpper() == workspace.DriveLetter().toUpper())
        return;
    TMoveWorkspaceHooks hooks;
    hooks.saveAll = [this] { FSession.SaveAll(FWindow.ShutdownHooks()); };
    hooks.showGrids = [this](bool visible) {
        FWindow.OrderPage()->Grid()->setVisible(visible);
        FWindow.Browser()->lvBrowser()->setVisible(visible);
    };
    hooks.restart = [this] {
        if (ReleaseWorkspace)
            ReleaseWorkspace();
        return QProcess::startDetached(
            QCoreApplication::applicationFilePath(), QCoreApplication::arguments().mid(1));
    };
    if (MoveWorkspace(workspace, drive, FWindow.Prompter(), hooks) == TMoveResult::mvMoved) {
        FSession.SetMoved();
        FWindow.close();
    }
}

void TMainMenus::miTimeQueryClick()
{
    const TServerConfig &servers = FSession.Servers;
    bool refused = false;
    // The query runs on a job under a busy box; its questions come to the window's thread.
    TPrompterBridge prompter(FWindow.Prompter(), &FWindow);
    RunBusy(&FWindow, QStringLiteral("時刻を問い合わせています…"), [&](TJobControl &) {
        CheckClock(servers, prompter, SystemClock(), [this, &refused](const QDateTime &when) {
            refused = !(SetClock ? SetClock(when) : SetSystemClock(when));
            return !refused;
        });
    });
    if (refused)
        FWindow.Prompter().Warn(ClockNotSetText());
}

void TMainMenus::SetMemoryWatch(int tag)
{
    FSession.State.ChkMemIntTag = std::clamp(tag, 0, 3);
    const int interval = MemoryWatchInterval(FSession.State.ChkMemIntTag);
    if (interval > 0)
        FMemoryTimer->start(interval);
    else
        FMemoryTimer->stop();
    if (QAction *item
        = FWindow.Command(QStringLiteral("miMemWatch%1").arg(FSession.State.ChkMemIntTag)))
        item->setChecked(true);
}

void TMainMenus::SetTransMode(int mode)
{
    FSession.TransMode = TTransMode(mode);
    SaveTransMode(FSession.TransModePath(), FSession.TransMode);
}

void TMainMenus::ColourClick(int &setting, const char *caption)
{
    TCustomColors custom;
    const QString path
        = QDir(FSession.Workspace().SysData()).filePath(QStringLiteral("Colors.ini"));
    custom.Load(path);
    for (int i = 0; i < TCustomColors::kCount; ++i)
        QColorDialog::setCustomColor(i, WinColor(int(custom.Colors[i])));
    const QColor chosen
        = QColorDialog::getColor(WinColor(setting), &FWindow, QString::fromUtf8(caption));
    for (int i = 0; i < TCustomColors::kCount; ++i)
        custom.Colors[i] = quint32(ToWinColor(QColorDialog::customColor(i)));
    custom.Save(path);
    if (chosen.isValid())
        setting = ToWinColor(chosen);
}

void TMainMenus::miConsistencyClick()
{
    if (!FWindow.Online()) {
        FWindow.Prompter().Warn(QStringLiteral("OFF-LINEです。この操作はできません。"));
        return;
    }
    const bool found = !FindProblems(FSession.Orders()).Empty();
    FWindow.Basket().RunConsistencyCheck(kCheckForced);
    FWindow.MemoryStatus();
    // A check that finds nothing shows no list: it says so instead.
    if (!found)
        FWindow.Prompter().Inform(QStringLiteral("不整合は見つかりませんでした。"));
}

void TMainMenus::miVersionUpClick()
{
    if (FSession.Entry().cdStart) {
        FWindow.Prompter().Inform(
            QStringLiteral("OrvaneCDからの起動では、バージョンアップは出来ません。\r\n"
                           "デスクトップに作られた注文ソフトから起動してください。"));
        return;
    }
    if (CheckVersion)
        CheckVersion();
}

void TMainMenus::miVersionClick()
{
    FWindow.Prompter().Inform(QStringLiteral("Korvatel\r\nEditor Version %1\r\nBuild : %2\r\n%3")
                                  .arg(QString::fromUtf8(kProgramVersion),
                                      QString::fromUtf8(kBuildStamp), FSession.ShopId()));
}

} // namespace korvatel
