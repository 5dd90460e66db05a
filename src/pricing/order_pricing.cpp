#include "pricing/order_pricing.h"

#include "platform/prompter.h"
#include "pricing/money.h"
#include "pricing/price_tables.h"
#include "pricing/shop_terms.h"
#include "text/numbers.h"
#include "text/sjis_file.h"

#include <algorithm>
#include <climits>
#include <cmath>

namespace korvatel
{

namespace
{

// No order needs more discs than this; the cap keeps a damaged size from looping for long.
constexpr double kMaxDiscs = 10000;
constexpr double kMegabyte = 1048576.0;

const QLatin1String kPointSlot("Point:");
const QLatin1String kCreditSlot("CrdtFee:");
const QLatin1String kCombiniSlot("CmbnFee:");
const QLatin1String kDaibikiSlot("Daibiki:");

// The unit price as the print lines write it: seven decimals.
QString PriceText7(double price)
{
    return QString::number(price, 'f', 7);
}

// A whole count from text; nullopt when it is not a non-negative whole number.
std::optional<int> CountOf(const QString &text)
{
    const double value = ParseNumber(text, -1);
    if (!(value >= 0) || value > 1e9 || value != std::trunc(value))
        return std::nullopt;
    return int(value);
}

// "%1.0f", or "%1.2f" when the amount has a fraction.
QString FixedText(double x)
{
    return QString::number(SnapMoney(x), 'f', HasFraction(x) ? 2 : 0);
}

QString PercentText(double rate)
{
    return FloatText(SnapMoney(rate * 100));
}

// Counts add up without overflowing: a damaged basket saturates instead.
int AddCount(int a, int b)
{
    return int(std::clamp<qint64>(qint64(a) + b, INT_MIN, INT_MAX));
}

void AddRow(TPricedOrder &order, TStatementRow::TKind kind, const QString &label, double amount,
    const QString &note = {})
{
    TStatementRow row;
    row.kind = kind;
    row.label = label;
    row.amount = amount;
    row.note = note;
    order.rows.append(row);
}

// A row with unit price and count columns.
void AddUnitRow(TPricedOrder &order, TStatementRow::TKind kind, const QString &label,
    double unitPrice, int count, double amount)
{
    AddRow(order, kind, label, amount);
    order.rows.last().hasUnit = true;
    order.rows.last().unitPrice = unitPrice;
    order.rows.last().count = count;
}

} // namespace

QList<TPrintLine> MakePrintLines(
    const QList<TBasketPhoto> &photos, const TPriceTables &tables, bool orderMakesCd)
{
    QList<TPrintLine> lines;
    for (const TBasketPhoto &photo : photos) {
        if (photo.count <= 0 || photo.size.isEmpty())
            continue;
        const int kind = orderMakesCd ? prcJustify : photo.fromShopCd ? prcRepeat : prcNormal;
        const double price = tables.UnitPrice(kind, photo.size);
        auto same = std::find_if(lines.begin(), lines.end(), [&](const TPrintLine &line) {
            return line.size == photo.size && PriceText7(line.unitPrice) == PriceText7(price);
        });
        if (same == lines.end())
            lines.append({ photo.size, price, photo.count });
        else
            same->count = AddCount(same->count, photo.count);
    }
    return lines;
}

QString PrintLineText(const TPrintLine &line)
{
    return QStringLiteral("%1;%2=%3").arg(line.size, PriceText7(line.unitPrice)).arg(line.count);
}

std::optional<TPrintLine> ParsePrintLine(const QString &text)
{
    const qsizetype eq = text.lastIndexOf(u'=');
    if (eq < 0)
        return std::nullopt;
    const QString head = text.left(eq);
    const qsizetype semi = head.lastIndexOf(u';');
    if (semi <= 0)
        return std::nullopt;
    const std::optional<int> count = CountOf(text.mid(eq + 1));
    if (!count)
        return std::nullopt;
    return TPrintLine { head.left(semi), ParseNumber(head.mid(semi + 1), 0), *count };
}

QString CampusLineText(const TCampusLine &line)
{
    return QStringLiteral("%1;;%2;;%3;;=%4")
        .arg(line.album, line.size, PriceText7(line.unitPrice))
        .arg(line.count);
}

std::optional<TCampusLine> ParseCampusLine(const QString &text)
{
    const qsizetype eq = text.lastIndexOf(QLatin1String(";;="));
    if (eq < 0)
        return std::nullopt;
    const QStringList parts = text.left(eq).split(QLatin1String(";;"));
    if (parts.size() < 3)
        return std::nullopt;
    const std::optional<int> count = CountOf(text.mid(eq + 3));
    if (!count)
        return std::nullopt;
    const QString size = parts.at(parts.size() - 2);
    const double price = ParseNumber(parts.last(), 0);
    const QString album = parts.mid(0, parts.size() - 2).join(QLatin1String(";;"));
    return TCampusLine { album, size, price, *count };
}

namespace
{

// 1. Campus lines.
void CountCampusLines(TPricedOrder &order, const TPricingBasket &basket)
{
    for (const TCampusLine &line : basket.campus) {
        if (line.count <= 0)
            continue;
        order.campusCount = AddCount(order.campusCount, line.count);
        order.campusAmount += line.count * line.unitPrice;
        int &album = order.campusAlbumCounts[line.album];
        album = AddCount(album, line.count);
    }
}

// 2. Print lines in size order; sizes missing from the table keep their order at the end.
// Each line's rank is looked up once; the sort then compares integers.
void SortPrintLines(TPricedOrder &order, const TPricingBasket &basket, const TPriceTables &tables)
{
    QList<std::pair<int, TPrintLine>> ranked;
    ranked.reserve(basket.prints.size());
    for (const TPrintLine &line : basket.prints) {
        const int index = tables.SizeNameIndex(line.size);
        ranked.append({ index < 0 ? INT_MAX : index, line });
    }
    std::stable_sort(ranked.begin(), ranked.end(),
        [](const auto &a, const auto &b) { return a.first < b.first; });
    for (const auto &entry : ranked)
        order.prints.append(entry.second);
    order.prints.erase(std::remove_if(order.prints.begin(), order.prints.end(),
                           [](const TPrintLine &l) { return l.count <= 0; }),
        order.prints.end());
}

// 3. Prints.
void PricePrints(TPricedOrder &order)
{
    for (const TPrintLine &line : order.prints) {
        const double amount = line.count * line.unitPrice;
        order.printsTotal += amount;
        order.printCount = AddCount(order.printCount, line.count);
        AddUnitRow(order, TStatementRow::srPrint, line.size, line.unitPrice, line.count, amount);
    }
}

// 4. Basic fee, from the shop's basic fee table.
void AddBasicFee(TPricedOrder &order, const TPricingBasket &basket, const TPriceTables &tables)
{
    const bool hasPrints = order.printCount >= 1;
    const bool hasCd = basket.cdPictures >= 1;
    order.basicFee = tables.BasicFee(hasPrints, hasCd, false);
    const QString feeRule = tables.BasicFeeLabel(false);
    if (!feeRule.isEmpty() && order.basicFee > 0) {
        AddRow(
            order, TStatementRow::srBasicFee, tables.BasicFeeName(false), order.basicFee, feeRule);
    }
}

// 5. CD-R: as many discs as the bytes or the pictures need, each priced by its tier.
void PriceCd(TPricedOrder &order, const TPricingBasket &basket, const TPriceTables &tables)
{
    const bool net = tables.ServerCatalogue();
    const QList<double> tiers = tables.CdTiers(basket.cdKind, net);
    if (basket.cdPictures < 1 || tiers.isEmpty())
        return;
    const double bytes = double(std::max<qint64>(basket.cdBytes, 0));
    const double limitSize = tables.CdLimitSize(net);
    const int limitFile = tables.CdLimitFile(net);
    const double bySize = limitSize >= 1 ? std::ceil(bytes / (limitSize * kMegabyte)) : 1;
    const double byFiles = limitFile >= 1 ? std::ceil(double(basket.cdPictures) / limitFile) : 1;
    order.cdDiscs = int(std::min(std::max(bySize, byFiles), kMaxDiscs));
    for (int disc = 0; disc < order.cdDiscs; ++disc)
        order.cdTotal += tiers.at(std::min<qsizetype>(disc, tiers.size() - 1));
    AddRow(order, TStatementRow::srCd,
        QStringLiteral("CD-R(%1画像/%2MB) 収容%3枚")
            .arg(basket.cdPictures)
            .arg(qint64(std::ceil(bytes / kMegabyte)))
            .arg(order.cdDiscs),
        order.cdTotal);
}

// The index sheets of a CD-R order: printed with the order and listed, at no charge. The shop
// adds them when it packs the order, after the order is priced, so no price of theirs is part
// of the order's amounts, counts or records.
void AddIndexSheets(TPricedOrder &order, const TPricingBasket &basket)
{
    if (basket.indexSheets < 1 || basket.cdPictures < 1)
        return;
    order.indexSheets = basket.indexSheets;
    AddUnitRow(order, TStatementRow::srIndex,
        QStringLiteral("CD-Rインデックス(%1)").arg(basket.indexSize), 0, order.indexSheets, 0);
    order.rows.last().note = QStringLiteral("無料");
}

// 6. Phone images: the base fee covers MaxNum images, each further one costs AddPrice.
void PricePhoneImages(TPricedOrder &order, const TPricingBasket &basket, const TPriceTables &tables)
{
    if (basket.phoneImages < 1)
        return;
    const int maxNum = tables.PhoneMaxNum();
    order.phoneImages = basket.phoneImages;
    order.phoneBase = tables.PhoneBaseFee();
    order.phoneExtraImages
        = int(std::clamp<qint64>(qint64(basket.phoneImages) - maxNum, 0, INT_MAX));
    order.phoneExtra = order.phoneExtraImages * tables.PhoneAddPrice();
    if (maxNum != 0 || order.phoneBase > 0) {
        const QString label = maxNum >= 1
            ? QStringLiteral("携帯画像基本料(%1画像含)").arg(std::min(maxNum, basket.phoneImages))
            : QStringLiteral("携帯画像基本料");
        AddRow(order, TStatementRow::srPhoneBase, label, order.phoneBase);
    }
    if (order.phoneExtraImages >= 1) {
        AddUnitRow(order, TStatementRow::srPhoneExtra, QStringLiteral("携帯画像"),
            tables.PhoneAddPrice(), order.phoneExtraImages, order.phoneExtra);
    }
}

// What the discounts are measured on.
struct TDiscountMeasures {
    double gross = 0; // the priced items as they stand
    double amount = 0; // the discount base without the campus prints
    int count = 0; // the prints without the campus prints
};

// 8. The discount base: the priced items, without the basic fee and the delivery fee, net of
// the contained tax unless the shop discounts on tax-inclusive amounts.
TDiscountMeasures MeasureDiscountBase(TPricedOrder &order, const TPriceTables &tables)
{
    const TTaxSettings &tax = tables.Tax();
    const bool asIs = tax.inclusive && tax.discountOnInclusive;
    auto base = [&](double x) { return asIs ? x : tables.NetOf(x); };
    TDiscountMeasures measures;
    measures.gross = order.printsTotal + order.cdTotal + order.phoneBase + order.phoneExtra;
    const double discountBase = base(order.printsTotal) + base(order.cdTotal)
        + base(order.phoneBase) + base(order.phoneExtra);
    measures.amount = SnapMoney(discountBase - base(order.campusAmount));
    measures.count = AddCount(order.printCount, -order.campusCount);
    order.amountMeasure = measures.amount;
    return measures;
}

// 9. Discounts: a run over the whole order decides the campus note; the run without the
// campus prints is the one used.
void ApplyOrderDiscounts(TPricedOrder &order, const TPricingBasket &basket,
    const TPricingContext &context, const TPricingChoice &choice, const TDiscountMeasures &measures)
{
    const QString deliveryText = DeliveryKindName(choice.delivery);
    if (!basket.campus.isEmpty() && order.campusCount > 0) {
        const TDiscountResult whole
            = ApplyDiscounts(context.rules, context.terms, context.tables, order.printCount,
                choice.prefecture, deliveryText, false, measures.gross, context.today);
        order.campusNoteShown = whole.valuedDiscount + whole.numedDiscount + whole.freePrintValue
                + whole.deliveryReduction
            > 0;
    }
    order.discounts = ApplyDiscounts(context.rules, context.terms, context.tables, measures.count,
        choice.prefecture, deliveryText, false, measures.amount, context.today);
    const TDiscountResult &d = order.discounts;
    order.discountTotal = d.valuedDiscount + d.numedDiscount + d.freePrintValue;
}

// 7. Delivery fee, from the engine's result, and the discount rows.
void AddDeliveryAndDiscountRows(TPricedOrder &order, const TPricingChoice &choice)
{
    const TDiscountResult &d = order.discounts;
    order.deliveryFee = d.deliveryCharge;
    if (order.deliveryFee > 0) {
        AddRow(order, TStatementRow::srDelivery,
            choice.delivery == hsoJihai ? QStringLiteral("配達料") : QStringLiteral("送料"),
            order.deliveryFee);
    }
    if (order.discountTotal > 0) {
        AddRow(order, TStatementRow::srDiscount, QStringLiteral("値引"), -order.discountTotal);
    }
    if (d.deliveryReduction > 0) {
        AddRow(order, TStatementRow::srDeliveryDiscount, QStringLiteral("送料値引"),
            -d.deliveryReduction);
    }
}

// The note that the campus prints are left out of the discounts.
void SetCampusNote(TPricedOrder &order)
{
    if (!order.campusNoteShown)
        return;
    if (order.campusCount == order.printCount && order.cdTotal == 0)
        order.campusNote = QStringLiteral("!! Lumora のみのご注文には､各種値引は適用しません。");
    else if (order.printCount == 0 && !(order.cdTotal > 0))
        order.campusNote
            = QStringLiteral("!! 各種値引は Lumora以外のご注文(ご自分の画像)で計算されます。");
    else
        order.campusNote
            = QStringLiteral("!! 各種値引は Lumora ご注文分､%1枚 %2 を除いた計算となります。")
                  .arg(order.campusCount)
                  .arg(CurrencyText(order.campusAmount));
}

// 10. Subtotal.
void AddSubtotal(TPricedOrder &order)
{
    order.subtotal = SnapMoney(order.basicFee + order.cdTotal + order.printsTotal + order.phoneBase
        + order.phoneExtra + order.deliveryFee
        - (order.discountTotal + order.discounts.deliveryReduction));
    AddRow(order, TStatementRow::srSubtotal, QStringLiteral("小計"), order.subtotal);
}

// 11. Tax and total.
void AddTaxAndTotal(TPricedOrder &order, const TPriceTables &tables)
{
    const TTaxSettings &tax = tables.Tax();
    const TGross g = tables.Gross(order.subtotal);
    order.total = g.total;
    order.tax = tax.inclusive ? SnapMoney(g.tax) : tables.RoundMoney(order.subtotal * tax.rate);
    if (tax.inclusive) {
        order.taxLabel = QStringLiteral("含まれている消費税(%1%)").arg(PercentText(tax.rate));
    } else {
        order.taxLabel = QStringLiteral("消費税(小計%1 × %2%)")
                             .arg(NumberText(order.subtotal, HasFraction(order.subtotal) ? 2 : 0),
                                 PercentText(tax.rate));
    }
    AddRow(order, TStatementRow::srTax, order.taxLabel, order.tax);
    order.totalLabel = QStringLiteral("合計(端数") + RoundingName(tax.rounding) + u')';
    AddRow(order, TStatementRow::srTotal, order.totalLabel, order.total);
}

// 12. Points.
void AddPoints(TPricedOrder &order)
{
    const TDiscountResult &d = order.discounts;
    order.pointsGiven = d.newOrderPoints;
    order.pointsEarned = d.valuedPoints + d.numedPoints;
    if (order.pointsGiven > 0)
        order.pointsText += QStringLiteral("+ 進呈%1 ").arg(FloatText(order.pointsGiven));
    if (order.pointsEarned > 0)
        order.pointsText += QStringLiteral("+ 今回%1").arg(FloatText(order.pointsEarned));
}

// The numbered item records: prints, CD-R and phone images.
void AppendItemRecords(QStringList &r, const TPricedOrder &order, const TPriceTables &tables)
{
    const int maxNum = tables.PhoneMaxNum();
    int n = 1;
    for (const TPrintLine &line : order.prints) {
        r.append(QStringLiteral("Size:(%1) %2;Price:%3;Num:%4;")
                     .arg(n)
                     .arg(line.size, FloatText(line.unitPrice))
                     .arg(line.count));
        ++n;
    }
    if (order.cdDiscs >= 1) {
        r.append(QStringLiteral("Cd-r:(%1) CD-R;Price:%2;Num:%3;")
                     .arg(n)
                     .arg(FloatText(order.cdTotal / order.cdDiscs))
                     .arg(order.cdDiscs));
        ++n;
    }
    if (order.phoneImages >= 1 && (maxNum >= 1 || order.phoneBase > 0)) {
        if (order.phoneExtraImages >= 1)
            r.append(QStringLiteral("Ktai:(%1) 携帯基本料(%2画像含);Price:%3;Num:1;")
                         .arg(n)
                         .arg(std::min(maxNum, order.phoneImages))
                         .arg(FloatText(order.phoneBase)));
        else
            r.append(QStringLiteral("Ktai:(%1) 携帯基本料;Price:%2;Num:1;")
                         .arg(n)
                         .arg(FloatText(order.phoneBase)));
        ++n;
    }
    if (order.phoneExtraImages >= 1)
        r.append(QStringLiteral("Ktai:(%1) 携帯画像;Price:%2;Num:%3;")
                     .arg(n)
                     .arg(FloatText(tables.PhoneAddPrice()))
                     .arg(order.phoneExtraImages));
}

// The order line records; the payment records are slots filled at the payment stage.
void WriteOrderRecords(
    TPricedOrder &order, const TPriceTables &tables, const TPricingChoice &choice)
{
    const TDiscountResult &d = order.discounts;
    QStringList &r = order.records;
    r.append(QString()); // the payment memo, written at the payment stage
    r.append(QStringLiteral("<Memo>配送 : %1(%2)")
                 .arg(DeliveryKindName(choice.delivery), DeliveryKindCode(choice.delivery)));
    r.append(QString());
    if (order.basicFee > 0)
        r.append(QStringLiteral("Fee:基本料;Price:%1;Num:1;").arg(FloatText(order.basicFee)));
    AppendItemRecords(r, order, tables);
    if (order.deliveryFee > 0)
        r.append(QStringLiteral("Soryo:送料;Price:%1;Num:1;").arg(FloatText(order.deliveryFee)));
    if (order.discountTotal > 0)
        r.append(QStringLiteral("Disc:値引;Price:%1;Num:1;").arg(FloatText(-order.discountTotal)));
    if (d.deliveryReduction > 0)
        r.append(
            QStringLiteral("Soryo:送料値引;Price:%1;Num:1;").arg(FloatText(-d.deliveryReduction)));
    if (order.tax != 0)
        r.append(QStringLiteral("Tax:消費税;Price:%1;Num:1;").arg(FixedText(order.tax)));
    if (order.pointsGiven > 0)
        r.append(
            QStringLiteral("Point:進呈ﾎﾟｲﾝﾄ;Price:1;Num:%1;").arg(FloatText(order.pointsGiven)));
    if (order.pointsEarned > 0)
        r.append(
            QStringLiteral("Point:獲得ﾎﾟｲﾝﾄ;Price:1;Num:%1;").arg(FloatText(order.pointsEarned)));
    r << kPointSlot << kCreditSlot << kCombiniSlot << kDaibikiSlot;
}

} // namespace

TPricedOrder PriceOrder(
    const TPricingBasket &basket, const TPricingContext &context, const TPricingChoice &choice)
{
    const TPriceTables &tables = context.tables;
    TPricedOrder order;
    CountCampusLines(order, basket);
    SortPrintLines(order, basket, tables);
    PricePrints(order);
    AddBasicFee(order, basket, tables);
    PriceCd(order, basket, tables);
    AddIndexSheets(order, basket);
    PricePhoneImages(order, basket, tables);
    // The delivery fee (7) comes from the discount engine, so it follows the discounts.
    const TDiscountMeasures measures = MeasureDiscountBase(order, tables);
    ApplyOrderDiscounts(order, basket, context, choice, measures);
    AddDeliveryAndDiscountRows(order, choice);
    SetCampusNote(order);
    AddSubtotal(order);
    AddTaxAndTotal(order, tables);
    AddPoints(order);
    WriteOrderRecords(order, tables, choice);
    ApplyPaymentStage(order, context, choice);
    return order;
}

void ApplyPaymentStage(
    TPricedOrder &order, const TPricingContext &context, const TPricingChoice &choice)
{
    const TShopTerms &terms = context.terms;
    order.pointsUsed = choice.pointsShown ? std::max(0.0, choice.pointsUsed) : 0;
    order.remaining = order.total - order.pointsUsed;
    order.fixedFee = 0;
    order.rateFee = 0;
    order.feeLabel.clear();
    order.cashOnDeliveryFee = 0;

    QString creditRecord = QStringLiteral("CrdtFee:ｸﾚｼﾞｯﾄ手数料;Price:0;Num:0;");
    QString combiniRecord = QStringLiteral("CmbnFee:ｺﾝﾋﾞﾆ手数料;Price:0;Num:0;");
    if (choice.payment == ksiCredit || choice.payment == ksiCombini) {
        const bool card = choice.payment == ksiCredit;
        const double rate = card ? terms.CreditRate() : terms.CombiniRate();
        order.fixedFee = std::trunc(SnapMoney(
            card ? terms.CardFixedFee(order.remaining) : terms.CombiniFixedFee(order.remaining)));
        order.rateFee = std::trunc(SnapMoney(
            card ? terms.CardRateFee(order.remaining) : terms.CombiniRateFee(order.remaining)));
        QString detail;
        if (order.fixedFee > 0 && order.rateFee > 0)
            detail
                = QStringLiteral(" %1 + %2(%3%)")
                      .arg(FloatText(order.fixedFee), FloatText(order.rateFee), PercentText(rate));
        else if (order.rateFee > 0)
            detail = QStringLiteral("(%1%)").arg(PercentText(rate));
        const QString name = card ? QStringLiteral("ｸﾚｼﾞｯﾄ手数料") : QStringLiteral("ｺﾝﾋﾞﾆ手数料");
        order.feeLabel = name + detail;
        const QString record = (card ? QStringLiteral("CrdtFee:") : QStringLiteral("CmbnFee:"))
            + name + detail
            + QStringLiteral(";Price:%1;Num:1;").arg(FloatText(order.fixedFee + order.rateFee));
        (card ? creditRecord : combiniRecord) = record;
    } else if (choice.payment == ksiDaibiki) {
        order.cashOnDeliveryFee = terms.CashOnDeliveryFee(order.remaining);
    }
    order.grandTotal = order.remaining + order.fixedFee + order.rateFee + order.cashOnDeliveryFee;

    // The order button.
    const double priced = order.printsTotal + order.cdTotal + order.phoneBase + order.phoneExtra;
    if (priced > 0)
        order.buttonCaption = QStringLiteral("注文する");
    else if (order.printCount == 0)
        order.buttonCaption = QStringLiteral("注文なし");
    else
        order.buttonCaption = QStringLiteral("価格未定");
    const double available = choice.pointsShown ? choice.pointsAvailable : 0;
    // Points beyond the total would make the customer's payment negative; such an entry is
    // refused like one beyond the points available.
    order.buttonEnabled = order.total > 0 && order.pointsUsed <= available
        && order.pointsUsed <= order.total && order.buttonCaption == QStringLiteral("注文する");
    order.buttonVisible = choice.delivery != hsoJihai || terms.InOwnDeliveryArea(choice.address);

    // The payment records: the memo at the top, the four slots at the end.
    QStringList &r = order.records;
    const bool substitute = choice.payment == ksiJifuri && !terms.JifuriNameLong().isEmpty();
    r[0] = QStringLiteral("<Memo>決済 : %1(%2)")
               .arg(substitute ? terms.JifuriNameLong() : PaymentKindName(choice.payment),
                   PaymentKindCode(choice.payment));
    const qsizetype n = r.size();
    const double used = order.pointsUsed == 0 ? 0 : -order.pointsUsed;
    r[n - 4] = QStringLiteral("Point:使用ﾎﾟｲﾝﾄ;Price:1;Num:%1;").arg(QString::number(used, 'f', 0));
    r[n - 3] = creditRecord;
    r[n - 2] = combiniRecord;
    r[n - 1] = QStringLiteral("Daibiki:代引手数料;Price:%1;Num:1;")
                   .arg(QString::number(order.cashOnDeliveryFee, 'f', 0));
}

QString OrderSummaryText(const TPricedOrder &order)
{
    if (order.cdTotal > 0 || order.cdDiscs > 0)
        return QStringLiteral("%1;ﾌﾟﾘﾝﾄ%2 CD-R%3")
            .arg(NumberText(order.printsTotal + order.cdTotal, 2), NumberText(order.printsTotal, 2),
                NumberText(order.cdTotal, 2));
    return QStringLiteral("%1;ﾌﾟﾘﾝﾄ%2")
        .arg(NumberText(order.printsTotal, 2), NumberText(order.printsTotal, 2));
}

std::optional<TConfirmedOrder> ConfirmOrder(TPrompter &prompter, const TPricedOrder &order,
    const TPricingContext &context, const TPricingChoice &choice,
    const TOrderConfirmation &confirmation)
{
    const TShopTerms &terms = context.terms;
    if (confirmation.prefectureShown && TrimBlanks(confirmation.prefectureText).isEmpty()) {
        prompter.Warn(QStringLiteral("県名が指定されていません。宅配便の場合は必須です。"));
        return std::nullopt;
    }
    const QString payment = terms.PaymentDisplayName(choice.payment);
    const QString delivery = DeliveryKindName(choice.delivery);
    if (terms.PaymentKinds().size() > 1 || terms.DeliveryKinds().size() > 1) {
        const QString question = QStringLiteral("以下の指定でよろしいですか？")
            + QStringLiteral("\r\n\r\n決済方法 : ") + payment + QStringLiteral("\r\n")
            + QStringLiteral("受取方法 : ") + delivery;
        if (!prompter.YesNo(question))
            return std::nullopt;
    }

    TConfirmedOrder confirmed;
    confirmed.records = order.records;
    const QString comment = TrimBlanks(confirmation.comment);
    if (!comment.isEmpty()) {
        qsizetype at = 0;
        for (qsizetype i = 0; i < confirmed.records.size(); ++i) {
            if (confirmed.records.at(i).startsWith(QLatin1String("<Memo>")))
                at = i + 1;
        }
        for (const QString &line : SplitLines(comment))
            confirmed.records.insert(at++, QStringLiteral("<Msg>") + line);
    }
    confirmed.prefecture = confirmation.prefectureText;
    confirmed.delivery = delivery;
    return confirmed;
}

} // namespace korvatel
