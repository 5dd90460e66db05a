#pragma once

#include "cards/card_types.h"
#include "cards/layer_geometry.h"
#include "cards/mask_ops.h"
#include "cards/plate_file.h"
#include "imaging/bitmap.h"

#include <QImage>
#include <QPoint>
#include <QPointF>
#include <QRect>
#include <QRectF>
#include <QSize>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

namespace korvatel
{

class TLayers;

// The edit modes of the layer set.
enum TEditMode : int {
    emNormal = 0,
    emPickArea = 1, // a click adds a colour area
    emPickWhole = 2, // a click adds a whole-picture colour
    emDrawRect = 3, // a drag draws a rectangle, then mode 4 waits for the click inside it
    emApplyRect = 4, // a click inside the drawn rectangle adds a rectangle colour
    emProtect = 5, // a drag adds a protection rectangle
    emTrim = 6, // a drag draws a trimming rectangle
};

// The largest side of a display copy when nothing else was set.
inline constexpr int kDefaultDisplayLimit = 1600;

// The display copy of a picture: shrunk (area average) so that its longer side is the limit,
// but only when the limit is below both sides and limit² / 2 is below the pixel count;
// otherwise a copy as it is. A limit of 0 or less never shrinks.
// With exactColours the shrinking keeps every pixel's colour (nearest neighbour), so a
// transparent colour stays exact.
TBitmap MakeDisplayCopy(const TBitmap &picture, int limit, bool exactColours = false);

// The picture control of one layer: the full picture, its display copy in the layer's
// orientation, the place on the stage and the transparency operations.
class TLayerImage
{
public:
    // The full picture as loaded, never turned or shrunk.
    const TBitmap &Picture() const { return FPicture; }
    // The display copy: the picture shrunk to the display limit, turned by Rotation() and then
    // mirrored by the two flags.
    const TBitmap &Display() const { return FDisplay; }
    // The display copy with the vanishing pixels of the operations painted in KeyColor(), or
    // the display copy itself when the layer is not Transparent().
    const TBitmap &Shown() const;
    // The shown copy stretched to size as an ARGB32 premultiplied image, pixels of the key
    // colour fully transparent. Kept until the size, the picture or the operations change, so
    // redraws during a drag cost one painter copy per layer.
    const QImage &Rendered(QSize size) const;
    // The shown copy at its own size as an ARGB32 premultiplied image, key colour transparent;
    // kept like Rendered. Painters stretch it themselves where a layer is far larger than the
    // card, so that only its visible part is ever scaled.
    const QImage &Keyed() const;

    int Rotation() const { return FRotation; } // 0, 90, 180 or 270 degrees clockwise
    bool MirrorLeftRight() const { return FMirrorLeftRight; }
    bool MirrorUpDown() const { return FMirrorUpDown; }

    // Place on the stage as fractions of the stage, and the control in stage pixels.
    TRelRect Rel;
    QRect Control;
    // Full-picture pixels per control pixel in x and y (of the turned picture).
    double RatioX() const;
    double RatioY() const;
    // Picture height / width in the layer's orientation (1 for an empty picture).
    double Aspect() const;

    // The transparent colour (kNoColor: none yet) and the operations. Change them through
    // the layer set, which refreshes the shown copy and notifies.
    TColorValue TransparentColor = kNoColor;
    const TMaskOps &Ops() const { return FOps; }
    // "透過": the operations are shown.
    bool ShowMask() const { return FShowMask; }
    // Show flag on and at least one operation of kinds 0–2.
    bool Transparent() const;

    bool SizeLock = false; // "サイズロック"
    bool ShowFrame = true;

    // Drag state: the grabbed handle, the rectangle and point at the start, and the grab point
    // as a fraction of the control.
    int Handle = lhMove;
    QRect StartRect;
    QPoint StartPoint;
    QPointF GrabFraction;
    // The rectangle drawn in mode 3, in control pixels, waiting for the click of mode 4.
    std::optional<QRect> PendingRect;

private:
    friend class TLayers;
    void SetPicture(TBitmap picture, int displayLimit);
    void RebuildDisplay(int displayLimit);
    void Invalidate();

    TBitmap FPicture;
    TBitmap FDisplay;
    int FRotation = 0;
    bool FMirrorLeftRight = false;
    bool FMirrorUpDown = false;
    TMaskOps FOps;
    bool FShowMask = true;
    mutable std::optional<TBitmap> FShown;
    mutable QImage FKeyed;
    mutable QImage FRendered;
};

// One layer of the card: its picture control and what the set knows of it.
class TLayer
{
public:
    TLayer(TLayers *owner, int index)
        : FOwner(owner)
        , FIndex(index)
    {
    }
    TLayers *Owner() const { return FOwner; }
    // 0 is the frontmost layer.
    int Index() const { return FIndex; }
    TLayerImage &Image() { return FImage; }
    const TLayerImage &Image() const { return FImage; }

    QString FileName;
    bool Visible = true;
    bool Selected = false;
    int Fit = fmFree;

private:
    friend class TLayers;
    TLayers *FOwner;
    int FIndex;
    TLayerImage FImage;
};

// The option flags of the layer set.
struct TLayerOptions {
    bool rightDragZooms = false; // the right button zooms without Ctrl
    bool doubleClickTogglesAll = false; // a double click on a transparent point (de)selects all
    bool doubleClickToFront = false; // a double click brings a layer to front
    bool keepEditMode = false; // the edit mode stays after one mask operation
};

// What the layer set tells its owner. Unset callbacks are skipped.
struct TLayerEvents {
    std::function<void()> layersChanged; // layers added or removed
    std::function<void()> orderChanged;
    std::function<void()> selectionChanged;
    std::function<void()> editModeChanged;
    std::function<void(int index)> layerChanged; // a layer's operations or picture changed
    std::function<void(int index, QPoint stagePoint)> mouseMoved;
};

// What loading a file onto the stage gave.
struct TLayerLoad {
    int added = 0; // layers added
    TPlateError plateError = plOk;
    QString message; // the text to show (plate errors, unreadable pictures); empty when none
};

// What a click in edit mode 0 did.
struct TLayerClick {
    int index = -1; // the layer hit (after passing through transparent pixels); -1: none
    bool startBand = false; // nothing was hit: a rubber-band selection starts
    int bandFrom = 0; // the band selects among the layers at or behind this index
};

// The layer set of the card stage. The stage is a size in pixels; index 0 is the frontmost
// layer. Every operation that takes an index ignores one outside the range.
class TLayers
{
public:
    explicit TLayers(QSize stage = { 0, 0 });
    ~TLayers();
    TLayers(const TLayers &) = delete;
    TLayers &operator=(const TLayers &) = delete;

    TLayerOptions Options;
    TLayerEvents Events;
    TColorValue StageColor = 0xFFFFFF;
    TColorValue FrameColor = 255; // the selection frames, red

    QSize Stage() const { return FStage; }
    // Resizes the stage and places every layer from its relative position.
    void SetStage(QSize stage);

    int EditMode() const { return FEditMode; }
    // Sets the mode; going back to mode 0 clears every layer's pending rectangle.
    void SetEditMode(int mode);
    // The cursor over a layer at a point of its control in the current mode.
    TStageCursor CursorAt(int index, QPoint controlPoint) const;

    int DisplayLimit() const { return FDisplayLimit; }
    // Sets the limit and rebuilds every display copy.
    void SetDisplayLimit(int limit);

    int Count() const { return int(FLayers.size()); }
    TLayer *Layer(int index);
    const TLayer *Layer(int index) const;

    // Adds a layer with the picture at the back and places it in the stage's top-left
    // quarter; returns its index.
    int Add(TBitmap picture, const QString &fileName);
    // The same at an index (negative: 0; at or beyond the count: at the back).
    int Insert(int index, TBitmap picture, const QString &fileName);
    // A picture file as a new layer at the index (LoadBitmapFile). Nothing is added when the
    // file does not load (the result's message says why when there is something to say).
    TLayerLoad AddFromFile(const QString &fileName, int index);
    void Delete(int index);
    void DeleteSelected();
    void DeleteUnselected();
    void Clear();
    // Moves a layer to another index and renumbers the others.
    void Move(int from, int to);
    void BringToFront(int index) { Move(index, 0); }
    void SendToBack(int index) { Move(index, Count() - 1); }
    void Select(int index, bool selected);
    void SelectAll();
    void SelectNone();
    int SelectedCount() const;
    // The file names of the layers that have transparency operations.
    QStringList MaskedLayerNames() const;
    // Whether a file is already a layer (names compared ignoring case).
    bool IsLayerFile(const QString &fileName) const;

    // Records every layer's relative position from its control, or places every control
    // from its relative position.
    void RecordRelative();
    void PlaceFromRelative();
    void SetControl(int index, const QRect &control);

    // Turns the layer clockwise by 90, 180 or 270 degrees.
    void Rotate(int index, int degrees);
    void Mirror(int index, bool leftRight);
    void SetFit(int index, int mode);
    // Sets the turn and mirrors of a layer as stored (a reopened card), rebuilding its display
    // copy; the operations are taken as they are, being stored in that orientation.
    void SetOrientation(int index, int rotation, bool mirrorLeftRight, bool mirrorUpDown);
    void CentreOn(int index, QPoint stagePoint);
    void SetVisible(int index, bool visible);
    void ToggleSizeLock(int index);
    // Alignment and distribution (layer_geometry.h codes) of the selected layers, or of the
    // one layer when index ≥ 0.
    void Align(int code, int index = -1);
    // Size matching of the selected layers.
    void MatchSize(bool heights, bool largest);

    // The layer at a stage point: the frontmost visible layer whose control holds the point and
    // whose display pixel there is not its transparent colour, searching from index from on.
    int LayerAt(QPoint stagePoint, int from = 0) const;
    // A click in edit mode 0: selects as the stage does (Shift toggles; a plain click selects
    // the layer alone unless it is already selected).
    TLayerClick Click(QPoint stagePoint, bool shift);
    // The rubber band: the visible layers at or behind from whose controls meet band become
    // selected, all others unselected.
    void BandSelect(int from, const QRect &band);
    // A double click with the option flags.
    void DoubleClick(QPoint stagePoint);

    // A left drag of layer index grabbed at a stage point: moves the grabbed handle of it and
    // of every other selected, unfitted layer.
    bool BeginDrag(int index, QPoint stagePoint);
    void DragTo(QPoint stagePoint, bool ctrl);
    bool Dragging() const { return FDragIndex >= 0; }
    // The question to ask when the drag pulled layers inside out ("" when none).
    QString DropQuestion() const;
    // Ends the drag: with useMirrored the pulled-over layers are mirrored, and either way every
    // rectangle is normalised and the relative positions recorded.
    void Drop(bool useMirrored);

    // A right-button zoom of a layer (refused for locked and fitted layers).
    bool BeginZoom(int index, QPoint stagePoint);
    void ZoomTo(QPoint stagePoint);
    // True once the mouse moved during the zoom (the pop-up menu is then suppressed).
    bool EndZoom();

    // Transparency operations. Coordinates in fractions of the shown picture.
    void AddColorArea(int index, TColorValue colour, QPointF point);
    void AddRectColor(int index, const QRectF &rect, TColorValue colour);
    void AddWholeColor(int index, TColorValue colour);
    void AddProtect(int index, const QRectF &rect);
    bool DeleteNthOp(int index, TMaskKind kind, int n);
    void DeleteOps(int index, unsigned kinds);
    // Replaces the operations (the list window's "更新").
    void SetOps(int index, TMaskOps ops);
    void SetShowMask(int index, bool show);
    // The colour of the display copy at a point of the control.
    TColorValue ColourAt(int index, QPoint controlPoint) const;
    // A click of modes 1, 2 and 4 at a point of the layer's control; a rectangle of modes 3, 5
    // and 6 in control pixels (mode 6 keeps it for Trim). True when something was added.
    bool MaskClick(int index, QPoint controlPoint);
    bool MaskRect(int index, const QRect &controlRect);

    // Trimming: the rectangle in control pixels cut from the full picture, turned like the
    // layer; it replaces the picture (operations cleared) or becomes a new selected layer in
    // front, placed where it was drawn. Returns the index of the layer that holds it, or -1.
    int Trim(int index, const QRect &controlRect, bool asNewLayer);
    // A dropped photo replaces a layer's picture, covering the layer's rectangle (the centred
    // part of the photo with the rectangle's aspect); the turns, mirrors and operations reset.
    void ReplacePicture(int index, TBitmap picture, const QString &fileName);
    // "周囲ぼかし": blends the picture's edges into the card's base colour; level 1, 2, 3
    // ("細", "中", "太") soften 3 %, 6 % and 12 % of the shorter side.
    void SoftenEdges(int index, int level);
    // "回転角度指定": turns the layer's picture clockwise by any angle. The corners it uncovers
    // take the layer's transparent colour (one absent from the picture is chosen when it has
    // none), so they show what lies behind; the picture keeps its scale on the stage and its
    // centre. The transparency operations are cleared, as their places no longer fit.
    void RotateFree(int index, double degrees);

    // Adds the plate's layer blocks at the back in file order (the first ends in front). A
    // plate whose decoded layers exceed kMaxPlatePixels adds nothing and gives plTooLarge.
    TLayerLoad LoadPlate(const TPlate &plate);
    // A ".ksp" plate (by its extension, ignoring case) or a single picture.
    TLayerLoad LoadFile(const QString &fileName);

private:
    void Renumber();
    void Notify(const std::function<void()> &f) const;
    void Changed(int index);
    void AddOp(int index, const TMaskOp &op);
    void AfterMaskOp();
    void Place(TLayer &layer);
    void Record(TLayer &layer);

    QSize FStage;
    int FEditMode = emNormal;
    int FDisplayLimit = kDefaultDisplayLimit;
    std::vector<std::unique_ptr<TLayer>> FLayers;
    int FDragIndex = -1;
    std::vector<std::pair<int, TEdges>> FDragEdges; // the layers the drag moves, as dragged
    int FZoomIndex = -1;
    bool FZoomMoved = false;
};

// The card: the visible layers drawn back to front onto a white sheet of the given size, each
// at its relative place with its turns, mirrors and transparency.
TBitmap RenderCard(const TLayers &layers, QSize size);

} // namespace korvatel
