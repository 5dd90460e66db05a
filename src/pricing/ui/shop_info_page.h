#pragma once

#include <QLabel>

namespace korvatel
{

struct TShopOptions;

// The shop's lines of the shop options (name, telephone, address, home page, message), one a
// line and those present only; "価格情報" when the shop gave none.
QString ShopInfoText(const TShopOptions &options);

// The page of the shop tab: the shop's information as selectable text on the page's colour.
class TShopInfoPage : public QLabel
{
    Q_OBJECT

public:
    explicit TShopInfoPage(const TShopOptions &options, QWidget *parent = nullptr);
};

} // namespace korvatel
