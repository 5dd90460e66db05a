#include "customer/user_record.h"
#include "platform/prompter.h"
#include "text/sjis_file.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace korvatel
{

TEST(TUserRecord, StartsWithTheSelfLineAndEmptyFields)
{
    const TUserRecord user;
    EXPECT_EQ(user.Lines(), QStringList { QStringLiteral("Tab=ご自分") });
    EXPECT_EQ(user.SelfIndex(), 0);
    EXPECT_EQ(user.Name(), QString());
    EXPECT_EQ(user.Pass(), QString());
    EXPECT_EQ(user.Prefecture(), -1);
}

TEST(TUserRecord, FieldsAreWrittenInKeyOrderAsCommaText)
{
    TUserRecord user;
    user.SetValue(QStringLiteral("Zip"), QStringLiteral("100-0001"));
    user.SetValue(QStringLiteral("Name"), QStringLiteral("山田 太郎"));
    user.SetValue(QStringLiteral("Adrs1"), QStringLiteral("東京都千代田区"));
    user.SetValue(QStringLiteral("Tel1"), QStringLiteral("03-1234-5678"));
    EXPECT_EQ(user.Lines().at(0),
        QStringLiteral("Tab=ご自分,\"Name=山田 太郎\",Tel1=03-1234-5678,Zip=100-0001,"
                       "Adrs1=東京都千代田区"));
    // Replacing keeps the place; keys are found without regard to case.
    user.SetValue(QStringLiteral("name"), QStringLiteral("鈴木\"花子\""));
    EXPECT_EQ(user.Name(), QStringLiteral("鈴木\"花子\""));
    EXPECT_TRUE(user.Lines().at(0).startsWith(QStringLiteral("Tab=ご自分,\"Name=鈴木\"\"花子")));
    EXPECT_EQ(user.Prefecture(), 13);
}

TEST(TUserRecord, AccessorsTrimAndOnlyTheFirstSelfLineCounts)
{
    TUserRecord user;
    user.Lines() = { QStringLiteral("Tab=Other,Name=A"), QStringLiteral("Tab=ご自分,\"Name=  B \""),
        QStringLiteral("Tab=ご自分,Name=C") };
    EXPECT_EQ(user.SelfIndex(), 1);
    EXPECT_EQ(user.Name(), QStringLiteral("B"));

    user.Lines() = { QStringLiteral("Tab=Other,Name=A") };
    EXPECT_EQ(user.Name(), QString());
    user.SetValue(QStringLiteral("Mail"), QStringLiteral("a@b.jp"));
    EXPECT_EQ(user.Lines(),
        (QStringList {
            QStringLiteral("Tab=Other,Name=A"), QStringLiteral("Tab=ご自分,Mail=a@b.jp") }));
}

TEST(TUserRecord, StoringNormalisesNumbersCodesAndMailButNotNames)
{
    TUserRecord user;
    user.StoreValue(QStringLiteral("Zip"), QStringLiteral("１２３－４５６７ "));
    user.StoreValue(QStringLiteral("Tel1"), QStringLiteral("０３－１２３４－５６７８"));
    user.StoreValue(QStringLiteral("Mail"), QStringLiteral("ｔａｒｏ＠ｅｘａｍｐｌｅ．ｊｐ"));
    user.StoreValue(QStringLiteral("Acount"), QStringLiteral("１２３４"));
    user.StoreValue(QStringLiteral("Name"), QStringLiteral("やまだ　１"));
    EXPECT_EQ(user.Zip(), QStringLiteral("123-4567"));
    EXPECT_EQ(user.Tel1(), QStringLiteral("03-1234-5678"));
    EXPECT_EQ(user.Mail(), QStringLiteral("taro@example.jp"));
    EXPECT_EQ(user.Acount(), QStringLiteral("1234"));
    EXPECT_EQ(user.Name(), QStringLiteral("やまだ　１"));
}

TEST(TUserRecord, FileRoundTripAndEmptyListRemovesTheFile)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("User"));
    TUserRecord user;
    user.SetValue(QStringLiteral("Name"), QStringLiteral("髙橋, 一郎"));
    user.SetValue(QStringLiteral("Adrs2"), QStringLiteral("ﾋﾞﾙ 3F"));
    ASSERT_TRUE(user.SaveToFile(path));
    const std::optional<QByteArray> bytes = ReadWholeFile(path);
    ASSERT_TRUE(bytes);
    EXPECT_TRUE(bytes->endsWith("\r\n"));
    EXPECT_TRUE(bytes->contains("\xFB\xFC")); // 髙 in Shift-JIS

    TUserRecord loaded;
    ASSERT_TRUE(loaded.LoadFromFile(path));
    EXPECT_EQ(loaded.Lines(), user.Lines());
    EXPECT_EQ(loaded.Name(), QStringLiteral("髙橋, 一郎"));
    EXPECT_EQ(loaded.Snapshot(), user.Snapshot());

    loaded.Lines().clear();
    ASSERT_TRUE(loaded.SaveToFile(path));
    EXPECT_FALSE(QFile::exists(path));
    // A missing file leaves the list as it was.
    TUserRecord fresh;
    EXPECT_FALSE(fresh.LoadFromFile(path));
    EXPECT_EQ(fresh.Lines(), QStringList { QStringLiteral("Tab=ご自分") });
}

TEST(TUserRecord, EmptyPathsGiveTheirMessagesAndTouchNothing)
{
    TScriptedPrompter prompter;
    TUserRecord user;
    EXPECT_FALSE(UserDataLoad(user, QString(), prompter));
    EXPECT_FALSE(UserDataSave(user, QString(), prompter));
    EXPECT_EQ(prompter.Texts(),
        (QStringList { QStringLiteral("UserDataLoad:顧客データパスが未設定です。"),
            QStringLiteral("UserDataSave:顧客データパスが未設定です。") }));

    QTemporaryDir dir;
    EXPECT_TRUE(UserDataLoad(user, dir.filePath(QStringLiteral("User")), prompter));
    EXPECT_EQ(prompter.Shown().size(), 2);
}

TEST(TPrefectureTable, JapaneseAndRomanisedNamesFromTheStartOfTheAddress)
{
    EXPECT_EQ(PrefectureTableEntry(0), QStringLiteral("北海道"));
    EXPECT_EQ(PrefectureTableEntry(46), QStringLiteral("沖縄県"));
    EXPECT_EQ(PrefectureTableEntry(47), QStringLiteral("HOKKAIDO"));
    EXPECT_EQ(PrefectureTableEntry(93), QStringLiteral("OKINAWAKEN"));
    EXPECT_EQ(PrefectureTableEntry(94), QString());

    EXPECT_EQ(AddressPrefecture(QStringLiteral("北海道札幌市")), 1);
    EXPECT_EQ(AddressPrefecture(QStringLiteral("Tokyoto Chiyodaku")), 13);
    EXPECT_EQ(AddressPrefecture(QStringLiteral("osakafu osakashi")), 27);
    EXPECT_EQ(AddressPrefecture(QStringLiteral("鹿児島県鹿児島市")), 46);
    // The compatibility ideograph of 都 counts as 都.
    EXPECT_EQ(AddressPrefecture(QString(QStringLiteral("京")) + QChar(0xFA26) + "府京都市"), 26);
    EXPECT_EQ(AddressPrefecture(QStringLiteral("東京千代田区")), -1);
    EXPECT_EQ(AddressPrefecture(QStringLiteral(" 東京都")), -1);
    EXPECT_EQ(AddressPrefectureLength(QStringLiteral("神奈川県横浜市")), 4);
}

} // namespace korvatel
