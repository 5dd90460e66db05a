#pragma once

#include "sources/film_list.h"

#include <QList>

namespace korvatel
{

class TThumbNails;
struct TToggleDefaults;

// Sets each browser item's ordered mark from the order list (disk number and path).
void MarkOrdered(TFilmList &list, const TThumbNails &orders);

// What an ordering click did to the basket.
struct TOrderClickResult {
    int added = 0;
    int removed = 0;
    bool Changed() const { return added + removed > 0; }
};

// An ordering click on the browser cell clicked. Alone it toggles that picture (when its file
// size is above 0). With Shift or Ctrl held and another picture clicked before (previous ≥ 0),
// it covers the range between the two in list order: Shift adds every picture of the range not
// yet ordered, Ctrl removes every ordered one, Shift+Ctrl toggles each.
TOrderClickResult OrderClick(TFilmList &list, TThumbNails &orders, int clicked, int previous,
    bool shift, bool ctrl, const TToggleDefaults &defaults);

// "全選択" (order = true) orders, "全解除" cancels the pictures of the indices whose mark
// differs.
TOrderClickResult OrderAll(TFilmList &list, TThumbNails &orders, const QList<int> &indices,
    bool order, const TToggleDefaults &defaults);

} // namespace korvatel
