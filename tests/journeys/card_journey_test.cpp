#include "app/client_session.h"
#include "app/demo_session.h"
#include "app/ui/web_main.h"
#include "cards/card_order.h"
#include "cards/layers.h"
#include "cards/ui/card_page.h"
#include "cards/ui/card_stage.h"
#include "cards/ui/order_info_form.h"
#include "journeys/journey_fixture.h"
#include "platform/prompter.h"
#include "support/app_home.h"
#include "support/demo_shop.h"
#include "support/image_builders.h"
#include "text/sjis_file.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QThread>
#include <QTimer>
#include <gtest/gtest.h>

namespace korvatel
{

namespace
{

class WebMainCardsTest : public test::TJourneyTest
{
protected:
    QString Photo(const QString &name)
    {
        const QString relative = QStringLiteral("Pictures/cards/") + name;
        home.Write(relative, test::JpegBytes(test::PatternBitmap(320, 240)));
        return home.FilePath(relative);
    }

    // The first verdict of the shop's receiver, once it has one.
    QStringList Verdict() const
    {
        const QDir receiver(shop->State(QStringLiteral("ReceiverDir")));
        QElapsedTimer waited;
        waited.start();
        while (
            receiver.entryList({ QStringLiteral("*.txt") }).isEmpty() && waited.elapsed() < 10000)
            QThread::msleep(50);
        const QStringList found = receiver.entryList({ QStringLiteral("*.txt") });
        return found.isEmpty()
            ? QStringList()
            : ReadSjisLines(receiver.filePath(found.first())).value_or(QStringList());
    }

    TScriptedPrompter prompter;
};

// The card order window as a customer fills it: 20 cards by home delivery, paid by transfer,
// the reading in kana; then "新規 送信".
struct TCardOrderDriver {
    bool filled = false;
    QTimer timer;

    TCardOrderDriver()
    {
        timer.setInterval(20);
        QObject::connect(&timer, &QTimer::timeout, [this] {
            auto *form = qobject_cast<TformOrderInfo *>(QApplication::activeModalWidget());
            if (!form || filled || !form->isVisible())
                return;
            filled = true;
            form->edNum()->setValue(20);
            form->cbxTrans()->setCurrentIndex(
                form->cbxTrans()->findText(QStringLiteral("宅配便"), Qt::MatchStartsWith));
            form->cbxPay()->setCurrentIndex(
                form->cbxPay()->findText(QStringLiteral("銀振･郵振"), Qt::MatchStartsWith));
            form->edKana()->setText(QStringLiteral("ヤマダ タロウ"));
            form->btnSend()->click();
        });
        timer.start();
    }
};

// The shop's Christmas card with a photo in each of its two windows goes from the card tab to
// the shop with both photos.
TEST_F(WebMainCardsTest, AChristmasCardWithTwoPhotosReachesTheShop)
{
    TWebMain window(*session);
    window.SetPrompter(&prompter);
    window.show();
    QCoreApplication::processEvents();
    window.SelectTab(window.TabIndexOf(tmCard));
    QCoreApplication::processEvents();
    TCardPage *page = window.CardPage();
    ASSERT_NE(page, nullptr);
    ASSERT_TRUE(page->OpenFile(QDir(shop->State(QStringLiteral("PrimaryDir")))
                                   .filePath(QStringLiteral("KorvFmt/1234/Plates/xmas.ksp"))));
    // The windows of the 600 × 400 plate: the large one and the round one below the star.
    const QSize stage = page->Stage()->size();
    const auto at = [stage](int x, int y) {
        return QPoint(stage.width() * x / 600, stage.height() * y / 400);
    };
    page->Stage()->DropFiles({ Photo(QStringLiteral("one.jpg")) }, at(196, 166));
    page->Stage()->DropFiles({ Photo(QStringLiteral("two.jpg")) }, at(300, 330));
    ASSERT_EQ(page->CardPictures().size(), 2) << prompter.Texts().join(u'\n').toStdString();
    // The shop's design takes two: a third dropped on the tree is refused.
    page->Stage()->DropFiles({ Photo(QStringLiteral("three.jpg")) }, at(500, 200));
    EXPECT_EQ(page->CardPictures().size(), 2);

    prompter.Answer(TModalResult::mrOk); // send it
    prompter.Answer(TModalResult::mrOk); // sent
    TCardOrderDriver driver;
    window.findChild<QAction *>(QStringLiteral("miCardOrder"))->trigger();
    driver.timer.stop();

    EXPECT_TRUE(driver.filled);
    EXPECT_EQ(prompter.Texts(),
        (QStringList { TCardPage::PictureLimitText(2), FirstOrderQuestion(), SentText() }));
    const QStringList verdict = Verdict();
    EXPECT_EQ(verdict.value(0), QStringLiteral("ACCEPTED"));
    EXPECT_TRUE(verdict.join(u'\n').contains(QStringLiteral("CARD xmas.ksp NUM=20 IMG=2")))
        << verdict.join(u'\n').toStdString();
}

} // namespace

} // namespace korvatel
