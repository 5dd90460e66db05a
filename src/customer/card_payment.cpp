#include "customer/card_payment.h"

#include <QRandomGenerator>

namespace korvatel
{

QString CardOrderNonce()
{
    return QStringLiteral("%1").arg(
        QRandomGenerator::system()->generate64(), 16, 16, QLatin1Char('0'));
}

bool TCardPaymentStandIn::PayOrder(const QString &cardOrderId, double amount)
{
    calls << QStringLiteral("pay %1 %2").arg(cardOrderId).arg(amount, 0, 'f', 0);
    return payOk;
}

bool TCardPaymentStandIn::WriteBundle(const QString &cardOrderId, const QStringList &creditLines)
{
    calls << QStringLiteral("write ") + cardOrderId;
    lastBundleLines = creditLines;
    return writeOk;
}

bool TCardPaymentStandIn::ReleaseBundle(const QString &cardOrderId)
{
    calls << QStringLiteral("release ") + cardOrderId;
    return releaseOk;
}

std::optional<qint64> TCardPaymentStandIn::NextCardNumber()
{
    calls << QStringLiteral("number");
    if (!nextNumber)
        return std::nullopt;
    return (*nextNumber)++;
}

bool TCardPaymentStandIn::OpenCardSettings()
{
    calls << QStringLiteral("settings");
    return settingsOk;
}

} // namespace korvatel
