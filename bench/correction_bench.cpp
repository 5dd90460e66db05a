// The colour-correction window on a 24-megapixel camera JPEG: opening it (the screen-sized copy
// decoded at a DCT scale) and one change of a control (the preview and both histograms of that
// copy recomputed), for a full-HD and a 1440p screen. A change should stay within 30 ms.
#include "camera_jpeg.h"
#include "imaging/correction_window.h"
#include "imaging/histogram.h"

#include <QFile>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace
{

using namespace korvatel;

const QString &CameraFile()
{
    static QTemporaryDir dir;
    static const QString path = [] {
        const QString file = dir.filePath(QStringLiteral("camera.jpg"));
        QFile out(file);
        if (out.open(QIODevice::WriteOnly))
            out.write(bench::CameraJpeg(6000, 4000, 3));
        return file;
    }();
    return path;
}

QSize Screen(const benchmark::State &state)
{
    return state.range(0) == 0 ? QSize(1920, 1080) : QSize(2560, 1440);
}

void BM_HoseiOpen(benchmark::State &state)
{
    const QString file = CameraFile();
    for (auto _ : state) {
        THoseiPicture picture = LoadHoseiPicture(file, Screen(state));
        benchmark::DoNotOptimize(picture.bitmap.ScanLine(0));
    }
}
BENCHMARK(BM_HoseiOpen)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// Arg 1: 0 tone only (no colour button), 1 the skin correction ("赤強"), 2 the skin correction
// with manual contrast points.
void BM_HoseiPreviewChange(benchmark::State &state)
{
    THoseiWork work;
    CorrectionRecord record;
    record.kind = state.range(1) == 0 ? 0 : 2;
    work.Open(LoadHoseiPicture(CameraFile(), Screen(state)), record);
    if (work.Reference() == TBgr {})
        work.Open(LoadHoseiPicture(CameraFile(), Screen(state)), [&] {
            CorrectionRecord measured = record;
            measured.measured = 1;
            measured.SetReference({ 90, 110, 150 });
            return measured;
        }());
    if (state.range(1) == 2) {
        work.Values().manual = true;
        work.Values().low = QPoint(30, 10);
        work.Values().high = QPoint(220, 250);
    }
    THistGram histogram;
    int density = 0;
    for (auto _ : state) {
        density = (density + 7) % 100;
        work.Values().density = density;
        const TBitmap preview = work.Preview(histogram);
        benchmark::DoNotOptimize(preview.ScanLine(0));
    }
    state.counters["pixels"] = double(work.Picture().Width()) * work.Picture().Height();
}
BENCHMARK(BM_HoseiPreviewChange)
    ->ArgsProduct({ { 0, 1 }, { 0, 1, 2 } })
    ->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
