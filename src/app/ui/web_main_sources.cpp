// The wiring of the source and browser pages into the main window: the source commands of
// the menus, the status texts the pages send, and what the browser's ordering clicks and its
// two ordering buttons do to the basket.
#include "app/client_session.h"
#include "app/ui/web_main.h"
#include "order/browser_orders.h"
#include "order/ui/order_panel.h"
#include "platform/prompter.h"
#include "sources/source_modes.h"
#include "sources/ui/browser_panel.h"
#include "sources/ui/film_grid.h"
#include "sources/ui/source_panel.h"
#include "viewer/ui/viewer_page.h"

#include <QAction>
#include <QActionGroup>
#include <QLabel>
#include <QMenu>
#include <QSpinBox>
#include <QTabWidget>

namespace korvatel
{

namespace
{

const char *const kOfflineOrdering = "　　OFF-LINEです。注文作業はできません。　　";

} // namespace

void TWebMain::WireSourcePages()
{
    FSources->SetBrowser(FBrowserPanel);
    FSources->SetPrompter(FPrompter);
    connect(FSources, &TSourcePanel::nodeText, this,
        [this](const QString &text) { FMainPanels[0]->setText(text); });
    connect(FSources, &TSourcePanel::scanText, this,
        [this](const QString &folder) { FMainPanels[2]->setText(folder); });

    FBrowserPanel->SetPrompter(FPrompter);
    FBrowserPanel->MarkOrders = [this](TFilmList &film) { MarkOrdered(film, FOrders); };
    FBrowserPanel->ListShown = [this] {
        FViewerPage->SetBrowserFiles(FBrowserPanel->BrowserFiles());
        const TFilmList &film = FBrowserPanel->Film();
        SetOrderCounts(film.OrderedCount(), film.Count(), FOrders.Count());
    };
    FBrowserPanel->ListSorted = [this] {
        FViewerPage->SetBrowserFiles(FBrowserPanel->BrowserFiles(), FViewerPage->BrowserIndex());
    };
    TFilmGrid *grid = FBrowserPanel->lvBrowser();
    connect(
        grid, &TFilmGrid::cellClicked, this, [this](int index, Qt::KeyboardModifiers modifiers) {
            BrowserClick(index, modifiers, false);
        });
    connect(grid, &TFilmGrid::cellDoubleClicked, this,
        [this](
            int index, Qt::KeyboardModifiers modifiers) { BrowserClick(index, modifiers, true); });
    // Enter on the keyboard opens the picture whatever the click setting.
    connect(grid, &TFilmGrid::cellActivated, this, &TWebMain::BrowserActivated);
    connect(grid, &TFilmGrid::hintText, this,
        [this](const QString &hint) { FMainPanels[1]->setText(hint); });
    connect(FBrowserPanel, &TBrowserPanel::orderAllClicked, this, &TWebMain::SelectAllClick);
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

void TWebMain::BuildSourceCommands()
{
    // "ソース選択": modes 1 to 4, each available when its page is.
    for (int mode = smTemplate; mode <= smCategory; ++mode) {
        QAction *item = Command(QStringLiteral("miSource%1").arg(mode));
        if (!item)
            continue;
        item->setProperty("later", QVariant());
        item->setEnabled(FSources->pcSource()->isTabVisible(mode - 1));
        connect(item, &QAction::triggered, this, [this, mode] { FSources->SetSourceMode(mode); });
    }
    if (QAction *reDate = Command(QStringLiteral("miReDate"))) {
        reDate->setProperty("later", QVariant());
        reDate->setEnabled(true);
        // A build already running is cancelled and the walk starts again.
        connect(reDate, &QAction::triggered, this,
            [this] { FSources->BuildDateTree(true, true, true, false); });
    }
    if (QAction *exif = Command(QStringLiteral("miExif"))) {
        exif->setProperty("later", QVariant());
        exif->setEnabled(true);
        connect(exif, &QAction::triggered, FBrowserPanel, &TBrowserPanel::ShowExif);
    }
    // The film decorations and colours repaint the strip.
    for (const char *name : { "miFilmNo", "miFilmDate", "miCornerR", "miFilmBevel", "miFrameColor",
             "miBackColor", "miCheckColor" })
        if (QAction *item = Command(QString::fromLatin1(name)))
            connect(item, &QAction::triggered, FBrowserPanel, &TBrowserPanel::ApplyFilmLook);
    for (int i = 0; i < 9; ++i)
        if (QAction *item = Command(QStringLiteral("miCheckSize%1").arg(i)))
            connect(item, &QAction::triggered, FBrowserPanel, &TBrowserPanel::ApplyFilmLook);
    QAction *shape = Command(QStringLiteral("miCheckShape"));
    QAction *place = Command(QStringLiteral("miCheckPos"));
    FBrowserPanel->BuildCheckMarkMenus(
        shape ? shape->menu() : nullptr, place ? place->menu() : nullptr);
}

TToggleDefaults TWebMain::ToggleDefaults() const
{
    return FOrderPage->ToggleDefaults();
}

bool TWebMain::RefuseOrderingOffline()
{
    if (Online())
        return false;
    // Offline the first ordering click says so, once per run.
    if (!FOfflineTold) {
        FOfflineTold = true;
        Prompter().Inform(QString::fromUtf8(kOfflineOrdering));
    }
    return true;
}

void TWebMain::BrowserClick(int index, Qt::KeyboardModifiers modifiers, bool doubleClick)
{
    TFilmList &film = FBrowserPanel->Film();
    if (index < 0 || index >= film.Count())
        return;
    const bool dblMode = FSession.State.DblClick;
    if (doubleClick != dblMode)
        return;
    if (FMode == tmViewer) {
        // In the viewer a click opens the picture of the folder or date source.
        const int mode = FSources->SourceMode();
        if (mode == smFolder || mode == smDate || mode == smTemplate)
            BrowserActivated(index);
        return;
    }
    if (FMode != tmBrowser)
        return;
    if (RefuseOrderingOffline())
        return;
    const bool shift = modifiers & Qt::ShiftModifier;
    const bool ctrl = modifiers & Qt::ControlModifier;
    const TOrderClickResult result = OrderClick(
        film, FOrders, index, FBrowserPanel->LastClicked(), shift, ctrl, ToggleDefaults());
    FBrowserPanel->SetLastClicked(index);
    if (!result.Changed())
        return;
    // The long shutter sounds once when pictures are added; in double-click mode on every
    // toggle.
    if (result.added > 0 || dblMode)
        ShutterSound(QStringLiteral("SHT_LWAV"));
    FilmChanged();
}

void TWebMain::SelectAllClick(bool order, bool shiftHeld)
{
    if (RefuseOrderingOffline())
        return;
    TFilmList &film = FBrowserPanel->Film();
    QList<int> indices;
    if (shiftHeld) {
        indices = FBrowserPanel->lvBrowser()->SelectedIndices();
    } else {
        for (int i = 0; i < film.Count(); ++i)
            indices << i;
    }
    const TOrderClickResult result = OrderAll(film, FOrders, indices, order, ToggleDefaults());
    if (!result.Changed())
        return;
    ShutterSound(QStringLiteral("SHT_LWAV"));
    FilmChanged();
}

void TWebMain::FilmChanged()
{
    FOrders.Sort();
    FOrders.Recount();
    FOrders.RebuildAggregate();
    ShowBasketTotals();
    const TFilmList &film = FBrowserPanel->Film();
    SetOrderCounts(film.OrderedCount(), film.Count(), FOrders.Count());
    FBrowserPanel->MarksChanged();
    MemoryStatus();
}

} // namespace korvatel
