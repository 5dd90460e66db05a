#include "app/ui/thanks_form.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace korvatel
{

TThanksForm::TThanksForm(const QString &orderName, const QStringList &shopNotes, QWidget *parent)
    : QDialog(parent)
{
    setWindowTitle(QStringLiteral("ご注文ありがとうございました"));
    auto *layout = new QVBoxLayout(this);
    auto *thanks = new QLabel(
        QStringLiteral("ご注文ありがとうございました。\nご注文は送信されました。"), this);
    QFont big = thanks->font();
    big.setPointSizeF(big.pointSizeF() * 1.3);
    big.setBold(true);
    thanks->setFont(big);
    layout->addWidget(thanks);
    FOrderName = new QLabel(QStringLiteral("注文番号 : ") + orderName, this);
    FOrderName->setObjectName(QStringLiteral("lbOrderName"));
    FOrderName->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addWidget(FOrderName);
    QStringList notes;
    for (const QString &note : shopNotes)
        if (!note.trimmed().isEmpty())
            notes << note.trimmed();
    if (!notes.isEmpty()) {
        FShopNotes = new QLabel(notes.join(u'\n'), this);
        FShopNotes->setObjectName(QStringLiteral("lbShopNotes"));
        // The shop's texts come from its server: plain text only.
        FShopNotes->setTextFormat(Qt::PlainText);
        FShopNotes->setWordWrap(true);
        FShopNotes->setFrameShape(QFrame::StyledPanel);
        FShopNotes->setMargin(6);
        layout->addWidget(FShopNotes);
    }
    FClear = new QCheckBox(QStringLiteral("注文内容(注文画像)をクリアする(&C)"), this);
    FClear->setObjectName(QStringLiteral("cbClear"));
    FClear->setChecked(true);
    layout->addWidget(FClear);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    FOK = new QPushButton(QStringLiteral("OK"), this);
    FOK->setObjectName(QStringLiteral("btnOK"));
    FOK->setDefault(true);
    FOK->setAutoDefault(true);
    buttons->addWidget(FOK);
    layout->addLayout(buttons);
    connect(FOK, &QPushButton::clicked, this, &QDialog::accept);
    FOK->setFocus();
}

bool TThanksForm::ClearBasket() const
{
    return FClear->isChecked();
}

void TThanksForm::reject()
{
    // The order has gone out: closing the window is the same as OK.
    accept();
}

bool TThanksForm::Ask(const QString &orderName, const QStringList &shopNotes, QWidget *parent)
{
    TThanksForm form(orderName, shopNotes, parent);
    form.exec();
    return form.ClearBasket();
}

} // namespace korvatel
