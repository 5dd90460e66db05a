#pragma once

#include "customer/registration.h"
#include "customer/user_check.h"
#include "customer/user_record.h"

#include <QDialog>

class QCheckBox;
class QGridLayout;
class QHBoxLayout;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QWidget;

namespace korvatel
{

class TCardPayment;
class TPrompter;

// Where the customer window keeps what it edits: the customer file, and in member mode the key
// file with the member credentials and the member network's server.
struct TUserFormContext {
    QString userFile; // the workspace's "User"
    bool memberMode = false;
    QString shopId;
    QString memberKeyFile; // Win32dpp.ini in the system folder
    QString memberServer; // the member network's server (MemberURL)
    TTransportSettings transport; // of the server configuration, for the member check
    bool offersCard = false; // the shop offers card payment
    TCardPayment *card = nullptr;
};

// The customer window "ユーザー設定". In order mode the close button reads "注文(Order)" and
// validates, checks the delivery and saves before it closes with OK; a Cancel button is shown.
// Otherwise it reads "閉(Close)" and asks whether changes are to be saved. The window edits a
// working copy; the record handed in changes only when it is saved.
class TUserForm : public QDialog
{
    Q_OBJECT

public:
    TUserForm(TUserRecord &user, TUserFormContext context, bool orderMode, TUserOrderArgs args,
        TPrompter &prompter, QWidget *parent = nullptr);

    // The member user name as it stands when the window closes, for the upload.
    QString MemberUser() const;

    QLineEdit *edName() const { return FName; }
    QLineEdit *edTel1() const { return FTel1; }
    QLineEdit *edTel2() const { return FTel2; }
    QLineEdit *edMail() const { return FMail; }
    QLineEdit *edZip() const { return FZip; }
    QLineEdit *edAdrs1() const { return FAdrs1; }
    QLineEdit *edAdrs1Over() const { return FAdrs1Over; }
    QLineEdit *edAdrs2() const { return FAdrs2; }
    QLineEdit *edAcount() const { return FAcount; }
    QLineEdit *edPass() const { return FPass; }
    QLineEdit *edMemberUser() const { return FMemberUser; }
    QLineEdit *edMemberPass() const { return FMemberPass; }
    QWidget *pnMember() const { return FMemberPanel; }
    QCheckBox *cbMemory() const { return FMemory; }
    QPushButton *btnOK() const { return FOK; }
    QPushButton *btnCancel() const { return FCancel; }
    QPushButton *btnSave() const { return FSave; }
    QPushButton *btnCredit() const { return FCredit; }

    void reject() override;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void AddAddressFields(QGridLayout *grid, int &row);
    void AddAcountRows(QGridLayout *grid, int &row);
    void AddMemberPanel();
    QHBoxLayout *ButtonRow();
    void ShowFields();
    void btnOKClick();
    void btnSaveClick();
    void btnCreditClick();

    TUserFields Fields() const;
    TMemberLogin Member() const;
    void TakeFields();
    bool SaveAll();
    QString SnapshotText() const;
    void MoveFocus(int step);

    TUserRecord &FUser;
    TUserRecord FWork;
    TUserFormContext FContext;
    bool FOrderMode;
    TUserOrderArgs FArgs;
    TPrompter &FPrompter;
    QString FSnapshot;
    TMemberAccount FStoredMember;
    bool FClosing = false;

    QLineEdit *FName, *FTel1, *FTel2, *FMail, *FZip, *FAdrs1, *FAdrs1Over, *FAdrs2, *FAcount,
        *FPass, *FMemberUser, *FMemberPass;
    QList<QLineEdit *> FOrder;
    QWidget *FMemberPanel;
    QList<QWidget *> FAcountWidgets;
    QCheckBox *FMemory;
    QPushButton *FOK, *FCancel, *FSave, *FCredit, *FAdd, *FDelete;
};

// The error shown when the order button cannot store the customer's record.
QString UserSaveFailedMessage();

// Opens the customer window. With checkOnly the record is validated first (its messages shown)
// and the window is not shown when it passes. The member user name of the record afterwards goes
// to *memberUser when given. Returns QDialog::Accepted or QDialog::Rejected.
int OpenUserForm(TUserRecord &user, const TUserFormContext &context, bool orderMode,
    const TUserOrderArgs &args, bool checkOnly, TPrompter &prompter, QWidget *parent = nullptr,
    QString *memberUser = nullptr);

} // namespace korvatel
