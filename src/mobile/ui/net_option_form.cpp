#include "mobile/ui/net_option_form.h"

#include "platform/prompter.h"
#include "platform/ui/window_fit.h"
#include "text/comma_text.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QVBoxLayout>

namespace korvatel
{

namespace
{

struct TTransportText {
    const char *name;
    const char *caption;
    const char *lines;
};

const TTransportText kTransports[] = {
    { "rbWebMail", "第１ Web方式(標準)",
        "弊社サーバーから直接送信します。代理送信の文言も付加されます。\n"
        "第三･第四水準の漢字だけは文字化けしますが、簡単･確実です。" },
    { "rbIndy9", "第２ ｻｰﾊﾞｰ指定(契約ﾌﾟﾛﾊﾞｲﾀｰ)",
        "以下のSMPT設定が必須です。\n固定IP以外は、プロバイダー提供のSMTPサーバーを指定します。" },
    { "rbMapi", "第３ Mapi方式(ﾒｰﾗｰ要対応)",
        "OE等の普段使いのメーラーから、Mapi方式で送信します。\n"
        "【注意】メーラー要対応･メーラー設定の送信者になる(ﾅﾘｽﾏｼ不可)。" },
};

QLineEdit *Edit(QWidget *parent, const char *name, const QString &text, int maxLength = 256)
{
    auto *edit = new QLineEdit(text, parent);
    edit->setObjectName(QString::fromLatin1(name));
    edit->setMaxLength(maxLength);
    return edit;
}

QLabel *Mark(QWidget *parent, const char *name)
{
    auto *mark = new QLabel(QStringLiteral("*"), parent);
    mark->setObjectName(QString::fromLatin1(name));
    mark->setStyleSheet(QStringLiteral("color: red; font-weight: bold;"));
    return mark;
}

// A row of the form: the required mark (kept in its place when hidden), then the field.
QWidget *Row(QWidget *parent, QLabel *mark, QWidget *field)
{
    auto *row = new QWidget(parent);
    auto *layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    QSizePolicy keep = mark->sizePolicy();
    keep.setRetainSizeWhenHidden(true);
    mark->setSizePolicy(keep);
    layout->addWidget(mark);
    layout->addWidget(field, 1);
    return row;
}

} // namespace

TNetOptionForm::TNetOptionForm(
    const QString &settingsFile, const TPhoneUpload &upload, TPrompter &prompter, QWidget *parent)
    : QDialog(parent)
    , FFile(settingsFile)
    , FUpload(upload)
    , FPrompter(prompter)
{
    const TMailSettings settings = TMailSettings::Load(settingsFile);
    setWindowTitle(QStringLiteral("インターネットの設定"));
    auto *outer = new QVBoxLayout(this);
    // The settings scroll on a small screen; OK and キャンセル stay below them.
    auto *body = new QWidget;
    auto *layout = new QVBoxLayout(body);
    layout->setContentsMargins(0, 0, 0, 0);
    outer->addWidget(ScrollBody(body, this), 1);

    BuildTransports(*layout, settings);
    BuildSmtp(*layout, settings.account);
    BuildIdentity(*layout, settings);

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("キャンセル"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    outer->addWidget(buttons);
    ShowMarks();
    ShowSmtpPanel();
    FitToScreen(*this);
}

void TNetOptionForm::BuildTransports(QVBoxLayout &layout, const TMailSettings &settings)
{
    auto *transports = new QGroupBox(QStringLiteral("メール送信方式"), this);
    auto *transportLayout = new QVBoxLayout(transports);
    const int chosen = int(TransportOfWord(settings.transport));
    for (int i = 0; i < 3; ++i) {
        FTransports[i] = new QRadioButton(QString::fromUtf8(kTransports[i].caption), transports);
        FTransports[i]->setObjectName(QString::fromLatin1(kTransports[i].name));
        FTransports[i]->setChecked(i == chosen);
        auto *lines = new QLabel(QString::fromUtf8(kTransports[i].lines), transports);
        lines->setIndent(24);
        transportLayout->addWidget(FTransports[i]);
        transportLayout->addWidget(lines);
        connect(FTransports[i], &QRadioButton::toggled, this, [this] { ShowSmtpPanel(); });
    }
    layout.addWidget(transports);
}

void TNetOptionForm::BuildSmtp(QVBoxLayout &layout, const TSmtpAccount &account)
{
    FSmtp = new QGroupBox(QStringLiteral("SMTP設定"), this);
    FSmtp->setObjectName(QStringLiteral("gbSmtp"));
    auto *smtp = new QFormLayout(FSmtp);
    FHost = Edit(FSmtp, "edSmtpHost", account.host);
    FPort = Edit(FSmtp, "edPort", QString::number(account.port), 5);
    FPort->setValidator(new QIntValidator(0, 65535, FPort));
    FAuth = new QCheckBox(QStringLiteral("SMTP認証 + OP25B"), FSmtp);
    FAuth->setObjectName(QStringLiteral("cbAuth"));
    FAuth->setChecked(account.useAuth);
    FAuthHost = Edit(FSmtp, "edAuthHost", account.authHost);
    FUser = Edit(FSmtp, "edUser", account.user);
    FPassword = Edit(FSmtp, "edPassword", account.password);
    FPassword->setEchoMode(QLineEdit::Password);
    FHostMark = Mark(FSmtp, "lbHostMark");
    FAuthHostMark = Mark(FSmtp, "lbAuthHostMark");
    FUserMark = Mark(FSmtp, "lbUserMark");
    FPasswordMark = Mark(FSmtp, "lbPasswordMark");
    smtp->addRow(QStringLiteral("送信ﾒｰﾙｻｰﾊﾞｰ名"), Row(FSmtp, FHostMark, FHost));
    smtp->addRow(QStringLiteral("ポート"), FPort);
    smtp->addRow(FAuth);
    smtp->addRow(QStringLiteral("認証サーバー名"), Row(FSmtp, FAuthHostMark, FAuthHost));
    smtp->addRow(QStringLiteral("ユーザー名"), Row(FSmtp, FUserMark, FUser));
    smtp->addRow(QStringLiteral("パスワード"), Row(FSmtp, FPasswordMark, FPassword));
    // The login goes only inside TLS unless the customer allows it in clear for this account.
    FPlainAuth = new QCheckBox(QStringLiteral("暗号化なしの認証を許可する"), FSmtp);
    FPlainAuth->setObjectName(QStringLiteral("cbPlainAuth"));
    FPlainAuth->setChecked(account.allowPlainLogin);
    auto *plainWarning = new QLabel(
        QStringLiteral("<span style='color:red'>【注意】サーバーが暗号化(STARTTLS)に対応して"
                       "いないとき、パスワードがそのままネットワークを流れ、盗み見られる"
                       "おそれがあります。</span>"),
        FSmtp);
    plainWarning->setWordWrap(true);
    smtp->addRow(FPlainAuth);
    smtp->addRow(plainWarning);
    smtp->addRow(new QLabel(
        QStringLiteral("<span style='color:red'><b>*</b></span>印は必須項目です。"), FSmtp));
    connect(FAuth, &QCheckBox::clicked, this, [this] { cbAuthClick(); });
    layout.addWidget(FSmtp);
}

void TNetOptionForm::BuildIdentity(QVBoxLayout &layout, const TMailSettings &settings)
{
    auto *identity = new QGroupBox(QStringLiteral("送信者"), this);
    auto *identityLayout = new QFormLayout(identity);
    FFromAddress = Edit(identity, "edFromAddress", settings.identity.fromAddress);
    FFromName = Edit(identity, "edFromName", settings.identity.fromName);
    FReplyTo = Edit(identity, "edReplyTo", settings.identity.replyTo);
    FCc = Edit(identity, "edCc", ToCommaText(settings.copies), 1024);
    identityLayout->addRow(QStringLiteral("送信者ｱﾄﾞﾚｽ(FromAddress)"), FFromAddress);
    identityLayout->addRow(QStringLiteral("送信者名(FromName)"), FFromName);
    identityLayout->addRow(QStringLiteral("返信先(Reply-To)"), FReplyTo);
    identityLayout->addRow(QStringLiteral("控え(CC)"), FCc);
    FPageUrl = Edit(identity, "edPageUrl", settings.pageUrl, 1024);
    auto *general = new QPushButton(QStringLiteral("一般的なURL"), identity);
    general->setObjectName(QStringLiteral("btnGeneralUrl"));
    general->setAutoDefault(false);
    connect(general, &QPushButton::clicked, this, [this] {
        FPageUrl->setText(
            DefaultPhonePageUrl(FUpload.ftpHost, FUpload.uploadFolder, FUpload.homeFolder));
    });
    auto *pageRow = new QHBoxLayout;
    pageRow->addWidget(FPageUrl, 1);
    pageRow->addWidget(general);
    identityLayout->addRow(QStringLiteral("携帯画像のURL"), pageRow);
    layout.addWidget(identity);
}

QLabel *TNetOptionForm::RequiredMark(const QString &field) const
{
    if (field == QLatin1String("host"))
        return FHostMark;
    if (field == QLatin1String("authHost"))
        return FAuthHostMark;
    if (field == QLatin1String("user"))
        return FUserMark;
    if (field == QLatin1String("password"))
        return FPasswordMark;
    return nullptr;
}

void TNetOptionForm::cbAuthClick()
{
    FPort->setText(FAuth->isChecked() ? QStringLiteral("587") : QStringLiteral("25"));
    ShowMarks();
}

void TNetOptionForm::ShowMarks()
{
    const bool auth = FAuth->isChecked();
    FHostMark->setVisible(!auth);
    FAuthHostMark->setVisible(auth);
    FUserMark->setVisible(auth);
    FPasswordMark->setVisible(auth);
    FPlainAuth->setEnabled(auth); // it only matters when there is a login
}

void TNetOptionForm::ShowSmtpPanel()
{
    FSmtp->setVisible(FTransports[1]->isChecked());
}

void TNetOptionForm::accept()
{
    if (FTransports[1]->isChecked() && FHost->text().trimmed().isEmpty()) {
        FPrompter.Warn(
            QStringLiteral("[第２ ｻｰﾊﾞｰ指定]を指定する場合は、サーバー名の入力が必要です。"));
        return;
    }
    TMailSettings settings = TMailSettings::Load(FFile);
    for (int i = 0; i < 3; ++i) {
        if (FTransports[i]->isChecked())
            settings.transport = TransportWord(TMailTransport(i));
    }
    settings.account.host = FHost->text().trimmed();
    settings.account.port = FPort->text().toInt();
    settings.account.useAuth = FAuth->isChecked();
    settings.account.allowPlainLogin = FPlainAuth->isChecked();
    settings.account.authHost = FAuthHost->text().trimmed();
    settings.account.user = FUser->text().trimmed();
    settings.account.password = FPassword->text();
    settings.identity.fromAddress = FFromAddress->text().trimmed();
    settings.identity.fromName = FFromName->text().trimmed();
    settings.identity.replyTo = FReplyTo->text().trimmed();
    settings.copies = FromCommaText(FCc->text());
    settings.pageUrl = FPageUrl->text().trimmed();
    if (!settings.Save(FFile)) {
        FPrompter.Error(QStringLiteral("設定を保存できませんでした。"));
        return;
    }
    QDialog::accept();
}

} // namespace korvatel
