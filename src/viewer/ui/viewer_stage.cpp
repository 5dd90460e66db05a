#include "viewer/ui/viewer_stage.h"

#include "platform/ui/widget_helpers.h"
#include "viewer/picture_loader.h"
#include "viewer/ui/rect_label.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollArea>
#include <QScrollBar>
#include <QSlider>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

namespace korvatel
{

namespace
{

// Displayed sizes up to this many pixels are drawn from a scaled copy; larger ones from the
// picture itself, part by part.
constexpr qint64 kScaledCacheLimit = 16'000'000;

const char kZoomHint[] = "|画像のサイズを変更します。数値(%)は表示画像と実データのピクセル比です。";
const char kAutoZoomHint[] = "オートズーム|画像が表示エリアに収まるようにサイズを自動調整します。";

} // namespace

TViewerImage::TViewerImage(TViewerStage &stage, QWidget *parent)
    : QWidget(parent)
    , FStage(stage)
{
    setObjectName(QStringLiteral("imgViewer"));
    setMouseTracking(true);
}

void TViewerImage::SetPicture(const QImage &image)
{
    FImage = image;
    FScaled = QPixmap();
    update();
}

void TViewerImage::resizeEvent(QResizeEvent *)
{
    FScaled = QPixmap();
}

void TViewerImage::SetImprint(const QString &text, const TImprintLook &look)
{
    FImprint = text;
    FImprintLook = look;
    update();
}

void TViewerImage::paintEvent(QPaintEvent *event)
{
    if (FImage.isNull())
        return;
    QPainter painter(this);
    const qint64 area = qint64(width()) * height();
    if (area <= kScaledCacheLimit) {
        if (FScaled.size() != size())
            FScaled = QPixmap::fromImage(
                FImage.scaled(size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
        painter.drawPixmap(event->rect(), FScaled, event->rect());
    } else {
        // A very large zoom: only the exposed part is stretched from the picture.
        const QRect target = event->rect();
        const double sx = double(FImage.width()) / width();
        const double sy = double(FImage.height()) / height();
        const QRectF source(
            target.x() * sx, target.y() * sy, target.width() * sx, target.height() * sy);
        painter.drawImage(QRectF(target), FImage, source);
    }
    if (!FImprint.isEmpty()) {
        // As on the print: a twentieth of the short side high, set in from the corner.
        const int side = std::min(width(), height());
        QFont font = painter.font();
        font.setPixelSize(std::max(10, side / 20));
        painter.setFont(font);
        const int margin = std::max(4, side / 30);
        DrawImprint(
            painter, rect().adjusted(margin, margin, -margin, -margin), FImprint, FImprintLook);
    }
}

void TViewerImage::mousePressEvent(QMouseEvent *event)
{
    FStage.ImagePress(event);
}

void TViewerImage::mouseMoveEvent(QMouseEvent *event)
{
    FStage.ImageMove(event);
}

void TViewerImage::mouseReleaseEvent(QMouseEvent *event)
{
    FStage.ImageRelease(event);
}

TViewerStage::TViewerStage(QWidget *parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("pnStage"));
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);

    FTools = new QWidget(this);
    FTools->setObjectName(QStringLiteral("pnViewerTools"));
    FAutoZoom = new QCheckBox(QStringLiteral("オートズーム"), FTools);
    FAutoZoom->setObjectName(QStringLiteral("cbAutoZoom"));
    FAutoZoom->setChecked(true);
    SetHint(FAutoZoom, QString::fromUtf8(kAutoZoomHint));
    FMaxButton = new QToolButton(FTools);
    FMaxButton->setObjectName(QStringLiteral("sbMaxZoom"));
    FMaxButton->setText(QStringLiteral("Max"));
    FMaxButton->setPopupMode(QToolButton::InstantPopup);
    auto *maxMenu = new QMenu(FMaxButton);
    for (int percent : kMaxZoomChoices) {
        QAction *action = maxMenu->addAction(QStringLiteral("Max %1%").arg(percent));
        action->setObjectName(QStringLiteral("miMax%1").arg(percent));
        connect(action, &QAction::triggered, this, [this, percent] {
            SetMaxZoom(percent);
            Q_EMIT maxZoomChosen(percent);
        });
    }
    FMaxButton->setMenu(maxMenu);
    FZoomLabel = new QLabel(FTools);
    FZoomLabel->setObjectName(QStringLiteral("lbZoom"));
    FZoomLabel->setAlignment(Qt::AlignCenter);
    FZoomLabel->setCursor(Qt::PointingHandCursor);
    FZoomLabel->installEventFilter(this);
    FZoomBar = new QSlider(Qt::Vertical, FTools);
    FZoomBar->setObjectName(QStringLiteral("tbZoom"));
    FZoomBar->setTickPosition(QSlider::TicksRight);
    SetHint(FZoomBar, QString::fromUtf8(kZoomHint));
    // The zoom bar keeps its height on a small screen; the command buttons below it scroll
    // when they do not fit.
    FZoomBar->setFixedHeight(110);
    auto *column = new QVBoxLayout(FTools);
    column->setContentsMargins(2, 2, 2, 2);
    column->addWidget(FAutoZoom);
    column->addWidget(FMaxButton);
    column->addWidget(FZoomLabel);
    column->addWidget(FZoomBar, 0, Qt::AlignHCenter);
    FToolScroll = new QScrollArea(FTools);
    FToolScroll->setObjectName(QStringLiteral("sbxViewerTools"));
    FToolScroll->setFrameShape(QFrame::NoFrame);
    FToolScroll->setWidgetResizable(true);
    FToolScroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    auto *buttonPanel = new QWidget(FToolScroll);
    FToolLayout = new QVBoxLayout(buttonPanel);
    FToolLayout->setContentsMargins(0, 0, 0, 0);
    FToolLayout->addStretch(1);
    FToolScroll->setWidget(buttonPanel);
    column->addWidget(FToolScroll, 1);
    column->addStretch(0);
    layout->addWidget(FTools);

    FView = new QScrollArea(this);
    FView->setObjectName(QStringLiteral("sbxViewer"));
    FView->setWidgetResizable(false);
    FView->setBackgroundRole(QPalette::Dark);
    FImage = new TViewerImage(*this, FView);
    FView->setWidget(FImage);
    FView->viewport()->installEventFilter(this);
    layout->addWidget(FView, 1);

    FFrame = new TRectLabel(FImage);
    FLoader = new TPictureLoader(this);
    connect(FLoader, &TPictureLoader::preview, this,
        [this](int, const TBitmap &bitmap, QSize stored) { PreviewReady(bitmap, stored); });
    connect(FLoader, &TPictureLoader::loaded, this,
        [this](int, const QString &file, const QString &error) { LoadEnded(file, error); });
    connect(FFrame, &TRectLabel::changed, this, &TViewerStage::frameChanged);
    connect(FFrame, &TRectLabel::hintChanged, this, &TViewerStage::hintText);

    FSlideEnd = new QLabel(QStringLiteral("スライド終了"), this);
    FSlideEnd->setObjectName(QStringLiteral("pnSlideEnd"));
    FSlideEnd->setAlignment(Qt::AlignCenter);
    FSlideEnd->setStyleSheet(QStringLiteral(
        "background-color: #202020; color: white; border: 2px solid white; padding: 16px;"));
    QFont font = FSlideEnd->font();
    font.setPointSize(font.pointSize() * 2);
    FSlideEnd->setFont(font);
    FSlideEnd->hide();

    connect(FAutoZoom, &QCheckBox::toggled, this, [this] { ApplyZoom(); });
    connect(FZoomBar, &QSlider::valueChanged, this, &TViewerStage::ZoomBarMoved);
    ApplyZoom();
}

bool TViewerStage::ViewFile(const QString &fileName, QString *error)
{
    FFrame->Clear();
    FLoader->Cancel();
    FLoading.clear();
    FPendingSize = QSize();
    if (QFileInfo(fileName).size() <= kBackgroundLoadBytes) {
        const bool loaded = FPicture.Load(fileName, error);
        Refresh();
        return loaded;
    }
    FPicture.Clear();
    FLoading = fileName;
    Refresh();
    FLoader->Load(fileName);
    return true;
}

void TViewerStage::SetIncrementalDisplay(bool on)
{
    FLoader->SetIncremental(on);
}

void TViewerStage::PreviewReady(const TBitmap &bitmap, QSize storedSize)
{
    if (!Loading())
        return;
    // The quick look stands in the place and at the zoom of the whole picture.
    FPendingSize = storedSize;
    FImage->SetPicture(bitmap.ToImage());
    ApplyZoom();
}

void TViewerStage::LoadEnded(const QString &fileName, const QString &error)
{
    if (fileName != FLoading)
        return;
    FLoading.clear();
    FPendingSize = QSize();
    TBitmap bitmap = FLoader->TakePicture();
    if (!bitmap.Empty())
        FPicture.Adopt(fileName, std::move(bitmap));
    Show(FLoader->TakeShown());
    Q_EMIT pictureLoaded(fileName, FPicture.Empty() ? error : QString());
}

void TViewerStage::Refresh()
{
    Show(ShownImage(FPicture.Bitmap()));
}

void TViewerStage::Show(const QImage &image)
{
    FImage->SetPicture(FPicture.Empty() ? QImage() : image);
    ApplyZoom();
    Q_EMIT pictureChanged();
}

void TViewerStage::ClearPicture()
{
    FLoader->Cancel();
    FLoading.clear();
    FPendingSize = QSize();
    FFrame->Clear();
    FPicture.Clear();
    Refresh();
}

bool TViewerStage::AutoZoom() const
{
    return FAutoZoom->isChecked();
}

void TViewerStage::SetAutoZoom(bool on)
{
    if (FAutoZoom->isChecked() == on)
        ApplyZoom();
    else
        FAutoZoom->setChecked(on); // applies through its signal
}

void TViewerStage::SetZoom(int percent)
{
    FZoom = percent;
    const QSignalBlocker block(FAutoZoom);
    FAutoZoom->setChecked(false);
    ApplyZoom();
}

int TViewerStage::Zoom() const
{
    return FLayout.barPosition;
}

void TViewerStage::SetMaxZoom(int percent)
{
    FMaxZoom = std::max(percent, 1);
    ApplyZoom();
}

void TViewerStage::ZoomBarMoved(int position)
{
    // Moving the bar turns auto zoom off.
    SetZoom(position);
}

void TViewerStage::ApplyZoom()
{
    const bool autoZoom = FAutoZoom->isChecked();
    FView->setHorizontalScrollBarPolicy(autoZoom ? Qt::ScrollBarAlwaysOff : Qt::ScrollBarAsNeeded);
    FView->setVerticalScrollBarPolicy(autoZoom ? Qt::ScrollBarAlwaysOff : Qt::ScrollBarAsNeeded);
    const QSize size = FPicture.Empty() ? FPendingSize : FPicture.Size();
    FLayout = ViewerZoom(FView->viewport()->size(), size, autoZoom, FZoom, FMaxZoom);
    if (!autoZoom)
        FZoom = FLayout.barPosition;
    {
        const QSignalBlocker block(FZoomBar);
        FZoomBar->setRange(0, FLayout.barMax);
        FZoomBar->setTickInterval(std::max(FLayout.barMax / 10, 1));
        FZoomBar->setPageStep(std::max(FLayout.barMax / 10, 1));
        FZoomBar->setValue(FLayout.barPosition);
    }
    FZoomLabel->setText(QStringLiteral("%1%2").arg(FLayout.barPosition).arg(QStringLiteral("%")));
    FView->setAlignment(FLayout.centred ? Qt::AlignCenter : Qt::AlignLeft | Qt::AlignTop);
    if (size.isEmpty()) {
        FImage->hide();
        return;
    }
    FImage->resize(FLayout.displayed);
    FImage->show();
    if (!FPicture.Empty())
        FFrame->Rescale(FLayout.displayed);
}

void TViewerStage::Rotate(RotationType rotation)
{
    if (FPicture.Empty())
        return;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    FPicture.Rotate(rotation);
    if (FFrame->Visible())
        FFrame->Frame().Rotate(rotation, FFrame->Frame().PictureSize());
    QApplication::restoreOverrideCursor();
    Refresh();
}

bool TViewerStage::ApplyTrim()
{
    if (!FFrame->Visible() || FPicture.Empty())
        return false;
    const QRect part = FFrame->Frame().TrimRect(FPicture.Size());
    FFrame->Clear();
    if (!FPicture.Trim(part))
        return false;
    Refresh();
    return true;
}

bool TViewerStage::Tone(TToneStep step, const std::function<void(const QString &)> &status)
{
    if (FToneRunning || FPicture.Empty())
        return false;
    FToneRunning = true;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    FPicture.Tone(step, [&](int percent) {
        if (status)
            status(ToneStepProgressText(step, percent));
    });
    if (status)
        status(ToneStepDoneText(step));
    QApplication::restoreOverrideCursor();
    FToneRunning = false;
    Refresh();
    return true;
}

void TViewerStage::SetFrameProportions(double first, double second)
{
    FFrame->Frame().SetProportions(first, second);
}

void TViewerStage::SetAnchorWide(int pixels)
{
    FFrame->SetAnchorWide(pixels);
}

void TViewerStage::ShowSlideEnd()
{
    FSlideEnd->adjustSize();
    FSlideEnd->move((width() - FSlideEnd->width()) / 2, (height() - FSlideEnd->height()) / 2);
    FSlideEnd->raise();
    FSlideEnd->show();
    QTimer::singleShot(2000, FSlideEnd, &QWidget::hide);
}

void TViewerStage::SetToolsVisible(bool visible)
{
    FTools->setVisible(visible);
}

QToolButton *TViewerStage::AddTool(QAction *action)
{
    QWidget *panel = FToolScroll->widget();
    auto *button = new QToolButton(panel);
    button->setDefaultAction(action);
    button->setObjectName(QStringLiteral("sb") + action->objectName().mid(2));
    button->setToolButtonStyle(Qt::ToolButtonTextOnly);
    button->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    FToolLayout->insertWidget(FToolLayout->count() - 1, button);
    // Wide enough for the buttons beside a scroll bar; as tall as they are where there is room.
    const QSize buttons = panel->sizeHint();
    FToolScroll->setMinimumWidth(
        buttons.width() + FToolScroll->verticalScrollBar()->sizeHint().width());
    FToolScroll->setMaximumHeight(buttons.height());
    return button;
}

void TViewerStage::ImagePress(QMouseEvent *event)
{
    // A quick look takes no frame and no zoom gesture: the picture is still being read.
    if (FPicture.Empty())
        return;
    const QPoint p = event->position().toPoint();
    const Qt::MouseButtons buttons = event->buttons();
    const bool left = event->button() == Qt::LeftButton;
    const bool right = event->button() == Qt::RightButton;
    if (left && !(buttons & Qt::RightButton)) {
        FMouseState = msFrame;
        FFrame->PressPicture(p);
        return;
    }
    if (right || (left && (buttons & Qt::RightButton))) {
        FFrame->Release(p); // a frame gesture ends where zooming starts
        {
            const QSignalBlocker block(FAutoZoom);
            FAutoZoom->setChecked(false);
        }
        FZoom = FLayout.barPosition;
        FStartGlobal = event->globalPosition().toPoint();
        FStartScroll
            = QPoint(FView->horizontalScrollBar()->value(), FView->verticalScrollBar()->value());
        FStartZoom = FLayout.barPosition;
        FStartRelative = QPointF(double(p.x()) / std::max(FImage->width(), 1),
            double(p.y()) / std::max(FImage->height(), 1));
        const bool zoom = (event->modifiers() & Qt::ControlModifier) || left;
        FMouseState = zoom ? msZooming : msPanning;
        ApplyZoom();
    }
}

void TViewerStage::ImageMove(QMouseEvent *event)
{
    const QPoint p = event->position().toPoint();
    switch (FMouseState) {
    case msIdle:
        FImage->setCursor(FFrame->Frame().Contains(p, 2) ? Qt::SizeAllCursor : Qt::ArrowCursor);
        return;
    case msFrame:
        if (!(event->buttons() & Qt::LeftButton)) {
            FMouseState = msIdle;
            return;
        }
        FFrame->Track(p, event->modifiers());
        return;
    case msPanning: {
        // The picture follows twice the pointer's movement.
        const QPoint moved = event->globalPosition().toPoint() - FStartGlobal;
        FView->horizontalScrollBar()->setValue(FStartScroll.x() - 2 * moved.x());
        FView->verticalScrollBar()->setValue(FStartScroll.y() - 2 * moved.y());
        return;
    }
    case msZooming: {
        const QPoint global = event->globalPosition().toPoint();
        const int dx = global.x() - FStartGlobal.x();
        FZoom = DragZoom(FStartZoom, dx, FMaxZoom);
        ApplyZoom();
        // Keep the picture point that was under the pointer at the press under it.
        const QPoint inView = FView->viewport()->mapFromGlobal(global);
        FView->horizontalScrollBar()->setValue(
            int(FStartRelative.x() * FImage->width()) - inView.x());
        FView->verticalScrollBar()->setValue(
            int(FStartRelative.y() * FImage->height()) - inView.y());
        return;
    }
    }
}

void TViewerStage::ImageRelease(QMouseEvent *event)
{
    const QPoint p = event->position().toPoint();
    if (event->button() == Qt::LeftButton && FMouseState == msFrame) {
        FFrame->Release(p);
        FMouseState = msIdle;
    } else if (event->button() == Qt::RightButton
        && (FMouseState == msPanning || FMouseState == msZooming))
        FMouseState = msIdle;
    else if (event->button() == Qt::LeftButton && FMouseState == msZooming)
        FMouseState = msIdle;
}

bool TViewerStage::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == FZoomLabel && event->type() == QEvent::MouseButtonPress) {
        // The label returns to 100 % and turns auto zoom off.
        SetZoom(100);
        return true;
    }
    if (watched == FView->viewport() && event->type() == QEvent::Resize && AutoZoom())
        QTimer::singleShot(0, this, [this] { ApplyZoom(); });
    return QWidget::eventFilter(watched, event);
}

} // namespace korvatel
