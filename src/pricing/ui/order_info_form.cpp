#include "pricing/ui/order_info_form.h"

#include "platform/prompter.h"
#include "pricing/money.h"
#include "pricing/price_tables.h"
#include "pricing/shop_terms.h"

#include <QComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace korvatel
{

namespace
{

// Unit prices: "%.0n ×", or "%1.2n ×" with a fraction.
QString UnitText(double price)
{
    return NumberText(price, HasFraction(price) ? 2 : 0) + QStringLiteral(" ×");
}

QString CountText(int count)
{
    return QStringLiteral("%1 ＝").arg(count);
}

QString WholeText(double amount)
{
    const TMoneyParts parts = SplitMoney(amount);
    QString text = NumberText(parts.whole, 0);
    if (amount < 0 && parts.whole == 0 && parts.hasFraction)
        text = u'-' + text;
    return text;
}

QString CentsText(double amount)
{
    const TMoneyParts parts = SplitMoney(amount);
    return parts.hasFraction ? QStringLiteral("%1").arg(parts.cents, 2, 10, QLatin1Char('0'))
                             : QString();
}

// The shop's texts write the yen sign as "\", the byte that Japanese Windows fonts draw as a
// yen sign; on this screen it is shown as one.
QString OnScreen(const QString &text)
{
    return QString(text).replace(u'\\', u'\u00A5');
}

QLabel *RightLabel(const QString &text, QWidget *parent)
{
    auto *label = new QLabel(text, parent);
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return label;
}

} // namespace

TOrderInfoForm::TOrderInfoForm(
    TPricingBasket basket, const TPricingContext &context, TPrompter &prompter, QWidget *parent)
    : QDialog(parent)
    , FBasket(std::move(basket))
    , FContext(context)
    , FPrompter(prompter)
{
    setWindowTitle(QStringLiteral("ご注文内容の確認"));
    auto *layout = new QVBoxLayout(this);

    FHeading = new QLabel(this);
    layout->addWidget(FHeading);

    for (const QString &line : FContext.terms.TopComments())
        layout->addWidget(new QLabel(OnScreen(line), this));

    FCampusNote = new QLabel(this);
    FCampusNote->setStyleSheet(QStringLiteral("color: red"));
    layout->addWidget(FCampusNote);

    auto *statement = new QWidget(this);
    FStatement = new QGridLayout(statement);
    FStatement->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(statement);

    FPointsText = new QLabel(this);
    layout->addWidget(FPointsText);

    auto *choices = new QFormLayout;
    FPayment = new QComboBox(this);
    for (int kind : FContext.terms.PaymentKinds())
        FPayment->addItem(FContext.terms.PaymentDisplayName(kind), kind);
    choices->addRow(QStringLiteral("決済方法"), FPayment);
    FDelivery = new QComboBox(this);
    for (int kind : FContext.terms.DeliveryKinds())
        FDelivery->addItem(DeliveryKindName(kind), kind);
    choices->addRow(QStringLiteral("受取方法"), FDelivery);
    FPref = new QComboBox(this);
    FPref->addItem(QString(), 0);
    for (int number = 1; number <= kPrefectureCount; ++number)
        FPref->addItem(PrefectureName(number), number);
    FPrefLabel = new QLabel(QStringLiteral("県名"), this);
    choices->addRow(FPrefLabel, FPref);
    FPoint = new QSpinBox(this);
    FPoint->setRange(0, 0);
    FPointLabel = new QLabel(QStringLiteral("使用ﾎﾟｲﾝﾄ"), this);
    choices->addRow(FPointLabel, FPoint);
    layout->addLayout(choices);

    auto *stage = new QGridLayout;
    FPointUse = RightLabel(QString(), this);
    FRemain = RightLabel(QString(), this);
    FFee = new QLabel(this);
    FDaibiki = new QLabel(this);
    FGrandTotal = RightLabel(QString(), this);
    stage->addWidget(FPointUse, 0, 0, 1, 2);
    stage->addWidget(FRemain, 1, 0, 1, 2);
    stage->addWidget(FFee, 2, 0, 1, 2);
    stage->addWidget(FDaibiki, 3, 0, 1, 2);
    stage->addWidget(FGrandTotal, 4, 0, 1, 2);
    layout->addLayout(stage);

    layout->addWidget(new QLabel(QStringLiteral("ご要望・ご連絡"), this));
    FComment = new QPlainTextEdit(this);
    FComment->setMaximumHeight(70);
    layout->addWidget(FComment);

    for (const QString &line : FContext.terms.BottomComments())
        layout->addWidget(new QLabel(OnScreen(line), this));

    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    FOrderButton = new QPushButton(this);
    FCancelButton = new QPushButton(QStringLiteral("戻る"), this);
    buttons->addWidget(FOrderButton);
    buttons->addWidget(FCancelButton);
    layout->addLayout(buttons);

    connect(FPayment, &QComboBox::currentIndexChanged, this, &TOrderInfoForm::cbxPaymentChange);
    connect(FDelivery, &QComboBox::currentIndexChanged, this, &TOrderInfoForm::cbxDeliveryChange);
    connect(FPref, &QComboBox::currentIndexChanged, this, &TOrderInfoForm::cbxPrefChange);
    connect(FPoint, &QSpinBox::valueChanged, this, &TOrderInfoForm::edPointChange);
    connect(FOrderButton, &QPushButton::clicked, this, &TOrderInfoForm::btnOrderClick);
    connect(FCancelButton, &QPushButton::clicked, this, &QDialog::reject);

    FChoice.payment = FPayment->currentData().isValid() ? FPayment->currentData().toInt() : -1;
    FChoice.delivery = FDelivery->currentData().isValid() ? FDelivery->currentData().toInt() : -1;
    Reprice();
}

void TOrderInfoForm::SetHeading(
    int sequenceNumber, const QString &name, const QString &contact, const QDateTime &when)
{
    QStringList parts { QStringLiteral("No.%1").arg(sequenceNumber) };
    for (const QString &text : { name, contact }) {
        if (!text.isEmpty())
            parts << text;
    }
    parts << when.toString(QStringLiteral("yyyy/MM/dd hh:mm"));
    FHeading->setText(parts.join(QStringLiteral("  ")));
}

void TOrderInfoForm::SetCustomer(const QString &address, int prefecture, double pointsAvailable)
{
    FChoice.address = address;
    FChoice.pointsAvailable = std::max(0.0, pointsAvailable);
    FChoice.pointsShown = FChoice.pointsAvailable > 0;
    {
        const QSignalBlocker block(FPoint);
        FPoint->setRange(0, int(std::min(FChoice.pointsAvailable, 1e9)));
        FPoint->setValue(0);
    }
    const int index = FPref->findData(prefecture);
    {
        const QSignalBlocker block(FPref);
        FPref->setCurrentIndex(index < 0 ? 0 : index);
    }
    FChoice.prefecture = FPref->currentData().toInt();
    Reprice();
}

void TOrderInfoForm::cbxPaymentChange()
{
    FChoice.payment = FPayment->currentData().isValid() ? FPayment->currentData().toInt() : -1;
    ApplyPaymentStage(FOrder, FContext, FChoice);
    ShowPaymentStage();
}

void TOrderInfoForm::cbxDeliveryChange()
{
    FChoice.delivery = FDelivery->currentData().isValid() ? FDelivery->currentData().toInt() : -1;
    Reprice();
}

void TOrderInfoForm::cbxPrefChange()
{
    FChoice.prefecture = FPref->currentData().toInt();
    Reprice();
}

void TOrderInfoForm::edPointChange()
{
    FChoice.pointsUsed = FPoint->value();
    ApplyPaymentStage(FOrder, FContext, FChoice);
    ShowPaymentStage();
}

void TOrderInfoForm::btnOrderClick()
{
    TOrderConfirmation confirmation;
    confirmation.prefectureShown = !FPref->isHidden();
    confirmation.prefectureText = FPref->currentText();
    confirmation.comment = FComment->toPlainText();
    FConfirmed = ConfirmOrder(FPrompter, FOrder, FContext, FChoice, confirmation);
    if (FConfirmed)
        accept();
}

void TOrderInfoForm::ClearStatement()
{
    while (QLayoutItem *item = FStatement->takeAt(0)) {
        delete item->widget();
        delete item;
    }
    FStatementRows = 0;
}

void TOrderInfoForm::AddMoneyRow(const QString &label, const QString &unit, const QString &count,
    double amount, const QString &note)
{
    QWidget *owner = FStatement->parentWidget();
    const int row = FStatementRows++;
    FStatement->addWidget(new QLabel(OnScreen(label), owner), row, 0);
    FStatement->addWidget(new QLabel(OnScreen(note), owner), row, 1);
    FStatement->addWidget(RightLabel(unit, owner), row, 2);
    FStatement->addWidget(RightLabel(count, owner), row, 3);
    FStatement->addWidget(RightLabel(WholeText(amount), owner), row, 4);
    auto *cents = new QLabel(CentsText(amount), owner);
    QFont small = cents->font();
    small.setPointSizeF(small.pointSizeF() * 0.75);
    cents->setFont(small);
    FStatement->addWidget(cents, row, 5);
    // Children added to a window that is already shown stay hidden until shown themselves.
    for (int column = 0; column < 6; ++column)
        FStatement->itemAtPosition(row, column)->widget()->show();
}

void TOrderInfoForm::Reprice()
{
    FOrder = PriceOrder(FBasket, FContext, FChoice);

    FCampusNote->setText(OnScreen(FOrder.campusNote));
    FCampusNote->setVisible(FOrder.campusNoteShown);
    ClearStatement();
    for (const TStatementRow &row : FOrder.rows) {
        AddMoneyRow(row.label, row.hasUnit ? UnitText(row.unitPrice) : QString(),
            row.hasUnit ? CountText(row.count) : QString(), row.amount, row.note);
    }
    FPointsText->setText(OnScreen(FOrder.pointsText));
    FPointsText->setVisible(!FOrder.pointsText.isEmpty());

    // The prefecture matters for home delivery; the points entry only with points to use.
    const bool prefShown = FChoice.delivery == hsoTakuhaibin;
    FPref->setVisible(prefShown);
    FPrefLabel->setVisible(prefShown);
    FPoint->setVisible(FChoice.pointsShown);
    FPointLabel->setVisible(FChoice.pointsShown);
    ShowPaymentStage();
}

void TOrderInfoForm::ShowPaymentStage()
{
    FPointUse->setVisible(FChoice.pointsShown);
    FPointUse->setText(QStringLiteral("使用ﾎﾟｲﾝﾄ %1").arg(NumberText(-FOrder.pointsUsed, 0)));
    FRemain->setVisible(FChoice.pointsShown);
    FRemain->setText(QStringLiteral("差引 %1").arg(OnScreen(CurrencyText(FOrder.remaining))));
    const double fee = FOrder.fixedFee + FOrder.rateFee;
    FFee->setVisible(!FOrder.feeLabel.isEmpty());
    FFee->setText(FOrder.feeLabel + QStringLiteral("  ") + NumberText(fee, 0));
    FDaibiki->setVisible(FChoice.payment == ksiDaibiki);
    FDaibiki->setText(QStringLiteral("代引手数料  ") + NumberText(FOrder.cashOnDeliveryFee, 0));
    FGrandTotal->setText(
        QStringLiteral("お支払い合計 %1").arg(OnScreen(CurrencyText(FOrder.grandTotal))));
    FOrderButton->setText(FOrder.buttonCaption);
    FOrderButton->setEnabled(FOrder.buttonEnabled);
    FOrderButton->setVisible(FOrder.buttonVisible);
}

QStringList TOrderInfoForm::StatementLines() const
{
    QStringList lines;
    for (int row = 0; row < FStatementRows; ++row) {
        QStringList cells;
        for (int column = 0; column < 6; ++column) {
            QLayoutItem *item = FStatement->itemAtPosition(row, column);
            auto *label = item ? qobject_cast<QLabel *>(item->widget()) : nullptr;
            if (label && !label->isHidden() && !label->text().isEmpty())
                cells.append(label->text());
        }
        lines.append(cells.join(u' '));
    }
    return lines;
}

} // namespace korvatel
