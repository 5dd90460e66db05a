#pragma once

#include "platform/prompter.h"

class QWidget;

namespace korvatel
{

// Shows each prompt as a modal QMessageBox over the given parent, with the button texts and
// captions of a Japanese Windows desktop. Asked from another thread (work on a job), the box is
// shown on the application's thread and the asker waits for the answer (see TPrompterBridge).
class TQtPrompter : public TPrompter
{
public:
    explicit TQtPrompter(QWidget *parent = nullptr)
        : FParent(parent)
    {
    }

    TModalResult Ask(TMsgKind kind, const QString &text, TMsgButtons buttons,
        const QString &caption = {}) override;

private:
    QWidget *FParent;
};

// The prompter of a widget that has not been handed one yet: message boxes without a parent.
TPrompter &DefaultQtPrompter();

} // namespace korvatel
