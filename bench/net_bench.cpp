// FTP upload to the local demo shop: 50 MB in files of 3 to 8 MB, through the transport
// (TWinFTP::PutFile, chunked as the progress rule wants) and, side by side, with the curl
// command-line tool uploading the same files over one connection. Prints the throughput ratio.

#include "net/win_inet.h"
#include "support/demo_shop.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <map>

namespace
{

using korvatel::test::TDemoShop;

// Sizes in MB, 50 in all.
constexpr int kSizes[] = { 3, 8, 5, 7, 4, 6, 8, 3, 6 };

struct TBench {
    TDemoShop shop;
    QTemporaryDir files;
    QStringList paths;
    qint64 total = 0;

    TBench()
    {
        QRandomGenerator random(1234);
        int n = 0;
        for (int mb : kSizes) {
            QByteArray data(qsizetype(mb) * 1024 * 1024, Qt::Uninitialized);
            random.fillRange(reinterpret_cast<quint32 *>(data.data()), data.size() / 4);
            const QString path = files.filePath(QStringLiteral("photo%1.jpg").arg(++n));
            QFile file(path);
            if (file.open(QIODevice::WriteOnly))
                file.write(data);
            paths << path;
            total += data.size();
        }
    }
};

TBench *bench = nullptr;
int round = 0;

void BM_TransportUpload(benchmark::State &state)
{
    korvatel::SetBufferNum(int(state.range(0)));
    korvatel::TWinFTP ftp;
    if (!bench->shop.Running()
        || !ftp.Login(
            bench->shop.FtpHost(), bench->shop.FtpUser(), bench->shop.FtpPassword(), false)) {
        state.SkipWithError("the demo shop's FTP server is not there");
        return;
    }
    for (auto _ : state) {
        const QString dir = QStringLiteral("/order/transport%1").arg(++round);
        if (!ftp.SetDir(dir, true)) {
            state.SkipWithError("no upload folder");
            return;
        }
        for (const QString &path : bench->paths) {
            if (!ftp.PutFile(path, QFileInfo(path).fileName())) {
                state.SkipWithError(ftp.LastError().toStdString().c_str());
                return;
            }
        }
    }
    state.SetBytesProcessed(state.iterations() * bench->total);
    korvatel::SetBufferNum(korvatel::kDefaultBufferNum);
}
BENCHMARK(BM_TransportUpload)
    ->Arg(korvatel::kDefaultBufferNum)
    ->Arg(31)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(4);

void BM_CurlUpload(benchmark::State &state)
{
    if (!bench->shop.Running()) {
        state.SkipWithError("the demo shop's FTP server is not there");
        return;
    }
    for (auto _ : state) {
        const QString url
            = QStringLiteral("ftp://%1:%2@%3/order/curl%4/")
                  .arg(bench->shop.FtpUser(), bench->shop.FtpPassword(), bench->shop.FtpHost())
                  .arg(++round);
        QProcess curl;
        curl.start(QStringLiteral("curl"),
            { QStringLiteral("-s"), QStringLiteral("--ftp-create-dirs"), QStringLiteral("-T"),
                u'{' + bench->paths.join(u',') + u'}', url });
        if (!curl.waitForFinished(120000) || curl.exitCode() != 0) {
            state.SkipWithError("curl failed");
            return;
        }
    }
    state.SetBytesProcessed(state.iterations() * bench->total);
}
BENCHMARK(BM_CurlUpload)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(4);

// Keeps the throughput of every run so the ratio can be printed at the end.
class TRatioReporter : public benchmark::ConsoleReporter
{
public:
    std::map<std::string, double> bytesPerSecond;
    void ReportRuns(const std::vector<Run> &runs) override
    {
        for (const Run &run : runs) {
            const auto it = run.counters.find("bytes_per_second");
            if (it != run.counters.end() && run.run_type == Run::RT_Iteration)
                bytesPerSecond[run.benchmark_name()] = it->second;
        }
        ConsoleReporter::ReportRuns(runs);
    }
};

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv); // the transport lets the event loop run between chunks
    benchmark::Initialize(&argc, argv);
    TBench shared;
    bench = &shared;
    TRatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    const std::string def = "BM_TransportUpload/" + std::to_string(korvatel::kDefaultBufferNum)
        + "/iterations:4/real_time";
    const double transport = reporter.bytesPerSecond[def];
    const double curl = reporter.bytesPerSecond["BM_CurlUpload/iterations:4/real_time"];
    if (transport > 0 && curl > 0)
        std::printf(
            "transport / curl throughput at the default buffer: %.2f (%.1f MB/s vs %.1f MB/s)\n",
            transport / curl, transport / 1e6, curl / 1e6);
    benchmark::Shutdown();
    return 0;
}
