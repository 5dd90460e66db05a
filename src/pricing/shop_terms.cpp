#include "pricing/shop_terms.h"

#include "pricing/money.h"
#include "pricing/price_tables.h"
#include "text/comma_text.h"
#include "text/key_file.h"
#include "text/numbers.h"

#include <algorithm>

namespace korvatel
{

namespace
{

struct TKindNames {
    const char *code;
    const char16_t *display;
    const char16_t *shortName;
};

constexpr TKindNames kPayments[kPaymentKindCount] = {
    { "ksiCredit", u"クレジット", u"ｸﾚｼﾞｯﾄ" },
    { "ksiDaibiki", u"宅配便代引", u"代引" },
    { "ksiFurikomi", u"銀行等振込", u"振込" },
    { "ksiUFuri", u"郵便振替票", u"振替票" },
    { "ksiCombini", u"ｺﾝﾋﾞﾆ決済", u"ｺﾝﾋﾞﾆ" },
    { "ksiKakitome", u"現金書留", u"書留" },
    { "ksiTentoo", u"ご来店にて", u"来店" },
    { "ksiTakeCash", u"配達時に現金", u"配達現金" },
    { "ksiKakeUri", u"法人掛売", u"掛売" },
    { "ksiJifuri", u"自動引落", u"自動引落" },
    { "ksiCumpus", u"集金袋", u"集金袋" },
};

// The full-width katakana forms of the convenience-store names, accepted when reading.
const char16_t *const kCombiniWide = u"コンビニ決済";
const char16_t *const kCombiniWideShort = u"コンビニ";

constexpr TKindNames kDeliveries[kDeliveryKindCount] = {
    { "hsoMailbin", u"メール便", u"ﾒｰﾙ便" },
    { "hsoMailbinFast", u"速達メール便", u"速達ﾒｰﾙ便" },
    { "hsoTakuhaibin", u"宅配便", u"宅配便" },
    { "hsoShop", u"ご来店", u"来店" },
    { "hsoJihai", u"区域配達", u"配達" },
    { "hsoCumpus", u"Campus", u"Campus" },
};

constexpr const char16_t *kPrefectures[kPrefectureCount]
    = { u"北海道", u"青森県", u"岩手県", u"宮城県", u"秋田県", u"山形県", u"福島県", u"茨城県",
          u"栃木県", u"群馬県", u"埼玉県", u"千葉県", u"東京都", u"神奈川県", u"新潟県", u"富山県",
          u"石川県", u"福井県", u"山梨県", u"長野県", u"岐阜県", u"静岡県", u"愛知県", u"三重県",
          u"滋賀県", u"京都府", u"大阪府", u"兵庫県", u"奈良県", u"和歌山県", u"鳥取県", u"島根県",
          u"岡山県", u"広島県", u"山口県", u"徳島県", u"香川県", u"愛媛県", u"高知県", u"福岡県",
          u"佐賀県", u"長崎県", u"熊本県", u"大分県", u"宮崎県", u"鹿児島県", u"沖縄県" };

QStringList PaymentForms(int kind)
{
    const TKindNames &k = kPayments[kind];
    QStringList forms { QLatin1String(k.code), QString::fromUtf16(k.display),
        QString::fromUtf16(k.shortName) };
    if (kind == ksiCombini)
        forms << QString::fromUtf16(kCombiniWide) << QString::fromUtf16(kCombiniWideShort);
    return forms;
}

QStringList DeliveryForms(int kind)
{
    const TKindNames &k = kDeliveries[kind];
    return { QLatin1String(k.code), QString::fromUtf16(k.display),
        QString::fromUtf16(k.shortName) };
}

// The kinds a list text names. Longer names are taken out of the text before shorter ones, so
// "速達メール便" does not also offer "メール便", nor "hsoMailbinFast" "hsoMailbin".
TKindSet KindsNamedIn(QString text, const QList<std::pair<QString, int>> &names)
{
    QList<std::pair<QString, int>> sorted = names;
    std::stable_sort(sorted.begin(), sorted.end(),
        [](const auto &a, const auto &b) { return a.first.size() > b.first.size(); });
    TKindSet set = 0;
    for (const auto &[name, kind] : sorted) {
        if (name.isEmpty())
            continue;
        if (text.contains(name, Qt::CaseInsensitive)) {
            set |= 1u << kind;
            text.replace(name, QStringLiteral("\t"), Qt::CaseInsensitive);
        }
    }
    return set;
}

// Fee steps: items of threshold and charge joined by the separator. A list whose items hold no
// separator is read as a flat list of pairs.
QList<TFeeStep> ReadSteps(const QString &value, QChar separator)
{
    QList<TFeeStep> steps;
    const QStringList items = FromCommaText(TrimBlanks(value));
    const bool flat = std::none_of(items.cbegin(), items.cend(),
        [&](const QString &item) { return item.contains(separator); });
    if (flat && separator == u',') {
        for (qsizetype i = 0; i + 1 < items.size(); i += 2)
            steps.append({ ParseNumber(items.at(i), 0), ParseNumber(items.at(i + 1), 0) });
        return steps;
    }
    for (const QString &item : items) {
        const qsizetype at = item.indexOf(separator);
        if (at < 0)
            continue;
        steps.append({ ParseNumber(item.left(at), 0), ParseNumber(item.mid(at + 1), 0) });
    }
    return steps;
}

QStringList ReadList(const TKeyFile &keys, const QString &name)
{
    const QString value = keys.Value(name);
    return TrimBlanks(value).isEmpty() ? QStringList() : FromCommaText(value);
}

// The variant form of 都 from the extended character set (CP932 0xFBB7) reads as 都.
QString UnifyTo(QString text)
{
    text.replace(QChar(0xFA26), QChar(0x90FD));
    return text;
}

QStringList BuiltInTokusho()
{
    return {
        QStringLiteral("■商品に汚れ・破損があった場合"),
        QStringLiteral("お届けした商品に汚れ・破損・ご注文との相違があった場合は、"
                       "商品到着後7日以内にご連絡ください。良品と交換いたします。"),
        QStringLiteral("■お客様のご都合による返品・交換"),
        QStringLiteral("お客様の画像から作成する商品のため、お客様のご都合による返品・交換は"
                       "お受けできません。"),
    };
}

} // namespace

QString PaymentKindCode(int kind)
{
    return kind >= 0 && kind < kPaymentKindCount ? QLatin1String(kPayments[kind].code) : QString();
}

QString PaymentKindName(int kind)
{
    return kind >= 0 && kind < kPaymentKindCount ? QString::fromUtf16(kPayments[kind].display)
                                                 : QString();
}

QString PaymentKindShort(int kind)
{
    return kind >= 0 && kind < kPaymentKindCount ? QString::fromUtf16(kPayments[kind].shortName)
                                                 : QString();
}

QString DeliveryKindCode(int kind)
{
    return kind >= 0 && kind < kDeliveryKindCount ? QLatin1String(kDeliveries[kind].code)
                                                  : QString();
}

QString DeliveryKindName(int kind)
{
    return kind >= 0 && kind < kDeliveryKindCount ? QString::fromUtf16(kDeliveries[kind].display)
                                                  : QString();
}

QString DeliveryKindShort(int kind)
{
    return kind >= 0 && kind < kDeliveryKindCount ? QString::fromUtf16(kDeliveries[kind].shortName)
                                                  : QString();
}

int PaymentKindOf(const QString &text)
{
    for (int kind = 0; kind < kPaymentKindCount; ++kind) {
        for (const QString &form : PaymentForms(kind)) {
            if (text.contains(form, Qt::CaseInsensitive))
                return kind;
        }
    }
    return ksiTentoo;
}

int DeliveryKindOf(const QString &text)
{
    for (int kind = 0; kind < kDeliveryKindCount; ++kind) {
        for (const QString &form : DeliveryForms(kind)) {
            if (text.compare(form, Qt::CaseInsensitive) == 0)
                return kind;
        }
    }
    for (int kind = kDeliveryKindCount - 1; kind >= 0; --kind) {
        for (const QString &form : DeliveryForms(kind)) {
            if (text.contains(form, Qt::CaseInsensitive))
                return kind;
        }
    }
    return hsoShop;
}

TKindSet PaymentSetOf(const QString &text)
{
    QList<std::pair<QString, int>> names;
    for (int kind = 0; kind < kPaymentKindCount; ++kind) {
        names.append({ PaymentKindCode(kind), kind });
        names.append({ PaymentKindName(kind), kind });
        if (kind == ksiCombini)
            names.append({ QString::fromUtf16(kCombiniWide), kind });
    }
    return KindsNamedIn(text, names);
}

TKindSet DeliverySetOf(const QString &text)
{
    QList<std::pair<QString, int>> names;
    for (int kind = 0; kind < kDeliveryKindCount; ++kind) {
        names.append({ DeliveryKindCode(kind), kind });
        names.append({ DeliveryKindName(kind), kind });
    }
    return KindsNamedIn(text, names);
}

QString PaymentSetText(TKindSet set, bool shortNames)
{
    QStringList names;
    for (int kind = 0; kind < kPaymentKindCount; ++kind) {
        if ((set >> kind) & 1u)
            names.append(shortNames ? PaymentKindShort(kind) : PaymentKindName(kind));
    }
    return names.join(u',');
}

QString DeliverySetText(TKindSet set, bool shortNames)
{
    QStringList names;
    for (int kind = 0; kind < kDeliveryKindCount; ++kind) {
        if ((set >> kind) & 1u)
            names.append(shortNames ? DeliveryKindShort(kind) : DeliveryKindName(kind));
    }
    return names.join(u',');
}

QString PrefectureName(int number)
{
    return number >= 1 && number <= kPrefectureCount ? QString::fromUtf16(kPrefectures[number - 1])
                                                     : QString();
}

int PrefectureNumber(const QString &name)
{
    const QString wanted = TrimBlanks(name);
    if (wanted.isEmpty())
        return 0;
    for (int i = 0; i < kPrefectureCount; ++i) {
        const QString full = QString::fromUtf16(kPrefectures[i]);
        if (wanted == full || (full.size() > 2 && wanted == full.chopped(1)))
            return i + 1;
    }
    return 0;
}

void TShopTerms::LoadShopTerms(const QStringList &optionTable)
{
    *this = TShopTerms();
    const TKeyFile keys(optionTable, Qt::CaseSensitive);
    auto text = [&](const char *name) { return keys.Value(QLatin1String(name)); };
    auto flag = [&](const char *name) { return keys.Bool(QLatin1String(name)); };

    FPayments = PaymentSetOf(text("Kessais"));
    FDeliveries = DeliverySetOf(text("Haisoos"));
    FMailbinURL = text("MailbinURL");
    FTakuhaibinURL = text("TakuhaibinURL");
    FCreditNP = flag("CreditNP");
    FCombiniNP = flag("CombiniNP");
    FFurikomiNP = flag("FurikomiNP");
    FUFuriNP = flag("UFuriNP");
    FMailbin = ReadSteps(text("Mailbin"), u',');
    FMailbinFast = ReadSteps(text("MailbinFast"), u',');
    FTakuhai = ReadSteps(text("Takuhai"), u'=');
    FJihai = ReadSteps(text("Jihai"), u',');
    FDaibiki = ReadSteps(text("Daibiki"), u',');
    FCredit = ReadSteps(text("Credit"), u',');
    FCombini = ReadSteps(text("Combini"), u',');
    FHasCreditRate = !TrimBlanks(text("CreditPerFee")).isEmpty();
    FHasCombiniRate = !TrimBlanks(text("CombiniPerFee")).isEmpty();
    FCreditPerFee = keys.Number(QStringLiteral("CreditPerFee"), 0);
    FCombiniPerFee = keys.Number(QStringLiteral("CombiniPerFee"), 0);
    FBBSUse = flag("BBSUse");
    FBBS = text("BBS");
    FMapUse = flag("MapUse");
    FMapTitle = text("MapTitle");
    FMapURL = text("MapURL");
    FCreditMacro = text("CreditMacro");
    FCreditMacro2 = text("CreditMacro2");
    FCombiniTransUse = flag("CombiniTransUse");
    FCombiniTransRes = text("CombiniTransRes");
    FCombiniTransID = text("CombiniTransID");
    FGlobalArea = ReadList(keys, QStringLiteral("JihaiGlobalArea"));
    FAndArea = ReadList(keys, QStringLiteral("JihaiAndArea"));
    FNotArea = ReadList(keys, QStringLiteral("JihaiNotArea"));
    FJifuriLong = text("JifuriAriasNameLong");
    FJifuriShort = text("JifuriAriasNameShort");
    FUseCommentTop = flag("UseCommentTop");
    FUseCommentBtm = flag("UseCommentBtm");
    FTopComments = ReadList(keys, QStringLiteral("TopComments"));
    FBtmComments = ReadList(keys, QStringLiteral("BtmComments"));
    FBankStrings = ReadList(keys, QStringLiteral("BankStrings"));
    FCustomTokushoUse = flag("CustomTokushoUse");
    FCustomTokusho = ReadList(keys, QStringLiteral("CustomTokushoStrings"));
    FTokusho = ReadList(keys, QStringLiteral("TokushoStrings"));
}

QList<int> TShopTerms::PaymentKinds() const
{
    QList<int> kinds;
    for (int kind = 0; kind < kPaymentKindCount; ++kind) {
        if (OffersPayment(kind))
            kinds.append(kind);
    }
    return kinds;
}

QList<int> TShopTerms::DeliveryKinds() const
{
    QList<int> kinds;
    for (int kind = 0; kind < kDeliveryKindCount; ++kind) {
        if (OffersDelivery(kind))
            kinds.append(kind);
    }
    return kinds;
}

double TShopTerms::StepCharge(const QList<TFeeStep> &steps, double measure)
{
    for (qsizetype i = steps.size() - 1; i >= 0; --i) {
        if (!(steps.at(i).threshold > measure))
            return steps.at(i).charge;
    }
    return 0;
}

double TShopTerms::HomeDeliveryCharge(int prefecture) const
{
    const TFeeStep *other = nullptr;
    for (const TFeeStep &step : FTakuhai) {
        if (step.threshold == prefecture && prefecture != 0)
            return step.charge;
        if (step.threshold == 0 && !other)
            other = &step;
    }
    return other ? other->charge : 0;
}

double TShopTerms::OwnDeliveryCharge(double amount) const
{
    return amount == 0 ? 0 : StepCharge(FJihai, amount);
}

bool TShopTerms::InOwnDeliveryArea(const QString &address) const
{
    const QString whole = UnifyTo(address);
    QString rest;
    bool matched = false;
    for (const QString &area : FGlobalArea) {
        const QString name = UnifyTo(area);
        if (!name.isEmpty() && whole.startsWith(name)) {
            rest = whole.mid(name.size());
            matched = true;
            break;
        }
    }
    if (!matched)
        return false;
    auto containsAny = [&](const QStringList &areas) {
        return std::any_of(areas.cbegin(), areas.cend(), [&](const QString &area) {
            const QString name = UnifyTo(area);
            return !name.isEmpty() && rest.contains(name);
        });
    };
    if (!FAndArea.isEmpty() && !containsAny(FAndArea))
        return false;
    if (!FNotArea.isEmpty() && containsAny(FNotArea))
        return false;
    return true;
}

QString TShopTerms::PaymentDisplayName(int kind) const
{
    if (kind == ksiJifuri && !FJifuriLong.isEmpty())
        return FJifuriLong;
    return PaymentKindName(kind);
}

QStringList TShopTerms::TokushoStrings() const
{
    if (!FTokusho.isEmpty())
        return FTokusho;
    if (FCustomTokushoUse)
        return FCustomTokusho;
    return BuiltInTokusho();
}

namespace
{

QString Yen(double x)
{
    return QStringLiteral("\\") + FloatText(x);
}

void AddPaymentFees(QStringList &lines, const QString &heading, bool taxIncluded,
    const QList<TFeeStep> &steps, bool hasRate, double rate)
{
    lines.append(heading + (taxIncluded ? QStringLiteral("税込") : QString()));
    if (steps.isEmpty())
        lines.append(QStringLiteral("料金設定 なし"));
    for (const TFeeStep &step : steps) {
        lines.append(step.threshold <= 0
                ? QStringLiteral("一律 ") + Yen(step.charge)
                : QStringLiteral("%1円以上の注文 %2")
                      .arg(NumberText(step.threshold, 0), Yen(step.charge)));
    }
    if (!hasRate)
        lines.append(QStringLiteral("料率設定 なし"));
    else if (rate >= 0)
        lines.append(QStringLiteral("料率 +%1%").arg(FloatText(SnapMoney(rate * 100))));
    else
        lines.append(QStringLiteral("料率割引 %1%").arg(FloatText(SnapMoney(-rate * 100))));
}

void AddCountSteps(QStringList &lines, const QString &heading, const QList<TFeeStep> &steps)
{
    lines.append(heading);
    if (steps.isEmpty()) {
        lines.append(QStringLiteral("料金設定 なし"));
        return;
    }
    for (const TFeeStep &step : steps) {
        if (steps.size() == 1)
            lines.append(QStringLiteral("全国一律 ") + Yen(step.charge));
        else if (step.threshold <= 1)
            lines.append(QStringLiteral("基底料金 ") + Yen(step.charge));
        else
            lines.append(
                QStringLiteral("%1枚以上 %2").arg(NumberText(step.threshold, 0), Yen(step.charge)));
    }
}

void AddAreaList(QStringList &lines, const QString &heading, const QStringList &areas)
{
    if (areas.isEmpty())
        return;
    lines.append(heading);
    lines.append(areas.join(QStringLiteral("､")));
}

// The fees of the payment kinds offered; true when there was one to show.
bool AddPaymentKindFees(QStringList &lines, const TShopTerms &terms, bool inclusive)
{
    bool feesShown = false;
    if (terms.OffersPayment(ksiCredit)) {
        AddPaymentFees(lines, QStringLiteral("【ｸﾚｼﾞｯﾄ手数料】"), inclusive, terms.CardSteps(),
            terms.HasCreditRate(), terms.CreditRate());
        feesShown = true;
    }
    if (terms.OffersPayment(ksiCombini)) {
        AddPaymentFees(lines, QStringLiteral("【ｺﾝﾋﾞﾆ手数料】"), inclusive, terms.CombiniSteps(),
            terms.HasCombiniRate(), terms.CombiniRate());
        feesShown = true;
    }
    if (terms.OffersPayment(ksiDaibiki)) {
        lines.append(QStringLiteral("【代引手数料】"));
        if (terms.CashOnDeliverySteps().isEmpty())
            lines.append(QStringLiteral("料金設定 なし"));
        for (const TFeeStep &step : terms.CashOnDeliverySteps()) {
            lines.append(step.threshold <= 0
                    ? QStringLiteral("一律 ") + Yen(step.charge)
                    : QStringLiteral("%1円以上 %2")
                          .arg(NumberText(step.threshold, 0), Yen(step.charge)));
        }
        feesShown = true;
    }
    return feesShown;
}

// The home delivery fees: one for the whole country, or by prefecture and for the rest.
void AddHomeDeliveryFees(QStringList &lines, const TShopTerms &terms)
{
    if (!terms.OffersDelivery(hsoTakuhaibin))
        return;
    lines.append(QStringLiteral("【宅配便】"));
    const QList<TFeeStep> &steps = terms.HomeDeliverySteps();
    if (steps.isEmpty())
        lines.append(QStringLiteral("料金設定 なし"));
    for (const TFeeStep &step : steps) {
        if (step.threshold == 0)
            lines.append(
                (steps.size() == 1 ? QStringLiteral("全国一律 ") : QStringLiteral("他全国 "))
                + Yen(step.charge));
        else // a threshold outside the prefectures names none; it is never narrowed unchecked
            lines.append(PrefectureName(step.threshold >= 1 && step.threshold <= kPrefectureCount
                                 ? int(step.threshold)
                                 : 0)
                + u' ' + Yen(step.charge));
    }
}

// The shop's own delivery: its fees and the areas it serves.
void AddOwnDeliveryFees(QStringList &lines, const TShopTerms &terms)
{
    if (!terms.OffersDelivery(hsoJihai))
        return;
    const QList<TFeeStep> &steps = terms.OwnDeliverySteps();
    const bool free = std::all_of(
        steps.cbegin(), steps.cend(), [](const TFeeStep &s) { return !(s.charge > 0); });
    lines.append(QStringLiteral("【自社配達】"));
    lines.append(free ? QStringLiteral("自社配達(無料)") : QStringLiteral("自社配達(料金参照)"));
    for (const TFeeStep &step : steps) {
        if (steps.size() == 1)
            lines.append(QStringLiteral("配達料 ") + Yen(step.charge));
        else if (step.threshold <= 1)
            lines.append(QStringLiteral("区域内配達 ") + Yen(step.charge));
        else
            lines.append(
                QStringLiteral("%1円以上 %2").arg(FloatText(step.threshold), Yen(step.charge)));
    }
    AddAreaList(lines, QStringLiteral("*住所の先頭が該当する"), terms.GlobalArea());
    AddAreaList(lines,
        terms.GlobalArea().isEmpty() ? QStringLiteral("*以下の地名を住所に含む")
                                     : QStringLiteral("*更に以下の地名を含む"),
        terms.AndArea());
    AddAreaList(lines,
        terms.AndArea().isEmpty() ? QStringLiteral("*以下の地名は含まない")
                                  : QStringLiteral("*更に以下の地名は含まない"),
        terms.NotArea());
}

// How tax is shown and added, and how the total is rounded.
void AddTaxNotes(QStringList &lines, const TPriceTables &tables, bool feesShown)
{
    const bool inclusive = tables.Tax().inclusive;
    const QString percent = FloatText(SnapMoney(tables.Tax().rate * 100));
    if (inclusive) {
        lines.append(QStringLiteral("※金額は税込み表示です。"));
        lines.append(QStringLiteral("消費税 %1％ が含まれています。").arg(percent));
    } else {
        lines.append(feesShown ? QStringLiteral("※手数料を除き税抜きです。")
                               : QStringLiteral("※金額は税抜き表示です。"));
        lines.append(QStringLiteral("消費税 %1％ を加算いたします。").arg(percent));
    }
    switch (tables.Tax().rounding) {
    case rrHalfUp:
        lines.append(QStringLiteral("※合計金額の円未満は四捨五入します。"));
        break;
    case rrUp:
        lines.append(QStringLiteral("※合計金額の円未満は切り上げます。"));
        break;
    default:
        lines.append(QStringLiteral("※合計金額の円未満は切り捨てます。"));
        break;
    }
}

// The CD-R prices by disc and the CD-R limit.
void AddCdPrices(QStringList &lines, const TPriceTables &tables)
{
    const bool net = tables.ServerCatalogue();
    if (tables.CdOffered(net)) {
        const std::pair<int, QString> rows[2] = { { cdtNormal, QStringLiteral("CD-R作成") },
            { cdtJustify, QStringLiteral("CD-R(同ﾌﾟﾘ)") } };
        for (const auto &[kind, label] : rows) {
            const QList<double> tiers = tables.CdTiers(kind, net);
            for (qsizetype i = 0; i < tiers.size(); ++i) {
                QString row = label;
                if (i > 0)
                    row += QStringLiteral(" %1枚目").arg(i + 1)
                        + (i + 1 == tiers.size() ? QStringLiteral("以降") : QString());
                lines.append(row + u' ' + Yen(tiers.at(i)));
            }
        }
        lines.append(tables.CdLimitText(net));
    }
}

} // namespace

QStringList ShopInformationLines(const TShopTerms &terms, const TPriceTables &tables)
{
    QStringList lines;
    const bool feesShown = AddPaymentKindFees(lines, terms, tables.Tax().inclusive);
    lines.append(QStringLiteral("・送料一覧"));
    if (terms.OffersDelivery(hsoMailbin))
        AddCountSteps(lines, QStringLiteral("【メール便】"), terms.MailSteps());
    if (terms.OffersDelivery(hsoMailbinFast))
        AddCountSteps(lines, QStringLiteral("【速達メール便】"), terms.FastMailSteps());
    AddHomeDeliveryFees(lines, terms);
    AddOwnDeliveryFees(lines, terms);
    AddTaxNotes(lines, tables, feesShown);
    AddCdPrices(lines, tables);
    return lines;
}

} // namespace korvatel
