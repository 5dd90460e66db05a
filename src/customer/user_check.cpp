#include "customer/user_check.h"

#include "customer/user_record.h"
#include "platform/prompter.h"
#include "pricing/shop_terms.h"
#include "text/half_width.h"

namespace korvatel
{

namespace
{

const QString kLineEnd = QStringLiteral("\r\n");

bool AllAmong(const QString &text, const QString &allowed)
{
    for (const QChar c : text) {
        if (!allowed.contains(c))
            return false;
    }
    return true;
}

bool AllDigits(const QString &text)
{
    return AllAmong(text, QStringLiteral("0123456789"));
}

} // namespace

TUserFields FieldsOf(const TUserRecord &user)
{
    return { user.Name(), user.Tel1(), user.Tel2(), user.Mail(), user.Zip(), user.Adrs1(),
        user.Adrs1Over(), user.Adrs2(), user.Acount(), user.Pass() };
}

void StoreFields(TUserRecord &user, const TUserFields &fields)
{
    user.StoreValue(QStringLiteral("Name"), fields.name);
    user.StoreValue(QStringLiteral("Tel1"), fields.tel1);
    user.StoreValue(QStringLiteral("Tel2"), fields.tel2);
    user.StoreValue(QStringLiteral("Mail"), fields.mail);
    user.StoreValue(QStringLiteral("Zip"), fields.zip);
    user.StoreValue(QStringLiteral("Adrs1"), fields.adrs1);
    user.StoreValue(QStringLiteral("Adrs1Over"), fields.adrs1Over);
    user.StoreValue(QStringLiteral("Adrs2"), fields.adrs2);
    user.StoreValue(QStringLiteral("Acount"), fields.acount);
    user.StoreValue(QStringLiteral("Pass"), fields.pass);
}

QString CheckMail(const QString &mail)
{
    const QString text = ToHalfWidth(mail);
    static const QString forbidden = QStringLiteral(" ,/*+<>{}[]=|\\%&!#$'()?;:\"");
    bool ok = text.count(QLatin1Char('@')) == 1 && !text.startsWith(QLatin1Char('@'))
        && !text.endsWith(QLatin1Char('@'));
    for (const QChar c : text) {
        if (c.unicode() < 33 || c.unicode() > 126 || forbidden.contains(c))
            ok = false;
    }
    return ok ? QString() : QStringLiteral("● E-Mail(PC) <エラー>");
}

QString CheckTelephone(const QString &tel, const QString &label)
{
    const QString text = ToHalfWidth(tel);
    if (text.isEmpty())
        return {};
    if (!text.startsWith(QLatin1Char('0')))
        return QStringLiteral("● %1 <市外局番が必要です>").arg(label);
    if (!AllAmong(text, QStringLiteral("0123456789-")))
        return QStringLiteral("● %1 <数字と\"-\"のみ有効です>").arg(label);
    QString digits = text;
    digits.remove(QLatin1Char('-'));
    int wanted = 10;
    for (const char *mobile : { "090", "080", "070", "050" }) {
        if (digits.startsWith(QLatin1String(mobile)))
            wanted = 11;
    }
    if (digits.startsWith(QLatin1String("0578")))
        wanted = 9;
    if (digits.size() != wanted)
        return QStringLiteral("● %1 <電話番号の桁数ではありません>").arg(label);
    return {};
}

QString CheckZip(const QString &zip)
{
    const QString text = ToHalfWidth(zip);
    if (text.isEmpty())
        return {};
    if (text.size() == 8 && text.at(3) == QLatin1Char('-')
        && AllAmong(text, QStringLiteral("0123456789-")))
        return {};
    return QStringLiteral("● 〒番号 <\"999-9999\"の書式ではありません>");
}

QString CheckAddress(const QString &address)
{
    const QString text = address.trimmed();
    if (text.isEmpty())
        return {};
    const int nameLength = AddressPrefectureLength(text);
    if (nameLength == 0)
        return QStringLiteral("● 住所 <県名が不備です>");
    QString solid = text;
    solid.remove(QLatin1Char(' '));
    solid.remove(QChar(0x3000));
    bool japanese = false;
    for (const QChar c : solid) {
        if (c.unicode() < 33 || c.unicode() > 126)
            japanese = true;
    }
    if (!japanese)
        return {}; // a romanised address is not checked further
    if (text.size() == nameLength)
        return QStringLiteral("● 住所 <県名以下がありません>");
    const QString rest = text.mid(nameLength);
    for (const QChar c : QStringLiteral("市郡区町村")) {
        if (rest.contains(c))
            return {};
    }
    return QStringLiteral("● 住所 <市郡区町村名がありません>");
}

QString CheckAcount(const QString &acount)
{
    const QString text = ToHalfWidth(acount);
    if (!AllDigits(text))
        return QStringLiteral("● 識別ｺｰﾄﾞ <数字以外があります>");
    if (text.size() != 4)
        return QStringLiteral("● 識別ｺｰﾄﾞ <桁数が不一致です>");
    return {};
}

QString CheckPass(const QString &pass)
{
    const QString text = ToHalfWidth(pass);
    if (!AllDigits(text))
        return QStringLiteral("● ﾊﾟｽﾜｰﾄﾞ <数字以外があります>");
    if (text.size() < 4 || text.size() > 10)
        return QStringLiteral("● ﾊﾟｽﾜｰﾄﾞ <桁数が範囲外です>");
    return {};
}

TUserCheckResult CheckUser(const TUserFields &fields, const TMemberLogin &member, bool checkOnly)
{
    QStringList required = { fields.name, fields.mail, fields.tel1, fields.zip, fields.adrs1 };
    if (member.memberMode)
        required << member.user << member.pass;
    else
        required << fields.acount << fields.pass;
    for (const QString &value : required) {
        if (value.trimmed().isEmpty()) {
            return { TUserCheck::ucIncomplete,
                QStringLiteral("『必須入力項目が不完全です。』\"*\"マークが必須項目です　　　") };
        }
    }

    QString message;
    const auto add = [&message](const QString &line) {
        if (!line.isEmpty())
            message += line + kLineEnd;
    };
    add(CheckMail(fields.mail.trimmed()));
    add(CheckTelephone(fields.tel1.trimmed(), QStringLiteral("電話")));
    add(CheckTelephone(fields.tel2.trimmed(), QStringLiteral("電話2")));
    add(CheckZip(fields.zip.trimmed()));
    add(CheckAddress(fields.adrs1));
    if (!member.memberMode) {
        add(CheckAcount(fields.acount.trimmed()));
        add(CheckPass(fields.pass.trimmed()));
    }
    if (message.isEmpty())
        return {};
    if (checkOnly)
        message.prepend(QStringLiteral("【ユーザー登録に不備があります】\r\n\r\n"));
    message
        += kLineEnd + QStringLiteral("『入力データが不備です』指摘箇所を修正してください。　　　");
    return { TUserCheck::ucFaulty, message };
}

bool ValidateUser(
    const TUserFields &fields, const TMemberLogin &member, bool checkOnly, TPrompter &prompter)
{
    const TUserCheckResult check = CheckUser(fields, member, checkOnly);
    if (check.result == TUserCheck::ucPassed)
        return true;
    prompter.Warn(check.message);
    return false;
}

bool CheckOrderDelivery(const TUserFields &fields, const TUserOrderArgs &args, TPrompter &prompter)
{
    const QString address = fields.adrs1.trimmed();
    switch (DeliveryKindOf(args.areaKindText)) {
    case hsoTakuhaibin:
        if (!args.regionName.isEmpty() && !PlainTo(address).startsWith(args.regionName)) {
            prompter.Warn(QStringLiteral("宅配便の地域指定と住所データが一致していません。\r\n\r\n")
                + QStringLiteral("　宅配便の地域指定 [%1]").arg(args.regionName)
                + QStringLiteral("\r\n\r\n正しい指定をして下さい。"));
            return false;
        }
        break;
    case hsoJihai: {
        const double fee = args.feeRule ? args.feeRule(ToHalfWidth(fields.zip), address) : 0;
        if (fee != args.previousFee) {
            prompter.Warn(
                QStringLiteral("住所の変更により配達料・合計金額が変わりました。\r\n\r\n"
                               "[更新]してから[キャンセル]し、注文手続きをやり直してください。"));
            return false;
        }
        break;
    }
    default:
        break;
    }
    return true;
}

std::function<double(const QString &, const QString &)> OwnDeliveryFeeRule(
    const TShopTerms &terms, double amount)
{
    return [terms, amount](const QString &, const QString &address) {
        return terms.InOwnDeliveryArea(address) ? terms.OwnDeliveryCharge(amount) : 0.0;
    };
}

} // namespace korvatel
