#pragma once

#include "order/grid_paint.h"
#include "order/grid_pictures.h"

#include <QHash>
#include <QSet>
#include <QWidget>
#include <functional>
#include <memory>

class QLineEdit;
class QMenu;
class QTimer;

namespace korvatel
{

struct TGridAction;

class TPrompter;

// The order grid: the order list as cells, one per item, each a small control panel (picture
// with the print-area frames, size switch, minus/delete, count, plus, copy, quality mark, CD-R,
// date imprint and correction). It lays itself out in its parent (whole screens of nearly
// square cells), pages by whole screens, and turns clicks, drags, double-clicks, keys and the
// auto-repeat of plus and minus into changes of the list. Pictures are made off the window's
// thread; a cell shows a placeholder until its picture arrives.
class TThumbGrid : public QWidget
{
    Q_OBJECT

public:
    // threaded off makes the pictures at once when they are asked for (tests).
    explicit TThumbGrid(QWidget *parent, bool threaded = true);
    ~TThumbGrid() override;

    // The order list shown (not owned) and the settings around it.
    void SetList(TThumbNails *list);
    TThumbNails *List() const { return FList; }
    void SetCellType(int type);
    void SetCopyAtRight(bool on);
    void SetSizeLeft(bool on);
    void SetPlusLeft(bool on);
    void SetCopyKind(TCopyKind kind);
    void SetPlainCells(bool on);
    void SetColumns(int columns);
    void SetPlateType(int type);
    void SetTables(const TPriceTables *tables);
    void SetCorrectionOffered(bool on);
    void SetPhoneOffered(bool on);
    void SetDateEditable(bool on);
    void SetFines(int low, int high);
    void SetImprintLook(const TImprintLook &look);
    void SetDragNuming(bool on) { FDragNuming = on; }
    void SetDblClickNuming(bool on) { FDblClickNuming = on; }
    void SetOnline(bool on) { FOnline = on; }
    void SetShutterOff(bool on) { FShutterOff = on; }
    void SetMouseFocus(bool on) { FMouseFocus = on; }
    void SetPrompter(TPrompter *prompter) { FPrompter = prompter; }
    void SetPopupMenu(QMenu *menu) { FPopup = menu; }
    const TOrderCellLook &Look() const { return FLook; }
    TCopyKind CopyKind() const { return FLook.copyKind; }
    bool PlainCells() const { return FLook.plain; }

    // The list changed (items added, removed, sorted): rows, visibility and pictures follow.
    void ListChanged();
    // The files of some pictures came back: pictures that could not be made are asked for
    // again at the next paint (items still marked broken are not).
    void RetryBrokenPictures();
    // Lays the grid out in its parent's client area.
    void Relayout();

    const TGridMetrics &Metrics() const { return FMetrics; }
    int Columns() const { return FMetrics.columns; }
    int VisibleRows() const { return FMetrics.visibleRows; }
    int RowCount() const;
    int TopRow() const { return FTopRow; }
    void PageUp();
    void PageDown();
    // The grid pages by whole screens: how many there are, the one shown, and showing one.
    int PageCount() const { return RowCount() / std::max(VisibleRows(), 1); }
    int Page() const { return FTopRow / std::max(VisibleRows(), 1); }
    void ShowPage(int page) { SetTopRow(page * VisibleRows()); }
    int CurrentIndex() const { return FCurrent; }
    // Makes the item current and shows its page.
    void SetCurrentIndex(int index);
    // The cell of an item in the grid's coordinates; empty when it is not on the page shown.
    QRect CellRect(int index) const;
    int IndexAt(QPoint pos) const;
    // The zone under (x, y) of the item's cell, as the last paint laid it out.
    int HitTest(int index, int x, int y, bool forHint) const;
    // The size frame under the point on the item's picture (empty when none).
    QString SizeFrameAt(int index, QPoint pos) const;
    // The frames of the item's sizes as last painted.
    QList<TSizeFrame> Frames(int index) const;
    // Whether a count dragged from the pressed size could be dropped at the point.
    bool AcceptsDrop(QPoint pos) const;
    bool Dragging() const { return FDragging; }

    // The customer has seen the last item: its cell has been painted since it came.
    bool LastItemDrawn() const { return FLastDrawn; }
    // Commits and hides the date text editor (before every sort and when the kind changes).
    void CommitDateEditor();
    QLineEdit *DateEditor() const { return FDateEdit; }

    // Auto-repeat of plus and minus: the timer is single-shot, restarted with each interval.
    QTimer *RepeatTimer() const { return FRepeat; }
    int RepeatInterval() const { return FRepeatInterval; }
    // One tick of the auto-repeat (what the timer's timeout does).
    void RepeatTick();
    // Opens the correction window on the item (OpenCorrection) and repaints the grid; a changed
    // record is kept in the order memory.
    void RunCorrectionWindow(TThumbNail &item);

    QString HintText() const { return FHint; }
    int PicturesPending() const { return FLoader->Pending(); }
    bool PictureShown(int index) const;

    // Callbacks: the locate request (path, −1), the hint, after a mouse button is released,
    // after the current item changed, the grid's sound, the copy window of kinds 16 and 17,
    // and the correction window of an item (true when it changed the record).
    std::function<void(const QString &path, int)> OnLocate;
    std::function<void(const QString &)> OnHint;
    std::function<void()> OnAfterMouseUp;
    std::function<void(int)> OnCurrentChanged;
    std::function<void(const QString &name)> PlaySound;
    std::function<void(int index, const QRect &cellOnScreen)> ShowCopyWindow;
    std::function<bool(TThumbNail &item)> OpenCorrection;
    // Something of an item kept in the order memory changed (size, counts, date, correction).
    std::function<void()> OnChanged;
    // The pages or the page shown changed.
    std::function<void()> OnPagesChanged;

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // The picture of an item's slot: the key asked for last, the key of the picture held
    // (shown until the asked one arrives, e.g. while a correction preview is being made).
    struct TCellPicture {
        QString key;
        QString shownKey;
        QImage image;
        QImage scaled; // the image at the size the cell draws it, made once per cell size
        TOrderPictureState state = TOrderPictureState::opPending;
    };

    TThumbNail *Item(int index) const;
    void Answer(const TOrderPictureResult &result);
    void AskPicture(const TThumbNail &item, TCellPicture &picture);
    void Shutter();
    void RepaintCell(int index);
    void SetTopRow(int row);
    void UpdateHint(QPoint pos);
    void OpenDateEditor(int index);
    void DateTextEdited();
    // The index of the item the date editor belongs to (−1 when none or gone).
    int DateEditorIndex() const;
    void Changed();
    // Drops the pictures of slots far from the page shown.
    void ForgetFarPictures();
    void StopRepeat();
    // A press on a cell: GridPressAction decides, CarryOut and the members after it act.
    void PressCell(int index, int zone, QMouseEvent *event);
    void CarryOut(int index, const TGridAction &action, QPoint pos);
    void PickSize(int index, const TGridAction &action, QPoint pos);
    void AskDelete(int index);
    void StartRepeat(int index, int delta);
    void CopyFrom(int index);
    void CycleKind(int index, const TGridAction &action, QPoint pos);
    TCellZones ZonesOf(int index) const;

    TThumbNails *FList = nullptr;
    TOrderCellLook FLook;
    TGridMetrics FMetrics;
    std::unique_ptr<TOrderPictureLoader> FLoader;
    QHash<QString, TCellPicture> FPictures; // by serial and path
    QHash<const TThumbNail *, TOrderCellPaint> FPainted;
    TPrompter *FPrompter = nullptr;
    QMenu *FPopup = nullptr;
    int FColumns = 3;
    int FTopRow = 0;
    int FCurrent = -1;
    int FLastPressed = -1; // the cell pressed last
    int FPressedIndex = -1;
    int FPressedZone = gzNone;
    bool FDragNuming = true;
    bool FDblClickNuming = false;
    bool FOnline = true;
    bool FShutterOff = false;
    bool FMouseFocus = true;
    bool FLastDrawn = false;
    QSet<QString> FListSlots; // the slots of the list as ListChanged saw it last
    bool FKeyBusy = false;

    // The drag source and the density drag.
    int FDragIndex = -1;
    QString FDragSize;
    int FDragCount = 0;
    QPoint FDragStart;
    bool FDragPending = false;
    bool FDragging = false;
    int FDensityIndex = -1;

    QTimer *FRepeat = nullptr;
    int FRepeatInterval = kFirstRepeat;
    int FRepeatIndex = -1;
    int FRepeatDelta = 0;

    QLineEdit *FDateEdit = nullptr;
    QString FDateSlot; // the slot of the item edited (empty: none)

    int FHintZone = gzNone; // −1 none; −2 a size frame
    QString FHint;
};

} // namespace korvatel
