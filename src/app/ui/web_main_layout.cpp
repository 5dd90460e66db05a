// The regions of the main window: source panel, film strip, work area with one page per tab,
// the lower right panel, the tab bar and the status bars; the tabs and the keys that choose them.
#include "app/client_session.h"
#include "app/ui/main_tab_bar.h"
#include "app/ui/web_main.h"
#include "imaging/picture_kinds.h"
#include "platform/prompter.h"
#include "platform/ui/widget_helpers.h"
#include "sources/ui/browser_panel.h"
#include "sources/ui/source_panel.h"
#include "viewer/ui/rect_label.h"
#include "viewer/ui/viewer_stage.h"

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

QPushButton *Button(
    QWidget *parent, const char *name, const QString &caption, const QString &hint = {})
{
    auto *button = new QPushButton(caption, parent);
    button->setObjectName(QString::fromLatin1(name));
    if (!hint.isEmpty())
        SetHint(button, hint);
    return button;
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
    FStage = new TViewerStage(FPages);
    FPages->addWidget(FStage);

    auto *card = new QLabel(QStringLiteral("カード作成"), FPages);
    card->setObjectName(QStringLiteral("pnCard"));
    card->setAlignment(Qt::AlignCenter);
    card->setEnabled(false);
    FPages->addWidget(card);

    auto *order = new QWidget(FPages);
    order->setObjectName(QStringLiteral("pnOrder"));
    auto *orderLayout = new QVBoxLayout(order);
    auto *orderBar = new QHBoxLayout;
    // The captions keep their full width in a narrow window; the fields give way instead.
    const auto caption = [order](const QString &text) {
        auto *label = new QLabel(text, order);
        label->setMinimumWidth(label->sizeHint().width());
        label->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Preferred);
        return label;
    };
    orderBar->addWidget(caption(QStringLiteral("注文サイズ初期値")));
    FDefaultSize = new QComboBox(order);
    FDefaultSize->setMinimumWidth(FDefaultSize->fontMetrics().horizontalAdvance(u'M') * 3);
    FDefaultSize->setObjectName(QStringLiteral("cbxDefSize"));
    FDefaultSize->addItems(FSession.PriceTables.SizeList(false));
    orderBar->addWidget(FDefaultSize);
    orderBar->addWidget(caption(QStringLiteral("注文数初期値")));
    FDefaultCount = new QSpinBox(order);
    FDefaultCount->setObjectName(QStringLiteral("seDefCount"));
    FDefaultCount->setRange(1, 99);
    orderBar->addWidget(FDefaultCount);
    FNoHosei = new QCheckBox(QStringLiteral("無補正"), order);
    FNoHosei->setObjectName(QStringLiteral("cbNoHosei"));
    FNoHosei->setVisible(FSession.ShopOffersCorrection());
    orderBar->addWidget(FNoHosei);
    orderBar->addStretch(1);
    QPushButton *clear = Button(order, "sbClear", QStringLiteral("クリア"),
        QStringLiteral("全注文をクリア|注文を全てキャンセルします。"));
    QPushButton *toOrder = Button(order, "sbOrder", QStringLiteral("注文へ"));
    connect(clear, &QPushButton::clicked, this, &TWebMain::sbClearClick);
    connect(toOrder, &QPushButton::clicked, this, &TWebMain::sbOrderClick);
    orderBar->addWidget(clear);
    orderBar->addWidget(toOrder);
    orderLayout->addLayout(orderBar);
    orderLayout->addWidget(BuildOrderGrid(order), 1);
    FPages->addWidget(order);

    auto *shop = new QLabel(FPages);
    shop->setObjectName(QStringLiteral("pnShop"));
    shop->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    shop->setMargin(16);
    shop->setTextInteractionFlags(Qt::TextSelectableByMouse);
    const TShopOptions &options = FSession.ShopOptions;
    QStringList shopLines;
    for (const QString &line :
        { options.Shop, options.Tel, options.Address, options.HomePage, options.Message })
        if (!line.isEmpty())
            shopLines << line;
    shop->setText(shopLines.isEmpty() ? QStringLiteral("価格情報") : shopLines.join(u'\n'));
    FPages->addWidget(shop);

    FPanelRB = new QWidget(FWorkSplitter);
    FPanelRB->setObjectName(QStringLiteral("pnRB"));
    auto *rbLayout = new QVBoxLayout(FPanelRB);
    FShopName = new QLabel(options.Shop.isEmpty() ? FSession.ShopId() : options.Shop, FPanelRB);
    FShopName->setObjectName(QStringLiteral("lbShopName"));
    rbLayout->addWidget(FShopName);
    rbLayout->addStretch(1);
    FWorkSplitter->addWidget(FPages);
    FWorkSplitter->addWidget(FPanelRB);
    FWorkSplitter->setStretchFactor(0, 1);
    FWorkSplitter->setCollapsible(0, false);
    layout->addWidget(FWorkSplitter);

    connect(FStage, &TViewerStage::frameChanged, this, &TWebMain::FrameChanged);
    connect(FStage, &TViewerStage::pictureChanged, this, &TWebMain::UpdateViewerCommands);
    connect(FStage, &TViewerStage::hintText, this,
        [this](const QString &text) { FMainPanels[1]->setText(text); });
    connect(FDefaultSize, &QComboBox::currentTextChanged, this, &TWebMain::DefaultSizeChanged);
    connect(FNoHosei, &QCheckBox::toggled, this, [this](bool on) {
        FSession.Defaults.DefNoHosei = on;
        FSession.Defaults.Save(FSession.DefaultPath());
    });
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
    const QStringList files = FBrowserPanel->BrowserFiles();
    if (row < 0 || row >= files.size())
        return;
    FBrowserIndex = row;
    if (FMode != tmViewer)
        SelectTab(TabIndexOf(tmViewer));
    ViewPicture(files[row]);
}

void TWebMain::ApplySettings()
{
    TStateSettings &state = FSession.State;
    FSplitter->setSizes(
        { std::max(state.FolderWidth, 50), 260, std::max(width() - state.FolderWidth - 260, 100) });
    FWorkSplitter->setSizes({ std::max(height() - state.PanelRBHeight, 100), state.PanelRBHeight });
    FTabBar->SetStartMargin(std::max(state.FolderWidth, 50));
    FStage->SetMaxZoom(state.MaxZoom);
    FStage->SetAnchorWide(state.AnchorWide);
    FBrowserPanel->ApplyFilmLook();
    QPalette view = FStage->View()->palette();
    view.setColor(QPalette::Dark, WinColor(state.BoxColor));
    FStage->View()->setPalette(view);
    {
        const QSignalBlocker block(FBrowserPanel->cbxThumbMode());
        FBrowserPanel->cbxThumbMode()->setCurrentIndex(std::clamp(state.ThumbType, 0, 8));
    }
    {
        const QSignalBlocker block(FDefaultSize);
        FDefaultSize->setCurrentText(FSession.Defaults.DefSize);
    }
    {
        const QSignalBlocker block(FNoHosei);
        FNoHosei->setChecked(FSession.Defaults.DefNoHosei);
    }
    DefaultSizeChanged();
    FBrowserPanel->UpdateSortLabel();
    if (!state.LastDir.isEmpty() && FBrowserPanel->BrowserFiles().isEmpty()
        && QFileInfo(state.LastDir).isDir()) {
        // The folder tree shows the last folder, which the film strip lists.
        FSources->ChooseFolder(state.LastDir);
        SetBrowserFolder(state.LastDir);
    }
    UpdateViewerCommands();
}

void TWebMain::DefaultSizeChanged()
{
    const QString size = FDefaultSize->currentText();
    if (!size.isEmpty() && size != FSession.Defaults.DefSize) {
        FSession.Defaults.DefSize = size;
        FSession.Defaults.Save(FSession.DefaultPath());
    }
    // The trimming frame keeps the proportions of the default size's print.
    const TPrintDimensions dimensions = FSession.PriceTables.PrintDimensions(size);
    if (!size.isEmpty() && dimensions.ok && dimensions.longSide > 0 && dimensions.shortSide > 0)
        FStage->SetFrameProportions(dimensions.longSide, dimensions.shortSide);
}

void TWebMain::MemoryStatus()
{
    ++FMemoryCalls;
}

} // namespace korvatel
