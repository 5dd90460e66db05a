#include <QGuiApplication>
#include <benchmark/benchmark.h>

// The main of the benchmarks that draw text or pictures with QPainter: those need the GUI side
// of Qt, on the offscreen platform so that no screen is needed.
int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
