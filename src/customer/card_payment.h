#pragma once

#include <QString>
#include <QStringList>
#include <optional>

namespace korvatel
{

// The most one card payment may be, in yen. Amounts are checked against it before they are
// narrowed to whole numbers, so a damaged record cannot wrap into another amount.
inline constexpr double kMaxCardAmount = 1e9;

// The first part of a card order ID: 64 random bits as 16 lowercase hexadecimal figures. The ID
// tells the service nothing about the customer, and nobody can guess another customer's ID.
// Lowercase keeps the "N" and the "D" that follow it the only capitals of the ID.
QString CardOrderNonce();

// The credit-card payment service, which lies outside this program: the order history only
// needs to know whether a call succeeded and, for a bundle, a number to build its ID from.
class TCardPayment
{
public:
    virtual ~TCardPayment() = default;

    // Starts the payment of one card order ("(P)" + ID for a bundle) of amount yen.
    virtual bool PayOrder(const QString &cardOrderId, double amount) = 0;
    // Registers a bundle of several card orders as one payment on the card server.
    virtual bool WriteBundle(const QString &cardOrderId, const QStringList &creditLines) = 0;
    // Gives the orders of a bundle back as single orders.
    virtual bool ReleaseBundle(const QString &cardOrderId) = 0;
    // The next number of the card service for a bundle's ID; nullopt when it cannot be had.
    virtual std::optional<qint64> NextCardNumber() = 0;
    // Opens the card settings dialog; false when the service cannot show it.
    virtual bool OpenCardSettings() = 0;
};

// Stands in for the card-payment service: every call answers as configured and is recorded.
class TCardPaymentStandIn : public TCardPayment
{
public:
    bool payOk = true;
    bool writeOk = true;
    bool releaseOk = true;
    bool settingsOk = true;
    std::optional<qint64> nextNumber = 1;

    // One line per call: "pay <id> <amount>", "write <id>", "release <id>", "number",
    // "settings".
    QStringList calls;
    QStringList lastBundleLines;

    bool PayOrder(const QString &cardOrderId, double amount) override;
    bool WriteBundle(const QString &cardOrderId, const QStringList &creditLines) override;
    bool ReleaseBundle(const QString &cardOrderId) override;
    std::optional<qint64> NextCardNumber() override;
    bool OpenCardSettings() override;
};

} // namespace korvatel
