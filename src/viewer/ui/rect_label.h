#pragma once

#include "viewer/trim_frame.h"

#include <QLabel>
#include <QObject>

namespace korvatel
{

class TRectLabel;

// One edge bar of the trimming frame: a plain coloured strip on the picture control that the
// user drags to move its edge.
class TQLabel : public QLabel
{
    Q_OBJECT

public:
    TQLabel(TRectLabel &frame, TFrameEdge edge, QWidget *parent);
    TFrameEdge Edge() const { return FEdge; }

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void enterEvent(QEnterEvent *event) override;
    void leaveEvent(QEvent *event) override;

private:
    TRectLabel &FFrame;
    TFrameEdge FEdge;
};

// The viewer's trimming frame: the geometry of TTrimFrame shown by four edge bars on the
// picture control. The picture control forwards its mouse gestures here.
class TRectLabel : public QObject
{
    Q_OBJECT

public:
    // The hints of the edge bars: near an end, and in the middle part.
    static QString EndHint()
    {
        return QStringLiteral(
            "|標準サイズの比率で範囲を指定します。[+Ctrl]で自由なサイズが可能です。");
    }
    static QString MiddleHint() { return QStringLiteral("|中心点を芯にしてサイズを変更します。"); }
    static constexpr int kNormalColor = 0xFFFFFF; // white
    static constexpr int kHighlightColor = 65535; // yellow

    // picture is the viewer's picture control; the bars become its children.
    explicit TRectLabel(QWidget *picture);

    TTrimFrame &Frame() { return FFrame; }
    const TTrimFrame &Frame() const { return FFrame; }
    bool Visible() const { return FFrame.Visible(); }
    TQLabel *Bar(TFrameEdge edge) const;
    int AnchorWide() const { return FAnchorWide; }
    void SetAnchorWide(int pixels);
    // 0 none, 1 the end hint, 2 the middle hint.
    int HintKind() const { return FHintKind; }
    // The edge colour as a Windows colour value.
    int Color() const { return FColor; }

    // Gestures on the picture control, in its pixels.
    void PressPicture(QPoint p);
    void PressBar(TFrameEdge edge, QPoint p);
    void Track(QPoint p, Qt::KeyboardModifiers modifiers);
    void Release(QPoint p);
    bool Tracking() const { return FFrame.Tracking(); }

    // The displayed picture changed size or turned.
    void Rescale(QSize displayed);
    void Rotate(RotationType rotation, QSize displayed);
    void Clear();
    // Places the edge bars around the rectangle (hidden without a frame).
    void PlaceBars();

    // Hover over a bar: highlight and hint kind.
    void HoverBar(TQLabel *bar, QPoint local);
    void LeaveBar();

Q_SIGNALS:
    // A frame came or went, or changed.
    void changed(bool exists);
    void hintChanged(const QString &hint);

private:
    void SetColor(int color);

    QWidget *FPicture;
    TTrimFrame FFrame;
    TQLabel *FBars[4] = {};
    int FAnchorWide = 7;
    int FHintKind = 0;
    int FColor = kNormalColor;
};

} // namespace korvatel
