#pragma once

#include "platform/prompter.h"

class QWidget;

namespace korvatel
{

// Shows each prompt as a modal QMessageBox over the given parent, with the button texts and
// captions of a Japanese Windows desktop.
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
