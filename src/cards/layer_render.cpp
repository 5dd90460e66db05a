#include "cards/layers.h"
#include "imaging/resample.h"

#include <QPainter>
#include <cmath>

namespace korvatel
{

TBitmap MakeDisplayCopy(const TBitmap &picture, int limit, bool exactColours)
{
    const qint64 w = picture.Width(), h = picture.Height();
    if (limit <= 0 || picture.Empty() || limit >= w || limit >= h
        || qint64(limit) * limit / 2 >= w * h)
        return picture;
    const QSize size = FitLongSideSize(limit, int(w), int(h));
    return exactColours ? StretchDraw(picture, size.width(), size.height())
                        : ResizeAreaAverage(picture, size.width(), size.height());
}

const TBitmap &TLayerImage::Shown() const
{
    if (!Transparent() || TransparentColor == kNoColor)
        return FDisplay;
    if (!FShown)
        FShown = ApplyMaskOps(FDisplay, FOps, TransparentColor);
    return *FShown;
}

const QImage &TLayerImage::Keyed() const
{
    if (!FKeyed.isNull())
        return FKeyed;
    const TBitmap &shown = Shown();
    if (shown.Empty())
        return FKeyed;
    QImage image(shown.Width(), shown.Height(), QImage::Format_ARGB32_Premultiplied);
    const bool keyed = FShowMask && TransparentColor != kNoColor;
    const TBgr key = BgrOf(TransparentColor);
    for (int y = 0; y < shown.Height(); ++y) {
        const uint8_t *p = shown.ScanLine(y);
        auto *out = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < shown.Width(); ++x, p += 3) {
            // A key-coloured pixel is fully transparent; premultiplied it is all zero, so smooth
            // scaling blends no trace of the key colour into the edges.
            if (keyed && p[0] == key.b && p[1] == key.g && p[2] == key.r)
                out[x] = 0;
            else
                out[x] = qRgb(p[2], p[1], p[0]);
        }
    }
    FKeyed = std::move(image);
    return FKeyed;
}

const QImage &TLayerImage::Rendered(QSize size) const
{
    if (!FRendered.isNull() && FRendered.size() == size)
        return FRendered;
    const QImage &keyed = Keyed();
    if (keyed.isNull() || size.isEmpty()) {
        FRendered = QImage();
        return FRendered;
    }
    FRendered = keyed.size() == size
        ? keyed
        : keyed.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    return FRendered;
}

TBitmap RenderCard(const TLayers &layers, QSize size)
{
    TBitmap card(size.width(), size.height());
    card.Fill(BgrOf(layers.StageColor));
    if (card.Empty())
        return card;
    QImage view = card.View();
    QPainter painter(&view);
    for (int i = layers.Count() - 1; i >= 0; --i) {
        const TLayer &layer = *layers.Layer(i);
        if (!layer.Visible || layer.Image().Display().Empty())
            continue;
        const TRelRect &r = layer.Image().Rel;
        const int left = int(std::lround(r.left * size.width()));
        const int top = int(std::lround(r.top * size.height()));
        const int right = int(std::lround(r.right * size.width()));
        const int bottom = int(std::lround(r.bottom * size.height()));
        const QRect target = QRect(left, top, right - left, bottom - top).normalized();
        if (target.isEmpty())
            continue;
        if (target.width() > 2 * size.width() || target.height() > 2 * size.height()) {
            // A layer far larger than the card: the painter scales only what shows.
            painter.setRenderHint(QPainter::SmoothPixmapTransform);
            painter.drawImage(QRectF(target), layer.Image().Keyed());
            continue;
        }
        const QImage &image = layer.Image().Rendered(target.size());
        if (!image.isNull())
            painter.drawImage(target.topLeft(), image);
    }
    painter.end();
    return card;
}

} // namespace korvatel
