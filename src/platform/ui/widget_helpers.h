#pragma once

#include <QColor>
#include <QPushButton>
#include <QWidget>

namespace korvatel
{

// A Windows colour value 0x00BBGGRR as a QColor, and back.
inline QColor WinColor(int value)
{
    return QColor(value & 0xFF, (value >> 8) & 0xFF, (value >> 16) & 0xFF);
}
inline int ToWinColor(const QColor &colour)
{
    return colour.red() | (colour.green() << 8) | (colour.blue() << 16);
}

// A hint "short|long": the short part becomes the tool tip, the long part the text the status
// bar shows; a hint without "|" is both.
inline void SetHint(QWidget *widget, const QString &hint)
{
    widget->setToolTip(hint.section(u'|', 0, 0));
    widget->setStatusTip(hint.contains(u'|') ? hint.section(u'|', 1) : hint);
}

// A push button with its object name and, when given, its hint.
inline QPushButton *NamedButton(
    QWidget *parent, const char *name, const QString &caption, const QString &hint = {})
{
    auto *button = new QPushButton(caption, parent);
    button->setObjectName(QString::fromLatin1(name));
    if (!hint.isEmpty())
        SetHint(button, hint);
    return button;
}

} // namespace korvatel
