#pragma once

#include "app/client_session.h"
#include "app/main_tabs.h"
#include "app/registration_report.h"

#include <QMainWindow>
#include <functional>
#include <memory>

class QSplitter;
class QStackedWidget;
class QTimer;

namespace korvatel
{

class TBackgroundJob;
class TBasketActions;
class TBrowserPanel;
class TCardPage;
class TClientSession;
class TDriveTable;
class TDriveWatch;
class TMainMenus;
class TMainTabBar;
class TOrderPanel;
class TOrderStartWindows;
class TThumbNail;
class TPrompter;
class TSourcePanel;
class TStatusBars;
class TThumbNails;
class TViewerPage;

// The main window: the frame of the source panel, the browser film strip and the work area,
// whose pages (viewer, card editor, order panel, shop information) show the chosen tab; the
// owner-drawn tab bar, the menus and the status bars. Its creation reads the settings files
// through the session, its first idle moment reads the session's basket, and its close saves
// them.
class TWebMain : public QMainWindow
{
    Q_OBJECT

public:
    explicit TWebMain(TClientSession &session, QWidget *parent = nullptr);
    ~TWebMain() override;

    bool Online() const;
    // The session's basket, which the window borrows.
    const TThumbNails &Orders() const;

    // The seams for tests and for the windows of later parts: where the window's messages go
    // (message boxes unless set) and the file dialog (an empty answer cancels).
    void SetPrompter(TPrompter *prompter);
    TPrompter &Prompter();
    using TFileDialog = std::function<QString(
        const QString &caption, const QString &proposed, const QString &filter)>;
    void SetFileDialog(TFileDialog dialog);

    // The memory-status hook: called by the memory-watch timer and after many commands. It
    // counts its calls and has no other effect here.
    void MemoryStatus() { ++FMemoryCalls; }
    int MemoryStatusCalls() const { return FMemoryCalls; }
    QTimer *MemoryTimer() const;

    // Tabs; Ctrl with a digit or a function key selects one.
    TMainTabBar *tbMain() const { return FTabBar; }
    TTabMode Mode() const { return FMode; }
    void SelectTab(int index);
    int TabIndexOf(TTabMode mode) const;

    // Menus and commands by their object names ("miTriming", "mmEdit", ...).
    QAction *Command(const QString &name) const;
    TMainMenus &Menus() { return *FMenus; }

    // The pages: the source trees, the browser film strip, the viewer, the order panel; the
    // status bars; what the commands do to the basket; "注文へ" with its windows.
    TSourcePanel *Sources() const { return FSources; }
    TBrowserPanel *Browser() const { return FBrowserPanel; }
    TViewerPage *ViewerPage() const { return FViewerPage; }
    TOrderPanel *OrderPage() const { return FOrderPage; }
    // The card tab's page (made also when the shop offers no cards, then never shown).
    TCardPage *CardPage() const { return FCardPage; }
    QWidget *pnFolder() const;
    TStatusBars *StatusBars() const { return FStatusBars; }
    TBasketActions &Basket() { return *FBasket; }
    TOrderStartWindows &Ordering() { return *FOrdering; }

    // The browser's click on a cell: in the viewer it opens the picture, in the browser it
    // orders (with the click setting: single or double).
    void BrowserClick(int index, Qt::KeyboardModifiers modifiers, bool doubleClick);
    // Orders the browser's picture at index or takes it out (with Shift or Ctrl: the range), as
    // a click in the browser tab and Space in the film strip of any tab do.
    void OrderCell(int index, Qt::KeyboardModifiers modifiers);
    // Full size: the viewed picture alone on the screen; Esc and closing leave it.
    bool FullSize() const { return FFullSize; }
    void SetFullSize(bool on);
    // Returns to the picture in the browser: tab 0, its date node or folder, its cell.
    void LocatePicture(const QString &path);
    // Shows a picture in the viewer, so that the customer can draw a new trimming frame.
    void TrimPicture(const QString &path);
    // The colour-correction window on a picture: on the basket's item of it when it has one
    // (the grid and the order memory then keep what it applied), else for saving and printing
    // a corrected copy. "色調補正..." of the menu "画像編集" opens it on the viewed picture.
    void CorrectPicture(const QString &path);
    // Media came or went (the drive watch reports it; tests call it with a table of their
    // own): the workspace, the folder tree and the disk scan take the new drive table.
    void DrivesChanged(const TDriveTable &drives);
    TDriveWatch *DriveWatch() const { return FDriveWatch; }
    // What the window adds to the saving of the shutdown (and of a workspace move): the
    // basket's order memory and the date tree's expanded nodes.
    TClientSession::TShutdownHooks ShutdownHooks();
    // The start-up registration report: PrepareRegistrationReport on this thread (its question
    // goes to the window's prompter), then the sending on a job of the window's own, which the
    // window's end stops. Returns what the preparation found (rsDue: it is being sent).
    TReportState StartRegistrationReport();

protected:
    void closeEvent(QCloseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    bool event(QEvent *event) override;

private:
    bool OpenCorrection(TThumbNail &item);
    QString CorrectionAreaFile() const;
    // The film strip's colour, the form's own, which State.ini overrides.
    static constexpr int kFilmPanelColor = 0x404040;

    void BuildRegions();
    void BuildPages();
    void WireSourcePages();
    void WireViewerPage();
    void WireOrderPage();
    TCardPage *MakeCardPage(QWidget *parent);
    void WireCardPage();
    void BuildTabs();
    void BuildMenus();
    void BuildShortcuts();
    void ApplySettings();
    void FirstIdle();
    void TabChanged(int index);
    bool EscapeKey();

    TClientSession &FSession;
    std::unique_ptr<TMainMenus> FMenus;
    TPrompter *FPrompter = nullptr;
    std::unique_ptr<TPrompter> FOwnPrompter;
    TBasketActions *FBasket = nullptr;
    std::unique_ptr<TOrderStartWindows> FOrdering;

    QSplitter *FSplitter = nullptr;
    QSplitter *FWorkSplitter = nullptr;
    TSourcePanel *FSources = nullptr;
    TBrowserPanel *FBrowserPanel = nullptr;
    QWidget *FWorkPanel = nullptr;
    QStackedWidget *FPages = nullptr;
    TViewerPage *FViewerPage = nullptr;
    TOrderPanel *FOrderPage = nullptr;
    TCardPage *FCardPage = nullptr;
    QWidget *FPanelRB = nullptr;
    QWidget *FTabRow = nullptr;
    TMainTabBar *FTabBar = nullptr;
    TStatusBars *FStatusBars = nullptr;
    TDriveWatch *FDriveWatch = nullptr;

    QList<TMainTab> FTabs;
    TTabMode FMode = tmBrowser;
    bool FCardsOffered = false;
    bool FFullSize = false;
    Qt::WindowStates FStateBeforeFull;
    int FMemoryCalls = 0;
    bool FIdleDone = false;
    bool FClosing = false;
    std::unique_ptr<TBackgroundJob> FReporting; // last: it ends before anything else goes
};

} // namespace korvatel
