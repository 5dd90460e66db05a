// The date scan over a generated tree of 20,000 pictures in 2,000 folders (20 top folders of
// 100 folders with 10 pictures each, plus a few files of other kinds), in fast and full mode,
// and the grouping of its 20,000 lines into the date tree and month files.
//
// The tree is made once in $TMPDIR/scan-bench-tree and reused (not under a name starting with
// "korvate", which the scan's skip list leaves out). "--write-tree DIR" makes
// it in DIR instead and ends (bench/date_scan_vs_find.sh uses that).
#include "platform/file_times.h"
#include "sources/date_scan.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <cstring>

namespace
{

using namespace korvatel;

constexpr int kTop = 20;
constexpr int kPerTop = 100;
constexpr int kPerFolder = 10;

bool MakeTree(const QString &root)
{
    QDir dir(root);
    if (dir.exists(QStringLiteral("ready")))
        return true;
    const QDateTime start(QDate(2003, 1, 1), QTime(9, 0, 0));
    int n = 0;
    for (int t = 0; t < kTop; ++t) {
        for (int f = 0; f < kPerTop; ++f) {
            const QString folder = QStringLiteral("%1/album%2/event%3").arg(root).arg(t).arg(f);
            if (!QDir().mkpath(folder))
                return false;
            for (int p = 0; p < kPerFolder; ++p, ++n) {
                const QString name
                    = QStringLiteral("%1/IMG_%2.%3")
                          .arg(folder)
                          .arg(n, 5, 10, QLatin1Char('0'))
                          .arg(p % 3 == 0 ? QStringLiteral("JPG") : QStringLiteral("jpg"));
                QFile file(name);
                if (!file.open(QIODevice::WriteOnly))
                    return false;
                file.write(QByteArray(64 + p, 'x'));
                file.close();
                // One picture every 90 minutes: about 3.4 years of days.
                const QDateTime when = start.addSecs(qint64(n) * 5400);
                SetFileTimes(name, when, when);
            }
            QFile note(folder + QStringLiteral("/memo.txt"));
            if (note.open(QIODevice::WriteOnly))
                note.write("x");
        }
    }
    QFile ready(dir.filePath(QStringLiteral("ready")));
    return ready.open(QIODevice::WriteOnly);
}

const QString &TreeRoot()
{
    static const QString root = [] {
        const QString path = QDir::temp().filePath(QStringLiteral("scan-bench-tree"));
        MakeTree(path);
        return path;
    }();
    return root;
}

TScanRules Rules(bool full)
{
    TScanRules rules;
    rules.extensions = { QStringLiteral(".jpg"), QStringLiteral(".jpeg") };
    rules.fullMode = full;
    return rules;
}

void Scan(benchmark::State &state, bool full)
{
    const QString root = TreeRoot();
    qsizetype found = 0;
    for (auto _ : state) {
        QStringList lines;
        TDateScanner scanner(Rules(full));
        scanner.ScanFolder(root, lines, true);
        found = lines.size();
    }
    state.counters["pictures"] = double(found);
    if (found != kTop * kPerTop * kPerFolder)
        state.SkipWithError("the scan did not find every picture");
}

void BM_DateScanFast(benchmark::State &state)
{
    Scan(state, false);
}
BENCHMARK(BM_DateScanFast)->Unit(benchmark::kMillisecond);

void BM_DateScanFull(benchmark::State &state)
{
    Scan(state, true);
}
BENCHMARK(BM_DateScanFull)->Unit(benchmark::kMillisecond);

// Sorting and grouping the lines, and writing DateData.ini and the month files.
void BM_BuildDateTree(benchmark::State &state)
{
    QStringList lines;
    TDateScanner(Rules(false)).ScanFolder(TreeRoot(), lines, true);
    QTemporaryDir tree;
    int pictures = 0;
    int months = 0;
    for (auto _ : state) {
        const std::optional<TDateLists> lists = BuildDateLists(lines);
        pictures = lists->pictures;
        months = int(lists->months.size());
        WriteMonthFiles(tree.path(), *lists);
    }
    state.counters["pictures"] = pictures;
    state.counters["months"] = months;
}
BENCHMARK(BM_BuildDateTree)->Unit(benchmark::kMillisecond);

// Listing a month node from its month file.
void BM_ListMonthNode(benchmark::State &state)
{
    QStringList lines;
    TDateScanner(Rules(false)).ScanFolder(TreeRoot(), lines, true);
    QTemporaryDir tree;
    WriteMonthFiles(tree.path(), *BuildDateLists(lines));
    qsizetype listed = 0;
    for (auto _ : state)
        listed = ListDateNode(tree.path(), QStringLiteral("2004/ 6月(   0)")).size();
    state.counters["pictures"] = double(listed);
}
BENCHMARK(BM_ListMonthNode)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char **argv)
{
    for (int i = 1; i + 1 < argc; ++i)
        if (std::strcmp(argv[i], "--write-tree") == 0)
            return MakeTree(QString::fromLocal8Bit(argv[i + 1])) ? 0 : 1;
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
