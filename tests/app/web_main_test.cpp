#include "app/client_session.h"
#include "app/ui/basket_actions.h"
#include "app/ui/main_tab_bar.h"
#include "app/ui/status_bars.h"
#include "app/ui/usage_options.h"
#include "app/ui/web_main.h"
#include "app_session.h"
#include "imaging/picture.h"
#include "order/order_copy.h"
#include "order/ui/order_panel.h"
#include "order/ui/problem_list_form.h"
#include "platform/clock.h"
#include "platform/file_times.h"
#include "platform/prompter.h"
#include "sources/ui/browser_panel.h"
#include "sources/ui/source_panel.h"
#include "support/app_home.h"
#include "support/image_builders.h"
#include "support/keyboard_check.h"
#include "text/sjis_file.h"
#include "viewer/ui/rect_label.h"
#include "viewer/ui/viewer_page.h"
#include "viewer/ui/viewer_stage.h"
#include "workspace/option_settings.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QMouseEvent>
#include <QPushButton>
#include <QScrollArea>
#include <QSlider>
#include <QSplitter>
#include <QStatusBar>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>
#include <memory>

namespace korvatel
{

using test::TAppHome;

// The sessions of these tests.
TClientSession Session(const TAppHome &home, bool online, bool openShopTab = false)
{
    return test::TestSession(home, online, openShopTab);
}

TEST(TWebMain, OfflineWindowShowsCaptionAndRedNotice)
{
    TAppHome home;
    TClientSession session = Session(home, false);
    TWebMain window(session);
    window.show();
    EXPECT_EQ(window.windowTitle(), QStringLiteral("Korvatel"));
    ASSERT_NE(window.StatusBars()->lbOffline(), nullptr);
    EXPECT_TRUE(window.StatusBars()->lbOffline()->isVisible());
    EXPECT_EQ(window.StatusBars()->lbOffline()->text(),
        QStringLiteral("オフラインです。注文操作はできません。"));
    const QImage shot = window.grab().toImage();
    EXPECT_FALSE(shot.isNull());
    EXPECT_GE(shot.width(), 640);
}

TEST(TWebMain, OnlineWindowHidesNotice)
{
    TAppHome home;
    TClientSession session = Session(home, true);
    TWebMain window(session);
    window.show();
    EXPECT_FALSE(window.StatusBars()->lbOffline()->isVisible());
}

TEST(TWebMain, CloseSavesTheStateAndTheNextWindowRestoresIt)
{
    TAppHome home;
    ASSERT_TRUE(home.Write(
        QStringLiteral("Korvatel/SysData/State.ini"), "FolderWidth=333\r\nListDeSort=TRUE\r\n"));
    {
        TClientSession session = Session(home, false);
        TWebMain window(session);
        window.show();
        EXPECT_EQ(window.pnFolder()->width(), 333);
        EXPECT_EQ(session.State.ListDirection(), -1);
        window.close();
    }
    const QStringList lines
        = ReadSjisLines(home.FilePath(QStringLiteral("Korvatel/SysData/State.ini"))).value();
    EXPECT_TRUE(lines.contains(QStringLiteral("FolderWidth=333")));
    EXPECT_TRUE(lines.contains(QStringLiteral("ListDeSort=TRUE")));
    EXPECT_TRUE(lines.contains(QStringLiteral("NailHeights=80")));
    EXPECT_TRUE(QFileInfo::exists(home.FilePath(QStringLiteral("Korvatel/SysData/Option2.ini"))));
}

TEST(TWebMain, TheBasketIsReadAtStartCountedAndWrittenBackAtClose)
{
    TAppHome home;
    const QString picture = home.FilePath(QStringLiteral("Pictures/a.jpg"));
    ASSERT_TRUE(
        home.Write(QStringLiteral("Pictures/a.jpg"), test::JpegBytes(test::PatternBitmap(64, 48))));
    TClientSession session = Session(home, false);
    {
        TThumbNails basket;
        basket.AddPicture(1, picture, false, 3, QStringLiteral("L"));
        basket.Recount();
        ASSERT_TRUE(
            basket.SaveMemory(session.OrderMemoryPath(), session.CampusOrderPath(), SystemClock()));
    }
    {
        TWebMain window(session);
        window.show();
        QCoreApplication::processEvents();
        EXPECT_EQ(window.StatusBars()->TotalPanel(0, 0)->text(), QStringLiteral("注文数 1"));
        EXPECT_EQ(window.StatusBars()->TotalPanel(0, 1)->text(), QStringLiteral("プリント 3"));
        window.close();
    }
    TThumbNails reread;
    ASSERT_EQ(reread.LoadMemory(session.OrderMemoryPath(), session.CampusOrderPath()), 1);
    EXPECT_EQ(reread.Item(0)->FullPath, picture);
}

} // namespace korvatel

namespace korvatel
{

namespace
{

// A window on a session, with its messages going to a script.
struct TWindowFixture {
    explicit TWindowFixture(bool online = true, const QByteArray &cardSwitch = {})
        : session(Session(home, online))
    {
        if (!cardSwitch.isEmpty())
            home.Write(QStringLiteral("Korvatel/Download/Card.on"), cardSwitch);
        window = std::make_unique<TWebMain>(session);
        window->SetPrompter(&prompter);
        window->show();
        QApplication::setActiveWindow(window.get());
        EXPECT_TRUE(QTest::qWaitForWindowActive(window.get()));
    }

    // A pattern picture written as a Windows bitmap into the home folder.
    QString Picture(const QString &name, int width, int height)
    {
        const QString file = home.FilePath(name);
        EXPECT_TRUE(SavePicture(file, test::PatternBitmap(width, height), false));
        return file;
    }

    QAction *Command(const char *name) { return window->Command(QString::fromLatin1(name)); }

    // The viewer tab showing a new pattern picture of that size.
    TViewerStage *View(int width, int height)
    {
        window->SelectTab(1);
        const QString name = QStringLiteral("p%1.bmp").arg(++pictures);
        EXPECT_TRUE(window->ViewerPage()->ViewPicture(Picture(name, width, height)));
        return window->ViewerPage()->Stage();
    }
    int pictures = 0;

    TAppHome home;
    TClientSession session;
    TScriptedPrompter prompter;
    std::unique_ptr<TWebMain> window;
};

void Mouse(QWidget *widget, QEvent::Type type, QPoint pos, Qt::MouseButton button,
    Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers = {})
{
    QMouseEvent event(
        type, QPointF(pos), QPointF(widget->mapToGlobal(pos)), button, buttons, modifiers);
    QApplication::sendEvent(widget, &event);
}

// A left-button drag on a widget from a to b, through the middle.
void Drag(QWidget *widget, QPoint a, QPoint b, Qt::KeyboardModifiers modifiers = {})
{
    Mouse(widget, QEvent::MouseButtonPress, a, Qt::LeftButton, Qt::LeftButton, modifiers);
    Mouse(widget, QEvent::MouseMove, (a + b) / 2, Qt::NoButton, Qt::LeftButton, modifiers);
    Mouse(widget, QEvent::MouseMove, b, Qt::NoButton, Qt::LeftButton, modifiers);
    Mouse(widget, QEvent::MouseButtonRelease, b, Qt::LeftButton, Qt::NoButton, modifiers);
}

QRect FrameRect(TViewerStage *stage)
{
    const TTrimFrame &f = stage->Frame().Frame();
    return QRect(f.Left(), f.Top(), f.Right() - f.Left(), f.Bottom() - f.Top());
}

} // namespace

TEST(TWebMain, TabsAreNumberedWithoutTheCardTabAndCtrlDigitsChooseThem)
{
    TWindowFixture f;
    TMainTabBar *tabs = f.window->tbMain();
    ASSERT_EQ(tabs->count(), 4);
    EXPECT_EQ(tabs->tabText(0), QStringLiteral("一覧選択(0)"));
    EXPECT_EQ(tabs->tabText(2), QStringLiteral("注文詳細(2)"));
    EXPECT_EQ(tabs->tabText(3), QStringLiteral("価格情報(3)"));
    EXPECT_FALSE(f.Command("mmEdit")->isEnabled());

    QTest::keyClick(f.window.get(), Qt::Key_2, Qt::ControlModifier);
    EXPECT_EQ(f.window->Mode(), tmOrder);
    EXPECT_EQ(tabs->currentIndex(), 2);
    EXPECT_TRUE(f.Command("mmOrder")->isEnabled());
    EXPECT_EQ(tabs->Background(), QColor(0x40, 0x40, 0x40)); // the grid colour

    QTest::keyClick(f.window.get(), Qt::Key_F1, Qt::ControlModifier);
    EXPECT_EQ(f.window->Mode(), tmViewer);
    EXPECT_TRUE(f.Command("mmEdit")->isEnabled());
    EXPECT_FALSE(f.Command("mmOrder")->isEnabled());
    // No tab 7: nothing changes.
    QTest::keyClick(f.window.get(), Qt::Key_7, Qt::ControlModifier);
    EXPECT_EQ(f.window->Mode(), tmViewer);
    QTest::keyClick(f.window.get(), Qt::Key_F10, Qt::ControlModifier);
    EXPECT_EQ(f.window->Mode(), tmBrowser);
}

TEST(TWebMain, ShopWithCardsShowsFiveTabsAndOfflineDisablesTheOrderMenu)
{
    TWindowFixture f(false, "on");
    ASSERT_EQ(f.window->tbMain()->count(), 5);
    EXPECT_EQ(f.window->tbMain()->tabText(2), QStringLiteral("カード作成(2)"));
    f.window->SelectTab(3);
    EXPECT_EQ(f.window->Mode(), tmOrder);
    EXPECT_FALSE(f.Command("mmOrder")->isEnabled());
    EXPECT_FALSE(f.Command("miCopyBtn")->isEnabled());
    // Ordering the viewed picture refuses offline.
    f.View(40, 30);
    f.Command("miOrderView")->trigger();
    EXPECT_EQ(f.prompter.Texts(),
        QStringList { QStringLiteral("OFF-LINEです。注文内容は変更できません。") });
}

TEST(TWebMain, EscDuringASlideShowStopsItBeforeLeavingFullSize)
{
    TWindowFixture f;
    f.window->Browser()->SetBrowserFiles({ f.Picture(QStringLiteral("1.bmp"), 40, 30),
        f.Picture(QStringLiteral("2.bmp"), 30, 40), f.Picture(QStringLiteral("3.bmp"), 20, 20) });
    f.Command("miSlideShow")->trigger(); // only in the viewer tab
    EXPECT_FALSE(f.window->ViewerPage()->SlideShowRunning());
    f.window->SelectTab(1);
    f.Command("miSlideShow")->trigger();
    ASSERT_TRUE(f.window->ViewerPage()->SlideShowRunning());
    EXPECT_EQ(f.window->Mode(), tmViewer);
    EXPECT_EQ(f.window->ViewerPage()->Stage()->Picture().Size(), QSize(40, 30));
    f.window->SetFullSize(true);
    ASSERT_TRUE(f.window->FullSize());

    // Space pauses and resumes; the timer steps to the next picture.
    QTest::keyClick(f.window->ViewerPage()->Stage(), Qt::Key_Space);
    EXPECT_TRUE(f.window->ViewerPage()->SlideShowPaused());
    QTest::keyClick(f.window->ViewerPage()->Stage(), Qt::Key_Space);
    EXPECT_FALSE(f.window->ViewerPage()->SlideShowPaused());
    QMetaObject::invokeMethod(f.window->ViewerPage()->SlideTimer(), "timeout");
    EXPECT_EQ(f.window->ViewerPage()->Stage()->Picture().Size(), QSize(30, 40));

    QTest::keyClick(f.window->ViewerPage()->Stage(), Qt::Key_Escape);
    EXPECT_FALSE(f.window->ViewerPage()->SlideShowRunning());
    EXPECT_TRUE(f.window->FullSize());
    EXPECT_TRUE(f.window->ViewerPage()->Stage()->pnSlideEnd()->isVisible());
    EXPECT_EQ(
        f.window->ViewerPage()->Stage()->pnSlideEnd()->text(), QStringLiteral("スライド終了"));
    QTest::keyClick(f.window.get(), Qt::Key_Escape);
    EXPECT_FALSE(f.window->FullSize());
}

TEST(TWebMain, MaxZoomChoiceCapsTheZoomBar)
{
    TWindowFixture f;
    TViewerStage *stage = f.View(200, 100);
    stage->SetZoom(300);
    EXPECT_EQ(stage->tbZoom()->value(), 300);
    EXPECT_FALSE(stage->AutoZoom());
    stage->findChild<QAction *>(QStringLiteral("miMax200"))->trigger();
    EXPECT_EQ(stage->tbZoom()->maximum(), 200);
    EXPECT_EQ(stage->tbZoom()->value(), 200);
    EXPECT_EQ(stage->lbZoom()->text(), QStringLiteral("200%"));
    EXPECT_EQ(stage->Image()->size(), QSize(400, 200));
    // Clicking the label returns to 100 %.
    QTest::mouseClick(stage->lbZoom(), Qt::LeftButton);
    EXPECT_EQ(stage->Image()->size(), QSize(200, 100));
}

TEST(TWebMain, BrightnessStepChangesThePixelsAndReportsInTheStatusBar)
{
    TWindowFixture f;
    f.View(60, 40);
    const TBitmap before = f.window->ViewerPage()->Stage()->Picture().Bitmap();
    EXPECT_FALSE(f.Command("miRestore")->isEnabled());
    QTest::keyClick(f.window.get(), Qt::Key_L, Qt::ControlModifier | Qt::ShiftModifier);
    const TBitmap &after = f.window->ViewerPage()->Stage()->Picture().Bitmap();
    for (int y = 0; y < 40; y += 7)
        for (int x = 0; x < 60; x += 11) {
            const TBgr b = before.Pixel(x, y);
            ASSERT_EQ(after.Pixel(x, y),
                (TBgr { uint8_t(b.b + (255 - b.b) / 10), uint8_t(b.g + (255 - b.g) / 10),
                    uint8_t(b.r + (255 - b.r) / 10) }));
        }
    EXPECT_EQ(f.window->StatusBars()->MainPanel(2)->text(), QStringLiteral("明るく補正　完了"));
    EXPECT_TRUE(f.Command("miRestore")->isEnabled());
    f.Command("miRestore")->trigger();
    EXPECT_EQ(f.window->ViewerPage()->Stage()->Picture().Bitmap(), before);
}

TEST(TWebMain, TrimmingFrameIsDrawnZoomedTurnedAndApplied)
{
    TWindowFixture f;
    TViewerStage *stage = f.View(400, 300);
    stage->SetZoom(100);
    QWidget *image = stage->Image();
    ASSERT_EQ(image->size(), QSize(400, 300));

    // A short drag leaves no frame and the command stays off.
    Drag(image, { 50, 50 }, { 70, 60 });
    EXPECT_FALSE(stage->Frame().Visible());
    EXPECT_FALSE(f.Command("miTriming")->isEnabled());

    // 254 × 100 at 127 : 89 gives 254 × 178.
    Drag(image, { 10, 20 }, { 264, 120 });
    ASSERT_TRUE(stage->Frame().Visible());
    EXPECT_EQ(FrameRect(stage), QRect(10, 20, 254, 178));
    EXPECT_TRUE(f.Command("miTriming")->isEnabled());
    EXPECT_TRUE(stage->Frame().Bar(feRight)->isVisible());

    // 200 %: the rectangle doubles over the same picture area.
    stage->SetZoom(200);
    EXPECT_EQ(FrameRect(stage), QRect(20, 40, 508, 356));
    stage->SetZoom(100);

    // Ctrl-dragging the right bar changes only the width.
    TQLabel *right = stage->Frame().Bar(feRight);
    const QPoint grip(right->width() / 2, right->height() / 2);
    Mouse(
        right, QEvent::MouseButtonPress, grip, Qt::LeftButton, Qt::LeftButton, Qt::ControlModifier);
    Mouse(right, QEvent::MouseMove, grip - QPoint(64, 0), Qt::NoButton, Qt::LeftButton,
        Qt::ControlModifier);
    Mouse(right, QEvent::MouseButtonRelease, grip - QPoint(64, 0), Qt::LeftButton, Qt::NoButton,
        Qt::ControlModifier);
    EXPECT_EQ(FrameRect(stage), QRect(10, 20, 190, 178));

    // The trim takes the frame's pixels of the picture.
    const TBitmap before = stage->Picture().Bitmap();
    QTest::keyClick(f.window.get(), Qt::Key_T, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_FALSE(stage->Frame().Visible());
    const TBitmap &after = stage->Picture().Bitmap();
    ASSERT_EQ(QSize(after.Width(), after.Height()), QSize(190, 178));
    EXPECT_EQ(after.Pixel(0, 0), before.Pixel(10, 20));
    EXPECT_EQ(after.Pixel(189, 177), before.Pixel(199, 197));
    EXPECT_TRUE(f.Command("miUndo")->isEnabled());
    EXPECT_TRUE(stage->AutoZoom());
}

TEST(TWebMain, FrameTurnsWithThePictureAndEscRemovesIt)
{
    TWindowFixture f;
    TViewerStage *stage = f.View(400, 300);
    stage->SetZoom(100);
    Drag(stage->Image(), { 40, 30 }, { 200, 90 }, Qt::ControlModifier);
    ASSERT_EQ(FrameRect(stage), QRect(40, 30, 160, 60));
    QTest::keyClick(f.window.get(), Qt::Key_Right, Qt::ControlModifier);
    EXPECT_EQ(stage->Picture().Size(), QSize(300, 400));
    // Turned clockwise: the frame's left is 300 - its old bottom.
    EXPECT_EQ(FrameRect(stage), QRect(210, 40, 60, 160));
    QTest::keyClick(f.window.get(), Qt::Key_Escape);
    EXPECT_FALSE(stage->Frame().Visible());
    EXPECT_FALSE(f.Command("miTriming")->isEnabled());
}

TEST(TWebMain, MemoryWatchTimerCallsTheHookAndItsChoiceIsSaved)
{
    TWindowFixture f;
    EXPECT_FALSE(f.window->MemoryTimer()->isActive());
    f.Command("miMemWatch3")->trigger();
    EXPECT_TRUE(f.window->MemoryTimer()->isActive());
    EXPECT_EQ(f.window->MemoryTimer()->interval(), 500);
    const int calls = f.window->MemoryStatusCalls();
    QMetaObject::invokeMethod(f.window->MemoryTimer(), "timeout");
    EXPECT_EQ(f.window->MemoryStatusCalls(), calls + 1);
    f.Command("miMemWatch0")->trigger();
    EXPECT_FALSE(f.window->MemoryTimer()->isActive());
    f.Command("miMemWatch2")->trigger();
    f.Command("miInterval0")->trigger(); // "０．２秒"
    f.window->close();
    const QStringList lines
        = ReadSjisLines(f.home.FilePath(QStringLiteral("Korvatel/SysData/State.ini"))).value();
    EXPECT_TRUE(lines.contains(QStringLiteral("ChkMemIntTag=2")));
    EXPECT_TRUE(lines.contains(QStringLiteral("Interval=200")));
}

TEST(TWebMain, PseudoDoublePrecisionStopsAtTheLimit)
{
    TWindowFixture f;
    f.View(700, 20);
    f.Command("miPseudoDouble")->trigger();
    EXPECT_EQ(f.prompter.Texts(),
        QStringList { QStringLiteral("限界を超えました。これ以上はできません。") });
    f.View(30, 20);
    f.Command("miPseudoDouble")->trigger();
    // Step after step up to the limit: 59 × 39, 117 × 77, 233 × 153, 465 × 305, 929 × 609.
    EXPECT_EQ(f.window->ViewerPage()->Stage()->Picture().Size(), QSize(929, 609));
    EXPECT_EQ(f.window->StatusBars()->MainPanel(1)->text(), QStringLiteral("画像サイズ W30*H20"));
    EXPECT_EQ(f.window->StatusBars()->MainPanel(2)->text(), QStringLiteral("　完了 W929*H609"));
    EXPECT_EQ(f.prompter.Shown().size(), 1);
}

TEST(TUsageOptionsForm, OkWritesTheSwitchesAndCancelLeavesThem)
{
    TOption2Settings settings;
    {
        TUsageOptionsForm form(settings);
        form.cbManualExpBmp()->setChecked(true);
        form.cbShutterOff()->setChecked(true);
        form.reject();
    }
    EXPECT_FALSE(settings.ManualExpBmp);
    TUsageOptionsForm form(settings);
    form.cbManualExpBmp()->setChecked(true);
    form.cbShutterOff()->setChecked(true);
    form.accept();
    EXPECT_TRUE(settings.ManualExpBmp);
    EXPECT_TRUE(settings.ShutterOff);
    EXPECT_FALSE(settings.NoPointHint);
}

TEST(TWebMain, DragZoomWithTheRightButtonFollowsAThirdOfTheMovement)
{
    TWindowFixture f;
    TViewerStage *stage = f.View(200, 100);
    ASSERT_TRUE(stage->AutoZoom());
    QWidget *image = stage->Image();
    const QPoint p(20, 20);
    Mouse(
        image, QEvent::MouseButtonPress, p, Qt::RightButton, Qt::RightButton, Qt::ControlModifier);
    EXPECT_FALSE(stage->AutoZoom());
    EXPECT_EQ(stage->MouseState(), TViewerStage::msZooming);
    const int start = stage->Zoom();
    Mouse(image, QEvent::MouseMove, p + QPoint(90, 0), Qt::NoButton, Qt::RightButton,
        Qt::ControlModifier);
    EXPECT_EQ(stage->Zoom(), start + 30);
    Mouse(image, QEvent::MouseButtonRelease, p + QPoint(90, 0), Qt::RightButton, Qt::NoButton);
    EXPECT_EQ(stage->MouseState(), TViewerStage::msIdle);
}

TEST(TWebMain, DefaultSizeGivesTheFrameItsProportionsAndIsSaved)
{
    TAppHome home;
    ASSERT_TRUE(home.Write(QStringLiteral("Korvatel/Download/HostFmt.ini"),
        ReadWholeFile(QStringLiteral(KORVATEL_TEST_DATA "/pricing/HostFmt.ini")).value()));
    TClientSession session = Session(home, true);
    TWebMain window(session);
    window.show();
    auto *sizes = window.findChild<QComboBox *>(QStringLiteral("cbxDefSize"));
    ASSERT_NE(sizes, nullptr);
    ASSERT_EQ(sizes->currentText(), QStringLiteral("L"));
    TViewerStage *stage = window.ViewerPage()->Stage();
    EXPECT_EQ(stage->Frame().Frame().First(), 127);
    EXPECT_EQ(stage->Frame().Frame().Second(), 89);
    sizes->setCurrentText(QStringLiteral("2L"));
    EXPECT_EQ(stage->Frame().Frame().First(), 178);
    EXPECT_EQ(stage->Frame().Frame().Second(), 127);
    const QStringList lines
        = ReadSjisLines(home.FilePath(QStringLiteral("Korvatel/SysData/Default.ini"))).value();
    EXPECT_TRUE(lines.contains(QStringLiteral("DefSize=2L")));
}

TEST(TWebMain, SavingUnderANewNameFromTheViewerKeepsTheTimeStamps)
{
    TWindowFixture f;
    TViewerStage *stage = f.View(80, 60);
    const QString source = stage->Picture().FileName();
    const QDateTime stamp(QDate(2005, 3, 1), QTime(9, 30, 0));
    ASSERT_TRUE(SetFileTimes(source, stamp, stamp));
    QStringList scanned;
    f.window->ViewerPage()->AddScannedFile = [&](const QString &file) { scanned << file; };
    const QString target = f.home.FilePath(QStringLiteral("turned.jpg"));
    f.window->SetFileDialog([&](const QString &, const QString &proposed, const QString &) {
        // A new name is proposed, never the source's own.
        EXPECT_EQ(
            proposed, QString(source).replace(QStringLiteral(".bmp"), QStringLiteral("-2.bmp")));
        return target;
    });
    QTest::keyClick(f.window.get(), Qt::Key_Right, Qt::ControlModifier);
    QTest::keyClick(f.window.get(), Qt::Key_W, Qt::ControlModifier);
    EXPECT_TRUE(f.prompter.Shown().isEmpty());
    EXPECT_EQ(scanned, QStringList { target });
    EXPECT_EQ(ReadFileTimes(target)->lastWrite, stamp);
    EXPECT_EQ(stage->Picture().FileName(), target);
    TViewedPicture saved;
    ASSERT_TRUE(saved.Load(target));
    EXPECT_EQ(saved.Size(), QSize(60, 80));
}

TEST(TWebMain, TabShopOpensTheLastTab)
{
    TAppHome home;
    TClientSession session = Session(home, true, true);
    TWebMain window(session);
    EXPECT_EQ(window.Mode(), tmShop);
    EXPECT_EQ(window.tbMain()->currentIndex(), 3);
}

} // namespace korvatel

namespace korvatel
{

TEST(TWebMain, OrderingTheViewedPictureAddsItOnceAndTheCheckRepairsAVanishedOne)
{
    TWindowFixture f;
    QCoreApplication::processEvents(); // the first idle moment reads the (empty) basket
    f.View(40, 30);
    QAction *order = f.Command("miOrderView");
    ASSERT_NE(order, nullptr);
    order->trigger();
    order->trigger(); // already in the basket: nothing more
    ASSERT_EQ(f.window->Orders().Count(), 1);
    EXPECT_EQ(f.window->StatusBars()->TotalPanel(0, 0)->text(), QStringLiteral("注文数 1"));
    const QString file = f.window->Orders().Item(0)->FullPath;

    // The file vanishes; the forced check shows the list at once, and the repair deletes it.
    ASSERT_TRUE(QFile::remove(file));
    int listed = 0;
    f.window->Basket().ShowProblems = [&](const TConsistencyProblems &problems) {
        listed = int(problems.vanished.size());
        return TProblemAnswer::paRepair;
    };
    f.prompter.Answer(TModalResult::mrOk);
    f.Command("miConsistency")->trigger();
    EXPECT_EQ(listed, 1);
    EXPECT_EQ(f.prompter.Texts(),
        (QStringList { QStringLiteral("画像不整合の注文を削除します。よろしいですか？") }));
    EXPECT_EQ(f.window->Orders().Count(), 0);
    EXPECT_EQ(f.window->StatusBars()->TotalPanel(0, 0)->text(), QStringLiteral("注文数 0"));
}

TEST(TWebMain, TheViewerShowsTheDateImprintOfAnOrderedPicture)
{
    TWindowFixture f;
    QCoreApplication::processEvents();
    TViewerStage *stage = f.View(40, 30);
    EXPECT_TRUE(stage->Image()->Imprint().isEmpty()); // not in the basket
    f.Command("miOrderView")->trigger();
    ASSERT_EQ(f.window->Orders().Count(), 1);
    TThumbNail *item = f.window->Orders().Item(0);
    item->DatePrint = true;
    item->DateType = dkNormal;
    item->DateStr[0] = QStringLiteral("'26 12 09");
    // Back from another tab, the viewer asks the basket again.
    f.window->SelectTab(0);
    f.window->SelectTab(1);
    EXPECT_EQ(stage->Image()->Imprint(), QStringLiteral("'26 12 09"));
    item->DatePrint = false;
    f.window->ViewerPage()->ViewPicture(item->FullPath);
    EXPECT_TRUE(stage->Image()->Imprint().isEmpty());
}

TEST(TWebMain, UprightTurnsThePictureBackAsItWasLoaded)
{
    TWindowFixture f;
    TViewerStage *stage = f.View(40, 30);
    const QImage loaded = stage->Picture().Bitmap().ToImage();
    f.Command("miUpright")->trigger(); // not turned: nothing to do
    EXPECT_FALSE(stage->Picture().Changed());
    f.Command("miLeft90")->trigger();
    f.Command("miInverted")->trigger();
    EXPECT_EQ(stage->Picture().Size(), QSize(30, 40));
    f.Command("miUpright")->trigger();
    EXPECT_EQ(stage->Picture().Bitmap().ToImage(), loaded);
    // Undoing the last turn undoes it for "立像" too.
    f.Command("miRight90")->trigger();
    f.Command("miUndo")->trigger();
    f.Command("miLeft90")->trigger();
    f.Command("miUpright")->trigger();
    EXPECT_EQ(stage->Picture().Bitmap().ToImage(), loaded);
}

TEST(TWebMain, OrderingAnEditedPictureAsksWhetherItsCopyReplacesTheOrderedSource)
{
    TWindowFixture f;
    QCoreApplication::processEvents(); // the first idle moment reads the (empty) basket
    ASSERT_TRUE(f.home.Write(
        QStringLiteral("Photos/IMG_0002.jpg"), test::JpegBytes(test::PatternBitmap(160, 120))));
    const QString source = f.home.FilePath(QStringLiteral("Photos/IMG_0002.jpg"));
    f.window->SelectTab(1);
    ASSERT_TRUE(f.window->ViewerPage()->ViewPicture(source));
    f.Command("miOrderView")->trigger(); // unchanged: the file itself
    ASSERT_EQ(f.window->Orders().Count(), 1);
    EXPECT_TRUE(f.prompter.Shown().isEmpty());

    // "No": the turned copy is ordered beside its source.
    f.window->ViewerPage()->miRotateClick(rt90);
    f.window->SetFileDialog(
        [](const QString &, const QString &proposed, const QString &) { return proposed; });
    f.prompter.Answer(TModalResult::mrNo);
    f.Command("miOrderView")->trigger();
    const QString copy = f.home.FilePath(QStringLiteral("Photos/IMG_0002-2.JPG"));
    ASSERT_EQ(f.window->Orders().Count(), 2);
    EXPECT_EQ(f.window->Orders().Find(1, source), 0);
    EXPECT_GE(f.window->Orders().Find(1, copy), 0) << "the edited picture is in the basket";
    TViewedPicture ordered;
    ASSERT_TRUE(ordered.Load(copy));
    EXPECT_EQ(ordered.Size(), QSize(120, 160));

    // "Yes" (the default): the trimmed copy of that copy takes its place and its CD-R, and the
    // order memory says so at once.
    f.window->Orders().Item(1)->CdOrder = true;
    TViewerStage *stage = f.window->ViewerPage()->Stage();
    stage->SetZoom(100);
    Drag(stage->Image(), { 10, 10 }, { 100, 100 });
    ASSERT_TRUE(stage->Frame().Visible());
    QTest::keyClick(f.window.get(), Qt::Key_T, Qt::ControlModifier | Qt::ShiftModifier);
    f.prompter.Answer(TModalResult::mrYes);
    f.Command("miOrderView")->trigger();
    const QString trimmed = f.home.FilePath(QStringLiteral("Photos/IMG_0002-2-2.JPG"));
    ASSERT_EQ(f.window->Orders().Count(), 2);
    EXPECT_EQ(f.window->Orders().Find(1, copy), -1);
    const int replaced = f.window->Orders().Find(1, trimmed);
    ASSERT_EQ(replaced, 1);
    EXPECT_TRUE(f.window->Orders().Item(replaced)->CdOrder);
    EXPECT_EQ(f.prompter.Texts(), QStringList(2, ReplaceOriginalQuestion()));
    EXPECT_EQ(f.prompter.Unexpected(), 0);
    QFile file(f.session.OrderMemoryPath());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray memory = file.readAll();
    EXPECT_TRUE(memory.contains("IMG_0002-2-2.JPG"));
    EXPECT_FALSE(memory.contains("IMG_0002-2.JPG"));
}

TEST(TProblemListForm, ListsBothKindsAndAnswersByItsButtons)
{
    TThumbNails basket;
    TThumbNail *gone = basket.AddPicture(1, QStringLiteral("/p/gone.jpg"), false, 1, QString());
    TThumbNail *other = basket.AddPicture(1, QStringLiteral("/p/other.jpg"), false, 1, QString());
    TConsistencyProblems problems;
    problems.vanished << gone;
    problems.hidden << THiddenSize { other, QStringLiteral("W4") };
    for (const auto &[caption, answer] : { std::pair { "全削除", TProblemAnswer::paDeleteAll },
             std::pair { "修復", TProblemAnswer::paRepair },
             std::pair { "キャンセル", TProblemAnswer::paCancel } }) {
        TProblemListForm form(problems);
        form.show();
        EXPECT_EQ(form.VanishedList()->item(0)->text(), QStringLiteral("/p/gone.jpg"));
        EXPECT_EQ(form.HiddenList()->item(0)->text(), QStringLiteral("/p/other.jpg　[W4]"));
        for (QPushButton *button : form.findChildren<QPushButton *>()) {
            if (button->text() == QString::fromUtf8(caption))
                button->click();
        }
        EXPECT_EQ(form.Answer(), answer) << caption;
        EXPECT_FALSE(form.isVisible());
    }
    TProblemListForm keys(problems);
    test::ExpectKeyboardWorkable(keys);
    EXPECT_EQ(keys.Answer(), TProblemAnswer::paCancel); // Esc cancels
}

} // namespace korvatel

namespace korvatel
{

TEST(TWebMain, TheOrderBarLabelsKeepTheirWidthInANarrowWindow)
{
    TWindowFixture f;
    f.window->SelectTab(f.window->TabIndexOf(tmOrder));
    f.window->resize(420, 500);
    QCoreApplication::processEvents();
    for (const QString &text :
        { QStringLiteral("注文サイズ初期値"), QStringLiteral("注文数初期値") }) {
        const QLabel *label = nullptr;
        for (const QLabel *each : f.window->findChildren<QLabel *>())
            if (each->text() == text)
                label = each;
        ASSERT_NE(label, nullptr) << text.toStdString();
        EXPECT_GE(label->width(), label->sizeHint().width()) << text.toStdString();
    }
}

} // namespace korvatel

namespace korvatel
{

// The visible widgets of the order bar and the viewer's tools must not overlap each other nor
// leave their page, and the zoom bar keeps a usable height, on small and narrow screens.
TEST(TWebMain, SmallScreensShowEveryControlWithoutOverlap)
{
    TWindowFixture f;
    f.window->setWindowState(Qt::WindowNoState);
    for (const QSize size : { QSize(1024, 600), QSize(900, 600) }) {
        f.window->resize(size);
        f.window->SelectTab(f.window->TabIndexOf(tmOrder));
        QTest::qWait(20);
        TOrderPanel *order = f.window->OrderPage();
        QList<QRect> taken;
        for (const char *name : { "cbxDefSize", "seDefCount", "sbClear", "sbOrder" }) {
            const auto *control = order->findChild<QWidget *>(QString::fromLatin1(name));
            ASSERT_NE(control, nullptr) << name;
            ASSERT_TRUE(control->isVisible()) << name;
            const QRect rect(control->mapTo(order, QPoint(0, 0)), control->size());
            EXPECT_TRUE(order->rect().contains(rect)) << name << " at " << size.width();
            for (const QRect &other : taken)
                EXPECT_FALSE(rect.intersects(other)) << name << " at " << size.width();
            taken << rect;
        }
        EXPECT_FALSE(f.window->grab().isNull());

        TViewerStage *stage = f.View(1600, 1200);
        QTest::qWait(20);
        EXPECT_GE(stage->tbZoom()->height(), 100) << size.width();
        const auto *tools = stage->findChild<QWidget *>(QStringLiteral("sbxViewerTools"));
        ASSERT_NE(tools, nullptr);
        EXPECT_GE(tools->height(), 50) << size.width();
        EXPECT_GE(stage->View()->viewport()->width(), 150) << size.width();
    }
}

} // namespace korvatel
