#pragma once

#include "order/grid_paint.h"
#include "viewer/tone_steps.h"
#include "viewer/viewed_picture.h"
#include "viewer/viewer_zoom.h"

#include <QImage>
#include <QPixmap>
#include <QWidget>

class QCheckBox;
class QLabel;
class QScrollArea;
class QSlider;
class QToolButton;
class QVBoxLayout;

namespace korvatel
{

class TPictureLoader;
class TRectLabel;
class TViewerStage;

// The picture control: draws the viewed picture stretched to its own size and hands the mouse
// to the stage.
class TViewerImage : public QWidget
{
    Q_OBJECT

public:
    explicit TViewerImage(TViewerStage &stage, QWidget *parent);
    void SetPicture(const QImage &image);
    const QImage &Picture() const { return FImage; }
    // The date imprint the print will carry, drawn over the picture's bottom right corner in
    // the shop's look; an empty text draws none.
    void SetImprint(const QString &text, const TImprintLook &look);
    QString Imprint() const { return FImprint; }

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    TViewerStage &FStage;
    QImage FImage;
    QPixmap FScaled; // the picture at the displayed size, while that size is moderate
    QString FImprint;
    TImprintLook FImprintLook;
};

// The viewer of the "画像編集" tab: the picture control in a scrolled view, the zoom bar with its
// label, the "Max" popup and "オートズーム", the tool buttons, and the trimming frame over the
// picture. It shows the TViewedPicture it owns; the window's commands act through it.
class TViewerStage : public QWidget
{
    Q_OBJECT

public:
    // Mouse state of the viewer.
    enum TMouseState { msIdle = 0, msPanning = 1, msZooming = 2, msFrame = 3 };

    explicit TViewerStage(QWidget *parent = nullptr);

    TViewedPicture &Picture() { return FPicture; }
    TRectLabel &Frame() { return *FFrame; }
    TViewerImage *Image() const { return FImage; }
    QScrollArea *View() const { return FView; }
    QSlider *tbZoom() const { return FZoomBar; }
    QLabel *lbZoom() const { return FZoomLabel; }
    QCheckBox *cbAutoZoom() const { return FAutoZoom; }
    QToolButton *sbMaxZoom() const { return FMaxButton; }
    QLabel *pnSlideEnd() const { return FSlideEnd; }
    TMouseState MouseState() const { return FMouseState; }

    // Shows a file; false with the error text when it cannot be read. A large file is decoded
    // away from the window's thread: the stage shows a quick look at it when it can, and
    // pictureLoaded reports the end; until then the picture is empty and Loading() is true.
    bool ViewFile(const QString &fileName, QString *error = nullptr);
    bool Loading() const { return !FLoading.isEmpty(); }
    // Shows the picture again after a command changed it (fitted anew when auto zoom is on).
    void Refresh();
    void ClearPicture();

    bool AutoZoom() const;
    void SetAutoZoom(bool on);
    // Manual zoom in percent (auto zoom goes off).
    void SetZoom(int percent);
    int Zoom() const;
    int MaxZoom() const { return FMaxZoom; }
    void SetMaxZoom(int percent);
    // Incremental display: a large JPEG shows in ever sharper steps while it is decoded.
    void SetIncrementalDisplay(bool on);
    TZoomLayout Layout() const { return FLayout; }

    // The four turns; the frame turns with the picture.
    void Rotate(RotationType rotation);
    // Applies the trimming frame to the picture; false when there is no frame.
    bool ApplyTrim();
    // The brightness and contrast steps; status gets the texts of the status bar's third panel.
    // A step asked for while one runs is ignored.
    bool Tone(TToneStep step, const std::function<void(const QString &)> &status);

    void SetFrameProportions(double first, double second);
    void SetAnchorWide(int pixels);

    // "スライド終了" centred over the stage for a moment.
    void ShowSlideEnd();
    // The stage without its tools (full size) or with them.
    void SetToolsVisible(bool visible);
    // Adds a tool button for a window command.
    QToolButton *AddTool(QAction *action);

    // Mouse gestures from the picture control (its pixels) and the pointer's global position.
    void ImagePress(QMouseEvent *event);
    void ImageMove(QMouseEvent *event);
    void ImageRelease(QMouseEvent *event);

Q_SIGNALS:
    void frameChanged(bool exists);
    void pictureChanged();
    // A background load ended; error is empty when the picture is shown.
    void pictureLoaded(const QString &fileName, const QString &error);
    void hintText(const QString &text);
    // The customer chose another maximum in the "Max" popup.
    void maxZoomChosen(int percent);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void ApplyZoom();
    void ZoomBarMoved(int position);

    // Shows the image of the picture (none while it is empty).
    void Show(const QImage &image);
    void PreviewReady(const TBitmap &bitmap, QSize storedSize);
    void LoadEnded(const QString &fileName, const QString &error);

    TViewedPicture FPicture;
    TPictureLoader *FLoader = nullptr;
    QString FLoading; // the file being decoded in the background
    QSize FPendingSize; // its stored size, while a quick look is shown
    TViewerImage *FImage = nullptr;
    TRectLabel *FFrame = nullptr;
    QScrollArea *FView = nullptr;
    QWidget *FTools = nullptr;
    QVBoxLayout *FToolLayout = nullptr; // the command buttons
    QScrollArea *FToolScroll = nullptr;
    QSlider *FZoomBar = nullptr;
    QLabel *FZoomLabel = nullptr;
    QCheckBox *FAutoZoom = nullptr;
    QToolButton *FMaxButton = nullptr;
    QLabel *FSlideEnd = nullptr;
    int FMaxZoom = 300;
    int FZoom = 100;
    TZoomLayout FLayout;
    bool FToneRunning = false;

    // The gesture of the right button (panning, drag-zooming).
    TMouseState FMouseState = msIdle;
    QPoint FStartGlobal;
    QPoint FStartScroll;
    int FStartZoom = 100;
    QPointF FStartRelative; // the pointer's place on the picture as fractions
};

} // namespace korvatel
