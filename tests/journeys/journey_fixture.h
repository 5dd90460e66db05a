#pragma once

#include "app/demo_session.h"
#include "app/order_windows_driver.h"
#include "app/ui/web_main.h"
#include "customer/order_history.h"
#include "mobile/mail/mail_settings.h"
#include "order/thumb_nails.h"
#include "platform/clock.h"
#include "platform/prompter.h"
#include "support/app_home.h"
#include "support/demo_shop.h"
#include "support/image_builders.h"
#include "text/sjis_file.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QThread>
#include <gtest/gtest.h>

namespace korvatel::test
{

// A customer's workspace started against the demo shop, as the journeys and the crash tests
// begin: the shop's server configuration, the customer record and mail settings that reach the
// shop's mail server.
class TJourneyTest : public TDemoShopTest
{
protected:
    void SetUp() override
    {
        TDemoShopTest::SetUp();
        session = DemoShopClient(home, *shop);
        ASSERT_NE(session, nullptr);
        ASSERT_TRUE(shop->WriteMailSettings(
            QDir(session->Workspace().SysData()).filePath(TMailSettings::FileName())));
    }

    // A photo of the customer's, big enough for every print size.
    QString Photo(const QString &name)
    {
        const QString relative = QStringLiteral("Pictures/trip/") + name;
        home.Write(relative, JpegBytes(PatternBitmap(1800, 1200)));
        return home.FilePath(relative);
    }

    // The basket the program finds at its start: each photo as one print of size.
    void SaveBasket(const QStringList &photos, const QString &size,
        const std::function<void(TThumbNail &)> &change = {})
    {
        TCampusPriceLists campus;
        TThumbNails basket(session->OrderContext(&campus));
        for (const QString &name : photos) {
            TThumbNail *item = basket.AddPicture(1, Photo(name), false, 1, size);
            item->FileSize = qint32(QFileInfo(item->FullPath).size());
            if (change)
                change(*item);
        }
        basket.Recount();
        ASSERT_TRUE(basket.SaveMemory(
            session->OrderMemoryPath(), session->CampusOrderPath(), SystemClock()));
    }

    // The main window on the session, as the program opens it.
    std::unique_ptr<TWebMain> OpenWindow(TPrompter &prompter)
    {
        auto window = std::make_unique<TWebMain>(*session);
        window->SetPrompter(&prompter);
        window->show();
        QCoreApplication::processEvents(); // the first idle moment reads the basket
        return window;
    }

    QList<TOrderHistRec> History() const
    {
        return TOrderHistory(TOrderHistory::DefaultFolder(session->Workspace().Folders()))
            .LoadList();
    }

    // The order folders on the shop's server.
    QStringList ShopOrders() const
    {
        QStringList orders = QDir(shop->FtpLocal(QStringLiteral("/order")))
                                 .entryList(QDir::Dirs | QDir::NoDotAndDotDot);
        orders.removeAll(QStringLiteral("message"));
        return orders;
    }

    // The receiver's verdict on an order: its first line ("ACCEPTED") and the rest.
    QStringList Verdict(const QString &name) const
    {
        const QString file = QDir(shop->State(QStringLiteral("ReceiverDir")))
                                 .filePath(name + QStringLiteral(".txt"));
        QElapsedTimer waited;
        waited.start();
        while (!QFile::exists(file) && waited.elapsed() < 10000)
            QThread::msleep(50);
        return ReadSjisLines(file).value_or(QStringList());
    }

    // The mails the shop's mail server stored.
    QStringList Mails() const
    {
        QDir folder(shop->State(QStringLiteral("MailDir")));
        QStringList texts;
        for (const QString &name : folder.entryList({ QStringLiteral("*.eml") }, QDir::Files))
            texts << QString::fromLatin1(ReadWholeFile(folder.filePath(name)).value_or(""));
        return texts;
    }

    TAppHome home;
    std::unique_ptr<TClientSession> session;
};

} // namespace korvatel::test
