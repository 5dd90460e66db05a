#include "app/ui/basket_actions.h"

#include "app/client_session.h"
#include "app/ui/status_bars.h"
#include "order/browser_orders.h"
#include "order/camera_dates.h"
#include "order/order_copy.h"
#include "order/order_thumbnail.h"
#include "order/ui/order_panel.h"
#include "order/ui/problem_list_form.h"
#include "order/ui/relink_search.h"
#include "order/ui/thumb_grid.h"
#include "platform/prompter.h"
#include "platform/sound.h"
#include "sources/browser_item.h"
#include "sources/date_scan.h"
#include "sources/ui/browser_panel.h"
#include "sources/ui/camera_clock_form.h"
#include "sources/ui/film_grid.h"

#include <QApplication>
#include <QFileInfo>
#include <QTimer>

namespace korvatel
{

namespace
{

const char *const kOfflineOrdering = "　　OFF-LINEです。注文作業はできません。　　";

} // namespace

TBasketActions::TBasketActions(TClientSession &session, TBrowserPanel &browser,
    TOrderPanel &orderPage, TStatusBars &bars, QWidget *window)
    : QObject(window)
    , FSession(session)
    , FOrders(session.Orders())
    , FBrowser(browser)
    , FOrderPage(orderPage)
    , FBars(bars)
    , FWindow(window)
{
    PlaySound = [](const QString &name) { PlayResourceSound(name); };
    FSave = new QTimer(this);
    FSave->setSingleShot(true);
    FSave->setInterval(kBasketSaveDelay);
    connect(FSave, &QTimer::timeout, this, &TBasketActions::SaveNow);
    FBrowser.MarkOrders = [this](TFilmList &film) { MarkOrdered(film, FOrders); };
    connect(&FBrowser, &TBrowserPanel::orderAllClicked, this, &TBasketActions::SelectAllClick);
    // A modal box of the window may run work on a job that reads the basket (the moved-photo
    // search, an order being packed and sent): a whole-file hash is written in after it closes.
    FWholeHashes.MayTake = [] { return QApplication::activeModalWidget() == nullptr; };
}

void TBasketActions::ShutterSound(const QString &name)
{
    if (!FSession.Option2.ShutterOff && FSession.Online() && PlaySound)
        PlaySound(name);
}

bool TBasketActions::RefuseOrderingOffline()
{
    if (FSession.Online())
        return false;
    // Offline the first ordering click says so, once per run.
    if (!FOfflineTold) {
        FOfflineTold = true;
        FPrompter->Inform(QString::fromUtf8(kOfflineOrdering));
    }
    return true;
}

void TBasketActions::OrderClick(int index, Qt::KeyboardModifiers modifiers)
{
    if (RefuseOrderingOffline())
        return;
    const bool shift = modifiers & Qt::ShiftModifier;
    const bool ctrl = modifiers & Qt::ControlModifier;
    const TOrderClickResult result = korvatel::OrderClick(
        FBrowser.Film(), FOrders, index, FBrowser.LastClicked(), shift, ctrl, ToggleDefaults());
    FBrowser.SetLastClicked(index);
    if (!result.Changed())
        return;
    // The long shutter sounds once when pictures are added; in double-click mode on every
    // toggle.
    if (result.added > 0 || FSession.State.DblClick)
        ShutterSound(QStringLiteral("SHT_LWAV"));
    FilmChanged();
}

void TBasketActions::SelectAllClick(bool order, bool shiftHeld)
{
    if (RefuseOrderingOffline())
        return;
    TFilmList &film = FBrowser.Film();
    QList<int> indices;
    if (shiftHeld) {
        indices = FBrowser.lvBrowser()->SelectedIndices();
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

void TBasketActions::FilmChanged()
{
    // The browser has set its own marks; the basket is put in order and counted.
    FOrders.Sort();
    FOrders.Recount();
    FOrders.RebuildAggregate();
    ShowTotals();
    const TFilmList &film = FBrowser.Film();
    FBars.SetOrderCounts(film.OrderedCount(), film.Count(), FOrders.Count());
    FBrowser.MarksChanged();
    HashNewPictures();
    if (Changed)
        Changed();
}

TToggleDefaults TBasketActions::ToggleDefaults() const
{
    TToggleDefaults defaults = FOrderPage.ToggleDefaults();
    defaults.prompter = FPrompter;
    defaults.cameraClocks = &CameraClocks();
    return defaults;
}

const TCameraClocks &TBasketActions::CameraClocks() const
{
    if (!FCameraClocks)
        FCameraClocks
            = TCameraClocks::Load(TCameraClocks::FilePath(FSession.Workspace().SysData()));
    return *FCameraClocks;
}

void TBasketActions::CorrectCameraClock(const QString &path)
{
    if (path.isEmpty()) {
        if (FPrompter)
            FPrompter->Inform(
                QStringLiteral("時計を補正する写真をビューアに表示してから実行してください。"));
        return;
    }
    const TCameraShot shot = ReadCameraShot(path);
    if (!shot.taken.isValid()) {
        if (FPrompter)
            FPrompter->Inform(NoShootingDateText());
        return;
    }
    TCameraClocks clocks = CameraClocks();
    const qint64 before = clocks.Offset(shot.make, shot.model);
    const std::optional<QDateTime> corrected = AskCorrectedDate
        ? AskCorrectedDate(shot, before)
        : TCameraClockForm::Ask(shot, before, FWindow);
    if (!corrected)
        return;
    if (!clocks.SetOffset(shot.make, shot.model, ClockOffset(shot.taken, *corrected))
        || clocks.Offset(shot.make, shot.model) == before)
        return;
    const QString file = TCameraClocks::FilePath(FSession.Workspace().SysData());
    if (!clocks.Save(file)) {
        if (FPrompter)
            FPrompter->Warn(QStringLiteral("%1 に書き込めません。").arg(file));
        return;
    }
    FCameraClocks = clocks;
    if (RedateBasket(FOrders, clocks, shot.make, shot.model) > 0) {
        FOrderPage.Grid()->ListChanged();
        ScheduleSave();
    }
    if (CameraClocksChanged)
        CameraClocksChanged();
}

void TBasketActions::OrderViewedFile(const QString &file, const QString &original)
{
    if (FOrders.Find(1, file) >= 0)
        return;
    TBrowserItem picture;
    picture.fullPath = file;
    picture.fileSize = QFileInfo(file).size();
    TThumbNail *item = ToggleFromBrowser(FOrders, picture, ToggleDefaults());
    if (!item)
        return;
    ShutterSound(QStringLiteral("SHT_LWAV"));
    MakeOrderThumbnail(*item, true);
    const bool replaced = !original.isEmpty() && FPrompter
        && ReplaceOriginalByCopy(FOrders, *item, original, *FPrompter);
    FOrders.Sort();
    FOrders.Recount();
    FOrders.RebuildAggregate();
    Refresh();
    // The original has left the basket: a crash must not bring it back beside its copy.
    if (replaced)
        SaveNow();
}

bool TBasketActions::RunConsistencyCheck(int mode)
{
    TConsistencyEnv env;
    env.prompter = FPrompter;
    env.online = FSession.Online();
    env.showProblems = [this](const TConsistencyProblems &problems) {
        return ShowProblems ? ShowProblems(problems) : TProblemListForm::Ask(problems, FWindow);
    };
    env.notice = [this](bool shown) { FBars.SetInconsistent(shown); };
    env.refresh = [this] { Refresh(); };
    env.findMoved = [this](const QList<const TThumbNail *> &vanished) {
        // Nearest first: the date tree's pictures of the same size, the folders around the old
        // places and the browser's last folder, then the fixed drives of the source tree (a
        // card, a share or a disc is not walked unasked).
        QStringList drives;
        for (const TDrive &drive : FSession.Workspace().Drives().Drives())
            if (drive.type == dtFixed)
                drives << drive.root;
        const QStringList dateData
            = ReadDateData(FSession.Workspace().Tree()).value_or(QStringList());
        return SearchMovedPictures(FOrders, vanished,
            MovedSearchRoots(vanished, FSession.State.LastDir, drives),
            DateTreeCandidates(dateData, vanished), FWindow);
    };
    return CheckConsistency(FOrders, mode, env);
}

void TBasketActions::Refresh()
{
    ShowTotals();
    // The pictures listed in the browser show whether the basket holds them.
    TFilmList &film = FBrowser.Film();
    MarkOrdered(film, FOrders);
    FBars.SetOrderCounts(film.OrderedCount(), film.Count(), FOrders.Count());
    FBrowser.MarksChanged();
    HashNewPictures();
}

void TBasketActions::HashNewPictures()
{
    // Reading whole pictures would hold up the window: the hashes are taken on a job. The basket
    // read at start counts too, so an older basket's pictures still in place get theirs.
    if (FStarted && !FStopped)
        FWholeHashes.HashMissing();
}

void TBasketActions::ShowTotals()
{
    // The total bars: items and prints; phone items and CD-R items.
    FBars.SetTotals(
        FOrders.Count(), FOrders.OrderCount(), FOrders.KeitaiOrderCount(), FOrders.CdCount());
}

void TBasketActions::ScheduleSave()
{
    if (FStarted && !FStopped)
        FSave->start();
}

void TBasketActions::SaveNow()
{
    FSave->stop();
    if (FStarted && !FStopped && !FSession.Moved())
        FSession.SaveOrderMemoryHook(FOrders)();
}

void TBasketActions::Stop()
{
    FStopped = true;
    FSave->stop();
}

} // namespace korvatel
