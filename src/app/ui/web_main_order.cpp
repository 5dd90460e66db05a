// The order grid in the order panel: its options from the shop and State.ini, its callbacks to
// the window (hints, totals, the browser's marks, sounds, the popup menu) and the way back from
// a picture of the basket to its cell in the browser.
#include "app/client_session.h"
#include "app/ui/web_main.h"
#include "order/order_copy.h"
#include "order/ui/thumb_grid.h"
#include "platform/ui/widget_helpers.h"
#include "sources/source_modes.h"
#include "sources/ui/browser_panel.h"
#include "sources/ui/film_grid.h"
#include "sources/ui/source_panel.h"

#include <QAction>
#include <QCursor>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QFrame>
#include <QItemSelectionModel>
#include <QLabel>
#include <QMenu>
#include <QRegularExpression>
#include <QTreeView>
#include <QTreeWidget>

namespace korvatel
{

namespace
{

// The day node "yy/mm/dd" of a picture's date text ("yyyy.mm.dd" or "yyyy-mm-dd").
QString DayNodeText(const QString &date)
{
    static const QRegularExpression pattern(QStringLiteral("^(\\d{4})\\D(\\d{1,2})\\D(\\d{1,2})"));
    const QRegularExpressionMatch match = pattern.match(date);
    if (!match.hasMatch())
        return {};
    return QStringLiteral("%1/%2/%3")
        .arg(match.captured(1).toInt() % 100, 2, 10, QChar(u'0'))
        .arg(match.captured(2).toInt(), 2, 10, QChar(u'0'))
        .arg(match.captured(3).toInt(), 2, 10, QChar(u'0'));
}

} // namespace

QWidget *TWebMain::BuildOrderGrid(QWidget *parent)
{
    auto *host = new QFrame(parent);
    host->setObjectName(QStringLiteral("pnOrderGrid"));
    host->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    host->setAutoFillBackground(true);
    QPalette palette = host->palette();
    palette.setColor(QPalette::Window, WinColor(FSession.State.GridColor));
    host->setPalette(palette);

    const TShopOptions &options = FSession.ShopOptions;
    const TStateSettings &state = FSession.State;
    FGrid = new TThumbGrid(host);
    FGrid->SetColumns(options.ThumbColCount > 0 ? options.ThumbColCount : 3);
    FGrid->SetCellType(options.ThumbCType);
    FGrid->SetCopyAtRight(options.BtnRightAlign);
    FGrid->SetSizeLeft(options.SizeBtnLeft);
    FGrid->SetPlusLeft(options.PlusBtnLeft);
    FGrid->SetFines(options.FinesLow, options.FinesHi);
    FGrid->SetDateEditable(!options.CustDateNotEdit);
    FGrid->SetTables(&FSession.PriceTables);
    FGrid->SetCorrectionOffered(FSession.ShopOffersCorrection());
    FGrid->SetOnline(Online());
    FGrid->SetShutterOff(FSession.Option2.ShutterOff);
    FGrid->SetMouseFocus(!FSession.Option2.UnMouseFocus);
    FGrid->SetPrompter(FPrompter);
    ApplyOrderGridOptions();
    FGrid->SetCopyKind(StartCopyKind(state.CopyBtnTypeIndex, options.CopyBtnType));

    FGrid->PlaySound = [this](const QString &name) {
        if (PlaySound)
            PlaySound(name);
    };
    FGrid->OnHint = [this](const QString &hint) { FMainPanels[1]->setText(hint); };
    FGrid->OnAfterMouseUp = [this] { OrderGridChanged(); };
    FGrid->OnCurrentChanged = [this](int) { OrderGridChanged(); };
    FGrid->OnChanged = [this] { ScheduleBasketSave(); };
    FGrid->OnLocate = [this](const QString &path, int) { LocatePicture(path); };
    FGrid->ShowCopyWindow = [this](int index, const QRect &cell) {
        if (ShowCopyWindow)
            ShowCopyWindow(index, cell);
    };
    FGrid->OpenCorrection
        = [this](TThumbNail &item) { return OpenCorrection && OpenCorrection(item); };

    // The popup over a picture holds the commands of the "注文詳細" menu (BuildOrderMenu).
    FOrderPopup = new QMenu(this);
    FOrderPopup->setObjectName(QStringLiteral("pmOrder"));
    FGrid->SetPopupMenu(FOrderPopup);

    // The list keeps the sort of State.ini; every change of it shows in the grid and the bars.
    FOrders.SetSort(std::clamp(state.ThumbSortType, 0, 4), state.ThumbDeSort);
    FOrders.OnBeforeSort = [this] { FGrid->CommitDateEditor(); };
    // A picture deleted in the grid loses its mark in the browser at once.
    FOrders.OnChange = [this] {
        FGrid->ListChanged();
        ShowBasketTotals();
        RefreshFilmMarks();
        ScheduleBasketSave();
    };
    FGrid->SetList(&FOrders);
    return host;
}

void TWebMain::ApplyOrderGridOptions()
{
    if (!FGrid)
        return;
    const TStateSettings &state = FSession.State;
    FGrid->SetPlateType(state.OrderPlateType);
    FGrid->SetDblClickNuming(state.DblClickNuming);
    FGrid->SetDragNuming(state.DragNuming);
}

void TWebMain::OrderSortChanged()
{
    FOrders.SetSort(std::clamp(FSession.State.ThumbSortType, 0, 4), FSession.State.ThumbDeSort);
}

void TWebMain::miResortClick()
{
    if (!Online())
        return;
    FOrders.SetSort(std::clamp(FSession.State.ThumbSortType, 0, 4), FSession.State.ThumbDeSort);
    FOrders.Sort();
    FGrid->ListChanged();
}

void TWebMain::OrderGridChanged()
{
    FOrders.RebuildAggregate();
    ShowBasketTotals();
    RefreshFilmMarks();
    ScheduleBasketSave();
}

void TWebMain::LocatePicture(const QString &path)
{
    if (FMode != tmBrowser)
        SelectTab(0);
    const int at = FOrders.Find(1, path);
    const TThumbNail *item = FOrders.Item(at);
    FSources->ShowSourceOf(path, item ? DayNodeText(item->DateStr[0]) : QString());
    const int cell = FBrowserPanel->Film().Paths().indexOf(path);
    if (cell < 0)
        return;
    TFilmGrid *strip = FBrowserPanel->lvBrowser();
    strip->SetCurrentIndex(cell);
    const QRect rect = strip->CellRect(cell);
    if (!rect.isEmpty())
        QCursor::setPos(strip->viewport()->mapToGlobal(rect.center()));
}

} // namespace korvatel
