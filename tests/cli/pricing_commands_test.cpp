#include "cli/pricing_commands.h"
#include "pricing/pricing_fixture.h"
#include "support/temp_home.h"

#include <QTextStream>
#include <gtest/gtest.h>

namespace korvatel
{

namespace
{

int RunPrice(const QStringList &args, QString &out, QString &err)
{
    QTextStream o(&out);
    QTextStream e(&err);
    const int status = PriceCommand(args, o, e);
    o.flush();
    e.flush();
    return status;
}

} // namespace

TEST(PriceCommand, PricesABasketFile)
{
    test::TTempHome home;
    ASSERT_TRUE(home.Write(QStringLiteral("basket.txt"),
        QStringLiteral("# mail order\nW6切;600=1\nphoto=L,30\nphoto=2L,5\n"
                       "payment=クレジット\ndelivery=メール便\n")
            .toUtf8()));
    QString out, err;
    EXPECT_EQ(RunPrice({ test::ShopDataFile(), home.FilePath(QStringLiteral("basket.txt")),
                           QStringLiteral("--today=2026-12-08") },
                  out, err),
        0)
        << err.toStdString();
    EXPECT_TRUE(out.contains(QStringLiteral("\ntotal=2103\ntax=100\ngrand-total=2176\n")));
    EXPECT_TRUE(out.contains(QStringLiteral("Size:(1) L;Price:25;Num:30;\n")));
    EXPECT_TRUE(out.contains(QStringLiteral("CrdtFee:ｸﾚｼﾞｯﾄ手数料(3.5%);Price:73;Num:1;\n")));
}

TEST(PriceCommand, RefusesBadInput)
{
    test::TTempHome home;
    ASSERT_TRUE(home.Write(QStringLiteral("bad.txt"), "photo=L\ncd=-1,5\nnonsense\n"));
    QString out, err;
    EXPECT_EQ(
        RunPrice({ test::ShopDataFile(), home.FilePath(QStringLiteral("bad.txt")) }, out, err), 1);
    EXPECT_TRUE(err.contains(QStringLiteral("line 1: photo needs a size and a count")));
    EXPECT_TRUE(err.contains(QStringLiteral("line 3: not understood")));
    EXPECT_EQ(RunPrice({ QStringLiteral("/nonexistent"), home.FilePath(QStringLiteral("bad.txt")) },
                  out, err),
        1);
    EXPECT_EQ(RunPrice({ test::ShopDataFile() }, out, err), 2);
    EXPECT_EQ(RunPrice({ QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("--today=x") },
                  out, err),
        2);
}

} // namespace korvatel
