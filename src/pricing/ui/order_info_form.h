#pragma once

#include "pricing/order_pricing.h"

#include <QDateTime>
#include <QDialog>
#include <optional>

class QComboBox;
class QGridLayout;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class QSpinBox;

namespace korvatel
{

class TPrompter;

// The priced order statement shown before an order is sent: one row per print size and unit
// price, the CD-R, phone images, basic fee, delivery fee, discounts, tax and total, the points,
// the payment-dependent fees, the payment and delivery choice, the prefecture, a comment and
// the order button. The window only shows what the pricing computes; the confirmation steps
// run through the prompter.
class TOrderInfoForm : public QDialog
{
    Q_OBJECT

public:
    TOrderInfoForm(TPricingBasket basket, const TPricingContext &context, TPrompter &prompter,
        QWidget *parent = nullptr);

    // What the customer record tells the window: the address (own-delivery area), the
    // prefecture preselected, and the points the customer may use (the entry is shown only
    // when there are any).
    void SetCustomer(const QString &address, int prefecture, double pointsAvailable);
    // The heading of the statement: the order's sequence number, the customer's name and
    // contact, and the time of the summary.
    void SetHeading(
        int sequenceNumber, const QString &name, const QString &contact, const QDateTime &when);

    const TPricedOrder &Order() const { return FOrder; }
    const TPricingChoice &Choice() const { return FChoice; }
    // The confirmed order once the window closed with OK.
    const std::optional<TConfirmedOrder> &Confirmed() const { return FConfirmed; }

    // The statement as text, one line per shown row (label, unit, count, amount), for the
    // shop's records and for tests.
    QStringList StatementLines() const;

    QComboBox *cbxPayment() const { return FPayment; }
    QComboBox *cbxDelivery() const { return FDelivery; }
    QComboBox *cbxPref() const { return FPref; }
    QSpinBox *edPoint() const { return FPoint; }
    QPlainTextEdit *mmComment() const { return FComment; }
    QPushButton *btnOrder() const { return FOrderButton; }
    QLabel *lbHeading() const { return FHeading; }
    QLabel *lbCampusNote() const { return FCampusNote; }
    QLabel *lbGrandTotal() const { return FGrandTotal; }
    QLabel *lbFee() const { return FFee; }

private:
    void cbxPaymentChange();
    void cbxDeliveryChange();
    void cbxPrefChange();
    void edPointChange();
    void btnOrderClick();

    void Reprice();
    void ShowPaymentStage();
    void AddMoneyRow(const QString &label, const QString &unit, const QString &count, double amount,
        const QString &note = {});
    void ClearStatement();

    TPricingBasket FBasket;
    TPricingContext FContext;
    TPrompter &FPrompter;
    TPricingChoice FChoice;
    TPricedOrder FOrder;
    std::optional<TConfirmedOrder> FConfirmed;

    QLabel *FHeading = nullptr;
    QLabel *FCampusNote = nullptr;
    QGridLayout *FStatement = nullptr;
    int FStatementRows = 0;
    QLabel *FPointsText = nullptr;
    QComboBox *FPayment = nullptr;
    QComboBox *FDelivery = nullptr;
    QLabel *FPrefLabel = nullptr;
    QComboBox *FPref = nullptr;
    QLabel *FPointLabel = nullptr;
    QSpinBox *FPoint = nullptr;
    QLabel *FPointUse = nullptr;
    QLabel *FRemain = nullptr;
    QLabel *FFee = nullptr;
    QLabel *FDaibiki = nullptr;
    QLabel *FGrandTotal = nullptr;
    QPlainTextEdit *FComment = nullptr;
    QPushButton *FOrderButton = nullptr;
    QPushButton *FCancelButton = nullptr;
};

} // namespace korvatel
