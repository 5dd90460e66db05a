#pragma once

#include <QDialog>

class QCheckBox;
class QLabel;
class QPushButton;

namespace korvatel
{

// The thank-you window after an order reached the shop: it thanks the customer, shows the
// order's name and asks whether the basket is to be cleared (ticked at first). Enter or Space
// on OK closes it; Esc closes it as well and keeps the box's answer, since the order is sent
// either way.
class TThanksForm : public QDialog
{
    Q_OBJECT

public:
    // shopNotes are the shop's texts for after sending (the finishing date, notices on the
    // order and on how long pictures are kept); empty ones are left out.
    explicit TThanksForm(
        const QString &orderName, const QStringList &shopNotes = {}, QWidget *parent = nullptr);

    // Whether the basket is to be cleared.
    bool ClearBasket() const;

    QLabel *lbOrderName() const { return FOrderName; }
    QLabel *lbShopNotes() const { return FShopNotes; }
    QCheckBox *cbClear() const { return FClear; }
    QPushButton *btnOK() const { return FOK; }

    void reject() override;

    // Shows the window modally and returns its answer.
    static bool Ask(const QString &orderName, const QStringList &shopNotes, QWidget *parent);

private:
    QLabel *FOrderName;
    QLabel *FShopNotes = nullptr;
    QCheckBox *FClear;
    QPushButton *FOK;
};

} // namespace korvatel
