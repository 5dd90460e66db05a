#pragma once

#include "customer/card_payment.h"
#include "net/transfer_settings.h"

#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

namespace korvatel
{

// The card-payment service at the CardURL of the server configuration, over HTTP. Each call is
// one request to a script under the base URL; the answer is Shift-JIS text whose first line is
// "OK" (or "NG" and a reason), followed by "Name=Value" lines:
//
//   pay.php?id=<card order ID>&amount=<yen>   charges the order to the customer's card
//   bundle.php (form fields id, lines)         registers a bundle and its credit lines
//   release.php?id=<bundle ID>                 gives a bundle's orders back as single orders
//   number.php                                 "Number=<n>": the number for a bundle's ID
//   status.php?id=<ID>,<ID>,…                  "<ID>=<state>" per order: 3 settled, 2 waiting
//   settings.php                               the card settings page, shown in the browser
//
// Answers are untrusted: larger than kMaxCardAnswer, without the "OK" line or with values out
// of form, they count as a failed call.
class TCardService : public TCardPayment
{
public:
    TCardService(QString baseUrl, TTransportSettings transport);

    static constexpr qint64 kMaxCardAnswer = 64 * 1024;

    bool PayOrder(const QString &cardOrderId, double amount) override;
    bool WriteBundle(const QString &cardOrderId, const QStringList &creditLines) override;
    bool ReleaseBundle(const QString &cardOrderId) override;
    std::optional<qint64> NextCardNumber() override;
    bool OpenCardSettings() override;

    // The settlement query of the history: asks the states of the card orders and reports
    // each settled (3) or waiting (2) one through report. False when the service did not answer.
    bool QuerySettlements(const QStringList &cardOrderIds,
        const std::function<void(const QString &id, int state, bool &found)> &report);

    // Opens a page in the user's browser; the desktop's handler unless set.
    std::function<bool(const QString &url)> OpenPage;
    // What went wrong with the last call: the transport's text or the service's reason.
    QString LastError() const { return FLastError; }

private:
    // The answer lines after "OK"; nullopt (with LastError set) when the call failed.
    std::optional<QStringList> Get(const QString &script);
    std::optional<QStringList> Checked(const QByteArray &answer);
    // A request that is not sent: an ID that is no card order ID, an impossible amount.
    bool Refuse();

    QString FBaseUrl;
    TTransportSettings FTransport;
    QString FLastError;
};

} // namespace korvatel
