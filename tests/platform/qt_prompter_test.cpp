#include "platform/ui/qt_prompter.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

namespace korvatel
{

namespace
{

// Presses the button captioned buttonText on the next message box and reports its text.
void PressOnNextBox(const QString &buttonText, QString *shownText)
{
    QTimer::singleShot(0, [buttonText, shownText] {
        for (QWidget *widget : QApplication::topLevelWidgets()) {
            auto *box = qobject_cast<QMessageBox *>(widget);
            if (!box || !box->isVisible())
                continue;
            *shownText
                = box->textFormat() == Qt::PlainText ? box->text() : QStringLiteral("<rich>");
            for (QAbstractButton *button : box->buttons()) {
                if (button->text() == buttonText)
                    button->click();
            }
        }
    });
}

} // namespace

TEST(TQtPrompter, ShowsTheTextWithPlainLineBreaksAndAnswersTheButtonPressed)
{
    TQtPrompter prompter;
    QString shown;
    PressOnNextBox(QStringLiteral("いいえ(&N)"), &shown);
    EXPECT_EQ(prompter.Ask(
                  TMsgKind::mkConfirmation, QStringLiteral("一行目\r\n\r\n二行目"), mbYes | mbNo),
        TModalResult::mrNo);
    EXPECT_EQ(shown, QStringLiteral("一行目\n\n二行目"));

    PressOnNextBox(QStringLiteral("OK"), &shown);
    EXPECT_TRUE(prompter.Confirm(QStringLiteral("よろしいですか？")));

    // A server's text that looks like markup is shown as the text it is, links dead.
    const QString markup = QStringLiteral("<a href=\"http://evil.example/\">更新</a>");
    PressOnNextBox(QStringLiteral("OK"), &shown);
    prompter.Inform(markup);
    EXPECT_EQ(shown, markup);
}

} // namespace korvatel

namespace korvatel
{

TEST(TQtPrompter, EnterOnADestructiveQuestionAnswersTheSafeButton)
{
    TQtPrompter prompter;
    // Enter on the box shown.
    const auto pressEnter = [] {
        QTimer::singleShot(0, [] {
            for (QWidget *widget : QApplication::topLevelWidgets())
                if (auto *box = qobject_cast<QMessageBox *>(widget); box && box->isVisible())
                    QTest::keyClick(box, Qt::Key_Return);
        });
    };
    pressEnter();
    EXPECT_EQ(prompter.Ask(TMsgKind::mkWarning, QStringLiteral("上書きしますか？"),
                  mbOK | mbCancel | mbSafeDefault),
        TModalResult::mrCancel);
    pressEnter();
    EXPECT_EQ(prompter.Ask(TMsgKind::mkConfirmation, QStringLiteral("上書きですか？"),
                  mbYes | mbNo | mbSafeDefault),
        TModalResult::mrNo);
    pressEnter();
    EXPECT_EQ(prompter.Ask(TMsgKind::mkConfirmation, QStringLiteral("続けますか？"), mbYes | mbNo),
        TModalResult::mrYes);
}

} // namespace korvatel
