#pragma once

#include <QScrollArea>
#include <QUrl>
#include <functional>

class QLabel;
class QTableWidget;
class QVBoxLayout;

namespace korvatel
{

class TPriceTables;
class TShopTerms;
struct TShopOptions;

// The shop's lines of the shop options (name, telephone, address, home page, message), one a
// line and those present only; "価格情報" when the shop gave none.
QString ShopInfoText(const TShopOptions &options);

// The shop's links the page offers: home page, map, notice board and the carriers' tracking
// pages, as caption and address; only web addresses (http, https) are offered.
QList<std::pair<QString, QUrl>> ShopLinks(const TShopOptions &options, const TShopTerms &terms);

// The page of the shop tab ("価格情報"): the shop's name and address, its links, the payment and
// delivery kinds it offers, the print prices of every size (alone and with a CD-R, when the
// shop makes CD-Rs), the fee, delivery, tax, rounding and CD-R texts, the bank details, the
// shop's comments and the seller notice, scrolling when they pass the page. Every text comes
// from the shop's server and is shown as plain text; links open in the browser on a click.
class TShopInfoPage : public QScrollArea
{
    Q_OBJECT

public:
    TShopInfoPage(
        const TShopOptions &options, const TPriceTables &tables, QWidget *parent = nullptr);

    // Every text the page shows, in order (tests).
    QString PageText() const;
    // Opens a link; the desktop's browser unless a test sets another.
    std::function<bool(const QUrl &)> OpenLink;
    // The print prices: a row per size, its unit price, then the price with a CD-R.
    QTableWidget *grdPrintPrices() const { return FPrintPrices; }

protected:
    void showEvent(QShowEvent *event) override;

private:
    QLabel *AddBlock(QVBoxLayout *layout, const QString &heading, const QStringList &lines);
    // The section "■プリント料金": the table of PrintPrices, as tall as its rows.
    void AddPrintPrices(QVBoxLayout *layout, const TPriceTables &tables);

    QList<QLabel *> FTexts;
    QTableWidget *FPrintPrices = nullptr;
    QWidget *FPage = nullptr; // the page's contents until it is first shown
};

} // namespace korvatel
