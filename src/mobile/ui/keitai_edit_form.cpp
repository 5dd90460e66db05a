#include "mobile/ui/keitai_edit_form.h"

#include "imaging/effects.h"
#include "imaging/picture.h"
#include "imaging/picture_kinds.h"
#include "imaging/resample.h"
#include "mobile/keitai_delivery.h"
#include "order/thumb_nails.h"

#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPixmap>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>
#include <cmath>

namespace korvatel
{

namespace
{

// Pictures are shown reduced to this long side: the frame is 223 pixels high, so more would
// only cost memory.
constexpr int kShownLongSide = 1600;

QPushButton *Button(QWidget *parent, const QString &name, const QString &caption)
{
    auto *button = new QPushButton(caption, parent);
    button->setObjectName(name);
    button->setAutoDefault(false);
    return button;
}

} // namespace

TKeitaiEditForm::TKeitaiEditForm(const QList<TThumbNail *> &pictures, int w, int h, QWidget *parent)
    : QDialog(parent)
    , FPictures(pictures)
{
    setWindowTitle(QStringLiteral("携帯画像トリミング"));
    auto *layout = new QHBoxLayout(this);
    layout->addLayout(BuildPictureSide());
    auto *right = new QVBoxLayout;
    right->addLayout(BuildMoveButtons());
    right->addLayout(BuildFitButtons());
    right->addLayout(BuildZoomButtons());
    right->addLayout(BuildTurnButtons());
    right->addStretch();
    auto *hint = new QLabel(QStringLiteral("最後の画像で完了できます"), this);
    right->addWidget(hint);
    right->addLayout(BuildClosingButtons());
    layout->addLayout(right);

    FRepeat = new QTimer(this);
    FRepeat->setSingleShot(true);
    connect(FRepeat, &QTimer::timeout, this, [this] {
        if (!FRepeatStep)
            return;
        ++FRepeats;
        if (!FRepeatStep(FRepeats))
            return StopRepeat();
        FRepeat->start(FNextDelay(FRepeat->interval()));
    });
    ConnectPaging();
    FPicture->installEventFilter(this);
    FPanel->installEventFilter(this);
    SetPhoneSize(w, h);
}

QLayout *TKeitaiEditForm::BuildPictureSide()
{
    auto *left = new QVBoxLayout;
    FFileLabel = new QLabel(this);
    FFileLabel->setObjectName(QStringLiteral("lblFile"));
    left->addWidget(FFileLabel);
    FPanel = new QWidget(this);
    FPanel->setObjectName(QStringLiteral("pnlPicture"));
    FPanel->setFixedSize(kPanelWidth, kPanelHeight);
    FPanel->setAutoFillBackground(true);
    QPalette palette = FPanel->palette();
    palette.setColor(QPalette::Window, Qt::darkGray);
    FPanel->setPalette(palette);
    FPicture = new QLabel(FPanel);
    FPicture->setObjectName(QStringLiteral("imgPicture"));
    FPicture->setScaledContents(true);
    FFrameLabel = new QLabel(FPanel);
    FFrameLabel->setObjectName(QStringLiteral("lblFrame"));
    FFrameLabel->setStyleSheet(
        QStringLiteral("QLabel { border: 1px solid #00FF00; background: transparent; }"));
    FFrameLabel->setAttribute(Qt::WA_TransparentForMouseEvents);
    left->addWidget(FPanel);
    auto *paging = new QHBoxLayout;
    FPrev = Button(this, QStringLiteral("btnPrev"), QStringLiteral("前へ"));
    FPageLabel = new QLabel(this);
    FPageLabel->setObjectName(QStringLiteral("lblPage"));
    FNext = Button(this, QStringLiteral("btnNext"), QStringLiteral("次へ"));
    paging->addWidget(FPrev);
    paging->addWidget(FPageLabel);
    paging->addWidget(FNext);
    paging->addStretch();
    left->addLayout(paging);
    return left;
}

QLayout *TKeitaiEditForm::BuildMoveButtons()
{
    auto *moves = new QGridLayout;
    FMoves.resize(13, nullptr);
    const struct {
        int tag;
        const char *caption;
        int row, column;
    } moveButtons[] = { { 3, "↖", 0, 0 }, { 2, "↑", 0, 1 }, { 6, "↗", 0, 2 }, { 1, "←", 1, 0 },
        { 4, "→", 1, 2 }, { 9, "↙", 2, 0 }, { 8, "↓", 2, 1 }, { 12, "↘", 2, 2 } };
    for (const auto &m : moveButtons) {
        QPushButton *button
            = Button(this, QStringLiteral("sbMove%1").arg(m.tag), QString::fromUtf8(m.caption));
        FMoves[m.tag] = button;
        moves->addWidget(button, m.row, m.column);
        const int tag = m.tag;
        connect(button, &QPushButton::pressed, this, [this, tag] {
            // Each axis starts at one pixel and grows towards its limit.
            auto step = std::make_shared<QPoint>(1, 1);
            StartRepeat(
                500,
                [this, tag, step](int) {
                    const QRect control = PictureRect();
                    const TKeitaiMove move = KeitaiMove(control, FFrame, tag, *step);
                    Place(move.control);
                    Record();
                    const int limitX = KeitaiMoveLimit(FFrame.width(), control.width());
                    const int limitY = KeitaiMoveLimit(FFrame.height(), control.height());
                    *step = QPoint(
                        KeitaiNextStep(step->x(), limitX), KeitaiNextStep(step->y(), limitY));
                    return !(move.stoppedX && move.stoppedY);
                },
                [](int) { return 50; });
        });
        connect(button, &QPushButton::released, this, &TKeitaiEditForm::StopRepeat);
    }
    return moves;
}

QLayout *TKeitaiEditForm::BuildFitButtons()
{
    auto *fits = new QGridLayout;
    const struct {
        TKeitaiFit fit;
        const char *name;
        const char *caption;
    } fitButtons[] = { { kfLeft, "sbLeft", "左端" }, { kfRight, "sbRight", "右端" },
        { kfTop, "sbTop", "上端" }, { kfBottom, "sbBottom", "下端" },
        { kfMidH, "sbMid", "左右中央" }, { kfMidV, "sbMidV", "上下中央" },
        { kfWidth, "sbFitWidth", "幅合わせ" }, { kfHeight, "sbFitHeight", "高さ合わせ" } };
    for (const auto &f : fitButtons) {
        QPushButton *button
            = Button(this, QString::fromLatin1(f.name), QString::fromUtf8(f.caption));
        fits->addWidget(button, int(FFits.size()) / 2, int(FFits.size()) % 2);
        FFits << button;
        const TKeitaiFit fit = f.fit;
        connect(button, &QPushButton::clicked, this, [this, fit] { Fit(fit); });
    }
    return fits;
}

QLayout *TKeitaiEditForm::BuildZoomButtons()
{
    auto *zooms = new QHBoxLayout;
    const char *zoomCaptions[] = { "－－", "－", "＋", "＋＋" };
    for (int tag = 0; tag < 4; ++tag) {
        QPushButton *button = Button(
            this, QStringLiteral("sbZoom%1").arg(tag), QString::fromUtf8(zoomCaptions[tag]));
        FZoom << button;
        zooms->addWidget(button);
        connect(button, &QPushButton::pressed, this, [this, tag] {
            StartRepeat(
                500, [this, tag](int repeats) { return ZoomStep(tag, repeats > 0); },
                [](int) { return 10; });
        });
        connect(button, &QPushButton::released, this, &TKeitaiEditForm::StopRepeat);
    }
    return zooms;
}

QLayout *TKeitaiEditForm::BuildTurnButtons()
{
    auto *turns = new QHBoxLayout;
    FTurnLeft = Button(this, QStringLiteral("sbTurnLeft"), QStringLiteral("左"));
    FTurnRight = Button(this, QStringLiteral("sbTurnRight"), QStringLiteral("右"));
    turns->addWidget(FTurnLeft);
    turns->addWidget(FTurnRight);
    connect(FTurnRight, &QPushButton::clicked, this, [this] { Turn(1); });
    connect(FTurnLeft, &QPushButton::clicked, this, [this] { Turn(3); });
    return turns;
}

QLayout *TKeitaiEditForm::BuildClosingButtons()
{
    auto *closing = new QHBoxLayout;
    FDone = Button(this, QStringLiteral("btnDone"), QStringLiteral("完了"));
    FBack = Button(this, QStringLiteral("btnBack"), QStringLiteral("戻る"));
    closing->addWidget(FDone);
    closing->addWidget(FBack);
    connect(FDone, &QPushButton::clicked, this, [this] {
        Record();
        accept();
    });
    connect(FBack, &QPushButton::clicked, this, &QDialog::reject);
    return closing;
}

void TKeitaiEditForm::ConnectPaging()
{
    // Held down, the paging buttons repeat, faster and faster.
    for (const auto &[button, delta] : { std::pair { FPrev, -1 }, std::pair { FNext, 1 } }) {
        const int d = delta;
        QPushButton *b = button;
        connect(b, &QPushButton::pressed, this, [this, d] {
            StartRepeat(
                500,
                [this, d](int) {
                    const int before = FPage;
                    StepPage(d);
                    return FPage != before;
                },
                [](int interval) {
                    return interval > 20 ? std::max(int(interval * 0.8), 1) : interval;
                });
        });
        connect(b, &QPushButton::released, this, &TKeitaiEditForm::StopRepeat);
    }
}

QPushButton *TKeitaiEditForm::btnMove(int tag) const
{
    return tag >= 0 && tag < FMoves.size() ? FMoves.at(tag) : nullptr;
}

QRect TKeitaiEditForm::PictureRect() const
{
    return FPicture->geometry();
}

void TKeitaiEditForm::SetPhoneSize(int w, int h)
{
    FW = w;
    FH = h;
    FFrame = KeitaiFrameRect(FPanel->size(), w, h);
    FFrameLabel->setGeometry(FFrame);
    FFrameLabel->raise();
    FShownFile.clear();
    ShowPage(0);
}

void TKeitaiEditForm::LoadPicture()
{
    const TThumbNail &item = *FPictures.at(FPage);
    // The file and turns the order converts.
    const TPhonePicture shown = PhonePictureOf(item);
    const QString &file = shown.source;
    const int turns = shown.turns;
    if (file == FShownFile && turns == FShownTurns)
        return;
    FShownFile = file;
    FShownTurns = turns;
    FImage = QImage();
    TBitmap bitmap;
    QSize real;
    try {
        TPicture picture;
        if (korvatel::LoadPicture(picture, file, true))
            bitmap = picture.ToBitmap();
    } catch (const std::exception &) {
        bitmap = TBitmap();
    }
    if (!bitmap.Empty()) {
        real = QSize(bitmap.Width(), bitmap.Height());
        if (std::max(bitmap.Width(), bitmap.Height()) > kShownLongSide)
            bitmap = FitLongSide(kShownLongSide, bitmap, true);
        if (turns > 0)
            RotateImage(bitmap, RotationType(turns));
        FImage = bitmap.ToImage();
    }
    if (turns % 2 == 1)
        real.transpose();
    FPicture->setPixmap(QPixmap::fromImage(FImage));
    FFileLabel->setText(QStringLiteral("%1 W%2 H%3")
                            .arg(QFileInfo(item.FullPath).fileName())
                            .arg(real.width())
                            .arg(real.height()));
}

void TKeitaiEditForm::ShowPage(int page)
{
    if (FPictures.isEmpty()) {
        UpdatePaging();
        return;
    }
    FPage = std::clamp(page, 0, int(FPictures.size()) - 1);
    LoadPicture();
    const TThumbNail &item = *FPictures.at(FPage);
    Place(KeitaiPlacement(FFrame, FImage.size(), TKeitaiCrop::FromArray(item.KeitaiTriming)));
    UpdatePaging();
}

void TKeitaiEditForm::Place(const QRect &control)
{
    FPicture->setGeometry(control);
    FFrameLabel->raise();
}

void TKeitaiEditForm::UpdatePaging()
{
    const int count = int(FPictures.size());
    FPageLabel->setText(QStringLiteral("%1/%2").arg(FPage + 1).arg(count));
    const bool several = count > 1;
    FPrev->setVisible(several);
    FNext->setVisible(several);
    FPageLabel->setVisible(several);
    FPrev->setEnabled(FPage > 0);
    FNext->setEnabled(FPage < count - 1);
    FDone->setEnabled(count > 0 && FPage == count - 1);
}

void TKeitaiEditForm::Record()
{
    if (FPictures.isEmpty() || FImage.isNull())
        return;
    KeitaiRecord(FFrame, PictureRect()).ToArray(FPictures.at(FPage)->KeitaiTriming);
}

void TKeitaiEditForm::StepPage(int delta)
{
    const int target = FPage + delta;
    if (target < 0 || target >= FPictures.size())
        return;
    Record();
    ShowPage(target);
}

void TKeitaiEditForm::MoveStep(int tag, const QPoint &step)
{
    Place(KeitaiMove(PictureRect(), FFrame, tag, step).control);
    Record();
}

void TKeitaiEditForm::Fit(TKeitaiFit fit)
{
    if (FPictures.isEmpty())
        return;
    Place(KeitaiFit(PictureRect(), FFrame, fit, FImage.size()));
    if (fit == kfWidth) // the width fit is the crop that is not set
        TKeitaiCrop().ToArray(FPictures.at(FPage)->KeitaiTriming);
    else
        Record();
}

bool TKeitaiEditForm::ZoomStep(int tag, bool repeat)
{
    const std::optional<QRect> zoomed = KeitaiZoom(PictureRect(), FFrame, tag, repeat);
    if (!zoomed)
        return false;
    Place(*zoomed);
    Record();
    return true;
}

void TKeitaiEditForm::Turn(int quarterTurns)
{
    if (FPictures.isEmpty())
        return;
    TThumbNail &item = *FPictures.at(FPage);
    const bool set = TKeitaiCrop::FromArray(item.KeitaiTriming).IsSet();
    const QRect before = PictureRect();
    item.KeitaiRotat = quint8((item.KeitaiRotat + quarterTurns) % 4);
    LoadPicture();
    if (!set) {
        Place(KeitaiPlacement(FFrame, FImage.size(), {}));
        return;
    }
    Place(KeitaiTurn(before, FFrame, quarterTurns));
    Record();
}

void TKeitaiEditForm::DragBy(const QPoint &delta)
{
    Place(PictureRect().translated(delta));
}

void TKeitaiEditForm::CentreOn(const QPoint &point)
{
    Place(KeitaiCentreOn(PictureRect(), FFrame, point));
    Record();
}

void TKeitaiEditForm::StartRepeat(
    int firstDelay, const std::function<bool(int)> &step, const std::function<int(int)> &nextDelay)
{
    FRepeats = 0;
    FRepeatStep = step;
    FNextDelay = nextDelay;
    if (!step(0))
        return StopRepeat();
    FRepeat->start(firstDelay);
}

void TKeitaiEditForm::StopRepeat()
{
    FRepeat->stop();
    FRepeatStep = nullptr;
}

bool TKeitaiEditForm::eventFilter(QObject *watched, QEvent *event)
{
    if (watched != FPicture && watched != FPanel)
        return QDialog::eventFilter(watched, event);
    const auto panelPoint = [this, watched](const QMouseEvent *mouse) {
        return static_cast<QWidget *>(watched)->mapTo(FPanel, mouse->position().toPoint());
    };
    switch (event->type()) {
    case QEvent::MouseButtonPress: {
        const auto *mouse = static_cast<QMouseEvent *>(event);
        if (mouse->button() != Qt::LeftButton && mouse->button() != Qt::RightButton)
            break;
        FDragButton = mouse->button();
        FDragStart = panelPoint(mouse);
        FDragControl = PictureRect();
        return true;
    }
    case QEvent::MouseMove: {
        if (FDragButton == Qt::NoButton)
            break;
        QPoint delta = panelPoint(static_cast<QMouseEvent *>(event)) - FDragStart;
        // The right button keeps to the axis of the larger travel.
        if (FDragButton == Qt::RightButton) {
            if (std::abs(delta.x()) >= std::abs(delta.y()))
                delta.setY(0);
            else
                delta.setX(0);
        }
        Place(FDragControl.translated(delta));
        return true;
    }
    case QEvent::MouseButtonRelease: {
        const auto *mouse = static_cast<QMouseEvent *>(event);
        if (mouse->button() != FDragButton)
            break;
        FDragButton = Qt::NoButton;
        Record();
        return true;
    }
    case QEvent::MouseButtonDblClick: {
        const auto *mouse = static_cast<QMouseEvent *>(event);
        FDragButton = Qt::NoButton;
        if (mouse->button() == Qt::LeftButton && watched == FPicture) {
            CentreOn(panelPoint(mouse));
            return true;
        }
        break;
    }
    default:
        break;
    }
    return QDialog::eventFilter(watched, event);
}

} // namespace korvatel
