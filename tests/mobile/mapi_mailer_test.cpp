#include "mobile/mail/mapi_mailer.h"
#include "platform/prompter.h"

#include <gtest/gtest.h>

namespace korvatel
{

namespace
{

TEST(SendByMapi, ResultCodesBecomeTheirTextsAndFailuresAreShown)
{
    EXPECT_EQ(MapiResultText(7), QStringLiteral("ERROR 7 : 想定外のエラーです"));
    EXPECT_EQ(MapiResultText(26), QStringLiteral("サポート外です"));

    TMailProgramMessage message;
    message.subject = QStringLiteral("wcp-data");
    TScriptedPrompter prompter;
    QString error;
    // Without a recipient the mail program is never started.
    EXPECT_FALSE(SendByMapi(message, true, &prompter, &error, QStringLiteral("/nonexistent")));
    EXPECT_EQ(error, QStringLiteral("受取人の指定がありません"));

    message.toAddress = QStringLiteral("shop@example.jp");
    EXPECT_TRUE(SendByMapi(message, true, &prompter, &error, QStringLiteral("/bin/true")));
    EXPECT_EQ(error, QStringLiteral("成功"));
    EXPECT_FALSE(SendByMapi(message, false, &prompter, &error, QStringLiteral("/bin/false")));
    EXPECT_EQ(error, QStringLiteral("失敗(原因不明)"));
    EXPECT_EQ(prompter.Texts(), QStringList({ "【RESULT】\r\n\r\n受取人の指定がありません" }));
}

} // namespace

} // namespace korvatel
