// Composing a postcard at 300 dpi (1181 × 1748) from three layers: a full-size background
// photo, a photo in a frame and a decorated front sheet with a transparent window. The first
// benchmark draws from the layers' caches, as redraws during a drag do; the second rebuilds
// every cache, as the first draw after a change does.
#include "cards/layers.h"

#include <benchmark/benchmark.h>

namespace
{

using namespace korvatel;

const QSize kCard(1181, 1748);

TBitmap Gradient(int w, int h, int seed)
{
    TBitmap b(w, h);
    for (int y = 0; y < h; ++y) {
        uint8_t *row = b.ScanLine(y);
        for (int x = 0; x < w; ++x) {
            row[3 * x] = uint8_t((x * 255 / w + seed) & 0xFF);
            row[3 * x + 1] = uint8_t((y * 255 / h + 2 * seed) & 0xFF);
            row[3 * x + 2] = uint8_t(((x + y) * 127 / (w + h) + 3 * seed) & 0xFF);
        }
    }
    return b;
}

void MakeCard(TLayers &layers)
{
    TBitmap sheet(kCard.width(), kCard.height());
    sheet.Fill({ 230, 240, 250 });
    for (int y = 200; y < 1000; ++y)
        for (int x = 150; x < 1030; ++x)
            sheet.SetPixel(x, y, { 255, 0, 255 });
    layers.Add(std::move(sheet), QStringLiteral("sheet.bmp"));
    layers.Layer(0)->Image().TransparentColor = 0xFF00FF;
    layers.SetDisplayLimit(kCard.height()); // rebuilds the sheet with its exact key colour
    layers.Add(Gradient(3000, 2000, 1), QStringLiteral("frame.jpg"));
    layers.Add(Gradient(2400, 3600, 2), QStringLiteral("back.jpg"));
    layers.SetControl(0, QRect(QPoint(0, 0), kCard));
    layers.SetControl(1, QRect(150, 200, 880, 800));
    layers.SetControl(2, QRect(QPoint(0, 0), kCard));
}

void BM_ComposeCached(benchmark::State &state)
{
    TLayers layers(kCard);
    MakeCard(layers);
    RenderCard(layers, kCard);
    for (auto _ : state)
        benchmark::DoNotOptimize(RenderCard(layers, kCard));
}
BENCHMARK(BM_ComposeCached)->Unit(benchmark::kMillisecond);

void BM_ComposeFresh(benchmark::State &state)
{
    TLayers layers(kCard);
    MakeCard(layers);
    for (auto _ : state) {
        // A layer change drops the caches: a show-flag toggle does it without other work.
        for (int i = 0; i < layers.Count(); ++i)
            layers.SetShowMask(i, true);
        benchmark::DoNotOptimize(RenderCard(layers, kCard));
    }
}
BENCHMARK(BM_ComposeFresh)->Unit(benchmark::kMillisecond);

} // namespace
