#include "sending/order_package.h"

#include "imaging/bitmap.h"
#include "imaging/correction_text.h"
#include "imaging/exif.h"
#include "imaging/jpeg_codec.h"
#include "imaging/picture_kinds.h"
#include "order/thumb_nails.h"
#include "platform/fonts.h"
#include "platform/prompter.h"
#include "pricing/money.h"
#include "pricing/order_pricing.h"
#include "pricing/price_tables.h"
#include "pricing/shop_terms.h"
#include "sources/thumb_paths.h"
#include "text/comma_text.h"
#include "text/cp932.h"
#include "text/file_names.h"
#include "text/key_file.h"
#include "text/scramble.h"
#include "text/sjis_file.h"

#include <QDir>
#include <QFileInfo>
#include <QFontMetrics>
#include <QPainter>
#include <algorithm>
#include <cmath>

namespace korvatel
{

namespace
{

const QString kPrintFolder = QStringLiteral("$IMG_PRN");
const QString kCdFolder = QStringLiteral("CD-R/$IMG_CDR");
const QString kIndexFolder = QStringLiteral("$NDX");
const QString kCdSize = QStringLiteral("CD-R");

// "name.ext" → "name(2).ext"; a name without an extension gets the number at its end.
QString NumberedName(const QString &name, int number)
{
    const qsizetype dot = name.lastIndexOf(u'.');
    const QString suffix = QStringLiteral("(%1)").arg(number);
    if (dot <= 0)
        return name + suffix;
    return name.left(dot) + suffix + name.mid(dot);
}

// Each character that Shift-JIS cannot hold becomes "_", so that two names stay two on the
// server instead of both turning into "?".
QString Cp932Safe(QString name)
{
    for (qsizetype i = 0; i < name.size();) {
        const qsizetype length
            = name.at(i).isHighSurrogate() && i + 1 < name.size() && name.at(i + 1).isLowSurrogate()
            ? 2
            : 1;
        int unconverted = 0;
        ToCp932(name.mid(i, length), &unconverted);
        if (unconverted > 0) {
            name.replace(i, length, QStringLiteral("_"));
            ++i;
        } else {
            i += length;
        }
    }
    return name;
}

// A size name made safe as a folder name: separators and dots-only names are replaced, and so
// is each character that Shift-JIS cannot hold.
QString SizeFolder(const QString &size)
{
    QString folder = Cp932Safe(size);
    folder.replace(u'/', u'／').replace(u'\\', u'＼');
    if (folder.isEmpty() || folder == QLatin1String(".") || folder == QLatin1String(".."))
        folder = QStringLiteral("_");
    return folder;
}

QString Money(double x)
{
    return FloatText(x);
}

QString AmountText(double x)
{
    return QString::asprintf(HasFraction(x) ? "%1.2f" : "%1.0f", x);
}

} // namespace

// ---- Shop

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

// ---- Send list

QString FullWidthRemoteName(const QString &name)
{
    QString result = Cp932Safe(name);
    result.replace(u'=', u'＝').replace(u'|', u'｜').replace(u';', u'；');
    return result;
}

QString NotFoundWarning(const QString &path)
{
    return QStringLiteral("Not Found FILE : ") + path + QStringLiteral("\r\n\r\n")
        + QStringLiteral("『ファイルが見あたたりません』以下の原因が考えられます。")
        + QStringLiteral("\r\n") + QStringLiteral("１.直接指定したメディアを抜き取った。\r\n")
        + QStringLiteral("２.ネットワーク上で指定した場合のLAN障害。\r\n")
        + QStringLiteral("３.他のソフト、ご自分、ネットワークの他のユーザーが削除した。\r\n")
        + QStringLiteral("４.ゼロのファイルサイズ。\r\n")
        + QStringLiteral("送信作業は中止します。原因不明の場合は再挑戦してください。");
}

std::optional<QString> TSendList::Add(const QString &local, const QString &remoteFolder,
    const QString &remoteName, bool unique, bool listed, const QString &correction,
    QString *warning)
{
    const QFileInfo info(local);
    if (!info.isFile() || info.size() <= 0) {
        if (warning)
            *warning = NotFoundWarning(local);
        return std::nullopt;
    }
    QString name = FullWidthRemoteName(remoteName);
    if (unique) {
        const QString folderKey = remoteFolder.toUpper() + u'/';
        const QString base = name;
        for (int number = 2; FUsedNames.contains(folderKey + name.toUpper()); ++number)
            name = NumberedName(base, number);
        FUsedNames << folderKey + name.toUpper();
    }
    const QString remote = remoteFolder + u'/' + name;
    FItems.append({ local, remote });
    if (listed) {
        QString line = remote + QStringLiteral("=%1").arg(info.size());
        if (!correction.isEmpty()) {
            line += u';' + correction;
            FCorrectionList << name + u'=' + correction;
        }
        FFileList << line;
    }
    return name;
}

void TSendList::Prepend(const QString &local, const QString &remote)
{
    FItems.prepend({ local, remote });
}

QStringList TSendList::Lines() const
{
    QStringList lines;
    for (const TSendItem &item : FItems)
        lines << item.local + u';' + item.remote;
    return lines;
}

// ---- Names

QString OrderStamp(const QDateTime &when, int counter)
{
    return when.toString(QStringLiteral("yyyyMMdd-hhmmss")) + QString::asprintf("%.3d", counter);
}

int MakeLocalOrderFolder(const QString &workDir, const QDateTime &when, QString *folder)
{
    QDir work(workDir);
    if (!work.mkpath(QStringLiteral(".")))
        return -1;
    // A few thousand tries: each one means an order folder of the same second already exists.
    for (int counter = when.time().msec(), tries = 0; tries < 5000; ++counter, ++tries) {
        const QString name = OrderStamp(when, counter);
        if (work.exists(name))
            continue;
        if (!work.mkdir(name))
            return -1;
        if (folder)
            *folder = work.filePath(name);
        return counter;
    }
    return -1;
}

QString RemoteOrderName(const QDateTime &when, int counter, const TOrderCustomer &customer)
{
    // The identification code becomes part of folder names here and on the server: it must
    // not leave the order's folder.
    const QString code = SafeFileNamePart(customer.acount.trimmed()).replace(u'.', u'_');
    return OrderStamp(when, counter) + u'-' + DigitsOf(customer.tel1) + u'-' + code;
}

// ---- DPOF

QString DpofCreator(const QString &version)
{
    QString plain = version;
    plain.remove(u'.');
    return QStringLiteral("KorvaDPOF/") + plain + QStringLiteral("/Korvatel");
}

QStringList DpofLines(const QList<TDpofJob> &jobs, const QDateTime &packed, const QString &creator,
    const QString &channel, bool cdr)
{
    QStringList lines;
    lines << QStringLiteral("[HDR]") << QStringLiteral("GEN REV = 01.10")
          << QStringLiteral("GEN CRT = \"") + creator + u'"'
          << QStringLiteral("GEN DTM = ") + packed.toString(QStringLiteral("yyyy:MM:dd:hh:mm:ss"));
    if (!channel.isEmpty()) {
        lines << QStringLiteral("VUQ RGN = BGN")
              << QStringLiteral("VUQ VNM = \"NORITSU KOKI\" -ATR \"QSSPrint\"")
              << QStringLiteral("PRT PCH = ") + QString::asprintf("%.3d", channel.toInt())
              << QStringLiteral("VUQ RGN = END") << QString();
    }
    const QString source
        = cdr ? QStringLiteral("../../CD-R/$IMG_CDR/") : QStringLiteral("../../$IMG_PRN/");
    int number = 1;
    for (const TDpofJob &job : jobs) {
        lines << QStringLiteral("[JOB]")
              << QStringLiteral("PRT PID = ") + QString::asprintf("%.3d", number++)
              << QStringLiteral("PRT TYP = STD")
              << QStringLiteral("PRT QTY = ") + QString::asprintf("%.3d", job.count)
              << job.formatLine
              << QStringLiteral("<IMG SRC = \"") + source + job.fileName + QStringLiteral("\">");
        if (!job.dateText.isEmpty())
            lines << QStringLiteral("CFG DSC = \"") + job.dateText + QStringLiteral("\" -ATR DTM");
    }
    return lines;
}

QString DpofFormatLine(int imageKind, const QByteArray &exifVersion, bool corrected)
{
    if (imageKind != 1 && imageKind != 2)
        return QStringLiteral("IMG FMT = UNDEF");
    if (corrected)
        return imageKind == 1 ? QStringLiteral("IMG FMT = JFIF")
                              : QStringLiteral("IMG FMT = UNDEF");
    const QString suffix = imageKind == 1 ? QStringLiteral(" -J") : QStringLiteral(" -T");
    if (exifVersion.size() == 4)
        return QStringLiteral("IMG FMT = EXIF") + QChar::fromLatin1(exifVersion.at(1)) + suffix;
    return imageKind == 1 ? QStringLiteral("IMG FMT = JFIF") : QStringLiteral("IMG FMT = UNDEF");
}

QByteArray ExifVersionOf(const QString &path)
{
    TExifInfo exif;
    exif.SetImageFileName(path);
    if (exif.ErrorCode() != 0)
        return {};
    const TEntryItem *item = exif.FindTag(36864);
    if (!item || item->data.size() < 4)
        return {};
    return item->data.left(4);
}

QString DpofDateText(const QString &date, bool keepAsTyped)
{
    if (keepAsTyped)
        return date;
    QString text = date;
    text.replace(u'-', u'.').replace(u'/', u'.');
    return text;
}

// ---- Address card

QImage DrawAddressCard(const TAddressCard &card)
{
    constexpr int kWidth = 640, kHeight = 480;
    const double unit = 480.0 / 89.0;
    const auto px = [unit](double units) { return int(std::trunc(units * unit)); };
    const bool inStore = card.customer.adrs1.trimmed() == QStringLiteral("店頭受付");
    QImage image(kWidth, kHeight, QImage::Format_RGB32);
    image.fill(inStore ? QColor(0xE0, 0xE0, 0xFF) : QColor(Qt::white));
    QPainter painter(&image);
    painter.setPen(Qt::black);
    const QString proportional = MappedFontFamily(QStringLiteral("ＭＳ Ｐゴシック"));
    const QString fixed = MappedFontFamily(QStringLiteral("ＭＳ ゴシック"));
    const auto text = [&](double heightUnits, bool fixedPitch, double y, const QString &line,
                          bool fitWidth = false) {
        QFont font(fixedPitch ? fixed : proportional);
        font.setBold(true);
        font.setFixedPitch(fixedPitch);
        int size = std::max(1, px(heightUnits));
        font.setPixelSize(size);
        if (fitWidth) {
            // Shrink a pixel at a time until the line ends 33 pixels before the right edge.
            while (size > 1 && px(10) + QFontMetrics(font).horizontalAdvance(line) > kWidth - 33) {
                font.setPixelSize(--size);
            }
        }
        painter.setFont(font);
        painter.drawText(QPoint(px(10), px(y) + QFontMetrics(font).ascent()), line);
    };
    const TOrderCustomer &c = card.customer;
    if (!inStore) {
        text(4, false, 10, QStringLiteral("〒") + c.zip);
        text(4, false, 16, QStringLiteral("　") + c.adrs1, true);
        text(4, false, 20, QStringLiteral("　　") + c.adrs1Over);
        text(4, false, 24, QStringLiteral("　　　") + c.adrs2);
        text(7, false, 32, QStringLiteral("　　") + c.name + QStringLiteral("　様"));
        text(3.5, true, 52, QStringLiteral("   shop .") + card.shopId);
        text(3.5, true, 56, QStringLiteral("   order.") + card.orderName);
        text(3, false, 65, QStringLiteral("【差出人】"));
        text(3, false, 69, QStringLiteral("　　　　　") + card.shopName);
        text(3, false, 73, QStringLiteral("　　　　　TEL ") + card.shopTel);
        text(3, false, 77, QStringLiteral("　　　　　") + card.shopAddress);
    } else {
        text(4, false, 10, QStringLiteral("【店頭受付】"));
        text(7, false, 28, QStringLiteral("　　") + c.name + QStringLiteral("　様"));
        text(3.5, true, 44, QStringLiteral("   電話番号 ") + c.tel1);
        text(3.5, true, 48, QStringLiteral("   待受-URL ") + card.phoneUrl);
        text(3.5, true, 52, QStringLiteral("   受付日時 ") + card.orderName);
        text(3, false, 61, QStringLiteral("【受付店】"));
        text(3, false, 65, QStringLiteral("　　") + card.shopName);
        text(3, false, 69, QStringLiteral("　　TEL ") + card.shopTel);
        text(3, false, 73, QStringLiteral("　　") + card.shopAddress);
    }
    painter.setPen(QColor(0, 0, 0x80)); // 0x800000 in the system's blue-green-red order
    painter.setBrush(Qt::NoBrush);
    for (int inset : { 30, 33 })
        painter.drawRect(inset, inset, kWidth - 1 - 2 * inset, kHeight - 1 - 2 * inset);
    painter.end();
    return image;
}

// ---- Order message

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

QStringList OrderMessageLines(const TMessageInput &input)
{
    const TOrderShop &shop = input.shop;
    const TOrderCustomer &customer = input.customer;
    const TOrderFigures &figures = input.figures;
    QStringList lines;
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
    lines << QStringLiteral("< お客様 >--------------------------------")
          << QStringLiteral("お名前 : ") + customer.name + QStringLiteral("　様")
          << QStringLiteral("お電話 : ") + customer.tel1
          << QStringLiteral("e-Mail : ") + customer.mail
          << QStringLiteral("〒番号 : ") + customer.zip
          << QStringLiteral("ご住所 : ") + customer.adrs1 + customer.adrs1Over
            + (customer.adrs2.isEmpty() ? QString() : QStringLiteral("　") + customer.adrs2)
          << QString() << QStringLiteral("注文番号=") + shop.shopId + u'-' + input.orderName
          << QString(42, u'-');
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
    switch (figures.payment) {
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
    lines << QString() << QStringLiteral("< 受付店 >--------------------------------")
          << QStringLiteral("店名 : ") + shop.name << QStringLiteral("Mail : ") + shop.mail
          << QStringLiteral("電話 : ") + shop.tel << QStringLiteral("住所 : ") + shop.address
          << QString();
    for (const QString &line : shop.bottomComments)
        lines << QStringLiteral("　") + line;
    lines << QString();

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
          << QStringLiteral("@PID=") + Scramble(customer.acount)
          << QStringLiteral("@STT=") + MessageTime(input.start)
          << QStringLiteral("@EDT=") + MessageTime(input.end);
    if (input.askMachineId)
        lines << QStringLiteral("@MID=") + input.machineId;
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

// ---- Packing

namespace
{

struct TPicturePlace {
    const TThumbNail *item = nullptr;
    QString printName; // remote name in $IMG_PRN, empty when not printed
    QString cdName; // remote name in CD-R/$IMG_CDR
    QString formatLine; // "IMG FMT = …" of the picture's print order jobs
};

// The file that goes to the shop for an item: its local copy of the source picture, made from
// the source when it is missing. Empty when neither exists.
QString SentPicture(const TThumbNail &item)
{
    if (item.ThumbnailPath.size() <= 4)
        return QFileInfo(item.FullPath).isFile() ? item.FullPath : QString();
    const QString copy = item.ThumbnailPath.chopped(4);
    if (QFileInfo(copy).isFile() || MakeLocalCopy(item.FullPath, copy))
        return copy;
    return {};
}

// Writes a print order file into <folder>/<size>/MISC and adds it to the send list.
bool WriteDpof(TSendList &list, const QString &localFolder, const QString &orderName,
    const QString &sizeFolder, const QString &fileName, const QStringList &lines)
{
    const QString dir = localFolder + u'/' + sizeFolder + QStringLiteral("/MISC");
    if (!QDir().mkpath(dir) || !WriteSjisLines(dir + u'/' + fileName, lines))
        return false;
    return list
        .Add(dir + u'/' + fileName, orderName + u'/' + sizeFolder + QStringLiteral("/MISC"),
            fileName, false, true)
        .has_value();
}

} // namespace

std::optional<TPackedOrder> PackOrder(const TOrderInput &input, TPrompter &prompter)
{
    TPackedOrder order;
    order.start = input.now;
    const int counter = MakeLocalOrderFolder(input.workDir, input.now, &order.localFolder);
    if (counter < 0) {
        prompter.Error(QStringLiteral("注文フォルダを作成できません。\r\n") + input.workDir);
        return std::nullopt;
    }
    order.name = RemoteOrderName(input.now, counter, input.customer);
    const QString N = order.name;
    const auto fail = [&](const QString &warning) -> std::optional<TPackedOrder> {
        prompter.Warn(warning);
        QDir(order.localFolder).removeRecursively();
        return std::nullopt;
    };
    const auto failWrite = [&](const QString &path) {
        return fail(QStringLiteral("ファイルを書き込めません。\r\n") + path);
    };

    // Pictures: one upload per picture and folder; the print order files refer to the names.
    TSendList pictures;
    QList<TPicturePlace> places;
    QStringList countList;
    QString warning;
    const TThumbNails *basket = input.basket;
    for (int i = 0; basket && i < basket->Count(); ++i) {
        const TThumbNail *item = basket->Item(i);
        if (item->ErrorKind != neNoError)
            continue;
        if (item->TotalCount <= 0 && !item->CdOrder)
            continue;
        TPicturePlace place;
        place.item = item;
        const QString sent = SentPicture(*item);
        if (sent.isEmpty())
            return fail(NotFoundWarning(item->FullPath));
        const QString correction = ShopText(item->Hosei);
        if (item->TotalCount > 0) {
            const std::optional<QString> name = pictures.Add(
                sent, N + u'/' + kPrintFolder, item->FileName, true, true, correction);
            if (!name)
                return fail(NotFoundWarning(item->FullPath));
            place.printName = *name;
        }
        if (item->CdOrder) {
            const std::optional<QString> name
                = pictures.Add(sent, N + u'/' + kCdFolder, item->FileName, true, true);
            if (!name)
                return fail(NotFoundWarning(item->FullPath));
            place.cdName = *name;
        }
        const int kind = ImageKindOf(sent);
        place.formatLine = DpofFormatLine(
            kind, kind == 1 ? ExifVersionOf(sent) : QByteArray(), item->Hosei.Active());
        places << place;
        countList << item->FullPath;
        if (input.onPicture)
            input.onPicture(i + 1, basket->Count());
    }

    // The address card is printed as a job of its own.
    QString cardName;
    if (input.cardCopies > 0) {
        TAddressCard card;
        card.customer = input.customer;
        card.shopId = input.shop.shopId;
        card.orderName = N;
        card.shopName = input.shop.name;
        card.shopTel = input.shop.tel;
        card.shopAddress = input.shop.address;
        card.phoneUrl = input.phoneUrl;
        const QString path = order.localFolder + QStringLiteral("/_CARD_.JPG");
        const QByteArray jpeg = EncodeJpeg(TBitmap::FromImage(DrawAddressCard(card)), 80);
        if (!WriteFileAtomic(path, jpeg))
            return failWrite(path);
        const std::optional<QString> name = pictures.Add(
            path, N + u'/' + kPrintFolder, QStringLiteral("_CARD_.JPG"), true, true, {}, &warning);
        if (!name)
            return fail(warning);
        cardName = *name;
    }

    // Print order files: one per size (campus pictures in AUTPRINT.CCI), then the CD-R.
    const QString creator = DpofCreator(input.programVersion);
    QStringList sizes;
    for (const TPicturePlace &place : places) {
        for (const QString &line : place.item->Orders) {
            const QString size = line.section(u'=', 0, 0);
            if (place.item->SizeCount(size) > 0 && !sizes.contains(size))
                sizes << size;
        }
    }
    if (input.tables) {
        std::stable_sort(sizes.begin(), sizes.end(), [&](const QString &a, const QString &b) {
            const auto rank = [&](const QString &s) {
                const int index = input.tables->SizeNameIndex(s);
                return index < 0 ? INT_MAX : index;
            };
            return rank(a) < rank(b);
        });
    }
    const auto jobOf = [](const TPicturePlace &place, const QString &name, int count) {
        const TThumbNail &item = *place.item;
        TDpofJob job;
        job.fileName = name;
        job.count = count;
        job.formatLine = place.formatLine;
        if (item.DatePrint)
            job.dateText = DpofDateText(
                item.DateStr[std::min<int>(item.DateType, 2)].trimmed(), item.DateType == dkCustom);
        return job;
    };
    const QString cardSize = !sizes.isEmpty()
        ? (sizes.contains(QStringLiteral("L")) ? QStringLiteral("L") : sizes.first())
        : QStringLiteral("L");
    if (!cardName.isEmpty() && !sizes.contains(cardSize))
        sizes << cardSize;
    TSendList &list = pictures;
    for (const QString &size : sizes) {
        for (const bool campus : { false, true }) {
            QList<TDpofJob> jobs;
            for (const TPicturePlace &place : places) {
                const int count = place.item->SizeCount(size);
                if (count > 0 && IsCampusPicture(place.item->FullPath) == campus)
                    jobs << jobOf(place, place.printName, count);
            }
            if (!campus && size == cardSize && !cardName.isEmpty()) {
                TDpofJob card;
                card.fileName = cardName;
                card.count = input.cardCopies;
                card.formatLine = DpofFormatLine(1, {}, false);
                jobs.prepend(card);
            }
            if (jobs.isEmpty())
                continue;
            const QString channel = input.tables ? input.tables->SizeChannel(size) : QString();
            const QStringList lines = DpofLines(jobs, input.now, creator, channel, false);
            const QString file
                = campus ? QStringLiteral("AUTPRINT.CCI") : QStringLiteral("AUTPRINT.MRK");
            if (!WriteDpof(list, order.localFolder, N, SizeFolder(size), file, lines))
                return failWrite(order.localFolder + u'/' + SizeFolder(size));
        }
    }
    QStringList cdPictures;
    QList<TDpofJob> cdJobs;
    for (const TPicturePlace &place : places) {
        if (!place.cdName.isEmpty()) {
            cdJobs << jobOf(place, place.cdName, 1);
            cdPictures << place.item->FullPath;
        }
    }
    if (!cdJobs.isEmpty()) {
        const QString channel = input.tables && !sizes.isEmpty()
            ? input.tables->SizeChannelCD(sizes.first())
            : QString();
        if (!WriteDpof(list, order.localFolder, N, kCdSize, QStringLiteral("AUTPRINT.MRK"),
                DpofLines(cdJobs, input.now, creator, channel, true)))
            return failWrite(order.localFolder + QStringLiteral("/CD-R"));
        if (input.indexSheets) {
            for (const QString &sheet : input.indexSheets(cdPictures, order.localFolder)) {
                if (!list.Add(sheet, N + u'/' + kIndexFolder, QFileInfo(sheet).fileName(), true,
                        true, {}, &warning))
                    return fail(warning);
            }
        }
    }

    // The order message, sent into the order folder and into "message/". Its "@EDT" line is
    // set again when it is sent; the packing time keeps the line at its final length.
    TMessageInput message;
    message.customer = input.customer;
    message.shop = input.shop;
    message.figures = input.figures;
    message.orderName = N;
    message.machineId = input.machineId;
    message.askMachineId = input.askMachineId;
    message.phoneUrl = input.phoneUrl;
    message.start = input.now;
    message.end = input.now;
    order.messageLines = OrderMessageLines(message);
    order.messageFile = order.localFolder + u'/' + N + QStringLiteral(".mes");
    if (!WriteSjisLines(order.messageFile, order.messageLines))
        return failWrite(order.messageFile);
    list.Items().append({ order.messageFile, N + u'/' + N + QStringLiteral(".mes") });
    list.Items().append(
        { order.messageFile, QStringLiteral("message/") + N + QStringLiteral(".mes") });

    // The correction file and the entry file go first.
    if (!list.CorrectionList().isEmpty()) {
        order.correctionFile = order.localFolder + QStringLiteral("/Hosei");
        if (!WriteSjisLines(order.correctionFile, list.CorrectionList()))
            return failWrite(order.correctionFile);
        list.Prepend(order.correctionFile, N + QStringLiteral("/Hosei"));
    }
    order.entryFile = order.localFolder + QStringLiteral("/SendList.etr");
    if (!WriteSjisLines(order.entryFile, EntryFileLines(order.messageLines, list.FileList())))
        return failWrite(order.entryFile);
    list.Prepend(order.entryFile, QStringLiteral("message/") + N + QStringLiteral(".etr"));
    order.sendList = list;

    if (input.customer.name != QLatin1String("test-order")) {
        countList.sort(Qt::CaseInsensitive);
        order.countFile
            = QDir(input.workDir).filePath(input.shop.shopId + u'-' + N + QStringLiteral(".cnt"));
        if (!WriteSjisLines(order.countFile, countList))
            return failWrite(order.countFile);
    }
    return order;
}

} // namespace korvatel
