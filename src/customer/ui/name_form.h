#pragma once

#include "customer/entry_pads.h"

#include <QDialog>

class QLabel;
class QPushButton;

namespace korvatel
{

// The name and mail keyboard of shop terminals: a 50-key grid with katakana, alphabet and
// small-letter pages, "SPC", back space, "C", the voicing key and the finish key; in mail mode
// the keys of a mail address and a row of domain endings.
class TNameForm : public QDialog
{
    Q_OBJECT

public:
    explicit TNameForm(bool mailMode, QWidget *parent = nullptr);

    QString Text() const { return FText.Text(); }
    void SetText(const QString &text);
    void ShowPage(TNamePage page);

    QLabel *lbText() const { return FTextLabel; }
    // The key at index 0-49 of the grid.
    QPushButton *GridKey(int index) const { return FGrid.value(index); }
    // A domain key by its text (mail mode).
    QPushButton *DomainKey(const QString &text) const;
    QPushButton *btnSpace() const { return FSpace; }
    QPushButton *btnBack() const { return FBack; }
    QPushButton *btnClear() const { return FClear; }
    QPushButton *btnVoice() const { return FVoice; }
    QPushButton *btnFinish() const { return FFinish; }

private:
    void Changed();

    TNameText FText;
    QLabel *FTextLabel;
    QList<QPushButton *> FGrid;
    QList<QPushButton *> FDomains;
    QPushButton *FSpace, *FBack, *FClear, *FVoice, *FFinish;
};

} // namespace korvatel
