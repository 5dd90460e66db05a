#include "app/client_session.h"
#include "app/ui/basket_actions.h"
#include "app/ui/status_bars.h"
#include "app/ui/usage_options.h"
#include "app/ui/web_main.h"
#include "app_session.h"
#include "platform/clock.h"
#include "platform/file_times.h"
#include "platform/prompter.h"
#include "sources/date_scan.h"
#include "sources/thumb_loader.h"
#include "sources/thumb_paths.h"
#include "sources/ui/browser_panel.h"
#include "sources/ui/drive_folder_model.h"
#include "sources/ui/exif_form.h"
#include "sources/ui/film_grid.h"
#include "sources/ui/source_panel.h"
#include "support/app_home.h"
#include "support/image_builders.h"
#include "text/sjis_file.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDeadlineTimer>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <QTreeView>
#include <QTreeWidget>
#include <gtest/gtest.h>
#include <memory>

namespace korvatel
{

namespace
{

// A main window over a temporary home whose messages and sounds are recorded.
struct TSourcesFixture {
    explicit TSourcesFixture(bool online = true)
    {
        session = std::make_unique<TClientSession>(test::TestSession(home, online));
        window = std::make_unique<TWebMain>(*session);
        window->SetPrompter(&prompter);
        window->Basket().PlaySound = [this](const QString &name) { sounds << name; };
        window->Sources()->ScanDriveList = [this] {
            return QList<TDrive> { TDrive { u'C', home.FilePath("Photos"), dtFixed } };
        };
        window->show();
        QCoreApplication::processEvents(); // the first idle moment
    }

    // A camera JPEG with its Exif date, written with that file time.
    QString Photo(const QString &name, const QDateTime &when, int width = 320, int height = 240)
    {
        const QByteArray bytes
            = test::ExifJpegBuilder()
                  .dateTaken(when.toString(QStringLiteral("yyyy:MM:dd hh:mm:ss")).toLatin1())
                  .picture(test::PatternBitmap(width, height))
                  .build();
        EXPECT_TRUE(home.Write(QStringLiteral("Photos/") + name, bytes));
        const QString path = home.FilePath(QStringLiteral("Photos/") + name);
        EXPECT_TRUE(SetFileTimes(path, when, when));
        return path;
    }

    // Waits until every listed cell has its picture or tile.
    bool WaitForCells()
    {
        TFilmGrid *grid = window->Browser()->lvBrowser();
        QDeadlineTimer deadline(10000);
        while (grid->ReadyCount() < grid->List()->Count() && !deadline.hasExpired())
            QTest::qWait(10);
        return grid->ReadyCount() >= grid->List()->Count();
    }

    void Click(int index, Qt::KeyboardModifiers modifiers = {})
    {
        TFilmGrid *grid = window->Browser()->lvBrowser();
        QTest::mouseClick(
            grid->viewport(), Qt::LeftButton, modifiers, grid->CellRect(index).center());
    }

    QAction *Command(const char *name) { return window->Command(QString::fromLatin1(name)); }

    test::TAppHome home;
    std::unique_ptr<TClientSession> session;
    TScriptedPrompter prompter;
    QStringList sounds;
    std::unique_ptr<TWebMain> window;
};

const QDateTime kDay(QDate(2005, 3, 1), QTime(10, 0, 0));

} // namespace

TEST(TWebMainSources, ListsAFolderAndPaintsItsCells)
{
    TSourcesFixture f;
    f.Photo(QStringLiteral("a.jpg"), kDay);
    f.Photo(QStringLiteral("b.JPG"), kDay.addSecs(60), 240, 320);
    ASSERT_TRUE(f.home.Write(QStringLiteral("Photos/empty.jpg"), {}));
    ASSERT_TRUE(f.home.Write(QStringLiteral("Photos/notes.txt"), "x"));
    f.window->Sources()->ListFolder(f.home.FilePath(QStringLiteral("Photos")));
    TFilmGrid *grid = f.window->Browser()->lvBrowser();
    ASSERT_EQ(grid->List()->Count(), 3);
    EXPECT_EQ(f.window->Browser()->BrowserFiles().size(), 3);
    EXPECT_EQ(f.window->StatusBars()->OrderPanel(1)->text(), QStringLiteral("0/3"));
    EXPECT_EQ(f.session->State.LastDir, f.home.FilePath(QStringLiteral("Photos")));
    grid->grab(); // the first paint asks for the cells
    ASSERT_TRUE(f.WaitForCells());

    const int a = grid->List()->IndexOf(f.home.FilePath(QStringLiteral("Photos/a.jpg")));
    const int empty = grid->List()->IndexOf(f.home.FilePath(QStringLiteral("Photos/empty.jpg")));
    EXPECT_EQ(grid->State(a), TCellState::csReady);
    EXPECT_EQ(grid->State(empty), TCellState::csError);
    EXPECT_EQ(grid->List()->Item(a).caption, QStringLiteral("2005.03.01 10:00:00"));
    EXPECT_TRUE(grid->List()->Item(a).hint.contains(QStringLiteral("a.jpg")));

    const QImage shot = grid->viewport()->grab().toImage();
    // The picture is drawn inside the cell; the error tile is black with red text.
    const QRect aCell = grid->CellRect(a);
    EXPECT_NE(shot.pixelColor(aCell.center()), QColor(Qt::black));
    const QRect errorCell = grid->CellRect(empty);
    int red = 0;
    int black = 0;
    for (int y = errorCell.top(); y <= errorCell.bottom(); ++y)
        for (int x = errorCell.left(); x <= errorCell.right(); ++x) {
            const QColor c = shot.pixelColor(x, y);
            red += c.red() > 200 && c.green() < 60 && c.blue() < 60;
            black += c == QColor(Qt::black);
        }
    EXPECT_GT(red, 10);
    EXPECT_GT(black, errorCell.width() * 10);
    // The made thumbnail is stored under Works with the source's time.
    const QString thumb = BrowserThumbPath(
        f.session->Workspace().Works(), f.home.FilePath(QStringLiteral("Photos/a.jpg")));
    EXPECT_TRUE(SameFileTimes(thumb, f.home.FilePath(QStringLiteral("Photos/a.jpg"))));
}

TEST(TWebMainSources, ShiftRangeOverFivePicturesWithTwoOrderedAddsThreeWithOneSound)
{
    TSourcesFixture f;
    for (int i = 0; i < 5; ++i)
        f.Photo(QStringLiteral("p%1.jpg").arg(i), kDay.addSecs(i), 64, 48);
    f.window->Sources()->ListFolder(f.home.FilePath(QStringLiteral("Photos")));
    TFilmGrid *grid = f.window->Browser()->lvBrowser();
    ASSERT_EQ(grid->List()->Count(), 5);
    f.Click(1);
    f.Click(3);
    EXPECT_EQ(f.window->Orders().Count(), 2);
    EXPECT_EQ(f.sounds.size(), 2);
    f.sounds.clear();

    f.Click(0);
    EXPECT_EQ(f.window->Orders().Count(), 3);
    f.Click(0); // taken out again: no sound
    EXPECT_EQ(f.window->Orders().Count(), 2);
    f.sounds.clear();
    f.Click(4, Qt::ShiftModifier);
    EXPECT_EQ(f.window->Orders().Count(), 5);
    EXPECT_EQ(f.sounds, QStringList { QStringLiteral("SHT_LWAV") });
    EXPECT_EQ(f.window->StatusBars()->OrderPanel(1)->text(), QStringLiteral("5/5"));
    EXPECT_EQ(f.window->StatusBars()->TotalPanel(0, 0)->text(), QStringLiteral("注文数 5"));
    for (int i = 0; i < 5; ++i)
        EXPECT_TRUE(grid->List()->Item(i).inOrder);

    // "全解除" with Shift acts on the selected cells only; without, on all.
    grid->SetCurrentIndex(2);
    f.window->Basket().SelectAllClick(false, true);
    EXPECT_EQ(f.window->Orders().Count(), 4);
    f.window->Basket().SelectAllClick(false, false);
    EXPECT_EQ(f.window->Orders().Count(), 0);
    // A plain click elsewhere first, so that Shift no longer counts as held.
    QTest::mouseClick(f.window->findChild<QLabel *>(QStringLiteral("lbSort")), Qt::LeftButton);
    f.window->findChild<QPushButton *>(QStringLiteral("sbAllSelect"))->click();
    EXPECT_EQ(f.window->Orders().Count(), 5);
    EXPECT_TRUE(f.prompter.Shown().isEmpty());
}

TEST(TWebMainSources, OfflineTheFirstOrderingClickSaysSoOnce)
{
    TSourcesFixture f(false);
    f.Photo(QStringLiteral("p.jpg"), kDay, 64, 48);
    f.window->Sources()->ListFolder(f.home.FilePath(QStringLiteral("Photos")));
    f.Click(0);
    f.Click(0);
    f.window->Basket().SelectAllClick(true, false);
    EXPECT_EQ(f.prompter.Texts(),
        QStringList { QStringLiteral("　　OFF-LINEです。注文作業はできません。　　") });
    EXPECT_EQ(f.window->Orders().Count(), 0);
    EXPECT_TRUE(f.sounds.isEmpty());
}

TEST(TWebMainSources, TheRefreshButtonScansIntoTheDateTreeAndCanCancel)
{
    TSourcesFixture f;
    f.Photo(QStringLiteral("DCIM/a.jpg"), kDay);
    f.Photo(QStringLiteral("DCIM/b.jpg"), kDay.addSecs(3600));
    f.Photo(QStringLiteral("copy/a.jpg"), kDay); // the same picture copied: listed once
    f.Photo(QStringLiteral("old/c.jpg"), QDateTime(QDate(1995, 3, 1), QTime(8, 0, 0)));
    f.window->Sources()->SetSourceMode(3);
    EXPECT_EQ(f.window->Sources()->pcSource()->currentIndex(), 2);
    EXPECT_EQ(f.window->Sources()->pcSource()->tabText(2), QStringLiteral("日付"));

    QPushButton *button = f.window->Sources()->sbReDate();
    EXPECT_EQ(button->text(), QStringLiteral("最新情報に更新(HD)"));
    button->click();
    EXPECT_TRUE(f.window->Sources()->DateBuildRunning());
    EXPECT_EQ(button->text(), QStringLiteral("キャンセル"));
    QTRY_VERIFY_WITH_TIMEOUT(!f.window->Sources()->DateBuildRunning(), 10000);
    EXPECT_EQ(button->text(), QStringLiteral("最新情報に更新(HD)"));
    EXPECT_TRUE(button->toolTip().startsWith(QStringLiteral("[最終更新]　")));

    QTreeWidget *tree = f.window->Sources()->tvDate();
    ASSERT_TRUE(tree->isVisible());
    ASSERT_EQ(tree->topLevelItemCount(), 2);
    EXPECT_EQ(tree->topLevelItem(0)->text(0), QStringLiteral("1995年(   1)"));
    QTreeWidgetItem *year = tree->topLevelItem(1);
    EXPECT_EQ(year->text(0), QStringLiteral("2005年(   2)"));
    QTreeWidgetItem *day = year->child(0)->child(0);
    EXPECT_EQ(year->child(0)->text(0), QStringLiteral("2005/ 3月(   2)"));
    EXPECT_EQ(day->text(0), QStringLiteral("05/03/01(   2)"));
    tree->setCurrentItem(day);
    EXPECT_EQ(f.window->Browser()->lvBrowser()->List()->Count(), 2);
    EXPECT_EQ(f.window->StatusBars()->MainPanel(0)->text(), QStringLiteral("05/03/01(   2)"));
    const QString tree95 = QStringLiteral("95/03/01(   1)");
    tree->setCurrentItem(tree->topLevelItem(0)->child(0)->child(0));
    EXPECT_EQ(f.window->Browser()->lvBrowser()->List()->Item(0).fullPath,
        f.home.FilePath(QStringLiteral("Photos/old/c.jpg")));
    EXPECT_TRUE(QFileInfo::exists(f.session->LastDatePath()));

    // A picture saved by the program joins the list without a walk.
    f.window->Sources()->AddScannedPicture(
        f.Photo(QStringLiteral("saved.jpg"), kDay.addSecs(7200)));
    QTRY_VERIFY_WITH_TIMEOUT(!f.window->Sources()->DateBuildRunning(), 10000);
    ASSERT_EQ(tree->topLevelItemCount(), 2);
    EXPECT_EQ(tree->topLevelItem(1)->text(0), QStringLiteral("2005年(   3)"));
    // The focused node and the expanded ones were kept.
    ASSERT_NE(tree->currentItem(), nullptr);
    EXPECT_EQ(tree->currentItem()->text(0), tree95);

    // A second press while scanning cancels; the pictures found so far are still listed.
    button->click();
    ASSERT_EQ(button->text(), QStringLiteral("キャンセル"));
    button->click();
    QTRY_VERIFY_WITH_TIMEOUT(!f.window->Sources()->DateBuildRunning(), 10000);
    EXPECT_EQ(button->text(), QStringLiteral("最新情報に更新(HD)"));
    EXPECT_TRUE(tree->isEnabled());

    f.window->close();
    const QStringList nodes = ReadSjisLines(f.session->NodeExpPath()).value_or(QStringList());
    EXPECT_TRUE(nodes.contains(QStringLiteral("Forcus=95/03/01")))
        << nodes.join(u';').toStdString();
}

TEST(TWebMainSources, TheRefreshMenuItemRestartsABuildThatIsRunning)
{
    TSourcesFixture f;
    f.Photo(QStringLiteral("DCIM/a.jpg"), kDay);
    int walks = 0;
    f.window->Sources()->ScanDriveList = [&] {
        ++walks;
        return QList<TDrive> { TDrive { u'C', f.home.FilePath("Photos"), dtFixed } };
    };
    f.window->Sources()->SetSourceMode(3);
    f.window->Sources()->sbReDate()->click();
    ASSERT_TRUE(f.window->Sources()->DateBuildRunning());
    f.Command("miReDate")->trigger();
    EXPECT_EQ(walks, 2);
    EXPECT_EQ(f.window->Sources()->sbReDate()->text(), QStringLiteral("キャンセル"));
    QTRY_VERIFY_WITH_TIMEOUT(!f.window->Sources()->DateBuildRunning(), 10000);
    EXPECT_EQ(f.window->Sources()->sbReDate()->text(), QStringLiteral("最新情報に更新(HD)"));
    ASSERT_EQ(f.window->Sources()->tvDate()->topLevelItemCount(), 1);
    EXPECT_EQ(
        f.window->Sources()->tvDate()->topLevelItem(0)->text(0), QStringLiteral("2005年(   1)"));
}

TEST(TWebMainSources, ExcludedFoldersAreListedWrittenAndAskBeforeLiftingAParent)
{
    TSourcesFixture f;
    f.Photo(QStringLiteral("trip/day1/a.jpg"), kDay);
    auto *model = f.window->Sources()->FolderModel();
    const QString trip = f.home.FilePath(QStringLiteral("Photos/trip"));
    f.window->Sources()->tvFolder()->setCurrentIndex(model->index(trip));
    EXPECT_FALSE(f.window->Sources()->clbDateOut()->isVisible());
    // It asks first; "いいえ" changes nothing.
    const QString question = QStringLiteral("<") + trip
        + QStringLiteral("> を日付リストの対象外にします。\r\n"
                         "このフォルダとその中のフォルダの画像は、日付リストに載らなくなります。"
                         "\r\n\r\nよろしいですか？");
    f.prompter.Answer(TModalResult::mrNo);
    f.window->findChild<QPushButton *>(QStringLiteral("sbDateOut"))->click();
    EXPECT_EQ(f.prompter.Texts(), QStringList { question });
    EXPECT_EQ(f.prompter.Shown().value(0).buttons, TMsgButtons(mbYes | mbNo));
    EXPECT_EQ(f.window->Sources()->clbDateOut()->count(), 0);
    EXPECT_FALSE(QFileInfo::exists(f.session->DateOutPath()));
    f.prompter.Answer(TModalResult::mrYes);
    f.window->findChild<QPushButton *>(QStringLiteral("sbDateOut"))->click();
    ASSERT_EQ(f.window->Sources()->clbDateOut()->count(), 1);
    EXPECT_TRUE(f.window->Sources()->clbDateOut()->isVisible());
    EXPECT_EQ(ReadSjisLines(f.session->DateOutPath()).value(),
        QStringList { trip + QStringLiteral("=TRUE") });

    // A child of the excluded folder asks to lift the parent; Cancel keeps it.
    f.prompter.Answer(TModalResult::mrCancel);
    f.window->Sources()->tvFolder()->setCurrentIndex(model->index(trip + QStringLiteral("/day1")));
    f.window->Sources()->ToggleExclusion();
    EXPECT_EQ(f.prompter.Texts().mid(2),
        QStringList { QStringLiteral("親である <") + trip + QStringLiteral("> を解除します。") });
    EXPECT_EQ(f.window->Sources()->clbDateOut()->count(), 1);
    // Unticking the entry writes it as inactive; the scan then walks the folder.
    f.window->Sources()->clbDateOut()->item(0)->setCheckState(Qt::Unchecked);
    EXPECT_EQ(ReadSjisLines(f.session->DateOutPath()).value(),
        QStringList { trip + QStringLiteral("=FALSE") });
    f.window->Sources()->tvFolder()->setCurrentIndex(model->index(trip));
    f.prompter.Answer(TModalResult::mrYes);
    f.window->Sources()->ToggleExclusion();
    EXPECT_EQ(f.prompter.Texts().value(3),
        QStringLiteral("<") + trip
            + QStringLiteral("> を日付リストの対象に戻します。よろしいですか？"));
    EXPECT_EQ(f.prompter.Unexpected(), 0);
    EXPECT_FALSE(QFileInfo::exists(f.session->DateOutPath()));
    EXPECT_FALSE(f.window->Sources()->clbDateOut()->isVisible());
}

TEST(TWebMainSources, ThumbnailModesResetSortsAndTheExifWindow)
{
    TSourcesFixture f;
    const QString a = f.Photo(QStringLiteral("a.jpg"), kDay, 900, 600);
    f.Photo(QStringLiteral("b.jpg"), kDay.addSecs(-60), 300, 200);
    f.window->Sources()->ListFolder(f.home.FilePath(QStringLiteral("Photos")));
    TFilmGrid *grid = f.window->Browser()->lvBrowser();
    grid->SetCurrentIndex(0);
    grid->grab();
    ASSERT_TRUE(f.WaitForCells());
    const QString thumb = BrowserThumbPath(f.session->Workspace().Works(), a);
    ASSERT_TRUE(QFileInfo::exists(thumb));

    // The combo and the menu show the same mode; 1 → 2 deletes the listed thumbnails.
    auto *combo = f.window->findChild<QComboBox *>(QStringLiteral("cbxThumbMode"));
    EXPECT_EQ(combo->currentIndex(), 1);
    combo->setCurrentIndex(2);
    EXPECT_TRUE(f.Command("miThumbMode2")->isChecked());
    EXPECT_EQ(f.window->Browser()->Loader()->Mode(), 2);
    EXPECT_FALSE(QFileInfo::exists(thumb));
    grid->grab();
    ASSERT_TRUE(f.WaitForCells());
    EXPECT_TRUE(QFileInfo::exists(thumb));
    // "AR" deletes every thumbnail of the list.
    f.window->findChild<QPushButton *>(QStringLiteral("sbAllRemake"))->click();
    EXPECT_FALSE(QFileInfo::exists(thumb));

    // The sort by date, descending, puts a first; its label says so.
    f.Command("miListSort4")->trigger();
    f.Command("miListDeSort")->trigger();
    EXPECT_EQ(f.window->findChild<QLabel *>(QStringLiteral("lbSort"))->text(),
        QStringLiteral("日時 降順"));
    EXPECT_EQ(f.window->Browser()->BrowserFiles().first(), a);
    f.Command("miListSort0")->trigger();

    grid->SetCurrentIndex(0);
    f.window->findChild<QPushButton *>(QStringLiteral("sbExif"))->click();
    auto *exif = f.window->findChild<TExifForm *>(QStringLiteral("fmExif"));
    ASSERT_NE(exif, nullptr);
    EXPECT_TRUE(exif->isVisible());
    EXPECT_GE(exif->lvExif()->topLevelItemCount(), 3);
    exif->close();

    // Reset asks first: "いいえ" keeps everything; "はい" empties Works and the date list and
    // forgets the scroll positions.
    ASSERT_TRUE(f.home.Write(QStringLiteral("Korvatel/Tree/DateData.ini"), "x"));
    ASSERT_TRUE(f.home.Write(QStringLiteral("Korvatel/Works/kept.small.jpg"), "x"));
    f.prompter.Answer(TModalResult::mrNo);
    f.window->findChild<QPushButton *>(QStringLiteral("sbReset"))->click();
    EXPECT_EQ(f.prompter.Texts(), QStringList { ResetQuestion() });
    EXPECT_TRUE(ResetQuestion().startsWith(QStringLiteral("次のものを消去します。")));
    EXPECT_TRUE(QFileInfo::exists(f.session->Workspace().Tree()));
    EXPECT_TRUE(
        QFileInfo::exists(f.home.FilePath(QStringLiteral("Korvatel/Works/kept.small.jpg"))));
    f.prompter.Answer(TModalResult::mrYes);
    f.window->findChild<QPushButton *>(QStringLiteral("sbReset"))->click();
    EXPECT_EQ(f.prompter.Unexpected(), 0);
    EXPECT_FALSE(QFileInfo::exists(f.session->Workspace().Tree()));
    EXPECT_TRUE(QDir(f.session->Workspace().Works()).isEmpty());
}

TEST(TWebMainSources, ExifWithoutAPictureAndAClickOnAFileThatCannotBeReadSayWhy)
{
    TSourcesFixture f;
    const QString good = f.Photo(QStringLiteral("a.jpg"), kDay);
    const QByteArray whole = test::JpegBytes(test::PatternBitmap(320, 240));
    ASSERT_TRUE(f.home.Write(QStringLiteral("Photos/cut.jpg"), whole.left(whole.size() / 2)));
    ASSERT_TRUE(f.home.Write(QStringLiteral("Photos/empty.jpg"), {}));
    f.window->Sources()->ListFolder(f.home.FilePath(QStringLiteral("Photos")));

    // No picture chosen: "Exif" says so, and no window opens.
    f.window->findChild<QPushButton *>(QStringLiteral("sbExif"))->click();
    EXPECT_EQ(f.prompter.Texts(),
        QStringList { QStringLiteral("画像が選ばれていません。\r\n"
                                     "Exif情報を見る画像を一覧で選んでから、もう一度どうぞ。") });
    EXPECT_EQ(f.window->findChild<TExifForm *>(QStringLiteral("fmExif")), nullptr);

    // The cut file shows "FILE ERROR"; a click on it orders nothing and says why.
    TFilmGrid *grid = f.window->Browser()->lvBrowser();
    grid->grab();
    ASSERT_TRUE(f.WaitForCells());
    const QString cut = f.home.FilePath(QStringLiteral("Photos/cut.jpg"));
    const int cutIndex = grid->List()->IndexOf(cut);
    ASSERT_EQ(grid->State(cutIndex), TCellState::csError);
    f.Click(cutIndex);
    EXPECT_EQ(f.window->Orders().Count(), 0);
    EXPECT_EQ(f.prompter.Texts().value(1),
        QStringLiteral("この画像ファイルは読み込めないため、注文できません。\r\n\r\n") + cut
            + QStringLiteral("\r\n画像ファイルが壊れています。"));
    f.Click(grid->List()->IndexOf(f.home.FilePath(QStringLiteral("Photos/empty.jpg"))));
    EXPECT_TRUE(f.prompter.Texts().value(2).endsWith(QStringLiteral("0バイトです。")));
    // A readable picture is ordered without a word.
    f.Click(grid->List()->IndexOf(good));
    EXPECT_EQ(f.window->Orders().Count(), 1);
    EXPECT_EQ(f.prompter.Texts().size(), 3);
}

TEST(TWebMainSources, TheShootingDateOptionFilesCopiedPhotosUnderTheirOwnDays)
{
    TSourcesFixture f;
    const QDateTime copied(QDate::currentDate(), QTime(9, 0, 0));
    const auto copy = [&](const QString &name, const QByteArray &bytes) {
        ASSERT_TRUE(f.home.Write(QStringLiteral("Photos/copied/") + name, bytes));
        ASSERT_TRUE(
            SetFileTimes(f.home.FilePath(QStringLiteral("Photos/copied/") + name), copied, copied));
    };
    const TBitmap picture = test::PatternBitmap(64, 48);
    copy(QStringLiteral("a.jpg"),
        test::ExifJpegBuilder().dateTaken("2004:07:15 13:05:09").picture(picture).build());
    copy(QStringLiteral("b.jpg"),
        test::ExifJpegBuilder().dateTaken("2005:03:01 09:30:10").picture(picture).build());
    copy(QStringLiteral("c.jpg"), test::JpegBytes(picture)); // no Exif: its file time
    const QString today = copied.toString(QStringLiteral("yy/MM/dd"));
    f.window->Sources()->SetSourceMode(3);
    const auto scannedDays = [&f] {
        f.window->Sources()->sbReDate()->click();
        QDeadlineTimer deadline(10000);
        while (f.window->Sources()->DateBuildRunning() && !deadline.hasExpired())
            QTest::qWait(10);
        QStringList days;
        QTreeWidget *tree = f.window->Sources()->tvDate();
        for (QTreeWidgetItem *day :
            tree->findItems(QStringLiteral("/"), Qt::MatchContains | Qt::MatchRecursive))
            if (day->childCount() == 0)
                days << day->text(0);
        return days;
    };
    // By file time, as before: everything was copied today.
    EXPECT_EQ(scannedDays(), QStringList { today + QStringLiteral("(   3)") });

    // "操作方法の設定" switches to the shooting date; the next scan files by it.
    QTimer::singleShot(0, [] {
        auto *form = qobject_cast<TUsageOptionsForm *>(QApplication::activeModalWidget());
        ASSERT_NE(form, nullptr);
        EXPECT_FALSE(form->cbShootingDateList()->isChecked());
        form->cbShootingDateList()->setChecked(true);
        form->accept();
    });
    f.Command("miOperation")->trigger();
    EXPECT_TRUE(f.session->Option2.ShootingDateList);
    EXPECT_EQ(scannedDays(),
        (QStringList { QStringLiteral("04/07/15(   1)"), QStringLiteral("05/03/01(   1)"),
            today + QStringLiteral("(   1)") }));
}

TEST(TWebMainSources, CheckMarkKindsAskForTheirTextAndPicture)
{
    TSourcesFixture f;
    f.window->Browser()->AskText = [](const QString &prompt, const QString &) {
        EXPECT_EQ(prompt, QStringLiteral("チェックマークテキスト"));
        return QStringLiteral("済");
    };
    f.Command("miCheckMarkM2")->trigger();
    EXPECT_EQ(f.session->State.CheckMark, -2);
    EXPECT_EQ(f.session->State.UserCheckText, QStringLiteral("済"));
    EXPECT_EQ(f.window->Browser()->lvBrowser()->Look().check.text, QStringLiteral("済"));

    ASSERT_TRUE(f.home.Write(QStringLiteral("mark.bmp"), "not a picture"));
    f.window->SetFileDialog([&](const QString &, const QString &, const QString &) {
        return f.home.FilePath("mark.bmp");
    });
    f.Command("miCheckMarkM1")->trigger();
    EXPECT_EQ(f.prompter.Texts(),
        QStringList { QStringLiteral(
            "指定のチェックマーク画像読み込みに失敗しました。\r\n\r\n標準に戻します。") });
    EXPECT_EQ(f.session->State.CheckMark, 0);
    EXPECT_TRUE(f.Command("miCheckMark0")->isChecked());
    f.Command("miCheckPosX2")->trigger();
    f.Command("miCheckPosY1")->trigger();
    EXPECT_EQ(f.session->State.CheckPos, 12);
    EXPECT_EQ(f.window->Browser()->lvBrowser()->Look().check.pos, 12);
}

} // namespace korvatel

namespace korvatel
{

TEST(TWebMainSources, AShiftClickOnAnotherFolderListsItOnce)
{
    TSourcesFixture f;
    ASSERT_TRUE(f.home.Write(QStringLiteral("Photos/a.jpg"), "x"));
    ASSERT_TRUE(f.home.Write(QStringLiteral("Photos/sub/b.jpg"), "x"));
    const QString photos = f.home.FilePath(QStringLiteral("Photos"));
    f.window->Sources()->SetSourceMode(2);
    QTreeView *tree = f.window->Sources()->tvFolder();
    auto *model = qobject_cast<TDriveFolderModel *>(tree->model());
    ASSERT_NE(model, nullptr);
    const QModelIndex index = model->index(photos);
    ASSERT_TRUE(index.isValid());
    QTRY_VERIFY_WITH_TIMEOUT(tree->visualRect(index).isValid(), 10000);
    QTest::mouseClick(
        tree->viewport(), Qt::LeftButton, Qt::ShiftModifier, tree->visualRect(index).center());
    EXPECT_EQ(f.window->Browser()->Film().Count(), 2);
    // A second listing would have remembered the scroll position of the first.
    EXPECT_EQ(f.window->Browser()->RememberedTopIndex(photos), -1);
    // Shift-clicking the folder listed alone lists its subfolders.
    f.window->Sources()->ListFolder(photos);
    ASSERT_EQ(f.window->Browser()->Film().Count(), 1);
    QTest::mouseClick(
        tree->viewport(), Qt::LeftButton, Qt::ShiftModifier, tree->visualRect(index).center());
    EXPECT_EQ(f.window->Browser()->Film().Count(), 2);
}

TEST(TWebMainSources, TheCategoryPageOpensTheRegistrationOnceWhenEmpty)
{
    TSourcesFixture f;
    int asked = 0;
    f.window->Sources()->RegisterCategory = [&] { ++asked; };
    f.window->Sources()->SetSourceMode(4);
    f.window->Sources()->SetSourceMode(2);
    f.window->Sources()->SetSourceMode(4);
    EXPECT_EQ(asked, 1);
    // Without the shop's switch the page is hidden and its menu item disabled.
    EXPECT_FALSE(f.window->Sources()->pcSource()->isTabVisible(3));
    EXPECT_FALSE(f.Command("miSource4")->isEnabled());
    EXPECT_TRUE(f.Command("miSource3")->isEnabled());
    f.Command("miSource3")->trigger();
    EXPECT_EQ(f.window->Sources()->SourceMode(), 3);
    EXPECT_EQ(f.window->Sources()->pcSource()->currentIndex(), 2);
}

} // namespace korvatel

namespace korvatel
{

TEST(TWebMainSources, TheLastFolderIsListedAndTheBasketMarksItsPictures)
{
    test::TAppHome home;
    ASSERT_TRUE(
        home.Write(QStringLiteral("Photos/a.jpg"), test::JpegBytes(test::PatternBitmap(64, 48))));
    ASSERT_TRUE(
        home.Write(QStringLiteral("Photos/b.jpg"), test::JpegBytes(test::PatternBitmap(64, 48))));
    const QString folder = home.FilePath(QStringLiteral("Photos"));
    ASSERT_TRUE(home.Write(QStringLiteral("Korvatel/SysData/State.ini"),
        (QStringLiteral("LastDir=") + folder + QStringLiteral("\r\n")).toUtf8()));
    TClientSession session = test::TestSession(home, false);
    {
        TThumbNails basket;
        basket.AddPicture(1, folder + QStringLiteral("/b.jpg"), false, 1, QStringLiteral("L"));
        basket.Recount();
        ASSERT_TRUE(
            basket.SaveMemory(session.OrderMemoryPath(), session.CampusOrderPath(), SystemClock()));
    }
    TWebMain window(session);
    TScriptedPrompter prompter;
    test::ShowWindowQuietly(window, prompter); // its first idle moment reads the basket
    ASSERT_EQ(window.Browser()->Film().Count(), 2);
    EXPECT_FALSE(window.Browser()->Film().Item(0).inOrder);
    EXPECT_TRUE(window.Browser()->Film().Item(1).inOrder);
    EXPECT_EQ(window.StatusBars()->OrderPanel(1)->text(), QStringLiteral("1/2"));
    EXPECT_EQ(window.Sources()
                  ->tvFolder()
                  ->currentIndex()
                  .data(TDriveFolderModel::FilePathRole)
                  .toString(),
        folder);
}

TEST(TWebMainSources, ASavedPictureJoinsADateListLargerThanOtherTextFiles)
{
    TSourcesFixture f;
    const QString tree = f.session->Workspace().Tree();
    ASSERT_TRUE(QDir().mkpath(tree));
    const QByteArray filler(kMaxTextFileSize / 2 + 1, 'x');
    {
        QFile list(DateDataPath(tree));
        ASSERT_TRUE(list.open(QIODevice::WriteOnly));
        list.write(filler + "\r\n" + filler + "\r\n");
    }
    f.window->Sources()->AddScannedPicture(f.Photo(QStringLiteral("saved.jpg"), kDay));
    QTRY_VERIFY_WITH_TIMEOUT(!f.window->Sources()->DateBuildRunning(), 20000);
    const std::optional<QStringList> lines = ReadDateData(tree);
    ASSERT_TRUE(lines);
    ASSERT_EQ(lines->size(), 3);
    EXPECT_TRUE(lines->contains(filler));
    QTreeWidget *dates = f.window->Sources()->tvDate();
    ASSERT_EQ(dates->topLevelItemCount(), 1);
    EXPECT_EQ(dates->topLevelItem(0)->text(0), QStringLiteral("2005年(   1)"));
}

TEST(TWebMainSources, ASavedPictureLeavesADateListThatCannotBeReadAlone)
{
    TSourcesFixture f;
    const QString tree = f.session->Workspace().Tree();
    ASSERT_TRUE(QDir().mkpath(tree));
    // The list can be opened but not read: over the largest size it may have.
    {
        QFile list(DateDataPath(tree));
        ASSERT_TRUE(list.open(QIODevice::WriteOnly));
        ASSERT_TRUE(list.resize(kMaxDateDataSize + 1));
    }
    f.window->Sources()->AddScannedPicture(f.Photo(QStringLiteral("saved.jpg"), kDay));
    QTRY_VERIFY_WITH_TIMEOUT(!f.window->Sources()->DateBuildRunning(), 10000);
    EXPECT_EQ(QFileInfo(DateDataPath(tree)).size(), kMaxDateDataSize + 1);
}

} // namespace korvatel
