#include "order/order_fixture.h"
#include "order/ui/order_copy_form.h"
#include "platform/prompter.h"
#include "support/keyboard_check.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <functional>
#include <gtest/gtest.h>

namespace korvatel
{

namespace
{

// Does something to the copy window as soon as ShowCopyWindow has it open.
class TWhenOpen
{
public:
    explicit TWhenOpen(std::function<void(TOrderCopyForm &)> action)
        : FAction(std::move(action))
    {
        FTimer.setInterval(0);
        QObject::connect(&FTimer, &QTimer::timeout, [this] {
            auto *form = qobject_cast<TOrderCopyForm *>(QApplication::activeModalWidget());
            if (!form || !form->isVisible())
                return;
            FTimer.stop();
            FOpened = true;
            FAction(*form);
        });
        FTimer.start();
    }
    bool Opened() const { return FOpened; }

private:
    std::function<void(TOrderCopyForm &)> FAction;
    QTimer FTimer;
    bool FOpened = false;
};

// A basket of plain pictures, each with one L print; the source gets two 2L prints.
struct TCopyFixture {
    explicit TCopyFixture(int items, int source)
    {
        for (int i = 0; i < items; ++i)
            basket.list.AddPicture(1, basket.File(QStringLiteral("p%1.jpg").arg(i)), false, 1, "L");
        TThumbNail *item = basket.list.Item(source);
        item->ClearOrders();
        item->SetSizeCount("2L", 2);
        item->CurrentSize = "2L";
        item->CdOrder = true;
        basket.list.Recount();
    }

    // The items that took the source's settings.
    QList<int> Copied() const
    {
        QList<int> copied;
        for (int i = 0; i < basket.list.Count(); ++i)
            if (basket.list.Item(i)->Orders == QStringList { "2L=2" })
                copied << i;
        return copied;
    }

    int Show(TCopyKind kind, int source)
    {
        return ShowCopyWindow(
            kind, basket.list, source, QRect(100, 100, 120, 160), prompter,
            [this](const QString &name) { sounds << name; }, nullptr);
    }

    test::TBasketFixture basket;
    TScriptedPrompter prompter;
    QStringList sounds;
};

void Click(QPushButton *button)
{
    QTest::mouseClick(button, Qt::LeftButton);
}

TEST(TOrderCopyForm, FromTheFirstItemTheOffsetStopsAtZeroWhichMeansAllPictures)
{
    TOrderCopyForm form(ckStepper, 0, 5, {});
    EXPECT_EQ(form.lbRange()->text(), QStringLiteral("右へ 1個"));
    Click(form.sbMinus());
    EXPECT_EQ(form.Stepper().Offset(), 0);
    EXPECT_EQ(form.lbRange()->text(), QStringLiteral("全画像に"));
    Click(form.sbMinus());
    EXPECT_EQ(form.Stepper().Offset(), 0);
    EXPECT_EQ(form.lbRange()->text(), QStringLiteral("全画像に"));
    for (int i = 0; i < 6; ++i)
        Click(form.sbPlus());
    EXPECT_EQ(form.Stepper().Offset(), 4);
    EXPECT_EQ(form.lbRange()->text(), QStringLiteral("最後まで"));
}

TEST(TOrderCopyForm, LabelsFromAMiddleItemReachBothEnds)
{
    TOrderCopyForm form(ckDetail, 2, 5, {});
    Click(form.sbPlus());
    EXPECT_EQ(form.lbRange()->text(), QStringLiteral("最後まで"));
    Click(form.sbPlus());
    EXPECT_EQ(form.Stepper().Offset(), 2);
    const QStringList expected { QStringLiteral("右へ 1個"), QStringLiteral("全画像に"),
        QStringLiteral("左へ 1個"), QStringLiteral("先頭まで"), QStringLiteral("先頭まで") };
    for (const QString &label : expected) {
        Click(form.sbMinus());
        EXPECT_EQ(form.lbRange()->text(), label);
    }
    EXPECT_EQ(form.Stepper().Offset(), -2);
    // The last item starts at "全画像に": there is nothing to its right.
    TOrderCopyForm last(ckStepper, 4, 5, {});
    EXPECT_EQ(last.lbRange()->text(), QStringLiteral("全画像に"));
}

TEST(TOrderCopyForm, TheKindChoosesTheRowsAndTheHeightFollowsThem)
{
    TOrderCopyForm stepper(ckStepper, 1, 4, {});
    stepper.show();
    EXPECT_EQ(stepper.Rows(), 1);
    EXPECT_EQ(stepper.height(), 2 * 15 + TOrderCopyForm::kRowHeight);
    EXPECT_FALSE(stepper.lbToEnd()->isVisible());
    EXPECT_FALSE(stepper.sbToEndCopy()->isVisible());
    for (QWidget *shown : { static_cast<QWidget *>(stepper.sbMinus()),
             static_cast<QWidget *>(stepper.sbPlus()), static_cast<QWidget *>(stepper.lbRange()),
             static_cast<QWidget *>(stepper.sbRangeCopy()),
             static_cast<QWidget *>(stepper.sbCancel()) })
        EXPECT_TRUE(shown->isVisible()) << shown->objectName().toStdString();
    EXPECT_EQ(stepper.sbRangeCopy()->text(), QStringLiteral("コピー実行"));
    EXPECT_EQ(stepper.windowTitle(), QStringLiteral("注文指定のコピー"));

    TOrderCopyForm detail(ckDetail, 1, 4, {});
    detail.show();
    EXPECT_EQ(detail.Rows(), 2);
    EXPECT_EQ(detail.height(), 2 * 15 + 2 * TOrderCopyForm::kRowHeight + TOrderCopyForm::kRowGap);
    EXPECT_TRUE(detail.lbToEnd()->isVisible());
    EXPECT_EQ(detail.lbToEnd()->text(), QStringLiteral("右へ最後まで"));
    EXPECT_EQ(detail.sbToEndCopy()->text(), QStringLiteral("コピー実行"));
    EXPECT_TRUE(detail.sbRangeCopy()->isVisible());
    // "右へ最後まで" is the upper row; both rows keep the 15-pixel margins.
    EXPECT_EQ(detail.sbToEndCopy()->y(), 15);
    EXPECT_LT(detail.sbToEndCopy()->y(), detail.sbRangeCopy()->y());
    EXPECT_EQ(detail.sbRangeCopy()->geometry().bottom() + 1, detail.height() - 15);
}

TEST(TOrderCopyForm, ItOpensAtTheCellAndIsMovedBackInsideTheScreen)
{
    const QRect screen(0, 0, 1000, 700);
    const QSize size(300, 92);
    EXPECT_EQ(TOrderCopyForm::PlaceInside(QRect(40, 50, 100, 100), size, screen), QPoint(40, 50));
    EXPECT_EQ(
        TOrderCopyForm::PlaceInside(QRect(900, 650, 100, 100), size, screen), QPoint(700, 608));
    EXPECT_EQ(TOrderCopyForm::PlaceInside(QRect(-30, -5, 10, 10), size, screen), QPoint(0, 0));
    // A screen that does not start at 0 and is smaller than the window: the top-left wins.
    EXPECT_EQ(TOrderCopyForm::PlaceInside(QRect(500, 500, 10, 10), size, QRect(200, 100, 250, 80)),
        QPoint(200, 100));

    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    TOrderCopyForm form(ckDetail, 0, 3, {});
    form.PlaceAt(QRect(area.right() - 20, area.bottom() - 10, 100, 120));
    form.show();
    EXPECT_TRUE(area.contains(form.frameGeometry()));
    EXPECT_EQ(form.frameGeometry().bottomRight(), area.bottomRight());
    form.PlaceAt(QRect(area.left() + 30, area.top() + 40, 100, 120));
    EXPECT_EQ(form.pos(), area.topLeft() + QPoint(30, 40));
}

TEST(TOrderCopyForm, AShadowLiesBehindItOnTheMainWindowWhileItIsShown)
{
    QWidget main;
    main.setGeometry(0, 0, 800, 600);
    main.show();
    {
        TOrderCopyForm form(ckStepper, 1, 3, {}, &main);
        QWidget *shadow = form.pnShadow();
        ASSERT_NE(shadow, nullptr);
        EXPECT_EQ(shadow->parentWidget(), &main);
        EXPECT_FALSE(shadow->isVisible());
        form.move(main.mapToGlobal(QPoint(120, 80)));
        form.show();
        EXPECT_TRUE(shadow->isVisible());
        EXPECT_EQ(shadow->geometry(), QRect(QPoint(125, 85), form.size()));
        EXPECT_EQ(shadow->palette().color(QPalette::Window), QColor(Qt::black));
        form.move(main.mapToGlobal(QPoint(200, 100)));
        EXPECT_EQ(shadow->pos(), QPoint(205, 105));
        form.reject();
        EXPECT_FALSE(shadow->isVisible());
    }
    EXPECT_EQ(main.findChild<QWidget *>(QStringLiteral("pnShadow")), nullptr);
}

TEST(TOrderCopyForm, HeldStepButtonsRepeatAfter500ThenSevenTenthsOfTheLastInterval)
{
    TOrderCopyForm form(ckStepper, 3, 10, {});
    QTest::mousePress(form.sbPlus(), Qt::LeftButton);
    EXPECT_EQ(form.Stepper().Offset(), 2); // +1 at once
    EXPECT_TRUE(form.RepeatTimer()->isActive());
    EXPECT_EQ(form.RepeatTimer()->interval(), 500);
    form.RepeatTick();
    EXPECT_EQ(form.Stepper().Offset(), 3);
    EXPECT_EQ(form.RepeatTimer()->interval(), 350);
    form.RepeatTick();
    EXPECT_EQ(form.Stepper().Offset(), 4);
    EXPECT_EQ(form.RepeatTimer()->interval(), 245);
    EXPECT_EQ(form.lbRange()->text(), QStringLiteral("右へ 4個"));
    QTest::mouseRelease(form.sbPlus(), Qt::LeftButton);
    EXPECT_FALSE(form.RepeatTimer()->isActive());
    EXPECT_EQ(form.Stepper().Offset(), 4);

    // Running down onto offset 0 waits 300 ms before the next step.
    TOrderCopyForm down(ckStepper, 3, 10, {});
    QTest::mousePress(down.sbMinus(), Qt::LeftButton);
    EXPECT_EQ(down.Stepper().Offset(), 0);
    EXPECT_EQ(down.RepeatTimer()->interval(), 300);
    down.RepeatTick();
    EXPECT_EQ(down.Stepper().Offset(), -1);
    EXPECT_EQ(down.RepeatTimer()->interval(), 210);
    QTest::mouseRelease(down.sbMinus(), Qt::LeftButton);
    EXPECT_FALSE(down.RepeatTimer()->isActive());
}

TEST(ShowCopyWindow, TheStepperCopiesToExactlyItsTargetsWithTheLongShutter)
{
    // Two to the left of item 3.
    TCopyFixture f(7, 3);
    QStringList soundsAtClose;
    TWhenOpen open([&](TOrderCopyForm &form) {
        Click(form.sbMinus());
        Click(form.sbMinus());
        Click(form.sbMinus());
        EXPECT_EQ(form.lbRange()->text(), QStringLiteral("左へ 2個"));
        QTest::mousePress(form.sbRangeCopy(), Qt::LeftButton);
        EXPECT_EQ(f.sounds, QStringList { QStringLiteral("SHT_LWAV") });
        EXPECT_TRUE(form.isVisible());
        QTest::mouseRelease(form.sbRangeCopy(), Qt::LeftButton);
    });
    EXPECT_EQ(f.Show(ckStepper, 3), 2);
    EXPECT_TRUE(open.Opened());
    EXPECT_EQ(f.Copied(), (QList<int> { 1, 2, 3 }));
    EXPECT_TRUE(f.basket.list.Item(1)->CdOrder);
    EXPECT_EQ(f.basket.list.OrderCount(), 4 * 1 + 3 * 2);
    EXPECT_TRUE(f.prompter.Shown().isEmpty());
}

TEST(ShowCopyWindow, AllPicturesAndRightToTheEnd)
{
    TCopyFixture all(4, 2);
    TWhenOpen toAll([](TOrderCopyForm &form) {
        Click(form.sbMinus());
        Click(form.sbRangeCopy());
    });
    EXPECT_EQ(all.Show(ckDetail, 2), 4);
    EXPECT_EQ(all.Copied(), (QList<int> { 0, 1, 2, 3 }));

    TCopyFixture toEnd(6, 2);
    TWhenOpen open([](TOrderCopyForm &form) { Click(form.sbToEndCopy()); });
    EXPECT_EQ(toEnd.Show(ckDetail, 2), 3);
    EXPECT_EQ(toEnd.Copied(), (QList<int> { 2, 3, 4, 5 }));
    EXPECT_EQ(toEnd.sounds, QStringList { QStringLiteral("SHT_LWAV") });

    // The last item has nothing to its right: nothing is copied and nothing asked.
    TCopyFixture last(3, 2);
    last.basket.list.Item(2)->DateType = dkCustom;
    TWhenOpen none([](TOrderCopyForm &form) { Click(form.sbToEndCopy()); });
    EXPECT_EQ(last.Show(ckDetail, 2), 0);
    EXPECT_EQ(last.Copied(), QList<int> { 2 });
    EXPECT_TRUE(last.prompter.Shown().isEmpty());
}

TEST(ShowCopyWindow, CancelAndEscapeCopyNothing)
{
    TCopyFixture f(5, 1);
    TWhenOpen cancel([](TOrderCopyForm &form) {
        Click(form.sbPlus());
        Click(form.sbCancel());
    });
    EXPECT_EQ(f.Show(ckDetail, 1), -1);
    TWhenOpen escape([](TOrderCopyForm &form) {
        Click(form.sbPlus());
        QTest::keyClick(&form, Qt::Key_Escape);
    });
    EXPECT_EQ(f.Show(ckStepper, 1), -1);
    EXPECT_TRUE(escape.Opened());
    EXPECT_EQ(f.Copied(), QList<int> { 1 });
    EXPECT_TRUE(f.sounds.isEmpty());
    EXPECT_EQ(f.Show(ckDetail, 5), -1); // no such item: no window
}

TEST(ShowCopyWindow, TheKeyboardStartsOnTheFirstCopyButtonAndWalksTheButtons)
{
    TCopyFixture f(5, 1);
    TWhenOpen open([](TOrderCopyForm &form) {
        QApplication::setActiveWindow(&form);
        EXPECT_EQ(form.focusWidget(), form.sbToEndCopy());
        // Tab to "＋" and step with the space bar: once, with no repeat left running.
        for (int i = 0; i < 8 && form.focusWidget() != form.sbPlus(); ++i)
            QTest::keyClick(form.focusWidget(), Qt::Key_Tab);
        ASSERT_EQ(form.focusWidget(), form.sbPlus());
        QTest::keyClick(form.sbPlus(), Qt::Key_Space);
        EXPECT_EQ(form.Stepper().Offset(), 2);
        EXPECT_FALSE(form.RepeatTimer()->isActive());
        QTest::keyClick(form.sbRangeCopy(), Qt::Key_Return);
    });
    EXPECT_EQ(f.Show(ckDetail, 1), 2);
    EXPECT_EQ(f.Copied(), (QList<int> { 1, 2, 3 }));
}

} // namespace

TEST(TOrderCopyForm, WorksFromTheKeyboard)
{
    TOrderCopyForm form(ckStepper, 0, 5, {});
    test::ExpectKeyboardWorkable(form);
}

} // namespace korvatel
