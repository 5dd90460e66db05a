#pragma once

#include "order/thumb_nails.h"

#include <QRect>
#include <QWidget>
#include <functional>

class QCheckBox;
class QComboBox;
class QLayout;
class QMenu;
class QScrollBar;
class QSpinBox;

namespace korvatel
{

struct TDefaultSettings;
struct TOption2Settings;
class TPriceTables;
class TPrompter;
struct TShopOptions;
struct TStateSettings;
class TThumbGrid;

// What the order panel reads: State.ini (the grid's look, its sort, the copy button; the menu
// changes them), Default.ini with its path (the default size, count and "無補正", saved when
// changed), the shop's options and price tables, and what the run knows about the shop.
struct TOrderPanelSettings {
    TStateSettings *state = nullptr;
    TDefaultSettings *defaults = nullptr;
    QString defaultPath;
    const TShopOptions *shopOptions = nullptr;
    const TOption2Settings *option2 = nullptr;
    const TPriceTables *priceTables = nullptr;
    bool correctionOffered = false;
    bool phoneOffered = false; // the cells carry the "携帯" toggle
    bool online = true;
};

// The order panel of the main window: the order bar (the default size, count and "無補正", the
// buttons "クリア" and "注文へ") over the order grid of the basket, and the commands of the
// menu "注文詳細", which the grid's popup menu repeats. The panel borrows the basket; what the
// window does around it (the totals, the browser's marks, saving the order memory, the print
// order, the way back to the browser) goes through the hooks. Empty hooks do nothing.
class TOrderPanel : public QWidget
{
    Q_OBJECT

public:
    TOrderPanel(
        TThumbNails &orders, const TOrderPanelSettings &settings, QWidget *parent = nullptr);
    ~TOrderPanel() override;

    TThumbGrid *Grid() const { return FGrid; }
    QMenu *PopupMenu() const { return FPopup; }
    QScrollBar *PageBar() const { return FPageBar; }
    void SetPrompter(TPrompter *prompter);
    // Fills the menu "注文詳細" with the panel's commands and gives them to the popup menu.
    void BuildMenu(QMenu *menu);
    // Shows the default size and "無補正" of Default.ini and gives the size to FrameProportions.
    void ApplySettings();
    // The values a picture ordered from the browser starts with.
    TToggleDefaults ToggleDefaults() const;

    // The panel's commands.
    void sbClearClick();
    void miResortClick();
    // "色調補正...": the correction window of the current item.
    void miHoseiClick();
    // The sort of State.ini changed: the list keeps it from now on.
    void OrderSortChanged();
    // The grid takes the plate type and the numbering gestures of State.ini again.
    void ApplyOrderGridOptions();

    // The basket changed in a way its totals and the browser's marks show; and a change only
    // the order memory needs to keep.
    std::function<void()> BasketChanged;
    std::function<void()> SaveBasket;
    // "クリア" emptied the basket.
    std::function<void()> Cleared;
    // "注文へ".
    std::function<void()> OrderClick;
    std::function<void(const QString &hint)> ShowHint;
    std::function<void(const QString &name)> PlaySound;
    // Returns to the picture of the basket in the browser.
    std::function<void(const QString &path)> Locate;
    // The copy window of the copy kinds 16 and 17 and the correction window of an item (true
    // when it changed the item's record).
    std::function<void(int index, QRect cellOnScreen)> ShowCopyWindow;
    std::function<bool(TThumbNail &item)> OpenCorrection;
    // The trimming frame keeps the proportions of the default size's print.
    std::function<void(double longSide, double shortSide)> FrameProportions;

private:
    QLayout *BuildOrderBar();
    QWidget *BuildOrderGrid();
    // The page bar follows the grid's pages.
    void ShowPages();
    void ConnectGrid();
    void OrderGridChanged();
    void DefaultSizeChanged();
    void Changed();

    TThumbNails &FOrders;
    TOrderPanelSettings FSettings;
    TPrompter *FPrompter = nullptr;
    QComboBox *FDefaultSize = nullptr;
    QSpinBox *FDefaultCount = nullptr;
    QCheckBox *FNoHosei = nullptr;
    TThumbGrid *FGrid = nullptr;
    QMenu *FPopup = nullptr;
    QScrollBar *FPageBar = nullptr;
};

} // namespace korvatel
