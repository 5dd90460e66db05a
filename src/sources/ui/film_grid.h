#pragma once

#include "sources/film_cell.h"
#include "sources/film_list.h"
#include "sources/thumb_loader.h"

#include <QAbstractScrollArea>
#include <QHash>
#include <QSet>

class QPainter;

namespace korvatel
{

// The film strip: the browser list as a grid of cells, row after row, with its own vertical
// scroll bar. Cells are painted from the thumbnail store's decision, which the loader makes
// off the window's thread; until it arrives a cell shows a placeholder. A click on a cell
// (without dragging) reports it; dragging selects a range of cells.
class TFilmGrid : public QAbstractScrollArea
{
    Q_OBJECT

public:
    explicit TFilmGrid(QWidget *parent = nullptr);

    // The list shown and the loader that makes its cells; neither is owned.
    void SetList(TFilmList *list);
    void SetLoader(TThumbLoader *loader);
    TFilmList *List() const { return FList; }
    // The list was filled again: pictures are forgotten, the view goes to the top. Before the
    // strip is first shown, the cells that a screen can hold are asked for at once.
    void ListChanged();
    // The marks or the order of the items changed, not the files: repaint.
    void MarksChanged();
    // Forgets the pictures made so far (mode switch, "RM", "AR") and asks again.
    void InvalidatePictures();

    void SetLook(const TFilmLook &look);
    const TFilmLook &Look() const { return FLook; }
    // The cell's width and height in pixels.
    void SetCellSize(QSize size);
    QSize CellSize() const { return FCellSize; }
    // While set (a list being built, the window busy), cells are not drawn; with text, the
    // text is shown instead ("???").
    void SetBusy(bool busy, const QString &text = {});
    bool Busy() const { return FBusy; }

    int ColCount() const;
    int VisibleRows() const;
    int TopRow() const;
    // The index of the first visible cell: top row × column count.
    int TopIndex() const { return TopRow() * ColCount(); }
    void SetTopIndex(int index);
    void ScrollToIndex(int index);
    int CurrentIndex() const { return FCurrent; }
    void SetCurrentIndex(int index);
    // The selected cells (the range dragged over, or the current cell), in list order.
    QList<int> SelectedIndices() const;
    // The indices of the visible rows: top row × columns to that plus visible rows × columns − 1.
    QPair<int, int> VisibleRange() const;
    // The indices whose pictures are kept: the visible range and kKeptPages pages either side.
    QPair<int, int> KeptRange() const;
    static constexpr int kKeptPages = 2;
    // The rectangle of a cell in the viewport; empty for an index out of the list.
    QRect CellRect(int index) const;
    int IndexAt(QPoint viewportPos) const;
    // What the cell of an index shows now (pending until the loader has answered).
    TCellState State(int index) const;
    // How many cells of the current list hold their answer (those near the view).
    int ReadyCount() const { return int(FPictures.size()); }

Q_SIGNALS:
    void cellClicked(int index, Qt::KeyboardModifiers modifiers);
    void cellDoubleClicked(int index, Qt::KeyboardModifiers modifiers);
    void cellActivated(int index); // Enter
    // Space on the current cell: order it or take it out, as a click on it in the browser does.
    void orderKey(int index, Qt::KeyboardModifiers modifiers);
    void rightPressed(int index);
    void currentChanged(int index);
    void hintText(const QString &hint);
    void cellReady(int index);
    // Once for each list (and again after its pictures were forgotten): the first paint that
    // leaves no cell of the visible rows waiting for the loader has drawn the whole screen.
    void screenComplete();

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void scrollContentsBy(int dx, int dy) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    bool viewportEvent(QEvent *event) override;

private:
    struct TPicture {
        TCellState state = TCellState::csPending;
        QImage image;
        QRect target; // relative to the cell's top left
    };

    void UpdateScrollBar();
    void PaintCells(QPainter &painter, const QRect &area);
    void Answer(const TThumbResult &result);
    void Ask(int index);
    QRect CellAt(int index, int top) const;
    // Whether every cell of the visible rows holds its answer.
    bool ScreenAnswered() const;

    TFilmList *FList = nullptr;
    TThumbLoader *FLoader = nullptr;
    TFilmLook FLook;
    QSize FCellSize { 120, 120 };
    quint64 FGeneration = 1;
    quint64 FCompleteGeneration = 0; // the generation whose screenComplete() was emitted
    QHash<int, TPicture> FPictures;
    QSet<int> FAsked;
    bool FBusy = false;
    QString FBusyText;
    int FCurrent = -1;
    int FAnchor = -1;
    int FPressed = -1;
    bool FDragged = false;
    int FHintIndex = -1;
};

} // namespace korvatel
