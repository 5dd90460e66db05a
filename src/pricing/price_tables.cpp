#include "pricing/price_tables.h"

#include "pricing/money.h"
#include "text/comma_text.h"
#include "text/numbers.h"

#include <QDir>
#include <algorithm>
#include <cmath>

namespace korvatel
{

namespace
{

struct TKindName {
    const char *prefix;
    const char16_t *name;
};

constexpr TKindName kPriceKinds[kPriceKindCount] = {
    { "prcNormal", u"一般プリント" },
    { "prcJustify", u"CD-R同時ﾌﾟﾘﾝﾄ" },
    { "prcRepeat", u"CD-R焼増ﾌﾟﾘﾝﾄ" },
    { "prcNet", u"ネット価格" },
};

constexpr TKindName kCdKinds[3] = {
    { "cdtNormal", u"ﾒﾃﾞｨｱからCD" },
    { "cdtJustify", u"同時CD-R" },
    { "cdtCopy", u"コピー" },
};

const QLatin1String kOffered("*D");
const QLatin1String kSecondary("D");

QStringList DefaultSizeNames()
{
    return { QStringLiteral("L"), QStringLiteral("2L"), QStringLiteral("L-DSC"),
        QStringLiteral("2L-DSC"), QStringLiteral("はがき"), QStringLiteral("W6切"),
        QStringLiteral("W4切"), QStringLiteral("携帯") };
}

QStringList DefaultUsedSizes()
{
    return { kOffered, kOffered, kSecondary, kSecondary, kSecondary, kOffered, kOffered,
        kSecondary };
}

QStringList DefaultSizeXY()
{
    return { QStringLiteral("127*89"), QStringLiteral("178*127"), QStringLiteral("119*89"),
        QStringLiteral("170*127"), QStringLiteral("152*102"), QStringLiteral("305*203"),
        QStringLiteral("385*254"), QStringLiteral("89*89") };
}

QStringList DefaultPrices()
{
    const QString normal
        = QStringLiteral("L=35,2L=100,L-DSC=35,2L-DSC=100,はがき=50,W6切=700,W4切=1000,携帯=35");
    const QString justify
        = QStringLiteral("L=19,2L=100,L-DSC=19,2L-DSC=100,はがき=50,W6切=700,W4切=1000,携帯=35");
    const QString repeat
        = QStringLiteral("L=27,2L=100,L-DSC=27,2L-DSC=100,はがき=50,W6切=700,W4切=1000,携帯=35");
    const QString lists[kPriceKindCount] = { normal, justify, repeat, justify };
    QStringList lines;
    for (int kind = 0; kind < kPriceKindCount; ++kind) {
        for (const QString &item : FromCommaText(lists[kind]))
            lines.append(PriceKindPrefix(kind) + u'|' + item);
    }
    return lines;
}

QStringList CommaLines(const char16_t *text)
{
    return FromCommaText(QString::fromUtf16(text));
}

// The built-in tables, made once.
struct TDefaults {
    QStringList cdPrice
        = CommaLines(u"cdtNormal=700,cdtJustify=600,cdtCopy=500,LimitSize=500,LimitFile=");
    QStringList netCdPrice = CommaLines(u"cdtNormal=600,cdtJustify=600,LimitSize=500,LimitFile=");
    QStringList ktPrice = CommaLines(u"MaxNum=1,DefPrice=100,AddPrice=50");
    QStringList sizeName = DefaultSizeNames();
    QStringList usedSize = DefaultUsedSizes();
    QStringList sizeXY = DefaultSizeXY();
    QStringList channel = QStringList(sizeName.size(), QString());
    QStringList prices = DefaultPrices();
};

const TDefaults &Defaults()
{
    static const TDefaults defaults;
    return defaults;
}

} // namespace

QString PriceKindPrefix(int kind)
{
    return kind >= 0 && kind < kPriceKindCount ? QLatin1String(kPriceKinds[kind].prefix)
                                               : QString();
}

QString PriceKindName(int kind)
{
    return kind >= 0 && kind < kPriceKindCount ? QString::fromUtf16(kPriceKinds[kind].name)
                                               : QString();
}

QString CdKindCode(int kind)
{
    return kind >= 0 && kind < 3 ? QLatin1String(kCdKinds[kind].prefix) : QString();
}

QString CdKindName(int kind)
{
    return kind >= 0 && kind < 3 ? QString::fromUtf16(kCdKinds[kind].name) : QString();
}

TPriceTables::TPriceTables(int catalogueMode)
    : FMode(catalogueMode)
{
    ResetDefaults();
}

void TPriceTables::ResetDefaults()
{
    FServerBuild.clear();
    FOption.clear();
    FCharge.Lines().clear();
    FNetCharge.Lines().clear();
    const TDefaults &d = Defaults();
    FCdPrice.Lines() = d.cdPrice;
    FNetCdPrice.Lines() = d.netCdPrice;
    FKtPrice.Lines() = d.ktPrice;
    FSizeName = d.sizeName;
    FUsedSize = d.usedSize;
    FSizeXY = d.sizeXY;
    FChannel = d.channel;
    FChannelCd = d.channel;
    FPrices.Lines() = d.prices;
    FOrvAne.clear();
    FOrderHost.clear();
    CountSizes();
}

void TPriceTables::LoadPriceTables(const QString &folder)
{
    if (!folder.isEmpty())
        FLastFolder = folder;
    if (FLastFolder.isEmpty()) { // never the working folder by accident
        Load(TShopData());
        return;
    }
    if (!ServerCatalogue()) {
        Load(TShopData::FromFolder(FLastFolder));
        return;
    }
    const std::optional<TShopData> data
        = TShopData::LoadContainer(QDir(FLastFolder).filePath(QLatin1String(kShopDataFileName)));
    Load(data.value_or(TShopData()));
    if (data)
        DeleteStaleTableFiles(FLastFolder);
}

void TPriceTables::Load(const TShopData &data)
{
    ResetDefaults();
    const bool server = ServerCatalogue();
    // In server catalogue mode a missing section is an empty table; in file mode a missing
    // file leaves the default.
    auto take = [&](TShopSection section, QStringList &table) {
        if (server || data.Has(section))
            table = data.Lines(section);
    };

    FServerBuild = data.ServerBuild();
    take(ssOption, FOption);
    FCharge.Lines() = data.Lines(ssCharge);
    FNetCharge.Lines() = data.Lines(ssNetCharge);
    take(ssCdPrice, FCdPrice.Lines());
    if ((server && data.HasLines(ssNetCdPrice)) || (!server && data.Has(ssNetCdPrice)))
        FNetCdPrice.Lines() = data.Lines(ssNetCdPrice);
    else
        FNetCdPrice.Lines() = FCdPrice.Lines();
    take(ssKtPrice, FKtPrice.Lines());
    take(ssSizeName, FSizeName);
    take(ssChannel, FChannel);
    take(ssChannelCd, FChannelCd);
    if ((server && data.HasLines(ssSizeXYExt)) || (!server && data.Has(ssSizeXYExt)))
        FSizeXY = data.Lines(ssSizeXYExt);
    else
        take(ssSizeXY, FSizeXY);
    take(ssUsedSize, FUsedSize);
    take(ssPrices, FPrices.Lines());
    take(ssOrvAne, FOrvAne);
    take(ssOrderHost, FOrderHost);
    if ((server && data.HasLines(ssTax)) || (!server && data.Has(ssTax)))
        LoadTax(data.Lines(ssTax));
    CountSizes();
}

void TPriceTables::LoadTax(const QStringList &lines)
{
    const TKeyFile keys(lines, Qt::CaseSensitive);
    const TTaxSettings defaults;
    FTax.rate = keys.Number(QStringLiteral("_TAX_PAR_"), defaults.rate);
    FTax.inclusive = keys.Bool(QStringLiteral("_TAX_I_ON_"));
    FTax.rounding = keys.Integer(QStringLiteral("_ROUNDING_"), defaults.rounding);
    FTax.discountOnInclusive = keys.Bool(QStringLiteral("_INTAX_DISC_"));
}

void TPriceTables::CountSizes()
{
    FFirstSize.clear();
    FLastSize.clear();
    FSizeCount = 0;
    for (qsizetype i = 0; i < FSizeName.size(); ++i) {
        if (FUsedSize.value(i) != kOffered)
            continue;
        if (FSizeCount == 0)
            FFirstSize = FSizeName.at(i);
        FLastSize = FSizeName.at(i);
        ++FSizeCount;
    }
}

double TPriceTables::UnitPrice(int kind, const QString &size) const
{
    if (kind == prcNormal && ServerCatalogue())
        kind = prcNet;
    const QString prefix = PriceKindPrefix(kind);
    if (prefix.isEmpty())
        return 0;
    return std::clamp(
        ParseNumber(FPrices.Value(prefix + u'|' + size), 0), -kMaxUnitPrice, kMaxUnitPrice);
}

bool TPriceTables::IsPriced(int kind, const QString &size) const
{
    if (kind == prcNormal && ServerCatalogue())
        kind = prcNet;
    const QString prefix = PriceKindPrefix(kind);
    if (prefix.isEmpty())
        return false;
    return QString::compare(FPrices.Value(prefix + u'|' + size), QLatin1String("0")) > 0;
}

int TPriceTables::SizeNameIndex(const QString &size) const
{
    if (size.isEmpty())
        return -1;
    return static_cast<int>(FSizeName.indexOf(size));
}

QString TPriceTables::NextSize(const QString &size, int step) const
{
    const int start = SizeNameIndex(size);
    if (start < 0)
        return step < 1 ? LastSize() : DefaultSize();
    const qsizetype n = FSizeName.size();
    const qsizetype stride = ((step % n) + n) % n;
    qsizetype i = start;
    // At most n steps bring the walk back to where it began.
    for (qsizetype guard = 0; guard < n; ++guard) {
        i = (i + stride) % n;
        if (i == start)
            break;
        if (FUsedSize.value(i) == kOffered)
            return FSizeName.at(i);
    }
    return size;
}

int TPriceTables::SizeIndex(const QString &size) const
{
    int index = 0;
    for (qsizetype i = 0; i < FSizeName.size(); ++i) {
        if (FUsedSize.value(i) != kOffered)
            continue;
        if (FSizeName.at(i) == size)
            return index;
        ++index;
    }
    return -1;
}

void TPriceTables::SizeList(QStringList &strings, bool withSecondary) const
{
    strings.clear();
    for (qsizetype i = 0; i < FSizeName.size(); ++i) {
        if (FUsedSize.value(i) == kOffered)
            strings.append(FSizeName.at(i));
    }
    if (!withSecondary)
        return;
    for (qsizetype i = 0; i < FSizeName.size(); ++i) {
        if (FUsedSize.value(i) == kSecondary)
            strings.append(FSizeName.at(i));
    }
}

QStringList TPriceTables::SizeList(bool withSecondary) const
{
    QStringList strings;
    SizeList(strings, withSecondary);
    return strings;
}

QString TPriceTables::ParallelEntry(const QStringList &table, const QString &size) const
{
    const int i = SizeNameIndex(size);
    return i < 0 ? QString() : table.value(i);
}

QString TPriceTables::SizeChannel(const QString &size) const
{
    return ParallelEntry(FChannel, size);
}

QString TPriceTables::SizeChannelCD(const QString &size) const
{
    return ParallelEntry(FChannelCd, size);
}

TPrintDimensions TPriceTables::PrintDimensions(const QString &size) const
{
    TPrintDimensions d;
    const QString entry = ParallelEntry(FSizeXY, size);
    const qsizetype star = entry.indexOf(u'*');
    if (star < 0)
        return d;
    d.longSide = ParseNumber(entry.left(star), 0);
    d.shortSide = ParseNumber(entry.mid(star + 1), 0);
    d.ok = d.longSide > 0 && d.shortSide > 0;
    return d;
}

QString TPriceTables::PrintDimensionsText(const QString &size, const QString &separator) const
{
    const TPrintDimensions d = PrintDimensions(size);
    return FloatText(d.longSide) + separator + FloatText(d.shortSide);
}

int TPriceTables::ResolutionClass(
    const QString &size, int pixelsA, int pixelsB, double lowerPerMm, double upperPerMm) const
{
    if (pixelsA < 1 || pixelsB < 1 || !(lowerPerMm < upperPerMm))
        return 0;
    const TPrintDimensions d = PrintDimensions(size);
    if (!d.ok)
        return 0;
    const double pixels = std::max(pixelsA, pixelsB);
    if (pixels < std::nearbyint(d.longSide * lowerPerMm))
        return 1;
    if (pixels > std::nearbyint(d.longSide * upperPerMm))
        return 3;
    return 2;
}

QString TPriceTables::BasicFeeName(bool net) const
{
    const QString name = Charge(net).Value(QStringLiteral("Name"));
    return name.isEmpty() ? QStringLiteral("基本料金") : name;
}

double TPriceTables::BasicFeeValue(bool net) const
{
    return Charge(net).Number(QStringLiteral("Value"), 0);
}

int TPriceTables::BasicFeeType(bool net) const
{
    return Charge(net).Integer(QStringLiteral("Type"), 0);
}

QString TPriceTables::BasicFeeLabel(bool net) const
{
    const double value = BasicFeeValue(net);
    if (!(value > 0))
        return {};
    switch (BasicFeeType(net)) {
    case bftAlways:
        return QStringLiteral("一律 \\%1").arg(FloatText(value));
    case bftPrintsOnly:
        return QStringLiteral("CD-R無しの場合 \\%1").arg(FloatText(value));
    case bftCdOnly:
        return QStringLiteral("CD-Rのみの場合 \\%1").arg(FloatText(value));
    default:
        return {};
    }
}

double TPriceTables::BasicFee(bool hasPrints, bool hasCD, bool net) const
{
    bool applies = false;
    switch (BasicFeeType(net)) {
    case bftAlways:
        applies = hasPrints || hasCD;
        break;
    case bftPrintsOnly:
        applies = hasPrints && !hasCD;
        break;
    case bftCdOnly:
        applies = hasCD && !hasPrints;
        break;
    default:
        break;
    }
    return applies ? BasicFeeValue(net) : 0;
}

double TPriceTables::CdPriceOf(int cdKind, bool net) const
{
    const QString code = CdKindCode(cdKind);
    return code.isEmpty() ? 0 : CdPrice(net).Number(code, 0);
}

QList<double> TPriceTables::CdTiers(int cdKind, bool net) const
{
    QList<double> tiers;
    const QString code = CdKindCode(cdKind);
    if (code.isEmpty())
        return tiers;
    const TKeyFile &table = CdPrice(net);
    const QString extended = table.Value(code + QLatin1String("_EX"));
    if (cdKind != cdtCopy && !TrimBlanks(extended).isEmpty()) {
        for (const QString &item : FromCommaText(extended))
            tiers.append(ParseNumber(item, 0));
        return tiers;
    }
    // The single price is a tier only when the kind is offered: 0 or less means no CD-R.
    const double single = table.Number(code, 0);
    if (single > 0)
        tiers.append(single);
    return tiers;
}

double TPriceTables::CdLimitSize(bool net) const
{
    // One disc holds 500 MB unless the shop says otherwise.
    const QString size = TrimBlanks(CdPrice(net).Value(QStringLiteral("LimitSize")));
    return size.isEmpty() ? 500 : ParseNumber(size, 0);
}

int TPriceTables::CdLimitFile(bool net) const
{
    return CdPrice(net).Integer(QStringLiteral("LimitFile"), 0);
}

QString TPriceTables::CdLimitText(bool net) const
{
    const QString size = CdPrice(net).Value(QStringLiteral("LimitSize"));
    QString text = (size.isEmpty() ? QStringLiteral("500") : size) + u'M';
    const int files = CdLimitFile(net);
    if (files > 0)
        text += QStringLiteral("･%1file").arg(files);
    return text;
}

bool TPriceTables::CdOffered(bool net) const
{
    return CdPriceOf(cdtNormal, net) > 0 || CdPriceOf(cdtJustify, net) > 0;
}

int TPriceTables::PhoneMaxNum() const
{
    return FKtPrice.Integer(QStringLiteral("MaxNum"), 0);
}

double TPriceTables::PhoneBaseFee() const
{
    return FKtPrice.Number(QStringLiteral("DefPrice"), 0);
}

double TPriceTables::PhoneAddPrice() const
{
    return FKtPrice.Number(QStringLiteral("AddPrice"), 0);
}

double TPriceTables::TaxOf(double x) const
{
    if (FTax.inclusive)
        return 1 + FTax.rate == 0 ? 0 : x * FTax.rate / (1 + FTax.rate);
    return x * FTax.rate;
}

double TPriceTables::RoundMoney(double x) const
{
    return RoundMoneyBy(x, FTax.rounding);
}

double TPriceTables::NetOf(double x) const
{
    return FTax.inclusive ? x - TaxOf(x) : x;
}

TGross TPriceTables::Gross(double x) const
{
    const double tax = TaxOf(x);
    return { tax, RoundMoney(FTax.inclusive ? x : x + tax) };
}

} // namespace korvatel
