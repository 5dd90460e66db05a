#pragma once

#include "app/main_tabs.h"
#include "app/order_start.h"
#include "imaging/picture_kinds.h"
#include "order/campus_prices.h"
#include "order/consistency.h"
#include "order/thumb_nails.h"
#include "platform/drive_table.h"
#include "viewer/tone_steps.h"
#include "viewer/viewed_picture.h"
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
class QSpinBox;
class QSplitter;
class QStackedWidget;
class QTimer;
class QTabWidget;
class QPushButton;

namespace korvatel
{

class TBrowserPanel;
class TClientSession;
class TThumbGrid;
class TMainTabBar;
class TPrompter;
class TSourcePanel;
class TViewerStage;

// The main window: the source panel, the browser film strip, the work area of the chosen tab
// (viewer, card editor, order panel, shop panel), the owner-drawn tab bar, the menus with their
// commands, the four status bars and the notice labels. Its creation reads the settings files
// through the session and its close saves them.
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
    QTimer *MemoryTimer() const { return FMemoryTimer; }

    // Tabs.
    TMainTabBar *tbMain() const { return FTabBar; }
    const QList<TMainTab> &Tabs() const { return FTabs; }
    TTabMode Mode() const { return FMode; }
    void SelectTab(int index);
    int TabIndexOf(TTabMode mode) const;

    // Menus and commands by their object names ("miTriming", "mmEdit", ...).
    QAction *Command(const QString &name) const;

    // The viewer.
    TViewerStage *Stage() const { return FStage; }
    bool ViewPicture(const QString &fileName);

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

    // Slide show and full size.
    void StartSlideShow();
    void StopSlideShow(bool showEnd);
    bool SlideShowRunning() const { return FSlideRunning; }
    bool SlideShowPaused() const { return FSlidePaused; }
    QTimer *SlideTimer() const { return FSlideTimer; }
    bool FullSize() const { return FFullSize; }
    void SetFullSize(bool on);

    // The order grid of the order panel, with the two windows of later parts it opens: the copy
    // window of the copy kinds 16 and 17 (at the cell, on the screen) and the correction
    // window of an item (true when it changed the item's record). Empty hooks do nothing.
    TThumbGrid *OrderGrid() const { return FGrid; }
    std::function<void(int index, QRect cellOnScreen)> ShowCopyWindow;
    std::function<bool(TThumbNail &item)> OpenCorrection;
    // Returns to the picture in the browser: tab 0, its date node or folder, its cell.
    void LocatePicture(const QString &path);
    // "更新ソート": re-sorts the order list with the current kind.
    void miResortClick();

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
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // Creation.
    void BuildRegions();
    void BuildSourcePanel();
    void BuildFilmStrip();
    void BuildWorkArea();
    void BuildStatusBars();
    QWidget *BuildOrderGrid(QWidget *parent);
    void ApplyOrderGridOptions();
    void OrderSortChanged();
    void OrderGridChanged();
    void BuildTabs();
    void BuildMenus();
    void BuildSettingsMenu();
    void BuildSourceMenu();
    void BuildBrowserMenu();
    void BuildEditMenu();
    void BuildCardMenu();
    void BuildOrderMenu();
    void BuildHelpMenu();
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

    // Viewer commands.
    void miRotateClick(RotationType rotation);
    void miTrimingClick();
    void ToneClick(TToneStep step);
    void miDoubleClick();
    void miRestoreClick();
    void miEraseClick();
    void miUndoClick();
    TViewerSaveHooks SaveHooks(const QString &caption, const QString &filter);
    void miSaveAsClick();
    void sbOrderViewClick();
    void UpdateViewerCommands();
    void FrameChanged(bool exists);
    void DefaultSizeChanged();
    void SlideTick();
    bool SlideKey(QKeyEvent *event);
    bool EscapeKey();
    void BrowserActivated(int row);
    void SetBrowserFolder(const QString &folder);

    // The source trees and the browser list.
    void BuildSourceCommands();
    void BuildCheckMarkMenus();
    void WireSourcePages();
    void FilmChanged();
    bool RefuseOrderingOffline();
    TToggleDefaults ToggleDefaults() const;

    // Other commands.
    void ColourClick(int &setting, const char *caption);
    void miConsistencyClick();
    void miVersionUpClick();
    void miVersionClick();
    void SetMemoryWatch(int tag);
    void SetTransMode(int mode);

    // The order panel's "クリア": empties the basket after asking.
    void sbClearClick();

    void ShowBasketTotals();
    // Writes the order memory a moment after the basket changed, so a crash or a power cut
    // loses at most that moment's changes; shutdown writes it once more.
    void ScheduleBasketSave();
    void RefreshFilmMarks();
    void OrderViewedFile(const QString &file);

    TClientSession &FSession;
    // The basket: read at the first idle moment, written back at shutdown.
    TCampusPriceLists FCampus;
    TThumbNails FOrders;
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
    QComboBox *FDefaultSize = nullptr;
    QSpinBox *FDefaultCount = nullptr;
    QCheckBox *FNoHosei = nullptr;
    TViewerStage *FStage = nullptr;
    TMainTabBar *FTabBar = nullptr;
    QLabel *FMainPanels[4] = {};
    QLabel *FOrderPanels[4] = {};
    QLabel *FTotalPanels[2][2] = {};
    QLabel *FShopName = nullptr;
    TThumbGrid *FGrid = nullptr;
    QMenu *FOrderPopup = nullptr;

    QList<TMainTab> FTabs;
    TTabMode FMode = tmBrowser;
    int FBrowserIndex = -1;

    QTimer *FSlideTimer = nullptr;
    bool FSlideRunning = false;
    bool FSlidePaused = false;
    bool FFullSize = false;
    Qt::WindowStates FStateBeforeFull;
    QTimer *FMemoryTimer = nullptr;
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
