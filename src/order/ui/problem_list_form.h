#pragma once

#include "order/consistency.h"

#include <QDialog>

class QListWidget;

namespace korvatel
{

// The problem list of the consistency check: the vanished pictures and the withdrawn sizes of
// the basket, and the three ways on: repair, delete all, or cancel (also Esc and closing).
class TProblemListForm : public QDialog
{
    Q_OBJECT

public:
    explicit TProblemListForm(const TConsistencyProblems &problems, QWidget *parent = nullptr);

    TProblemAnswer Answer() const { return FAnswer; }
    QListWidget *VanishedList() const { return FVanished; }
    QListWidget *HiddenList() const { return FHidden; }

    // Shows the window modally and returns the customer's answer.
    static TProblemAnswer Ask(const TConsistencyProblems &problems, QWidget *parent);

private:
    void Finish(TProblemAnswer answer);

    QListWidget *FVanished = nullptr;
    QListWidget *FHidden = nullptr;
    TProblemAnswer FAnswer = TProblemAnswer::paCancel;
};

} // namespace korvatel
