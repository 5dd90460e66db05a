#include "order/browser_orders.h"

#include "order/thumb_nails.h"

#include <algorithm>

namespace korvatel
{

void MarkOrdered(TFilmList &list, const TThumbNails &orders)
{
    for (int i = 0; i < list.Count(); ++i) {
        TFilmData &item = list.Item(i);
        item.inOrder = orders.Find(item.diskNo, item.fullPath) >= 0;
    }
}

TOrderClickResult OrderClick(TFilmList &list, TThumbNails &orders, int clicked, int previous,
    bool shift, bool ctrl, const TToggleDefaults &defaults)
{
    TOrderClickResult result;
    if (clicked < 0 || clicked >= list.Count())
        return result;
    // One message for a range, however many of its pictures cannot be ordered.
    TToggleDefaults quiet = defaults;
    const TToggleDefaults *current = &defaults;
    const auto toggle = [&](TFilmData &item) {
        if (item.fileSize <= 0)
            return;
        const bool was = item.inOrder;
        ToggleFromBrowser(orders, item, *current);
        if (!was && !OrderMemoryCanHold(item.fullPath)) {
            quiet.prompter = nullptr;
            current = &quiet;
        }
        if (item.inOrder && !was)
            ++result.added;
        else if (!item.inOrder && was)
            ++result.removed;
    };
    if ((shift || ctrl) && previous >= 0 && previous < list.Count() && previous != clicked) {
        const int first = std::min(previous, clicked);
        const int last = std::max(previous, clicked);
        for (int i = first; i <= last; ++i) {
            TFilmData &item = list.Item(i);
            if (shift && ctrl)
                toggle(item);
            else if (shift && !item.inOrder)
                toggle(item);
            else if (ctrl && item.inOrder)
                toggle(item);
        }
        return result;
    }
    toggle(list.Item(clicked));
    return result;
}

TOrderClickResult OrderAll(TFilmList &list, TThumbNails &orders, const QList<int> &indices,
    bool order, const TToggleDefaults &defaults)
{
    TOrderClickResult result;
    TToggleDefaults quiet = defaults;
    const TToggleDefaults *current = &defaults;
    for (const int i : indices) {
        if (i < 0 || i >= list.Count())
            continue;
        TFilmData &item = list.Item(i);
        if (item.inOrder == order)
            continue;
        if (!order) {
            // Cancelling needs no file: a picture whose file failed after it was ordered is
            // taken out as well.
            const int found = orders.Find(1, item.fullPath);
            if (found >= 0)
                orders.Delete(found);
            item.inOrder = false;
            ++result.removed;
            continue;
        }
        if (item.fileSize <= 0)
            continue;
        ToggleFromBrowser(orders, item, *current);
        if (item.inOrder)
            ++result.added;
        else if (!OrderMemoryCanHold(item.fullPath)) {
            quiet.prompter = nullptr;
            current = &quiet;
        }
    }
    return result;
}

} // namespace korvatel
