#include "customer/user_check.h"
#include "customer/user_record.h"
#include "platform/prompter.h"

#include <gtest/gtest.h>

namespace korvatel
{

namespace
{

TUserFields GoodFields()
{
    TUserFields fields;
    fields.name = QStringLiteral("山田太郎");
    fields.tel1 = QStringLiteral("03-1234-5678");
    fields.mail = QStringLiteral("taro@example.jp");
    fields.zip = QStringLiteral("100-0001");
    fields.adrs1 = QStringLiteral("東京都千代田区千代田1-1");
    fields.acount = QStringLiteral("1234");
    fields.pass = QStringLiteral("5678");
    return fields;
}

const QString kTail
    = QStringLiteral("\r\n『入力データが不備です』指摘箇所を修正してください。　　　");

} // namespace

TEST(CheckUser, TelephoneDigitCountsFollowTheNumberKind)
{
    const QString tel = QStringLiteral("電話");
    EXPECT_EQ(CheckTelephone(QStringLiteral("0578-12-345"), tel), QString());
    EXPECT_EQ(CheckTelephone(QStringLiteral("03-1234-5678"), tel), QString());
    EXPECT_EQ(CheckTelephone(QStringLiteral("090-1234-5678"), tel), QString());
    EXPECT_EQ(CheckTelephone(QStringLiteral("05012345678"), tel), QString());
    EXPECT_EQ(CheckTelephone(QStringLiteral("０７０－１２３４－５６７８"), tel), QString());
    EXPECT_EQ(CheckTelephone(QString(), tel), QString());
    EXPECT_EQ(CheckTelephone(QStringLiteral("3-1234-5678"), tel),
        QStringLiteral("● 電話 <市外局番が必要です>"));
    EXPECT_EQ(CheckTelephone(QStringLiteral("03-1234-567"), tel),
        QStringLiteral("● 電話 <電話番号の桁数ではありません>"));
    // A mobile prefix needs 11 digits; the 0578 area only 9.
    EXPECT_EQ(CheckTelephone(QStringLiteral("090-1234-567"), tel),
        QStringLiteral("● 電話 <電話番号の桁数ではありません>"));
    EXPECT_EQ(CheckTelephone(QStringLiteral("0578-12-3456"), tel),
        QStringLiteral("● 電話 <電話番号の桁数ではありません>"));
    EXPECT_EQ(CheckTelephone(QStringLiteral("03(1234)5678"), QStringLiteral("電話2")),
        QStringLiteral("● 電話2 <数字と\"-\"のみ有効です>"));
}

TEST(CheckUser, PostalCodesInFullWidthAreCheckedInAscii)
{
    EXPECT_EQ(CheckZip(QStringLiteral("１２３－４５６７")), QString());
    EXPECT_EQ(CheckZip(QStringLiteral("123-4567")), QString());
    const QString bad = QStringLiteral("● 〒番号 <\"999-9999\"の書式ではありません>");
    EXPECT_EQ(CheckZip(QStringLiteral("1234-567")), bad);
    EXPECT_EQ(CheckZip(QStringLiteral("1234567")), bad);
    EXPECT_EQ(CheckZip(QStringLiteral("123-456a")), bad);
    EXPECT_EQ(CheckZip(QStringLiteral("123-45678")), bad);
}

TEST(CheckUser, AddressesNeedAPrefectureAndACityPart)
{
    EXPECT_EQ(
        CheckAddress(QStringLiteral("東京都")), QStringLiteral("● 住所 <県名以下がありません>"));
    EXPECT_EQ(
        CheckAddress(QStringLiteral("東京都 ")), QStringLiteral("● 住所 <県名以下がありません>"));
    EXPECT_EQ(
        CheckAddress(QStringLiteral("東京千代田区")), QStringLiteral("● 住所 <県名が不備です>"));
    EXPECT_EQ(CheckAddress(QStringLiteral("東京都丸の内1-1")),
        QStringLiteral("● 住所 <市郡区町村名がありません>"));
    EXPECT_EQ(CheckAddress(QStringLiteral("北海道余市郡余市町")), QString());
    EXPECT_EQ(CheckAddress(QStringLiteral("TOKYOTO 1-1 MARUNOUCHI")), QString());
    EXPECT_EQ(CheckAddress(QStringLiteral("tokyoto")), QString());
    EXPECT_EQ(CheckAddress(QString(QStringLiteral("東京")) + QChar(0xFA26) + "港区"), QString());
}

TEST(CheckUser, MailSyntax)
{
    const QString bad = QStringLiteral("● E-Mail(PC) <エラー>");
    EXPECT_EQ(CheckMail(QStringLiteral("taro.y-1_x@example.co.jp")), QString());
    EXPECT_EQ(CheckMail(QStringLiteral("ｔａｒｏ＠ｅｘａｍｐｌｅ．ｊｐ")), QString());
    EXPECT_EQ(CheckMail(QStringLiteral("a@b@example.jp")), bad);
    EXPECT_EQ(CheckMail(QStringLiteral("@example.jp")), bad);
    EXPECT_EQ(CheckMail(QStringLiteral("taro@")), bad);
    EXPECT_EQ(CheckMail(QStringLiteral("taro.example.jp")), bad);
    EXPECT_EQ(CheckMail(QStringLiteral("ta ro@example.jp")), bad);
    EXPECT_EQ(CheckMail(QStringLiteral("taro+x@example.jp")), bad);
    EXPECT_EQ(CheckMail(QStringLiteral("たろう@example.jp")), bad);
}

TEST(CheckUser, IdentificationCodeAndPasswordLengths)
{
    EXPECT_EQ(
        CheckAcount(QStringLiteral("12345")), QStringLiteral("● 識別ｺｰﾄﾞ <桁数が不一致です>"));
    EXPECT_EQ(
        CheckAcount(QStringLiteral("12a4")), QStringLiteral("● 識別ｺｰﾄﾞ <数字以外があります>"));
    EXPECT_EQ(CheckAcount(QStringLiteral("１２３４")), QString());
    EXPECT_EQ(
        CheckPass(QStringLiteral("12345678901")), QStringLiteral("● ﾊﾟｽﾜｰﾄﾞ <桁数が範囲外です>"));
    EXPECT_EQ(CheckPass(QStringLiteral("123")), QStringLiteral("● ﾊﾟｽﾜｰﾄﾞ <桁数が範囲外です>"));
    EXPECT_EQ(CheckPass(QStringLiteral("1234")), QString());
    EXPECT_EQ(CheckPass(QStringLiteral("1234567890")), QString());
    EXPECT_EQ(CheckPass(QStringLiteral("pass")), QStringLiteral("● ﾊﾟｽﾜｰﾄﾞ <数字以外があります>"));
}

TEST(CheckUser, RequiredFieldsDependOnMemberMode)
{
    const TMemberLogin none;
    EXPECT_EQ(CheckUser(GoodFields(), none, false).result, TUserCheck::ucPassed);

    TUserFields fields = GoodFields();
    fields.adrs1 = QStringLiteral("  ");
    const TUserCheckResult incomplete = CheckUser(fields, none, false);
    EXPECT_EQ(incomplete.result, TUserCheck::ucIncomplete);
    EXPECT_EQ(incomplete.message,
        QStringLiteral("『必須入力項目が不完全です。』\"*\"マークが必須項目です　　　"));

    // A member needs the member login instead of the code and password, which go unchecked.
    fields = GoodFields();
    fields.acount.clear();
    fields.pass = QStringLiteral("x");
    EXPECT_EQ(CheckUser(fields, none, false).result, TUserCheck::ucIncomplete);
    TMemberLogin member { true, QStringLiteral("member01"), QString() };
    EXPECT_EQ(CheckUser(fields, member, false).result, TUserCheck::ucIncomplete);
    member.pass = QStringLiteral("pass01");
    EXPECT_EQ(CheckUser(fields, member, false).result, TUserCheck::ucPassed);
}

TEST(CheckUser, EveryFailedCheckAddsItsLine)
{
    TUserFields fields = GoodFields();
    fields.mail = QStringLiteral("@x");
    fields.tel2 = QStringLiteral("3-1");
    fields.pass = QStringLiteral("12");
    const TUserCheckResult result = CheckUser(fields, {}, false);
    EXPECT_EQ(result.result, TUserCheck::ucFaulty);
    EXPECT_EQ(result.message,
        QStringLiteral("● E-Mail(PC) <エラー>\r\n● 電話2 <市外局番が必要です>\r\n"
                       "● ﾊﾟｽﾜｰﾄﾞ <桁数が範囲外です>\r\n")
            + kTail);

    TScriptedPrompter prompter;
    EXPECT_FALSE(ValidateUser(fields, {}, true, prompter));
    ASSERT_EQ(prompter.Shown().size(), 1);
    EXPECT_EQ(prompter.Shown().at(0).kind, TMsgKind::mkWarning);
    EXPECT_TRUE(prompter.Shown().at(0).text.startsWith(
        QStringLiteral("【ユーザー登録に不備があります】\r\n\r\n● E-Mail(PC) <エラー>\r\n")));
    EXPECT_TRUE(ValidateUser(GoodFields(), {}, true, prompter));
    EXPECT_EQ(prompter.Shown().size(), 1);
}

TEST(CheckUser, FieldsGoThroughTheRecord)
{
    TUserRecord user;
    TUserFields fields = GoodFields();
    fields.zip = QStringLiteral("１００－０００１");
    StoreFields(user, fields);
    const TUserFields back = FieldsOf(user);
    EXPECT_EQ(back.zip, QStringLiteral("100-0001"));
    EXPECT_EQ(back.name, fields.name);
    EXPECT_EQ(back.adrs1, fields.adrs1);
    EXPECT_EQ(user.Prefecture(), 13);
}

} // namespace korvatel
