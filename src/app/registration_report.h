#pragma once

#include "net/transfer_settings.h"

#include <QString>
#include <QStringList>

namespace korvatel
{

class TClientSession;
class TClock;
class TPrompter;

// Where the start-up registration report stands.
enum class TReportState {
    rsNothing, // the customer record holds nothing to report
    rsNoAddress, // no https:// address takes the report, so nothing is sent
    rsDeclined, // the customer said no, now or before, or gave no answer
    rsUnchanged, // the server already took this very record
    rsDue, // to be sent
    rsSent, // the server took it
    rsFailed, // the server did not take it; the next start tries again
};

// A report as the window's thread prepares it for the job that sends it.
struct TRegistrationReport {
    TReportState state = TReportState::rsNothing;
    QString url;
    QStringList lines;
    QString digestFile; // keeps the SHA-256 of the last record the server took
};

// The question before the first report, in plain words: the data that goes (named after the
// record's lines), the host it goes to, and where the answer can be changed later.
QString RegistrationQuestion(const QStringList &lines, const QString &url);

// Prepares the start-up registration report of the session's customer (RegistrationReportLines)
// for the session's RegistrationReportUrl. The customer's answer lives in MailSet.ini
// ("RegistrationReport", changed in "インターネットの設定"); while there is none, prompter asks
// RegistrationQuestion with Yes and No and a Yes or No is kept. Due only after a Yes and when the
// record differs from the last one the server took.
TRegistrationReport PrepareRegistrationReport(
    const TClientSession &session, const TClock &clock, TPrompter &prompter);

// Sends a due report (on any thread) and, when the server takes it, keeps the record's SHA-256,
// so that the same record is not sent again. rsSent or rsFailed; any other state comes back
// as it is.
TReportState SendRegistrationReport(
    const TTransportSettings &transport, const TRegistrationReport &report);

} // namespace korvatel
