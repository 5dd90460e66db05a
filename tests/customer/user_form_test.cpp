#include "customer/card_payment.h"
#include "customer/ui/user_form.h"
#include "platform/prompter.h"
#include "support/demo_shop.h"
#include "support/keyboard_check.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

namespace korvatel
{

namespace
{

void Fill(TUserForm &form)
{
    form.edName()->setText(QStringLiteral("山田太郎"));
    form.edTel1()->setText(QStringLiteral("０３－１２３４－５６７８"));
    form.edMail()->setText(QStringLiteral("taro@example.jp"));
    form.edZip()->setText(QStringLiteral("１００－０００１"));
    form.edAdrs1()->setText(QStringLiteral("東京都千代田区千代田1-1"));
    form.edAcount()->setText(QStringLiteral("1234"));
    form.edPass()->setText(QStringLiteral("5678"));
}

class TUserFormTest : public testing::Test
{
protected:
    TUserFormContext Context() const
    {
        TUserFormContext context;
        context.userFile = dir.filePath(QStringLiteral("User"));
        context.shopId = QStringLiteral("1234");
        context.memberKeyFile = dir.filePath(QStringLiteral("system/Win32dpp.ini"));
        context.card = &card;
        return context;
    }
    QTemporaryDir dir;
    TUserRecord user;
    TScriptedPrompter prompter;
    mutable TCardPaymentStandIn card;
};

} // namespace

TEST_F(TUserFormTest, OrderModeValidatesChecksTheRegionThenSaves)
{
    TUserOrderArgs args;
    args.areaKindText = QStringLiteral("宅配便");
    args.regionName = QStringLiteral("大阪府");
    TUserForm form(user, Context(), true, args, prompter);
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    EXPECT_EQ(form.windowTitle(), QStringLiteral("ユーザー設定"));
    EXPECT_EQ(form.btnOK()->text(), QStringLiteral("注文(Order)"));
    EXPECT_TRUE(form.btnCancel()->isVisible());
    EXPECT_FALSE(form.pnMember()->isVisible());

    QTest::mouseClick(form.btnOK(), Qt::LeftButton);
    EXPECT_EQ(prompter.Texts().value(0),
        QStringLiteral("『必須入力項目が不完全です。』\"*\"マークが必須項目です　　　"));
    EXPECT_TRUE(form.isVisible());

    Fill(form);
    QTest::mouseClick(form.btnOK(), Qt::LeftButton);
    EXPECT_EQ(prompter.Texts().value(1),
        QStringLiteral(
            "宅配便の地域指定と住所データが一致していません。\r\n\r\n　宅配便の地域指定 [大阪府]"
            "\r\n\r\n正しい指定をして下さい。"));
    EXPECT_TRUE(form.isVisible());
    EXPECT_FALSE(QFile::exists(Context().userFile));

    form.edAdrs1()->setText(QStringLiteral("大阪府大阪市北区1-1"));
    QTest::mouseClick(form.btnOK(), Qt::LeftButton);
    EXPECT_EQ(form.result(), QDialog::Accepted);
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(prompter.Shown().size(), 2);
    EXPECT_EQ(user.Zip(), QStringLiteral("100-0001"));
    EXPECT_EQ(user.Tel1(), QStringLiteral("03-1234-5678"));
    TUserRecord saved;
    ASSERT_TRUE(saved.LoadFromFile(Context().userFile));
    EXPECT_EQ(saved.Adrs1(), QStringLiteral("大阪府大阪市北区1-1"));
}

TEST_F(TUserFormTest, AnOrderThatCannotStoreTheRecordStaysInTheWindow)
{
    // A folder where the record file belongs: the record cannot be written.
    ASSERT_TRUE(QDir().mkpath(Context().userFile));
    TUserForm form(user, Context(), true, {}, prompter);
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    Fill(form);
    QTest::mouseClick(form.btnOK(), Qt::LeftButton);
    ASSERT_EQ(prompter.Shown().size(), 1);
    EXPECT_EQ(prompter.Shown().first().kind, TMsgKind::mkError);
    EXPECT_EQ(prompter.Shown().first().text, UserSaveFailedMessage());
    EXPECT_TRUE(form.isVisible());
    EXPECT_NE(form.result(), QDialog::Accepted);
}

TEST_F(TUserFormTest, OwnDeliveryFeeMustNotChangeWithTheAddress)
{
    TUserOrderArgs args;
    args.areaKindText = QStringLiteral("区域配達");
    args.previousFee = 300;
    args.feeRule = [](const QString &zip, const QString &address) {
        return zip == QLatin1String("100-0001") && address.contains(QStringLiteral("千代田区"))
            ? 300.0
            : 500.0;
    };
    TUserForm form(user, Context(), true, args, prompter);
    Fill(form);
    form.edAdrs1()->setText(QStringLiteral("東京都港区1-1"));
    QTest::mouseClick(form.btnOK(), Qt::LeftButton);
    EXPECT_EQ(prompter.Texts(),
        QStringList {
            QStringLiteral("住所の変更により配達料・合計金額が変わりました。\r\n\r\n"
                           "[更新]してから[キャンセル]し、注文手続きをやり直してください。") });
    form.edAdrs1()->setText(QStringLiteral("東京都千代田区1-1"));
    QTest::mouseClick(form.btnOK(), Qt::LeftButton);
    EXPECT_EQ(form.result(), QDialog::Accepted);

    TUserForm cancelled(user, Context(), true, args, prompter);
    cancelled.show();
    QTest::mouseClick(cancelled.btnCancel(), Qt::LeftButton);
    EXPECT_EQ(cancelled.result(), QDialog::Rejected);
    EXPECT_EQ(prompter.Shown().size(), 1);
}

TEST_F(TUserFormTest, MenuModeAsksAboutChangesOnClose)
{
    user.SetValue(QStringLiteral("Name"), QStringLiteral("山田"));
    {
        // Nothing changed: closes without a question, although the file lacks most keys.
        TUserForm form(user, Context(), false, {}, prompter);
        form.show();
        EXPECT_EQ(form.btnOK()->text(), QStringLiteral("閉(Close)"));
        EXPECT_FALSE(form.btnCancel()->isVisible());
        QTest::mouseClick(form.btnOK(), Qt::LeftButton);
        EXPECT_FALSE(form.isVisible());
        EXPECT_TRUE(prompter.Shown().isEmpty());
    }
    const QString question = QStringLiteral("修正されています。登録更新しますか？");
    TUserForm form(user, Context(), false, {}, prompter);
    form.show();
    form.edName()->setText(QStringLiteral("鈴木"));
    prompter.Answer(TModalResult::mrCancel);
    QTest::mouseClick(form.btnOK(), Qt::LeftButton);
    EXPECT_TRUE(form.isVisible());
    prompter.Answer(TModalResult::mrNo);
    QTest::mouseClick(form.btnOK(), Qt::LeftButton);
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(user.Name(), QStringLiteral("山田"));
    EXPECT_EQ(prompter.Texts(), (QStringList { question, question }));
    EXPECT_EQ(prompter.Shown().at(0).buttons, mbYes | mbNo | mbCancel);

    TUserForm again(user, Context(), false, {}, prompter);
    again.show();
    again.edName()->setText(QStringLiteral("鈴木"));
    prompter.Answer(TModalResult::mrYes);
    QTest::keyClick(&again, Qt::Key_Escape);
    EXPECT_FALSE(again.isVisible());
    EXPECT_EQ(user.Name(), QStringLiteral("鈴木"));
    EXPECT_TRUE(QFile::exists(Context().userFile));
    EXPECT_EQ(prompter.Unexpected(), 0);
}

TEST_F(TUserFormTest, SaveStoresAtOnceAndCreditNeedsTheShopsOffer)
{
    TUserForm form(user, Context(), false, {}, prompter);
    form.show();
    form.edTel2()->setText(QStringLiteral("０９０"));
    QTest::mouseClick(form.btnSave(), Qt::LeftButton);
    EXPECT_EQ(user.Tel2(), QStringLiteral("090")); // no validation on save
    QTest::mouseClick(form.btnOK(), Qt::LeftButton); // nothing changed since the save
    EXPECT_TRUE(prompter.Shown().isEmpty());

    TUserForm credit(user, Context(), false, {}, prompter);
    QTest::mouseClick(credit.btnCredit(), Qt::LeftButton);
    EXPECT_EQ(
        prompter.Texts(), QStringList { QStringLiteral("当店では、この機能は利用できません。") });
    TUserFormContext offering = Context();
    offering.offersCard = true;
    TUserForm credit2(user, offering, false, {}, prompter);
    QTest::mouseClick(credit2.btnCredit(), Qt::LeftButton);
    EXPECT_EQ(card.calls, QStringList { QStringLiteral("settings") });
}

TEST_F(TUserFormTest, EnterAndArrowsMoveBetweenFields)
{
    TUserForm form(user, Context(), false, {}, prompter);
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    form.edName()->setFocus();
    QTest::keyClick(form.edName(), Qt::Key_Return);
    EXPECT_TRUE(form.edTel1()->hasFocus());
    QTest::keyClick(form.edTel1(), Qt::Key_Down);
    EXPECT_TRUE(form.edTel2()->hasFocus());
    QTest::keyClick(form.edTel2(), Qt::Key_Return, Qt::ShiftModifier);
    EXPECT_TRUE(form.edTel1()->hasFocus());
    QTest::keyClick(form.edTel1(), Qt::Key_Up);
    EXPECT_TRUE(form.edName()->hasFocus());
    EXPECT_TRUE(form.isVisible());
}

TEST_F(TUserFormTest, CheckOnlySkipsTheWindowWhenTheRecordPasses)
{
    TUserFields fields { "山田", "03-1234-5678", "", "a@b.jp", "100-0001", "東京都港区1", "", "",
        "1234", "5678" };
    StoreFields(user, fields);
    EXPECT_EQ(OpenUserForm(user, Context(), true, {}, true, prompter), QDialog::Accepted);
    EXPECT_TRUE(prompter.Shown().isEmpty());
}

class TUserFormMemberTest : public test::TDemoShopTest
{
};

TEST_F(TUserFormMemberTest, MemberModeStoresCredentialsAndAsksTheMemberPage)
{
    QTemporaryDir dir;
    TUserRecord user;
    TScriptedPrompter prompter;
    TUserFormContext context;
    context.userFile = dir.filePath(QStringLiteral("User"));
    context.memberMode = true;
    context.shopId = QStringLiteral("1234");
    context.memberKeyFile = dir.filePath(QStringLiteral("system/Win32dpp.ini"));
    context.memberServer = shop->Config().memberUrl;

    TUserForm form(user, context, true, {}, prompter);
    form.show();
    EXPECT_TRUE(form.pnMember()->isVisible());
    EXPECT_FALSE(form.edAcount()->isVisible());
    EXPECT_FALSE(form.cbMemory()->isEnabled());
    Fill(form);
    form.edAcount()->clear();
    form.edMemberUser()->setText(QStringLiteral("member01"));
    form.edMemberPass()->setText(QStringLiteral("wrong"));
    QTest::mouseClick(form.btnOK(), Qt::LeftButton);
    ASSERT_EQ(prompter.Shown().size(), 1);
    EXPECT_EQ(prompter.Shown().at(0).kind, TMsgKind::mkError);
    EXPECT_TRUE(prompter.Shown().at(0).text.startsWith(QStringLiteral("NG\r\n")));
    EXPECT_TRUE(form.isVisible());

    form.edMemberPass()->setText(QStringLiteral("pass01"));
    QTest::mouseClick(form.btnOK(), Qt::LeftButton);
    EXPECT_EQ(form.result(), QDialog::Accepted);
    EXPECT_EQ(form.MemberUser(), QStringLiteral("member01"));
    EXPECT_EQ(ReadMemberAccount(context.memberKeyFile, QStringLiteral("1234")),
        (TMemberAccount { "member01", "pass01" }));

    // The check-only call reads the stored credentials and passes without the window.
    QString published;
    EXPECT_EQ(OpenUserForm(user, context, true, {}, true, prompter, nullptr, &published),
        QDialog::Accepted);
    EXPECT_EQ(published, QStringLiteral("member01"));
}

TEST_F(TUserFormTest, WorksFromTheKeyboard)
{
    TUserForm settings(user, Context(), false, {}, prompter);
    // Enter goes from field to field here, as the customer types the record.
    test::ExpectKeyboardWorkable(settings, test::TEnterKey::ekNextField);
    TUserForm order(user, Context(), true, {}, prompter);
    test::ExpectKeyboardWorkable(order, test::TEnterKey::ekNextField);
}

} // namespace korvatel
