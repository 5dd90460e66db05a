#pragma once

#include "mobile/mail/mail_settings.h"

#include <QDialog>

class QComboBox;
class QPushButton;

namespace korvatel
{

class TPrompter;

// "携帯画像アップロード通知メール / 設定": the phone addresses to notify (MailList.ini). Opened to
// ask (the buttons read "実行" and "戻る") OK checks the address, makes it current, puts a new
// one at the top and saves the list; opened for settings they read "閉じる" and "キャンセル".
class TKeitaiAdrsForm : public QDialog
{
    Q_OBJECT

public:
    TKeitaiAdrsForm(
        const QString &listFile, bool ask, TPrompter &prompter, QWidget *parent = nullptr);

    QComboBox *cbxAddress() const { return FAddress; }
    QPushButton *btnAdd() const { return FAdd; }
    QPushButton *btnDelete() const { return FDelete; }
    QPushButton *btnOk() const { return FOk; }
    QPushButton *btnCancel() const { return FCancel; }
    // The chosen address after OK.
    QString Address() const { return FChosen; }

    void accept() override;

private:
    void btnAddClick();
    void btnDeleteClick();
    void FillCombo(const QString &text);

    QString FListFile;
    bool FAsk;
    TPrompter &FPrompter;
    TMailList FList;
    QString FChosen;
    QComboBox *FAddress;
    QPushButton *FAdd;
    QPushButton *FDelete;
    QPushButton *FOk;
    QPushButton *FCancel;
};

} // namespace korvatel
