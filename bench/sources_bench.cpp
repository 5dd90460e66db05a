// The browser thumbnails of a folder of 100 camera JPEGs (12 to 24 megapixels, each with an
// Exif block and a 160 × 120 Exif thumbnail) in thumbnail modes 0, 3 and 6, made from scratch,
// and the same folder painted again once its thumbnails are stored.
//
// The pictures are made once with libjpeg into $TMPDIR/korvatel-bench-camera (about 500 MB)
// and reused by later runs; delete the folder to make them again.
#include "imaging/jpeg_codec.h"
#include "sources/thumb_paths.h"
#include "sources/thumb_store.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <random>

namespace
{

using namespace korvatel;

constexpr int kPictures = 100;

struct TCameraSize {
    int width;
    int height;
};
// 12, 16, 20 and 24 megapixels, as cameras of the time write them.
constexpr TCameraSize kSizes[] = { { 4000, 3000 }, { 4608, 3456 }, { 5472, 3648 }, { 6000, 4000 } };

void Put16(QByteArray &b, int v)
{
    b.append(char(v & 0xFF)).append(char((v >> 8) & 0xFF));
}

void Put32(QByteArray &b, quint32 v)
{
    Put16(b, int(v & 0xFFFF));
    Put16(b, int(v >> 16));
}

void Entry(QByteArray &b, int tag, int type, quint32 value)
{
    Put16(b, tag);
    Put16(b, type);
    Put32(b, 1);
    Put32(b, value);
}

// A smooth picture with sensor noise, different for each seed.
TBitmap CameraPicture(int w, int h, int seed)
{
    TBitmap picture(w, h);
    std::minstd_rand noise(unsigned(seed + 1));
    for (int y = 0; y < h; ++y) {
        uint8_t *row = picture.ScanLine(y);
        for (int x = 0; x < w; ++x) {
            const int n = int(noise() % 17) - 8;
            row[3 * x] = uint8_t(std::clamp(x * 200 / w + 30 + n + seed, 0, 255));
            row[3 * x + 1] = uint8_t(std::clamp(y * 180 / h + 40 + n, 0, 255));
            row[3 * x + 2] = uint8_t(std::clamp((x + y) * 220 / (w + h) + 20 + n, 0, 255));
        }
    }
    return picture;
}

// The JPEG with an Exif block in front: an empty IFD0 and an IFD1 pointing at a 160 × 120
// JPEG thumbnail, as a camera writes it.
QByteArray CameraJpeg(int w, int h, int seed)
{
    const QByteArray main = EncodeJpeg(CameraPicture(w, h, seed), 90);
    const QByteArray thumb = EncodeJpeg(CameraPicture(160, 120, seed), 80);
    QByteArray tiff("II*\0\x08\0\0\0", 8);
    Put16(tiff, 0); // IFD0: no entries
    Put32(tiff, 14); // IFD1 follows
    Put16(tiff, 3);
    Entry(tiff, 259, 3, 6); // compression: JPEG
    Entry(tiff, 513, 4, 56); // thumbnail offset, right after this IFD
    Entry(tiff, 514, 4, quint32(thumb.size()));
    Put32(tiff, 0);
    tiff.append(thumb);
    QByteArray app1("\xFF\xE1", 2);
    const int length = 2 + 6 + int(tiff.size());
    app1.append(char(length >> 8)).append(char(length & 0xFF));
    app1.append("Exif\0\0", 6).append(tiff);
    return QByteArray("\xFF\xD8", 2) + app1 + main.mid(2);
}

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
