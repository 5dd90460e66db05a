#include "pricing/money.h"
#include "pricing/order_pricing.h"
#include "pricing/price_tables.h"
#include "pricing/pricing_fixture.h"
#include "pricing/shop_data.h"
#include "support/temp_home.h"
#include "text/cp932.h"
#include "text/sjis_file.h"

#include <QDir>
#include <QFile>
#include <climits>
#include <cmath>
#include <gtest/gtest.h>

namespace korvatel
{

using test::ShopDataOf;

TEST(TShopData, SectionsRunToEndMarkerAndHeadersAreTakenOut)
{
    const TShopData data
        = ShopDataOf(QStringLiteral("_ServerBuild_=2026.1\n"
                                    ":>CHARGE\nValue=100\n_ServerR_=TRUE\nType=1\n:>END\n"
                                    "stray line\n"
                                    ":>TAX\n:>END\n"
                                    ":>SIZENAME\nL\n2L\n"));
    EXPECT_EQ(data.ServerBuild(), QStringLiteral("2026.1"));
    EXPECT_TRUE(data.ServerR());
    EXPECT_EQ(data.Lines(ssCharge), QStringList({ "Value=100", "Type=1" }));
    EXPECT_TRUE(data.Has(ssTax));
    EXPECT_FALSE(data.HasLines(ssTax));
    EXPECT_EQ(data.Lines(ssSizeName), QStringList({ "L", "2L" })); // runs to the end of the file
    EXPECT_FALSE(data.Has(ssPrices));

    EXPECT_FALSE(ShopDataOf(QStringLiteral("_ServerR_=true\n")).ServerR());
}

TEST(TShopData, SectionWithoutEndRunsOverLaterMarkersToTheNextEnd)
{
    const TShopData data = ShopDataOf(
        QStringLiteral(":>OPTION\nA=1\n:>CHARGE\nValue=5\n:>END\n:>OPTION\nB=2\n:>END"));
    EXPECT_EQ(data.Lines(ssOption), QStringList({ "A=1", ":>CHARGE", "Value=5" }));
    EXPECT_EQ(data.Lines(ssCharge), QStringList({ "Value=5" }));
}

TEST(TPriceTables, LoadsTheShopFileAndDeletesStaleTableFiles)
{
    test::TTempHome home;
    const QString folder = home.FilePath(QStringLiteral("shop"));
    QDir().mkpath(folder);
    ASSERT_TRUE(QFile::copy(test::ShopDataFile(), folder + QStringLiteral("/HostFmt.ini")));
    ASSERT_TRUE(home.Write(QStringLiteral("shop/Prices.ini"), "prcNet|L=999\r\n"));
    ASSERT_TRUE(home.Write(QStringLiteral("shop/SizeExXY.ini"), "1*1\r\n"));

    TPriceTables tables;
    tables.LoadPriceTables(folder);
    EXPECT_EQ(tables.ServerBuild(), QStringLiteral("2026.11.30.02"));
    EXPECT_EQ(tables.UnitPrice(prcNet, QStringLiteral("L")), 25);
    EXPECT_EQ(tables.UnitPrice(prcNormal, QStringLiteral("L")), 25); // answered from prcNet
    EXPECT_EQ(tables.UnitPrice(prcNet, QStringLiteral("L-DSC")), 23.5);
    EXPECT_EQ(tables.SizeChannel(QStringLiteral("2L")), QStringLiteral("102"));
    EXPECT_EQ(tables.SizeChannelCD(QStringLiteral("2L")), QStringLiteral("202"));
    EXPECT_EQ(tables.SizeChannel(QStringLiteral("携帯")), QString());
    EXPECT_EQ(tables.Tax().rounding, 1);
    EXPECT_FALSE(QFile::exists(folder + QStringLiteral("/Prices.ini")));
    EXPECT_FALSE(QFile::exists(folder + QStringLiteral("/SizeExXY.ini")));
    EXPECT_TRUE(QFile::exists(folder + QStringLiteral("/HostFmt.ini")));

    // A reload with an empty folder uses the same folder again.
    tables.SetTax({});
    tables.LoadPriceTables();
    EXPECT_EQ(tables.Tax().rounding, 1);
}

TEST(TPriceTables, ServerModeMissingSectionsAreEmptyWithTheirFallbacks)
{
    TPriceTables tables(kServerCatalogue);
    tables.SetTax({ 0.08, true, 2, true });
    tables.Load(ShopDataOf(QStringLiteral(":>CDPRICE\ncdtNormal=650\nLimitSize=700\n:>END\n"
                                          ":>SIZEXYEXT\n:>END\n:>TAX\n:>END\n")));
    EXPECT_TRUE(tables.SizeList(true).isEmpty());
    EXPECT_EQ(tables.UnitPrice(prcNet, QStringLiteral("L")), 0);
    EXPECT_EQ(tables.DefaultSize(), QString());
    // Net CD-R prices fall back to the CD-R prices when NETCDPRICE is absent.
    EXPECT_EQ(tables.CdPriceOf(cdtNormal, true), 650);
    EXPECT_EQ(tables.CdLimitSize(true), 700);
    // An empty TAX section leaves the settings as they were.
    EXPECT_EQ(tables.Tax().rate, 0.08);
    EXPECT_TRUE(tables.Tax().inclusive);

    tables.Load(ShopDataOf(QStringLiteral(":>CDPRICE\ncdtNormal=650\n:>END\n"
                                          ":>NETCDPRICE\ncdtNormal=480\n:>END\n"
                                          ":>TAX\n_TAX_PAR_=abc\n:>END\n")));
    EXPECT_EQ(tables.CdPriceOf(cdtNormal, true), 480);
    EXPECT_EQ(tables.CdPriceOf(cdtNormal, false), 650);
    // A TAX section with lines is read; a malformed rate gives the default.
    EXPECT_EQ(tables.Tax().rate, 0.05);
    EXPECT_FALSE(tables.Tax().inclusive);
    EXPECT_EQ(tables.Tax().rounding, 0);
}

TEST(TPriceTables, FileModeKeepsDefaultsForMissingFiles)
{
    test::TTempHome home;
    ASSERT_TRUE(home.Write(QStringLiteral("shop/Prices.ini"), "prcNormal|L=32\r\n"));
    ASSERT_TRUE(home.Write(QStringLiteral("shop/CdPrice.ini"), "cdtNormal=800\r\n"));
    TPriceTables tables(kFileCatalogue);
    tables.LoadPriceTables(home.FilePath(QStringLiteral("shop")));
    EXPECT_EQ(tables.UnitPrice(prcNormal, QStringLiteral("L")), 32);
    EXPECT_EQ(tables.UnitPrice(prcNet, QStringLiteral("L")), 0);
    EXPECT_EQ(tables.SizeList(false), QStringList({ "L", "2L", "W6切", "W4切" }));
    EXPECT_EQ(tables.PrintDimensionsText(QStringLiteral("はがき"), QStringLiteral("x")),
        QStringLiteral("152x102"));
    EXPECT_EQ(tables.CdPriceOf(cdtNormal, true), 800); // a copy of CdPrice.ini
    EXPECT_TRUE(QFile::exists(home.FilePath(QStringLiteral("shop/Prices.ini"))));
}

TEST(TPriceTables, DefaultsAndPriceTexts)
{
    TPriceTables tables(kFileCatalogue);
    EXPECT_EQ(tables.UnitPrice(prcNormal, QStringLiteral("L")), 35);
    EXPECT_EQ(tables.UnitPrice(prcRepeat, QStringLiteral("L-DSC")), 27);
    EXPECT_EQ(tables.UnitPrice(prcNet, QStringLiteral("はがき")), 50);
    EXPECT_EQ(tables.UnitPrice(9, QStringLiteral("L")), 0);
    EXPECT_EQ(tables.CdTiers(cdtNormal, false), QList<double>({ 700 }));
    EXPECT_EQ(tables.CdLimitText(false), QStringLiteral("500M"));
    EXPECT_EQ(tables.PhoneMaxNum(), 1);
    EXPECT_EQ(PriceKindName(prcRepeat), QStringLiteral("CD-R焼増ﾌﾟﾘﾝﾄ"));
    EXPECT_EQ(PriceKindPrefix(prcNet), QStringLiteral("prcNet"));

    tables.Load(ShopDataOf(QString()));
    TPriceTables priced(kServerCatalogue);
    priced.Load(ShopDataOf(QStringLiteral(":>PRICES\nprcNet|L=00\nprcNet|2L=\nprcNet|W6切=-5\n"
                                          "prcNet|W4切=1,200円\nprcNet|はがき=abc\n:>END")));
    EXPECT_TRUE(priced.IsPriced(prcNet, QStringLiteral("L")));
    EXPECT_EQ(priced.UnitPrice(prcNet, QStringLiteral("L")), 0);
    EXPECT_FALSE(priced.IsPriced(prcNet, QStringLiteral("2L")));
    EXPECT_FALSE(priced.IsPriced(prcNet, QStringLiteral("W6切")));
    EXPECT_FALSE(priced.IsPriced(prcNet, QStringLiteral("L-DSC")));
    EXPECT_EQ(priced.UnitPrice(prcNet, QStringLiteral("W4切")), 1200);
    EXPECT_EQ(priced.UnitPrice(prcNet, QStringLiteral("はがき")), 0);
    EXPECT_TRUE(priced.IsPriced(prcNormal, QStringLiteral("L"))); // kind 0 served as kind 3

    // Absurd prices are clamped, so a basket's sums stay finite.
    TPriceTables absurd(kServerCatalogue);
    absurd.Load(ShopDataOf(QStringLiteral(":>PRICES\nprcNet|L=1e300\nprcNet|2L=-1e300\n:>END")));
    EXPECT_EQ(absurd.UnitPrice(prcNet, QStringLiteral("L")), TPriceTables::kMaxUnitPrice);
    EXPECT_EQ(absurd.UnitPrice(prcNet, QStringLiteral("2L")), -TPriceTables::kMaxUnitPrice);
    const QList<TPrintLine> lines
        = MakePrintLines({ { QStringLiteral("L"), INT_MAX } }, absurd, false);
    ASSERT_EQ(lines.size(), 1);
    EXPECT_TRUE(std::isfinite(lines.first().unitPrice * lines.first().count));
}

TEST(TPriceTables, SizeCycle)
{
    TPriceTables tables(kFileCatalogue); // L, 2L, W6切 and W4切 are "*D"
    EXPECT_EQ(tables.DefaultSize(), QStringLiteral("L"));
    EXPECT_EQ(tables.LastSize(), QStringLiteral("W4切"));
    EXPECT_EQ(tables.SizeCount(), 4);
    EXPECT_EQ(tables.NextSize(QStringLiteral("2L"), 1), QStringLiteral("W6切"));
    EXPECT_EQ(tables.NextSize(QStringLiteral("W4切"), 1), QStringLiteral("L"));
    EXPECT_EQ(tables.NextSize(QStringLiteral("L"), -1), QStringLiteral("W4切"));
    EXPECT_EQ(tables.NextSize(QStringLiteral("L-DSC"), 1), QStringLiteral("W6切"));
    EXPECT_EQ(tables.NextSize(QStringLiteral("L"), 8), QStringLiteral("L"));
    EXPECT_EQ(tables.NextSize(QStringLiteral("XL"), 1), QStringLiteral("L"));
    EXPECT_EQ(tables.NextSize(QString(), 0), QStringLiteral("W4切"));
    EXPECT_EQ(tables.SizeIndex(QStringLiteral("W6切")), 2);
    EXPECT_EQ(tables.SizeIndex(QStringLiteral("L-DSC")), -1);
    EXPECT_EQ(tables.SizeList(true),
        QStringList({ "L", "2L", "W6切", "W4切", "L-DSC", "2L-DSC", "はがき", "携帯" }));

    TPriceTables single(kServerCatalogue);
    single.Load(ShopDataOf(QStringLiteral(":>SIZENAME\nL\n2L\nKG\n:>END\n"
                                          ":>USEDSIZE\nD\n*D\n\n:>END\n")));
    for (int step : { -3, -1, 0, 1, 2, 7 }) {
        EXPECT_EQ(single.NextSize(QStringLiteral("2L"), step), QStringLiteral("2L"));
        // A step that is a whole turn of the table comes straight back to the start.
        EXPECT_EQ(single.NextSize(QStringLiteral("L"), step),
            step % 3 == 0 ? QStringLiteral("L") : QStringLiteral("2L"));
    }
}

TEST(TPriceTables, DimensionsAndResolution)
{
    TPriceTables tables(kServerCatalogue);
    tables.Load(ShopDataOf(QStringLiteral(":>SIZENAME\nL\n2L\nX\n:>END\n"
                                          ":>SIZEXY\n127*89\n178*127\n0*10\n:>END\n")));
    const TPrintDimensions l = tables.PrintDimensions(QStringLiteral("L"));
    EXPECT_TRUE(l.ok);
    EXPECT_EQ(l.longSide, 127);
    EXPECT_FALSE(tables.PrintDimensions(QStringLiteral("X")).ok);
    EXPECT_FALSE(tables.PrintDimensions(QStringLiteral("Y")).ok);
    // L: 127 mm × 600/119 = 640.3 → 640; × 680/119 = 725.7 → 726.
    EXPECT_EQ(tables.ResolutionClass(QStringLiteral("L"), 639, 100), 1);
    EXPECT_EQ(tables.ResolutionClass(QStringLiteral("L"), 100, 640), 2);
    EXPECT_EQ(tables.ResolutionClass(QStringLiteral("L"), 726, 726), 2);
    EXPECT_EQ(tables.ResolutionClass(QStringLiteral("L"), 727, 1), 3);
    EXPECT_EQ(tables.ResolutionClass(QStringLiteral("L"), 0, 2000), 0);
    EXPECT_EQ(tables.ResolutionClass(QStringLiteral("X"), 2000, 2000), 0);
    EXPECT_EQ(tables.ResolutionClass(QStringLiteral("L"), 700, 700, 6.0, 5.0), 0);
}

TEST(TPriceTables, BasicFeeRulesAndLabels)
{
    TPriceTables tables(kServerCatalogue);
    auto withType = [&](int type) {
        tables.Load(ShopDataOf(QStringLiteral(":>CHARGE\nValue=150.5\nType=%1\n:>END\n:>"
                                              "NETCHARGE\nName=手数料\nValue=0\nType=1\n:>END")
                                   .arg(type)));
    };
    withType(1);
    EXPECT_EQ(tables.BasicFeeLabel(false), QStringLiteral("一律 \\150.5"));
    EXPECT_EQ(tables.BasicFeeName(false), QStringLiteral("基本料金"));
    EXPECT_EQ(tables.BasicFee(true, false, false), 150.5);
    EXPECT_EQ(tables.BasicFee(false, true, false), 150.5);
    EXPECT_EQ(tables.BasicFee(false, false, false), 0);
    withType(2);
    EXPECT_EQ(tables.BasicFeeLabel(false), QStringLiteral("CD-R無しの場合 \\150.5"));
    EXPECT_EQ(tables.BasicFee(true, false, false), 150.5);
    EXPECT_EQ(tables.BasicFee(true, true, false), 0);
    withType(3);
    EXPECT_EQ(tables.BasicFeeLabel(false), QStringLiteral("CD-Rのみの場合 \\150.5"));
    EXPECT_EQ(tables.BasicFee(false, true, false), 150.5);
    EXPECT_EQ(tables.BasicFee(true, true, false), 0);
    withType(4);
    EXPECT_EQ(tables.BasicFee(true, true, false), 0);
    EXPECT_EQ(tables.BasicFeeLabel(false), QString());
    // A fee of 0 has no label.
    EXPECT_EQ(tables.BasicFeeName(true), QStringLiteral("手数料"));
    EXPECT_EQ(tables.BasicFeeLabel(true), QString());
}

TEST(TPriceTables, TaxHelpers)
{
    TPriceTables tables;
    tables.SetTax({ 0.05, true, 0, false });
    EXPECT_EQ(RoundMoneyBy(tables.TaxOf(105), 1), 5);
    EXPECT_NEAR(tables.NetOf(105), 100, 1e-9);
    EXPECT_EQ(tables.Gross(1050).total, 1050);
    tables.SetTax({ 0.05, false, 1, false });
    EXPECT_EQ(tables.Gross(1010).total, 1061);
    EXPECT_EQ(tables.RoundMoney(tables.TaxOf(1010)), 51);
    EXPECT_EQ(tables.NetOf(1010), 1010);
}

} // namespace korvatel
