#include "order/grid_press.h"
#include "order/ui/thumb_grid.h"
#include "platform/prompter.h"

#include <QApplication>
#include <QLineEdit>
#include <QMouseEvent>
#include <QTimer>

// The presses on the grid's cells: the rules are GridPressAction's, carried out here.

namespace korvatel
{

void TThumbGrid::mousePressEvent(QMouseEvent *event)
{
    // Every mouse action is ignored offline.
    if (!FOnline || !FList)
        return;
    setFocus();
    const QPoint pos = event->position().toPoint();
    const int index = IndexAt(pos);
    // A press anywhere but the edited cell ends the date editing.
    if (FDateEdit->isVisible() && (index < 0 || index != DateEditorIndex()))
        CommitDateEditor();
    if (index < 0)
        return;
    // A left press while the right button is held is the start of a locate request.
    if (event->button() == Qt::LeftButton && (event->buttons() & Qt::RightButton))
        return;
    const int zone = HitTest(index, pos.x(), pos.y(), false);
    const int previous = FLastPressed;
    FLastPressed = index;
    FPressedIndex = index;
    FPressedZone = zone;
    PressCell(index, zone, event);
    if (previous != index || zone == gzDate || zone == gzHoseiKind || zone == gzDensity) {
        RepaintCell(previous);
        RepaintCell(index);
    }
}

void TThumbGrid::PressCell(int index, int zone, QMouseEvent *event)
{
    TGridPress press;
    press.zone = zone;
    press.button = event->button();
    press.buttons = event->buttons();
    press.pos = event->position().toPoint();
    // A left press on the picture makes the cell current first: the page may move, and the
    // date editor and the size frames are looked for where the cell is then.
    if (zone == gzPicture && press.button == Qt::LeftButton) {
        SetCurrentIndex(index);
        press.sizeFrame = SizeFrameAt(index, press.pos);
    }
    const TGridAction action = GridPressAction(press, ZonesOf(index), *FList->Item(index));
    if (action.shutter)
        Shutter();
    CarryOut(index, action, press.pos);
}

void TThumbGrid::CarryOut(int index, const TGridAction &action, QPoint pos)
{
    TThumbNail &item = *FList->Item(index);
    switch (action.kind) {
    case gaOpenDateEditor:
        OpenDateEditor(index);
        return;
    case gaPickSize:
        PickSize(index, action, pos);
        return;
    case gaStepSize:
        item.SetCurrentSize(NextOfferedSize(item, FLook.tables, FLook.projectSizes, action.step));
        RepaintCell(index);
        Changed();
        return;
    case gaAskDelete:
        AskDelete(index);
        return;
    case gaCountDown:
    case gaCountUp:
        item.AddToCurrent(action.step);
        RepaintCell(index);
        if (action.repeat)
            StartRepeat(index, action.step);
        return;
    case gaCopy:
        CopyFrom(index);
        return;
    case gaToggleCd:
    case gaTogglePhone:
        (action.kind == gaToggleCd ? item.CdOrder : item.KeitaiOrder) ^= true;
        FList->Recount();
        RepaintCell(index);
        return;
    case gaCycleDate:
    case gaCycleCorrection:
        CycleKind(index, action, pos);
        return;
    case gaOpenCorrection:
        RunCorrectionWindow(item);
        return;
    case gaResetDensity:
    case gaSetDensity:
        if (action.kind == gaSetDensity)
            FDensityIndex = index;
        item.Hosei.density = int16_t(action.kind == gaSetDensity ? action.density : 0);
        Changed();
        return;
    case gaSelect:
    case gaNone:
        return;
    }
}

void TThumbGrid::PickSize(int index, const TGridAction &action, QPoint pos)
{
    TThumbNail &item = *FList->Item(index);
    setCursor(Qt::PointingHandCursor);
    if (action.sizeChanged) {
        item.SetCurrentSize(action.size);
        RepaintCell(index);
        Changed();
    }
    FDragIndex = index;
    FDragSize = action.size;
    FDragCount = item.SizeCount(action.size);
    if (FDragNuming && FDragCount > 0) {
        FDragPending = true;
        FDragStart = pos;
    }
}

void TThumbGrid::AskDelete(int index)
{
    if (!FPrompter
        || FPrompter->Ask(TMsgKind::mkConfirmation,
               QStringLiteral("画像をオーダーから削除します。よろしいですか？"), mbYes | mbNo)
            != TModalResult::mrYes)
        return;
    FPressedIndex = -1;
    FPressedZone = gzNone;
    FDragIndex = -1;
    FList->Delete(index);
    FList->Recount();
    ListChanged();
}

void TThumbGrid::StartRepeat(int index, int delta)
{
    FRepeatIndex = index;
    FRepeatDelta = delta;
    FRepeatInterval = kFirstRepeat;
    FRepeat->start(FRepeatInterval);
}

void TThumbGrid::CopyFrom(int index)
{
    // The copy may set the edited item's date text: the editor's text is stored first.
    CommitDateEditor();
    if (FLook.copyKind == ckToEnd) {
        const TCopyRange range = CopyToEndRange(index, FList->Count());
        if (!range.Empty() && FPrompter)
            CopyOrderSettings(*FList, CopySourceOf(*FList->Item(index), FLook.tables), range.last,
                range.first, *FPrompter);
        update();
    } else if (ShowCopyWindow) {
        const QRect cell = CellRect(index);
        FPressedZone = gzNone;
        ShowCopyWindow(index, QRect(mapToGlobal(cell.topLeft()), cell.size()));
        update();
    }
}

void TThumbGrid::CycleKind(int index, const TGridAction &action, QPoint pos)
{
    TThumbNail &item = *FList->Item(index);
    if (action.kind == gaCycleDate) {
        if (CycleDateKind(item, action.step > 0))
            CommitDateEditor();
        if (item.DatePrint && item.DateType == dkCustom)
            OpenDateEditor(index);
    } else {
        CycleCorrectionKind(item, action.step > 0);
    }
    Changed();
    FHintZone = -3;
    UpdateHint(pos);
}

void TThumbGrid::RunCorrectionWindow(TThumbNail &item)
{
    if (!OpenCorrection)
        return;
    // The window shows its own busy state while the picture loads.
    if (OpenCorrection(item))
        Changed();
    FPressedZone = gzNone;
    update();
}

} // namespace korvatel
