#include "platform/ui/window_fit.h"

#include <QGuiApplication>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QWidget>
#include <algorithm>

namespace korvatel
{

namespace
{

// What the window manager adds around a window: a title bar and thin borders.
constexpr QSize kFrameAllowance(16, 40);

// The lowest height a scrolled body shrinks to: a few rows stay in view.
constexpr int kMinBodyHeight = 120;

// A scroll area that asks for the whole of its widget and scrolls only up and down: its width
// never falls below what the widget needs.
class TBodyScroll : public QScrollArea
{
public:
    explicit TBodyScroll(QWidget *parent)
        : QScrollArea(parent)
    {
    }

    QSize sizeHint() const override
    {
        return (widget() ? widget()->sizeHint() : QSize(0, 0)) + Chrome();
    }

    QSize minimumSizeHint() const override
    {
        const QSize body = widget() ? widget()->minimumSizeHint() : QSize(0, 0);
        return QSize(body.width(), std::min(body.height(), kMinBodyHeight)) + Chrome();
    }

private:
    // The frame and room for the vertical scroll bar, which appears only when needed.
    QSize Chrome() const
    {
        const int frame = 2 * frameWidth();
        return { frame + verticalScrollBar()->sizeHint().width(), frame };
    }
};

} // namespace

QSize ScreenRoom(const QWidget &window)
{
    const QScreen *screen = window.screen();
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    if (!screen)
        return { QWIDGETSIZE_MAX, QWIDGETSIZE_MAX };
    return screen->availableGeometry().size() - kFrameAllowance;
}

void FitToScreen(QWidget &window, QSize wanted)
{
    if (!wanted.isValid())
        wanted = window.sizeHint();
    window.resize(wanted.boundedTo(ScreenRoom(window)).expandedTo(window.minimumSizeHint()));
}

QScrollArea *ScrollBody(QWidget *body, QWidget *parent)
{
    auto *area = new TBodyScroll(parent);
    area->setObjectName(QStringLiteral("sbBody"));
    area->setFrameShape(QFrame::NoFrame);
    area->setWidgetResizable(true);
    area->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    area->setWidget(body);
    return area;
}

} // namespace korvatel
