#include "app/program_entry.h"
#include "platform/launchers.h"
#include "platform/prompter.h"
#include "support/app_home.h"
#include "text/sjis_file.h"
#include "workspace/workspace.h"

#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>

namespace korvatel
{

using test::TAppHome;

namespace
{

const QString kQ = QStringLiteral("\"");

// A home with a drive D (standing in for a CD), a program file placed where the test says, and
// a starter that records instead of starting.
class ProgramEntryTest : public ::testing::Test
{
protected:
    TAppHome home { QStringLiteral("D=cdrom") };
    QStringList started;
    bool startWorks = true;

    TEntryInput Input(const QString &ownRelative, const QStringList &arguments = {},
        const QByteArray &contents = "program")
    {
        const QString own = home.FilePath(ownRelative);
        EXPECT_TRUE(home.Write(ownRelative, contents));
        return { arguments, own, home.folders, home.table, [this](const QString &program) {
                    started << program;
                    return startWorks;
                } };
    }
    QString Desktop(const QString &name) const
    {
        return home.FilePath(QStringLiteral("Desktop/") + name);
    }
};

} // namespace

TEST_F(ProgramEntryTest, DownloadedProgramGoesToTheDesktopAndIsStarted)
{
    TScriptedPrompter prompter;
    const TEntryResult result
        = RunProgramEntry(Input(QStringLiteral("Downloads/Korvatel1234")), prompter);
    EXPECT_FALSE(result.proceed);
    EXPECT_TRUE(QFileInfo(Desktop(QStringLiteral("Korvatel1234"))).isExecutable());
    EXPECT_EQ(started, QStringList({ Desktop(QStringLiteral("Korvatel1234")) }));
    EXPECT_EQ(prompter.Texts(),
        QStringList({ QStringLiteral("注文ソフト") + kQ + QStringLiteral("Korvatel1234") + kQ
            + QStringLiteral("をデスクトップに作りました。\r\n次回からはデスクトップの") + kQ
            + QStringLiteral("Korvatel1234") + kQ
            + QStringLiteral("で起動できます。\r\n\r\nでは、注文ソフトを起動します。") }));

    // The same download again: same size, started without a word.
    TScriptedPrompter second;
    RunProgramEntry(Input(QStringLiteral("Downloads/Korvatel1234")), second);
    EXPECT_TRUE(second.Shown().isEmpty());
    EXPECT_EQ(started.size(), 2);

    // A newer download of another size replaces it, read-only or not, and says so.
    QFile::setPermissions(Desktop(QStringLiteral("Korvatel1234")), QFile::ReadOwner);
    TScriptedPrompter third;
    RunProgramEntry(Input(QStringLiteral("Downloads/Korvatel1234"), {}, "program, newer"), third);
    ASSERT_EQ(third.Shown().size(), 1);
    EXPECT_TRUE(third.Texts().first().startsWith(QStringLiteral("デスクトップの注文ソフト") + kQ));
    EXPECT_EQ(ReadWholeFile(Desktop(QStringLiteral("Korvatel1234"))).value_or(QByteArray()),
        QByteArray("program, newer"));
}

TEST_F(ProgramEntryTest, BrowserDuplicateNamesLoseTheirMarker)
{
    for (const char *name :
        { "Korvatel1234[1].AppImage", "Korvatel1234(1).AppImage", "Korvatel1234 (2).AppImage" }) {
        TScriptedPrompter prompter;
        // The marker alone asks for the desktop copy, wherever the file lies.
        RunProgramEntry(Input(QStringLiteral("elsewhere/") + QLatin1String(name)), prompter);
        EXPECT_TRUE(QFileInfo::exists(Desktop(QStringLiteral("Korvatel1234.AppImage")))) << name;
        EXPECT_EQ(started.value(0), Desktop(QStringLiteral("Korvatel1234.AppImage"))) << name;
        started.clear();
    }
}

TEST_F(ProgramEntryTest, ShopNamesAndNumbersMustMatchTheNameRule)
{
    TScriptedPrompter shopName;
    RunProgramEntry(Input(QStringLiteral("Downloads/ShopA.AppImage")), shopName);
    EXPECT_TRUE(QFileInfo::exists(Desktop(QStringLiteral("ShopA.AppImage"))));

    TScriptedPrompter numeric;
    RunProgramEntry(Input(QStringLiteral("Downloads/1234")), numeric);
    EXPECT_FALSE(QFileInfo::exists(Desktop(QStringLiteral("Korvatel1234"))));
    EXPECT_EQ(numeric.Texts(),
        QStringList({ QStringLiteral(
            "【規則に無いファイル名】\r\n\r\n　供給ファイル名 : 1234\r\n\r\n"
            "　注文ソフトのファイル名が規則に則っていません。\r\n"
            "　配給した店舗等に、お問い合わせ下さい。供給ファイル名も告げて下さい。") }));
    EXPECT_EQ(started, QStringList({ Desktop(QStringLiteral("ShopA.AppImage")) }));
}

TEST_F(ProgramEntryTest, FailedCopyAndFailedStartHaveTheirMessages)
{
    // A folder where the copy should go makes the copy fail.
    QDir().mkpath(Desktop(QStringLiteral("Korvatel77/x")));
    TScriptedPrompter failedCopy;
    RunProgramEntry(Input(QStringLiteral("Downloads/Korvatel77")), failedCopy);
    ASSERT_EQ(failedCopy.Shown().size(), 1);
    EXPECT_TRUE(
        failedCopy.Texts().first().startsWith(QStringLiteral("【デスクトップへの保存に失敗】")));
    EXPECT_TRUE(started.isEmpty());

    startWorks = false;
    TScriptedPrompter failedStart;
    RunProgramEntry(Input(QStringLiteral("Downloads/Korvatel78")), failedStart);
    EXPECT_EQ(failedStart.Texts(),
        QStringList({ QStringLiteral("【自動起動に失敗】\r\n\r\n　デスクトップの注文ソフトを自動起"
                                     "動できませんでした。\r\n"
                                     "　手動でデスクトップの")
            + kQ + QStringLiteral("Korvatel78") + kQ + QStringLiteral("を起動して下さい。") }));
}

TEST_F(ProgramEntryTest, CdStartCopiesToTheDesktopAndStartsTheCopy)
{
    TScriptedPrompter prompter;
    const TEntryResult result = RunProgramEntry(Input(QStringLiteral("drives/D/Korvatel.AppImage"),
                                                    { QStringLiteral("orvane=1234/photos") }),
        prompter);
    EXPECT_FALSE(result.proceed);
    EXPECT_TRUE(result.cdStart);
    EXPECT_EQ(result.shopId, QStringLiteral("1234"));
    EXPECT_EQ(result.startFolder, home.DriveRoot(u'D') + QStringLiteral("/photos"));
    EXPECT_EQ(started, QStringList({ Desktop(QStringLiteral("Korvatel1234.AppImage")) }));
    EXPECT_EQ(prompter.Texts(),
        QStringList({ QStringLiteral("注文ソフト ") + kQ + QStringLiteral("Korvatel") + kQ
            + QStringLiteral(" をデスクトップに作成しました。\r\n今後は、") + kQ
            + QStringLiteral("Korvatel1234.AppImage") + kQ
            + QStringLiteral(" でKorvatelを起動する(開く)ことが出来ます。") }));

    // A second CD start finds the copy and starts it silently.
    TScriptedPrompter again;
    RunProgramEntry(Input(QStringLiteral("drives/D/Korvatel.AppImage"),
                        { QStringLiteral("orvane=1234/photos") }),
        again);
    EXPECT_TRUE(again.Shown().isEmpty());
    EXPECT_EQ(started.size(), 2);
}

TEST_F(ProgramEntryTest, CdStartWithoutADesktopCopyRunsFromTheCd)
{
    QDir().mkpath(Desktop(QStringLiteral("Shop9/x"))); // blocks the copy
    TScriptedPrompter prompter;
    const TEntryResult result = RunProgramEntry(
        Input(QStringLiteral("drives/D/Korvatel"), { QStringLiteral("orvane=Shop9/a\\b") }),
        prompter);
    EXPECT_TRUE(result.proceed);
    EXPECT_TRUE(result.cdStart);
    EXPECT_EQ(result.shopId, QStringLiteral("Shop9"));
    EXPECT_EQ(result.startFolder, home.DriveRoot(u'D') + QStringLiteral("/a/b"));
    EXPECT_TRUE(started.isEmpty());
}

TEST_F(ProgramEntryTest, DesktopCopyStartPlacesTheOwnNameAndFallsBackToACdStart)
{
    TScriptedPrompter prompter;
    TEntryResult result = RunProgramEntry(
        Input(QStringLiteral("drives/D/Korvatel55"), { QStringLiteral("DesktopCopy") }), prompter);
    EXPECT_FALSE(result.proceed);
    EXPECT_EQ(result.shopId, QStringLiteral("55"));
    EXPECT_EQ(prompter.Texts(),
        QStringList({ QStringLiteral(
            "『注文ソフトをデスクトップに作成しました。』\r\n\r\n"
            "　以後、デスクトップのアイコン(Korvatel55)から起動出来ます。(CD不要)\r\n\r\n"
            "　それでは、起動します。") }));
    EXPECT_EQ(started, QStringList({ Desktop(QStringLiteral("Korvatel55")) }));

    QDir().mkpath(Desktop(QStringLiteral("Korvatel56/x")));
    TScriptedPrompter blocked;
    result = RunProgramEntry(
        Input(QStringLiteral("drives/D/Korvatel56"), { QStringLiteral("DesktopCopy") }), blocked);
    EXPECT_TRUE(result.proceed);
    EXPECT_TRUE(result.cdStart);
    EXPECT_TRUE(blocked.Shown().isEmpty());
}

TEST_F(ProgramEntryTest, PlacedCopiesGetLaunchersThatGoWithTheCopy)
{
    const auto menu = [this](const QString &shopId) {
        return home.FilePath(
            QStringLiteral(".local/share/applications/") + LauncherFileName(shopId));
    };
    const auto text = [](const QString &path) {
        return QString::fromUtf8(ReadWholeFile(path).value_or(QByteArray()));
    };
    QStringList trusted;
    TEntryInput download = Input(QStringLiteral("Downloads/Korvatel1234"));
    download.trust = [&trusted](const QString &path) { trusted << path; };
    TScriptedPrompter prompter;
    RunProgramEntry(download, prompter);
    const QString onDesktop = Desktop(LauncherFileName(QStringLiteral("1234")));
    EXPECT_EQ(trusted, QStringList({ onDesktop }));
    for (const QString &path : { menu(QStringLiteral("1234")), onDesktop }) {
        EXPECT_TRUE(QFileInfo(path).isExecutable()) << path.toStdString();
        EXPECT_TRUE(text(path).contains(QStringLiteral("\nName=Korvatel1234\n")));
        EXPECT_TRUE(text(path).contains(
            QStringLiteral("\nExec=") + Desktop(QStringLiteral("Korvatel1234"))));
        // The icon comes from the program itself: the download folder holds no installation.
        EXPECT_TRUE(text(path).contains(QStringLiteral("\nIcon=")
            + home.FilePath(
                QStringLiteral(".local/share/icons/hicolor/scalable/apps/korvatel.svg"))));
    }

    // A CD start names the launcher after the shop; a copy that failed gets none.
    RunProgramEntry(
        Input(QStringLiteral("drives/D/Korvatel.AppImage"), { QStringLiteral("orvane=Shop9/a") }),
        prompter);
    EXPECT_TRUE(text(menu(QStringLiteral("Shop9"))).contains(QStringLiteral("\nName=Shop9\n")));
    QDir().mkpath(Desktop(QStringLiteral("Korvatel77/x")));
    RunProgramEntry(Input(QStringLiteral("Downloads/Korvatel77")), prompter);
    EXPECT_FALSE(QFileInfo::exists(menu(QStringLiteral("77"))));

    // The copy deleted from the desktop: its launchers go at the next start of any copy.
    ASSERT_TRUE(QFile::remove(Desktop(QStringLiteral("Korvatel1234"))));
    RunProgramEntry(Input(QStringLiteral("bin/Shop9")), prompter);
    EXPECT_FALSE(QFileInfo::exists(menu(QStringLiteral("1234"))));
    EXPECT_FALSE(QFileInfo::exists(onDesktop));
    EXPECT_TRUE(QFileInfo::exists(menu(QStringLiteral("Shop9"))));
}

TEST_F(ProgramEntryTest, NormalStartTakesTheIdFromTheNameOrTheFirstArgument)
{
    TScriptedPrompter prompter;
    TEntryResult result = RunProgramEntry(Input(QStringLiteral("bin/Korvatel1234.AppImage"),
                                              { QString(), QStringLiteral("tab=shop") }),
        prompter);
    EXPECT_TRUE(result.proceed);
    EXPECT_EQ(result.shopId, QStringLiteral("1234"));
    EXPECT_FALSE(result.shopIdFromArgument);
    EXPECT_TRUE(result.tabShop);

    result = RunProgramEntry(
        Input(QStringLiteral("bin/korvatel"), { QStringLiteral("ＴＥＬ ０３-(1234)-5678") }),
        prompter);
    EXPECT_EQ(result.shopId, QStringLiteral("0312345678"));
    EXPECT_TRUE(result.shopIdFromArgument);
    result = RunProgramEntry(
        Input(QStringLiteral("bin/korvatel"), { QStringLiteral("Shop B") }), prompter);
    EXPECT_EQ(result.shopId, QStringLiteral("Shop B"));
    result = RunProgramEntry(Input(QStringLiteral("bin/MyShop")), prompter);
    EXPECT_EQ(result.shopId, QStringLiteral("MyShop"));
    EXPECT_TRUE(result.nonStandardName);
    EXPECT_TRUE(prompter.Shown().isEmpty());
}

TEST_F(ProgramEntryTest, LastShopFillsAMissingIdAndAChangeIsReported)
{
    TScriptedPrompter none;
    EXPECT_FALSE(RunProgramEntry(Input(QStringLiteral("bin/korvatel")), none).proceed);
    ASSERT_EQ(none.Shown().size(), 1);
    EXPECT_TRUE(
        none.Texts().first().startsWith(QStringLiteral("『 登録店を確認できません 』\r\n\r\n")));

    WriteLastShop(LastShopFile(home.folders), QStringLiteral("777"));
    TScriptedPrompter last;
    TEntryResult result = RunProgramEntry(Input(QStringLiteral("bin/korvatel")), last);
    EXPECT_TRUE(result.proceed);
    EXPECT_EQ(result.shopId, QStringLiteral("777"));
    EXPECT_TRUE(last.Shown().isEmpty());

    TScriptedPrompter changed;
    result = RunProgramEntry(Input(QStringLiteral("bin/Korvatel1234")), changed);
    EXPECT_EQ(changed.Texts(),
        QStringList({ QStringLiteral("取引店が変更されました。\r\n\r\n777 ⇒　1234") }));

    // A shop named on the command line is not a change of shop.
    TScriptedPrompter argument;
    RunProgramEntry(Input(QStringLiteral("bin/korvatel"), { QStringLiteral("1234") }), argument);
    EXPECT_TRUE(argument.Shown().isEmpty());
}

TEST(ProgramEntryRules, CopyNamesAndFigures)
{
    EXPECT_EQ(DesktopCopyName(QStringLiteral("1234"), QStringLiteral(".AppImage")),
        QStringLiteral("Korvatel1234.AppImage"));
    EXPECT_EQ(DesktopCopyName(QStringLiteral("ShopA"), {}), QStringLiteral("ShopA"));
    EXPECT_TRUE(IsAllFigures(QStringLiteral("0123")));
    EXPECT_FALSE(IsAllFigures(QString()));
    EXPECT_FALSE(IsAllFigures(QStringLiteral("１２"))); // full-width figures are not figures
    EXPECT_EQ(ShopIdFromArgument(QStringLiteral("１２３４")), QStringLiteral("1234"));
    EXPECT_EQ(ShopIdFromArgument(QStringLiteral("tel(03)1234-5678")), QStringLiteral("0312345678"));
    EXPECT_EQ(ShopIdFromArgument(QStringLiteral("TEL A-1")), QStringLiteral("TEL A-1"));
}

} // namespace korvatel
