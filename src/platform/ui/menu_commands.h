#pragma once

#include <QKeySequence>
#include <QList>
#include <QString>
#include <QStringList>
#include <functional>

class QAction;
class QActionGroup;
class QMenu;
class QObject;

namespace korvatel
{

// Adds a command to a menu with its object name, caption and shortcut. The owner keeps the
// action, so that the main window finds it by name among its children; handler runs when the
// command is triggered.
QAction *AddMenuCommand(QObject *owner, QMenu *menu, const char *name, const QString &caption,
    const QKeySequence &shortcut = {}, std::function<void()> handler = {});

// Adds exclusive choices named prefix0, prefix1, ... with the choice current checked; chosen
// gets the index of the choice triggered.
QActionGroup *AddMenuChoices(QObject *owner, QMenu *menu, const char *prefix,
    const QStringList &captions, int current, std::function<void(int)> chosen);

// Enables a command, or disables it and gives the reason as its tip: menus whose tips are shown
// (ShowMenuTips) tell it when the pointer rests on the grey command, the status bar when it is
// highlighted.
void EnableCommand(QAction *action, bool on, const QString &reason);
// Lets every menu under the bar, submenus included, show the tips of its commands.
void ShowMenuTips(const QList<QAction *> &barActions);

} // namespace korvatel
