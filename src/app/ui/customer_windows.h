#pragma once

#include <memory>

class QWidget;

namespace korvatel
{

class TCardService;
class TClientSession;
class TPrompter;
struct TServerConfig;
struct TUserOrderArgs;

// The menu's "ユーザー設定": the customer window in menu mode on the session's record.
int OpenUserWindow(TClientSession &session, TPrompter &prompter, QWidget *parent);
// "注文へ"'s customer window: order mode, with the delivery the summary window chose.
int OpenOrderUserWindow(
    TClientSession &session, const TUserOrderArgs &args, TPrompter &prompter, QWidget *parent);
// The card-payment service at the CardURL of the server configuration, with the customer's card
// data of the session (CardData.ini in SysData); null where none is configured, and card payment
// is then not offered.
std::unique_ptr<TCardService> CardPaymentService(
    const TClientSession &session, const TServerConfig &servers);
// The menu's "履歴と決済": the history window of the user's history folder.
void OpenHistoryWindow(TClientSession &session, TPrompter &prompter, QWidget *parent);

} // namespace korvatel
