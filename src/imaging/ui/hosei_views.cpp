#include "imaging/ui/hosei_views.h"

#include <QMouseEvent>
#include <QPainter>
#include <algorithm>

namespace korvatel
{

THoseiPreview::THoseiPreview(QWidget *parent)
    : QWidget(parent)
{
    setMouseTracking(true);
    setMinimumSize(200, 150);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
}

void THoseiPreview::SetImage(QImage image)
{
    FImage = std::move(image);
    FMessage.clear();
    update();
}

void THoseiPreview::SetArea(const TCorrectionArea &area, bool shown)
{
    FArea = area;
    FAreaShown = shown;
    update();
}

void THoseiPreview::SetMessage(const QString &text)
{
    FMessage = text;
    update();
}

QRect THoseiPreview::ShownRect() const
{
    if (FImage.isNull())
        return {};
    const QSize size = FImage.size().scaled(this->size(), Qt::KeepAspectRatio);
    // Never enlarged: a small picture stands at its size in the middle.
    const QSize shown
        = FImage.width() <= width() && FImage.height() <= height() ? FImage.size() : size;
    return QRect(QPoint((width() - shown.width()) / 2, (height() - shown.height()) / 2), shown);
}

QPointF THoseiPreview::Fraction(QPoint pos) const
{
    const QRect r = ShownRect();
    if (r.isEmpty())
        return {};
    return { std::clamp(double(pos.x() - r.left()) / r.width(), 0.0, 1.0),
        std::clamp(double(pos.y() - r.top()) / r.height(), 0.0, 1.0) };
}

QPoint THoseiPreview::PicturePoint(QPoint pos) const
{
    const QRect r = ShownRect();
    if (!r.contains(pos))
        return { -1, -1 };
    const int x = int(qint64(pos.x() - r.left()) * FImage.width() / r.width());
    const int y = int(qint64(pos.y() - r.top()) * FImage.height() / r.height());
    return { std::min(x, FImage.width() - 1), std::min(y, FImage.height() - 1) };
}

void THoseiPreview::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.fillRect(rect(), QColor(0x40, 0x40, 0x40));
    if (!FMessage.isEmpty() || FImage.isNull()) {
        painter.setPen(Qt::white);
        painter.drawText(rect(), Qt::AlignCenter | Qt::TextWordWrap, FMessage);
        return;
    }
    const QRect r = ShownRect();
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(r, FImage);
    if (FAreaShown) {
        const QRectF area(r.left() + FArea.left * r.width(), r.top() + FArea.top * r.height(),
            (FArea.right - FArea.left) * r.width(), (FArea.bottom - FArea.top) * r.height());
        painter.setPen(QPen(Qt::yellow, 1, Qt::DashLine));
        painter.drawRect(area);
    }
}

void THoseiPreview::mouseMoveEvent(QMouseEvent *event)
{
    const QPoint pos = event->position().toPoint();
    if (FMarking) {
        const QPointF now = Fraction(pos);
        FArea = { std::min(FMarkStart.x(), now.x()), std::min(FMarkStart.y(), now.y()),
            std::max(FMarkStart.x(), now.x()), std::max(FMarkStart.y(), now.y()) };
        update();
    }
    Q_EMIT hovered(PicturePoint(pos));
}

void THoseiPreview::mousePressEvent(QMouseEvent *event)
{
    if (FAreaShown && event->button() == Qt::LeftButton && !FImage.isNull()) {
        FMarking = true;
        FMarkStart = Fraction(event->position().toPoint());
    }
}

void THoseiPreview::mouseReleaseEvent(QMouseEvent *event)
{
    if (!FMarking || event->button() != Qt::LeftButton)
        return;
    FMarking = false;
    // A click without a drag gives the whole picture back.
    if (FArea.right - FArea.left < 0.01 || FArea.bottom - FArea.top < 0.01)
        FArea = {};
    update();
    Q_EMIT areaMarked(FArea);
}

void THoseiPreview::leaveEvent(QEvent *)
{
    Q_EMIT hovered({ -1, -1 });
}

THoseiCurve::THoseiCurve(
    THoseiValues &values, std::function<TContrastPoints()> points, QWidget *parent)
    : QWidget(parent)
    , FValues(values)
    , FPoints(std::move(points))
{
    setMouseTracking(true);
    setFixedSize(sizeHint());
}

void THoseiCurve::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.fillRect(rect(), Qt::white);
    painter.setPen(QColor(0xC0, 0xC0, 0xC0));
    painter.drawRect(CurveImagePos({ 0, 255 }).x(), CurveImagePos({ 0, 255 }).y(), 128, 128);
    painter.drawLine(CurveImagePos({ 0, 0 }), CurveImagePos({ 255, 255 }));
    const TContrastPoints points = FPoints();
    painter.setPen(QPen(Qt::black, 1));
    QPoint previous;
    for (int l = 0; l <= 255; ++l) {
        const QPoint p = CurveImagePos({ l, std::clamp(l + ToneCurveChange(l, points), 0, 255) });
        if (l > 0)
            painter.drawLine(previous, p);
        previous = p;
    }
    if (!FValues.manual)
        return;
    const auto handle = [&painter](QPoint at, const QColor &colour, bool wide) {
        const int r = wide ? 5 : 3;
        painter.setPen(Qt::black);
        painter.setBrush(colour);
        painter.drawRect(QRect(at - QPoint(r, r), QSize(2 * r + 1, 2 * r + 1)));
    };
    handle(CurveImagePos(points.low), QColor(0x00, 0x00, 0x80), false);
    handle(CurveImagePos(points.high), QColor(0x00, 0x00, 0xFF), false);
    handle(CurveImagePos((points.low + points.high) / 2), QColor(0x00, 0xFF, 0x00), FNearMiddle);
}

void THoseiCurve::mousePressEvent(QMouseEvent *event)
{
    if (!FValues.manual || FHeld != hhNone)
        return;
    const QPoint p = CurvePointAt(event->position().toPoint());
    FHeld = HandleAt(FPoints(), p);
    FButton = event->button();
    FLast = p;
}

void THoseiCurve::mouseMoveEvent(QMouseEvent *event)
{
    const QPoint p = CurvePointAt(event->position().toPoint());
    if (FHeld == hhNone) {
        const bool near = FValues.manual && NearMiddleHandle(FPoints(), p);
        if (near != FNearMiddle) {
            FNearMiddle = near;
            update();
        }
        return;
    }
    DragHandle(FValues, FHeld, p, FLast);
    update();
    if (FButton == Qt::RightButton)
        Q_EMIT moved();
}

void THoseiCurve::mouseReleaseEvent(QMouseEvent *event)
{
    if (FHeld == hhNone || event->button() != FButton)
        return;
    FHeld = hhNone;
    Q_EMIT released();
}

THoseiLoupe::THoseiLoupe(QWidget *parent)
    : QWidget(parent)
{
    setFixedSize(sizeHint());
}

void THoseiLoupe::Show(const QImage &image, QPoint centre, int magnification)
{
    if (image.isNull() || centre.x() < 0) {
        FPart = {};
    } else {
        const int side = std::max(1, width() / std::max(magnification, 1));
        FPart = image.copy(centre.x() - side / 2, centre.y() - side / 2, side, side);
    }
    update();
}

void THoseiLoupe::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.fillRect(rect(), QColor(0x80, 0x80, 0x80));
    if (!FPart.isNull())
        painter.drawImage(rect(), FPart); // enlarged pixel by pixel, without smoothing
    painter.setPen(Qt::red);
    painter.drawLine(width() / 2 - 4, height() / 2, width() / 2 + 4, height() / 2);
    painter.drawLine(width() / 2, height() / 2 - 4, width() / 2, height() / 2 + 4);
}

} // namespace korvatel
