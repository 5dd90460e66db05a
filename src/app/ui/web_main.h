#pragma once

#include "app/main_tabs.h"
#include "app/order_start.h"
#include "order/consistency.h"
#include "order/thumb_nails.h"
#include "platform/drive_table.h"
#include "workspace/workspace_settings.h"

#include <QMainWindow>
#include <QPointer>
#include <functional>
#include <memory>

class QAction;
class QActionGroup;
class QApplication;
class QCheckBox;
class QComboBox;
class QLabel;
class QMenu;
class QSplitter;
class QStackedWidget;
class QTimer;
class QTabWidget;
class QPushButton;

namespace korvatel
{

class TBrowserPanel;
class TClientSession;
class TMainMenus;
class TMainTabBar;
class TOrderPanel;
class TPrompter;
class TSourcePanel;
class TViewerPage;

// The main window: the frame of the source panel, the browser film strip and the work area,
// whose pages (viewer, card editor, order panel, shop information) show the chosen tab; the
// owner-drawn tab bar, the menus, the four status bars and the notice labels. Its creation
// reads the settings files through the session, its first idle moment reads the session's
// basket, and its close saves them.
class TWebMain : public QMainWindow
{
    Q_OBJECT

public:
    explicit TWebMain(TClientSession &session, QWidget *parent = nullptr);
    ~TWebMain() override;

    bool Online() const;
    QLabel *lbOffline() const { return FOfflineLabel; }
    QLabel *lbInconsistent() const { return FInconsistentLabel; }
    QWidget *pnFolder() const { return FFolderPanel; }
    TClientSession &Session() { return FSession; }

    // The form's own sizes and colours, which State.ini overrides.
    static constexpr int kFormFolderWidth = 240;
    static constexpr int kFormPanelRBHeight = 200;
    static constexpr int kFilmPanelColor = 0x404040;
    static constexpr int kShopPanelColor = 0xF0F0F0;
    // How long after a change of the basket its order memory is written.
    static constexpr int kBasketSaveDelay = 1000;
    QTimer *BasketSaveTimer() const { return FBasketSave; }

    // The seams for tests and for the windows of later parts: where the window's messages go
    // (message boxes unless set) and the file dialog (an empty answer cancels).
    void SetPrompter(TPrompter *prompter);
    TPrompter &Prompter();
    using TFileDialog = std::function<QString(
        const QString &caption, const QString &proposed, const QString &filter)>;
    void SetFileDialog(TFileDialog dialog);

    // What the order list and the date list do with a picture the viewer ordered or saved.
    // OrderFile adds the picture to the basket unless it is there already; AddScannedFile is
    // empty until the date list is in the window.
    std::function<void(const QString &file)> OrderFile;
    std::function<void(const QString &file)> AddScannedFile;
    // "バージョンアップ" outside a CD start: the version check of the server lookups.
    std::function<void()> CheckVersion;
    // The session's basket.
    const TThumbNails &Orders() const { return FOrders; }
    // The problem list of the consistency check; the window TProblemListForm unless set.
    std::function<TProblemAnswer(const TConsistencyProblems &)> ShowProblems;
    // The consistency check of the basket in a mode of order/consistency.h; true while problems
    // are left.
    bool RunConsistencyCheck(int mode);
    // The memory-status hook: called by the memory-watch timer and after many commands. It
    // counts its calls and has no other effect here.
    void MemoryStatus();
    int MemoryStatusCalls() const { return FMemoryCalls; }
    QTimer *MemoryTimer() const;

    // Tabs.
    TMainTabBar *tbMain() const { return FTabBar; }
    const QList<TMainTab> &Tabs() const { return FTabs; }
    TTabMode Mode() const { return FMode; }
    void SelectTab(int index);
    int TabIndexOf(TTabMode mode) const;

    // Menus and commands by their object names ("miTriming", "mmEdit", ...).
    QAction *Command(const QString &name) const;

    // The pages of the work area: the viewer, the order panel, the shop's information.
    TViewerPage *ViewerPage() const { return FViewerPage; }
    TOrderPanel *OrderPage() const { return FOrderPage; }
    QWidget *ShopPage() const { return FShopPage; }

    // The pages of the source trees and of the browser film strip.
    TSourcePanel *Sources() const { return FSources; }
    TBrowserPanel *Browser() const { return FBrowserPanel; }
    // Plays a sound resource; PlayResourceSound unless set.
    std::function<void(const QString &name)> PlaySound;
    // The shutter sound of an order change: through PlaySound, silent with "_ShutterOff_".
    void ShutterSound(const QString &name);
    // The browser's ordering click and the two buttons above it.
    void BrowserClick(int index, Qt::KeyboardModifiers modifiers, bool doubleClick);
    void SelectAllClick(bool order, bool shiftHeld);

    // Full size: the viewed picture alone on the screen.
    bool FullSize() const { return FFullSize; }
    void SetFullSize(bool on);

    // The two windows the order grid opens: the copy window of the copy kinds 16 and 17 (at the
    // cell, on the screen) and the correction window of an item (true when it changed the
    // item's record). Empty hooks do nothing.
    std::function<void(int index, QRect cellOnScreen)> ShowCopyWindow;
    std::function<bool(TThumbNail &item)> OpenCorrection;
    // Returns to the picture in the browser: tab 0, its date node or folder, its cell.
    void LocatePicture(const QString &path);

    // The status bars: the main bar's four panels, the order bar's panels and the two total bars.
    QLabel *MainPanel(int index) const { return FMainPanels[index]; }
    QLabel *OrderPanel(int index) const { return FOrderPanels[index]; }
    QLabel *TotalPanel(int bar, int index) const { return FTotalPanels[bar][index]; }
    void SetOrderCounts(int orderedInList, int inList, int items);
    void SetTotals(int items, int prints, int phoneItems, int cdItems);
    void SetInconsistent(bool shown);

    // "注文へ": the start of a print order. Its windows are hooks of the object, set to the
    // real windows when it is first asked for; tests replace them.
    TOrderStart &OrderStart();
    void sbOrderClick();
    // Set by the order grid once it has drawn its last item: the customer has looked through
    // every ordered picture. Until then "注文へ" reminds the customer to look.
    void SetGridSeenAll(bool seen) { FGridSeenAll = seen; }
    bool GridSeenAll() const { return FGridSeenAll; }

protected:
    void closeEvent(QCloseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    bool event(QEvent *event) override;

private:
    // Creation.
    void BuildRegions();
    void BuildSourcePanel();
    void BuildFilmStrip();
    void BuildWorkArea();
    void BuildViewerPage();
    void BuildOrderPage();
    void BuildStatusBars();
    void BuildTabs();
    void BuildMenus();
    void BuildSourceMenu();
    void BuildEditMenu();
    void BuildCardMenu();
    void BuildOrderMenu();
    void BuildShortcuts();
    void ApplySettings();
    QAction *AddCommand(QMenu *menu, const char *name, const QString &caption,
        const QKeySequence &shortcut = {}, std::function<void()> handler = {});
    QAction *AddLater(
        QMenu *menu, const char *name, const QString &caption, const QKeySequence &shortcut = {});
    QActionGroup *AddChoices(QMenu *menu, const char *prefix, const QStringList &captions,
        int current, std::function<void(int)> chosen);

    // What the window does once, at its first idle moment.
    void FirstIdle();

    // Tabs.
    void TabChanged(int index);
    void UpdateModeCommands();
    QColor AreaColor(TTabMode mode) const;

    // Esc: the viewer's slide show or frame first, then full size.
    bool EscapeKey();
    void BrowserActivated(int row);
    void SetBrowserFolder(const QString &folder);

    // The source trees and the browser list.
    void BuildSourceCommands();
    void WireSourcePages();
    void FilmChanged();
    bool RefuseOrderingOffline();
    TToggleDefaults ToggleDefaults() const;

    void ShowBasketTotals();
    // Writes the order memory a moment after the basket changed, so a crash or a power cut
    // loses at most that moment's changes; shutdown writes it once more.
    void ScheduleBasketSave();
    void RefreshFilmMarks();
    void OrderViewedFile(const QString &file);

    TClientSession &FSession;
    // The settings and help menus with their commands.
    std::unique_ptr<TMainMenus> FMenus;
    // The session's basket, which the window's commands change.
    TThumbNails &FOrders;
    TPrompter *FPrompter = nullptr;
    std::unique_ptr<TPrompter> FOwnPrompter;
    TFileDialog FFileDialog;
    // The print order's start (it refers to the basket above) and its state for this run.
    std::unique_ptr<TPrompter> FOrderPrompter; // forwards to the window's prompter
    std::unique_ptr<TOrderStart> FOrderStart;
    bool FGridSeenAll = false;
    bool FOrderRunning = false;

    QLabel *FOfflineLabel = nullptr;
    QLabel *FInconsistentLabel = nullptr;
    QSplitter *FSplitter = nullptr;
    QSplitter *FWorkSplitter = nullptr;
    TSourcePanel *FSources = nullptr;
    TBrowserPanel *FBrowserPanel = nullptr;
    QWidget *FFolderPanel = nullptr; // the source page
    QWidget *FFilmPanel = nullptr; // the browser page
    QWidget *FWorkPanel = nullptr;
    QStackedWidget *FPages = nullptr;
    QWidget *FPanelRB = nullptr;
    QWidget *FTabRow = nullptr;
    QWidget *FStatusArea = nullptr;
    bool FOfflineTold = false;
    bool FClosing = false;
    TViewerPage *FViewerPage = nullptr;
    TOrderPanel *FOrderPage = nullptr;
    QWidget *FShopPage = nullptr;
    TMainTabBar *FTabBar = nullptr;
    QLabel *FMainPanels[4] = {};
    QLabel *FOrderPanels[4] = {};
    QLabel *FTotalPanels[2][2] = {};
    QLabel *FShopName = nullptr;

    QList<TMainTab> FTabs;
    TTabMode FMode = tmBrowser;
    bool FFullSize = false;
    Qt::WindowStates FStateBeforeFull;
    QTimer *FBasketSave = nullptr;
    int FMemoryCalls = 0;
    bool FIdleDone = false;
    bool FCardsOffered = false;
};

// Starts the client on an existing application object: the program entry, the start-up, the
// main window and the message loop. Three options serve tests and screenshots and are not
// handed to the entry: "--screenshot=FILE" saves the main window as a PNG once it is shown
// and closes it, "--quit-after=MS" closes it after that many milliseconds, and "--unattended"
// answers every start window and message with its first choice, writing its text to standard
// error. They are passed on to a copy that the program starts.
int RunClient(QApplication &app);

} // namespace korvatel
