// A page of the order grid: 12 cells (4 columns, 3 rows of a 1200 × 900 panel) of camera JPEGs
// (8 megapixels, with Exif thumbnails) whose order thumbnails are already stored:
// - the grid's worker share: reading the stored order thumbnails and turning them landscape
//   (what TOrderPictureLoader does off the window's thread when a page is shown);
// - the window's share: painting the page from the ready pictures, in both looks, and the plain
//   cells for comparison.
//
// The pictures are made once into $TMPDIR/korvatel-bench-order-grid and reused by later runs.
#include "camera_jpeg.h"
#include "order/grid_paint.h"
#include "order/grid_pictures.h"
#include "order/order_thumbnail.h"
#include "order/thumb_nails.h"
#include "pricing/price_tables.h"
#include "pricing/shop_data.h"
#include "sources/thumb_store.h"
#include "text/sjis_file.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <benchmark/benchmark.h>

namespace
{

using namespace korvatel;
using korvatel::bench::CameraJpeg;

constexpr int kCells = 12;
constexpr int kColumns = 4;

const TPriceTables &Tables()
{
    static const TPriceTables tables = [] {
        TPriceTables t(kServerCatalogue);
        t.Load(TShopData::FromContainer(SplitLines(
            QStringLiteral(":>SIZENAME\nL\n2L\nKG\n:>END\n:>USEDSIZE\n*D\n*D\n*D\n:>END\n"
                           ":>SIZEXY\n127*89\n178*127\n152*102\n:>END\n"
                           ":>PRICES\nprcNet|L=25\nprcNet|2L=80\nprcNet|KG=50\n:>END\n"))));
        return t;
    }();
    return tables;
}

const QString &Folder()
{
    static const QString folder = [] {
        const QString path = QDir::temp().filePath(QStringLiteral("korvatel-bench-order-grid"));
        QDir dir(path);
        dir.mkpath(QStringLiteral("Photos"));
        for (int i = 0; i < kCells; ++i) {
            const QString name
                = dir.filePath(QStringLiteral("Photos/IMG_%1.JPG").arg(i, 4, 10, QChar(u'0')));
            if (QFileInfo::exists(name))
                continue;
            QFile file(name);
            if (file.open(QIODevice::WriteOnly))
                file.write(CameraJpeg(3264, 2448, i * 5, true));
        }
        return path;
    }();
    return folder;
}

// The basket of the page, each item with its stored order thumbnail; a few with two sizes.
TThumbNails &Basket()
{
    static TThumbNails *list = [] {
        TOrderContext context;
        context.tables = &Tables();
        context.works = QDir(Folder()).filePath(QStringLiteral("Works"));
        auto *basket = new TThumbNails(context);
        for (int i = 0; i < kCells; ++i) {
            const QString name = QDir(Folder()).filePath(
                QStringLiteral("Photos/IMG_%1.JPG").arg(i, 4, 10, QChar(u'0')));
            TThumbNail *item = basket->AddPicture(1, name, false, 1 + i % 3, QStringLiteral("L"));
            item->FileSize = qint32(QFileInfo(name).size());
            if (i % 4 == 0)
                item->SetSizeCount(QStringLiteral("2L"), 2);
            if (!QFileInfo::exists(item->ThumbnailPath))
                MakeOrderThumbnail(*item, true);
        }
        basket->Recount();
        return basket;
    }();
    return *list;
}

void BM_LoadStoredPicturesOfAPage(benchmark::State &state)
{
    TThumbNails &basket = Basket();
    for (auto _ : state) {
        for (int i = 0; i < kCells; ++i) {
            TThumbNail item = *basket.Item(i);
            item.Broken = 0;
            benchmark::DoNotOptimize(TOrderPictureLoader::MakePicture(item));
        }
    }
    state.counters["cells"] = kCells;
}
BENCHMARK(BM_LoadStoredPicturesOfAPage)->Unit(benchmark::kMillisecond);

// Paints the page; with scaled, from pictures already scaled to their cells, as the grid keeps
// them after the first paint of a page.
void PaintPage(benchmark::State &state, int plateType, bool plain, bool scaled = true)
{
    TThumbNails &basket = Basket();
    const TGridMetrics metrics = GridMetrics(1203, 903, kColumns, false, 1080);
    QList<QImage> pictures;
    for (int i = 0; i < kCells; ++i) {
        QImage image = TOrderPictureLoader::MakePicture(*basket.Item(i)).image;
        if (scaled) {
            TCellOptions options;
            options.correction = true;
            const QRect box
                = CellZones(QRect(0, 0, metrics.colWidths[i % kColumns], metrics.rowHeight),
                    metrics.unit, options, *basket.Item(i))
                      .picture;
            image = image.scaled(FitInBox(image.size(), box, box.size()).size(),
                Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        }
        pictures << image;
    }
    TOrderCellLook look;
    look.unit = metrics.unit;
    look.plateType = plateType;
    look.plain = plain;
    look.tables = &Tables();
    look.options.correction = true;
    look.font = QFont(QStringLiteral("MS UI Gothic"));
    look.captionFont = QFont(QStringLiteral("Arial"));
    QImage page(1200, 900, QImage::Format_RGB32);
    for (auto _ : state) {
        QPainter painter(&page);
        for (int i = 0; i < kCells; ++i) {
            const int col = i % kColumns;
            const QRect cell(metrics.ColumnLeft(col), (i / kColumns) * metrics.rowHeight,
                metrics.colWidths[col], metrics.rowHeight);
            benchmark::DoNotOptimize(PaintOrderCell(painter, cell, *basket.Item(i), pictures[i],
                TOrderPictureState::opReady, look, i == 0));
        }
    }
    state.counters["cells"] = kCells;
    state.counters["unit"] = metrics.unit;
}

void BM_PaintPageVer110(benchmark::State &state)
{
    PaintPage(state, kPlateVer110, false);
}
BENCHMARK(BM_PaintPageVer110)->Unit(benchmark::kMillisecond);

void BM_PaintPageScalingThePictures(benchmark::State &state)
{
    PaintPage(state, kPlateVer110, false, false);
}
BENCHMARK(BM_PaintPageScalingThePictures)->Unit(benchmark::kMillisecond);

void BM_PaintPageVer100(benchmark::State &state)
{
    PaintPage(state, 0, false);
}
BENCHMARK(BM_PaintPageVer100)->Unit(benchmark::kMillisecond);

void BM_PaintPagePlainCells(benchmark::State &state)
{
    PaintPage(state, kPlateVer110, true);
}
BENCHMARK(BM_PaintPagePlainCells)->Unit(benchmark::kMillisecond);

} // namespace
