#include "mobile/mail/mapi_mailer.h"

#include "platform/prompter.h"

namespace korvatel
{

QString MapiResultText(int code)
{
    static const struct {
        int code;
        const char *text;
    } kTexts[] = {
        { 0, "成功" },
        { 1, "中止しました" },
        { 2, "失敗(原因不明)" },
        { 3, "接続に失敗しました" },
        { 4, "ディスク容量不足です" },
        { 5, "メモリ不足です" },
        { 6, "アクセスが否定されました" },
        { 8, "他のセッションが多すぎます" },
        { 9, "ファイルが多すぎます" },
        { 10, "受取人が多すぎます" },
        { 11, "添付ファイルが見つかりません" },
        { 12, "添付ファイルを開けません" },
        { 13, "添付ファイルの書き込み失敗" },
        { 14, "該当する受取人がいません" },
        { 15, "読めないメールデータです" },
        { 16, "メッセージはありません" },
        { 17, "無効なメッセージです" },
        { 18, "テキストが大きすぎます" },
        { 19, "無効なセッションです" },
        { 20, "読めないタイプのメッセージです" },
        { 21, "受取人が特定できません" },
        { 22, "使用中のメッセージです" },
        { 23, "ネットワーク障害です" },
        { 24, "無効な編集フィールドです" },
        { 25, "無効な受取人です" },
        { 26, "サポート外です" },
        { 400, "受取人の指定がありません" },
    };
    for (const auto &entry : kTexts) {
        if (entry.code == code)
            return QString::fromUtf8(entry.text);
    }
    return QStringLiteral("ERROR %1 : 想定外のエラーです").arg(code);
}

bool SendByMapi(const TMailProgramMessage &message, bool showResult, TPrompter *prompter,
    QString *errorText, const QString &program)
{
    const int code
        = message.toAddress.trimmed().isEmpty() ? 400 : SendWithMailProgram(message, program);
    const QString text = MapiResultText(code);
    if (errorText)
        *errorText = text;
    if (code != 0 && showResult && prompter)
        prompter->Error(QStringLiteral("【RESULT】\r\n\r\n") + text);
    return code == 0;
}

} // namespace korvatel
