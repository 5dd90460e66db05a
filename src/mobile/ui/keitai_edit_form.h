#pragma once

#include "mobile/keitai_trim.h"

#include <QDialog>
#include <QImage>
#include <QList>
#include <functional>

class QLabel;
class QLayout;
class QPushButton;
class QTimer;

namespace korvatel
{

class TThumbNail;

// "携帯画像トリミング": one page per phone picture. A frame of the phone's aspect ratio lies
// over the picture, which the customer moves, zooms and turns under it; after every change the
// part under the frame is stored in the picture's record (KeitaiTriming, KeitaiRotat). "完了"
// is offered on the last page only.
class TKeitaiEditForm : public QDialog
{
    Q_OBJECT

public:
    // The panel in which the picture and the frame lie.
    static constexpr int kPanelWidth = 420;
    static constexpr int kPanelHeight = 300;

    TKeitaiEditForm(const QList<TThumbNail *> &pictures, int w, int h, QWidget *parent = nullptr);

    // A new phone size: a new frame, back to the first page.
    void SetPhoneSize(int w, int h);
    void ShowPage(int page);
    int Page() const { return FPage; }
    int PageCount() const { return int(FPictures.size()); }
    QRect FrameRect() const { return FFrame; }
    QRect PictureRect() const;
    // The picture as shown (turned), in its own pixels.
    QSize PictureSize() const { return FImage.size(); }

    // The gestures, as the buttons and the mouse give them.
    void MoveStep(int tag, const QPoint &step);
    void Fit(TKeitaiFit fit);
    bool ZoomStep(int tag, bool repeat);
    void Turn(int quarterTurns);
    void DragBy(const QPoint &delta);
    void CentreOn(const QPoint &point);
    void Record();

    QPushButton *btnPrev() const { return FPrev; }
    QPushButton *btnNext() const { return FNext; }
    QPushButton *btnDone() const { return FDone; }
    QPushButton *btnBack() const { return FBack; }
    QPushButton *btnMove(int tag) const;
    QPushButton *btnZoom(int tag) const { return FZoom.at(tag); }
    QPushButton *btnFit(TKeitaiFit fit) const { return FFits.at(fit); }
    QPushButton *btnRight() const { return FTurnRight; }
    QPushButton *btnLeft() const { return FTurnLeft; }
    QLabel *lblPage() const { return FPageLabel; }
    QLabel *lblFile() const { return FFileLabel; }
    QWidget *pnlPicture() const { return FPanel; }
    QLabel *imgPicture() const { return FPicture; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // The controls, each group in its own layout: the picture with the paging buttons on the
    // left, the buttons that move, fit, zoom and turn it and the closing buttons on the right.
    QLayout *BuildPictureSide();
    QLayout *BuildMoveButtons();
    QLayout *BuildFitButtons();
    QLayout *BuildZoomButtons();
    QLayout *BuildTurnButtons();
    QLayout *BuildClosingButtons();
    void ConnectPaging();
    void LoadPicture();
    void Place(const QRect &control);
    void UpdatePaging();
    void StartRepeat(int firstDelay, const std::function<bool(int)> &step,
        const std::function<int(int)> &nextDelay);
    void StopRepeat();
    void StepPage(int delta);

    QList<TThumbNail *> FPictures;
    int FW = 0;
    int FH = 0;
    int FPage = 0;
    QString FShownFile;
    int FShownTurns = -1;
    QImage FImage; // the turned picture, reduced for the screen
    QRect FFrame;
    QWidget *FPanel;
    QLabel *FPicture;
    QLabel *FFrameLabel;
    QLabel *FPageLabel;
    QLabel *FFileLabel;
    QPushButton *FPrev, *FNext, *FDone, *FBack, *FTurnRight, *FTurnLeft;
    QList<QPushButton *> FMoves; // by tag
    QList<QPushButton *> FZoom;
    QList<QPushButton *> FFits;
    QTimer *FRepeat;
    std::function<bool(int)> FRepeatStep;
    std::function<int(int)> FNextDelay;
    int FRepeats = 0;
    // The drag: the button held and where the mouse was.
    Qt::MouseButton FDragButton = Qt::NoButton;
    QPoint FDragStart;
    QRect FDragControl;
};

} // namespace korvatel
