// The menus of the main window and the commands that are not the viewer's.
#include "app/client_session.h"
#include "app/ui/customer_windows.h"
#include "app/ui/main_menus.h"
#include "app/ui/main_tab_bar.h"
#include "app/ui/usage_options.h"
#include "app/ui/web_main.h"
#include "order/ui/order_panel.h"
#include "platform/prompter.h"
#include "platform/ui/menu_commands.h"
#include "platform/ui/widget_helpers.h"
#include "sources/ui/browser_panel.h"
#include "sources/ui/source_panel.h"
#include "version.h"
#include "viewer/ui/viewer_page.h"

#include <QAction>
#include <QActionGroup>
#include <QColorDialog>
#include <QComboBox>
#include <QDir>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QTimer>
#include <QToolButton>

namespace korvatel
{

QAction *TWebMain::Command(const QString &name) const
{
    return findChild<QAction *>(name);
}

QTimer *TWebMain::MemoryTimer() const
{
    return FMenus->MemoryTimer();
}

QAction *TWebMain::AddCommand(QMenu *menu, const char *name, const QString &caption,
    const QKeySequence &shortcut, std::function<void()> handler)
{
    return AddMenuCommand(this, menu, name, caption, shortcut, std::move(handler));
}

QAction *TWebMain::AddLater(
    QMenu *menu, const char *name, const QString &caption, const QKeySequence &shortcut)
{
    // A command whose window belongs to a later part: present, disabled.
    QAction *action = AddCommand(menu, name, caption, shortcut);
    action->setEnabled(false);
    action->setProperty("later", true);
    return action;
}

QActionGroup *TWebMain::AddChoices(QMenu *menu, const char *prefix, const QStringList &captions,
    int current, std::function<void(int)> chosen)
{
    return AddMenuChoices(this, menu, prefix, captions, current, std::move(chosen));
}

void TWebMain::SetPrompter(TPrompter *prompter)
{
    FPrompter = prompter ? prompter : FOwnPrompter.get();
    FOrderPage->SetPrompter(FPrompter);
    FViewerPage->SetPrompter(FPrompter);
    FSources->SetPrompter(FPrompter);
    FBrowserPanel->SetPrompter(FPrompter);
}

void TWebMain::SetFileDialog(TFileDialog dialog)
{
    FFileDialog = dialog;
    FBrowserPanel->FileDialog = dialog;
    FViewerPage->SetFileDialog(std::move(dialog));
}

TPrompter &TWebMain::Prompter()
{
    return *FPrompter;
}

void TWebMain::BuildMenus()
{
    FMenus->BuildSettingsMenu();
    BuildSourceMenu();
    // The background colour repaints the whole window.
    FMenus->BuildBrowserMenu([this] {
        ApplySettings();
        TabChanged(FTabBar->currentIndex());
    });
    BuildEditMenu();
    BuildCardMenu();
    BuildOrderMenu();
    QMenu *history = menuBar()->addMenu(QStringLiteral("履歴と決済"));
    history->menuAction()->setObjectName(QStringLiteral("mmHistory"));
    history->menuAction()->setParent(this);
    connect(AddCommand(history, "miHistory", QStringLiteral("履歴と決済")), &QAction::triggered,
        this, [this] { OpenHistoryWindow(FSession, Prompter(), this); });
    FMenus->BuildHelpMenu();
    // The developer utilities appear only where the maker's folder exists.
    // "C:\" is the home folder here.
    const QString utilsFolder
        = QDir::home().filePath(QStringLiteral("Program Files/TamselProgram/WelmarKS"));
    QMenu *utils = menuBar()->addMenu(QStringLiteral("<UTILS>"));
    utils->menuAction()->setObjectName(QStringLiteral("mmUtils"));
    utils->menuAction()->setParent(this);
    utils->menuAction()->setVisible(QFileInfo(utilsFolder).isDir());
}

void TWebMain::BuildSourceMenu()
{
    QMenu *menu = menuBar()->addMenu(QStringLiteral("ソース選択"));
    menu->menuAction()->setObjectName(QStringLiteral("mmSource"));
    AddLater(menu, "miSource1", QStringLiteral("ﾃﾝﾌﾟﾚｰﾄ(&0)"));
    AddLater(menu, "miSource2", QStringLiteral("フォルダ別(&1)"));
    AddLater(menu, "miSource3", QStringLiteral("日付別(&2)"));
    AddLater(menu, "miSource4", QStringLiteral("カテゴリー別(&3)"));
}

void TWebMain::BuildEditMenu()
{
    QMenu *menu = menuBar()->addMenu(QStringLiteral("画像編集"));
    menu->menuAction()->setObjectName(QStringLiteral("mmEdit"));
    menu->menuAction()->setParent(this);
    FViewerPage->BuildMenu(menu);
}

void TWebMain::BuildCardMenu()
{
    QMenu *menu = menuBar()->addMenu(QStringLiteral("カード作成"));
    menu->menuAction()->setObjectName(QStringLiteral("mmCard"));
    menu->menuAction()->setParent(this);
    for (const auto &[name, caption] :
        std::initializer_list<std::pair<const char *, const char *>> {
            { "miCardDelete", "オブジェクト削除" }, { "miCardSelect", "オブジェクト選択" },
            { "miCardColors", "色の設定" }, { "miCardMouse", "マウスの動作" },
            { "miCardRepeat", "リピート設定" }, { "miCardLoad", "カードファイルを開く" },
            { "miCardSave", "カードファイルを保存" } })
        AddLater(menu, name, QString::fromUtf8(caption));
    menu->menuAction()->setVisible(FCardsOffered);
}

void TWebMain::BuildOrderMenu()
{
    QMenu *menu = menuBar()->addMenu(QStringLiteral("注文詳細"));
    menu->menuAction()->setObjectName(QStringLiteral("mmOrder"));
    menu->menuAction()->setParent(this);
    FOrderPage->BuildMenu(menu);
}

void TWebMain::UpdateModeCommands()
{
    if (QAction *edit = Command(QStringLiteral("mmEdit")))
        edit->setEnabled(FMode == tmViewer);
    if (QAction *order = Command(QStringLiteral("mmOrder")))
        order->setEnabled(FMode == tmOrder && Online());
    FViewerPage->SetActive(FMode == tmViewer);
}

} // namespace korvatel
