#include "platform/prompter.h"
#include "support/app_home.h"
#include "workspace/workspace.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>
#include <unistd.h>

namespace korvatel
{

using test::TAppHome;

TEST(TWorkspace, FreshHomeGetsTheWholeTreeOnTheSystemDrive)
{
    TAppHome home(QStringLiteral("D=fixed"));
    TWorkspace workspace = home.Workspace();
    EXPECT_TRUE(workspace.PrepareWorkspace());
    EXPECT_EQ(workspace.DriveLetter(), u'C');
    EXPECT_EQ(workspace.Root(), home.FilePath(QStringLiteral("Korvatel")));
    for (const char *name :
        { "Works", "Download", "NdxFmt", "SysData", "Temp", "PostCard", "DpeOrder" })
        EXPECT_TRUE(QFileInfo(workspace.Root() + u'/' + QLatin1String(name)).isDir()) << name;
    // Made only when first written.
    EXPECT_FALSE(QFileInfo::exists(workspace.Tree()));
    EXPECT_FALSE(QFileInfo::exists(workspace.Campus()));
    EXPECT_TRUE(workspace.FirstUseOnSystem());
    EXPECT_TRUE(
        QFileInfo(home.FilePath(QStringLiteral(".config/korvatel/windows/KsSys/users"))).isDir());
    EXPECT_EQ(workspace.KorvaDpof(), home.FilePath(QStringLiteral("KorvaDPOF")));
    EXPECT_EQ(workspace.UserFile(), workspace.Root() + QStringLiteral("/User"));

    // A second start finds everything in place.
    TWorkspace again = home.Workspace();
    EXPECT_FALSE(again.PrepareWorkspace());
    EXPECT_FALSE(again.FirstUseOnSystem());
}

TEST(TWorkspace, LowestFixedDriveHoldingKorvatelWins)
{
    TAppHome home(QStringLiteral("D=removable,E=fixed,F=fixed"));
    QDir().mkpath(home.DriveRoot(u'D') + QStringLiteral("/Korvatel"));
    QDir().mkpath(home.DriveRoot(u'E') + QStringLiteral("/Korvatel"));
    QDir().mkpath(home.DriveRoot(u'F') + QStringLiteral("/Korvatel"));
    TWorkspace workspace = home.Workspace();
    workspace.PrepareWorkspace();
    EXPECT_EQ(workspace.DriveLetter(), u'E'); // D is removable and does not count
    EXPECT_EQ(workspace.Root(), home.DriveRoot(u'E') + QStringLiteral("/Korvatel"));

    // A drive named by the caller is taken as it is.
    TWorkspace named = home.Workspace();
    named.PrepareWorkspace(u'f');
    EXPECT_EQ(named.DriveLetter(), u'F');
}

TEST(TWorkspace, AKorvatelFolderOfAnotherUserIsNeverTaken)
{
    if (geteuid() != 0)
        GTEST_SKIP() << "giving a folder to another user needs root";
    TAppHome home(QStringLiteral("D=fixed,E=fixed"));
    const QString theirs = home.DriveRoot(u'D') + QStringLiteral("/Korvatel");
    QDir().mkpath(theirs);
    ASSERT_EQ(chown(QFile::encodeName(theirs).constData(), 65534, 65534), 0);
    QDir().mkpath(home.DriveRoot(u'E') + QStringLiteral("/Korvatel"));
    TWorkspace workspace = home.Workspace();
    workspace.PrepareWorkspace();
    EXPECT_EQ(workspace.DriveLetter(), u'E');
    // Named by the caller, it is not taken either: the drive is chosen as if none were named.
    TWorkspace named = home.Workspace();
    named.PrepareWorkspace(u'D');
    EXPECT_EQ(named.DriveLetter(), u'E');
    EXPECT_TRUE(QDir(theirs).isEmpty()) << "nothing was made in it";
    // The workspace that is taken is its owner's alone.
    EXPECT_EQ(QFile::permissions(named.Root()).toInt() & 0x0077, 0);
}

TEST(TWorkspace, WorkIsEmptiedButKeptAndOnlyFreshFoldersMarkAFreshStart)
{
    TAppHome home;
    TWorkspace workspace = home.Workspace();
    workspace.PrepareWorkspace();
    ASSERT_TRUE(home.Write(QStringLiteral("Korvatel/Work/old.tmp"), "x"));
    ASSERT_TRUE(home.Write(QStringLiteral("Korvatel/Work/sub/deeper.tmp"), "y"));
    QDir(workspace.PostCard()).removeRecursively();

    TWorkspace again = home.Workspace();
    EXPECT_FALSE(again.PrepareWorkspace()); // PostCard is remade without marking a fresh start
    EXPECT_TRUE(QFileInfo(again.PostCard()).isDir());
    EXPECT_TRUE(QFileInfo(again.Root() + QStringLiteral("/Work")).isDir());
    EXPECT_TRUE(QDir(again.Root() + QStringLiteral("/Work"))
                    .isEmpty(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden));

    QDir(again.Temp()).removeRecursively();
    EXPECT_TRUE(home.Workspace().PrepareWorkspace());
}

TEST(TWorkspace, SysDataIsRemadeOnEveryCall)
{
    TAppHome home;
    TWorkspace workspace = home.Workspace();
    workspace.PrepareWorkspace();
    QDir(workspace.Root() + QStringLiteral("/SysData")).removeRecursively();
    EXPECT_TRUE(QFileInfo(workspace.SysData()).isDir());
}

TEST(LastShop, HoldsTheShopIdAndItsDateIsThePreviousStart)
{
    TAppHome home;
    const QString path = LastShopFile(home.folders);
    EXPECT_TRUE(ReadLastShop(path).shopId.isEmpty());
    EXPECT_FALSE(ReadLastShop(path).lastStart.has_value());
    ASSERT_TRUE(WriteLastShop(path, QStringLiteral("1234")));
    const TLastShop last = ReadLastShop(path);
    EXPECT_EQ(last.shopId, QStringLiteral("1234"));
    ASSERT_TRUE(last.lastStart.has_value());
    EXPECT_LE(qAbs(last.lastStart->secsTo(QDateTime::currentDateTime())), 5);
}

class MoveWorkspaceTest : public ::testing::Test
{
protected:
    TAppHome home { QStringLiteral("D=fixed") };
    TWorkspace workspace = home.Workspace();
    QStringList steps;
    TMoveWorkspaceHooks hooks {
        [this] { steps << QStringLiteral("save"); },
        [this](
            bool visible) { steps << (visible ? QStringLiteral("show") : QStringLiteral("hide")); },
        [this] {
            steps << QStringLiteral("restart");
            return true;
        },
    };

    void SetUp() override
    {
        workspace.PrepareWorkspace();
        ASSERT_TRUE(home.Write(QStringLiteral("Korvatel/SysData/State.ini"), "ListSort=2\r\n"));
    }
};

TEST_F(MoveWorkspaceTest, SuccessfulMoveAsksToRestartAndMarksTheRunMoved)
{
    TScriptedPrompter prompter({ TModalResult::mrOk, TModalResult::mrYes });
    EXPECT_EQ(MoveWorkspace(workspace, u'd', prompter, hooks), TMoveResult::mvMoved);
    EXPECT_EQ(prompter.Texts(),
        QStringList({ QStringLiteral(
                          "作業用フォルダ<Korvatel>を<D:\\>へ移動します。よろしいですか？"),
            QStringLiteral(
                "完了しました。本ソフトは終了いたします。\r\n\r\n新しい環境で再起動しますか？") }));
    EXPECT_EQ(steps,
        QStringList({ QStringLiteral("save"), QStringLiteral("hide"), QStringLiteral("restart") }));
    EXPECT_FALSE(QFileInfo::exists(home.FilePath(QStringLiteral("Korvatel"))));
    EXPECT_TRUE(
        QFileInfo::exists(home.DriveRoot(u'D') + QStringLiteral("/Korvatel/SysData/State.ini")));
    EXPECT_EQ(workspace.DriveLetter(), u'D');

    // The next start finds the workspace on D.
    TWorkspace next = home.Workspace();
    next.PrepareWorkspace();
    EXPECT_EQ(next.DriveLetter(), u'D');
}

TEST_F(MoveWorkspaceTest, NoToRestartStillEndsTheRun)
{
    TScriptedPrompter prompter({ TModalResult::mrOk, TModalResult::mrNo });
    EXPECT_EQ(MoveWorkspace(workspace, u'D', prompter, hooks), TMoveResult::mvMoved);
    EXPECT_FALSE(steps.contains(QStringLiteral("restart")));
}

TEST_F(MoveWorkspaceTest, CancelAndTheSameDriveDoNothing)
{
    TScriptedPrompter prompter({ TModalResult::mrCancel });
    EXPECT_EQ(MoveWorkspace(workspace, u'D', prompter, hooks), TMoveResult::mvCancelled);
    EXPECT_EQ(MoveWorkspace(workspace, u'c', prompter, hooks), TMoveResult::mvCancelled);
    EXPECT_EQ(prompter.Shown().size(), 1);
    EXPECT_TRUE(steps.isEmpty());
    EXPECT_TRUE(QFileInfo::exists(workspace.Root()));
}

TEST_F(MoveWorkspaceTest, FailedMoveKeepsTheRootAndBringsTheGridsBack)
{
    // A Korvatel folder already on D blocks the move: nothing is merged into it.
    QDir().mkpath(home.DriveRoot(u'D') + QStringLiteral("/Korvatel"));
    TScriptedPrompter prompter({ TModalResult::mrOk, TModalResult::mrOk });
    EXPECT_EQ(MoveWorkspace(workspace, u'D', prompter, hooks), TMoveResult::mvFailed);
    EXPECT_EQ(prompter.Texts().last(), QStringLiteral("失敗しました。戻ります。"));
    EXPECT_EQ(steps,
        QStringList({ QStringLiteral("save"), QStringLiteral("hide"), QStringLiteral("show") }));
    EXPECT_TRUE(QFileInfo::exists(home.FilePath(QStringLiteral("Korvatel/SysData/State.ini"))));
    EXPECT_EQ(workspace.DriveLetter(), u'C');
}

} // namespace korvatel
