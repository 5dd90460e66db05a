// Browsing a folder of 500 camera JPEGs (8 megapixels, each with an Exif block and a 160 × 120
// Exif thumbnail) through the film strip's loader in thumbnail mode 0:
// - the first screen with an empty thumbnail cache, for the strip's default cells (which show
//   the Exif thumbnails) and for large cells (which decode each picture at 1/8 and store it);
// - the same first screen on a second visit, when the large cells' thumbnails are stored;
// - the window thread's share of a scroll: forgetting the old requests, asking for a screen of
//   new cells and painting a screen of ready cells.
// The loader works on its own thread, so the window thread never waits for a decode.
//
// The pictures are made once into $TMPDIR/korvatel-bench-browse (about 100 distinct files of
// about 2 MB, linked to make 500 names) and reused by later runs.
#include "camera_jpeg.h"
#include "imaging/jpeg_codec.h"
#include "sources/film_cell.h"
#include "sources/film_list.h"
#include "sources/thumb_loader.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QPainter>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace
{

using namespace korvatel;
using korvatel::bench::CameraJpeg;

constexpr int kPictures = 500;
constexpr int kDistinct = 100;

const QString &Folder()
{
    static const QString folder = [] {
        const QString path = QDir::temp().filePath(QStringLiteral("korvatel-bench-browse"));
        QDir dir(path);
        if (dir.entryList({ QStringLiteral("*.JPG") }, QDir::Files).size() == kPictures)
            return path;
        dir.mkpath(QStringLiteral("."));
        // Ten pictures encoded, each copied to ten files; every other name links to a copy.
        for (int s = 0; s < 10; ++s) {
            const QByteArray jpeg = CameraJpeg(3264, 2448, s * 7, true);
            for (int c = 0; c < kDistinct / 10; ++c) {
                QFile file(
                    dir.filePath(QStringLiteral("IMG_%1.JPG").arg(s * 10 + c, 4, 10, QChar(u'0'))));
                if (file.open(QIODevice::WriteOnly))
                    file.write(jpeg);
            }
        }
        for (int i = kDistinct; i < kPictures; ++i)
            QFile::link(
                dir.filePath(QStringLiteral("IMG_%1.JPG").arg(i % kDistinct, 4, 10, QChar(u'0'))),
                dir.filePath(QStringLiteral("IMG_%1.JPG").arg(i, 4, 10, QChar(u'0'))));
        return path;
    }();
    return folder;
}

TFilmList FolderList()
{
    TFilmList list;
    const QDir dir(Folder());
    for (const QString &name : dir.entryList({ QStringLiteral("*.JPG") }, QDir::Files, QDir::Name))
        list.AddFile(dir.filePath(name));
    return list;
}

// The film strip's cell sizes: the default (picture box 80 pixels high) and a large one.
const QSize kSmallCell(118, 92);
const QSize kLargeCell(240, 200);
// The cells of the first screen of a 1280 × 800 window's strip (about 1020 × 670 pixels).
int ScreenCells(QSize cell)
{
    return (1020 / cell.width()) * (670 / cell.height());
}

// Asks the loader for the first cells and waits for every answer; returns the milliseconds.
double FirstScreen(TThumbLoader &loader, TFilmList &list, QSize cellSize, int cells)
{
    TFilmLook look;
    const TCellLayout layout = FilmCellLayout(QRect(QPoint(0, 0), cellSize), look);
    int answered = 0;
    const QMetaObject::Connection connection = QObject::connect(
        &loader, &TThumbLoader::ready, [&](const TThumbResult &) { ++answered; });
    QElapsedTimer clock;
    clock.start();
    for (int i = 0; i < cells; ++i)
        loader.Request({ i, 1, list.Item(i), layout });
    while (answered < cells)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
    const double ms = double(clock.nsecsElapsed()) / 1e6;
    QObject::disconnect(connection);
    return ms;
}

void Browse(benchmark::State &state, QSize cellSize, bool stored)
{
    TFilmList list = FolderList();
    const int cells = std::min(ScreenCells(cellSize), list.Count());
    QTemporaryDir works;
    if (stored) {
        TThumbLoader warm(works.path(), 0);
        FirstScreen(warm, list, cellSize, cells);
    }
    for (auto _ : state) {
        state.PauseTiming();
        if (!stored) {
            QList<TBrowserItem> items;
            for (int i = 0; i < list.Count(); ++i)
                items << list.Item(i);
            TThumbStore(works.path()).DeleteBrowserThumbnails(items, 0, -1);
        }
        TThumbLoader loader(works.path(), 0);
        TFilmList fresh = FolderList();
        state.ResumeTiming();
        state.SetIterationTime(FirstScreen(loader, fresh, cellSize, cells) / 1000.0);
    }
    state.counters["cells"] = cells;
}

void BM_FirstScreenDefaultCells(benchmark::State &state)
{
    Browse(state, kSmallCell, false);
}
BENCHMARK(BM_FirstScreenDefaultCells)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);

void BM_FirstScreenLargeCells(benchmark::State &state)
{
    Browse(state, kLargeCell, false);
}
BENCHMARK(BM_FirstScreenLargeCells)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_SecondVisitLargeCells(benchmark::State &state)
{
    Browse(state, kLargeCell, true);
}
BENCHMARK(BM_SecondVisitLargeCells)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);

// The window thread's part of one scroll step: the old requests forgotten, a screen of new
// cells asked for, and a screen of ready cells painted.
void BM_ScrollStepOnTheWindowThread(benchmark::State &state)
{
    TFilmList list = FolderList();
    QTemporaryDir works;
    TThumbLoader loader(works.path(), 0);
    TFilmLook look;
    const TCellLayout layout = FilmCellLayout(QRect(QPoint(0, 0), kSmallCell), look);
    const int cells = ScreenCells(kSmallCell);
    QImage thumb(106, 80, QImage::Format_RGB32);
    thumb.fill(Qt::darkCyan);
    QImage screen(1020, 670, QImage::Format_RGB32);
    int first = 0;
    for (auto _ : state) {
        loader.ClearPending();
        for (int i = 0; i < cells; ++i)
            loader.Request(
                { (first + i) % list.Count(), 2, list.Item((first + i) % list.Count()), layout });
        QPainter painter(&screen);
        const int cols = 1020 / kSmallCell.width();
        for (int i = 0; i < cells; ++i) {
            painter.save();
            painter.translate((i % cols) * kSmallCell.width(), (i / cols) * kSmallCell.height());
            list.Item(i).inOrder = i % 3 == 0;
            PaintFilmCell(painter, layout, look, list.Item(i), i + 1, TCellState::csReady, thumb,
                QRect(6, 6, 106, 80), i == 0);
            painter.restore();
        }
        first += cells;
    }
    loader.ClearPending();
    state.counters["cells"] = cells;
}
BENCHMARK(BM_ScrollStepOnTheWindowThread)->Unit(benchmark::kMillisecond);

} // namespace
