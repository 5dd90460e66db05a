#pragma once

#include "order/order_copy.h"

#include <QDialog>
#include <QPointer>
#include <QTimer>
#include <functional>
#include <optional>

class QLabel;
class QPushButton;

namespace korvatel
{

class TPrompter;
class TThumbNails;

// The copy window "注文指定のコピー" of the copy kinds 16 and 17: a small frameless window laid
// at the order cell, with the row "右へ最後まで" (bit 1 of the kind) and the range stepper
// "－" / "＋" (bit 16), each row with its "コピー実行" button, and a cancel button. It only
// chooses the items to copy to; ShowCopyWindow copies once it has closed.
class TOrderCopyForm : public QDialog
{
    Q_OBJECT

public:
    // sourceIndex and count are the source item's index and the number of items in the list.
    // playSound plays a sound resource by name; the caller decides whether the shutter sound
    // is switched off. The shadow lies on mainWindow (none without one).
    TOrderCopyForm(TCopyKind kind, int sourceIndex, int count,
        std::function<void(const QString &)> playSound, QWidget *mainWindow = nullptr);
    ~TOrderCopyForm() override;

    // The margins above and below the rows, a row's height and the gap between rows.
    static constexpr int kMargin = 15;
    static constexpr int kRowHeight = 26;
    static constexpr int kRowGap = 10;
    static constexpr int kFormWidth = 300;
    static constexpr int kShadowOffset = 5;
    // The window's height with that many rows shown.
    static int FormHeight(int rows);
    // The top-left that puts a window of that size at the cell's top-left, moved back inside
    // the screen area when it would stick out (the left and top edges win on a tiny screen).
    static QPoint PlaceInside(const QRect &cell, const QSize &size, const QRect &screen);
    // Moves the window to the cell (in screen coordinates), inside the screen that holds the
    // cell's top-left corner (the primary screen when none does).
    void PlaceAt(const QRect &cellOnScreen);

    // The items chosen by a "コピー実行" button; nothing when the window was cancelled.
    std::optional<TCopyRange> Chosen() const { return FChosen; }
    const TCopyStepper &Stepper() const { return FStepper; }
    int Rows() const { return FRows; }

    // The auto-repeat of "－" and "＋": a single-shot timer started on press with the
    // stepper's interval, stopped on release. RepeatTick is what its timeout does, so a test
    // can drive the repeats without waiting.
    QTimer *RepeatTimer() { return &FRepeat; }
    void RepeatTick();

    QPushButton *sbMinus() const { return FMinus; }
    QPushButton *sbPlus() const { return FPlus; }
    QPushButton *sbToEndCopy() const { return FToEndCopy; }
    QPushButton *sbRangeCopy() const { return FRangeCopy; }
    QPushButton *sbCancel() const { return FCancel; }
    QLabel *lbToEnd() const { return FToEndLabel; }
    QLabel *lbRange() const { return FRangeLabel; }
    // The black panel behind the window on the main window, while the window is shown.
    QWidget *pnShadow() const { return FShadow; }

protected:
    void paintEvent(QPaintEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;
    void moveEvent(QMoveEvent *event) override;

private:
    void ShowRows();
    void StepPressed(int delta);
    void StepReleased();
    void ShowRange();
    void Choose(const TCopyRange &range);
    void PlaceShadow();

    TCopyKind FKind;
    int FSourceIndex;
    int FCount;
    TCopyStepper FStepper;
    std::function<void(const QString &)> FPlaySound;
    std::optional<TCopyRange> FChosen;
    int FRows = 0;
    QTimer FRepeat;
    QPointer<QWidget> FMainWindow;
    QPointer<QWidget> FShadow;

    QLabel *FToEndLabel = nullptr;
    QPushButton *FToEndCopy = nullptr;
    QPushButton *FMinus = nullptr;
    QLabel *FRangeLabel = nullptr;
    QPushButton *FPlus = nullptr;
    QPushButton *FRangeCopy = nullptr;
    QPushButton *FCancel = nullptr;
};

// The copy button of kinds 16 and 17 (and the detail windows of any kind): opens the copy
// window modally at the cell, and when a "コピー実行" closed it, copies the source item's
// settings to the chosen items with CopyOrderSettings (which may ask about the date text).
// Returns what CopyOrderSettings returned (0 for an empty choice), or −1 when the window was
// closed without copying or the source index is not in the list.
int ShowCopyWindow(TCopyKind kind, TThumbNails &list, int sourceIndex, const QRect &cellOnScreen,
    TPrompter &prompter, const std::function<void(const QString &)> &playSound,
    QWidget *mainWindow);

} // namespace korvatel
