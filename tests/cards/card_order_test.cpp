#include "cards/card_history.h"
#include "cards/card_order.h"
#include "cards/card_order_store.h"
#include "cards/dpo_file.h"
#include "cards/pre_order.h"
#include "net/server_lookups.h"
#include "platform/clock.h"
#include "platform/prompter.h"
#include "sending/card_order_send.h"
#include "support/demo_shop.h"
#include "support/temp_home.h"
#include "text/cp932.h"
#include "text/key_file.h"
#include "text/scramble.h"
#include "text/sjis_file.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <gtest/gtest.h>

namespace korvatel
{

namespace
{

TCardPriceSet Prices()
{
    const std::optional<TCardPrices> prices = ParseCardPrices({ QStringLiteral("[Price1]"),
        QStringLiteral("Charge=500"), QStringLiteral("Paper=普通紙:1=120;20=100;50=80"),
        QStringLiteral("Paper=和紙:"), QStringLiteral("Trans=宅配便:800-1200"),
        QStringLiteral("Trans=宅配(代引):800-1200"), QStringLiteral("Trans=店頭受取:0"),
        QStringLiteral("Pay=銀振･郵振:0"), QStringLiteral("Pay=クレジット:注文不可"),
        QStringLiteral("Pay=コンビニ票:150"), QStringLiteral("Pay=代引(宅配):315"),
        QStringLiteral("FreeTrans=送料無料(5000円以上):5000"), QStringLiteral("ConbiniLimit=3000"),
        QStringLiteral("MinAmount=100"), QStringLiteral("MaxAmount=300000") });
    EXPECT_TRUE(prices);
    return prices ? prices->sets[0] : TCardPriceSet {};
}

// A card order of count cards with one picture, by bank transfer, to the customer's home.
TCardOrder Order(const QString &picture, int count)
{
    TCardOrder o;
    o.shopId = QStringLiteral("1234");
    o.shopName = QStringLiteral("デモ写真店");
    o.orderNo = CardOrderNumber(
        o.shopId, QStringLiteral("20261210-10304512"), QStringLiteral("03-1234-5678"), {});
    o.name = QStringLiteral("山田 太郎");
    o.kana = QStringLiteral("ヤマダ タロウ");
    o.zip = QStringLiteral("100-0001");
    o.adrs1 = QStringLiteral("東京都千代田区千代田1-1");
    o.tel = QStringLiteral("03-1234-5678");
    o.mail = QStringLiteral("taro@example.jp");
    o.cardName = QStringLiteral("xmas.ksp");
    o.thumb = QStringLiteral("Card.jpg");
    o.choices.num = count;
    o.choices.transStr = QStringLiteral("宅配便");
    o.choices.payStr = QStringLiteral("銀振･郵振");
    o.choices.kanaName = o.kana;
    o.price = PriceCardOrder(Prices(), o.choices, 13);
    if (!picture.isEmpty())
        o.pictures << picture;
    o.pictureComments << QStringLiteral("家族写真");
    o.cardTextLines << QStringLiteral("BUN_COUNT=1") << QStringLiteral("BUN[1]=メリークリスマス");
    o.senderLines << QStringLiteral("山田 太郎") << QStringLiteral("東京都千代田区");
    o.lastComment << QStringLiteral("よろしくお願いします");
    o.layoutLines << QStringLiteral("[Card]") << QStringLiteral("Layers=2");
    return o;
}

} // namespace

TEST(TCardOrderNumber, EmptyAccountCodeGivesAFourDigitCheckNumber)
{
    const QString head = QStringLiteral("1234-20261210-10304512-0312345678-");
    int sum = 0;
    for (const char c : head.toLatin1())
        sum = (sum + c) % 10000;
    const QString number = CardOrderNumber(QStringLiteral("1234"),
        QStringLiteral("20261210-10304512"), QStringLiteral("０３-1234 5678"), {});
    EXPECT_EQ(number, head + QStringLiteral("%1").arg(sum, 4, 10, QLatin1Char('0')));
    // A small sum keeps its leading zeros; a code of exactly four characters is taken as it is.
    EXPECT_EQ(CardCheckNumber(QStringLiteral("A")), QStringLiteral("0065"));
    EXPECT_EQ(CardCheckNumber(QString()), QStringLiteral("0000"));
    EXPECT_EQ(CardOrderNumber(QStringLiteral("1"), QStringLiteral("t"), QStringLiteral("0"),
                  QStringLiteral("9876")),
        QStringLiteral("1-t-0-9876"));
    EXPECT_EQ(CardOrderNumber(QStringLiteral("1"), QStringLiteral("t"), QStringLiteral("0"),
                  QStringLiteral("98765"))
                  .size(),
        QStringLiteral("1-t-0-").size() + 4);
    // Shift-JIS bytes are summed, and the sum wraps at 10000.
    EXPECT_EQ(CardCheckNumber(QString(100, QChar(0x3042))).size(), 4);
    EXPECT_EQ(CardCheckNumber(QString(100, QChar(0x3042))),
        QStringLiteral("%1").arg((0x82 + 0xA0) * 100 % 10000, 4, 10, QLatin1Char('0')));
}

TEST(TTemplateDesc, FieldsCodeAndPriceSet)
{
    TTemplateDesc d = SplitTemplateDesc(QStringLiteral("クリスマスカード\t\t[XMAS]\t\t\t1"));
    EXPECT_EQ(d.fields, (QStringList { "クリスマスカード", "[XMAS]", "1" }));
    EXPECT_EQ(d.code, QStringLiteral("XMAS"));
    EXPECT_EQ(d.userPictures, 1);
    EXPECT_EQ(d.priceSet, 1);
    EXPECT_EQ(SplitTemplateDesc(QStringLiteral("年賀状\t\t[Nenga]\t\t\t2")).priceSet, 2);
    EXPECT_EQ(SplitTemplateDesc(QString()).userPictures, 0);
}

TEST(TCardPrices, StepsDiscountAndFees)
{
    const TCardPriceSet set = Prices();
    ASSERT_EQ(set.papers.size(), 2);
    EXPECT_FALSE(set.papers[1].Priced());
    TCardChoices c;
    c.num = 20;
    c.transStr = QStringLiteral("宅配便");
    c.payStr = QStringLiteral("コンビニ票");
    TCardPrice p = PriceCardOrder(set, c, 13);
    EXPECT_EQ(p.unitPrice, 100);
    EXPECT_EQ(p.defPrice, 120);
    EXPECT_EQ(p.cost, 2000);
    EXPECT_EQ(p.transFee, 800);
    EXPECT_EQ(p.transDisc, QStringLiteral("送料無料(5000円以上) 適用なし"));
    EXPECT_EQ(p.total, 500 + 2000 + 800 + 150);
    // Hokkaido takes the high end; 50 cards reach the free delivery.
    EXPECT_EQ(PriceCardOrder(set, c, 1).transFee, 1200);
    c.num = 60;
    p = PriceCardOrder(set, c, 13);
    EXPECT_EQ(p.transDef, 800);
    EXPECT_EQ(p.transFee, 0);
    EXPECT_EQ(p.transDisc, QStringLiteral("送料無料(5000円以上) 適用"));
    EXPECT_EQ(FeeText(set.deliveries[0]), QStringLiteral(" \\800～\\1,200"));
    EXPECT_EQ(FeeText(set.payments[1]), QStringLiteral(" 注文不可"));
    EXPECT_EQ(PaperStepLines(set.papers[0]).first(), QStringLiteral("P1～ \\120 x"));
    EXPECT_EQ(CoupledChoice(QStringLiteral("宅配(代引)")), QStringLiteral("代引(宅配)"));
    EXPECT_EQ(CoupledChoice(QStringLiteral("代引(宅配)")), QStringLiteral("宅配(代引)"));
}

TEST(TCardOrderChecks, EachStepStopsWithItsMessage)
{
    test::TTempHome home;
    const QString picture = home.FilePath(QStringLiteral("photo.jpg"));
    ASSERT_TRUE(home.Write(QStringLiteral("photo.jpg"), QByteArray(100, 'x')));
    const TCardPriceSet set = Prices();
    TCardCheckInput in;
    in.pictures = { picture };
    in.templatePictures = 1;
    in.senderLines = { QStringLiteral("山田") };
    in.choices.num = 20;
    in.choices.transStr = QStringLiteral("宅配便");
    in.choices.payStr = QStringLiteral("銀振･郵振");
    in.prices = &set;
    in.name = QStringLiteral("山田 太郎");
    in.kana = QStringLiteral("ヤマダ");
    in.zip = QStringLiteral("100-0001");
    in.adrs1 = QStringLiteral("東京都千代田区千代田1-1");
    in.mail = QStringLiteral("taro@example.jp");
    in.tel1 = QStringLiteral("03-1234-5678");
    EXPECT_EQ(CheckCardOrder(in), QString());

    auto with = [&](auto change) {
        TCardCheckInput copy = in;
        change(copy);
        return CheckCardOrder(copy);
    };
    EXPECT_EQ(with([](auto &c) { c.pictures = { QStringLiteral("/nowhere/x.jpg") }; }),
        QStringLiteral("指定中のユーザー画像が存在しません。(/nowhere/x.jpg)"));
    EXPECT_EQ(with([](auto &c) { c.templatePictures = 0; }),
        QStringLiteral("ユーザー画像は必要ありません。画像の送信は行いません。"));
    EXPECT_EQ(with([&](auto &c) {
        c.pictures = { picture, picture, picture };
    }),
        QStringLiteral("指定した画像が2個多いです。余分な画像は削除して下さい。\r\n"
                       "photo.jpg\r\nphoto.jpg"));
    EXPECT_EQ(with([](auto &c) { c.templatePictures = 3; }),
        QStringLiteral("ユーザー画像が、2画像足りません。やり直してください。"));
    EXPECT_EQ(with([](auto &c) { c.senderLines = { QStringLiteral(" ") }; }),
        QStringLiteral("差出人データを入力して下さい。"));
    EXPECT_EQ(with([](auto &c) { c.choices.num = 0; }), QStringLiteral("数量を設定して下さい。"));
    EXPECT_EQ(with([](auto &c) { c.choices.paperNdx = 1; }),
        QStringLiteral("価格設定の無いペーパーを選択しています。"));
    EXPECT_EQ(with([](auto &c) { c.choices.transStr.clear(); }),
        QStringLiteral("受取方法の設定がありません。"));
    EXPECT_EQ(with([](auto &c) { c.choices.payStr = QStringLiteral("クレジット"); }),
        QStringLiteral("支払方法の設定がありません。"));
    EXPECT_EQ(with([](auto &c) { c.choices.payStr = QStringLiteral("コンビニ票"); }),
        QStringLiteral("コンビニ決済の限度額を超過しています。"));
    EXPECT_EQ(
        with([](auto &c) { c.choices.num = 5000; }), QStringLiteral("明細金額が範囲外です。"));
    EXPECT_EQ(with([](auto &c) { c.kana.clear(); }),
        QStringLiteral("お客様の、フリガナを入力して下さい。"));
    EXPECT_EQ(with([](auto &c) { c.zip = QStringLiteral("1000001"); }),
        QStringLiteral("お客様の、郵便番号が不備です。\r\n　<\"999-9999\"の書式ではありません>"));
    EXPECT_EQ(with([](auto &c) { c.adrs1 = QStringLiteral("東京都"); }),
        QStringLiteral("お客様住所の、県名以下がありません。"));
    EXPECT_EQ(with([](auto &c) { c.mail = QStringLiteral("taro"); }),
        QStringLiteral("お客様の、MAILが不備です。\r\n　<メールアドレスの書式ではありません>"));
    EXPECT_EQ(with([](auto &c) { c.tel1.clear(); }),
        QStringLiteral("お客様の、TEL1またはTEL2を入力して下さい。"));
    EXPECT_EQ(with([](auto &c) { c.tel2 = QStringLiteral("3-1234-5678"); }),
        QStringLiteral("お客様の、TEL2が不備です。\r\n　<市外局番が必要です>"));
    EXPECT_EQ(with([](auto &c) { c.tel1 = QStringLiteral("03-1234-567"); }),
        QStringLiteral("お客様の、TEL1が不備です。\r\n　<電話番号の桁数ではありません>"));
}

TEST(TCardOrderChecks, CashOnDeliveryToAnotherRecipientIsRefused)
{
    TCardChoices c;
    c.otherSend = true;
    c.otherName = QStringLiteral("佐藤 花子");
    c.transStr = QStringLiteral("宅配(代引)");
    c.payStr = QStringLiteral("代引(宅配)");
    c.otherPref = 27;
    c.otherZip = QStringLiteral("530-0001");
    c.otherAdrs = QStringLiteral("大阪市北区梅田1-1");
    c.otherTel = QStringLiteral("06-1234-5678");
    EXPECT_EQ(CheckOtherRecipient(c, QStringLiteral("山田 太郎")),
        QStringLiteral("お届け先のお名前が異なるので代引指定は出来ません。\r\n"
                       "ご自身のお名前にすれば、可能です。"));
    // The customer's own name (blanks aside) may take cash on delivery.
    EXPECT_EQ(CheckOtherRecipient(c, QStringLiteral("佐藤　花子")), QString());
    c.payStr = QStringLiteral("銀振･郵振");
    c.transStr = QStringLiteral("宅配便");
    EXPECT_EQ(CheckOtherRecipient(c, QStringLiteral("山田 太郎")), QString());
    c.otherAdrs = QStringLiteral("梅田1-1");
    EXPECT_EQ(CheckOtherRecipient(c, {}),
        QStringLiteral("お届け先のご住所に市･郡･区･町･村名がありません。"));
    c.otherAdrs = QStringLiteral("大阪市北区梅田1-1");
    c.otherTel = QStringLiteral("06-1234-567a");
    EXPECT_EQ(CheckOtherRecipient(c, {}),
        QStringLiteral("お届け先の電話番号は、数字と\"-\"のみ有効です。"));
    c.otherPref = -1;
    EXPECT_EQ(
        CheckOtherRecipient(c, {}), QStringLiteral("お届け先の都道府県名をセットして下さい。"));
}

TEST(TCardChoicesFile, WrittenOnlyWhenChangedOrForced)
{
    test::TTempHome home;
    const QString path = home.FilePath(QStringLiteral("OrderEX.ini"));
    TCardChoices c;
    c.num = 20;
    c.kanaName = QStringLiteral("ヤマダ");
    EXPECT_TRUE(WriteCardChoices(path, c, false, false));
    EXPECT_FALSE(WriteCardChoices(path, c, false, false)); // the same content
    EXPECT_EQ(ReadCardChoices(path), c);
    c.num = 30;
    EXPECT_FALSE(WriteCardChoices(path, c, true, false)); // changing an order: not unforced
    EXPECT_TRUE(WriteCardChoices(path, c, true, true));
    EXPECT_EQ(ReadCardChoices(path).num, 30);
    EXPECT_EQ(ReadCardChoices(path).otherPref, -1);
}

TEST(TDpoFile, FixedOrderGroupsAndTheSixEmptyOtherKeys)
{
    QList<TCardUpload> uploads;
    const TCardOrder order = Order(QStringLiteral("/p/家族=写真.jpg"), 20);
    const QStringList lines = BuildDpoLines(order, &uploads);
    EXPECT_EQ(lines.mid(0, 3),
        (QStringList { "SHOP=1234", "SHOP_NAME=デモ写真店", "ORDER_NO=" + order.orderNo }));
    const int other = int(lines.indexOf(QStringLiteral("OTHER_SEND=FALSE")));
    ASSERT_GT(other, 0);
    EXPECT_EQ(lines.mid(other + 1, 7),
        (QStringList { "OTHER_NAME=", "OTHER_ZIP=", "OTHER_PREF=", "OTHER_ADRS=", "OTHER_MAIL=",
            "OTHER_TEL=", "" }));
    // The groups end with an empty line each.
    for (const char *last :
        { "H_MAIL=", "TEMP_PATH=", "TRANS_DISC=送料無料(5000円以上) 適用なし", "PAY_FEE=0" }) {
        const int i = int(lines.indexOf(QString::fromUtf8(last)));
        ASSERT_GE(i, 0) << last;
        EXPECT_EQ(lines.value(i + 1), QString()) << last;
    }
    EXPECT_TRUE(lines.contains(QStringLiteral("IMG[1]_家族＝写真.jpg")));
    ASSERT_EQ(uploads.size(), 1);
    EXPECT_EQ(uploads[0].name, QStringLiteral("IMG[1]_家族＝写真.jpg"));
    EXPECT_EQ(lines.last(), QStringLiteral("Layers=2"));

    // Another recipient: the prefecture as name and number, the address as comma text.
    TCardOrder to = order;
    to.choices.otherSend = true;
    to.choices.otherName = QStringLiteral("佐藤");
    to.choices.otherPref = 27;
    to.otherPrefName = QStringLiteral("大阪府");
    to.choices.otherAdrs = QStringLiteral("大阪市北区\n梅田 1-1");
    const QStringList other2 = BuildDpoLines(to);
    EXPECT_TRUE(other2.contains(QStringLiteral("OTHER_PREF=大阪府(27)")));
    EXPECT_TRUE(other2.contains(QStringLiteral("OTHER_ADRS=大阪市北区,\"梅田 1-1\"")));
}

TEST(TDpoFile, ScrambledLinesAreReadPlainAndDamageIsKept)
{
    QByteArray bytes = ToCp932(QStringLiteral("SHOP=1234\r\n"));
    bytes += ToCp932(Scramble(QStringLiteral("NAME=山田")) + QStringLiteral("\r\n"));
    bytes += ToCp932(u'*' + Scramble(QStringLiteral("TEL=03")) + QStringLiteral("\r\n"));
    bytes += "*notscrambled!\r\n";
    const std::optional<QStringList> lines = ReadDpoBytes(bytes);
    ASSERT_TRUE(lines);
    EXPECT_EQ(*lines, (QStringList { "SHOP=1234", "NAME=山田", "TEL=03", "*notscrambled!" }));
    EXPECT_FALSE(ReadDpoBytes(QByteArray(kMaxDpoSize + 1, 'a')));
}

TEST(TDpoFile, ChangingRewritesOnlyTheAllowedItems)
{
    const TCardOrder first = Order(QStringLiteral("/p/a.jpg"), 20);
    const QStringList old = BuildDpoLines(first);
    TCardOrder changed = Order(QStringLiteral("/p/other.jpg"), 40);
    changed.orderNo = QStringLiteral("9999-x");
    changed.cardName = QStringLiteral("newyear.ksp");
    changed.senderLines = { QStringLiteral("別人") };
    changed.mail.clear();
    changed.tel = QStringLiteral("06-0000-0000");
    const QStringList lines = ChangeDpoLines(old, BuildDpoLines(changed));
    ASSERT_EQ(lines.size(), old.size());
    for (int i = 0; i < old.size(); ++i) {
        const QString key = old[i].section(u'=', 0, 0);
        if (DpoChangeableKeys().contains(key))
            continue;
        EXPECT_EQ(lines[i], old[i]) << qPrintable(key);
    }
    EXPECT_EQ(DpoValue(lines, QStringLiteral("NUM")), QStringLiteral("40"));
    EXPECT_EQ(DpoValue(lines, QStringLiteral("TEL")), QStringLiteral("06-0000-0000"));
    EXPECT_EQ(DpoValue(lines, QStringLiteral("MAIL")), QString()); // kept as "MAIL="
    EXPECT_TRUE(lines.contains(QStringLiteral("MAIL=")));
    EXPECT_EQ(DpoValue(lines, QStringLiteral("ORDER_NO")), first.orderNo);
    EXPECT_EQ(DpoValue(lines, QStringLiteral("CARD_NAME")), QStringLiteral("xmas.ksp"));
    EXPECT_EQ(DpoPictures(lines), (QStringList { "IMG[1]_a.jpg" }));
}

TEST(TPreOrderFiles, EveryLineScrambledAndReadBack)
{
    test::TTempHome home;
    const QString path = home.FilePath(QStringLiteral("PreOrder.ini"));
    TPreOrder pre;
    pre.pictures = { QStringLiteral("/p/a.jpg"), QStringLiteral("/p/b c.jpg") };
    pre.bun1 = { QStringLiteral("メリークリスマス"), QStringLiteral("2026") };
    pre.lastComment = { QStringLiteral("急ぎです") };
    ASSERT_TRUE(WritePreOrder(path, pre));
    const QStringList raw = ReadSjisLines(path).value();
    ASSERT_EQ(raw.size(), 6);
    for (const QString &line : raw)
        EXPECT_TRUE(Unscramble(line)) << qPrintable(line);
    EXPECT_EQ(QFile::permissions(path) & 0077, 0);
    // The sender was empty: the customer's lines fill it.
    TPreOrder expected = pre;
    expected.sender = { QStringLiteral("山田") };
    EXPECT_EQ(ReadPreOrder(path, { QStringLiteral("山田") }), expected);
    // A plain line is used as it stands; the pictures stop at the first gap.
    WriteSjisLines(path,
        { Scramble(QStringLiteral("img[0]=/p/a.jpg")), QStringLiteral("img[2]=/p/c.jpg"),
            QStringLiteral("Sender=差出人") });
    const TPreOrder read = ReadPreOrder(path).value();
    EXPECT_EQ(read.pictures, (QStringList { "/p/a.jpg" }));
    EXPECT_EQ(read.sender, (QStringList { "差出人" }));
    EXPECT_EQ(LastCommentHint(), QStringLiteral("ご注文時のコメントをお書き下さい。"));
    EXPECT_EQ(
        PreOrderPicturePath(QStringLiteral("file=/p/x.jpg,ex=1.0000")), QStringLiteral("/p/x.jpg"));

    const QString fav = home.FilePath(QStringLiteral("Favorites.ini"));
    EXPECT_FALSE(WriteFavorites(fav, {}, false));
    EXPECT_FALSE(QFile::exists(fav));
    ASSERT_TRUE(WriteFavorites(fav, { 1, { "xmas.ksp", "frame.ksp" } }, false));
    EXPECT_TRUE(Unscramble(ReadSjisLines(fav).value().first()));
    EXPECT_EQ(ReadFavorites(fav), (TFavorites { 1, { "xmas.ksp", "frame.ksp" } }));
    EXPECT_TRUE(WriteFavorites(fav, {}, true)); // the file was there: the empty list is kept
    EXPECT_EQ(ReadFavorites(fav), (TFavorites { -1, {} }));
}

// Sending against the demo shop.
class TCardOrderSendTest : public test::TDemoShopTest
{
protected:
    void SetUp() override
    {
        TDemoShopTest::SetUp();
        upload.host = { shop->FtpHost(), shop->FtpUser(), shop->FtpPassword(), QStringLiteral("/"),
            QStringLiteral("/order") };
        upload.transferMode = tmFtp;
        upload.pause = [](int) {};
        postCard = home.FilePath(QStringLiteral("Korvatel/PostCard"));
        picture = home.FilePath(QStringLiteral("photos/家族写真.jpg"));
        ASSERT_TRUE(home.Write(QStringLiteral("photos/家族写真.jpg"), QByteArray(30000, 'j')));
    }

    // The receiver's verdict on an order whose status file was written at or after since.
    QStringList Verdict(const QString &name, int waitMs = 10000) const
    {
        const QString file = QDir(shop->State(QStringLiteral("ReceiverDir")))
                                 .filePath(name + QStringLiteral(".txt"));
        QElapsedTimer timer;
        timer.start();
        while (timer.elapsed() < waitMs) {
            if (const std::optional<QStringList> lines = ReadSjisLines(file))
                return *lines;
            QThread::msleep(50);
        }
        return {};
    }

    QString ServerFile(const QString &orderNo, const QString &name) const
    {
        return shop->FtpLocal(QStringLiteral("/order/") + orderNo + u'/' + name);
    }

    QImage Card() const
    {
        QImage card(200, 140, QImage::Format_RGB32);
        card.fill(Qt::darkGreen);
        return card;
    }

    test::TTempHome home;
    TScriptedPrompter prompter;
    TSystemClock clock;
    TOrderUpload upload { prompter, clock };
    QString postCard, picture;
};

// A card order of 20 cards reaches the shop whole, the receiver accepts it, and the order
// file on the server reads back field by field with Python's cp932 codec.
TEST_F(TCardOrderSendTest, TwentyCardsAreAcceptedAndReadBackIndependently)
{
    TCardOrder order = Order(picture, 20);
    order.orderNo = CardOrderNumber(QStringLiteral("1234"), QStringLiteral("20261210-11000001"),
        QStringLiteral("03-1234-5678"), {});
    const std::optional<TSavedCardOrder> saved = SaveCardOrder(postCard, order, Card(), false);
    ASSERT_TRUE(saved);
    EXPECT_TRUE(CardOrderUnsent(saved->folder));
    ASSERT_EQ(
        SendCardOrder(upload, saved->folder, order.orderNo, false, prompter), TSendResult::srSent);
    EXPECT_FALSE(CardOrderUnsent(saved->folder));
    EXPECT_EQ(prompter.Texts(), QStringList());
    const QStringList verdict = Verdict(order.orderNo);
    ASSERT_FALSE(verdict.isEmpty());
    EXPECT_EQ(verdict.first(), QStringLiteral("ACCEPTED")) << qPrintable(verdict.join(u'\n'));
    EXPECT_TRUE(verdict.contains(QStringLiteral("CARD xmas.ksp NUM=20 IMG=1")));
    EXPECT_TRUE(verdict.contains(
        QStringLiteral("OK ") + order.orderNo + QStringLiteral("/IMG[1]_家族写真.jpg 30000")))
        << qPrintable(verdict.join(u'\n'));
    EXPECT_TRUE(QFile::exists(ServerFile(order.orderNo, QStringLiteral("Card.jpg"))));

    // The independent reader: Debian's Python decodes the server's file as cp932 and prints
    // each key=value line; CR LF ends every line.
    QProcess python;
    python.start(QStringLiteral("/usr/bin/python3"),
        { QStringLiteral("-c"),
            QStringLiteral(
                "import sys\n"
                "data = open(sys.argv[1], 'rb').read()\n"
                "assert data.endswith(b'\\r\\n') and b'\\n' not in data.replace(b'\\r\\n', b'')\n"
                "for line in data.decode('cp932').split('\\r\\n'):\n"
                "    sys.stdout.buffer.write((line + '\\n').encode('utf-8'))\n"),
            ServerFile(order.orderNo, order.orderNo + QStringLiteral(".dpo")) });
    ASSERT_TRUE(python.waitForFinished(20000));
    ASSERT_EQ(python.exitCode(), 0) << python.readAllStandardError().toStdString();
    QStringList read = QString::fromUtf8(python.readAllStandardOutput()).split(u'\n');
    read.removeLast(); // after the last line end
    read.removeLast();
    const QStringList expected = BuildDpoLines(order);
    ASSERT_EQ(read.size(), expected.size());
    for (int i = 0; i < expected.size(); ++i)
        EXPECT_EQ(read[i], expected[i]) << i;
    EXPECT_TRUE(read.contains(QStringLiteral("NUM=20")));
    EXPECT_TRUE(read.contains(QStringLiteral("COST=2000")));
    EXPECT_TRUE(read.contains(QStringLiteral("TOTAL_VALUE=3300")));
    EXPECT_TRUE(read.contains(QStringLiteral("NAME=山田 太郎")));

    // The history lists it, sent, with its details.
    const QList<TCardHistEntry> history = ListCardHistory(postCard, QStringLiteral("1234"));
    ASSERT_EQ(history.size(), 1);
    EXPECT_EQ(history[0].stamp, QStringLiteral("20261210-11000001"));
    EXPECT_FALSE(history[0].unsent);
    const QStringList details = CardHistoryDetails(history[0].lines);
    EXPECT_EQ(details.first(), QStringLiteral("FILE : xmas.ksp"));
    EXPECT_TRUE(details.contains(QStringLiteral("お届け先 : ご自宅")));
    EXPECT_TRUE(ListCardHistory(postCard, QStringLiteral("9999")).isEmpty());
}

// An upload that fails keeps the order, listed as unsent; sending again completes it under
// the same number. A change after that goes to the same order, its order file alone.
TEST_F(TCardOrderSendTest, FailedUploadStaysUnsentAndIsSentAgainThenChanged)
{
    TCardOrder order = Order(picture, 20);
    order.orderNo = CardOrderNumber(QStringLiteral("1234"), QStringLiteral("20261210-12000002"),
        QStringLiteral("03-1234-5678"), {});
    const std::optional<TSavedCardOrder> saved = SaveCardOrder(postCard, order, Card(), false);
    ASSERT_TRUE(saved);
    TOrderUpload refused(prompter, clock);
    refused.host = { QStringLiteral("127.0.0.1:1"), QStringLiteral("x"), QStringLiteral("x"),
        QStringLiteral("/"), QStringLiteral("/order") };
    refused.transferMode = tmFtp;
    refused.retries = 0;
    refused.pause = [](int) {};
    prompter.Answer(TModalResult::mrAbort); // give up
    EXPECT_NE(
        SendCardOrder(refused, saved->folder, order.orderNo, false, prompter), TSendResult::srSent);
    ASSERT_TRUE(QFile::exists(saved->dpoFile));
    QList<TCardHistEntry> history = ListCardHistory(postCard, QStringLiteral("1234"));
    ASSERT_EQ(history.size(), 1);
    EXPECT_TRUE(history[0].unsent);
    EXPECT_FALSE(history[0].pendingChange);

    ASSERT_EQ(SendCardOrder(upload, history[0].folder, history[0].orderNo, false, prompter),
        TSendResult::srSent);
    EXPECT_EQ(Verdict(order.orderNo).value(0), QStringLiteral("ACCEPTED"));
    EXPECT_FALSE(ListCardHistory(postCard, QStringLiteral("1234"))[0].unsent);

    // The change: 40 cards, under the same number; only the order file goes.
    QFile::remove(QDir(shop->State(QStringLiteral("ReceiverDir")))
                      .filePath(order.orderNo + QStringLiteral(".txt")));
    TCardOrder changed = order;
    changed.choices.num = 40;
    changed.price = PriceCardOrder(Prices(), changed.choices, 13);
    const std::optional<TSavedCardOrder> change = SaveCardOrder(postCard, changed, {}, true);
    ASSERT_TRUE(change);
    EXPECT_TRUE(change->uploads.isEmpty());
    ASSERT_EQ(
        SendCardOrder(upload, change->folder, order.orderNo, true, prompter), TSendResult::srSent);
    const QStringList verdict = Verdict(order.orderNo);
    EXPECT_EQ(verdict.value(0), QStringLiteral("ACCEPTED")) << qPrintable(verdict.join(u'\n'));
    EXPECT_TRUE(verdict.contains(QStringLiteral("CARD xmas.ksp NUM=40 IMG=1")));
    const std::optional<QStringList> server
        = ReadDpoFile(ServerFile(order.orderNo, order.orderNo + QStringLiteral(".dpo")));
    ASSERT_TRUE(server);
    EXPECT_EQ(DpoValue(*server, QStringLiteral("NUM")), QStringLiteral("40"));
    // Still one order in the history and one folder on the server for this customer's number.
    EXPECT_EQ(ListCardHistory(postCard, QStringLiteral("1234")).size(), 1);
    EXPECT_EQ(QDir(shop->FtpLocal(QStringLiteral("/order")))
                  .entryList({ QStringLiteral("1234-20261210-12000002*") }, QDir::Dirs)
                  .size(),
        1);
}

// The shop's price file comes over HTTP from the format server.
TEST_F(TCardOrderSendTest, PricesComeFromTheShop)
{
    QTemporaryDir download;
    ASSERT_TRUE(FetchShopData(shop->Config(), download.path(), QStringLiteral("1234")).ok);
    const std::optional<TCardPrices> prices
        = FetchCardPrices(shop->Config(), QStringLiteral("1234"), download.path());
    ASSERT_TRUE(prices);
    const TTemplateDesc desc = SplitTemplateDesc(prices->Description(QStringLiteral("xmas.ksp")));
    EXPECT_EQ(desc.title, QStringLiteral("クリスマスカード"));
    EXPECT_EQ(desc.priceSet, 1);
    EXPECT_EQ(prices->sets[0].papers.value(0).name, QStringLiteral("普通紙"));
    EXPECT_EQ(SplitTemplateDesc(prices->Description(QStringLiteral("newyear.ksp"))).priceSet, 2);
    EXPECT_FALSE(FetchCardPrices(shop->Config(), QStringLiteral("0000"), download.path()));
    // An id that is not all figures never enters the address, even one the server would
    // resolve to the shop's folder.
    EXPECT_FALSE(FetchCardPrices(shop->Config(), QStringLiteral("1234/../1234"), download.path()));
}

} // namespace korvatel
