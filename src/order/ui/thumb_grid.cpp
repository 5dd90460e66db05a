#include "order/ui/thumb_grid.h"

#include "platform/prompter.h"
#include "sources/thumb_store.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QTimer>

namespace korvatel
{

namespace
{

bool HandZone(int zone)
{
    return (zone >= gzSize && zone <= gzCopy) || (zone >= gzCdr && zone <= gzHoseiWindow)
        || zone == gzEnlarge || zone == -2;
}

} // namespace

TThumbGrid::TThumbGrid(QWidget *parent, bool threaded)
    : QWidget(parent)
    , FLoader(std::make_unique<TOrderPictureLoader>(threaded))
{
    setObjectName(QStringLiteral("ThumbGrid"));
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
    FLook.font = QFont(QStringLiteral("MS UI Gothic"));
    FLook.captionFont = QFont(QStringLiteral("Arial"));
    connect(FLoader.get(), &TOrderPictureLoader::ready, this, &TThumbGrid::Answer);

    FRepeat = new QTimer(this);
    FRepeat->setSingleShot(true);
    connect(FRepeat, &QTimer::timeout, this, &TThumbGrid::RepeatTick);

    // The date text editor: white, black fixed-pitch text, no auto-select. The input method
    // stays usable (a Japanese customer may type kana) but is asked for Latin text first;
    // full-width input is made half-width as it is stored.
    FDateEdit = new QLineEdit(this);
    FDateEdit->setObjectName(QStringLiteral("edDateText"));
    FDateEdit->setFont(QFont(QStringLiteral("ＭＳ ゴシック")));
    FDateEdit->setInputMethodHints(Qt::ImhPreferLatin | Qt::ImhNoPredictiveText);
    FDateEdit->setFrame(false);
    QPalette palette = FDateEdit->palette();
    palette.setColor(QPalette::Base, Qt::white);
    palette.setColor(QPalette::Text, Qt::black);
    FDateEdit->setPalette(palette);
    FDateEdit->hide();
    FDateEdit->installEventFilter(this);
    connect(FDateEdit, &QLineEdit::returnPressed, this, &TThumbGrid::CommitDateEditor);
    // Every change of the text (typing, paste, undo, a drop, the input method) is stored; undo
    // does not count as an edit for QLineEdit, so the text's every change is watched.
    connect(FDateEdit, &QLineEdit::textChanged, this, &TThumbGrid::DateTextEdited);

    if (parent)
        parent->installEventFilter(this);
    hide();
}

TThumbGrid::~TThumbGrid()
{
    if (parentWidget())
        parentWidget()->removeEventFilter(this);
}

void TThumbGrid::SetList(TThumbNails *list)
{
    FList = list;
    FCurrent = -1;
    FTopRow = 0;
    FPictures.clear();
    ListChanged();
}

void TThumbGrid::SetCellType(int type)
{
    FLook.cellType = type;
    update();
}

void TThumbGrid::SetCopyAtRight(bool on)
{
    FLook.options.copyAtRight = on;
    update();
}

void TThumbGrid::SetSizeLeft(bool on)
{
    FLook.options.sizeLeft = on;
    update();
}

void TThumbGrid::SetPlusLeft(bool on)
{
    FLook.options.plusLeft = on;
    update();
}

void TThumbGrid::SetCopyKind(TCopyKind kind)
{
    FLook.copyKind = kind;
    update();
}

void TThumbGrid::SetPlainCells(bool on)
{
    FLook.plain = on;
    update();
}

void TThumbGrid::SetColumns(int columns)
{
    FColumns = std::max(columns, 1);
    Relayout();
}

void TThumbGrid::SetPlateType(int type)
{
    FLook.plateType = type;
    update();
}

void TThumbGrid::SetTables(const TPriceTables *tables)
{
    FLook.tables = tables;
    update();
}

void TThumbGrid::SetCorrectionOffered(bool on)
{
    FLook.options.correction = on;
    update();
}

void TThumbGrid::SetPhoneOffered(bool on)
{
    FLook.options.phone = on;
    update();
}

void TThumbGrid::SetDateEditable(bool on)
{
    FLook.options.dateEditable = on;
    update();
}

void TThumbGrid::SetFines(int low, int high)
{
    FLook.finesLow = low;
    FLook.finesHi = high;
    update();
}

void TThumbGrid::SetImprintLook(const TImprintLook &look)
{
    FLook.imprint = look;
    update();
}

TThumbNail *TThumbGrid::Item(int index) const
{
    return FList ? FList->Item(index) : nullptr;
}

void TThumbGrid::RetryBrokenPictures()
{
    for (auto it = FPictures.begin(); it != FPictures.end();)
        it = it->state == TOrderPictureState::opBroken ? FPictures.erase(it) : std::next(it);
    update();
}

void TThumbGrid::ListChanged()
{
    const int count = FList ? FList->Count() : 0;
    if (FList)
        FLook.projectSizes = FList->Context().projectSizes;
    FPainted.clear();
    QSet<QString> slots;
    for (int i = 0; i < count; ++i)
        slots.insert(OrderPictureSlot(*FList->Item(i)));
    // A new item (even when as many left at once) has not been seen yet.
    bool added = false;
    for (const QString &slot : slots)
        added = added || !FListSlots.contains(slot);
    if (added)
        FLastDrawn = false;
    // Pictures of items that left the list are forgotten, and so are their waiting requests.
    bool removed = false;
    for (const QString &slot : std::as_const(FListSlots))
        removed = removed || !slots.contains(slot);
    if (removed)
        FLoader->KeepPending(slots);
    for (auto it = FPictures.begin(); it != FPictures.end();)
        it = slots.contains(it.key()) ? std::next(it) : FPictures.erase(it);
    FListSlots = slots;
    // The date editor follows its item: gone with it, hidden when the item no longer has its
    // own date text, reloaded when the text was changed from outside (a copy).
    if (!FDateSlot.isEmpty()) {
        const TThumbNail *item = Item(DateEditorIndex());
        if (!item || !item->DatePrint || item->DateType != dkCustom) {
            FDateEdit->hide();
            FDateSlot.clear();
        } else if (item->DateStr[2] != FDateEdit->text()) {
            FDateEdit->setText(item->DateStr[2]);
            FDateEdit->end(false);
        }
    }
    if (FCurrent >= count)
        FCurrent = count - 1;
    if (FTopRow >= RowCount())
        FTopRow = PageTopRow(count - 1, Columns(), VisibleRows());
    if (FRepeatIndex >= count)
        StopRepeat();
    FPressedIndex = std::min(FPressedIndex, count - 1);
    setVisible(count > 0);
    Relayout();
    update();
}

void TThumbGrid::Relayout()
{
    QWidget *host = parentWidget();
    if (!host)
        return;
    const QRect area = host->contentsRect();
    const QScreen *shown = screen() ? screen() : QGuiApplication::primaryScreen();
    const int screenHeight = shown ? shown->geometry().height() : 768;
    FMetrics = GridMetrics(area.width(), area.height(), FColumns, false, screenHeight);
    FLook.unit = FMetrics.unit;
    int width = 0;
    for (const int w : FMetrics.colWidths)
        width += w;
    setGeometry(area.left(), area.top(), width, std::min(FMetrics.gridHeight, area.height()));
    FTopRow = FTopRow / std::max(VisibleRows(), 1) * std::max(VisibleRows(), 1);
    if (FDateEdit->isVisible() && !FDateSlot.isEmpty()) {
        const int index = DateEditorIndex();
        const QRect cell = CellRect(index);
        if (cell.isEmpty())
            CommitDateEditor();
        else
            FDateEdit->setGeometry(ZonesOf(index).dateEditor);
    }
    update();
    if (OnPagesChanged)
        OnPagesChanged();
}

int TThumbGrid::RowCount() const
{
    return GridRowCount(FList ? FList->Count() : 0, Columns(), VisibleRows());
}

void TThumbGrid::SetTopRow(int row)
{
    row = std::clamp(row, 0, std::max(RowCount() - VisibleRows(), 0));
    if (row == FTopRow)
        return;
    CommitDateEditor();
    FTopRow = row;
    // Pictures asked for the old page and not started are not made any more.
    FLoader->ClearPending();
    for (TCellPicture &picture : FPictures)
        if (picture.key != picture.shownKey)
            picture.key.clear();
    ForgetFarPictures();
    update();
    if (OnPagesChanged)
        OnPagesChanged();
}

void TThumbGrid::ForgetFarPictures()
{
    // Only the page shown and its neighbours keep their pictures, so a long basket does not
    // hold every picture it ever showed.
    const int perPage = std::max(VisibleRows(), 1) * Columns();
    const int first = std::max(FTopRow * Columns() - perPage, 0);
    const int last = std::min((FTopRow * Columns()) + 2 * perPage, FList ? FList->Count() : 0);
    QSet<QString> kept;
    for (int i = first; i < last; ++i)
        kept.insert(OrderPictureSlot(*FList->Item(i)));
    for (auto it = FPictures.begin(); it != FPictures.end();)
        it = kept.contains(it.key()) ? std::next(it) : FPictures.erase(it);
}

void TThumbGrid::PageUp()
{
    if (FTopRow - VisibleRows() >= 0)
        SetTopRow(FTopRow - VisibleRows());
}

void TThumbGrid::PageDown()
{
    if (FTopRow + VisibleRows() < RowCount())
        SetTopRow(FTopRow + VisibleRows());
}

void TThumbGrid::SetCurrentIndex(int index)
{
    const int count = FList ? FList->Count() : 0;
    if (count == 0)
        return;
    index = std::clamp(index, 0, count - 1);
    const int previous = FCurrent;
    FCurrent = index;
    SetTopRow(PageTopRow(index, Columns(), VisibleRows()));
    RepaintCell(previous);
    RepaintCell(index);
    if (previous != index && OnCurrentChanged)
        OnCurrentChanged(index);
}

QRect TThumbGrid::CellRect(int index) const
{
    const int count = FList ? FList->Count() : 0;
    if (index < 0 || index >= count || FMetrics.rowHeight <= 0)
        return {};
    const int row = index / Columns() - FTopRow;
    const int col = index % Columns();
    const int rowsShown = (height() + FMetrics.rowHeight - 1) / FMetrics.rowHeight;
    if (row < 0 || row >= std::max(rowsShown, VisibleRows()))
        return {};
    return QRect(FMetrics.ColumnLeft(col), row * FMetrics.rowHeight, FMetrics.colWidths.value(col),
        FMetrics.rowHeight);
}

int TThumbGrid::IndexAt(QPoint pos) const
{
    const int count = FList ? FList->Count() : 0;
    if (pos.y() < 0 || pos.y() >= height() || FMetrics.rowHeight <= 0)
        return -1;
    const int col = FMetrics.ColumnAt(pos.x());
    if (col < 0)
        return -1;
    const int index = (FTopRow + pos.y() / FMetrics.rowHeight) * Columns() + col;
    return index < count ? index : -1;
}

TCellZones TThumbGrid::ZonesOf(int index) const
{
    const TThumbNail *item = Item(index);
    if (!item)
        return {};
    return CellZones(CellRect(index), FLook.unit, FLook.options, *item);
}

int TThumbGrid::HitTest(int index, int x, int y, bool forHint) const
{
    const TThumbNail *item = Item(index);
    if (!item)
        return gzNone;
    return korvatel::HitTest(ZonesOf(index), *item, QPoint(x, y), forHint);
}

QList<TSizeFrame> TThumbGrid::Frames(int index) const
{
    const TThumbNail *item = Item(index);
    const auto it = item ? FPainted.constFind(item) : FPainted.constEnd();
    if (it == FPainted.constEnd())
        return {};
    // The frames move with the cell when the page changed since the paint.
    const QPoint shift = CellRect(index).topLeft() - it->zones.cell.topLeft();
    QList<TSizeFrame> frames = it->frames;
    for (TSizeFrame &frame : frames)
        frame.rect.translate(shift);
    return frames;
}

QString TThumbGrid::SizeFrameAt(int index, QPoint pos) const
{
    const TThumbNail *item = Item(index);
    if (!item)
        return {};
    return SizeAt(Frames(index), OfferedSizes(*item, FLook.tables, FLook.projectSizes), pos);
}

bool TThumbGrid::AcceptsDrop(QPoint pos) const
{
    if (FDragIndex < 0 || IndexAt(pos) != FDragIndex)
        return false;
    return AcceptsCountDrop(true, FDragSize, SizeFrameAt(FDragIndex, pos));
}

bool TThumbGrid::PictureShown(int index) const
{
    const TThumbNail *item = Item(index);
    if (!item)
        return false;
    // A broken item is drawn as broken whatever picture was made of it before.
    const auto it = FPictures.constFind(OrderPictureSlot(*item));
    return it != FPictures.constEnd() && !it->image.isNull() && item->Broken == 0;
}

void TThumbGrid::RepaintCell(int index)
{
    const QRect cell = CellRect(index);
    if (!cell.isEmpty())
        update(cell);
}

void TThumbGrid::AskPicture(const TThumbNail &item, TCellPicture &picture)
{
    picture.key = OrderPictureKey(item);
    FLoader->Request(item);
}

void TThumbGrid::Answer(const TOrderPictureResult &result)
{
    const auto it = FPictures.find(result.slot);
    if (it == FPictures.end())
        return;
    it->shownKey = result.key;
    it->image = result.image;
    it->scaled = QImage();
    it->state = result.image.isNull() ? TOrderPictureState::opBroken : TOrderPictureState::opReady;
    // What the making learnt goes to the item when it is still the one asked about.
    const int count = FList ? FList->Count() : 0;
    bool prepared = false;
    for (int i = 0; i < count; ++i) {
        TThumbNail &item = *FList->Item(i);
        if (OrderPictureSlot(item) != result.slot)
            continue;
        // The measured record is taken only when the customer has not changed the record since.
        prepared = result.prepared && OrderPictureKey(item) == result.askedKey;
        if (prepared)
            item.Hosei = result.hosei;
        item.Broken = result.broken;
        if (result.width >= 0 && result.height >= 0) {
            item.Width = result.width;
            item.Height = result.height;
        }
        RepaintCell(i);
        break;
    }
    if (prepared && FPrompter) {
        for (const QString &text : result.errors)
            FPrompter->Error(text);
    }
}

void TThumbGrid::paintEvent(QPaintEvent *event)
{
    QPainter painter(this);
    painter.fillRect(event->rect(), Qt::black);
    if (!FList || FMetrics.rowHeight <= 0)
        return;
    const int count = FList->Count();
    const int rowsShown = (height() + FMetrics.rowHeight - 1) / FMetrics.rowHeight;
    for (int row = 0; row < rowsShown; ++row) {
        for (int col = 0; col < Columns(); ++col) {
            const int index = (FTopRow + row) * Columns() + col;
            if (index >= count)
                break;
            const QRect cell = CellRect(index);
            if (!cell.intersects(event->rect()))
                continue;
            TThumbNail &item = *FList->Item(index);
            TCellPicture &picture = FPictures[OrderPictureSlot(item)];
            const QString key = OrderPictureKey(item);
            if (item.Broken == 0 && picture.key != key && picture.shownKey != key)
                AskPicture(item, picture);
            TOrderPictureState state = picture.state;
            if (item.Broken != 0)
                state = TOrderPictureState::opBroken;
            else if (!picture.image.isNull())
                state = TOrderPictureState::opReady;
            // Scaling the 500-pixel thumbnail is the dear part of a paint: it is done once per
            // picture and cell size, and later paints draw the scaled copy pixel for pixel.
            if (state == TOrderPictureState::opReady) {
                const QRect box = CellZones(cell, FLook.unit, FLook.options, item).picture;
                const QSize target = FitInBox(picture.image.size(), box, box.size()).size();
                if (picture.scaled.size() != target && !target.isEmpty())
                    picture.scaled = picture.image.scaled(
                        target, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
            }
            const int pressed = index == FPressedIndex ? FPressedZone : int(gzNone);
            FPainted.insert(&item,
                PaintOrderCell(painter, cell, item,
                    picture.scaled.isNull() ? picture.image : picture.scaled, state, FLook,
                    index == FCurrent, pressed));
            if (index == count - 1)
                FLastDrawn = true;
        }
    }
}

void TThumbGrid::Shutter()
{
    if (!FShutterOff && FOnline && PlaySound)
        PlaySound(QStringLiteral("SHT_SWAV"));
}

void TThumbGrid::StopRepeat()
{
    FRepeat->stop();
    FRepeatIndex = -1;
    FRepeatDelta = 0;
}

void TThumbGrid::RepeatTick()
{
    TThumbNail *item = Item(FRepeatIndex);
    if (!item || FRepeatDelta == 0) {
        StopRepeat();
        return;
    }
    item->AddToCurrent(FRepeatDelta);
    RepaintCell(FRepeatIndex);
    if (item->CurrentCount < 1) {
        StopRepeat();
        return;
    }
    FRepeatInterval = NextRepeatInterval(FRepeatInterval);
    FRepeat->start(FRepeatInterval);
}

void TThumbGrid::OpenDateEditor(int index)
{
    TThumbNail *item = Item(index);
    if (!item)
        return;
    const QString slot = OrderPictureSlot(*item);
    if (!FDateSlot.isEmpty() && FDateSlot != slot)
        CommitDateEditor();
    FDateSlot = slot;
    FDateEdit->setGeometry(ZonesOf(index).dateEditor);
    FDateEdit->setText(item->DateStr[2]);
    FDateEdit->end(false);
    FDateEdit->show();
    FDateEdit->raise();
    FDateEdit->setFocus();
}

int TThumbGrid::DateEditorIndex() const
{
    if (FDateSlot.isEmpty() || !FList)
        return -1;
    const int count = FList->Count();
    for (int i = 0; i < count; ++i)
        if (OrderPictureSlot(*FList->Item(i)) == FDateSlot)
            return i;
    return -1;
}

void TThumbGrid::Changed()
{
    if (OnChanged)
        OnChanged();
}

void TThumbGrid::DateTextEdited()
{
    TThumbNail *item = Item(DateEditorIndex());
    if (!item)
        return;
    const QString shown = FDateEdit->text();
    const QString stored = DateTextHalfWidth(shown);
    const bool changed = item->DateStr[2] != stored;
    item->DateStr[2] = stored;
    if (stored != shown) {
        FDateEdit->setText(stored);
        FDateEdit->end(false);
    }
    if (changed)
        Changed();
}

void TThumbGrid::CommitDateEditor()
{
    if (FDateSlot.isEmpty()) {
        FDateEdit->hide();
        return;
    }
    bool changed = false;
    if (TThumbNail *item = Item(DateEditorIndex())) {
        const QString text = DateTextHalfWidth(FDateEdit->text());
        changed = item->DateStr[2] != text;
        item->DateStr[2] = text;
    }
    FDateSlot.clear();
    FDateEdit->hide();
    update();
    if (changed)
        Changed();
}

void TThumbGrid::UpdateHint(QPoint pos)
{
    const int index = IndexAt(pos);
    int zone = index < 0 ? int(gzNone) : HitTest(index, pos.x(), pos.y(), true);
    if (zone == gzPicture && !SizeFrameAt(index, pos).isEmpty())
        zone = -2;
    setCursor(HandZone(zone) ? Qt::PointingHandCursor : Qt::ArrowCursor);
    if (zone == FHintZone && !FHint.isEmpty())
        return;
    FHintZone = zone;
    QString hint;
    if (zone == -2)
        hint = SizeFrameHint({ FDragNuming, FDblClickNuming });
    else if (zone >= 0)
        hint = ZoneHint(zone, *Item(index));
    if (hint == FHint)
        return;
    FHint = hint;
    if (OnHint)
        OnHint(FHint);
}

void TThumbGrid::mouseMoveEvent(QMouseEvent *event)
{
    if (!window()->isActiveWindow())
        return;
    if (FMouseFocus) {
        if (FDateEdit->isVisible())
            FDateEdit->setFocus();
        else
            setFocus();
    }
    const QPoint pos = event->position().toPoint();
    if (FDensityIndex >= 0 && (event->buttons() & Qt::LeftButton)) {
        if (TThumbNail *item = Item(FDensityIndex)) {
            item->Hosei.density
                = int16_t(DensityAt(ZonesOf(FDensityIndex).Zone(gzDensity), pos.x()));
            RepaintCell(FDensityIndex);
        }
        return;
    }
    if (FDragPending && (event->buttons() & Qt::LeftButton)
        && (pos - FDragStart).manhattanLength() >= 4) {
        FDragPending = false;
        FDragging = true;
    }
    if (FDragging) {
        setCursor(AcceptsDrop(pos) ? Qt::DragMoveCursor : Qt::ForbiddenCursor);
        return;
    }
    UpdateHint(pos);
}

void TThumbGrid::mouseReleaseEvent(QMouseEvent *event)
{
    if (!FOnline || !FList)
        return;
    const QPoint pos = event->position().toPoint();
    const int index = IndexAt(pos);
    if (event->button() == Qt::LeftButton) {
        const bool dragging = FDragging;
        const int dragIndex = FDragIndex;
        const QString dragSize = FDragSize;
        const bool accepted = dragging && AcceptsDrop(pos);
        FDragging = false;
        FDragPending = false;
        FDragIndex = -1;
        const int pressedZone = FPressedZone;
        const int pressedIndex = FPressedIndex;
        FPressedZone = gzNone;
        FPressedIndex = -1;
        StopRepeat();
        // Left released while the right button is held, over the picture outside the frames:
        // back to the picture in the browser.
        if ((event->buttons() & Qt::RightButton) && index >= 0
            && HitTest(index, pos.x(), pos.y(), false) == gzPicture
            && SizeFrameAt(index, pos).isEmpty()) {
            if (OnLocate)
                OnLocate(Item(index)->FullPath, -1);
            return;
        }
        if (dragging) {
            unsetCursor();
            if (accepted) {
                Shutter();
                DropCount(*Item(dragIndex), dragSize, SizeFrameAt(dragIndex, pos));
                FList->Recount();
            }
        }
        if (FDensityIndex >= 0) {
            FDensityIndex = -1;
            update();
        } else {
            RepaintCell(pressedIndex);
            if (pressedZone == gzPlus || pressedZone == gzMinus)
                FList->Recount();
        }
        if (OnAfterMouseUp)
            OnAfterMouseUp();
        return;
    }
    if (event->button() == Qt::RightButton && index >= 0
        && HitTest(index, pos.x(), pos.y(), false) == gzPicture) {
        SetCurrentIndex(index);
        if (FPopup)
            FPopup->popup(event->globalPosition().toPoint());
    }
}

void TThumbGrid::mouseDoubleClickEvent(QMouseEvent *event)
{
    if (!FOnline || !FList)
        return;
    const QPoint pos = event->position().toPoint();
    const int index = IndexAt(pos);
    const bool merge = FDblClickNuming || (event->modifiers() & Qt::ControlModifier);
    if (event->button() == Qt::LeftButton && merge && index >= 0 && index == FLastPressed) {
        const QString size = SizeFrameAt(index, pos);
        if (!size.isEmpty()) {
            Shutter();
            FDragPending = false;
            MergeCounts(*Item(index), size);
            FList->Recount();
            RepaintCell(index);
            return;
        }
    }
    // The second press of a double click is a press like the first.
    mousePressEvent(event);
}

void TThumbGrid::keyPressEvent(QKeyEvent *event)
{
    event->accept();
    if (FKeyBusy || !FList)
        return;
    FKeyBusy = true;
    const int count = FList->Count();
    int next = FCurrent;
    switch (event->key()) {
    case Qt::Key_PageUp:
        PageUp();
        break;
    case Qt::Key_PageDown:
        PageDown();
        break;
    case Qt::Key_Left:
        next = MoveCurrent(FCurrent, -1, 0, count, Columns());
        break;
    case Qt::Key_Right:
        next = MoveCurrent(FCurrent, 1, 0, count, Columns());
        break;
    case Qt::Key_Up:
        next = MoveCurrent(FCurrent, 0, -1, count, Columns());
        break;
    case Qt::Key_Down:
        next = MoveCurrent(FCurrent, 0, 1, count, Columns());
        break;
    default:
        break;
    }
    if (next != FCurrent && next >= 0)
        SetCurrentIndex(next);
    FKeyBusy = false;
}

void TThumbGrid::wheelEvent(QWheelEvent *event)
{
    if (event->angleDelta().y() > 0)
        PageUp();
    else if (event->angleDelta().y() < 0)
        PageDown();
    event->accept();
}

bool TThumbGrid::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == parentWidget() && event->type() == QEvent::Resize)
        Relayout();
    return QWidget::eventFilter(watched, event);
}

} // namespace korvatel
