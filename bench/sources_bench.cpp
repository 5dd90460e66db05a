// The browser thumbnails of a folder of 100 camera JPEGs (12 to 24 megapixels, each with an
// Exif block and a 160 × 120 Exif thumbnail) in thumbnail modes 0, 3 and 6, made from scratch,
// and the same folder painted again once its thumbnails are stored.
//
// The pictures are made once with libjpeg into $TMPDIR/korvatel-bench-camera (about 500 MB)
// and reused by later runs; delete the folder to make them again.
#include "camera_jpeg.h"
#include "imaging/jpeg_codec.h"
#include "sources/thumb_paths.h"
#include "sources/thumb_store.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace
{

using namespace korvatel;
using korvatel::bench::CameraJpeg;

constexpr int kPictures = 100;

struct TCameraSize {
    int width;
    int height;
};
// 12, 16, 20 and 24 megapixels, as cameras of the time write them.
constexpr TCameraSize kSizes[] = { { 4000, 3000 }, { 4608, 3456 }, { 5472, 3648 }, { 6000, 4000 } };

// The folder of camera pictures, made on first use.
QString CameraFolder()
{
    static const QString folder = [] {
        const QString path = QDir::temp().filePath(QStringLiteral("korvatel-bench-camera"));
        QDir dir(path);
        if (dir.entryList({ QStringLiteral("*.JPG") }, QDir::Files).size() == kPictures)
            return path;
        dir.mkpath(QStringLiteral("."));
        // Four pictures of different sizes, each written 25 times under its own name: every
        // file is decoded on its own, and making them stays quick.
        for (int s = 0; s < 4; ++s) {
            const QByteArray jpeg = CameraJpeg(kSizes[s].width, kSizes[s].height, s * 10);
            for (int i = s; i < kPictures; i += 4) {
                QFile file(dir.filePath(QStringLiteral("IMG_%1.JPG").arg(i, 4, 10, QChar(u'0'))));
                if (file.open(QIODevice::WriteOnly))
                    file.write(jpeg);
            }
        }
        return path;
    }();
    return folder;
}

QList<TBrowserItem> FolderItems()
{
    QList<TBrowserItem> items;
    const QDir dir(CameraFolder());
    for (const QFileInfo &file : dir.entryInfoList({ QStringLiteral("*.JPG") }, QDir::Files)) {
        TBrowserItem item;
        item.fullPath = file.absoluteFilePath();
        item.displayName = file.fileName();
        item.fileSize = file.size();
        items.append(item);
    }
    return items;
}

TCellLayout Layout()
{
    // A cell wider than 179 pixels, so the modes 0 to 5 make their own thumbnails.
    TCellLayout layout;
    layout.cell = QRect(0, 0, 220, 200);
    layout.box = QSize(200, 150);
    layout.cellSize = 220;
    return layout;
}

void PaintFolder(benchmark::State &state, int mode, bool stored)
{
    const QList<TBrowserItem> items = FolderItems();
    QTemporaryDir works;
    int made = 0;
    if (stored) {
        TThumbStore warm(works.path(), mode);
        QList<TBrowserItem> cells = items;
        for (TBrowserItem &item : cells)
            warm.BrowserCell(item, Layout());
    }
    for (auto _ : state) {
        state.PauseTiming();
        TThumbStore store(works.path(), mode);
        if (!stored)
            store.DeleteBrowserThumbnails(items, 0, -1);
        QList<TBrowserItem> cells = items;
        state.ResumeTiming();
        for (TBrowserItem &item : cells) {
            const TBrowserCell cell = store.BrowserCell(item, Layout());
            made += cell.outcome == TCellOutcome::coReady ? 1 : 0;
        }
    }
    state.counters["pictures"] = benchmark::Counter(double(made), benchmark::Counter::kIsRate);
}

void BM_FolderThumbnailsMode0(benchmark::State &state)
{
    PaintFolder(state, 0, false);
}
BENCHMARK(BM_FolderThumbnailsMode0)->Unit(benchmark::kMillisecond)->Iterations(2);

void BM_FolderThumbnailsMode3(benchmark::State &state)
{
    PaintFolder(state, 3, false);
}
BENCHMARK(BM_FolderThumbnailsMode3)->Unit(benchmark::kMillisecond)->Iterations(2);

void BM_FolderThumbnailsMode6(benchmark::State &state)
{
    PaintFolder(state, 6, false);
}
BENCHMARK(BM_FolderThumbnailsMode6)->Unit(benchmark::kMillisecond)->Iterations(2);

// The second paint of the folder: every thumbnail is current and only loaded.
void BM_FolderThumbnailsStoredMode0(benchmark::State &state)
{
    PaintFolder(state, 0, true);
}
BENCHMARK(BM_FolderThumbnailsStoredMode0)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace

BENCHMARK_MAIN();
