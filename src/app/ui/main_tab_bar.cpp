#include "app/ui/main_tab_bar.h"

#include <QMouseEvent>
#include <QPainter>

namespace korvatel
{

TMainTabBar::TMainTabBar(QWidget *parent)
    : QTabBar(parent)
{
    setObjectName(QStringLiteral("tbMain"));
    setDrawBase(false);
    setExpanding(false);
    setShape(QTabBar::RoundedSouth);
    setFocusPolicy(Qt::TabFocus);
}

void TMainTabBar::SetBackground(const QColor &colour)
{
    FBackground = colour;
    update();
}

void TMainTabBar::SetStartMargin(int pixels)
{
    FMargin = std::max(pixels, 0);
    updateGeometry();
    update();
}

QSize TMainTabBar::tabSizeHint(int index) const
{
    const QFontMetrics metrics(font());
    return QSize(metrics.horizontalAdvance(tabText(index)) + 28, metrics.height() + 10);
}

QRect TMainTabBar::CellRect(int index) const
{
    int x = FMargin;
    for (int i = 0; i < index; ++i)
        x += tabSizeHint(i).width() + 2;
    return QRect(QPoint(x, 0), QSize(tabSizeHint(index).width(), height()));
}

QSize TMainTabBar::sizeHint() const
{
    int width = FMargin;
    for (int i = 0; i < count(); ++i)
        width += tabSizeHint(i).width() + 2;
    return QSize(width, count() ? tabSizeHint(0).height() : QFontMetrics(font()).height() + 10);
}

QSize TMainTabBar::minimumSizeHint() const
{
    return QSize(0, sizeHint().height());
}

void TMainTabBar::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton)
        return;
    for (int i = 0; i < count(); ++i) {
        if (CellRect(i).contains(event->position().toPoint()) && isTabEnabled(i)) {
            setCurrentIndex(i);
            return;
        }
    }
}

void TMainTabBar::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.fillRect(rect(), FBackground);
    // A light text on a dark area colour, a dark one on a light colour.
    const bool darkArea = FBackground.lightness() < 128;
    for (int i = 0; i < count(); ++i) {
        const QRect cell = CellRect(i).adjusted(0, 0, 0, -3);
        const bool current = i == currentIndex();
        if (current) {
            painter.fillRect(cell, darkArea ? QColor(0xF0, 0xF0, 0xF0) : QColor(0x20, 0x20, 0x20));
            painter.setPen(darkArea ? Qt::black : Qt::white);
        } else {
            painter.fillRect(cell, QColor(0x50, 0x50, 0x50));
            painter.setPen(isTabEnabled(i) ? QColor(0xE0, 0xE0, 0xE0) : QColor(0x90, 0x90, 0x90));
        }
        painter.drawText(cell, Qt::AlignCenter, tabText(i));
        if (current && hasFocus()) {
            painter.setPen(QPen(darkArea ? Qt::black : Qt::white, 1, Qt::DotLine));
            painter.drawRect(cell.adjusted(3, 3, -4, -4));
        }
    }
}

} // namespace korvatel
