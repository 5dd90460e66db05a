#pragma once

#include "platform/mail_program.h"

#include <QString>

namespace korvatel
{

class TPrompter;

// The text of a Simple MAPI result code: "成功", "中止しました", … "受取人の指定がありません"
// (400); a code without a text gives "ERROR %d : 想定外のエラーです".
QString MapiResultText(int code);

// Hands the message to the customer's mail program. A message without a recipient gives 400
// without calling it. *errorText gets the result's text; with showResult and a prompter a
// failure is shown as "【RESULT】\r\n\r\n" + the text (error box). True on success.
bool SendByMapi(const TMailProgramMessage &message, bool showResult, TPrompter *prompter,
    QString *errorText, const QString &program = QStringLiteral("xdg-email"));

} // namespace korvatel
