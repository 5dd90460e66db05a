#pragma once

#include "imaging/picture_kinds.h"
#include "order/grid_paint.h"
#include "viewer/tone_steps.h"
#include "viewer/viewed_picture.h"

#include <QStringList>
#include <QWidget>
#include <functional>

class QAction;
class QKeyEvent;
class QMenu;
class QTimer;

namespace korvatel
{

class TPrompter;
struct TOption2Settings;
struct TStateSettings;
class TViewerStage;

// The viewer page of the main window: the viewer stage, the commands of the menu "画像編集"
// (turning, trimming, tone steps, pseudo double precision, restoring, erasing, saving, ordering
// the viewed picture) and the slide show through the browser's list. It reads and changes the
// State.ini values of the viewer; what it does to the basket, the browser and the status bar
// goes through the hooks the window sets. Empty hooks do nothing.
class TViewerPage : public QWidget
{
    Q_OBJECT

public:
    TViewerPage(TStateSettings &state, const TOption2Settings &option2, bool online,
        QWidget *parent = nullptr);
    ~TViewerPage() override;

    TViewerStage *Stage() const { return FStage; }
    void SetPrompter(TPrompter *prompter) { FPrompter = prompter; }
    // The file dialog of the save commands; Qt's dialog unless set (an empty answer cancels).
    using TFileDialog = std::function<QString(
        const QString &caption, const QString &proposed, const QString &filter)>;
    void SetFileDialog(TFileDialog dialog) { FFileDialog = std::move(dialog); }

    // Fills the menu "画像編集" with the page's commands and puts the viewer's buttons on the
    // stage. The commands work only while the page is active (the viewer tab is shown).
    void BuildMenu(QMenu *menu);
    void SetActive(bool active);
    bool Active() const { return FActive; }
    // Takes the zoom limit, the anchor size and the background colour from State.ini.
    void ApplySettings();

    // Shows a picture; a picture that cannot be read gives its message. A large one is read in
    // the background: true then says the reading started, and the commands wait for its end.
    bool ViewPicture(const QString &fileName);
    // Enables the commands by the picture, its frame and its history.
    void UpdateViewerCommands();

    // The browser list the slide show steps through, and the picture of it last viewed.
    void SetBrowserFiles(const QStringList &files, int index = -1);
    QStringList BrowserFiles() const { return FBrowserFiles; }
    int BrowserIndex() const { return FBrowserIndex; }
    // Shows the browser's picture at row in the viewer tab.
    void ViewBrowserFile(int row);

    // The slide show.
    void StartSlideShow();
    void StopSlideShow(bool showEnd);
    bool SlideShowRunning() const { return FSlideRunning; }
    bool SlideShowPaused() const { return FSlidePaused; }
    QTimer *SlideTimer() const { return FSlideTimer; }
    // Esc ends a slide show first, then removes an open trimming frame; false when it did
    // neither.
    bool EscapeKey();

    // The status bar's panels 0 to 2: the file name, the hint and the progress of a command.
    std::function<void(int panel, const QString &text)> ShowStatus;
    std::function<void()> MemoryStatus;
    // Selects the viewer tab, before a slide show or a browser picture is shown.
    std::function<void()> ShowViewer;
    // The date imprint the basket gives a picture's print (empty: none, or not ordered), shown
    // over the viewed picture in the shop's look.
    std::function<QString(const QString &fileName)> ImprintOf;
    void SetImprintLook(const TImprintLook &look) { FImprintLook = look; }
    // Asks ImprintOf again for the viewed picture, after the basket changed.
    void RefreshImprint();
    // Moves the browser's current cell along with the slide show, and the focus to the browser.
    std::function<void(int index)> BrowserCurrent;
    std::function<void()> FocusBrowser;
    // Lists the browser's folder again, at the same scroll position: a picture was saved into it.
    std::function<void()> RelistBrowser;
    // What the basket and the date list do with a picture ordered or saved here. An edited
    // picture is ordered as a saved copy: original then names the file it was edited from,
    // else it is empty.
    std::function<void(const QString &file, const QString &original)> OrderFile;
    std::function<void(const QString &file)> AddScannedFile;
    // "最大画面": the window switches full size.
    std::function<void()> ToggleFullSize;

    // The commands of the menu.
    void miRotateClick(RotationType rotation);
    void miTrimingClick();
    void ToneClick(TToneStep step);
    void miDoubleClick();
    void miRestoreClick();
    void miEraseClick();
    void miUndoClick();
    void miSaveAsClick();
    void sbOrderViewClick();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void BuildSlideCommands(QMenu *menu);
    void BuildOptionCommands(QMenu *menu);
    void BuildTools();
    QAction *Command(const char *name) const;
    TPrompter &Prompter();
    TViewerSaveHooks SaveHooks(const QString &caption, const QString &filter);
    void SlideTick();
    bool SlideKey(QKeyEvent *event);
    void Status(int panel, const QString &text);
    void Memory();

    TStateSettings &FState;
    const TOption2Settings &FOption2;
    bool FOnline;
    TPrompter *FPrompter = nullptr;
    TFileDialog FFileDialog;
    TViewerStage *FStage = nullptr;
    bool FActive = false;
    QStringList FBrowserFiles;
    int FBrowserIndex = -1;
    QTimer *FSlideTimer = nullptr;
    bool FSlideRunning = false;
    bool FSlidePaused = false;
    QString FViewedFile; // the file last asked for, also while it loads
    TImprintLook FImprintLook;
};

} // namespace korvatel
