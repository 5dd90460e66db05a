#include "platform/prompter.h"

#include <cstdio>

namespace korvatel
{

TModalResult FirstButtonResult(TMsgButtons buttons)
{
    static constexpr std::pair<TMsgButton, TModalResult> kOrder[] = {
        { mbOK, TModalResult::mrOk },
        { mbYes, TModalResult::mrYes },
        { mbNo, TModalResult::mrNo },
        { mbCancel, TModalResult::mrCancel },
        { mbAbort, TModalResult::mrAbort },
        { mbRetry, TModalResult::mrRetry },
        { mbIgnore, TModalResult::mrIgnore },
    };
    for (const auto &[button, result] : kOrder) {
        if (buttons & button)
            return result;
    }
    return TModalResult::mrNone;
}

TModalResult TScriptedPrompter::Ask(
    TMsgKind kind, const QString &text, TMsgButtons buttons, const QString &caption)
{
    FShown.append({ kind, text, buttons, caption });
    if (FAnswers.isEmpty()) {
        ++FUnexpected;
        return FirstButtonResult(buttons);
    }
    return FAnswers.takeFirst();
}

TModalResult TUnattendedPrompter::Ask(
    TMsgKind, const QString &text, TMsgButtons buttons, const QString &caption)
{
    std::fprintf(stderr, "[%s] %s\n", caption.toLocal8Bit().constData(),
        QString(text)
            .replace(QLatin1String("\r\n"), QLatin1String("\n"))
            .toLocal8Bit()
            .constData());
    return FirstButtonResult(buttons);
}

QStringList TScriptedPrompter::Texts() const
{
    QStringList texts;
    for (const TPrompt &prompt : FShown)
        texts.append(prompt.text);
    return texts;
}

} // namespace korvatel
