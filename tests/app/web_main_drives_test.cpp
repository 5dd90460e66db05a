#include "app/client_session.h"
#include "app/ui/basket_actions.h"
#include "app/ui/status_bars.h"
#include "app/ui/web_main.h"
#include "app_session.h"
#include "order/consistency.h"
#include "order/ui/order_panel.h"
#include "order/ui/thumb_grid.h"
#include "platform/clock.h"
#include "platform/prompter.h"
#include "sources/ui/browser_panel.h"
#include "sources/ui/drive_folder_model.h"
#include "sources/ui/source_panel.h"
#include "support/app_home.h"
#include "support/image_builders.h"

#include <QDir>
#include <QLabel>
#include <QTest>
#include <QTreeView>
#include <gtest/gtest.h>

namespace korvatel
{

// A card holding a picture of the basket is pulled out while its folder is listed: the
// browser empties, the basket keeps the item, the check lists it as vanished and the order
// grid shows it as missing; the picture of the home folder stays as it was.
TEST(TWebMainDrives, APulledCardEmptiesTheBrowserAndItsBasketPictureShowsMissing)
{
    test::TAppHome home(QStringLiteral("E=removable"));
    const QByteArray jpeg = test::JpegBytes(test::PatternBitmap(320, 240));
    ASSERT_TRUE(home.Write(QStringLiteral("drives/E/DCIM/a.jpg"), jpeg));
    ASSERT_TRUE(home.Write(QStringLiteral("drives/E/DCIM/b.jpg"), jpeg));
    ASSERT_TRUE(home.Write(QStringLiteral("Photos/c.jpg"), jpeg));
    TClientSession session = test::TestSession(home, true);
    TWebMain window(session);
    TScriptedPrompter prompter;
    window.SetPrompter(&prompter);
    QList<QStringList> vanished;
    window.Basket().ShowProblems = [&vanished](const TConsistencyProblems &problems) {
        QStringList paths;
        for (const TThumbNail *item : problems.vanished)
            paths << item->FullPath;
        vanished << paths;
        return TProblemAnswer::paCancel;
    };
    window.Basket().PlaySound = [](const QString &) {};
    window.show();
    QCoreApplication::processEvents(); // the first idle moment

    const QString photos = home.FilePath(QStringLiteral("Photos"));
    const QString card = home.DriveRoot(u'E');
    window.Sources()->ListFolder(photos);
    window.BrowserClick(0, {}, false);
    window.Sources()->ChooseFolder(card + QStringLiteral("/DCIM"));
    window.Sources()->ListFolder(card + QStringLiteral("/DCIM"));
    ASSERT_EQ(window.Browser()->Film().Count(), 2);
    window.BrowserClick(0, {}, false);
    ASSERT_EQ(session.Orders().Count(), 2);
    const QString root = session.Workspace().Root();

    // The grid has shown both pictures before the card goes.
    window.SelectTab(window.TabIndexOf(tmOrder));
    TThumbGrid *grid = window.OrderPage()->Grid();
    const auto paintGrid = [grid] {
        grid->grab();
        EXPECT_TRUE(QTest::qWaitFor([grid] { return grid->PicturesPending() == 0; }, 20000));
        QCoreApplication::processEvents();
        grid->grab();
    };
    paintGrid();
    const auto shown = [&] {
        QList<bool> pictures;
        for (int i = 0; i < session.Orders().Count(); ++i)
            pictures << grid->PictureShown(i);
        return pictures;
    };
    ASSERT_EQ(shown(), QList<bool>({ true, true }));
    const int onCard = session.Orders().Item(0)->FullPath.startsWith(card) ? 0 : 1;
    QLabel *notice = window.StatusBars()->lbInconsistent();
    EXPECT_FALSE(notice->isVisibleTo(&window));

    ASSERT_TRUE(QDir(card).removeRecursively());
    window.DrivesChanged(TDriveTable::Build(home.Path(), {}, {}));
    EXPECT_EQ(window.Browser()->Film().Count(), 0);
    EXPECT_EQ(window.Sources()->FolderModel()->rowCount(), 1);
    EXPECT_FALSE(window.Sources()->tvFolder()->currentIndex().isValid());
    EXPECT_EQ(session.Workspace().Drives().Letters(), QStringLiteral("C"));
    EXPECT_EQ(session.Workspace().Root(), root);
    ASSERT_EQ(session.Orders().Count(), 2);
    paintGrid();
    EXPECT_EQ(session.Orders().Item(onCard)->Broken, 1);
    EXPECT_EQ(session.Orders().Item(1 - onCard)->Broken, 0);
    EXPECT_FALSE(grid->PictureShown(onCard));
    EXPECT_TRUE(grid->PictureShown(1 - onCard));
    EXPECT_TRUE(notice->isVisibleTo(&window));
    window.Basket().RunConsistencyCheck(kCheckForced);
    EXPECT_EQ(vanished, QList<QStringList> { { card + QStringLiteral("/DCIM/a.jpg") } });

    // The card comes back: the picture is made again and the notice goes.
    ASSERT_TRUE(home.Write(QStringLiteral("drives/E/DCIM/a.jpg"), jpeg));
    window.DrivesChanged(home.table);
    EXPECT_EQ(window.Sources()->FolderModel()->rowCount(), 2);
    paintGrid();
    EXPECT_EQ(shown(), QList<bool>({ true, true }));
    EXPECT_FALSE(notice->isVisibleTo(&window));
}

// A basket read while its card was out shows the picture once the card is plugged in.
TEST(TWebMainDrives, APictureMissingAtStartIsMadeWhenItsCardComesIn)
{
    test::TAppHome home(QStringLiteral("E=removable"));
    const QString picture = home.DriveRoot(u'E') + QStringLiteral("/DCIM/a.jpg");
    TClientSession session = test::TestSession(home, true);
    {
        TThumbNails basket(session.OrderContext(nullptr));
        basket.AddPicture(1, picture, false, 1, QStringLiteral("L"));
        basket.Item(0)->FileSize = 1;
        basket.Recount();
        ASSERT_TRUE(
            basket.SaveMemory(session.OrderMemoryPath(), session.CampusOrderPath(), SystemClock()));
    }
    TWebMain window(session);
    TScriptedPrompter prompter;
    test::ShowWindowQuietly(window, prompter); // its first idle moment reads the basket
    window.SelectTab(window.TabIndexOf(tmOrder));
    TThumbGrid *grid = window.OrderPage()->Grid();
    grid->grab();
    ASSERT_TRUE(QTest::qWaitFor([grid] { return grid->PicturesPending() == 0; }, 20000));
    QCoreApplication::processEvents();
    ASSERT_EQ(session.Orders().Count(), 1);
    EXPECT_EQ(session.Orders().Item(0)->Broken, 1);
    EXPECT_FALSE(grid->PictureShown(0));

    ASSERT_TRUE(home.Write(
        QStringLiteral("drives/E/DCIM/a.jpg"), test::JpegBytes(test::PatternBitmap(320, 240))));
    window.DrivesChanged(TDriveTable::Build(home.Path(), {}, {}));
    window.DrivesChanged(home.table);
    grid->grab();
    EXPECT_TRUE(QTest::qWaitFor(
        [grid] {
            grid->grab();
            return grid->PictureShown(0);
        },
        20000));
}

} // namespace korvatel
