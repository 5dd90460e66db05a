#pragma once

class QWidget;

namespace korvatel
{

class TClientSession;
class TPrompter;

// The menu's "ユーザー設定": the customer window in menu mode on the session's record.
int OpenUserWindow(TClientSession &session, TPrompter &prompter, QWidget *parent);
// The menu's "履歴と決済": the history window of the user's history folder.
void OpenHistoryWindow(TClientSession &session, TPrompter &prompter, QWidget *parent);

} // namespace korvatel
