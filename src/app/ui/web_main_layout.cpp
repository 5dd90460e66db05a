// The regions of the main window: source panel, film strip, work area with one page per tab,
// the lower right panel, the tab bar and the status bars; the tabs and the keys that choose them.
#include "app/client_session.h"
#include "app/ui/main_tab_bar.h"
#include "app/ui/web_main.h"
#include "imaging/picture_kinds.h"
#include "order/ui/order_panel.h"
#include "platform/prompter.h"
#include "platform/ui/widget_helpers.h"
#include "pricing/ui/shop_info_page.h"
#include "sources/ui/browser_panel.h"
#include "sources/ui/source_panel.h"
#include "viewer/ui/viewer_page.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileSystemModel>
#include <QFrame>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QScrollArea>
#include <QShortcut>
#include <QSpinBox>
#include <QSplitter>
#include <QStackedWidget>
#include <QStatusTipEvent>
#include <QTabWidget>
#include <QTimer>
#include <QToolButton>
#include <QTreeView>
#include <QVBoxLayout>

namespace korvatel
{

namespace
{

QLabel *Panel(
    QWidget *parent, int width, Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignVCenter)
{
    auto *label = new QLabel(parent);
    label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    label->setAlignment(alignment);
    if (width > 0)
        label->setFixedWidth(width);
    label->setMinimumHeight(label->fontMetrics().height() + 4);
    return label;
}

} // namespace

void TWebMain::BuildRegions()
{
    auto *central = new QWidget(this);
    auto *column = new QVBoxLayout(central);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);

    FSplitter = new QSplitter(Qt::Horizontal, central);
    FSplitter->setObjectName(QStringLiteral("spMain"));
    BuildSourcePanel();
    BuildFilmStrip();
    BuildWorkArea();
    FSplitter->addWidget(FFolderPanel);
    FSplitter->addWidget(FFilmPanel);
    FSplitter->addWidget(FWorkPanel);
    FSplitter->setStretchFactor(0, 0);
    FSplitter->setStretchFactor(1, 0);
    FSplitter->setStretchFactor(2, 1);
    FSplitter->setCollapsible(0, false);
    connect(FSplitter, &QSplitter::splitterMoved, this,
        [this] { FTabBar->SetStartMargin(FFolderPanel->width()); });
    column->addWidget(FSplitter, 1);

    FTabRow = new QWidget(central);
    FTabRow->setObjectName(QStringLiteral("pnTabs"));
    FTabRow->setAutoFillBackground(true);
    auto *tabRow = new QHBoxLayout(FTabRow);
    tabRow->setContentsMargins(0, 0, 0, 0);
    FTabBar = new TMainTabBar(FTabRow);
    tabRow->addWidget(FTabBar, 1);
    column->addWidget(FTabRow);

    BuildStatusBars();
    column->addWidget(FStatusArea);
    setCentralWidget(central);
}

void TWebMain::BuildSourcePanel()
{
    TSourceValues values { FSession.Workspace(), FSession.Option, FSession.State, FSession.DateOut,
        FSession.NodeExp, FSession.LastRead,
        [this] { FSession.Option.Save(FSession.OptionPath()); },
        [this] { FSession.DateOut.Save(FSession.DateOutPath()); },
        [this](const QString &name) { return ShopSwitchOn(FSession.Workspace().Download(), name); },
        FCardsOffered };
    FSources = new TSourcePanel(std::move(values), FSplitter);
    FFolderPanel = FSources;
}

void TWebMain::BuildFilmStrip()
{
    FBrowserPanel = new TBrowserPanel(FSession.Workspace().Works(), FSession.State, FSplitter);
    FFilmPanel = FBrowserPanel;
    WireSourcePages();
}

void TWebMain::BuildWorkArea()
{
    FWorkPanel = new QWidget(FSplitter);
    FWorkPanel->setObjectName(QStringLiteral("pnWork"));
    auto *layout = new QVBoxLayout(FWorkPanel);
    layout->setContentsMargins(0, 0, 0, 0);
    FWorkSplitter = new QSplitter(Qt::Vertical, FWorkPanel);
    FPages = new QStackedWidget(FWorkSplitter);
    FPages->setObjectName(QStringLiteral("pcWork"));

    // One page per mode: browser only (empty), viewer, card editor, order panel, shop panel.
    FPages->addWidget(new QWidget(FPages));
    BuildViewerPage();

    auto *card = new QLabel(QStringLiteral("カード作成"), FPages);
    card->setObjectName(QStringLiteral("pnCard"));
    card->setAlignment(Qt::AlignCenter);
    card->setEnabled(false);
    FPages->addWidget(card);

    BuildOrderPage();
    FShopPage = new TShopInfoPage(FSession.ShopOptions, FPages);
    FPages->addWidget(FShopPage);

    FPanelRB = new QWidget(FWorkSplitter);
    FPanelRB->setObjectName(QStringLiteral("pnRB"));
    auto *rbLayout = new QVBoxLayout(FPanelRB);
    const TShopOptions &options = FSession.ShopOptions;
    FShopName = new QLabel(options.Shop.isEmpty() ? FSession.ShopId() : options.Shop, FPanelRB);
    FShopName->setObjectName(QStringLiteral("lbShopName"));
    rbLayout->addWidget(FShopName);
    rbLayout->addStretch(1);
    FWorkSplitter->addWidget(FPages);
    FWorkSplitter->addWidget(FPanelRB);
    FWorkSplitter->setStretchFactor(0, 1);
    FWorkSplitter->setCollapsible(0, false);
    layout->addWidget(FWorkSplitter);
}

void TWebMain::BuildStatusBars()
{
    FStatusArea = new QWidget(this);
    FStatusArea->setObjectName(QStringLiteral("pnStatus"));
    auto *rows = new QVBoxLayout(FStatusArea);
    rows->setContentsMargins(0, 0, 0, 0);
    rows->setSpacing(0);

    // The main bar: node or folder name, progress, scanned folder, spare.
    auto *main = new QHBoxLayout;
    const int widths[4] = { 180, 350, 100, 70 };
    for (int i = 0; i < 4; ++i) {
        FMainPanels[i] = Panel(
            FStatusArea, widths[i], i == 0 ? Qt::AlignCenter : Qt::AlignLeft | Qt::AlignVCenter);
        FMainPanels[i]->setObjectName(QStringLiteral("sbMain%1").arg(i));
        main->addWidget(FMainPanels[i]);
    }
    FOfflineLabel
        = new QLabel(QStringLiteral("オフラインです。注文操作はできません。"), FStatusArea);
    FOfflineLabel->setObjectName(QStringLiteral("lbOffline"));
    FOfflineLabel->setStyleSheet(QStringLiteral("color: red;"));
    FOfflineLabel->setVisible(!Online());
    main->addWidget(FOfflineLabel);
    main->addStretch(1);
    rows->addLayout(main);

    // The order bar and the two total bars.
    auto *order = new QHBoxLayout;
    for (int i = 0; i < 4; ++i) {
        FOrderPanels[i] = Panel(FStatusArea, i == 3 ? 0 : 90);
        FOrderPanels[i]->setObjectName(QStringLiteral("sbOrder%1").arg(i));
        order->addWidget(FOrderPanels[i], i == 3 ? 1 : 0);
    }
    for (int bar = 0; bar < 2; ++bar)
        for (int i = 0; i < 2; ++i) {
            FTotalPanels[bar][i] = Panel(FStatusArea, 110);
            FTotalPanels[bar][i]->setObjectName(QStringLiteral("sbTotal%1%2").arg(bar).arg(i));
            order->addWidget(FTotalPanels[bar][i]);
        }
    FInconsistentLabel = new QLabel(
        QStringLiteral("注文データに不整合があります。ヘルプから不整合チェックを行って下さい。 "),
        FStatusArea);
    FInconsistentLabel->setObjectName(QStringLiteral("lbInconsistent"));
    FInconsistentLabel->setStyleSheet(QStringLiteral("color: red;"));
    FInconsistentLabel->hide();
    order->addWidget(FInconsistentLabel);
    rows->addLayout(order);
    SetOrderCounts(0, 0, 0);
    SetTotals(0, 0, 0, 0);
}

void TWebMain::SetOrderCounts(int orderedInList, int inList, int items)
{
    FOrderPanels[1]->setText(QStringLiteral("%1/%2").arg(orderedInList).arg(inList));
    FOrderPanels[3]->setText(QString::number(items));
}

void TWebMain::SetTotals(int items, int prints, int phoneItems, int cdItems)
{
    FTotalPanels[0][0]->setText(QStringLiteral("注文数 %1").arg(items));
    FTotalPanels[0][1]->setText(QStringLiteral("プリント %1").arg(prints));
    FTotalPanels[1][0]->setText(QStringLiteral("携帯 %1").arg(phoneItems));
    FTotalPanels[1][1]->setText(QStringLiteral("CD-R %1").arg(cdItems));
}

void TWebMain::SetInconsistent(bool shown)
{
    FInconsistentLabel->setVisible(shown);
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

QColor TWebMain::AreaColor(TTabMode mode) const
{
    const TStateSettings &state = FSession.State;
    switch (mode) {
    case tmViewer:
        return WinColor(state.BoxColor);
    case tmCard:
        return WinColor(state.CardBackColor);
    case tmOrder:
        return WinColor(state.GridColor);
    case tmShop:
        return WinColor(kShopPanelColor);
    case tmBrowser:
        break;
    }
    return WinColor(kFilmPanelColor);
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
    FTabBar->SetBackground(AreaColor(FMode));
    QPalette palette = FTabRow->palette();
    palette.setColor(QPalette::Window, AreaColor(FMode));
    FTabRow->setPalette(palette);
    UpdateModeCommands();
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
        FMainPanels[1]->setText(static_cast<QStatusTipEvent *>(event)->tip());
        return true;
    }
    return QMainWindow::event(event);
}

void TWebMain::SetBrowserFolder(const QString &folder)
{
    FSources->ListFolder(folder, false);
}

void TWebMain::BrowserActivated(int row)
{
    FViewerPage->ViewBrowserFile(row);
}

void TWebMain::ApplySettings()
{
    TStateSettings &state = FSession.State;
    FSplitter->setSizes(
        { std::max(state.FolderWidth, 50), 260, std::max(width() - state.FolderWidth - 260, 100) });
    FWorkSplitter->setSizes({ std::max(height() - state.PanelRBHeight, 100), state.PanelRBHeight });
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
        SetBrowserFolder(state.LastDir);
    }
    FViewerPage->UpdateViewerCommands();
}

void TWebMain::MemoryStatus()
{
    ++FMemoryCalls;
}

} // namespace korvatel
