// Throughput of the text helpers that every file read and write goes through.
#include "text/comma_text.h"
#include "text/cp932.h"
#include "text/half_width.h"
#include "text/numbers.h"
#include "text/scramble.h"

#include <benchmark/benchmark.h>

namespace
{

using namespace korvatel;

// The program's start reads its shop argument through ToHalfWidth: the first call in the
// process, once each (registered first, before anything else builds a transliterator).
// Arg 0: a plain "0123456789" argument, which builds none; arg 1: the same figures in full
// width, which builds one and loads ICU's transform data.
void BM_ToHalfWidthFirstCall(benchmark::State &state)
{
    const QString text = state.range(0) == 0 ? QStringLiteral("0123456789")
                                             : QStringLiteral("０１２３４５６７８９");
    for (auto _ : state)
        benchmark::DoNotOptimize(ToHalfWidth(text));
}
BENCHMARK(BM_ToHalfWidthFirstCall)->Arg(0)->Arg(1)->Iterations(1)->Unit(benchmark::kMillisecond);

QString SampleText(int repeat)
{
    const QString line = QStringLiteral("Name=山田 太郎,Zip=123-4567,Adrs1=東京都港区芝公園4-2-8,"
                                        "Size=L,Count=2,ﾌﾟﾘﾝﾄ=あり①髙\r\n");
    return line.repeated(repeat);
}

void BM_FromCp932(benchmark::State &state)
{
    const QByteArray bytes = ToCp932(SampleText(int(state.range(0))));
    for (auto _ : state)
        benchmark::DoNotOptimize(FromCp932(bytes));
    state.SetBytesProcessed(state.iterations() * bytes.size());
}
BENCHMARK(BM_FromCp932)->Arg(10)->Arg(10000);

void BM_ToCp932(benchmark::State &state)
{
    const QString text = SampleText(int(state.range(0)));
    for (auto _ : state)
        benchmark::DoNotOptimize(ToCp932(text));
    state.SetBytesProcessed(state.iterations() * text.size() * 2);
}
BENCHMARK(BM_ToCp932)->Arg(10)->Arg(10000);

void BM_Cp932Width(benchmark::State &state)
{
    const QString text = QStringLiteral("L-DSC ﾌﾟﾘﾝﾄ 写真の注文");
    for (auto _ : state)
        benchmark::DoNotOptimize(Cp932Width(text));
}
BENCHMARK(BM_Cp932Width);

void BM_CommaTextRoundTrip(benchmark::State &state)
{
    const QStringList items = { QStringLiteral("Tab=ご自分"), QStringLiteral("Name=山田 太郎"),
        QStringLiteral("Tel1=03-1234-5678"), QStringLiteral("Adrs2=a,b") };
    for (auto _ : state)
        benchmark::DoNotOptimize(FromCommaText(ToCommaText(items)));
}
BENCHMARK(BM_CommaTextRoundTrip);

void BM_ParseNumber(benchmark::State &state)
{
    const QString text = QStringLiteral("￥1,234円");
    for (auto _ : state)
        benchmark::DoNotOptimize(ParseNumber(text, 0));
}
BENCHMARK(BM_ParseNumber);

void BM_ToHalfWidth(benchmark::State &state)
{
    const QString text = QStringLiteral("　ｔａｒｏ＠ｅｘａｍｐｌｅ．ｊｐ　");
    for (auto _ : state)
        benchmark::DoNotOptimize(ToHalfWidth(text));
}
BENCHMARK(BM_ToHalfWidth);

void BM_ScrambleRoundTrip(benchmark::State &state)
{
    const QString text = QStringLiteral("東京都港区芝公園4-2-8;ﾋﾞﾙ 5F");
    for (auto _ : state)
        benchmark::DoNotOptimize(Unscramble(Scramble(text)));
}
BENCHMARK(BM_ScrambleRoundTrip);

} // namespace

BENCHMARK_MAIN();
