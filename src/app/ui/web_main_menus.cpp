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
    BuildBrowserMenu();
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

void TWebMain::BuildBrowserMenu()
{
    TStateSettings &state = FSession.State;
    QMenu *menu = menuBar()->addMenu(QStringLiteral("一覧選択"));
    menu->menuAction()->setObjectName(QStringLiteral("mmList"));
    AddLater(menu, "miExif", QStringLiteral("Exif表示"), QKeySequence(QStringLiteral("Ctrl+T")));

    QMenu *sort = menu->addMenu(QStringLiteral("ソート(&S)"));
    sort->menuAction()->setObjectName(QStringLiteral("miSort"));
    AddChoices(sort, "miListSort",
        { QStringLiteral("ソートなし(&N)"), QStringLiteral("名前順(&M)"),
            QStringLiteral("サイズ順(&S)"), QStringLiteral("種類順(&T)"),
            QStringLiteral("日時順(&D)") },
        std::clamp(state.ListSort, 0, 4), [this](int kind) {
            FSession.State.ListSort = kind;
            FBrowserPanel->UpdateSortLabel();
            FBrowserPanel->SortBrowser();
        });
    sort->addSeparator();
    QAction *descending = AddCommand(sort, "miListDeSort", QStringLiteral("降順"));
    descending->setCheckable(true);
    descending->setChecked(state.ListDeSort);
    connect(descending, &QAction::toggled, this, [this](bool on) {
        FSession.State.ListDeSort = on;
        FBrowserPanel->UpdateSortLabel();
        FBrowserPanel->SortBrowser();
    });
    if (auto *button = FFilmPanel->findChild<QToolButton *>(QStringLiteral("sbSort")))
        button->setMenu(sort);

    menu->addSeparator();
    AddCommand(menu, "miFrameColor", QStringLiteral("枠色"), {},
        [this] { FMenus->ColourClick(FSession.State.FilmColor, "枠色"); });
    AddCommand(menu, "miBackColor", QStringLiteral("背景色"), {}, [this] {
        FMenus->ColourClick(FSession.State.BoxColor, "背景色");
        ApplySettings();
        TabChanged(FTabBar->currentIndex());
    });
    AddCommand(menu, "miCheckColor", QStringLiteral("チェック色"), {},
        [this] { FMenus->ColourClick(FSession.State.CheckColor, "チェック色"); });
    QMenu *shape = menu->addMenu(QStringLiteral("チェック形状"));
    shape->menuAction()->setObjectName(QStringLiteral("miCheckShape"));
    QMenu *place = menu->addMenu(QStringLiteral("チェック位置"));
    place->menuAction()->setObjectName(QStringLiteral("miCheckPos"));
    QMenu *size = menu->addMenu(QStringLiteral("チェックサイズ"));
    size->menuAction()->setObjectName(QStringLiteral("miCheckSize"));
    QStringList sizes;
    for (int percent = 10; percent <= 90; percent += 10)
        sizes << QStringLiteral("%1%").arg(percent);
    AddChoices(size, "miCheckSize", sizes, state.CheckSize / 10 - 1,
        [this](int i) { FSession.State.CheckSize = (i + 1) * 10; });

    menu->addSeparator();
    const struct {
        const char *name;
        const char *caption;
        bool TStateSettings::*setting;
    } decorations[] = {
        { "miFilmNo", "連番", &TStateSettings::FilmNo },
        { "miFilmDate", "日付", &TStateSettings::FilmDate },
        { "miCornerR", "面取り(丸)", &TStateSettings::CornerR },
        { "miFilmBevel", "ベベル(凹)", &TStateSettings::FilmBevel },
    };
    for (const auto &decoration : decorations) {
        QAction *action = AddCommand(menu, decoration.name, QString::fromUtf8(decoration.caption));
        action->setCheckable(true);
        action->setChecked(state.*decoration.setting);
        connect(action, &QAction::toggled, this,
            [this, setting = decoration.setting](bool on) { FSession.State.*setting = on; });
    }

    menu->addSeparator();
    QMenu *thumbs = menu->addMenu(QStringLiteral("専用サムネイル作成モード"));
    thumbs->menuAction()->setObjectName(QStringLiteral("miThumbMode"));
    AddChoices(thumbs, "miThumbMode",
        { QStringLiteral("400Pix(標準)"), QStringLiteral("600Pix(高画質)"),
            QStringLiteral("800Pix(高画質)"), QStringLiteral("400Pix(ﾊﾞｲﾘﾆｱ+積分法)"),
            QStringLiteral("600Pix(ﾊﾞｲﾘﾆｱ+積分法)"), QStringLiteral("800Pix(ﾊﾞｲﾘﾆｱ+積分法)"),
            QStringLiteral("Exifｻﾑﾈｲﾙ(非加工)"), QStringLiteral("Exif(積分法で拡大)"),
            QStringLiteral("Real(本ﾃﾞｰﾀ表示)") },
        std::clamp(state.ThumbType, 0, 8),
        [this](int mode) { FBrowserPanel->SetThumbnailMode(mode); });
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
