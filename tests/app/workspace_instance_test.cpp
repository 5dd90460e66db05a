#include "app/workspace_instance.h"
#include "platform/prompter.h"
#include "support/temp_home.h"

#include <QDir>
#include <QLockFile>
#include <gtest/gtest.h>

namespace korvatel
{

namespace
{

TEST(TWorkspaceInstance, AHolderThatDoesNotAnswerIsNamedAndTheStartEnds)
{
    test::TTempHome home;
    const QString config = home.FilePath(QStringLiteral(".config/korvatel"));
    ASSERT_TRUE(QDir().mkpath(config));
    // A live process holds the lock but listens nowhere: a run that hangs.
    QLockFile held(TWorkspaceInstance::LockPath(config));
    ASSERT_TRUE(held.tryLock(0));
    TWorkspaceInstance instance(config);
    TScriptedPrompter prompter;
    EXPECT_FALSE(ClaimWorkspace(instance, prompter, 300));
    EXPECT_EQ(prompter.Texts(), QStringList { QStringLiteral("Korvatelは既に起動しています。") });
    // Once the holder is gone the workspace is free.
    held.unlock();
    EXPECT_TRUE(ClaimWorkspace(instance, prompter, 300));
    EXPECT_EQ(prompter.Shown().size(), 1);
}

} // namespace

} // namespace korvatel
