// The viewer's commands on a 24-megapixel picture: a brightness and a contrast step, a quarter
// turn of the picture with its trimming frame, and applying a trim. And the time to the first
// picture of a camera file against the time to the whole one: the viewer shows the quick look
// (read and decoded at a DCT scale) while the whole picture is decoded away from the window.
#include "camera_jpeg.h"
#include "imaging/effects.h"
#include "viewer/picture_loader.h"
#include "viewer/tone_steps.h"
#include "viewer/trim_frame.h"
#include "viewer/viewed_picture.h"

#include <QFile>
#include <QImage>
#include <QTemporaryDir>
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

// A camera file of 12 (4000 × 3000) or 24 (6000 × 4000) megapixels, written once.
QString CameraFile(int megapixels)
{
    static QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("IMG_%1.JPG").arg(megapixels));
    if (!QFile::exists(path)) {
        QFile file(path);
        const bool large = megapixels > 12;
        if (file.open(QIODevice::WriteOnly))
            file.write(bench::CameraJpeg(large ? 6000 : 4000, large ? 4000 : 3000, megapixels));
    }
    return path;
}

void BM_TimeToFirstPicture(benchmark::State &state)
{
    const QString path = CameraFile(int(state.range(0)));
    for (auto _ : state) {
        QFile file(path);
        file.open(QIODevice::ReadOnly);
        std::optional<TPicturePreview> quick = DecodePreview(file.readAll(), 640);
        benchmark::DoNotOptimize(quick);
    }
}
BENCHMARK(BM_TimeToFirstPicture)->Arg(12)->Arg(24)->Unit(benchmark::kMillisecond);

void BM_TimeToWholePicture(benchmark::State &state)
{
    const QString path = CameraFile(int(state.range(0)));
    for (auto _ : state) {
        std::optional<TBitmap> whole = TViewedPicture::Decode(path);
        benchmark::DoNotOptimize(whole);
    }
}
BENCHMARK(BM_TimeToWholePicture)->Arg(12)->Arg(24)->Unit(benchmark::kMillisecond);

// What the window's thread does to show the whole picture: after a command (the image made
// from the picture, then its copy at the size of a 1280 × 800 screen's view), and after a
// load (the copy of the image the loader prepared).
void BM_ShowWholePicture(benchmark::State &state)
{
    const TBitmap whole = TViewedPicture::Decode(CameraFile(int(state.range(0)))).value();
    for (auto _ : state) {
        const QImage shown = ShownImage(whole).scaled(
            QSize(900, 600), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        benchmark::DoNotOptimize(shown.constBits());
    }
}
BENCHMARK(BM_ShowWholePicture)->Arg(12)->Arg(24)->Unit(benchmark::kMillisecond);

void BM_ShowPreparedPicture(benchmark::State &state)
{
    const TBitmap whole = TViewedPicture::Decode(CameraFile(int(state.range(0)))).value();
    const QImage prepared = ShownImage(whole);
    for (auto _ : state) {
        const QImage shown
            = prepared.scaled(QSize(900, 600), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        benchmark::DoNotOptimize(shown.constBits());
    }
}
BENCHMARK(BM_ShowPreparedPicture)->Arg(12)->Arg(24)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
