// The browser thumbnail of a 24-megapixel camera JPEG (DCT-scaled decode, FitLongSide, JPEG
// encode at quality 90) and the resizes behind the thumbnail modes.
//
//   imaging_bench [benchmark flags]      run the benchmarks
//   imaging_bench --write-sample FILE    write the 6000 × 4000 sample JPEG the benchmarks use
//   imaging_bench --write-set DIR N      write N different 4000 × 3000 camera JPEGs (with Exif)
#include "camera_jpeg.h"
#include "imaging/jpeg_codec.h"
#include "imaging/resample.h"
#include "imaging/thumbnail.h"
#include "text/sjis_file.h"

#include <benchmark/benchmark.h>
#include <cstdlib>
#include <cstring>
#include <random>

namespace
{

using namespace korvatel;

// A camera-like picture: smooth colour gradients with a little sensor noise, encoded at
// quality 90 with an Exif block in front, so the thumbnail maker knows its size beforehand.
QByteArray CameraJpeg()
{
    static const QByteArray jpeg = [] {
        const int w = 6000;
        const int h = 4000;
        TBitmap picture(w, h);
        std::minstd_rand noise(7);
        for (int y = 0; y < h; ++y) {
            uint8_t *row = picture.ScanLine(y);
            for (int x = 0; x < w; ++x) {
                const int n = int(noise() % 17) - 8;
                row[3 * x] = uint8_t(std::clamp(x * 200 / w + 30 + n, 0, 255));
                row[3 * x + 1] = uint8_t(std::clamp(y * 180 / h + 40 + n, 0, 255));
                row[3 * x + 2] = uint8_t(std::clamp((x + y) * 220 / (w + h) + 20 + n, 0, 255));
            }
        }
        const QByteArray plain = EncodeJpeg(picture, 90);
        // An empty Exif block: byte order, magic, IFD0 at 8 with no entries.
        const QByteArray tiff("II*\0\x08\0\0\0\0\0\0\0\0\0", 14);
        QByteArray app1("\xFF\xE1", 2);
        const int length = 2 + 6 + int(tiff.size());
        app1.append(char(length >> 8)).append(char(length & 0xFF));
        app1.append("Exif\0\0", 6).append(tiff);
        return QByteArray("\xFF\xD8", 2) + app1 + plain.mid(2);
    }();
    return jpeg;
}

void BM_Thumbnail400Stretch(benchmark::State &state)
{
    const QByteArray jpeg = CameraJpeg();
    for (auto _ : state) {
        TJpegImage thumbnail = MakeFitThumbnail(jpeg, 400, false, 6000);
        benchmark::DoNotOptimize(thumbnail.Data().data());
    }
}
BENCHMARK(BM_Thumbnail400Stretch)->Unit(benchmark::kMillisecond);

void BM_Thumbnail400Area(benchmark::State &state)
{
    const QByteArray jpeg = CameraJpeg();
    for (auto _ : state) {
        TJpegImage thumbnail = MakeFitThumbnail(jpeg, 400, true, 6000);
        benchmark::DoNotOptimize(thumbnail.Data().data());
    }
}
BENCHMARK(BM_Thumbnail400Area)->Unit(benchmark::kMillisecond);

void BM_DecodeEighth(benchmark::State &state)
{
    const QByteArray jpeg = CameraJpeg();
    for (auto _ : state) {
        TBitmap bitmap = DecodeJpeg(jpeg, jsEighth);
        benchmark::DoNotOptimize(bitmap.ScanLine(0));
    }
}
BENCHMARK(BM_DecodeEighth)->Unit(benchmark::kMillisecond);

TBitmap Photo1500()
{
    static const TBitmap bitmap = DecodeJpeg(CameraJpeg(), jsQuarter);
    return bitmap;
}

void BM_ResizeAreaAverage1500To400(benchmark::State &state)
{
    const TBitmap source = Photo1500();
    for (auto _ : state) {
        TBitmap result = ResizeAreaAverage(source, 400, 267);
        benchmark::DoNotOptimize(result.ScanLine(0));
    }
}
BENCHMARK(BM_ResizeAreaAverage1500To400)->Unit(benchmark::kMillisecond);

void BM_ResizeBilinear1500To400(benchmark::State &state)
{
    const TBitmap source = Photo1500();
    for (auto _ : state) {
        TBitmap result = ResizeBilinear(source, 400, 267);
        benchmark::DoNotOptimize(result.ScanLine(0));
    }
}
BENCHMARK(BM_ResizeBilinear1500To400)->Unit(benchmark::kMillisecond);

// A camera's 160 × 120 thumbnail enlarged three times for a browser cell.
void BM_EnlargeCameraThumb160To480(benchmark::State &state)
{
    const TBitmap source = ResizeAreaAverage(Photo1500(), 160, 120);
    for (auto _ : state) {
        TBitmap result = ResizeBilinear(source, 480, 360);
        benchmark::DoNotOptimize(result.ScanLine(0));
    }
}
BENCHMARK(BM_EnlargeCameraThumb160To480)->Unit(benchmark::kMicrosecond);

void BM_StretchDraw1500To400(benchmark::State &state)
{
    const TBitmap source = Photo1500();
    for (auto _ : state) {
        TBitmap result = StretchDraw(source, 400, 267);
        benchmark::DoNotOptimize(result.ScanLine(0));
    }
}
BENCHMARK(BM_StretchDraw1500To400)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    if (argc == 3 && std::strcmp(argv[1], "--write-sample") == 0)
        return korvatel::WriteFileAtomic(QString::fromLocal8Bit(argv[2]), CameraJpeg()) ? 0 : 1;
    if (argc == 4 && std::strcmp(argv[1], "--write-set") == 0) {
        const QString dir = QString::fromLocal8Bit(argv[2]);
        const int n = std::atoi(argv[3]);
        for (int i = 0; i < n; ++i) {
            const QString name
                = QStringLiteral("%1/camera%2.jpg").arg(dir).arg(i, 3, 10, QLatin1Char('0'));
            if (!korvatel::WriteFileAtomic(name, korvatel::bench::CameraJpeg(4000, 3000, i)))
                return 1;
        }
        return 0;
    }
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
