#include "sources/film_list.h"
#include "sources/thumb_loader.h"
#include "sources/thumb_store.h"
#include "sources/ui/film_grid.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <QScreen>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <gtest/gtest.h>
#include <memory>

namespace korvatel
{

namespace
{

// A strip of its own over a folder of files that only hold "x", with one loader thread.
struct TStripFixture {
    explicit TStripFixture(int pictures)
    {
        for (int i = 0; i < pictures; ++i) {
            const QString path
                = dir.filePath(QStringLiteral("p%1.jpg").arg(i, 4, 10, QLatin1Char('0')));
            QFile file(path);
            EXPECT_TRUE(file.open(QIODevice::WriteOnly));
            file.write("x");
            file.close();
            list.AddFile(path);
        }
        loader
            = std::make_unique<TThumbLoader>(dir.filePath(QStringLiteral("Works")), 0, nullptr, 1);
        grid.SetList(&list);
        grid.SetLoader(loader.get());
        grid.SetCellSize(QSize(100, 100));
        grid.resize(330, 230); // three columns, two rows
        grid.show();
        QCoreApplication::processEvents();
    }

    // Paints the strip and waits until the loader has answered what the paint asked.
    void PaintAndSettle()
    {
        grid.grab();
        QDeadlineTimer deadline(10000);
        const QPair<int, int> visible = grid.VisibleRange();
        const auto answered = [&] {
            for (int i = visible.first; i <= std::min(visible.second, list.Count() - 1); ++i)
                if (grid.State(i) == TCellState::csPending)
                    return false;
            return true;
        };
        while (!answered() && !deadline.hasExpired())
            QTest::qWait(5);
    }

    QTemporaryDir dir;
    TFilmList list;
    std::unique_ptr<TThumbLoader> loader;
    TFilmGrid grid;
};

} // namespace

TEST(TFilmGridMemory, ScrollingThroughABigListKeepsOnlyThePicturesNearTheView)
{
    TStripFixture f(600);
    const int page = f.grid.VisibleRows() * f.grid.ColCount();
    ASSERT_GE(page, 2);
    ASSERT_LT(page, 60);
    for (int row = 0; row < 600 / f.grid.ColCount(); row += f.grid.VisibleRows()) {
        f.grid.verticalScrollBar()->setValue(row * 100);
        f.PaintAndSettle();
    }
    EXPECT_GE(f.grid.ReadyCount(), page);
    EXPECT_LE(f.grid.ReadyCount(), (2 * TFilmGrid::kKeptPages + 1) * page);
    // A picture far above is dropped and asked again when scrolled back.
    EXPECT_EQ(f.grid.State(0), TCellState::csPending);
    f.grid.verticalScrollBar()->setValue(0);
    f.PaintAndSettle();
    EXPECT_EQ(f.grid.State(0), TCellState::csError);
}

TEST(TFilmGridMemory, ACellBeingMadeIsNotAskedAgainAfterAScroll)
{
    TStripFixture f(60);
    // The first paint's cells are answered before the test starts, so that no cell of that
    // paint is still being made when the pictures are forgotten below.
    f.PaintAndSettle();
    QTRY_VERIFY_WITH_TIMEOUT(f.loader->Pending() == 0, 10000);
    QTest::qWait(100);
    // While the store is held the single loader thread takes the first cell and waits.
    f.loader->WithStore([&](TThumbStore &) {
        f.grid.InvalidatePictures();
        f.grid.grab();
        int asked = 0; // the cells the paint drew, partly shown ones included
        for (int i = 0; i < f.list.Count(); ++i)
            asked += f.grid.CellRect(i).intersects(f.grid.viewport()->rect());
        QDeadlineTimer deadline(10000);
        while (f.loader->Pending() != asked - 1 && !deadline.hasExpired())
            QThread::msleep(2);
        ASSERT_EQ(f.loader->Pending(), asked - 1);
        // A scroll by a pixel keeps every cell in view; the paint asks again for those not
        // started, not for the one being made.
        f.grid.verticalScrollBar()->setValue(1);
        f.grid.grab();
        EXPECT_EQ(f.loader->Pending(), asked - 1);
    });
    QTRY_VERIFY_WITH_TIMEOUT(f.loader->Pending() == 0, 10000);
}

// Whether every cell that shows in the viewport, partly or whole, holds its answer.
bool EveryShownCellAnswered(const TStripFixture &f)
{
    for (int i = 0; i < f.list.Count(); ++i)
        if (f.grid.CellRect(i).intersects(f.grid.viewport()->rect())
            && f.grid.State(i) == TCellState::csPending)
            return false;
    return true;
}

// Runs the event loop until the count reaches at least n (10 seconds at most).
void WaitForCount(const int &count, int n)
{
    QDeadlineTimer deadline(10000);
    while (count < n && !deadline.hasExpired())
        QTest::qWait(5);
}

TEST(TFilmGridScreen, CompleteOnceEveryShownCellIsDrawnAndAgainForANewList)
{
    TFilmList empty;
    TStripFixture f(40);
    // The viewport ends exactly at a row's lower edge: the row below is not shown and not
    // waited for.
    f.grid.resize(330, 200 + 2 * f.grid.frameWidth());
    int completions = 0;
    bool answeredThen = false;
    QObject::connect(&f.grid, &TFilmGrid::screenComplete, [&] {
        ++completions;
        answeredThen = EveryShownCellAnswered(f);
    });
    f.grid.ListChanged();
    WaitForCount(completions, 1);
    ASSERT_EQ(completions, 1);
    EXPECT_TRUE(answeredThen);
    EXPECT_EQ(f.grid.State(6), TCellState::csPending); // the first cell of the third row

    // Scrolling through the same list completes nothing more.
    f.grid.verticalScrollBar()->setValue(300);
    f.PaintAndSettle();
    f.grid.grab();
    EXPECT_EQ(completions, 1);
    // A new list (and an empty one) completes again.
    f.grid.ListChanged();
    WaitForCount(completions, 2);
    EXPECT_EQ(completions, 2);
    EXPECT_TRUE(answeredThen);
    f.grid.SetList(&empty);
    WaitForCount(completions, 3);
    EXPECT_EQ(completions, 3);
}

TEST(TFilmGridScreen, AStripNotShownYetAsksForAScreenOfCellsAtOnce)
{
    QTemporaryDir dir;
    TFilmList list;
    for (int i = 0; i < 5000; ++i)
        list.AddFile(dir.filePath(QStringLiteral("p%1.jpg").arg(i)));
    TThumbLoader loader(dir.filePath(QStringLiteral("Works")), 0, nullptr, 1);
    TFilmGrid grid;
    grid.SetCellSize(QSize(100, 100));
    grid.SetLoader(&loader);
    // The single loader thread is held, so every request stays waiting but the first.
    loader.WithStore([&](TThumbStore &) {
        grid.SetList(&list);
        const QSize screen = grid.screen()->availableSize();
        const int cells = screen.width() / 100 * (screen.height() / 100 + 1);
        EXPECT_GE(loader.Pending(), cells - 1);
        EXPECT_LE(loader.Pending(), cells);
        // Once shown, a new list is left to the paint, which asks only for the visible cells.
        grid.resize(330, 230);
        grid.show();
        loader.ClearPending();
        grid.ListChanged();
        EXPECT_EQ(loader.Pending(), 0);
        grid.grab();
        EXPECT_GE(loader.Pending(), 8); // the loader thread may have taken one and waits
        EXPECT_LE(loader.Pending(), 9);
        loader.ClearPending();
    });
}

TEST(TThumbLoaderQueue, ClearPendingGivesTheIndicesNotStarted)
{
    QTemporaryDir dir;
    TThumbLoader loader(dir.path(), 0, nullptr, 1);
    loader.WithStore([&](TThumbStore &) {
        for (int i = 0; i < 4; ++i) {
            TThumbRequest request;
            request.index = 10 + i;
            request.generation = 1;
            request.item.fullPath = dir.filePath(QStringLiteral("none%1.jpg").arg(i));
            loader.Request(request);
        }
        QDeadlineTimer deadline(10000);
        while (loader.Pending() != 3 && !deadline.hasExpired())
            QThread::msleep(2);
        EXPECT_EQ(loader.ClearPending(), (QList<int> { 11, 12, 13 }));
    });
    EXPECT_TRUE(loader.ClearPending().isEmpty());
}

} // namespace korvatel
