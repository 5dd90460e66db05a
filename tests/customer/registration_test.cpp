#include "customer/registration.h"
#include "customer/user_record.h"
#include "platform/user_folders.h"
#include "support/demo_shop.h"
#include "support/temp_home.h"
#include "text/key_file.h"
#include "text/scramble.h"
#include "version.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace korvatel
{

TEST(BuildRegistration, NoCustomerDataGivesTheTwoFixedLines)
{
    TUserRecord user;
    QStringList lines { QStringLiteral("old") };
    EXPECT_FALSE(BuildRegistration(user, QStringLiteral("1234"), QStringLiteral("ID1"), lines));
    EXPECT_EQ(lines,
        (QStringList { QStringLiteral("Id=1234;") + QLatin1String(kProgramVersion) + ";"
                + QLatin1String(kBuildStamp),
            QStringLiteral("MachineID=ID1") }));
}

TEST(BuildRegistration, PresentFieldsAreScrambledInTheirOrder)
{
    TUserRecord user;
    user.SetValue(QStringLiteral("Name"), QStringLiteral("山田"));
    user.SetValue(QStringLiteral("Zip"), QStringLiteral("100-0001"));
    user.SetValue(QStringLiteral("Adrs2"), QStringLiteral("ビル"));
    QStringList lines;
    EXPECT_TRUE(BuildRegistration(user, QStringLiteral("S"), QStringLiteral("M"), lines));
    ASSERT_EQ(lines.size(), 5);
    const auto plain = [&](int i, const char *key) {
        EXPECT_TRUE(lines.at(i).startsWith(QLatin1String(key) + QStringLiteral("=*")));
        return Unscramble(lines.at(i).mid(qsizetype(strlen(key)) + 1))
            .value_or(QStringLiteral("?"));
    };
    EXPECT_EQ(plain(1, "Zip"), QStringLiteral("100-0001"));
    EXPECT_EQ(plain(2, "Name"), QStringLiteral("山田"));
    EXPECT_EQ(plain(3, "Adrs"), QStringLiteral(";ビル")); // Adrs1 + Adrs1Over + ";" + Adrs2
    EXPECT_EQ(lines.at(4), QStringLiteral("MachineID=M"));
}

TEST(MemberAccount, CredentialsRoundTripUnderTheShopsKey)
{
    QTemporaryDir dir;
    const QString ini = dir.filePath(QStringLiteral("system/Win32dpp.ini"));
    EXPECT_EQ(ReadMemberAccount(ini, QStringLiteral("1234")), TMemberAccount());
    ASSERT_TRUE(WriteMemberAccount(ini, QStringLiteral("1234"), { "member01", "pa|ss" }));
    ASSERT_TRUE(WriteMemberAccount(ini, QStringLiteral("99"), { "other", "x" }));
    ASSERT_TRUE(WriteMemberAccount(ini, QStringLiteral("1234"), { "member01", "pass01" }));
    TKeyFile keys(Qt::CaseSensitive);
    ASSERT_TRUE(keys.Load(ini));
    ASSERT_EQ(keys.Lines().size(), 2);
    EXPECT_TRUE(keys.Lines().at(0).startsWith(QStringLiteral("@1234@=*")));
    EXPECT_EQ(
        Unscramble(keys.Value(QStringLiteral("@1234@"))), QStringLiteral("member01|@@@|pass01"));
    EXPECT_EQ(
        ReadMemberAccount(ini, QStringLiteral("1234")), (TMemberAccount { "member01", "pass01" }));
    EXPECT_EQ(ReadMemberAccount(ini, QStringLiteral("99")), (TMemberAccount { "other", "x" }));
}

TEST(MachineIdentifier, RandomOnceThenReused)
{
    EXPECT_NE(MakeMachineIdentifier(), MakeMachineIdentifier());
    test::TTempHome home;
    QTemporaryDir work;
    const TUserFolders folders = TUserFolders::FromEnvironment();
    const QString id = MachineIdentifier(folders, work.path());
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^[0-9A-F]{32}$")).match(id).hasMatch())
        << id.toStdString();
    TKeyFile keys;
    ASSERT_TRUE(keys.Load(AppDataKeyFile(folders)));
    EXPECT_EQ(keys.Value(QStringLiteral("@MachineID")), id);
    EXPECT_EQ(MachineIdentifier(folders, work.path()), id);
}

TEST(MachineIdentifier, TakenOverFromTheSystemFolderOrTheStatusFile)
{
    test::TTempHome home;
    QTemporaryDir work;
    const TUserFolders folders = TUserFolders::FromEnvironment();
    ASSERT_TRUE(home.Write(QStringLiteral("work/StatusCash"), "@MachineID=FROMSTATUS1\r\n"));
    const QString sysData = home.FilePath(QStringLiteral("work"));
    EXPECT_EQ(MachineIdentifier(folders, sysData), QStringLiteral("FROMSTATUS1"));

    QFile::remove(AppDataKeyFile(folders));
    ASSERT_TRUE(WriteMemberAccount(SystemKeyFile(folders), QStringLiteral("1"), { "u", "p" }));
    TKeyFile system;
    ASSERT_TRUE(system.Load(SystemKeyFile(folders)));
    system.SetValue(QStringLiteral("@MachineID"), QStringLiteral("FROMSYSTEM2"));
    ASSERT_TRUE(system.Save(SystemKeyFile(folders)));
    EXPECT_EQ(MachineIdentifier(folders, sysData), QStringLiteral("FROMSYSTEM2"));

    // A copied file without the key still gets a fresh identifier, kept beside the old lines.
    QFile::remove(AppDataKeyFile(folders));
    system.Remove(QStringLiteral("@MachineID"));
    ASSERT_TRUE(system.Save(SystemKeyFile(folders)));
    const QString made = MachineIdentifier(folders, sysData);
    EXPECT_EQ(made.size(), 32) << made.toStdString();
    EXPECT_EQ(ReadMemberAccount(AppDataKeyFile(folders), QStringLiteral("1")),
        (TMemberAccount { "u", "p" }));
}

class TMemberAuthTest : public test::TDemoShopTest
{
};

TEST_F(TMemberAuthTest, TheMemberPageAcceptsOnlyKnownMembers)
{
    const QString server = shop->Config().memberUrl;
    QString error, transport;
    EXPECT_TRUE(CheckMemberAccount({}, server, { "member01", "pass01" }, &error, &transport));
    EXPECT_FALSE(CheckMemberAccount({}, server, { "member01", "wrong" }, &error, &transport));
    EXPECT_EQ(error, QStringLiteral("NG"));
    EXPECT_FALSE(CheckMemberAccount({}, server, { "member01", "" }, &error, &transport));

    // An unreachable server fails with the transport's message.
    EXPECT_FALSE(CheckMemberAccount(
        {}, QStringLiteral("http://127.0.0.1:1"), { "member01", "pass01" }, &error, &transport));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_FALSE(transport.isEmpty());
    // The password travels in the form, never in the URL.
    EXPECT_EQ(MemberAuthPath(), QStringLiteral("/cgi-bin/auth.cgi"));
    EXPECT_FALSE(MemberAuthPath().contains(u'?'));
    EXPECT_EQ(MemberAuthFields({ "a b", "1&2" }),
        (QList<std::pair<QString, QString>> { { QStringLiteral("usr"), QStringLiteral("a b") },
            { QStringLiteral("pw"), QStringLiteral("1&2") } }));
}

} // namespace korvatel
