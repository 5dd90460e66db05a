#include "cards/layers.h"

#include <algorithm>

namespace korvatel
{

TStageCursor TLayers::CursorAt(int index, QPoint controlPoint) const
{
    const TLayer *layer = Layer(index);
    if (!layer)
        return scDefault;
    if (FEditMode != emNormal)
        return EditModeCursor(FEditMode);
    const QRect &c = layer->Image().Control;
    return HandleCursor(LayerHandleAt(c.width(), c.height(), controlPoint), layer->Image().SizeLock,
        layer->Fit != fmFree);
}

int TLayers::LayerAt(QPoint stagePoint, int from) const
{
    for (int i = std::max(from, 0); i < Count(); ++i) {
        const TLayer &layer = *FLayers[size_t(i)];
        const TLayerImage &image = layer.Image();
        if (!layer.Visible || !image.Control.contains(stagePoint))
            continue;
        const TBitmap &shown = image.Shown();
        if (image.TransparentColor == kNoColor || shown.Empty())
            return i;
        const QPoint p = stagePoint - image.Control.topLeft();
        const int x = std::clamp(
            int(qint64(p.x()) * shown.Width() / image.Control.width()), 0, shown.Width() - 1);
        const int y = std::clamp(
            int(qint64(p.y()) * shown.Height() / image.Control.height()), 0, shown.Height() - 1);
        if (ColorValueOf(shown.Pixel(x, y)) != image.TransparentColor)
            return i;
    }
    return -1;
}

TLayerClick TLayers::Click(QPoint stagePoint, bool shift)
{
    TLayerClick click;
    click.index = LayerAt(stagePoint, 0);
    if (click.index < 0) {
        click.startBand = true;
        // The band works among the layers at or behind the one whose transparent pixel was hit.
        for (int i = 0; i < Count(); ++i)
            if (FLayers[size_t(i)]->Visible
                && FLayers[size_t(i)]->Image().Control.contains(stagePoint)) {
                click.bandFrom = i;
                break;
            }
        return click;
    }
    TLayer &layer = *FLayers[size_t(click.index)];
    if (shift) {
        layer.Selected = !layer.Selected;
    } else if (!layer.Selected) {
        for (auto &l : FLayers)
            l->Selected = l.get() == &layer;
    } else {
        return click;
    }
    Notify(Events.selectionChanged);
    return click;
}

void TLayers::BandSelect(int from, const QRect &band)
{
    const QRect b = band.normalized();
    for (int i = 0; i < Count(); ++i) {
        TLayer &layer = *FLayers[size_t(i)];
        layer.Selected = i >= from && layer.Visible && layer.Image().Control.intersects(b);
    }
    Notify(Events.selectionChanged);
}

void TLayers::DoubleClick(QPoint stagePoint)
{
    const int index = LayerAt(stagePoint, 0);
    if (index < 0) {
        if (Options.doubleClickTogglesAll) {
            if (SelectedCount() * 2 < Count())
                SelectAll();
            else
                SelectNone();
        }
        return;
    }
    if (Options.doubleClickToFront)
        BringToFront(index);
}

bool TLayers::BeginDrag(int index, QPoint stagePoint)
{
    TLayer *grabbed = Layer(index);
    if (!grabbed || grabbed->Fit != fmFree || grabbed->Image().SizeLock)
        return false;
    const QRect &c = grabbed->Image().Control;
    const int handle = LayerHandleAt(c.width(), c.height(), stagePoint - c.topLeft());
    FDragEdges.clear();
    for (auto &layer : FLayers) {
        if (layer.get() != grabbed
            && (!layer->Selected || layer->Fit != fmFree || layer->Image().SizeLock))
            continue;
        TLayerImage &image = layer->Image();
        image.Handle = handle;
        image.StartRect = image.Control;
        image.StartPoint = stagePoint;
        image.GrabFraction
            = ControlFraction(stagePoint - image.Control.topLeft(), image.Control.size());
        FDragEdges.emplace_back(layer->Index(), TEdges::Of(image.Control));
    }
    FDragIndex = index;
    return true;
}

void TLayers::DragTo(QPoint stagePoint, bool ctrl)
{
    if (FDragIndex < 0)
        return;
    for (auto &[index, edges] : FDragEdges) {
        TLayerImage &image = FLayers[size_t(index)]->Image();
        const QPoint d = stagePoint - image.StartPoint;
        edges = DragEdges(image.StartRect, image.Handle, d.x(), d.y(), ctrl, image.Aspect());
        image.Control = edges.Normalised();
    }
}

QString TLayers::DropQuestion() const
{
    if (FDragIndex < 0)
        return {};
    int pulled = 0;
    bool anyX = false, anyY = false;
    for (const auto &[index, edges] : FDragEdges) {
        if (edges.FlippedX() || edges.FlippedY())
            ++pulled;
        anyX = anyX || edges.FlippedX();
        anyY = anyY || edges.FlippedY();
    }
    if (pulled == 0)
        return {};
    if (FDragEdges.size() == 1) {
        QString text;
        if (anyX)
            text += QStringLiteral("左右と");
        if (anyY)
            text += QStringLiteral("上下が");
        return text + QStringLiteral("反転しています。反転画像を使用しますか？");
    }
    // Pulled over left-right only, the group question names that turn alone.
    QString text;
    if (anyX && anyY)
        text = QStringLiteral("左右反転、上下反転した画像が");
    else if (anyX)
        text = QStringLiteral("左右反転した画像が");
    else
        text = QStringLiteral("上下反転した画像が");
    return text + QString::number(pulled)
        + QStringLiteral("個あります。反転画像をこのまま使用しますか？");
}

void TLayers::Drop(bool useMirrored)
{
    if (FDragIndex < 0)
        return;
    const auto dragged = std::move(FDragEdges);
    FDragEdges.clear();
    FDragIndex = -1;
    for (const auto &[index, edges] : dragged) {
        FLayers[size_t(index)]->Image().Control = edges.Normalised();
        if (!useMirrored)
            continue;
        if (edges.FlippedX() && edges.FlippedY())
            Rotate(index, 180);
        else if (edges.FlippedX())
            Mirror(index, true);
        else if (edges.FlippedY())
            Mirror(index, false);
    }
    RecordRelative();
}

bool TLayers::BeginZoom(int index, QPoint stagePoint)
{
    TLayer *layer = Layer(index);
    if (!layer || layer->Fit != fmFree || layer->Image().SizeLock)
        return false;
    TLayerImage &image = layer->Image();
    image.StartRect = image.Control;
    image.StartPoint = stagePoint;
    image.GrabFraction
        = ControlFraction(stagePoint - image.Control.topLeft(), image.Control.size());
    FZoomIndex = index;
    FZoomMoved = false;
    return true;
}

void TLayers::ZoomTo(QPoint stagePoint)
{
    TLayer *layer = Layer(FZoomIndex);
    if (!layer)
        return;
    TLayerImage &image = layer->Image();
    if (stagePoint != image.StartPoint)
        FZoomMoved = true;
    image.Control = ZoomRect(image.StartRect, image.GrabFraction, stagePoint,
        stagePoint.x() - image.StartPoint.x(), image.Aspect());
}

bool TLayers::EndZoom()
{
    if (TLayer *layer = Layer(FZoomIndex))
        Record(*layer);
    FZoomIndex = -1;
    return std::exchange(FZoomMoved, false);
}

} // namespace korvatel
