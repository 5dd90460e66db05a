#include "viewer/ui/rect_label.h"

#include <QMouseEvent>

namespace korvatel
{

namespace
{

TFrameKeys KeysOf(Qt::KeyboardModifiers modifiers)
{
    return { bool(modifiers & Qt::ControlModifier), bool(modifiers & Qt::ShiftModifier),
        bool(modifiers & Qt::AltModifier) };
}

QString ColorStyle(int color)
{
    return QStringLiteral("background-color: #%1%2%3;")
        .arg(color & 0xFF, 2, 16, QLatin1Char('0'))
        .arg((color >> 8) & 0xFF, 2, 16, QLatin1Char('0'))
        .arg((color >> 16) & 0xFF, 2, 16, QLatin1Char('0'));
}

} // namespace

TQLabel::TQLabel(TRectLabel &frame, TFrameEdge edge, QWidget *parent)
    : QLabel(parent)
    , FFrame(frame)
    , FEdge(edge)
{
    static const char *const names[]
        = { "", "lbTrimLeft", "lbTrimRight", "lbTrimTop", "lbTrimBottom" };
    setObjectName(QString::fromLatin1(names[edge]));
    setMouseTracking(true);
    setCursor(edge == feLeft || edge == feRight ? Qt::SizeHorCursor : Qt::SizeVerCursor);
    hide();
}

void TQLabel::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton && !(event->buttons() & Qt::RightButton))
        FFrame.PressBar(FEdge, mapToParent(event->position().toPoint()));
}

void TQLabel::mouseMoveEvent(QMouseEvent *event)
{
    if (FFrame.Tracking())
        FFrame.Track(mapToParent(event->position().toPoint()), event->modifiers());
    else
        FFrame.HoverBar(this, event->position().toPoint());
}

void TQLabel::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton && FFrame.Tracking())
        FFrame.Release(mapToParent(event->position().toPoint()));
}

void TQLabel::enterEvent(QEnterEvent *event)
{
    FFrame.HoverBar(this, event->position().toPoint());
}

void TQLabel::leaveEvent(QEvent *)
{
    FFrame.LeaveBar();
}

TRectLabel::TRectLabel(QWidget *picture)
    : QObject(picture)
    , FPicture(picture)
{
    for (TFrameEdge edge : { feLeft, feRight, feTop, feBottom })
        FBars[edge - 1] = new TQLabel(*this, edge, picture);
    SetColor(kNormalColor);
}

TQLabel *TRectLabel::Bar(TFrameEdge edge) const
{
    return edge == feNone ? nullptr : FBars[edge - 1];
}

void TRectLabel::SetAnchorWide(int pixels)
{
    FAnchorWide = std::max(pixels, 1);
    PlaceBars();
}

void TRectLabel::SetColor(int color)
{
    if (color == FColor && !FBars[0]->styleSheet().isEmpty())
        return;
    FColor = color;
    for (TQLabel *bar : FBars)
        bar->setStyleSheet(ColorStyle(color));
}

void TRectLabel::PressPicture(QPoint p)
{
    // Inside the frame, one pixel in from its border, the frame moves; elsewhere a new one starts.
    if (FFrame.Contains(p, 1))
        FFrame.BeginMove(p);
    else {
        FFrame.BeginDraw(p);
        PlaceBars();
    }
}

void TRectLabel::PressBar(TFrameEdge edge, QPoint p)
{
    FFrame.BeginEdge(edge, p);
}

void TRectLabel::Track(QPoint p, Qt::KeyboardModifiers modifiers)
{
    if (!FFrame.Tracking())
        return;
    FFrame.Track(p, KeysOf(modifiers));
    PlaceBars();
}

void TRectLabel::Release(QPoint p)
{
    if (!FFrame.Tracking())
        return;
    const bool exists = FFrame.End(p);
    PlaceBars();
    Q_EMIT changed(exists);
}

void TRectLabel::Rescale(QSize displayed)
{
    FFrame.Rescale(displayed);
    PlaceBars();
}

void TRectLabel::Rotate(RotationType rotation, QSize displayed)
{
    FFrame.Rotate(rotation, displayed);
    PlaceBars();
}

void TRectLabel::Clear()
{
    const bool had = FFrame.Visible();
    FFrame.Clear();
    PlaceBars();
    if (had)
        Q_EMIT changed(false);
}

void TRectLabel::PlaceBars()
{
    const bool shown = FFrame.Visible();
    const int a = FAnchorWide;
    const int half = a / 2;
    const int l = FFrame.Left(), t = FFrame.Top(), r = FFrame.Right(), b = FFrame.Bottom();
    const QRect places[4] = {
        QRect(l - half, t - half, a, b - t + a), // left
        QRect(r - half, t - half, a, b - t + a), // right
        QRect(l - half, t - half, r - l + a, a), // top
        QRect(l - half, b - half, r - l + a, a), // bottom
    };
    for (int i = 0; i < 4; ++i) {
        FBars[i]->setGeometry(places[i]);
        FBars[i]->setVisible(shown);
        if (shown)
            FBars[i]->raise();
    }
}

void TRectLabel::HoverBar(TQLabel *bar, QPoint local)
{
    const bool vertical = bar->Edge() == feLeft || bar->Edge() == feRight;
    const int along = vertical ? local.y() : local.x();
    const int length = vertical ? bar->height() : bar->width();
    const int kind = (along > FAnchorWide && along < length - FAnchorWide) ? 2 : 1;
    SetColor(kHighlightColor);
    if (kind != FHintKind) {
        FHintKind = kind;
        const QString hint = kind == 2 ? MiddleHint() : EndHint();
        for (TQLabel *b : FBars)
            b->setStatusTip(hint.section(u'|', 1));
        Q_EMIT hintChanged(hint.section(u'|', 1));
    }
}

void TRectLabel::LeaveBar()
{
    SetColor(kNormalColor);
    if (FHintKind != 0) {
        FHintKind = 0;
        Q_EMIT hintChanged(QString());
    }
}

} // namespace korvatel
