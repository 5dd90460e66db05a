#include "order/ui/order_copy_form.h"

#include "order/thumb_nails.h"
#include "platform/prompter.h"

#include <QGuiApplication>
#include <QLabel>
#include <QLinearGradient>
#include <QPainter>
#include <QPushButton>
#include <QScreen>

namespace korvatel
{

namespace
{

// The columns of a row: the stepper's "－", range label and "＋" (or the label "右へ最後まで"
// over the same width), then the row's "コピー実行".
constexpr int kStepWidth = 26;
constexpr int kRangeLeft = TOrderCopyForm::kMargin + kStepWidth + 4;
constexpr int kRangeWidth = 100;
constexpr int kPlusLeft = kRangeLeft + kRangeWidth + 4;
constexpr int kCopyLeft = kPlusLeft + kStepWidth + 14;
constexpr int kCopyWidth = TOrderCopyForm::kFormWidth - TOrderCopyForm::kMargin - kCopyLeft;
constexpr int kCancelSide = 14;

QLabel *PanelLabel(QWidget *parent, const char *name)
{
    auto *label = new QLabel(parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setAlignment(Qt::AlignCenter);
    label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    label->setAutoFillBackground(true);
    QPalette palette = label->palette();
    palette.setColor(QPalette::Window, Qt::white);
    palette.setColor(QPalette::WindowText, Qt::black);
    label->setPalette(palette);
    return label;
}

QPushButton *FormButton(QWidget *parent, const char *name, const QString &caption)
{
    auto *button = new QPushButton(caption, parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setFocusPolicy(Qt::StrongFocus);
    return button;
}

} // namespace

TOrderCopyForm::TOrderCopyForm(TCopyKind kind, int sourceIndex, int count,
    std::function<void(const QString &)> playSound, QWidget *mainWindow)
    : QDialog(mainWindow, Qt::Dialog | Qt::FramelessWindowHint)
    , FKind(kind)
    , FSourceIndex(sourceIndex)
    , FCount(count)
    , FStepper(sourceIndex, count)
    , FPlaySound(std::move(playSound))
    , FMainWindow(mainWindow)
{
    setObjectName(QStringLiteral("OrderCopyForm"));
    setWindowTitle(QStringLiteral("注文指定のコピー"));
    setModal(true);

    FToEndLabel = PanelLabel(this, "lbToEnd");
    FToEndLabel->setText(QStringLiteral("右へ最後まで"));
    FToEndCopy = FormButton(this, "sbToEndCopy", QStringLiteral("コピー実行"));
    FMinus = FormButton(this, "sbMinus", QStringLiteral("－"));
    FRangeLabel = PanelLabel(this, "lbRange");
    FPlus = FormButton(this, "sbPlus", QStringLiteral("＋"));
    FRangeCopy = FormButton(this, "sbRangeCopy", QStringLiteral("コピー実行"));
    FCancel = FormButton(this, "sbCancel", QStringLiteral("×"));
    FCancel->setToolTip(QStringLiteral("キャンセル"));
    FCancel->setFlat(true);
    // Enter on a stepper button steps once; it never picks a copy button behind the focus.
    for (QPushButton *button : { FMinus, FPlus, FCancel })
        button->setAutoDefault(false);

    FRepeat.setSingleShot(true);
    connect(&FRepeat, &QTimer::timeout, this, &TOrderCopyForm::RepeatTick);
    connect(FMinus, &QPushButton::pressed, this, [this] { StepPressed(-1); });
    connect(FPlus, &QPushButton::pressed, this, [this] { StepPressed(1); });
    connect(FMinus, &QPushButton::released, this, &TOrderCopyForm::StepReleased);
    connect(FPlus, &QPushButton::released, this, &TOrderCopyForm::StepReleased);

    // The shutter sounds as the button goes down; the choice is made when it comes up.
    for (QPushButton *copy : { FToEndCopy, FRangeCopy })
        connect(copy, &QPushButton::pressed, this, [this] {
            if (FPlaySound)
                FPlaySound(QStringLiteral("SHT_LWAV"));
        });
    connect(FToEndCopy, &QPushButton::clicked, this,
        [this] { Choose(CopyToEndRange(FSourceIndex, FCount)); });
    connect(FRangeCopy, &QPushButton::clicked, this, [this] { Choose(FStepper.Targets()); });
    connect(FCancel, &QPushButton::clicked, this, &QDialog::reject);

    if (FMainWindow) {
        FShadow = new QWidget(FMainWindow);
        FShadow->setObjectName(QStringLiteral("pnShadow"));
        FShadow->setAttribute(Qt::WA_TransparentForMouseEvents);
        FShadow->setAutoFillBackground(true);
        QPalette palette = FShadow->palette();
        palette.setColor(QPalette::Window, Qt::black);
        FShadow->setPalette(palette);
        FShadow->hide();
    }

    ShowRows();
    ShowRange();
}

TOrderCopyForm::~TOrderCopyForm()
{
    delete FShadow.data();
}

int TOrderCopyForm::FormHeight(int rows)
{
    return 2 * kMargin + rows * kRowHeight + std::max(rows - 1, 0) * kRowGap;
}

QPoint TOrderCopyForm::PlaceInside(const QRect &cell, const QSize &size, const QRect &screen)
{
    int x = cell.left();
    int y = cell.top();
    if (x + size.width() > screen.left() + screen.width())
        x = screen.left() + screen.width() - size.width();
    if (y + size.height() > screen.top() + screen.height())
        y = screen.top() + screen.height() - size.height();
    return { std::max(x, screen.left()), std::max(y, screen.top()) };
}

void TOrderCopyForm::PlaceAt(const QRect &cellOnScreen)
{
    const QScreen *screen = QGuiApplication::screenAt(cellOnScreen.topLeft());
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    const QRect area = screen ? screen->availableGeometry() : QRect(cellOnScreen.topLeft(), size());
    move(PlaceInside(cellOnScreen, size(), area));
}

void TOrderCopyForm::ShowRows()
{
    // Every control goes out first; the cancel button and the rows of the kind come back.
    for (QWidget *control : { static_cast<QWidget *>(FToEndLabel),
             static_cast<QWidget *>(FToEndCopy), static_cast<QWidget *>(FMinus),
             static_cast<QWidget *>(FRangeLabel), static_cast<QWidget *>(FPlus),
             static_cast<QWidget *>(FRangeCopy), static_cast<QWidget *>(FCancel) })
        control->hide();
    FCancel->setGeometry(kFormWidth - kCancelSide - 1, 1, kCancelSide, kCancelSide - 1);
    FCancel->show();

    FRows = 0;
    const auto rowTop = [this] { return kMargin + FRows * (kRowHeight + kRowGap); };
    QPushButton *firstCopy = nullptr;
    if (FKind & 1) {
        const int top = rowTop();
        FToEndLabel->setGeometry(kMargin, top, kPlusLeft + kStepWidth - kMargin, kRowHeight);
        FToEndCopy->setGeometry(kCopyLeft, top, kCopyWidth, kRowHeight);
        FToEndLabel->show();
        FToEndCopy->show();
        firstCopy = FToEndCopy;
        ++FRows;
    }
    if (FKind & 16) {
        const int top = rowTop();
        FMinus->setGeometry(kMargin, top, kStepWidth, kRowHeight);
        FRangeLabel->setGeometry(kRangeLeft, top, kRangeWidth, kRowHeight);
        FPlus->setGeometry(kPlusLeft, top, kStepWidth, kRowHeight);
        FRangeCopy->setGeometry(kCopyLeft, top, kCopyWidth, kRowHeight);
        for (QWidget *control :
            { static_cast<QWidget *>(FMinus), static_cast<QWidget *>(FRangeLabel),
                static_cast<QWidget *>(FPlus), static_cast<QWidget *>(FRangeCopy) })
            control->show();
        if (!firstCopy)
            firstCopy = FRangeCopy;
        ++FRows;
    }
    setFixedSize(kFormWidth, FormHeight(FRows));
    // The keyboard starts on the first copy button; Tab walks the buttons, Esc cancels.
    (firstCopy ? firstCopy : FCancel)->setFocus();
}

void TOrderCopyForm::StepPressed(int delta)
{
    FStepper.Press(delta);
    ShowRange();
    FRepeat.start(FStepper.RepeatInterval());
}

void TOrderCopyForm::StepReleased()
{
    FRepeat.stop();
}

void TOrderCopyForm::RepeatTick()
{
    FStepper.Repeat();
    ShowRange();
    FRepeat.start(FStepper.RepeatInterval());
}

void TOrderCopyForm::ShowRange()
{
    FRangeLabel->setText(FStepper.Label());
}

void TOrderCopyForm::Choose(const TCopyRange &range)
{
    FRepeat.stop();
    FChosen = range;
    accept();
}

void TOrderCopyForm::PlaceShadow()
{
    if (!FShadow || !FMainWindow)
        return;
    const QPoint topLeft = FMainWindow->mapFromGlobal(geometry().topLeft());
    FShadow->setGeometry(QRect(topLeft + QPoint(kShadowOffset, kShadowOffset), size()));
}

void TOrderCopyForm::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (FShadow) {
        PlaceShadow();
        FShadow->raise();
        FShadow->show();
    }
}

void TOrderCopyForm::hideEvent(QHideEvent *event)
{
    FRepeat.stop();
    if (FShadow)
        FShadow->hide();
    QDialog::hideEvent(event);
}

void TOrderCopyForm::moveEvent(QMoveEvent *event)
{
    QDialog::moveEvent(event);
    PlaceShadow();
}

void TOrderCopyForm::paintEvent(QPaintEvent *)
{
    // A light gradient with raised edges: light above and left, dark below and right.
    QPainter painter(this);
    const QRect area = rect();
    QLinearGradient shade(area.topLeft(), area.bottomLeft());
    shade.setColorAt(0, QColor(0xF4, 0xF8, 0xFF));
    shade.setColorAt(1, QColor(0xC4, 0xD4, 0xEC));
    painter.fillRect(area, shade);
    painter.setPen(Qt::white);
    painter.drawLine(area.topLeft(), area.topRight());
    painter.drawLine(area.topLeft(), area.bottomLeft());
    painter.setPen(QColor(0x60, 0x70, 0x88));
    painter.drawLine(area.bottomLeft(), area.bottomRight());
    painter.drawLine(area.topRight(), area.bottomRight());
    QFont caption = font();
    caption.setPixelSize(std::min(kMargin - 3, 11));
    painter.setFont(caption);
    painter.setPen(QColor(0x30, 0x40, 0x60));
    painter.drawText(QRect(kMargin, 0, kFormWidth - 2 * kMargin - kCancelSide, kMargin),
        Qt::AlignLeft | Qt::AlignVCenter, windowTitle());
}

int ShowCopyWindow(TCopyKind kind, TThumbNails &list, int sourceIndex, const QRect &cellOnScreen,
    TPrompter &prompter, const std::function<void(const QString &)> &playSound, QWidget *mainWindow)
{
    const TThumbNail *item = list.Item(sourceIndex);
    if (!item)
        return -1;
    // The source's settings are taken as the window opens: nothing changes them while it is
    // shown.
    const TCopySource source = CopySourceOf(*item, list.Context().tables);
    TOrderCopyForm form(kind, sourceIndex, list.Count(), playSound, mainWindow);
    form.PlaceAt(cellOnScreen);
    if (form.exec() != QDialog::Accepted || !form.Chosen())
        return -1;
    const TCopyRange range = *form.Chosen();
    // "右へ最後まで" on the last item has nothing to copy to: no question is asked.
    if (range.Empty())
        return 0;
    return CopyOrderSettings(list, source, range.last, range.first, prompter);
}

} // namespace korvatel
