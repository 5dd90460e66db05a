#include "mobile/mail/mail_settings.h"
#include "mobile/ui/keitai_adrs_form.h"
#include "mobile/ui/net_option_form.h"
#include "mobile/ui/send_mail_form.h"
#include "platform/prompter.h"
#include "text/cp932.h"
#include "text/sjis_file.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>
#include <filesystem>
#include <gtest/gtest.h>

namespace korvatel
{

namespace
{

QByteArray FileBytes(const QString &path)
{
    return ReadWholeFile(path).value_or(QByteArray());
}

bool OwnerOnly(const QString &path)
{
    namespace fs = std::filesystem;
    return fs::status(QFile::encodeName(path).toStdString()).permissions()
        == (fs::perms::owner_read | fs::perms::owner_write);
}

TEST(TMailList, TheFirstMarkedLineIsCurrentAndStaysMarked)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("MailList.ini"));
    ASSERT_TRUE(
        WriteFileAtomic(path, QByteArray("a@x.jp\r\n*b@x.jp\r\n\r\n*c@x.jp\r\n b@x.jp\r\n")));
    TMailList list = TMailList::Load(path);
    EXPECT_EQ(list.addresses, QStringList({ "a@x.jp", "b@x.jp", "c@x.jp" }));
    EXPECT_EQ(list.current, QStringLiteral("b@x.jp"));
    EXPECT_TRUE(list.Add(QStringLiteral("new@x.jp")));
    EXPECT_FALSE(list.Add(QStringLiteral("a@x.jp")));
    ASSERT_TRUE(list.Save(path));
    EXPECT_EQ(FileBytes(path), QByteArray("new@x.jp\r\na@x.jp\r\n*b@x.jp\r\nc@x.jp\r\n"));
    EXPECT_TRUE(OwnerOnly(path));
}

TEST(TKeitaiAdrsForm, AskingChecksTheAddressAndSavesTheChoiceOnTop)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("MailList.ini"));
    ASSERT_TRUE(WriteFileAtomic(path, QByteArray("a@x.jp\r\n*b@x.jp\r\n")));
    TScriptedPrompter prompter({ TModalResult::mrOk, TModalResult::mrOk });
    TKeitaiAdrsForm form(path, true, prompter);
    EXPECT_EQ(form.windowTitle(), QStringLiteral("携帯画像アップロード通知メール / 設定"));
    EXPECT_EQ(form.btnOk()->text(), QStringLiteral("実行"));
    EXPECT_EQ(form.btnCancel()->text(), QStringLiteral("戻る"));
    EXPECT_EQ(form.cbxAddress()->currentText(), QStringLiteral("b@x.jp"));

    form.cbxAddress()->setEditText(QStringLiteral("no-at-sign"));
    QTest::mouseClick(form.btnOk(), Qt::LeftButton);
    EXPECT_NE(form.result(), QDialog::Accepted);
    form.cbxAddress()->setEditText(QString());
    QTest::mouseClick(form.btnOk(), Qt::LeftButton); // answered OK: closes without an address
    EXPECT_EQ(form.result(), QDialog::Accepted);
    EXPECT_TRUE(form.Address().isEmpty());
    EXPECT_EQ(prompter.Texts(),
        QStringList({ "アドレスの書式に誤りがあります。",
            "アドレスの指定がありません。よろしいですか？" }));

    TKeitaiAdrsForm again(path, true, prompter);
    again.cbxAddress()->setEditText(QStringLiteral(" c@x.jp "));
    QTest::mouseClick(again.btnOk(), Qt::LeftButton);
    EXPECT_EQ(again.Address(), QStringLiteral("c@x.jp"));
    EXPECT_EQ(FileBytes(path), QByteArray("*c@x.jp\r\na@x.jp\r\nb@x.jp\r\n"));
}

TEST(TKeitaiAdrsForm, AddAndDeleteKeepTheListFile)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("MailList.ini"));
    TScriptedPrompter prompter({ TModalResult::mrOk, TModalResult::mrCancel, TModalResult::mrOk });
    TKeitaiAdrsForm form(path, false, prompter);
    EXPECT_EQ(form.btnOk()->text(), QStringLiteral("閉じる"));
    EXPECT_EQ(form.btnCancel()->text(), QStringLiteral("キャンセル"));
    form.cbxAddress()->setEditText(QStringLiteral("hanako@au.example"));
    QTest::mouseClick(form.btnAdd(), Qt::LeftButton);
    EXPECT_EQ(TMailList::Load(path).addresses, QStringList({ "hanako@au.example" }));
    EXPECT_EQ(form.cbxAddress()->count(), 1);
    QTest::mouseClick(form.btnDelete(), Qt::LeftButton); // answered Cancel: kept
    EXPECT_EQ(TMailList::Load(path).addresses.size(), 1);
    QTest::mouseClick(form.btnDelete(), Qt::LeftButton);
    EXPECT_TRUE(TMailList::Load(path).addresses.isEmpty());
    EXPECT_EQ(prompter.Texts(),
        QStringList(
            { "アドレスをリストに追加しました。", "選択中のアドレスを削除します。よろしいですか？",
                "選択中のアドレスを削除します。よろしいですか？" }));
}

TEST(TNetOptionForm, AuthenticationSetsThePortAndMovesTheRequiredMarks)
{
    QTemporaryDir dir;
    TScriptedPrompter prompter;
    TNetOptionForm form(dir.filePath(QStringLiteral("MailSet.ini")), {}, prompter);
    form.show();
    EXPECT_EQ(form.windowTitle(), QStringLiteral("インターネットの設定"));
    EXPECT_TRUE(form.rbIndy9()->isChecked()); // the default
    EXPECT_TRUE(form.gbSmtp()->isVisible());
    EXPECT_TRUE(form.RequiredMark(QStringLiteral("host"))->isVisible());
    EXPECT_FALSE(form.RequiredMark(QStringLiteral("user"))->isVisible());

    QTest::mouseClick(form.cbAuth(), Qt::LeftButton, {}, QPoint(4, form.cbAuth()->height() / 2));
    EXPECT_EQ(form.edPort()->text(), QStringLiteral("587"));
    EXPECT_FALSE(form.RequiredMark(QStringLiteral("host"))->isVisible());
    for (const char *field : { "authHost", "user", "password" })
        EXPECT_TRUE(form.RequiredMark(QString::fromLatin1(field))->isVisible()) << field;
    QTest::mouseClick(form.cbAuth(), Qt::LeftButton, {}, QPoint(4, form.cbAuth()->height() / 2));
    EXPECT_EQ(form.edPort()->text(), QStringLiteral("25"));
    EXPECT_TRUE(form.RequiredMark(QStringLiteral("host"))->isVisible());

    form.rbMapi()->setChecked(true);
    EXPECT_FALSE(form.gbSmtp()->isVisible());
}

TEST(TNetOptionForm, SavesOnlyWithAServerAndKeepsThePasswordPrivate)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("MailSet.ini"));
    TScriptedPrompter prompter;
    const TPhoneUpload upload { QStringLiteral("ftp.shop.example"),
        QStringLiteral("/home/shop//keitai/1234"), QStringLiteral("/home/shop") };
    TNetOptionForm form(path, upload, prompter);
    form.accept();
    EXPECT_EQ(prompter.Texts(),
        QStringList({ "[第２ ｻｰﾊﾞｰ指定]を指定する場合は、サーバー名の入力が必要です。" }));
    EXPECT_FALSE(QFile::exists(path));

    form.edSmtpHost()->setText(QStringLiteral("smtp.provider.example"));
    form.cbAuth()->click();
    EXPECT_FALSE(form.cbPlainAuth()->isChecked()); // a login in clear only when asked for
    form.cbPlainAuth()->click();
    form.edUser()->setText(QStringLiteral("taro"));
    form.edPassword()->setText(QStringLiteral("secret-pass"));
    form.edFromAddress()->setText(QStringLiteral("taro@example.jp"));
    form.edFromName()->setText(QStringLiteral("山田太郎"));
    form.edCc()->setText(QStringLiteral("a@x.jp,b@x.jp"));
    form.findChild<QPushButton *>(QStringLiteral("btnGeneralUrl"))->click();
    EXPECT_EQ(form.edPageUrl()->text(), QStringLiteral("http://ftp.shop.example/keitai/1234/"));
    form.accept();
    EXPECT_EQ(form.result(), QDialog::Accepted);

    const TMailSettings saved = TMailSettings::Load(path);
    EXPECT_EQ(saved.transport, QStringLiteral("Indy9"));
    EXPECT_EQ(saved.account.host, QStringLiteral("smtp.provider.example"));
    EXPECT_EQ(saved.account.port, 587);
    EXPECT_TRUE(saved.account.useAuth);
    EXPECT_TRUE(saved.account.allowPlainLogin);
    EXPECT_EQ(saved.account.password, QStringLiteral("secret-pass"));
    EXPECT_EQ(saved.identity.fromName, QStringLiteral("山田太郎"));
    EXPECT_EQ(saved.copies, QStringList({ "a@x.jp", "b@x.jp" }));
    EXPECT_FALSE(FileBytes(path).contains("secret-pass"));
    EXPECT_TRUE(OwnerOnly(path));

    // An unknown stored transport shows as the first choice.
    TMailSettings odd = saved;
    odd.transport = QStringLiteral("Other");
    ASSERT_TRUE(odd.Save(path));
    TNetOptionForm reopened(path, upload, prompter);
    EXPECT_TRUE(reopened.rbWebMail()->isChecked());
}

TEST(TSendMailForm, TheGaugeMovesBySixthsAndStartsAgain)
{
    TSendMailForm form;
    EXPECT_EQ(form.windowTitle(), QStringLiteral("KorvMailer Progress"));
    QList<int> steps;
    for (int i = 0; i < 8; ++i) {
        form.ShowStatus(QStringLiteral("step %1").arg(i));
        steps << form.pbGauge()->value();
    }
    EXPECT_EQ(steps, QList<int>({ 1, 2, 3, 4, 5, 6, 1, 2 }));
    EXPECT_EQ(form.lbStatus()->text(), QStringLiteral("step 7"));
}

TEST(TSendMailForm, AFailedSendShowsTheErrorAndTheResult)
{
    TSmtpAccount account;
    account.host = QStringLiteral("127.0.0.1");
    account.port = 1; // nothing listens there
    TMailJob job;
    job.recipients = QStringLiteral("a@example.jp");
    TScriptedPrompter prompter;
    SendMailWithProgress({}, account, { QStringLiteral("shop@example.jp"), {}, {} }, job,
        QDateTime::currentDateTime(), true, prompter);
    EXPECT_EQ(prompter.Texts(),
        QStringList({ "ERROR !\r\nConnection Failed.",
            "　　送信失敗しました。\r\n\r\nERR:Connection Failed.　　" }));
}

} // namespace

} // namespace korvatel
