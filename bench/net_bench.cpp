// FTP upload to the local demo shop through the transport (TWinFTP::PutFile, chunked as the
// progress rule wants, the window's events processed at most every 20 ms), side by side with
// peers given the same files over one connection: one 50 MB file beside the curl command-line
// tool, and 50 files of 1 MB beside Python's ftplib. Each round runs the four uploads in turn;
// the medians of the rounds and of the pair-by-pair throughput ratios are printed. Only the
// transfer is timed: from the login to the last file's end (curl's and ftplib's own timers).
//
//   net_bench [--runs N]    (5 rounds by default)

#include "net/win_inet.h"
#include "support/demo_shop.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <optional>
#include <vector>

namespace
{

using korvatel::test::TDemoShop;

struct TFileSet {
    QStringList paths;
    qint64 total = 0;
};

TFileSet MakeFiles(const QString &dir, int count, qint64 bytes, quint32 seed)
{
    TFileSet set;
    QRandomGenerator random(seed);
    QDir().mkpath(dir);
    for (int i = 0; i < count; ++i) {
        QByteArray data(qsizetype(bytes), Qt::Uninitialized);
        random.fillRange(reinterpret_cast<quint32 *>(data.data()), data.size() / 4);
        const QString path = QStringLiteral("%1/photo%2.jpg").arg(dir).arg(i + 1);
        QFile file(path);
        if (file.open(QIODevice::WriteOnly))
            file.write(data);
        set.paths << path;
        set.total += data.size();
    }
    return set;
}

int gRound = 0;

// Seconds of the transport's login and uploads into a new folder.
std::optional<double> Transport(TDemoShop &shop, const TFileSet &set)
{
    QElapsedTimer timer;
    timer.start();
    korvatel::TWinFTP ftp(shop.Config().Transport());
    if (!ftp.Login(shop.FtpHost(), shop.FtpUser(), shop.FtpPassword(), false)
        || !ftp.SetDir(QStringLiteral("/order/transport%1").arg(++gRound), true))
        return std::nullopt;
    for (const QString &path : set.paths)
        if (!ftp.PutFile(path, QFileInfo(path).fileName()))
            return std::nullopt;
    return timer.nsecsElapsed() / 1e9;
}

// Runs a peer that prints its own seconds on the last line.
std::optional<double> Peer(const QString &program, const QStringList &arguments)
{
    QProcess peer;
    peer.start(program, arguments);
    if (!peer.waitForFinished(300000) || peer.exitCode() != 0)
        return std::nullopt;
    const QList<QByteArray> lines = peer.readAllStandardOutput().trimmed().split('\n');
    double seconds = 0;
    for (const QByteArray &line : lines)
        seconds += line.trimmed().toDouble(); // curl prints one time per file
    return seconds;
}

std::optional<double> Curl(TDemoShop &shop, const TFileSet &set)
{
    const QString url = QStringLiteral("ftp://%1:%2@%3/order/curl%4/")
                            .arg(shop.FtpUser(), shop.FtpPassword(), shop.FtpHost())
                            .arg(++gRound);
    return Peer(QStringLiteral("curl"),
        { QStringLiteral("-s"), QStringLiteral("--ftp-create-dirs"), QStringLiteral("-w"),
            QStringLiteral("%{time_total}\\n"), QStringLiteral("-T"),
            u'{' + set.paths.join(u',') + u'}', url });
}

std::optional<double> Ftplib(TDemoShop &shop, const TFileSet &set)
{
    static const char kScript[] = R"(
import ftplib, os, sys, time
host, port = sys.argv[1].rsplit(":", 1)
start = time.perf_counter()
ftp = ftplib.FTP()
ftp.connect(host, int(port))
ftp.login(sys.argv[2], sys.argv[3])
ftp.mkd(sys.argv[4])
ftp.cwd(sys.argv[4])
for path in sys.argv[5:]:
    with open(path, "rb") as f:
        ftp.storbinary("STOR " + os.path.basename(path), f)
ftp.quit()
print(time.perf_counter() - start)
)";
    QStringList arguments { QStringLiteral("-c"), QString::fromLatin1(kScript), shop.FtpHost(),
        shop.FtpUser(), shop.FtpPassword(), QStringLiteral("/order/ftplib%1").arg(++gRound) };
    arguments += set.paths;
    return Peer(QStringLiteral("/usr/bin/python3"), arguments);
}

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n == 0 ? 0 : n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

struct TSide {
    std::vector<double> ours, theirs, ratios;
};

void Report(const char *what, const char *peer, const TSide &side, qint64 bytes)
{
    const double ours = Median(side.ours);
    const double theirs = Median(side.theirs);
    std::printf("%s\n  transport  median %7.1f ms  %7.1f MB/s\n  %-9s  median %7.1f ms  %7.1f "
                "MB/s\n  throughput ratio transport/%s %.2f (median of %zu pairs)\n",
        what, ours * 1e3, bytes / ours / 1e6, peer, theirs * 1e3, bytes / theirs / 1e6, peer,
        Median(side.ratios), side.ratios.size());
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv); // the transport lets the event loop run between chunks
    int runs = 5;
    for (int i = 1; i + 1 < argc; ++i)
        if (std::strcmp(argv[i], "--runs") == 0)
            runs = std::max(1, std::atoi(argv[i + 1]));
    QTemporaryDir files;
    const TFileSet one = MakeFiles(files.filePath(QStringLiteral("one")), 1, 50 << 20, 1234);
    const TFileSet many = MakeFiles(files.filePath(QStringLiteral("many")), 50, 1 << 20, 4321);
    TDemoShop shop;
    if (!shop.Running()) {
        std::fprintf(stderr, "the demo shop's FTP server is not there\n");
        return 1;
    }
    TSide big, small;
    // One round unmeasured: the server and the page cache warm up.
    for (int round = -1; round < runs; ++round) {
        const auto a = Transport(shop, one);
        const auto b = Curl(shop, one);
        const auto c = Transport(shop, many);
        const auto d = Ftplib(shop, many);
        if (!a || !b || !c || !d) {
            std::fprintf(stderr, "an upload failed (transport %d %d, curl %d, ftplib %d)\n",
                bool(a), bool(c), bool(b), bool(d));
            return 1;
        }
        if (round < 0)
            continue;
        big.ours.push_back(*a);
        big.theirs.push_back(*b);
        big.ratios.push_back(*b / *a);
        small.ours.push_back(*c);
        small.theirs.push_back(*d);
        small.ratios.push_back(*d / *c);
    }
    Report("one 50 MB file:", "curl", big, one.total);
    Report("50 files of 1 MB:", "ftplib", small, many.total);
    return 0;
}
