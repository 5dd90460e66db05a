// The regions of the main window: source panel, film strip, work area with one page per tab,
// the lower right panel, the tab bar and the status bars; the tabs and the keys that choose them.
#include "app/client_session.h"
#include "app/ui/basket_actions.h"
#include "app/ui/main_tab_bar.h"
#include "app/ui/order_start_windows.h"
#include "app/ui/status_bars.h"
#include "app/ui/web_main.h"
#include "cards/ui/card_page.h"
#include "order/ui/order_panel.h"
#include "platform/ui/menu_commands.h"
#include "platform/ui/widget_helpers.h"
#include "pricing/ui/shop_info_page.h"
#include "sources/ui/browser_panel.h"
#include "sources/ui/source_panel.h"
#include "viewer/ui/viewer_page.h"

#include <QAction>
#include <QComboBox>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QShortcut>
#include <QSplitter>
#include <QStackedWidget>
#include <QStatusTipEvent>
#include <QVBoxLayout>

namespace korvatel
{

namespace
{

constexpr int kShopPanelColor = 0xF0F0F0;

} // namespace

void TWebMain::BuildRegions()
{
    auto *central = new QWidget(this);
    auto *column = new QVBoxLayout(central);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);

    FSplitter = new QSplitter(Qt::Horizontal, central);
    FSplitter->setObjectName(QStringLiteral("spMain"));
    TSourceValues values { FSession.Workspace(), FSession.Option, FSession.State, FSession.DateOut,
        FSession.NodeExp, FSession.LastRead,
        [this] { FSession.Option.Save(FSession.OptionPath()); },
        [this] { FSession.DateOut.Save(FSession.DateOutPath()); },
        [this](const QString &name) { return ShopSwitchOn(FSession.Workspace().Download(), name); },
        FCardsOffered };
    FSources = new TSourcePanel(std::move(values), FSplitter);
    FBrowserPanel = new TBrowserPanel(FSession.Workspace().Works(), FSession.State, FSplitter);
    FWorkPanel = new QWidget(FSplitter);
    FWorkPanel->setObjectName(QStringLiteral("pnWork"));
    BuildPages();
    FSplitter->setStretchFactor(0, 0);
    FSplitter->setStretchFactor(1, 0);
    FSplitter->setStretchFactor(2, 1);
    FSplitter->setCollapsible(0, false);
    connect(FSplitter, &QSplitter::splitterMoved, this,
        [this] { FTabBar->SetStartMargin(FSources->width()); });
    column->addWidget(FSplitter, 1);

    FTabRow = new QWidget(central);
    FTabRow->setObjectName(QStringLiteral("pnTabs"));
    FTabRow->setAutoFillBackground(true);
    auto *tabRow = new QHBoxLayout(FTabRow);
    tabRow->setContentsMargins(0, 0, 0, 0);
    FTabBar = new TMainTabBar(FTabRow);
    tabRow->addWidget(FTabBar, 1);
    column->addWidget(FTabRow);

    FStatusBars = new TStatusBars(Online(), central);
    column->addWidget(FStatusBars);
    setCentralWidget(central);

    FBasket = new TBasketActions(FSession, *FBrowserPanel, *FOrderPage, *FStatusBars, this);
    FBasket->SetPrompter(FPrompter);
    FBasket->Changed = [this] { MemoryStatus(); };
    FBasket->CameraClocksChanged = [this] { FSources->BuildDateTree(true, false, false, false); };
    FOrdering = std::make_unique<TOrderStartWindows>(
        FSession, *FBasket, this, [this]() -> TPrompter & { return Prompter(); });
    FOrdering->OpenTrimming = [this](const QString &path) { TrimPicture(path); };
    WireSourcePages();
    WireViewerPage();
    WireOrderPage();
    WireCardPage();
}

void TWebMain::BuildPages()
{
    auto *layout = new QVBoxLayout(FWorkPanel);
    layout->setContentsMargins(0, 0, 0, 0);
    FWorkSplitter = new QSplitter(Qt::Vertical, FWorkPanel);
    FPages = new QStackedWidget(FWorkSplitter);
    FPages->setObjectName(QStringLiteral("pcWork"));

    // One page per mode: browser only (empty), viewer, card editor, order panel, shop panel.
    FPages->addWidget(new QWidget(FPages));
    FViewerPage = new TViewerPage(FSession.State, FSession.Option2, Online(), FPages);
    FPages->addWidget(FViewerPage);
    FCardPage = MakeCardPage(FPages);
    FPages->addWidget(FCardPage);
    TOrderPanelSettings settings { &FSession.State, &FSession.Defaults, FSession.DefaultPath(),
        &FSession.ShopOptions, &FSession.Option2, &FSession.PriceTables,
        FSession.ShopOffersCorrection(), FSession.ShopOffersPhone(), Online() };
    FOrderPage = new TOrderPanel(FSession.Orders(), settings, FPages);
    FPages->addWidget(FOrderPage);
    FPages->addWidget(new TShopInfoPage(FSession.ShopOptions, FSession.PriceTables, FPages));

    FPanelRB = new QWidget(FWorkSplitter);
    FPanelRB->setObjectName(QStringLiteral("pnRB"));
    auto *rbLayout = new QVBoxLayout(FPanelRB);
    const TShopOptions &options = FSession.ShopOptions;
    auto *shopName
        = new QLabel(options.Shop.isEmpty() ? FSession.ShopId() : options.Shop, FPanelRB);
    shopName->setObjectName(QStringLiteral("lbShopName"));
    rbLayout->addWidget(shopName);
    rbLayout->addStretch(1);
    FWorkSplitter->addWidget(FPages);
    FWorkSplitter->addWidget(FPanelRB);
    FWorkSplitter->setStretchFactor(0, 1);
    FWorkSplitter->setCollapsible(0, false);
    layout->addWidget(FWorkSplitter);
}

QWidget *TWebMain::pnFolder() const
{
    return FSources;
}

void TWebMain::BuildTabs()
{
    FTabs = BuildMainTabs(MainTabMask(FCardsOffered));
    for (const TMainTab &tab : FTabs)
        FTabBar->addTab(tab.caption);
    connect(FTabBar, &QTabBar::currentChanged, this, &TWebMain::TabChanged);
    TabChanged(FTabBar->currentIndex());
    if (FSession.Startup().openShopTab)
        SelectTab(int(FTabs.size()) - 1);
}

int TWebMain::TabIndexOf(TTabMode mode) const
{
    for (int i = 0; i < FTabs.size(); ++i)
        if (FTabs[i].mode == mode)
            return i;
    return -1;
}

void TWebMain::SelectTab(int index)
{
    if (index < 0 || index >= FTabs.size())
        return;
    if (index == FTabBar->currentIndex())
        TabChanged(index);
    else
        FTabBar->setCurrentIndex(index);
}

void TWebMain::TabChanged(int index)
{
    if (index < 0 || index >= FTabs.size())
        return;
    // Leaving an area closes it: full size ends, an open frame stays with its picture.
    if (FFullSize)
        SetFullSize(false);
    FMode = FTabs[index].mode;
    FPages->setCurrentIndex(int(FMode) - 1);
    // The film strip takes the space of the work area in the browser tab.
    FSplitter->setStretchFactor(1, FMode == tmBrowser ? 1 : 0);
    FWorkPanel->setVisible(FMode != tmBrowser);
    FPanelRB->setVisible(FMode != tmBrowser);
    // The tab row takes the colour of the area above it.
    const TStateSettings &state = FSession.State;
    const int colours[] = { kFilmPanelColor, state.BoxColor, state.CardBackColor, state.GridColor,
        kShopPanelColor };
    const QColor colour = WinColor(colours[int(FMode) - 1]);
    FTabBar->SetBackground(colour);
    QPalette palette = FTabRow->palette();
    palette.setColor(QPalette::Window, colour);
    FTabRow->setPalette(palette);
    EnableCommand(Command(QStringLiteral("mmEdit")), FMode == tmViewer,
        QStringLiteral("画像編集タブで使えます。"));
    EnableCommand(Command(QStringLiteral("mmOrder")), FMode == tmOrder && Online(),
        Online() ? QStringLiteral("注文詳細タブで使えます。")
                 : QStringLiteral("OFF-LINEです。この操作はできません。"));
    EnableCommand(Command(QStringLiteral("mmCard")), FMode == tmCard,
        QStringLiteral("カード作成タブで使えます。"));
    FViewerPage->SetActive(FMode == tmViewer);
    FCardPage->SetActive(FMode == tmCard);
    MemoryStatus();
}

void TWebMain::BuildShortcuts()
{
    // Ctrl with a digit (main keys or numeric pad) selects the tab of that index; Ctrl+F1 to
    // Ctrl+F9 the tabs 1 to 9 and Ctrl+F10 tab 0.
    QList<QKeySequence> keys;
    for (int key = Qt::Key_0; key <= Qt::Key_9; ++key) {
        keys << QKeySequence(Qt::CTRL | Qt::Key(key));
        keys << QKeySequence(
            QKeyCombination(Qt::ControlModifier | Qt::KeypadModifier, Qt::Key(key)));
    }
    for (int key = Qt::Key_F1; key <= Qt::Key_F10; ++key)
        keys << QKeySequence(Qt::CTRL | Qt::Key(key));
    for (const QKeySequence &sequence : keys) {
        auto *shortcut = new QShortcut(sequence, this);
        const int key = sequence[0].key();
        connect(shortcut, &QShortcut::activated, this, [this, key] {
            const int index = TabIndexForCtrlKey(key, int(FTabs.size()));
            if (index >= 0)
                SelectTab(index);
        });
    }
    auto *escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    escape->setContext(Qt::WindowShortcut);
    connect(escape, &QShortcut::activated, this, [this] { EscapeKey(); });
}

void TWebMain::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape && EscapeKey())
        return;
    QMainWindow::keyPressEvent(event);
}

bool TWebMain::event(QEvent *event)
{
    // The long part of a hint goes to the main status bar's second panel.
    if (event->type() == QEvent::StatusTip) {
        FStatusBars->ShowStatus(1, static_cast<QStatusTipEvent *>(event)->tip());
        return true;
    }
    return QMainWindow::event(event);
}

void TWebMain::ApplySettings()
{
    TStateSettings &state = FSession.State;
    FSplitter->setSizes(
        { std::max(state.FolderWidth, 50), 260, std::max(width() - state.FolderWidth - 260, 100) });
    // On a small screen the lower right panel gives the pages most of the height.
    const int panelRB = std::min(state.PanelRBHeight, std::max(height() / 6, 60));
    FWorkSplitter->setSizes({ std::max(height() - panelRB, 100), panelRB });
    FTabBar->SetStartMargin(std::max(state.FolderWidth, 50));
    FViewerPage->ApplySettings();
    FBrowserPanel->ApplyFilmLook();
    {
        const QSignalBlocker block(FBrowserPanel->cbxThumbMode());
        FBrowserPanel->cbxThumbMode()->setCurrentIndex(std::clamp(state.ThumbType, 0, 8));
    }
    FOrderPage->ApplySettings();
    FBrowserPanel->UpdateSortLabel();
    if (!state.LastDir.isEmpty() && FBrowserPanel->BrowserFiles().isEmpty()
        && QFileInfo(state.LastDir).isDir()) {
        // The folder tree shows the last folder, which the film strip lists.
        FSources->ChooseFolder(state.LastDir);
        FSources->ListFolder(state.LastDir, false);
    }
    FViewerPage->UpdateViewerCommands();
}

} // namespace korvatel
