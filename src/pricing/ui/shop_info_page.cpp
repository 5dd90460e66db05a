#include "pricing/ui/shop_info_page.h"

#include "workspace/shop_options.h"

namespace korvatel
{

QString ShopInfoText(const TShopOptions &options)
{
    QStringList lines;
    for (const QString &line :
        { options.Shop, options.Tel, options.Address, options.HomePage, options.Message })
        if (!line.isEmpty())
            lines << line;
    return lines.isEmpty() ? QStringLiteral("価格情報") : lines.join(u'\n');
}

TShopInfoPage::TShopInfoPage(const TShopOptions &options, QWidget *parent)
    : QLabel(parent)
{
    setObjectName(QStringLiteral("pnShop"));
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
    setMargin(16);
    setTextInteractionFlags(Qt::TextSelectableByMouse);
    // The shop's own text from its server: shown as it is, never as rich text with live links.
    setTextFormat(Qt::PlainText);
    setText(ShopInfoText(options));
}

} // namespace korvatel
