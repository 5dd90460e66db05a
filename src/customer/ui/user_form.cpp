#include "customer/ui/user_form.h"

#include "customer/card_payment.h"
#include "platform/prompter.h"
#include "platform/ui/busy_box.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace korvatel
{

namespace
{

QLabel *RequiredMark(QWidget *parent)
{
    auto *mark = new QLabel(QStringLiteral("*"), parent);
    mark->setStyleSheet(QStringLiteral("color: red; font-weight: bold;"));
    return mark;
}

QLabel *Note(const QString &text, QWidget *parent)
{
    auto *label = new QLabel(text, parent);
    label->setStyleSheet(QStringLiteral("color: gray;"));
    return label;
}

} // namespace

QString UserSaveFailedMessage()
{
    return QStringLiteral("ユーザーデータの保存に失敗しました。");
}

TUserForm::TUserForm(TUserRecord &user, TUserFormContext context, bool orderMode,
    TUserOrderArgs args, TPrompter &prompter, QWidget *parent)
    : QDialog(parent)
    , FUser(user)
    , FWork(user)
    , FContext(std::move(context))
    , FOrderMode(orderMode)
    , FArgs(std::move(args))
    , FPrompter(prompter)
{
    setWindowTitle(QStringLiteral("ユーザー設定"));
    auto *grid = new QGridLayout;
    grid->setColumnMinimumWidth(2, 280);
    int row = 0;
    AddAddressFields(grid, row);
    AddAcountRows(grid, row);
    AddMemberPanel();
    grid->addWidget(FMemberPanel, row++, 0, 1, 4);
    if (FContext.memberMode) {
        for (QWidget *widget : FAcountWidgets)
            widget->hide();
        FOrder << FMemberUser << FMemberPass;
    } else {
        FMemberPanel->hide();
        FOrder << FAcount << FPass;
    }
    auto *requiredNote = new QHBoxLayout;
    requiredNote->addWidget(RequiredMark(this));
    requiredNote->addWidget(new QLabel(QStringLiteral("印は必須項目です。"), this));
    requiredNote->addStretch();

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addLayout(requiredNote);
    layout->addLayout(ButtonRow());

    connect(FOK, &QPushButton::clicked, this, &TUserForm::btnOKClick);
    connect(FSave, &QPushButton::clicked, this, &TUserForm::btnSaveClick);
    connect(FCredit, &QPushButton::clicked, this, &TUserForm::btnCreditClick);
    connect(FCancel, &QPushButton::clicked, this, [this] { done(QDialog::Rejected); });
    for (QLineEdit *field : FOrder)
        field->installEventFilter(this);

    ShowFields();
    // The snapshot is taken the way the fields will be stored, so keys that the file lacks and
    // values stored before normalisation do not count as changes.
    TUserRecord probe = FWork;
    StoreFields(probe, Fields());
    FSnapshot = probe.Snapshot();
}

// The name, telephone, mail and address rows.
void TUserForm::AddAddressFields(QGridLayout *grid, int &row)
{
    const auto edit = [this, grid, &row](const QString &label, bool required, const QString &note,
                          const QString &name) {
        auto *field = new QLineEdit(this);
        field->setObjectName(name);
        grid->addWidget(new QLabel(label, this), row, 0);
        if (required)
            grid->addWidget(RequiredMark(this), row, 1);
        grid->addWidget(field, row, 2);
        if (!note.isEmpty())
            grid->addWidget(Note(note, this), row, 3);
        ++row;
        FOrder << field;
        return field;
    };
    FName = edit(QStringLiteral("お名前"), true, {}, QStringLiteral("edName"));
    FTel1 = edit(QStringLiteral("TEL"), true, {}, QStringLiteral("edTel1"));
    FTel2 = edit(QStringLiteral("TEL2"), false, QStringLiteral("第２の連絡用です"),
        QStringLiteral("edTel2"));
    FMail = edit(QStringLiteral("E-Mail(PC)"), true, QStringLiteral("受注返信ﾒｰﾙ等が届きます"),
        QStringLiteral("edMail"));
    FZip = edit(QStringLiteral("〒"), true, {}, QStringLiteral("edZip"));
    FZip->setPlaceholderText(QStringLiteral("XXX-XXXX"));
    FAdrs1
        = edit(QStringLiteral("ご住所"), true, QStringLiteral("(Adrs)"), QStringLiteral("edAdrs1"));
    FAdrs1Over = edit(QStringLiteral("(OrverLength)"), false,
        QStringLiteral("長い住所は適宜分割して下さい"), QStringLiteral("edAdrs1Over"));
    FAdrs2 = edit(QStringLiteral("住居名や会社名部署名など"), false,
        QStringLiteral("(Apartment etc.)"), QStringLiteral("edAdrs2"));
}

// The identification code and password share the grid; in member mode the member panel
// takes their place.
void TUserForm::AddAcountRows(QGridLayout *grid, int &row)
{
    FAcount = new QLineEdit(this);
    FPass = new QLineEdit(this);
    QList<QWidget *> acountRow;
    acountRow << new QLabel(QStringLiteral("識別ｺｰﾄﾞ"), this) << RequiredMark(this) << FAcount
              << Note(QStringLiteral("ご自分を識別する任意の番号 (４桁の半角数字)"), this);
    for (int column = 0; column < 4; ++column)
        grid->addWidget(acountRow.at(column), row, column);
    ++row;
    QList<QWidget *> passRow;
    passRow << new QLabel(QStringLiteral("ﾊﾟｽﾜｰﾄﾞ"), this) << RequiredMark(this) << FPass
            << Note(QStringLiteral("半角(4～10桁) で任意の数字を入力して下さい。"), this);
    for (int column = 0; column < 4; ++column)
        grid->addWidget(passRow.at(column), row, column);
    ++row;
    FAcountWidgets = acountRow + passRow;
}

// The member account panel of member mode: user, password, the note and the memo.
void TUserForm::AddMemberPanel()
{
    FMemberPanel = new QWidget(this);
    auto *memberGrid = new QGridLayout(FMemberPanel);
    memberGrid->setContentsMargins(0, 0, 0, 0);
    FMemberUser = new QLineEdit(FMemberPanel);
    FMemberPass = new QLineEdit(FMemberPanel);
    FMemberPass->setEchoMode(QLineEdit::Password);
    memberGrid->addWidget(new QLabel(QStringLiteral("USER"), FMemberPanel), 0, 0);
    memberGrid->addWidget(RequiredMark(FMemberPanel), 0, 1);
    memberGrid->addWidget(FMemberUser, 0, 2);
    memberGrid->addWidget(new QLabel(QStringLiteral("PASS"), FMemberPanel), 1, 0);
    memberGrid->addWidget(RequiredMark(FMemberPanel), 1, 1);
    memberGrid->addWidget(FMemberPass, 1, 2);
    memberGrid->addWidget(Note(QStringLiteral("会員確認用です。「QXT net」のユーザー名とパスワード"
                                              "を入力して下さい。"),
                              FMemberPanel),
        2, 0, 1, 3);
    auto *memo = new QPlainTextEdit(FMemberPanel);
    memo->setReadOnly(true);
    memo->setPlainText(QStringLiteral("1.どなたでもビュアーとして、ご使用できます。\n"
                                      "2.会員確認ができないと、ご注文はできません。\n"
                                      "3.お支払いは「QXT net」の自動引き落としとなり\n"
                                      "ます。"));
    memo->setMaximumHeight(80);
    memberGrid->addWidget(memo, 3, 0, 1, 3);
    FMemory = new QCheckBox(QStringLiteral("USERとPASSの記憶"), FMemberPanel);
    FMemory->setEnabled(false);
    memberGrid->addWidget(FMemory, 4, 0, 1, 3);
}

// The buttons under the fields; Add and Delete stay hidden.
QHBoxLayout *TUserForm::ButtonRow()
{
    FAdd = new QPushButton(QStringLiteral("追加"), this);
    FDelete = new QPushButton(QStringLiteral("削除"), this);
    FAdd->hide(); // further entries are foreseen by the file format only
    FDelete->hide();
    FSave = new QPushButton(QStringLiteral("更新(Save)"), this);
    FCredit = new QPushButton(QStringLiteral("ｸﾚｼﾞｯﾄｶｰﾄﾞ設定"), this);
    FOK = new QPushButton(
        FOrderMode ? QStringLiteral("注文(Order)") : QStringLiteral("閉(Close)"), this);
    FCancel = new QPushButton(QStringLiteral("Cancel"), this);
    FCancel->setVisible(FOrderMode);
    FOK->setAutoDefault(false);
    for (QPushButton *button : { FSave, FCredit, FCancel, FAdd, FDelete })
        button->setAutoDefault(false);
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(FCredit);
    buttons->addStretch();
    buttons->addWidget(FSave);
    buttons->addWidget(FOK);
    buttons->addWidget(FCancel);
    return buttons;
}

// The stored values in the fields, the member account in member mode.
void TUserForm::ShowFields()
{
    const TUserFields fields = FieldsOf(FWork);
    FName->setText(fields.name);
    FTel1->setText(fields.tel1);
    FTel2->setText(fields.tel2);
    FMail->setText(fields.mail);
    FZip->setText(fields.zip);
    FAdrs1->setText(fields.adrs1);
    FAdrs1Over->setText(fields.adrs1Over);
    FAdrs2->setText(fields.adrs2);
    FAcount->setText(fields.acount);
    FPass->setText(fields.pass);
    if (FContext.memberMode) {
        FStoredMember = ReadMemberAccount(FContext.memberKeyFile, FContext.shopId);
        FMemberUser->setText(FStoredMember.user);
        FMemberPass->setText(FStoredMember.pass);
    }
}

QString TUserForm::MemberUser() const
{
    return FContext.memberMode ? FMemberUser->text().trimmed() : QString();
}

TUserFields TUserForm::Fields() const
{
    return { FName->text(), FTel1->text(), FTel2->text(), FMail->text(), FZip->text(),
        FAdrs1->text(), FAdrs1Over->text(), FAdrs2->text(), FAcount->text(), FPass->text() };
}

TMemberLogin TUserForm::Member() const
{
    return { FContext.memberMode, FMemberUser->text().trimmed(), FMemberPass->text().trimmed() };
}

void TUserForm::TakeFields()
{
    StoreFields(FWork, Fields());
}

bool TUserForm::SaveAll()
{
    TakeFields();
    FUser = FWork;
    bool ok = UserDataSave(FUser, FContext.userFile, FPrompter);
    if (FContext.memberMode) {
        FStoredMember = { Member().user, Member().pass };
        ok = WriteMemberAccount(FContext.memberKeyFile, FContext.shopId, FStoredMember) && ok;
    }
    FSnapshot = FWork.Snapshot();
    return ok;
}

void TUserForm::btnOKClick()
{
    if (!FOrderMode) {
        reject(); // the close button: ask about changes
        return;
    }
    const TUserFields fields = Fields();
    if (!ValidateUser(fields, Member(), false, FPrompter))
        return;
    if (!CheckOrderDelivery(fields, FArgs, FPrompter))
        return;
    if (!SaveAll()) {
        FPrompter.Error(UserSaveFailedMessage());
        return;
    }
    if (FContext.memberMode) {
        // Asked on a job under a busy box; a cancelled check leaves the window open.
        QString error, transport;
        const TMemberAccount account { Member().user, Member().pass };
        const std::optional<bool> known
            = RunBusyFor(this, QStringLiteral("会員情報を確認しています…"), [&](TJobControl &) {
                  return CheckMemberAccount(
                      FContext.transport, FContext.memberServer, account, &error, &transport);
              });
        if (!known)
            return;
        if (!*known) {
            FPrompter.Error(error + QStringLiteral("\r\n") + transport);
            return;
        }
    }
    done(QDialog::Accepted);
}

void TUserForm::btnSaveClick()
{
    SaveAll();
}

void TUserForm::btnCreditClick()
{
    if (!FContext.offersCard || !FContext.card) {
        FPrompter.Inform(QStringLiteral("当店では、この機能は利用できません。"));
        return;
    }
    FContext.card->OpenCardSettings();
}

QString TUserForm::SnapshotText() const
{
    return FWork.Snapshot();
}

void TUserForm::reject()
{
    if (FOrderMode || FClosing) {
        QDialog::reject();
        return;
    }
    TakeFields();
    const bool changed = SnapshotText() != FSnapshot
        || (FContext.memberMode
            && TMemberAccount { Member().user, Member().pass } != FStoredMember);
    if (changed) {
        switch (FPrompter.Ask(TMsgKind::mkConfirmation,
            QStringLiteral("修正されています。登録更新しますか？"), mbYes | mbNo | mbCancel)) {
        case TModalResult::mrYes:
            SaveAll();
            break;
        case TModalResult::mrNo:
            break;
        default:
            return; // stay in the window
        }
    }
    FClosing = true;
    done(QDialog::Accepted);
}

bool TUserForm::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyPress) {
        const auto *key = static_cast<QKeyEvent *>(event);
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            MoveFocus(key->modifiers() & Qt::ShiftModifier ? -1 : 1);
            return true;
        }
        if (key->key() == Qt::Key_Up) {
            MoveFocus(-1);
            return true;
        }
        if (key->key() == Qt::Key_Down) {
            MoveFocus(1);
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TUserForm::MoveFocus(int step)
{
    const qsizetype at = FOrder.indexOf(qobject_cast<QLineEdit *>(focusWidget()));
    if (at < 0)
        return;
    const qsizetype next = (at + step + FOrder.size()) % FOrder.size();
    FOrder.at(next)->setFocus();
}

int OpenUserForm(TUserRecord &user, const TUserFormContext &context, bool orderMode,
    const TUserOrderArgs &args, bool checkOnly, TPrompter &prompter, QWidget *parent,
    QString *memberUser)
{
    const auto publish = [&](const QString &name) {
        if (memberUser)
            *memberUser = name;
    };
    if (checkOnly) {
        const TMemberAccount member = context.memberMode
            ? ReadMemberAccount(context.memberKeyFile, context.shopId)
            : TMemberAccount();
        if (ValidateUser(
                FieldsOf(user), { context.memberMode, member.user, member.pass }, true, prompter)) {
            publish(member.user);
            return QDialog::Accepted;
        }
    }
    TUserForm form(user, context, orderMode, args, prompter, parent);
    const int result = form.exec();
    publish(form.MemberUser());
    return result;
}

} // namespace korvatel
