#include "mobile/ui/keitai_adrs_form.h"

#include "platform/prompter.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace korvatel
{

namespace
{

QPushButton *Button(QWidget *parent, const char *name, const QString &caption)
{
    auto *button = new QPushButton(caption, parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setAutoDefault(false);
    return button;
}

} // namespace

TKeitaiAdrsForm::TKeitaiAdrsForm(
    const QString &listFile, bool ask, TPrompter &prompter, QWidget *parent)
    : QDialog(parent)
    , FListFile(listFile)
    , FAsk(ask)
    , FPrompter(prompter)
    , FList(TMailList::Load(listFile))
{
    setWindowTitle(QStringLiteral("携帯画像アップロード通知メール / 設定"));
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("携帯電話のメールアドレス"), this));
    FAddress = new QComboBox(this);
    FAddress->setObjectName(QStringLiteral("cbxAddress"));
    FAddress->setEditable(true);
    FAddress->setInsertPolicy(QComboBox::NoInsert);
    FAddress->lineEdit()->setMaxLength(254);
    FAddress->setMinimumWidth(320);
    layout->addWidget(FAddress);
    auto *listButtons = new QHBoxLayout;
    FAdd = Button(this, "btnAdd", QStringLiteral("登録"));
    FDelete = Button(this, "btnDelete", QStringLiteral("削除"));
    listButtons->addWidget(FAdd);
    listButtons->addWidget(FDelete);
    listButtons->addStretch();
    layout->addLayout(listButtons);
    auto *closing = new QHBoxLayout;
    FOk = Button(this, "btnOk", ask ? QStringLiteral("実行") : QStringLiteral("閉じる"));
    FCancel
        = Button(this, "btnCancel", ask ? QStringLiteral("戻る") : QStringLiteral("キャンセル"));
    FOk->setDefault(true);
    closing->addStretch();
    closing->addWidget(FOk);
    closing->addWidget(FCancel);
    layout->addLayout(closing);
    connect(FAdd, &QPushButton::clicked, this, [this] { btnAddClick(); });
    connect(FDelete, &QPushButton::clicked, this, [this] { btnDeleteClick(); });
    connect(FOk, &QPushButton::clicked, this, &QDialog::accept);
    connect(FCancel, &QPushButton::clicked, this, &QDialog::reject);
    FillCombo(FList.current.isEmpty() ? FList.addresses.value(0) : FList.current);
}

void TKeitaiAdrsForm::FillCombo(const QString &text)
{
    FAddress->clear();
    FAddress->addItems(FList.addresses);
    FAddress->setEditText(text);
}

void TKeitaiAdrsForm::btnAddClick()
{
    const QString address = FAddress->currentText().trimmed();
    if (!FList.Add(address))
        return;
    FList.Save(FListFile);
    FillCombo(address);
    FPrompter.Inform(QStringLiteral("アドレスをリストに追加しました。"));
}

void TKeitaiAdrsForm::btnDeleteClick()
{
    const QString address = FAddress->currentText().trimmed();
    if (!FList.addresses.contains(address))
        return;
    if (!FPrompter.Confirm(QStringLiteral("選択中のアドレスを削除します。よろしいですか？")))
        return;
    FList.Remove(address);
    FList.Save(FListFile);
    FillCombo(FList.addresses.value(0));
}

void TKeitaiAdrsForm::accept()
{
    const QString address = FAddress->currentText().trimmed();
    if (address.isEmpty()) {
        if (FAsk
            && !FPrompter.Confirm(QStringLiteral("アドレスの指定がありません。よろしいですか？")))
            return;
        FChosen.clear();
        QDialog::accept();
        return;
    }
    if (!address.contains(u'@')) {
        FPrompter.Warn(QStringLiteral("アドレスの書式に誤りがあります。"));
        return;
    }
    FList.Add(address);
    FList.current = address;
    FChosen = address;
    FList.Save(FListFile);
    QDialog::accept();
}

} // namespace korvatel
