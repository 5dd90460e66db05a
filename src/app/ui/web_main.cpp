#include "app/ui/web_main.h"

#include "app/client_session.h"
#include "app/ui/basket_actions.h"
#include "app/ui/main_menus.h"
#include "app/ui/main_tab_bar.h"
#include "app/ui/order_start_windows.h"
#include "cards/ui/card_page.h"
#include "order/consistency.h"
#include "order/ui/order_panel.h"
#include "order/ui/thumb_grid.h"
#include "platform/background_job.h"
#include "platform/clock.h"
#include "platform/drive_watch.h"
#include "platform/ui/menu_commands.h"
#include "platform/ui/qt_prompter.h"
#include "platform/ui/window_fit.h"
#include "sources/ui/browser_panel.h"
#include "sources/ui/film_grid.h"
#include "sources/ui/source_panel.h"
#include "viewer/ui/viewer_page.h"

#include <QAction>
#include <QCloseEvent>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMenuBar>
#include <QScreen>
#include <QTimer>

namespace korvatel
{

namespace
{

// The form's own sizes, which State.ini overrides.
constexpr int kFormFolderWidth = 240;
constexpr int kFormPanelRBHeight = 200;

// The focus frame of every page and of the windows opened over them: the focused control gets
// a 2-pixel frame in the highlight colour, so that the keyboard's place stands out at a
// glance. Buttons keep their colour and about their size under the frame. The film strip
// draws its own frame, inside its picture area, so that its columns do not move.
QString FocusFrameStyle()
{
    return QStringLiteral(
        "QPushButton:focus, QToolButton:focus { border: 2px solid palette(highlight);"
        " border-radius: 3px; background-color: palette(button); padding: 2px 6px; }"
        "QCheckBox:focus, QRadioButton:focus { border: 2px solid palette(highlight);"
        " border-radius: 3px; }"
        "QLineEdit:focus, QAbstractSpinBox:focus, QComboBox:focus, QAbstractItemView:focus,"
        " QPlainTextEdit:focus, QTextEdit:focus, QSlider:focus"
        " { border: 2px solid palette(highlight); }");
}

} // namespace

TWebMain::TWebMain(TClientSession &session, QWidget *parent)
    : QMainWindow(parent)
    , FSession(session)
{
    setWindowTitle(QStringLiteral("Korvatel"));
    setStyleSheet(FocusFrameStyle());
    setMinimumSize(600, 400);
    FitToScreen(*this, { 1024, 700 });
    FOwnPrompter = std::make_unique<TQtPrompter>(this);
    FPrompter = FOwnPrompter.get();

    TStateSettings &state = FSession.State;
    state.FolderWidth = kFormFolderWidth;
    state.PanelRBHeight = kFormPanelRBHeight;
    state.GridColor = kFilmPanelColor;
    FSession.LoadAtCreation();
    FCardsOffered = ShopSwitchOn(FSession.Workspace().Download(), QStringLiteral("Card.on"));

    FMenus = std::make_unique<TMainMenus>(*this, FSession);
    BuildRegions();
    BuildMenus();
    BuildTabs();
    BuildShortcuts();
    ApplySettings();
    // Cards and sticks plugged in or pulled out while the window is open join or leave the
    // folder tree and the disk scan.
    FDriveWatch = new TDriveWatch(
        [folders = FSession.Workspace().Folders()] { return TDriveTable::FromSystem(folders); },
        FSession.Workspace().Drives(), this);
    connect(FDriveWatch, &TDriveWatch::drivesChanged, this, &TWebMain::DrivesChanged);
    // Maximised at start; the geometry first, for screens without a window manager.
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        setGeometry(screen->availableGeometry());
    setWindowState(Qt::WindowMaximized);
    QTimer::singleShot(0, this, &TWebMain::FirstIdle);
}

void TWebMain::DrivesChanged(const TDriveTable &drives)
{
    FSession.Workspace().SetDrives(drives);
    FSources->DrivesChanged(drives);
    // The basket keeps pictures of a card that was pulled out: the grid shows them missing
    // and the notice says the basket cannot be ordered as it is, until the card is back.
    if (FollowPictureFiles(FSession.Orders())) {
        FOrderPage->Grid()->RetryBrokenPictures();
        FBasket->RunConsistencyCheck(kCheckSilent);
    }
}

TWebMain::~TWebMain()
{
    FClosing = true;
    // The children outlive the members they point to: the pages stop calling back while
    // ~QWidget deletes them.
    if (FBrowserPanel) {
        disconnect(FBrowserPanel->lvBrowser(), nullptr, this, nullptr);
        disconnect(FBrowserPanel, nullptr, this, nullptr);
        disconnect(FBrowserPanel, nullptr, FBasket, nullptr);
        FBrowserPanel->MarkOrders = nullptr;
        FBrowserPanel->ListShown = nullptr;
    }
    if (FBasket)
        FBasket->Stop();
    if (FOrderPage)
        FOrderPage->Grid()->SetList(nullptr);
    if (FSources) {
        disconnect(FSources, nullptr, this, nullptr);
        FSources->Shutdown();
    }
}

bool TWebMain::Online() const
{
    return FSession.Online();
}

const TThumbNails &TWebMain::Orders() const
{
    return FSession.Orders();
}

void TWebMain::FirstIdle()
{
    if (FIdleDone)
        return;
    FIdleDone = true;
    FSession.LoadAtFirstIdle();
    FSession.LoadOrderMemory(FSession.Orders(), FSession.Campus());
    FBasket->Start();
    FBasket->Refresh();
    FBasket->RunConsistencyCheck(kCheckAfterLoad);
    if (QAction *mode = Command(QStringLiteral("miTransMode%1").arg(int(FSession.TransMode))))
        mode->setChecked(true);
    FMenus->SetMemoryWatch(FSession.State.ChkMemIntTag);
    // The date tree comes back from its list files, without a disk walk.
    if (QFileInfo(FSession.Workspace().Tree()).isDir())
        FSources->BuildDateTree(false, false, false, false);
    // An order that the last run was stopped in the middle of is settled first.
    if (!FClosing)
        FOrdering->ResumePending();
}

void TWebMain::closeEvent(QCloseEvent *event)
{
    // The order's windows are open: the basket and the pictures it sends must stay.
    if (FOrdering->Running()) {
        event->ignore();
        return;
    }
    // Closing while the picture is shown full size only leaves full size.
    if (FFullSize) {
        SetFullSize(false);
        event->ignore();
        return;
    }
    FViewerPage->StopSlideShow(false);
    // A running date scan is stopped and awaited; nothing more is built.
    FClosing = true;
    FSources->Shutdown();
    // A session that never reached its first idle moment has not read what it would save.
    FirstIdle();
    FSession.State.FolderWidth = FSources->width();
    if (FPanelRB->isVisible())
        FSession.State.PanelRBHeight = FPanelRB->height();
    // The date text being typed belongs to the basket that is saved.
    FOrderPage->Grid()->CommitDateEditor();
    FBasket->Stop();
    FSession.Shutdown(ShutdownHooks());
    event->accept();
}

TReportState TWebMain::StartRegistrationReport()
{
    const TRegistrationReport report
        = PrepareRegistrationReport(FSession, SystemClock(), Prompter());
    if (report.state == TReportState::rsDue) {
        // Its failures are not shown: the next start tries again.
        FReporting = std::make_unique<TBackgroundJob>();
        FReporting->Start([transport = FSession.Servers.Transport(), report](
                              TJobControl &) { SendRegistrationReport(transport, report); });
    }
    return report.state;
}

TClientSession::TShutdownHooks TWebMain::ShutdownHooks()
{
    return { FSession.SaveOrderMemoryHook(FSession.Orders()),
        [this] { FSources->CollectNodeExp(); }, true };
}

void TWebMain::SetPrompter(TPrompter *prompter)
{
    FPrompter = prompter ? prompter : FOwnPrompter.get();
    FBasket->SetPrompter(FPrompter);
    FOrderPage->SetPrompter(FPrompter);
    FViewerPage->SetPrompter(FPrompter);
    FCardPage->SetPrompter(FPrompter);
    FSources->SetPrompter(FPrompter);
    FBrowserPanel->SetPrompter(FPrompter);
}

TPrompter &TWebMain::Prompter()
{
    return *FPrompter;
}

void TWebMain::SetFileDialog(TFileDialog dialog)
{
    FBrowserPanel->FileDialog = dialog;
    FViewerPage->SetFileDialog(std::move(dialog));
}

QAction *TWebMain::Command(const QString &name) const
{
    return findChild<QAction *>(name);
}

QTimer *TWebMain::MemoryTimer() const
{
    return FMenus->MemoryTimer();
}

void TWebMain::BuildMenus()
{
    FMenus->BuildSettingsMenu();
    FMenus->BuildSourceMenu();
    // The background colour repaints the whole window.
    FMenus->BuildBrowserMenu([this] {
        ApplySettings();
        TabChanged(FTabBar->currentIndex());
    });
    FMenus->BuildPageMenus(FCardsOffered);
    FMenus->BuildHelpMenu();
    FMenus->BuildUtilsMenu();
    // A grey command tells why when the pointer rests on it.
    ShowMenuTips(menuBar()->actions());
}

} // namespace korvatel
