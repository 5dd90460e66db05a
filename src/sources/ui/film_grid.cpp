#include "sources/ui/film_grid.h"

#include <QDrag>
#include <QKeyEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QScrollBar>
#include <QUrl>

namespace korvatel
{

TFilmGrid::TFilmGrid(QWidget *parent)
    : QAbstractScrollArea(parent)
{
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setFocusPolicy(Qt::StrongFocus);
    viewport()->setMouseTracking(true);
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    FLook.font = font();
}

void TFilmGrid::SetList(TFilmList *list)
{
    FList = list;
    ListChanged();
}

void TFilmGrid::SetLoader(TThumbLoader *loader)
{
    if (FLoader)
        disconnect(FLoader, nullptr, this, nullptr);
    FLoader = loader;
    if (FLoader)
        connect(FLoader, &TThumbLoader::ready, this, &TFilmGrid::Answer);
    InvalidatePictures();
}

void TFilmGrid::ListChanged()
{
    ++FGeneration;
    FPictures.clear();
    FAsked.clear();
    if (FLoader)
        FLoader->ClearPending();
    FCurrent = -1;
    FAnchor = -1;
    FPressed = -1;
    FHintIndex = -1;
    UpdateScrollBar();
    verticalScrollBar()->setValue(0);
    viewport()->update();
    // A strip not shown yet (the window that holds it is still being made) asks at once for
    // the first cells, as many as the screen can hold, so the loader works meanwhile; a shown
    // strip asks for its visible cells when it paints, right after this.
    if (!isVisible() && FList && FLoader) {
        const QScreen *shownOn = screen();
        const QSize area = shownOn ? shownOn->availableSize() : viewport()->size();
        const int cells = std::max(1, area.width() / FCellSize.width())
            * (area.height() / FCellSize.height() + 1);
        for (int index = 0; index < std::min(cells, FList->Count()); ++index)
            Ask(index);
    }
}

void TFilmGrid::MarksChanged()
{
    viewport()->update();
}

void TFilmGrid::InvalidatePictures()
{
    ++FGeneration;
    FPictures.clear();
    FAsked.clear();
    if (FLoader)
        FLoader->ClearPending();
    viewport()->update();
}

void TFilmGrid::SetLook(const TFilmLook &look)
{
    const bool layoutChanged
        = look.number != FLook.number || look.date != FLook.date || look.font != FLook.font;
    FLook = look;
    if (layoutChanged)
        InvalidatePictures();
    viewport()->update();
}

void TFilmGrid::SetCellSize(QSize size)
{
    size = size.expandedTo(QSize(40, 40));
    if (size == FCellSize)
        return;
    FCellSize = size;
    InvalidatePictures();
    UpdateScrollBar();
}

void TFilmGrid::SetBusy(bool busy, const QString &text)
{
    FBusy = busy;
    FBusyText = text;
    viewport()->update();
}

int TFilmGrid::ColCount() const
{
    return std::max(1, viewport()->width() / FCellSize.width());
}

int TFilmGrid::VisibleRows() const
{
    return std::max(1, viewport()->height() / FCellSize.height());
}

int TFilmGrid::TopRow() const
{
    return verticalScrollBar()->value() / FCellSize.height();
}

void TFilmGrid::SetTopIndex(int index)
{
    UpdateScrollBar();
    verticalScrollBar()->setValue(std::max(0, index) / ColCount() * FCellSize.height());
}

void TFilmGrid::ScrollToIndex(int index)
{
    if (index < 0)
        return;
    const int row = index / ColCount();
    if (row < TopRow() || row >= TopRow() + VisibleRows())
        verticalScrollBar()->setValue(row * FCellSize.height());
}

void TFilmGrid::SetCurrentIndex(int index)
{
    const int count = FList ? FList->Count() : 0;
    if (index < 0 || index >= count)
        index = -1;
    FCurrent = index;
    FAnchor = index;
    ScrollToIndex(index);
    viewport()->update();
    Q_EMIT currentChanged(index);
}

QList<int> TFilmGrid::SelectedIndices() const
{
    QList<int> indices;
    if (FCurrent < 0)
        return indices;
    const int anchor = FAnchor < 0 ? FCurrent : FAnchor;
    for (int i = std::min(anchor, FCurrent); i <= std::max(anchor, FCurrent); ++i)
        indices << i;
    return indices;
}

QPair<int, int> TFilmGrid::VisibleRange() const
{
    const int first = TopIndex();
    return { first, first + VisibleRows() * ColCount() - 1 };
}

QPair<int, int> TFilmGrid::KeptRange() const
{
    const QPair<int, int> visible = VisibleRange();
    const int margin = kKeptPages * VisibleRows() * ColCount();
    return { std::max(0, visible.first - margin), visible.second + margin };
}

QRect TFilmGrid::CellAt(int index, int top) const
{
    const int cols = ColCount();
    return QRect((index % cols) * FCellSize.width(), (index / cols) * FCellSize.height() - top,
        FCellSize.width(), FCellSize.height());
}

QRect TFilmGrid::CellRect(int index) const
{
    if (!FList || index < 0 || index >= FList->Count())
        return {};
    return CellAt(index, verticalScrollBar()->value());
}

int TFilmGrid::IndexAt(QPoint pos) const
{
    if (!FList || pos.x() < 0 || pos.y() < 0)
        return -1;
    const int cols = ColCount();
    const int col = pos.x() / FCellSize.width();
    if (col >= cols)
        return -1;
    const int row = (pos.y() + verticalScrollBar()->value()) / FCellSize.height();
    const int index = row * cols + col;
    return index < FList->Count() ? index : -1;
}

TCellState TFilmGrid::State(int index) const
{
    const auto it = FPictures.constFind(index);
    return it == FPictures.constEnd() ? TCellState::csPending : it->state;
}

void TFilmGrid::UpdateScrollBar()
{
    const int count = FList ? FList->Count() : 0;
    const int rows = (count + ColCount() - 1) / ColCount();
    const int height = rows * FCellSize.height();
    verticalScrollBar()->setRange(0, std::max(0, height - viewport()->height()));
    verticalScrollBar()->setPageStep(std::max(1, VisibleRows()) * FCellSize.height());
    verticalScrollBar()->setSingleStep(FCellSize.height());
}

void TFilmGrid::Ask(int index)
{
    if (!FLoader || FAsked.contains(index))
        return;
    FAsked.insert(index);
    TThumbRequest request;
    request.index = index;
    request.generation = FGeneration;
    request.item = FList->Item(index);
    request.layout = FilmCellLayout(QRect(QPoint(0, 0), FCellSize), FLook);
    FLoader->Request(request);
}

void TFilmGrid::Answer(const TThumbResult &result)
{
    if (result.generation != FGeneration || !FList || result.index >= FList->Count())
        return;
    TFilmData &item = FList->Item(result.index);
    if (item.fullPath != result.item.fullPath)
        return;
    // What the store learnt about the file; the ordered mark stays the list's.
    item.fileSize = result.item.fileSize;
    item.width = result.item.width;
    item.height = result.item.height;
    item.caption = result.item.caption;
    item.hint = result.item.hint;
    item.failure = result.item.failure;
    item.exifState = result.item.exifState;
    TPicture picture;
    picture.state = result.outcome == TCellOutcome::coReady ? TCellState::csReady
        : result.outcome == TCellOutcome::coMovie           ? TCellState::csMovie
                                                            : TCellState::csError;
    picture.image = result.image;
    picture.target = result.target;
    // A cell scrolled far away meanwhile keeps no picture; it is asked again when shown.
    const QPair<int, int> kept = KeptRange();
    if (result.index < kept.first || result.index > kept.second)
        FAsked.remove(result.index);
    else
        FPictures.insert(result.index, picture);
    if (result.hintChanged && result.index == FHintIndex)
        Q_EMIT hintText(item.hint);
    viewport()->update(CellRect(result.index));
    Q_EMIT cellReady(result.index);
}

void TFilmGrid::paintEvent(QPaintEvent *event)
{
    QPainter painter(viewport());
    painter.fillRect(event->rect(), FLook.back);
    if (FBusy && !FBusyText.isEmpty()) {
        painter.setPen(FLook.frame);
        painter.drawText(viewport()->rect(), Qt::AlignCenter, FBusyText);
    } else if (!FBusy && FList) {
        PaintCells(painter, event->rect());
    }
    // The focus frame lies over the edge of the picture area, so that the columns stay put.
    if (hasFocus()) {
        painter.setPen(QPen(palette().color(QPalette::Highlight), 2));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(QRectF(viewport()->rect()).adjusted(1, 1, -1, -1));
    }
}

void TFilmGrid::focusInEvent(QFocusEvent *event)
{
    QAbstractScrollArea::focusInEvent(event);
    viewport()->update();
}

void TFilmGrid::focusOutEvent(QFocusEvent *event)
{
    QAbstractScrollArea::focusOutEvent(event);
    viewport()->update();
}

void TFilmGrid::PaintCells(QPainter &painter, const QRect &area)
{
    painter.setFont(FLook.font);
    const int top = verticalScrollBar()->value();
    const int cols = ColCount();
    const int firstRow = top / FCellSize.height();
    const int lastRow = (top + viewport()->height()) / FCellSize.height();
    const QList<int> selected = SelectedIndices();
    for (int row = firstRow; row <= lastRow; ++row) {
        for (int col = 0; col < cols; ++col) {
            const int index = row * cols + col;
            if (index >= FList->Count())
                break;
            const QRect cell = CellAt(index, top);
            if (!cell.intersects(area))
                continue;
            const auto it = FPictures.constFind(index);
            if (it == FPictures.constEnd())
                Ask(index);
            const TPicture picture = it == FPictures.constEnd() ? TPicture() : *it;
            painter.save();
            painter.translate(cell.topLeft());
            const TCellLayout layout = FilmCellLayout(QRect(QPoint(0, 0), FCellSize), FLook);
            PaintFilmCell(painter, layout, FLook, FList->Item(index), index + 1, picture.state,
                picture.image, picture.target, selected.contains(index));
            painter.restore();
        }
    }
    if (FCompleteGeneration != FGeneration && ScreenAnswered()) {
        FCompleteGeneration = FGeneration;
        Q_EMIT screenComplete();
    }
}

bool TFilmGrid::ScreenAnswered() const
{
    // A row starting right at the bottom edge is not on the screen and is never asked for.
    const int top = verticalScrollBar()->value();
    const int cols = ColCount();
    const int lastRow = (top + viewport()->height() - 1) / FCellSize.height();
    const int end = std::min(FList->Count(), (lastRow + 1) * cols);
    for (int index = top / FCellSize.height() * cols; index < end; ++index)
        if (!FPictures.contains(index))
            return false;
    return true;
}

void TFilmGrid::resizeEvent(QResizeEvent *event)
{
    QAbstractScrollArea::resizeEvent(event);
    UpdateScrollBar();
}

void TFilmGrid::scrollContentsBy(int, int)
{
    // Cells that scrolled away and were not started are not made any more; the paint asks for
    // the visible ones. Cells being made stay asked, so no second thread makes them again.
    if (FLoader)
        for (const int index : FLoader->ClearPending())
            FAsked.remove(index);
    // Pictures far from the view are dropped, so scrolling through a big list keeps only a
    // few pages of them; they are asked again when scrolled back.
    const QPair<int, int> kept = KeptRange();
    for (auto it = FPictures.begin(); it != FPictures.end();) {
        if (it.key() < kept.first || it.key() > kept.second) {
            FAsked.remove(it.key());
            it = FPictures.erase(it);
        } else {
            ++it;
        }
    }
    viewport()->update();
}

void TFilmGrid::mousePressEvent(QMouseEvent *event)
{
    setFocus();
    const int index = IndexAt(event->position().toPoint());
    if (event->button() == Qt::RightButton) {
        Q_EMIT rightPressed(index);
        return;
    }
    // A left press while the right button is held does nothing.
    if (event->button() != Qt::LeftButton || (event->buttons() & Qt::RightButton))
        return;
    FPressed = index;
    FDragged = false;
    if (index < 0)
        return;
    FCurrent = index;
    if (!(event->modifiers() & Qt::ShiftModifier) || FAnchor < 0)
        FAnchor = index;
    viewport()->update();
    Q_EMIT currentChanged(index);
}

void TFilmGrid::mouseMoveEvent(QMouseEvent *event)
{
    const int index = IndexAt(event->position().toPoint());
    if (index != FHintIndex) {
        FHintIndex = index;
        if (index >= 0)
            Q_EMIT hintText(FList->Item(index).hint);
    }
    if ((event->buttons() & Qt::LeftButton) && FPressed >= 0
        && !viewport()->rect().contains(event->position().toPoint())) {
        // Pulled out of the strip, the pressed picture goes along as a file (onto the card
        // stage, a frame of a plate, or any other program).
        const int pressed = FPressed;
        FPressed = -1;
        auto *drag = new QDrag(this);
        auto *data = new QMimeData;
        data->setUrls({ QUrl::fromLocalFile(FList->Item(pressed).fullPath) });
        drag->setMimeData(data);
        drag->exec(Qt::CopyAction);
        return;
    }
    if ((event->buttons() & Qt::LeftButton) && FPressed >= 0 && index >= 0 && index != FCurrent) {
        // Dragging selects the range from the pressed cell.
        FDragged = true;
        FCurrent = index;
        viewport()->update();
    }
}

void TFilmGrid::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton)
        return;
    const int index = IndexAt(event->position().toPoint());
    const int pressed = FPressed;
    FPressed = -1;
    if (!FDragged && pressed >= 0 && index == pressed)
        Q_EMIT cellClicked(index, event->modifiers());
}

void TFilmGrid::mouseDoubleClickEvent(QMouseEvent *event)
{
    // The second press of a double click is a press as well.
    mousePressEvent(event);
    if (event->button() != Qt::LeftButton)
        return;
    const int index = IndexAt(event->position().toPoint());
    if (index >= 0)
        Q_EMIT cellDoubleClicked(index, event->modifiers());
}

void TFilmGrid::keyPressEvent(QKeyEvent *event)
{
    const int count = FList ? FList->Count() : 0;
    int index = FCurrent;
    switch (event->key()) {
    case Qt::Key_Left:
        index = std::max(0, FCurrent - 1);
        break;
    case Qt::Key_Right:
        index = std::min(count - 1, FCurrent + 1);
        break;
    case Qt::Key_Up:
        index = FCurrent - ColCount() >= 0 ? FCurrent - ColCount() : FCurrent;
        break;
    case Qt::Key_Down:
        index = FCurrent + ColCount() < count ? FCurrent + ColCount() : FCurrent;
        break;
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
        QAbstractScrollArea::keyPressEvent(event);
        return;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (FCurrent >= 0)
            Q_EMIT cellActivated(FCurrent);
        return;
    case Qt::Key_Space:
        if (FCurrent >= 0 && FCurrent < count)
            Q_EMIT orderKey(FCurrent, event->modifiers());
        return;
    default:
        QAbstractScrollArea::keyPressEvent(event);
        return;
    }
    if (index < 0 && count > 0)
        index = 0;
    if (event->modifiers() & Qt::ShiftModifier) {
        FCurrent = index;
        ScrollToIndex(index);
        viewport()->update();
        Q_EMIT currentChanged(index);
    } else {
        SetCurrentIndex(index);
    }
}

bool TFilmGrid::viewportEvent(QEvent *event)
{
    if (event->type() == QEvent::Leave)
        FHintIndex = -1;
    return QAbstractScrollArea::viewportEvent(event);
}

} // namespace korvatel
