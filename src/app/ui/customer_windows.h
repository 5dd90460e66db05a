#pragma once

class QWidget;

namespace korvatel
{

class TCardPayment;
class TClientSession;
class TPrompter;
struct TUserOrderArgs;

// The menu's "ユーザー設定": the customer window in menu mode on the session's record.
int OpenUserWindow(TClientSession &session, TPrompter &prompter, QWidget *parent);
// "注文へ"'s customer window: order mode, with the delivery the summary window chose.
int OpenOrderUserWindow(
    TClientSession &session, const TUserOrderArgs &args, TPrompter &prompter, QWidget *parent);
// The card-payment service. It lies outside this program: every request to it fails, so no
// payment is ever reported as made.
TCardPayment &CardPaymentService();
// The menu's "履歴と決済": the history window of the user's history folder.
void OpenHistoryWindow(TClientSession &session, TPrompter &prompter, QWidget *parent);

} // namespace korvatel
