// The viewer page in the main window: what its commands do to the window (the status bar, the
// browser, the basket) and the full-size switch.
#include "app/client_session.h"
#include "app/ui/web_main.h"
#include "sources/ui/browser_panel.h"
#include "sources/ui/film_grid.h"
#include "viewer/ui/viewer_page.h"
#include "viewer/ui/viewer_stage.h"

#include <QLabel>
#include <QMenuBar>
#include <QScrollBar>
#include <QStackedWidget>

namespace korvatel
{

void TWebMain::BuildViewerPage()
{
    FViewerPage = new TViewerPage(FSession.State, FSession.Option2, Online(), FPages);
    FViewerPage->SetPrompter(FPrompter);
    FViewerPage->ShowStatus = [this](int panel, const QString &text) {
        FMainPanels[panel]->setText(text);
        if (panel == 2) // the progress of a long command shows at once
            FMainPanels[panel]->repaint();
    };
    FViewerPage->MemoryStatus = [this] { MemoryStatus(); };
    FViewerPage->ShowViewer = [this] { SelectTab(TabIndexOf(tmViewer)); };
    FViewerPage->BrowserCurrent
        = [this](int index) { FBrowserPanel->lvBrowser()->SetCurrentIndex(index); };
    FViewerPage->FocusBrowser = [this] { FBrowserPanel->lvBrowser()->setFocus(); };
    FViewerPage->RelistBrowser = [this] {
        // The browser list shows the new file, at the same scroll position.
        const int scroll = FBrowserPanel->lvBrowser()->verticalScrollBar()->value();
        SetBrowserFolder(FSession.State.LastDir);
        FBrowserPanel->lvBrowser()->verticalScrollBar()->setValue(scroll);
    };
    FViewerPage->OrderFile = [this](const QString &file) {
        if (OrderFile)
            OrderFile(file);
    };
    FViewerPage->AddScannedFile = [this](const QString &file) {
        if (AddScannedFile)
            AddScannedFile(file);
    };
    FViewerPage->ToggleFullSize = [this] { SetFullSize(!FFullSize); };
    FPages->addWidget(FViewerPage);
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
    FFolderPanel->setVisible(!on);
    FFilmPanel->setVisible(!on);
    FPanelRB->setVisible(!on);
    FTabRow->setVisible(!on);
    FStatusArea->setVisible(!on);
    stage->SetToolsVisible(!on);
    if (on) {
        FStateBeforeFull = windowState();
        setWindowState(windowState() | Qt::WindowFullScreen);
    } else
        setWindowState(FStateBeforeFull);
    stage->SetAutoZoom(stage->AutoZoom());
}

} // namespace korvatel
