// The order panel in the main window: what its changes of the basket do to the window (the
// totals, the browser's marks, saving the order memory, sounds, hints), and the way back from a
// picture of the basket to its cell in the browser.
#include "app/client_session.h"
#include "app/ui/web_main.h"
#include "order/ui/order_panel.h"
#include "sources/source_modes.h"
#include "sources/ui/browser_panel.h"
#include "sources/ui/film_grid.h"
#include "sources/ui/source_panel.h"
#include "viewer/ui/viewer_page.h"
#include "viewer/ui/viewer_stage.h"

#include <QCursor>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QItemSelectionModel>
#include <QLabel>
#include <QRegularExpression>
#include <QStackedWidget>
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

void TWebMain::BuildOrderPage()
{
    TOrderPanelSettings settings;
    settings.state = &FSession.State;
    settings.defaults = &FSession.Defaults;
    settings.defaultPath = FSession.DefaultPath();
    settings.shopOptions = &FSession.ShopOptions;
    settings.option2 = &FSession.Option2;
    settings.priceTables = &FSession.PriceTables;
    settings.correctionOffered = FSession.ShopOffersCorrection();
    settings.online = Online();
    FOrderPage = new TOrderPanel(FOrders, settings, FPages);
    FOrderPage->SetPrompter(FPrompter);
    FOrderPage->BasketChanged = [this] {
        ShowBasketTotals();
        RefreshFilmMarks();
        ScheduleBasketSave();
    };
    FOrderPage->SaveBasket = [this] { ScheduleBasketSave(); };
    FOrderPage->Cleared = [this] {
        // An empty basket has nothing inconsistent left to repair.
        SetInconsistent(false);
        ShowBasketTotals();
        RefreshFilmMarks();
        SelectTab(0);
        MemoryStatus();
    };
    FOrderPage->OrderClick = [this] { sbOrderClick(); };
    FOrderPage->ShowHint = [this](const QString &hint) { FMainPanels[1]->setText(hint); };
    FOrderPage->PlaySound = [this](const QString &name) {
        if (PlaySound)
            PlaySound(name);
    };
    FOrderPage->Locate = [this](const QString &path) { LocatePicture(path); };
    FOrderPage->ShowCopyWindow = [this](int index, QRect cell) {
        if (ShowCopyWindow)
            ShowCopyWindow(index, cell);
    };
    FOrderPage->OpenCorrection
        = [this](TThumbNail &item) { return OpenCorrection && OpenCorrection(item); };
    FOrderPage->FrameProportions = [this](double longSide, double shortSide) {
        FViewerPage->Stage()->SetFrameProportions(longSide, shortSide);
    };
    FPages->addWidget(FOrderPage);
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
