#include "support/keyboard_check.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAbstractSlider>
#include <QAbstractSpinBox>
#include <QComboBox>
#include <QDialog>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <QTextEdit>
#include <gtest/gtest.h>

namespace korvatel::test
{

namespace
{

bool IsControl(const QWidget *widget)
{
    return qobject_cast<const QAbstractButton *>(widget) || qobject_cast<const QLineEdit *>(widget)
        || qobject_cast<const QComboBox *>(widget) || qobject_cast<const QAbstractSpinBox *>(widget)
        || qobject_cast<const QAbstractSlider *>(widget)
        || qobject_cast<const QAbstractItemView *>(widget)
        || qobject_cast<const QTextEdit *>(widget) || qobject_cast<const QPlainTextEdit *>(widget);
}

} // namespace

void ExpectKeyboardWorkable(QDialog &dialog, TEnterKey enter)
{
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    const QString name = dialog.metaObject()->className();
    bool hasDefault = false;
    for (QWidget *widget : dialog.findChildren<QWidget *>()) {
        if (const auto *button = qobject_cast<QPushButton *>(widget))
            hasDefault = hasDefault || (button->isDefault() && button->isVisibleTo(&dialog));
        if (!widget->isVisibleTo(&dialog) || !widget->isEnabled() || !IsControl(widget))
            continue;
        // A spin box's line edit is reached through the box, a scroll bar through its view.
        if (qobject_cast<QAbstractSpinBox *>(widget->parentWidget())
            || qobject_cast<QComboBox *>(widget->parentWidget())
            || qobject_cast<QScrollBar *>(widget))
            continue;
        EXPECT_TRUE(widget->focusPolicy() & Qt::TabFocus)
            << name.toStdString() << ": " << widget->metaObject()->className() << " "
            << widget->objectName().toStdString() << " cannot be reached with Tab";
    }
    if (enter == TEnterKey::ekDefaultButton)
        EXPECT_TRUE(hasDefault) << name.toStdString() << ": Enter presses no button";
    QTest::keyClick(&dialog, Qt::Key_Escape);
    EXPECT_FALSE(dialog.isVisible()) << name.toStdString() << ": Esc does not close it";
    dialog.close();
}

} // namespace korvatel::test
