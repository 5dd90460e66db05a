#include "text/comma_text.h"

#include <gtest/gtest.h>

namespace korvatel
{

TEST(CommaText, QuotesItemsWithBlanksCommasAndQuotes)
{
    EXPECT_EQ(
        ToCommaText({ QStringLiteral("Tab=ご自分"), QStringLiteral("Name=山田 太郎"),
            QStringLiteral("a,b"), QStringLiteral("say \"hi\""), QString(), QStringLiteral("x") }),
        QStringLiteral("Tab=ご自分,\"Name=山田 太郎\",\"a,b\",\"say \"\"hi\"\"\",,x"));
    EXPECT_EQ(ToCommaText({ QStringLiteral("tab\there") }), QStringLiteral("\"tab\there\""));
    EXPECT_EQ(ToCommaText({ QStringLiteral("全角　空白") }), QStringLiteral("全角　空白"));
    EXPECT_EQ(ToCommaText({}), QString());
}

TEST(CommaText, ReadsQuotedItemsAndEmptyItems)
{
    EXPECT_EQ(FromCommaText(QStringLiteral("a,\"b c\",\"d,e\",\"f\"\"g\",,h")),
        QStringList({ QStringLiteral("a"), QStringLiteral("b c"), QStringLiteral("d,e"),
            QStringLiteral("f\"g"), QString(), QStringLiteral("h") }));
    EXPECT_TRUE(FromCommaText(QString()).isEmpty());
    EXPECT_EQ(FromCommaText(QStringLiteral("a,")), QStringList({ QStringLiteral("a"), QString() }));
    EXPECT_EQ(FromCommaText(QStringLiteral(",")), QStringList({ QString(), QString() }));
    EXPECT_EQ(FromCommaText(QStringLiteral("\"\"")), QStringList({ QString() }));
}

TEST(CommaText, DamagedQuotingLosesNothing)
{
    EXPECT_EQ(FromCommaText(QStringLiteral("\"open,b")), QStringList({ QStringLiteral("open,b") }));
    EXPECT_EQ(FromCommaText(QStringLiteral("\"q\"tail,z")),
        QStringList({ QStringLiteral("qtail"), QStringLiteral("z") }));
    EXPECT_EQ(FromCommaText(QStringLiteral("mid\"quote,z")),
        QStringList({ QStringLiteral("mid\"quote"), QStringLiteral("z") }));
}

TEST(CommaText, RoundTripsAwkwardLists)
{
    const QList<QStringList> lists = {
        { QStringLiteral(" lead"), QStringLiteral("trail "), QStringLiteral("\"") },
        { QString(), QString(), QStringLiteral("x") },
        { QStringLiteral("Adrs1=東京都港区1-2-3"), QStringLiteral("Adrs2=ﾋﾞﾙ 5F, 501") },
        { QStringLiteral("a\r\nb") },
    };
    for (const QStringList &list : lists)
        EXPECT_EQ(FromCommaText(ToCommaText(list)), list) << ToCommaText(list).toStdString();
}

} // namespace korvatel
