// What the pages ask of the main window: the status texts they send, the browser's clicks,
// the viewer's commands that reach the browser and the basket, the order panel's changes of the
// basket, the way back from a picture of the basket to its cell, and the full-size switch.
#include "app/client_session.h"
#include "app/ui/basket_actions.h"
#include "app/ui/order_start_windows.h"
#include "app/ui/status_bars.h"
#include "app/ui/web_main.h"
#include "imaging/ui/hosei_form.h"
#include "order/ui/order_copy_form.h"
#include "order/ui/order_panel.h"
#include "order/ui/thumb_grid.h"
#include "sources/date_scan.h"
#include "sources/source_modes.h"
#include "sources/ui/browser_panel.h"
#include "sources/ui/film_grid.h"
#include "sources/ui/source_panel.h"
#include "viewer/ui/viewer_page.h"
#include "viewer/ui/viewer_stage.h"

#include <QAction>
#include <QCursor>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QMenuBar>
#include <QScrollBar>

namespace korvatel
{

void TWebMain::WireSourcePages()
{
    FSources->SetBrowser(FBrowserPanel);
    FSources->SetPrompter(FPrompter);
    FSources->ShootingDates = [this] { return FSession.Option2.ShootingDateList; };
    connect(FSources, &TSourcePanel::nodeText, this,
        [this](const QString &text) { FStatusBars->ShowStatus(0, text); });
    connect(FSources, &TSourcePanel::scanText, this,
        [this](const QString &folder) { FStatusBars->ShowStatus(2, folder); });

    FBrowserPanel->SetPrompter(FPrompter);
    FBrowserPanel->ListShown = [this] {
        FViewerPage->SetBrowserFiles(FBrowserPanel->BrowserFiles());
        const TFilmList &film = FBrowserPanel->Film();
        FStatusBars->SetOrderCounts(film.OrderedCount(), film.Count(), FSession.Orders().Count());
    };
    FBrowserPanel->ListSorted = [this] {
        FViewerPage->SetBrowserFiles(FBrowserPanel->BrowserFiles(), FViewerPage->BrowserIndex());
    };
    TFilmGrid *grid = FBrowserPanel->lvBrowser();
    connect(grid, &TFilmGrid::cellClicked, this,
        [this](int index, Qt::KeyboardModifiers keys) { BrowserClick(index, keys, false); });
    connect(grid, &TFilmGrid::cellDoubleClicked, this,
        [this](int index, Qt::KeyboardModifiers keys) { BrowserClick(index, keys, true); });
    // Enter on the keyboard opens the picture whatever the click setting; Space orders it,
    // also in the viewer tab, where a click opens it.
    connect(grid, &TFilmGrid::cellActivated, FViewerPage, &TViewerPage::ViewBrowserFile);
    connect(grid, &TFilmGrid::orderKey, this, &TWebMain::OrderCell);
    connect(grid, &TFilmGrid::hintText, this,
        [this](const QString &hint) { FStatusBars->ShowStatus(1, hint); });
    connect(FBrowserPanel, &TBrowserPanel::resetClicked, FSources, &TSourcePanel::ResetClick);
    // The menu items of the thumbnail mode and the check mark follow the page's choice.
    connect(FBrowserPanel, &TBrowserPanel::thumbnailModeChanged, this, [this](int mode) {
        if (QAction *item = Command(QStringLiteral("miThumbMode%1").arg(mode)))
            item->setChecked(true);
    });
    connect(FBrowserPanel, &TBrowserPanel::checkMarkChanged, this, [this](int kind) {
        const QString name = kind < 0 ? QStringLiteral("miCheckMarkM%1").arg(-kind)
                                      : QStringLiteral("miCheckMark%1").arg(kind);
        if (QAction *item = Command(name))
            item->setChecked(true);
    });
}

void TWebMain::BrowserClick(int index, Qt::KeyboardModifiers modifiers, bool doubleClick)
{
    if (index < 0 || index >= FBrowserPanel->Film().Count())
        return;
    if (doubleClick != FSession.State.DblClick)
        return;
    if (FMode == tmViewer) {
        // In the viewer a click opens the picture of the folder or date source.
        const int mode = FSources->SourceMode();
        if (mode == smFolder || mode == smDate || mode == smTemplate)
            FViewerPage->ViewBrowserFile(index);
    } else if (FMode == tmBrowser) {
        OrderCell(index, modifiers);
    }
}

void TWebMain::OrderCell(int index, Qt::KeyboardModifiers modifiers)
{
    if (index < 0 || index >= FBrowserPanel->Film().Count())
        return;
    // A plain click on a file that cannot be read says why nothing is ordered.
    const bool range = modifiers & (Qt::ShiftModifier | Qt::ControlModifier);
    if (!range && FBrowserPanel->ExplainFailedFile(index))
        return;
    FBasket->OrderClick(index, modifiers);
}

void TWebMain::WireViewerPage()
{
    FViewerPage->SetPrompter(FPrompter);
    FViewerPage->ShowStatus
        = [this](int panel, const QString &text) { FStatusBars->ShowStatus(panel, text); };
    FViewerPage->MemoryStatus = [this] { MemoryStatus(); };
    FViewerPage->ShowViewer = [this] { SelectTab(TabIndexOf(tmViewer)); };
    FViewerPage->BrowserCurrent
        = [this](int index) { FBrowserPanel->lvBrowser()->SetCurrentIndex(index); };
    FViewerPage->FocusBrowser = [this] { FBrowserPanel->lvBrowser()->setFocus(); };
    FViewerPage->RelistBrowser = [this] {
        // The browser list shows the new file, at the same scroll position.
        QScrollBar *scroll = FBrowserPanel->lvBrowser()->verticalScrollBar();
        const int position = scroll->value();
        FSources->ListFolder(FSession.State.LastDir, false);
        scroll->setValue(position);
    };
    FViewerPage->OrderFile = [this](const QString &file, const QString &original) {
        FBasket->OrderViewedFile(file, original);
    };
    FViewerPage->AddScannedFile
        = [this](const QString &file) { FSources->AddScannedPicture(file); };
    FViewerPage->ToggleFullSize = [this] { SetFullSize(!FFullSize); };
    FViewerPage->SetImprintLook(ShopImprintLook(FSession.ShopOptions));
    FViewerPage->ImprintOf = [this](const QString &file) {
        const int index = FSession.Orders().Find(1, file);
        return index < 0 ? QString() : ImprintText(*FSession.Orders().Item(index));
    };
}

void TWebMain::WireOrderPage()
{
    FOrderPage->SetPrompter(FPrompter);
    FOrderPage->BasketChanged = [this] {
        FBasket->Refresh();
        FBasket->ScheduleSave();
    };
    FOrderPage->SaveBasket = [this] { FBasket->ScheduleSave(); };
    FOrderPage->Cleared = [this] {
        // An empty basket has nothing inconsistent left to repair.
        FStatusBars->SetInconsistent(false);
        FBasket->Refresh();
        SelectTab(0);
        MemoryStatus();
    };
    FOrderPage->OrderClick = [this] { FOrdering->sbOrderClick(*FOrderPage->Grid()); };
    FOrderPage->ShowHint = [this](const QString &hint) { FStatusBars->ShowStatus(1, hint); };
    FOrderPage->PlaySound = [this](const QString &name) {
        if (FBasket->PlaySound)
            FBasket->PlaySound(name);
    };
    FOrderPage->Locate = [this](const QString &path) { LocatePicture(path); };
    FOrderPage->ShowCopyWindow = [this](int index, QRect cell) {
        TThumbGrid *grid = FOrderPage->Grid();
        korvatel::ShowCopyWindow(
            grid->CopyKind(), FSession.Orders(), index, cell, Prompter(),
            [this](const QString &name) { FBasket->ShutterSound(name); }, this);
        grid->ListChanged();
    };
    FOrderPage->OpenCorrection = [this](TThumbNail &item) { return OpenCorrection(item); };
    FOrderPage->FrameProportions = [this](double longSide, double shortSide) {
        FViewerPage->Stage()->SetFrameProportions(longSide, shortSide);
    };
}

bool TWebMain::OpenCorrection(TThumbNail &item)
{
    // The window works on the local copy when there is one, as the order sends it.
    const QString copy = item.LocalCopy();
    const QString file = QFileInfo(copy).isFile() ? copy : item.FullPath;
    return THoseiForm::Edit(file, item.Hosei, CorrectionAreaFile(), Prompter(), this);
}

QString TWebMain::CorrectionAreaFile() const
{
    return QDir(FSession.Workspace().SysData()).filePath(QStringLiteral("HoseiArea.ini"));
}

void TWebMain::CorrectPicture(const QString &path)
{
    if (path.isEmpty()) {
        Prompter().Inform(
            QStringLiteral("色調補正する写真をビューアに表示してから実行してください。"));
        return;
    }
    TThumbNail *item = FSession.Orders().Item(FSession.Orders().Find(1, path));
    if (item && item->OrderType == otDpe && FSession.ShopOffersCorrection() && Online()) {
        FOrderPage->Grid()->RunCorrectionWindow(*item);
        return;
    }
    CorrectionRecord scratch;
    THoseiForm::Edit(path, scratch, CorrectionAreaFile(), Prompter(), this);
}

void TWebMain::LocatePicture(const QString &path)
{
    if (FMode != tmBrowser)
        SelectTab(0);
    const TThumbNail *item = FSession.Orders().Item(FSession.Orders().Find(1, path));
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

void TWebMain::TrimPicture(const QString &path)
{
    LocatePicture(path);
    const int cell = FBrowserPanel->Film().Paths().indexOf(path);
    if (cell < 0)
        return;
    SelectTab(TabIndexOf(tmViewer));
    FViewerPage->ViewBrowserFile(cell);
}

bool TWebMain::EscapeKey()
{
    // Esc ends a slide show first, then removes an open trimming frame, then leaves full size.
    if (FViewerPage->EscapeKey())
        return true;
    if (FFullSize) {
        SetFullSize(false);
        return true;
    }
    return false;
}

void TWebMain::SetFullSize(bool on)
{
    TViewerStage *stage = FViewerPage->Stage();
    if (on == FFullSize)
        return;
    if (on && (FMode != tmViewer || stage->Picture().Empty()))
        return;
    FFullSize = on;
    menuBar()->setVisible(!on);
    FSources->setVisible(!on);
    FBrowserPanel->setVisible(!on);
    FPanelRB->setVisible(!on);
    FTabRow->setVisible(!on);
    FStatusBars->setVisible(!on);
    stage->SetToolsVisible(!on);
    if (on) {
        FStateBeforeFull = windowState();
        setWindowState(windowState() | Qt::WindowFullScreen);
    } else
        setWindowState(FStateBeforeFull);
    stage->SetAutoZoom(stage->AutoZoom());
}

} // namespace korvatel
