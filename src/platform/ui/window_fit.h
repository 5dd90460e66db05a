#pragma once

#include <QSize>

class QScrollArea;
class QWidget;

namespace korvatel
{

// The room a window has on the screen it opens on: the screen's available geometry (without
// the task bar) less the title bar and frame the window manager adds, which a window cannot
// measure before it is shown.
QSize ScreenRoom(const QWidget &window);

// Gives a window its first size: wanted (its size hint when not given), no larger than the
// room on its screen and no smaller than its layout allows. With it, every window opens whole
// on a 1024 × 600 netbook, where the tall part of a window scrolls (ScrollBody).
void FitToScreen(QWidget &window, QSize wanted = {});

// A scroll area holding body, the part of a window that may be taller than a small screen: it
// asks for the whole of body, so a large screen shows it without scrolling, and scrolls it up
// and down when the window is smaller. The window's buttons stay outside it.
QScrollArea *ScrollBody(QWidget *body, QWidget *parent);

} // namespace korvatel
