#include "cards/card_order.h"

#include "cards/stage_plates.h"
#include "customer/user_check.h"
#include "customer/user_record.h"
#include "net/server_config.h"
#include "net/server_lookups.h"
#include "net/shop_envelope.h"
#include "net/win_inet.h"
#include "pricing/money.h"
#include "text/cp932.h"
#include "text/half_width.h"
#include "text/key_file.h"
#include "text/numbers.h"
#include "text/sjis_file.h"

#include <QFile>
#include <QFileInfo>
#include <algorithm>

namespace korvatel
{

namespace
{

const QString kCrLf = QStringLiteral("\r\n");

// "name:rest" split at the last colon; nullopt without a name.
std::optional<std::pair<QString, QString>> NameAndRest(const QString &value)
{
    const int colon = value.lastIndexOf(u':');
    if (colon <= 0)
        return std::nullopt;
    return std::pair { value.left(colon).trimmed(), value.mid(colon + 1).trimmed() };
}

// "name:low-high" or "name:fee" or "name:注文不可".
std::optional<TCardFeeChoice> ParseFeeChoice(const QString &value)
{
    const auto parts = NameAndRest(value);
    if (!parts)
        return std::nullopt;
    TCardFeeChoice choice;
    choice.name = parts->first;
    const QString &fee = parts->second;
    if (fee == QStringLiteral("注文不可")) {
        choice.refused = true;
        return choice;
    }
    const QStringList range = fee.split(u'-');
    choice.low = ParseNumber(range.value(0), -1);
    choice.high = range.size() > 1 ? ParseNumber(range.value(1), -1) : choice.low;
    if (choice.low < 0 || choice.high < choice.low || choice.high > 1e7)
        return std::nullopt;
    return choice;
}

// "name:1=100;50=80".
std::optional<TCardPaper> ParsePaper(const QString &value)
{
    const auto parts = NameAndRest(value);
    if (!parts)
        return std::nullopt;
    TCardPaper paper;
    paper.name = parts->first;
    for (const QString &step : parts->second.split(u';', Qt::SkipEmptyParts)) {
        const int from = ParseInteger(step.section(u'=', 0, 0), -1);
        const double price = ParseNumber(step.section(u'=', 1), -1);
        if (from < 1 || price < 0 || price > 1e6)
            continue;
        if (!paper.steps.isEmpty() && paper.steps.last().first >= from)
            continue;
        paper.steps.append({ from, price });
    }
    return paper;
}

bool IsDaibiki(const QString &name)
{
    return name.contains(QStringLiteral("代引"));
}

} // namespace

TTemplateDesc SplitTemplateDesc(const QString &description)
{
    TTemplateDesc desc;
    for (const QString &group : description.split(QStringLiteral("\t\t\t"))) {
        for (const QString &field : group.split(QStringLiteral("\t\t")))
            desc.fields.append(field.trimmed());
    }
    desc.title = desc.fields.value(0);
    for (int i = 0; i < desc.fields.size(); ++i) {
        const QString &field = desc.fields[i];
        if (field.startsWith(u'[') && field.endsWith(u']') && field.size() >= 2) {
            desc.code = field.mid(1, field.size() - 2);
            desc.userPictures = std::clamp(ParseInteger(desc.fields.value(i + 1), 0), 0, 99);
            break;
        }
    }
    desc.priceSet = desc.code == desc.code.toUpper() ? 1 : 2;
    return desc;
}

double TCardPaper::UnitPrice(int count) const
{
    double price = steps.isEmpty() ? 0 : steps.first().second;
    for (const auto &step : steps) {
        if (count >= step.first)
            price = step.second;
    }
    return price;
}

QString TCardPrices::Description(const QString &plateFile) const
{
    for (const auto &entry : templates) {
        if (entry.first == plateFile)
            return entry.second;
    }
    return {};
}

std::optional<TCardPrices> ParseCardPrices(const QStringList &lines)
{
    TCardPrices prices;
    int section = -1; // 0 templates, 1 and 2 the price sets
    bool anyPaper = false;
    for (const QString &line : lines) {
        const QString trimmed = line.trimmed();
        if (trimmed == QLatin1String("[Template]")) {
            section = 0;
            continue;
        }
        if (trimmed == QLatin1String("[Price1]") || trimmed == QLatin1String("[Price2]")) {
            section = trimmed.at(6).digitValue();
            continue;
        }
        const int eq = line.indexOf(u'=');
        if (eq <= 0 || section < 0)
            continue;
        const QString key = line.left(eq).trimmed();
        const QString value = line.mid(eq + 1);
        if (section == 0) {
            if (prices.templates.size() < 256)
                prices.templates.append({ key, value });
            continue;
        }
        TCardPriceSet &set = prices.sets[section - 1];
        if (key == QLatin1String("Charge")) {
            set.charge = std::clamp(ParseNumber(value, 0), 0.0, 1e7);
        } else if (key == QLatin1String("Paper") && set.papers.size() < 32) {
            if (auto paper = ParsePaper(value)) {
                set.papers.append(*paper);
                anyPaper = true;
            }
        } else if (key == QLatin1String("Trans") && set.deliveries.size() < 32) {
            if (auto choice = ParseFeeChoice(value))
                set.deliveries.append(*choice);
        } else if (key == QLatin1String("Pay") && set.payments.size() < 32) {
            if (auto choice = ParseFeeChoice(value))
                set.payments.append(*choice);
        } else if (key == QLatin1String("FreeTrans")) {
            if (const auto parts = NameAndRest(value)) {
                set.discountName = parts->first;
                set.discountFrom = ParseNumber(parts->second, 0);
            }
        } else if (key == QLatin1String("ConbiniLimit")) {
            set.conbiniLimit = ParseNumber(value, 0);
        } else if (key == QLatin1String("MinAmount")) {
            set.minAmount = ParseNumber(value, set.minAmount);
        } else if (key == QLatin1String("MaxAmount")) {
            set.maxAmount = ParseNumber(value, set.maxAmount);
        }
    }
    if (!anyPaper)
        return std::nullopt;
    return prices;
}

std::optional<TCardPrices> FetchCardPrices(
    const TServerConfig &config, const QString &shopId, const QString &downloadDir)
{
    if (!IsShopIdText(shopId))
        return std::nullopt;
    const TShopTrust trust = TShopTrust::Load(config.shopDataKey, downloadDir, shopId);
    for (const TFormatServer *server : { &config.primary, &config.secondary }) {
        TWinHTTP http(config.Transport());
        if (server->baseUrl.isEmpty() || !http.Connect(server->baseUrl))
            continue;
        http.MaxSize = kCardPriceCap;
        const QString url = ShopPlatesUrl(*server, shopId) + QStringLiteral("CardPrice.ini");
        const std::optional<QByteArray> bytes = http.GetUrlBytes(url);
        if (!bytes || !trust.Accepts(QStringLiteral("Plates/CardPrice.ini"), *bytes))
            continue;
        if (auto prices = ParseCardPrices(SjisLines(*bytes).value_or(QStringList())))
            return prices;
    }
    return std::nullopt;
}

QStringList CardChoicesLines(const TCardChoices &c)
{
    return { QStringLiteral("Num=%1").arg(c.num), QStringLiteral("PaperNdx=%1").arg(c.paperNdx),
        QStringLiteral("TransStr=") + c.transStr, QStringLiteral("PayStr=") + c.payStr,
        QStringLiteral("KanaName=") + c.kanaName,
        QStringLiteral("OtherSend=")
            + (c.otherSend ? QStringLiteral("TRUE") : QStringLiteral("FALSE")),
        QStringLiteral("OtherPref=%1").arg(c.otherPref), QStringLiteral("OtherName=") + c.otherName,
        QStringLiteral("OtherZip=") + c.otherZip, QStringLiteral("OtherAdrs=") + c.otherAdrs,
        QStringLiteral("OtherMail=") + c.otherMail, QStringLiteral("OtherTel=") + c.otherTel };
}

TCardChoices ReadCardChoices(const QString &path)
{
    TKeyFile file;
    TCardChoices c;
    if (!file.Load(path))
        return c;
    c.num = std::clamp(file.Integer(QStringLiteral("Num"), 0), 0, 99999);
    c.paperNdx = std::clamp(file.Integer(QStringLiteral("PaperNdx"), 0), 0, 31);
    c.transStr = file.Value(QStringLiteral("TransStr"));
    c.payStr = file.Value(QStringLiteral("PayStr"));
    c.kanaName = file.Value(QStringLiteral("KanaName"));
    c.otherSend = file.Bool(QStringLiteral("OtherSend"));
    c.otherPref = file.Integer(QStringLiteral("OtherPref"), -1);
    if (c.otherPref < 1 || c.otherPref > 47)
        c.otherPref = -1;
    c.otherName = file.Value(QStringLiteral("OtherName"));
    c.otherZip = file.Value(QStringLiteral("OtherZip"));
    c.otherAdrs = file.Value(QStringLiteral("OtherAdrs"));
    c.otherMail = file.Value(QStringLiteral("OtherMail"));
    c.otherTel = file.Value(QStringLiteral("OtherTel"));
    return c;
}

bool WriteCardChoices(
    const QString &path, const TCardChoices &choices, bool changingOrder, bool force)
{
    if (changingOrder && !force)
        return false;
    const QStringList lines = CardChoicesLines(choices);
    TKeyFile old;
    if (old.Load(path) && old.Lines() == lines)
        return false;
    return TKeyFile(lines).Save(path, TFileAccess::faPrivate);
}

QString CardCheckNumber(const QString &text)
{
    int sum = 0;
    for (const char byte : ToCp932(text)) {
        sum += static_cast<unsigned char>(byte);
        if (sum >= 10000)
            sum %= 10000;
    }
    return QStringLiteral("%1").arg(sum, 4, 10, QLatin1Char('0'));
}

QString CardOrderNumber(
    const QString &shopId, const QString &orderTime, const QString &tel1, const QString &acount)
{
    QString tel = ToHalfWidth(tel1);
    tel.remove(u' ');
    tel.remove(u'-');
    QString number = shopId + u'-' + orderTime + u'-' + tel + u'-';
    return number + (acount.size() == 4 ? acount : CardCheckNumber(number));
}

TCardPrice PriceCardOrder(const TCardPriceSet &set, const TCardChoices &choices, int prefecture)
{
    TCardPrice price;
    price.num = choices.num;
    price.charge = set.charge;
    price.chargeCost = choices.num > 0 ? set.charge : 0;
    if (choices.paperNdx >= 0 && choices.paperNdx < set.papers.size()) {
        const TCardPaper &paper = set.papers[choices.paperNdx];
        price.paper = paper.name;
        price.paperPriced = paper.Priced();
        price.unitPrice = paper.UnitPrice(choices.num);
        price.defPrice = paper.steps.isEmpty() ? 0 : paper.steps.first().second;
        price.cost = SnapMoney(price.unitPrice * choices.num);
        price.lines << QStringLiteral("はがき %1").arg(paper.name)
                    << QStringLiteral("%1 x %2 = %3")
                           .arg(CurrencyText(price.unitPrice))
                           .arg(choices.num)
                           .arg(CurrencyText(price.cost));
    }
    price.trans = choices.transStr;
    for (const TCardFeeChoice &d : set.deliveries) {
        if (d.name != choices.transStr || d.refused)
            continue;
        const int pref
            = choices.otherSend && choices.otherPref > 0 ? choices.otherPref : prefecture;
        price.transDef = pref == 1 || pref == 47 ? d.high : d.low;
    }
    price.transFee = price.transDef;
    if (set.discountName.isEmpty()) {
        price.transDisc = QStringLiteral("設定なし");
    } else {
        if (price.cost + price.chargeCost >= set.discountFrom)
            price.transFee = 0;
        price.transDisc = set.discountName
            + (price.transDef > price.transFee ? QStringLiteral(" 適用")
                                               : QStringLiteral(" 適用なし"));
    }
    price.transCost = price.transFee;
    price.pay = choices.payStr;
    for (const TCardFeeChoice &p : set.payments) {
        if (p.name == choices.payStr && !p.refused)
            price.payFee = p.low;
    }
    price.total = price.chargeCost + price.cost + price.transCost + price.payFee;
    return price;
}

QString FeeText(const TCardFeeChoice &choice)
{
    if (choice.refused)
        return QStringLiteral(" 注文不可");
    if (choice.high > choice.low)
        return QStringLiteral(" %1～%2").arg(CurrencyText(choice.low), CurrencyText(choice.high));
    return u' ' + CurrencyText(choice.low);
}

QStringList PaperStepLines(const TCardPaper &paper)
{
    QStringList lines;
    for (int i = 0; i < paper.steps.size(); ++i) {
        const bool last = i + 1 == paper.steps.size();
        lines << (last || paper.steps.size() > 1 ? QStringLiteral("P%1～ %2 x")
                                                 : QStringLiteral("P%1 %2 x"))
                     .arg(paper.steps[i].first)
                     .arg(CurrencyText(paper.steps[i].second));
    }
    return lines;
}

QString CoupledChoice(const QString &name)
{
    if (name == QStringLiteral("宅配(代引)"))
        return QStringLiteral("代引(宅配)");
    if (name == QStringLiteral("代引(宅配)"))
        return QStringLiteral("宅配(代引)");
    return {};
}

QString PaymentNote(const TCardPriceSet &set, const QString &payment)
{
    for (const TCardFeeChoice &p : set.payments) {
        if (p.name != payment)
            continue;
        const QString fee = p.low > 0 ? CurrencyText(p.low) : QStringLiteral("なし");
        if (payment == QStringLiteral("銀振･郵振"))
            return QStringLiteral("振込手数料は、ご負担願います。");
        if (payment == QStringLiteral("コンビニ票")) {
            return QStringLiteral("コンビニ手数料 ") + fee + kCrLf
                + QStringLiteral("ｺﾝﾋﾞﾆ決済の限度額は") + CurrencyText(set.conbiniLimit)
                + QStringLiteral("です。");
        }
        if (IsDaibiki(payment))
            return QStringLiteral("代引手数料 ") + fee;
    }
    return {};
}

QString CheckOtherRecipient(const TCardChoices &c, const QString &customerName)
{
    if (!c.otherSend)
        return {};
    if (c.otherName.trimmed().isEmpty())
        return QStringLiteral("お届け先の、お名前を入力して下さい。");
    auto solid = [](QString s) {
        s.remove(u' ');
        s.remove(QChar(0x3000));
        return s;
    };
    if ((IsDaibiki(c.payStr) || IsDaibiki(c.transStr))
        && solid(c.otherName) != solid(customerName)) {
        return QStringLiteral("お届け先のお名前が異なるので代引指定は出来ません。\r\n"
                              "ご自身のお名前にすれば、可能です。");
    }
    if (c.otherPref < 1 || c.otherPref > 47)
        return QStringLiteral("お届け先の都道府県名をセットして下さい。");
    if (ToHalfWidth(c.otherZip).isEmpty() || !CheckZip(c.otherZip).isEmpty())
        return QStringLiteral("お届け先の〒番号は、\"999-9999\"の書式で入力して下さい。");
    if (c.otherAdrs.trimmed().isEmpty())
        return QStringLiteral("お届け先のご住所を、入力して下さい。");
    bool town = false;
    for (const QChar ch : QStringLiteral("市郡区町村"))
        town = town || c.otherAdrs.contains(ch);
    if (!town)
        return QStringLiteral("お届け先のご住所に市･郡･区･町･村名がありません。");
    if (!c.otherMail.trimmed().isEmpty() && !CheckMail(c.otherMail.trimmed()).isEmpty())
        return QStringLiteral("お届け先のメールアドレスが正しくありません。");
    const QString tel = ToHalfWidth(c.otherTel);
    if (tel.isEmpty())
        return QStringLiteral("お届け先の電話番号を入力して下さい。");
    const QString telCheck = CheckTelephone(tel, QStringLiteral("電話"));
    if (telCheck.contains(QStringLiteral("市外局番")))
        return QStringLiteral("お届け先の電話番号の市外局番に市外局番がありません。");
    if (telCheck.contains(QStringLiteral("のみ有効")))
        return QStringLiteral("お届け先の電話番号は、数字と\"-\"のみ有効です。");
    if (!telCheck.isEmpty())
        return QStringLiteral("お届け先の電話番号は、正しい桁数ではありません。");
    return {};
}

namespace
{

QString CheckCustomer(const TCardCheckInput &in)
{
    if (in.kana.trimmed().isEmpty())
        return QStringLiteral("お客様の、フリガナを入力して下さい。");
    if (in.name.trimmed().isEmpty())
        return QStringLiteral("お客様の、お名前を入力して下さい。");
    if (ToHalfWidth(in.zip).isEmpty())
        return QStringLiteral("お客様の、郵便番号を入力して下さい。");
    if (!CheckZip(in.zip).isEmpty())
        return QStringLiteral(
            "お客様の、郵便番号が不備です。\r\n　<\"999-9999\"の書式ではありません>");
    if (in.adrs1.trimmed().isEmpty())
        return QStringLiteral("お客様の、住所を入力して下さい。");
    const QString address = CheckAddress(in.adrs1);
    if (address.contains(QStringLiteral("県名が不備")))
        return QStringLiteral("お客様住所の、県名が不備です。");
    if (address.contains(QStringLiteral("県名以下")))
        return QStringLiteral("お客様住所の、県名以下がありません。");
    if (!address.isEmpty())
        return QStringLiteral("お客様住所の、市郡区町村名がありません。");
    if (ToHalfWidth(in.mail).isEmpty())
        return QStringLiteral("お客様の、MAILを入力して下さい。");
    if (!CheckMail(in.mail.trimmed()).isEmpty())
        return QStringLiteral(
            "お客様の、MAILが不備です。\r\n　<メールアドレスの書式ではありません>");
    if (ToHalfWidth(in.tel1).isEmpty() && ToHalfWidth(in.tel2).isEmpty())
        return QStringLiteral("お客様の、TEL1またはTEL2を入力して下さい。");
    for (const auto &[tel, label] :
        { std::pair { in.tel1, "TEL1" }, std::pair { in.tel2, "TEL2" } }) {
        const QString check = CheckTelephone(tel.trimmed(), QStringLiteral("電話"));
        if (check.isEmpty())
            continue;
        const QString head
            = QStringLiteral("お客様の、%1が不備です。\r\n").arg(QLatin1String(label));
        const int open = check.indexOf(u'<');
        return head + QStringLiteral("　") + check.mid(open);
    }
    return {};
}

} // namespace

QString ExtraPicturesText(const QStringList &extra)
{
    QString text = QStringLiteral("指定した画像が%1個多いです。余分な画像は削除して下さい。")
                       .arg(extra.size());
    for (const QString &picture : extra)
        text += kCrLf + QFileInfo(picture).fileName();
    return text;
}

QString CheckCardOrder(const TCardCheckInput &in)
{
    // 1. User pictures.
    for (const QString &picture : in.pictures) {
        if (!QFile::exists(picture))
            return QStringLiteral("指定中のユーザー画像が存在しません。(") + picture + u')';
    }
    if (in.templatePictures == 0 && !in.pictures.isEmpty())
        return QStringLiteral("ユーザー画像は必要ありません。画像の送信は行いません。");
    if (in.pictures.size() > in.templatePictures)
        return ExtraPicturesText(in.pictures.mid(in.templatePictures));
    if (in.pictures.size() < in.templatePictures) {
        return QStringLiteral("ユーザー画像が、%1画像足りません。やり直してください。")
            .arg(in.templatePictures - in.pictures.size());
    }
    // 2. Sender.
    bool sender = false;
    for (const QString &line : in.senderLines)
        sender = sender || !line.trimmed().isEmpty();
    if (!sender)
        return QStringLiteral("差出人データを入力して下さい。");
    // 3. Quantity, paper, delivery, payment and the amounts.
    const TCardChoices &c = in.choices;
    if (c.num <= 0)
        return QStringLiteral("数量を設定して下さい。");
    static const TCardPriceSet none;
    const TCardPriceSet &set = in.prices ? *in.prices : none;
    if (c.paperNdx < 0 || c.paperNdx >= set.papers.size() || !set.papers[c.paperNdx].Priced())
        return QStringLiteral("価格設定の無いペーパーを選択しています。");
    auto usable = [](const QList<TCardFeeChoice> &list, const QString &name) {
        return std::any_of(list.begin(), list.end(),
            [&](const TCardFeeChoice &f) { return f.name == name && !f.refused; });
    };
    if (c.transStr.isEmpty() || !usable(set.deliveries, c.transStr))
        return QStringLiteral("受取方法の設定がありません。");
    if (c.payStr.isEmpty() || !usable(set.payments, c.payStr))
        return QStringLiteral("支払方法の設定がありません。");
    const TCardPrice price = PriceCardOrder(set, c, AddressPrefecture(in.adrs1));
    if (c.payStr == QStringLiteral("コンビニ票") && set.conbiniLimit > 0
        && price.total > set.conbiniLimit)
        return QStringLiteral("コンビニ決済の限度額を超過しています。");
    if (price.cost < set.minAmount || price.cost > set.maxAmount)
        return QStringLiteral("明細金額が範囲外です。");
    if (price.total < set.minAmount || price.total > set.maxAmount)
        return QStringLiteral("合計金額が範囲外です。");
    // 4. Customer, 5. other recipient.
    const QString customer = CheckCustomer(in);
    if (!customer.isEmpty())
        return customer;
    return CheckOtherRecipient(c, in.name);
}

QString ChangeQuestion()
{
    return QStringLiteral("修正データを送信いたします。よろしいですか？");
}

QString RepeatTemplateQuestion(int times)
{
    return QStringLiteral("指定したテンプレートは、過去に %1回 注文済みです。").arg(times)
        + QStringLiteral("\r\n\r\n") + QStringLiteral("　(Y)　追加別注文(別注文)として送信します。")
        + kCrLf
        + QStringLiteral("　(N)　注文済みの進行状況を見にいきます。(操作を間違えてしまった)")
        + kCrLf + kCrLf + QStringLiteral("選択して下さい。");
}

QString RepeatCustomerQuestion(int earlier)
{
    return QStringLiteral("%1回目のご注文、ありがとうございます。").arg(earlier + 1) + kCrLf
        + QStringLiteral("　(Y)で、新たな注文送信をいたします。") + kCrLf
        + QStringLiteral("　(N)で、注文済みの進行状況を見ることが出来ます。");
}

QString FirstOrderQuestion()
{
    return QStringLiteral("送信いたします。よろしいですか？");
}

QString SentText()
{
    return QStringLiteral("　　　　送信を完了しました。　　　　")
        + QStringLiteral(
            "【今後の確認事項】\r\n\r\n　1.ご注文の受付(受理)\r\n　2.画像合成の作業\r\n"
            "　3.デザインの確認\r\n　4.ご入金の確認\r\n　5.生産･発送状況\r\n\r\n　");
}

QString NoTemplateText()
{
    return QStringLiteral("　テンプレートの指定がありません。　");
}

QString CardPaymentKind(const QString &payment)
{
    if (payment == QStringLiteral("クレジット"))
        return QStringLiteral("ksiCredit");
    if (payment == QStringLiteral("コンビニ票"))
        return QStringLiteral("ksiCombini");
    if (IsDaibiki(payment))
        return QStringLiteral("ksiDaibiki");
    if (payment == QStringLiteral("店頭にて"))
        return QStringLiteral("ksiTentoo");
    return QStringLiteral("ksiFurikomi");
}

} // namespace korvatel
