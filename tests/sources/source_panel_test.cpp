#include "platform/file_times.h"
#include "platform/prompter.h"
#include "sources/date_exclusion.h"
#include "sources/film_cell.h"
#include "sources/source_listing.h"
#include "sources/source_modes.h"
#include "sources/ui/browser_panel.h"
#include "sources/ui/drive_folder_model.h"
#include "sources/ui/film_grid.h"
#include "sources/ui/source_panel.h"
#include "support/app_home.h"
#include "support/image_builders.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDeadlineTimer>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>
#include <QTreeView>
#include <QTreeWidget>
#include <gtest/gtest.h>
#include <memory>

namespace korvatel
{

namespace
{

const QStringList kJpegKinds { QStringLiteral(".jpg"), QStringLiteral(".jpeg") };

// The two pages side by side over a temporary home, without a main window: the values they
// read are plain members here and the save hooks count their calls.
struct TPagesFixture {
    // drives: further drives of the home, as test::TAppHome takes them.
    explicit TPagesFixture(const QString &drives = {})
        : home(drives)
        , workspace(home.Workspace())
    {
        workspace.PrepareWorkspace();
        browser = std::make_unique<TBrowserPanel>(workspace.Works(), state);
        sources = std::make_unique<TSourcePanel>(TSourceValues { workspace, option, state, dateOut,
            nodeExp, lastRead, [this] { ++optionSaves; }, [this] { ++dateOutSaves; },
            [](const QString &) { return false; }, false });
        sources->SetBrowser(browser.get());
        sources->SetPrompter(&prompter);
        browser->SetPrompter(&prompter);
        browser->MarkOrders = [this](TFilmList &film) {
            for (int i = 0; i < film.Count(); ++i)
                film.Item(i).inOrder = ordered.contains(film.Item(i).fullPath);
        };
        browser->ListShown = [this] { ++listsShown; };
        browser->ApplyFilmLook();
        sources->show();
        browser->show();
        QCoreApplication::processEvents();
    }

    QString Write(const QString &name)
    {
        EXPECT_TRUE(home.Write(QStringLiteral("Photos/") + name, "x"));
        return home.FilePath(QStringLiteral("Photos/") + name);
    }

    // A camera JPEG with its Exif date, written with that file time.
    QString Photo(const QString &name, const QDateTime &when)
    {
        const QByteArray bytes
            = test::ExifJpegBuilder()
                  .dateTaken(when.toString(QStringLiteral("yyyy:MM:dd hh:mm:ss")).toLatin1())
                  .picture(test::PatternBitmap(64, 48))
                  .build();
        EXPECT_TRUE(home.Write(QStringLiteral("Photos/") + name, bytes));
        const QString path = home.FilePath(QStringLiteral("Photos/") + name);
        EXPECT_TRUE(SetFileTimes(path, when, when));
        return path;
    }

    // Waits until every listed cell has its picture or tile.
    bool WaitForCells()
    {
        TFilmGrid *grid = browser->lvBrowser();
        QDeadlineTimer deadline(10000);
        while (grid->ReadyCount() < grid->List()->Count() && !deadline.hasExpired())
            QTest::qWait(10);
        return grid->ReadyCount() >= grid->List()->Count();
    }

    test::TAppHome home;
    TWorkspace workspace;
    TOptionSettings option;
    TStateSettings state;
    TDateOutFolderList dateOut;
    TNodeExp nodeExp;
    std::optional<QDateTime> lastRead;
    int optionSaves = 0;
    int dateOutSaves = 0;
    int listsShown = 0;
    QStringList ordered;
    TScriptedPrompter prompter;
    std::unique_ptr<TBrowserPanel> browser;
    std::unique_ptr<TSourcePanel> sources;
};

} // namespace

TEST(TSourceListing, AFolderListsItsPictureKindsInNameOrderIgnoringCase)
{
    test::TAppHome home;
    ASSERT_TRUE(home.Write(QStringLiteral("Photos/b.JPG"), "x"));
    ASSERT_TRUE(home.Write(QStringLiteral("Photos/A.jpeg"), "x"));
    ASSERT_TRUE(home.Write(QStringLiteral("Photos/c.jpg"), "x"));
    ASSERT_TRUE(home.Write(QStringLiteral("Photos/notes.txt"), "x"));
    ASSERT_TRUE(home.Write(QStringLiteral("Photos/noext"), "x"));
    ASSERT_TRUE(home.Write(QStringLiteral("Photos/sub/d.jpg"), "x"));
    const QString folder = home.FilePath(QStringLiteral("Photos"));
    EXPECT_EQ(FolderPictures(folder, kJpegKinds, false),
        (QStringList { folder + QStringLiteral("/A.jpeg"), folder + QStringLiteral("/b.JPG"),
            folder + QStringLiteral("/c.jpg") }));
    const QStringList deep = FolderPictures(folder, kJpegKinds, true);
    EXPECT_EQ(deep.size(), 4);
    EXPECT_TRUE(deep.contains(folder + QStringLiteral("/sub/d.jpg")));
    EXPECT_TRUE(FolderPictures(folder, { QStringLiteral(".bmp") }, true).isEmpty());
}

TEST(TSourceListing, OnlyTheLastDotCountsAndAMissingFolderListsNothing)
{
    EXPECT_TRUE(ListedKind(QStringLiteral("trip.2005.JPG"), kJpegKinds));
    EXPECT_FALSE(ListedKind(QStringLiteral("trip.jpg.txt"), kJpegKinds));
    EXPECT_FALSE(ListedKind(QStringLiteral("jpg"), kJpegKinds));
    EXPECT_TRUE(
        FolderPictures(QStringLiteral("/nonexistent/korvatel"), kJpegKinds, true).isEmpty());
}

TEST(TSourceListing, TheRefreshHintKeepsTheFirstSentenceOfItsLongPart)
{
    const QDateTime when(QDate(2005, 3, 1), QTime(10, 20, 30));
    const QString first = LastReadHint(
        QStringLiteral("最新情報に更新|ハードディスク内の画像を検索して日付リストを作り直します。"),
        when);
    EXPECT_EQ(first,
        QStringLiteral("[最終更新]　2005/03/01 10:20:30|ハードディスク内の画像を検索して日付リ"
                       "ストを作り直します。最終更新 2005/03/01 10:20:30"));
    // A second scan replaces the time instead of adding another.
    EXPECT_EQ(LastReadHint(first, when.addDays(1)),
        QStringLiteral("[最終更新]　2005/03/02 10:20:30|ハードディスク内の画像を検索して日付リ"
                       "ストを作り直します。最終更新 2005/03/02 10:20:30"));
}

TEST(TSourcePanel, AChosenFolderIsListedInTheBrowserWithTheBasketMarks)
{
    TPagesFixture f;
    const QString a = f.Write(QStringLiteral("a.jpg"));
    f.Write(QStringLiteral("b.jpg"));
    f.Write(QStringLiteral("sub/c.jpg"));
    f.ordered << a;
    QSignalSpy names(f.sources.get(), &TSourcePanel::nodeText);
    const QString photos = f.home.FilePath(QStringLiteral("Photos"));
    f.sources->ListFolder(photos);
    EXPECT_EQ(f.browser->Film().Count(), 2);
    EXPECT_TRUE(f.browser->Film().Item(0).inOrder);
    EXPECT_FALSE(f.browser->Film().Item(1).inOrder);
    EXPECT_EQ(f.browser->ShownName(), photos);
    EXPECT_FALSE(f.browser->ShownSubfolders());
    EXPECT_EQ(f.state.LastDir, photos);
    EXPECT_EQ(f.listsShown, 1);
    ASSERT_EQ(names.size(), 1);
    EXPECT_EQ(names.first().first().toString(), QStringLiteral("Photos"));

    f.sources->ListFolder(photos, true);
    EXPECT_EQ(f.browser->Film().Count(), 3);
    EXPECT_TRUE(f.browser->ShownSubfolders());
}

TEST(TSourcePanel, TheExclusionListIsWrittenThroughItsHookAndShownOnlyWhenFilled)
{
    TPagesFixture f;
    f.Write(QStringLiteral("trip/a.jpg"));
    const QString trip = f.home.FilePath(QStringLiteral("Photos/trip"));
    auto *model = f.sources->FolderModel();
    f.sources->tvFolder()->setCurrentIndex(model->index(trip));
    EXPECT_FALSE(f.sources->clbDateOut()->isVisible());
    f.prompter.Answer(TModalResult::mrYes);
    f.sources->findChild<QPushButton *>(QStringLiteral("sbDateOut"))->click();
    ASSERT_EQ(f.dateOut.Folders.size(), 1);
    EXPECT_EQ(f.dateOut.Folders.first().path, trip);
    EXPECT_EQ(f.dateOutSaves, 1);
    EXPECT_TRUE(f.sources->clbDateOut()->isVisible());

    f.sources->clbDateOut()->item(0)->setCheckState(Qt::Unchecked);
    EXPECT_FALSE(f.dateOut.Folders.first().active);
    EXPECT_EQ(f.dateOutSaves, 2);
    // Taking it back asks too; "いいえ" keeps the entry.
    f.prompter.Answer(TModalResult::mrNo);
    f.sources->ToggleExclusion();
    EXPECT_EQ(f.dateOut.Folders.size(), 1);
    EXPECT_EQ(f.dateOutSaves, 2);
    f.prompter.Answer(TModalResult::mrYes);
    f.sources->ToggleExclusion();
    EXPECT_TRUE(f.dateOut.Folders.isEmpty());
    EXPECT_FALSE(f.sources->clbDateOut()->isVisible());
    const QString back = QStringLiteral("<") + trip
        + QStringLiteral("> を日付リストの対象に戻します。よろしいですか？");
    EXPECT_EQ(f.prompter.Texts(), (QStringList { ExclusionQuestion({}, trip), back, back }));
    EXPECT_EQ(f.prompter.Unexpected(), 0);
}

TEST(TSourcePanel, AFolderOnASecondDriveIsListedWhenChosen)
{
    TPagesFixture f(QStringLiteral("E=removable"));
    ASSERT_TRUE(f.home.Write(QStringLiteral("drives/E/DCIM/100CANON/IMG_0001.JPG"), "x"));
    ASSERT_TRUE(f.home.Write(QStringLiteral("drives/E/DCIM/100CANON/IMG_0002.JPG"), "x"));
    QTreeView *tree = f.sources->tvFolder();
    TDriveFolderModel *model = f.sources->FolderModel();
    ASSERT_EQ(model->rowCount(), 2);
    const QModelIndex card = model->index(1, 0);
    EXPECT_EQ(card.data().toString(), QStringLiteral("E: E"));
    // Opening the drive and then its DCIM folder reads them; a click chooses the camera folder.
    tree->expand(card);
    const QModelIndex dcim = model->index(0, 0, card);
    ASSERT_EQ(dcim.data().toString(), QStringLiteral("DCIM"));
    tree->expand(dcim);
    const QModelIndex camera = model->index(0, 0, dcim);
    ASSERT_TRUE(camera.isValid());
    QTRY_VERIFY_WITH_TIMEOUT(tree->visualRect(camera).isValid(), 5000);
    QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, tree->visualRect(camera).center());
    const QString folder = f.home.DriveRoot(u'E') + QStringLiteral("/DCIM/100CANON");
    EXPECT_EQ(f.browser->ShownName(), folder);
    EXPECT_EQ(f.browser->Film().Count(), 2);
    EXPECT_EQ(f.state.LastDir, folder);
}

TEST(TSourcePanel, PagesTheShopOffersWithoutContentsSayWhatTheyAre)
{
    test::TAppHome home;
    TWorkspace workspace = home.Workspace();
    TOptionSettings option;
    TStateSettings state;
    TDateOutFolderList dateOut;
    TNodeExp nodeExp;
    std::optional<QDateTime> lastRead;
    TSourcePanel sources(TSourceValues { workspace, option, state, dateOut, nodeExp, lastRead, {},
        {}, [](const QString &) { return true; }, true });
    for (const int mode : { smTemplate, smShop, smTicket }) {
        EXPECT_TRUE(sources.pcSource()->isTabVisible(mode - 1)) << mode;
        auto *label = sources.findChild<QLabel *>(QStringLiteral("lbSourceEmpty%1").arg(mode));
        ASSERT_NE(label, nullptr) << mode;
        EXPECT_EQ(label->text(), SourcePageEmptyText(mode));
    }
}

TEST(TSourcePanel, TheBoxesOfTheDatePageWriteOptionIni)
{
    TPagesFixture f;
    auto *fast = f.sources->findChild<QCheckBox *>(QStringLiteral("cbFastMode"));
    ASSERT_NE(fast, nullptr);
    EXPECT_EQ(fast->isChecked(), !f.option.FullMake);
    fast->click();
    EXPECT_EQ(f.option.FullMake, !fast->isChecked());
    f.sources->findChild<QCheckBox *>(QStringLiteral("cbLan"))->click();
    EXPECT_EQ(f.optionSaves, 2);
    // Without the shop's switch files only the folder and date pages are shown.
    QTabWidget *pages = f.sources->pcSource();
    EXPECT_FALSE(pages->isTabVisible(smTemplate - 1));
    EXPECT_TRUE(pages->isTabVisible(smFolder - 1));
    EXPECT_TRUE(pages->isTabVisible(smDate - 1));
    EXPECT_FALSE(pages->isTabVisible(smCategory - 1));
}

TEST(TSourcePanel, AScanFillsTheDateTreeAndANodeListsItsPictures)
{
    TPagesFixture f;
    f.Photo(QStringLiteral("DCIM/a.jpg"), QDateTime(QDate(2005, 3, 1), QTime(10, 0, 0)));
    f.sources->ScanDriveList = [&f] {
        return QList<TDrive> { TDrive { u'C', f.home.FilePath("Photos"), dtFixed } };
    };
    f.sources->SetSourceMode(smDate);
    EXPECT_TRUE(f.browser->lvBrowser()->isEnabled());
    f.sources->sbReDate()->click();
    EXPECT_EQ(f.sources->sbReDate()->text(), QStringLiteral("キャンセル"));
    QTRY_VERIFY_WITH_TIMEOUT(!f.sources->DateBuildRunning(), 10000);
    EXPECT_TRUE(f.lastRead.has_value());
    EXPECT_TRUE(f.sources->sbReDate()->toolTip().startsWith(QStringLiteral("[最終更新]　")));
    QTreeWidget *tree = f.sources->tvDate();
    ASSERT_EQ(tree->topLevelItemCount(), 1);
    QTreeWidgetItem *year = tree->topLevelItem(0);
    year->setExpanded(true);
    tree->setCurrentItem(year);
    EXPECT_EQ(f.browser->ShownName(), year->text(0));
    EXPECT_EQ(f.browser->Film().Count(), 1);
    f.sources->CollectNodeExp();
    EXPECT_EQ(f.nodeExp.Focus, TNodeExp::NodeKey(year->text(0)));
    EXPECT_EQ(f.nodeExp.Expanded, QStringList { TNodeExp::NodeKey(year->text(0)) });
}

TEST(TBrowserPanel, EveryThumbnailModeShowsThePictures)
{
    TPagesFixture f;
    const QByteArray camera = test::ExifJpegBuilder()
                                  .dateTaken("2009:07:15 13:05:09")
                                  .imageSize(640, 480)
                                  .thumbnail(test::JpegBytes(test::PatternBitmap(160, 120)))
                                  .picture(test::PatternBitmap(640, 480))
                                  .build();
    ASSERT_TRUE(f.home.Write(QStringLiteral("Photos/camera.jpg"), camera));
    ASSERT_TRUE(f.home.Write(
        QStringLiteral("Photos/plain.jpg"), test::JpegBytes(test::PatternBitmap(300, 200))));
    f.sources->ListFolder(f.home.FilePath(QStringLiteral("Photos")));
    TFilmGrid *grid = f.browser->lvBrowser();
    for (int mode = 0; mode <= 8; ++mode) {
        f.browser->SetThumbnailMode(mode);
        grid->InvalidatePictures();
        grid->grab();
        ASSERT_TRUE(f.WaitForCells()) << mode;
        EXPECT_EQ(grid->State(0), TCellState::csReady) << mode;
        EXPECT_EQ(grid->State(1), TCellState::csReady) << mode;
    }
    EXPECT_EQ(f.state.ThumbType, 8);
}

TEST(TSourcePanel, ShiftListsSubfoldersAndEachFolderKeepsItsScrollPosition)
{
    TPagesFixture f;
    for (int i = 0; i < 40; ++i)
        ASSERT_TRUE(f.home.Write(
            QStringLiteral("Photos/many/p%1.jpg").arg(i, 2, 10, QLatin1Char('0')), "x"));
    ASSERT_TRUE(f.home.Write(QStringLiteral("Photos/many/sub/deep.jpg"), "x"));
    ASSERT_TRUE(f.home.Write(QStringLiteral("Photos/other/o.jpg"), "x"));
    const QString many = f.home.FilePath(QStringLiteral("Photos/many"));
    f.sources->ListFolder(many, true);
    EXPECT_EQ(f.browser->Film().Count(), 41);
    f.sources->ListFolder(many);
    ASSERT_EQ(f.browser->Film().Count(), 40);
    TFilmGrid *grid = f.browser->lvBrowser();
    grid->resize(300, 200);
    grid->SetTopIndex(20);
    const int top = grid->TopIndex();
    ASSERT_GT(top, 0);
    f.sources->ListFolder(f.home.FilePath(QStringLiteral("Photos/other")));
    EXPECT_EQ(grid->TopIndex(), 0);
    EXPECT_EQ(f.browser->RememberedTopIndex(many), top);
    f.sources->ListFolder(many);
    EXPECT_EQ(grid->TopIndex(), top);
}

TEST(TBrowserPanel, SortingKeepsTheCurrentPictureAndTheLabelSaysHow)
{
    TPagesFixture f;
    const QString a = f.Write(QStringLiteral("a.jpg"));
    const QString b = f.Write(QStringLiteral("b.jpg"));
    const QString c = f.Write(QStringLiteral("c.jpg"));
    f.browser->SetBrowserFiles({ b, c, a });
    EXPECT_EQ(f.listsShown, 1);
    EXPECT_TRUE(f.browser->ShownName().isEmpty());
    f.browser->lvBrowser()->SetCurrentIndex(0);
    f.state.ListSort = 1;
    f.state.ListDeSort = true;
    f.browser->SortBrowser();
    f.browser->UpdateSortLabel();
    EXPECT_EQ(f.browser->BrowserFiles(), (QStringList { c, b, a }));
    EXPECT_EQ(f.browser->lvBrowser()->CurrentIndex(), 1);
    EXPECT_EQ(f.browser->findChild<QLabel *>(QStringLiteral("lbSort"))->text(),
        QStringLiteral("名前 降順"));
}

TEST(TBrowserPanel, TheButtonsAndChoicesAreReportedToTheWindow)
{
    TPagesFixture f;
    QSignalSpy orders(f.browser.get(), &TBrowserPanel::orderAllClicked);
    QSignalSpy resets(f.browser.get(), &TBrowserPanel::resetClicked);
    QSignalSpy modes(f.browser.get(), &TBrowserPanel::thumbnailModeChanged);
    QSignalSpy marks(f.browser.get(), &TBrowserPanel::checkMarkChanged);
    f.browser->findChild<QPushButton *>(QStringLiteral("sbAllCancel"))->click();
    ASSERT_EQ(orders.size(), 1);
    EXPECT_FALSE(orders.first().first().toBool());
    f.browser->findChild<QPushButton *>(QStringLiteral("sbReset"))->click();
    EXPECT_EQ(resets.size(), 1);

    f.browser->cbxThumbMode()->setCurrentIndex(3);
    ASSERT_EQ(modes.size(), 1);
    EXPECT_EQ(modes.first().first().toInt(), 3);
    EXPECT_EQ(f.state.ThumbType, 3);

    // An empty text keeps the mark kind the state has.
    f.browser->AskText = [](const QString &, const QString &) { return QString(); };
    f.browser->CheckMarkChosen(cmText);
    EXPECT_EQ(f.state.CheckMark, 0);
    ASSERT_EQ(marks.size(), 1);
    EXPECT_EQ(marks.first().first().toInt(), 0);
}

TEST(TBrowserPanel, TheCheckMarkMenusSetTheStateAndKeepOneChoice)
{
    TPagesFixture f;
    f.state.CheckMark = 0;
    f.state.CheckPos = 0;
    QMenu shape;
    QMenu place;
    f.browser->BuildCheckMarkMenus(&shape, &place);
    EXPECT_EQ(shape.actions().size(), 7);
    // Three places across, a separator, three down.
    EXPECT_EQ(place.actions().size(), 7);
    const auto item = [&f](const char *name) {
        return f.browser->findChild<QAction *>(QString::fromLatin1(name));
    };
    ASSERT_NE(item("miCheckMark0"), nullptr);
    EXPECT_TRUE(item("miCheckMark0")->isChecked());
    EXPECT_TRUE(item("miCheckPosX0")->isChecked());
    EXPECT_TRUE(item("miCheckPosY0")->isChecked());

    item("miCheckMark1")->trigger();
    EXPECT_EQ(f.state.CheckMark, 1);
    EXPECT_FALSE(item("miCheckMark0")->isChecked());
    item("miCheckPosX2")->trigger();
    item("miCheckPosY1")->trigger();
    EXPECT_EQ(f.state.CheckPos, 12);
    EXPECT_FALSE(item("miCheckPosX0")->isChecked());

    // Either menu may be missing.
    f.browser->BuildCheckMarkMenus(nullptr, nullptr);
}

TEST(TBrowserPanel, TheMenuStoresItsChoicesAndAsksItsHooksForColours)
{
    TPagesFixture f;
    QMenu menu;
    QStringList asked;
    int backChanges = 0;
    TBrowserMenuHooks hooks;
    hooks.chooseColour = [&asked](int &setting, const char *caption) {
        asked << QString::fromUtf8(caption);
        setting = 0x123456;
    };
    hooks.backColourChanged = [&backChanges] { ++backChanges; };
    f.browser->BuildMenu(&menu, hooks);
    const auto item = [&f](const char *name) {
        return f.browser->findChild<QAction *>(QString::fromLatin1(name));
    };
    const struct {
        const char *name;
        const char *caption;
        int TStateSettings::*setting;
    } colours[] = { { "miFrameColor", "枠色", &TStateSettings::FilmColor },
        { "miBackColor", "背景色", &TStateSettings::BoxColor },
        { "miCheckColor", "チェック色", &TStateSettings::CheckColor } };
    for (const auto &colour : colours) {
        item(colour.name)->trigger();
        EXPECT_EQ(asked.takeLast(), QString::fromUtf8(colour.caption));
        EXPECT_EQ(f.state.*colour.setting, 0x123456) << colour.name;
    }
    EXPECT_EQ(backChanges, 1);
    item("miListSort2")->trigger();
    EXPECT_EQ(f.state.ListSort, 2);
    // The sort button opens the menu's sort submenu.
    EXPECT_EQ(f.browser->findChild<QToolButton *>(QStringLiteral("sbSort"))->menu(),
        menu.findChild<QAction *>(QStringLiteral("miSort"))->menu());
}

TEST(TSourcePanel, TheMenuChoosesTheModesAndGreysThoseNotOffered)
{
    TPagesFixture f;
    QMenu menu;
    f.sources->BuildMenu(&menu);
    const auto item = [&f](int mode) {
        return f.sources->findChild<QAction *>(QStringLiteral("miSource%1").arg(mode));
    };
    for (int mode = smTemplate; mode <= smCategory; ++mode)
        EXPECT_EQ(item(mode)->isEnabled(), f.sources->pcSource()->isTabVisible(mode - 1)) << mode;
    EXPECT_FALSE(item(smTemplate)->isEnabled());
    EXPECT_EQ(item(smTemplate)->toolTip(), QStringLiteral("このお店ではカードを扱っていません。"));
    item(smDate)->trigger();
    EXPECT_EQ(f.sources->SourceMode(), smDate);
}

} // namespace korvatel
