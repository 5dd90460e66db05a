#pragma once

#include "order/relink.h"

class QWidget;

namespace korvatel
{

// Runs FindMovedPictures with a progress window ("移動した画像を探しています…") that names
// the folder being walked and the number of files looked at, and whose キャンセル ends the
// search at the next file. The window keeps answering while the search runs; it only appears
// when the search takes longer than a moment.
TRelinkSearch SearchMovedPictures(const TThumbNails &list,
    const QList<const TThumbNail *> &vanished, const QStringList &roots,
    const QStringList &candidates, QWidget *parent, const TRelinkLimits &limits = {});

} // namespace korvatel
