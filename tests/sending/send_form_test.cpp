#include "platform/clock.h"
#include "platform/prompter.h"
#include "sending/order_builder.h"
#include "sending/send_states.h"
#include "sending/ui/send_form.h"
#include "support/demo_shop.h"
#include "text/sjis_file.h"

#include <QDir>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QSlider>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

namespace korvatel
{

namespace
{

TEST(TSendForm, ShowsProgressAndSetsTheBufferAndCancel)
{
    TSendForm form;
    form.show();
    form.SetTitle(QStringLiteral("HTTP Mode"));
    form.SetState(QStringLiteral("Send 3/10 a.jpg"));
    form.SetPosition(3, 10);
    form.SetFileProgress(50, 200);
    EXPECT_EQ(form.windowTitle(), QStringLiteral("HTTP Mode"));
    EXPECT_EQ(form.StateLabel()->text(), QStringLiteral("Send 3/10 a.jpg"));
    EXPECT_EQ(form.FileLabel()->text(), QStringLiteral("a.jpg"));

    // A change of transfer way stays in view while the file is sent again, until the next one.
    for (const auto &[state, shown] : { std::pair { HttpFallbackState(), true },
             std::pair { QStringLiteral("Initializing...."), true },
             std::pair { QStringLiteral("3/10 a.jpg"), true },
             std::pair { QStringLiteral("4/10 b.jpg"), false } }) {
        form.SetState(state);
        EXPECT_EQ(!form.NoticeLabel()->isHidden(), shown) << state.toStdString();
    }
    EXPECT_EQ(form.FileLabel()->text(), QStringLiteral("b.jpg"));
    EXPECT_EQ(form.FileBar()->maximum(), 10);
    EXPECT_EQ(form.FileBar()->value(), 3);
    EXPECT_EQ(form.ByteBar()->value(), 25);

    // The send's buffer takes the slider's setting, and the slider changes it from then on.
    EXPECT_EQ(form.BufferSlider()->value(), kDefaultBufferNum);
    TTransferBuffer send(0);
    form.UseBuffer(send);
    EXPECT_EQ(send.BufferNum(), kDefaultBufferNum);
    form.BufferSlider()->setFocus();
    QTest::keyClick(form.BufferSlider(), Qt::Key_Home);
    EXPECT_EQ(send.BufferNum(), 0);
    QTest::keyClick(form.BufferSlider(), Qt::Key_Right);
    EXPECT_EQ(send.BufferNum(), 1);
    EXPECT_EQ(send.ChunkSize(), 4096);

    EXPECT_FALSE(form.CancelRequested());
    QTest::mouseClick(form.CancelButton(), Qt::LeftButton);
    EXPECT_TRUE(form.CancelRequested());
    EXPECT_FALSE(form.CancelButton()->isEnabled());
}

// A pause of the upload (on the sending job's thread) where the customer acts on the window's
// thread, after the progress queued before it has arrived.
std::function<void(int)> OnWindowThread(std::function<void()> act)
{
    return [act](int) { QMetaObject::invokeMethod(qApp, act, Qt::BlockingQueuedConnection); };
}

// Six pictures packed as one order, and an FTP upload to the demo shop for it.
class TSendFormUpload : public test::TDemoShopTest
{
protected:
    void Pack(int secondsAhead)
    {
        b.input.now = QDateTime::currentDateTime().addSecs(secondsAhead);
        for (int i = 0; i < 6; ++i)
            b.Add(QStringLiteral("p/%1.jpg").arg(i), QStringLiteral("L"), 1, false, 3000);
        order = PackOrder(b.input, prompter);
        upload.host = { shop->FtpHost(), shop->FtpUser(), shop->FtpPassword(), QStringLiteral("/"),
            QStringLiteral("/order") };
        upload.transferMode = tmFtp;
    }

    test::TOrderBuilder b;
    TScriptedPrompter prompter;
    std::optional<TPackedOrder> order;
    TOrderUpload upload { prompter, SystemClock() };
};

TEST_F(TSendFormUpload, TheCancelButtonStopsTheUploadBetweenFiles)
{
    Pack(3600);
    ASSERT_TRUE(order);
    int shownFiles = -1;
    int sendBuffer = -1, sliderBuffer = -1;
    // The fifth file's pause is where the customer moves the slider and presses the button.
    upload.pause = OnWindowThread([&] {
        auto *form = qobject_cast<TSendForm *>(QApplication::activeModalWidget());
        if (!form)
            return;
        shownFiles = form->FileBar()->value();
        sendBuffer = upload.buffer.BufferNum();
        form->BufferSlider()->setValue(3);
        sliderBuffer = upload.buffer.BufferNum();
        QTest::mouseClick(form->CancelButton(), Qt::LeftButton);
    });
    const QString settings = b.dir.filePath(QStringLiteral("SysData"));
    QDir().mkpath(settings);
    ASSERT_TRUE(SavePerformance(settings, 9));
    EXPECT_EQ(TSendForm::Run(upload, *order, nullptr, settings), TSendResult::srCancelled);
    EXPECT_EQ(shownFiles, 5);
    // The send took Performance.ini's setting, and the slider changed it while it ran.
    EXPECT_EQ(sendBuffer, 9);
    EXPECT_EQ(sliderBuffer, 3);
    EXPECT_EQ(order->sentFiles, 5);
    EXPECT_EQ(ReadSjisLines(shop->FtpLocal(QStringLiteral("/order/") + order->name
                                + QStringLiteral("/Sending")))
                  .value_or(QStringList())
                  .value(0)
                  .section(u'=', 0, 0),
        order->name + QStringLiteral("/$IMG_PRN/3.jpg"));
}

TEST_F(TSendFormUpload, AStalledServerIsCountedWhileTheFileIsNamed)
{
    Pack(10800);
    ASSERT_TRUE(order);
    // The image server stops reading at the fifth file's pause; after the tenth file the
    // window has stopped counting.
    int pauses = 0;
    bool countAfterwards = true;
    upload.pause = [&](int msecs) {
        if (++pauses == 1)
            shop->Control(QStringLiteral("ftp_stall=1"));
        else if (pauses == 2)
            OnWindowThread([&] {
                auto *form = qobject_cast<TSendForm *>(QApplication::activeModalWidget());
                countAfterwards = !form || !form->WaitLabel()->isHidden();
            })(msecs);
    };
    // The window is watched until it has counted two seconds; then the server reads again.
    QStringList counted;
    QString file;
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&] {
        auto *form = qobject_cast<TSendForm *>(QApplication::activeModalWidget());
        if (!form || form->WaitLabel()->isHidden() || counted.size() == 2
            || counted.contains(form->WaitLabel()->text()))
            return;
        counted << form->WaitLabel()->text();
        file = form->FileLabel()->text();
        if (counted.size() == 2)
            shop->Control(QStringLiteral("reset=1"));
    });
    watch.start(50);
    EXPECT_EQ(TSendForm::Run(upload, *order, nullptr), TSendResult::srSent);
    EXPECT_EQ(
        counted, (QStringList { TSendForm::ServerWaitText(3), TSendForm::ServerWaitText(4) }));
    EXPECT_EQ(file, QStringLiteral("4.jpg"));
    EXPECT_EQ(pauses, 2);
    EXPECT_FALSE(countAfterwards);
}

TEST_F(TSendFormUpload, EscapeCancelsTheUploadAndKeepsTheWindow)
{
    Pack(7200);
    ASSERT_TRUE(order);
    bool visibleAfterEscape = false;
    upload.pause = OnWindowThread([&] {
        auto *form = qobject_cast<TSendForm *>(QApplication::activeModalWidget());
        if (!form)
            return;
        QTest::keyClick(form, Qt::Key_Escape);
        visibleAfterEscape = form->isVisible();
    });
    EXPECT_EQ(TSendForm::Run(upload, *order, nullptr), TSendResult::srCancelled);
    EXPECT_TRUE(visibleAfterEscape);
    EXPECT_EQ(order->sentFiles, 5);
    EXPECT_FALSE(order->sendList.Items().isEmpty());
}

} // namespace

} // namespace korvatel
