#pragma once

#include "cards/layer_geometry.h"

#include <QPoint>
#include <QRect>
#include <QWidget>
#include <functional>

class QMenu;
class QMimeData;

namespace korvatel
{

class TLayers;
class TPrompter;

// The local files among dropped URLs.
QStringList DroppedFiles(const QMimeData *data);
// Qt's cursor for a cursor of the stage.
Qt::CursorShape CursorShapeOf(TStageCursor cursor);

// The card stage: draws the layer set it is given (back to front, from the layers' cached
// images at control size, so a drag only copies them), the selection frames (solid when the
// layer is selected, dotted otherwise, in the frame colour), the marker of a layer with
// transparency operations, the rubber band and the guide lines; and turns the mouse into the
// layer set's operations: handles and their cursors, move and resize (aspect kept unless Ctrl),
// the right-button zoom, clicks that pass through transparent pixels, the rubber band,
// Shift+click, double clicks, the mirror question after a drag, the trimming rectangle of mode
// 6, the mask modes 1 to 5, and picture files dropped onto a layer; Delete and Backspace ask
// for the selected layers to go. The widget's size is the stage's size.
class TCardStage : public QWidget
{
    Q_OBJECT

public:
    TCardStage(TLayers &layers, std::function<TPrompter &()> prompter, QWidget *parent = nullptr);

    // The pop-up menu of the layers, shown by a right click that did not zoom.
    void SetPopupMenu(QMenu *menu) { FPopup = menu; }
    // Trimming in mode 6 asks whether the trimmed part becomes a new layer (Yes), replaces the
    // layer's picture (No), or nothing happens (Cancel).
    static QString TrimQuestion();

    // Picture files dropped at a point: the first fills the layer there (through transparent
    // pixels, so a photo dropped on a window of a plate's sheet fills the frame behind it); the
    // others, or all when no layer is there, are added as layers of their own. Each one that
    // would put one more of the customer's pictures on the card asks MayAddPicture first; a
    // refusal ends the drop.
    void DropFiles(const QStringList &files, QPoint p);
    // Whether the card may take one more of the customer's pictures; unset: always.
    std::function<bool()> MayAddPicture;

    // Draws the layers only, without selection frames, band or guides: the card as it is sent.
    void SetPlain(bool plain);

    // The rubber band and the guide lines as they are drawn (empty when hidden).
    QRect Band() const { return FBandShown ? FBand.normalized() : QRect(); }

Q_SIGNALS:
    // A drag, a zoom, a drop or a mask operation changed the card.
    void cardChanged();
    // The selection changed.
    void selectionChanged();
    // A picture file dropped onto the stage could not be read.
    void dropFailed(const QString &message);
    // Delete or Backspace: the selected layers are to go.
    void deleteRequested();

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dropEvent(QDropEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    void UpdateCursor(QPoint p);
    void EndDrag();
    void EndBand(Qt::KeyboardModifiers modifiers);

    TLayers &FLayers;
    std::function<TPrompter &()> FPrompter;
    QMenu *FPopup = nullptr;
    // Rubber band (selection or the rectangle of modes 3, 5 and 6) and the layer it belongs to.
    bool FBandShown = false;
    QRect FBand;
    int FBandFrom = 0;
    int FBandLayer = -1;
    bool FZooming = false;
    bool FPlain = false;
    QPoint FGuide { -1, -1 };
};

} // namespace korvatel
