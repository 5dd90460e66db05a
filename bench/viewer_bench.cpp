// The viewer's commands on a 24-megapixel picture: a brightness and a contrast step, a quarter
// turn of the picture with its trimming frame, and applying a trim.
#include "imaging/effects.h"
#include "viewer/tone_steps.h"
#include "viewer/trim_frame.h"

#include <benchmark/benchmark.h>
#include <random>

namespace
{

using namespace korvatel;

const TBitmap &CameraBitmap()
{
    static const TBitmap picture = [] {
        TBitmap b(6000, 4000);
        std::minstd_rand noise(7);
        for (int y = 0; y < b.Height(); ++y) {
            uint8_t *row = b.ScanLine(y);
            for (int x = 0; x < 3 * b.Width(); ++x)
                row[x] = uint8_t((x / 3 + y) * 255 / 10000 + int(noise() % 9));
        }
        return b;
    }();
    return picture;
}

void BM_ToneStep(benchmark::State &state)
{
    const TToneStep step = state.range(0) ? tsContrastUp : tsBrighter;
    for (auto _ : state) {
        state.PauseTiming();
        TBitmap bitmap = CameraBitmap();
        state.ResumeTiming();
        ApplyToneStep(bitmap, step, [](int percent) { benchmark::DoNotOptimize(percent); });
        benchmark::DoNotOptimize(bitmap.ScanLine(0));
    }
    state.SetItemsProcessed(state.iterations() * 6000 * 4000);
}
BENCHMARK(BM_ToneStep)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void BM_TurnWithFrame(benchmark::State &state)
{
    TTrimFrame frame;
    frame.SetPictureSize(QSize(600, 400));
    frame.SetRect(60, 40, 300, 208);
    for (auto _ : state) {
        state.PauseTiming();
        TBitmap bitmap = CameraBitmap();
        state.ResumeTiming();
        RotateImage(bitmap, rt90);
        frame.Rotate(rt90, QSize(400, 600));
        benchmark::DoNotOptimize(bitmap.ScanLine(0));
    }
}
BENCHMARK(BM_TurnWithFrame)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
