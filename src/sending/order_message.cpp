#include "sending/order_message.h"

#include "pricing/money.h"
#include "pricing/order_pricing.h"
#include "pricing/shop_terms.h"
#include "text/comma_text.h"
#include "text/key_file.h"
#include "text/scramble.h"

namespace korvatel
{

namespace
{

QString Money(double x)
{
    return FloatText(x);
}

QString AmountText(double x)
{
    return QString::asprintf(HasFraction(x) ? "%1.2f" : "%1.0f", x);
}

} // namespace

TOrderShop TOrderShop::FromTables(
    const QString &shopId, const QStringList &optionTable, const QStringList &orderHost)
{
    TOrderShop shop;
    shop.shopId = shopId;
    const TKeyFile options(optionTable);
    shop.name = options.Value(QStringLiteral("_SHOP_"));
    shop.tel = options.Value(QStringLiteral("_TEL_"));
    shop.address = options.Value(QStringLiteral("_ADRS_"));
    TShopTerms terms;
    terms.LoadShopTerms(optionTable);
    shop.topComments = terms.TopComments();
    shop.bottomComments = terms.BottomComments();
    shop.banks = terms.BankStrings();
    shop.creditNP = terms.CreditNP();
    shop.furikomiNP = terms.FurikomiNP();
    shop.uFuriNP = terms.UFuriNP();
    shop.combiniNP = terms.CombiniNP();
    shop.creditMacro = terms.CreditMacro();
    shop.creditMacro2 = terms.CreditMacro2();
    shop.mail = TKeyFile(orderHost).Value(QStringLiteral("OrderMail"));
    return shop;
}

TOrderFigures OrderFiguresOf(const TPricedOrder &order, const TPricingChoice &choice)
{
    TOrderFigures figures;
    figures.records = order.records;
    figures.total = order.total;
    figures.tax = order.tax;
    figures.cashOnDeliveryFee = order.cashOnDeliveryFee;
    const double fee = order.fixedFee + order.rateFee;
    if (choice.payment == ksiCredit)
        figures.creditFee = fee;
    else if (choice.payment == ksiCombini)
        figures.combiniFee = fee;
    figures.pointsUsed = order.pointsUsed;
    figures.pointsGiven = order.pointsGiven;
    figures.pointsEarned = order.pointsEarned;
    figures.printCount = order.printCount + order.campusCount;
    figures.phoneImages = order.phoneImages;
    figures.phoneAmount = order.phoneBase + order.phoneExtra;
    figures.cdDiscs = order.cdDiscs;
    figures.cdAmount = order.cdTotal;
    figures.deliveryFee = order.deliveryFee;
    figures.payment = choice.payment;
    figures.delivery = choice.delivery;
    return figures;
}

QStringList RecordTexts(const QStringList &records)
{
    QStringList texts;
    for (const QString &record : records) {
        if (record.startsWith(QLatin1String("<Msg>"))) {
            texts << record.mid(5);
            continue;
        }
        if (record.isEmpty() || record.startsWith(QLatin1String("<Memo>"))) {
            texts << record;
            continue;
        }
        const qsizetype colon = record.indexOf(u':');
        if (colon < 0)
            continue;
        const QString kind = record.left(colon);
        const QStringList fields = record.mid(colon + 1).split(u';');
        const QString name = fields.value(0);
        double price = 0, count = 0;
        for (const QString &field : fields) {
            if (field.startsWith(QLatin1String("Price:")))
                price = field.mid(6).toDouble();
            else if (field.startsWith(QLatin1String("Num:")))
                count = field.mid(4).toDouble();
        }
        if (kind == QLatin1String("Size") || kind == QLatin1String("Ktai")
            || kind == QLatin1String("Cd-r")) {
            texts << QStringLiteral("%1 : @%2 × %3 = \\%4")
                         .arg(name, AmountText(price), FloatText(count),
                             AmountText(SnapMoney(price * count)));
        } else if (kind == QLatin1String("Point")) {
            if (count != 0)
                texts << name + QString::asprintf(" : %.0f", count);
        } else if (price != 0 && !name.isEmpty()) {
            texts << name + QStringLiteral(" : \\") + AmountText(SnapMoney(price * count));
        } else if (price != 0) {
            texts << kind + QStringLiteral(" : \\") + AmountText(SnapMoney(price * count));
        }
    }
    return texts;
}

QString MessageTime(const QDateTime &when)
{
    return when.toString(QStringLiteral("yyyy/MM/dd hh:mm:ss"));
}

bool SetMessageEndTime(QStringList &lines, const QDateTime &end)
{
    for (QString &line : lines) {
        if (line.startsWith(QLatin1String("@EDT="))) {
            line = QStringLiteral("@EDT=") + MessageTime(end);
            return true;
        }
    }
    return false;
}

namespace
{

// 1. The notice, the title and the shop's top comments (or the standard thanks).
void AddMessageHead(QStringList &lines, const TOrderShop &shop)
{
    lines << QStringLiteral("※お心あたりがない場合は ") + shop.mail
            + QStringLiteral(" 宛に転送していただければ幸いです。")
          << QString() << QStringLiteral("《注文書》兼《注文控》") << QString();
    if (!shop.topComments.isEmpty()) {
        for (const QString &line : shop.topComments)
            lines << QStringLiteral("　") + line;
    } else {
        lines << QStringLiteral("ご注文ありがとうございました。以下の内容で承りました。")
              << QStringLiteral("変更等がございましたら当店にメールにてご連絡ください。");
    }
    lines << QString();
}

// 2. The customer block and the order number.
void AddCustomerBlock(QStringList &lines, const TMessageInput &input)
{
    const TOrderCustomer &customer = input.customer;
    lines << QStringLiteral("< お客様 >--------------------------------")
          << QStringLiteral("お名前 : ") + customer.name + QStringLiteral("　様")
          << QStringLiteral("お電話 : ") + customer.tel1
          << QStringLiteral("e-Mail : ") + customer.mail
          << QStringLiteral("〒番号 : ") + customer.zip
          << QStringLiteral("ご住所 : ") + customer.adrs1 + customer.adrs1Over
            + (customer.adrs2.isEmpty() ? QString() : QStringLiteral("　") + customer.adrs2)
          << QString() << QStringLiteral("注文番号=") + input.shop.shopId + u'-' + input.orderName
          << QString(42, u'-');
}

// 3. The order records, the total with the cash on delivery fee, and the counts.
void AddOrderFigures(QStringList &lines, const TMessageInput &input)
{
    const TOrderFigures &figures = input.figures;
    lines << RecordTexts(figures.records);
    lines << QString::asprintf("合計金額 : \\%.0f", figures.total);
    if (figures.cashOnDeliveryFee > 0) {
        lines << QString()
              << QStringLiteral("代引手数料 : \\") + AmountText(figures.cashOnDeliveryFee)
              << QStringLiteral("お受取時のお支払い : \\")
                + AmountText(figures.total + figures.cashOnDeliveryFee);
    }
    if (figures.payment == ksiFurikomi || figures.payment == ksiKakitome)
        lines << QStringLiteral("※送金手数料はご負担願います。");
    lines << QStringLiteral("写真総数 : ") + NumberText(figures.printCount, 0)
            + QStringLiteral("枚");
    if (figures.phoneImages > 0)
        lines << QStringLiteral("携帯画像 : ") + NumberText(figures.phoneImages, 0)
                + QStringLiteral("枚");
    if (figures.phoneImages > 0 && !input.phoneUrl.isEmpty())
        lines << QStringLiteral("携帯画像は ") + input.phoneUrl
                + QStringLiteral(" からダウンロードできます。");
}

// 4. The sentence of the payment kind.
void AddPaymentNote(QStringList &lines, int payment)
{
    switch (payment) {
    case ksiCredit:
        lines << QStringLiteral("クレジットカードでのお支払い手続きは、別途ご案内します。");
        break;
    case ksiFurikomi:
        lines << QStringLiteral("振込先は、このメールでご参照ください。");
        break;
    case ksiUFuri:
        lines << QStringLiteral("郵便振替用紙をお送りします。");
        break;
    case ksiCombini:
        lines << QStringLiteral("コンビニ払込票をお送りします。");
        break;
    case ksiKakitome:
        lines << QStringLiteral("代金は現金書留でお送りください。");
        break;
    case ksiJifuri:
        lines << QStringLiteral("お支払いは、毎月の自動引き落としに合算します。");
        break;
    default:
        break;
    }
}

// 5. The shop block and the shop's bottom comments.
void AddShopBlock(QStringList &lines, const TOrderShop &shop)
{
    lines << QString() << QStringLiteral("< 受付店 >--------------------------------")
          << QStringLiteral("店名 : ") + shop.name << QStringLiteral("Mail : ") + shop.mail
          << QStringLiteral("電話 : ") + shop.tel << QStringLiteral("住所 : ") + shop.address
          << QString();
    for (const QString &line : shop.bottomComments)
        lines << QStringLiteral("　") + line;
    lines << QString();
}

// 6. The keys the shop's receiver reads: points, amounts, fees, payment flags and times.
void AddMessageKeys(QStringList &lines, const TMessageInput &input)
{
    const TOrderShop &shop = input.shop;
    const TOrderFigures &figures = input.figures;
    lines << QString::asprintf("@UP=%.0f", figures.pointsUsed)
          << QString::asprintf("@FP=%.0f", figures.pointsGiven)
          << QString::asprintf("@AP=%.0f", figures.pointsEarned)
          << QString::asprintf("@KT=%.0f\\", double(figures.phoneImages))
            + Money(figures.phoneAmount)
          << QString::asprintf("@CD=%.0f\\", double(figures.cdDiscs)) + Money(figures.cdAmount)
          << QString::asprintf("@TR=%.0f\\", figures.deliveryFee > 0 ? 1.0 : 0.0)
            + Money(figures.deliveryFee)
          << QStringLiteral("@FE=") + Money(figures.cashOnDeliveryFee)
          << QStringLiteral("@CR=") + Money(figures.creditFee)
          << QStringLiteral("@CM=") + Money(figures.combiniFee)
          << QString::asprintf("@TX=%0.f", figures.tax);
    if (figures.payment == ksiCredit && shop.creditNP)
        lines << QStringLiteral("@CreditNP=TRUE");
    if (figures.payment == ksiFurikomi && shop.furikomiNP)
        lines << QStringLiteral("@FurikomiNP=TRUE");
    if (figures.payment == ksiUFuri && shop.uFuriNP)
        lines << QStringLiteral("@UFuriNP=TRUE");
    if (figures.payment == ksiCombini && shop.combiniNP)
        lines << QStringLiteral("@CombiniNP=TRUE");
    lines << QStringLiteral("@CreditM=") + shop.creditMacro
          << QStringLiteral("@CreditM2=") + shop.creditMacro2
          << QStringLiteral("@CreditLink=") + shop.creditLink
          << QStringLiteral("@Banks=") + ToCommaText(shop.banks)
          << QStringLiteral("@PID=") + Scramble(input.customer.acount)
          << QStringLiteral("@STT=") + MessageTime(input.start)
          << QStringLiteral("@EDT=") + MessageTime(input.end);
    if (input.askMachineId)
        lines << QStringLiteral("@MID=") + input.machineId;
}

} // namespace

QStringList OrderMessageLines(const TMessageInput &input)
{
    QStringList lines;
    AddMessageHead(lines, input.shop);
    AddCustomerBlock(lines, input);
    AddOrderFigures(lines, input);
    AddPaymentNote(lines, input.figures.payment);
    AddShopBlock(lines, input.shop);
    AddMessageKeys(lines, input);
    return lines;
}

QStringList EntryFileLines(const QStringList &messageLines, const QStringList &fileList)
{
    QStringList lines;
    for (const QString &line : messageLines) {
        if (!line.startsWith(QLatin1String("@STT=")) && !line.startsWith(QLatin1String("@EDT=")))
            lines << line;
    }
    lines << QStringLiteral("<files>") << fileList << QStringLiteral("<end>");
    return lines;
}

} // namespace korvatel
