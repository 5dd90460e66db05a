#include "app/ui/start_forms.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <cstdio>

namespace korvatel
{

namespace
{

QLabel *AddLabel(QVBoxLayout *layout, const QString &text, const char *objectName = nullptr)
{
    auto *label = new QLabel(text);
    label->setTextFormat(Qt::PlainText); // fetch logs and server texts are never rich text
    label->setWordWrap(true);
    if (objectName)
        label->setObjectName(QString::fromLatin1(objectName));
    layout->addWidget(label);
    return label;
}

void PrintToStandardError(const QStringList &lines)
{
    std::fprintf(stderr, "%s\n", lines.join(u'\n').toLocal8Bit().constData());
}

} // namespace

TStartNoticeForm::TStartNoticeForm(const TStartNotice &notice, QWidget *parent)
    : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Korvatel"));
    setMinimumWidth(400);
    auto *layout = new QVBoxLayout(this);
    QFont big = font();
    big.setPointSize(big.pointSize() + 3);
    big.setBold(true);
    AddLabel(layout, QStringLiteral("Editor Version ") + notice.version, "lbVersion")->setFont(big);
    AddLabel(layout, QStringLiteral("Build : ") + notice.build, "lbBuild");
    AddLabel(layout, notice.shopId, "lbShopId")->setFont(big);
    layout->addSpacing(8);
    AddLabel(layout, TStartNotice::Text1(), "lbText1");
    AddLabel(layout, TStartNotice::Text2(), "lbText2");
    layout->addSpacing(8);
    FIgnore = new QCheckBox(TStartNotice::CheckBoxText(), this);
    FIgnore->setObjectName(QStringLiteral("cbIgnore"));
    layout->addWidget(FIgnore);
    FOk = new QPushButton(QStringLiteral("OK"), this);
    FOk->setObjectName(QStringLiteral("btnOK"));
    FOk->setDefault(true);
    layout->addWidget(FOk, 0, Qt::AlignHCenter);
    connect(FOk, &QPushButton::clicked, this, &QDialog::accept);
    FOk->setFocus();
}

TStartFailForm::TStartFailForm(const QString &errorStatus, QWidget *parent)
    : QDialog(parent)
{
    setWindowTitle(StartFailureCaption());
    setMinimumWidth(620);
    auto *layout = new QVBoxLayout(this);
    const QStringList texts = StartFailureTexts();
    for (int i = 0; i + 1 < texts.size(); ++i) {
        QLabel *label = AddLabel(layout, texts[i]);
        if (i < 2)
            label->setStyleSheet(QStringLiteral("font-weight: bold;"));
    }
    AddLabel(layout, texts.last())->setStyleSheet(QStringLiteral("font-weight: bold;"));
    FStatus = new QPlainTextEdit(errorStatus.trimmed(), this);
    FStatus->setObjectName(QStringLiteral("memStatus"));
    FStatus->setReadOnly(true);
    FStatus->setMaximumHeight(80);
    layout->addWidget(FStatus);

    auto *buttons = new QHBoxLayout;
    FIgnore = new QPushButton(QStringLiteral("無視して開く / [ESC]"), this);
    FIgnore->setObjectName(QStringLiteral("btnIgnore"));
    FIgnore->setToolTip(QStringLiteral("注文ソフトは開くが注文はできない"));
    FQuit = new QPushButton(QStringLiteral("終了する(続けない)"), this);
    FQuit->setObjectName(QStringLiteral("btnQuit"));
    FIgnore->setDefault(true);
    buttons->addWidget(FIgnore);
    buttons->addWidget(FQuit);
    layout->addLayout(buttons);
    connect(FIgnore, &QPushButton::clicked, this, [this] {
        FContinue = true;
        done(QDialog::Accepted);
    });
    connect(FQuit, &QPushButton::clicked, this, [this] {
        FContinue = false;
        done(QDialog::Rejected);
    });
}

void TStartFailForm::reject()
{
    // Esc and the window's close button open the program offline, as "無視して開く" does.
    FContinue = true;
    done(QDialog::Accepted);
}

TStartNoticeAnswer TQtStartDialogs::ShowStartNotice(const TStartNotice &notice)
{
    TStartNoticeForm form(notice);
    TStartNoticeAnswer answer;
    answer.accepted = form.exec() == QDialog::Accepted;
    answer.dontShowAgain = form.cbIgnore()->isChecked();
    return answer;
}

bool TQtStartDialogs::ShowStartFailure(const QString &errorStatus)
{
    TStartFailForm form(errorStatus);
    form.exec();
    return form.ContinueOffline();
}

TStartNoticeAnswer TUnattendedStartDialogs::ShowStartNotice(const TStartNotice &notice)
{
    PrintToStandardError({ QStringLiteral("Editor Version ") + notice.version,
        QStringLiteral("Build : ") + notice.build, notice.shopId, TStartNotice::Text1(),
        TStartNotice::Text2() });
    return { true, false };
}

bool TUnattendedStartDialogs::ShowStartFailure(const QString &errorStatus)
{
    PrintToStandardError(QStringList { StartFailureCaption() } + StartFailureTexts()
        + QStringList { errorStatus.trimmed() });
    return true;
}

} // namespace korvatel
