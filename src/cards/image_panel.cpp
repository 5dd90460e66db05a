#include "cards/image_panel.h"

#include "cards/layer_geometry.h"
#include "text/comma_text.h"

#include <algorithm>
#include <cmath>

namespace korvatel
{

namespace
{

QString Percent(double part, double whole)
{
    return QString::asprintf("%1.4f", whole != 0 ? part / whole * 100 : 0.0);
}

} // namespace

QString ImagePanelText(const TImagePanel &panel, const QRect &sheet)
{
    const QRect &f = panel.frame;
    const QRect &g = panel.inner;
    const QStringList items = {
        QStringLiteral("file=") + panel.fileName,
        QStringLiteral("ex=") + Percent(f.left() - sheet.left(), sheet.width()),
        QStringLiteral("ey=") + Percent(f.top() - sheet.top(), sheet.height()),
        QStringLiteral("ew=") + Percent(f.width(), sheet.width()),
        QStringLiteral("eh=") + Percent(f.height(), sheet.height()),
        QStringLiteral("gx=") + Percent(g.left(), f.width()),
        QStringLiteral("gy=") + Percent(g.top(), f.height()),
        QStringLiteral("gw=") + Percent(g.width(), f.width()),
        QStringLiteral("gh=") + Percent(g.height(), f.height()),
        QStringLiteral("comment=") + ToCommaText(panel.comment),
    };
    return ToCommaText(items);
}

std::optional<TImagePanel> ReadImagePanel(const QString &line, const QRect &sheet)
{
    TImagePanel panel;
    bool hasFile = false;
    double v[8] = {};
    static const char *const keys[8] = { "ex", "ey", "ew", "eh", "gx", "gy", "gw", "gh" };
    for (const QString &item : FromCommaText(line)) {
        const qsizetype eq = item.indexOf(QLatin1Char('='));
        if (eq < 0)
            continue;
        const QString key = item.left(eq), value = item.mid(eq + 1);
        if (key.compare(QLatin1String("file"), Qt::CaseInsensitive) == 0) {
            panel.fileName = value;
            hasFile = true;
        } else if (key.compare(QLatin1String("comment"), Qt::CaseInsensitive) == 0) {
            panel.comment = FromCommaText(value);
        } else {
            for (int i = 0; i < 8; ++i)
                if (key.compare(QLatin1String(keys[i]), Qt::CaseInsensitive) == 0) {
                    bool ok = false;
                    const double d = value.trimmed().toDouble(&ok);
                    // No frame is meant beyond ten times the sheet, nor a picture beyond a
                    // thousand times its frame; such numbers would only overflow.
                    if (!ok || !std::isfinite(d) || std::fabs(d) > (i < 4 ? 1000 : 100000))
                        return std::nullopt;
                    v[i] = d / 100;
                }
        }
    }
    if (!hasFile)
        return std::nullopt;
    auto round = [](double d) { return int(std::lround(d)); };
    panel.frame = QRect(sheet.left() + round(v[0] * sheet.width()),
        sheet.top() + round(v[1] * sheet.height()), round(v[2] * sheet.width()),
        round(v[3] * sheet.height()));
    panel.inner = QRect(round(v[4] * panel.frame.width()), round(v[5] * panel.frame.height()),
        round(v[6] * panel.frame.width()), round(v[7] * panel.frame.height()));
    return panel;
}

int PanelHandleAt(QSize frame, QPoint p)
{
    const int column = p.x() < kPanelBorder ? 0 : (p.x() >= frame.width() - kPanelBorder ? 20 : 10);
    const int row = p.y() < kPanelBorder ? 0 : (p.y() >= frame.height() - kPanelBorder ? 2 : 1);
    return column + row;
}

QRect PanelDrag(const QRect &start, int handle, int dx, int dy)
{
    if (handle == lhMove)
        return start.translated(dx, dy);
    TEdges e = TEdges::Of(start);
    const int column = handle / 10, row = handle % 10;
    if (column == 0)
        e.left = std::min(e.left + dx, e.right - kPanelMinSide);
    else if (column == 2)
        e.right = std::max(e.right + dx, e.left + kPanelMinSide);
    if (row == 0)
        e.top = std::min(e.top + dy, e.bottom - kPanelMinSide);
    else if (row == 2)
        e.bottom = std::max(e.bottom + dy, e.top + kPanelMinSide);
    return QRect(e.left, e.top, e.Width(), e.Height());
}

std::optional<QRect> PanelWheelZoom(
    const QRect &frame, const QRect &inner, QSize picture, QPoint mouse, int notches, bool shift)
{
    if (!QRect(QPoint(0, 0), frame.size()).contains(mouse) || notches == 0 || inner.width() <= 0
        || inner.height() <= 0)
        return std::nullopt;
    const int s = notches * (shift ? 2 : 1);
    const double factor = 1 + double(s) / std::max(frame.width(), frame.height());
    const double exact = inner.width() * factor;
    const double w = factor > 1 ? std::ceil(exact) : std::floor(exact);
    const double aspect = picture.isEmpty() ? double(inner.height()) / inner.width()
                                            : double(picture.height()) / picture.width();
    const double h = std::round(w * aspect);
    if (w < kPanelMinInner || h < kPanelMinInner || w > kMaxInnerSide || h > kMaxInnerSide)
        return std::nullopt;
    // The picture point under the mouse stays under it.
    const double kx = w / inner.width(), ky = h / inner.height();
    const int left = int(std::lround(mouse.x() - (mouse.x() - inner.left()) * kx));
    const int top = int(std::lround(mouse.y() - (mouse.y() - inner.top()) * ky));
    return QRect(left, top, int(w), int(h));
}

} // namespace korvatel
