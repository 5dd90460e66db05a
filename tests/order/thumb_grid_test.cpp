#include "order/grid_paint.h"
#include "order/ui/thumb_grid.h"
#include "order_fixture.h"
#include "platform/prompter.h"
#include "pricing/price_tables.h"
#include "support/image_builders.h"
#include "workspace/shop_options.h"

#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

namespace korvatel
{

namespace
{

// A grid in a 903 × 600 panel over a basket of pattern JPEGs, one print of L each; pictures are
// made at once when a cell asks for them.
struct TGridFixture {
    test::TTempHome home;
    TPriceTables tables = test::SizedShopTables();
    TThumbNails list;
    QWidget host;
    TThumbGrid *grid = nullptr;
    TScriptedPrompter prompter;
    QStringList sounds;
    QStringList hints;

    explicit TGridFixture(int items = 3, const QStringList &names = {})
    {
        list.Context().tables = &tables;
        list.Context().works = home.FilePath(QStringLiteral("Works"));
        list.Context().projectSizes = { QStringLiteral("L") };
        for (int i = 0; i < items; ++i) {
            const QString name = i < names.size() ? names[i] : QStringLiteral("p%1.jpg").arg(i);
            home.Write(
                QStringLiteral("Pictures/") + name, test::JpegBytes(test::PatternBitmap(320, 240)));
            list.AddPicture(1, home.FilePath(QStringLiteral("Pictures/") + name), false, 1,
                QStringLiteral("L"));
        }
        list.Recount();
        host.resize(903, 600);
        grid = new TThumbGrid(&host, false);
        grid->SetTables(&tables);
        grid->SetCorrectionOffered(true);
        grid->SetPrompter(&prompter);
        grid->PlaySound = [this](const QString &name) { sounds << name; };
        grid->OnHint = [this](const QString &hint) { hints << hint; };
        grid->SetList(&list);
        host.show();
        QApplication::setActiveWindow(&host);
        EXPECT_TRUE(QTest::qWaitForWindowActive(&host));
        Paint();
    }

    void Paint() { grid->grab(); }

    TCellZones Zones(int index) const
    {
        return CellZones(
            grid->CellRect(index), grid->Look().unit, grid->Look().options, *list.Item(index));
    }
    QPoint At(int index, int zone) const { return Zones(index).Zone(zone).center(); }
    void Click(int index, int zone, Qt::MouseButton button = Qt::LeftButton)
    {
        QTest::mouseClick(grid, button, {}, At(index, zone));
    }
    void Send(QEvent::Type type, QPoint pos, Qt::MouseButton button, Qt::MouseButtons buttons)
    {
        QMouseEvent event(type, pos, grid->mapToGlobal(pos), button, buttons, Qt::NoModifier);
        QApplication::sendEvent(grid, &event);
    }
};

} // namespace

TEST(TThumbGrid, MinusOnOneShowsDeleteAndTheNextMinusAsks)
{
    TGridFixture f;
    f.Click(0, gzMinus);
    EXPECT_EQ(f.list.Item(0)->CurrentCount, 0);
    EXPECT_EQ(MinusLabel(*f.list.Item(0)), QStringLiteral("削除"));
    EXPECT_TRUE(f.prompter.Shown().isEmpty());
    EXPECT_FALSE(f.grid->RepeatTimer()->isActive());

    f.prompter.Answer(TModalResult::mrNo);
    f.Click(0, gzMinus);
    ASSERT_EQ(f.prompter.Texts(),
        (QStringList { QStringLiteral("画像をオーダーから削除します。よろしいですか？") }));
    EXPECT_EQ(f.list.Count(), 3);

    const QString second = f.list.Item(1)->FullPath;
    f.prompter.Answer(TModalResult::mrYes);
    f.Click(0, gzMinus);
    ASSERT_EQ(f.list.Count(), 2);
    EXPECT_EQ(f.list.Item(0)->FullPath, second);
    EXPECT_EQ(f.list.OrderCount(), 2);
    EXPECT_EQ(f.sounds, (QStringList(3, QStringLiteral("SHT_SWAV"))));
    EXPECT_EQ(f.prompter.Unexpected(), 0);
}

TEST(TThumbGrid, HoldingPlusRepeatsAfter500ThenSeventyPercent)
{
    TGridFixture f;
    QTest::mousePress(f.grid, Qt::LeftButton, {}, f.At(1, gzPlus));
    EXPECT_EQ(f.list.Item(1)->CurrentCount, 2); // +1 at once
    ASSERT_TRUE(f.grid->RepeatTimer()->isActive());
    EXPECT_TRUE(f.grid->RepeatTimer()->isSingleShot());
    QList<int> intervals { f.grid->RepeatTimer()->interval() };
    QList<int> counts;
    for (int i = 0; i < 3; ++i) {
        f.grid->RepeatTick();
        intervals << f.grid->RepeatTimer()->interval();
        counts << f.list.Item(1)->CurrentCount;
    }
    EXPECT_EQ(intervals, (QList<int> { 500, 350, 245, 171 }));
    EXPECT_EQ(counts, (QList<int> { 3, 4, 5 }));
    QTest::mouseRelease(f.grid, Qt::LeftButton, {}, f.At(1, gzPlus));
    EXPECT_FALSE(f.grid->RepeatTimer()->isActive());
    EXPECT_EQ(f.list.OrderCount(), 7); // recounted on release
    EXPECT_EQ(f.sounds.size(), 1);

    // Minus repeats only from a count still 2 or more, and stops below 1.
    f.list.Item(2)->SetSizeCount(QStringLiteral("L"), 3);
    QTest::mousePress(f.grid, Qt::LeftButton, {}, f.At(2, gzMinus));
    ASSERT_TRUE(f.grid->RepeatTimer()->isActive());
    f.grid->RepeatTick();
    f.grid->RepeatTick();
    EXPECT_EQ(f.list.Item(2)->CurrentCount, 0);
    EXPECT_FALSE(f.grid->RepeatTimer()->isActive());
    QTest::mouseRelease(f.grid, Qt::LeftButton, {}, f.At(2, gzMinus));
}

TEST(TThumbGrid, ProjectPicturesHaveNoCopyCdDateOrCorrectionZones)
{
    TGridFixture f(2, { QStringLiteral("a.jpg"), QStringLiteral("b_project.jpg") });
    ASSERT_TRUE(f.list.Item(1)->Project);
    const TCellZones normal = f.Zones(0);
    const QPoint shift = f.grid->CellRect(1).topLeft() - f.grid->CellRect(0).topLeft();
    for (const int zone : { gzCopy, gzCdr, gzDate, gzHoseiKind, gzHoseiWindow, gzDensity }) {
        const QPoint at = normal.Zone(zone).center();
        EXPECT_EQ(f.grid->HitTest(0, at.x(), at.y(), false), zone) << zone;
        EXPECT_EQ(f.grid->HitTest(1, at.x() + shift.x(), at.y() + shift.y(), false), gzNone)
            << zone;
    }
    const bool cd = f.list.Item(1)->CdOrder;
    QTest::mouseClick(f.grid, Qt::LeftButton, {}, normal.Zone(gzCdr).center() + shift);
    EXPECT_EQ(f.list.Item(1)->CdOrder, cd);
    QTest::mouseClick(f.grid, Qt::LeftButton, {}, normal.Zone(gzCopy).center() + shift);
    EXPECT_TRUE(f.sounds.isEmpty());
    // The size switch of a project picture walks the project sizes.
    f.Click(1, gzSize);
    EXPECT_EQ(f.list.Item(1)->CurrentSize, QStringLiteral("L"));
}

TEST(TThumbGrid, DraggingACountOntoItsOwnSizeFrameIsRefused)
{
    TGridFixture f(1);
    TThumbNail &item = *f.list.Item(0);
    item.SetSizeCount(QStringLiteral("L"), 2);
    item.SetSizeCount(QStringLiteral("2L"), 1);
    f.Paint();
    const QList<TSizeFrame> frames = f.grid->Frames(0);
    ASSERT_EQ(frames.size(), 2);
    ASSERT_TRUE(f.grid->PictureShown(0));
    const QPoint start = frames[0].rect.center();
    QTest::mousePress(f.grid, Qt::LeftButton, {}, start);
    QTest::mouseMove(f.grid, start + QPoint(12, 0));
    f.Send(QEvent::MouseMove, start + QPoint(12, 0), Qt::NoButton, Qt::LeftButton);
    EXPECT_TRUE(f.grid->Dragging());
    EXPECT_FALSE(f.grid->AcceptsDrop(start + QPoint(12, 0)));
    f.Send(QEvent::MouseButtonRelease, start + QPoint(12, 0), Qt::LeftButton, Qt::NoButton);
    EXPECT_FALSE(f.grid->Dragging());
    EXPECT_EQ(item.Orders, (QStringList { "L=2", "2L=1" }));
    // Nor does a drop outside the frames or on another cell take anything.
    EXPECT_FALSE(f.grid->AcceptsDrop(QPoint(2, 2)));
}

TEST(TThumbGrid, ArrowRightOnTheLastItemDoesNothing)
{
    TGridFixture f;
    int changes = 0;
    f.grid->OnCurrentChanged = [&](int) { ++changes; };
    f.grid->SetCurrentIndex(2);
    changes = 0;
    f.grid->setFocus();
    QTest::keyClick(f.grid, Qt::Key_Right);
    EXPECT_EQ(f.grid->CurrentIndex(), 2);
    EXPECT_EQ(changes, 0);
    QTest::keyClick(f.grid, Qt::Key_Left);
    EXPECT_EQ(f.grid->CurrentIndex(), 1);
    QTest::keyClick(f.grid, Qt::Key_Up);
    EXPECT_EQ(f.grid->CurrentIndex(), 1);
    EXPECT_EQ(changes, 1);
}

TEST(TThumbGrid, PagesByWholeScreensAndKnowsWhenTheLastItemWasSeen)
{
    TGridFixture f(7);
    EXPECT_EQ(f.grid->Columns(), 3);
    EXPECT_EQ(f.grid->VisibleRows(), 2);
    EXPECT_EQ(f.grid->RowCount(), 4);
    EXPECT_TRUE(f.grid->isVisible());
    EXPECT_FALSE(f.grid->LastItemDrawn());
    EXPECT_TRUE(f.grid->CellRect(6).isEmpty());
    f.grid->PageDown();
    EXPECT_EQ(f.grid->TopRow(), 2);
    f.grid->PageDown();
    EXPECT_EQ(f.grid->TopRow(), 2);
    f.Paint();
    EXPECT_TRUE(f.grid->LastItemDrawn());
    EXPECT_EQ(f.grid->IndexAt(f.grid->CellRect(6).center()), 6);
    f.grid->PageUp();
    EXPECT_EQ(f.grid->TopRow(), 0);
    // Moving the current item pages the view.
    f.grid->setFocus();
    f.grid->SetCurrentIndex(4);
    QTest::keyClick(f.grid, Qt::Key_Down);
    EXPECT_EQ(f.grid->CurrentIndex(), 4); // no item below 4 in a list of 7
    f.grid->SetCurrentIndex(3);
    QTest::keyClick(f.grid, Qt::Key_Down);
    EXPECT_EQ(f.grid->CurrentIndex(), 6);
    EXPECT_EQ(f.grid->TopRow(), 2);

    // An emptied list hides the grid.
    f.list.Clear();
    f.grid->ListChanged();
    EXPECT_FALSE(f.grid->isVisible());
}

TEST(TThumbGrid, HintsFollowTheZoneUnderTheMouse)
{
    TGridFixture f;
    QTest::mouseMove(f.grid, f.At(0, gzPlus));
    ASSERT_FALSE(f.hints.isEmpty());
    EXPECT_EQ(
        f.hints.last(), QStringLiteral("枚数を１枚増やします(+1)。押しつづけることもできます。"));
    EXPECT_EQ(f.grid->cursor().shape(), Qt::PointingHandCursor);
    const int shown = int(f.hints.size());
    QTest::mouseMove(f.grid, f.At(0, gzPlus) + QPoint(1, 0));
    EXPECT_EQ(f.hints.size(), shown); // the same zone builds no new hint
    QTest::mouseMove(f.grid, f.grid->Frames(0).value(0).rect.center());
    EXPECT_EQ(f.hints.last(), SizeFrameHint({ true, false }));
    QTest::mouseMove(f.grid, f.At(0, gzQuality));
    EXPECT_EQ(f.hints.last(), ZoneHint(gzQuality, *f.list.Item(0)));
    EXPECT_EQ(f.grid->cursor().shape(), Qt::ArrowCursor);
}

TEST(TThumbGrid, OfflineEveryMouseActionIsIgnored)
{
    TGridFixture f;
    f.grid->SetOnline(false);
    f.Click(0, gzPlus);
    f.Click(0, gzCdr);
    f.Click(0, gzSize);
    EXPECT_EQ(f.list.Item(0)->Orders, (QStringList { "L=1" }));
    EXPECT_TRUE(f.list.Item(0)->CdOrder);
    EXPECT_TRUE(f.sounds.isEmpty());
}

TEST(TThumbGrid, ButtonsChangeTheItem)
{
    TGridFixture f;
    f.grid->SetShutterOff(true);
    TThumbNail &item = *f.list.Item(0);
    f.Click(0, gzSize);
    EXPECT_EQ(item.CurrentSize, QStringLiteral("2L"));
    EXPECT_EQ(item.CurrentCount, 0);
    f.Click(0, gzSize, Qt::RightButton);
    EXPECT_EQ(item.CurrentSize, QStringLiteral("L"));
    f.Click(0, gzCdr);
    EXPECT_FALSE(item.CdOrder);
    EXPECT_EQ(f.list.CdCount(), 2);
    f.Click(0, gzHoseiKind);
    EXPECT_EQ(item.Hosei.kind, 1);
    f.Click(0, gzHoseiKind, Qt::RightButton);
    f.Click(0, gzHoseiKind, Qt::RightButton);
    EXPECT_EQ(item.Hosei.kind, 5);
    // The density follows the slider; the right button resets it.
    const QRect track = f.Zones(0).Zone(gzDensity);
    QTest::mouseClick(f.grid, Qt::LeftButton, {}, QPoint(track.right(), track.center().y()));
    EXPECT_EQ(item.Hosei.density, 100);
    QTest::mouseClick(f.grid, Qt::RightButton, {}, track.center());
    EXPECT_EQ(item.Hosei.density, 0);
    // The correction window opens on the item.
    int opened = 0;
    f.grid->OpenCorrection = [&](TThumbNail &target) {
        EXPECT_EQ(&target, &item);
        return ++opened > 0;
    };
    f.Click(0, gzHoseiWindow);
    EXPECT_EQ(opened, 1);
    EXPECT_TRUE(f.sounds.isEmpty());
}

TEST(TThumbGrid, TheDateEditorTakesHalfWidthTextAndClosesWithTheKind)
{
    TGridFixture f;
    TThumbNail &item = *f.list.Item(0);
    item.DatePrint = false;
    f.Click(0, gzDate);
    f.Click(0, gzDate);
    EXPECT_FALSE(f.grid->DateEditor()->isVisible());
    f.Click(0, gzDate);
    EXPECT_EQ(item.DateType, dkCustom);
    ASSERT_TRUE(f.grid->DateEditor()->isVisible());
    // Typed as an input method would hand the characters over, one key at a time.
    for (const QChar c : QStringLiteral("２００４ねん")) {
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
        QApplication::sendEvent(f.grid->DateEditor(), &press);
        QKeyEvent release(QEvent::KeyRelease, 0, Qt::NoModifier, QString(c));
        QApplication::sendEvent(f.grid->DateEditor(), &release);
    }
    EXPECT_EQ(item.DateStr[2], QStringLiteral("2004ﾈﾝ"));
    EXPECT_EQ(f.grid->DateEditor()->text(), QStringLiteral("2004ﾈﾝ"));
    f.Click(0, gzDate);
    EXPECT_FALSE(item.DatePrint);
    EXPECT_FALSE(f.grid->DateEditor()->isVisible());
    EXPECT_EQ(item.DateStr[2], QStringLiteral("2004ﾈﾝ"));
}

TEST(TThumbGrid, CopyButtonCopiesToTheEndOrOpensTheCopyWindow)
{
    TGridFixture f;
    f.list.Item(0)->SetSizeCount(QStringLiteral("2L"), 3);
    f.Click(0, gzCopy);
    for (int i = 1; i < 3; ++i)
        EXPECT_EQ(f.list.Item(i)->Orders, (QStringList { "L=1", "2L=3" })) << i;
    EXPECT_EQ(f.list.OrderCount(), 12);

    f.grid->SetCopyKind(ckDetail);
    QList<int> asked;
    QRect where;
    f.grid->ShowCopyWindow = [&](int index, const QRect &cell) {
        asked << index;
        where = cell;
    };
    f.Click(1, gzCopy);
    EXPECT_EQ(asked, (QList<int> { 1 }));
    EXPECT_EQ(where.topLeft(), f.grid->mapToGlobal(f.grid->CellRect(1).topLeft()));
}

TEST(TThumbGrid, RightClickOpensTheMenuAndLeftReleaseWithRightHeldLocates)
{
    TGridFixture f;
    QMenu menu;
    menu.addAction(QStringLiteral("更新ソート"));
    f.grid->SetPopupMenu(&menu);
    const QPoint caption = f.Zones(2).captions.center();
    QTest::mouseClick(f.grid, Qt::RightButton, {}, caption);
    EXPECT_EQ(f.grid->CurrentIndex(), 2);
    EXPECT_TRUE(menu.isVisible());
    menu.hide();

    QStringList located;
    f.grid->OnLocate = [&](const QString &path, int) { located << path; };
    f.Send(QEvent::MouseButtonPress, caption, Qt::RightButton, Qt::RightButton);
    f.Send(QEvent::MouseButtonPress, caption, Qt::LeftButton, Qt::RightButton | Qt::LeftButton);
    f.Send(QEvent::MouseButtonRelease, caption, Qt::LeftButton, Qt::RightButton);
    EXPECT_EQ(located, (QStringList { f.list.Item(2)->FullPath }));
}

TEST(TThumbGrid, DoubleClickOnAFrameMergesWhenAskedTo)
{
    TGridFixture f(1);
    TThumbNail &item = *f.list.Item(0);
    item.SetSizeCount(QStringLiteral("2L"), 2);
    f.Paint();
    const QPoint at = f.grid->Frames(0).value(0).rect.center();
    QTest::mouseDClick(f.grid, Qt::LeftButton, {}, at);
    EXPECT_EQ(item.Orders.size(), 2); // double-click merge is off
    QTest::mouseDClick(f.grid, Qt::LeftButton, Qt::ControlModifier, at);
    EXPECT_EQ(item.Orders, (QStringList { "L=3" }));
}

TEST(TThumbGrid, TheDateImprintTakesTheShopsColourStyleAndShadow)
{
    TShopOptions options;
    options.DateColor = 0xFF0000; // blue, as Windows writes colours
    options.DateBold = true;
    options.DateShadow = true;
    const TImprintLook look = ShopImprintLook(options);
    EXPECT_EQ(look.colour, QColor(0, 0, 255));
    EXPECT_TRUE(look.bold && look.shadow && !look.italic);
    EXPECT_EQ(ShopImprintLook(TShopOptions {}).colour, QColor(255, 140, 0));

    TGridFixture f(1);
    TThumbNail &item = *f.list.Item(0);
    item.DatePrint = true;
    item.DateStr[0] = QStringLiteral("'26 12 9");
    f.grid->SetImprintLook(look);
    const auto count = [&f](QColor colour) {
        f.Paint(); // the picture is made by the first paint, the imprint drawn on it by the next
        const QImage shot = f.grid->grab().toImage();
        int n = 0;
        for (int y = 0; y < shot.height(); ++y)
            for (int x = 0; x < shot.width(); ++x)
                n += shot.pixelColor(x, y) == colour;
        return n;
    };
    EXPECT_GT(count(QColor(0, 0, 255)), 20);
    f.grid->SetImprintLook({});
    EXPECT_EQ(count(QColor(0, 0, 255)), 0);
}

TEST(TThumbGrid, AMissingPictureShowsBroken)
{
    TGridFixture f(1);
    f.list.AddPicture(
        1, f.home.FilePath(QStringLiteral("Pictures/gone.jpg")), false, 1, QStringLiteral("L"));
    f.list.Recount();
    f.grid->ListChanged();
    f.Paint();
    EXPECT_EQ(f.list.Item(1)->Broken, 1);
    EXPECT_FALSE(f.grid->PictureShown(1));
    EXPECT_TRUE(f.grid->PictureShown(0));
    EXPECT_EQ(f.list.Item(0)->Width, 320);
}

} // namespace korvatel

namespace korvatel
{

TEST(TThumbGrid, EveryEditOfAnItemIsReported)
{
    TGridFixture f;
    int changes = 0;
    f.grid->OnChanged = [&] { ++changes; };
    TThumbNail &item = *f.list.Item(0);
    // Right presses have no release callback after them; each must report on its own.
    f.Click(0, gzSize, Qt::RightButton);
    EXPECT_EQ(changes, 1);
    f.Click(0, gzHoseiKind, Qt::RightButton);
    EXPECT_EQ(changes, 2);
    item.DatePrint = true;
    item.DateType = dkCustom;
    f.Click(0, gzDate, Qt::RightButton);
    EXPECT_EQ(changes, 3);
    // The date text: each edit is reported.
    item.DatePrint = true;
    item.DateType = dkCustom;
    f.Paint();
    QTest::mouseClick(f.grid, Qt::LeftButton, {}, f.Zones(0).dateEditor.center());
    ASSERT_TRUE(f.grid->DateEditor()->isVisible());
    QTest::keyClicks(f.grid->DateEditor(), QStringLiteral("12"));
    EXPECT_EQ(changes, 5);
}

TEST(TThumbGrid, TheDateEditorStoresEveryEditAndYieldsToACopy)
{
    TGridFixture f;
    TThumbNail &source = *f.list.Item(0);
    TThumbNail &target = *f.list.Item(2);
    for (TThumbNail *item : { &source, &target }) {
        item->DatePrint = true;
        item->DateType = dkCustom;
    }
    source.DateStr[2] = QStringLiteral("XYZ");
    target.DateStr[2] = QStringLiteral("ABC");
    f.Paint();
    QLineEdit *editor = f.grid->DateEditor();
    QTest::mouseClick(f.grid, Qt::LeftButton, {}, f.Zones(2).dateEditor.center());
    ASSERT_TRUE(editor->isVisible());
    EXPECT_EQ(editor->text(), QStringLiteral("ABC"));
    // Kana can be typed: the input method stays on, asked for Latin text first.
    EXPECT_TRUE(editor->testAttribute(Qt::WA_InputMethodEnabled));
    EXPECT_TRUE(editor->inputMethodHints() & Qt::ImhPreferLatin);

    // Text that arrives without a key (paste, undo) is stored as well, made half-width.
    editor->selectAll();
    QApplication::clipboard()->setText(QStringLiteral("2025"));
    editor->paste();
    EXPECT_EQ(target.DateStr[2], QStringLiteral("2025"));
    editor->undo();
    EXPECT_EQ(target.DateStr[2], QStringLiteral("ABC"));
    QApplication::clipboard()->setText(QStringLiteral("２０２５"));
    editor->end(false);
    editor->paste();
    EXPECT_EQ(target.DateStr[2], QStringLiteral("ABC2025"));
    EXPECT_EQ(editor->text(), QStringLiteral("ABC2025"));

    // A copy from item 0 over the open editor keeps the copied text.
    f.prompter.Answer(TModalResult::mrYes);
    f.Click(0, gzCopy);
    EXPECT_EQ(f.prompter.Texts(), QStringList { QStringLiteral("入力日付もコピーしますか？") });
    EXPECT_EQ(target.DateStr[2], QStringLiteral("XYZ"));
    f.grid->CommitDateEditor();
    EXPECT_EQ(target.DateStr[2], QStringLiteral("XYZ"));

    // A change from outside while the editor stays open shows in it; a kind change closes it.
    QTest::mouseClick(f.grid, Qt::LeftButton, {}, f.Zones(2).dateEditor.center());
    ASSERT_TRUE(editor->isVisible());
    target.DateStr[2] = QStringLiteral("NEW");
    f.grid->ListChanged();
    EXPECT_EQ(editor->text(), QStringLiteral("NEW"));
    f.grid->CommitDateEditor();
    EXPECT_EQ(target.DateStr[2], QStringLiteral("NEW"));
    QTest::mouseClick(f.grid, Qt::LeftButton, {}, f.Zones(2).dateEditor.center());
    target.DateType = dkNormal;
    f.grid->ListChanged();
    EXPECT_FALSE(editor->isVisible());

    // The editor's item leaving the list with another coming in its place: the newcomer's
    // text is not touched.
    target.DateType = dkCustom;
    QTest::mouseClick(f.grid, Qt::LeftButton, {}, f.Zones(2).dateEditor.center());
    ASSERT_TRUE(editor->isVisible());
    f.list.Delete(2);
    f.list.AddPicture(1, f.list.Item(0)->FullPath, false, 1, QStringLiteral("L"));
    f.list.Recount();
    f.grid->ListChanged();
    EXPECT_FALSE(editor->isVisible());
    f.grid->CommitDateEditor();
    EXPECT_TRUE(f.list.Item(2)->DateStr[2].isEmpty());
}

TEST(TThumbGrid, AnItemComingInPlaceOfAnotherHasNotBeenSeen)
{
    TGridFixture f;
    EXPECT_TRUE(f.grid->LastItemDrawn());
    f.list.Delete(1);
    f.list.AddPicture(1, f.list.Item(0)->FullPath, false, 1, QStringLiteral("2L"));
    f.list.Recount();
    f.grid->ListChanged();
    EXPECT_EQ(f.list.Count(), 3);
    EXPECT_FALSE(f.grid->LastItemDrawn());
    f.Paint();
    EXPECT_TRUE(f.grid->LastItemDrawn());
    // Removing alone does not bring anything new.
    f.list.Delete(0);
    f.list.Recount();
    f.grid->ListChanged();
    EXPECT_TRUE(f.grid->LastItemDrawn());
}

TEST(TThumbGrid, OnlyPicturesNearThePageShownAreKept)
{
    TGridFixture f(30);
    EXPECT_TRUE(f.grid->PictureShown(0));
    for (int page = 0; page < 3; ++page) {
        f.grid->PageDown();
        f.Paint();
    }
    EXPECT_EQ(f.grid->TopRow(), 6);
    EXPECT_TRUE(f.grid->PictureShown(18));
    EXPECT_TRUE(f.grid->PictureShown(12)); // the page before
    EXPECT_FALSE(f.grid->PictureShown(0));
    EXPECT_FALSE(f.grid->PictureShown(6));
    // Coming back asks for the picture again.
    f.grid->SetCurrentIndex(0);
    f.Paint();
    EXPECT_TRUE(f.grid->PictureShown(0));
}

TEST(TThumbGridThreaded, AnswersForItemsThatLeftAreDroppedAndTheirRequestsForgotten)
{
    test::TTempHome home;
    TPriceTables tables = test::SizedShopTables();
    TThumbNails list;
    list.Context().tables = &tables;
    list.Context().works = home.FilePath(QStringLiteral("Works"));
    for (int i = 0; i < 12; ++i) {
        const QString name = QStringLiteral("Pictures/p%1.jpg").arg(i);
        home.Write(name, test::JpegBytes(test::PatternBitmap(320, 240)));
        list.AddPicture(1, home.FilePath(name), false, 1, QStringLiteral("L"));
    }
    home.Write(QStringLiteral("Pictures/big.jpg"), test::JpegBytes(test::PatternBitmap(640, 480)));
    list.Recount();
    QWidget host;
    host.resize(903, 600);
    auto *grid = new TThumbGrid(&host);
    grid->SetTables(&tables);
    grid->SetList(&list);
    host.show();
    grid->grab();
    // The six cells of the page asked; answers count as pending until they are delivered.
    const int asked = grid->PicturesPending();
    EXPECT_EQ(asked, 6);

    // The basket emptied while the worker is busy: what waits is forgotten at once; only what
    // the worker already took is still pending.
    list.Clear();
    grid->ListChanged();
    EXPECT_LT(grid->PicturesPending(), asked);
    // A newcomer gets its own answer, not one of the items that left.
    list.AddPicture(
        1, home.FilePath(QStringLiteral("Pictures/big.jpg")), false, 1, QStringLiteral("L"));
    list.Recount();
    grid->ListChanged();
    grid->grab();
    ASSERT_TRUE(QTest::qWaitFor([&] { return grid->PicturesPending() == 0; }, 10000));
    QCoreApplication::processEvents();
    EXPECT_TRUE(grid->PictureShown(0));
    EXPECT_EQ(list.Item(0)->Width, 640);
    EXPECT_EQ(list.Item(0)->Height, 480);
}

} // namespace korvatel
