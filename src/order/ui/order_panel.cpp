#include "order/ui/order_panel.h"

#include "order/order_copy.h"
#include "order/ui/thumb_grid.h"
#include "platform/prompter.h"
#include "platform/ui/flow_layout.h"
#include "platform/ui/menu_commands.h"
#include "platform/ui/qt_prompter.h"
#include "platform/ui/widget_helpers.h"
#include "pricing/price_tables.h"
#include "workspace/option_settings.h"
#include "workspace/shop_options.h"
#include "workspace/state_settings.h"
#include "workspace/workspace_settings.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QScrollBar>
#include <QSpinBox>
#include <QVBoxLayout>

namespace korvatel
{

TOrderPanel::TOrderPanel(TThumbNails &orders, const TOrderPanelSettings &settings, QWidget *parent)
    : QWidget(parent)
    , FOrders(orders)
    , FSettings(settings)
{
    setObjectName(QStringLiteral("pnOrder"));
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(BuildOrderBar());
    // The grid with its page bar at the right: the bar shows where the page shown lies among
    // the pages of the basket and turns them.
    auto *gridRow = new QHBoxLayout;
    gridRow->setSpacing(0);
    gridRow->addWidget(BuildOrderGrid(), 1);
    FPageBar = new QScrollBar(Qt::Vertical, this);
    FPageBar->setObjectName(QStringLiteral("sbOrderPages"));
    FPageBar->setPageStep(1);
    connect(FPageBar, &QScrollBar::valueChanged, this, [this](int page) {
        if (page != FGrid->Page())
            FGrid->ShowPage(page);
    });
    FGrid->OnPagesChanged = [this] { ShowPages(); };
    gridRow->addWidget(FPageBar);
    layout->addLayout(gridRow, 1);
    ShowPages();
}

TOrderPanel::~TOrderPanel()
{
    // The basket outlives the panel: it stops calling back.
    FOrders.OnChange = nullptr;
    FOrders.OnBeforeSort = nullptr;
    FGrid->OnPagesChanged = nullptr;
    FGrid->SetList(nullptr);
}

QLayout *TOrderPanel::BuildOrderBar()
{
    // In a narrow window the bar takes a second row instead of overlapping itself; the two
    // buttons keep to the right.
    auto *orderBar = new TFlowLayout;
    orderBar->setSpacing(6);
    const auto caption = [this](const QString &text) {
        auto *label = new QLabel(text, this);
        label->setMinimumWidth(label->sizeHint().width());
        label->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Preferred);
        return label;
    };
    orderBar->addWidget(caption(QStringLiteral("注文サイズ初期値")));
    FDefaultSize = new QComboBox(this);
    FDefaultSize->setMinimumWidth(FDefaultSize->fontMetrics().horizontalAdvance(u'M') * 3);
    FDefaultSize->setObjectName(QStringLiteral("cbxDefSize"));
    FDefaultSize->addItems(FSettings.priceTables->SizeList(false));
    orderBar->addWidget(FDefaultSize);
    orderBar->addWidget(caption(QStringLiteral("注文数初期値")));
    FDefaultCount = new QSpinBox(this);
    FDefaultCount->setObjectName(QStringLiteral("seDefCount"));
    FDefaultCount->setRange(1, 99);
    orderBar->addWidget(FDefaultCount);
    FNoHosei = new QCheckBox(QStringLiteral("無補正"), this);
    FNoHosei->setObjectName(QStringLiteral("cbNoHosei"));
    FNoHosei->setVisible(FSettings.correctionOffered);
    orderBar->addWidget(FNoHosei);
    QPushButton *clear = NamedButton(this, "sbClear", QStringLiteral("クリア"),
        QStringLiteral("全注文をクリア|注文を全てキャンセルします。"));
    QPushButton *toOrder = NamedButton(this, "sbOrder", QStringLiteral("注文へ"));
    connect(clear, &QPushButton::clicked, this, &TOrderPanel::sbClearClick);
    connect(toOrder, &QPushButton::clicked, this, [this] {
        if (OrderClick)
            OrderClick();
    });
    orderBar->addWidget(clear);
    orderBar->addWidget(toOrder);
    orderBar->setAlignment(clear, Qt::AlignRight);
    orderBar->setAlignment(toOrder, Qt::AlignRight);

    connect(FDefaultSize, &QComboBox::currentTextChanged, this, &TOrderPanel::DefaultSizeChanged);
    connect(FNoHosei, &QCheckBox::toggled, this, [this](bool on) {
        FSettings.defaults->DefNoHosei = on;
        FSettings.defaults->Save(FSettings.defaultPath);
    });
    return orderBar;
}

void TOrderPanel::ShowPages()
{
    const QSignalBlocker block(FPageBar);
    const int pages = std::max(FGrid->PageCount(), 1);
    FPageBar->setRange(0, pages - 1);
    FPageBar->setValue(FGrid->Page());
    FPageBar->setEnabled(pages > 1);
    FPageBar->setToolTip(QStringLiteral("%1 / %2 ページ").arg(FGrid->Page() + 1).arg(pages));
}

QWidget *TOrderPanel::BuildOrderGrid()
{
    auto *host = new QFrame(this);
    host->setObjectName(QStringLiteral("pnOrderGrid"));
    host->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    host->setAutoFillBackground(true);
    QPalette palette = host->palette();
    palette.setColor(QPalette::Window, WinColor(FSettings.state->GridColor));
    host->setPalette(palette);

    const TShopOptions &options = *FSettings.shopOptions;
    const TStateSettings &state = *FSettings.state;
    FGrid = new TThumbGrid(host);
    FGrid->SetColumns(options.ThumbColCount > 0 ? options.ThumbColCount : 3);
    FGrid->SetCellType(options.ThumbCType);
    FGrid->SetCopyAtRight(options.BtnRightAlign);
    FGrid->SetSizeLeft(options.SizeBtnLeft);
    FGrid->SetPlusLeft(options.PlusBtnLeft);
    FGrid->SetFines(options.FinesLow, options.FinesHi);
    FGrid->SetImprintLook(ShopImprintLook(options));
    FGrid->SetDateEditable(!options.CustDateNotEdit);
    FGrid->SetTables(FSettings.priceTables);
    FGrid->SetCorrectionOffered(FSettings.correctionOffered);
    FGrid->SetPhoneOffered(FSettings.phoneOffered);
    FGrid->SetOnline(FSettings.online);
    FGrid->SetShutterOff(FSettings.option2->ShutterOff);
    FGrid->SetMouseFocus(!FSettings.option2->UnMouseFocus);
    FGrid->SetPrompter(FPrompter);
    ApplyOrderGridOptions();
    FGrid->SetCopyKind(StartCopyKind(state.CopyBtnTypeIndex, options.CopyBtnType));
    ConnectGrid();

    // The popup over a picture holds the commands of the menu "注文詳細" (BuildMenu).
    FPopup = new QMenu(this);
    FPopup->setObjectName(QStringLiteral("pmOrder"));
    FGrid->SetPopupMenu(FPopup);

    // The list keeps the sort of State.ini; every change of it shows in the grid and the bars.
    FOrders.SetSort(std::clamp(state.ThumbSortType, 0, 4), state.ThumbDeSort);
    FOrders.OnBeforeSort = [this] { FGrid->CommitDateEditor(); };
    // A picture deleted in the grid loses its mark in the browser at once.
    FOrders.OnChange = [this] {
        FGrid->ListChanged();
        Changed();
    };
    FGrid->SetList(&FOrders);
    return host;
}

void TOrderPanel::ConnectGrid()
{
    FGrid->PlaySound = [this](const QString &name) {
        if (PlaySound)
            PlaySound(name);
    };
    FGrid->OnHint = [this](const QString &hint) {
        if (ShowHint)
            ShowHint(hint);
    };
    FGrid->OnAfterMouseUp = [this] { OrderGridChanged(); };
    FGrid->OnCurrentChanged = [this](int) { OrderGridChanged(); };
    FGrid->OnChanged = [this] {
        if (SaveBasket)
            SaveBasket();
    };
    FGrid->OnLocate = [this](const QString &path, int) {
        if (Locate)
            Locate(path);
    };
    FGrid->ShowCopyWindow = [this](int index, const QRect &cell) {
        if (ShowCopyWindow)
            ShowCopyWindow(index, cell);
    };
    FGrid->OpenCorrection
        = [this](TThumbNail &item) { return OpenCorrection && OpenCorrection(item); };
}

void TOrderPanel::SetPrompter(TPrompter *prompter)
{
    FPrompter = prompter;
    FGrid->SetPrompter(prompter);
}

void TOrderPanel::Changed()
{
    if (BasketChanged)
        BasketChanged();
}

void TOrderPanel::BuildMenu(QMenu *menu)
{
    TStateSettings &state = *FSettings.state;
    AddMenuCommand(
        this, menu, "miResort", QStringLiteral("更新ソート"), {}, [this] { miResortClick(); });
    QMenu *sort = menu->addMenu(QStringLiteral("ソートタイプ"));
    sort->menuAction()->setObjectName(QStringLiteral("miThumbSort"));
    AddMenuChoices(this, sort, "miThumbSort",
        { QStringLiteral("注文順"), QStringLiteral("印字日付順"), QStringLiteral("ファイル名順"),
            QStringLiteral("フォルダ別"), QStringLiteral("サイズ順") },
        std::clamp(state.ThumbSortType, 0, 4), [this](int i) {
            FSettings.state->ThumbSortType = i;
            OrderSortChanged();
        });
    sort->addSeparator();
    QAction *ascending
        = AddMenuCommand(this, sort, "miThumbAscending", QStringLiteral("昇順ソート"));
    ascending->setCheckable(true);
    ascending->setChecked(!state.ThumbDeSort);
    connect(ascending, &QAction::toggled, this, [this](bool on) {
        FSettings.state->ThumbDeSort = !on;
        OrderSortChanged();
    });
    QMenu *grid = menu->addMenu(QStringLiteral("グリッドタイプ"));
    grid->menuAction()->setObjectName(QStringLiteral("miGridType"));
    AddMenuChoices(this, grid, "miGridType",
        { QStringLiteral("Ver 1.00"), QStringLiteral("Ver 1.10") },
        state.OrderPlateType == 1 ? 1 : 0, [this](int i) {
            FSettings.state->OrderPlateType = i;
            ApplyOrderGridOptions();
        });
    if (FSettings.correctionOffered) {
        AddMenuCommand(this, menu, "miHosei", QStringLiteral("色調補正..."),
            QKeySequence(Qt::CTRL | Qt::Key_H), [this] { miHoseiClick(); });
    }
    QMenu *copy = menu->addMenu(QStringLiteral("Copyボタン機能設定"));
    copy->menuAction()->setObjectName(QStringLiteral("miCopyBtn"));
    copy->menuAction()->setParent(this);
    AddMenuChoices(this, copy, "miCopyBtn",
        { QStringLiteral("最後まで一発コピー"), QStringLiteral("詳細コピー Type1"),
            QStringLiteral("詳細コピー Type2") },
        CopyKindIndex(StartCopyKind(state.CopyBtnTypeIndex, FSettings.shopOptions->CopyBtnType)),
        [this](int i) {
            FSettings.state->CopyBtnTypeIndex = i;
            FGrid->SetCopyKind(CopyKindOfIndex(i));
        });
    EnableCommand(copy->menuAction(), FSettings.online,
        QStringLiteral("OFF-LINEです。この操作はできません。"));
    FPopup->addActions(menu->actions());
}

void TOrderPanel::ApplySettings()
{
    {
        const QSignalBlocker block(FDefaultSize);
        FDefaultSize->setCurrentText(FSettings.defaults->DefSize);
    }
    {
        const QSignalBlocker block(FNoHosei);
        FNoHosei->setChecked(FSettings.defaults->DefNoHosei);
    }
    DefaultSizeChanged();
}

TToggleDefaults TOrderPanel::ToggleDefaults() const
{
    return { FDefaultCount->value(), FSettings.defaults->DefSize, FSettings.defaults->DefNoHosei };
}

void TOrderPanel::DefaultSizeChanged()
{
    TDefaultSettings &defaults = *FSettings.defaults;
    const QString size = FDefaultSize->currentText();
    if (!size.isEmpty() && size != defaults.DefSize) {
        defaults.DefSize = size;
        defaults.Save(FSettings.defaultPath);
    }
    const TPrintDimensions dimensions = FSettings.priceTables->PrintDimensions(size);
    if (!size.isEmpty() && dimensions.ok && dimensions.longSide > 0 && dimensions.shortSide > 0
        && FrameProportions)
        FrameProportions(dimensions.longSide, dimensions.shortSide);
}

void TOrderPanel::ApplyOrderGridOptions()
{
    const TStateSettings &state = *FSettings.state;
    FGrid->SetPlateType(state.OrderPlateType);
    FGrid->SetDblClickNuming(state.DblClickNuming);
    FGrid->SetDragNuming(state.DragNuming);
}

void TOrderPanel::OrderSortChanged()
{
    FOrders.SetSort(std::clamp(FSettings.state->ThumbSortType, 0, 4), FSettings.state->ThumbDeSort);
}

void TOrderPanel::miResortClick()
{
    if (!FSettings.online)
        return;
    OrderSortChanged();
    FOrders.Sort();
    FGrid->ListChanged();
}

void TOrderPanel::miHoseiClick()
{
    TThumbNail *item = FOrders.Item(FGrid->CurrentIndex());
    if (!item || item->OrderType != otDpe) {
        TPrompter &prompter = FPrompter ? *FPrompter : DefaultQtPrompter();
        prompter.Inform(QStringLiteral("色調補正する写真を注文画面で選んでから実行してください。"));
        return;
    }
    FGrid->RunCorrectionWindow(*item);
}

void TOrderPanel::OrderGridChanged()
{
    FOrders.RebuildAggregate();
    Changed();
}

void TOrderPanel::sbClearClick()
{
    TPrompter &prompter = FPrompter ? *FPrompter : DefaultQtPrompter();
    if (!FSettings.online) {
        prompter.Warn(QStringLiteral("OFF-LINEです。注文内容は変更できません。"));
        return;
    }
    if (FOrders.Count() == 0)
        return;
    if (!prompter.Confirm(QStringLiteral("全ての注文画像を削除します。よろしいですか？")))
        return;
    FOrders.Clear();
    FOrders.Recount();
    FOrders.RebuildAggregate();
    if (Cleared)
        Cleared();
}

} // namespace korvatel
