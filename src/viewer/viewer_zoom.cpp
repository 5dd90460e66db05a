#include "viewer/viewer_zoom.h"

#include <algorithm>
#include <cmath>

namespace korvatel
{

TZoomLayout ViewerZoom(QSize view, QSize picture, bool autoZoom, int position, int maxZoom)
{
    TZoomLayout layout;
    maxZoom = std::max(maxZoom, 1);
    if (picture.width() <= 0 || picture.height() <= 0) {
        layout.barMax = maxZoom;
        layout.barPosition = std::clamp(position, 0, maxZoom);
        layout.centred = autoZoom;
        return layout;
    }
    if (autoZoom) {
        const double sx = double(std::max(view.width(), 1)) / picture.width();
        const double sy = double(std::max(view.height(), 1)) / picture.height();
        const double s = std::min(sx, sy);
        if (sx <= sy)
            layout.displayed = QSize(view.width(), int(std::trunc(picture.height() * s)));
        else
            layout.displayed = QSize(int(std::trunc(picture.width() * s)), view.height());
        layout.displayed = layout.displayed.expandedTo(QSize(1, 1));
        layout.barPosition = int(std::trunc(100 * s + 0.5));
        layout.barMax = std::max(maxZoom, layout.barPosition);
        layout.centred = true;
        return layout;
    }
    layout.barMax = maxZoom;
    layout.barPosition = std::clamp(position, 0, maxZoom);
    const qint64 w = qint64(picture.width()) * layout.barPosition / 100;
    const qint64 h = qint64(picture.height()) * layout.barPosition / 100;
    layout.displayed = QSize(int(std::max<qint64>(w, 1)), int(std::max<qint64>(h, 1)));
    return layout;
}

int DragZoom(int startZoom, int dx, int maxZoom)
{
    return std::clamp(startZoom + dx / 3, 0, std::max(maxZoom, 0));
}

} // namespace korvatel
