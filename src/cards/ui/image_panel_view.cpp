#include "cards/ui/image_panel_view.h"

#include "cards/layer_geometry.h"
#include "cards/ui/card_stage.h"
#include "imaging/picture.h"
#include "platform/ui/widget_helpers.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QDragEnterEvent>
#include <QFormLayout>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <algorithm>
#include <cmath>

namespace korvatel
{

namespace
{

// The display copy of a frame's picture is at most this large on its longer side: a frame is
// never larger than the stage, and a 24 MP photo would make every repaint slow.
constexpr int kDisplaySide = 1600;
// A right-button press that travels less than this is a click (the menu), not a drag.
constexpr int kClickSlack = 2;

// The picture is loaded by the standard loader, a ".cci" file as the JPEG stream it holds.
// A null image when it is missing or cannot be read; size is the full picture's.
QImage LoadPanelPicture(const QString &fileName, QSize &size)
{
    TBitmap bitmap;
    try {
        const bool read = fileName.endsWith(QLatin1String(".cci"), Qt::CaseInsensitive)
            ? LoadCciJpeg(bitmap, fileName)
            : LoadBitmapFile(bitmap, fileName, true);
        if (!read || bitmap.Empty())
            return {};
    } catch (const std::exception &) {
        return {}; // an unreadable picture shows as missing
    }
    size = QSize(bitmap.Width(), bitmap.Height());
    QImage image = bitmap.View();
    if (std::max(size.width(), size.height()) > kDisplaySide)
        return image.scaled(
            kDisplaySide, kDisplaySide, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    return image.copy();
}

// The picture's rectangle filling a frame of the given size at the picture's aspect, centred.
QRect FittedInner(QSize frame, QSize picture)
{
    if (picture.isEmpty())
        return QRect(QPoint(0, 0), frame);
    const QSize fitted = picture.scaled(frame, Qt::KeepAspectRatioByExpanding);
    return QRect(
        QPoint((frame.width() - fitted.width()) / 2, (frame.height() - fitted.height()) / 2),
        fitted);
}

} // namespace

TImagePanelView::TImagePanelView(const TImagePanel &panel, QWidget *stage)
    : QWidget(stage)
    , FPanel(panel)
{
    setObjectName(QStringLiteral("pnImagePanel"));
    setMouseTracking(true);
    setAcceptDrops(true);
    setFocusPolicy(Qt::StrongFocus);
    setToolTip(HintText());
    setStatusTip(HintText());
    setAccessibleName(QStringLiteral("画像枠"));

    FMenu = new QMenu(this);
    FMenu->setToolTipsVisible(true);
    QAction *resize = FMenu->addAction(QStringLiteral("【枠】サイズ変更"));
    resize->setObjectName(QStringLiteral("miPanelSize"));
    connect(resize, &QAction::triggered, this, [this] {
        std::optional<QSize> size;
        if (AskSize) {
            size = AskSize(FPanel.frame.size(), StageSize());
        } else {
            // The size is asked in percent of the card, which does not change with the window.
            QDialog dialog(this);
            dialog.setWindowTitle(QStringLiteral("【枠】サイズ変更"));
            auto *form = new QFormLayout(&dialog);
            const QSize stage = StageSize();
            QDoubleSpinBox *boxes[2];
            const int current[2] = { FPanel.frame.width(), FPanel.frame.height() };
            const int whole[2] = { stage.width(), stage.height() };
            const char *captions[2] = { "幅 (カードの%):", "高さ (カードの%):" };
            for (int i = 0; i < 2; ++i) {
                boxes[i] = new QDoubleSpinBox(&dialog);
                boxes[i]->setRange(1, 100);
                boxes[i]->setDecimals(1);
                boxes[i]->setValue(whole[i] > 0 ? 100.0 * current[i] / whole[i] : 50);
                form->addRow(QString::fromUtf8(captions[i]), boxes[i]);
            }
            auto *buttons
                = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
            form->addRow(buttons);
            connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
            connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
            if (dialog.exec() == QDialog::Accepted)
                size = QSize(int(std::lround(boxes[0]->value() * whole[0] / 100)),
                    int(std::lround(boxes[1]->value() * whole[1] / 100)));
        }
        if (size)
            SetFrameSize(*size);
    });
    QAction *remove = FMenu->addAction(QStringLiteral("削除"));
    remove->setObjectName(QStringLiteral("miPanelDelete"));
    connect(remove, &QAction::triggered, this, &TImagePanelView::deleteRequested);
    QAction *back = FMenu->addAction(QStringLiteral("背面へ"));
    back->setObjectName(QStringLiteral("miPanelBack"));
    connect(back, &QAction::triggered, this, [this] { lower(); });
    FMenu->addSeparator();
    FMenu->addAction(HintText())->setEnabled(false);

    Load(FPanel.fileName);
    // A record from a file may be anything: the frame is kept to the smallest side and the
    // picture inside to a size that can be zoomed.
    QRect frame = FPanel.frame;
    frame.setSize(frame.size().expandedTo(QSize(kPanelMinSide, kPanelMinSide)));
    FPanel.frame = frame;
    if (FPanel.inner.width() < kPanelMinInner || FPanel.inner.height() < kPanelMinInner
        || FPanel.inner.width() > kMaxInnerSide || FPanel.inner.height() > kMaxInnerSide)
        FPanel.inner = FittedInner(frame.size(), FPanel.pictureSize);
    setGeometry(frame);
    FRecordStage = StageSize();
    FRecord = ImagePanelText(FPanel, QRect(QPoint(0, 0), FRecordStage));
}

TImagePanelView *TImagePanelView::FromRecord(const QString &record, QWidget *stage)
{
    // Before the stage has a size the frame is placed on a stand-in sheet and placed again
    // from its record when the stage is laid out.
    const QSize sheet = stage->size().isEmpty() ? QSize(1000, 1000) : stage->size();
    const std::optional<TImagePanel> panel = ReadImagePanel(record, QRect(QPoint(0, 0), sheet));
    if (!panel)
        return nullptr;
    auto *view = new TImagePanelView(*panel, stage);
    view->FRecord = record;
    view->FRecordStage = sheet;
    return view;
}

void TImagePanelView::SetPlain(bool plain)
{
    FPlain = plain;
    update();
}

QString TImagePanelView::MissingCaption()
{
    return QStringLiteral("画像なし(要削除)");
}

QString TImagePanelView::HintText()
{
    return QStringLiteral("【枠移動】左マウス 【画像移動】右マウス 【拡縮】マウスホイール");
}

TImagePanelView *TImagePanelView::ForPicture(const QString &fileName, QWidget *stage)
{
    TImagePanel panel;
    panel.fileName = fileName;
    auto *view = new TImagePanelView(panel, stage);
    if (!view->HasPicture()) {
        delete view;
        return nullptr;
    }
    // Shaped like the picture within the stage's top-left quarter.
    const QSize min(kPanelMinSide, kPanelMinSide);
    const QSize quarter = (stage->size() / 2).expandedTo(min);
    view->SetFrameSize(view->FPanel.pictureSize.scaled(quarter, Qt::KeepAspectRatio));
    view->FPanel.inner = FittedInner(view->FPanel.frame.size(), view->FPanel.pictureSize);
    view->Commit();
    return view;
}

QSize TImagePanelView::StageSize() const
{
    return parentWidget() ? parentWidget()->size() : size();
}

void TImagePanelView::Load(const QString &fileName)
{
    QSize size;
    FPicture = LoadPanelPicture(fileName, size);
    if (!FPicture.isNull())
        FPanel.pictureSize = size;
    update();
}

bool TImagePanelView::SetPicture(const QString &fileName)
{
    FPanel.fileName = fileName;
    FPanel.pictureSize = {};
    Load(fileName);
    FPanel.inner = FittedInner(FPanel.frame.size(), FPanel.pictureSize);
    Commit();
    return HasPicture();
}

QString TImagePanelView::Record() const
{
    return ImagePanelText(FPanel, QRect(QPoint(0, 0), StageSize()));
}

void TImagePanelView::PlaceIn(QSize stage)
{
    if (stage.isEmpty() || stage == FRecordStage)
        return;
    const std::optional<TImagePanel> placed = ReadImagePanel(FRecord, QRect(QPoint(0, 0), stage));
    if (!placed)
        return;
    FPanel.frame = placed->frame;
    FPanel.frame.setSize(FPanel.frame.size().expandedTo(QSize(kPanelMinSide, kPanelMinSide)));
    FPanel.inner = placed->inner;
    if (FPanel.inner.width() < kPanelMinInner || FPanel.inner.height() < kPanelMinInner)
        FPanel.inner = FittedInner(FPanel.frame.size(), FPanel.pictureSize);
    setGeometry(FPanel.frame);
    FRecordStage = stage;
    update();
}

void TImagePanelView::SetFrameSize(QSize size)
{
    const QSize stage = StageSize();
    size = size.expandedTo(QSize(kPanelMinSide, kPanelMinSide))
               .boundedTo(stage.expandedTo(QSize(kPanelMinSide, kPanelMinSide)));
    FPanel.frame.setSize(size);
    setGeometry(FPanel.frame);
    Commit();
}

void TImagePanelView::Commit()
{
    FPanel.frame = geometry();
    FRecordStage = StageSize();
    FRecord = ImagePanelText(FPanel, QRect(QPoint(0, 0), FRecordStage));
    update();
    Q_EMIT changed();
}

void TImagePanelView::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    if (FPlain) {
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.drawImage(FPanel.inner, FPicture);
        return;
    }
    painter.fillRect(rect(), QColor(0xF0, 0xF0, 0xF0));
    const QRect inside = rect().adjusted(kPanelBorder, kPanelBorder, -kPanelBorder, -kPanelBorder);
    if (HasPicture()) {
        // A plain copy while the mouse drags, a smooth one at rest.
        painter.setRenderHint(QPainter::SmoothPixmapTransform, FButton == Qt::NoButton);
        painter.setClipRect(rect());
        painter.drawImage(FPanel.inner, FPicture);
        painter.setClipping(false);
    } else {
        painter.setPen(Qt::darkGray);
        painter.drawText(inside, Qt::AlignCenter | Qt::TextWordWrap, MissingCaption());
    }
    const bool focused = FHot || hasFocus();
    QPen pen(WinColor(int(focused ? FPanel.focusedColor : FPanel.unfocusedColor)), kPanelBorder);
    pen.setJoinStyle(Qt::MiterJoin);
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(QRectF(rect()).adjusted(
        kPanelBorder / 2.0, kPanelBorder / 2.0, -kPanelBorder / 2.0, -kPanelBorder / 2.0));
}

void TImagePanelView::mousePressEvent(QMouseEvent *event)
{
    if (FButton != Qt::NoButton)
        return;
    if (event->button() != Qt::LeftButton && event->button() != Qt::RightButton)
        return;
    setFocus(Qt::MouseFocusReason);
    FButton = event->button();
    FHandle = FButton == Qt::LeftButton ? PanelHandleAt(size(), event->position().toPoint())
                                        : int(lhMove);
    FStartFrame = geometry();
    FStartInner = FPanel.inner;
    FStartMouse = event->globalPosition().toPoint();
    FMoved = false;
}

void TImagePanelView::mouseMoveEvent(QMouseEvent *event)
{
    if (FButton == Qt::NoButton) {
        setCursor(CursorShapeOf(
            HandleCursor(PanelHandleAt(size(), event->position().toPoint()), false, false)));
        return;
    }
    const QPoint d = event->globalPosition().toPoint() - FStartMouse;
    if (d.manhattanLength() > kClickSlack)
        FMoved = true;
    if (!FMoved)
        return;
    if (FButton == Qt::RightButton) {
        FPanel.inner = FStartInner.translated(d);
    } else {
        const QRect frame = PanelDrag(FStartFrame, FHandle, d.x(), d.y());
        // The picture stays where it is on the card while the left or top edge moves over it.
        FPanel.inner = FHandle == lhMove
            ? FStartInner
            : FStartInner.translated(FStartFrame.topLeft() - frame.topLeft());
        FPanel.frame = frame;
        setGeometry(frame);
    }
    update();
}

void TImagePanelView::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() != FButton)
        return;
    const Qt::MouseButton button = FButton;
    FButton = Qt::NoButton;
    if (FMoved)
        Commit();
    else if (button == Qt::RightButton)
        ShowMenu(event->globalPosition().toPoint());
    else
        update();
}

void TImagePanelView::ShowMenu(QPoint global)
{
    FMenu->popup(global);
}

void TImagePanelView::wheelEvent(QWheelEvent *event)
{
    const QPoint delta = event->angleDelta();
    // Some systems turn a wheel with Shift held into a sideways wheel.
    const int step = delta.y() != 0 ? delta.y() : delta.x();
    const int notches = -step / 120;
    event->accept();
    if (notches == 0)
        return;
    const std::optional<QRect> inner
        = PanelWheelZoom(FPanel.frame, FPanel.inner, FPanel.pictureSize,
            event->position().toPoint(), notches, event->modifiers().testFlag(Qt::ShiftModifier));
    if (!inner)
        return;
    FPanel.inner = *inner;
    Commit();
}

void TImagePanelView::enterEvent(QEnterEvent *event)
{
    QWidget::enterEvent(event);
    raise();
    FHot = true;
    update();
}

void TImagePanelView::leaveEvent(QEvent *event)
{
    QWidget::leaveEvent(event);
    FHot = false;
    update();
}

void TImagePanelView::focusInEvent(QFocusEvent *event)
{
    QWidget::focusInEvent(event);
    update();
}

void TImagePanelView::focusOutEvent(QFocusEvent *event)
{
    QWidget::focusOutEvent(event);
    update();
}

void TImagePanelView::keyPressEvent(QKeyEvent *event)
{
    const int step = event->modifiers().testFlag(Qt::ShiftModifier) ? 10 : 1;
    QPoint d;
    switch (event->key()) {
    case Qt::Key_Delete:
    case Qt::Key_Backspace:
        Q_EMIT deleteRequested();
        return;
    case Qt::Key_Menu:
        ShowMenu(mapToGlobal(rect().center()));
        return;
    case Qt::Key_Left:
        d = { -step, 0 };
        break;
    case Qt::Key_Right:
        d = { step, 0 };
        break;
    case Qt::Key_Up:
        d = { 0, -step };
        break;
    case Qt::Key_Down:
        d = { 0, step };
        break;
    default:
        QWidget::keyPressEvent(event);
        return;
    }
    move(pos() + d);
    Commit();
}

void TImagePanelView::dragEnterEvent(QDragEnterEvent *event)
{
    if (!DroppedFiles(event->mimeData()).isEmpty())
        event->acceptProposedAction();
}

void TImagePanelView::dropEvent(QDropEvent *event)
{
    const QStringList files = DroppedFiles(event->mimeData());
    if (files.isEmpty())
        return;
    event->acceptProposedAction();
    SetPicture(files.first());
}

} // namespace korvatel
