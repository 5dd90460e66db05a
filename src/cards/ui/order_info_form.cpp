#include "cards/ui/order_info_form.h"

#include "cards/card_history.h"
#include "cards/pre_order.h"
#include "customer/user_record.h"
#include "platform/prompter.h"
#include "platform/ui/window_fit.h"
#include "pricing/money.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QSpinBox>
#include <QVBoxLayout>

namespace korvatel
{

namespace
{

QString ChoiceName(const QComboBox *box)
{
    return box->currentIndex() < 0 ? QString() : box->currentData().toString();
}

QStringList TextLines(const QPlainTextEdit *memo)
{
    const QString text = memo->toPlainText();
    return text.isEmpty() ? QStringList() : text.split(u'\n');
}

void SelectByName(QComboBox *box, const QString &name)
{
    const int index = box->findData(name);
    if (index >= 0)
        box->setCurrentIndex(index);
}

// A line edit named name in a row of form.
QLineEdit *AddEdit(
    QFormLayout *form, QWidget *owner, const QString &label, const QString &text, const char *name)
{
    auto *line = new QLineEdit(text, owner);
    line->setObjectName(QLatin1String(name));
    form->addRow(label, line);
    return line;
}

} // namespace

TformOrderInfo::TformOrderInfo(TCardOrderArgs args, TPrompter &prompter, QWidget *parent)
    : QDialog(parent)
    , FArgs(std::move(args))
    , FPrompter(prompter)
{
    setObjectName(QStringLiteral("formOrderInfo"));
    setWindowTitle(QStringLiteral("カードのご注文 - ") + FArgs.desc.title);
    BuildControls();
    LoadChoices();
    UpdatePrices();
    FitToScreen(*this);
}

void TformOrderInfo::BuildControls()
{
    auto *layout = new QHBoxLayout(this);
    // The order and address boxes scroll on a small screen; the send side keeps its buttons.
    auto *body = new QWidget;
    auto *left = new QVBoxLayout(body);
    left->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(ScrollBody(body, this), 1);
    BuildOrderBox(left);
    BuildCustomerBox(left);
    BuildOtherBox(left);
    auto *right = new QVBoxLayout;
    layout->addLayout(right, 1);
    BuildSendSide(right);

    connect(FPaper, &QComboBox::currentIndexChanged, this, [this] { UpdatePrices(); });
    connect(FNum, &QSpinBox::valueChanged, this, [this] { UpdatePrices(); });
    connect(FTrans, &QComboBox::currentIndexChanged, this, [this] { TransChanged(); });
    connect(FPay, &QComboBox::currentIndexChanged, this, [this] { PayChanged(); });
    connect(FOtherSend, &QCheckBox::toggled, this, [this] { OtherSendChanged(); });
    connect(FOtherPref, &QComboBox::currentIndexChanged, this, [this] { UpdatePrices(); });
    connect(FAdrs1, &QLineEdit::textChanged, this, [this] { UpdatePrices(); });
}

void TformOrderInfo::BuildOrderBox(QVBoxLayout *left)
{
    auto *order = new QGroupBox(QStringLiteral("ご注文内容"), this);
    auto *orderForm = new QFormLayout(order);
    FPaper = new QComboBox(order);
    for (const TCardPaper &paper : FArgs.prices.papers)
        FPaper->addItem(paper.name, paper.name);
    orderForm->addRow(QStringLiteral("用紙"), FPaper);
    FNum = new QSpinBox(order);
    FNum->setRange(0, 9999);
    FNum->setSuffix(QStringLiteral(" 枚"));
    orderForm->addRow(QStringLiteral("数量"), FNum);
    FTrans = new QComboBox(order);
    for (const TCardFeeChoice &d : FArgs.prices.deliveries)
        FTrans->addItem(d.name + FeeText(d), d.name);
    orderForm->addRow(QStringLiteral("受取方法"), FTrans);
    FPay = new QComboBox(order);
    for (const TCardFeeChoice &p : FArgs.prices.payments)
        FPay->addItem(p.name + FeeText(p), p.name);
    orderForm->addRow(QStringLiteral("支払方法"), FPay);
    FPayNote = new QLabel(order);
    orderForm->addRow(QString(), FPayNote);
    left->addWidget(order);
}

void TformOrderInfo::BuildCustomerBox(QVBoxLayout *left)
{
    auto *customer = new QGroupBox(QStringLiteral("お客様"), this);
    auto *form = new QFormLayout(customer);
    FKana = AddEdit(form, customer, QStringLiteral("フリガナ"), {}, "edKana");
    FName = AddEdit(form, customer, QStringLiteral("お名前"), FArgs.name, "edName");
    FZip = AddEdit(form, customer, QStringLiteral("〒番号"), FArgs.zip, "edZip");
    FAdrs1 = AddEdit(form, customer, QStringLiteral("住所"), FArgs.adrs1, "edAdrs1");
    FAdrs2 = AddEdit(form, customer, QStringLiteral("住所(続き)"), FArgs.adrs1Over, "edAdrs2");
    FAdrs3 = AddEdit(form, customer, QStringLiteral("建物名"), FArgs.adrs2, "edAdrs3");
    FMail = AddEdit(form, customer, QStringLiteral("MAIL"), FArgs.mail, "edMail");
    FTel1 = AddEdit(form, customer, QStringLiteral("TEL1"), FArgs.tel1, "edTel1");
    FTel2 = AddEdit(form, customer, QStringLiteral("TEL2"), FArgs.tel2, "edTel2");
    left->addWidget(customer);
}

void TformOrderInfo::BuildOtherBox(QVBoxLayout *left)
{
    auto *other = new QGroupBox(QStringLiteral("お届け先"), this);
    auto *form = new QFormLayout(other);
    FOtherSend = new QCheckBox(QStringLiteral("ご自宅以外へお届け"), other);
    form->addRow(FOtherSend);
    FOtherName = AddEdit(form, other, QStringLiteral("お名前"), {}, "edOtherName");
    FOtherPref = new QComboBox(other);
    FOtherPref->addItem(QString(), -1);
    for (int pref = 1; pref <= 47; ++pref)
        FOtherPref->addItem(PrefectureTableEntry(pref - 1), pref);
    form->addRow(QStringLiteral("都道府県"), FOtherPref);
    FOtherZip = AddEdit(form, other, QStringLiteral("〒番号"), {}, "edOtherZip");
    FOtherAdrs = new QPlainTextEdit(other);
    FOtherAdrs->setMaximumHeight(50);
    form->addRow(QStringLiteral("ご住所"), FOtherAdrs);
    FOtherMail = AddEdit(form, other, QStringLiteral("Mail"), {}, "edOtherMail");
    FOtherTel = AddEdit(form, other, QStringLiteral("Tel"), {}, "edOtherTel");
    left->addWidget(other);
}

void TformOrderInfo::BuildSendSide(QVBoxLayout *right)
{
    right->addWidget(new QLabel(QStringLiteral("差出人"), this));
    FSender = new QPlainTextEdit(FArgs.senderLines.join(u'\n'), this);
    FSender->setMaximumHeight(70);
    right->addWidget(FSender);
    right->addWidget(new QLabel(QStringLiteral("コメント"), this));
    FComment = new QPlainTextEdit(FArgs.lastComment.join(u'\n'), this);
    FComment->setPlaceholderText(LastCommentHint());
    FComment->setMaximumHeight(70);
    right->addWidget(FComment);
    FPrice = new QPlainTextEdit(this);
    FPrice->setReadOnly(true);
    right->addWidget(FPrice, 1);
    FTotal = new QLabel(this);
    right->addWidget(FTotal);
    FSend = new QPushButton(
        FArgs.changeOrderNo.isEmpty() ? QStringLiteral("新規 送信") : QStringLiteral("修正 送信"),
        this);
    FSend->setObjectName(QStringLiteral("btnSend"));
    FSend->setDefault(true);
    auto *close = new QPushButton(QStringLiteral("閉じる"), this);
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(FSend);
    buttons->addWidget(close);
    right->addLayout(buttons);
    connect(FSend, &QPushButton::clicked, this, [this] { btnSendClick(); });
    connect(close, &QPushButton::clicked, this, &QDialog::reject);
}

QString TformOrderInfo::ChoicesFile() const
{
    const QString folder = FArgs.changeOrderNo.isEmpty()
        ? FArgs.postCardFolder
        : CardOrderFolder(FArgs.postCardFolder, FArgs.changeOrderNo);
    return QDir(folder).filePath(QStringLiteral("OrderEX.ini"));
}

void TformOrderInfo::LoadChoices()
{
    const TCardChoices c = ReadCardChoices(ChoicesFile());
    FNum->setValue(c.num);
    if (c.paperNdx < FPaper->count())
        FPaper->setCurrentIndex(c.paperNdx);
    SelectByName(FTrans, c.transStr);
    SelectByName(FPay, c.payStr);
    FKana->setText(c.kanaName);
    FOtherSend->setChecked(c.otherSend);
    FOtherPref->setCurrentIndex(std::max(0, FOtherPref->findData(c.otherPref)));
    FOtherName->setText(c.otherName);
    FOtherZip->setText(c.otherZip);
    FOtherAdrs->setPlainText(c.otherAdrs);
    FOtherMail->setText(c.otherMail);
    FOtherTel->setText(c.otherTel);
    OtherSendChanged();
}

TCardChoices TformOrderInfo::Choices() const
{
    TCardChoices c;
    c.num = FNum->value();
    c.paperNdx = std::max(0, FPaper->currentIndex());
    c.transStr = ChoiceName(FTrans);
    c.payStr = ChoiceName(FPay);
    c.kanaName = FKana->text();
    c.otherSend = FOtherSend->isChecked();
    c.otherPref = FOtherPref->currentData().toInt();
    c.otherName = FOtherName->text();
    c.otherZip = FOtherZip->text();
    c.otherAdrs = FOtherAdrs->toPlainText();
    c.otherMail = FOtherMail->text();
    c.otherTel = FOtherTel->text();
    return c;
}

void TformOrderInfo::Couple(const QComboBox *from, QComboBox *to)
{
    // "宅配(代引)" and "代引(宅配)" go together.
    if (FCoupling)
        return;
    FCoupling = true;
    const QString partner = CoupledChoice(ChoiceName(from));
    if (!partner.isEmpty())
        SelectByName(to, partner);
    FCoupling = false;
}

void TformOrderInfo::TransChanged()
{
    Couple(FTrans, FPay);
    UpdatePrices();
}

void TformOrderInfo::PayChanged()
{
    Couple(FPay, FTrans);
    FPayNote->setText(PaymentNote(FArgs.prices, ChoiceName(FPay)));
    UpdatePrices();
}

void TformOrderInfo::OtherSendChanged()
{
    const bool on = FOtherSend->isChecked();
    for (QWidget *w : std::initializer_list<QWidget *> {
             FOtherName, FOtherPref, FOtherZip, FOtherAdrs, FOtherMail, FOtherTel })
        w->setEnabled(on);
    UpdatePrices();
}

QStringList TformOrderInfo::PriceLines() const
{
    return FPrice->toPlainText().split(u'\n');
}

void TformOrderInfo::UpdatePrices()
{
    const TCardChoices c = Choices();
    const TCardPrice price = PriceCardOrder(FArgs.prices, c, AddressPrefecture(FAdrs1->text()));
    QStringList lines;
    if (c.paperNdx < FArgs.prices.papers.size()) {
        const TCardPaper &paper = FArgs.prices.papers[c.paperNdx];
        lines << QStringLiteral("はがき ") + paper.name << PaperStepLines(paper);
    }
    lines << QString() << QStringLiteral("%1 x").arg(CurrencyText(price.unitPrice))
          << QStringLiteral("%1 =").arg(c.num) << CurrencyText(price.cost);
    lines << QStringLiteral("基本料金 ") + CurrencyText(price.chargeCost);
    lines << QStringLiteral("送料 ") + CurrencyText(price.transFee);
    if (!FArgs.prices.discountName.isEmpty() && price.transDef > price.transFee)
        lines << QStringLiteral("適用⇒") + FArgs.prices.discountName;
    lines << QStringLiteral("手数料 ")
            + (price.payFee > 0 ? CurrencyText(price.payFee) : QStringLiteral("なし"));
    FPrice->setPlainText(lines.join(u'\n'));
    FTotal->setText(QStringLiteral("合計 ") + CurrencyText(price.total));
}

TCardOrder TformOrderInfo::MakeOrder(const QString &orderNo) const
{
    TCardOrder o;
    o.shopId = FArgs.shopId;
    o.shopName = FArgs.shopName;
    o.orderNo = orderNo;
    o.name = FName->text().trimmed();
    o.kana = FKana->text().trimmed();
    o.zip = FZip->text().trimmed();
    o.adrs1 = FAdrs1->text().trimmed();
    o.adrs2 = FAdrs2->text().trimmed();
    o.adrs3 = FAdrs3->text().trimmed();
    o.tel = FTel1->text().trimmed();
    o.mail = FMail->text().trimmed();
    o.hTel = FTel2->text().trimmed();
    o.cardName = FArgs.plateFile;
    o.thumb = QLatin1String(kCardPicture);
    o.choices = Choices();
    o.price = PriceCardOrder(FArgs.prices, o.choices, AddressPrefecture(o.adrs1));
    o.otherPrefName = PrefectureTableEntry(o.choices.otherPref - 1);
    o.pictures = FArgs.pictures;
    o.cardTextLines = FArgs.cardTextLines;
    o.senderLines = TextLines(FSender);
    o.lastComment = TextLines(FComment);
    o.layoutLines = FArgs.layoutLines;
    return o;
}

TModalResult TformOrderInfo::AskToSend()
{
    if (!FArgs.changeOrderNo.isEmpty())
        return FPrompter.Ask(TMsgKind::mkConfirmation, ChangeQuestion(), mbOK | mbCancel);
    const QList<TCardHistEntry> history = ListCardHistory(FArgs.postCardFolder, FArgs.shopId);
    const int times = TemplateOrderCount(history, FArgs.plateFile);
    if (times > 0) {
        return FPrompter.Ask(
            TMsgKind::mkConfirmation, RepeatTemplateQuestion(times), mbYes | mbNo | mbCancel);
    }
    if (!history.isEmpty()) {
        return FPrompter.Ask(TMsgKind::mkConfirmation, RepeatCustomerQuestion(int(history.size())),
            mbYes | mbNo | mbCancel);
    }
    return FPrompter.Ask(TMsgKind::mkConfirmation, FirstOrderQuestion(), mbOK | mbCancel);
}

bool TformOrderInfo::Send()
{
    // A send that failed left the order in the history under its number: sending again goes
    // under the same number, never as a second order.
    QString orderNo = FArgs.changeOrderNo.isEmpty() ? FOrderNo : FArgs.changeOrderNo;
    if (orderNo.isEmpty()) {
        const std::optional<QString> time = OrderTime ? OrderTime() : std::nullopt;
        if (!time) {
            FPrompter.Error(QStringLiteral("タイムサーバの接続に失敗しました。"));
            return false;
        }
        orderNo = CardOrderNumber(FArgs.shopId, *time, FTel1->text(), FArgs.acount);
    }
    const std::optional<TSavedCardOrder> saved = SaveCardOrder(
        FArgs.postCardFolder, MakeOrder(orderNo), FArgs.card, !FArgs.changeOrderNo.isEmpty());
    if (!saved) {
        FPrompter.Error(QStringLiteral("注文ファイルを書き込めませんでした。"));
        return false;
    }
    FOrderNo = orderNo;
    return SendOrder && SendOrder(*saved);
}

void TformOrderInfo::btnSendClick()
{
    const TCardChoices choices = Choices();
    WriteCardChoices(ChoicesFile(), choices, !FArgs.changeOrderNo.isEmpty(), true);
    TCardCheckInput check;
    check.pictures = FArgs.pictures;
    check.templatePictures = FArgs.desc.userPictures;
    check.senderLines = TextLines(FSender);
    check.choices = choices;
    check.prices = &FArgs.prices;
    check.name = FName->text();
    check.kana = FKana->text();
    check.zip = FZip->text();
    check.adrs1 = FAdrs1->text();
    check.mail = FMail->text();
    check.tel1 = FTel1->text();
    check.tel2 = FTel2->text();
    const QString message = CheckCardOrder(check);
    if (!message.isEmpty()) {
        FPrompter.Warn(message);
        return;
    }
    hide();
    const TModalResult answer = AskToSend();
    if (answer == TModalResult::mrNo) {
        FResult = TCardOrderResult::coLookAtHistory;
        done(QDialog::Rejected);
        return;
    }
    if ((answer == TModalResult::mrOk || answer == TModalResult::mrYes) && Send()) {
        FPrompter.Inform(SentText());
        FResult = TCardOrderResult::coSent;
        done(QDialog::Accepted);
        return;
    }
    show();
}

} // namespace korvatel
