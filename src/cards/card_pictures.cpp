#include "cards/card_pictures.h"

#include "cards/layers.h"

#include <QFileInfo>

namespace korvatel
{

namespace
{

// The grid the windows are looked at on, in stage pixels: finer than any window a plate has.
constexpr int kWindowProbeStep = 4;

bool Covered(const QList<QRect> &covered, QPoint p)
{
    for (const QRect &r : covered)
        if (r.contains(p))
            return true;
    return false;
}

} // namespace

bool IsCustomerPicture(const TLayer &layer)
{
    return QFileInfo(layer.FileName).isAbsolute();
}

bool HasEmptyWindow(const TLayers &layers, const QList<QRect> &covered)
{
    for (int i = 0; i < layers.Count(); ++i) {
        const TLayer &sheet = *layers.Layer(i);
        // A sheet is a plate's layer with a transparent colour; the customer's own pictures
        // with transparency show the card through on purpose.
        if (!sheet.Visible || sheet.Image().TransparentColor == kNoColor
            || IsCustomerPicture(sheet))
            continue;
        const QRect area = sheet.Image().Control.normalized();
        for (int y = area.top(); y <= area.bottom(); y += kWindowProbeStep) {
            for (int x = area.left(); x <= area.right(); x += kWindowProbeStep) {
                // LayerAt from the sheet on answers the sheet where it is opaque, else what
                // shows through its window.
                const int shown = layers.LayerAt({ x, y }, i);
                if (shown == i || Covered(covered, { x, y }))
                    continue;
                if (shown < 0 || !IsCustomerPicture(*layers.Layer(shown)))
                    return true;
            }
        }
    }
    return false;
}

QStringList ExtraPictures(const QStringList &pictures, int limit)
{
    return limit >= 0 && pictures.size() > limit ? pictures.mid(limit) : QStringList();
}

} // namespace korvatel
