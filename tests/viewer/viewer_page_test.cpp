#include "platform/prompter.h"
#include "support/image_builders.h"
#include "support/temp_home.h"
#include "viewer/picture_loader.h"
#include "viewer/slide_show.h"
#include "viewer/ui/rect_label.h"
#include "viewer/ui/viewer_page.h"
#include "viewer/ui/viewer_stage.h"
#include "workspace/option_settings.h"
#include "workspace/state_settings.h"

#include <QAction>
#include <QApplication>
#include <QFileInfo>
#include <QMenu>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <gtest/gtest.h>

namespace korvatel
{

TEST(SlideShow, IntervalsAndTheirMenuItems)
{
    ASSERT_EQ(SlideIntervals().size(), 8);
    EXPECT_EQ(SlideIntervalIndex(200), 0);
    EXPECT_EQ(SlideIntervalIndex(5000), 7);
    EXPECT_EQ(SlideIntervalIndex(1234), 4); // not offered: "1．０秒"
    EXPECT_EQ(SlideTimerInterval(50), 200);
    EXPECT_EQ(SlideTimerInterval(60000), 5000);
    EXPECT_EQ(SlideTimerInterval(700), 700);
}

TEST(SlideShow, StartsAtTheViewedPictureAndEndsAfterTheLast)
{
    EXPECT_EQ(SlideStartIndex(-1, 3), 0);
    EXPECT_EQ(SlideStartIndex(2, 3), 2);
    EXPECT_EQ(SlideStartIndex(3, 3), 0); // the list became shorter
    EXPECT_EQ(SlideStartIndex(0, 0), -1);
    EXPECT_EQ(NextSlideIndex(0, 3), 1);
    EXPECT_EQ(NextSlideIndex(2, 3), -1);
}

namespace
{

// The viewer page on its own in a window, with the menu "画像編集" and three pictures in the
// browser list; the hooks record what the window would be asked to do.
struct TPageFixture {
    test::TTempHome home;
    TStateSettings state;
    TOption2Settings option2;
    TScriptedPrompter prompter;
    QWidget window;
    QMenu menu;
    TViewerPage *page = nullptr;
    QStringList files;
    QList<int> browserCells;
    QStringList status[3];
    QStringList ordered;
    int viewerShown = 0;

    explicit TPageFixture(bool online = true)
    {
        for (const QSize size : { QSize(40, 30), QSize(30, 40), QSize(50, 20) }) {
            const QString name = QStringLiteral("p%1x%2.jpg").arg(size.width()).arg(size.height());
            home.Write(name, test::JpegBytes(test::PatternBitmap(size.width(), size.height())));
            files << home.FilePath(name);
        }
        state.Interval = 1000;
        page = new TViewerPage(state, option2, online, &window);
        page->SetPrompter(&prompter);
        page->BuildMenu(&menu);
        page->ShowStatus = [this](int panel, const QString &text) { status[panel] << text; };
        page->ShowViewer = [this] {
            ++viewerShown;
            page->SetActive(true);
        };
        page->BrowserCurrent = [this](int index) { browserCells << index; };
        page->OrderFile = [this](const QString &file, const QString &) { ordered << file; };
        page->SetBrowserFiles(files);
        window.resize(800, 600);
        window.show();
    }

    QAction *Command(const char *name) const
    {
        return page->findChild<QAction *>(QString::fromLatin1(name));
    }
    QSize Shown() const { return page->Stage()->Picture().Size(); }
};

} // namespace

TEST(TViewerPage, CommandsWorkOnlyWhileThePageIsActiveAndAPictureIsShown)
{
    TPageFixture f;
    ASSERT_NE(f.Command("miRight90"), nullptr);
    EXPECT_FALSE(f.Command("miSlideShow")->isEnabled());
    f.page->SetActive(true);
    EXPECT_TRUE(f.Command("miSlideShow")->isEnabled());
    EXPECT_FALSE(f.Command("miRight90")->isEnabled());
    ASSERT_TRUE(f.page->ViewPicture(f.files[0]));
    EXPECT_EQ(f.status[0].last(), QStringLiteral("p40x30.jpg"));
    EXPECT_TRUE(f.Command("miRight90")->isEnabled());
    EXPECT_FALSE(f.Command("miRestore")->isEnabled());
    f.Command("miRight90")->trigger();
    EXPECT_EQ(f.Shown(), QSize(30, 40));
    EXPECT_TRUE(f.Command("miRestore")->isEnabled());
    f.Command("miRestore")->trigger();
    EXPECT_EQ(f.Shown(), QSize(40, 30));
    f.page->SetActive(false);
    EXPECT_FALSE(f.Command("miRight90")->isEnabled());
}

TEST(TViewerPage, TheChosenMaximumZoomIsKeptForTheNextStart)
{
    TPageFixture f;
    f.state.MaxZoom = 300;
    QToolButton *max = f.page->Stage()->sbMaxZoom();
    ASSERT_NE(max->menu(), nullptr);
    for (QAction *choice : max->menu()->actions())
        if (choice->text().contains(QStringLiteral("200")))
            choice->trigger();
    EXPECT_EQ(f.page->Stage()->MaxZoom(), 200);
    EXPECT_EQ(f.state.MaxZoom, 200);
}

TEST(TViewerPage, TheSlideShowStepsThroughTheBrowserListAndEnds)
{
    TPageFixture f;
    f.Command("miSlideShow")->trigger(); // inactive: the command is disabled
    EXPECT_FALSE(f.page->SlideShowRunning());
    f.page->StartSlideShow(); // asks the window for the viewer tab first
    EXPECT_EQ(f.viewerShown, 1);
    ASSERT_TRUE(f.page->SlideShowRunning());
    EXPECT_EQ(f.page->SlideTimer()->interval(), 1000);
    EXPECT_EQ(f.Shown(), QSize(40, 30));
    QTest::keyClick(f.page->Stage(), Qt::Key_Space);
    EXPECT_TRUE(f.page->SlideShowPaused());
    QMetaObject::invokeMethod(f.page->SlideTimer(), "timeout");
    EXPECT_EQ(f.Shown(), QSize(40, 30)); // paused
    QTest::keyClick(f.page->Stage(), Qt::Key_Space);
    QMetaObject::invokeMethod(f.page->SlideTimer(), "timeout");
    QMetaObject::invokeMethod(f.page->SlideTimer(), "timeout");
    EXPECT_EQ(f.Shown(), QSize(50, 20));
    EXPECT_EQ(f.browserCells, (QList<int> { 0, 1, 2 }));
    QMetaObject::invokeMethod(f.page->SlideTimer(), "timeout");
    EXPECT_FALSE(f.page->SlideShowRunning());
    EXPECT_TRUE(f.page->Stage()->pnSlideEnd()->isVisible());
}

TEST(TViewerPage, EscEndsTheShowThenRemovesNothingMore)
{
    TPageFixture f;
    f.page->SetActive(true);
    f.page->StartSlideShow();
    EXPECT_TRUE(f.page->EscapeKey());
    EXPECT_FALSE(f.page->SlideShowRunning());
    EXPECT_FALSE(f.page->EscapeKey()); // no frame open: the window's turn
}

TEST(TViewerPage, AnIntervalChoiceReachesStateAndTheTimer)
{
    TPageFixture f;
    ASSERT_NE(f.Command("miInterval4"), nullptr);
    EXPECT_TRUE(f.Command("miInterval4")->isChecked());
    f.Command("miInterval1")->trigger();
    EXPECT_EQ(f.state.Interval, 300);
    EXPECT_EQ(f.page->SlideTimer()->interval(), 300);
}

TEST(TViewerPage, OrderingOfflineIsRefusedAndOnlineGoesToTheHook)
{
    TPageFixture offline(false);
    offline.page->SetActive(true);
    offline.page->ViewPicture(offline.files[0]);
    offline.page->sbOrderViewClick();
    EXPECT_EQ(offline.prompter.Texts(),
        QStringList { QStringLiteral("OFF-LINEです。注文内容は変更できません。") });
    EXPECT_TRUE(offline.ordered.isEmpty());

    TPageFixture online;
    online.page->SetActive(true);
    online.page->ViewPicture(online.files[1]);
    online.page->sbOrderViewClick(); // unchanged and without a frame: the file itself
    EXPECT_EQ(online.ordered, QStringList { online.files[1] });
    EXPECT_EQ(online.prompter.Unexpected(), 0);
}

} // namespace korvatel

namespace korvatel
{

TEST(TViewerPage, ALargePictureIsReadWithoutHoldingTheWindow)
{
    TPageFixture f;
    f.page->SetActive(true);
    f.home.Write(QStringLiteral("big.jpg"), test::JpegBytes(test::PatternBitmap(2400, 1800), 100));
    const QString big = f.home.FilePath(QStringLiteral("big.jpg"));
    ASSERT_GT(QFileInfo(big).size(), kBackgroundLoadBytes);

    ASSERT_TRUE(f.page->ViewPicture(big));
    TViewerStage *stage = f.page->Stage();
    EXPECT_TRUE(stage->Loading());
    EXPECT_EQ(f.status[2].last(), QStringLiteral("読み込み中…"));
    // The commands wait for the whole picture.
    EXPECT_FALSE(f.Command("miRight90")->isEnabled());
    EXPECT_FALSE(f.Command("miOrderView")->isEnabled());
    ASSERT_TRUE(QTest::qWaitFor([&] { return !stage->Loading(); }, 20000));
    EXPECT_EQ(f.Shown(), QSize(2400, 1800));
    EXPECT_TRUE(f.Command("miRight90")->isEnabled());
    EXPECT_EQ(f.status[2].last(), QString());

    // A large file that does not read gives its message once it has been tried.
    f.home.Write(
        QStringLiteral("broken.jpg"), QByteArray("\xFF\xD8\xFF") + QByteArray(2'000'000, 'x'));
    ASSERT_TRUE(f.page->ViewPicture(f.home.FilePath(QStringLiteral("broken.jpg"))));
    EXPECT_TRUE(f.prompter.Texts().isEmpty());
    ASSERT_TRUE(QTest::qWaitFor([&] { return !stage->Loading(); }, 20000));
    EXPECT_EQ(f.prompter.Texts().size(), 1);
    EXPECT_TRUE(stage->Picture().Empty());
    EXPECT_FALSE(f.Command("miRight90")->isEnabled());
}

} // namespace korvatel
