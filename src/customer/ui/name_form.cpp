#include "customer/ui/name_form.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace korvatel
{

TNameForm::TNameForm(bool mailMode, QWidget *parent)
    : QDialog(parent, Qt::FramelessWindowHint)
    , FText(mailMode)
{
    setWindowState(Qt::WindowFullScreen);
    QFont big = font();
    big.setPixelSize(24);
    FTextLabel = new QLabel(this);
    FTextLabel->setFont(big);
    FTextLabel->setAlignment(Qt::AlignCenter);
    const auto button = [this, &big](const QString &text) {
        auto *key = new QPushButton(text, this);
        key->setFont(big);
        key->setAutoDefault(false);
        key->setMinimumSize(48, 40);
        return key;
    };

    auto *pages = new QHBoxLayout;
    const QList<std::pair<QString, TNamePage>> pageKeys = mailMode
        ? QList<std::pair<QString, TNamePage>> { { QStringLiteral("abc"), TNamePage::npKana },
              { QStringLiteral("ABC"), TNamePage::npAlphabet } }
        : QList<std::pair<QString, TNamePage>> { { QStringLiteral("カナ"), TNamePage::npKana },
              { QStringLiteral("ABC"), TNamePage::npAlphabet },
              { QStringLiteral("小文字"), TNamePage::npSmall } };
    for (const auto &[caption, page] : pageKeys) {
        QPushButton *key = button(caption);
        connect(key, &QPushButton::clicked, this, [this, page = page] { ShowPage(page); });
        pages->addWidget(key);
    }

    auto *grid = new QGridLayout;
    for (int i = 0; i < 50; ++i) {
        QPushButton *key = button(QString());
        connect(key, &QPushButton::clicked, this, [this, key] {
            FText.Press(key->text());
            Changed();
        });
        grid->addWidget(key, i / 10, i % 10);
        FGrid << key;
    }

    auto *domains = new QGridLayout;
    if (mailMode) {
        const QStringList texts = MailDomainKeys();
        for (int i = 0; i < texts.size(); ++i) {
            QPushButton *key = button(texts.at(i));
            key->setFont(font());
            connect(key, &QPushButton::clicked, this, [this, key] {
                FText.Press(key->text());
                Changed();
            });
            domains->addWidget(key, i / 8, i % 8);
            FDomains << key;
        }
    }

    FSpace = button(QStringLiteral("SPC"));
    FBack = button(QStringLiteral("←"));
    FClear = button(QStringLiteral("C"));
    FVoice = button(QStringLiteral("゛゜"));
    FFinish = button(QString());
    connect(FSpace, &QPushButton::clicked, this, [this] {
        FText.Space();
        Changed();
    });
    connect(FBack, &QPushButton::clicked, this, [this] {
        FText.BackSpace();
        Changed();
    });
    connect(FClear, &QPushButton::clicked, this, [this] {
        FText.Clear();
        Changed();
    });
    connect(FVoice, &QPushButton::clicked, this, [this] {
        FText.Voice();
        Changed();
    });
    connect(FFinish, &QPushButton::clicked, this, &QDialog::accept);
    auto *edit = new QHBoxLayout;
    for (QPushButton *key : { FSpace, FBack, FClear, FVoice })
        edit->addWidget(key);
    edit->addStretch();
    edit->addWidget(FFinish);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(FTextLabel);
    layout->addLayout(pages);
    layout->addLayout(grid);
    layout->addLayout(domains);
    layout->addLayout(edit);
    ShowPage(TNamePage::npKana);
    Changed();
}

void TNameForm::SetText(const QString &text)
{
    FText.SetText(text);
    Changed();
}

void TNameForm::ShowPage(TNamePage page)
{
    const QStringList keys = NamePageKeys(page, FText.MailMode());
    for (int i = 0; i < FGrid.size(); ++i) {
        FGrid.at(i)->setText(keys.value(i));
        FGrid.at(i)->setEnabled(!keys.value(i).isEmpty());
    }
}

QPushButton *TNameForm::DomainKey(const QString &text) const
{
    for (QPushButton *key : FDomains) {
        if (key->text() == text)
            return key;
    }
    return nullptr;
}

void TNameForm::Changed()
{
    FTextLabel->setText(FText.Text());
    FSpace->setEnabled(FText.CanSpace());
    FVoice->setEnabled(FText.CanVoice());
    FFinish->setText(FText.FinishCaption());
}

} // namespace korvatel
