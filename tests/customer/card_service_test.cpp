#include "customer/card_service.h"
#include "support/demo_shop.h"
#include "text/sjis_file.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>
#include <limits>

namespace korvatel
{

namespace
{

class TCardServiceTest : public test::TDemoShopTest
{
protected:
    TCardService Service() const
    {
        return TCardService(shop->Config().cardUrl, shop->Config().Transport());
    }

    QString Ledger() const
    {
        return ReadSjisText(shop->State(QStringLiteral("CardLedger"))).value_or(QString());
    }

    // A service whose script is a plain file of the demo shop's service folder.
    TCardService ServiceOfFile(
        const QString &folder, const QString &script, const QByteArray &answer)
    {
        const QString dir = QDir(shop->State(QStringLiteral("ServiceDir"))).filePath(folder);
        QDir().mkpath(dir);
        QFile file(QDir(dir).filePath(script));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(answer);
        return TCardService(shop->ServiceUrl() + u'/' + folder, {});
    }
};

} // namespace

TEST_F(TCardServiceTest, ADeclinedCardFailsWithTheServicesReason)
{
    const QString declined = QStringLiteral("0312345678N102030555_1234D261208");
    ASSERT_TRUE(shop->Control(QStringLiteral("card_decline=1")));
    TCardService card = Service();
    EXPECT_FALSE(card.PayOrder(declined, 800));
    EXPECT_EQ(card.LastError(), QStringLiteral("カードの利用が承認されませんでした。"));
    EXPECT_FALSE(Ledger().contains(declined));
}

TEST_F(TCardServiceTest, BundlesAreNumberedRegisteredAndReleasedOnce)
{
    TCardService card = Service();
    const std::optional<qint64> first = card.NextCardNumber();
    ASSERT_TRUE(first.has_value());
    EXPECT_EQ(card.NextCardNumber(), *first + 1);

    const QString bundle = QStringLiteral("0312345678N%1_1234D261208").arg(*first);
    EXPECT_TRUE(
        card.WriteBundle(bundle, { QStringLiteral("nam=山田太郎"), QStringLiteral("amt=900") }));
    // The history names a bundle with "(P)" in front.
    EXPECT_TRUE(card.ReleaseBundle(QStringLiteral("(P)") + bundle));
    EXPECT_FALSE(card.ReleaseBundle(QStringLiteral("(P)") + bundle));
    EXPECT_EQ(card.LastError(), QStringLiteral("まとめ精算が見つかりません。"));
}

TEST_F(TCardServiceTest, UntrustedAnswersAndRequestsFailTheCall)
{
    // An answer beyond the limit is cut off, not held; one without "OK" or with a number out of
    // form is no answer.
    const QByteArray huge = QByteArray(TCardService::kMaxCardAnswer + 1, 'x');
    EXPECT_EQ(ServiceOfFile("huge", "number.php", "OK\r\nNumber=5\r\n" + huge).NextCardNumber(),
        std::nullopt);
    EXPECT_EQ(ServiceOfFile("bare", "number.php", "Number=5\r\n").NextCardNumber(), std::nullopt);
    EXPECT_EQ(
        ServiceOfFile("minus", "number.php", "OK\r\nNumber=-5\r\n").NextCardNumber(), std::nullopt);
    EXPECT_EQ(ServiceOfFile("good", "number.php", "OK\r\nNumber=5\r\n").NextCardNumber(), 5);
    // Of a status answer only the orders asked about count, in the states the history knows.
    TCardService status = ServiceOfFile(
        "status", "status.php", "OK\r\nA_1=3\r\nB_2=2\r\nC_3=3\r\nD_4=7\r\n(P)E_5=3\r\n");
    QStringList reported;
    EXPECT_TRUE(status.QuerySettlements(
        { "A_1", "B_2", "D_4", "(P)E_5" }, [&reported](const QString &id, int state, bool &) {
            reported << id + QStringLiteral("=%1").arg(state);
        }));
    EXPECT_EQ(reported, (QStringList { "A_1=3", "B_2=2", "(P)E_5=3" }));

    // IDs that are no card order IDs and impossible amounts never reach the service.
    const QString unpaid = QStringLiteral("0312345678N102030777_1234D261208");
    TCardService card = Service();
    EXPECT_FALSE(card.PayOrder(QStringLiteral("../1234&amount=1"), 100));
    EXPECT_EQ(card.LastError(), QStringLiteral("カード決済の依頼内容が正しくありません。"));
    EXPECT_FALSE(card.PayOrder(unpaid, 0));
    EXPECT_FALSE(card.PayOrder(unpaid, std::numeric_limits<double>::quiet_NaN()));
    EXPECT_FALSE(Ledger().contains(unpaid));
    // A service nobody answers.
    TCardService closed(QStringLiteral("http://127.0.0.1:1/card"), {});
    EXPECT_FALSE(closed.PayOrder(unpaid, 100));
    EXPECT_FALSE(closed.LastError().isEmpty());
}

} // namespace korvatel
