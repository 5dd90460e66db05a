#pragma once

#include "customer/card_payment.h"
#include "net/transfer_settings.h"

#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

namespace korvatel
{

// The card-payment service at the CardURL of the server configuration. Each call is one POST
// form to a script under the base URL, which must be https:// (http:// only on this machine);
// the answer is Shift-JIS text whose first line is "OK" (or "NG" and a reason), followed by
// "Name=Value" lines:
//
//   register.php                      "Token=<hex>": the customer's secret for the card
//   pay.php (id, amount)              charges the order to the customer's card
//   bundle.php (id, lines)            registers a bundle and its credit lines
//   release.php (id)                  gives a bundle's orders back as single orders
//   number.php                        "Number=<n>": the number for a bundle's ID
//   status.php (id=<ID>,<ID>,…)       "<ID>=<state>" per order: 3 settled, 2 waiting
//   settings.php                      the card settings page, shown in the browser
//
// Every request but register.php carries the customer's token as the field "token", so only
// the customer who registered the card can pay, release or ask about its orders. The token is
// kept in the card data file with the address of the service that gave it. A service that gives
// no token at registration is an older one: its requests go without a token and carry id and
// amount in the address as well, where such a service reads them.
//
// Answers are untrusted: larger than kMaxCardAnswer, without the "OK" line or with values out
// of form, they count as a failed call.
class TCardService : public TCardPayment
{
public:
    TCardService(QString baseUrl, TTransportSettings transport, QString cardDataFile = {});

    static constexpr qint64 kMaxCardAnswer = 64 * 1024;

    // True for an https:// address, and for an http:// one that stays on this machine
    // (localhost, 127.x.x.x, ::1). Any other address is refused before a byte is sent.
    static bool SafeCardAddress(const QString &url);
    // What the customer is told when the service's address is refused.
    static QString UnsafeAddressText();
    bool AddressAllowed() const { return SafeCardAddress(FBaseUrl); }

    bool PayOrder(const QString &cardOrderId, double amount) override;
    bool WriteBundle(const QString &cardOrderId, const QStringList &creditLines) override;
    bool ReleaseBundle(const QString &cardOrderId) override;
    std::optional<qint64> NextCardNumber() override;
    // Registers the card once (RegisterCard) and opens the settings page.
    bool OpenCardSettings() override;

    // Asks the service for the customer's token and keeps it in the card data file (0600).
    // False when the service gave none (an older service: requests go on without one) or the
    // file could not be written; asked once per object.
    bool RegisterCard();
    bool HasToken() const { return !FToken.isEmpty(); }

    // The settlement query of the history: asks the states of the card orders and reports
    // each settled (3) or waiting (2) one through report. False when the service did not answer.
    bool QuerySettlements(const QStringList &cardOrderIds,
        const std::function<void(const QString &id, int state, bool &found)> &report);

    // Opens a page in the user's browser; the desktop's handler unless set.
    std::function<bool(const QString &url)> OpenPage;
    // What went wrong with the last call: the transport's text or the service's reason.
    QString LastError() const { return FLastError; }

private:
    using TFields = QList<std::pair<QString, QString>>;
    // Posts fields (and the token) to script; the answer lines after "OK", or nullopt (with
    // LastError set) when the call failed. With inAddress and no token, the fields also go
    // into the address for an older service.
    std::optional<QStringList> Post(const QString &script, TFields fields, bool inAddress);
    std::optional<QStringList> Checked(const QByteArray &answer);
    // A request that is not sent: an ID that is no card order ID, an impossible amount.
    bool Refuse();

    QString FBaseUrl;
    TTransportSettings FTransport;
    QString FCardDataFile;
    QString FToken;
    bool FRegisterAsked = false;
    QString FLastError;
};

} // namespace korvatel
