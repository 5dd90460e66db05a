#pragma once

#include "net/transfer_settings.h"

#include <QByteArray>
#include <QString>
#include <functional>

namespace korvatel
{

// One SMTP session that hands one message to one recipient.
struct TSmtpRequest {
    QString host;
    int port = 25;
    bool login = false; // AUTH LOGIN with the user and password
    // The login may go in clear to a server that offers no STARTTLS; off, such a server gets
    // no login and the session fails with plainLoginRefused.
    bool allowPlainLogin = false;
    QString user;
    QString password;
    QByteArray mailFrom; // the envelope sender, an address without angle brackets
    QByteArray rcpt; // the envelope recipient
    QByteArray message; // header and body, CR LF line ends
    int connectTimeoutMs = 30000;
    int responseTimeoutSeconds = 60;
    // The events of the session as they happen: "Connecting.", "CONNECT OK", "Disconnected.".
    std::function<void(const QString &)> status;
};

struct TSmtpResult {
    bool ok = false;
    bool connected = false; // the server greeted
    bool tls = false; // the session ran inside TLS (STARTTLS)
    bool plainLoginRefused = false; // a login was due, the server offers no TLS, none was sent
    QString error; // "Connection Failed." or the transport's text of what went wrong
};

inline constexpr char kSmtpConnectFailed[] = "Connection Failed.";

// Sends the message. When the server offers STARTTLS the session switches to TLS before
// anything else (certificates verified, against the transport settings' CA file when they name
// one), and a failure there ends the session: the password never travels in clear to a server
// that offers TLS. A server that offers no TLS is spoken to in clear only when no login is due
// or the request allows a login in clear.
TSmtpResult SendSmtp(const TSmtpRequest &request, const TTransportSettings &transport);

} // namespace korvatel
