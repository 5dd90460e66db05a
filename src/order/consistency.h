#pragma once

#include "order/relink.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <functional>

namespace korvatel
{

class TPrompter;
class TThumbNails;
class TThumbNail;

// Modes of the consistency check.
inline constexpr int kCheckAfterLoad = 1; // after loading or before ordering: asks first
inline constexpr int kCheckSilent = 2; // only the notice
inline constexpr int kCheckForced = 3; // from the menu "不整合チェック": the list at once

// One size line of an item that the shop (or the campus album) no longer offers.
struct THiddenSize {
    const TThumbNail *item = nullptr;
    QString size;
};

// What the check found.
struct TConsistencyProblems {
    // Disk pictures whose stored size is 0 or below, or differs from the file's (a missing file
    // differs).
    QList<const TThumbNail *> vanished;
    // Size lines of withdrawn sizes, item by item.
    QList<THiddenSize> hidden;
    // The number of items carrying at least one withdrawn size.
    int HiddenItems() const;
    bool Empty() const { return vanished.isEmpty() && hidden.isEmpty(); }
};

// The answer of the problem list window.
enum class TProblemAnswer { paRepair, paDeleteAll, paCancel };

// What the check needs from the main window.
struct TConsistencyEnv {
    TPrompter *prompter = nullptr;
    bool online = true;
    // The problem list window; without one the check cancels.
    std::function<TProblemAnswer(const TConsistencyProblems &)> showProblems;
    // Shows or hides the notice "注文データに不整合があります。…".
    std::function<void(bool shown)> notice;
    // After a repair: the status bars and the grid (hidden when the list is empty).
    std::function<void()> refresh;
    // Looks for the moved pictures of vanished items (with its progress window); none: the
    // vanished items are only reported.
    std::function<TRelinkSearch(const QList<const TThumbNail *> &vanished)> findMoved;
};

// The notice of the main window when the basket has problems.
QString ConsistencyNotice();

// Gathers the problems of the list: the file sizes of the disk pictures, and the size lines
// (those the per-size aggregate is made of) that are no longer offered.
TConsistencyProblems FindProblems(const TThumbNails &list);

// Media came or went: the disk pictures whose files are gone are marked as gone (Broken 1),
// so the order grid shows them missing, and those whose files are back lose the mark. Returns
// whether any item changed.
bool FollowPictureFiles(TThumbNails &list);

// Looks for the vanished items' pictures with env.findMoved and offers each one found
// (RelinkQuestion, Yes / No); a Yes relinks the item. Tells once about items that cannot be
// looked for. Returns the number of items relinked.
int OfferMovedPictures(
    TThumbNails &list, const QList<const TThumbNail *> &vanished, const TConsistencyEnv &env);

// The consistency check of the basket. Before the problems are shown, moved pictures are
// looked for and offered (not in the silent mode). Does nothing while offline. Returns whether
// problems exist when it ends (after a repair: whether any are left).
bool CheckConsistency(TThumbNails &list, int mode, const TConsistencyEnv &env);

} // namespace korvatel
