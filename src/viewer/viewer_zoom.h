#pragma once

#include <QSize>

namespace korvatel
{

// How the viewer shows a picture: the displayed size, the zoom bar's range and position, and
// whether the picture is centred (auto zoom) or shown from the top-left corner with scrolling.
struct TZoomLayout {
    QSize displayed;
    int barMax = 0;
    int barPosition = 0;
    bool centred = false;
};

// The zoom rule. With auto zoom the picture is scaled by s, the smaller of view width / picture
// width and view height / picture height (the other side follows by truncation); the bar's
// position is trunc(100 s + 0.5) and its maximum maxZoom or that position when it is larger.
// Without auto zoom the position is cut to maxZoom and the picture is shown at position %
// (width × position div 100, height likewise).
TZoomLayout ViewerZoom(QSize view, QSize picture, bool autoZoom, int position, int maxZoom);

// Drag-zooming: the start zoom plus a third of the horizontal movement, kept within 0 and
// maxZoom.
int DragZoom(int startZoom, int dx, int maxZoom);

// The "Max" popup: 100 to 1000 in steps of 100.
inline constexpr int kMaxZoomChoices[] = { 100, 200, 300, 400, 500, 600, 700, 800, 900, 1000 };

} // namespace korvatel
