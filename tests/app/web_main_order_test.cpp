#include "app/client_session.h"
#include "app/ui/basket_actions.h"
#include "app/ui/order_start_windows.h"
#include "app/ui/status_bars.h"
#include "app/ui/web_main.h"
#include "app_session.h"
#include "imaging/correction_text.h"
#include "imaging/ui/hosei_form.h"
#include "order/ui/order_copy_form.h"
#include "order/ui/order_panel.h"
#include "order/ui/thumb_grid.h"
#include "ordering/print_order_start.h"
#include "platform/clock.h"
#include "platform/file_times.h"
#include "platform/prompter.h"
#include "sources/ui/browser_panel.h"
#include "sources/ui/film_grid.h"
#include "sources/ui/source_panel.h"
#include "support/app_home.h"
#include "support/codec_builders.h"
#include "support/image_builders.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <QTimer>
#include <QTreeView>
#include <QTreeWidget>
#include <gtest/gtest.h>
#include <memory>
#include <optional>

namespace korvatel
{

namespace
{

// A main window whose shop offers L and 2L, over a folder of three pattern JPEGs; with a basket
// of the first two read at start when asked.
struct TOrderWindowFixture {
    explicit TOrderWindowFixture(bool online = true, bool basket = true,
        std::optional<int> shopCopyKind = {}, bool correction = false)
    {
        if (correction)
            home.Write(QStringLiteral("Korvatel/Download/Hosei.on"), "");
        const QByteArray option = shopCopyKind
            ? ":>OPTION\r\nCopyBtnType=" + QByteArray::number(*shopCopyKind) + "\r\n:>END\r\n"
            : QByteArray();
        home.Write(QStringLiteral("Korvatel/Download/HostFmt.ini"),
            ":>SIZENAME\r\nL\r\n2L\r\n:>END\r\n:>USEDSIZE\r\n*D\r\n*D\r\n:>END\r\n"
            ":>SIZEXY\r\n127*89\r\n178*127\r\n:>END\r\n"
            ":>PRICES\r\nprcNet|L=25\r\nprcNet|2L=80\r\n:>END\r\n"
                + option);
        for (int i = 0; i < 3; ++i) {
            home.Write(QStringLiteral("Photos/p%1.jpg").arg(i),
                test::JpegBytes(test::PatternBitmap(320, 240)));
            photos << home.FilePath(QStringLiteral("Photos/p%1.jpg").arg(i));
        }
        session = std::make_unique<TClientSession>(test::TestSession(home, online));
        if (basket) {
            TThumbNails memory(session->OrderContext(nullptr));
            memory.AddPicture(1, photos[0], false, 2, QStringLiteral("L"));
            memory.AddPicture(1, photos[1], false, 1, QStringLiteral("2L"));
            for (int i = 0; i < 2; ++i)
                memory.Item(i)->FileSize = qint32(QFileInfo(photos[i]).size());
            memory.Recount();
            EXPECT_TRUE(memory.SaveMemory(
                session->OrderMemoryPath(), session->CampusOrderPath(), SystemClock()));
        }
        window = std::make_unique<TWebMain>(*session);
        window->SetPrompter(&prompter);
        window->Basket().ShowProblems = [this](const TConsistencyProblems &found) {
            problems << int(found.vanished.size() + found.hidden.size());
            return TProblemAnswer::paCancel;
        };
        window->Basket().PlaySound = [this](const QString &name) { sounds << name; };
        window->show();
        QApplication::setActiveWindow(window.get());
        EXPECT_TRUE(QTest::qWaitForWindowActive(window.get()));
        QCoreApplication::processEvents(); // the first idle moment reads the basket
        grid = window->OrderPage()->Grid();
    }

    void ShowOrderPanel()
    {
        window->SelectTab(window->TabIndexOf(tmOrder));
        QCoreApplication::processEvents();
        grid->grab();
    }

    QPoint At(int index, int zone) const
    {
        return CellZones(grid->CellRect(index), grid->Look().unit, grid->Look().options,
            *grid->List()->Item(index))
            .Zone(zone)
            .center();
    }

    test::TAppHome home;
    QStringList photos;
    std::unique_ptr<TClientSession> session;
    TScriptedPrompter prompter;
    QStringList sounds;
    QList<int> problems;
    std::unique_ptr<TWebMain> window;
    TThumbGrid *grid = nullptr;
};

} // namespace

TEST(TWebMainOrder, TheGridShowsTheBasketReadAtStart)
{
    TOrderWindowFixture f;
    ASSERT_NE(f.grid, nullptr);
    EXPECT_TRUE(f.problems.isEmpty()) << f.problems.value(0);
    EXPECT_EQ(f.session->PriceTables.SizeList(false), (QStringList { "L", "2L" }));
    ASSERT_EQ(f.grid->List()->Count(), 2);
    f.ShowOrderPanel();
    EXPECT_TRUE(f.grid->isVisible());
    EXPECT_EQ(f.grid->Columns(), 3);
    EXPECT_EQ(f.grid->List()->Item(0)->CurrentCount, 2);
    EXPECT_EQ(f.grid->List()->Item(1)->CurrentSize, QStringLiteral("2L"));
    EXPECT_TRUE(f.grid->LastItemDrawn());

    // A click on plus changes the totals and the hint reaches the status bar.
    QTest::mouseMove(f.grid, f.At(0, gzPlus));
    EXPECT_EQ(
        f.window->StatusBars()->MainPanel(1)->text(), ZoneHint(gzPlus, *f.grid->List()->Item(0)));
    QTest::mouseClick(f.grid, Qt::LeftButton, {}, f.At(0, gzPlus));
    EXPECT_EQ(f.window->StatusBars()->TotalPanel(0, 1)->text(), QStringLiteral("プリント 4"));
    EXPECT_EQ(f.sounds, (QStringList { QStringLiteral("SHT_SWAV") }));
}

TEST(TWebMainOrder, APictureDeletedInTheGridLosesItsBrowserMark)
{
    TOrderWindowFixture f;
    f.window->Sources()->ListFolder(f.home.FilePath(QStringLiteral("Photos")));
    EXPECT_EQ(f.window->Browser()->Film().OrderedCount(), 2);
    f.ShowOrderPanel();
    // p1 has one print of 2L: minus leaves "削除", the next minus asks and deletes.
    const int at = f.grid->List()->Find(1, f.photos[1]);
    ASSERT_GE(at, 0);
    QTest::mouseClick(f.grid, Qt::LeftButton, {}, f.At(at, gzMinus));
    f.prompter.Answer(TModalResult::mrYes);
    QTest::mouseClick(f.grid, Qt::LeftButton, {}, f.At(at, gzMinus));
    EXPECT_EQ(f.prompter.Texts(),
        (QStringList { QStringLiteral("画像をオーダーから削除します。よろしいですか？") }));
    EXPECT_EQ(f.grid->List()->Count(), 1);
    EXPECT_EQ(f.window->Browser()->Film().OrderedCount(), 1);
    EXPECT_EQ(f.window->StatusBars()->OrderPanel(1)->text(), QStringLiteral("1/3"));
    EXPECT_EQ(f.window->StatusBars()->TotalPanel(0, 0)->text(), QStringLiteral("注文数 1"));

    // Ordering from the browser shows in the grid at once.
    f.window->SelectTab(0);
    QTest::mouseClick(f.window->Browser()->lvBrowser()->viewport(), Qt::LeftButton, {},
        f.window->Browser()->lvBrowser()->CellRect(2).center());
    EXPECT_EQ(f.grid->List()->Count(), 2);

    // The order memory follows the basket a moment after each change, not only at shutdown,
    // so a crash cannot take the change back.
    const QString memory = f.session->OrderMemoryPath();
    QTimer *save = f.window->Basket().SaveTimer();
    EXPECT_TRUE(save->isActive());
    save->setInterval(0);
    save->start();
    EXPECT_TRUE(QTest::qWaitFor([&] { return !save->isActive(); }));
    TThumbNails saved(f.session->OrderContext(nullptr));
    EXPECT_EQ(saved.LoadMemory(memory, {}), 2);
    EXPECT_GE(saved.Find(1, f.photos[2]), 0);
    EXPECT_LT(saved.Find(1, f.photos[1]), 0);
}

TEST(TWebMainOrder, GridEditsWithoutARecountReachTheOrderMemory)
{
    TOrderWindowFixture f;
    f.ShowOrderPanel();
    QTimer *save = f.window->Basket().SaveTimer();
    save->stop();
    TThumbNail &item = *f.grid->List()->Item(0);
    ASSERT_EQ(item.FullPath, f.photos[0]);
    // A right click on the size switch has no release callback after it.
    QTest::mouseClick(f.grid, Qt::RightButton, {}, f.At(0, gzSize));
    EXPECT_EQ(item.CurrentSize, QStringLiteral("2L"));
    EXPECT_TRUE(save->isActive());
    save->stop();
    // The date imprint switched on with a left click.
    const bool printed = item.DatePrint;
    const TDateKind kind = item.DateType;
    QTest::mouseClick(f.grid, Qt::LeftButton, {}, f.At(0, gzDate));
    EXPECT_TRUE(item.DatePrint != printed || item.DateType != kind);
    EXPECT_TRUE(save->isActive());
    const bool savedPrint = item.DatePrint;
    const TDateKind savedKind = item.DateType;

    save->setInterval(0);
    save->start();
    EXPECT_TRUE(QTest::qWaitFor([&] { return !save->isActive(); }));
    TThumbNails saved(f.session->OrderContext(nullptr));
    EXPECT_EQ(saved.LoadMemory(f.session->OrderMemoryPath(), {}), 2);
    const TThumbNail *back = saved.Item(saved.Find(1, f.photos[0]));
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(back->CurrentSize, QStringLiteral("2L"));
    EXPECT_EQ(back->DatePrint, savedPrint);
    EXPECT_EQ(back->DateType, savedKind);
}

TEST(TWebMainOrder, AHeicPhotoGoesIntoTheBasketButIsNotSentAsItIs)
{
    const QByteArray heic = test::HeifBytes(test::Halves(96, 64), test::HeifCodec::Hevc);
    if (heic.isEmpty())
        GTEST_SKIP() << "libheif here has no HEVC encoder";
    TOrderWindowFixture f(true, false);
    ASSERT_TRUE(f.home.Write(QStringLiteral("Photos/IMG_0001.HEIC"), heic));
    const QString path = f.home.FilePath(QStringLiteral("Photos/IMG_0001.HEIC"));
    f.window->Sources()->ListFolder(f.home.FilePath(QStringLiteral("Photos")));
    TFilmGrid *browser = f.window->Browser()->lvBrowser();
    const int at = browser->List()->IndexOf(path);
    ASSERT_GE(at, 0);
    browser->grab(); // the first paint asks for the cells
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return browser->State(at) != TCellState::csPending; }, 20000));
    EXPECT_EQ(browser->State(at), TCellState::csReady);

    QTest::mouseClick(browser->viewport(), Qt::LeftButton, {}, browser->CellRect(at).center());
    ASSERT_EQ(f.grid->List()->Count(), 1);
    EXPECT_EQ(f.grid->List()->Item(0)->FullPath, path);
    f.ShowOrderPanel();
    ASSERT_TRUE(QTest::qWaitFor([&] { return f.grid->PicturesPending() == 0; }, 20000));
    QCoreApplication::processEvents();
    f.grid->grab();
    EXPECT_TRUE(f.grid->PictureShown(0));

    // The order memory keeps it for the next start.
    QTimer *save = f.window->Basket().SaveTimer();
    save->setInterval(0);
    save->start();
    EXPECT_TRUE(QTest::qWaitFor([&] { return !save->isActive(); }));
    TThumbNails saved(f.session->OrderContext(nullptr));
    EXPECT_EQ(saved.LoadMemory(f.session->OrderMemoryPath(), {}), 1);
    EXPECT_TRUE(f.prompter.Shown().isEmpty());

    // The lab cannot print it as it is: 注文へ names it and stops before anything is packed.
    f.window->Ordering().SetGridSeenAll(true);
    f.window->OrderPage()->OrderClick();
    EXPECT_EQ(f.prompter.Texts(),
        QStringList { PicturesTheLabCannotTakeMessage({ QStringLiteral("IMG_0001.HEIC") }) });
    EXPECT_FALSE(QFileInfo::exists(f.session->Workspace().KorvaDpof()));
}

TEST(TWebMainOrder, TheShopsCopyKindStaysUntilTheMenuChoosesAnother)
{
    TOrderWindowFixture f(true, true, ckStepper);
    EXPECT_EQ(f.grid->CopyKind(), ckStepper);
    EXPECT_TRUE(f.window->Command(QStringLiteral("miCopyBtn1"))->isChecked());
    f.window->Command(QStringLiteral("miGridType1"))->trigger();
    EXPECT_EQ(f.grid->CopyKind(), ckStepper);
    f.window->Command(QStringLiteral("miCopyBtn0"))->trigger();
    EXPECT_EQ(f.grid->CopyKind(), ckToEnd);
    f.window->Command(QStringLiteral("miGridType0"))->trigger();
    EXPECT_EQ(f.grid->CopyKind(), ckToEnd);
}

TEST(TWebMainOrder, LocateReturnsToThePictureInTheBrowser)
{
    TOrderWindowFixture f;
    f.ShowOrderPanel();
    ASSERT_EQ(f.window->Mode(), tmOrder);
    f.grid->OnLocate(f.photos[1], -1);
    EXPECT_EQ(f.window->Mode(), tmBrowser);
    EXPECT_EQ(f.window->Sources()->SourceMode(), 2);
    ASSERT_EQ(f.window->Browser()->Film().Count(), 3);
    EXPECT_EQ(f.window->Browser()->lvBrowser()->CurrentIndex(),
        f.window->Browser()->Film().Paths().indexOf(f.photos[1]));
    EXPECT_EQ(f.session->State.LastDir, f.home.FilePath(QStringLiteral("Photos")));
}

TEST(TWebMainOrder, LocateInDateModeSelectsTheDayOfThePicture)
{
    TOrderWindowFixture f(true, false);
    const auto photo = [&](const QString &name, const QDateTime &when) {
        const QByteArray bytes
            = test::ExifJpegBuilder()
                  .dateTaken(when.toString(QStringLiteral("yyyy:MM:dd hh:mm:ss")).toLatin1())
                  .picture(test::PatternBitmap(320, 240))
                  .build();
        f.home.Write(QStringLiteral("Dated/") + name, bytes);
        const QString path = f.home.FilePath(QStringLiteral("Dated/") + name);
        EXPECT_TRUE(SetFileTimes(path, when, when));
        return path;
    };
    const QString march
        = photo(QStringLiteral("a.jpg"), QDateTime(QDate(2005, 3, 1), QTime(10, 0)));
    photo(QStringLiteral("b.jpg"), QDateTime(QDate(1995, 3, 1), QTime(8, 0)));
    f.window->Sources()->ScanDriveList = [&] {
        return QList<TDrive> { TDrive { u'C', f.home.FilePath(QStringLiteral("Dated")), dtFixed } };
    };
    f.window->Sources()->SetSourceMode(3);
    f.window->Sources()->sbReDate()->click();
    QTRY_VERIFY_WITH_TIMEOUT(!f.window->Sources()->DateBuildRunning(), 10000);
    QTreeWidget *tree = f.window->Sources()->tvDate();
    ASSERT_EQ(tree->topLevelItemCount(), 2);
    // Order the 2005 picture from its day, then show the other day.
    tree->setCurrentItem(tree->topLevelItem(1)->child(0)->child(0));
    ASSERT_EQ(f.window->Browser()->Film().Count(), 1);
    f.window->BrowserClick(0, {}, false);
    ASSERT_EQ(f.grid->List()->Count(), 1);
    EXPECT_EQ(f.grid->List()->Item(0)->DateStr[0], QStringLiteral("2005.03.01"));
    tree->setCurrentItem(tree->topLevelItem(0)->child(0)->child(0));
    f.ShowOrderPanel();

    f.grid->OnLocate(march, -1);
    EXPECT_EQ(f.window->Mode(), tmBrowser);
    EXPECT_EQ(f.window->Sources()->SourceMode(), 3);
    ASSERT_NE(tree->currentItem(), nullptr);
    EXPECT_TRUE(tree->currentItem()->text(0).startsWith(QStringLiteral("05/03/01(")));
    EXPECT_EQ(f.window->Browser()->Film().Paths(), (QStringList { march }));
    EXPECT_EQ(f.window->Browser()->lvBrowser()->CurrentIndex(), 0);
}

TEST(TWebMainOrder, MenuChoicesReachTheGridAtOnce)
{
    TOrderWindowFixture f;
    f.window->Command(QStringLiteral("miGridType0"))->trigger();
    EXPECT_EQ(f.grid->Look().plateType, 0);
    f.window->Command(QStringLiteral("miGridType1"))->trigger();
    EXPECT_EQ(f.grid->Look().plateType, 1);
    f.window->Command(QStringLiteral("miCopyBtn1"))->trigger();
    EXPECT_EQ(f.grid->CopyKind(), ckStepper);
    f.window->Command(QStringLiteral("miCopyBtn2"))->trigger();
    EXPECT_EQ(f.grid->CopyKind(), ckDetail);
    EXPECT_EQ(f.session->State.CopyBtnTypeIndex, 2);

    // The copy button of kinds 16 and 17 calls the window's copy hook at the cell.
    QList<int> asked;
    f.window->OrderPage()->ShowCopyWindow = [&](int index, QRect) { asked << index; };
    f.ShowOrderPanel();
    QTest::mouseClick(f.grid, Qt::LeftButton, {}, f.At(1, gzCopy));
    EXPECT_EQ(asked, (QList<int> { 1 }));

    // "更新ソート" sorts by the chosen kind: file names backwards.
    QAction *resort = f.window->Command(QStringLiteral("miResort"));
    ASSERT_TRUE(resort->isEnabled() || !resort->property("later").isValid());
    f.session->State.ThumbSortType = 2;
    f.session->State.ThumbDeSort = true;
    resort->trigger();
    EXPECT_EQ(f.grid->List()->Item(0)->FullPath, f.photos[1]);

    // The popup over a picture offers the commands of the order menu.
    QMenu *popup = f.window->findChild<QMenu *>(QStringLiteral("pmOrder"));
    ASSERT_NE(popup, nullptr);
    f.grid->grab();
    const QPoint on = CellZones(
        f.grid->CellRect(0), f.grid->Look().unit, f.grid->Look().options, *f.grid->List()->Item(0))
                          .captions.center();
    QTest::mouseClick(f.grid, Qt::RightButton, {}, on);
    EXPECT_TRUE(popup->isVisible());
    EXPECT_TRUE(popup->actions().contains(resort));
    popup->hide();
}

TEST(TWebMainOrder, TheCopyButtonOpensTheCopyWindowAndCopies)
{
    TOrderWindowFixture f;
    f.window->Command(QStringLiteral("miCopyBtn1"))->trigger(); // "詳細コピー Type2"
    f.ShowOrderPanel();
    // The window opens modally at the cell; its stepper starts one item to the right, here the
    // last one ("最後まで"), and copies the first item's 2 × L onto it.
    bool seen = false;
    QTimer::singleShot(0, [&] {
        auto *form = qobject_cast<TOrderCopyForm *>(QApplication::activeModalWidget());
        ASSERT_NE(form, nullptr);
        seen = true;
        EXPECT_EQ(form->lbRange()->text(), QStringLiteral("最後まで"));
        form->sbRangeCopy()->click();
    });
    QTest::mouseClick(f.grid, Qt::LeftButton, {}, f.At(0, gzCopy));
    EXPECT_TRUE(seen);
    EXPECT_EQ(f.grid->List()->Item(1)->Orders, (QStringList { QStringLiteral("L=2") }));
    EXPECT_EQ(f.sounds.count(QStringLiteral("SHT_LWAV")), 1);

    // With "_ShutterOff_" the copy is silent.
    f.session->Option2.ShutterOff = true;
    f.sounds.clear();
    QTimer::singleShot(0, [] {
        if (auto *form = qobject_cast<TOrderCopyForm *>(QApplication::activeModalWidget()))
            form->sbRangeCopy()->click();
    });
    QTest::mouseClick(f.grid, Qt::LeftButton, {}, f.At(0, gzCopy));
    EXPECT_FALSE(f.sounds.contains(QStringLiteral("SHT_LWAV")));
}

TEST(TWebMainOrder, TheCorrectionWindowOpensFromTheGridAndTheBasketKeepsItsRecord)
{
    TOrderWindowFixture f(true, true, {}, true);
    f.ShowOrderPanel();
    // Warmer and brighter, then OK.
    int seen = 0;
    const auto answer = [&seen](bool ok) {
        QTimer::singleShot(0, [&seen, ok] {
            auto *form = qobject_cast<THoseiForm *>(QApplication::activeModalWidget());
            ASSERT_NE(form, nullptr);
            ++seen;
            ASSERT_TRUE(form->WaitLoaded());
            QTest::mouseClick(form->KindButton(2), Qt::LeftButton);
            form->DensityBar()->setValue(20);
            if (ok)
                form->findChild<QPushButton *>(QStringLiteral("btnOK"))->click();
            else
                QTest::keyClick(form, Qt::Key_Escape);
        });
    };
    answer(true);
    QTest::mouseClick(f.grid, Qt::LeftButton, {}, f.At(0, gzHoseiWindow));
    EXPECT_EQ(seen, 1);
    const CorrectionRecord &record = f.grid->List()->Item(0)->Hosei;
    EXPECT_EQ(record.kind, 2);
    EXPECT_EQ(record.density, 20);
    EXPECT_EQ(record.measured, 1);
    // The basket is saved a moment later with the record.
    const QString text = RecordToText(record);
    EXPECT_TRUE(QTest::qWaitFor([&] {
        QFile memory(f.session->OrderMemoryPath());
        return memory.open(QIODevice::ReadOnly)
            && memory.readAll().contains("HoseiData=" + text.toLatin1() + ";");
    }));

    // "色調補正..." opens the current item; Esc leaves its record as it was.
    f.grid->SetCurrentIndex(1);
    const CorrectionRecord second = f.grid->List()->Item(1)->Hosei;
    answer(false);
    f.window->Command(QStringLiteral("miHosei"))->trigger();
    EXPECT_EQ(seen, 2);
    EXPECT_EQ(f.grid->List()->Item(1)->Hosei, second);
    EXPECT_TRUE(f.prompter.Shown().isEmpty());

    // "色調補正..." of "画像編集" without a picture in the viewer says what to do.
    f.window->Command(QStringLiteral("miViewerHosei"))->trigger();
    EXPECT_EQ(f.prompter.Texts(),
        QStringList {
            QStringLiteral("色調補正する写真をビューアに表示してから実行してください。") });
}

TEST(TWebMainOrder, OfflineTheGridChangesNothing)
{
    TOrderWindowFixture f(false);
    f.ShowOrderPanel();
    ASSERT_EQ(f.grid->List()->Count(), 2);
    QTest::mouseClick(f.grid, Qt::LeftButton, {}, f.At(0, gzPlus));
    QTest::mouseClick(f.grid, Qt::LeftButton, {}, f.At(0, gzCdr));
    EXPECT_EQ(f.grid->List()->Item(0)->CurrentCount, 2);
    EXPECT_TRUE(f.grid->List()->Item(0)->CdOrder);
    EXPECT_TRUE(f.sounds.isEmpty());
}

} // namespace korvatel

namespace korvatel
{

// A smooth photo-like picture: a sky-to-ground gradient with a sun, different for each seed.
TBitmap Scene(int w, int h, int seed)
{
    TBitmap picture(w, h);
    const int cx = w * (2 + seed % 3) / 6;
    const int cy = h / 3;
    const int r2 = (h / 6) * (h / 6);
    for (int y = 0; y < h; ++y) {
        uint8_t *row = picture.ScanLine(y);
        for (int x = 0; x < w; ++x) {
            const bool sun = (x - cx) * (x - cx) + (y - cy) * (y - cy) < r2;
            const bool ground = y > h * 2 / 3;
            const int t = y * 255 / h;
            row[3 * x] = uint8_t(sun ? 120 : ground ? 40 + seed * 10 : 255 - t / 3);
            row[3 * x + 1] = uint8_t(sun ? 230 : ground ? 120 + t / 4 : 180 - t / 4);
            row[3 * x + 2] = uint8_t(sun ? 255 : ground ? 60 + seed * 20 : 90 + t / 3);
        }
    }
    return picture;
}

// Saves a picture of the order panel with a small basket to $KORVATEL_SCREENSHOT_DIR
// (order-grid.png): the look of the grid for the documentation. Skipped without the variable.
TEST(TWebMainOrder, ScreenshotOfTheOrderPanel)
{
    const QString folder = qEnvironmentVariable("KORVATEL_SCREENSHOT_DIR");
    if (folder.isEmpty())
        GTEST_SKIP() << "KORVATEL_SCREENSHOT_DIR is not set";
    test::TAppHome home;
    home.Write(QStringLiteral("Korvatel/Download/HostFmt.ini"),
        ":>SIZENAME\r\nL\r\n2L\r\nKG\r\n:>END\r\n:>USEDSIZE\r\n*D\r\n*D\r\n*D\r\n:>END\r\n"
        ":>SIZEXY\r\n127*89\r\n178*127\r\n152*102\r\n:>END\r\n"
        ":>PRICES\r\nprcNet|L=25\r\nprcNet|2L=80\r\nprcNet|KG=50\r\n:>END\r\n");
    home.Write(QStringLiteral("Korvatel/Download/Hosei.on"), "1");
    TClientSession session = test::TestSession(home, true);
    {
        TThumbNails memory(session.OrderContext(nullptr));
        const int sides[][2] = { { 1600, 1200 }, { 1600, 1200 }, { 640, 480 }, { 1200, 1600 },
            { 500, 375 }, { 1600, 1200 } };
        for (int i = 0; i < 6; ++i) {
            const QString name = QStringLiteral("Photos/IMG_%1.jpg").arg(4021 + i);
            home.Write(name, test::JpegBytes(Scene(sides[i][0], sides[i][1], i)));
            TThumbNail *item
                = memory.AddPicture(1, home.FilePath(name), false, 1 + i % 3, i == 3 ? "2L" : "L");
            item->FileSize = qint32(QFileInfo(home.FilePath(name)).size());
            item->DateStr[0] = QStringLiteral("2026.11.%1").arg(3 + i);
            item->DateStr[1] = item->DateStr[0] + QStringLiteral(" 10:15:00");
            if (i == 0)
                item->SetSizeCount(QStringLiteral("2L"), 1);
            if (i == 1) {
                item->DatePrint = true;
                item->Hosei.kind = 1;
            }
            if (i == 2)
                item->CdOrder = false;
            if (i == 5)
                item->Hosei.kind = 5;
        }
        memory.Recount();
        ASSERT_TRUE(
            memory.SaveMemory(session.OrderMemoryPath(), session.CampusOrderPath(), SystemClock()));
    }
    TWebMain window(session);
    TScriptedPrompter prompter;
    test::ShowWindowQuietly(window, prompter); // its first idle moment reads the basket
    window.showNormal();
    window.setGeometry(0, 0, 1400, 820);
    QCoreApplication::processEvents();
    window.SelectTab(window.TabIndexOf(tmOrder));
    TThumbGrid *grid = window.OrderPage()->Grid();
    grid->SetCurrentIndex(1);
    grid->grab();
    EXPECT_TRUE(QTest::qWaitFor([grid] { return grid->PicturesPending() == 0; }, 20000));
    QCoreApplication::processEvents();
    QWidget *panel = window.findChild<QWidget *>(QStringLiteral("pnOrder"));
    ASSERT_NE(panel, nullptr);
    EXPECT_TRUE(panel->grab().save(QDir(folder).filePath(QStringLiteral("order-grid.png"))));
}

} // namespace korvatel
