#include "pricing/discounts.h"

#include "pricing/money.h"
#include "pricing/price_tables.h"
#include "pricing/shop_terms.h"
#include "text/comma_text.h"
#include "text/key_file.h"
#include "text/numbers.h"

#include <cmath>

namespace korvatel
{

namespace
{

struct TEnumName {
    const char *code;
    const char16_t *display;
};

int EnumOf(const QString &text, std::initializer_list<TEnumName> names)
{
    const QString wanted = TrimBlanks(text);
    int value = 0;
    for (const TEnumName &name : names) {
        if (wanted.compare(QLatin1String(name.code), Qt::CaseInsensitive) == 0
            || (name.display
                && wanted.compare(QString::fromUtf16(name.display), Qt::CaseInsensitive) == 0))
            return value;
        ++value;
    }
    return 0;
}

const std::initializer_list<TEnumName> kDiscountTypes = { { "dctUnknone", nullptr },
    { "dctDiscount", u"金額値引き" }, { "dctPerDiscount", u"ﾊﾟｰｾﾝﾄ割引" },
    { "dctPointAdd", u"ﾎﾟｲﾝﾄ値加算" }, { "dctPerPointAdd", u"%ﾎﾟｲﾝﾄ加算" } };

// Steps: pairs of whole numbers, threshold and value. Items are "threshold,value" in comma text;
// a list without such items is read as a flat list of pairs.
QList<TDiscountStep> ReadSteps(const QString &value)
{
    QList<TDiscountStep> steps;
    const QStringList items = FromCommaText(TrimBlanks(value));
    bool paired = false;
    for (const QString &item : items)
        paired = paired || item.contains(u',');
    if (!paired) {
        for (qsizetype i = 0; i + 1 < items.size(); i += 2)
            steps.append({ ParseInteger(items.at(i), 0), ParseInteger(items.at(i + 1), 0) });
        return steps;
    }
    for (const QString &item : items) {
        const qsizetype comma = item.indexOf(u',');
        if (comma >= 0)
            steps.append(
                { ParseInteger(item.left(comma), 0), ParseInteger(item.mid(comma + 1), 0) });
    }
    return steps;
}

QDate ReadDate(const QString &text)
{
    const QString t = TrimBlanks(text);
    for (const char *format : { "yyyy/M/d", "yyyy-M-d", "yyyy.M.d", "yyyy/MM/dd" }) {
        const QDate date = QDate::fromString(t, QLatin1String(format));
        if (date.isValid())
            return date;
    }
    return {};
}

// The zero date of the system's date-time.
const QDate kZeroDate(1899, 12, 30);

// A percentage of the amount in whole yen, truncated as by hand: 29 % of 100 is 29, although
// 100 × 29 × 0.01 is 28.999… in doubles.
double PercentOf(double amount, int percent)
{
    return std::trunc(SnapMoney(amount * percent / 100.0));
}

void ApplyStep(
    const TStepRule &rule, double measure, double amount, double &discount, double &points)
{
    for (qsizetype i = rule.steps.size() - 1; i >= 0; --i) {
        const TDiscountStep &step = rule.steps.at(i);
        if (step.threshold > measure)
            continue;
        switch (rule.type) {
        case dctDiscount:
            discount += step.value;
            break;
        case dctPerDiscount:
            discount += PercentOf(amount, step.value);
            break;
        case dctPointAdd:
            points += step.value;
            break;
        case dctPerPointAdd:
            points += PercentOf(amount, step.value);
            break;
        default:
            break;
        }
        return;
    }
}

bool SoryoQualifies(const TSoryoRule &rule, int count, double amount)
{
    auto holds = [&](int target, double threshold) {
        if (target == stgNum)
            return count > 0 && count >= threshold;
        if (target == stgValue)
            return amount > 0 && amount >= threshold;
        return false;
    };
    const bool first = holds(rule.target, rule.value1);
    if (rule.next == snxtNone)
        return first;
    const int other = rule.target == stgNum ? stgValue : stgNum;
    const bool second = holds(other, rule.value2);
    return rule.next == snxtOR ? (first || second) : (first && second);
}

void ApplyNewOrder(const TNewOrderRule &rule, int count, double amount, TDiscountResult &result)
{
    if (rule.minType == nomNum && count < rule.min)
        return;
    if (rule.minType == nomValue && amount < rule.min)
        return;
    if (rule.minType != nomZero && rule.minType != nomNum && rule.minType != nomValue)
        return;
    if (rule.service == nosPrint)
        result.freePrints += rule.value;
    else if (rule.service == nosPoint)
        result.newOrderPoints += rule.value;
}

} // namespace

int DiscountTypeOf(const QString &text)
{
    return EnumOf(text, kDiscountTypes);
}

QString DiscountTypeName(int type)
{
    static const char16_t *names[]
        = { u"", u"金額値引き", u"ﾊﾟｰｾﾝﾄ割引", u"ﾎﾟｲﾝﾄ値加算", u"%ﾎﾟｲﾝﾄ加算" };
    return type >= 0 && type < 5 ? QString::fromUtf16(names[type]) : QString();
}

QString DiscountTypeUnit(int type)
{
    static const char16_t *units[] = { u"", u"値引額", u"割引%", u"ﾎﾟｲﾝﾄ", u"ﾎﾟｲﾝﾄ%" };
    return type >= 0 && type < 5 ? QString::fromUtf16(units[type]) : QString();
}

int CampaignModeOf(const QString &text)
{
    return EnumOf(text,
        { { "catUnknown", nullptr }, { "catAdd", u"常設と併用" }, { "dctOnly", u"ｷｬﾝﾍﾟｰﾝ優先" },
            { "dctOff", u"中止" } });
}

int SoryoTargetOf(const QString &text)
{
    return EnumOf(
        text, { { "stgUnknown", nullptr }, { "stgNum", u"枚数" }, { "stgValue", u"金額" } });
}

int SoryoNextOf(const QString &text)
{
    return EnumOf(
        text, { { "snxtNone", u"ならば" }, { "snxtOR", u"または" }, { "snxtAND", u"且つ" } });
}

int NewOrderMinOf(const QString &text)
{
    return EnumOf(
        text, { { "nomZero", u"無条件で" }, { "nomNum", u"枚数が" }, { "nomValue", u"金額が" } });
}

int NewOrderServiceOf(const QString &text)
{
    return EnumOf(text, { { "nosPrint", u"L か DSC" }, { "nosPoint", u"ﾎﾟｲﾝﾄ" } });
}

void TDiscountRules::LoadDiscountRules(const QStringList &optionTable)
{
    const TKeyFile keys(optionTable, Qt::CaseSensitive);
    auto text = [&](const QString &name) { return keys.Value(name); };
    auto flag = [&](const QString &name) { return keys.Bool(name); };
    auto stepRule = [&](const QString &prefix) {
        TStepRule rule;
        rule.use = flag(QStringLiteral("Use") + prefix);
        rule.type = DiscountTypeOf(text(prefix + QStringLiteral("Type")));
        rule.steps = ReadSteps(text(prefix + QStringLiteral("List")));
        return rule;
    };
    auto soryoRule = [&](const QString &prefix) {
        TSoryoRule rule;
        rule.use = flag(QStringLiteral("Use") + prefix);
        rule.target = SoryoTargetOf(text(prefix + QStringLiteral("Tgt")));
        rule.value1 = keys.Number(prefix + QStringLiteral("Value1"), 0);
        rule.next = SoryoNextOf(text(prefix + QStringLiteral("Next")));
        rule.value2 = keys.Number(prefix + QStringLiteral("Value2"), 0);
        rule.maxOff = keys.Number(prefix + QStringLiteral("MaxOff"), 0);
        return rule;
    };
    auto newOrderRule = [&](const QString &prefix) {
        TNewOrderRule rule;
        rule.use = flag(QStringLiteral("Use") + prefix);
        rule.minType = NewOrderMinOf(text(prefix + QStringLiteral("MinType")));
        rule.min = keys.Integer(prefix + QStringLiteral("Min"), 0);
        rule.service = NewOrderServiceOf(text(prefix + QStringLiteral("Service")));
        rule.value = keys.Integer(prefix + QStringLiteral("Value"), 0);
        return rule;
    };

    valued = stepRule(QStringLiteral("Valued"));
    numed = stepRule(QStringLiteral("Numed"));
    soryo = soryoRule(QStringLiteral("Soryo"));
    newOrder = newOrderRule(QStringLiteral("NewOrder"));
    cpnValued = stepRule(QStringLiteral("CpnValued"));
    cpnNumed = stepRule(QStringLiteral("CpnNumed"));
    cpnSoryo = soryoRule(QStringLiteral("CpnSoryo"));
    cpnNewOrder = newOrderRule(QStringLiteral("CpnNewOrder"));
    cpnValuedAdd = CampaignModeOf(text(QStringLiteral("CpnValuedAdd")));
    cpnNumedAdd = CampaignModeOf(text(QStringLiteral("CpnNumedAdd")));
    cpnSoryoAdd = CampaignModeOf(text(QStringLiteral("CpnSoryoAdd")));
    cpnNewOrderAdd = CampaignModeOf(text(QStringLiteral("CpnNewOrderAdd")));
    const QString start = text(QStringLiteral("CpnDateSt"));
    if (!TrimBlanks(start).isEmpty())
        campaignStart = ReadDate(start);
    const QString end = text(QStringLiteral("CpnDateEnd"));
    if (!TrimBlanks(end).isEmpty())
        campaignEnd = ReadDate(end);
    const QString list = text(QStringLiteral("MessList"));
    messages = TrimBlanks(list).isEmpty() ? QStringList() : FromCommaText(list);
    title = text(QStringLiteral("DiscTitle"));
    campaignTitle = text(QStringLiteral("CpnDiscTitle"));
}

bool TDiscountRules::CampaignActive(const QDate &today) const
{
    const QDate start = campaignStart.isValid() ? campaignStart : kZeroDate;
    const QDate end = campaignEnd.isValid() ? campaignEnd : kZeroDate;
    return today >= start && today <= end;
}

namespace
{

// The amount and count rules: the campaign rule adds to or replaces the permanent one.
void ApplyStepRules(const TDiscountRules &rules, bool campaign, int printCount, double amount,
    TDiscountResult &result)
{
    auto stepKind = [&](const TStepRule &permanent, const TStepRule &cpn, int mode, double measure,
                        double &discount, double &points) {
        if (campaign && cpn.use) {
            if (mode == catAdd) {
                if (permanent.use)
                    ApplyStep(permanent, measure, amount, discount, points);
                ApplyStep(cpn, measure, amount, discount, points);
            } else if (mode == dctOnly) {
                ApplyStep(cpn, measure, amount, discount, points);
            }
        } else if (permanent.use) {
            ApplyStep(permanent, measure, amount, discount, points);
        }
    };
    stepKind(rules.valued, rules.cpnValued, rules.cpnValuedAdd, amount, result.valuedDiscount,
        result.valuedPoints);
    stepKind(rules.numed, rules.cpnNumed, rules.cpnNumedAdd, printCount, result.numedDiscount,
        result.numedPoints);
}

// The delivery rule that qualifies, or none: the campaign rule is tried only when the
// permanent one did not qualify.
const TSoryoRule *QualifiedSoryoRule(
    const TDiscountRules &rules, bool campaign, int printCount, double amount)
{
    if (campaign && rules.cpnSoryo.use) {
        if (rules.cpnSoryoAdd == catAdd) {
            if (rules.soryo.use && SoryoQualifies(rules.soryo, printCount, amount))
                return &rules.soryo;
            if (SoryoQualifies(rules.cpnSoryo, printCount, amount))
                return &rules.cpnSoryo;
        } else if (rules.cpnSoryoAdd == dctOnly
            && SoryoQualifies(rules.cpnSoryo, printCount, amount)) {
            return &rules.cpnSoryo;
        }
        return nullptr;
    }
    if (rules.soryo.use && SoryoQualifies(rules.soryo, printCount, amount))
        return &rules.soryo;
    return nullptr;
}

// The delivery charge of the delivery method; the shop and campus deliveries cost nothing.
double DeliveryChargeOf(
    const TShopTerms &terms, int method, int printCount, int prefecture, double amount)
{
    switch (method) {
    case hsoMailbin:
        return terms.MailCharge(printCount);
    case hsoMailbinFast:
        return terms.FastMailCharge(printCount);
    case hsoTakuhaibin:
        return terms.HomeDeliveryCharge(prefecture);
    case hsoJihai:
        return terms.OwnDeliveryCharge(amount);
    default:
        return 0;
    }
}

// A reduced delivery takes off the rule's most (the mail charge when the rule names none), never
// more than the charge; methods without a charge get no reduction.
void SettleDeliveryReduction(
    const TShopTerms &terms, int method, int printCount, TDiscountResult &result)
{
    if (result.soryoReduced
        && (method == hsoMailbin || method == hsoMailbinFast || method == hsoTakuhaibin
            || method == hsoJihai)) {
        if (result.deliveryReduction == 0)
            result.deliveryReduction = terms.MailCharge(printCount);
        result.deliveryReduction = std::min(result.deliveryReduction, result.deliveryCharge);
    } else {
        result.deliveryReduction = 0;
    }
}

// The new-registration rule: the campaign rule adds to or replaces the permanent one.
void ApplyNewOrderRules(const TDiscountRules &rules, bool campaign, int printCount, double amount,
    TDiscountResult &result)
{
    if (campaign && rules.cpnNewOrder.use) {
        if (rules.cpnNewOrderAdd == catAdd) {
            if (rules.newOrder.use)
                ApplyNewOrder(rules.newOrder, printCount, amount, result);
            ApplyNewOrder(rules.cpnNewOrder, printCount, amount, result);
        } else if (rules.cpnNewOrderAdd == dctOnly) {
            ApplyNewOrder(rules.cpnNewOrder, printCount, amount, result);
        }
    } else if (rules.newOrder.use) {
        ApplyNewOrder(rules.newOrder, printCount, amount, result);
    }
}

// The free prints are worth the cheaper of the two sizes that has a price. (Taking only a
// strictly cheaper one would value them at nothing when both cost the same.)
void ValueFreePrints(
    const TDiscountRules &rules, const TPriceTables &tables, TDiscountResult &result)
{
    if (result.freePrints <= 0)
        return;
    const int kind = rules.net ? prcNet : prcNormal;
    const double l = std::trunc(tables.UnitPrice(kind, QStringLiteral("L")));
    const double d = std::trunc(tables.UnitPrice(kind, QStringLiteral("L-DSC")));
    double unit = 0;
    if (l > 0 && d > 0)
        unit = std::min(l, d);
    else if (l > 0 || d > 0)
        unit = std::max(l, d);
    result.freePrintValue = result.freePrints * unit;
}

} // namespace

TDiscountResult ApplyDiscounts(const TDiscountRules &rules, const TShopTerms &terms,
    const TPriceTables &tables, int printCount, int prefecture, const QString &deliveryText,
    bool newRegistration, double amount, const QDate &today)
{
    TDiscountResult result;
    const bool campaign = rules.CampaignActive(today);
    ApplyStepRules(rules, campaign, printCount, amount, result);
    if (const TSoryoRule *qualified = QualifiedSoryoRule(rules, campaign, printCount, amount)) {
        result.soryoReduced = true;
        result.deliveryReduction = qualified->maxOff;
    }
    const int method = DeliveryKindOf(deliveryText);
    result.deliveryCharge = DeliveryChargeOf(terms, method, printCount, prefecture, amount);
    SettleDeliveryReduction(terms, method, printCount, result);
    if (newRegistration) {
        ApplyNewOrderRules(rules, campaign, printCount, amount, result);
        ValueFreePrints(rules, tables, result);
    }
    return result;
}

namespace
{

void AddStepLines(QStringList &lines, const TStepRule &rule, bool byAmount)
{
    if (rule.type == dctUnknone || rule.steps.isEmpty())
        return;
    lines.append(byAmount ? QStringLiteral("*合計額で(基本料除く)") : QStringLiteral("*枚数で"));
    for (const TDiscountStep &step : rule.steps) {
        lines.append(QStringLiteral("%1%2以上は %3%4")
                         .arg(NumberText(step.threshold, 0),
                             byAmount ? QStringLiteral("円") : QStringLiteral("枚"),
                             DiscountTypeUnit(rule.type))
                         .arg(step.value));
    }
}

void AddSoryoLines(QStringList &lines, const TSoryoRule &rule)
{
    auto condition = [](int target, double value) {
        return target == stgNum ? QStringLiteral("%1枚以上").arg(NumberText(value, 0))
                                : QStringLiteral("%1円以上").arg(NumberText(value, 0));
    };
    if (rule.target == stgUnknown)
        return;
    QString text = QStringLiteral("*") + condition(rule.target, rule.value1);
    if (rule.next == snxtOR || rule.next == snxtAND) {
        const int other = rule.target == stgNum ? stgValue : stgNum;
        text += (rule.next == snxtOR ? QStringLiteral(" または ") : QStringLiteral(" 且つ "))
            + condition(other, rule.value2);
    }
    lines.append(text);
    lines.append(rule.maxOff > 0
            ? QStringLiteral("*送料･配達料から%1円値引").arg(NumberText(rule.maxOff, 0))
            : QStringLiteral("*送料･配達料からﾒｰﾙ便代分値引"));
}

void AddRuleSet(
    QStringList &lines, const TStepRule &valued, const TStepRule &numed, const TSoryoRule &soryo)
{
    if (valued.use)
        AddStepLines(lines, valued, true);
    if (numed.use)
        AddStepLines(lines, numed, false);
    if (soryo.use)
        AddSoryoLines(lines, soryo);
}

} // namespace

QStringList DiscountRuleLines(const TDiscountRules &rules, const QDate &today)
{
    QStringList lines;
    QStringList permanent;
    AddRuleSet(permanent, rules.valued, rules.numed, rules.soryo);
    if (!permanent.isEmpty()) {
        if (!rules.title.isEmpty())
            lines.append(rules.title);
        lines.append(permanent);
    }
    const bool upcoming = rules.campaignStart.isValid() && today < rules.campaignStart;
    if (rules.CampaignActive(today) || upcoming) {
        QStringList campaign;
        AddRuleSet(campaign, rules.cpnValued, rules.cpnNumed, rules.cpnSoryo);
        if (!campaign.isEmpty()) {
            lines.append(rules.campaignTitle.isEmpty() ? QStringLiteral("キャンペーン")
                                                       : rules.campaignTitle);
            lines.append(QStringLiteral("%1～%2").arg(
                rules.campaignStart.toString(QStringLiteral("yyyy/MM/dd")),
                rules.campaignEnd.toString(QStringLiteral("yyyy/MM/dd"))));
            lines.append(campaign);
        }
    }
    lines.append(rules.messages);
    return lines;
}

} // namespace korvatel
