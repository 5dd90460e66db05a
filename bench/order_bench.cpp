// Saving and loading an order memory of 5,000 items: the basket of a large event kept between
// two runs of the program.
#include "order/thumb_nails.h"
#include "platform/clock.h"
#include "pricing/price_tables.h"
#include "pricing/shop_data.h"
#include "text/sjis_file.h"

#include <QDir>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace
{

using namespace korvatel;

constexpr int kItems = 5000;

const TPriceTables &Tables()
{
    static const TPriceTables tables = [] {
        TPriceTables t(kServerCatalogue);
        t.Load(TShopData::FromContainer(SplitLines(
            QStringLiteral(":>SIZENAME\nL\n2L\nKG\n:>END\n:>USEDSIZE\n*D\n*D\n*D\n:>END\n"
                           ":>PRICES\nprcNet|L=25\nprcNet|2L=80\nprcNet|KG=50\n:>END\n"))));
        return t;
    }();
    return tables;
}

TOrderContext Context()
{
    TOrderContext context;
    context.tables = &Tables();
    context.works = QStringLiteral("C:\\Korvatel\\Works");
    return context;
}

// A basket of 5,000 disk pictures with dates, two sizes each and a correction on every third.
void FillBasket(TThumbNails &list)
{
    for (int i = 0; i < kItems; ++i) {
        const QString path = QStringLiteral("C:\\Photos\\2009\\%1\\IMG_%2.JPG")
                                 .arg(i / 500)
                                 .arg(i, 5, 10, QChar(u'0'));
        TThumbNail *item = list.AddPicture(1, path, false, 1 + i % 3, QStringLiteral("L"));
        item->FileSize = 3000000 + i;
        item->DateStr[0] = QStringLiteral("2009.07.15");
        item->DateStr[1] = QStringLiteral("2009.07.15 13:%1:09").arg(i % 60, 2, 10, QChar(u'0'));
        if (i % 2)
            item->SetSizeCount(QStringLiteral("2L"), 2);
        if (i % 3 == 0) {
            item->Hosei.kind = 2;
            item->Hosei.density = 10;
        }
    }
    list.Recount();
}

void BM_SaveMemory5000(benchmark::State &state)
{
    QTemporaryDir dir;
    TThumbNails list(Context());
    FillBasket(list);
    list.SetSortKind(osFileName);
    const QString file = QDir(dir.path()).filePath(QStringLiteral("OrderMemory"));
    for (auto _ : state) {
        if (!list.SaveMemory(file, {}, SystemClock()))
            state.SkipWithError("the order memory was not written");
    }
    state.counters["items"] = benchmark::Counter(
        double(kItems) * double(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_SaveMemory5000)->Unit(benchmark::kMillisecond);

void BM_LoadMemory5000(benchmark::State &state)
{
    QTemporaryDir dir;
    const QString file = QDir(dir.path()).filePath(QStringLiteral("OrderMemory"));
    {
        TThumbNails list(Context());
        FillBasket(list);
        list.SaveMemory(file, {}, SystemClock());
    }
    for (auto _ : state) {
        TThumbNails list(Context());
        if (list.LoadMemory(file, {}) != kItems)
            state.SkipWithError("the order memory did not read back");
        benchmark::DoNotOptimize(list.OrderCount());
    }
    state.counters["items"] = benchmark::Counter(
        double(kItems) * double(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_LoadMemory5000)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
