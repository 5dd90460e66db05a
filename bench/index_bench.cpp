// Index sheets of 60 camera-size JPEGs (3264 × 2448): two sheets of the built-in layout, as a
// CD-R order of 60 photos gets them. "with_exif" photos carry a 160 × 120 Exif thumbnail, which
// the cells use; "whole" photos have none and are decoded at a DCT scale. The sheet counter is
// the time per sheet.
#include "imaging/jpeg_codec.h"
#include "imaging/resample.h"
#include "index/index_format.h"
#include "index/index_sheets.h"
#include "support/image_builders.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <random>

namespace
{

using namespace korvatel;

constexpr int kPhotos = 60;
constexpr int kWidth = 3264;
constexpr int kHeight = 2448;

// A photo-like picture: smooth gradients with sensor noise, so the JPEG is as large as a
// camera's.
TBitmap Photo(int seed)
{
    TBitmap bitmap(kWidth, kHeight);
    std::mt19937 noise(seed);
    for (int y = 0; y < kHeight; ++y) {
        uint8_t *row = bitmap.ScanLine(y);
        for (int x = 0; x < kWidth; ++x) {
            const int n = int(noise() % 24);
            row[3 * x] = uint8_t((x / 16 + seed * 40 + n) & 0xFF);
            row[3 * x + 1] = uint8_t((y / 12 + n) & 0xFF);
            row[3 * x + 2] = uint8_t(((x + y) / 24 + seed * 13 + n) & 0xFF);
        }
    }
    return bitmap;
}

// The photos once per run, written to a temporary folder.
const QStringList &Photos(bool withExif)
{
    static QTemporaryDir dir;
    static QStringList paths[2];
    QStringList &list = paths[withExif ? 1 : 0];
    if (list.isEmpty()) {
        for (int i = 0; i < kPhotos; ++i) {
            const QString path = dir.filePath(QStringLiteral("%1_%2.JPG").arg(withExif).arg(i));
            if (i < 4) { // four distinct photos, repeated: the files are what is read
                const TBitmap photo = Photo(i);
                QByteArray bytes;
                if (withExif) {
                    const TBitmap thumb = FitLongSide(160, photo, true);
                    bytes = test::ExifJpegBuilder()
                                .thumbnail(EncodeJpeg(thumb, 90))
                                .picture(photo)
                                .build();
                } else {
                    bytes = EncodeJpeg(photo, 92);
                }
                QFile file(path);
                file.open(QIODevice::WriteOnly);
                file.write(bytes);
            } else {
                QFile::copy(list.at(i % 4), path);
            }
            list.append(path);
        }
    }
    return list;
}

void IndexSheets(benchmark::State &state, bool withExif)
{
    const QStringList &photos = Photos(withExif);
    QTemporaryDir out;
    int sheets = 0;
    for (auto _ : state) {
        const QStringList written = MakeIndexSheets(photos, out.path());
        if (written.size() != 2)
            state.SkipWithError("the sheets were not written");
        sheets += int(written.size());
    }
    state.counters["per_sheet"]
        = benchmark::Counter(sheets, benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

void BM_IndexSheets_WithExif(benchmark::State &state)
{
    IndexSheets(state, true);
}
BENCHMARK(BM_IndexSheets_WithExif)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_IndexSheets_Whole(benchmark::State &state)
{
    IndexSheets(state, false);
}
BENCHMARK(BM_IndexSheets_Whole)->Unit(benchmark::kMillisecond)->UseRealTime();

// One page of 30 cells drawn, without encoding.
void BM_RenderPage(benchmark::State &state)
{
    const QStringList &photos = Photos(true);
    TIndexFormat format;
    format.LoadLayout(TIndexFormat::DefaultLayoutName(), {});
    for (int i = 0; i < 30; ++i)
        format.AddImage(photos.at(i));
    for (auto _ : state)
        benchmark::DoNotOptimize(format.RenderPage());
}
BENCHMARK(BM_RenderPage)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
