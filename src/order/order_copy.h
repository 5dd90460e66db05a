#pragma once

#include "order/thumb_nails.h"

#include <QString>
#include <QStringList>
#include <memory>
#include <optional>

namespace korvatel
{

class TPrompter;
class TPriceTables;

// The copy button's kinds (stored as CopyBtnTypeIndex 0, 2, 1).
enum TCopyKind { ckToEnd = 1, ckStepper = 16, ckDetail = 17 };
// The kind of a CopyBtnTypeIndex value and back; an unknown index gives ckToEnd.
TCopyKind CopyKindOfIndex(int index);
int CopyKindIndex(TCopyKind kind);
// The kind in use: the one chosen in the menu (index not 0), else the shop's (stepper or
// detail), else ckToEnd.
TCopyKind StartCopyKind(int menuIndex, std::optional<int> shopKind);

// What is copied from the source item.
struct TCopySource {
    TOrderType orderType = otDpe;
    // The campus album folder of the source (order type 3).
    QString campusFolder;
    std::shared_ptr<const TCampusPriceList> campusPrices;
    QString customDate; // date text [2]
    TDateKind dateKind = dkNormal;
    bool datePrint = false;
    bool cdOrder = false;
    // "size=count" lines in offered-size order; sizes no longer offered are left out.
    QStringList sizeLines;
    QString currentSize;
};

// The settings of an item to copy: its size lines are collected by walking the offered sizes
// (the price tables' normal sizes, or the campus list) from the first to the last.
TCopySource CopySourceOf(const TThumbNail &item, const TPriceTables *tables);

// Copies the source's settings to the items from first to last inclusive: order types 1 and 3
// only; project pictures, items of another type and campus items of another folder are
// skipped. With date kind "指定" the prompter asks "入力日付もコピーしますか？" (Yes/No/Cancel);
// Cancel copies nothing, Yes also copies the custom date text. Returns the number of items
// changed, or −1 when cancelled. The list is recounted when something changed.
int CopyOrderSettings(
    TThumbNails &list, const TCopySource &source, int last, int first, TPrompter &prompter);

// The question asked when the viewer's edited copy of an ordered picture is ordered.
QString ReplaceOriginalQuestion();
// The copy was just ordered as the viewer's edited (trimmed) copy of original. When original is
// in the list as well (disk 1), asks ReplaceOriginalQuestion, Yes being the default: Yes gives
// the copy the original's sizes and counts with its current size, CD-R and phone toggles, date
// imprint with its texts, correction settings and place in the order (its serial), and deletes
// the original; any other answer keeps both. Returns true when the original was replaced; the
// list is then recounted.
bool ReplaceOriginalByCopy(
    TThumbNails &list, TThumbNail &copy, const QString &original, TPrompter &prompter);

// An inclusive range of item indices; empty when last < first.
struct TCopyRange {
    int first = 0;
    int last = -1;
    bool Empty() const { return last < first; }
    friend bool operator==(const TCopyRange &, const TCopyRange &) = default;
};

// Kind 1 and "右へ最後まで": every item after the source.
TCopyRange CopyToEndRange(int sourceIndex, int count);

// The range stepper of the copy window: an offset from the source, from −(source index) to
// (count − source index − 1), starting at 1, with the auto-repeat of its "－" and "＋" buttons.
class TCopyStepper
{
public:
    TCopyStepper(int sourceIndex, int count);

    int Offset() const { return FOffset; }
    int MinOffset() const { return -FSource; }
    int MaxOffset() const { return std::max(FCount - FSource - 1, 0); }
    // Changes the offset by delta within its bounds; false when it did not move.
    bool Step(int delta);
    // "全画像に", "先頭まで", "最後まで", "右へ %d個" or "左へ %d個".
    QString Label() const;
    // The items the stepper's "コピー実行" copies to.
    TCopyRange Targets() const;

    // Auto-repeat: a press steps once and waits 500 ms; each repeat steps again and waits 0.7
    // times the last interval (truncated); reaching offset 0 sets it to 300 ms.
    void Press(int delta);
    void Repeat();
    int RepeatInterval() const { return FInterval; }

private:
    int FSource;
    int FCount;
    int FOffset;
    int FDelta = 0;
    int FInterval = 500;
};

} // namespace korvatel
