#pragma once

#include "order/grid_cells.h"

#include <QPoint>
#include <QString>
#include <Qt>

namespace korvatel
{

// What a press on a cell of the order grid asks for. The grid carries it out; it owns the
// windows, the timers, the sounds and the repaint.
enum TGridActionKind {
    gaNone, // the press does nothing
    gaSelect, // the picture: the cell becomes current
    gaOpenDateEditor, // the picture, on the editor of a typed date: current, editor opened
    gaPickSize, // the picture, on a size frame: current, that size current, a drag may start
    gaStepSize, // the size switch: the next (step 1) or previous (−1) offered size
    gaAskDelete, // minus on an item without prints: the item goes after a "Yes"
    gaCountDown, // minus: one print less of the current size
    gaCountUp, // plus: one print more
    gaCopy, // the copy button
    gaToggleCd, // CD-R on or off
    gaTogglePhone, // phone picture on or off
    gaCycleDate, // the date imprint kind, forward (step 1) or back (−1)
    gaCycleCorrection, // the correction kind, forward or back
    gaOpenCorrection, // the correction window
    gaResetDensity, // the right button alone on the density slider: density 0
    gaSetDensity, // the left button on the slider: the density of its x position
};

// A press: the zone it hit, the button that went down, the buttons held and where.
struct TGridPress {
    int zone = gzNone;
    Qt::MouseButton button = Qt::NoButton;
    Qt::MouseButtons buttons;
    QPoint pos;
    // The size whose frame on the picture is under the press; empty when none.
    QString sizeFrame;
};

struct TGridAction {
    TGridActionKind kind = gaNone;
    // The shutter sound plays before the change.
    bool shutter = false;
    // Forward (1) or back (−1) for size steps and cycles.
    int step = 0;
    // gaPickSize: the size; sizeChanged when it was not the current one.
    QString size;
    bool sizeChanged = false;
    // gaCountDown, gaCountUp: the count goes on changing while the button is held.
    bool repeat = false;
    // gaSetDensity: the new density.
    int density = 0;
};

// The action of a press on the item's cell with the given zones. Only the left button acts on
// most zones; the size switch, the date and the correction kind also take the right button (to
// step back), and the density slider takes it alone (to reset).
TGridAction GridPressAction(
    const TGridPress &press, const TCellZones &zones, const TThumbNail &item);

} // namespace korvatel
