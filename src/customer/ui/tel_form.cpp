#include "customer/ui/tel_form.h"

#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace korvatel
{

TTelForm::TTelForm(std::function<void(int)> idle, QWidget *parent)
    : QDialog(parent, Qt::FramelessWindowHint)
    , FIdle(std::move(idle))
{
    setWindowState(Qt::WindowFullScreen);
    QFont big = font();
    big.setPixelSize(36);
    FNumberLabel = new QLabel(FNumber.Text(), this);
    FNumberLabel->setFont(big);
    FNumberLabel->setAlignment(Qt::AlignCenter);
    FExample = new QLabel(this);
    FExample->setAlignment(Qt::AlignCenter);
    auto *grid = new QGridLayout;
    const QStringList keys { QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3"),
        QStringLiteral("4"), QStringLiteral("5"), QStringLiteral("6"), QStringLiteral("7"),
        QStringLiteral("8"), QStringLiteral("9"), QStringLiteral("-"), QStringLiteral("0"),
        QStringLiteral("C") };
    for (int i = 0; i < keys.size(); ++i) {
        auto *button = new QPushButton(keys.at(i), this);
        button->setObjectName(QStringLiteral("key") + keys.at(i));
        button->setFont(big);
        button->setMinimumSize(96, 72);
        button->setAutoDefault(false);
        connect(button, &QPushButton::clicked, this, [this, key = keys.at(i)] { Press(key); });
        grid->addWidget(button, i / 3, i % 3);
        FKeys << button;
    }
    auto *back = new QPushButton(QStringLiteral("←"), this);
    back->setObjectName(QStringLiteral("keyBS"));
    back->setFont(big);
    back->setAutoDefault(false);
    connect(back, &QPushButton::clicked, this, [this] { Press(QStringLiteral("BS")); });
    FKeys << back;
    grid->addWidget(back, 4, 0);
    FDone = new QPushButton(QStringLiteral("完了"), this);
    FDone->setFont(big);
    FDone->setAutoDefault(false);
    FDone->setEnabled(false);
    connect(FDone, &QPushButton::clicked, this, &QDialog::accept);
    grid->addWidget(FDone, 4, 1, 1, 2);

    auto *layout = new QVBoxLayout(this);
    layout->addStretch();
    layout->addWidget(FNumberLabel);
    layout->addWidget(FExample);
    layout->addLayout(grid);
    layout->addStretch();
}

void TTelForm::SetExample(const QString &example)
{
    FExample->setText(QStringLiteral("(") + example);
}

QPushButton *TTelForm::Key(const QString &key) const
{
    for (QPushButton *button : FKeys) {
        if (button->objectName() == QStringLiteral("key") + key)
            return button;
    }
    return nullptr;
}

void TTelForm::Press(const QString &key)
{
    if (!FNumber.Press(key))
        return;
    FNumberLabel->setText(FNumber.Text());
    FDone->setEnabled(FNumber.CanFinish());
    if (FIdle)
        FIdle(3000);
}

void TTelForm::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (FIdle)
        FIdle(5000);
}

void TTelForm::keyPressEvent(QKeyEvent *event)
{
    const QString text = event->text();
    if (event->key() == Qt::Key_Delete)
        Press(QStringLiteral("C"));
    else if (event->key() == Qt::Key_Backspace)
        Press(QStringLiteral("BS"));
    else if (text.size() == 1 && (text.at(0).isDigit() || text == QLatin1String("-")))
        Press(text);
    else
        QDialog::keyPressEvent(event);
}

} // namespace korvatel
