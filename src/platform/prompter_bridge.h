#pragma once

#include "platform/prompter.h"

class QObject;

namespace korvatel
{

// Lets work on a job's thread ask the customer through a prompter that belongs to the owner's
// thread (a TQtPrompter shows message boxes, which only the window's thread may do). A question
// asked on the context's own thread goes straight to the target; from any other thread it is
// queued to the context and the asking thread waits for the answer. A stop of the asking job
// ends the wait with mrNone (as a box closed without a button), so an owner that cancels and
// joins its job while a question is on its way never deadlocks; the question is then not shown.
class TPrompterBridge : public TPrompter
{
public:
    // context lives on the thread that may use target; both must outlive the bridge's users.
    TPrompterBridge(TPrompter &target, QObject *context);

    TModalResult Ask(TMsgKind kind, const QString &text, TMsgButtons buttons,
        const QString &caption = {}) override;

private:
    TPrompter &FTarget;
    QObject *FContext;
};

// Asks target on context's thread as TPrompterBridge does: at once there, queued from elsewhere.
TModalResult AskOnThreadOf(QObject *context, TPrompter &target, TMsgKind kind, const QString &text,
    TMsgButtons buttons, const QString &caption);

} // namespace korvatel
