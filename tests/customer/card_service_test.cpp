#include "customer/card_service.h"
#include "support/demo_shop.h"
#include "support/temp_home.h"
#include "text/sjis_file.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <gtest/gtest.h>
#include <limits>

namespace korvatel
{

namespace
{

class TCardServiceTest : public test::TDemoShopTest
{
protected:
    // The service as the customer whose card data lives in file knows it; registered first.
    TCardService Service(const QString &file = QStringLiteral("CardData.ini")) const
    {
        TCardService card(shop->Config().cardUrl, shop->Config().Transport(), home.FilePath(file));
        EXPECT_TRUE(card.HasToken() || card.RegisterCard()) << card.LastError().toStdString();
        return card;
    }

    QString Ledger() const
    {
        return ReadSjisText(shop->State(QStringLiteral("CardLedger"))).value_or(QString());
    }

    QString Log() const
    {
        return ReadSjisText(
            QDir(shop->State(QStringLiteral("Root"))).filePath(QStringLiteral("demo-shop.log")))
            .value_or(QString());
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

    test::TTempHome home;
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

// The customer's token is what lets a request through: whoever knows an order's ID but not the
// token can neither pay, release nor ask about the order, and the service logs the attempt.
TEST_F(TCardServiceTest, OnlyTheRegisteredCustomersTokenReachesTheirOrders)
{
    TCardService customer = Service();
    EXPECT_EQ(QFile::permissions(home.FilePath("CardData.ini"))
            & (QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther),
        QFile::ReadOwner | QFile::WriteOwner);
    const QString paid = CardOrderNonce() + QStringLiteral("N102030123_1234D261208");
    const QString bundle = CardOrderNonce() + QStringLiteral("N1001_1234D261208");
    ASSERT_TRUE(customer.PayOrder(paid, 800));
    EXPECT_FALSE(Log().contains(QStringLiteral("?id=") + paid)); // in the form only
    ASSERT_TRUE(customer.WriteBundle(bundle, { QStringLiteral("amt=900") }));

    // The same requests without a token (as anyone on the network could send them), and with
    // the token of another registered card.
    TCardService stranger(shop->Config().cardUrl, shop->Config().Transport());
    TCardService other = Service(QStringLiteral("Other.ini"));
    for (TCardService *card : { &stranger, &other }) {
        EXPECT_FALSE(card->PayOrder(paid, 1));
        EXPECT_FALSE(card->ReleaseBundle(QStringLiteral("(P)") + bundle));
        QStringList reported;
        card->QuerySettlements(
            { paid }, [&reported](const QString &id, int, bool &) { reported << id; });
        EXPECT_TRUE(reported.isEmpty());
    }
    EXPECT_TRUE(Log().contains(QStringLiteral("card: refused pay.php ") + paid));
    EXPECT_EQ(Ledger().count(paid), 1);

    QStringList reported;
    EXPECT_TRUE(customer.QuerySettlements(
        { paid }, [&reported](const QString &id, int, bool &) { reported << id; }));
    EXPECT_EQ(reported, QStringList { paid });
    EXPECT_TRUE(customer.ReleaseBundle(QStringLiteral("(P)") + bundle));
    // A card order ID is 64 random bits in hexadecimal where the telephone number was.
    EXPECT_TRUE(
        QRegularExpression(QStringLiteral("^[0-9a-f]{16}$")).match(CardOrderNonce()).hasMatch());
    EXPECT_NE(CardOrderNonce(), CardOrderNonce());
}

// A service that gives no token at registration is an older one: its page still opens, and its
// requests go without a token, with id and amount in the address as well as in the form.
TEST_F(TCardServiceTest, AnOlderServiceWithoutTokensKeepsWorking)
{
    TCardService old = ServiceOfFile("old", "pay.php", "OK\r\n");
    bool opened = false;
    old.OpenPage = [&opened](const QString &) { return opened = true; };
    EXPECT_TRUE(old.OpenCardSettings());
    EXPECT_TRUE(opened);
    EXPECT_FALSE(old.HasToken());
    const QString id = CardOrderNonce() + QStringLiteral("N1_1234D261208");
    EXPECT_TRUE(old.PayOrder(id, 800));
    EXPECT_TRUE(Log().contains(QStringLiteral("POST /old/pay.php?id=%1&amount=800 ").arg(id)));
}

// Card data must not cross the network in clear text: an http:// service off this machine is
// refused before anything is sent.
TEST_F(TCardServiceTest, OnlyHttpsOrThisMachinesHttpIsUsed)
{
    const struct {
        const char *url;
        bool safe;
    } cases[] = {
        { "https://card.example.com/card", true },
        { "http://127.0.0.1:8080/card", true },
        { "http://localhost/card", true },
        { "http://[::1]/card", true },
        { "http://card.example.com/card", false },
        { "HTTP://card.example.com/card", false },
        { "http://127.0.0.1@card.example.com/card", false },
        { "http://127.0.0.1.example.com/card", false },
        { "ftp://127.0.0.1/card", false },
    };
    for (const auto &c : cases)
        EXPECT_EQ(TCardService::SafeCardAddress(QString::fromLatin1(c.url)), c.safe) << c.url;

    // Refused before the transport: the error is the refusal, not a failed name lookup, and
    // neither the settings page nor a token file appears.
    TCardService card(QStringLiteral("http://card.example.com/card"), {},
        home.FilePath(QStringLiteral("CardData.ini")));
    bool opened = false;
    card.OpenPage = [&opened](const QString &) { return opened = true; };
    EXPECT_FALSE(card.PayOrder(CardOrderNonce() + QStringLiteral("N1_1234D261208"), 100));
    EXPECT_EQ(card.LastError(), TCardService::UnsafeAddressText());
    EXPECT_FALSE(card.RegisterCard());
    EXPECT_EQ(card.LastError(), TCardService::UnsafeAddressText());
    EXPECT_FALSE(card.OpenCardSettings());
    EXPECT_FALSE(opened);
    EXPECT_FALSE(QFile::exists(home.FilePath(QStringLiteral("CardData.ini"))));
}

} // namespace korvatel
