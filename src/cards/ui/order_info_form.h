#pragma once

#include "cards/card_order.h"
#include "cards/card_order_store.h"
#include "platform/prompter.h"

#include <QDialog>
#include <QImage>
#include <functional>
#include <optional>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QSpinBox;

namespace korvatel
{

class TPrompter;

// The card order window "TformOrderInfo": paper, number of cards, delivery and payment with
// their fees, the customer's data with a reading in kana, an optional other recipient, the
// price display and the send button ("新規 送信", or "修正 送信" for a changed order). Every
// check and question goes through the prompter; the order is written into the card history
// and handed to SendOrder.
class TformOrderInfo : public QDialog
{
    Q_OBJECT

public:
    TformOrderInfo(TCardOrderArgs args, TPrompter &prompter, QWidget *parent = nullptr);

    // The server's order time ("yyyymmdd-hhnnsszz"); nullopt when no time server answered.
    std::function<std::optional<QString>()> OrderTime;
    // Sends a saved order; true when it reached the shop whole.
    std::function<bool(const TSavedCardOrder &order)> SendOrder;

    TCardOrderResult Result() const { return FResult; }
    QString OrderNo() const { return FOrderNo; }
    // The choices as the controls show them now.
    TCardChoices Choices() const;
    // The price lines shown.
    QStringList PriceLines() const;

    QComboBox *cbxPaper() const { return FPaper; }
    QSpinBox *edNum() const { return FNum; }
    QComboBox *cbxTrans() const { return FTrans; }
    QComboBox *cbxPay() const { return FPay; }
    QLabel *lbPayNote() const { return FPayNote; }
    QLineEdit *edKana() const { return FKana; }
    QLineEdit *edName() const { return FName; }
    QLineEdit *edZip() const { return FZip; }
    QLineEdit *edAdrs1() const { return FAdrs1; }
    QLineEdit *edMail() const { return FMail; }
    QLineEdit *edTel1() const { return FTel1; }
    QLineEdit *edTel2() const { return FTel2; }
    QCheckBox *cbOtherSend() const { return FOtherSend; }
    QLineEdit *edOtherName() const { return FOtherName; }
    QComboBox *cbxOtherPref() const { return FOtherPref; }
    QLineEdit *edOtherZip() const { return FOtherZip; }
    QPlainTextEdit *mmOtherAdrs() const { return FOtherAdrs; }
    QLineEdit *edOtherMail() const { return FOtherMail; }
    QLineEdit *edOtherTel() const { return FOtherTel; }
    QPlainTextEdit *mmSender() const { return FSender; }
    QPlainTextEdit *mmComment() const { return FComment; }
    QPlainTextEdit *mmPrice() const { return FPrice; }
    QLabel *lbTotal() const { return FTotal; }
    QPushButton *btnSend() const { return FSend; }

    // The path of OrderEX.ini this window reads and writes.
    QString ChoicesFile() const;
    // "新規 送信" / "修正 送信".
    void btnSendClick();

private:
    void BuildControls();
    void LoadChoices();
    void UpdatePrices();
    // Selects in to the partner of from's choice, if it has one.
    void Couple(const QComboBox *from, QComboBox *to);
    void TransChanged();
    void PayChanged();
    void OtherSendChanged();
    TCardOrder MakeOrder(const QString &orderNo) const;
    // The question before sending; the result mrOk/mrYes sends, mrNo looks at the history.
    TModalResult AskToSend();
    bool Send();

    TCardOrderArgs FArgs;
    TPrompter &FPrompter;
    TCardOrderResult FResult = TCardOrderResult::coClosed;
    QString FOrderNo;
    bool FCoupling = false;

    QComboBox *FPaper = nullptr;
    QSpinBox *FNum = nullptr;
    QComboBox *FTrans = nullptr;
    QComboBox *FPay = nullptr;
    QLabel *FPayNote = nullptr;
    QLineEdit *FKana = nullptr;
    QLineEdit *FName = nullptr;
    QLineEdit *FZip = nullptr;
    QLineEdit *FAdrs1 = nullptr;
    QLineEdit *FAdrs2 = nullptr;
    QLineEdit *FAdrs3 = nullptr;
    QLineEdit *FMail = nullptr;
    QLineEdit *FTel1 = nullptr;
    QLineEdit *FTel2 = nullptr;
    QCheckBox *FOtherSend = nullptr;
    QLineEdit *FOtherName = nullptr;
    QComboBox *FOtherPref = nullptr;
    QLineEdit *FOtherZip = nullptr;
    QPlainTextEdit *FOtherAdrs = nullptr;
    QLineEdit *FOtherMail = nullptr;
    QLineEdit *FOtherTel = nullptr;
    QPlainTextEdit *FSender = nullptr;
    QPlainTextEdit *FComment = nullptr;
    QPlainTextEdit *FPrice = nullptr;
    QLabel *FTotal = nullptr;
    QPushButton *FSend = nullptr;
};

} // namespace korvatel
