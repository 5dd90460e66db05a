#include "cli/pricing_commands.h"

#include "platform/clock.h"
#include "pricing/basket_text.h"
#include "pricing/money.h"
#include "pricing/shop_data.h"
#include "pricing/shop_pricing.h"
#include "text/cp932.h"
#include "text/sjis_file.h"

#include <QStringDecoder>
#include <QTextStream>

namespace korvatel
{

namespace
{

// A basket typed in a terminal is UTF-8; one written by the program is Shift-JIS.
QString DecodeBasket(const QByteArray &bytes)
{
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = utf8.decode(bytes);
    if (!utf8.hasError())
        return text;
    return FromCp932(bytes);
}

QString AmountText(double x)
{
    return NumberText(x, HasFraction(x) ? 2 : 0);
}

void PrintRow(QTextStream &out, const QString &label, const QString &middle, const QString &amount)
{
    out << label.leftJustified(28) << middle.rightJustified(16) << amount.rightJustified(12)
        << '\n';
}

} // namespace

int PriceCommand(const QStringList &args, QTextStream &out, QTextStream &err)
{
    QStringList files;
    bool fileMode = false;
    QDate today = SystemClock().Now().date();
    for (const QString &arg : args) {
        if (arg == QLatin1String("--file-mode")) {
            fileMode = true;
        } else if (arg.startsWith(QLatin1String("--today="))) {
            today = QDate::fromString(arg.mid(8), Qt::ISODate);
            if (!today.isValid()) {
                err << "bad date: " << arg.mid(8) << '\n';
                return 2;
            }
        } else if (arg.startsWith(QLatin1String("--"))) {
            err << "unknown option: " << arg << '\n';
            return 2;
        } else {
            files.append(arg);
        }
    }
    if (files.size() != 2) {
        err << "give the shop data and the basket file\n";
        return 2;
    }

    std::optional<TShopData> data;
    if (fileMode)
        data = TShopData::FromFolder(files.at(0));
    else
        data = TShopData::LoadContainer(files.at(0));
    if (!data) {
        err << "cannot read " << files.at(0) << '\n';
        return 1;
    }
    const TShopPricing shop(*data, fileMode ? kFileCatalogue : kServerCatalogue);
    const TPriceTables &tables = shop.Tables();

    const std::optional<QByteArray> bytes = ReadWholeFile(files.at(1));
    if (!bytes) {
        err << "cannot read " << files.at(1) << '\n';
        return 1;
    }
    const TBasketText basket = ParseBasketText(SplitLines(DecodeBasket(*bytes)), tables);
    for (const QString &error : basket.errors)
        err << files.at(1) << ": " << error << '\n';
    if (!basket.errors.isEmpty())
        return 1;

    const TPricedOrder order = PriceOrder(basket.basket, shop.Context(today), basket.choice);

    if (order.campusNoteShown)
        out << order.campusNote << '\n';
    for (const TStatementRow &row : order.rows) {
        const QString middle = row.hasUnit
            ? QStringLiteral("%1 × %2 ＝").arg(AmountText(row.unitPrice)).arg(row.count)
            : row.note;
        PrintRow(out, row.label, middle, AmountText(row.amount));
    }
    if (!order.pointsText.isEmpty())
        out << order.pointsText << '\n';
    if (order.pointsUsed > 0)
        PrintRow(out, QStringLiteral("使用ﾎﾟｲﾝﾄ"), {}, AmountText(-order.pointsUsed));
    if (!order.feeLabel.isEmpty())
        PrintRow(out, order.feeLabel, {}, AmountText(order.fixedFee + order.rateFee));
    if (order.cashOnDeliveryFee > 0)
        PrintRow(out, QStringLiteral("代引手数料"), {}, AmountText(order.cashOnDeliveryFee));
    PrintRow(out, QStringLiteral("お支払い合計"), {}, CurrencyText(order.grandTotal));
    out << "total=" << FloatText(order.total) << '\n';
    out << "tax=" << FloatText(order.tax) << '\n';
    out << "grand-total=" << FloatText(order.grandTotal) << '\n';
    out << "button=" << order.buttonCaption << (order.buttonEnabled ? "" : " (disabled)") << '\n';
    out << "summary=" << OrderSummaryText(order) << '\n';
    out << "records:\n";
    for (const QString &record : order.records)
        out << record << '\n';
    return 0;
}

} // namespace korvatel
