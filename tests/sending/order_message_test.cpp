#include "pricing/shop_terms.h"
#include "sending/order_message.h"

#include <gtest/gtest.h>

namespace korvatel
{

namespace
{

TEST(OrderMessage, RecordsBecomeTextAndKeysFollow)
{
    EXPECT_EQ(RecordTexts({ QStringLiteral("<Memo>決済 : 銀行等振込(ksiFurikomi)"),
                  QStringLiteral("<Msg>よろしく"), QString(),
                  QStringLiteral("Size:(1) L;Price:29;Num:10;"),
                  QStringLiteral("Size:(2) 2L;Price:19.5;Num:3;"),
                  QStringLiteral("Soryo:送料;Price:0;Num:1;"),
                  QStringLiteral("Disc:値引;Price:-100;Num:1;"),
                  QStringLiteral("Point:獲得ﾎﾟｲﾝﾄ;Price:1;Num:30;"),
                  QStringLiteral("Point:使用ﾎﾟｲﾝﾄ;Price:1;Num:0;"), QStringLiteral("garbage") }),
        QStringList({ QStringLiteral("<Memo>決済 : 銀行等振込(ksiFurikomi)"),
            QStringLiteral("よろしく"), QString(), QStringLiteral("(1) L : @29 × 10 = \\290"),
            QStringLiteral("(2) 2L : @19.50 × 3 = \\58.50"), QStringLiteral("値引 : \\-100"),
            QStringLiteral("獲得ﾎﾟｲﾝﾄ : 30") }));

    TMessageInput input;
    input.shop.shopId = QStringLiteral("1234");
    input.shop.mail = QStringLiteral("shop@example.jp");
    input.customer.name = QStringLiteral("山田");
    input.orderName = QStringLiteral("N1");
    input.figures.total = 1051;
    input.figures.tax = 50;
    input.figures.payment = ksiFurikomi;
    input.start = QDateTime({ 2026, 12, 8 }, { 1, 2, 3 });
    input.end = input.start;
    QStringList lines = OrderMessageLines(input);
    EXPECT_EQ(lines.first(),
        QStringLiteral(
            "※お心あたりがない場合は shop@example.jp 宛に転送していただければ幸いです。"));
    EXPECT_TRUE(lines.contains(QStringLiteral("注文番号=1234-N1")));
    EXPECT_TRUE(lines.contains(QStringLiteral("合計金額 : \\1051")));
    EXPECT_TRUE(lines.contains(QStringLiteral("※送金手数料はご負担願います。")));
    EXPECT_TRUE(lines.contains(QStringLiteral("@TX=50")));
    EXPECT_FALSE(lines.contains(QStringLiteral("@MID=")));
    ASSERT_TRUE(SetMessageEndTime(lines, QDateTime({ 2026, 12, 8 }, { 1, 2, 9 })));
    EXPECT_TRUE(lines.contains(QStringLiteral("@STT=2026/12/08 01:02:03")));
    EXPECT_TRUE(lines.contains(QStringLiteral("@EDT=2026/12/08 01:02:09")));
    const QStringList entry = EntryFileLines(lines, { QStringLiteral("N1/$IMG_PRN/a.jpg=5") });
    EXPECT_EQ(entry.size(), lines.size() - 2 + 3);
    EXPECT_EQ(entry.mid(entry.size() - 3),
        QStringList({ QStringLiteral("<files>"), QStringLiteral("N1/$IMG_PRN/a.jpg=5"),
            QStringLiteral("<end>") }));
}

} // namespace

} // namespace korvatel
