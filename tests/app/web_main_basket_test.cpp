#include "app/client_session.h"
#include "app/ui/basket_actions.h"
#include "app/ui/main_tab_bar.h"
#include "app/ui/status_bars.h"
#include "app/ui/web_main.h"
#include "app_session.h"
#include "order/relink.h"
#include "platform/clock.h"
#include "platform/prompter.h"
#include "sources/ui/browser_panel.h"
#include "sources/ui/camera_clock_form.h"
#include "sources/ui/film_grid.h"
#include "sources/ui/source_panel.h"
#include "support/app_home.h"
#include "support/image_builders.h"
#include "text/sjis_file.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>
#include <gtest/gtest.h>
#include <memory>

namespace korvatel
{

namespace
{

// A main window on a shop offering L and 2L (and automatic correction when asked), whose
// browser lists three photos; the basket memory holds the first `ordered` of them.
struct TBasketWindow {
    explicit TBasketWindow(bool online, int ordered, bool correction = false)
    {
        home.Write(QStringLiteral("Korvatel/Download/HostFmt.ini"),
            ReadWholeFile(QStringLiteral(KORVATEL_TEST_DATA "/pricing/HostFmt.ini")).value());
        if (correction)
            home.Write(QStringLiteral("Korvatel/Download/Hosei.on"), "on");
        for (int i = 0; i < 3; ++i) {
            const QString name = QStringLiteral("Photos/p%1.jpg").arg(i);
            home.Write(name, test::JpegBytes(test::PatternBitmap(64, 48)));
            photos << home.FilePath(name);
        }
        session = std::make_unique<TClientSession>(test::TestSession(home, online));
        if (ordered > 0) {
            TThumbNails basket;
            for (int i = 0; i < ordered; ++i)
                basket.AddPicture(1, photos[i], false, 2, QStringLiteral("L"))->FileSize
                    = qint32(QFileInfo(photos[i]).size());
            basket.Recount();
            EXPECT_TRUE(basket.SaveMemory(MemoryPath(), session->CampusOrderPath(), SystemClock()));
        }
        Open();
    }

    void Open()
    {
        window = std::make_unique<TWebMain>(*session);
        window->SetPrompter(&prompter);
        window->Basket().ShowProblems = [](const TConsistencyProblems &) {
            ADD_FAILURE() << "the basket should be consistent";
            return TProblemAnswer::paCancel;
        };
        window->Basket().PlaySound = [this](const QString &name) { sounds << name; };
        window->show();
        QCoreApplication::processEvents(); // the first idle moment reads the basket
        window->Sources()->ListFolder(home.FilePath(QStringLiteral("Photos")));
    }

    QString MemoryPath() const { return session->OrderMemoryPath(); }
    template <class T> T *Child(const char *name) const
    {
        return window->findChild<T *>(QString::fromLatin1(name));
    }
    QPushButton *ClearButton() const { return Child<QPushButton>("sbClear"); }
    QList<bool> Marks() const
    {
        QList<bool> marks;
        for (int i = 0; i < window->Browser()->lvBrowser()->List()->Count(); ++i)
            marks << window->Browser()->lvBrowser()->List()->Item(i).inOrder;
        return marks;
    }
    QStringList DefaultIni() const
    {
        return ReadSjisLines(session->DefaultPath()).value_or(QStringList {});
    }
    // The browser's ordering click on a cell.
    void ClickCell(int index) { window->BrowserClick(index, {}, false); }

    test::TAppHome home;
    QStringList photos;
    std::unique_ptr<TClientSession> session;
    TScriptedPrompter prompter;
    QStringList sounds;
    std::unique_ptr<TWebMain> window;
};

const QString kClearQuestion = QStringLiteral("全ての注文画像を削除します。よろしいですか？");

TEST(TWebMainBasket, ClearAsksThenEmptiesTheBasketAndItsMemoryAndShowsTheFirstTab)
{
    TBasketWindow f(true, 2);
    ASSERT_EQ(f.window->Orders().Count(), 2);
    EXPECT_EQ(f.Marks(), (QList<bool> { true, true, false }));
    EXPECT_TRUE(f.ClearButton()->isEnabled());
    EXPECT_EQ(f.ClearButton()->toolTip(), QStringLiteral("全注文をクリア"));
    f.window->SelectTab(f.window->TabIndexOf(tmOrder));
    f.window->StatusBars()->SetInconsistent(true);

    f.prompter.Answer(TModalResult::mrOk);
    f.ClearButton()->click();
    ASSERT_EQ(f.prompter.Shown().size(), 1);
    EXPECT_EQ(f.prompter.Shown()[0].text, kClearQuestion);
    EXPECT_EQ(f.prompter.Shown()[0].buttons, mbOK | mbCancel);
    EXPECT_EQ(f.window->Orders().Count(), 0);
    EXPECT_EQ(f.window->Orders().OrderCount(), 0);
    EXPECT_EQ(f.Marks(), (QList<bool> { false, false, false }));
    EXPECT_EQ(f.window->StatusBars()->OrderPanel(1)->text(), QStringLiteral("0/3"));
    EXPECT_EQ(f.window->StatusBars()->TotalPanel(0, 0)->text(), QStringLiteral("注文数 0"));
    EXPECT_EQ(f.window->StatusBars()->TotalPanel(0, 1)->text(), QStringLiteral("プリント 0"));
    EXPECT_EQ(f.window->tbMain()->currentIndex(), 0);
    EXPECT_EQ(f.window->Mode(), tmBrowser);
    EXPECT_FALSE(f.window->StatusBars()->lbInconsistent()->isVisible());

    // The memory follows the emptied basket at shutdown, and the next start has nothing.
    f.window->close();
    EXPECT_FALSE(QFileInfo::exists(f.MemoryPath()));
    f.Open();
    EXPECT_EQ(f.window->Orders().Count(), 0);
}

TEST(TWebMainBasket, CancellingTheClearQuestionKeepsTheBasketAndItsMemory)
{
    TBasketWindow f(true, 2);
    const int orderTab = f.window->TabIndexOf(tmOrder);
    f.window->SelectTab(orderTab);
    f.prompter.Answer(TModalResult::mrCancel);
    f.ClearButton()->click();
    EXPECT_EQ(f.prompter.Texts(), QStringList { kClearQuestion });
    EXPECT_EQ(f.window->Orders().Count(), 2);
    EXPECT_EQ(f.window->StatusBars()->TotalPanel(0, 1)->text(), QStringLiteral("プリント 4"));
    EXPECT_EQ(f.Marks(), (QList<bool> { true, true, false }));
    EXPECT_EQ(f.window->tbMain()->currentIndex(), orderTab);
    f.window->close();
    TThumbNails reread;
    EXPECT_EQ(reread.LoadMemory(f.MemoryPath(), f.session->CampusOrderPath()), 2);
}

TEST(TWebMainBasket, TheSessionOwnsTheBasketAndAWindowOpenedAgainReadsItOnce)
{
    TBasketWindow f(true, 2);
    EXPECT_EQ(&f.window->Orders(), &f.session->Orders());
    EXPECT_EQ(f.session->Orders().Count(), 2);
    f.window->close();
    f.window.reset();
    // The basket stays with the session, without the window's hooks.
    EXPECT_EQ(f.session->Orders().Count(), 2);
    EXPECT_FALSE(f.session->Orders().OnChange);
    f.Open();
    EXPECT_EQ(f.session->Orders().Count(), 2);
    EXPECT_EQ(f.window->StatusBars()->TotalPanel(0, 1)->text(), QStringLiteral("プリント 4"));
}

TEST(TWebMainBasket, ClearRefusesOfflineAndAsksNothingOnAnEmptyBasket)
{
    TBasketWindow offline(false, 2);
    offline.window->SelectTab(offline.window->TabIndexOf(tmOrder));
    offline.ClearButton()->click();
    ASSERT_EQ(offline.prompter.Shown().size(), 1);
    EXPECT_EQ(offline.prompter.Shown()[0].text,
        QStringLiteral("OFF-LINEです。注文内容は変更できません。"));
    EXPECT_EQ(offline.prompter.Shown()[0].kind, TMsgKind::mkWarning);
    EXPECT_EQ(offline.window->Orders().Count(), 2);
    EXPECT_EQ(offline.window->Mode(), tmOrder);

    TBasketWindow empty(true, 0);
    empty.window->SelectTab(empty.window->TabIndexOf(tmOrder));
    empty.ClearButton()->click();
    EXPECT_TRUE(empty.prompter.Shown().isEmpty());
    EXPECT_EQ(empty.window->Mode(), tmOrder);
}

TEST(TWebMainBasket, ThePanelBoxesGiveNewOrdersTheirDefaultsAndDefaultIniFollowsEachChange)
{
    TBasketWindow f(true, 0, true);
    auto *size = f.Child<QComboBox>("cbxDefSize");
    auto *count = f.Child<QSpinBox>("seDefCount");
    auto *noHosei = f.Child<QCheckBox>("cbNoHosei");
    ASSERT_TRUE(size && count && noHosei);
    f.window->SelectTab(f.window->TabIndexOf(tmOrder));
    EXPECT_TRUE(noHosei->isVisible());
    EXPECT_EQ(size->currentText(), QStringLiteral("L"));

    noHosei->click();
    EXPECT_TRUE(f.DefaultIni().contains(QStringLiteral("DefNoHosei=TRUE")));
    EXPECT_TRUE(f.DefaultIni().contains(QStringLiteral("DefSize=L")));
    size->setCurrentText(QStringLiteral("2L"));
    EXPECT_TRUE(f.DefaultIni().contains(QStringLiteral("DefSize=2L")));
    EXPECT_TRUE(f.DefaultIni().contains(QStringLiteral("DefNoHosei=TRUE")));
    count->setValue(3);

    // Pictures are ordered from the browser tab.
    f.window->SelectTab(0);
    f.ClickCell(1);
    ASSERT_EQ(f.window->Orders().Count(), 1);
    const TThumbNail *item = f.window->Orders().Item(0);
    EXPECT_EQ(item->CurrentSize, QStringLiteral("2L"));
    EXPECT_EQ(item->CurrentCount, 3);
    EXPECT_EQ(item->Orders, QStringList { QStringLiteral("2L=3") });
    EXPECT_EQ(item->Hosei.kind, 5); // without automatic correction

    noHosei->click();
    EXPECT_TRUE(f.DefaultIni().contains(QStringLiteral("DefNoHosei=FALSE")));
    f.ClickCell(2);
    ASSERT_EQ(f.window->Orders().Count(), 2);
    EXPECT_NE(f.window->Orders().Item(1)->Hosei.kind, 5);

    // The next window starts with the stored size and box.
    noHosei->click();
    f.window->close();
    f.Open();
    EXPECT_EQ(f.Child<QComboBox>("cbxDefSize")->currentText(), QStringLiteral("2L"));
    EXPECT_TRUE(f.Child<QCheckBox>("cbNoHosei")->isChecked());
}

// Whole pictures are not read on the window's thread: a photo ordered from the browser and the
// photo of the basket read at start get their whole-file hashes from the job, and the order
// memory keeps them.
TEST(TWebMainBasket, OrderedPhotosGetTheirWholeFileHashesInTheBackground)
{
    TBasketWindow f(true, 1);
    f.ClickCell(1);
    const TThumbNails &orders = f.window->Orders();
    ASSERT_EQ(orders.Count(), 2);
    EXPECT_TRUE(orders.Item(orders.Find(1, f.photos[1]))->WholeHash.isEmpty());
    for (int i = 0; i < 2; ++i) {
        const TThumbNail *item = orders.Item(orders.Find(1, f.photos[i]));
        EXPECT_TRUE(QTest::qWaitFor(
            [&] { return item->WholeHash == PictureWholeHash(f.photos[i]); }, 10000))
            << i;
    }
    f.window->Basket().SaveNow();
    EXPECT_EQ(ReadSjisLines(f.MemoryPath()).value().filter(QStringLiteral("WholeHash=")).size(), 2);
}

TEST(TWebMainBasket, ACameraClockCorrectionRedatesThatModelsPhotosAndIsKept)
{
    TBasketWindow f(true, 0);
    const auto photo = [&f](const char *name, const QByteArray &make) {
        f.home.Write(QString::fromLatin1(name),
            test::ExifJpegBuilder()
                .make(make)
                .model("X1")
                .dateTaken("2024:06:01 10:20:30")
                .build());
        f.window->Basket().OrderViewedFile(f.home.FilePath(QString::fromLatin1(name)));
        return f.window->Orders().Item(f.window->Orders().Count() - 1);
    };
    const TThumbNail *canon = photo("Photos/canon.jpg", "Canon");
    const TThumbNail *nikon = photo("Photos/nikon.jpg", "Nikon");
    ASSERT_EQ(f.window->Orders().Count(), 2);
    int rebuilt = 0;
    f.window->Basket().CameraClocksChanged = [&rebuilt] { ++rebuilt; };
    f.window->Basket().AskCorrectedDate = [](const TCameraShot &shot, qint64 current) {
        EXPECT_EQ(shot.make, "Canon");
        EXPECT_EQ(current, 0);
        return std::optional<QDateTime>(shot.taken.addYears(1));
    };
    f.window->Basket().CorrectCameraClock(canon->FullPath);
    EXPECT_EQ(rebuilt, 1);
    EXPECT_EQ(canon->DateStr[0], "2025.06.01");
    EXPECT_EQ(nikon->DateStr[0], "2024.06.01");
    const QString file = TCameraClocks::FilePath(f.session->Workspace().SysData());
    EXPECT_EQ(TCameraClocks::Load(file).Offset("Canon", "X1"), 365LL * 24 * 3600);
    EXPECT_EQ(f.window->Basket().CameraClocks().Offset("Canon", "X1"), 365LL * 24 * 3600);
    EXPECT_EQ(QFile::permissions(file) & (QFile::ReadOther | QFile::ReadGroup), 0);
    // A photo without Exif cannot be corrected: the customer is told, nothing changes.
    f.window->Basket().CorrectCameraClock(f.photos[0]);
    EXPECT_EQ(f.prompter.Texts(), QStringList { NoShootingDateText() });
    EXPECT_EQ(rebuilt, 1);
}

} // namespace

} // namespace korvatel
