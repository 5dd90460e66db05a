#pragma once

#include "imaging/correction_window.h"

#include <QImage>
#include <QWidget>
#include <functional>

namespace korvatel
{

// The corrected picture of the correction window, fitted into the widget. Reports the picture
// pixel under the mouse; with the area switch on a left drag marks the area (as fractions of
// the picture), drawn as a dashed frame.
class THoseiPreview : public QWidget
{
    Q_OBJECT

public:
    explicit THoseiPreview(QWidget *parent = nullptr);

    void SetImage(QImage image);
    const QImage &Image() const { return FImage; }
    void SetArea(const TCorrectionArea &area, bool shown);
    void SetMessage(const QString &text);

    // The picture point under a widget position, or (−1, −1) outside the picture.
    QPoint PicturePoint(QPoint pos) const;

    QSize sizeHint() const override { return { 640, 480 }; }

Q_SIGNALS:
    void hovered(QPoint picturePoint);
    void areaMarked(const korvatel::TCorrectionArea &area);

protected:
    void paintEvent(QPaintEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void leaveEvent(QEvent *event) override;

private:
    QRect ShownRect() const;
    QPointF Fraction(QPoint pos) const;

    QImage FImage;
    QString FMessage;
    TCorrectionArea FArea;
    bool FAreaShown = false;
    bool FMarking = false;
    QPointF FMarkStart;
};

// The contrast image: the tone curve at half size with its three handles. In manual mode the
// handles are dragged: the right button reports every move (the preview follows), the left
// button only redraws the curve until it is released.
class THoseiCurve : public QWidget
{
    Q_OBJECT

public:
    explicit THoseiCurve(
        THoseiValues &values, std::function<TContrastPoints()> points, QWidget *parent = nullptr);

    QSize sizeHint() const override { return { 134, 134 }; }
    QSize minimumSizeHint() const override { return sizeHint(); }

Q_SIGNALS:
    void moved(); // the points changed and the preview should follow
    void released(); // a left-button drag ended

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    THoseiValues &FValues;
    std::function<TContrastPoints()> FPoints;
    THoseiHandle FHeld = hhNone;
    Qt::MouseButton FButton = Qt::NoButton;
    QPoint FLast;
    bool FNearMiddle = false;
};

// The loupe: the picture around the last hovered point, magnified.
class THoseiLoupe : public QWidget
{
    Q_OBJECT

public:
    explicit THoseiLoupe(QWidget *parent = nullptr);
    void Show(const QImage &image, QPoint centre, int magnification);
    QSize sizeHint() const override { return { 128, 128 }; }
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QImage FPart;
};

} // namespace korvatel
