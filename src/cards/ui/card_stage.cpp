#include "cards/ui/card_stage.h"

#include "cards/card_pictures.h"
#include "cards/layers.h"
#include "imaging/bitmap.h"
#include "imaging/picture.h"
#include "platform/prompter.h"
#include "platform/ui/widget_helpers.h"

#include <QApplication>
#include <QDragEnterEvent>
#include <QFileInfo>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QUrl>

namespace korvatel
{

Qt::CursorShape CursorShapeOf(TStageCursor cursor)
{
    switch (cursor) {
    case scSizeNWSE:
        return Qt::SizeFDiagCursor;
    case scSizeNESW:
        return Qt::SizeBDiagCursor;
    case scSizeWE:
        return Qt::SizeHorCursor;
    case scSizeNS:
        return Qt::SizeVerCursor;
    case scMove:
        return Qt::SizeAllCursor;
    case scNo:
        return Qt::ForbiddenCursor;
    case scRectangle:
    case scProtect:
    case scTrim:
        return Qt::CrossCursor;
    case scPicker:
        return Qt::PointingHandCursor;
    case scDefault:
        break;
    }
    return Qt::ArrowCursor;
}

QStringList DroppedFiles(const QMimeData *data)
{
    QStringList files;
    if (!data || !data->hasUrls())
        return files;
    for (const QUrl &url : data->urls()) {
        const QString file = url.toLocalFile();
        if (!file.isEmpty() && QFileInfo(file).isFile())
            files << file;
    }
    return files;
}

TCardStage::TCardStage(TLayers &layers, std::function<TPrompter &()> prompter, QWidget *parent)
    : QWidget(parent)
    , FLayers(layers)
    , FPrompter(std::move(prompter))
{
    setObjectName(QStringLiteral("pnCardStage"));
    setMouseTracking(true);
    setAcceptDrops(true);
    setFocusPolicy(Qt::ClickFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

QString TCardStage::TrimQuestion()
{
    return QStringLiteral("指定した範囲でトリミングします。\r\n\r\n"
                          "(はい)新しいオブジェクトにする\r\n(いいえ)元の画像を置き換える");
}

void TCardStage::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.fillRect(rect(), WinColor(int(FLayers.StageColor)));
    const bool dragging = FLayers.Dragging() || FZooming;
    for (int i = FLayers.Count() - 1; i >= 0; --i) {
        const TLayer *layer = FLayers.Layer(i);
        const QRect control = layer->Image().Control.normalized();
        if (!layer->Visible || control.isEmpty())
            continue;
        painter.drawImage(control.topLeft(), layer->Image().Rendered(control.size()));
    }
    if (FPlain)
        return;
    // The selection frames are hidden while a layer is dragged.
    if (!dragging) {
        const QColor frame = WinColor(int(FLayers.FrameColor));
        for (int i = FLayers.Count() - 1; i >= 0; --i) {
            const TLayer *layer = FLayers.Layer(i);
            const TLayerImage &image = layer->Image();
            if (!layer->Visible || !image.ShowFrame)
                continue;
            const QRect r = image.Control.normalized().adjusted(0, 0, -1, -1);
            painter.setPen(QPen(frame, 1, layer->Selected ? Qt::SolidLine : Qt::DotLine));
            painter.setBrush(Qt::NoBrush);
            painter.drawRect(r);
            if (layer->Selected) {
                // Grips at the corners of a selected layer.
                painter.setBrush(frame);
                for (const QPoint &c :
                    { r.topLeft(), r.topRight(), r.bottomLeft(), r.bottomRight() })
                    painter.drawRect(QRect(c - QPoint(2, 2), QSize(5, 5)));
                painter.setBrush(Qt::NoBrush);
            }
            if (image.Transparent()) {
                // The marker of a layer with transparency operations: a small chequer.
                const QRect marker(r.right() - 13, r.top() + 3, 10, 10);
                painter.fillRect(marker, Qt::white);
                painter.fillRect(marker.adjusted(0, 0, -5, -5), Qt::gray);
                painter.fillRect(marker.adjusted(5, 5, 0, 0), Qt::gray);
                painter.setPen(frame);
                painter.drawRect(marker);
            }
        }
    }
    if (FBandShown) {
        QPen pen(Qt::black, 1, Qt::DotLine);
        painter.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
        pen.setColor(Qt::white);
        painter.setPen(pen);
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(FBand.normalized());
        painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    }
    if (dragging && FGuide.x() >= 0) {
        // Two one-pixel guide lines through the mouse help to line layers up.
        painter.setPen(QPen(QColor(0, 120, 255), 1, Qt::DashLine));
        painter.drawLine(FGuide.x(), 0, FGuide.x(), height());
        painter.drawLine(0, FGuide.y(), width(), FGuide.y());
    }
}

void TCardStage::SetPlain(bool plain)
{
    FPlain = plain;
    update();
}

void TCardStage::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    FLayers.SetStage(size());
}

void TCardStage::UpdateCursor(QPoint p)
{
    const int index = FLayers.LayerAt(p);
    if (index < 0) {
        setCursor(FLayers.EditMode() == emNormal
                ? Qt::ArrowCursor
                : CursorShapeOf(EditModeCursor(FLayers.EditMode())));
        return;
    }
    const QPoint local = p - FLayers.Layer(index)->Image().Control.topLeft();
    setCursor(CursorShapeOf(FLayers.CursorAt(index, local)));
    if (FLayers.Events.mouseMoved)
        FLayers.Events.mouseMoved(index, p);
}

void TCardStage::mousePressEvent(QMouseEvent *event)
{
    const QPoint p = event->position().toPoint();
    const int mode = FLayers.EditMode();
    const bool ctrl = event->modifiers() & Qt::ControlModifier;
    if (event->button() == Qt::RightButton) {
        const int index = FLayers.LayerAt(p);
        if (index >= 0 && mode == emNormal && (ctrl || FLayers.Options.rightDragZooms))
            FZooming = FLayers.BeginZoom(index, p);
        return;
    }
    if (event->button() != Qt::LeftButton)
        return;
    FGuide = p;
    // The mask tools and the trimming work on the layer that shows at the point.
    const int under = FLayers.LayerAt(p);
    switch (mode) {
    case emNormal: {
        const TLayerClick click = FLayers.Click(p, event->modifiers() & Qt::ShiftModifier);
        Q_EMIT selectionChanged();
        if (click.startBand) {
            FBandShown = true;
            FBand = QRect(p, p);
            FBandFrom = click.bandFrom;
            FBandLayer = -1;
        } else if (click.index >= 0 && !(event->modifiers() & Qt::ShiftModifier)) {
            FLayers.BeginDrag(click.index, p);
        }
        break;
    }
    case emPickArea:
    case emPickWhole:
    case emApplyRect:
        if (under >= 0
            && FLayers.MaskClick(under, p - FLayers.Layer(under)->Image().Control.topLeft()))
            Q_EMIT cardChanged();
        break;
    case emDrawRect:
    case emProtect:
    case emTrim:
        if (under >= 0) {
            FBandShown = true;
            FBand = QRect(p, p);
            FBandLayer = under;
        }
        break;
    default:
        break;
    }
    update();
}

void TCardStage::mouseMoveEvent(QMouseEvent *event)
{
    const QPoint p = event->position().toPoint();
    if (FZooming) {
        FLayers.ZoomTo(p);
        FGuide = p;
        update();
        return;
    }
    if (FLayers.Dragging()) {
        FLayers.DragTo(p, event->modifiers() & Qt::ControlModifier);
        FGuide = p;
        update();
        return;
    }
    if (FBandShown) {
        FBand.setBottomRight(p);
        if (FBandLayer >= 0) // a mask or trimming rectangle stays on its layer
            FBand = FBand.intersected(FLayers.Layer(FBandLayer)->Image().Control)
                        .united(QRect(FBand.topLeft(), QSize(1, 1)));
        update();
        return;
    }
    UpdateCursor(p);
}

void TCardStage::EndDrag()
{
    const QString question = FLayers.DropQuestion();
    bool useMirrored = false;
    if (!question.isEmpty()) {
        const bool group = FLayers.SelectedCount() > 1;
        useMirrored = FPrompter().YesNo(question);
        if (group) {
            // The group's work runs with the hourglass and the window disabled.
            QApplication::setOverrideCursor(Qt::WaitCursor);
            if (window())
                window()->setEnabled(false);
            FLayers.Drop(useMirrored);
            if (window())
                window()->setEnabled(true);
            QApplication::restoreOverrideCursor();
            return;
        }
    }
    FLayers.Drop(useMirrored);
}

void TCardStage::EndBand(Qt::KeyboardModifiers)
{
    FBandShown = false;
    const QRect band = FBand.normalized();
    if (FBandLayer < 0) {
        FLayers.BandSelect(FBandFrom, band);
        Q_EMIT selectionChanged();
        return;
    }
    const TLayer *layer = FLayers.Layer(FBandLayer);
    if (!layer || band.width() < 2 || band.height() < 2)
        return;
    const QRect local = band.translated(-layer->Image().Control.topLeft());
    if (FLayers.EditMode() == emTrim) {
        const TModalResult answer
            = FPrompter().Ask(TMsgKind::mkConfirmation, TrimQuestion(), mbYes | mbNo | mbCancel);
        if (answer == TModalResult::mrYes || answer == TModalResult::mrNo) {
            FLayers.Trim(FBandLayer, local, answer == TModalResult::mrYes);
            if (!FLayers.Options.keepEditMode)
                FLayers.SetEditMode(emNormal);
            Q_EMIT cardChanged();
        }
        return;
    }
    if (FLayers.MaskRect(FBandLayer, local))
        Q_EMIT cardChanged();
}

void TCardStage::mouseReleaseEvent(QMouseEvent *event)
{
    const QPoint p = event->position().toPoint();
    if (event->button() == Qt::RightButton) {
        const bool moved = FZooming && FLayers.EndZoom();
        FZooming = false;
        if (moved) {
            FLayers.RecordRelative();
            Q_EMIT cardChanged();
        } else if (FPopup && FLayers.LayerAt(p) >= 0) {
            FPopup->popup(mapToGlobal(p));
        }
        update();
        return;
    }
    if (event->button() != Qt::LeftButton)
        return;
    if (FLayers.Dragging()) {
        EndDrag();
        Q_EMIT cardChanged();
    } else if (FBandShown) {
        FBand.setBottomRight(p);
        EndBand(event->modifiers());
    }
    FGuide = { -1, -1 };
    update();
    UpdateCursor(p);
}

void TCardStage::mouseDoubleClickEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton || FLayers.EditMode() != emNormal)
        return;
    FLayers.DoubleClick(event->position().toPoint());
    Q_EMIT selectionChanged();
    update();
}

void TCardStage::dragEnterEvent(QDragEnterEvent *event)
{
    if (!DroppedFiles(event->mimeData()).isEmpty())
        event->acceptProposedAction();
}

void TCardStage::dragMoveEvent(QDragMoveEvent *event)
{
    if (!DroppedFiles(event->mimeData()).isEmpty())
        event->acceptProposedAction();
}

void TCardStage::dropEvent(QDropEvent *event)
{
    const QStringList files = DroppedFiles(event->mimeData());
    if (files.isEmpty())
        return;
    event->acceptProposedAction();
    DropFiles(files, event->position().toPoint());
}

void TCardStage::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Delete || event->key() == Qt::Key_Backspace) {
        Q_EMIT deleteRequested();
        return;
    }
    QWidget::keyPressEvent(event);
}

void TCardStage::DropFiles(const QStringList &files, QPoint p)
{
    // The first picture fills the layer it was dropped on (a frame of a plate); further ones,
    // or one dropped beside every layer, become layers of their own.
    int target = FLayers.LayerAt(p);
    for (const QString &file : files) {
        // A photo that takes the place of one of the customer's leaves their number as it is.
        const bool adds = target < 0 || !IsCustomerPicture(*FLayers.Layer(target));
        if (adds && MayAddPicture && !MayAddPicture())
            break;
        if (target < 0) {
            const TLayerLoad load = FLayers.LoadFile(file);
            if (!load.message.isEmpty())
                Q_EMIT dropFailed(load.message);
            continue;
        }
        TBitmap picture;
        try {
            if (!LoadBitmapFile(picture, file, true) || picture.Empty()) {
                Q_EMIT dropFailed(QStringLiteral("画像を読み込めません。\r\n") + file);
                continue;
            }
        } catch (const std::exception &) {
            Q_EMIT dropFailed(QStringLiteral("画像を読み込めません。\r\n") + file);
            continue;
        }
        FLayers.ReplacePicture(target, std::move(picture), file);
        target = -1;
    }
    Q_EMIT cardChanged();
    update();
}

} // namespace korvatel
