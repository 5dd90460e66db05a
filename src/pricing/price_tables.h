#pragma once

#include "pricing/shop_data.h"
#include "text/key_file.h"

#include <QList>
#include <QString>
#include <QStringList>

namespace korvatel
{

// The catalogue mode: where the tables come from. Mode 1 takes them from the sections of the
// shop data fetched from the server; every other value reads the per-table files of the shop
// folder. The program's entry sets mode 1.
inline constexpr int kServerCatalogue = 1;
inline constexpr int kFileCatalogue = 0;

// Price kinds of the unit price table.
enum TPriceKind { prcNormal = 0, prcJustify = 1, prcRepeat = 2, prcNet = 3 };
inline constexpr int kPriceKindCount = 4;

// "prcNormal" … and "一般プリント" …; empty for an unknown kind.
QString PriceKindPrefix(int kind);
QString PriceKindName(int kind);

// CD-R kinds of the CD-R price table.
enum TCdKind { cdtNormal = 0, cdtJustify = 1, cdtCopy = 2 };
// When the basic fee applies, as the "Type" key of Charge and NetCharge stores it; any other
// number: never.
enum TBasicFeeType {
    bftNever = 0,
    bftAlways = 1, // the order has prints or a CD-R
    bftPrintsOnly = 2, // prints and no CD-R
    bftCdOnly = 3, // a CD-R and no prints
};
QString CdKindCode(int kind);
QString CdKindName(int kind);

// The print dimensions of a size in millimetres.
struct TPrintDimensions {
    double longSide = 0;
    double shortSide = 0;
    bool ok = false;
};

// The tax and rounding (`_TAX_PAR_`, `_TAX_I_ON_`, `_ROUNDING_`, `_INTAX_DISC_`).
struct TTaxSettings {
    double rate = 0.05;
    bool inclusive = false;
    int rounding = 0;
    bool discountOnInclusive = false;
};

// The tax contained in or added to an amount, and the rounded total.
struct TGross {
    double tax = 0;
    double total = 0;
};

// The shop's price tables and the lookups every other part asks for: sizes, their order and
// dimensions, unit prices per price kind, the basic fee, CD-R and phone image prices and the
// consumption tax.
class TPriceTables
{
public:
    explicit TPriceTables(int catalogueMode = kServerCatalogue);

    int CatalogueMode() const { return FMode; }
    void SetCatalogueMode(int mode) { FMode = mode; }
    bool ServerCatalogue() const { return FMode == kServerCatalogue; }

    // Loads the tables of the shop folder (empty: the folder used last time). In server
    // catalogue mode the tables come from the container "HostFmt.ini" of the folder, and the
    // per-table files of the folder are deleted once it has been read; in file mode each table
    // is read from its own file.
    void LoadPriceTables(const QString &folder = {});
    // Loads the tables from shop data already read. In server catalogue mode an absent section
    // gives an empty table (the CD-R prices of net orders and the dimensions have fallbacks, the
    // tax settings stay as they are); in file mode an absent table keeps its built-in default.
    void Load(const TShopData &data);
    // Back to the built-in defaults (the tax settings are left alone).
    void ResetDefaults();

    // The raw tables.
    const QStringList &SizeNames() const { return FSizeName; }
    const QStringList &UsedSizes() const { return FUsedSize; }
    const TKeyFile &Prices() const { return FPrices; }
    const TKeyFile &CdPrice(bool net) const { return net ? FNetCdPrice : FCdPrice; }
    const TKeyFile &KtPrice() const { return FKtPrice; }
    const TKeyFile &Charge(bool net) const { return net ? FNetCharge : FCharge; }
    const QStringList &OptionTable() const { return FOption; }
    const QStringList &OrderHostTable() const { return FOrderHost; }
    const QStringList &OrvAneTable() const { return FOrvAne; }
    const TTaxSettings &Tax() const { return FTax; }
    void SetTax(const TTaxSettings &tax) { FTax = tax; }
    QString ServerBuild() const { return FServerBuild; }

    // Unit prices. Kind 0 is answered from kind 3 in server catalogue mode. A price beyond
    // kMaxUnitPrice either way (a damaged table's "1e300") is clamped to it, so sums over a
    // basket stay finite and fit the counts and amounts they are written into.
    static constexpr double kMaxUnitPrice = 100'000'000;
    double UnitPrice(int kind, const QString &size) const;
    // True when the price text sorts after "0" (so "", "0" and negative prices are unpriced,
    // while "00" counts as priced).
    bool IsPriced(int kind, const QString &size) const;

    // The sizes offered in the normal size choice ("*D").
    QString DefaultSize() const { return FFirstSize; }
    QString LastSize() const { return FLastSize; }
    int SizeCount() const { return FSizeCount; }
    QString NextSize(const QString &size, int step) const;
    int SizeIndex(const QString &size) const;
    // All "*D" sizes in table order, then, when asked, all "D" sizes.
    void SizeList(QStringList &strings, bool withSecondary) const;
    QStringList SizeList(bool withSecondary) const;
    // Position of the size in the size name table, -1 when absent.
    int SizeNameIndex(const QString &size) const;

    QString SizeChannel(const QString &size) const;
    QString SizeChannelCD(const QString &size) const;
    TPrintDimensions PrintDimensions(const QString &size) const;
    QString PrintDimensionsText(const QString &size, const QString &separator) const;
    // 0 no verdict, 1 too few pixels for the size, 2 enough, 3 plenty.
    int ResolutionClass(const QString &size, int pixelsA, int pixelsB,
        double lowerPerMm = 600.0 / 119.0, double upperPerMm = 680.0 / 119.0) const;

    // The basic fee ("Charge", or "NetCharge" for net orders).
    QString BasicFeeName(bool net) const;
    double BasicFeeValue(bool net) const;
    int BasicFeeType(bool net) const;
    QString BasicFeeLabel(bool net) const;
    double BasicFee(bool hasPrints, bool hasCD, bool net) const;

    // CD-R prices: the price of a kind, its tiers by disc number (the "_EX" list, or the single
    // price when above 0; none when the kind has no price), the disc capacity in MB (500 when
    // not set) and the picture limit per disc (0: no limit).
    double CdPriceOf(int cdKind, bool net) const;
    QList<double> CdTiers(int cdKind, bool net) const;
    double CdLimitSize(bool net) const;
    int CdLimitFile(bool net) const;
    QString CdLimitText(bool net) const;
    bool CdOffered(bool net) const;

    // Phone images: the base fee covers MaxNum images, each further one costs AddPrice.
    int PhoneMaxNum() const;
    double PhoneBaseFee() const;
    double PhoneAddPrice() const;

    // Tax helpers.
    double TaxOf(double x) const;
    double RoundMoney(double x) const;
    double NetOf(double x) const;
    TGross Gross(double x) const;

private:
    void LoadTax(const QStringList &lines);
    void CountSizes();
    QString ParallelEntry(const QStringList &table, const QString &size) const;

    int FMode;
    QString FLastFolder;
    QString FServerBuild;
    QStringList FOption;
    TKeyFile FCharge { Qt::CaseSensitive };
    TKeyFile FNetCharge { Qt::CaseSensitive };
    TKeyFile FCdPrice { Qt::CaseSensitive };
    TKeyFile FNetCdPrice { Qt::CaseSensitive };
    TKeyFile FKtPrice { Qt::CaseSensitive };
    QStringList FSizeName;
    QStringList FChannel;
    QStringList FChannelCd;
    QStringList FSizeXY;
    QStringList FUsedSize;
    TKeyFile FPrices { Qt::CaseSensitive };
    QStringList FOrvAne;
    QStringList FOrderHost;
    TTaxSettings FTax;
    QString FFirstSize;
    QString FLastSize;
    int FSizeCount = 0;
};

} // namespace korvatel
