#include "sending/address_card.h"

#include "platform/fonts.h"

#include <QFontMetrics>
#include <QPainter>
#include <algorithm>
#include <cmath>

namespace korvatel
{

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

} // namespace korvatel
