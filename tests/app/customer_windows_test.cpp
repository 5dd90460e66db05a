#include "app/client_session.h"
#include "app/ui/customer_windows.h"
#include "customer/registration.h"
#include "customer/ui/hist_form.h"
#include "customer/ui/user_form.h"
#include "platform/prompter.h"
#include "support/app_home.h"

#include <QApplication>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

namespace korvatel
{

namespace
{

// Runs act on the modal window that the next call opens.
template <typename TForm> void OnModal(std::function<void(TForm &)> act)
{
    QTimer::singleShot(0, [act] {
        auto *form = qobject_cast<TForm *>(QApplication::activeModalWidget());
        ASSERT_NE(form, nullptr);
        act(*form);
    });
}

class TCustomerWindowsTest : public testing::Test
{
protected:
    void SetUp() override
    {
        workspace.PrepareWorkspace();
        entry.proceed = true;
        entry.shopId = QStringLiteral("1234");
    }
    test::TAppHome home;
    TWorkspace workspace = home.Workspace();
    TEntryResult entry;
    TScriptedPrompter prompter;
};

} // namespace

TEST_F(TCustomerWindowsTest, TheSessionReadsTheRecordAndTheMenuWindowSavesIt)
{
    TUserRecord stored;
    stored.SetValue(QStringLiteral("Name"), QStringLiteral("山田"));
    ASSERT_TRUE(stored.SaveToFile(workspace.UserFile()));
    ASSERT_TRUE(home.Write(QStringLiteral("Korvatel/Download/HostFmt.ini"),
        ":>OPTION\r\nMemberMode=TRUE\r\n:>END\r\n"));
    ASSERT_TRUE(
        WriteMemberAccount(SystemKeyFile(home.folders), QStringLiteral("1234"), { "m1", "p1" }));

    TClientSession session(workspace, entry, TStartupResult {});
    session.LoadAtCreation();
    EXPECT_EQ(session.User.Name(), QStringLiteral("山田"));
    EXPECT_TRUE(session.MemberMode);
    EXPECT_EQ(session.MemberUser, QStringLiteral("m1"));

    OnModal<TUserForm>([](TUserForm &form) {
        EXPECT_EQ(form.edMemberUser()->text(), QStringLiteral("m1"));
        form.edName()->setText(QStringLiteral("鈴木"));
        form.edMemberUser()->setText(QStringLiteral("m2"));
        QTest::mouseClick(form.btnOK(), Qt::LeftButton);
    });
    prompter.Answer(TModalResult::mrYes);
    OpenUserWindow(session, prompter, nullptr);
    EXPECT_EQ(
        prompter.Texts(), QStringList { QStringLiteral("修正されています。登録更新しますか？") });
    EXPECT_EQ(session.User.Name(), QStringLiteral("鈴木"));
    EXPECT_EQ(session.MemberUser, QStringLiteral("m2"));
    TUserRecord saved;
    ASSERT_TRUE(saved.LoadFromFile(workspace.UserFile()));
    EXPECT_EQ(saved.Name(), QStringLiteral("鈴木"));
}

TEST_F(TCustomerWindowsTest, TheHistoryWindowListsTheUsersHistoryFolder)
{
    TOrderHistory history(TOrderHistory::DefaultFolder(home.folders));
    ASSERT_GT(
        history.WriteHistoryRecord(true, QStringLiteral("ksiTentoo"), {}, {}, false, false, {},
            { QStringLiteral("注文番号=1234-20261208-101010"),
                QStringLiteral("合計金額 : \\700") }),
        0);
    TClientSession session(workspace, entry, TStartupResult {});
    session.LoadAtCreation();
    int listed = -1;
    OnModal<TKorvatelHistForm>([&listed](TKorvatelHistForm &form) {
        listed = form.clbHist()->count();
        QTest::mouseClick(form.btnClose(), Qt::LeftButton);
    });
    OpenHistoryWindow(session, prompter, nullptr);
    EXPECT_EQ(listed, 1);
    EXPECT_TRUE(prompter.Shown().isEmpty());
}

} // namespace korvatel
