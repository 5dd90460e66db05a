#include "app/ui/start_forms.h"
#include "support/keyboard_check.h"

#include <QCheckBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

namespace korvatel
{

namespace
{

QStringList LabelTexts(const QWidget &form)
{
    QStringList texts;
    for (const QLabel *label : form.findChildren<QLabel *>())
        texts << label->text();
    return texts;
}

// Runs action on the next modal window once it is shown.
template <typename Form, typename Action> void WhenShown(Action action)
{
    QTimer::singleShot(0, [action] {
        for (QWidget *widget : QApplication::topLevelWidgets()) {
            if (auto *form = qobject_cast<Form *>(widget); form && form->isVisible()) {
                action(*form);
                return;
            }
        }
    });
}

} // namespace

TEST(TStartNoticeForm, ShowsVersionBuildShopAndTheAdvice)
{
    TStartNoticeForm form(
        { QStringLiteral("1.00"), QStringLiteral("2026.12.08.01"), QStringLiteral("1234") });
    form.show();
    const QStringList texts = LabelTexts(form);
    for (const QString &text :
        { QStringLiteral("Editor Version 1.00"), QStringLiteral("Build : 2026.12.08.01"),
            QStringLiteral("1234"), TStartNotice::Text1(), TStartNotice::Text2() })
        EXPECT_TRUE(texts.contains(text)) << text.toStdString();
    EXPECT_EQ(form.cbIgnore()->text(), QStringLiteral("今後、このメッセージは表示しない"));
    EXPECT_FALSE(form.grab().isNull());
}

TEST(TQtStartDialogs, NoticeAnswersFollowTheButtonAndTheBox)
{
    TQtStartDialogs dialogs;
    WhenShown<TStartNoticeForm>([](TStartNoticeForm &form) {
        form.cbIgnore()->setChecked(true);
        QTest::mouseClick(form.btnOK(), Qt::LeftButton);
    });
    TStartNoticeAnswer answer = dialogs.ShowStartNotice(
        { QStringLiteral("1.00"), QStringLiteral("b"), QStringLiteral("1") });
    EXPECT_TRUE(answer.accepted);
    EXPECT_TRUE(answer.dontShowAgain);

    WhenShown<TStartNoticeForm>(
        [](TStartNoticeForm &form) { QTest::keyClick(&form, Qt::Key_Escape); });
    answer = dialogs.ShowStartNotice(
        { QStringLiteral("1.00"), QStringLiteral("b"), QStringLiteral("1") });
    EXPECT_FALSE(answer.accepted);
}

TEST(TQtStartDialogs, FailureWindowQuitsOnlyOnItsQuitButton)
{
    TQtStartDialogs dialogs;
    WhenShown<TStartFailForm>([](TStartFailForm &form) {
        EXPECT_EQ(form.windowTitle(), QStringLiteral("基本情報のダウンロード失敗"));
        EXPECT_EQ(form.memStatus()->toPlainText(), QStringLiteral("ConnectNG:Primary"));
        EXPECT_TRUE(form.memStatus()->isReadOnly());
        EXPECT_EQ(form.btnIgnore()->text(), QStringLiteral("無視して開く / [ESC]"));
        EXPECT_EQ(form.btnIgnore()->toolTip(), QStringLiteral("注文ソフトは開くが注文はできない"));
        EXPECT_TRUE(LabelTexts(form).contains(QStringLiteral("【原因と対策】")));
        QTest::mouseClick(form.btnQuit(), Qt::LeftButton);
    });
    EXPECT_FALSE(dialogs.ShowStartFailure(QStringLiteral(" ConnectNG:Primary\r\n")));

    WhenShown<TStartFailForm>([](TStartFailForm &form) { QTest::keyClick(&form, Qt::Key_Escape); });
    EXPECT_TRUE(dialogs.ShowStartFailure(QStringLiteral("x")));
    WhenShown<TStartFailForm>(
        [](TStartFailForm &form) { QTest::mouseClick(form.btnIgnore(), Qt::LeftButton); });
    EXPECT_TRUE(dialogs.ShowStartFailure(QStringLiteral("x")));
}

TEST(TStartNoticeForm, WorksFromTheKeyboard)
{
    TStartNoticeForm form(
        { QStringLiteral("1.00"), QStringLiteral("2026.12.08.01"), QStringLiteral("1234") });
    test::ExpectKeyboardWorkable(form);
}

} // namespace korvatel
