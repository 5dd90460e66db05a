#pragma once

#include <QList>
#include <QString>

namespace korvatel
{

// The look of a message box: its icon and default caption.
enum class TMsgKind { mkInformation, mkWarning, mkError, mkConfirmation };

// Buttons of a message box, combined as flags.
enum TMsgButton : unsigned {
    mbOK = 1u << 0,
    mbCancel = 1u << 1,
    mbYes = 1u << 2,
    mbNo = 1u << 3,
    mbAbort = 1u << 4,
    mbRetry = 1u << 5,
    mbIgnore = 1u << 6,
    // Not a button: Enter answers the button that does not go ahead (Cancel, else No), for
    // questions whose going ahead destroys something.
    mbSafeDefault = 1u << 8,
};
using TMsgButtons = unsigned;

// What closed a message box. mrNone means the box was closed without a button (Esc on a box
// that has no Cancel, or the window manager's close).
enum class TModalResult { mrNone, mrOk, mrCancel, mrAbort, mrRetry, mrIgnore, mrYes, mrNo };

// One message box as it was shown: what the scripted prompter records.
struct TPrompt {
    TMsgKind kind = TMsgKind::mkInformation;
    QString text;
    TMsgButtons buttons = mbOK;
    QString caption;
};

// Every modal question and message of a core flow goes through this seam, so the flow can be
// tested without a screen. The Qt implementation lives in platform/ui.
class TPrompter
{
public:
    virtual ~TPrompter() = default;

    // Shows the text and waits for a button. An empty caption means the program's title.
    virtual TModalResult Ask(
        TMsgKind kind, const QString &text, TMsgButtons buttons, const QString &caption = {})
        = 0;

    void Inform(const QString &text) { Ask(TMsgKind::mkInformation, text, mbOK); }
    void Warn(const QString &text) { Ask(TMsgKind::mkWarning, text, mbOK); }
    void Error(const QString &text) { Ask(TMsgKind::mkError, text, mbOK); }
    bool Confirm(const QString &text)
    {
        return Ask(TMsgKind::mkConfirmation, text, mbOK | mbCancel) == TModalResult::mrOk;
    }
    bool YesNo(const QString &text)
    {
        return Ask(TMsgKind::mkConfirmation, text, mbYes | mbNo) == TModalResult::mrYes;
    }
};

// Answers from a script, in order, and records every prompt shown. When the script runs out
// it answers the first button of the box and counts the prompt as unexpected, so a test sees
// a flow that asked more than it should.
class TScriptedPrompter : public TPrompter
{
public:
    TScriptedPrompter() = default;
    explicit TScriptedPrompter(QList<TModalResult> answers)
        : FAnswers(std::move(answers))
    {
    }

    TModalResult Ask(TMsgKind kind, const QString &text, TMsgButtons buttons,
        const QString &caption = {}) override;

    void Answer(TModalResult result) { FAnswers.append(result); }
    const QList<TPrompt> &Shown() const { return FShown; }
    QStringList Texts() const;
    int Unexpected() const { return FUnexpected; }
    int Pending() const { return FAnswers.size(); }

private:
    QList<TModalResult> FAnswers;
    QList<TPrompt> FShown;
    int FUnexpected = 0;
};

// Answers every box with its first button and writes its caption and text to standard error:
// for runs of the whole program without anyone at the screen (screenshots, tests).
class TUnattendedPrompter : public TPrompter
{
public:
    TModalResult Ask(TMsgKind kind, const QString &text, TMsgButtons buttons,
        const QString &caption = {}) override;
};

// The result that pressing the first button of a set gives, in the order OK, Yes, No, Cancel,
// Abort, Retry, Ignore.
TModalResult FirstButtonResult(TMsgButtons buttons);

} // namespace korvatel
