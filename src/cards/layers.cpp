#include "cards/layers.h"

#include "imaging/effects.h"
#include "imaging/picture.h"
#include "text/sjis_file.h"

#include <QFileInfo>
#include <algorithm>
#include <cmath>

namespace korvatel
{

namespace
{

// Plates hold a few full-size pictures; anything larger is not a plate.
constexpr qint64 kMaxPlateFileSize = 512LL * 1024 * 1024;

RotationType RotationOf(int degrees)
{
    switch (degrees) {
    case 90:
        return rt90;
    case 180:
        return rt180;
    case 270:
        return rt270;
    default:
        return rtNone;
    }
}

TBitmap CopyRect(const TBitmap &source, const QRect &r)
{
    TBitmap out(r.width(), r.height());
    for (int y = 0; y < r.height(); ++y)
        std::copy_n(source.ScanLine(r.top() + y) + 3 * r.left(), 3 * r.width(), out.ScanLine(y));
    return out;
}

QRectF FractionRect(const QRect &r, QSize control)
{
    if (control.isEmpty())
        return {};
    const QRect n = r.normalized();
    return QRectF(double(n.left()) / control.width(), double(n.top()) / control.height(),
        double(n.width()) / control.width(), double(n.height()) / control.height());
}

} // namespace

double TLayerImage::RatioX() const
{
    return Control.width() > 0 ? double(FPicture.Width()) / Control.width() : 0;
}

double TLayerImage::RatioY() const
{
    return Control.height() > 0 ? double(FPicture.Height()) / Control.height() : 0;
}

double TLayerImage::Aspect() const
{
    const int w = FDisplay.Width(), h = FDisplay.Height();
    return w > 0 && h > 0 ? double(h) / w : 1.0;
}

bool TLayerImage::Transparent() const
{
    return FShowMask && CountMaskOps(FOps, kVanishingMaskKinds) > 0;
}

void TLayerImage::SetPicture(TBitmap picture, int displayLimit)
{
    FPicture = std::move(picture);
    FRotation = 0;
    FMirrorLeftRight = FMirrorUpDown = false;
    RebuildDisplay(displayLimit);
}

void TLayerImage::RebuildDisplay(int displayLimit)
{
    FDisplay = MakeDisplayCopy(FPicture, displayLimit, TransparentColor != kNoColor);
    RotateImage(FDisplay, RotationOf(FRotation));
    FlipImage(FDisplay, FMirrorLeftRight, FMirrorUpDown);
    Invalidate();
}

void TLayerImage::Invalidate()
{
    FShown.reset();
    FKeyed = QImage();
    FRendered = QImage();
}

TLayers::TLayers(QSize stage)
    : FStage(stage)
{
}

TLayers::~TLayers() = default;

void TLayers::Notify(const std::function<void()> &f) const
{
    if (f)
        f();
}

void TLayers::Changed(int index)
{
    if (Events.layerChanged)
        Events.layerChanged(index);
}

void TLayers::Renumber()
{
    for (size_t i = 0; i < FLayers.size(); ++i)
        FLayers[i]->FIndex = int(i);
}

void TLayers::Place(TLayer &layer)
{
    const TRelRect &r = layer.FImage.Rel;
    const int l = int(std::lround(r.left * FStage.width()));
    const int t = int(std::lround(r.top * FStage.height()));
    const int rr = int(std::lround(r.right * FStage.width()));
    const int b = int(std::lround(r.bottom * FStage.height()));
    layer.FImage.Control = QRect(l, t, rr - l, b - t);
    if (layer.Fit != fmFree)
        layer.FImage.Control = FitRect(FStage, layer.FImage.Control, layer.Fit);
}

void TLayers::Record(TLayer &layer)
{
    if (FStage.isEmpty())
        return;
    const QRect &c = layer.FImage.Control;
    const double w = FStage.width(), h = FStage.height();
    layer.FImage.Rel
        = { c.left() / w, c.top() / h, (c.left() + c.width()) / w, (c.top() + c.height()) / h };
}

void TLayers::SetStage(QSize stage)
{
    FStage = stage;
    PlaceFromRelative();
}

void TLayers::SetEditMode(int mode)
{
    mode = std::clamp(mode, int(emNormal), int(emTrim));
    if (mode == emNormal)
        for (auto &layer : FLayers)
            layer->FImage.PendingRect.reset();
    FEditMode = mode;
    Notify(Events.editModeChanged);
}

void TLayers::SetDisplayLimit(int limit)
{
    FDisplayLimit = limit;
    for (auto &layer : FLayers)
        layer->FImage.RebuildDisplay(limit);
}

TLayer *TLayers::Layer(int index)
{
    return index >= 0 && index < Count() ? FLayers[size_t(index)].get() : nullptr;
}

const TLayer *TLayers::Layer(int index) const
{
    return index >= 0 && index < Count() ? FLayers[size_t(index)].get() : nullptr;
}

int TLayers::Add(TBitmap picture, const QString &fileName)
{
    return Insert(Count(), std::move(picture), fileName);
}

int TLayers::Insert(int index, TBitmap picture, const QString &fileName)
{
    index = std::clamp(index, 0, Count());
    auto layer = std::make_unique<TLayer>(this, index);
    layer->FileName = fileName;
    layer->FImage.SetPicture(std::move(picture), FDisplayLimit);
    const TBitmap &shown = layer->FImage.Display();
    layer->FImage.Control = NewLayerRect(FStage, QSize(shown.Width(), shown.Height()));
    if (FStage.isEmpty())
        layer->FImage.Rel = { 0, 0, 0.25, 0.25 }; // the quarter, until the stage has a size
    else
        Record(*layer);
    FLayers.insert(FLayers.begin() + index, std::move(layer));
    Renumber();
    Notify(Events.layersChanged);
    return index;
}

TLayerLoad TLayers::AddFromFile(const QString &fileName, int index)
{
    TLayerLoad result;
    TBitmap bitmap;
    try {
        if (!LoadBitmapFile(bitmap, fileName, true) || bitmap.Empty())
            return result;
    } catch (const EAbort &) {
        return result; // the loader's silent abort
    } catch (const EPictureError &e) {
        result.message = e.Message();
        return result;
    }
    Insert(index, std::move(bitmap), fileName);
    result.added = 1;
    return result;
}

void TLayers::Delete(int index)
{
    if (!Layer(index))
        return;
    FLayers.erase(FLayers.begin() + index);
    Renumber();
    Notify(Events.layersChanged);
}

void TLayers::DeleteSelected()
{
    const auto before = FLayers.size();
    std::erase_if(FLayers, [](const auto &l) { return l->Selected; });
    if (FLayers.size() != before) {
        Renumber();
        Notify(Events.layersChanged);
    }
}

void TLayers::DeleteUnselected()
{
    const auto before = FLayers.size();
    std::erase_if(FLayers, [](const auto &l) { return !l->Selected; });
    if (FLayers.size() != before) {
        Renumber();
        Notify(Events.layersChanged);
    }
}

void TLayers::Clear()
{
    FLayers.clear();
    FDragIndex = FZoomIndex = -1;
    FDragEdges.clear();
    Notify(Events.layersChanged);
}

void TLayers::Move(int from, int to)
{
    if (!Layer(from) || Count() < 2)
        return;
    to = std::clamp(to, 0, Count() - 1);
    if (from == to)
        return;
    auto layer = std::move(FLayers[size_t(from)]);
    FLayers.erase(FLayers.begin() + from);
    FLayers.insert(FLayers.begin() + to, std::move(layer));
    Renumber();
    Notify(Events.orderChanged);
}

void TLayers::Select(int index, bool selected)
{
    TLayer *layer = Layer(index);
    if (!layer || layer->Selected == selected)
        return;
    layer->Selected = selected;
    Notify(Events.selectionChanged);
}

void TLayers::SelectAll()
{
    for (auto &layer : FLayers)
        layer->Selected = true;
    Notify(Events.selectionChanged);
}

void TLayers::SelectNone()
{
    for (auto &layer : FLayers)
        layer->Selected = false;
    Notify(Events.selectionChanged);
}

int TLayers::SelectedCount() const
{
    return int(
        std::count_if(FLayers.begin(), FLayers.end(), [](const auto &l) { return l->Selected; }));
}

QStringList TLayers::MaskedLayerNames() const
{
    QStringList names;
    for (const auto &layer : FLayers)
        if (!layer->FImage.Ops().empty())
            names << layer->FileName;
    return names;
}

bool TLayers::IsLayerFile(const QString &fileName) const
{
    return std::any_of(FLayers.begin(), FLayers.end(),
        [&](const auto &l) { return l->FileName.compare(fileName, Qt::CaseInsensitive) == 0; });
}

void TLayers::RecordRelative()
{
    for (auto &layer : FLayers)
        Record(*layer);
}

void TLayers::PlaceFromRelative()
{
    for (auto &layer : FLayers)
        Place(*layer);
}

void TLayers::SetControl(int index, const QRect &control)
{
    if (TLayer *layer = Layer(index)) {
        layer->FImage.Control = control;
        Record(*layer);
    }
}

void TLayers::Rotate(int index, int degrees)
{
    TLayer *layer = Layer(index);
    if (!layer || (degrees != 90 && degrees != 180 && degrees != 270))
        return;
    TLayerImage &image = layer->FImage;
    // The display copy is the picture turned, then mirrored. A quarter turn of a copy mirrored
    // along one axis equals the picture turned further and mirrored along the other axis.
    if (degrees != 180 && image.FMirrorLeftRight != image.FMirrorUpDown)
        std::swap(image.FMirrorLeftRight, image.FMirrorUpDown);
    image.FRotation = (image.FRotation + degrees) % 360;
    RotateImage(image.FDisplay, RotationOf(degrees));
    TurnMaskOps(image.FOps, degrees);
    if (degrees != 180) {
        const QPoint c2(image.Control.left() * 2 + image.Control.width(),
            image.Control.top() * 2 + image.Control.height());
        const int w = image.Control.height(), h = image.Control.width();
        image.Control = QRect((c2.x() - w) / 2, (c2.y() - h) / 2, w, h);
        if (layer->Fit != fmFree)
            image.Control = FitRect(FStage, image.Control, layer->Fit);
        Record(*layer);
    }
    image.Invalidate();
    Changed(index);
}

void TLayers::Mirror(int index, bool leftRight)
{
    TLayer *layer = Layer(index);
    if (!layer)
        return;
    TLayerImage &image = layer->FImage;
    (leftRight ? image.FMirrorLeftRight : image.FMirrorUpDown) ^= true;
    FlipImage(image.FDisplay, leftRight, !leftRight);
    MirrorMaskOps(image.FOps, leftRight);
    image.Invalidate();
    Changed(index);
}

void TLayers::SetFit(int index, int mode)
{
    TLayer *layer = Layer(index);
    if (!layer || mode < fmFree || mode > fmFillStage)
        return;
    layer->Fit = mode;
    if (mode != fmFree) {
        layer->FImage.Control = FitRect(FStage, layer->FImage.Control, mode);
        Record(*layer);
    }
}

void TLayers::SetOrientation(int index, int rotation, bool mirrorLeftRight, bool mirrorUpDown)
{
    TLayer *layer = Layer(index);
    if (!layer || (rotation != 0 && rotation != 90 && rotation != 180 && rotation != 270))
        return;
    layer->FImage.FRotation = rotation;
    layer->FImage.FMirrorLeftRight = mirrorLeftRight;
    layer->FImage.FMirrorUpDown = mirrorUpDown;
    layer->FImage.RebuildDisplay(FDisplayLimit);
    Changed(index);
}

void TLayers::CentreOn(int index, QPoint stagePoint)
{
    if (TLayer *layer = Layer(index)) {
        layer->FImage.Control.moveCenter(stagePoint);
        Record(*layer);
    }
}

void TLayers::SetVisible(int index, bool visible)
{
    if (TLayer *layer = Layer(index))
        layer->Visible = visible;
}

void TLayers::ToggleSizeLock(int index)
{
    if (TLayer *layer = Layer(index))
        layer->FImage.SizeLock = !layer->FImage.SizeLock;
}

void TLayers::Align(int code, int index)
{
    std::vector<TLayer *> targets;
    for (auto &layer : FLayers)
        if (index >= 0 ? layer->FIndex == index : layer->Selected)
            targets.push_back(layer.get());
    std::vector<QRect> rects;
    for (TLayer *layer : targets)
        rects.push_back(layer->FImage.Control);
    rects = AlignRects(QRect(QPoint(0, 0), FStage), rects, code);
    for (size_t i = 0; i < targets.size(); ++i) {
        targets[i]->FImage.Control = rects[i];
        Record(*targets[i]);
    }
}

void TLayers::MatchSize(bool heights, bool largest)
{
    std::vector<TLayer *> targets;
    std::vector<QRect> rects;
    for (auto &layer : FLayers)
        if (layer->Selected) {
            targets.push_back(layer.get());
            rects.push_back(layer->FImage.Control);
        }
    rects = MatchSizes(rects, heights, largest);
    for (size_t i = 0; i < targets.size(); ++i) {
        targets[i]->FImage.Control = rects[i];
        Record(*targets[i]);
    }
}

void TLayers::AddOp(int index, const TMaskOp &op)
{
    TLayer *layer = Layer(index);
    if (!layer)
        return;
    TLayerImage &image = layer->FImage;
    if (image.TransparentColor == kNoColor && op.kind != mkProtect)
        image.TransparentColor = ChooseKeyColor(image.FDisplay);
    image.FOps.push_back(op);
    image.Invalidate();
    Changed(index);
}

void TLayers::AddColorArea(int index, TColorValue colour, QPointF point)
{
    AddOp(index, { mkColorArea, 32, point.x(), point.y(), 0, 0, colour });
}

void TLayers::AddRectColor(int index, const QRectF &rect, TColorValue colour)
{
    AddOp(index, { mkRectColor, 32, rect.left(), rect.top(), rect.right(), rect.bottom(), colour });
}

void TLayers::AddWholeColor(int index, TColorValue colour)
{
    AddOp(index, { mkWholeColor, 32, 0, 0, 1, 1, colour });
}

void TLayers::AddProtect(int index, const QRectF &rect)
{
    AddOp(index, { mkProtect, 32, rect.left(), rect.top(), rect.right(), rect.bottom(), kNoColor });
}

bool TLayers::DeleteNthOp(int index, TMaskKind kind, int n)
{
    TLayer *layer = Layer(index);
    if (!layer || !DeleteNthMaskOp(layer->FImage.FOps, kind, n))
        return false;
    layer->FImage.Invalidate();
    Changed(index);
    return true;
}

void TLayers::DeleteOps(int index, unsigned kinds)
{
    if (TLayer *layer = Layer(index)) {
        DeleteMaskOps(layer->FImage.FOps, kinds);
        layer->FImage.Invalidate();
        Changed(index);
    }
}

void TLayers::SetOps(int index, TMaskOps ops)
{
    if (TLayer *layer = Layer(index)) {
        layer->FImage.FOps = std::move(ops);
        if (layer->FImage.TransparentColor == kNoColor
            && CountMaskOps(layer->FImage.FOps, kVanishingMaskKinds) > 0)
            layer->FImage.TransparentColor = ChooseKeyColor(layer->FImage.FDisplay);
        layer->FImage.Invalidate();
        Changed(index);
    }
}

void TLayers::SetShowMask(int index, bool show)
{
    if (TLayer *layer = Layer(index)) {
        layer->FImage.FShowMask = show;
        layer->FImage.Invalidate();
        Changed(index);
    }
}

TColorValue TLayers::ColourAt(int index, QPoint controlPoint) const
{
    const TLayer *layer = Layer(index);
    if (!layer || layer->FImage.FDisplay.Empty() || layer->FImage.Control.isEmpty())
        return kNoColor;
    const TBitmap &d = layer->FImage.FDisplay;
    const QRect &c = layer->FImage.Control;
    const int x
        = std::clamp(int(qint64(controlPoint.x()) * d.Width() / c.width()), 0, d.Width() - 1);
    const int y
        = std::clamp(int(qint64(controlPoint.y()) * d.Height() / c.height()), 0, d.Height() - 1);
    return ColorValueOf(d.Pixel(x, y));
}

void TLayers::AfterMaskOp()
{
    if (!Options.keepEditMode)
        SetEditMode(emNormal);
}

bool TLayers::MaskClick(int index, QPoint controlPoint)
{
    TLayer *layer = Layer(index);
    if (!layer)
        return false;
    const QSize control = layer->FImage.Control.size();
    switch (FEditMode) {
    case emPickArea:
        AddColorArea(index, ColourAt(index, controlPoint), ControlFraction(controlPoint, control));
        break;
    case emPickWhole:
        AddWholeColor(index, ColourAt(index, controlPoint));
        break;
    case emApplyRect: {
        const std::optional<QRect> pending = layer->FImage.PendingRect;
        if (!pending || !pending->contains(controlPoint))
            return false;
        layer->FImage.PendingRect.reset();
        AddRectColor(index, FractionRect(*pending, control), ColourAt(index, controlPoint));
        if (Options.keepEditMode) {
            SetEditMode(emDrawRect);
            return true;
        }
        break;
    }
    default:
        return false;
    }
    AfterMaskOp();
    return true;
}

bool TLayers::MaskRect(int index, const QRect &controlRect)
{
    TLayer *layer = Layer(index);
    if (!layer)
        return false;
    const QSize control = layer->FImage.Control.size();
    const QRect r = controlRect.normalized().intersected(QRect(QPoint(0, 0), control));
    if (r.isEmpty())
        return false;
    switch (FEditMode) {
    case emDrawRect:
        layer->FImage.PendingRect = r;
        SetEditMode(emApplyRect);
        return false;
    case emProtect:
        AddProtect(index, FractionRect(r, control));
        AfterMaskOp();
        return true;
    case emTrim:
        layer->FImage.PendingRect = r;
        return false;
    default:
        return false;
    }
}

int TLayers::Trim(int index, const QRect &controlRect, bool asNewLayer)
{
    TLayer *layer = Layer(index);
    if (!layer)
        return -1;
    TLayerImage &image = layer->FImage;
    const QRect r = controlRect.normalized().intersected(QRect(QPoint(0, 0), image.Control.size()));
    const QRect p = TrimRectToPicture(r, image.Control.size(),
        QSize(image.FPicture.Width(), image.FPicture.Height()), image.FRotation,
        image.FMirrorLeftRight, image.FMirrorUpDown);
    if (r.isEmpty() || p.isEmpty())
        return -1;
    TBitmap cut = CopyRect(image.FPicture, p);
    RotateImage(cut, RotationOf(image.FRotation));
    FlipImage(cut, image.FMirrorLeftRight, image.FMirrorUpDown);
    const QRect placed = r.translated(image.Control.topLeft());
    image.PendingRect.reset();
    int result = index;
    if (asNewLayer) {
        const QString fileName = layer->FileName;
        const TColorValue transparent = image.TransparentColor;
        result = Insert(index, std::move(cut), fileName);
        TLayer *added = Layer(result);
        added->FImage.TransparentColor = transparent;
        added->FImage.RebuildDisplay(FDisplayLimit);
        added->FImage.Control = placed;
        Record(*added);
        for (auto &l : FLayers)
            l->Selected = l.get() == added;
        Notify(Events.selectionChanged);
    } else {
        image.FOps.clear();
        image.SetPicture(std::move(cut), FDisplayLimit);
        image.Control = placed;
        layer->Fit = fmFree;
        Record(*layer);
        Changed(index);
    }
    if (!Options.keepEditMode)
        SetEditMode(emNormal);
    return result;
}

void TLayers::ReplacePicture(int index, TBitmap picture, const QString &fileName)
{
    TLayer *layer = Layer(index);
    if (!layer || picture.Empty())
        return;
    TLayerImage &image = layer->FImage;
    const QRect crop = CoverCrop(QSize(picture.Width(), picture.Height()), image.Control.size());
    image.FOps.clear();
    image.TransparentColor = kNoColor;
    image.SetPicture(crop == QRect(0, 0, picture.Width(), picture.Height())
            ? std::move(picture)
            : CopyRect(picture, crop),
        FDisplayLimit);
    layer->FileName = fileName;
    Changed(index);
}

void TLayers::SoftenEdges(int index, int level)
{
    TLayer *layer = Layer(index);
    if (!layer || layer->FImage.FPicture.Empty() || level < 1 || level > 3)
        return;
    TBitmap &picture = layer->FImage.FPicture;
    const int percent = 3 << (level - 1);
    const int width = std::max(1, std::min(picture.Width(), picture.Height()) * percent / 100);
    // Keyed pixels stay keyed, so what showed through still does: only a keyed layer needs the
    // picture as it was.
    const TColorValue keyed = layer->FImage.TransparentColor;
    const TBitmap before = keyed != kNoColor ? picture : TBitmap();
    korvatel::SoftenEdges(picture, width, BgrOf(StageColor));
    if (keyed != kNoColor) {
        const TBgr key = BgrOf(keyed);
        for (int y = 0; y < picture.Height(); ++y)
            for (int x = 0; x < picture.Width(); ++x)
                if (before.Pixel(x, y) == key)
                    picture.SetPixel(x, y, key);
    }
    layer->FImage.RebuildDisplay(FDisplayLimit);
    Changed(index);
}

void TLayers::RotateFree(int index, double degrees)
{
    TLayer *layer = Layer(index);
    if (!layer || layer->FImage.FPicture.Empty() || !std::isfinite(degrees))
        return;
    TLayerImage &image = layer->FImage;
    TBitmap upright = image.FPicture;
    RotateImage(upright, RotationOf(image.FRotation));
    FlipImage(upright, image.FMirrorLeftRight, image.FMirrorUpDown);
    if (image.TransparentColor == kNoColor)
        image.TransparentColor = ChooseKeyColor(upright);
    TBitmap turned = korvatel::RotateFree(upright, degrees, BgrOf(image.TransparentColor));
    const QRect before = image.Control;
    const double scaleX = double(before.width()) / upright.Width();
    const double scaleY = double(before.height()) / upright.Height();
    const QSize size(std::max(1, int(std::lround(turned.Width() * scaleX))),
        std::max(1, int(std::lround(turned.Height() * scaleY))));
    image.FOps.clear();
    image.SetPicture(std::move(turned), FDisplayLimit);
    image.Control = QRect(QPoint(0, 0), size);
    image.Control.moveCenter(before.center());
    layer->Fit = fmFree;
    Record(*layer);
    Changed(index);
}

TLayerLoad TLayers::LoadPlate(const TPlate &plate)
{
    // Every layer is decoded before any is added, so a plate refused for its size leaves the
    // stage as it was. JPEG layers come at the card's print size at most (the display limit:
    // the card is drawn from the display copies).
    std::vector<TBitmap> pictures;
    qint64 pixels = 0;
    for (const TPlateBlock &block : plate.layers) {
        TBitmap bitmap;
        try {
            bitmap = DecodePlateBlock(block, FDisplayLimit);
        } catch (const EPictureError &) {
            bitmap = {}; // the layer stays without a picture, as an unknown Ext leaves it
        }
        pixels += qint64(bitmap.Width()) * bitmap.Height();
        if (pixels > kMaxPlatePixels) {
            TLayerLoad refused;
            refused.plateError = plTooLarge;
            refused.message = PlateErrorText(plTooLarge);
            return refused;
        }
        pictures.push_back(std::move(bitmap));
    }
    TLayerLoad result;
    for (std::size_t i = 0; i < plate.layers.size(); ++i) {
        const TPlateBlock &block = plate.layers[i];
        auto layer = std::make_unique<TLayer>(this, Count());
        layer->FileName = block.fileName;
        layer->FImage.TransparentColor = block.mskc;
        layer->FImage.SetPicture(std::move(pictures[i]), FDisplayLimit);
        layer->FImage.Rel = block.rect;
        Place(*layer);
        FLayers.push_back(std::move(layer));
        ++result.added;
        Notify(Events.layersChanged);
    }
    return result;
}

TLayerLoad TLayers::LoadFile(const QString &fileName)
{
    if (QFileInfo(fileName).suffix().compare(QLatin1String("ksp"), Qt::CaseInsensitive) != 0)
        return AddFromFile(fileName, Count());
    TLayerLoad result;
    const std::optional<QByteArray> bytes = ReadWholeFile(fileName, kMaxPlateFileSize);
    if (!bytes) {
        result.message = CannotOpenPictureText(fileName);
        return result;
    }
    const TPlateRead read = ReadPlate(*bytes);
    if (read.error != plOk) {
        result.plateError = read.error;
        result.message = PlateErrorText(read.error);
        return result;
    }
    return LoadPlate(read.plate);
}

} // namespace korvatel
