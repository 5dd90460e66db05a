#include "order/grid_press.h"

namespace korvatel
{

namespace
{

TGridAction Act(TGridActionKind kind, bool shutter = true, int step = 0)
{
    TGridAction action;
    action.kind = kind;
    action.shutter = shutter;
    action.step = step;
    return action;
}

// The picture zone selects the cell; on the editor of a typed date it opens the editor, on a
// size frame it picks the size.
TGridAction PictureAction(const TGridPress &press, const TCellZones &zones, const TThumbNail &item)
{
    if (item.DatePrint && item.DateType == dkCustom && !zones.Zone(gzDate).isEmpty()
        && zones.dateEditor.contains(press.pos))
        return Act(gaOpenDateEditor, false);
    if (press.sizeFrame.isEmpty())
        return Act(gaSelect, false);
    TGridAction action = Act(gaPickSize, false);
    action.size = press.sizeFrame;
    action.sizeChanged = press.sizeFrame != item.CurrentSize;
    return action;
}

// The density slider: the right button alone resets, the left button sets from the position.
TGridAction DensityAction(const TGridPress &press, const TCellZones &zones)
{
    if (press.button == Qt::RightButton && !(press.buttons & Qt::LeftButton))
        return Act(gaResetDensity);
    if (press.button != Qt::LeftButton)
        return {};
    TGridAction action = Act(gaSetDensity);
    action.density = DensityAt(zones.Zone(gzDensity), press.pos.x());
    return action;
}

} // namespace

TGridAction GridPressAction(
    const TGridPress &press, const TCellZones &zones, const TThumbNail &item)
{
    const bool left = press.button == Qt::LeftButton;
    const bool right = press.button == Qt::RightButton;
    const int step = left ? 1 : -1;
    if (press.zone == gzDensity)
        return DensityAction(press, zones);
    // The zones that step back with the right button.
    if (press.zone == gzSize || press.zone == gzDate || press.zone == gzHoseiKind) {
        if (!left && !right)
            return {};
        const TGridActionKind kind = press.zone == gzSize ? gaStepSize
            : press.zone == gzDate                        ? gaCycleDate
                                                          : gaCycleCorrection;
        return Act(kind, true, step);
    }
    if (!left)
        return {};
    switch (press.zone) {
    case gzPicture:
        return PictureAction(press, zones, item);
    case gzMinus: {
        if (item.TotalCount == 0)
            return Act(gaAskDelete);
        TGridAction action = Act(gaCountDown, true, -1);
        // The count left after this press must be two or more for the minus to go on.
        action.repeat = item.CurrentCount >= 3;
        return action;
    }
    case gzPlus: {
        TGridAction action = Act(gaCountUp, true, 1);
        action.repeat = true;
        return action;
    }
    case gzCopy:
        return Act(gaCopy);
    case gzCdr:
        return Act(gaToggleCd);
    case gzPhone:
        return Act(gaTogglePhone);
    case gzHoseiWindow:
        return Act(gaOpenCorrection, false);
    default:
        return {};
    }
}

} // namespace korvatel
