#include "pricing/ui/shop_info_page.h"

#include "pricing/print_prices.h"
#include "pricing/shop_pricing.h"
#include "pricing/shop_terms.h"
#include "workspace/shop_options.h"

#include <QDesktopServices>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>

namespace korvatel
{

namespace
{

bool WebAddress(const QUrl &url)
{
    return url.isValid() && !url.host().isEmpty()
        && (url.scheme() == QLatin1String("http") || url.scheme() == QLatin1String("https"));
}

} // namespace

QString ShopInfoText(const TShopOptions &options)
{
    QStringList lines;
    for (const QString &line :
        { options.Shop, options.Tel, options.Address, options.HomePage, options.Message })
        if (!line.isEmpty())
            lines << line;
    return lines.isEmpty() ? QStringLiteral("価格情報") : lines.join(u'\n');
}

QList<std::pair<QString, QUrl>> ShopLinks(const TShopOptions &options, const TShopTerms &terms)
{
    const std::pair<QString, QString> candidates[] = {
        { QStringLiteral("ホームページ"), options.HomePage },
        { terms.MapTitle().isEmpty() ? QStringLiteral("地図") : terms.MapTitle(),
            terms.MapUse() ? terms.MapURL() : QString() },
        { QStringLiteral("掲示板"), terms.BBSUse() ? terms.BBS() : QString() },
        { QStringLiteral("メール便の配達状況"), terms.MailbinURL() },
        { QStringLiteral("宅配便の配達状況"), terms.TakuhaibinURL() },
    };
    QList<std::pair<QString, QUrl>> links;
    for (const auto &[caption, address] : candidates) {
        const QUrl url(address.trimmed(), QUrl::StrictMode);
        if (WebAddress(url))
            links.append({ caption, url });
    }
    return links;
}

TShopInfoPage::TShopInfoPage(
    const TShopOptions &options, const TPriceTables &tables, QWidget *parent)
    : QScrollArea(parent)
{
    setObjectName(QStringLiteral("pnShop"));
    setWidgetResizable(true);
    setFrameShape(QFrame::NoFrame);
    // The page is laid out into the scroll area when it is first shown: the word-wrapped texts
    // cost a start-up that shows another tab several milliseconds. Until then it waits hidden.
    auto *page = new QWidget(this);
    page->hide();
    FPage = page;
    auto *layout = new QVBoxLayout(page);
    layout->setContentsMargins(16, 16, 16, 16);

    QLabel *head = AddBlock(layout, {}, { ShopInfoText(options) });
    QFont bold = head->font();
    bold.setBold(true);
    head->setFont(bold);

    const TShopPricing pricing(tables);
    const TShopTerms &terms = pricing.Terms();
    const QList<std::pair<QString, QUrl>> links = ShopLinks(options, terms);
    if (!links.isEmpty()) {
        auto *row = new QHBoxLayout;
        for (const auto &[caption, url] : links) {
            auto *button = new QPushButton(caption, page);
            button->setToolTip(url.toString());
            button->setCursor(Qt::PointingHandCursor);
            connect(button, &QPushButton::clicked, this, [this, url = url] {
                if (OpenLink)
                    OpenLink(url);
                else
                    QDesktopServices::openUrl(url);
            });
            row->addWidget(button);
        }
        row->addStretch(1);
        layout->addLayout(row);
    }

    AddBlock(layout, QStringLiteral("■お支払い方法"),
        { terms.Payments() ? PaymentSetText(terms.Payments(), false)
                           : QStringLiteral("ご来店時にお支払いください。") });
    AddBlock(layout, QStringLiteral("■お届け方法"),
        { terms.Deliveries() ? DeliverySetText(terms.Deliveries(), false)
                             : QStringLiteral("ご来店にてお受け取りください。") });
    AddPrintPrices(layout, tables);
    AddBlock(layout, QStringLiteral("■料金"), ShopInformationLines(terms, tables));
    AddBlock(layout, QStringLiteral("■お振込先"), terms.BankStrings());
    AddBlock(layout, QStringLiteral("■お店から"), terms.TopComments() + terms.BottomComments());
    AddBlock(layout, QStringLiteral("■特定商取引法に基づく表記"), terms.TokushoStrings());
    layout->addStretch(1);
}

void TShopInfoPage::showEvent(QShowEvent *event)
{
    if (FPage) {
        setWidget(FPage);
        FPage->show();
        FPage = nullptr;
    }
    QScrollArea::showEvent(event);
}

QLabel *TShopInfoPage::AddBlock(
    QVBoxLayout *layout, const QString &heading, const QStringList &lines)
{
    if (lines.isEmpty())
        return nullptr;
    auto *label = new QLabel(layout->parentWidget());
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    // The shop's own text from its server: shown as it is, never as rich text with live links.
    label->setTextFormat(Qt::PlainText);
    label->setWordWrap(true);
    label->setText((heading.isEmpty() ? lines : QStringList { heading } + lines).join(u'\n'));
    layout->addWidget(label);
    FTexts << label;
    return label;
}

void TShopInfoPage::AddPrintPrices(QVBoxLayout *layout, const TPriceTables &tables)
{
    const QList<TPrintPrice> prices = PrintPrices(tables);
    if (prices.isEmpty())
        return;
    AddBlock(layout, {}, { QStringLiteral("■プリント料金") });
    // The price with a CD-R is listed only where the shop makes CD-Rs.
    const bool cd = tables.CdOffered(tables.ServerCatalogue());
    auto *table = new QTableWidget(int(prices.size()), cd ? 3 : 2, layout->parentWidget());
    table->setObjectName(QStringLiteral("grdPrintPrices"));
    QStringList headings { QStringLiteral("サイズ"), QStringLiteral("1枚") };
    if (cd)
        headings << QStringLiteral("CD-R同時注文の1枚");
    table->setHorizontalHeaderLabels(headings);
    table->verticalHeader()->hide();
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->setSelectionMode(QAbstractItemView::NoSelection);
    table->setFocusPolicy(Qt::NoFocus);
    for (int row = 0; row < prices.size(); ++row) {
        const TPrintPrice &price = prices.at(row);
        const QString cells[]
            = { price.size, UnitPriceText(price.plain), UnitPriceText(price.withCd) };
        for (int column = 0; column < table->columnCount(); ++column) {
            auto *item = new QTableWidgetItem(cells[column]);
            if (column > 0)
                item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            table->setItem(row, column, item);
        }
    }
    // The whole table shows in the page, which scrolls; the table itself never does.
    table->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    table->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    table->resizeColumnsToContents();
    table->resizeRowsToContents();
    QSize size(2 * table->frameWidth(),
        2 * table->frameWidth() + table->horizontalHeader()->sizeHint().height());
    for (int column = 0; column < table->columnCount(); ++column) {
        table->setColumnWidth(column, std::max(table->columnWidth(column) + 16, 64));
        size.rwidth() += table->columnWidth(column);
    }
    for (int row = 0; row < table->rowCount(); ++row)
        size.rheight() += table->rowHeight(row);
    table->setFixedSize(size);
    layout->addWidget(table, 0, Qt::AlignLeft);
    FPrintPrices = table;
}

QString TShopInfoPage::PageText() const
{
    QStringList texts;
    for (const QLabel *label : FTexts)
        texts << label->text();
    return texts.join(QStringLiteral("\n\n"));
}

} // namespace korvatel
