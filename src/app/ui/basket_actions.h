#pragma once

#include "order/consistency.h"
#include "order/thumb_nails.h"
#include "order/whole_hashes.h"
#include "sources/camera_clock.h"

#include <QObject>
#include <functional>
#include <optional>

class QTimer;
class QWidget;

namespace korvatel
{

class TBrowserPanel;
class TClientSession;
class TOrderPanel;
class TPrompter;
class TStatusBars;
class TThumbNails;

// What the main window's commands do to the session's basket outside the order panel: the
// browser's ordering clicks and its two ordering buttons, ordering the viewed picture, the
// consistency check, the totals and the browser's marks, the shutter sound, and writing the
// order memory a moment after each change.
class TBasketActions : public QObject
{
    Q_OBJECT

public:
    // How long after a change of the basket its order memory is written.
    static constexpr int kBasketSaveDelay = 1000;

    TBasketActions(TClientSession &session, TBrowserPanel &browser, TOrderPanel &orderPage,
        TStatusBars &bars, QWidget *window);

    void SetPrompter(TPrompter *prompter) { FPrompter = prompter; }
    // Plays a sound resource; PlayResourceSound unless set.
    std::function<void(const QString &name)> PlaySound;
    // The problem list of the consistency check; the window TProblemListForm unless set.
    std::function<TProblemAnswer(const TConsistencyProblems &)> ShowProblems;
    // Called after a change of the basket from the browser.
    std::function<void()> Changed;

    // The shutter sound of an order change: through PlaySound, silent with "_ShutterOff_".
    void ShutterSound(const QString &name);
    // The browser's ordering click on a cell and its buttons "全選択" and "全解除" (with Shift
    // only the selected cells). Offline the first of them says that ordering is off.
    void OrderClick(int index, Qt::KeyboardModifiers modifiers);
    void SelectAllClick(bool order, bool shiftHeld);
    // Adds a picture the viewer saved or ordered unless the basket holds it already. For an
    // edited copy of an ordered original, the copy may take the original's place
    // (ReplaceOriginalByCopy); the order memory is then written at once.
    void OrderViewedFile(const QString &file, const QString &original = {});
    // The consistency check of the basket in a mode of order/consistency.h; true while problems
    // are left.
    bool RunConsistencyCheck(int mode);
    // The total bars, the browser's marks and its order counts after the basket changed.
    void Refresh();
    // The camera clock corrections of the workspace, read when first needed.
    const TCameraClocks &CameraClocks() const;
    // "カメラの時計を補正...": the corrected date of one picture sets the offset of its camera
    // model (saved at once); the basket's imprint dates of that model follow. Calls
    // CameraClocksChanged when the offset changed, so the date tree is built again.
    void CorrectCameraClock(const QString &path);
    std::function<void()> CameraClocksChanged;
    // The window asking for the corrected date; TCameraClockForm unless set.
    std::function<std::optional<QDateTime>(const TCameraShot &, qint64 current)> AskCorrectedDate;

    // Writes the order memory a moment after the basket changed, so a crash or a power cut
    // loses at most that moment's changes; shutdown writes it once more. Nothing is written
    // before Start (the basket is not read yet: saving would empty the files) or after Stop.
    void ScheduleSave();
    // Writes the order memory now (within the same bounds), for a change that must not be lost.
    void SaveNow();
    void Start() { FStarted = true; }
    void Stop();
    QTimer *SaveTimer() const { return FSave; }

private:
    // The order page's toggle defaults, with the prompter that says why a picture is refused.
    TToggleDefaults ToggleDefaults() const;
    bool RefuseOrderingOffline();
    void FilmChanged();
    void ShowTotals();
    // The basket's pictures without a whole-file hash get one in the background.
    void HashNewPictures();

    TClientSession &FSession;
    TThumbNails &FOrders;
    TBrowserPanel &FBrowser;
    TOrderPanel &FOrderPage;
    TStatusBars &FBars;
    QWidget *FWindow;
    TPrompter *FPrompter = nullptr;
    mutable std::optional<TCameraClocks> FCameraClocks; // read on first use
    QTimer *FSave = nullptr;
    bool FOfflineTold = false;
    bool FStarted = false;
    bool FStopped = false;
    TWholeHashes FWholeHashes { FOrders }; // last: its worker ends before the rest goes
};

} // namespace korvatel
