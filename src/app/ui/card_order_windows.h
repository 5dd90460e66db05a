#pragma once

class QWidget;

namespace korvatel
{

class TCardPage;
class TClientSession;
class TPrompter;

// "数量設定から注文へ": saves the card's pre-order data, reads the template's description and
// prices from the shop, and opens the card order window on the card of the page. Without a
// template: "　テンプレートの指定がありません。　". When the customer chooses to look at the
// earlier order instead, the card history opens.
void StartCardOrder(TClientSession &session, TCardPage &page, TPrompter &prompter, QWidget *window);

// "履歴と進行状況": the card orders placed with the session's shop.
void OpenCardHistory(TClientSession &session, TPrompter &prompter, QWidget *window);

} // namespace korvatel
